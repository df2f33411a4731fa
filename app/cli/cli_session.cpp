#include "app/cli/cli_session.h"

#include <json/json.h>
#include <unistd.h>

#include <cstdio>
#include <mutex>
#include <vector>

#include "app/lang_format.h"
#include "app/language_file.h"
#include "app/language_table.h"
#include "app/oem_info.h"
#include "app/process_globals.h"
#include "app/settings.h"
#include "net/endpoints.h"
#include "platform/file_io.h"
#include "platform/profile.h"
#include "platform/system_locale.h"
#include "platform/text.h"
#include "recognition/credentials.h"
#include "recognition/recognition_job.h"
#include "recognition/result_text.h"

namespace {

// A result that cannot be written is a failure of the run, not a silent loss;
// the folder is made again when it disappeared while the batch ran.
bool SaveResult(const std::wstring& path, const std::wstring& text) {
    CreateFolderTree(path.substr(0, path.rfind(L'/')));
    if (SaveTextToFile(path, text)) return true;
    std::fprintf(stderr, "taviocr-cli: %s could not be written\n", WideToUtf8(path).c_str());
    return false;
}

// Messages go to stderr as the language file words them.
class ConsoleMessages : public MessageDisplay {
public:
    int ShowMessageByKey(std::wstring_view key, int,
                         std::optional<std::wstring> fallback) override {
        std::wstring text = LangMessage(key);
        if (text.empty() && fallback) text = *fallback;
        Print(key, text);
        return 7;
    }
    int ShowMessageByKeyFormat(std::wstring_view key, std::wstring_view argument, int) override {
        const std::wstring format = LangMessage(key);
        Print(key, FormatLangTextOr(format, argument));
        return 7;
    }
    void Print(std::wstring_view key, const std::wstring& text) {
        std::lock_guard lock(mutex_);
        const std::wstring shown = text.empty() ? std::wstring(key) : text;
        std::fprintf(stderr, "taviocr-cli: %s\n", WideToUtf8(shown).c_str());
    }

private:
    static std::wstring FormatLangTextOr(const std::wstring& format, std::wstring_view argument) {
        return SafeWideSprintf(format, std::wstring(argument));
    }
    std::mutex mutex_;
};

struct Outcome {
    std::wstring path;
    bool ok = false;
    OcrResult result;
};

// Collects each image's outcome as the worker reports it.
class CollectingWindow : public NotifyWindow {
public:
    bool IsWindow() const override { return true; }
    void OnOcrResult(const OcrResult* result, const std::wstring& path) override {
        Outcome outcome;
        outcome.path = path;
        outcome.ok = result != nullptr;
        if (result) outcome.result = *result;
        outcomes.push_back(std::move(outcome));
    }
    std::vector<Outcome> outcomes;
};

// Terminal text ends lines with LF alone.
std::string ForTerminal(const std::wstring& text) {
    std::string out = WideToUtf8(text);
    std::string::size_type pos = 0;
    while ((pos = out.find("\r\n", pos)) != std::string::npos) out.erase(pos, 1);
    return out;
}

Json::Value ResultJson(const Outcome& outcome) {
    const OcrResult& r = outcome.result;
    Json::Value v(Json::objectValue);
    v["image"] = WideToUtf8(outcome.path);
    v["kind"] = r.kind;
    v["status"] = r.status;
    v["log_id"] = Json::Int64(r.logId);
    v["words_count"] = r.wordsCount;
    v["direction"] = r.direction;
    v["language"] = r.language;
    v["lines"] = Json::Value(Json::arrayValue);
    for (const auto& line : r.textLines) v["lines"].append(WideToUtf8(line));
    v["locations"] = Json::Value(Json::arrayValue);
    for (const auto& l : r.locations) {
        Json::Value loc;
        loc["height"] = l.height, loc["left"] = l.left, loc["top"] = l.top, loc["width"] = l.width;
        v["locations"].append(loc);
    }
    v["probabilities"] = Json::Value(Json::arrayValue);
    for (const auto& p : r.probabilities) {
        Json::Value prob;
        prob["average"] = p.average, prob["variance"] = p.variance, prob["min"] = p.min;
        v["probabilities"].append(prob);
    }
    if (!r.filePath.empty()) v["file"] = WideToUtf8(r.filePath);
    if (!r.cardStatus.imageStatus.empty()) {
        v["image_status"] = r.cardStatus.imageStatus;
        v["risk_type"] = r.cardStatus.riskType;
        v["edit_tool"] = r.cardStatus.editTool;
    }
    if (r.kind == 8) {
        v["bank_card_number"] = r.bankCardNumber;
        v["bank_name"] = WideToUtf8(r.bankName);
        v["bank_card_type"] = r.bankCardType;
    }
    v["text"] = WideToUtf8(BuildResultText(r));
    return v;
}

std::wstring AbsolutePath(const std::string& path) {
    if (!path.empty() && path.front() == '/') return Utf8ToWide(path);
    char cwd[4096];
    if (!::getcwd(cwd, sizeof cwd)) return Utf8ToWide(path);
    return Utf8ToWide(std::string(cwd) + "/" + path);
}

}  // namespace

void PrepareCliProcess() {
    ProcessGlobals& globals = Globals();
    DetectProcessFolders(globals);
    globals.UiLanguage = SystemAnsiCodePage();
    ReadOemIni(globals);
    LoadSettings();
    Endpoints() = ReadEndpoints(EndpointsFilePath(globals.ExeFolder));
    LoadCloudCredentials();
}

int RunCliRecognition(const CliOptions& options) {
    ConsoleMessages messages;
    CollectingWindow window;
    RecognitionJob job;
    job.SetNotifyWindow(&window);
    job.SetMessageDisplay(&messages);
    job.SetLanguageNumber(LanguageNumberForSetting(GlobalSettings().OCRLanguage));

    bool useCloud = true;
    switch (options.engine) {
        case CliOptions::Engine::Auto:
            useCloud = ProcessCredentials().HasCloudOcr();
            break;
        case CliOptions::Engine::Cloud:
            useCloud = true;
            break;
        case CliOptions::Engine::Offline:
            useCloud = false;
            break;
    }
    if (options.kind == 0 && !useCloud) {
        if (!job.OfflineEngineAvailable()) {
            std::fputs("taviocr-cli: the offline engine is not installed in this build\n", stderr);
            return kExitFailure;
        }
    }
    GlobalSettings().UseHighQuality = useCloud ? 1 : 0;

    std::vector<std::wstring> paths;
    for (const auto& image : options.images) paths.push_back(AbsolutePath(image));
    std::wstring outFolder;
    if (!options.outFolder.empty() || options.kind == 15) {
        const std::wstring base = AbsolutePath(options.outFolder.empty() ? "." : options.outFolder);
        outFolder = options.kind == 15 ? (CreateFolderTree(base) ? base : std::wstring())
                                       : MakeOutputFolder(base);
        if (outFolder.empty()) {
            std::fprintf(stderr, "taviocr-cli: cannot create a result folder in %s\n",
                         WideToUtf8(base).c_str());
            return kExitFailure;
        }
        job.SetOutputFolder(outFolder);
    }
    if (!job.StartRecognition(paths, options.kind)) return kExitFailure;
    job.Wait();
    if (!job.ErrorKey().empty()) messages.ShowMessageByKey(job.ErrorKey(), kStyleInformation, {});

    bool allOk = window.outcomes.size() == (options.kind == 5 ? 1u : paths.size());
    Json::Value json(Json::arrayValue);
    std::wstring merged;
    int position = 0;
    BatchResultNames names;
    for (const Outcome& outcome : window.outcomes) {
        ++position;
        if (!outcome.ok) {
            allOk = false;
            continue;
        }
        if (options.kind == 15 && outcome.result.status != 0) {
            std::fprintf(stderr, "taviocr-cli: the table of %s could not be converted\n",
                         WideToUtf8(outcome.path).c_str());
            allOk = false;
            continue;
        }
        json.append(ResultJson(outcome));
        const std::wstring text = options.kind == 15 ? outcome.result.filePath + L"\r\n"
                                                     : BuildResultText(outcome.result);
        if (!outFolder.empty() && options.kind != 15 && !options.merge)
            allOk =
                SaveResult(outFolder + L"/" + names.Next(outcome.path, position), text) && allOk;
        if (options.merge) {
            merged += text + L"\r\n";
        } else if (!options.json) {
            if (paths.size() > 1) std::printf("# %s\n", WideToUtf8(outcome.path).c_str());
            std::printf("%s\n", ForTerminal(text).c_str());
        }
    }
    if (options.merge && !merged.empty()) {
        if (!outFolder.empty())
            allOk = SaveResult(outFolder + L"/" + ResultFileName(L"", 1), merged) && allOk;
        if (!options.json) std::printf("%s\n", ForTerminal(merged).c_str());
    }
    if (options.json) std::printf("%s", json.toStyledString().c_str());
    return allOk ? kExitOk : kExitFailure;
}
