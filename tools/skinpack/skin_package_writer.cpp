#include "skinpack/skin_package_writer.h"

#include <unistd.h>
#include <zip.h>

#include "platform/file_io.h"

bool WriteSkinPackage(std::wstring_view path, std::string_view password,
                      const std::vector<SkinEntry>& entries) {
    const std::string target = NarrowPath(path);
    const std::string temp = target + ".new";
    ::unlink(temp.c_str());
    int error = 0;
    zip_t* archive = zip_open(temp.c_str(), ZIP_CREATE | ZIP_EXCL, &error);
    if (!archive) return false;
    const std::string pass(password);
    bool ok = true;
    for (const auto& [name, bytes] : entries) {
        // libzip reads the buffers when the archive is closed; they outlive it here.
        zip_source_t* source = zip_source_buffer(archive, bytes.data(), bytes.size(), 0);
        const zip_int64_t index =
            source ? zip_file_add(archive, name.c_str(), source, ZIP_FL_ENC_UTF_8) : -1;
        if (index < 0) {
            if (source) zip_source_free(source);
            ok = false;
            break;
        }
        // The password only keeps casual hands off (it ships with the program).
        // The classic zip cipher is read without a cryptography library and
        // without a key derivation per entry: the window starts faster and
        // several MiB smaller than with AES.
        ok = zip_file_set_encryption(archive, static_cast<zip_uint64_t>(index), ZIP_EM_TRAD_PKWARE,
                                     pass.c_str()) == 0;
        if (!ok) break;
    }
    if (!ok) {
        zip_discard(archive);
        ::unlink(temp.c_str());
        return false;
    }
    if (zip_close(archive) != 0) {
        zip_discard(archive);
        ::unlink(temp.c_str());
        return false;
    }
    return ::rename(temp.c_str(), target.c_str()) == 0;
}
