#include "recognition_fixture.h"

#include <QImage>
#include <filesystem>

#include "app/process_globals.h"
#include "app/settings.h"
#include "net/endpoints.h"
#include "platform/text.h"
#include "recognition/credentials.h"
#include "support/fake_cloud_service.h"

int RecordingMessages::ShowMessageByKey(std::wstring_view key, int style,
                                        std::optional<std::wstring> fallback) {
    std::lock_guard lock(mutex_);
    shown.push_back({std::wstring(key), style, fallback.value_or(L"")});
    return 7;
}

int RecordingMessages::ShowMessageByKeyFormat(std::wstring_view key, std::wstring_view argument,
                                              int style) {
    std::lock_guard lock(mutex_);
    shown.push_back({std::wstring(key), style, std::wstring(argument)});
    return 7;
}

std::vector<std::wstring> RecordingMessages::Keys() const {
    std::vector<std::wstring> keys;
    for (const auto& s : shown) keys.push_back(s.key);
    return keys;
}

void RecordingWindow::OnOcrResult(const OcrResult* result, const ResultPlace& place) {
    messages.push_back(
        {result != nullptr, result ? *result : OcrResult{}, place.imagePath, place.position});
    if (afterMessage) afterMessage();
}

void CloudTest::SetUp() {
    TempEnvironment::SetUp();
    cloud_ = std::make_unique<FakeCloud>();
    UseFakeCloud(*cloud_);
    Globals() = ProcessGlobals{};
    Globals().ExeFolder = Utf8ToWide(TAVIOCR_OUT_DIR);
    Globals().TempWorkFolder = Path("tmp") + L"/";
    Globals().UiLanguage = 0;
    GlobalSettings() = AppSettings{};
    GlobalSettings().UseHighQuality = 1;
}

void CloudTest::TearDown() {
    cloud_.reset();
    ForgetFakeCloud();
    TempEnvironment::TearDown();
}

std::wstring CloudTest::MakeImage(const std::string& name, int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    const std::wstring path = Path(name);
    std::filesystem::create_directories(std::filesystem::path(WideToUtf8(path)).parent_path());
    image.save(QString::fromStdWString(path), "PNG");
    return path;
}
