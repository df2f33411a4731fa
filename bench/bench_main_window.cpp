// The main window under load: filling the input list, and how long the UI
// thread is kept busy while a batch's results arrive.

#include <benchmark/benchmark.h>

#include <QElapsedTimer>
#include <QImage>
#include <QTimer>
#include <filesystem>

#include "app/process_globals.h"
#include "app/setting_keys.h"
#include "app/settings.h"
#include "net/endpoints.h"
#include "platform/text.h"
#include "recognition/credentials.h"
#include "support/fake_cloud_service.h"
#include "support/private_user.h"
#include "support/qt_application.h"
#include "support/test_certificates.h"
#include "toolkit/controls/list_ui.h"
#include "ui/main_frame.h"
#include "ui/toolkit_setup.h"

namespace {

namespace fs = std::filesystem;

fs::path PrepareProgram() {
    const fs::path root = MakePrivateUser("bench-main");
    for (const char* dir : {"results", "images"}) fs::create_directories(root / dir);
    EnsureQtApplication();
    ProcessGlobals& globals = Globals();
    DetectProcessFolders(globals);
    globals.ExeFolder = Utf8ToWide(TAVIOCR_OUT_DIR);
    globals.UiLanguage = 0;
    LoadSettings();
    ChangeSavePath(Utf8ToWide((root / "results").string()));
    ChangeSetting(kRemindMergeBatch, 0);
    PrepareToolkit(globals);
    return root;
}

std::wstring WriteImage(const fs::path& path) {
    QImage image(320, 200, QImage::Format_RGB32);
    image.fill(Qt::white);
    image.save(QString::fromStdString(path.string()), "PNG");
    return Utf8ToWide(path.string());
}

void BM_Add500FilesAndRefresh(benchmark::State& state) {
    const fs::path root = PrepareProgram();
    const std::wstring image = WriteImage(root / "images/page.png");
    auto* frame = new CMainFrame;
    frame->Create(nullptr, L"TaviOCR", kMainWindowStyle);
    frame->SetModeAndShowAddPage(MainMode::Picture);
    for (auto _ : state) {
        frame->ClearFiles();
        for (int i = 0; i < 500; ++i) frame->AddImageFile(image);
        frame->RefreshFileArea();
    }
    frame->SendMessageW(WM_SYSCOMMAND, SC_CLOSE);
    ProcessEventsUntil([] { return CMainFrame::Instance() == nullptr; });
    fs::remove_all(root);
}
BENCHMARK(BM_Add500FilesAndRefresh)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void BM_Add50ResultRows(benchmark::State& state) {
    const fs::path root = PrepareProgram();
    const std::wstring image = WriteImage(root / "images/page.png");
    auto* frame = new CMainFrame;
    frame->Create(nullptr, L"TaviOCR", kMainWindowStyle);
    auto* list = frame->PaintManager().FindControl<CListUI>(L"listFiles");
    for (auto _ : state) {
        for (int i = 0; i < 50; ++i) frame->AddResultListItem(image);
        state.PauseTiming();
        list->RemoveAll();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    frame->SendMessageW(WM_SYSCOMMAND, SC_CLOSE);
    ProcessEventsUntil([] { return CMainFrame::Instance() == nullptr; });
    fs::remove_all(root);
}
BENCHMARK(BM_Add50ResultRows)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// A 5 ms timer on the UI thread; the longest gap between its ticks while a
// 50-image batch runs is the longest the window could not react.
void BM_LongestStallDuringBatch(benchmark::State& state) {
    const fs::path root = PrepareProgram();
    FakeCloud cloud;
    UseFakeCloud(cloud);
    std::vector<std::wstring> images;
    for (int i = 0; i < 50; ++i)
        images.push_back(WriteImage(root / "images" / ("scan" + std::to_string(i) + ".png")));
    double longest = 0;
    for (auto _ : state) {
        auto* frame = new CMainFrame;
        frame->Create(nullptr, L"TaviOCR", kMainWindowStyle);
        frame->SetModeAndShowAddPage(MainMode::Picture);
        for (const auto& image : images) frame->AddImageFile(image);
        frame->RefreshFileArea();
        QElapsedTimer clock;
        qint64 last = 0, worst = 0;
        QTimer probe;
        QObject::connect(&probe, &QTimer::timeout, [&] {
            const qint64 now = clock.nsecsElapsed();
            worst = std::max(worst, now - last);
            last = now;
        });
        clock.start();
        probe.start(5);
        frame->OnButtonOCR();
        ProcessEventsUntil([&] { return !frame->AnimationRunning() && !frame->Job().IsRunning(); },
                           std::chrono::seconds(60));
        probe.stop();
        longest = std::max(longest, static_cast<double>(worst) / 1e6);
        state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) / 1e9);
        frame->SendMessageW(WM_SYSCOMMAND, SC_CLOSE);
        ProcessEventsUntil([] { return CMainFrame::Instance() == nullptr; });
    }
    state.counters["longest_stall_ms"] = longest;
    ForgetFakeCloud();
    fs::remove_all(root);
}
BENCHMARK(BM_LongestStallDuringBatch)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace
