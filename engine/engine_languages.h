#pragma once

#include <string>
#include <string_view>

// The recognition languages of the settings and the Tesseract models that
// read them. Chinese-and-English reads with the English model and adds the
// Simplified Chinese one only for pictures that show Han script.
struct EngineLanguage {
    const char* code;     // as the settings store it: "ENG", "CHN_ENG", ...
    const char* model;    // the model every picture is read with first
    const char* package;  // the Debian package that installs it
};

inline constexpr EngineLanguage kChineseModel{"CHN", "chi_sim", "tesseract-ocr-chi-sim"};

// The language of a code (compared without regard to case); Chinese and
// English for an unknown or empty code, which is what the engine read before
// it was told a language.
const EngineLanguage& FindEngineLanguage(std::string_view code);
bool IsChineseAndEnglish(const EngineLanguage& language);

// Where the models are: $TESSDATA_PREFIX, else the first installed tessdata
// folder that holds any model; empty when there is none.
std::string FindTessdataFolder();
bool HasModel(const std::string& folder, std::string_view model);
