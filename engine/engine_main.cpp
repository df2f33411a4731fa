// The offline recognition engine: TWYZY32.dll BITMAP. Recognises the picture
// with Tesseract and leaves the text, in the user's ANSI charset and ended by
// a zero byte, in the private clipboard format "THOCR_FMT". Exit status 0 when
// text was left there; otherwise non-zero, and nothing is written.

#include <sys/prctl.h>
#include <unistd.h>

#include <clocale>
#include <csignal>
#include <cstdlib>
#include <string>

#include "engine/tesseract_reader.h"
#include "engine/text_cleanup.h"
#include "platform/private_clipboard.h"
#include "platform/text.h"

namespace {

enum ExitCode {
    kExitText = 0,
    kExitUsage = 1,
    kExitNoText = 2,
    kExitNoLanguageData = 3,
    kExitUnreadableImage = 4,
    kExitClipboard = 5,
    kExitCrashed = 70,
};

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
    const char* starter = std::getenv("TAVIOCR_ENGINE_STARTER");
    return !starter || std::to_string(::getppid()) == starter;
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

    TesseractReader reader;
    if (!reader.Load()) return kExitNoLanguageData;
    const auto utf8 = reader.ReadFile(argv[1]);
    if (!utf8) return kExitUnreadableImage;
    const std::wstring text = CleanRecognizedText(Utf8ToWide(*utf8));
    if (text.empty()) return kExitNoText;

    std::string block = WideToAnsi(text, codeSet);
    block += '\0';
    const unsigned format = RegisterClipboardFormat(L"THOCR_FMT");
    PrivateClipboard clipboard;
    if (!format || !clipboard.IsOpen() || !clipboard.SetData(format, block)) return kExitClipboard;
    return kExitText;
}
