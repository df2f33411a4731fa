#pragma once

#include <string>
#include <string_view>

// Folders and files that hold one user's private data in places other users
// can write to (the temporary folder, a runtime folder that was not set up by
// the session). Another user must neither read what is in them nor plant a
// link or a socket that the program would then follow or trust.

// A real folder (not a link) owned by this user, with no rights for anyone else.
bool IsPrivateFolder(std::wstring_view path);

// `path` itself when it is private or can be made so (a missing folder is
// created with mode 0700); otherwise `<path>-<uid>` under the same rule, and
// failing that a fresh folder `<path>-XXXXXX` of its own. Never a folder that
// another user owns or may write to. Returned without a trailing "/"; empty
// when not even a fresh folder can be made there.
std::wstring EnsurePrivateFolder(std::wstring_view path);

// Opens a new file for writing, mode 0600: an existing file or link of that
// name is removed first and the creation refuses to follow a link or reuse a
// file planted in between. -1 on failure (errno tells why).
int CreateFreshFile(std::wstring_view path);

// Writes bytes into a file made by CreateFreshFile; a failed write leaves no file.
bool WriteFreshFile(std::wstring_view path, std::string_view bytes);
