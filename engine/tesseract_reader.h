#pragma once

#include <memory>
#include <optional>
#include <string>

namespace tesseract {
class TessBaseAPI;
}

// Tesseract with the models this machine has: English and Simplified Chinese
// together when both are installed, else whichever is. Loaded once.
class TesseractReader {
public:
    TesseractReader();
    ~TesseractReader();

    // False when no usable language data was found or loading failed.
    bool Load();
    const std::string& Languages() const { return languages_; }

    // The text of the picture file as UTF-8; nothing when it cannot be read.
    std::optional<std::string> ReadFile(const std::string& path);

private:
    std::unique_ptr<tesseract::TessBaseAPI> api_;
    std::string languages_;
};

// The tessdata folder to use: $TESSDATA_PREFIX, else the first installed one.
std::string FindTessdataFolder();
// "eng+chi_sim", "eng", "chi_sim" or empty, from the files in folder.
std::string AvailableLanguages(const std::string& folder);
