#pragma once

#include <string>

// A shell command run to its end: its exit status (-1 when it did not exit)
// and what it wrote to stdout.
struct CommandRun {
    int status = -1;
    std::string out;
};
CommandRun RunCommand(const std::string& command);
