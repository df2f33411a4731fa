#pragma once

#include <sys/types.h>

#include <string>

// Starts a program as the desktop user when this process runs as root on
// that user's behalf (through pkexec or sudo), so that an elevated installer
// starts the program unelevated. The child gets the user's ids, groups, home
// and current folder (or currentFolder when given). False, with a debug trace,
// when no desktop user is known or the start fails; on success *pid is the child.
bool RunAsDesktopUser(const std::wstring& application, const std::wstring& commandLine,
                      const std::wstring& currentFolder, pid_t* pid);

// Whether this process has the rights of an administrator (root).
bool IsElevated();
