#include "net/curl_error_text.h"

#include <curl/curl.h>

#include <utility>

std::string CurlErrorText(int code) {
    static const std::pair<int, const char*> kNames[] = {
        {1, "CURLE_UNSUPPORTED_PROTOCOL"},   {2, "CURLE_FAILED_INIT"},
        {3, "CURLE_URL_MALFORMAT"},          {5, "CURLE_COULDNT_RESOLVE_PROXY"},
        {6, "CURLE_COULDNT_RESOLVE_HOST"},   {7, "CURLE_COULDNT_CONNECT"},
        {8, "CURLE_FTP_WEIRD_SERVER_REPLY"}, {9, "CURLE_REMOTE_ACCESS_DENIED"},
        {11, "CURLE_FTP_WEIRD_PASS_REPLY"},  {13, "CURLE_FTP_WEIRD_PASV_REPLY"},
        {14, "CURLE_FTP_WEIRD_227_FORMAT"},  {15, "CURLE_FTP_CANT_GET_HOST"},
        {17, "CURLE_FTP_COULDNT_SET_TYPE"},  {18, "CURLE_PARTIAL_FILE"},
        {19, "CURLE_FTP_COULDNT_RETR_FILE"}, {21, "CURLE_QUOTE_ERROR"},
        {22, "CURLE_HTTP_RETURNED_ERROR"},   {23, "CURLE_WRITE_ERROR"},
        {25, "CURLE_UPLOAD_FAILED"},         {26, "CURLE_READ_ERROR"},
        {27, "CURLE_OUT_OF_MEMORY"},         {28, "CURLE_OPERATION_TIMEDOUT"},
        {52, "CURLE_GOT_NOTHING"},
    };
    for (const auto& [number, name] : kNames)
        if (number == code) return name;
    return "Curl Proceesing unsuccessful and return the code:" + std::to_string(code);
}

TransferFailure ClassifyTransfer(int curlCode) {
    switch (curlCode) {
        case CURLE_OK:
            return TransferFailure::None;
        case CURLE_OPERATION_TIMEDOUT:
            return TransferFailure::TimedOut;
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_RESOLVE_PROXY:
        case CURLE_COULDNT_CONNECT:
            return TransferFailure::NoNetwork;
        case CURLE_SSL_CONNECT_ERROR:
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_SSL_CERTPROBLEM:
        case CURLE_SSL_CIPHER:
        case CURLE_SSL_CACERT_BADFILE:
        case CURLE_SSL_ISSUER_ERROR:
        case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
        case CURLE_SSL_INVALIDCERTSTATUS:
        case CURLE_SSL_CRL_BADFILE:
            return TransferFailure::SecureConnection;
        case CURLE_WRITE_ERROR:
            return TransferFailure::AnswerTooLarge;
        default:
            return TransferFailure::Other;
    }
}
