#include "recognition/account_licence.h"

namespace {

// A search position that moves through the text as markers are found.
class MarkerScanner {
public:
    explicit MarkerScanner(std::wstring_view text) : text_(text) {}

    // The text between the two markers from the current position (starting
    // at the start marker itself when keepStart is set). A marker that is not
    // found gives empty text and moves the position back to 0.
    std::wstring Between(std::wstring_view start, std::wstring_view end, bool keepStart = false) {
        if (pos_ > text_.size()) return Reset();
        const size_t at = text_.find(start, pos_);
        if (at == std::wstring_view::npos) return Reset();
        const size_t begin = keepStart ? at : at + start.size();
        const size_t stop = text_.find(end, begin);
        if (stop == std::wstring_view::npos) return Reset();
        pos_ = stop;
        return std::wstring(text_.substr(begin, stop - begin));
    }

    size_t pos() const { return pos_; }
    void set_pos(size_t pos) { pos_ = pos; }

private:
    std::wstring Reset() {
        pos_ = 0;
        return {};
    }

    std::wstring_view text_;
    size_t pos_ = 0;
};

}  // namespace

std::wstring ParseAccountLicence(std::wstring_view text) {
    if (text.find(L"开户许可证") == std::wstring_view::npos) return {};
    std::wstring out;
    MarkerScanner scan(text);

    std::wstring approval = scan.Between(L"核准号:", L"编号:");
    if (approval.empty()) {
        scan.set_pos(0);
        approval = scan.Between(L"开户许可证", L"核准号");
    }
    if (!approval.empty()) out += L"核准号:" + approval + L"\r\n";

    const std::wstring number = scan.Between(L"编号:", L"经审核", true);
    if (!number.empty()) out += number + L"\r\n";

    const std::wstring company = scan.Between(L"经审核,", L"符合开户条件");
    if (!company.empty()) out += L"公司名:" + company + L"\r\n";

    std::wstring legal = scan.Between(L"(单位负责人)", L"开户银行");
    if (legal.empty()) legal = MarkerScanner(text).Between(L"存款账户", L"法定代表人");
    if (!legal.empty()) out += L"法人:" + legal + L"\r\n";

    std::wstring bank = scan.Between(L"开户银行", L"账号");
    if (!bank.empty()) {
        const std::wstring prefix =
            MarkerScanner(text).Between(L"开立基本存款账户。", L"法定代表人(单位负责人)");
        if (prefix.size() > 4) bank = prefix + bank;
        out += L"开户银行:" + bank + L"\r\n";
    }

    const size_t account = text.find(L"账号", scan.pos());
    if (account != std::wstring_view::npos) {
        size_t end = account + 2;
        while (end < text.size() && text[end] >= L'0' && text[end] <= L'9') ++end;
        if (end > account + 2)
            out += L"账号:" + std::wstring(text.substr(account + 2, end - account - 2)) + L"\r\n";
    }

    for (wchar_t& c : out)
        if (c == L':') c = L'\uFF1A';
    return out;
}
