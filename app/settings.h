#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

struct ProcessGlobals;

// Screen-capture hot key: bits 16..31 the virtual-key code, bits 0..15 the
// modifier flags (alt 1, control 2, shift 4, win 8); 0 means none.
using HotKeyWord = std::int32_t;
inline constexpr HotKeyWord kDefaultHotKey = 0x730000;  // F4, no modifier

inline int HotKeyVirtualKey(HotKeyWord word) { return static_cast<std::uint32_t>(word) >> 16; }
inline int HotKeyModifiers(HotKeyWord word) { return static_cast<std::uint32_t>(word) & 0xFFFF; }

// The user's preferences, one record for the whole process. Every change is
// assigned here and written to config.ini at the same moment.
struct AppSettings {
    std::wstring SavePath;
    std::wstring ConfigPath;
    int CanUpdate = 0;
    int AwareDPI = 0;
    int HideWhenClose = 0;
    int RemindWhenClose = 0;
    int CompressedSizeLimit = 0;
    int RemindWhenCopy = 0;
    int UseHighQuality = 0;
    int RemindMergeBatch = 0;
    HotKeyWord HotKey = 0;
    int MaxImageSize = 4096;
    int OCRLanguage = 0;
    int Language = 0;
};

AppSettings& GlobalSettings();

// config.ini beside the other per-user files.
std::wstring MakeConfigPath(std::wstring_view appFolder);

// Creates config.ini as a bare UTF-16LE byte-order mark when it is missing,
// reads every key (defaults for the absent ones), starts UseHighQuality as on,
// creates the SavePath folder and returns the stored interface language.
// Nothing is written to the file beyond the byte-order mark.
int LoadSettings(AppSettings& settings, const ProcessGlobals& globals);
// The same for the process-wide record; a stored Language replaces UiLanguage.
void LoadSettings();

// Told (once a run, with config.ini's path) when a setting cannot be written:
// a full disk, no rights, a file too large to read. The value stays in memory.
void SetSettingsNotSavedHandler(std::function<void(const std::wstring& configPath)> handler);

// One key of config.ini, written at once ("%d" for integers); a failed write
// leaves the value in memory and is reported to the handler above.
bool WriteSettingInt(std::wstring_view section, std::wstring_view key, int value);
bool WriteSettingText(std::wstring_view section, std::wstring_view key, std::wstring_view text);
// [Setting] LCID of that interface language (1033 for unlisted codes).
bool WriteLanguageLcid(int languageCode);
