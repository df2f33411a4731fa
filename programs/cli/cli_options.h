#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "recognition/kinds.h"

// What a taviocr-cli command line asks for.
struct CliOptions {
    enum class Action { Help, Version, Recognize, UsageError };
    enum class Engine { Auto, Cloud, Offline };

    Action action = Action::Help;
    Engine engine = Engine::Auto;
    KindCode kind = KindCode::TextOfflineFirst;
    std::optional<unsigned> language;  // a language number; none: the settings'
    int dpi = 300;                     // resolution of documents' pages
    std::string pdf;                   // write a searchable PDF of the results there
    std::string outFolder;             // save result files there, as a batch does
    bool merge = false;                // one text for all images
    bool json = false;                 // print the result fields as JSON
    std::vector<std::string> images;
    bool scan = false;                         // acquire the images from a scanner first
    std::string device;                        // the scanner, empty: the first one
    int pages = 1;                             // pages to scan
    bool screen = false;                       // recognise what is on the screen
    std::optional<int> output;                 // only this monitor of the screen (from 0)
    std::optional<std::array<int, 4>> region;  // only X,Y,W,H (physical pixels)
    std::string error;                         // what was wrong, for UsageError
};

// Exit codes of taviocr-cli.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

CliOptions ParseCliArguments(const std::vector<std::string>& arguments);
std::string CliUsageText();
// The kind of a --kind name ("invoice") or number ("11").
std::optional<KindCode> CliKindCode(const std::string& name);
