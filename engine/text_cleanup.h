#pragma once

#include <string>

// Tesseract's text made ready for the user: lines end in "\r\n", spaces that
// it puts between Chinese characters are removed, trailing spaces go, and
// runs of blank lines become one (a paragraph break); nothing before the
// first line or after the last.
std::wstring CleanRecognizedText(const std::wstring& text);

// Han ideographs, CJK punctuation and full-width forms.
bool IsCjk(wchar_t c);
