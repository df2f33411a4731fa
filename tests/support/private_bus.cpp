#include "support/private_bus.h"

#include <signal.h>

#include <cstdio>
#include <cstdlib>

PrivateSessionBus::PrivateSessionBus() {
    FILE* daemon = ::popen("dbus-daemon --session --fork --print-address=1 --print-pid=1", "r");
    if (!daemon) return;
    char line[512] = {};
    if (std::fgets(line, sizeof line, daemon)) {
        address_ = line;
        while (!address_.empty() && address_.back() == '\n') address_.pop_back();
    }
    if (std::fgets(line, sizeof line, daemon)) pid_ = std::atoi(line);
    ::pclose(daemon);
    if (!address_.empty()) ::setenv("DBUS_SESSION_BUS_ADDRESS", address_.c_str(), 1);
}

PrivateSessionBus::~PrivateSessionBus() {
    if (pid_ > 0) ::kill(pid_, SIGTERM);
}
