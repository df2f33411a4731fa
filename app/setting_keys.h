#pragma once

#include <array>
#include <string_view>

#include "app/settings.h"

// Every config.ini key, declared once: its section, name, the field it fills
// and where its default comes from. Readers and writers name these constants
// instead of repeating key strings.
enum class DefaultFrom { Fixed, OemOcrLanguage, UiLanguage };

struct IntSettingKey {
    std::wstring_view section;
    std::wstring_view key;
    int AppSettings::*field;
    int fallback;  // the default when DefaultFrom::Fixed
    DefaultFrom from = DefaultFrom::Fixed;
};

struct TextSettingKey {
    std::wstring_view section;
    std::wstring_view key;
    std::size_t capacity;  // characters including the terminating zero
};

inline constexpr IntSettingKey kCanUpdate{L"General", L"CanUpdate", &AppSettings::CanUpdate, 1};
inline constexpr IntSettingKey kAwareDpi{L"Main", L"AwareDPI", &AppSettings::AwareDPI, 0};
inline constexpr TextSettingKey kSavePath{L"General", L"SavePath", 260};
inline constexpr IntSettingKey kHideWhenClose{L"General", L"HideWhenClose",
                                              &AppSettings::HideWhenClose, 1};
inline constexpr IntSettingKey kRemindWhenClose{L"General", L"RemindWhenClose",
                                                &AppSettings::RemindWhenClose, 1};
inline constexpr IntSettingKey kRemindWhenCopy{L"General", L"RemindWhenCopy",
                                               &AppSettings::RemindWhenCopy, 1};
inline constexpr IntSettingKey kCompressedSizeLimit{L"General", L"CompressedSizeLimit",
                                                    &AppSettings::CompressedSizeLimit, 0};
inline constexpr IntSettingKey kHotKey{L"General", L"HotKey", &AppSettings::HotKey, kDefaultHotKey};
inline constexpr IntSettingKey kMaxImageSize{L"General", L"MaxImageSize",
                                             &AppSettings::MaxImageSize, 4096};
inline constexpr IntSettingKey kUseHighQuality{L"General", L"UseHighQuality",
                                               &AppSettings::UseHighQuality, 1};
inline constexpr IntSettingKey kRemindMergeBatch{L"General", L"RemindMergeBatch",
                                                 &AppSettings::RemindMergeBatch, 1};
inline constexpr IntSettingKey kOcrLanguage{L"General", L"OCRLanguage", &AppSettings::OCRLanguage,
                                            0, DefaultFrom::OemOcrLanguage};
inline constexpr IntSettingKey kLanguage{L"General", L"Language", &AppSettings::Language, 0,
                                         DefaultFrom::UiLanguage};
// Written after every language pick; nothing reads it back.
inline constexpr std::wstring_view kLcidSection = L"Setting";
inline constexpr std::wstring_view kLcidKey = L"LCID";

// The integer keys in the order start-up reads them (SavePath is read between
// AwareDPI and HideWhenClose).
inline constexpr std::array kIntSettings{kCanUpdate,        kAwareDpi,       kHideWhenClose,
                                         kRemindWhenClose,  kRemindWhenCopy, kCompressedSizeLimit,
                                         kHotKey,           kMaxImageSize,   kUseHighQuality,
                                         kRemindMergeBatch, kOcrLanguage,    kLanguage};

// Assigns the field of the process-wide record and writes the key at once.
bool ChangeSetting(const IntSettingKey& setting, int value);
bool ChangeSavePath(std::wstring_view path);
