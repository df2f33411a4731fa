#include "support/private_bus.h"

#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// A session bus with no services of the machine's to start on demand: what
// answers on it is what the test started, not a desktop portal installed here.
constexpr const char* kConfig =
    "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\" "
    "\"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">"
    "<busconfig><type>session</type><listen>unix:tmpdir=/tmp</listen>"
    "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
    "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>";

}  // namespace

PrivateSessionBus::PrivateSessionBus() {
    // In the test's own temporary folder; mkstemp makes it 0600, never through a link.
    const char* temp = std::getenv("TMPDIR");
    std::string pattern = std::string(temp && *temp ? temp : "/tmp") + "/taviocr-bus-XXXXXX";
    char* path = pattern.data();
    const int fd = ::mkstemp(path);
    if (fd < 0) return;
    FILE* config = ::fdopen(fd, "w");
    std::fputs(kConfig, config);
    std::fclose(config);
    const std::string command = std::string("dbus-daemon --config-file=") + path +
                                " --fork --print-address=1 --print-pid=1";
    FILE* daemon = ::popen(command.c_str(), "r");
    if (!daemon) {
        ::unlink(path);
        return;
    }
    char line[512] = {};
    if (std::fgets(line, sizeof line, daemon)) {
        address_ = line;
        while (!address_.empty() && address_.back() == '\n') address_.pop_back();
    }
    if (std::fgets(line, sizeof line, daemon)) pid_ = std::atoi(line);
    ::pclose(daemon);
    ::unlink(path);  // read by the daemon before it printed its address
    if (!address_.empty()) ::setenv("DBUS_SESSION_BUS_ADDRESS", address_.c_str(), 1);
}

PrivateSessionBus::~PrivateSessionBus() {
    if (pid_ > 0) ::kill(pid_, SIGTERM);
}
