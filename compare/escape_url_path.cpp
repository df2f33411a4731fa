#include "compare/escape_url_path.h"

#include "platform/text.h"

namespace {

bool StaysAsItIs(unsigned char c) {
    // ASCII only: the locale must not decide what a URL keeps.
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) return true;
    for (char kept : std::string_view("!'()*-./:_~"))
        if (c == static_cast<unsigned char>(kept)) return true;
    return false;
}

}  // namespace

std::wstring EscapeUrlPath(std::wstring_view path) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string escaped;
    for (unsigned char c : WideToUtf8(path)) {
        if (StaysAsItIs(c)) {
            escaped += static_cast<char>(c);
        } else {
            escaped += '%';
            escaped += kHex[c >> 4];
            escaped += kHex[c & 15];
        }
        if (escaped.size() >= kMaxEscapedUrlPath) return {};
    }
    return Utf8ToWide(escaped);
}
