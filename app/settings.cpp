#include "app/settings.h"

#include <functional>
#include <mutex>

#include "app/language_table.h"
#include "app/process_globals.h"
#include "app/setting_keys.h"
#include "platform/file_io.h"
#include "platform/profile.h"

namespace {

// A new config.ini holds only the UTF-16LE byte-order mark, so that every
// later write keeps the file in UTF-16LE.
constexpr std::string_view kByteOrderMark = "\xFF\xFE";

int DefaultFor(const IntSettingKey& setting, const ProcessGlobals& globals) {
    switch (setting.from) {
        case DefaultFrom::OemOcrLanguage:
            return globals.Oem.OcrLanguage;
        case DefaultFrom::UiLanguage:
            return globals.UiLanguage;
        case DefaultFrom::Fixed:
            break;
    }
    return setting.fallback;
}

}  // namespace

AppSettings& GlobalSettings() {
    static AppSettings settings;
    return settings;
}

std::wstring MakeConfigPath(std::wstring_view appFolder) {
    std::wstring path(appFolder);
    if (path.empty() || path.back() != L'/') path += L'/';
    return path + L"config.ini";
}

int LoadSettings(AppSettings& settings, const ProcessGlobals& globals) {
    settings.ConfigPath = MakeConfigPath(globals.AppFolder);
    CreateFileIfMissing(settings.ConfigPath, kByteOrderMark);

    // One read of the file serves every key.
    const IniDocument doc = ReadProfileDocument(settings.ConfigPath);
    for (const auto& setting : kIntSettings)
        settings.*setting.field =
            ProfileInt(doc.Get(setting.section, setting.key), DefaultFor(setting, globals));
    settings.SavePath = ProfileValue(doc.Get(kSavePath.section, kSavePath.key),
                                     globals.DesktopFolder, kSavePath.capacity);

    // High-quality recognition is on at every start; only the settings dialog
    // turns it off for the rest of the run.
    settings.UseHighQuality = 1;

    if (!settings.SavePath.empty() && !FolderExists(settings.SavePath))
        CreateFolderTree(settings.SavePath);
    return settings.Language;
}

void LoadSettings() {
    ProcessGlobals& globals = Globals();
    const int language = LoadSettings(GlobalSettings(), globals);
    if (language != globals.UiLanguage) globals.UiLanguage = language;
}

namespace {

std::mutex g_notSavedMutex;
std::function<void(const std::wstring&)> g_notSavedHandler;
bool g_notSavedReported = false;

// The first failed write of a run is reported; later ones would only repeat it.
bool Reported(bool written) {
    if (written) return true;
    std::function<void(const std::wstring&)> handler;
    {
        const std::lock_guard lock(g_notSavedMutex);
        if (g_notSavedReported || !g_notSavedHandler) return false;
        g_notSavedReported = true;
        handler = g_notSavedHandler;
    }
    handler(GlobalSettings().ConfigPath);
    return false;
}

}  // namespace

void SetSettingsNotSavedHandler(std::function<void(const std::wstring&)> handler) {
    const std::lock_guard lock(g_notSavedMutex);
    g_notSavedHandler = std::move(handler);
    g_notSavedReported = false;
}

bool WriteSettingInt(std::wstring_view section, std::wstring_view key, int value) {
    return Reported(WritePrivateProfileString(section, key, std::to_wstring(value),
                                              GlobalSettings().ConfigPath));
}

bool WriteSettingText(std::wstring_view section, std::wstring_view key, std::wstring_view text) {
    return Reported(WritePrivateProfileString(section, key, text, GlobalSettings().ConfigPath));
}

bool WriteLanguageLcid(int languageCode) {
    return WriteSettingInt(kLcidSection, kLcidKey, LanguageFor(languageCode).lcid);
}

bool ChangeSetting(const IntSettingKey& setting, int value) {
    GlobalSettings().*setting.field = value;
    return WriteSettingInt(setting.section, setting.key, value);
}

bool ChangeSavePath(std::wstring_view path) {
    GlobalSettings().SavePath = std::wstring(path.substr(0, kSavePath.capacity - 1));
    return WriteSettingText(kSavePath.section, kSavePath.key, GlobalSettings().SavePath);
}
