#pragma once

#include <string>

// Start at log-on: the desktop's autostart entry for this user, whose command
// is the program path followed by " /autorun".

std::wstring AutoRunEntryPath();
// Enabling writes the entry (true when written); disabling removes it (true
// when it is gone afterwards).
bool RegisterAutoRun(bool enable);
// True when the entry exists and the program it starts still exists.
bool IsAutoRunRegistered();
