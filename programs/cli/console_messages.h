#pragma once

#include <string>

#include "recognition/collected_messages.h"

// The command line holds the recognition's messages until it knows which
// picture they belong to.
using ConsoleMessages = CollectedMessages;

// "taviocr-cli: " + text, as one line on standard error.
void PrintError(const std::wstring& text);
