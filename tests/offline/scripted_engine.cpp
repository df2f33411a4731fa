// An engine that behaves as TAVIOCR_TEST_ENGINE says, for the bridge's
// failure cases (the real engine is tested on its own):
//   text:WORDS   leave WORDS in the private format and exit 0
//   zero         leave a block whose first byte is zero
//   sleep        hang for ten seconds, writing nothing
//   crash        abort
//   fail         exit 1, writing nothing
// Every start is appended to $TAVIOCR_TEST_ENGINE_LOG with its argument.

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/private_clipboard.h"

int main(int argc, char** argv) {
    const char* log = std::getenv("TAVIOCR_TEST_ENGINE_LOG");
    if (log) std::ofstream(log, std::ios::app) << (argc > 1 ? argv[1] : "") << "\n";
    const std::string mode =
        std::getenv("TAVIOCR_TEST_ENGINE") ? std::getenv("TAVIOCR_TEST_ENGINE") : "";
    if (mode == "sleep") {
        ::sleep(10);
        return 0;
    }
    if (mode == "crash") std::abort();
    std::string block;
    if (mode.starts_with("text:"))
        block = mode.substr(5) + std::string(1, '\0');
    else if (mode == "zero")
        block = std::string("\0late text\0", 11);
    else
        return 1;
    PrivateClipboard clipboard;
    return clipboard.SetData(RegisterClipboardFormat(L"THOCR_FMT"), block) ? 0 : 5;
}
