#include "recognition/table_service.h"

#include <json/json.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>
#include <zip.h>

#include <chrono>
#include <cstdio>

#include "app/language_file.h"
#include "net/curl_client.h"
#include "platform/file_io.h"
#include "recognition/answer_failure.h"
#include "recognition/image_prep.h"
#include "recognition/ocr_client.h"
#include "recognition/upload_picture.h"

namespace {

const std::string& Header(const HeaderMap& headers, const char* name) {
    static const std::string kEmpty;
    const auto it = headers.find(name);
    return it == headers.end() ? kEmpty : it->second;
}

// An .xlsx workbook is a zip archive with its content types and at least one
// sheet; anything else the service sends as "tables" (an error text, a
// truncated payload, a file that merely starts like a zip) is no table.
bool IsWorkbook(const std::string& bytes) {
    if (bytes.size() < 22 || bytes.compare(0, 4, "PK\x03\x04") != 0) return false;
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    zip_t* archive =
        source ? zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error) : nullptr;
    zip_error_fini(&error);
    if (!archive) {
        if (source) zip_source_free(source);
        return false;
    }
    bool hasSheet = false;
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < count && !hasSheet; ++i) {
        const char* name = zip_get_name(archive, static_cast<zip_uint64_t>(i), 0);
        hasSheet = name && std::string_view(name).starts_with("xl/worksheets/");
    }
    const bool hasTypes = zip_name_locate(archive, "[Content_Types].xml", 0) >= 0;
    zip_discard(archive);  // frees the source too
    return hasTypes && hasSheet;
}

std::unique_ptr<OcrResult> Failed(std::unique_ptr<OcrResult> result, const wchar_t* key) {
    result->failureKey = key;
    return result;
}

std::wstring NameWithoutExtension(const std::wstring& path) {
    const size_t slash = path.rfind(L'/');
    std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    const size_t dot = name.rfind(L'.');
    if (dot != std::wstring::npos) name.erase(dot);
    return name;
}

}  // namespace

std::string TableStringToSign(const HeaderMap& headers) {
    return "POST\n" + Header(headers, "Accept") + "\n\n" + Header(headers, "Content-Type") +
           "\n\nX-Ca-Key:" + Header(headers, "X-Ca-Key") +
           "\nX-Ca-Nonce:" + Header(headers, "X-Ca-Nonce") +
           "\nX-Ca-Timestamp:" + Header(headers, "X-Ca-Timestamp") + "\n" + kTablePath;
}

std::string TableSignature(const HeaderMap& headers, const std::string& appSecret) {
    const std::string text = TableStringToSign(headers);
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    HMAC(EVP_sha256(), appSecret.data(), static_cast<int>(appSecret.size()),
         reinterpret_cast<const unsigned char*>(text.data()), text.size(), digest, &length);
    return Base64Encode(std::string_view(reinterpret_cast<const char*>(digest), length));
}

std::string MakeNonce() {
    unsigned char b[16];
    if (RAND_bytes(b, sizeof b) != 1) return {};
    b[6] = static_cast<unsigned char>((b[6] & 0x0F) | 0x40);  // a version-4 GUID
    b[8] = static_cast<unsigned char>((b[8] & 0x3F) | 0x80);
    char text[40];
    std::snprintf(text, sizeof text,
                  "%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X", b[0],
                  b[1], b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10], b[11], b[12], b[13],
                  b[14], b[15]);
    return text;
}

std::string MakeTimestampMs() {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

std::wstring MakeSpreadsheetPath(const std::wstring& folder, const std::wstring& base) {
    if (folder.empty()) return {};
    const std::wstring name = base.empty() ? LangText(L"XlsFile") : base;
    std::wstring path = folder + L"/" + name + L".xlsx";
    for (int n = 1; FileExists(path) || FolderExists(path); ++n)
        path = folder + L"/" + name + L"-" + std::to_wstring(n) + L".xlsx";
    return path;
}

std::unique_ptr<OcrResult> RecognizeTable(const std::wstring& outputFolder,
                                          const std::wstring& imagePath, const std::string& host,
                                          const TableCredentials& credentials) {
    auto result = std::make_unique<OcrResult>();
    PreparedPicture picture = PreparePicture(imagePath, kTableUploadLimits);
    if (picture.bytes.empty()) return Failed(std::move(result), picture.failureKey.c_str());
    const std::string image = std::move(picture.bytes);

    Json::Value body(Json::objectValue);
    body["configure"]["format"] = "xlsx";
    body["configure"]["finance"] = false;
    body["configure"]["dir_assure"] = true;
    body["image"] = Base64Encode(image);

    HeaderMap headers{
        {"Content-Type", "application/octet-stream;charset=utf-8"},
        {"Accept", "application/json;charset=utf-8"},
        {"X-Ca-Key", credentials.appKey},
        {"X-Ca-Version", "1"},
        {"X-Ca-Signature-Headers", "X-Ca-Key,X-Ca-Nonce,X-Ca-Timestamp"},
        {"X-Ca-Timestamp", MakeTimestampMs()},
        {"X-Ca-Nonce", MakeNonce()},
        {"X-Ca-Signature-Method", "HmacSHA256"},
    };
    headers["X-Ca-Signature"] = TableSignature(headers, credentials.appSecret);
    std::vector<std::string> lines;
    for (const auto& [key, value] : headers) lines.push_back(key + ":" + value);

    CCurlClient client;
    const std::string answer =
        client.PostWithHeaders(host + kTablePath, body.toStyledString(), lines);
    if (client.LastResult() != 0)
        return Failed(std::move(result), TransferFailureKey(client.LastResult()));
    Json::Value parsed;
    std::string parseError;
    // A gateway's refusal comes as an error page or a JSON text without success.
    if (answer.empty() || answer.front() != '{' || !ParseJsonStrict(answer, parsed, parseError) ||
        !parsed.isObject())
        return Failed(std::move(result), L"TableRefused");
    const Json::Value& success = parsed["success"];
    const Json::Value& tables = parsed["tables"];
    if (!success.isBool() || !success.asBool() || !tables.isString() || tables.asString().empty())
        return Failed(std::move(result), L"TableRefused");
    const std::string workbook = Base64Decode(tables.asString());
    if (!IsWorkbook(workbook)) return Failed(std::move(result), L"TableNotWorkbook");
    // The folder may have been removed while the batch ran; the table the
    // service has just made is not thrown away for that.
    if (!outputFolder.empty()) CreateFolderTree(outputFolder);
    const std::wstring path = MakeSpreadsheetPath(outputFolder, NameWithoutExtension(imagePath));
    if (path.empty() || !WriteFileAtomically(path, workbook))
        return Failed(std::move(result), L"TableNotSaved");
    result->kind = KindCode::Table;
    result->filePath = path;
    result->status = 0;
    return result;
}
