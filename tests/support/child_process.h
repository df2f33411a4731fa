#pragma once

#include <functional>
#include <string>
#include <string_view>

// Runs a function in a forked child process, for behaviour that only shows
// across processes (concurrent writers, crashes, resource limits).
struct ChildResult {
    bool exited = false;  // ended through exit()
    int exitCode = -1;
    int signal = 0;      // the signal that ended it, or 0
    std::string output;  // what it wrote to stdout and stderr
};

// The child's return value is its exit code.
ChildResult RunInChild(const std::function<int()>& body);

// Starts several children at once and waits for all; true when all exited 0.
bool RunConcurrently(int count, const std::function<int(int index)>& body);

// Whether a process of this user runs under that program file name (as
// /proc shows it), e.g. an engine a test expects to have been reaped.
bool AnyProcessNamed(std::string_view exeName);
