#include "app/compound_file.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-utils.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <mutex>

#include "platform/debug_trace.h"
#include "platform/file_io.h"
#include "platform/text.h"

namespace {

struct GObjectUnref {
    void operator()(void* object) const {
        if (object) g_object_unref(object);
    }
};
template <typename T>
using GsfPtr = std::unique_ptr<T, GObjectUnref>;

void EnsureGsf() {
    static std::once_flag once;
    std::call_once(once, [] {
        gsf_init();
        // A damaged file is an answer ("cannot be read"), not console noise.
        for (const char* domain : {"libgsf", "libgsf:msole", "libgsf:utils", "libgsf:zip"})
            g_log_set_handler(
                domain, static_cast<GLogLevelFlags>(G_LOG_LEVEL_MASK),
                [](const gchar*, GLogLevelFlags, const gchar* message, gpointer) {
                    DebugTrace(L"libgsf: %s\n", Utf8ToWide(message ? message : ""));
                },
                nullptr);
    });
}

GsfPtr<GsfInfile> OpenCompound(std::wstring_view path) {
    EnsureGsf();
    GError* error = nullptr;
    GsfPtr<GsfInput> input(gsf_input_stdio_new(NarrowPath(path).c_str(), &error));
    if (error) g_error_free(error), error = nullptr;
    if (!input) return nullptr;
    GsfPtr<GsfInfile> storage(gsf_infile_msole_new(input.get(), &error));
    if (error) g_error_free(error);
    return storage;
}

std::optional<std::string> ReadInput(GsfInput* stream, std::size_t maxBytes) {
    const gsf_off_t size = gsf_input_size(stream);
    if (size < 0 || static_cast<std::size_t>(size) >= maxBytes) return std::nullopt;
    std::string bytes(static_cast<std::size_t>(size), '\0');
    if (size > 0 && !gsf_input_read(stream, static_cast<std::size_t>(size),
                                    reinterpret_cast<guint8*>(bytes.data())))
        return std::nullopt;
    return bytes;
}

}  // namespace

std::optional<std::string> ReadCompoundStream(std::wstring_view path, std::string_view name,
                                              std::size_t maxBytes) {
    const auto storage = OpenCompound(path);
    if (!storage) return std::nullopt;
    GsfPtr<GsfInput> stream(gsf_infile_child_by_name(storage.get(), std::string(name).c_str()));
    if (!stream) return std::nullopt;
    return ReadInput(stream.get(), maxBytes);
}

std::optional<std::vector<CompoundStream>> ReadCompoundStreams(std::wstring_view path,
                                                               std::size_t maxBytesEach) {
    const auto storage = OpenCompound(path);
    if (!storage) return std::nullopt;
    std::vector<CompoundStream> streams;
    const int count = gsf_infile_num_children(storage.get());
    for (int i = 0; i < count; ++i) {
        GsfPtr<GsfInput> stream(gsf_infile_child_by_index(storage.get(), i));
        const char* name = gsf_infile_name_by_index(storage.get(), i);
        if (!stream || !name) return std::nullopt;
        auto bytes = ReadInput(stream.get(), maxBytesEach);
        if (!bytes) return std::nullopt;
        streams.emplace_back(name, std::move(*bytes));
    }
    return streams;
}

// Built in memory, then written through the atomic replace every store uses:
// flushed to the disk before the rename, the file's permission bits kept (the
// language files hold service keys).
bool WriteCompoundFile(std::wstring_view path, const std::vector<CompoundStream>& streams) {
    EnsureGsf();
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
