// The capture overlay against a desktop of the test's own: two monitors at
// different places and scales, known windows and known pixels.

#include "capture/screen_cutting.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QTest>
#include <filesystem>

#include "app/process_globals.h"
#include "platform/file_io.h"
#include "platform/text.h"
#include "support/qt_application.h"
#include "support/temp_environment.h"

namespace {

// A left monitor at standard density and a primary one at 200 %: every
// logical pixel of the primary is a 2 × 2 block of a colour telling where it is.
class FakeDesktop : public MonitorList, public DesktopSnapshot, public WindowListService {
public:
    std::vector<MonitorRecord> Monitors() override {
        return {{QRect(-400, 100, 400, 300), 1.0, "left", false},
                {QRect(0, 0, 640, 480), 2.0, "primary", true}};
    }
    QImage GrabMonitor(const MonitorRecord& monitor) override {
        QImage image(monitor.geometry.size() * monitor.scale, QImage::Format_RGB32);
        if (monitor.name == "left") {
            image.fill(QColor(0, 200, 0));
            return image;
        }
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                image.setPixel(x, y, qRgb((x / 2) % 256, (y / 2) % 256, 128));
        return image;
    }
    std::vector<WindowEntry> Windows() override {
        return {{1, QRect(100, 100, 60, 40), true}, {2, QRect(50, 50, 300, 200), false}};
    }
};

}  // namespace

class ScreenCuttingTest : public TempEnvironment {
protected:
    void SetUp() override {
        TempEnvironment::SetUp();
        EnsureQtApplication();
        saved_ = Globals();
        Globals().TempWorkFolder = Path("tmp") + L"/";
        Globals().ExeFolder = Utf8ToWide(TAVIOCR_OUT_DIR);
        auto fake = std::make_shared<FakeDesktop>();
        capture_ = std::make_unique<CScreenCutting>(Desktop{fake, fake, fake, true});
    }
    void TearDown() override {
        capture_.reset();
        Globals() = saved_;
        TempEnvironment::TearDown();
    }
    // Starts a capture and waits for its overlay.
    QWidget* Open() {
        const bool started = capture_->StartCapture(
            {[this] { ++hidden_; }, [this] { ++shown_; }, [this] { ++done_; }}, 0);
        EXPECT_TRUE(started);
        ProcessEventsUntil([this] { return capture_->Overlay() != nullptr; });
        return capture_->Overlay();
    }
    // A left-button drag in desktop coordinates, on the overlay where it starts.
    void Drag(QPoint from, QPoint to) {
        QWidget* overlay = capture_->OverlayAt(from);
        ASSERT_NE(overlay, nullptr);
        const QPoint origin = overlay->geometry().topLeft();
        QTest::mousePress(overlay, Qt::LeftButton, {}, from - origin);
        QTest::mouseMove(overlay, to - origin);
        QTest::mouseRelease(overlay, Qt::LeftButton, {}, to - origin);
        ProcessEventsUntil([this] { return !capture_->IsCapturing(); });
    }
    QImage Saved() { return QImage(QString::fromStdWString(capture_->CurrentCaptureFile())); }

    ProcessGlobals saved_;
    std::unique_ptr<CScreenCutting> capture_;
    int hidden_ = 0, shown_ = 0, done_ = 0;
};

TEST_F(ScreenCuttingTest, EachMonitorIsCoveredAndGivesThePixelsTheUserSawAtItsOwnScale) {
    QWidget* overlay = Open();
    ASSERT_NE(overlay, nullptr);
    EXPECT_EQ(hidden_, 1);
    EXPECT_EQ(capture_->CaptureArea(), QRect(-400, 0, 1040, 480)) << "the left monitor too";
    EXPECT_EQ(overlay->geometry(), QRect(0, 0, 640, 480)) << "the primary monitor's own";
    ASSERT_NE(capture_->OverlayAt(QPoint(-10, 200)), nullptr);
    EXPECT_EQ(capture_->OverlayAt(QPoint(-10, 200))->geometry(), QRect(-400, 100, 400, 300));
    // A region of the 200 % monitor comes out in its physical pixels.
    Drag(QPoint(20, 30), QPoint(120, 90));
    EXPECT_EQ(done_, 1);
    EXPECT_EQ(shown_, 1);
    const QImage saved = Saved();
    ASSERT_EQ(saved.size(), QSize(200, 120));
    const QColor corner = saved.pixelColor(4, 4);  // logical (22, 32)
    EXPECT_NEAR(corner.red(), 22, 8);
    EXPECT_NEAR(corner.green(), 32, 8);
    EXPECT_NEAR(corner.blue(), 128, 8);
    EXPECT_EQ(FileNamePart(capture_->CurrentCaptureFile()), L"screen_cutting.jpg");
    // The left monitor's pixels are there too, at its own scale; a drag
    // that runs onto the other monitor stops at the edge where it began.
    Open();
    Drag(QPoint(-300, 200), QPoint(-200, 260));
    EXPECT_EQ(Saved().size(), QSize(100, 60));
    EXPECT_NEAR(Saved().pixelColor(10, 10).green(), 200, 8);
    Open();
    Drag(QPoint(-100, 200), QPoint(300, 260));
    EXPECT_EQ(Saved().size(), QSize(100, 60));
    EXPECT_EQ(FileNamePart(capture_->CurrentCaptureFile()), L"screen_cutting.jpg")
        << "the next capture reuses the name";
}

TEST_F(ScreenCuttingTest, EightPixelsSnapNinePixelsDrag) {
    Open();
    EXPECT_EQ(capture_->SnapRectAt(QPoint(60, 60)), QRect(50, 50, 300, 200));
    EXPECT_EQ(capture_->SnapRectAt(QPoint(110, 110)), QRect(100, 100, 60, 40)) << "the child first";
    EXPECT_TRUE(capture_->SnapRectAt(QPoint(600, 400)).isEmpty());
    Drag(QPoint(110, 110), QPoint(118, 110));
    EXPECT_EQ(Saved().size(), QSize(120, 80)) << "the child window under the cursor, 60 × 40";
    Open();
    Drag(QPoint(200, 200), QPoint(209, 201));
    EXPECT_EQ(Saved().size(), QSize(18, 2)) << "a 9 × 1 drag";
    EXPECT_EQ(done_, 2);
}

TEST_F(ScreenCuttingTest, EscapeAndARightClickCancelWithoutAFile) {
    QTest::keyClick(Open(), Qt::Key_Escape);
    ProcessEventsUntil([this] { return !capture_->IsCapturing(); });
    QWidget* overlay = Open();
    QTest::mousePress(overlay, Qt::RightButton, {}, QPoint(500, 100));
    ProcessEventsUntil([this] { return !capture_->IsCapturing(); });
    EXPECT_EQ(done_, 0);
    EXPECT_EQ(shown_, 2) << "the window comes back each time";
    EXPECT_TRUE(capture_->CurrentCaptureFile().empty());
    EXPECT_FALSE(FileExists(Path("tmp/taviOCR/screencut/screen_cutting.jpg")));
}

TEST(ScreenCutting, TheLabelFlipsInsideNearTheTopAndTheDimmingSubtracts50) {
    EXPECT_EQ(CScreenCutting::LabelRect(QRect(10, 100, 50, 50), 90), QRect(10, 68, 90, 32));
    EXPECT_EQ(CScreenCutting::LabelRect(QRect(10, 31, 50, 50), 90), QRect(10, 31, 90, 32));
    EXPECT_EQ(CScreenCutting::LabelRect(QRect(10, 32, 50, 50), 90), QRect(10, 0, 90, 32));
    QImage bright(2, 1, QImage::Format_RGB32);
    bright.setPixel(0, 0, qRgb(200, 40, 60));
    bright.setPixel(1, 0, qRgb(50, 51, 255));
    const QImage dimmed = DimmedSnapshot(bright);
    EXPECT_EQ(dimmed.pixel(0, 0), qRgb(150, 0, 10));
    EXPECT_EQ(dimmed.pixel(1, 0), qRgb(0, 1, 205));
}

// At 125 % a physical pixel is 0.8 of a logical one: a region keeps its
// physical edges exactly, one pixel neither larger nor up-left.
TEST(ScreenCutting, FractionalScalesKeepEveryPhysicalEdge) {
    const MonitorRecord monitor{QRect(1280, 0, 1536, 864), 1.25, "right", false};
    // Physical (101, 101) to (925, 219), as the pointer reports them.
    const QRectF dragged(QPointF(1280 + 101 / 1.25, 101 / 1.25),
                         QPointF(1280 + 925 / 1.25, 219 / 1.25));
    EXPECT_EQ(CScreenCutting::ToMonitorPixels(dragged, monitor), QRect(101, 101, 824, 118));
    EXPECT_EQ(CScreenCutting::ToMonitorPixels(QRectF(monitor.geometry), monitor),
              QRect(0, 0, 1920, 1080));
}
