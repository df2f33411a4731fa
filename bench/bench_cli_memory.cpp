// Peak resident memory of taviocr-cli recognising one 10 MB image against the
// loopback service, measured by peak_rss (see there). The limit is five times the
// file plus 40 MB.
//
// And the cost of a huge answer: a 20 or 60 MiB words_result in the service's
// own shape (words, location, probability per line), printed as plain text
// and as JSON, and one over the 64 MiB cap (refused as too large). Plain text
// should take at most 1.5 times as long as JSON, and the program's peak
// memory at most four times the answer.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

#include "support/fake_cloud.h"
#include "support/test_certificates.h"

namespace {

namespace fs = std::filesystem;

constexpr long kImageBytes = 10 * 1024 * 1024;

// A program folder of its own whose language file holds the fake's keys.
fs::path PrepareProgramFolder(const fs::path& root, const FakeCloud& cloud, size_t imageBytes) {
    const fs::path built = TAVIOCR_OUT_DIR;
    const fs::path app = root / "app";
    fs::create_directories(app / "language");
    for (const char* file :
         {"taviocr-cli", "taviocr-lang", "oem.ini", "language/en.dat", "language/tr.dat"})
        fs::copy_file(built / file, app / file, fs::copy_options::overwrite_existing);
    for (const auto& [key, value] :
         {std::pair{"AAK", FakeCloud::kApiKey}, std::pair{"ASK", FakeCloud::kSecretKey}}) {
        const std::string command = (app / "taviocr-lang").string() + " set " +
                                    (app / "language/en.dat").string() + " Text " + key + " " +
                                    value;
        if (std::system(command.c_str()) != 0) return {};
    }
    std::ofstream(root / "endpoints.ini") << "[Hosts]\nOcr=" << cloud.BaseUrl()
                                          << "\n[TLS]\nCABundle=" << Certificates().caFile << "\n";
    std::string bytes(imageBytes, '\0');
    std::mt19937 random(3);
    for (char& b : bytes) b = static_cast<char>(random());
    std::ofstream(root / "big.jpg", std::ios::binary) << bytes;
    return app;
}

// Runs the command (peak_rss around taviocr-cli) once per iteration; its
// peak in KiB, or -1 after marking the benchmark failed.
long TimedPeakRuns(benchmark::State& state, const std::string& command) {
    long peakKiB = 0;
    for (auto _ : state) {
        FILE* pipe = ::popen(command.c_str(), "r");
        if (!pipe || std::fscanf(pipe, "%ld", &peakKiB) != 1 || ::pclose(pipe) != 0) {
            state.SkipWithError("taviocr-cli did not recognise the image");
            return -1;
        }
    }
    return peakKiB;
}

// Argument: the image size in KiB (a tiny one shows the program's own base).
void BM_CliPeakMemory(benchmark::State& state) {
    const size_t imageBytes = static_cast<size_t>(state.range(0)) * 1024;
    FakeCloud cloud;
    const fs::path root =
        fs::temp_directory_path() / ("taviocr-bench-cli." + std::to_string(::getpid()));
    const fs::path app = PrepareProgramFolder(root, cloud, imageBytes);
    if (app.empty()) return state.SkipWithError("could not prepare the program folder");
    ::setenv("TAVIOCR_ENDPOINTS", (root / "endpoints.ini").c_str(), 1);
    const std::string program = (app / "taviocr-cli").string();
    const std::string image = (root / "big.jpg").string();
    const std::string command =
        std::string(PEAK_RSS_PROGRAM) + " '" + program + "' --engine cloud '" + image + "'";
    const long peakKiB = TimedPeakRuns(state, command);
    ::unsetenv("TAVIOCR_ENDPOINTS");
    fs::remove_all(root);
    if (peakKiB < 0) return;
    state.counters["peak_MiB"] = static_cast<double>(peakKiB) / 1024.0;
    state.counters["limit_MiB"] = (5.0 * imageBytes + 40.0 * 1024 * 1024) / (1024.0 * 1024.0);
}
BENCHMARK(BM_CliPeakMemory)
    ->Arg(1)
    ->Arg(kImageBytes / 1024)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->UseRealTime();

// A text answer of about `bytes` bytes, lines as the service sends them.
std::string LargeTextAnswer(size_t bytes) {
    std::string answer = R"({"log_id": "5425496231209218858", "words_result": [)";
    int line = 0;
    while (answer.size() < bytes) {
        if (line) answer += ',';
        answer += R"({"words": "Line )" + std::to_string(line) +
                  R"( of a long scanned report with some words",)"
                  R"("location": {"top": )" +
                  std::to_string(line * 20) +
                  R"(, "left": 31, "width": 612, "height": 18},)"
                  R"("probability": {"average": 0.968215, "variance": 0.001052, "min": 0.831904}})";
        ++line;
    }
    answer += R"(], "words_result_num": )" + std::to_string(line) + "}";
    return answer;
}

// Arguments: 0 plain text, 1 --json; the answer's size in MiB.
void BM_CliLargeAnswer(benchmark::State& state) {
    const size_t answerBytes = static_cast<size_t>(state.range(1)) * 1024 * 1024;
    FakeCloud cloud;
    const std::string answer = LargeTextAnswer(answerBytes);
    cloud.SetAnswer("/rest/2.0/ocr/v1/general_basic", answer);
    const fs::path root =
        fs::temp_directory_path() / ("taviocr-bench-large." + std::to_string(::getpid()));
    const fs::path app = PrepareProgramFolder(root, cloud, 4096);
    if (app.empty()) return state.SkipWithError("could not prepare the program folder");
    ::setenv("TAVIOCR_ENDPOINTS", (root / "endpoints.ini").c_str(), 1);
    const std::string command = std::string(PEAK_RSS_PROGRAM) + " '" +
                                (app / "taviocr-cli").string() + "' --engine cloud " +
                                (state.range(0) ? "--json '" : "'") + (root / "big.jpg").string() +
                                "'";
    // Over the cap the program fails (as it must): its peak still counts.
    const bool overCap = answer.size() > 64 * 1024 * 1024;
    const long peakKiB = TimedPeakRuns(state, command + (overCap ? " 2>/dev/null; true" : ""));
    ::unsetenv("TAVIOCR_ENDPOINTS");
    fs::remove_all(root);
    if (peakKiB < 0) return;
    state.counters["peak_MiB"] = static_cast<double>(peakKiB) / 1024.0;
    state.counters["peak_per_answer"] = static_cast<double>(peakKiB) * 1024.0 / answer.size();
}
BENCHMARK(BM_CliLargeAnswer)
    ->Args({0, 20})
    ->Args({1, 20})
    ->Args({0, 60})
    ->Args({1, 60})
    ->Args({0, 70})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->UseRealTime();

}  // namespace
