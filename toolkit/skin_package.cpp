#include "toolkit/skin_package.h"

#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <memory>

#include "platform/file_io.h"

namespace {

struct ZipCloser {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct ZipFileCloser {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};
using ZipPtr = std::unique_ptr<zip_t, ZipCloser>;
using ZipFilePtr = std::unique_ptr<zip_file_t, ZipFileCloser>;

ZipPtr OpenPackage(std::wstring_view path) {
    int error = 0;
    return ZipPtr(zip_open(NarrowPath(path).c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &error));
}

}  // namespace

std::optional<std::string> ReadSkinPackageEntry(std::wstring_view packagePath,
                                                std::string_view password,
                                                std::string_view entryName) {
    const ZipPtr archive = OpenPackage(packagePath);
    if (!archive) return std::nullopt;
    const std::string name(entryName);
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat(archive.get(), name.c_str(), 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE) ||
        st.size > kMaxSkinEntryBytes)
        return std::nullopt;
    const std::string pass(password);
    ZipFilePtr file(zip_fopen_encrypted(archive.get(), name.c_str(), 0, pass.c_str()));
    if (!file) return std::nullopt;
    std::string bytes(static_cast<std::size_t>(st.size), '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
        const zip_int64_t n = zip_fread(file.get(), bytes.data() + done, bytes.size() - done);
        if (n <= 0) return std::nullopt;
        done += static_cast<std::size_t>(n);
    }
    // Reading past the end makes libzip check the entry's CRC.
    char probe;
    if (zip_fread(file.get(), &probe, 1) != 0) return std::nullopt;
    return bytes;
}

std::optional<std::vector<std::string>> ListSkinPackage(std::wstring_view packagePath) {
    const ZipPtr archive = OpenPackage(packagePath);
    if (!archive) return std::nullopt;
    std::vector<std::string> names;
    const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    for (zip_int64_t i = 0; i < count; ++i)
        if (const char* name = zip_get_name(archive.get(), static_cast<zip_uint64_t>(i), 0))
            names.emplace_back(name);
    return names;
}

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
        // several MiB smaller than with AES. Packages in AES still open.
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
