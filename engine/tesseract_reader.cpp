#include "engine/tesseract_reader.h"

#include <leptonica/allheaders.h>
#include <tesseract/baseapi.h>

#include <cstdlib>
#include <filesystem>

#include "engine/screen_text_prep.h"
#include "platform/debug_trace.h"

namespace {

bool HasModel(const std::string& folder, const char* language) {
    std::error_code error;
    return std::filesystem::is_regular_file(folder + "/" + language + ".traineddata", error);
}

}  // namespace

std::string FindTessdataFolder() {
    if (const char* prefix = std::getenv("TESSDATA_PREFIX"); prefix && *prefix) return prefix;
    for (const char* folder :
         {"/usr/share/tesseract-ocr/5/tessdata", "/usr/share/tesseract-ocr/4.00/tessdata",
          "/usr/share/tessdata", "/usr/local/share/tessdata"})
        if (HasModel(folder, "eng") || HasModel(folder, "chi_sim")) return folder;
    return {};
}

std::string AvailableLanguages(const std::string& folder) {
    if (folder.empty()) return {};
    const bool english = HasModel(folder, "eng");
    const bool chinese = HasModel(folder, "chi_sim");
    if (english && chinese) return "eng+chi_sim";
    return english ? "eng" : chinese ? "chi_sim" : "";
}

TesseractReader::TesseractReader() = default;

TesseractReader::~TesseractReader() {
    if (api_) api_->End();
}

bool TesseractReader::Load() {
    const std::string folder = FindTessdataFolder();
    languages_ = AvailableLanguages(folder);
    if (languages_.empty()) return false;
    api_ = std::make_unique<tesseract::TessBaseAPI>();
    if (api_->Init(folder.c_str(), languages_.c_str(), tesseract::OEM_LSTM_ONLY) != 0) {
        api_.reset();
        return false;
    }
    // Automatic layout copes with both screenshots (blocks of UI text) and
    // scanned pages; the progress chatter goes nowhere.
    api_->SetPageSegMode(tesseract::PSM_AUTO);
    api_->SetVariable("debug_file", "/dev/null");
    return true;
}

std::optional<std::string> TesseractReader::ReadFile(const std::string& path) {
    if (!api_) return std::nullopt;
    Pix* source = pixRead(path.c_str());
    if (!source) return std::nullopt;
    PreparedPage page = PrepareScreenText(source);
    pixDestroy(&source);
    if (!page.pix) return std::nullopt;
    DebugTrace(L"glyphs %d px, scale %.2f, %d dpi", page.glyphHeight,
               static_cast<double>(page.scale), page.resolution);
    api_->SetImage(page.pix);
    // An unscaled picture is left to Tesseract's own estimate, which reads
    // ordinary screen text best; a scaled one is declared, since the
    // estimate of a scaled picture is off.
    if (page.scale > 1.0f) api_->SetSourceResolution(page.resolution);
    char* text = api_->GetUTF8Text();
    pixDestroy(&page.pix);
    api_->Clear();
    if (!text) return std::nullopt;
    std::string result(text);
    delete[] text;
    return result;
}
