#include "programs/cli/cli_options.h"

#include <charconv>
#include <utility>

namespace {

CliOptions Usage(std::string error) {
    CliOptions options;
    options.action = CliOptions::Action::UsageError;
    options.error = std::move(error);
    return options;
}

}  // namespace

std::optional<int> CliKindCode(const std::string& name) {
    static const std::pair<const char*, int> kNames[] = {
        {"text", 0},      {"accurate", 3},     {"idcard", 5},   {"bankcard", 8},
        {"driving", 9},   {"vehicle", 10},     {"invoice", 11}, {"business", 12},
        {"passport", 13}, {"banklicence", 14}, {"table", 15},
    };
    for (const auto& [text, code] : kNames)
        if (name == text) return code;
    int code = -1;
    const char* end = name.data() + name.size();
    const auto [ptr, ec] = std::from_chars(name.data(), end, code);
    if (ec == std::errc() && ptr == end && code >= 0 && code <= 15 && code != 4) return code;
    return std::nullopt;
}

CliOptions ParseCliArguments(const std::vector<std::string>& arguments) {
    CliOptions options;
    if (arguments.empty()) return Usage("no image given");
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
            if (!engine) return Usage("--engine needs a value: auto, cloud or offline");
            if (*engine == "auto")
                options.engine = CliOptions::Engine::Auto;
            else if (*engine == "cloud")
                options.engine = CliOptions::Engine::Cloud;
            else if (*engine == "offline")
                options.engine = CliOptions::Engine::Offline;
            else
                return Usage("unknown engine '" + *engine + "': use auto, cloud or offline");
        } else if (arg == "--kind") {
            const std::string* kind = value();
            const auto code = kind ? CliKindCode(*kind) : std::nullopt;
            if (!code) return Usage("--kind needs one of the kinds listed below");
            options.kind = *code;
        } else if (arg == "--out") {
            const std::string* folder = value();
            if (!folder || folder->empty()) return Usage("--out needs a folder");
            options.outFolder = *folder;
        } else if (arg == "--merge") {
            options.merge = true;
        } else if (arg == "--json") {
            options.json = true;
        } else if (arg == "--scan") {
            options.scan = true;
        } else if (arg == "--device") {
            const std::string* device = value();
            if (!device || device->empty()) return Usage("--device needs a scanner name");
            options.device = *device;
        } else if (arg == "--pages") {
            const std::string* pages = value();
            int count = 0;
            const auto [end, error] =
                pages ? std::from_chars(pages->data(), pages->data() + pages->size(), count)
                      : std::from_chars_result{nullptr, std::errc::invalid_argument};
            if (!pages || error != std::errc() || end != pages->data() + pages->size() ||
                count < 1 || count > 500)
                return Usage("--pages needs a number from 1 to 500");
            options.pages = count;
        } else {
            return Usage("unknown option '" + arg + "'");
        }
    }
    if (options.images.empty() && !options.scan) return Usage("no image given");
    options.action = CliOptions::Action::Recognize;
    return options;
}

std::string CliUsageText() {
    return "Usage: taviocr-cli [--kind KIND] [--engine auto|cloud|offline] [--out DIR] [--merge]\n"
           "                   [--json] IMAGE...\n"
           "       taviocr-cli --scan [--device NAME] [--pages N] [OPTION...]\n"
           "       taviocr-cli --help | --version\n"
           "\n"
           "Recognises each IMAGE and prints its text (UTF-8), one block per image.\n"
           "\n"
           "  --kind KIND    text (default), accurate, idcard (front, then back), bankcard,\n"
           "                 driving, vehicle, invoice, business, passport, banklicence,\n"
           "                 table (writes .xlsx files into --out or the current folder)\n"
           "  --engine NAME  for text: auto (cloud when service keys are set, else\n"
           "                 offline), cloud or offline\n"
           "  --out DIR      save the results as text files in a new folder under DIR\n"
           "  --merge        print all images as one text\n"
           "  --json         print every field of each result as JSON\n"
           "  --scan         scan the images first (SANE scanners); --device names the\n"
           "                 scanner (\"test:0\"), --pages how many pages (default 1)\n"
           "\n"
           "Exit status: 0 success, 1 recognition failed, 2 wrong command line.\n";
}
