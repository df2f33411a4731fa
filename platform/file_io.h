#pragma once

#include <chrono>
#include <cstddef>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

// File helpers shared by every store that holds user data: reads are bounded,
// writes replace the file whole so that a crash, a kill or a full disk leaves
// either the old or the new content, never a mix.

std::string NarrowPath(std::wstring_view path);

// The part after the last "/" (the whole path when there is none).
std::wstring FileNamePart(std::wstring_view path);
// Whether the file name ends in one of the extensions (with their dots), without case.
bool HasExtensionNoCase(std::wstring_view path,
                        std::initializer_list<std::wstring_view> extensions);

// A regular file (after links): never a FIFO, a device or a folder, which
// would block or make no sense where a picture or a store is wanted.
bool FileExists(std::wstring_view path);
bool FolderExists(std::wstring_view path);
// Creates the folder and every missing parent; true when it exists afterwards.
bool CreateFolderTree(std::wstring_view path);

// The whole file, or nothing when it is missing, unreadable, not a regular file
// or larger than maxBytes.
std::optional<std::string> ReadWholeFile(std::wstring_view path, std::size_t maxBytes);

enum class FlushMode { Durable, NoFlush };

// Who may read the file written: as before (an existing file keeps its
// permission bits, a new one gets 0666 less the umask), the owner alone
// (0600, for stores that hold secrets), or everyone (0644, whatever the umask,
// for stores every user must read).
enum class FileAccess { AsBefore, OwnerOnly, EveryoneReads };

// Writes bytes to a temporary file beside path, flushes it to the disk (Durable)
// and renames it over path.
bool WriteFileAtomically(std::wstring_view path, std::string_view bytes,
                         FlushMode flush = FlushMode::Durable,
                         FileAccess access = FileAccess::AsBefore);

// Creates the file with exactly these bytes only when it does not exist yet;
// an existing file is never touched. True when the file exists afterwards.
bool CreateFileIfMissing(std::wstring_view path, std::string_view bytes);

// An exclusive advisory lock held on a lock file beside the data file, so that
// it survives the data file being replaced by rename. Released on destruction.
class FileLock {
public:
    // Waits at most `timeout` for the lock; owns() tells whether it was taken.
    FileLock(std::wstring_view lockPath, std::chrono::milliseconds timeout);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool owns() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

// The lock file that guards a data file: "<folder>/.<name>.lock".
std::wstring LockPathFor(std::wstring_view dataPath);
