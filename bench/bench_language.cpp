// A language lookup opens the compound file, reads and unscrambles the whole
// section every time. Measured on a 64 KiB "Text" section with the key near
// its end, against the same stream bytes read from a plain file: the ratio is
// what the compound-file layer costs.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "app/compound_file.h"
#include "app/lang_stream.h"
#include "app/language_file.h"
#include "app/process_globals.h"
#include "bench/bench_folder.h"
#include "platform/file_io.h"

namespace {

struct Fixture {
    std::wstring folder;
    std::string stored;
};

const Fixture& Prepare() {
    static Fixture fixture = [] {
        Fixture f;
        const std::string pattern = MakeBenchFolder("taviocr-bench-lang");
        f.folder = std::wstring(pattern.begin(), pattern.end());
        std::vector<LangEntry> entries;
        std::size_t bytes = 0;
        for (int i = 0; bytes < 64 * 1024 - 200; ++i) {
            entries.emplace_back(
                L"Key" + std::to_wstring(i),
                L"A display text of ordinary length, number " + std::to_wstring(i));
            bytes += (entries.back().first.size() + entries.back().second.size() + 2) * 2;
        }
        entries.emplace_back(L"LastKey", L"found at the end");
        f.stored = EncodeLangStream(entries);
        CreateFolderTree(f.folder + L"/language");
        WriteCompoundFile(f.folder + L"/language/en.dat",
                          {{"Text", f.stored}, {"Message", EncodeLangStream({{L"Title", L"T"}})}});
        WriteFileAtomically(f.folder + L"/plain.bin", f.stored, FlushMode::NoFlush);
        return f;
    }();
    Globals().ExeFolder = fixture.folder;
    Globals().UiLanguage = 0;
    return fixture;
}

void BM_LangTextNearEnd(benchmark::State& state) {
    Prepare();
    for (auto _ : state) benchmark::DoNotOptimize(LangText(L"LastKey"));
    state.SetLabel("64 KiB section");
}
BENCHMARK(BM_LangTextNearEnd)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

void BM_PlainReadAndLookup(benchmark::State& state) {
    const Fixture& f = Prepare();
    for (auto _ : state) {
        const auto bytes = ReadWholeFile(f.folder + L"/plain.bin", kMaxLangStreamBytes);
        benchmark::DoNotOptimize(LookupLangStream(*bytes, L"LastKey"));
    }
}
BENCHMARK(BM_PlainReadAndLookup)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

}  // namespace
