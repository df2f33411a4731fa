// Pictures as a phone, a scanner or a slipped mouse make them, sent to a fake
// service that enforces the real one's limits.

#include "recognition/upload_picture.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <random>

#include "recognition/image_prep.h"
#include "recognition/recognition_job.h"
#include "recognition_fixture.h"

namespace {

// Noise compresses as badly as a detailed photo: the worst case for size.
QImage PhotoLike(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    std::mt19937 random(7);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) line[x] = 0xFF000000u | (random() & 0xFFFFFFu);
    }
    return image;
}

QImage Sent(const FakeCloud& cloud) {
    return QImage::fromData(QByteArray::fromBase64(
        QByteArray::fromStdString(cloud.Requests().back().form.at("image"))));
}

}  // namespace

class UploadPictureTest : public CloudTest {
protected:
    void SetUp() override {
        CloudTest::SetUp();
        cloud_->EnforcePictureLimits(FakeCloud::PictureLimits{});
        job_.SetNotifyWindow(&window_);
        job_.SetMessageDisplay(&messages_);
    }
    // The outcome of one picture: true when the service recognised it.
    bool Recognise(const std::wstring& path) {
        window_.messages.clear();
        EXPECT_TRUE(job_.Start({{path}, KindCode::Text}));
        job_.Wait();
        return !window_.messages.empty() && window_.messages[0].hasResult;
    }
    std::wstring Save(const QImage& image, const std::string& name, const char* format,
                      int quality = -1) {
        const std::wstring path = Path(name);
        EXPECT_TRUE(image.save(QString::fromStdWString(path), format, quality));
        return path;
    }
    RecordingWindow window_;
    RecognitionJob job_;
};

// A phone photo over 4 MB of Base64 and one over 4096 pixels a side both
// arrive within the limits, as JPEG, with their shape kept.
TEST_F(UploadPictureTest, LargePhotosAreShrunkOnlyAsFarAsTheServiceNeeds) {
    const std::wstring heavy = Save(PhotoLike(1600, 1200), "heavy.jpg", "JPEG", 95);
    ASSERT_TRUE(Recognise(heavy)) << "sent as it was, the service refused it";
    const QImage sent = Sent(*cloud_);
    EXPECT_EQ(Base64Decode(cloud_->Requests().back().form.at("image")).substr(0, 2), "\xFF\xD8");
    EXPECT_NEAR(double(sent.width()) / sent.height(), 4.0 / 3.0, 0.01);
    EXPECT_GE(sent.width(), 800) << "no smaller than needed";

    QImage wide(8000, 600, QImage::Format_RGB32);
    wide.fill(Qt::white);
    ASSERT_TRUE(Recognise(Save(wide, "wide.jpg", "JPEG", 90)));
    EXPECT_EQ(cloud_->LastPictureSize(), std::make_pair(4096, 307));
}

// A palette picture keeps its content (it once became all black), a sliver
// of a capture is padded with its edge colour instead of refused, and a
// picture within the limits goes exactly as it is.
TEST_F(UploadPictureTest, PalettesStayReadableSliversArePaddedAndFitPicturesGoAsTheyAre) {
    QImage page(5000, 400, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter(&page).fillRect(100, 100, 4800, 200, Qt::black);
    const QImage palette = page.convertToFormat(QImage::Format_Indexed8);
    ASSERT_TRUE(Recognise(Save(palette, "palette.png", "PNG")));
    const QImage sent = Sent(*cloud_);
    EXPECT_EQ(sent.width(), 4096);
    EXPECT_EQ(qGray(sent.pixel(10, 10)), 255) << "white stays white";
    EXPECT_LT(qGray(sent.pixel(sent.width() / 2, sent.height() / 2)), 30) << "black stays black";

    QImage sliver(300, 8, QImage::Format_RGB32);
    sliver.fill(QColor(250, 240, 200));
    ASSERT_TRUE(Recognise(Save(sliver, "sliver.png", "PNG")));
    EXPECT_EQ(cloud_->LastPictureSize(), std::make_pair(300, 15));
    EXPECT_EQ(Sent(*cloud_).pixel(0, 0), QColor(250, 240, 200).rgb());

    const std::wstring fits = MakeImage("fits.png", 640, 480);
    ASSERT_TRUE(Recognise(fits));
    EXPECT_EQ(Base64Decode(cloud_->Requests().back().form.at("image")), ReadBytes(fits));
}

// Random bytes under a picture's name are caught before anything is sent.
TEST_F(UploadPictureTest, AFileThatIsNoPictureIsNeverUploaded) {
    WriteBytes(Path("noise.png"), std::string("\x89PNG\r\n\x1a\n", 8) + std::string(5000, 'Q'));
    EXPECT_FALSE(Recognise(Path("noise.png")));
    EXPECT_EQ(job_.ErrorKey(), L"ImageSizeIsZero");
    EXPECT_EQ(cloud_->CountRequests("/rest/2.0/ocr/v1/general_basic"), 0);
}
