#include "platform/private_clipboard.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QClipboard>
#include <QGuiApplication>
#include <chrono>

#include "support/child_process.h"
#include "support/temp_environment.h"

using PrivateClipboardTest = TempEnvironment;
using Clock = std::chrono::steady_clock;

TEST_F(PrivateClipboardTest, FormatIdsAreSharedByEveryProcessAndIgnoreCase) {
    const unsigned id = RegisterClipboardFormat(L"THOCR_FMT");
    EXPECT_GE(id, 0xC000u);
    EXPECT_EQ(RegisterClipboardFormat(L"thocr_fmt"), id);
    const ChildResult child = RunInChild([&] {
        return RegisterClipboardFormat(L"Thocr_Fmt") == id &&
                       RegisterClipboardFormat(L"Other") != id
                   ? 0
                   : 1;
    });
    EXPECT_EQ(child.exitCode, 0);
    EXPECT_NE(RegisterClipboardFormat(L"Other"), 0u);
    EXPECT_EQ(RegisterClipboardFormat(L""), 0u);
    EXPECT_EQ(RegisterClipboardFormat(L"two\nlines"), 0u);
}

TEST_F(PrivateClipboardTest, ABlockOutlivesItsWriterUntilEmptied) {
    const unsigned id = RegisterClipboardFormat(L"THOCR_FMT");
    const unsigned other = RegisterClipboardFormat(L"OTHER_FMT");
    const std::string block("text\0", 5);
    ASSERT_EQ(RunInChild([&] {
                  PrivateClipboard clipboard;
                  return clipboard.SetData(id, block) && clipboard.SetData(other, "x") ? 0 : 1;
              }).exitCode,
              0);
    {
        PrivateClipboard clipboard;
        ASSERT_TRUE(clipboard.IsOpen());
        EXPECT_EQ(clipboard.GetData(id), block);
        EXPECT_TRUE(clipboard.Empty());
        EXPECT_FALSE(clipboard.GetData(id));
        EXPECT_FALSE(clipboard.GetData(other));
        EXPECT_FALSE(clipboard.SetData(1, "predefined formats are not ours"));
    }
    // Registrations survive emptying.
    EXPECT_EQ(RegisterClipboardFormat(L"OTHER_FMT"), other);
}

// The holder keeps the clipboard until it is told to let go, so an opening
// that waited for it (instead of giving up) would never return.
TEST_F(PrivateClipboardTest, OpeningGivesUpWhileAnotherProcessHoldsIt) {
    int ready[2], release[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(release), 0);
    const pid_t holder = ::fork();
    if (holder == 0) {
        PrivateClipboard clipboard;
        const char ok = clipboard.IsOpen() ? '1' : '0';
        (void)!::write(ready[1], &ok, 1);
        char go = 0;
        (void)!::read(release[0], &go, 1);
        ::_exit(0);
    }
    char ok = 0;
    ASSERT_EQ(::read(ready[0], &ok, 1), 1);
    ASSERT_EQ(ok, '1');
    const auto start = Clock::now();
    {
        PrivateClipboard clipboard;
        EXPECT_FALSE(clipboard.IsOpen());
        EXPECT_FALSE(clipboard.GetData(RegisterClipboardFormat(L"THOCR_FMT")));
    }
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(400)) << "it did wait a while";
    (void)!::write(release[1], "x", 1);
    int status = 0;
    ::waitpid(holder, &status, 0);
    for (int fd : {ready[0], ready[1], release[0], release[1]}) ::close(fd);
    // The holder is gone: the lock went with it.
    EXPECT_TRUE(PrivateClipboard().IsOpen());
}

TEST_F(PrivateClipboardTest, EmptyingNeverTouchesTheUsersTextClipboard) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X server";
    int argc = 1;
    char name[] = "private_clipboard_test";
    char* argv[] = {name, nullptr};
    QGuiApplication app(argc, argv);
    QGuiApplication::clipboard()->setText(QStringLiteral("the user's text"));
    {
        PrivateClipboard clipboard;
        ASSERT_TRUE(
            clipboard.SetData(RegisterClipboardFormat(L"THOCR_FMT"), std::string("x\0", 2)));
        EXPECT_TRUE(clipboard.Empty());
    }
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("the user's text"));
}
