// End-to-end time of the offline bridge on a full-screen, screenshot-like
// picture (bitmap preparation, engine start, recognition, hand-over), next
// to the tesseract command-line program reading the same bitmap.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

#include "app/process_globals.h"
#include "offline/offline_engine.h"
#include "platform/text.h"
#include "support/rendered_text.h"

namespace {

struct Screenshot {
    Screenshot() {
        folder = std::filesystem::temp_directory_path() /
                 ("taviocr-bench-offline." + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
        picture = (folder / "screen.png").string();
        Globals().ExeFolder = Utf8ToWide(TAVIOCR_OUT_DIR);
        Globals().AppFolder = Utf8ToWide(folder.string());
        ok = RenderLines(picture, ScreenshotLines(34), "#202020", "#f3f3f3", 1920, 1080);
    }
    ~Screenshot() { std::filesystem::remove_all(folder); }
    std::filesystem::path folder;
    std::string picture;
    bool ok = false;
};

Screenshot& Screen() {
    static Screenshot screen;
    return screen;
}

void BM_OfflineRecognizeFullScreen(benchmark::State& state) {
    if (!Screen().ok) return state.SkipWithError("ImageMagick could not draw the picture");
    size_t characters = 0;
    for (auto _ : state) {
        std::wstring text;
        if (!OfflineEngine().Recognize(Utf8ToWide(Screen().picture), text))
            return state.SkipWithError("no text");
        characters = text.size();
    }
    state.counters["characters"] = static_cast<double>(characters);
}
BENCHMARK(BM_OfflineRecognizeFullScreen)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->UseRealTime();

void BM_TesseractCommandSameBitmap(benchmark::State& state) {
    const std::string bitmap = (Screen().folder / "tmp.bmp").string();
    if (!std::filesystem::exists(bitmap)) return state.SkipWithError("run the bridge first");
    const std::string command =
        "OMP_THREAD_LIMIT=1 tesseract '" + bitmap + "' - -l eng+chi_sim >/dev/null 2>&1";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0) return state.SkipWithError("tesseract failed");
}
BENCHMARK(BM_TesseractCommandSameBitmap)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->UseRealTime();

}  // namespace
