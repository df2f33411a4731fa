// The compare view: from asking for it to the picture visible in its web
// view, in the first opening of a process (the web engine starts) and in the
// later ones; and the resident memory while it is open.

#include <benchmark/benchmark.h>

#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

#include "app/process_globals.h"
#include "app/settings.h"
#include "compare/diff_dlg.h"
#include "platform/text.h"
#include "support/private_user.h"
#include "support/qt_application.h"
#include "toolkit/controls/webkit_ui.h"
#include "ui/toolkit_setup.h"

namespace {

namespace fs = std::filesystem;

long ResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string key;
    long value = 0;
    while (status >> key) {
        if (key == "VmRSS:") return status >> value, value;
        status.ignore(256, '\n');
    }
    return -1;
}

bool RedVisible(QWidget* web) {
    const QImage shot = web->grab().toImage();
    int red = 0;
    for (int y = 0; y < shot.height(); y += 4)
        for (int x = 0; x < shot.width(); x += 4) {
            const QColor c = shot.pixelColor(x, y);
            if (c.red() > 200 && c.green() < 60 && c.blue() < 60 && ++red > 20) return true;
        }
    return false;
}

void BM_CompareViewToPictureVisible(benchmark::State& state) {
    if (!std::getenv("DISPLAY"))
        return state.SkipWithError("needs an X server (run under xvfb-run)");
    const fs::path root = MakePrivateUser("bench-compare");
    ::setenv("TAVIOCR_TEST_PLATFORM", "xcb", 1);
    EnsureQtApplication();
    ProcessGlobals& globals = Globals();
    DetectProcessFolders(globals);
    globals.ExeFolder = Utf8ToWide(TAVIOCR_OUT_DIR);
    LoadSettings();
    PrepareToolkit(globals);
    QImage picture(1200, 800, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter(&picture).fillRect(100, 100, 500, 300, Qt::red);
    const std::string image = (root / "page.png").string();
    picture.save(QString::fromStdString(image), "PNG");

    std::vector<double> times;
    const long before = ResidentKiB();
    long open = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        double seconds = 0;
        QTimer::singleShot(0, [&] {
            for (QWidget* window : QApplication::topLevelWidgets())
                if (window->objectName() == QLatin1String("TaviOCRDialogClass") &&
                    window->isVisible()) {
                    auto* web = window->findChild<CWkeWebkitUI*>("wke");
                    ProcessEventsUntil([&] { return web && RedVisible(web); },
                                       std::chrono::seconds(30));
                    seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
                    open = std::max(open, ResidentKiB());
                    window->close();
                }
        });
        clock.start();
        RunCompareView(nullptr, Utf8ToWide(image), L"text");
        times.push_back(seconds);
        state.SetIterationTime(seconds);
    }
    state.counters["first_ms"] = times.front() * 1000;
    std::vector<double> later(times.begin() + 1, times.end());
    std::sort(later.begin(), later.end());
    if (!later.empty()) state.counters["later_median_ms"] = later[later.size() / 2] * 1000;
    state.counters["rss_before_MiB"] = before / 1024.0;
    state.counters["rss_open_MiB"] = open / 1024.0;
    fs::remove_all(root);
}
BENCHMARK(BM_CompareViewToPictureVisible)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(6);

}  // namespace
