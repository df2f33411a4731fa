#include "offline/engine_bitmap.h"

#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>

#include "platform/file_io.h"
#include "support/temp_environment.h"

using EngineBitmapTest = TempEnvironment;

TEST(GreyLevel, WeightsAreTruncated) {
    EXPECT_EQ(GreyLevel(255, 0, 0), 76);
    EXPECT_EQ(GreyLevel(0, 255, 0), 149);
    EXPECT_EQ(GreyLevel(0, 0, 255), 29);
    EXPECT_EQ(GreyLevel(0, 0, 0), 0);
    EXPECT_EQ(GreyLevel(10, 20, 30), 18);  // 11.74 + 3.42 + 2.99
    EXPECT_EQ(GreyLevel(255, 255, 255), 255);
}

TEST_F(EngineBitmapTest, AColourPictureBecomesAnEightBitGreyBitmap) {
    QImage colour(3, 2, QImage::Format_ARGB32);
    colour.fill(Qt::white);
    colour.setPixel(0, 0, qRgb(255, 0, 0));
    colour.setPixel(1, 0, qRgb(0, 255, 0));
    colour.setPixel(2, 1, qRgba(0, 0, 255, 255));
    ASSERT_TRUE(colour.save(QString::fromStdString(NarrowPath("colour.png"))));
    const std::wstring bitmap = PrepareEngineBitmap(Path("colour.png"), Path("tmp.bmp"));
    ASSERT_EQ(bitmap, Path("tmp.bmp"));

    const std::string bytes = ReadBytes(bitmap);
    ASSERT_GT(bytes.size(), 54u);
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    EXPECT_EQ(static_cast<unsigned char>(bytes[28]), 8);  // bits per pixel
    const QImage grey(QString::fromStdWString(bitmap));
    ASSERT_EQ(grey.format(), QImage::Format_Indexed8);
    ASSERT_EQ(grey.colorCount(), 256);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(grey.color(i), qRgba(i, i, i, 255));
    EXPECT_EQ(grey.pixelIndex(0, 0), 76);
    EXPECT_EQ(grey.pixelIndex(1, 0), 149);
    EXPECT_EQ(grey.pixelIndex(2, 1), 29);
}

TEST_F(EngineBitmapTest, NoBitmapWhenThePictureOrTheOldBitmapIsInTheWay) {
    WriteBytes(Path("tmp.bmp"), "old");
    WriteBytes(Path("broken.png"), "\x89PNG not really");
    EXPECT_EQ(PrepareEngineBitmap(Path("broken.png"), Path("tmp.bmp")), L"");
    EXPECT_FALSE(FileExists(Path("tmp.bmp")));  // the old one is gone all the same
    EXPECT_EQ(PrepareEngineBitmap(Path("missing.png"), Path("tmp.bmp")), L"");

    // A "tmp.bmp" that cannot be removed (here a folder with content).
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::black);
    ASSERT_TRUE(image.save(QString::fromStdString(NarrowPath("ok.png"))));
    std::filesystem::create_directories(NarrowPath("tmp.bmp/inside"));
    EXPECT_EQ(PrepareEngineBitmap(Path("ok.png"), Path("tmp.bmp")), L"");
    // A folder that cannot be written to.
    EXPECT_EQ(PrepareEngineBitmap(Path("ok.png"), Path("no/such/folder/tmp.bmp")), L"");
}
