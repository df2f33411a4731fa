#include "programs/cli/cli_screen.h"

#include <unistd.h>

#include <QGuiApplication>
#include <cstdio>

#include "app/image_file.h"
#include "app/working_folders.h"
#include "capture/screen_grab.h"
#include "platform/file_io.h"
#include "programs/cli/console_messages.h"

CliScreen::~CliScreen() {
    if (file_.empty()) return;
    std::remove(NarrowPath(file_).c_str());
    ::rmdir(NarrowPath(file_.substr(0, file_.rfind(L'/'))).c_str());
}

std::wstring CliScreen::Grab(const CliOptions& options) {
    // The display server is reached through Qt's, for as long as the grab takes.
    static int argc = 1;
    static char name[] = "taviocr-cli";
    static char* argv[] = {name, nullptr};
    const QGuiApplication application(argc, argv);
    const Desktop desktop = SystemDesktop();
    if (!desktop.available) {
        PrintError(MessageText(L"ScreenCaptureNeedsX11"));
        return {};
    }
    std::wstring refusal;
    if (!desktop.snapshot->Prepare(refusal)) {
        PrintError(MessageText(refusal));
        return {};
    }
    ScreenPicture screen = GrabScreen(*desktop.monitors, *desktop.snapshot);
    QRect wanted(screen.origin, screen.image.size());
    if (options.output) {
        const auto monitor = OutputRect(*desktop.monitors, *options.output);
        if (!monitor) {
            PrintError(L"there is no monitor " + std::to_wstring(*options.output));
            return {};
        }
        wanted = *monitor;
    }
    if (options.region) {
        const auto& [x, y, width, height] = *options.region;
        const QRect region(x, y, width, height);
        if (!wanted.contains(region)) {
            PrintError(L"the region is not on the screen");
            return {};
        }
        wanted = region;
    }
    // Judged on the whole screen: a region may well be black where the
    // screen is.
    if (LooksBlack(screen.image)) {
        PrintError(MessageText(L"ScreenCameBlack"));
        return {};
    }
    const QImage picture = screen.image.copy(wanted.translated(-screen.origin));
    const std::wstring folder = WorkRootFolder() + L"cli-" + std::to_wstring(::getpid());
    CreateFolderTree(folder);
    const std::wstring path = folder + L"/screen.png";
    if (!SaveImageFresh(picture, path, "png", -1)) {
        PrintError(L"the screen picture could not be written to " + folder);
        return {};
    }
    file_ = path;
    return file_;
}
