#pragma once

#include <QString>

#include "app/settings.h"

// The stored hot key word keeps the key registration's modifier flags (Alt 1,
// Ctrl 2, Shift 4, Win 8); the hot key control speaks its own (Shift 1,
// Ctrl 2, Alt 4). Each is turned into the other, so Alt and Shift never trade
// places.
int HotKeyWordToControlFlags(HotKeyWord word);
HotKeyWord MakeHotKeyWord(int virtualKey, int controlFlags);
// The key as the user reads it ("Ctrl+Alt+F4"); empty when none is set.
QString HotKeyWordText(HotKeyWord word);
