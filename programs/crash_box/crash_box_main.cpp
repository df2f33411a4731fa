// Shown by a crashing TaviOCR process, which cannot build a dialog inside its
// signal handler: tells the user that the program ends.
//
//   taviocr-crashbox --code HEX --address HEX [--language FILE]
//
// TAVIOCR_CRASHBOX_TIMEOUT_MS closes the box by itself after that many
// milliseconds (used by unattended runs).

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/crash_message.h"
#include "app/language_file.h"
#include "platform/text.h"

namespace {

std::wstring Argument(int argc, char** argv, const char* name) {
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], name) == 0) return Utf8ToWide(argv[i + 1]);
    return {};
}

bool HasDisplay() {
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        if (const char* value = std::getenv(variable); value && *value) return true;
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    // The crashed process could not look the text up itself; the box can.
    std::wstring exceptText;
    const std::wstring languageFile = Argument(argc, argv, "--language");
    if (!languageFile.empty())
        ReadLangEntry(kTextSection, L"Except", L"", exceptText, kLangTextCapacity, languageFile);
    const std::wstring text = CrashBoxMessage(exceptText, Argument(argc, argv, "--code"),
                                              Argument(argc, argv, "--address"));
    const std::string utf8 = WideToUtf8(text);
    std::fprintf(stderr, "%s\n", utf8.c_str());
    if (!HasDisplay()) return 0;

    QApplication app(argc, argv);
    QMessageBox box(QMessageBox::Critical, QString::fromStdWString(std::wstring(kCrashBoxCaption)),
                    QString::fromStdString(utf8), QMessageBox::Ok);
    box.setObjectName("dlg_except");
    if (const char* timeout = std::getenv("TAVIOCR_CRASHBOX_TIMEOUT_MS"); timeout && *timeout)
        QTimer::singleShot(std::atoi(timeout), &box, &QMessageBox::accept);
    box.exec();
    return 0;
}
