#include "compare/escape_url_path.h"

#include <gtest/gtest.h>

#include "app/process_globals.h"
#include "compare/diff_dlg.h"

TEST(EscapeUrlPath, KeepsTheUnreservedCharactersAndEscapesEveryOtherByteInLowerCase) {
    EXPECT_EQ(EscapeUrlPath(L"C:\\x\\y.png"), L"C:%5cx%5cy.png") << "the colon stays";
    EXPECT_EQ(EscapeUrlPath(L"//server/share/a b.png"), L"//server/share/a%20b.png");
    EXPECT_EQ(EscapeUrlPath(L"!'()*-._~:/AZaz09"), L"!'()*-._~:/AZaz09");
    EXPECT_EQ(EscapeUrlPath(L"100%#?&+"), L"100%25%23%3f%26%2b");
    EXPECT_EQ(EscapeUrlPath(L"/图/é.png"), L"/%e5%9b%be/%c3%a9.png") << "UTF-8 bytes";
    EXPECT_EQ(EscapeUrlPath(L""), L"");
}

TEST(EscapeUrlPath, AResultThatWouldReach8192BytesIsRefused) {
    EXPECT_EQ(EscapeUrlPath(std::wstring(8191, L'a')).size(), 8191u);
    EXPECT_EQ(EscapeUrlPath(std::wstring(8192, L'a')), L"");
    EXPECT_EQ(EscapeUrlPath(std::wstring(2730, L' ')).size(), 8190u);
    EXPECT_EQ(EscapeUrlPath(std::wstring(2731, L' ')), L"") << "8193 bytes once escaped";
}

TEST(ComparePage, TheAddressNamesThePageBesideTheProgramAndTheEscapedPicture) {
    Globals().ExeFolder = L"/opt/taviocr";
    EXPECT_EQ(ComparePageUrl(L"/home/me/scan 1.png"),
              L"file:///opt/taviocr/image.html?img=/home/me/scan%201.png");
    EXPECT_EQ(ComparePageUrl(L"\\\\server\\share\\a b.png"),
              L"file:///opt/taviocr/image.html?img=//server/share/a%20b.png")
        << "a network path gets forward slashes";
    Globals().ExeFolder = L"/opt/taviocr/";
    EXPECT_EQ(ComparePageUrl(L"/a.png"), L"file:///opt/taviocr/image.html?img=/a.png");
}
