#include "recognition/result_text.h"

#include <cerrno>

#include "app/diagnostics.h"
#include "app/language_file.h"
#include "platform/file_io.h"
#include "platform/text.h"
#include "recognition/account_licence.h"
#include "recognition/kinds.h"

void VisitResultText(const OcrResult& result, const std::function<void(std::wstring_view)>& piece) {
    for (const FoundBarcode& barcode : result.barcodes) {
        piece(BarcodeLine(barcode));
        piece(L"\r\n");
    }
    if (result.kind == KindCode::BankAccountLicence) {
        std::wstring joined;
        for (const auto& line : result.textLines) joined += line;
        piece(ParseAccountLicence(joined));
        return;
    }
    for (const auto& line : result.textLines) {
        piece(line);
        piece(L"\r\n");
    }
    if (result.kind == KindCode::BankCard) {
        piece(result.bankName);
        piece(L"\r\n");
        piece(Utf8ToWide(result.bankCardNumber));
    }
}

std::wstring ResultTextOf(const OcrResult& result) {
    std::size_t size = 0;
    VisitResultText(result, [&](std::wstring_view piece) { size += piece.size(); });
    std::wstring text;
    text.reserve(size);
    VisitResultText(result, [&](std::wstring_view piece) { text += piece; });
    return text;
}

std::wstring BuildResultText(const OcrResult& result) {
    std::wstring text = ResultTextOf(result);
    return text.empty() ? LangText(L"OCRNone") : text;
}

std::wstring ResultFileName(const std::wstring& imagePath, int position) {
    const size_t slash = imagePath.rfind(L'/');
    const std::wstring name = slash == std::wstring::npos ? imagePath : imagePath.substr(slash + 1);
    return (name.empty() ? std::to_wstring(position) : name) + L".txt";
}

std::wstring BatchResultNames::Next(const std::wstring& imagePath, int position) {
    const std::wstring first = ResultFileName(imagePath, position);
    std::wstring name = first;
    const std::wstring stem = first.substr(0, first.size() - 4);  // without ".txt"
    for (int copy = 2; !given_.insert(name).second; ++copy)
        name = stem + L" (" + std::to_wstring(copy) + L").txt";
    return name;
}

bool SaveTextToFile(const std::wstring& path, const std::wstring& text) {
    if (!WriteFileAtomically(path, "\xFF\xFE" + EncodeUtf16Le(text))) {
        WriteLog(L"SaveTextToFile fail,err=%d", errno);
        return false;
    }
    return true;
}

std::wstring MakeOutputFolder(const std::wstring& savePath) {
    if (savePath.empty()) return {};
    std::wstring name = LangText(L"OutFolderName");
    if (name.empty()) name = L"taviOCR";
    std::wstring base = savePath;
    if (base.back() != L'/') base += L'/';
    base += name;
    for (int i = 0; i < 100000; ++i) {
        const std::wstring candidate = i == 0 ? base : base + std::to_wstring(i);
        if (FileExists(candidate) || FolderExists(candidate)) continue;
        return CreateFolderTree(candidate) ? candidate : std::wstring();
    }
    return {};
}
