#pragma once

#include <functional>
#include <set>
#include <string>
#include <string_view>

#include "recognition/ocr_result.h"

// The text a result shows and saves: each line followed by CR LF; for a bank
// card the bank name and the card number; for a bank account licence the
// picked fields; an empty text becomes the "OCRNone" text.
std::wstring BuildResultText(const OcrResult& result);
// The same without the "OCRNone" stand-in: empty when the image held no text.
std::wstring ResultTextOf(const OcrResult& result);
// The pieces of that text in order, for writers that pass a long text on
// without assembling it.
void VisitResultText(const OcrResult& result, const std::function<void(std::wstring_view)>& piece);

// A batch's result files: "<name part of the image>.txt" (or "<position>.txt"
// for an image without a name part) as UTF-16LE with a byte-order mark.
std::wstring ResultFileName(const std::wstring& imagePath, int position);

// The result file names of one batch. Two pictures of the same name from
// different folders would share one file, and the first text would be lost;
// a name already given in the batch gets " (2)", " (3)", ... before ".txt".
class BatchResultNames {
public:
    std::wstring Next(const std::wstring& imagePath, int position);

private:
    std::set<std::wstring> given_;
};
bool SaveTextToFile(const std::wstring& path, const std::wstring& text);
// The first free folder savePath/name, name1, name2, ... created with its
// parents; name is the "OutFolderName" text or "taviOCR". Empty on failure.
std::wstring MakeOutputFolder(const std::wstring& savePath);
