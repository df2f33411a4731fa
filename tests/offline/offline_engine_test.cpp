// The bridge against an engine that does what each case needs (the real
// engine has its own tests): hand-over of the bitmap and the text, and every
// way an engine can fail.

#include "offline/offline_engine.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QImage>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/process_globals.h"
#include "platform/file_io.h"
#include "platform/private_clipboard.h"
#include "platform/processes.h"
#include "platform/text.h"
#include "support/child_process.h"
#include "support/temp_environment.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

class OfflineEngineTest : public TempEnvironment {
protected:
    void SetUp() override {
        TempEnvironment::SetUp();
        saved_ = Globals();
        Globals().ExeFolder = Path("app");
        Globals().AppFolder = Path("data");
        fs::create_directories(NarrowPath("app/recognition"));
        fs::create_directories(NarrowPath("data"));
        fs::copy_file(SCRIPTED_ENGINE, NarrowPath("app/recognition/TWYZY32.dll"));
        ::setenv("TAVIOCR_TEST_ENGINE_LOG", NarrowPath("engine.log").c_str(), 1);
        QImage image(40, 20, QImage::Format_RGB32);
        image.fill(Qt::white);
        ASSERT_TRUE(image.save(QString::fromStdString(NarrowPath("page.png"))));
    }
    void TearDown() override {
        ::unsetenv("TAVIOCR_TEST_ENGINE");
        ::unsetenv("TAVIOCR_TEST_ENGINE_LOG");
        Globals() = saved_;
        TempEnvironment::TearDown();
    }
    void Behave(const std::string& mode) { ::setenv("TAVIOCR_TEST_ENGINE", mode.c_str(), 1); }
    // The bitmap paths the engine was started with, one per start.
    std::vector<std::string> Starts() {
        std::vector<std::string> starts;
        std::ifstream log(NarrowPath("engine.log"));
        for (std::string line; std::getline(log, line);) starts.push_back(line);
        return starts;
    }
    bool Recognize(std::wstring& text) { return OfflineEngine().Recognize(Path("page.png"), text); }

    ProcessGlobals saved_;
};

bool AnyEngineRunning() { return AnyProcessNamed("TWYZY32.dll"); }

// Whether a process that is not our child ends (or is left a zombie) within
// ten seconds; a killed one ends at once.
bool EndsSoon(pid_t pid) {
    for (int i = 0; i < 1000; ++i) {
        const auto stat = ReadWholeFile(Utf8ToWide("/proc/" + std::to_string(pid) + "/stat"), 4096);
        if (!stat || stat->find(") Z") != std::string::npos) return true;
        ::usleep(10000);
    }
    return false;
}

TEST_F(OfflineEngineTest, TextComesBackThroughThePrivateFormat) {
    OfflineEngine engine;
    EXPECT_EQ(engine.EnginePath(), Path("app") + L"/recognition/TWYZY32.dll");
    EXPECT_TRUE(engine.IsAvailable());
    Behave("text:Hello 世界");
    std::wstring text;
    ASSERT_TRUE(engine.Recognize(Path("page.png"), text));
    EXPECT_EQ(text, L"Hello 世界");
    EXPECT_EQ(Starts(), std::vector<std::string>{NarrowPath("data/tmp.bmp")});
    EXPECT_FALSE(fs::exists(NarrowPath("data/tmp.bmp"))) << "the bitmap goes with its attempt";
    // The block is taken: nothing is left for the next attempt.
    PrivateClipboard clipboard;
    EXPECT_FALSE(clipboard.GetData(RegisterClipboardFormat(L"THOCR_FMT")));

    fs::remove(NarrowPath("app/recognition/TWYZY32.dll"));
    EXPECT_FALSE(OfflineEngine().IsAvailable());
}

TEST_F(OfflineEngineTest, FailedEnginesLeaveTheTextUntouched) {
    for (const char* mode : {"fail", "crash", "zero", "text:"}) {
        Behave(mode);
        std::wstring text = L"keep";
        EXPECT_FALSE(Recognize(text)) << mode;
        EXPECT_EQ(text, L"keep") << mode;
    }
    EXPECT_EQ(Starts().size(), 4u);
    EXPECT_FALSE(AnyEngineRunning());
}

TEST_F(OfflineEngineTest, NothingStartsWithoutABitmapOrARunnableEngine) {
    Behave("text:never");
    std::wstring text;
    WriteBytes(Path("page.png"), "not a picture");
    EXPECT_FALSE(Recognize(text));
    EXPECT_TRUE(Starts().empty());

    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::black);
    ASSERT_TRUE(image.save(QString::fromStdString(NarrowPath("page.png"))));
    fs::create_directories(NarrowPath("data/tmp.bmp/locked"));
    EXPECT_FALSE(Recognize(text));
    EXPECT_TRUE(Starts().empty());
    fs::remove_all(NarrowPath("data/tmp.bmp"));

    // Present but not executable: it exists, yet cannot start.
    ::chmod(NarrowPath("app/recognition/TWYZY32.dll").c_str(), 0644);
    EXPECT_TRUE(OfflineEngine().IsAvailable());
    EXPECT_FALSE(Recognize(text));
    EXPECT_TRUE(Starts().empty());
    EXPECT_TRUE(text.empty());
}

TEST_F(OfflineEngineTest, TextLeftByAnEarlierEngineIsNotTakenForThisPicture) {
    {
        PrivateClipboard clipboard;
        ASSERT_TRUE(
            clipboard.SetData(RegisterClipboardFormat(L"THOCR_FMT"), std::string("stale\0", 6)));
    }
    Behave("fail");
    std::wstring text;
    EXPECT_FALSE(Recognize(text));
    EXPECT_TRUE(text.empty());
}

TEST_F(OfflineEngineTest, AClipboardHeldElsewhereMeansNoText) {
    Behave("text:unseen");
    PrivateClipboard heldByAnotherProgram;
    ASSERT_TRUE(heldByAnotherProgram.IsOpen());
    // The lock is per open description, so the bridge in this process and
    // the engine in its own both wait for it like any other program would.
    std::wstring text;
    EXPECT_FALSE(Recognize(text));
    EXPECT_EQ(Starts().size(), 1u);
}

TEST_F(OfflineEngineTest, AHangingEngineIsGivenUpAfterFiveSecondsAndEnded) {
    Behave("sleep");
    std::wstring text;
    const auto start = Clock::now();
    EXPECT_FALSE(OfflineEngine().Recognize(Path("page.png"), text));
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(4900));
    // Ended before the attempt returns: a late text could otherwise land in
    // the next attempt, which may be another client's.
    EXPECT_FALSE(AnyEngineRunning());
}

TEST_F(OfflineEngineTest, OnlyEnginesWhoseClientHasGoneAreEnded) {
    Behave("sleep");
    const std::string engine = NarrowPath("app/recognition/TWYZY32.dll");
    // Left over: its starter (a shell) has ended.
    FILE* shell = ::popen(
        ("TAVIOCR_ENGINE_STARTER=$$ '" + engine + "' old.bmp >/dev/null 2>&1 & echo $!").c_str(),
        "r");
    ASSERT_TRUE(shell);
    int orphan = 0;
    ASSERT_EQ(std::fscanf(shell, "%d", &orphan), 1);
    ::pclose(shell);
    // Another client's engine, whose client (this process) is alive.
    auto otherClients = ChildProcess::Start(
        {engine, "other.bmp"}, {"TAVIOCR_ENGINE_STARTER=" + std::to_string(::getpid())});
    // A program of the same name from another folder, no engine of ours.
    fs::create_directories(NarrowPath("elsewhere"));
    fs::copy_file("/bin/sleep", NarrowPath("elsewhere/TWYZY32.dll"));
    auto stranger = ChildProcess::Start({NarrowPath("elsewhere/TWYZY32.dll"), "60"});
    ASSERT_TRUE(otherClients && stranger);

    Behave("text:fresh");
    std::wstring text;
    EXPECT_TRUE(Recognize(text));
    EXPECT_EQ(text, L"fresh");
    EXPECT_TRUE(EndsSoon(orphan)) << "the orphaned engine still runs";
    EXPECT_EQ(otherClients->ExitCode(), ChildProcess::kStillActive);
    EXPECT_EQ(stranger->ExitCode(), ChildProcess::kStillActive);
    otherClients->Kill();
    stranger->Kill();
}
