#include "programs/taviocr/startup.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <QMessageBox>
#include <QSocketNotifier>
#include <QSystemTrayIcon>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "account/machine_identity.h"
#include "account/signed_in_user.h"
#include "app/command_line.h"
#include "app/crash_handler.h"
#include "app/desktop_user.h"
#include "app/diagnostics.h"
#include "app/language.h"
#include "app/language_file.h"
#include "app/oem_info.h"
#include "app/process_globals.h"
#include "app/program_version.h"
#include "app/settings.h"
#include "app/working_folders.h"
#include "dialogs/message_box.h"
#include "documents/page_files.h"
#include "net/endpoints.h"
#include "net/system_http.h"
#include "offline/offline_engine.h"
#include "platform/cancellation.h"
#include "platform/folders.h"
#include "platform/processes.h"
#include "platform/registry.h"
#include "platform/system_locale.h"
#include "platform/text.h"
#include "programs/taviocr/single_instance.h"
#include "recognition/credentials.h"
#include "toolkit/paint_manager.h"
#include "toolkit/skin_manager.h"
#include "ui/main_frame.h"
#include "ui/toolkit_setup.h"
#include "ui/window_messages.h"
#include "update/update.h"
#include "update/usage_reporter.h"

namespace {

constexpr wchar_t kProductName[] = L"TaviOCR";

std::wstring ProgramPath() { return QueryExeFolder() + L"/taviocr"; }

// The installer asks for a fresh, unelevated start of the program.
void StartInstalledProgram() {
    const std::wstring program = ProgramPath();
    pid_t pid = 0;
    if (IsElevated() && RunAsDesktopUser(program, L"", L"", &pid)) return;
    ChildProcess::Start({WideToUtf8(program)});
}

void FillProcessGlobals(ProcessGlobals& globals) {
    globals.UiLanguage = SystemAnsiCodePage();
    DetectProcessFolders(globals);
    LoadSignedInUser(CurrentUser());
    LoadCloudCredentials();
}

// A developer's probe: with TAVIOCR_FIRST_PAINT_FILE set, the moment the main
// window first paints (CLOCK_MONOTONIC nanoseconds) is written to that file.
// The existing files among the arguments (the desktop entry passes them).
std::vector<std::wstring> PictureArguments(int argc, char** argv) {
    std::vector<std::wstring> pictures;
    std::error_code error;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path path =
            std::filesystem::absolute(argv[i], error).lexically_normal();
        if (!error && std::filesystem::is_regular_file(path, error))
            pictures.push_back(PathBytesToWide(path.string()));
    }
    return pictures;
}

// What every usage report says of this installation.
void FillUsageReporter(const ProcessGlobals& globals) {
    CUsageReporter& reporter = UsageReporter();
    reporter.SetStatsHost(Endpoints().statsHost);
    reporter.SetChannelCode(globals.Oem.PartnerId);
    reporter.SetVersion(ProgramVersion());
    // The window reads the machine code once it has made sure of it; the
    // uninstall report has only what is stored.
    reporter.SetMachineCode(ReadMachineUid().value_or(std::wstring()));
    std::wstring os;
    if (GetOsName(os)) reporter.SetOs(os);
}

void WriteFirstPaintTime(const std::wstring& windowClass) {
    const char* path = std::getenv("TAVIOCR_FIRST_PAINT_FILE");
    if (!path || windowClass != kMainWindowClass) return;
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const std::string text =
        std::to_string(static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec) + "\n";
    const int fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return;
    [[maybe_unused]] const ssize_t written = ::write(fd, text.data(), text.size());
    ::close(fd);
}

// SIGTERM and SIGINT end the program as Exit does, even while a dialog waits
// for a server: the handler only wakes the event loop through a pipe, and a
// watchdog ends the process should that not be enough within three seconds.
int g_stopPipe[2] = {-1, -1};

void OnStopSignal(int) {
    ::alarm(3);  // SIGALRM's default action ends the process
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_stopPipe[1], &byte, 1);
}

void EndOnStopSignals(QObject* owner) {
    if (::pipe2(g_stopPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    auto* notifier = new QSocketNotifier(g_stopPipe[0], QSocketNotifier::Read, owner);
    QObject::connect(notifier, &QSocketNotifier::activated, [] {
        CancelPendingWork();
        QCoreApplication::exit(0);
    });
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}

bool HasCaptureSwitch(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::string_view(argv[i]) == "--capture") return true;
    return false;
}

// What this start asks of the program: a capture, pictures to open, or its window.
QStringList StartRequest(int argc, char** argv) {
    if (HasCaptureSwitch(argc, argv)) return {QStringLiteral("capture")};
    QStringList request{QStringLiteral("open")};
    for (const std::wstring& picture : PictureArguments(argc, argv))
        request << QString::fromStdWString(picture);
    return request.size() > 1 ? request : QStringList{QStringLiteral("show")};
}

// A later start's request, carried out by the running program.
void CarryOut(const QStringList& request) {
    CMainFrame* frame = CMainFrame::Instance();
    if (!frame) return;
    if (request.value(0) == QLatin1String("capture")) {
        frame->OnCaptureHotKey();  // as the hot key: from the tray too
        return;
    }
    frame->ShowWindow(SW_SHOW);
    if (request.value(0) != QLatin1String("open")) return;
    std::vector<std::wstring> pictures;
    for (qsizetype i = 1; i < request.size(); ++i) pictures.push_back(request[i].toStdWString());
    frame->OpenPictures(pictures);
}

}  // namespace

int RunTaviOcr(int argc, char** argv) {
    // Answered before anything starts, as a command-line program would.
    if (argc == 2 && std::string_view(argv[1]) == "--version") {
        std::printf("taviocr %s\n", WideToUtf8(ProgramVersion()).c_str());
        return 0;
    }
    ProcessGlobals& globals = Globals();
    DetectProcessFolders(globals);
    InstallCrashHandler(globals.AppFolder, globals.ExeFolder);

    const std::wstring commandLine = JoinCommandLine(argc, argv);
    switch (FindStartSwitch(commandLine)) {
        case StartSwitch::Uninstall:
            FillProcessGlobals(globals);
            ReadOemIni(globals);
            Endpoints() = ReadEndpoints(EndpointsFilePath(globals.ExeFolder));
            FillUsageReporter(globals);
            UsageReporter().SendAction(CUsageReporter::kUninstall);
            return 0;
        case StartSwitch::MakeMachine:
            if (!ReadMachineUid()) {
                SystemMachineHardware hardware;
                MakeMachineCode(hardware);
            }
            // The package runs this at every install and upgrade: the store
            // then names the version installed.
            RegWriteString(RegistryHive::LocalMachine, L"Software\\TaviOCR", L"Version",
                           BuiltVersion());
            return 0;
        case StartSwitch::Install:
            StartInstalledProgram();
            return 0;
        case StartSwitch::DailyCheck: {
            const QCoreApplication app(argc, argv);  // the last fallback of a GET is Qt's
            FillProcessGlobals(globals);
            ReadOemIni(globals);
            LoadSettings();
            Endpoints() = ReadEndpoints(EndpointsFilePath(globals.ExeFolder));
            FillUsageReporter(globals);
            SetLogPath(globals.AppFolder + L"/run.log");
            Updater().SetUpdateHost(Endpoints().updateHost);
            Updater().SetPublicKey(Endpoints().updatePublicKey);
            Updater().RunDailyCheck();
            return 0;
        }
        case StartSwitch::None:
            break;
    }

    // No shared GL context at start: it would load the GL driver (tens of
    // megabytes) for a program that draws with the raster engine.
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromWCharArray(kProductName));
    QApplication::setQuitOnLastWindowClosed(false);
    EndOnStopSignals(&app);

    SingleInstance instance(QString::fromWCharArray(kMainWindowClass));
    if (instance.SignalRunningInstance(StartRequest(argc, argv))) return 0;

    FillProcessGlobals(globals);
    ReadOemIni(globals);
    LoadSettings();
    Endpoints() = ReadEndpoints(EndpointsFilePath(globals.ExeFolder));
    FillUsageReporter(globals);
    SetCrashLanguageFile(LanguageFilePath());
    SetLogPath(globals.AppFolder + L"/run.log");

    // A program that cannot show its window or its texts says so and fails,
    // instead of ending as if all were well.
    if (!CheckSkinPackage() || !SkinPackageReadable()) {
        QMessageBox box(QMessageBox::Critical, QStringLiteral("严重错误"),
                        QStringLiteral("软件皮肤资源丢失，无法运行，请重新安装！"),
                        QMessageBox::Ok);
        box.exec();
        return 1;
    }
    if (!LanguageFileReadable(LanguageFilePath())) {
        WriteLogText(UnreadableLanguageFileMessage(LanguageFilePath()));
        QMessageBox box(QMessageBox::Critical, QString::fromWCharArray(kProductName),
                        QString::fromStdWString(UnreadableLanguageFileMessage(LanguageFilePath())),
                        QMessageBox::Ok);
        box.exec();
        return 1;
    }
    CleanLeftoverWork(true);
    PrepareToolkit(globals);
    SetFirstPaintHook(&WriteFirstPaintTime);
    instance.Listen(&CarryOut);

    // The day's update check and reports run beside the window, which then
    // carries no network stack until the user asks for a transfer.
    Updater().SetDailyCheckCommand({WideToUtf8(ProgramPath()), "--daily-check"});
    auto* frame = new CMainFrame;
    frame->Job().SetPictureMaker(MakeDocumentPage);
    frame->Job().SetOfflineEngineFactory(
        [](const LocalEngineOptions& options) { return std::make_unique<OfflineEngine>(options); });
    SetSettingsNotSavedHandler([](const std::wstring& configPath) {
        QTimer::singleShot(0, qApp, [configPath] {
            CMainFrame* main = CMainFrame::Instance();
            ShowMessageByKeyFormat(L"SettingsNotSaved", configPath,
                                   main ? OwnerIfOnScreen(main->GetHWND()) : nullptr,
                                   kStyleInformation);
        });
    });
    if (frame->Create(nullptr, kProductName, kMainWindowStyle, 0, 0, 0, 0, 0)) {
        frame->CenterWindow();
        // A log-in start stays in the tray; until a tray runs, the window
        // waits minimised in the task bar, where it can be reached.
        if (!HasAutoRunSwitch(commandLine))
            frame->ShowWindow(SW_SHOWDEFAULT);
        else if (!QSystemTrayIcon::isSystemTrayAvailable())
            frame->ShowWindow(SW_SHOWMINIMIZED);
        frame->SetIcon(128);
        // Pictures opened with TaviOCR from a file manager arrive as a drop would.
        if (const auto pictures = PictureArguments(argc, argv); !pictures.empty())
            frame->OpenPictures(pictures);
        // A desktop's own shortcut for "taviocr --capture": the capture starts
        // once the window is up, as the hot key would start it.
        if (HasCaptureSwitch(argc, argv))
            QTimer::singleShot(0, frame->GetWidget(), [frame] { frame->OnCaptureHotKey(); });
        if (!Endpoints().refusedHosts.empty())
            QTimer::singleShot(0, [frame] {
                ShowMessageByKey(L"InsecureServiceHost", frame->GetHWND(), kStyleInformation);
            });
        CPaintManagerUI::MessageLoop();
    } else {
        delete frame;
    }
    CancelPendingWork();
    CleanLeftoverWork(true);
    // Today's recognitions wait in the settings for the next daily report.
    StoreTodaysCount(GlobalSettings().ConfigPath);
    // Cancelled transfers end within a second; a worker that still runs after
    // that is not waited for (every store is written whole or not at all).
    if (!Updater().WaitFor(std::chrono::milliseconds(2000))) {
        WriteLogText(L"exit: the update check did not end in time");
        ::_exit(0);
    }
    return 0;
}
