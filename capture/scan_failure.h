#pragma once

#include <string>

#include "twain/twain_types.h"

// The message key of a scan the scanner ended early (a TWAIN condition from
// the source: paper jam, cover open, no paper, busy, device error); empty
// for an ordinary end.
std::wstring ScanFailureKey(TW_UINT16 condition);

// The key of the message that says a batch is partial: its format takes the
// failure's own message.
inline constexpr wchar_t kScanPartialKey[] = L"ScanPartial";
