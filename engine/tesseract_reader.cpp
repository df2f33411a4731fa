#include "engine/tesseract_reader.h"

#include <leptonica/allheaders.h>
#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>

#include <cmath>

#include "engine/screen_text_prep.h"
#include "engine/script_detection.h"
#include "platform/debug_trace.h"
#include "platform/text.h"

namespace {

// Below this a declared resolution is no measurement (Tesseract itself
// distrusts it): the picture's text tells instead.
constexpr int kMinCredibleResolution = 70;

std::string TakeText(char* text) {
    if (!text) return {};
    std::string result(text);
    delete[] text;
    return result;
}

// A box of the prepared page in the original picture's pixels.
ReadBox BoxOf(tesseract::ResultIterator& it, tesseract::PageIteratorLevel level,
              const PreparedPage& page) {
    ReadBox box;
    int left = 0, top = 0, right = 0, bottom = 0;
    it.BoundingBox(level, &left, &top, &right, &bottom);
    const auto unscale = [&](int value) {
        return static_cast<int>(std::lround((value - page.border) / page.scale));
    };
    box.left = std::max(0, unscale(left));
    box.top = std::max(0, unscale(top));
    box.width = std::max(0, unscale(right) - box.left);
    box.height = std::max(0, unscale(bottom) - box.top);
    box.confidence = static_cast<int>(std::lround(it.Confidence(level)));
    box.text = TakeText(it.GetUTF8Text(level));
    while (!box.text.empty() && (box.text.back() == '\n' || box.text.back() == ' '))
        box.text.pop_back();
    return box;
}

}  // namespace

TesseractReader::TesseractReader(const EngineLanguage& language)
    : language_(language), folder_(FindTessdataFolder()) {}

TesseractReader::~TesseractReader() {
    for (auto& [name, api] : models_) api->End();
}

std::string TesseractReader::MissingPackage() const {
    if (!HasModel(folder_, language_.model)) return language_.package;
    if (IsChineseAndEnglish(language_) && !HasModel(folder_, kChineseModel.model))
        return kChineseModel.package;
    return {};
}

tesseract::TessBaseAPI* TesseractReader::Model(const char* name) {
    auto& api = models_[name];
    if (api) return api.get();
    auto loaded = std::make_unique<tesseract::TessBaseAPI>();
    if (loaded->Init(folder_.c_str(), name, tesseract::OEM_LSTM_ONLY) != 0) {
        models_.erase(name);
        return nullptr;
    }
    // Automatic layout copes with both screenshots (blocks of UI text) and
    // scanned pages. The page was inverted as a whole where it was dark, so
    // trying every doubtful line inverted again would only cost time; the
    // progress chatter goes nowhere.
    loaded->SetPageSegMode(tesseract::PSM_AUTO);
    loaded->SetVariable("tessedit_do_invert", "0");
    loaded->SetVariable("debug_file", "/dev/null");
    api = std::move(loaded);
    return api.get();
}

const char* TesseractReader::ChooseModel(Pix* prepared) {
    if (!IsChineseAndEnglish(language_)) return language_.model;
    const ScriptSample sample = SampleScript(prepared);
    const HanVerdict verdict = JudgeHanScript(sample);
    DebugTrace(L"script: %d cells, %d square", sample.cells, sample.squareCells);
    // Where the shapes cannot tell, both models read together, as before the
    // engine knew a language: slower, never wrong about the script.
    if (verdict == HanVerdict::Unsure) return "eng+chi_sim";
    return verdict == HanVerdict::Present ? kChineseModel.model : language_.model;
}

PageReading TesseractReader::Recognise(tesseract::TessBaseAPI& api, const PreparedPage& page) {
    PageReading reading;
    if (api.Recognize(nullptr) != 0) return reading;
    reading.text = TakeText(api.GetUTF8Text());
    std::unique_ptr<tesseract::ResultIterator> it(api.GetIterator());
    if (!it) return reading;
    do {
        if (it->Empty(tesseract::RIL_TEXTLINE)) continue;
        reading.lines.push_back(BoxOf(*it, tesseract::RIL_TEXTLINE, page));
        auto& words = reading.words.emplace_back();
        do {
            if (!it->Empty(tesseract::RIL_WORD))
                words.push_back(BoxOf(*it, tesseract::RIL_WORD, page));
        } while (!it->IsAtFinalElement(tesseract::RIL_TEXTLINE, tesseract::RIL_WORD) &&
                 it->Next(tesseract::RIL_WORD));
    } while (it->Next(tesseract::RIL_TEXTLINE));
    return reading;
}

TesseractReader::Input::Input(Input&& other) noexcept
    : page(other.page), declaredResolution(other.declaredResolution), model(other.model) {
    other.page.pix = nullptr;
}

TesseractReader::Input::~Input() { pixDestroy(&page.pix); }

void TesseractReader::Preload() { Model(language_.model); }

std::optional<TesseractReader::Input> TesseractReader::Prepare(const std::string& path) {
    Pix* source = pixRead(path.c_str());
    if (!source) return std::nullopt;
    Input input;
    input.declaredResolution = pixGetYRes(source);
    input.page = PrepareScreenText(source);
    pixDestroy(&source);
    if (!input.page.pix) return std::nullopt;
    input.model = ChooseModel(input.page.pix);
    return input;
}

std::optional<PageReading> TesseractReader::Read(Input& input) {
    tesseract::TessBaseAPI* api = Model(input.model);
    if (!api) return std::nullopt;
    const PreparedPage& page = input.page;
    api->SetImage(page.pix);
    // A resolution the file declared holds (scaled with the picture); without
    // one, Tesseract estimates it from the text of an unscaled picture, and a
    // scaled one is declared from its glyph height, which the estimate of a
    // scaled picture gets wrong.
    int resolution = 0;
    if (input.declaredResolution >= kMinCredibleResolution)
        resolution = static_cast<int>(std::lround(input.declaredResolution * page.scale));
    else if (page.scale != 1.0f)
        resolution = page.resolution;
    api->SetSourceResolution(resolution);
    DebugTrace(L"glyphs %d px, scale %.2f, %d dpi declared, %d dpi used, model %s",
               page.glyphHeight, static_cast<double>(page.scale), input.declaredResolution,
               resolution, Utf8ToWide(input.model));
    PageReading reading = Recognise(*api, page);
    reading.models = input.model;
    api->Clear();
    return reading;
}
