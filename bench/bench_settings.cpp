// Cost of the settings store on a realistic config.ini of 40 keys: writing one
// key (read, edit, atomic replace, flush) and reading every key at start-up.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/process_globals.h"
#include "app/settings.h"
#include "bench/bench_folder.h"
#include "platform/file_io.h"
#include "platform/profile.h"

namespace {

std::wstring PrepareConfig() {
    static std::wstring folder;
    if (folder.empty()) {
        const std::string pattern = MakeBenchFolder("taviocr-bench");
        folder = std::wstring(pattern.begin(), pattern.end());
    }
    Globals().AppFolder = folder;
    Globals().DesktopFolder = folder + L"/Desktop";
    AppSettings& settings = GlobalSettings();
    settings.ConfigPath = MakeConfigPath(folder);
    IniDocument doc;
    const wchar_t* keys[] = {L"CanUpdate",        L"SavePath",       L"HideWhenClose",
                             L"RemindWhenClose",  L"RemindWhenCopy", L"CompressedSizeLimit",
                             L"HotKey",           L"MaxImageSize",   L"UseHighQuality",
                             L"RemindMergeBatch", L"OCRLanguage",    L"Language"};
    for (const wchar_t* key : keys) doc.Set(L"General", key, L"1");
    doc.Set(L"Main", L"AwareDPI", L"0");
    doc.Set(L"Setting", L"LCID", L"1033");
    for (int i = 0; doc.Keys(L"Extra").size() < 26; ++i)
        doc.Set(L"Extra", L"Key" + std::to_wstring(i), L"some longer value " + std::to_wstring(i));
    WriteFileAtomically(settings.ConfigPath, doc.ToFileBytes());
    return settings.ConfigPath;
}

void BM_WriteSettingInt(benchmark::State& state) {
    PrepareConfig();
    int value = 0;
    for (auto _ : state) benchmark::DoNotOptimize(WriteSettingInt(L"General", L"HotKey", ++value));
}
BENCHMARK(BM_WriteSettingInt)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

// The replace alone, with and without flushing to the disk: their difference
// is what durability costs.
void BM_AtomicReplace(benchmark::State& state) {
    const std::wstring path = PrepareConfig();
    const std::string bytes = ReadProfileDocument(path).ToFileBytes();
    const FlushMode mode = state.range(0) ? FlushMode::Durable : FlushMode::NoFlush;
    for (auto _ : state) benchmark::DoNotOptimize(WriteFileAtomically(path, bytes, mode));
    state.SetLabel(state.range(0) ? "flush" : "no flush");
}
BENCHMARK(BM_AtomicReplace)
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

void BM_LoadAllSettings(benchmark::State& state) {
    PrepareConfig();
    for (auto _ : state) {
        AppSettings settings;
        benchmark::DoNotOptimize(LoadSettings(settings, Globals()));
    }
}
BENCHMARK(BM_LoadAllSettings)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

}  // namespace
