#pragma once

class QWidget;

// Monitor DPI and size scaling. Qt draws in device-independent pixels and
// scales to the screen itself; CDPI reports the scale so that sizes computed
// by hand (capture frames, bitmaps) can follow it.
class CDPI {
public:
    explicit CDPI(QWidget* window = nullptr);

    // High-DPI scaling is always on here; the call records the wish.
    static void SetDPIAwareness(bool aware);
    static bool IsDPIAware();

    // DPI of the window's screen (or the main screen), 96 at 100 %.
    int GetDPI() const;
    // 100 at 96 DPI, 150 at 144 DPI, ...
    int GetScale() const;
    int Scale(int value) const;
    void SetScale(int dpi);

private:
    QWidget* window_;
    int fixedDpi_ = 0;
};

// Fixes the DPI every open window scales by (0: follow each window's screen).
void SetAllDPI(int dpi);
int AllWindowsDPI();
