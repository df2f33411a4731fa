#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "engine/engine_languages.h"
#include "engine/page_reading.h"
#include "engine/screen_text_prep.h"

namespace tesseract {
class TessBaseAPI;
}
struct Pix;

// Tesseract reading pictures in one recognition language. Models are loaded
// on first use and kept; the Chinese model of Chinese-and-English only for a
// picture that shows Han script.
class TesseractReader {
public:
    explicit TesseractReader(const EngineLanguage& language);
    ~TesseractReader();

    // The package of a model this language needs that is not installed;
    // empty when the engine can read.
    std::string MissingPackage() const;

    // A picture made ready for reading: its page, the resolution its file
    // declared (0: none) and the model that reads it.
    struct Input {
        PreparedPage page;
        int declaredResolution = 0;
        const char* model = nullptr;
        Input() = default;
        Input(Input&& other) noexcept;
        Input& operator=(Input&&) = delete;
        ~Input();
    };

    // Loads the model every picture of the language is read with first.
    // Runs beside Prepare (another thread), never beside Read.
    void Preload();
    // The picture file made ready; nothing when it cannot be read.
    std::optional<Input> Prepare(const std::string& path);
    // What the picture shows; nothing when its model cannot be loaded.
    std::optional<PageReading> Read(Input& input);

private:
    tesseract::TessBaseAPI* Model(const char* name);
    const char* ChooseModel(Pix* prepared);
    PageReading Recognise(tesseract::TessBaseAPI& api, const PreparedPage& page);

    const EngineLanguage& language_;
    std::string folder_;
    std::map<std::string, std::unique_ptr<tesseract::TessBaseAPI>> models_;
};
