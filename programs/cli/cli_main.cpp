#include <QGuiApplication>
#include <clocale>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "app/program_version.h"
#include "platform/text.h"
#include "programs/cli/cli_options.h"
#include "programs/cli/cli_scan.h"
#include "programs/cli/cli_screen.h"
#include "programs/cli/cli_session.h"

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    const CliOptions options = ParseCliArguments(std::vector<std::string>(argv + 1, argv + argc));
    switch (options.action) {
        case CliOptions::Action::Help:
            std::fputs(CliUsageText().c_str(), stdout);
            return kExitOk;
        case CliOptions::Action::Version:
            std::printf("taviocr-cli %s\n", WideToUtf8(ProgramVersion()).c_str());
            return kExitOk;
        case CliOptions::Action::UsageError:
            std::fprintf(stderr, "taviocr-cli: %s\n\n%s", options.error.c_str(),
                         CliUsageText().c_str());
            return kExitUsage;
        case CliOptions::Action::Recognize:
            break;
    }
    // The text of a searchable PDF is set in fonts from Qt's font database,
    // which wants an application object; it shows no window.
    std::optional<QGuiApplication> fonts;
    if (!options.pdf.empty()) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        fonts.emplace(argc, argv);
    }
    PrepareCliProcess();
    if (options.screen) {
        // The picture of the screen is recognised like a file given after the others.
        CliScreen screen;
        const std::wstring picture = screen.Grab(options);
        if (picture.empty()) return kExitFailure;
        CliOptions withScreen = options;
        withScreen.images.push_back(WideToUtf8(picture));
        return RunCliRecognition(withScreen);
    }
    if (!options.scan) return RunCliRecognition(options);
    // Scanned pages are recognised like files given before them; they are
    // deleted when the scanner object ends, after the recognition.
    CliScanner scanner;
    const std::vector<std::wstring> pages = scanner.Scan(options.device, options.pages);
    if (pages.empty()) return kExitFailure;
    CliOptions withPages = options;
    for (const std::wstring& page : pages) withPages.images.push_back(WideToUtf8(page));
    const int recognised = RunCliRecognition(withPages);
    // A batch the scanner cut short is recognised as far as it goes, and fails.
    return scanner.ScanFailure() != TWCC_SUCCESS ? kExitFailure : recognised;
}
