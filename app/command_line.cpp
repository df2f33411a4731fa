#include "app/command_line.h"

#include "platform/text.h"

StartSwitch FindStartSwitch(std::wstring_view commandLine) {
    // The window's own helper, started with exactly this.
    if (commandLine == L"--daily-check") return StartSwitch::DailyCheck;
    if (commandLine.find(L"/uninstall") != std::wstring_view::npos) return StartSwitch::Uninstall;
    if (commandLine.find(L"/makemachine") != std::wstring_view::npos)
        return StartSwitch::MakeMachine;
    if (commandLine.find(L"/install") != std::wstring_view::npos) return StartSwitch::Install;
    return StartSwitch::None;
}

bool HasAutoRunSwitch(std::wstring_view commandLine) {
    return commandLine.find(L"/autorun") != std::wstring_view::npos;
}

std::wstring JoinCommandLine(int argc, char** argv) {
    std::wstring line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) line += L' ';
        line += Utf8ToWide(argv[i]);
    }
    return line;
}
