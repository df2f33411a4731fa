// Client-side cost of one recognition request for a 10 MB image (read,
// Base64, form escaping) against OpenSSL's Base64 alone, and the throughput of
// a batch of small images against the loopback fake service over TLS.

#include <benchmark/benchmark.h>

#include <QImage>
#include <openssl/evp.h>

#include <filesystem>
#include <random>

#include "app/process_globals.h"
#include "app/settings.h"
#include "net/endpoints.h"
#include "platform/file_io.h"
#include "platform/text.h"
#include "recognition/credentials.h"
#include "recognition/image_prep.h"
#include "recognition/ocr_client.h"
#include "recognition/recognition_job.h"
#include "support/fake_cloud.h"
#include "support/test_certificates.h"

namespace {

std::string TempFolder() {
    static const std::string folder = [] {
        std::string pattern = std::filesystem::temp_directory_path() / "taviocr-bench-rec.XXXXXX";
        ::mkdtemp(pattern.data());
        return pattern;
    }();
    return folder;
}

const std::wstring& TenMegabyteFile() {
    static const std::wstring path = [] {
        std::string bytes(10 * 1024 * 1024, '\0');
        std::mt19937 random(7);
        for (char& b : bytes) b = static_cast<char>(random());
        const std::wstring p = Utf8ToWide(TempFolder() + "/big.jpg");
        WriteFileAtomically(p, bytes, FlushMode::NoFlush);
        return p;
    }();
    return path;
}

void BM_PrepareRequest10MB(benchmark::State& state) {
    const std::wstring& path = TenMegabyteFile();
    for (auto _ : state) {
        std::string bytes;
        ReadFileBytes(path, bytes);
        FormMap form{{"language_type", "ENG"}, {"probability", "true"}};
        form["image"] = Base64Encode(bytes);
        benchmark::DoNotOptimize(EncodeFormPairs(form));
    }
}
BENCHMARK(BM_PrepareRequest10MB)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();

void BM_OpenSslBase64Only10MB(benchmark::State& state) {
    std::string bytes;
    ReadFileBytes(TenMegabyteFile(), bytes);
    std::string out(bytes.size() * 4 / 3 + 4, '\0');
    for (auto _ : state)
        benchmark::DoNotOptimize(EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                                                reinterpret_cast<const unsigned char*>(bytes.data()),
                                                static_cast<int>(bytes.size())));
}
BENCHMARK(BM_OpenSslBase64Only10MB)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();

class CollectingWindow : public NotifyWindow {
public:
    bool IsWindow() const override { return true; }
    void OnOcrResult(const OcrResult* result, const std::wstring&) override { ok += result ? 1 : 0; }
    int ok = 0;
};

void BM_Batch200SmallImagesOverTls(benchmark::State& state) {
    FakeCloud cloud;
    ServiceEndpoints endpoints;
    endpoints.ocrHost = cloud.BaseUrl();
    endpoints.caBundle = Certificates().caFile;
    Endpoints() = endpoints;
    ProcessCredentials() = {"app", FakeCloud::kApiKey, FakeCloud::kSecretKey, "", ""};
    GlobalSettings().UseHighQuality = 1;
    QImage image(200, 60, QImage::Format_RGB32);
    image.fill(Qt::white);
    const std::string file = TempFolder() + "/small.png";
    image.save(QString::fromStdString(file), "PNG");
    const std::vector<std::wstring> paths(200, Utf8ToWide(file));
    for (auto _ : state) {
        CollectingWindow window;
        RecognitionJob job;
        job.SetNotifyWindow(&window);
        job.StartRecognition(paths, 1);
        job.Wait();
        if (window.ok != 200) state.SkipWithError("not every image was recognised");
    }
    state.counters["images/s"] = benchmark::Counter(200.0 * static_cast<double>(state.iterations()),
                                                    benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Batch200SmallImagesOverTls)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly()->UseRealTime();

}  // namespace
