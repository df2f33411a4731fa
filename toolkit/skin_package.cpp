#include "toolkit/skin_package.h"

#include <sys/stat.h>

#include <mutex>

#include "platform/file_io.h"
#include "platform/zip_reader.h"

namespace {

// Packages are a few hundred kilobytes; nothing of ours comes near this.
constexpr std::size_t kMaxPackageBytes = 256 * 1024 * 1024;

// A window reads many entries of one package in a row: the last package
// opened is kept, and opened again once its file changes. A package is
// replaced by renaming a new file over it, which gives it another inode.
struct OpenPackage {
    std::string path;
    dev_t device = 0;
    ino_t inode = 0;
    struct timespec modified {};
    off_t size = -1;
    std::optional<ZipReader> archive;
};

template <typename Use>
auto WithPackage(std::wstring_view packagePath, Use use)
    -> decltype(use(std::declval<ZipReader&>())) {
    static std::mutex mutex;
    static OpenPackage last;
    const std::lock_guard lock(mutex);
    const std::string path = NarrowPath(packagePath);
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    if (path != last.path || st.st_dev != last.device || st.st_ino != last.inode ||
        st.st_size != last.size || st.st_mtim.tv_sec != last.modified.tv_sec ||
        st.st_mtim.tv_nsec != last.modified.tv_nsec) {
        last = OpenPackage{path, st.st_dev, st.st_ino, st.st_mtim, st.st_size, std::nullopt};
        if (auto bytes = ReadWholeFile(packagePath, kMaxPackageBytes))
            last.archive = ZipReader::Open(std::move(*bytes));
    }
    if (!last.archive) return std::nullopt;
    return use(*last.archive);
}

}  // namespace

std::optional<std::string> ReadSkinPackageEntry(std::wstring_view packagePath,
                                                std::string_view password,
                                                std::string_view entryName) {
    return WithPackage(packagePath, [&](const ZipReader& archive) {
        return archive.Read(entryName, password, kMaxSkinEntryBytes);
    });
}

std::optional<std::vector<std::string>> ListSkinPackage(std::wstring_view packagePath) {
    return WithPackage(packagePath, [](const ZipReader& archive) {
        return std::optional<std::vector<std::string>>(archive.Names());
    });
}
