#include "lang/compound_file_writer.h"

#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-utils.h>

#include <memory>
#include <mutex>

#include "platform/file_io.h"

namespace {

struct GObjectUnref {
    void operator()(void* object) const {
        if (object) g_object_unref(object);
    }
};
template <typename T>
using GsfPtr = std::unique_ptr<T, GObjectUnref>;

}  // namespace

// Built in memory, then written through the atomic replace every store uses:
// flushed to the disk before the rename, the file's permission bits kept (the
// language files hold service keys).
bool WriteCompoundFile(std::wstring_view path, const std::vector<CompoundStream>& streams) {
    static std::once_flag once;
    std::call_once(once, [] { gsf_init(); });
    std::string bytes;
    {
        GsfPtr<GsfOutput> sink(gsf_output_memory_new());
        GsfPtr<GsfOutfile> storage(sink ? gsf_outfile_msole_new(sink.get()) : nullptr);
        bool ok = storage != nullptr;
        for (const auto& [name, content] : streams) {
            if (!ok) break;
            GsfPtr<GsfOutput> child(gsf_outfile_new_child(storage.get(), name.c_str(), FALSE));
            ok = child &&
                 gsf_output_write(child.get(), content.size(),
                                  reinterpret_cast<const guint8*>(content.data())) &&
                 gsf_output_close(child.get());
        }
        if (storage) ok = gsf_output_close(GSF_OUTPUT(storage.get())) && ok;
        if (!ok) return false;
        const auto* data = gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(sink.get()));
        bytes.assign(reinterpret_cast<const char*>(data),
                     static_cast<std::size_t>(gsf_output_size(sink.get())));
        if (!gsf_output_is_closed(sink.get())) gsf_output_close(sink.get());
    }
    return WriteFileAtomically(path, bytes);
}
