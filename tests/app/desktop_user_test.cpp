#include "app/desktop_user.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

#include "platform/text.h"
#include "support/temp_environment.h"

class DesktopUserTest : public TempEnvironment {
protected:
    void TearDown() override {
        ::unsetenv("PKEXEC_UID");
        ::unsetenv("SUDO_UID");
        TempEnvironment::TearDown();
    }
};

TEST_F(DesktopUserTest, WithoutADesktopUserNothingStarts) {
    ::unsetenv("PKEXEC_UID");
    ::unsetenv("SUDO_UID");
    pid_t pid = 0;
    EXPECT_FALSE(RunAsDesktopUser(L"/usr/bin/touch", Path("never"), L"", &pid));
    EXPECT_FALSE(std::filesystem::exists(NarrowPath("never")));
    ::setenv("PKEXEC_UID", "not-a-number", 1);
    EXPECT_FALSE(RunAsDesktopUser(L"/usr/bin/touch", Path("never"), L"", &pid));
}

TEST_F(DesktopUserTest, ARootProcessStartsTheProgramWithTheDesktopUsersRights) {
    if (!IsElevated()) GTEST_SKIP() << "needs root, as an installer run through pkexec has";
    // A folder the other user can reach: the test folders lie in private ones.
    std::string pattern = "/tmp/taviocr-desktop-user.XXXXXX";
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    const std::string shared = pattern;
    ::chmod(shared.c_str(), 0777);
    ::setenv("PKEXEC_UID", "65534", 1);  // nobody
    pid_t pid = 0;
    ASSERT_TRUE(RunAsDesktopUser(L"/usr/bin/touch", Utf8ToWide(shared + "/made"), L"", &pid));
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    struct stat info {};
    ASSERT_EQ(::stat((shared + "/made").c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, 65534u) << "made by the desktop user, not by root";
    std::filesystem::remove_all(shared);
}
