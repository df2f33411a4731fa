#include "recognition/recognition_job.h"

#include "app/language_file.h"
#include "app/settings.h"
#include "net/endpoints.h"
#include "platform/cancellation.h"
#include "platform/debug_trace.h"
#include "platform/file_io.h"
#include "recognition/answer_parser.h"
#include "recognition/barcodes.h"
#include "recognition/credentials.h"
#include "recognition/image_prep.h"
#include "recognition/ocr_client.h"
#include "recognition/table_service.h"
#include "recognition/upload_picture.h"

RecognitionJob::RecognitionJob() = default;

RecognitionJob::~RecognitionJob() { Wait(); }

bool RecognitionJob::OfflineEngineAvailable() const {
    auto engine = offlineFactory_ ? offlineFactory_(LocalEngineOptions{}) : nullptr;
    return engine && engine->IsAvailable();
}

bool RecognitionJob::ReadsOfflineFirst() const {
    return kind_ == KindCode::TextOfflineFirst && (offlineOnly_ || !highQuality_) &&
           OfflineEngineAvailable();
}

bool RecognitionJob::CloudCanRead() const {
    return !offlineOnly_ && ProcessCredentials().HasCloudOcr() && !Endpoints().ocrHost.empty();
}

OfflineOutcome RecognitionJob::ReadOffline(const std::wstring& path, unsigned lane) const {
    OfflineOutcome outcome;
    LocalEngineOptions options;
    options.language = textOptions_.languageType;
    options.lane = lane;
    // The engine's few seconds belong to the automatic path, where the cloud
    // reads what the engine is too slow for.
    if (!CloudCanRead()) options.timeLimit = std::chrono::milliseconds(0);
    auto engine = offlineFactory_ ? offlineFactory_(options) : nullptr;
    if (!engine || !engine->IsAvailable()) return outcome;
    outcome.read = engine->Recognize(path, outcome.text);
    if (outcome.read) {
        outcome.lines = engine->Lines();
    } else {
        outcome.foundNoText = engine->FoundNoText();
        outcome.missingPackage = engine->MissingModelPackage();
    }
    return outcome;
}

bool RecognitionJob::IsRunning() const { return worker_.joinable() && !finished_; }

void RecognitionJob::Wait() {
    if (worker_.joinable()) worker_.join();
}

bool RecognitionJob::Start(RecognitionRequest request) {
    if (!notifyWindow_ || !notifyWindow_->IsWindow()) return false;
    if (IsRunning()) return false;
    if (worker_.joinable()) worker_.join();  // reap the finished one
    errorKey_.clear();
    failedImages_.clear();
    failures_.clear();
    batch_ = false;
    highQuality_ = GlobalSettings().UseHighQuality != 0;
    paths_ = std::move(request.pictures);
    kind_ = request.kind;
    offlineOnly_ = request.offlineOnly;
    textOptions_.languageType = LanguageTypeForNumber(request.language, textOptions_.languageType);
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
    if (kind_ != KindCode::IdCardBothSides) {
        // A batch goes on past a failing picture; its reason is kept for the
        // summary at the end instead of a box that holds the batch.
        batch_ = paths_.size() > 1;
        // A batch of plain text is read by engines side by side, one per core.
        std::optional<OfflineReadAhead> readAhead;
        if (batch_ && ReadsOfflineFirst())
            readAhead.emplace(
                paths_, OfflineLaneCount(),
                [this](const std::wstring& path, unsigned lane) {
                    // A page that cannot be drawn or brings its own text needs no engine.
                    const MadePicture made = MakePicture(path);
                    return made.ready && !made.textLayer ? ReadOffline(path, lane)
                                                         : OfflineOutcome{};
                },
                &cancelled_);
        for (std::size_t position = 0; position < paths_.size(); ++position) {
            // A closed window takes no more results; the rest of the batch is dropped.
            if (!notifyWindow_->IsWindow() || cancelled_) return;
            collector_.Take();
            errorKey_.clear();
            std::optional<OfflineOutcome> offline;
            if (readAhead) offline = readAhead->Take(position);
            if (cancelled_) return;
            const auto result = RecognizeAt(position, std::move(offline));
            // A picture cut short by a cancel is neither a result nor a
            // failure: the run just ends there.
            if (cancelled_) return;
            if (!result) {
                failedImages_.push_back(paths_[position]);
                if (batch_) RecordFailure(position);
            } else if (batch_ && result->status != 0 && !result->failureKey.empty()) {
                // A table the service could not make arrives as a failed result.
                collector_.ShowMessageByKey(result->failureKey, 0, std::nullopt);
                RecordFailure(position);
            }
            Send(result.get(), position);
            if (!result && !batch_) return;
        }
        return;
    }
    // Both identity-card sides: front first, back second, one message.
    const std::size_t last = paths_.size() - 1;
    auto front = RecognizeImage(paths_[0], KindCode::IdCardFront);
    if (cancelled_) return;
    if (!front) {
        failedImages_.push_back(paths_[0]);
        Send(nullptr, last);
        return;
    }
    if (paths_.size() >= 2) {
        const auto back = RecognizeImage(paths_[1], KindCode::IdCardBack);
        if (cancelled_) return;
        if (back)
            front->textLines.insert(front->textLines.end(), back->textLines.begin(),
                                    back->textLines.end());
        else
            failedImages_.push_back(paths_[1]);
    }
    Send(front.get(), last);
}

MadePicture RecognitionJob::MakePicture(const std::wstring& path) const {
    return pictureMaker_ ? pictureMaker_(path) : MadePicture{};
}

std::unique_ptr<OcrResult> RecognitionJob::RecognizeAt(std::size_t position,
                                                       std::optional<OfflineOutcome> offline) {
    const std::wstring& path = paths_[position];
    const MadePicture made = MakePicture(path);
    if (!made.ready) {
        errorKey_ = L"DocumentPageUnreadable";
        return nullptr;
    }
    std::unique_ptr<OcrResult> result;
    if (made.textLayer && IsTextKind(kind_)) {
        // The page's own text is the page's text: nothing to recognise.
        result = std::make_unique<OcrResult>();
        result->textLines.push_back(*made.textLayer);
        result->source = "pdf-text";
    } else {
        result = RecognizeImage(path, kind_, std::move(offline));
    }
    // Codes on a picture of text are shown beside the text, whoever read it.
    if (result && IsTextKind(kind_)) result->barcodes = FindBarcodesInFile(path);
    return result;
}

void RecognitionJob::RecordFailure(std::size_t position) {
    std::wstring reason;
    for (const std::wstring& text : collector_.Take())
        reason += (reason.empty() ? L"" : L" ") + text;
    if (reason.empty() && !errorKey_.empty()) reason = LangMessage(errorKey_);
    if (reason.empty()) reason = LangMessage(L"OCRNotResult");
    failures_.push_back({paths_[position], position, std::move(reason)});
}

std::unique_ptr<OcrResult> RecognitionJob::RecognizeImage(const std::wstring& path, KindCode kind,
                                                          std::optional<OfflineOutcome> offline) {
    const CloudCredentials& credentials = ProcessCredentials();
    if (kind == KindCode::Table && Endpoints().tableHost.empty()) {
        errorKey_ = L"InsecureServiceHost";
        return nullptr;
    }
    if (kind == KindCode::Table)
        return RecognizeTable(outputFolder_, path, Endpoints().tableHost,
                              {credentials.tableKey, credentials.tableSecret});
    if (!FileExists(path)) {  // missing, a folder, a FIFO or a device
        errorKey_ = L"ImageSizeIsZero";
        return nullptr;
    }
    KindCode callKind = kind;
    const bool highQuality = highQuality_;
    if (kind == KindCode::TextOfflineFirst) {
        if (highQuality && !offlineOnly_) {
            callKind = KindCode::Text;
        } else {
            if (!offline) offline = ReadOffline(path, 0);
            if (offline->read) {
                auto result = std::make_unique<OcrResult>();
                result->textLines.push_back(std::move(offline->text));
                result->engineLines = std::move(offline->lines);
                return result;
            }
            if (offlineOnly_ && offline->foundNoText) return std::make_unique<OcrResult>();
            if (!offline->missingPackage.empty()) {
                DebugTrace(L"offline model missing: %ls", offline->missingPackage.c_str());
                // Said where the cloud cannot stand in; otherwise it reads.
                if (!CloudCanRead()) {
                    if (MessageDisplay* display = batch_ ? &collector_ : messages_)
                        display->ShowMessageByKeyFormat(L"OfflineModelMissing",
                                                        offline->missingPackage, 0);
                    return nullptr;
                }
            }
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
    const FormMap options = BuildKindOptions(callKind, textOptions_);
    ServiceAnswer answer;
    {
        OcrClient client(credentials.appId, credentials.apiKey, credentials.secretKey,
                         Endpoints().ocrHost);
        answer = client.Recognize(callKind, bytes, options);
    }
    ParseContext context;
    // The identity-card sides are parsed as the two-sided kind they belong to.
    context.jobKind = (callKind == KindCode::IdCardFront || callKind == KindCode::IdCardBack)
                          ? KindCode::IdCardBothSides
                          : kind;
    context.callKind = callKind;
    context.useHighQuality = highQuality;
    // A cancelled run says nothing: nobody waits for its outcome any more.
    context.messages = cancelled_ ? nullptr : batch_ ? &collector_ : messages_;
    return ParseOcrAnswer(answer, context);
}
