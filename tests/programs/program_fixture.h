#pragma once

// The real window program on the test's X server, as a user drives it: a
// program folder of its own with the loopback cloud's keys, results in a
// folder of their own, and the X tools that click, type and look.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <QImage>
#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/processes.h"
#include "platform/text.h"
#include "support/fake_cloud.h"
#include "support/temp_environment.h"
#include "support/test_certificates.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// A control's rectangle within its window (the X window id).
struct Rect {
    unsigned long window = 0;
    int x = 0, y = 0, w = 0, h = 0;
};

inline int Shell(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str());
}

inline std::string Output(const std::string& command) {
    std::string out;
    if (FILE* pipe = ::popen((command + " 2>/dev/null").c_str(), "r")) {
        char buffer[4096];
        while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
        ::pclose(pipe);
    }
    return out;
}

inline std::vector<unsigned long> NumbersIn(const std::string& text) {
    std::vector<unsigned long> numbers;
    std::istringstream in(text);
    for (std::string word; in >> word;)
        if (word.rfind("0x", 0) == 0 || std::isdigit(static_cast<unsigned char>(word[0])))
            numbers.push_back(std::stoul(word, nullptr, 0));
    return numbers;
}

// Polls until the condition holds; false only when it never did in a minute,
// which no loaded machine explains.
inline bool Eventually(const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(50ms);
    }
    return true;
}

class ProgramTest : public TempEnvironment {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X server";
        TempEnvironment::SetUp();
        const fs::path built = TAVIOCR_OUT_DIR;
        program_ = root_ + "/program";
        fs::create_directories(program_);
        for (const char* item :
             {"taviocr", "taviocr-cli", "taviocr-lang", "taviocr-crashbox", "oem.ini"})
            fs::copy_file(built / item, fs::path(program_) / item);
        for (const char* folder : {"language", "skin"})
            fs::copy(built / folder, fs::path(program_) / folder, fs::copy_options::recursive);
        for (const auto& [key, value] :
             {std::pair{"AAK", FakeCloud::kApiKey}, std::pair{"ASK", FakeCloud::kSecretKey}})
            ASSERT_EQ(Shell(program_ + "/taviocr-lang set " + program_ + "/language/en.dat Text " +
                            key + " " + value),
                      0);
        std::ofstream(root_ + "/endpoints.ini")
            << "[Hosts]\nOcr=" << cloud_.BaseUrl() << "\nAccount=\nSocialPage=\nStats=\nUpdate=\n"
            << "[TLS]\nCABundle=" << Certificates().caFile << "\n";
        ::setenv("TAVIOCR_ENDPOINTS", (root_ + "/endpoints.ini").c_str(), 1);
        ::setenv("TAVIOCR_CONTROL_MAP", (root_ + "/map").c_str(), 1);
        fs::create_directories(root_ + "/results");
        // The results go to a folder of their own (UTF-16LE config with a BOM).
        const std::wstring config = L"\uFEFF[General]\r\nDesktopShortcutHintShown=1\r\nSavePath=" +
                                    Utf8ToWide(root_ + "/results") + L"\r\n";
        fs::create_directories(root_ + "/data/TaviOCR");
        std::ofstream(root_ + "/data/TaviOCR/config.ini", std::ios::binary)
            << EncodeUtf16Le(config);
        // A wallpaper: a screen all black counts as one the desktop hides.
        QImage wallpaper(64, 64, QImage::Format_RGB32);
        wallpaper.fill(QColor(40, 90, 160));
        wallpaper.save(QString::fromStdString(root_ + "/wallpaper.png"));
        Shell("display -window root '" + root_ + "/wallpaper.png'");  // (ends with status 1)
        for (const char* name : {"first.png", "second.png"}) {
            QImage image(200, 60, QImage::Format_RGB32);
            image.fill(Qt::white);
            image.save(QString::fromStdString(root_ + "/" + name), "PNG");
        }
    }
    void TearDown() override {
        ::unsetenv("TAVIOCR_ENDPOINTS");
        ::unsetenv("TAVIOCR_CONTROL_MAP");
        if (program_process_) program_process_->Kill();
        if (!root_.empty()) TempEnvironment::TearDown();
    }

    // Where a visible control of a window class is, from the map the program writes.
    std::optional<Rect> Find(const std::string& windowClass, const std::string& control) {
        std::ifstream map(root_ + "/map." + windowClass);
        std::string name;
        Rect rect;
        if (!(map >> name >> rect.window) || name != "window") return std::nullopt;
        while (map >> name >> rect.x >> rect.y >> rect.w >> rect.h)
            if (name == control) return rect;
        return std::nullopt;
    }
    // Puts the pointer on the middle of a control, wherever its window is now,
    // and says where that is on the screen.
    std::optional<std::pair<int, int>> PointAt(const Rect& rect) {
        if (Shell("xdotool mousemove --sync --window " + std::to_string(rect.window) + " " +
                  std::to_string(rect.x + rect.w / 2) + " " +
                  std::to_string(rect.y + rect.h / 2)) != 0)
            return std::nullopt;
        std::istringstream fields(Output("xdotool getmouselocation --shell"));
        std::map<std::string, int> values;
        for (std::string line; std::getline(fields, line);)
            if (const auto equals = line.find('='); equals != std::string::npos)
                values[line.substr(0, equals)] = std::atoi(line.c_str() + equals + 1);
        return std::pair{values["X"], values["Y"]};
    }
    std::optional<Rect> WaitFor(const std::string& windowClass, const std::string& control) {
        std::optional<Rect> rect;
        Eventually([&] { return (rect = Find(windowClass, control)).has_value(); });
        return rect;
    }
    // Waits until the capture overlay is on the screen.
    bool WaitForOverlay() {
        return Eventually(
            [] { return Shell("xdotool search --onlyvisible --name '^ScreenCuttingWnd$'") == 0; });
    }
    // The region a capture sent for recognition, once it was sent.
    QImage SentRegion() {
        if (!Eventually([&] { return cloud_.CountRequests(kGeneral) > 0; })) return {};
        EXPECT_EQ(cloud_.CountRequests(kGeneral), 1);
        return QImage::fromData(QByteArray::fromBase64(QByteArray::fromStdString(
                                    cloud_.Requests().back().form.at("image"))),
                                "JPEG");
    }
    // openbox, once it manages the display.
    std::optional<ChildProcess> StartWindowManager() {
        auto manager = ChildProcess::Start({"openbox", "--sm-disable"});
        EXPECT_TRUE(manager) << "openbox is part of the test set-up";
        const bool managed = Eventually([] {
            return !NumbersIn(Output("xprop -root _NET_SUPPORTING_WM_CHECK | cut -d'#' -f2"))
                        .empty();
        });
        EXPECT_TRUE(managed);
        return managed ? std::move(manager) : std::nullopt;
    }
    // The program's windows, with their names.
    std::vector<std::pair<unsigned long, std::string>> ProgramWindows() {
        std::vector<std::pair<unsigned long, std::string>> windows;
        for (unsigned long id : NumbersIn(Output("xdotool search --class taviocr")))
            windows.emplace_back(id, Output("xdotool getwindowname " + std::to_string(id)));
        return windows;
    }
    // The map lists no control while a page slides in: one it lists stays put.
    bool ClickWhenShown(const std::string& windowClass, const std::string& control) {
        const auto rect = WaitFor(windowClass, control);
        return rect && PointAt(*rect) && Shell("xdotool click 1") == 0;
    }
    // Drops files from a file manager on the window of a control.
    int DropOn(const Rect& rect, const std::vector<std::string>& files) {
        const auto point = PointAt(rect);
        if (!point) return -1;
        std::string command = std::string(XDND_DRAG_SOURCE) + " " + std::to_string(point->first) +
                              " " + std::to_string(point->second);
        for (const std::string& file : files) command += " 'file://" + root_ + "/" + file + "'";
        return WEXITSTATUS(std::system(command.c_str()));
    }

    static constexpr const char* kGeneral = "/rest/2.0/ocr/v1/general_basic";
    FakeCloud cloud_;
    std::string program_;
    std::optional<ChildProcess> program_process_;
};
