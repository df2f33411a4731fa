#include "app/cli/cli_options.h"

#include <charconv>

namespace {

bool ParseKind(const std::string& text, int& kind) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, kind);
    return ec == std::errc() && ptr == end && kind >= 0 && kind <= 15;
}

CliOptions Usage(std::string error) {
    CliOptions options;
    options.action = CliOptions::Action::UsageError;
    options.error = std::move(error);
    return options;
}

}  // namespace

CliOptions ParseCliArguments(const std::vector<std::string>& arguments) {
    CliOptions options;
    if (arguments.empty()) return options;
    bool onlyImages = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& arg = arguments[i];
        auto value = [&]() -> const std::string* {
            return i + 1 < arguments.size() ? &arguments[++i] : nullptr;
        };
        if (onlyImages || arg.empty() || arg[0] != '-') {
            options.images.push_back(arg);
        } else if (arg == "--") {
            onlyImages = true;
        } else if (arg == "-h" || arg == "--help") {
            options.action = CliOptions::Action::Help;
            return options;
        } else if (arg == "--version") {
            options.action = CliOptions::Action::Version;
            return options;
        } else if (arg == "--engine") {
            const std::string* engine = value();
            if (!engine) return Usage("--engine needs a value: cloud or offline");
            if (*engine == "cloud")
                options.engine = CliOptions::Engine::Cloud;
            else if (*engine == "offline")
                options.engine = CliOptions::Engine::Offline;
            else
                return Usage("unknown engine '" + *engine + "': use cloud or offline");
        } else if (arg == "--kind") {
            const std::string* kind = value();
            if (!kind || !ParseKind(*kind, options.kind))
                return Usage("--kind needs a kind code from 0 to 15");
        } else {
            return Usage("unknown option '" + arg + "'");
        }
    }
    if (options.images.empty()) return Usage("no image given");
    options.action = CliOptions::Action::Recognize;
    return options;
}

std::string CliUsageText() {
    return "Usage: taviocr-cli [--kind CODE] [--engine cloud|offline] IMAGE...\n"
           "       taviocr-cli --help | --version\n"
           "\n"
           "Recognises the text of each IMAGE and prints it.\n"
           "\n"
           "  --kind CODE      what the images show: 0 plain text (default), 15 table, ...\n"
           "  --engine NAME    cloud (default) or offline\n"
           "  --help           this text\n"
           "  --version        the program version\n"
           "\n"
           "Exit status: 0 success, 1 recognition failed, 2 wrong command line.\n";
}
