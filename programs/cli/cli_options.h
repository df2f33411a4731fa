#pragma once

#include <optional>
#include <string>
#include <vector>

// What a taviocr-cli command line asks for.
struct CliOptions {
    enum class Action { Help, Version, Recognize, UsageError };
    enum class Engine { Auto, Cloud, Offline };

    Action action = Action::Help;
    Engine engine = Engine::Auto;
    int kind = 0;           // recognition kind code, 0 plain text
    std::string outFolder;  // save result files there, as a batch does
    bool merge = false;     // one text for all images
    bool json = false;      // print the result fields as JSON
    std::vector<std::string> images;
    bool scan = false;   // acquire the images from a scanner first
    std::string device;  // the scanner, empty: the first one
    int pages = 1;       // pages to scan
    std::string error;   // what was wrong, for UsageError
};

// Exit codes of taviocr-cli.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

CliOptions ParseCliArguments(const std::vector<std::string>& arguments);
std::string CliUsageText();
// The kind code of a --kind name ("invoice" → 11) or number.
std::optional<int> CliKindCode(const std::string& name);
