#pragma once

#include <string>

// The name of a libcurl result code ("CURLE_OPERATION_TIMEDOUT"), or a sentence
// with the number for codes without a listed name.
std::string CurlErrorText(int code);

// What a failed transfer means for the user: each kind has its own message.
enum class TransferFailure { None, TimedOut, NoNetwork, SecureConnection, AnswerTooLarge, Other };
// A libcurl result as one of those; a write error is the bounded answer
// overflowing (the program's write targets fail for nothing else).
TransferFailure ClassifyTransfer(int curlCode);
