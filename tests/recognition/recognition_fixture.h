#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "recognition/ocr_result.h"
#include "recognition/recognition_interfaces.h"
#include "support/fake_cloud.h"
#include "support/temp_environment.h"

// Remembers every message the recognition service asked to show.
class RecordingMessages : public MessageDisplay {
public:
    struct Shown {
        std::wstring key;
        int style;
        std::wstring text;  // fallback or argument
    };
    int ShowMessageByKey(std::wstring_view key, int style,
                         std::optional<std::wstring> fallback) override;
    int ShowMessageByKeyFormat(std::wstring_view key, std::wstring_view argument,
                               int style) override;
    std::vector<Shown> shown;
    std::vector<std::wstring> Keys() const;

private:
    std::mutex mutex_;
};

// Copies what each WM_OCR_RESULT carried.
class RecordingWindow : public NotifyWindow {
public:
    struct Message {
        bool hasResult;
        OcrResult result;
        std::wstring path;
        std::size_t position;
    };
    bool IsWindow() const override { return alive; }
    void OnOcrResult(const OcrResult* result, const ResultPlace& place) override;
    bool alive = true;
    std::vector<Message> messages;
    // Runs after each message is recorded, on the worker thread (as the
    // user's actions would while a batch is running).
    std::function<void()> afterMessage;
};

// Real language files, a fake cloud on loopback trusted through the test CA,
// test credentials and temporary folders.
class CloudTest : public TempEnvironment {
protected:
    void SetUp() override;
    void TearDown() override;
    // A real small PNG image file.
    std::wstring MakeImage(const std::string& name, int width = 64, int height = 32);

    std::unique_ptr<FakeCloud> cloud_;
    RecordingMessages messages_;
};
