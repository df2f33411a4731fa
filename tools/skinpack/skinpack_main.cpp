// taviocr-skinpack: packs a skin folder into the password-protected package of
// every interface language. Files under lang/<package name>/ (for example
// lang/skin-tr/Default.xml) replace the shared file of that name in that
// language's package only.
//
//   taviocr-skinpack SKIN_FOLDER OUTPUT_FOLDER

#include <cstdio>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "app/language.h"
#include "app/language_table.h"
#include "platform/file_io.h"
#include "platform/text.h"
#include "toolkit/skin_package.h"

namespace fs = std::filesystem;

namespace {

// Every file under folder, by its path relative to it; false when one cannot be read.
bool ReadFolder(const fs::path& folder, std::vector<SkinEntry>& entries, bool skipOverlays) {
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) return true;
    for (fs::recursive_directory_iterator it(folder, ec), end; it != end; it.increment(ec)) {
        if (ec) return false;
        const std::string name = fs::relative(it->path(), folder).generic_string();
        if (skipOverlays && name.starts_with("lang/")) continue;
        if (!it->is_regular_file()) continue;
        const auto bytes = ReadWholeFile(Utf8ToWide(it->path().string()), kMaxSkinEntryBytes);
        if (!bytes) {
            std::fprintf(stderr, "taviocr-skinpack: cannot read %s\n", it->path().c_str());
            return false;
        }
        entries.emplace_back(name, *bytes);
    }
    return !ec;
}

std::vector<SkinEntry> WithOverlay(std::vector<SkinEntry> entries,
                                   const std::vector<SkinEntry>& overlay) {
    for (const SkinEntry& replacement : overlay) {
        std::erase_if(entries,
                      [&](const SkinEntry& entry) { return entry.first == replacement.first; });
        entries.push_back(replacement);
    }
    return entries;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: taviocr-skinpack SKIN_FOLDER OUTPUT_FOLDER\n", stderr);
        return 2;
    }
    const fs::path source = argv[1];
    std::vector<SkinEntry> entries;
    if (!ReadFolder(source, entries, true)) return 1;
    if (entries.empty()) {
        std::fprintf(stderr, "taviocr-skinpack: nothing to pack in %s\n", argv[1]);
        return 1;
    }
    const std::string password = WideToUtf8(kSkinPackagePassword);
    std::set<std::wstring_view> done;
    for (const LanguageInfo& language : LanguageTable()) {
        if (!done.insert(language.skinPackagePath).second) continue;
        const std::wstring file(
            language.skinPackagePath.substr(language.skinPackagePath.rfind(L'/') + 1));
        const std::wstring target = Utf8ToWide(argv[2]) + L"/" + file;
        std::vector<SkinEntry> overlay;
        const std::string stem = WideToUtf8(file.substr(0, file.rfind(L'.')));
        if (!ReadFolder(source / "lang" / stem, overlay, false)) return 1;
        if (!WriteSkinPackage(target, password, WithOverlay(entries, overlay))) {
            std::fprintf(stderr, "taviocr-skinpack: cannot write %s\n", WideToUtf8(target).c_str());
            return 1;
        }
    }
    return 0;
}
