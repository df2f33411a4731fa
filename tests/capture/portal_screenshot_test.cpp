// The desktop portal's screenshots, against a stand-in portal on a private
// session bus: a good answer, a refusal, and silence.

#include "capture/portal_screenshot.h"

#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>

#include "platform/processes.h"
#include "support/private_bus.h"
#include "support/qt_application.h"
#include "support/temp_environment.h"

namespace {

// Files the portal left anywhere under the folder.
int PortalFilesUnder(const std::string& folder) {
    int count = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        if (entry.path().filename().string().starts_with("Screenshot-")) ++count;
    return count;
}

}  // namespace

class PortalScreenshotTest : public TempEnvironment {
protected:
    void SetUp() override {
        TempEnvironment::SetUp();
        Bus();  // before Qt could reach for the user's own session bus
        EnsureQtApplication();
    }
    // The stand-in in one mode, once it owns the portal's name.
    void StartPortal(const std::string& mode, const std::string& picture = {}) {
        portal_ = ChildProcess::Start({PORTAL_STANDIN, mode, picture});
        ASSERT_TRUE(portal_);
        ASSERT_TRUE(ProcessEventsUntil([] { return PortalScreenshotAvailable(); }));
    }
    void StopPortal() {
        portal_->Kill();
        ProcessEventsUntil([] { return !PortalScreenshotAvailable(); });
    }
    static PrivateSessionBus& Bus() {
        static PrivateSessionBus bus;  // one per process: Qt keeps its first session bus
        return bus;
    }
    std::optional<ChildProcess> portal_;
};

TEST_F(PortalScreenshotTest, TheAnswerIsThePictureRefusalAndSilenceAreSaid) {
    ASSERT_FALSE(Bus().Address().empty()) << "dbus-daemon is part of the test set-up";
    EXPECT_FALSE(PortalScreenshotAvailable()) << "no portal on the bus yet";

    QImage screen(320, 200, QImage::Format_RGB32);
    for (int y = 0; y < screen.height(); ++y)
        for (int x = 0; x < screen.width(); ++x) screen.setPixel(x, y, qRgb(x % 256, y, 77));
    ASSERT_TRUE(screen.save(QString::fromStdString(NarrowPath("screen.png"))));
    StartPortal("good", NarrowPath("screen.png"));
    const PortalShot shot = TakePortalScreenshot(std::chrono::seconds(30));
    EXPECT_TRUE(shot.failureKey.empty());
    EXPECT_EQ(shot.image.convertToFormat(QImage::Format_RGB32), screen);
    EXPECT_EQ(PortalFilesUnder(NarrowPath("tmp")), 0) << "the portal's file is removed";
    StopPortal();

    StartPortal("refuse");
    EXPECT_EQ(TakePortalScreenshot(std::chrono::seconds(30)).failureKey, L"PortalRefused");
    StopPortal();

    StartPortal("silent");
    const PortalShot silence = TakePortalScreenshot(std::chrono::milliseconds(300));
    EXPECT_TRUE(silence.image.isNull());
    EXPECT_EQ(silence.failureKey, L"PortalNoAnswer");
    StopPortal();
}
