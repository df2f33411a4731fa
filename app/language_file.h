#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Display texts and messages by key from the language file of the interface
// language. The file is opened anew for every lookup and nothing is cached, so
// a language switch takes effect at the next lookup. Safe on any thread.

inline constexpr std::wstring_view kTextSection = L"Text";
inline constexpr std::wstring_view kMessageSection = L"Message";
// Room of the fixed text buffers, terminating zero included.
inline constexpr std::size_t kLangTextCapacity = 260;

// ExeFolder/language/tr.dat for Traditional Chinese (950), else en.dat.
std::wstring LanguageFilePath();
std::wstring LanguageFilePathFor(int languageCode);

// True when the key was found; output then holds its value, else the default,
// either cut to capacity - 1 characters. A missing file, section or stream, or
// one that cannot be read, gives false.
bool ReadLangEntry(std::wstring_view section, std::wstring_view key, std::wstring_view defaultText,
                   std::wstring& output, std::size_t capacity, std::wstring_view filePath);

// Every entry of a section in file order; empty when it cannot be read.
std::vector<std::pair<std::wstring, std::wstring>> ReadLangSection(std::wstring_view section,
                                                                   std::wstring_view filePath);

// Whether the file holds both sections with entries: an empty, truncated or
// foreign file (or a folder) would give a window without text and without
// the service keys.
bool LanguageFileReadable(std::wstring_view filePath);
// What to say when the interface language's file cannot be read, naming the
// file: in English, as no text of the user's language can be had then.
std::wstring UnreadableLanguageFileMessage(std::wstring_view filePath);

// Section "Text", default "", at most 259 characters.
std::wstring LangText(std::wstring_view key);
// LangText in the ANSI code page (credentials and other narrow values).
std::string LangTextAnsi(std::wstring_view key);
// Section "Message", default "", at most 259 characters.
std::wstring LangMessage(std::wstring_view key);
