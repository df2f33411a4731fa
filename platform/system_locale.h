#pragma once

// The Windows ANSI code page that a system in the user's language would have
// (from LC_ALL, LC_CTYPE or LANG): 950 for Traditional Chinese, 936 for
// Simplified Chinese, 932 Japanese, 949 Korean, 1251 Cyrillic, 1256 Arabic,
// 1252 for the western languages and anything unknown.
int SystemAnsiCodePage();
// The same for a locale name such as "zh_TW.UTF-8".
int AnsiCodePageForLocale(const char* localeName);
