#pragma once

#include <functional>

// Whether a key (a virtual-key code) is held down at this moment, read from
// the X server's keyboard state; false where there is no X server.
bool IsKeyDown(int virtualKey);
inline constexpr int VK_TAB = 0x09;

// Replaces the keyboard for tests on a display without one; null restores it.
void SetKeyboardStateForTest(std::function<bool(int virtualKey)> state);
