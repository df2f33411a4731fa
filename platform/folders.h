#pragma once

#include <string>

// Where the program's folders lie on this desktop. Each call reads the
// environment anew, so a test that redirects HOME or an XDG variable sees the
// redirected folder at once.

// Folder of the running executable, without a trailing separator.
std::wstring QueryExeFolder();
// The user's home: $HOME, else the password database.
std::wstring QueryHomeFolder();
// $XDG_DATA_HOME/TaviOCR (default ~/.local/share/TaviOCR), created when missing.
std::wstring QueryAppFolder();
// XDG_DESKTOP_DIR from the environment or user-dirs.dirs, else ~/Desktop.
std::wstring QueryDesktopFolder();
// $TMPDIR or /tmp, always ending in "/".
std::wstring QueryTempWorkFolder();
// $XDG_CONFIG_HOME (default ~/.config).
std::wstring QueryUserConfigFolder();
// $TAVIOCR_MACHINE_DIR (default /var/lib/taviocr): the machine-wide store.
std::wstring QueryMachineStoreFolder();
// $XDG_RUNTIME_DIR when it is private to this user, else a private per-user
// folder under the temporary folder, which then becomes $XDG_RUNTIME_DIR of
// this process (call it once at start, before threads exist).
std::wstring QueryRuntimeFolder();
