#include "app/crash_handler.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <cstdlib>

#include "app/crash_message.h"
#include "platform/text.h"
#include "support/child_process.h"
#include "support/temp_environment.h"

namespace {

// Volatile so that the compiler can neither see the address nor drop the access.
volatile std::uintptr_t g_unmappedAddress = 16;

int ReadUnmappedMemory() { return *reinterpret_cast<volatile int*>(g_unmappedAddress); }

// The box is really shown (offscreen, so no display is needed) and closes
// after a moment instead of waiting for a click.
void CloseTheBoxByItself() {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::setenv("TAVIOCR_CRASHBOX_TIMEOUT_MS", "50", 1);
}

}  // namespace

class CrashHandlerTest : public TempEnvironment {
protected:
    ChildResult Crash(int signo) {
        const std::wstring appFolder = Path("data");
        return RunInChild([&] {
            CloseTheBoxByItself();
            InstallCrashHandler(appFolder, Utf8ToWide(TAVIOCR_OUT_DIR));
            if (signo == SIGSEGV) return ReadUnmappedMemory();
            if (signo == SIGABRT) std::abort();
            ::raise(signo);
            return 0;
        });
    }
};

TEST_F(CrashHandlerTest, SegfaultWritesReportShowsBoxAndEndsWithTheSignal) {
    const ChildResult child = Crash(SIGSEGV);
    EXPECT_EQ(child.signal, SIGSEGV);
    EXPECT_NE(child.output.find("Abnormal program termination( code:b address:10 )"),
              std::string::npos)
        << child.output;
    const std::string report = ReadBytes(Path("data/Error.tmp"));
    EXPECT_NE(report.find("signal: 11 (SIGSEGV)"), std::string::npos) << report;
    EXPECT_NE(report.find("address: 0x10"), std::string::npos) << report;
    EXPECT_NE(report.find("backtrace:\n"), std::string::npos);
    // The backtrace names the crashing test binary.
    EXPECT_NE(report.find("app_tests"), std::string::npos) << report;
}

TEST_F(CrashHandlerTest, SecondCrashReplacesTheFirstReport) {
    Crash(SIGFPE);
    EXPECT_NE(ReadBytes(Path("data/Error.tmp")).find("(SIGFPE)"), std::string::npos);
    const ChildResult child = Crash(SIGABRT);
    EXPECT_EQ(child.signal, SIGABRT);
    const std::string report = ReadBytes(Path("data/Error.tmp"));
    EXPECT_NE(report.find("(SIGABRT)"), std::string::npos);
    EXPECT_EQ(report.find("(SIGFPE)"), std::string::npos);
}

TEST_F(CrashHandlerTest, MissingAppFolderStillShowsTheBox) {
    const ChildResult child = RunInChild([&] {
        CloseTheBoxByItself();
        InstallCrashHandler(Path("no/such/folder"), Utf8ToWide(TAVIOCR_OUT_DIR));
        ::raise(SIGBUS);
        return 0;
    });
    EXPECT_EQ(child.signal, SIGBUS);
    EXPECT_NE(child.output.find("( code:7 address:"), std::string::npos) << child.output;
}

TEST(CrashMessage, UsesTheLanguageTextOrTheDefault) {
    EXPECT_EQ(CrashBoxMessage(L"", L"b", L"7f3a"),
              L"Abnormal program termination( code:b address:7f3a )");
    EXPECT_EQ(CrashBoxMessage(L"程式異常終止", L"6", L"0"), L"程式異常終止( code:6 address:0 )");
}
