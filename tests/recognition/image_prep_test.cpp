#include "recognition/image_prep.h"

#include <gtest/gtest.h>

#include <QImageReader>

#include "app/process_globals.h"
#include "platform/file_io.h"
#include "platform/text.h"
#include "support/temp_environment.h"

TEST(UploadSize, LongSideBecomesTheLimitLessNinetySix) {
    auto eq = [](UploadSize s, int w, int h) { return s.width == w && s.height == h; };
    EXPECT_TRUE(eq(ComputeUploadSize(3000, 1000, 2048), 1952, 650));
    EXPECT_TRUE(eq(ComputeUploadSize(1000, 3000, 2048), 650, 1952));
    EXPECT_TRUE(eq(ComputeUploadSize(5000, 5000, 4096), 4000, 4000));
    EXPECT_TRUE(eq(ComputeUploadSize(1500, 1100, 1024), 928, 680));
    EXPECT_TRUE(eq(ComputeUploadSize(2048, 2048, 2048), 2048, 2048));
    // A sliver so thin that its short side truncates to nothing.
    EXPECT_TRUE(eq(ComputeUploadSize(100000, 1, 1024), 928, 0));
}

class ImagePrepTest : public TempEnvironment {
protected:
    void SetUp() override {
        TempEnvironment::SetUp();
        Globals().TempWorkFolder = Path("tmp") + L"/";
    }
};

TEST_F(ImagePrepTest, CopyKeepsTheNameWithPngContentInAFolderPerSource) {
    QImage big(3000, 1000, QImage::Format_RGB32);
    big.fill(Qt::red);
    const std::wstring a = ResizeForUpload(big, Path("one/scan.jpg"), 2048);
    const std::wstring b = ResizeForUpload(big, Path("two/scan.jpg"), 2048);
    ASSERT_FALSE(a.empty());
    EXPECT_NE(a, b);
    EXPECT_TRUE(a.ends_with(L"/scan.jpg"));
    EXPECT_TRUE(a.starts_with(Path("tmp") + L"/taviOCR/compress/"));
    EXPECT_EQ(a, UploadCopyPath(Path("one/scan.jpg")));
    QImageReader reader(QString::fromStdWString(a));
    EXPECT_EQ(reader.format(), "png");
    EXPECT_EQ(reader.size(), QSize(1952, 650));
    EXPECT_TRUE(ReadBytes(a).starts_with("\x89PNG"));
    EXPECT_TRUE(ResizeForUpload(QImage(), Path("x.png"), 2048).empty());
}

TEST_F(ImagePrepTest, HugeOrBrokenImagesAreRefusedNotDecoded) {
    // A BMP header claiming 20,000 × 20,000 pixels at 32 bits (1.6 GB).
    std::string bmp = "BM";
    auto put32 = [&bmp](std::uint32_t v) {
        for (int i = 0; i < 4; ++i) bmp += static_cast<char>(v >> (8 * i));
    };
    auto put16 = [&bmp](std::uint16_t v) {
        bmp += static_cast<char>(v);
        bmp += static_cast<char>(v >> 8);
    };
    put32(54 + 64), put32(0), put32(54), put32(40), put32(20000), put32(20000), put16(1), put16(32);
    put32(0), put32(1600000000u), put32(2835), put32(2835), put32(0), put32(0);
    bmp += std::string(64, '\0');
    WriteBytes(Path("huge.bmp"), bmp);
    EXPECT_TRUE(LoadImageLimited(Path("huge.bmp")).isNull());
    WriteBytes(Path("text.png"), "this is not an image");
    EXPECT_TRUE(LoadImageLimited(Path("text.png")).isNull());
    EXPECT_TRUE(LoadImageLimited(Path("missing.png")).isNull());
}

TEST_F(ImagePrepTest, ReadFileBytesReportsMissingFiles) {
    std::string bytes = "old";
    EXPECT_EQ(ReadFileBytes(Path("missing.png"), bytes), -1);
    EXPECT_TRUE(bytes.empty());
    WriteBytes(Path("a.bin"), std::string("\0\1\2", 3));
    EXPECT_EQ(ReadFileBytes(Path("a.bin"), bytes), 0);
    EXPECT_EQ(bytes, std::string("\0\1\2", 3));
}

TEST(Encoding, Base64AndEscapingAsTheServicesExpect) {
    EXPECT_EQ(Base64Encode(""), "");
    EXPECT_EQ(Base64Encode("\xFB\xFF\xBE"), "+/++");
    EXPECT_EQ(Base64Encode("ab"), "YWI=");
    EXPECT_EQ(Base64Decode("YWI="), "ab");
    EXPECT_EQ(Base64Decode("YWJj"), "abc");
    EXPECT_EQ(Base64Decode("YWJj=ZGVm"), "abc");   // stops at "="
    EXPECT_EQ(Base64Decode("YWJj\nZGVm"), "abc");  // stops outside the alphabet
    EXPECT_EQ(Base64Decode("YW"), "a");
    EXPECT_EQ(Base64Decode("Y"), "");
    EXPECT_EQ(CurlEscape("a+b/c=d e-f.g_h~"), "a%2Bb%2Fc%3Dd%20e-f.g_h~");
    EXPECT_EQ(CurlEscape("中"), "%E4%B8%AD");
}
