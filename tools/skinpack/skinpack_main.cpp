// taviocr-skinpack: packs a skin folder into the password-protected package of
// every interface language.
//
//   taviocr-skinpack SKIN_FOLDER OUTPUT_FOLDER

#include <cstdio>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "app/language.h"
#include "app/language_table.h"
#include "toolkit/skin_package.h"
#include "platform/file_io.h"
#include "platform/text.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: taviocr-skinpack SKIN_FOLDER OUTPUT_FOLDER\n", stderr);
        return 2;
    }
    const fs::path source = argv[1];
    std::vector<SkinEntry> entries;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(source, ec), end; it != end; it.increment(ec)) {
        if (ec) break;
        if (!it->is_regular_file()) continue;
        const auto bytes = ReadWholeFile(Utf8ToWide(it->path().string()), kMaxSkinEntryBytes);
        if (!bytes) {
            std::fprintf(stderr, "taviocr-skinpack: cannot read %s\n", it->path().c_str());
            return 1;
        }
        entries.emplace_back(fs::relative(it->path(), source).generic_string(), *bytes);
    }
    if (ec || entries.empty()) {
        std::fprintf(stderr, "taviocr-skinpack: nothing to pack in %s\n", argv[1]);
        return 1;
    }
    const std::string password = WideToUtf8(kSkinPackagePassword);
    std::set<std::wstring_view> done;
    for (const LanguageInfo& language : LanguageTable()) {
        if (!done.insert(language.skinPackagePath).second) continue;
        const std::wstring file(language.skinPackagePath.substr(language.skinPackagePath.rfind(L'/') + 1));
        const std::wstring target = Utf8ToWide(argv[2]) + L"/" + file;
        if (!WriteSkinPackage(target, password, entries)) {
            std::fprintf(stderr, "taviocr-skinpack: cannot write %s\n", WideToUtf8(target).c_str());
            return 1;
        }
    }
    return 0;
}
