#pragma once

#include <string>
#include <vector>

// What a taviocr-cli command line asks for.
struct CliOptions {
    enum class Action { Help, Version, Recognize, UsageError };
    enum class Engine { Cloud, Offline };

    Action action = Action::Help;
    Engine engine = Engine::Cloud;
    int kind = 0;  // recognition kind code, 0 plain text
    std::vector<std::string> images;
    std::string error;  // what was wrong, for UsageError
};

// Exit codes of taviocr-cli.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

CliOptions ParseCliArguments(const std::vector<std::string>& arguments);
std::string CliUsageText();
