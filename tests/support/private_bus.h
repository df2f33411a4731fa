#pragma once

#include <string>

// A D-Bus session bus of the test's own (dbus-daemon --session), named in
// DBUS_SESSION_BUS_ADDRESS for this process and the programs it starts;
// ended on destruction. Set it up before Qt first touches the session bus.
class PrivateSessionBus {
public:
    PrivateSessionBus();
    ~PrivateSessionBus();
    PrivateSessionBus(const PrivateSessionBus&) = delete;
    PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;

    const std::string& Address() const { return address_; }

private:
    std::string address_;
    int pid_ = 0;
};
