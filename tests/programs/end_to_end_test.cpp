// A user's whole path through the real program on the X server: pick two
// pictures in the file dialog, start recognition, decline merging, and find
// the two result files.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <QImage>
#include <algorithm>
#include <cctype>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <thread>

#include "key_holder.h"
#include "program_fixture.h"
#include "support/private_bus.h"

class EndToEndTest : public ProgramTest {};

TEST_F(EndToEndTest, TwoPicturesPickedInTheDialogBecomeTwoUtf16ResultFiles) {
    program_process_ = ChildProcess::Start({program_ + "/taviocr"});
    ASSERT_TRUE(program_process_);
    ASSERT_TRUE(ClickWhenShown("TaviOCRWindowClass", "Pic-OCR"));
    ASSERT_TRUE(ClickWhenShown("TaviOCRWindowClass", "buttonAddPic"));
    // Qt's own file dialog: the name field has the focus; type both paths.
    Shell("xdotool search --sync --onlyvisible --name '^Open' windowfocus --sync");
    Shell("xdotool type --delay 5 '\"" + root_ + "/first.png\" \"" + root_ + "/second.png\"'");
    Shell("xdotool key Return");
    ASSERT_TRUE(ClickWhenShown("TaviOCRWindowClass", "buttonOCR"));
    ASSERT_TRUE(ClickWhenShown("TaviOCRDialogClass", "optNotMerge")) << "the merge question";
    ASSERT_TRUE(ClickWhenShown("TaviOCRDialogClass", "btnClose"));

    const fs::path folder = root_ + "/results/TaviOCR";
    Eventually([&] {
        return fs::exists(folder / "first.png.txt") && fs::exists(folder / "second.png.txt");
    });
    for (const char* name : {"first.png.txt", "second.png.txt"}) {
        std::ifstream file(folder / name, std::ios::binary);
        std::stringstream bytes;
        bytes << file.rdbuf();
        const std::string content = bytes.str();
        ASSERT_GE(content.size(), 2u) << name;
        EXPECT_EQ(content.substr(0, 2), "\xFF\xFE");
        EXPECT_EQ(DecodeUtf16Le(content.substr(2)), L"Hello TaviOCR\r\n第二行 text\r\n");
    }
    EXPECT_EQ(cloud_.CountRequests(kGeneral), 2);
    EXPECT_TRUE(WaitFor("TaviOCRWindowClass", "listFiles")) << "the result list shows";
}

TEST_F(EndToEndTest, PicturesDraggedFromAFileManagerAreTaken) {
    program_process_ = ChildProcess::Start({program_ + "/taviocr"});
    ASSERT_TRUE(program_process_);
    const auto home = WaitFor("TaviOCRWindowClass", "Pic-OCR");
    ASSERT_TRUE(home);
    const auto drop = [&](const std::vector<std::string>& files) { return DropOn(*home, files); };
    // A file that is no picture is refused; pictures switch to the add page.
    std::ofstream(root_ + "/notes.txt") << "not a picture";
    EXPECT_EQ(drop({"notes.txt"}), 0) << "the window took the drag, and shook";
    EXPECT_FALSE(Find("TaviOCRWindowClass", "buttonOCR"));
    EXPECT_EQ(drop({"first.png", "second.png"}), 0);
    ASSERT_TRUE(ClickWhenShown("TaviOCRWindowClass", "buttonOCR")) << "the pictures were added";
    ASSERT_TRUE(ClickWhenShown("TaviOCRDialogClass", "optNotMerge"));
    ASSERT_TRUE(ClickWhenShown("TaviOCRDialogClass", "btnClose"));
    const fs::path folder = root_ + "/results/TaviOCR";
    Eventually([&] { return fs::exists(folder / "second.png.txt"); });
    EXPECT_TRUE(fs::exists(folder / "first.png.txt"));
    EXPECT_TRUE(fs::exists(folder / "second.png.txt"));
}

TEST_F(EndToEndTest, AModalDialogStaysAboveItsWindowUnderAWindowManager) {
    auto manager = StartWindowManager();
    ASSERT_TRUE(manager);
    program_process_ = ChildProcess::Start({program_ + "/taviocr"});
    ASSERT_TRUE(program_process_);
    const auto home = WaitFor("TaviOCRWindowClass", "Pic-OCR");
    ASSERT_TRUE(home);
    ASSERT_EQ(DropOn(*home, {"first.png", "second.png"}), 0);
    ASSERT_TRUE(ClickWhenShown("TaviOCRWindowClass", "buttonOCR"));
    const auto question = WaitFor("TaviOCRDialogClass", "optNotMerge");
    ASSERT_TRUE(question) << "the merge question";

    // The dialog names the main window as the one it belongs to.
    unsigned long dialog = 0, owner = 0;
    for (unsigned long id : NumbersIn(Output("xdotool search --onlyvisible --class taviocr"))) {
        const auto transient = NumbersIn(
            Output("xprop -id " + std::to_string(id) + " WM_TRANSIENT_FOR | cut -d'#' -f2"));
        if (!transient.empty()) dialog = id, owner = transient.front();
    }
    ASSERT_NE(dialog, 0u) << "no window is transient for another";
    // A click on the window behind leaves the dialog on top.
    std::string geometry = Output("xdotool getwindowgeometry --shell " + std::to_string(owner));
    std::replace(geometry.begin(), geometry.end(), '=', ' ');
    std::istringstream fields(geometry);
    std::map<std::string, int> shell;
    for (std::string name; fields >> name;) fields >> shell[name];
    ASSERT_GT(shell["WIDTH"], 0);
    Shell("xdotool mousemove " + std::to_string(shell["X"] + 15) + " " +
          std::to_string(shell["Y"] + 15) + " click 1");
    // The window manager takes its requests in order: once it has moved the
    // window by a pixel, it has also dealt with the click.
    Shell("xdotool windowmove --sync " + std::to_string(owner) + " " +
          std::to_string(shell["X"] + 1) + " " + std::to_string(shell["Y"]));
    const auto stacking =
        NumbersIn(Output("xprop -root _NET_CLIENT_LIST_STACKING | cut -d'#' -f2"));
    const auto position = [&](unsigned long id) {
        return std::find(stacking.begin(), stacking.end(), id) - stacking.begin();
    };
    EXPECT_GT(position(dialog), position(owner)) << "the dialog is above its window";
    ASSERT_TRUE(ClickWhenShown("TaviOCRDialogClass", "optNotMerge"));
    ASSERT_TRUE(ClickWhenShown("TaviOCRDialogClass", "btnClose"));
    program_process_->Kill();
    manager->Kill();
}

// A start at log-in may come before the panel: the window waits minimised in
// the task bar, and once a tray appears the icon is in it and brings the
// window back with a click.
TEST_F(EndToEndTest, ALogInStartBeforeTheTrayWaitsMinimisedAndTheTrayGetsTheIconLater) {
    auto manager = StartWindowManager();
    ASSERT_TRUE(manager);
    program_process_ = ChildProcess::Start({program_ + "/taviocr", "/autorun"});
    ASSERT_TRUE(program_process_);
    unsigned long window = 0;
    const auto state = [&] {
        return Output("xprop -id " + std::to_string(window) + " _NET_WM_STATE");
    };
    ASSERT_TRUE(Eventually([&] {
        for (const auto& [id, name] : ProgramWindows())
            if (name == "TaviOCR\n") window = id;
        return window != 0 && state().find("_NET_WM_STATE_HIDDEN") != std::string::npos;
    })) << "minimised, not hidden where nothing could bring it back";

    auto tray = ChildProcess::Start({"trayer", "--edge", "bottom", "--align", "right",
                                     "--widthtype", "request", "--height", "24"});
    ASSERT_TRUE(tray) << "trayer is part of the test set-up";
    std::map<std::string, int> icon;
    ASSERT_TRUE(Eventually([&] {
        for (const auto& [id, name] : ProgramWindows()) {
            std::string shell = Output("xdotool getwindowgeometry --shell " + std::to_string(id));
            std::replace(shell.begin(), shell.end(), '=', ' ');
            std::istringstream fields(shell);
            std::map<std::string, int> geometry;
            for (std::string key; fields >> key;) fields >> geometry[key];
            // The docked icon: a small window of ours inside the tray.
            if (id != window && geometry["WIDTH"] > 0 && geometry["WIDTH"] <= 64 &&
                Output("xwininfo -id " + std::to_string(id)).find("Map State: IsViewable") !=
                    std::string::npos)
                icon = geometry;
        }
        return !icon.empty();
    })) << "the tray took the icon";
    Shell("xdotool mousemove " + std::to_string(icon["X"] + icon["WIDTH"] / 2) + " " +
          std::to_string(icon["Y"] + icon["HEIGHT"] / 2) + " click 1");
    EXPECT_TRUE(Eventually([&] {
        return state().find("_NET_WM_STATE_HIDDEN") == std::string::npos &&
               Output("xwininfo -id " + std::to_string(window)).find("IsViewable") !=
                   std::string::npos;
    })) << "a click on the icon shows the window";
    tray->Kill();
    manager->Kill();
}

// ... and the text copied from it stays on the clipboard after the program
// ends: it is handed to the desktop's clipboard manager.
TEST_F(EndToEndTest, F4CutsARegionOutOfTheScreenAndRecognisesIt) {
    FILE* manager = ::popen(CLIPBOARD_MANAGER, "r");
    ASSERT_NE(manager, nullptr);
    char ready[16] = {};
    ASSERT_TRUE(std::fgets(ready, sizeof ready, manager)) << "the manager owns its selection";
    program_process_ = ChildProcess::Start({program_ + "/taviocr"});
    ASSERT_TRUE(program_process_);
    // The key is taken before the window first paints, so once it is on the
    // screen the key works, wherever the focus is.
    ASSERT_TRUE(WaitFor("TaviOCRWindowClass", "Pic-OCR"));
    ASSERT_EQ(Shell("xdotool key F4"), 0);
    ASSERT_TRUE(WaitForOverlay()) << "the window steps aside, the overlay opens";
    ASSERT_EQ(Shell("xdotool mousemove 200 200 mousedown 1 mousemove 300 250 mousemove 400 300 "
                    "mouseup 1"),
              0);
    const QImage region = SentRegion();
    EXPECT_EQ(region.size(), QSize(200, 100)) << "the dragged region, as a JPEG";
    EXPECT_TRUE(WaitFor("TaviOCRWindowClass", "ocrText")) << "its text shows";

    ASSERT_TRUE(ClickWhenShown("TaviOCRWindowClass", "CopyText"));
    ASSERT_TRUE(ClickWhenShown("TaviOCRDialogClass", "btnClose")) << "the copy notice";
    ::kill(program_process_->Pid(), SIGTERM);  // as at log-out
    ASSERT_TRUE(program_process_->WaitFor(60s));
    EXPECT_EQ(Output("xclip -o -selection clipboard"), "Hello TaviOCR\n第二行 text\n");
    Shell("pkill -f '^" CLIPBOARD_MANAGER "$'");
    ::pclose(manager);
}

// F4 held by another program: the user is told once, and the key works as
// soon as the other program lets it go.
TEST_F(EndToEndTest, ACaptureKeyHeldElsewhereIsSaidAndTakenOnceFree) {
    auto other = std::make_unique<KeyHolder>();
    ASSERT_TRUE(other->Holding());
    program_process_ = ChildProcess::Start({program_ + "/taviocr"});
    ASSERT_TRUE(program_process_);
    ASSERT_TRUE(WaitFor("TaviOCRDialogClass", "btnClose")) << "the notice";
    EXPECT_NE(ReadBytes(Path("data/TaviOCR/run.log")).find("taken by another program"),
              std::string::npos);
    other.reset();
    ASSERT_TRUE(ClickWhenShown("TaviOCRDialogClass", "btnClose"));
    ASSERT_TRUE(Eventually([&] {
        Shell("xdotool key F4");
        return Shell("xdotool search --onlyvisible --name '^ScreenCuttingWnd$'") == 0;
    })) << "F4 works once it is free";
}

// On a Wayland session (the program reaching the screen through XWayland)
// and where the null desktop is forced, a capture is not attempted: the user
// is told instead of given a black picture.
TEST_F(EndToEndTest, WithoutAnX11SessionACaptureIsExplainedNotAttempted) {
    for (const char* session : {"XDG_SESSION_TYPE=wayland", "TAVIOCR_DESKTOP=none"}) {
        SCOPED_TRACE(session);
        for (const char* window : {"/map.TaviOCRWindowClass", "/map.TaviOCRDialogClass"})
            fs::remove(root_ + window);
        program_process_ = ChildProcess::Start({program_ + "/taviocr"}, {session});
        ASSERT_TRUE(program_process_);
        ASSERT_TRUE(ClickWhenShown("TaviOCRWindowClass", "Screenshot-OCR"));
        bool overlay = false;
        ASSERT_TRUE(Eventually([&] {
            overlay = Shell("xdotool search --onlyvisible --name '^ScreenCuttingWnd$'") == 0;
            return overlay || Find("TaviOCRDialogClass", "context");
        }));
        EXPECT_FALSE(overlay);
        program_process_->Kill();
    }
}

TEST_F(EndToEndTest, AClickDuringACaptureTakesTheWindowUnderIt) {
    auto other = ChildProcess::Start({"xmessage", "-geometry", "+500+400", "A window to snap to"});
    ASSERT_TRUE(other);
    std::string geometry;
    Eventually([&] {
        geometry =
            Output("xdotool search --onlyvisible --name 'xmessage' getwindowgeometry --shell");
        return !geometry.empty();
    });
    std::replace(geometry.begin(), geometry.end(), '=', ' ');
    std::istringstream fields(geometry);
    std::map<std::string, int> window;
    for (std::string name; fields >> name;) fields >> window[name];
    ASSERT_GT(window["WIDTH"], 0) << "xmessage is part of the test set-up";

    program_process_ = ChildProcess::Start({program_ + "/taviocr"});
    ASSERT_TRUE(program_process_);
    ASSERT_TRUE(WaitFor("TaviOCRWindowClass", "Pic-OCR"));
    ASSERT_EQ(Shell("xdotool key F4"), 0);
    ASSERT_TRUE(WaitForOverlay());
    const int x = window["X"] + window["WIDTH"] / 2, y = window["Y"] + window["HEIGHT"] / 2;
    ASSERT_EQ(
        Shell("xdotool mousemove " + std::to_string(x) + " " + std::to_string(y) + " click 1"), 0);
    const QImage region = SentRegion();
    EXPECT_EQ(region.size(), QSize(window["WIDTH"], window["HEIGHT"])) << "exactly the window";
    other->Kill();
}

// By the first start, and by a later one, which hands them to the program
// that runs instead of dropping them.
TEST_F(EndToEndTest, PicturesOpenedWithTheProgramAreAdded) {
    program_process_ =
        ChildProcess::Start({program_ + "/taviocr", root_ + "/first.png", root_ + "/second.png"});
    ASSERT_TRUE(program_process_);
    EXPECT_TRUE(WaitFor("TaviOCRWindowClass", "buttonOCR")) << "the add page with both pictures";
    program_process_->Kill();
    fs::remove(root_ + "/map.TaviOCRWindowClass");
    program_process_ = ChildProcess::Start({program_ + "/taviocr"});
    ASSERT_TRUE(WaitFor("TaviOCRWindowClass", "Pic-OCR"));
    auto later = ChildProcess::Start({program_ + "/taviocr", root_ + "/first.png"});
    ASSERT_TRUE(later && later->WaitFor(60s));
    EXPECT_EQ(later->ExitCode(), 0);
    EXPECT_TRUE(WaitFor("TaviOCRWindowClass", "buttonOCR")) << "the running program took it";
}

// "taviocr --capture", what a desktop's own shortcut runs: a capture in the
// running program, or in one it starts.
TEST_F(EndToEndTest, TheCaptureCommandCapturesInTheRunningProgramOrStartsOne) {
    for (const bool running : {true, false}) {
        SCOPED_TRACE(running);
        if (running) {
            program_process_ = ChildProcess::Start({program_ + "/taviocr"});
            ASSERT_TRUE(WaitFor("TaviOCRWindowClass", "Pic-OCR"));
            auto command = ChildProcess::Start({program_ + "/taviocr", "--capture"});
            ASSERT_TRUE(command && command->WaitFor(60s));
            EXPECT_EQ(command->ExitCode(), 0) << "handed over, then ended";
        } else {
            program_process_ = ChildProcess::Start({program_ + "/taviocr", "--capture"});
        }
        ASSERT_TRUE(WaitForOverlay());
        Shell("xdotool key Escape");
        EXPECT_TRUE(Eventually(
            [] { return Shell("xdotool search --onlyvisible --name '^ScreenCuttingWnd$'") != 0; }));
        program_process_->Kill();
    }
}

// taviocr-cli --screen: what is on the screen, without any window, in the
// screen's own pixels; a black grab is reported, never sent.
TEST_F(EndToEndTest, TheCommandLineRecognisesARegionOfTheScreen) {
    QImage screen(1280, 1024, QImage::Format_RGB32);
    for (int y = 0; y < screen.height(); ++y)
        for (int x = 0; x < screen.width(); ++x)
            screen.setPixel(x, y, qRgb(x % 256, y % 256, (x * y) % 251));
    ASSERT_TRUE(screen.save(QString::fromStdString(root_ + "/screen.png")));
    Shell("display -window root '" + root_ + "/screen.png'");  // (ends with status 1)
    const std::string cli = program_ + "/taviocr-cli";
    const std::string out = Output(cli + " --screen --region 100,50,240,80 --engine cloud");
    EXPECT_NE(out.find("Hello TaviOCR"), std::string::npos) << out;
    ASSERT_EQ(cloud_.CountRequests(kGeneral), 1);
    const QImage sent = QImage::fromData(QByteArray::fromBase64(QByteArray::fromStdString(
                                             cloud_.Requests().back().form.at("image"))))
                            .convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(sent, screen.copy(100, 50, 240, 80)) << "the very pixels, nothing lost";

    QImage black(1280, 1024, QImage::Format_RGB32);
    black.fill(Qt::black);
    ASSERT_TRUE(black.save(QString::fromStdString(root_ + "/black.png")));
    Shell("display -window root '" + root_ + "/black.png'");
    EXPECT_NE(Shell(cli + " --screen --engine cloud"), 0);
    EXPECT_EQ(cloud_.CountRequests(kGeneral), 1) << "nothing sent";
}

// Under Wayland the screen comes only through the desktop portal (here a
// stand-in on a private session bus showing a known picture, while the X
// screen behind shows black): the command line and a capture in the window
// both take the portal's pixels, and the capture key is the portal's.
TEST_F(EndToEndTest, UnderWaylandTheScreenComesThroughThePortal) {
    PrivateSessionBus bus;
    ASSERT_FALSE(bus.Address().empty()) << "dbus-daemon is part of the test set-up";
    QImage screen(1280, 1024, QImage::Format_RGB32);
    for (int y = 0; y < screen.height(); ++y)
        for (int x = 0; x < screen.width(); ++x)
            screen.setPixel(x, y, qRgb((x / 3) % 256, (y / 2) % 256, 128));
    ASSERT_TRUE(screen.save(QString::fromStdString(root_ + "/portal.png")));
    QImage black(1280, 1024, QImage::Format_RGB32);
    black.fill(Qt::black);
    ASSERT_TRUE(black.save(QString::fromStdString(root_ + "/black.png")));
    Shell("display -window root '" + root_ + "/black.png'");  // (ends with status 1)
    auto portal = ChildProcess::Start({PORTAL_STANDIN, "good", root_ + "/portal.png"});
    ASSERT_TRUE(portal);
    ASSERT_TRUE(Eventually([] {
        return Output(
                   "dbus-send --session --print-reply --dest=org.freedesktop.DBus "
                   "/org/freedesktop/DBus org.freedesktop.DBus.NameHasOwner "
                   "string:org.freedesktop.portal.Desktop")
                   .find("true") != std::string::npos;
    }));

    const std::string out = Output("XDG_SESSION_TYPE=wayland " + program_ +
                                   "/taviocr-cli --screen --region 100,50,240,80 --engine cloud");
    EXPECT_NE(out.find("Hello TaviOCR"), std::string::npos) << out;
    ASSERT_EQ(cloud_.CountRequests(kGeneral), 1);
    const QImage sent = QImage::fromData(QByteArray::fromBase64(QByteArray::fromStdString(
                                             cloud_.Requests().back().form.at("image"))))
                            .convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(sent, screen.copy(100, 50, 240, 80)) << "the portal's very pixels";

    program_process_ = ChildProcess::Start({program_ + "/taviocr"}, {"XDG_SESSION_TYPE=wayland"});
    ASSERT_TRUE(program_process_);
    ASSERT_TRUE(ClickWhenShown("TaviOCRWindowClass", "Screenshot-OCR"));
    ASSERT_TRUE(WaitForOverlay());
    Shell("xdotool mousemove 200 200 mousedown 1 mousemove 300 250 mousemove 400 300 mouseup 1");
    ASSERT_TRUE(Eventually([&] { return cloud_.CountRequests(kGeneral) == 2; }));
    const QImage region = QImage::fromData(QByteArray::fromBase64(QByteArray::fromStdString(
                                               cloud_.Requests().back().form.at("image"))),
                                           "JPEG")
                              .convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(region.size(), QSize(200, 100));
    const QColor corner = region.pixelColor(6, 6);  // screen (206, 206)
    EXPECT_NEAR(corner.red(), (206 / 3) % 256, 6);
    EXPECT_NEAR(corner.green(), (206 / 2) % 256, 6);

    // The capture key, bound through the portal's global shortcuts: the
    // desktop's press starts a capture.
    ASSERT_TRUE(WaitFor("TaviOCRWindowClass", "ocrText"));
    ASSERT_TRUE(Eventually([&] {
        Shell(
            "dbus-send --session --type=method_call --dest=org.freedesktop.portal.Desktop "
            "/org/freedesktop/portal/desktop org.freedesktop.portal.GlobalShortcuts.PressForTest");
        return Shell("xdotool search --onlyvisible --name '^ScreenCuttingWnd$'") == 0;
    })) << "the shortcut opens the overlay";
    portal->Kill();
}