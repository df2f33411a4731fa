#include "app/crash_message.h"

std::wstring CrashBoxMessage(std::wstring_view exceptText, std::wstring_view codeHex,
                             std::wstring_view addressHex) {
    std::wstring text(exceptText.empty() ? kDefaultCrashText : exceptText);
    text += L"( code:";
    text += codeHex;
    text += L" address:";
    text += addressHex;
    text += L" )";
    return text;
}
