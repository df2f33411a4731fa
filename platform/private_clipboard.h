#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "platform/file_io.h"

// Private clipboard formats: data blocks under registered format names that
// one process leaves for another (the offline engine hands its text over this
// way). They live in a per-user folder under the runtime folder, so a block
// outlives the process that wrote it, which an X11 selection would not. This
// store never touches the user's text clipboard.

// The id of a format name, the same in every process of this user (names are
// compared without regard to case); 0 when the store cannot be used.
unsigned RegisterClipboardFormat(std::wstring_view name);

// An open clipboard: holds the per-user lock for its lifetime. Opening waits a
// short bounded time for another holder and then fails.
class PrivateClipboard {
public:
    static constexpr std::chrono::milliseconds kOpenTimeout{500};

    explicit PrivateClipboard(std::chrono::milliseconds timeout = kOpenTimeout);

    bool IsOpen() const { return lock_.owns(); }
    // Replaces the block of the format.
    bool SetData(unsigned format, std::string_view block);
    // The block of the format, or nothing when there is none.
    std::optional<std::string> GetData(unsigned format) const;
    // Removes the blocks of every private format.
    bool Empty();
    // Removes the block of one format; true when none is left.
    bool Remove(unsigned format);

private:
    FileLock lock_;
};

// The folder of the store.
std::wstring PrivateClipboardFolder();
