#include "programs/cli/cli_session.h"

#include "app/diagnostics.h"
#include "app/language_file.h"
#include "app/language_table.h"
#include "app/oem_info.h"
#include "app/process_globals.h"
#include "app/settings.h"
#include "app/working_folders.h"
#include "documents/page_files.h"
#include "net/endpoints.h"
#include "offline/offline_engine.h"
#include "platform/file_io.h"
#include "platform/profile.h"
#include "platform/system_locale.h"
#include "platform/text.h"
#include "programs/cli/cli_batch.h"
#include "programs/cli/cli_images.h"
#include "programs/cli/console_messages.h"
#include "recognition/credentials.h"
#include "recognition/kinds.h"
#include "recognition/recognition_job.h"
#include "recognition/result_text.h"

void PrepareCliProcess() {
    ProcessGlobals& globals = Globals();
    DetectProcessFolders(globals);
    globals.UiLanguage = SystemAnsiCodePage();
    ReadOemIni(globals);
    LoadSettings();
    Endpoints() = ReadEndpoints(EndpointsFilePath(globals.ExeFolder));
    // Without its language file the command line has neither service keys
    // nor messages: say so once, and the run fails (RunCliRecognition).
    if (!LanguageFileReadable(LanguageFilePath()))
        PrintError(UnreadableLanguageFileMessage(LanguageFilePath()));
    LoadCloudCredentials();
    CleanLeftoverWork(false);
    if (!Endpoints().refusedHosts.empty()) PrintError(MessageText(L"InsecureServiceHost"));
    // The same log as the window program's, not a file in the shared temporary folder.
    CreateFolderTree(globals.AppFolder);
    SetLogPath(globals.AppFolder + L"/run.log");
}

int RunCliRecognition(const CliOptions& options) {
    if (!LanguageFileReadable(LanguageFilePath())) return kExitFailure;
    ConsoleMessages messages;
    RecognitionJob job;
    job.SetMessageDisplay(&messages);
    job.SetOfflineEngineFactory(
        [](const LocalEngineOptions& options) { return std::make_unique<OfflineEngine>(options); });

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
    if (options.kind == KindCode::TextOfflineFirst && !useCloud && !job.OfflineEngineAvailable()) {
        PrintError(L"the offline engine is not installed in this build");
        return kExitFailure;
    }
    // Read by the job when the run starts; this process's settings are never written back.
    GlobalSettings().UseHighQuality = useCloud ? 1 : 0;

    const CliImages images(options.images, options.dpi);
    for (const std::wstring& refusal : images.Refused()) PrintError(refusal);
    if (images.Images().empty()) return kExitFailure;
    job.SetPictureMaker(MakeDocumentPage);
    std::wstring outFolder;
    if (!options.outFolder.empty() || options.kind == KindCode::Table) {
        const std::wstring base =
            NormalCliPath(options.outFolder.empty() ? "." : options.outFolder);
        outFolder = options.kind == KindCode::Table
                        ? (CreateFolderTree(base) ? base : std::wstring())
                        : MakeOutputFolder(base);
        if (outFolder.empty()) {
            PrintError(MessageText(L"SaveResultFailed", base));
            return kExitFailure;
        }
        job.SetOutputFolder(outFolder);
    }
    CliBatch batch(options, images, job, messages, outFolder);
    job.SetNotifyWindow(&batch);
    const RecognitionRequest request{
        images.SentPaths(), options.kind,
        options.language.value_or(LanguageNumberForSetting(GlobalSettings().OCRLanguage)),
        options.engine == CliOptions::Engine::Offline};
    if (!job.Start(request)) return kExitFailure;
    job.Wait();
    const int status = batch.Finish();
    return images.Refused().empty() ? status : kExitFailure;
}
