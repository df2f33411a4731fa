#include "update/version_compare.h"

#include <cwctype>

namespace {

std::wstring_view NextPart(std::wstring_view& rest) {
    const std::size_t dot = rest.find(L'.');
    const std::wstring_view part = rest.substr(0, dot);
    rest = dot == std::wstring_view::npos ? std::wstring_view() : rest.substr(dot + 1);
    return part;
}

bool IsNumber(std::wstring_view part) {
    if (part.empty()) return false;
    for (const wchar_t c : part)
        if (!std::iswdigit(c)) return false;
    return true;
}

int CompareNumbers(std::wstring_view a, std::wstring_view b) {
    while (a.size() > 1 && a.front() == L'0') a.remove_prefix(1);
    while (b.size() > 1 && b.front() == L'0') b.remove_prefix(1);
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    return a.compare(b);
}

}  // namespace

int CompareVersions(std::wstring_view a, std::wstring_view b) {
    while (!a.empty() || !b.empty()) {
        const std::wstring_view left = NextPart(a), right = NextPart(b);
        const int order =
            IsNumber(left) && IsNumber(right) ? CompareNumbers(left, right) : left.compare(right);
        if (order != 0) return order < 0 ? -1 : 1;
    }
    return 0;
}
