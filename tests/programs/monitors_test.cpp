// Screen capture on two real monitors at different scales (the left one at
// 100 %, the right one at 150 %): a dragged region comes out in exactly the
// physical pixels under it, on either monitor.

#include <cmath>

#include "program_fixture.h"

namespace {

// Smooth waves of three lengths: JPEG keeps them well, and a region one
// pixel off differs from them clearly.
QImage KnownPicture(QSize size) {
    QImage picture(size, QImage::Format_RGB32);
    const auto wave = [](double at, double length) {
        return static_cast<int>(127.5 + 127.5 * std::sin(at / length));
    };
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            picture.setPixel(x, y, qRgb(wave(x, 9), wave(y, 7), wave(x + y, 13)));
    return picture;
}

double Rmse(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) return 1.0;
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            for (const int d : {qRed(p) - qRed(q), qGreen(p) - qGreen(q), qBlue(p) - qBlue(q)})
                sum += d * d;
        }
    return std::sqrt(sum / (3.0 * a.width() * a.height())) / 255.0;
}

}  // namespace

class TwoMonitorTest : public ProgramTest {
protected:
    void SetUp() override {
        if (std::getenv("TAVIOCR_NO_TWO_MONITORS")) GTEST_SKIP() << "needs Xorg, as root";
        ProgramTest::SetUp();
    }
    // The region the n-th capture sent, once it was sent.
    QImage SentRegion(int n) {
        if (!Eventually([&] { return cloud_.CountRequests(kGeneral) >= n; })) return {};
        return QImage::fromData(QByteArray::fromBase64(QByteArray::fromStdString(
                                    cloud_.Requests().back().form.at("image"))),
                                "JPEG");
    }
};

TEST_F(TwoMonitorTest, ARegionComesOutInThePhysicalPixelsOfTheMonitorItIsOn) {
    const QImage picture = KnownPicture(QSize(3200, 1080));
    ASSERT_TRUE(picture.save(QString::fromStdString(root_ + "/screen.png")));
    // (display ends with status 1 after painting the root window.)
    Shell("display -window root '" + root_ + "/screen.png'");
    program_process_ =
        ChildProcess::Start({program_ + "/taviocr"}, {"QT_SCREEN_SCALE_FACTORS=1;1.5"});
    ASSERT_TRUE(program_process_);
    ASSERT_TRUE(WaitFor("TaviOCRWindowClass", "Pic-OCR"));
    // Physical corners; at 150 % they lie on whole logical pixels, so the
    // test does not hang on where the pointer is read.
    const std::vector<QRect> regions = {QRect(QPoint(1580, 201), QPoint(1981, 500)),
                                        QRect(QPoint(100, 100), QPoint(499, 399))};
    int captures = 0;
    for (const QRect& region : regions) {
        SCOPED_TRACE(region.x());
        ASSERT_EQ(Shell("xdotool key F4"), 0);
        ASSERT_TRUE(WaitForOverlay());
        const QPoint end = region.bottomRight() + QPoint(1, 1);
        Shell("xdotool mousemove " + std::to_string(region.x()) + " " + std::to_string(region.y()) +
              " sleep 0.2 mousedown 1 sleep 0.2 mousemove " + std::to_string(region.center().x()) +
              " " + std::to_string(region.center().y()) + " sleep 0.2 mousemove " +
              std::to_string(end.x()) + " " + std::to_string(end.y()) + " sleep 0.2 mouseup 1");
        const QImage sent = SentRegion(++captures).convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(sent.size(), region.size()) << "as many pixels as the monitor has there";
        const double exact = Rmse(sent, picture.copy(region));
        EXPECT_LT(exact, 0.01) << "the very pixels (JPEG only)";
        EXPECT_LT(exact, Rmse(sent, picture.copy(region.translated(1, 0))));
        EXPECT_LT(exact, Rmse(sent, picture.copy(region.translated(0, -1))));
        ASSERT_TRUE(WaitFor("TaviOCRWindowClass", "ocrText")) << "recognised";
    }
}
