#include "recognition/recognition_job.h"

#include "app/settings.h"
#include "net/endpoints.h"
#include "offline/offline_engine.h"
#include "platform/cancellation.h"
#include "platform/file_io.h"
#include "recognition/answer_parser.h"
#include "recognition/credentials.h"
#include "recognition/image_prep.h"
#include "recognition/ocr_client.h"
#include "recognition/table_service.h"
#include "recognition/upload_picture.h"

RecognitionJob::RecognitionJob()
    : offlineFactory_([] { return std::make_unique<OfflineEngine>(); }) {}

RecognitionJob::~RecognitionJob() { Wait(); }

void RecognitionJob::SetLanguageNumber(unsigned number) {
    textOptions_.languageType = LanguageTypeForNumber(number, textOptions_.languageType);
}

bool RecognitionJob::OfflineEngineAvailable() const {
    auto engine = offlineFactory_ ? offlineFactory_() : nullptr;
    return engine && engine->IsAvailable();
}

bool RecognitionJob::IsRunning() const { return worker_.joinable() && !finished_; }

void RecognitionJob::Wait() {
    if (worker_.joinable()) worker_.join();
}

bool RecognitionJob::StartRecognition(std::vector<std::wstring> paths, int kind) {
    if (!notifyWindow_ || !notifyWindow_->IsWindow()) return false;
    if (IsRunning()) return false;
    if (worker_.joinable()) worker_.join();  // reap the finished one
    errorKey_.clear();
    failedImages_.clear();
    highQuality_ = GlobalSettings().UseHighQuality != 0;
    paths_ = std::move(paths);
    kind_ = kind;
    finished_ = false;
    cancelled_ = false;
    worker_ = std::thread([this] {
        const ScopedCancel cancel(&cancelled_);
        RunWorker();
        finished_ = true;
    });
    return true;
}

void RecognitionJob::Send(const OcrResult* result, std::size_t position) {
    notifyWindow_->OnOcrResult(result, ResultPlace{paths_[position], position});
}

void RecognitionJob::RunWorker() {
    if (!notifyWindow_->IsWindow() || paths_.empty()) return;
    if (kind_ != kKindIdCardBothSides) {
        for (std::size_t position = 0; position < paths_.size(); ++position) {
            // A closed window takes no more results; the rest of the batch is dropped.
            if (!notifyWindow_->IsWindow() || cancelled_) return;
            const auto result = RecognizeImage(paths_[position], kind_);
            if (!result) failedImages_.push_back(paths_[position]);
            Send(result.get(), position);
            if (!result) return;
        }
        return;
    }
    // Both identity-card sides: front first, back second, one message.
    const std::size_t last = paths_.size() - 1;
    auto front = RecognizeImage(paths_[0], kKindIdCardFront);
    if (!front) {
        failedImages_.push_back(paths_[0]);
        Send(nullptr, last);
        return;
    }
    if (paths_.size() >= 2) {
        if (const auto back = RecognizeImage(paths_[1], kKindIdCardBack))
            front->textLines.insert(front->textLines.end(), back->textLines.begin(),
                                    back->textLines.end());
        else
            failedImages_.push_back(paths_[1]);
    }
    Send(front.get(), last);
}

std::unique_ptr<OcrResult> RecognitionJob::RecognizeImage(const std::wstring& path, int kind) {
    const CloudCredentials& credentials = ProcessCredentials();
    if (kind == kKindTable && Endpoints().tableHost.empty()) {
        errorKey_ = L"InsecureServiceHost";
        return nullptr;
    }
    if (kind == kKindTable)
        return RecognizeTable(outputFolder_, path, Endpoints().tableHost,
                              {credentials.tableKey, credentials.tableSecret});
    if (!FileExists(path)) {  // missing, a folder, a FIFO or a device
        errorKey_ = L"ImageSizeIsZero";
        return nullptr;
    }
    int callKind = kind;
    const bool highQuality = highQuality_;
    if (kind == kKindTextOfflineFirst) {
        if (highQuality && !offlineOnly_) {
            callKind = kKindText;
        } else if (auto engine = offlineFactory_ ? offlineFactory_() : nullptr;
                   engine && engine->IsAvailable()) {
            std::wstring text;
            if (engine->Recognize(path, text)) {
                auto result = std::make_unique<OcrResult>();
                result->textLines.push_back(text);
                return result;
            }
            if (offlineOnly_ && engine->FoundNoText()) return std::make_unique<OcrResult>();
        }
        if (offlineOnly_) {
            errorKey_ = L"OfflineEngineFailed";
            return nullptr;
        }
    }
    if (Endpoints().ocrHost.empty()) {
        errorKey_ = L"InsecureServiceHost";
        return nullptr;
    }
    // Brought within what the service takes; a file that is no picture goes nowhere.
    PreparedPicture picture = PreparePicture(path, kOcrUploadLimits);
    if (picture.bytes.empty()) {
        errorKey_ = picture.failureKey;
        return nullptr;
    }
    const std::string bytes = std::move(picture.bytes);
    const int requestKind = callKind > kKindTable ? kKindText : callKind;
    const FormMap options =
        callKind > kKindTable ? FormMap{} : BuildKindOptions(callKind, textOptions_);
    ServiceAnswer answer;
    {
        OcrClient client(credentials.appId, credentials.apiKey, credentials.secretKey,
                         Endpoints().ocrHost);
        answer = client.Recognize(requestKind, bytes, options);
    }
    ParseContext context;
    // The identity-card sides are parsed as the two-sided kind they belong to.
    context.jobKind =
        (callKind == kKindIdCardFront || callKind == kKindIdCardBack) ? kKindIdCardBothSides : kind;
    context.callKind = callKind;
    context.useHighQuality = highQuality;
    // A cancelled run says nothing: nobody waits for its outcome any more.
    context.messages = cancelled_ ? nullptr : messages_;
    return ParseOcrAnswer(answer, context);
}
