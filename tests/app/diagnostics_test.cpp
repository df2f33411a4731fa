#include "app/diagnostics.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/text.h"
#include "support/child_process.h"
#include "support/temp_environment.h"

namespace {

std::tm MakeTime(int month, int day, int hour, int minute, int second) {
    std::tm t{};
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return t;
}

int CountLines(const std::string& text) {
    int lines = 0;
    for (size_t pos = 0; (pos = text.find("\r\n", pos)) != std::string::npos; pos += 2) ++lines;
    return lines;
}

}  // namespace

TEST(LogLine, PrefixHasNoZeroPadding) {
    EXPECT_EQ(BuildLogLine(MakeTime(7, 3, 9, 5, 3), L"SaveTextToFile fail,err=28"),
              "[7/3 9:5:3]-SaveTextToFile fail,err=28\r\n");
    EXPECT_EQ(BuildLogLine(MakeTime(12, 31, 23, 59, 59), L""), "[12/31 23:59:59]-\r\n");
}

TEST(LogLine, LongMessagesAreCutAtACharacterBoundaryWithinTheBuffer) {
    // Three-byte characters do not divide the room evenly.
    const std::string line = BuildLogLine(MakeTime(12, 31, 23, 59, 59), std::wstring(400, L'中'));
    EXPECT_LE(line.size(), 527u);
    EXPECT_TRUE(line.ends_with("\r\n"));
    const std::string body = line.substr(17, line.size() - 19);
    EXPECT_EQ(body.size() % 3, 0u);
    EXPECT_EQ(Utf8ToWide(body), std::wstring(body.size() / 3, L'中'));
    EXPECT_GT(body.size(), 500u);

    // The longest prefix leaves 508 bytes: the message loses three of its 511.
    const std::string full = BuildLogLine(MakeTime(12, 31, 23, 59, 59), std::wstring(2000, L'a'));
    EXPECT_EQ(full.size(), 527u);
    // A short prefix leaves room for all 511 characters.
    const std::string shortPrefix = BuildLogLine(MakeTime(1, 1, 1, 1, 1), std::wstring(2000, L'a'));
    EXPECT_EQ(shortPrefix.size(), 12u + 511u + 2u);
}

class LogFileTest : public TempEnvironment {};

TEST_F(LogFileTest, LinesGoToTheInitialPathUntilStartUpSetsOne) {
    // The initial path is read from TMPDIR on first use, in a fresh process.
    const std::wstring early = Path("tmp/ftlog.log");
    const ChildResult child = RunInChild([] {
        WriteLog(L"early %d", 1);
        return 0;
    });
    EXPECT_EQ(child.exitCode, 0);
    const std::string text = ReadBytes(early);
    EXPECT_TRUE(text.ends_with("]-early 1\r\n")) << text;
}

TEST_F(LogFileTest, EachCallAppendsOneLine) {
    SetLogPath(Path("data/run.log"));
    EXPECT_EQ(LogPath(), Path("data/run.log"));
    WriteLog(L"GetStringFromUrl except.");
    WriteLog(L"SaveTextToFile fail,err=%d", 28);
    WriteLog(L"[OnListButtonDiff] %s fail.", L"GetStringFromFile");
    WriteLog(L"mismatch %d", L"text");
    const std::string text = ReadBytes(Path("data/run.log"));
    EXPECT_EQ(CountLines(text), 4);
    EXPECT_NE(text.find("]-SaveTextToFile fail,err=28\r\n"), std::string::npos);
    EXPECT_NE(text.find("]-[OnListButtonDiff] GetStringFromFile fail.\r\n"), std::string::npos);
    EXPECT_NE(text.find("]-mismatch %d\r\n"), std::string::npos);
}

TEST_F(LogFileTest, PathIsKeptToItsBuffer) {
    SetLogPath(L"/" + std::wstring(300, L'p'));
    EXPECT_EQ(LogPath().size(), 259u);
}

TEST_F(LogFileTest, ConcurrentWritersLoseNoLine) {
    SetLogPath(Path("data/run.log"));
    ASSERT_TRUE(RunConcurrently(3, [](int writer) {
        for (int i = 0; i < 300; ++i)
            WriteLog(L"writer %d line %d %s", writer, i, std::wstring(80, L'x'));
        return 0;
    }));
    const std::string text = ReadBytes(Path("data/run.log"));
    EXPECT_EQ(CountLines(text), 900);
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        ASSERT_TRUE(line.starts_with("[")) << line;
        ASSERT_TRUE(line.ends_with("\r")) << line;
    }
}

TEST_F(LogFileTest, UnwritableLogIsSilent) {
    SetLogPath(Path("no/such/folder/run.log"));
    WriteLog(L"lost");
    SUCCEED();
}

TEST(TraceSystemError, SendsTheSystemText) {
    const ChildResult child = RunInChild([] {
        ::setenv("TAVIOCR_DEBUG", "1", 1);
        TraceSystemError(ENOSPC);
        errno = ENOENT;
        TraceSystemError(-1);
        return 0;
    });
    EXPECT_EQ(child.output, "No space left on device\nNo such file or directory\n");
}
