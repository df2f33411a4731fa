// The data source manager module and the application side of TWAIN against
// SANE's test scanner.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <QImage>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>

#include "app/process_globals.h"
#include "capture/my_twain.h"
#include "capture/twain_waiter.h"
#include "platform/file_io.h"
#include "platform/text.h"
#include "support/temp_environment.h"
#include "support/test_scanner.h"

namespace {

namespace fs = std::filesystem;

// A scanner driven as a window would: every wake-up is one message offered
// to ProcessEvent.
class PumpedScanner : public CMyTwain {
public:
    bool Init(const std::wstring& folder) { return InitSourceManager(waiter_.Parent(), folder); }
    void AcquisitionFinished() override { finished = true; }
    // Until the source asked to close.
    void Pump() {
        while (!finished) {
            waiter_.Wait();
            ProcessEvent();
        }
    }
    bool finished = false;

private:
    TwainWakeWaiter waiter_;
};

class TwainTest : public TempEnvironment {
protected:
    void SetUp() override {
        TempEnvironment::SetUp();
        UseTestScanner(NarrowPath("sane"));
        Globals().TempWorkFolder = Path("tmp/");
    }
    void TearDown() override {
        ForgetTestScanner();
        TempEnvironment::TearDown();
    }
    static std::wstring ModuleFolder() { return Utf8ToWide(TAVIOCR_OUT_DIR); }
};

TEST_F(TwainTest, CallsOutOfOrderFailWithASequenceError) {
    void* module = ::dlopen(TAVIOCR_OUT_DIR "/TWAIN_32.DLL", RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << ::dlerror();
    auto entry = reinterpret_cast<DSMENTRYPROC>(::dlsym(module, "DSM_Entry"));
    ASSERT_NE(entry, nullptr);
    TW_IDENTITY app{}, source{};
    const auto condition = [&] {
        TW_STATUS status{};
        entry(&app, nullptr, DG_CONTROL, DAT_STATUS, MSG_GET, &status);
        return status.ConditionCode;
    };
    EXPECT_EQ(entry(&app, nullptr, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &source), TWRC_FAILURE);
    EXPECT_EQ(condition(), TWCC_SEQERROR) << "no source before the manager is open";
    TW_PARENT parent{this, [](void*) {}};
    ASSERT_EQ(entry(&app, nullptr, DG_CONTROL, DAT_PARENT, MSG_OPENDSM, &parent), TWRC_SUCCESS);
    EXPECT_EQ(entry(&app, nullptr, DG_CONTROL, DAT_PARENT, MSG_OPENDSM, &parent), TWRC_FAILURE);
    EXPECT_EQ(condition(), TWCC_SEQERROR);
    TW_USERINTERFACE ui{0, 0, nullptr};
    EXPECT_EQ(entry(&app, &source, DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui), TWRC_FAILURE);
    EXPECT_EQ(condition(), TWCC_SEQERROR) << "no source open yet";

    ASSERT_EQ(entry(&app, nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETFIRST, &source), TWRC_SUCCESS);
    EXPECT_STREQ(source.ProductFamily, "test:0");
    ASSERT_EQ(entry(&app, nullptr, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &source), TWRC_SUCCESS);
    EXPECT_EQ(entry(&app, nullptr, DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, &parent), TWRC_FAILURE);
    EXPECT_EQ(condition(), TWCC_SEQERROR) << "the source is still open";
    TW_IMAGEINFO info{};
    EXPECT_EQ(entry(&app, &source, DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info), TWRC_FAILURE);
    EXPECT_EQ(condition(), TWCC_SEQERROR) << "no transfer is ready";
    TW_CAPABILITY other{0x1234, TWON_ONEVALUE, nullptr};
    EXPECT_EQ(entry(&app, &source, DG_CONTROL, DAT_CAPABILITY, MSG_GET, &other), TWRC_FAILURE);
    EXPECT_EQ(condition(), TWCC_BADCAP);

    EXPECT_EQ(entry(&app, nullptr, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &source), TWRC_SUCCESS);
    EXPECT_EQ(entry(&app, nullptr, DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, &parent), TWRC_SUCCESS);
    ::dlclose(module);
}

TEST_F(TwainTest, TwoPagesArriveAsJpegsInOrderAndTheNextScanDeletesThem) {
    PumpedScanner scanner;
    ASSERT_TRUE(scanner.Init(ModuleFolder()));
    std::vector<TW_IDENTITY> sources;
    ASSERT_TRUE(scanner.EnumerateSources(sources));
    ASSERT_EQ(sources.size(), 2u);
    EXPECT_STREQ(sources[1].ProductFamily, "test:1");
    ASSERT_TRUE(scanner.OpenSource(&sources[0]));
    ASSERT_TRUE(scanner.Acquire(2, CTwain::SourceWindow::None));
    EXPECT_EQ(scanner.PageCount(), 2);
    scanner.Pump();
    const std::wstring folder = scanner.ScanFolder();
    ASSERT_EQ(scanner.ScannedFiles(),
              (std::vector<std::wstring>{folder + L"/pic.jpg", folder + L"/pic1.jpg"}));
    for (const std::wstring& file : scanner.ScannedFiles()) {
        const QImage page(QString::fromStdWString(file));
        EXPECT_FALSE(page.isNull());
        EXPECT_GT(page.width(), 50);
        EXPECT_GT(page.height(), 50);
    }

    scanner.ClearScans();
    EXPECT_TRUE(scanner.ScannedFiles().empty());
    EXPECT_FALSE(FileExists(folder + L"/pic.jpg"));
    EXPECT_FALSE(FileExists(folder + L"/pic1.jpg"));
}

TEST_F(TwainTest, AFlatbedAskedForEveryPageGetsItsOwnCountBack) {
    PumpedScanner scanner;
    ASSERT_TRUE(scanner.Init(ModuleFolder()));
    ASSERT_TRUE(scanner.OpenSource());  // the default source
    ASSERT_TRUE(scanner.Acquire(-1, CTwain::SourceWindow::None));
    EXPECT_EQ(scanner.PageCount(), 1) << "TWRC_CHECKSTATUS, then the source's own count";
    scanner.Pump();
    EXPECT_EQ(scanner.ScannedFiles().size(), 1u);
}

// Line art (one bit) and 16-bit grey come as 8-bit pages: the test device's
// checkerboard keeps its black and white squares, nothing is dropped.
TEST_F(TwainTest, LineArtAndSixteenBitPagesArriveAsReadablePages) {
    for (const std::string depth : {"1", "16"}) {
        SCOPED_TRACE("depth " + depth);
        UseTestScanner(NarrowPath("sane"), "", "depth " + depth + "\ntest-picture \"Grid\"\n");
        PumpedScanner scanner;
        ASSERT_TRUE(scanner.Init(ModuleFolder()));
        ASSERT_TRUE(scanner.OpenSource());
        ASSERT_TRUE(scanner.Acquire(1, CTwain::SourceWindow::None));
        scanner.Pump();
        ASSERT_EQ(scanner.ScannedFiles().size(), 1u);
        const QImage page(QString::fromStdWString(scanner.ScannedFiles().front()));
        ASSERT_FALSE(page.isNull());
        int dark = 0, light = 0;
        for (int y = 0; y < page.height(); ++y)
            for (int x = 0; x < page.width(); ++x) (qGray(page.pixel(x, y)) < 64 ? dark : light)++;
        const int quarter = page.width() * page.height() / 4;
        EXPECT_GT(dark, quarter);
        EXPECT_GT(light, quarter);
        scanner.ClearScans();
    }
}

TEST_F(TwainTest, WithoutTheModuleOrWithoutDevicesNothingIsScanned) {
    PumpedScanner missing;
    EXPECT_FALSE(missing.Init(Path("nowhere")));
    EXPECT_FALSE(missing.IsLoaded());

    UseNoScanner(NarrowPath("sane"));
    PumpedScanner noDevices;
    ASSERT_TRUE(noDevices.Init(ModuleFolder()));
    std::vector<TW_IDENTITY> sources;
    EXPECT_FALSE(noDevices.EnumerateSources(sources));
    EXPECT_TRUE(sources.empty());
}

TEST(DibToImageTest, RefusesHeadersThatDoNotFitTheirBytes) {
    std::vector<std::uint8_t> dib(40 + 1024 + 4 * 2, 0);
    dib[0] = 40;
    dib[4] = 3;  // width 3: rows of 4 bytes
    dib[8] = 2;  // height 2, bottom-up
    dib[12] = 1;
    dib[14] = 8;
    for (int i = 0; i < 256; ++i) dib[40 + 4 * i] = dib[41 + 4 * i] = dib[42 + 4 * i] = i;
    dib[40 + 1024] = 10;       // bottom row, first pixel
    dib[40 + 1024 + 4] = 200;  // top row, first pixel
    const QImage image = DibToImage(dib.data(), dib.size());
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(qGray(image.pixel(0, 0)), 200);
    EXPECT_EQ(qGray(image.pixel(0, 1)), 10);
    EXPECT_TRUE(DibToImage(dib.data(), dib.size() - 1).isNull()) << "one byte short";
    dib[8] = 0;
    EXPECT_TRUE(DibToImage(dib.data(), dib.size()).isNull()) << "no rows";
}

}  // namespace

namespace {

TEST_F(TwainTest, APageThatCannotBeDescribedEndsTheTransfersAndTheAcquisition) {
    PumpedScanner scanner;
    ASSERT_TRUE(scanner.Init(Utf8ToWide(SCRIPTED_DSM_DIR)));
    ASSERT_TRUE(scanner.OpenSource());
    ASSERT_TRUE(scanner.Acquire(-1, CTwain::SourceWindow::None));
    EXPECT_EQ(scanner.PageCount(), 3) << "the source's own count, set back as UINT16";
    scanner.Pump();  // returns only once the acquisition has finished
    void* module = ::dlopen(SCRIPTED_DSM_DIR "/TWAIN_32.DLL", RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(module, nullptr);
    const auto calls = reinterpret_cast<const char* (*)()>(::dlsym(module, "ScriptedCalls"));
    EXPECT_STREQ(calls(), "SET1:-1 GET SET4:3 IMAGEINFO RESET ");
    ::dlclose(module);
    EXPECT_TRUE(scanner.ScannedFiles().empty());
}

// With the newer manager beside the program its own chooser takes the place
// of the program's, and one page is asked for.
TEST_F(TwainTest, TheNewerManagerChoosesItselfAndScansOnePage) {
    const fs::path folder = NarrowPath("newer");
    fs::create_directories(folder);
    fs::create_symlink(fs::path(TAVIOCR_OUT_DIR) / "TWAIN_32.DLL", folder / "TWAINDSM.dll");
    PumpedScanner scanner;
    ASSERT_TRUE(scanner.Init(Utf8ToWide(folder.string())));
    EXPECT_TRUE(scanner.IsNewManager());
    ASSERT_TRUE(scanner.SelectSource());
    ASSERT_TRUE(scanner.Acquire(1, CTwain::SourceWindow::None));
    scanner.Pump();
    EXPECT_EQ(scanner.ScannedFiles().size(), 1u);
}

}  // namespace
