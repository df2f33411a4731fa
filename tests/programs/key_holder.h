#pragma once

// Another program's grab of a key on the root window (F4 without modifiers),
// on a connection of its own; released on destruction.
class KeyHolder {
public:
    KeyHolder();
    ~KeyHolder();
    KeyHolder(const KeyHolder&) = delete;
    KeyHolder& operator=(const KeyHolder&) = delete;
    bool Holding() const { return display_ != nullptr; }

private:
    struct _XDisplay* display_;
};
