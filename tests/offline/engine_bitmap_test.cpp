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
    // A grey pixel keeps its level (floating point once lost one on 16 of them).
    for (int v = 0; v < 256; ++v) ASSERT_EQ(GreyLevel(v, v, v), v) << v;
}

// The bitmap tells the engine the resolution the picture file declared, and
// none where the file had none: the engine then judges it from the text.
TEST_F(EngineBitmapTest, TheBitmapCarriesTheResolutionOfThePictureFile) {
    const auto resolutionOf = [&](const std::string& name) {
        const std::string bytes = ReadBytes(PrepareEngineBitmap(Path(name), Path("tmp.bmp")));
        if (bytes.size() < 46) return -1;
        int perMeter = 0;
        for (int i = 3; i >= 0; --i)
            perMeter = perMeter * 256 + static_cast<unsigned char>(bytes[38 + i]);
        return perMeter;
    };
    QImage scan(40, 20, QImage::Format_RGB32);
    scan.fill(Qt::white);
    scan.setDotsPerMeterX(11811);  // 300 dpi
    scan.setDotsPerMeterY(11811);
    ASSERT_TRUE(scan.save(QString::fromStdString(NarrowPath("scan.png"))));
    EXPECT_EQ(resolutionOf("scan.png"), 11811);
    // A bitmap without resolution, as screenshots are often saved.
    QImage shot(40, 20, QImage::Format_RGB32);
    shot.fill(Qt::white);
    ASSERT_TRUE(shot.save(QString::fromStdString(NarrowPath("shot.bmp"))));
    std::string bytes = ReadBytes(Path("shot.bmp"));
    bytes.replace(38, 8, std::string(8, '\0'));
    WriteBytes(Path("shot.bmp"), bytes);
    EXPECT_EQ(resolutionOf("shot.bmp"), 0);
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
