#include "toolkit/skin_package.h"

#include <gtest/gtest.h>

#include "app/language.h"
#include "app/language_table.h"
#include "platform/text.h"
#include "support/temp_environment.h"

namespace {
const std::string kPassword = WideToUtf8(kSkinPackagePassword);
}

class SkinPackageTest : public TempEnvironment {
protected:
    std::wstring Package() {
        const std::wstring path = Path("skin-en.skin");
        EXPECT_TRUE(WriteSkinPackage(
            path, kPassword,
            {{"skin.xml", std::string(5000, 'L')}, {"default/images/icon.png", "\x89PNG\r\n"}}));
        return path;
    }
};

TEST_F(SkinPackageTest, EntriesComeBackWithThePassword) {
    const std::wstring package = Package();
    EXPECT_EQ(ReadSkinPackageEntry(package, kPassword, "skin.xml"), std::string(5000, 'L'));
    EXPECT_EQ(ReadSkinPackageEntry(package, kPassword, "default/images/icon.png"), "\x89PNG\r\n");
    EXPECT_EQ(ListSkinPackage(package),
              (std::vector<std::string>{"skin.xml", "default/images/icon.png"}));
    EXPECT_FALSE(ReadSkinPackageEntry(package, kPassword, "missing.xml"));
}

TEST_F(SkinPackageTest, WrongPasswordGivesNothing) {
    const std::wstring package = Package();
    EXPECT_FALSE(ReadSkinPackageEntry(package, "wrong", "skin.xml"));
    EXPECT_FALSE(ReadSkinPackageEntry(package, "", "skin.xml"));
}

TEST_F(SkinPackageTest, DamagedPackagesGiveNothing) {
    const std::wstring package = Package();
    std::string bytes = ReadBytes(package);
    // Flip bytes in the middle of the first entry's encrypted data.
    std::string corrupt = bytes;
    for (std::size_t i = 100; i < 140; ++i) corrupt[i] = static_cast<char>(corrupt[i] ^ 0x55);
    WriteBytes(Path("corrupt.skin"), corrupt);
    EXPECT_FALSE(ReadSkinPackageEntry(Path("corrupt.skin"), kPassword, "skin.xml"));

    WriteBytes(Path("cut.skin"), bytes.substr(0, bytes.size() / 2));
    EXPECT_FALSE(ReadSkinPackageEntry(Path("cut.skin"), kPassword, "skin.xml"));
    WriteBytes(Path("text.skin"), "not a zip file at all");
    EXPECT_FALSE(ReadSkinPackageEntry(Path("text.skin"), kPassword, "skin.xml"));
    EXPECT_FALSE(ReadSkinPackageEntry(Path("absent.skin"), kPassword, "skin.xml"));
}

TEST(BuiltSkinPackages, EveryLanguageHasItsPackage) {
    for (const LanguageInfo& language : LanguageTable()) {
        const std::wstring path =
            Utf8ToWide(TAVIOCR_OUT_DIR) + L"/" + std::wstring(language.skinPackagePath);
        const auto style = ReadSkinPackageEntry(path, kPassword, "style.qss");
        ASSERT_TRUE(style) << WideToUtf8(path);
        EXPECT_NE(style->find("QWidget"), std::string::npos);
    }
}
