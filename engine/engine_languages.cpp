#include "engine/engine_languages.h"

#include <cstdlib>
#include <filesystem>

#include "platform/text.h"

namespace {

constexpr EngineLanguage kLanguages[] = {
    {"CHN_ENG", "eng", "tesseract-ocr-eng"}, {"ENG", "eng", "tesseract-ocr-eng"},
    {"FRE", "fra", "tesseract-ocr-fra"},     {"GER", "deu", "tesseract-ocr-deu"},
    {"ITA", "ita", "tesseract-ocr-ita"},     {"SPA", "spa", "tesseract-ocr-spa"},
    {"POR", "por", "tesseract-ocr-por"},     {"RUS", "rus", "tesseract-ocr-rus"},
    {"JAP", "jpn", "tesseract-ocr-jpn"},     {"KOR", "kor", "tesseract-ocr-kor"},
};

}  // namespace

const EngineLanguage& FindEngineLanguage(std::string_view code) {
    for (const EngineLanguage& language : kLanguages)
        if (EqualsNoCase(Utf8ToWide(std::string(code)), Utf8ToWide(language.code))) return language;
    return kLanguages[0];
}

bool IsChineseAndEnglish(const EngineLanguage& language) { return &language == &kLanguages[0]; }

bool HasModel(const std::string& folder, std::string_view model) {
    std::error_code error;
    return std::filesystem::is_regular_file(folder + "/" + std::string(model) + ".traineddata",
                                            error);
}

std::string FindTessdataFolder() {
    if (const char* prefix = std::getenv("TESSDATA_PREFIX"); prefix && *prefix) return prefix;
    for (const char* folder :
         {"/usr/share/tesseract-ocr/5/tessdata", "/usr/share/tesseract-ocr/4.00/tessdata",
          "/usr/share/tessdata", "/usr/local/share/tessdata"}) {
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(folder, error))
            if (entry.path().extension() == ".traineddata") return folder;
    }
    return {};
}
