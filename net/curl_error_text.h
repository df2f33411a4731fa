#pragma once

#include <string>

// The name of a libcurl result code ("CURLE_OPERATION_TIMEDOUT"), or a sentence
// with the number for codes without a listed name.
std::string CurlErrorText(int code);
