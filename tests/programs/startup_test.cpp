// The window program as a user starts it, on the test X server.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/processes.h"
#include "support/temp_environment.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string Shell(const std::string& command) {
    std::string output;
    if (FILE* pipe = ::popen((command + " 2>/dev/null").c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe)) output += buffer;
        ::pclose(pipe);
    }
    return output;
}

// Ids of the mapped top-level windows with exactly this title.
std::vector<std::string> VisibleWindows(const std::string& title) {
    std::vector<std::string> ids;
    const std::string out = Shell("xdotool search --onlyvisible --name '^" + title + "$'");
    std::size_t start = 0;
    while (start < out.size()) {
        const auto end = out.find('\n', start);
        ids.push_back(out.substr(start, end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return ids;
}

// Polls until the condition holds; false only when it never did in a minute.
bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 60s) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(50ms);
    }
    return true;
}

// Children of this process, those whose parent ended included (it is their
// subreaper).
std::vector<pid_t> Children() {
    std::vector<pid_t> pids;
    for (const auto& task : fs::directory_iterator("/proc/self/task")) {
        std::ifstream list(task.path() / "children");
        for (pid_t pid = 0; list >> pid;) pids.push_back(pid);
    }
    return pids;
}

}  // namespace

class StartupTest : public TempEnvironment {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X server";
        TempEnvironment::SetUp();
        program_ = std::string(TAVIOCR_OUT_DIR) + "/taviocr";
        // Programs our runs start are ours once the run has ended.
        ::prctl(PR_SET_CHILD_SUBREAPER, 1);
    }
    void TearDown() override {
        for (auto& child : children_) child.Kill();
        children_.clear();
        for (const pid_t stray : Children()) {
            ::kill(stray, SIGKILL);
            ::waitpid(stray, nullptr, 0);
        }
        if (!root_.empty()) TempEnvironment::TearDown();
    }
    ChildProcess& Start(std::vector<std::string> args, const std::string& program = "") {
        args.insert(args.begin(), program.empty() ? program_ : program);
        auto child = ChildProcess::Start(args);
        EXPECT_TRUE(child.has_value());
        children_.push_back(std::move(*child));
        return children_.back();
    }
    // The exit code of a run that must end by itself.
    int RunToEnd(std::vector<std::string> args) {
        ChildProcess& child = Start(std::move(args));
        EXPECT_TRUE(child.WaitFor(60s));
        return child.ExitCode();
    }
    std::string program_;
    std::deque<ChildProcess> children_;  // references stay valid as it grows
};

TEST_F(StartupTest, TheProgramShowsItsMainWindowAndASecondStartEndsLeavingTheFirst) {
    ChildProcess& first = Start({});
    ASSERT_TRUE(WaitFor([] { return VisibleWindows("TaviOCR").size() == 1; }))
        << "the main window appears";
    const auto window = VisibleWindows("TaviOCR");
    // It ends once the first has carried out its request.
    EXPECT_EQ(RunToEnd({}), 0) << "a second start ends at once";
    EXPECT_EQ(VisibleWindows("TaviOCR"), window) << "still the first one's window, and only that";
    EXPECT_EQ(first.ExitCode(), ChildProcess::kStillActive);
}

// Another user's process listening on our instance's socket name (as it could
// in a shared runtime folder) is nobody's answer: the program starts its own
// window instead of ending.
TEST_F(StartupTest, AnInstanceSocketOfAnotherUserNeitherEndsNorCommandsTheProgram) {
    const std::string folder = root_ + "/runtime/TaviOCR";
    fs::create_directories(folder);
    const pid_t stranger = ::fork();
    ASSERT_GE(stranger, 0);
    if (stranger == 0) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const std::string path = folder + "/TaviOCRWindowClass";
        std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
        if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) ::_exit(1);
        // Credentials of a socket are those of the process that listens.
        if (::setresgid(65534, 65534, 65534) != 0 || ::setresuid(65534, 65534, 65534) != 0 ||
            ::listen(fd, 8) != 0)
            ::_exit(2);
        while (true) ::close(::accept(fd, nullptr, nullptr));
    }
    ChildProcess& run = Start({});
    const bool shown = WaitFor([] { return VisibleWindows("TaviOCR").size() == 1; });
    ::kill(stranger, SIGKILL);
    ::waitpid(stranger, nullptr, 0);
    EXPECT_TRUE(shown) << "the program's own window appears";
    EXPECT_EQ(run.ExitCode(), ChildProcess::kStillActive);
}

// (A log-in start before any tray: EndToEndTest, under a window manager.)
TEST_F(StartupTest, ALaterStartShowsTheWindowOfALogInStartEvenWithAutorun) {
    ChildProcess& first = Start({"/autorun"});
    // The settings are written during the start.
    ASSERT_TRUE(WaitFor([&] { return fs::exists(root_ + "/data/TaviOCR/config.ini"); }));
    EXPECT_EQ(first.ExitCode(), ChildProcess::kStillActive);
    EXPECT_EQ(RunToEnd({"/autorun"}), 0);
    EXPECT_TRUE(WaitFor([] { return VisibleWindows("TaviOCR").size() == 1; }));
}

// A skin package that is missing, empty or garbage, and a language file that
// cannot be read: the program says so and fails instead of ending as if all
// were well.
TEST_F(StartupTest, ABrokenSkinPackageOrLanguageFileShowsAnErrorAndFails) {
    const std::string folder = root_ + "/broken";
    const auto install = [&](const std::string& skin, const std::string& language) {
        fs::remove_all(folder);
        fs::create_directories(folder + "/skin");
        fs::copy_file(program_, folder + "/taviocr");
        fs::copy(std::string(TAVIOCR_OUT_DIR) + "/language", folder + "/language",
                 fs::copy_options::recursive);
        fs::copy(std::string(TAVIOCR_OUT_DIR) + "/skin", folder + "/skin",
                 fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        if (skin == "missing")
            fs::remove(folder + "/skin/skin-en.skin");
        else if (!skin.empty())
            std::ofstream(folder + "/skin/skin-en.skin") << skin.substr(1);
        if (!language.empty()) std::ofstream(folder + "/language/en.dat") << language;
    };
    const auto failsWithBox = [&](const std::string& title) {
        ChildProcess& run = Start({}, folder + "/taviocr");
        EXPECT_TRUE(WaitFor([&] { return VisibleWindows(title).size() == 1; })) << title;
        // A key that arrives before the box has put the focus on its button
        // is lost: pressed again until the box is answered.
        EXPECT_TRUE(WaitFor([&] {
            Shell("xdotool search --onlyvisible --name '^" + title +
                  "$' windowfocus --sync key --clearmodifiers Return");
            return run.WaitFor(1s);
        }));
        EXPECT_EQ(run.ExitCode(), 1);
    };
    for (const char* skin : {"missing", "=", "=PK\x03\x04 not a zip at all"}) {
        SCOPED_TRACE(skin);
        install(skin, "");
        failsWithBox("严重错误");
    }
    install("", "garbage that is no compound file");
    failsWithBox("TaviOCR");
    EXPECT_NE(ReadFile(root_ + "/data/TaviOCR/run.log").find("cannot be read"), std::string::npos);
}

TEST_F(StartupTest, InstallerSwitchesEndWithoutAWindowAndTheFirstSwitchDecides) {
    EXPECT_EQ(RunToEnd({"/makemachine"}), 0);
    // "/uninstall" is looked for first, so the "/install" beside it starts nothing.
    EXPECT_EQ(RunToEnd({"/uninstall", "/install"}), 0);
    // A program it started would be our child now that it has ended.
    EXPECT_TRUE(Children().empty());
}

TEST_F(StartupTest, InstallStartsTheProgramAfreshAndEnds) {
    EXPECT_EQ(RunToEnd({"/install"}), 0);
    ASSERT_TRUE(WaitFor([] { return VisibleWindows("TaviOCR").size() == 1; }))
        << "the installed program runs";
    const std::string pid = Shell("xdotool search --onlyvisible --name '^TaviOCR$' getwindowpid");
    ASSERT_FALSE(pid.empty());
    ::kill(std::stoi(pid), SIGKILL);
    EXPECT_TRUE(WaitFor([] { return VisibleWindows("TaviOCR").empty(); }));
}

// Statistics and update servers that take a connection and never answer: the
// window comes, and SIGTERM (like Exit) still ends the program, with the
// update check (a process beside the window) ended instead of waited for.
TEST_F(StartupTest, TheDailyCheckRunsBesideALeanWindowAndStalledServersDoNotHoldItsEnd) {
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 64), 0);
    socklen_t size = sizeof address;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size);
    const std::string host = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port));
    std::ofstream(root_ + "/endpoints.ini")
        << "[Hosts]\nAccount=\nSocialPage=\nStats=" << host << "\nUpdate=" << host << "\n";
    ::setenv("TAVIOCR_ENDPOINTS", (root_ + "/endpoints.ini").c_str(), 1);

    ChildProcess& run = Start({});
    ASSERT_TRUE(WaitFor([] { return VisibleWindows("TaviOCR").size() == 1; }));
    // The daily check has reached the stalled server.
    ASSERT_TRUE(WaitFor([&] {
        pollfd waiting{listener, POLLIN, 0};
        return ::poll(&waiting, 1, 0) == 1;
    }));
    // The check runs beside the window. The idle window has loaded none of
    // the libraries it opens at their first use.
    const std::string maps = ReadFile("/proc/" + std::to_string(run.Pid()) + "/maps");
    for (const char* library : {"libcurl", "libgnutls", "libZXing", "libsane", "libpoppler"})
        EXPECT_EQ(maps.find(library), std::string::npos) << library;
    ::kill(run.Pid(), SIGTERM);
    ASSERT_TRUE(run.WaitFor(60s)) << "the program ends";
    EXPECT_EQ(run.ExitCode(), 0) << "by its own way out, not the watchdog's SIGALRM";
    EXPECT_TRUE(Children().empty()) << "the daily check ended with the window";
    ::close(listener);
}
