#include <gtest/gtest.h>

#include <QUrl>
#include <QUrlQuery>

#include "app/process_globals.h"
#include "compare/diff_dlg.h"

namespace {

struct PageAddress {
    QString page;     // the local file the address names
    QString picture;  // its "img" parameter, decoded as the page decodes it
};

PageAddress Read(const std::wstring& url) {
    const QUrl address(QString::fromStdWString(url), QUrl::StrictMode);
    const QString query = address.query(QUrl::FullyEncoded);
    const QString value = query.startsWith(QLatin1String("img=")) ? query.mid(4) : QString();
    return {address.toLocalFile(), QUrl::fromPercentEncoding(value.toLatin1())};
}

}  // namespace

// Whatever the folder and the picture are called, the page finds both.
TEST(ComparePage, TheAddressNamesThePageBesideTheProgramAndThePictureExactly) {
    Globals().ExeFolder = L"/opt/tavi ocr#2/";
    for (const std::wstring picture :
         {L"/home/me/scan 1.png", L"/home/me/100% #1 & b+c?.png", L"/图/é.png", L"/a=b;c.png"}) {
        const PageAddress read = Read(ComparePageUrl(picture));
        EXPECT_EQ(read.page, QStringLiteral("/opt/tavi ocr#2/image.html"));
        EXPECT_EQ(read.picture, QString::fromStdWString(picture));
    }
    EXPECT_EQ(Read(ComparePageUrl(L"\\\\server\\share\\a b.png")).picture,
              QStringLiteral("//server/share/a b.png"))
        << "a network path gets forward slashes";
    EXPECT_EQ(Read(ComparePageUrl(std::wstring(8191, L'a'))).picture.size(), 8191);
    EXPECT_TRUE(Read(ComparePageUrl(std::wstring(2731, L' '))).picture.isEmpty())
        << "8193 bytes once encoded";
}
