#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "recognition/collected_messages.h"
#include "recognition/kinds.h"
#include "recognition/ocr_result.h"
#include "recognition/offline_read_ahead.h"
#include "recognition/recognition_interfaces.h"

// The recognition job the main window owns: a run recognises a list of images
// one after another on one worker thread and reports each outcome to the
// notify window. A run ends when every image is done, when the window has
// gone or the run was cancelled; a single picture's failure ends it with its
// message, a batch goes on past failing pictures and keeps their reasons.
// One recognition run: the pictures, what they show and how to read them.
struct RecognitionRequest {
    std::vector<std::wstring> pictures;
    KindCode kind = KindCode::TextOfflineFirst;
    // The language number of the plain-text kinds (LanguageNumberForSetting);
    // a number without a language keeps the job's last one.
    unsigned language = 1;
    // Plain text is read by the local engine alone: nothing leaves the
    // computer, and what the engine finds no text in has no text.
    bool offlineOnly = false;
};

class RecognitionJob {
public:
    using OfflineEngineFactory =
        std::function<std::unique_ptr<LocalTextEngine>(const LocalEngineOptions&)>;

    RecognitionJob();
    // Waits for a running worker.
    ~RecognitionJob();
    RecognitionJob(const RecognitionJob&) = delete;
    RecognitionJob& operator=(const RecognitionJob&) = delete;

    void SetNotifyWindow(NotifyWindow* window) { notifyWindow_ = window; }
    void SetMessageDisplay(MessageDisplay* messages) { messages_ = messages; }
    // The local engine; without one, every kind goes to the cloud.
    void SetOfflineEngineFactory(OfflineEngineFactory factory) {
        offlineFactory_ = std::move(factory);
    }
    // Makes each picture ready just before it is read (documents' pages).
    using PictureMaker = std::function<MadePicture(const std::wstring& path)>;
    void SetPictureMaker(PictureMaker maker) { pictureMaker_ = std::move(maker); }
    void SetOutputFolder(std::wstring folder) { outputFolder_ = std::move(folder); }
    const std::wstring& OutputFolder() const { return outputFolder_; }
    const std::string& LanguageType() const { return textOptions_.languageType; }

    // False (nothing changed) when there is no window or a run is still busy.
    bool Start(RecognitionRequest request);
    // True while a worker runs.
    bool IsRunning() const;
    // Blocks until the current run has ended.
    void Wait();
    // Ends the current run's transfers and engine waits early; the run then
    // ends with the picture it is at, which gets no outcome: neither a result
    // nor a failure is sent for it.
    void Cancel() { cancelled_ = true; }
    // Whether the last run was cancelled (as opposed to ending by itself,
    // failures included).
    bool Cancelled() const { return cancelled_; }

    // Failure the job found itself ("ImageSizeIsZero"), emptied at every start.
    const std::wstring& ErrorKey() const { return errorKey_; }
    // The images of the last run that gave no result, in order, including a
    // rejected back side of an identity card (whose front still arrives).
    // Read once the run has ended.
    const std::vector<std::wstring>& FailedImages() const { return failedImages_; }
    // A batch's failing pictures with their reasons (messages in the
    // interface language), in order. Read from the notify window's callback
    // or once the run has ended.
    struct PictureFailure {
        std::wstring path;
        std::size_t position;
        std::wstring reason;
    };
    const std::vector<PictureFailure>& Failures() const { return failures_; }
    KindCode Kind() const { return kind_; }

    // Whether the local engine could take plain text now.
    bool OfflineEngineAvailable() const;

    // One image with one kind, on the calling thread, with the settings as
    // they are when the run starts (taken by Start).
    // `offline`: what the local engine already gave for this picture.
    std::unique_ptr<OcrResult> RecognizeImage(const std::wstring& path, KindCode kind,
                                              std::optional<OfflineOutcome> offline = {});

private:
    void RunWorker();
    // Whether plain text of this run goes to the local engine first.
    bool ReadsOfflineFirst() const;
    // Whether the cloud can be asked when the engine fails: where it cannot,
    // the engine has all the time it needs.
    bool CloudCanRead() const;
    OfflineOutcome ReadOffline(const std::wstring& path, unsigned lane) const;
    MadePicture MakePicture(const std::wstring& path) const;
    // The picture at position read as the run's kind, after it was made.
    std::unique_ptr<OcrResult> RecognizeAt(std::size_t position,
                                           std::optional<OfflineOutcome> offline);
    void RecordFailure(std::size_t position);
    void Send(const OcrResult* result, std::size_t position);

    std::vector<std::wstring> paths_;
    std::thread worker_;
    std::atomic<bool> finished_{true};
    std::atomic<bool> cancelled_{false};
    NotifyWindow* notifyWindow_ = nullptr;
    MessageDisplay* messages_ = nullptr;
    OfflineEngineFactory offlineFactory_;
    PictureMaker pictureMaker_;
    std::wstring errorKey_;
    std::vector<std::wstring> failedImages_;
    std::vector<PictureFailure> failures_;
    CollectedMessages collector_;  // a batch picture's messages, kept instead of shown
    bool batch_ = false;
    // Taken from the settings at every start: the worker never reads settings
    // the window may change while it runs.
    bool highQuality_ = true;
    bool offlineOnly_ = false;
    std::wstring outputFolder_;
    KindCode kind_ = KindCode::TextOfflineFirst;
    TextOptions textOptions_;
};
