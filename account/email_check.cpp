#include "account/email_check.h"

#include <algorithm>

namespace {

bool AllowedInAddress(wchar_t c) {
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9') ||
           c == L'-' || c == L'.' || c == L'_' || c == L'@';
}

}  // namespace

bool IsValidEmail(std::wstring_view address) {
    if (address.size() < 5 || !std::all_of(address.begin(), address.end(), AllowedInAddress))
        return false;
    const std::size_t at = address.find(L'@');
    if (at == std::wstring_view::npos || address.find(L'@', at + 1) != std::wstring_view::npos)
        return false;
    const auto dots =
        std::count(address.begin() + static_cast<std::ptrdiff_t>(at), address.end(), L'.');
    if (dots < 1 || dots > 3) return false;
    if (address.back() == L'.' || address.back() == L'@') return false;
    return address.find(L"@.", 1) == std::wstring_view::npos &&
           address.find(L".@", 1) == std::wstring_view::npos;
}
