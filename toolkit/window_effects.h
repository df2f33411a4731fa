#pragma once

#include <functional>

class QWidget;

// Fades a window in or out over the given time; a window faded out is hidden
// when hide is set. done runs when the fade ends. Without a compositor the
// change is immediate.
void FadeInOut(QWidget* window, bool fadeIn, int milliseconds, bool hide,
               std::function<void()> done = {});

// Shakes a window sideways for a moment (refused input), ending where it began.
void ShakeWindow(QWidget* window);
inline constexpr int kShakeMilliseconds = 360;
