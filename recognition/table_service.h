#pragma once

#include <map>
#include <memory>
#include <string>

#include "recognition/ocr_result.h"

// Table recognition: the image goes to the table parsing service with a signed
// request and comes back as a complete .xlsx workbook, written into the job's
// output folder.

inline constexpr char kTablePath[] = "/api/predict/ocr_table_parse";

struct TableCredentials {
    std::string appKey;
    std::string appSecret;
};

using HeaderMap = std::map<std::string, std::string>;

// Base64 of HMAC-SHA256 over the gateway's string to sign.
std::string TableSignature(const HeaderMap& headers, const std::string& appSecret);
// The exact text that is signed, for diagnostics and tests.
std::string TableStringToSign(const HeaderMap& headers);
// A fresh upper-case 8-4-4-4-12 nonce.
std::string MakeNonce();
// Milliseconds since 1970 as decimal text.
std::string MakeTimestampMs();

// folder/base.xlsx, or folder/base-N.xlsx for the first N that is free; base
// defaults to the "XlsFile" text. Empty when there is no folder.
std::wstring MakeSpreadsheetPath(const std::wstring& folder, const std::wstring& base);

// Always a result: status 0, kind 15 and the file path on success, else status -1.
std::unique_ptr<OcrResult> RecognizeTable(const std::wstring& outputFolder,
                                          const std::wstring& imagePath, const std::string& host,
                                          const TableCredentials& credentials);
