#pragma once

#include <QLineEdit>

class CPaintManagerUI;

// Takes a key combination from the keyboard: a key with Ctrl, Alt or Shift,
// or a function key alone. Keeps it as a virtual-key code with hot-key flags.
class CHotKeyUI : public QLineEdit {
    Q_OBJECT
public:
    explicit CHotKeyUI(QWidget* parent = nullptr, CPaintManagerUI* manager = nullptr);
    void SetHotKey(int virtualKey, int hotKeyFlags);
    void GetHotKey(int& virtualKey, int& hotKeyFlags) const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    int virtualKey_ = 0;
    int flags_ = 0;
};
