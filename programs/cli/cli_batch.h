#pragma once

#include <json/json.h>

#include <string>

#include "documents/searchable_pdf.h"
#include "programs/cli/cli_images.h"
#include "programs/cli/cli_json.h"
#include "programs/cli/cli_options.h"
#include "programs/cli/console_messages.h"
#include "recognition/recognition_job.h"
#include "recognition/result_text.h"

// Takes each picture's outcome as the recognition reports it and prints it at
// once: the text on standard output (or a result file, merged text, JSON
// records), every failure on standard error with the picture's name. Nothing
// of a result is copied, so a huge answer costs its size once.
class CliBatch : public NotifyWindow {
public:
    CliBatch(const CliOptions& options, const CliImages& images, const RecognitionJob& job,
             ConsoleMessages& messages, std::wstring outFolder);

    bool IsWindow() const override { return true; }
    void OnOcrResult(const OcrResult* result, const ResultPlace& place) override;

    // Prints what is kept to the end (merged text, JSON) and gives the exit code.
    int Finish();

private:
    // Names every picture that failed since the last call, with its messages.
    void ReportFailures();
    void TakeTable(const OcrResult& result, const std::wstring& shown);
    void TakeText(const OcrResult& result, const CliImage& image);
    bool Save(const std::wstring& path, const std::wstring& text);

    const CliOptions& options_;
    const CliImages& images_;
    const RecognitionJob& job_;
    ConsoleMessages& messages_;
    std::wstring outFolder_;
    BatchResultNames names_;
    CliJsonWriter json_{stdout};
    std::wstring merged_;
    std::vector<SearchablePdfPage> pdfPages_;  // for --pdf, in the batch's order
    std::size_t failuresReported_ = 0;
    int position_ = 0;
    int outcomes_ = 0;
    bool failed_ = false;
};
