#include "toolkit/window_handle.h"

#include <gtest/gtest.h>

#include <QThread>
#include <atomic>
#include <thread>
#include <vector>

#include "support/qt_application.h"

namespace {

class Target : public MessageTarget {
public:
    LRESULT HandleWindowMessage(UINT message, WPARAM wParam, LPARAM) override {
        onUiThread = onUiThread && IsUiThread();
        received.push_back(message);
        return static_cast<LRESULT>(wParam * 2);
    }
    std::vector<UINT> received;
    bool onUiThread = true;
};

}  // namespace

class WindowHandleTest : public ::testing::Test {
protected:
    void SetUp() override { EnsureQtApplication(); }
};

TEST_F(WindowHandleTest, SendFromAWorkerRunsOnTheUiThreadAndWaitsForTheResult) {
    Target target;
    const HWND hwnd = RegisterWindowHandle(&target, L"SendTarget");
    std::atomic<LRESULT> result{0};
    std::atomic<bool> done{false};
    std::thread worker([&] {
        result = SendMessageW(hwnd, WM_USER + 6, 21, 0);
        done = true;
    });
    ASSERT_TRUE(ProcessEventsUntil([&] { return done.load(); }));
    worker.join();
    EXPECT_EQ(result, 42);
    EXPECT_TRUE(target.onUiThread);
    EXPECT_EQ(SendMessageW(hwnd, WM_USER, 5, 0), 10) << "a send on the UI thread is a direct call";
    UnregisterWindowHandle(hwnd);
}

TEST_F(WindowHandleTest, PostsArriveLaterAndInOrder) {
    Target target;
    const HWND hwnd = RegisterWindowHandle(&target, L"PostTarget");
    std::thread worker([&] {
        for (UINT m = 1; m <= 3; ++m) EXPECT_TRUE(PostMessageW(hwnd, WM_USER + m, 0, 0));
    });
    worker.join();
    EXPECT_TRUE(target.received.empty()) << "nothing runs before the loop does";
    ASSERT_TRUE(ProcessEventsUntil([&] { return target.received.size() == 3; }));
    EXPECT_EQ(target.received, (std::vector<UINT>{WM_USER + 1, WM_USER + 2, WM_USER + 3}));
    UnregisterWindowHandle(hwnd);
}

TEST_F(WindowHandleTest, AnEndedWindowNeitherAnswersNorReceivesWhatWasOnItsWay) {
    Target target;
    const HWND hwnd = RegisterWindowHandle(&target, L"EndedTarget");
    EXPECT_TRUE(IsWindow(hwnd));
    EXPECT_TRUE(PostMessageW(hwnd, WM_USER, 0, 0));
    UnregisterWindowHandle(hwnd);
    QApplication::processEvents();
    EXPECT_TRUE(target.received.empty());
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(SendMessageW(hwnd, WM_USER, 1, 0), 0);
    EXPECT_FALSE(PostMessageW(hwnd, WM_USER, 0, 0));
    EXPECT_EQ(FindWindowByClass(L"EndedTarget"), nullptr);
    EXPECT_FALSE(IsWindow(nullptr));
}

TEST_F(WindowHandleTest, HandlesAreNeverReusedAndFindGivesTheNewestOfAClass) {
    Target first, second, other;
    const HWND a = RegisterWindowHandle(&first, L"Shared");
    const HWND b = RegisterWindowHandle(&second, L"Shared");
    const HWND c = RegisterWindowHandle(&other, L"Other");
    EXPECT_EQ(FindWindowByClass(L"Shared"), b);
    UnregisterWindowHandle(b);
    EXPECT_EQ(FindWindowByClass(L"Shared"), a);
    const HWND d = RegisterWindowHandle(&second, L"Shared");
    EXPECT_NE(d, b);
    EXPECT_FALSE(IsWindow(b));
    for (HWND h : {a, c, d}) UnregisterWindowHandle(h);
}

TEST_F(WindowHandleTest, WorkRunOnTheUiThreadFromAWorkerBlocksTheWorkerUntilDone) {
    std::atomic<bool> ranOnUi{false}, workerSaw{false}, done{false};
    std::thread worker([&] {
        RunOnUiThread([&] { ranOnUi = IsUiThread(); });
        workerSaw = ranOnUi.load();
        done = true;
    });
    ASSERT_TRUE(ProcessEventsUntil([&] { return done.load(); }));
    worker.join();
    EXPECT_TRUE(workerSaw);
}
