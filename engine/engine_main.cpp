// The offline recognition engine: TWYZY32.dll BITMAP. Recognises the picture
// with Tesseract in the language the environment names and leaves the text,
// in the user's ANSI charset and ended by a zero byte, in the private
// clipboard format "THOCR_FMT" (of its lane), with a report of its lines and
// words beside it. Exit status 0 when text was left there; otherwise
// non-zero, and no text is written (a missing model is named in the report).

#include <sys/prctl.h>
#include <unistd.h>

#include <clocale>
#include <csignal>
#include <cstdlib>
#include <string>
#include <thread>

#include "engine/bitmap_wait.h"
#include "engine/tesseract_reader.h"
#include "engine/text_cleanup.h"
#include "platform/engine_handover.h"
#include "platform/private_clipboard.h"
#include "platform/text.h"

namespace {

enum ExitCode {
    kExitText = kEngineExitText,
    kExitUsage = 1,
    kExitNoText = kEngineExitNoText,
    kExitNoLanguageData = kEngineExitNoModel,
    kExitUnreadableImage = 4,
    kExitClipboard = 5,
    kExitCrashed = 70,
};

// How long the engine waits for a bitmap that is not there yet: the bridge
// that started it writes it meanwhile, or ends the engine when it cannot.
constexpr std::chrono::seconds kBitmapWait{60};

// Tesseract aborts on some damaged input; that is a failed recognition, not
// a crash report.
void ExitOnFatalSignal(int) { ::_exit(kExitCrashed); }

void GuardFatalSignals() {
    for (int signal : {SIGABRT, SIGSEGV, SIGBUS, SIGFPE, SIGILL})
        std::signal(signal, ExitOnFatalSignal);
}

// OpenMP reads its thread limit when the library loads, before main: so the
// limit is set and the engine started again. On two cores a single thread is
// about three times faster than OpenMP's default. The real path is used so
// that the process keeps its name (the bridge finds engines by name).
void LimitOpenMpThreads(char** argv) {
    if (std::getenv("OMP_THREAD_LIMIT")) return;
    ::setenv("OMP_THREAD_LIMIT", "1", 1);
    char self[4096];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return;
    self[n] = '\0';
    ::execv(self, argv);  // on failure go on with OpenMP's default
}

// An engine whose client has gone has no one to read its text: it ends with
// the thread that started it, and at once when that is already gone.
bool EndWithStarter() {
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    const char* starter = std::getenv(kEngineStarterVariable);
    return !starter || std::to_string(::getppid()) == starter;
}

unsigned Lane() {
    const char* lane = std::getenv(kEngineLaneVariable);
    return lane ? static_cast<unsigned>(std::strtoul(lane, nullptr, 10)) % 1024 : 0;
}

bool HandOver(unsigned lane, const std::string& textBlock, const std::string& report) {
    const unsigned textFormat = RegisterClipboardFormat(EngineTextFormat(lane));
    const unsigned reportFormat = RegisterClipboardFormat(EngineReportFormat(lane));
    PrivateClipboard clipboard;
    if (!textFormat || !reportFormat || !clipboard.IsOpen()) return false;
    // The report first: a bridge that finds the text finds its report too.
    return clipboard.SetData(reportFormat, report) &&
           (textBlock.empty() || clipboard.SetData(textFormat, textBlock));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return kExitUsage;
    if (!EndWithStarter()) return kExitUsage;
    LimitOpenMpThreads(argv);
    GuardFatalSignals();
    // The output charset is the user's; Tesseract itself wants the C locale
    // (a decimal comma breaks its model loading).
    std::setlocale(LC_ALL, "");
    const std::string codeSet = AnsiCodeSet();
    std::setlocale(LC_ALL, "C");

    const char* languageCode = std::getenv(kEngineLanguageVariable);
    TesseractReader reader(FindEngineLanguage(languageCode ? languageCode : ""));
    if (const std::string package = reader.MissingPackage(); !package.empty()) {
        HandOver(Lane(), {}, "missing\t" + package + "\n");
        return kExitNoLanguageData;
    }
    // The model loads while the bitmap is awaited and prepared: the bridge
    // starts the engine before it has written the bitmap, and loading is
    // most of what reading a small picture costs.
    std::thread loader([&reader] { reader.Preload(); });
    const bool bitmapComing = std::getenv(kEngineBitmapComingVariable) != nullptr;
    std::optional<TesseractReader::Input> input =
        WaitForFile(argv[1], bitmapComing ? kBitmapWait : std::chrono::seconds(0))
            ? reader.Prepare(argv[1])
            : std::nullopt;
    loader.join();
    if (!input) return kExitUnreadableImage;
    const auto reading = reader.Read(*input);
    if (!reading) return kExitNoLanguageData;
    const std::wstring text = CleanRecognizedText(Utf8ToWide(reading->text));
    if (text.empty()) return kExitNoText;

    std::string block = WideToAnsi(text, codeSet);
    block += '\0';
    if (!HandOver(Lane(), block, FormatReport(*reading))) return kExitClipboard;
    // The text is handed over: taking the models apart again would only make
    // the client wait for the engine to end.
    std::_Exit(kExitText);
}
