#pragma once

#include <string>
#include <string_view>

// The switches installers and the program itself pass. They are found by a
// plain, case-sensitive search of the whole command line; the first in this
// order that occurs decides.
enum class StartSwitch { Uninstall, MakeMachine, Install, DailyCheck, None };

StartSwitch FindStartSwitch(std::wstring_view commandLine);
// "/autorun" anywhere: start with the main window hidden.
bool HasAutoRunSwitch(std::wstring_view commandLine);
// The arguments after the program name, joined by single spaces.
std::wstring JoinCommandLine(int argc, char** argv);
