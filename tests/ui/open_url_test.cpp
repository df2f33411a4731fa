// Handing addresses and files to the desktop, with stand-ins for the desktop's
// programs that record how they were called.
#include "ui/open_url.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/text.h"
#include "support/temp_environment.h"

namespace {
using namespace std::chrono_literals;
}

class OpenUrlTest : public TempEnvironment {
protected:
    void SetUp() override {
        TempEnvironment::SetUp();
        bin_ = NarrowPath("bin");
        std::filesystem::create_directories(bin_);
        savedPath_ = std::getenv("PATH") ? std::getenv("PATH") : "";
        ::setenv("PATH", (bin_ + ":" + savedPath_).c_str(), 1);
    }
    void TearDown() override {
        ::setenv("PATH", savedPath_.c_str(), 1);
        TempEnvironment::TearDown();
    }
    // A stand-in program that appends its name and arguments to calls.log and exits with code.
    void FakeProgram(const std::string& name, int code) {
        const std::string path = bin_ + "/" + name;
        std::ofstream(path) << "#!/bin/sh\necho \"" << name << " $*\" >> \""
                            << NarrowPath("calls.log") << "\"\nexit " << code << "\n";
        ::chmod(path.c_str(), 0755);
    }
    std::string Calls(std::size_t lines) {
        std::string log;
        const auto deadline = std::chrono::steady_clock::now() + 8s;
        while (std::chrono::steady_clock::now() < deadline) {
            std::ifstream in(NarrowPath("calls.log"));
            std::stringstream text;
            text << in.rdbuf();
            log = text.str();
            if (static_cast<std::size_t>(std::count(log.begin(), log.end(), '\n')) >= lines) break;
            std::this_thread::sleep_for(20ms);
        }
        return log;
    }
    std::string bin_, savedPath_;
};

TEST_F(OpenUrlTest, AnAddressGoesToTheDesktopsOpenerAndToABrowserWhenItRefuses) {
    FakeProgram("xdg-open", 0);
    FakeProgram("x-www-browser", 0);
    EXPECT_TRUE(OpenUrl(L"https://www.taviocr.com/help?a=1", nullptr));
    EXPECT_EQ(Calls(1), "xdg-open https://www.taviocr.com/help?a=1\n");

    std::filesystem::remove(NarrowPath("calls.log"));
    FakeProgram("xdg-open", 3);
    EXPECT_TRUE(OpenUrl(L"https://example.org/", nullptr));
    EXPECT_EQ(Calls(2), "xdg-open https://example.org/\nx-www-browser https://example.org/\n");
    EXPECT_FALSE(OpenUrl(L"", nullptr));
}

TEST_F(OpenUrlTest, AFileIsShownInTheFileManagerOrItsFolderIsOpened) {
    FakeProgram("dbus-send", 0);
    FakeProgram("xdg-open", 0);
    RevealInFileManager(L"/home/me/Results/taviOCR/a b.png.txt");
    const std::string shown = Calls(1);
    EXPECT_NE(shown.find("org.freedesktop.FileManager1.ShowItems "
                         "array:string:file:///home/me/Results/taviOCR/a%20b.png.txt"),
              std::string::npos)
        << shown;

    std::filesystem::remove(NarrowPath("calls.log"));
    FakeProgram("dbus-send", 1);  // no file manager answers
    RevealInFileManager(L"/home/me/Results/taviOCR/a.txt");
    const std::string fallback = Calls(2);
    EXPECT_NE(fallback.find("xdg-open /home/me/Results/taviOCR\n"), std::string::npos) << fallback;
}
