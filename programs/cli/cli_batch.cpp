#include "programs/cli/cli_batch.h"

#include <cstdio>

#include "app/language_file.h"
#include "platform/file_io.h"
#include "platform/text.h"
#include "recognition/kinds.h"

namespace {

// Terminal text ends lines with LF alone.
std::string ForTerminal(std::wstring_view piece) {
    if (piece == L"\r\n") return "\n";
    std::string out = WideToUtf8(piece);
    std::size_t kept = 0;
    for (std::size_t i = 0; i < out.size(); ++i)
        if (!(out[i] == '\r' && i + 1 < out.size() && out[i + 1] == '\n')) out[kept++] = out[i];
    out.resize(kept);
    return out;
}

void Print(const std::string& bytes) { std::fwrite(bytes.data(), 1, bytes.size(), stdout); }

// Written piece by piece: a text of many megabytes is never held twice.
void PrintResultText(const OcrResult& result) {
    VisitResultText(result, [](std::wstring_view piece) { Print(ForTerminal(piece)); });
    Print("\n");
}

bool HasText(const OcrResult& result) {
    bool found = false;
    VisitResultText(result, [&](std::wstring_view piece) { found = found || !piece.empty(); });
    return found;
}

Json::Value ResultRecord(const OcrResult& r, const std::wstring& image) {
    Json::Value v(Json::objectValue);
    v["image"] = WideToUtf8(image);
    v["kind"] = KindNumber(r.kind);
    v["status"] = r.status;
    // The service's ids are unsigned 64-bit numbers.
    v["log_id"] = Json::UInt64(static_cast<std::uint64_t>(r.logId));
    v["words_count"] = r.wordsCount;
    v["direction"] = r.direction;
    v["language"] = r.language;
    if (!r.source.empty()) v["source"] = r.source;
    if (!r.cardStatus.imageStatus.empty()) {
        v["image_status"] = r.cardStatus.imageStatus;
        v["risk_type"] = r.cardStatus.riskType;
        v["edit_tool"] = r.cardStatus.editTool;
    }
    if (r.kind == KindCode::BankCard) {
        v["bank_card_number"] = r.bankCardNumber;
        v["bank_name"] = WideToUtf8(r.bankName);
        v["bank_card_type"] = r.bankCardType;
    }
    return v;
}

}  // namespace

CliBatch::CliBatch(const CliOptions& options, const CliImages& images, const RecognitionJob& job,
                   ConsoleMessages& messages, std::wstring outFolder)
    : options_(options),
      images_(images),
      job_(job),
      messages_(messages),
      outFolder_(std::move(outFolder)) {}

void CliBatch::ReportFailures() {
    const auto& failed = job_.FailedImages();
    for (; failuresReported_ < failed.size(); ++failuresReported_) {
        failed_ = true;
        const std::wstring shown = images_.ShownPath(failed[failuresReported_]);
        std::vector<std::wstring> reasons = messages_.Take();
        // In a batch the job keeps each picture's reason; the failure reported
        // now is the one it recorded last (results arrive as they are made).
        if (reasons.empty() && !job_.Failures().empty())
            reasons.push_back(job_.Failures().back().reason);
        if (reasons.empty() && !job_.ErrorKey().empty())
            reasons.push_back(MessageText(job_.ErrorKey()));
        if (reasons.empty()) reasons.push_back(L"could not be recognised");
        for (const std::wstring& reason : reasons) PrintError(shown + L": " + reason);
    }
}

void CliBatch::OnOcrResult(const OcrResult* result, const ResultPlace& place) {
    position_ = static_cast<int>(place.position) + 1;
    ++outcomes_;
    ReportFailures();
    if (!result) return;
    const CliImage& image = images_.Images()[place.position];
    if (options_.kind == KindCode::Table)
        TakeTable(*result, image.shown);
    else
        TakeText(*result, image);
}

void CliBatch::TakeTable(const OcrResult& result, const std::wstring& shown) {
    if (result.status != 0) {
        failed_ = true;
        PrintError(shown + L": " +
                   (result.failureKey.empty()
                        ? std::wstring(L"the table could not be converted into a spreadsheet")
                        : MessageText(result.failureKey)));
        return;
    }
    if (options_.json) {
        Json::Value record = ResultRecord(result, shown);
        record["file"] = WideToUtf8(result.filePath);
        json_.Record(record, result, false);
    } else {
        std::printf("%s\n", WideToUtf8(result.filePath).c_str());
    }
}

void CliBatch::TakeText(const OcrResult& result, const CliImage& image) {
    const std::wstring& shown = image.shown;
    const bool hasText = HasText(result);
    if (!options_.pdf.empty()) pdfPages_.push_back({image.sent, result});
    if (options_.json) {
        Json::Value record = ResultRecord(result, shown);
        record["text_found"] = hasText;
        json_.Record(record, result, true);
    }
    if (!hasText) {
        // Nothing to print or save: an empty file would look like a result.
        PrintError(shown + L": " + LangText(L"OCRNone"));
        return;
    }
    if (!outFolder_.empty() && !options_.merge)
        Save(outFolder_ + L"/" + names_.Next(image.resultName, position_), ResultTextOf(result));
    if (options_.merge) {
        VisitResultText(result, [&](std::wstring_view piece) { merged_ += piece; });
        merged_ += L"\r\n";
    } else if (!options_.json) {
        if (images_.Images().size() > 1 && options_.kind != KindCode::IdCardBothSides)
            std::printf("# %s\n", WideToUtf8(shown).c_str());
        PrintResultText(result);
    }
}

// A result that cannot be written is a failure of the run, not a silent loss;
// the folder is made again when it disappeared while the batch ran.
bool CliBatch::Save(const std::wstring& path, const std::wstring& text) {
    CreateFolderTree(path.substr(0, path.rfind(L'/')));
    if (SaveTextToFile(path, text)) return true;
    failed_ = true;
    PrintError(MessageText(L"SaveResultFailed", path));
    return false;
}

int CliBatch::Finish() {
    ReportFailures();
    for (const std::wstring& message : messages_.Take()) PrintError(message);
    const std::size_t expected =
        options_.kind == KindCode::IdCardBothSides ? 1u : images_.Images().size();
    if (static_cast<std::size_t>(outcomes_) < expected) failed_ = true;
    if (options_.merge && !merged_.empty()) {
        if (!outFolder_.empty()) Save(outFolder_ + L"/" + ResultFileName(L"", 1), merged_);
        if (!options_.json) {
            Print(ForTerminal(merged_));
            Print("\n");
        }
    }
    if (options_.json) json_.Finish();
    if (!options_.pdf.empty()) {
        const std::wstring pdf = NormalCliPath(options_.pdf);
        if (pdfPages_.empty() || !WriteSearchablePdf(pdf, pdfPages_)) {
            failed_ = true;
            PrintError(MessageText(L"SaveResultFailed", pdf));
        }
    }
    return failed_ ? kExitFailure : kExitOk;
}
