#pragma once

#include <string>

#include "programs/cli/cli_options.h"

// What is on the screen as a picture file for recognition: the whole screen,
// one monitor or a region of it, in the screen's own pixels (PNG, nothing
// lost). The file lives as long as this object.
class CliScreen {
public:
    CliScreen() = default;
    ~CliScreen();
    CliScreen(const CliScreen&) = delete;
    CliScreen& operator=(const CliScreen&) = delete;

    // The picture's path; empty, with a message on stderr, when the screen
    // could not be read (no X11 session, a monitor or region not on it, or a
    // grab that came back black).
    std::wstring Grab(const CliOptions& options);

private:
    std::wstring file_;
};
