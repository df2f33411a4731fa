#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAbstractButton>
#include <QClipboard>
#include <QDialog>
#include <QGuiApplication>
#include <QImage>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "account/machine_identity.h"
#include "app/lang_format.h"
#include "app/language_file.h"
#include "app/process_globals.h"
#include "app/setting_keys.h"
#include "app/settings.h"
#include "capture/screen_cutting.h"
#include "net/endpoints.h"
#include "platform/file_io.h"
#include "platform/profile.h"
#include "platform/text.h"
#include "recognition/credentials.h"
#include "support/fake_cloud_service.h"
#include "support/qt_application.h"
#include "support/test_scanner.h"
#include "toolkit/controls/button_ui.h"
#include "toolkit/controls/edit_ui.h"
#include "toolkit/controls/label_ui.h"
#include "toolkit/controls/list_ui.h"
#include "toolkit/controls/tab_layout_ui.h"
#include "toolkit/keyboard_state.h"
#include "toolkit/menu_wnd.h"
#include "ui/info_dialogs.h"
#include "ui/main_frame.h"
#include "ui/main_modes.h"
#include "ui/qt_translation.h"
#include "ui/select_dsm_dlg.h"
#include "ui/window_messages.h"
#include "ui_fixture.h"
#include "update/usage_reporter.h"

namespace fs = std::filesystem;

namespace {
const std::wstring kFirstText = L"Hello TaviOCR\r\n第二行 text\r\n";

// Tells when the window object has been deleted. The whole deletion runs in one
// event, so once the flag is seen the base class has finished too.
class ObservedFrame : public CMainFrame {
public:
    explicit ObservedFrame(bool* deleted) : deleted_(deleted) {}
    ~ObservedFrame() override { *deleted_ = true; }

private:
    bool* deleted_;
};
}  // namespace

class MainWindowTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        // SANE's test scanner only, read when the window opens the scanner's manager.
        UseTestScanner(NarrowPath("sane"));
        cloud_ = std::make_unique<FakeCloud>();
        UseFakeCloud(*cloud_);
        ChangeSavePath(Path("results"));
        CreateFolderTree(Path("results"));
        frame_ = new ObservedFrame(&frameDeleted_);
        ASSERT_TRUE(frame_->Create(nullptr, L"TaviOCR", kMainWindowStyle));
        window_ = frame_->GetWidget();
    }
    void TearDown() override {
        SetKeyboardStateForTest({});
        if (CMainFrame::Instance()) frame_->SendMessageW(WM_SYSCOMMAND, SC_CLOSE);
        ProcessEventsUntil([] { return CMainFrame::Instance() == nullptr; });
        cloud_.reset();
        ForgetFakeCloud();
        ForgetTestScanner();
        UiTest::TearDown();
    }
    std::wstring Image(const std::string& name, int width = 64, int height = 32) {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(Qt::white);
        const std::wstring path = Path(name);
        fs::create_directories(fs::path(WideToUtf8(path)).parent_path());
        image.save(QString::fromStdWString(path), "PNG");
        return path;
    }
    void ClickControl(const char* name) { Click(window_, name); }
    bool WaitUntilIdle() {
        return ProcessEventsUntil(
            [this] { return !frame_->AnimationRunning() && !frame_->Job().IsRunning(); },
            std::chrono::seconds(20));
    }
    std::wstring ResultText() {
        return frame_->PaintManager().FindControl<CRichEditUI>(L"ocrText")->GetText();
    }
    int Rows() { return frame_->PaintManager().FindControl<CListUI>(L"listFiles")->GetCount(); }
    bool Shaking() { return window_->property("taviocrShaking").toBool(); }

    std::unique_ptr<FakeCloud> cloud_;
    CMainFrame* frame_ = nullptr;
    bool frameDeleted_ = false;
    QWidget* window_ = nullptr;
};

TEST_F(MainWindowTest, ModeButtonsShowTheirPageAndHeaderAndBackWalksTheKindChooser) {
    ClickControl("Pic-OCR");
    EXPECT_EQ(frame_->Mode(), MainMode::Picture);
    EXPECT_EQ(frame_->CurrentPage(), MainPage::AddImages);
    EXPECT_EQ(TextOf(window_, "titleLicense"),
              QString::fromStdWString(LangText(L"LicenseTitlePic")));
    EXPECT_EQ(frame_->PaintManager().FindControl<CButtonUI>(L"titleLogo")->BkImage(),
              QStringLiteral("../default/images/pic_icon.png"));
    EXPECT_TRUE(Shown(window_, "buttonAddPic"));
    EXPECT_FALSE(Shown(window_, "buttonOCR"));
    ClickControl("Back");
    EXPECT_EQ(frame_->CurrentPage(), MainPage::Home);

    ClickControl("Licensen-OCR");
    EXPECT_EQ(frame_->CurrentPage(), MainPage::DocumentKinds);
    ClickControl("BankCardOCR");
    EXPECT_EQ(frame_->Mode(), MainMode::BankCard);
    EXPECT_EQ(TextOf(window_, "titleLicense"),
              QString::fromStdWString(LangText(L"LicenseTitleBankcard")));
    Snapshot(window_, "main_add_bankcard");
    frame_->OnBack();
    EXPECT_EQ(frame_->CurrentPage(), MainPage::DocumentKinds)
        << "a document mode goes back to the kind chooser";
    frame_->OnBack();
    EXPECT_EQ(frame_->CurrentPage(), MainPage::Home);

    ClickControl("AppPage");
    EXPECT_EQ(frame_->CurrentPage(), MainPage::Apps);
    EXPECT_EQ(frame_->Mode(), MainMode::BankCard) << "the application page keeps the mode";

    ClickControl("IdCardOCR");
    EXPECT_EQ(frame_->PaintManager().FindControl<CTabLayoutUI>(L"tabAddPic")->GetCurSel(), 1);
    EXPECT_EQ(TextOf(window_, "titleLicense"),
              QString::fromStdWString(LangText(L"LicenseTitleIdcard")))
        << "the bank card's title does not stay over the identity card slots";
    EXPECT_TRUE(Shown(window_, "buttonOCR"));
    EXPECT_FALSE(Shown(window_, "buttonAddPic"));
    Snapshot(window_, "main_idcard");
}

TEST_F(MainWindowTest, BackWhileARecognitionRunsIsRefusedWithAMessage) {
    ClickControl("Pic-OCR");
    frame_->StartScanAnimation();  // as while a batch runs
    DialogAnswerer answers;
    frame_->OnBack();
    ProcessEventsUntil([&] { return !answers.texts.empty(); });
    ASSERT_EQ(answers.texts.size(), 1u);
    EXPECT_EQ(answers.texts[0], QString::fromStdWString(LangMessage(L"CannotBack")));
    EXPECT_EQ(frame_->CurrentPage(), MainPage::AddImages);
    frame_->StopScanAnimation();
}

TEST_F(MainWindowTest, DropsAreTakenOnTheHomeAndAddPagesOnlyAndWrongFilesShakeTheWindow) {
    const std::wstring a = Image("A.JPG");
    frame_->OnDropFilesForTest({a, Path("notes.txt")});
    EXPECT_EQ(frame_->Mode(), MainMode::Picture);
    EXPECT_EQ(frame_->CurrentPage(), MainPage::AddImages);
    EXPECT_EQ(frame_->Files(), std::vector<std::wstring>{a});
    EXPECT_EQ(TextOf(window_, "addFileText"), QString::fromStdWString(FormatLangText(
                                                  LangText(L"AddPic1"), std::wstring(L"A.JPG"))));
    EXPECT_TRUE(Shown(window_, "LayoutAddPic2"));
    EXPECT_FALSE(Shown(window_, "LayoutAddPic1"));

    frame_->OnDropFilesForTest({Image("b.png"), Image("c.bmp"), Image("d.jpeg")});
    EXPECT_EQ(frame_->Files().size(), 3u) << "a drop replaces the list";
    frame_->OnDropFilesForTest({Path("notes.txt")});
    EXPECT_TRUE(frame_->Files().empty());
    EXPECT_TRUE(Shaking());
    EXPECT_TRUE(Shown(window_, "LayoutAddPic1"));

    frame_->SelectPage(MainPage::Result);
    frame_->OnDropFilesForTest({a});
    EXPECT_TRUE(frame_->Files().empty()) << "result pages ignore drops";

    ProcessEventsUntil([this] { return !Shaking(); });
    frame_->SetModeAndShowAddPage(MainMode::IdCard);
    frame_->TakeIdCardImage(true, a);
    frame_->SelectPage(MainPage::AddImages);
    frame_->OnDropFilesForTest({a});
    EXPECT_TRUE(frame_->Files().empty());
    EXPECT_TRUE(Shaking());
    EXPECT_EQ(frame_->IdCardFront(), a) << "the chosen sides stay";
}

TEST_F(MainWindowTest, TheFileAreaCountsFilesAndShowsAStackForMany) {
    ClickControl("Pic-OCR");
    const std::wstring image = Image("same.png");
    for (int i = 0; i < 6; ++i) frame_->AddImageFile(image);
    frame_->RefreshFileArea();
    EXPECT_EQ(frame_->Files().size(), 6u) << "no duplicate test";
    EXPECT_EQ(frame_->PaintManager().FindControl<CButtonUI>(L"addFileIcon")->BkImage(),
              QStringLiteral("../default/images/fileicon4.png"));
    EXPECT_EQ(TextOf(window_, "addFileText"),
              QString::fromStdWString(FormatLangText(LangText(L"AddPicM"), 6)));
    EXPECT_TRUE(Shown(window_, "buttonOCR"));
    EXPECT_FALSE(Shown(window_, "buttonAddPic"));
    Snapshot(window_, "main_six_files");
    ClickControl("cancleFiles");
    EXPECT_TRUE(frame_->Files().empty());
    EXPECT_TRUE(Shown(window_, "buttonAddPic"));
}

TEST_F(MainWindowTest, FileSizesReadAsBytesKilobytesAndMegabytes) {
    const auto sized = [this](const std::string& name, std::size_t bytes) {
        WriteBytes(Path(name), std::string(bytes, 'x'));
        return FormatFileSize(Path(name));
    };
    EXPECT_EQ(sized("a", 1023), FormatLangText(LangText(L"SizeBytes"), 1023));
    EXPECT_EQ(sized("b", 1024), L"1.00 K");
    EXPECT_EQ(sized("c", 1048576), L"1.00 M");
    EXPECT_EQ(sized("d", 0), L"");
    EXPECT_EQ(FormatFileSize(Path("missing")), L"");
}

TEST_F(MainWindowTest, OnePictureShowsItsTextAndWritesNoFile) {
    const std::wstring image = Image("one.png");
    frame_->OnDropFilesForTest({image});
    ClickControl("buttonOCR");
    EXPECT_FALSE(frame_->PaintManager().FindControl(L"buttonOCR")->isEnabled()) << "running";
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_EQ(frame_->CurrentPage(), MainPage::Result);
    EXPECT_EQ(ResultText(), kFirstText);
    EXPECT_EQ(frame_->CurrentText(), kFirstText);
    EXPECT_TRUE(frame_->OutputFolder().empty());
    EXPECT_TRUE(fs::is_empty(NarrowPath("results")));
    EXPECT_TRUE(frame_->PaintManager().FindControl(L"buttonOCR")->isEnabled());
    Snapshot(window_, "main_result");
    ClickControl("BackResultOK");
    EXPECT_EQ(frame_->CurrentPage(), MainPage::AddImages);
    EXPECT_TRUE(frame_->Files().empty());
}

// The question's ✕ (like Escape) is no answer: nothing is sent, the
// pictures stay listed.
TEST_F(MainWindowTest, ClosingTheMergeQuestionDoesNotStartTheBatch) {
    ChangeSetting(kRemindMergeBatch, 1);
    frame_->OnDropFilesForTest({Image("a.png"), Image("b.png")});
    DialogAnswerer answers([](QWidget* dialog) { Click(dialog, "btnSysClose"); });
    ClickControl("buttonOCR");
    ASSERT_EQ(answers.texts.size(), 1u);
    EXPECT_FALSE(frame_->Job().IsRunning());
    EXPECT_TRUE(cloud_->Requests().empty());
    EXPECT_EQ(frame_->Files().size(), 2u);
    EXPECT_EQ(frame_->CurrentPage(), MainPage::AddImages);
}

TEST_F(MainWindowTest, AMergedBatchShowsEveryTextInTurnAndWritesNothing) {
    ChangeSetting(kRemindMergeBatch, 1);
    frame_->OnDropFilesForTest({Image("a.png"), Image("b.png"), Image("c.png")});
    DialogAnswerer answers(
        [](QWidget* dialog) { Click(dialog, "btnClose"); });  // optMerge is ticked
    ClickControl("buttonOCR");
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_EQ(answers.texts.size(), 1u) << "the merge question";
    EXPECT_EQ(frame_->CurrentPage(), MainPage::Result);
    EXPECT_EQ(ResultText(), kFirstText + L"\r\n" + kFirstText + L"\r\n" + kFirstText + L"\r\n");
    EXPECT_TRUE(fs::is_empty(NarrowPath("results")));
    EXPECT_TRUE(frame_->InMergeMode());
    ClickControl("DiffText");
    ProcessEventsUntil([&] { return answers.texts.size() == 2; });
    ASSERT_EQ(answers.texts.size(), 2u);
    EXPECT_EQ(answers.texts[1], QString::fromStdWString(LangMessage(L"MergeBatchCannotDiff")));
}

TEST_F(MainWindowTest, AnUnmergedBatchWritesOneUtf16FilePerPictureInANewFolderEachTime) {
    ChangeSetting(kRemindMergeBatch, 0);
    const std::vector<std::wstring> images{Image("in/photo.jpg"), Image("in/photo.png"),
                                           Image("in/third.bmp")};
    frame_->OnDropFilesForTest(images);
    ClickControl("buttonOCR");
    ASSERT_TRUE(WaitUntilIdle());
    const std::string folderName =
        WideToUtf8(LangText(L"OutFolderName").empty() ? L"taviOCR" : LangText(L"OutFolderName"));
    const fs::path folder = NarrowPath("results") + "/" + folderName;
    EXPECT_EQ(frame_->OutputFolder(), Utf8ToWide(folder.string()));
    EXPECT_EQ(frame_->CurrentPage(), MainPage::ResultList);
    EXPECT_EQ(Rows(), 3);
    for (const char* name : {"photo.jpg.txt", "photo.png.txt", "third.bmp.txt"}) {
        const std::string bytes = ReadBytes(Utf8ToWide((folder / name).string()));
        ASSERT_GE(bytes.size(), 2u) << name;
        EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
        EXPECT_EQ(DecodeUtf16Le(bytes.substr(2)), kFirstText) << "no terminating zero";
    }
    EXPECT_EQ(frame_->ResultFiles().size(), 3u);
    Snapshot(window_, "main_result_list");

    ClickControl("BackResultOK");
    EXPECT_EQ(Rows(), 0);
    // Two pictures of one name from different folders keep both texts.
    for (const char* words : {"From in", "From elsewhere"})
        cloud_->QueueAnswer(
            "/rest/2.0/ocr/v1/general_basic",
            std::string(R"({"log_id": 1, "words_result_num": 1, "words_result": )") +
                R"([{"words": ")" + words + R"("}]})");
    const std::wstring x = Image("in/x.png"), otherX = Image("elsewhere/x.png");
    frame_->OnDropFilesForTest({x, otherX});
    ClickControl("buttonOCR");
    ASSERT_TRUE(WaitUntilIdle());
    const std::wstring second = Utf8ToWide(folder.string()) + L"1";
    EXPECT_EQ(frame_->OutputFolder(), second) << "a second batch gets the next folder";
    EXPECT_EQ(frame_->ResultFiles().at(0), second + L"/x.png.txt");
    EXPECT_EQ(frame_->ResultFiles().at(1), second + L"/x.png (2).txt");
    const auto textIn = [](const std::wstring& file) {
        return DecodeUtf16Le(ReadBytes(file).substr(2));
    };
    EXPECT_EQ(textIn(frame_->ResultFiles().at(0)), L"From in\r\n");
    EXPECT_EQ(textIn(frame_->ResultFiles().at(1)), L"From elsewhere\r\n");

    // The same picture twice: the batch ends, and both results are kept.
    ClickControl("BackResultOK");
    frame_->OnDropFilesForTest({x, x});
    ClickControl("buttonOCR");
    ASSERT_TRUE(WaitUntilIdle()) << "the batch reached its end";
    EXPECT_TRUE(frame_->PaintManager().FindControl<CButtonUI>(L"buttonOCR")->isEnabled());
    EXPECT_EQ(frame_->ResultFiles().size(), 2u);
    EXPECT_EQ(Rows(), 2);
}

TEST_F(MainWindowTest, APictureWithoutTextGetsARowButNoFileAndProofreadingItSaysSo) {
    ChangeSetting(kRemindMergeBatch, 0);
    cloud_->QueueAnswer("/rest/2.0/ocr/v1/general_basic",
                        R"({"log_id": 1, "words_result_num": 0, "words_result": []})");
    cloud_->QueueAnswer(
        "/rest/2.0/ocr/v1/general_basic",
        R"({"log_id": 2, "words_result_num": 1, "words_result": [{"words": "Two"}]})");
    cloud_->QueueAnswer("/rest/2.0/ocr/v1/general_basic",
                        R"({"log_id": 3, "words_result_num": 0, "words_result": []})");
    frame_->OnDropFilesForTest({Image("1.png"), Image("2.png"), Image("3.png")});
    ClickControl("buttonOCR");
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_EQ(Rows(), 3);
    EXPECT_EQ(frame_->ResultFiles().size(), 1u);
    DialogAnswerer answers;
    auto* list = frame_->PaintManager().FindControl<CListUI>(L"listFiles");
    frame_->OnListButtonDiff(CPaintManagerUI::FindSubControlByName(list->GetItemAt(0), L"btnDiff"));
    ProcessEventsUntil([&] { return !answers.texts.empty(); });
    ASSERT_EQ(answers.texts.size(), 1u);
    EXPECT_EQ(answers.texts[0], QString::fromStdWString(LangMessage(L"OCRNotResult")));
}

// A picture failing in the middle of a batch is skipped: the others are
// recognised and saved, and one summary at the end names it with its reason.
TEST_F(MainWindowTest, AFailureMidBatchIsSkippedAndNamedInOneSummary) {
    ChangeSetting(kRemindMergeBatch, 0);
    cloud_->QueueAnswer(
        "/rest/2.0/ocr/v1/general_basic",
        R"({"log_id": 1, "words_result_num": 1, "words_result": [{"words": "One"}]})");
    cloud_->QueueAnswer("/rest/2.0/ocr/v1/general_basic",
                        R"({"error_code": 282000, "error_msg": "internal error"})");
    frame_->OnDropFilesForTest({Image("1.png"), Image("2.png"), Image("3.png")});
    DialogAnswerer answers;
    ClickControl("buttonOCR");
    ASSERT_TRUE(WaitUntilIdle());
    ProcessEventsUntil([&] { return !answers.texts.empty(); }, std::chrono::seconds(2));
    ASSERT_EQ(answers.texts.size(), 1u) << "one summary, no box per failure";
    EXPECT_TRUE(answers.texts[0].contains(QStringLiteral("2.png: ") +
                                          QString::fromStdWString(LangMessage(L"AIPError282000"))))
        << answers.texts[0].toStdString();
    EXPECT_EQ(frame_->CurrentPage(), MainPage::ResultList);
    EXPECT_EQ(Rows(), 2) << "rows for the pictures that were recognised";
    EXPECT_EQ(frame_->ResultFiles().size(), 2u);
    EXPECT_TRUE(fs::exists(WideToUtf8(frame_->OutputFolder()) + "/1.png.txt"));
    EXPECT_TRUE(fs::exists(WideToUtf8(frame_->OutputFolder()) + "/3.png.txt"));
    EXPECT_TRUE(frame_->PaintManager().FindControl(L"buttonOCR")->isEnabled());
    EXPECT_FALSE(frame_->AnimationRunning());
}

TEST_F(MainWindowTest, ABatchWhosePicturesAllFailGoesBackToThemNotToEmptyResults) {
    ChangeSetting(kRemindMergeBatch, 0);
    for (int i = 0; i < 2; ++i)
        cloud_->QueueAnswer("/rest/2.0/ocr/v1/general_basic",
                            R"({"error_code": 282000, "error_msg": "internal error"})");
    frame_->OnDropFilesForTest({Image("1.png"), Image("2.png")});
    DialogAnswerer answers;
    ClickControl("buttonOCR");
    ASSERT_TRUE(WaitUntilIdle());
    ProcessEventsUntil([&] { return !answers.texts.empty(); });
    ASSERT_EQ(answers.texts.size(), 1u) << "the summary names both";
    EXPECT_EQ(frame_->CurrentPage(), MainPage::AddImages);
    EXPECT_EQ(frame_->Files().size(), 2u) << "kept for another try";
    EXPECT_TRUE(frame_->OutputFolder().empty() || !fs::exists(WideToUtf8(frame_->OutputFolder())));
}

TEST_F(MainWindowTest, AMergedBatchWithAFailureMergesTheOthersAndNamesIt) {
    ChangeSetting(kRemindMergeBatch, 1);
    cloud_->QueueAnswer(
        "/rest/2.0/ocr/v1/general_basic",
        R"({"log_id": 1, "words_result_num": 1, "words_result": [{"words": "One"}]})");
    cloud_->QueueAnswer(
        "/rest/2.0/ocr/v1/general_basic",
        R"({"error_code": 17, "error_msg": "Open api daily request limit reached"})");
    cloud_->QueueAnswer(
        "/rest/2.0/ocr/v1/general_basic",
        R"({"log_id": 3, "words_result_num": 1, "words_result": [{"words": "Three"}]})");
    frame_->OnDropFilesForTest({Image("1.png"), Image("2.png"), Image("3.png")});
    DialogAnswerer answers([](QWidget* dialog) {
        if (Control(dialog, "optMerge"))
            Click(dialog, "btnClose");  // merge
        else
            dialog->close();
    });
    ClickControl("buttonOCR");
    ASSERT_TRUE(WaitUntilIdle());
    ProcessEventsUntil([&] { return answers.texts.size() >= 2; }, std::chrono::seconds(2));
    ASSERT_EQ(answers.texts.size(), 2u) << "the merge question, then the summary";
    EXPECT_TRUE(answers.texts[1].contains(QString::fromStdWString(LangMessage(L"AIPError17"))));
    EXPECT_EQ(frame_->CurrentPage(), MainPage::Result);
    EXPECT_EQ(ResultText(), L"One\r\n\r\nThree\r\n\r\n");
}

TEST_F(MainWindowTest, ACaptureWithTabHeldIsRecognisedAsATableAndLeavingGoesHome) {
    SetKeyboardStateForTest([](int key) { return key == VK_TAB; });
    ClickControl("Screenshot-OCR");
    EXPECT_EQ(frame_->Mode(), MainMode::Screenshot);
    frame_->OnCaptureDone(Image("capture.jpg"));
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_EQ(frame_->Mode(), MainMode::CaptureTable);
    EXPECT_EQ(cloud_->CountRequests("/api/predict/ocr_table_parse"), 1);
    EXPECT_EQ(frame_->CurrentPage(), MainPage::ResultList);
    ASSERT_EQ(Rows(), 1);
    EXPECT_TRUE(frame_->OutputFolder().ends_with(L".xlsx")) << "a single table: its spreadsheet";
    ClickControl("BackResultOK");
    EXPECT_EQ(frame_->CurrentPage(), MainPage::Home);
    EXPECT_EQ(frame_->Mode(), MainMode::Screenshot);
}

// A table capture the service refuses says why and goes home: no results page
// with an empty row, no empty result folder.
// The first start makes the machine code (here without elevation, as root),
// and the reports of that very start carry it.
TEST_F(MainWindowTest, TheFirstStartsReportsCarryTheMachineCodeMadeAtThatStart) {
    const auto uid = ReadMachineUid();
    ASSERT_TRUE(uid) << "made when the window opened";
    EXPECT_EQ(Globals().MachineCode, *uid);
    EXPECT_EQ(UsageReporter().ActionReport(CUsageReporter::kDailyStart, false)["MachineCode"],
              WideToUtf8(*uid));
}

TEST_F(MainWindowTest, ATableCaptureThatFailsSaysWhyAndLeavesNoFolder) {
    cloud_->SetTableAnswer(R"({"success": false})");
    SetKeyboardStateForTest([](int key) { return key == VK_TAB; });
    ClickControl("Screenshot-OCR");
    DialogAnswerer answers;
    frame_->OnCaptureDone(Image("capture.jpg"));
    ASSERT_TRUE(WaitUntilIdle());
    ProcessEventsUntil([&] { return !answers.texts.empty(); }, std::chrono::seconds(2));
    SetKeyboardStateForTest(nullptr);
    ASSERT_EQ(answers.texts.size(), 1u);
    EXPECT_EQ(answers.texts[0], QString::fromStdWString(LangMessage(L"TableRefused")));
    EXPECT_EQ(frame_->CurrentPage(), MainPage::Home);
    EXPECT_EQ(Rows(), 0);
    EXPECT_FALSE(fs::exists(WideToUtf8(frame_->OutputFolder())));
}

TEST_F(MainWindowTest, AnIdentityCardNeedsItsFrontAndRecognisesThePairOnce) {
    ClickControl("IdCardOCR");
    DialogAnswerer answers;
    ClickControl("buttonOCR");
    ProcessEventsUntil([&] { return !answers.texts.empty(); });
    ASSERT_EQ(answers.texts.size(), 1u);
    EXPECT_EQ(answers.texts[0], QString::fromStdWString(LangMessage(L"NoIdcardFront")));

    frame_->TakeIdCardImage(true, Image("front.png", 80, 50));
    frame_->TakeIdCardImage(false, Image("back.png", 60, 40));
    EXPECT_EQ(TextOf(window_, "titleIdcardFront"), QString::fromStdWString(LangText(L"AddPic2")));
    EXPECT_TRUE(Shown(window_, "IdcardFrontOk"));
    // The chosen side shows its picture in place of the slot's text.
    const auto* slot = window_->findChild<QAbstractButton*>("addIdcardFront");
    EXPECT_FALSE(slot->icon().isNull());
    EXPECT_TRUE(slot->text().isEmpty());
    Snapshot(window_, "main_idcard_slots");
    ClickControl("buttonOCR");
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_EQ(cloud_->CountRequests("/rest/2.0/ocr/v1/idcard"), 2) << "both sides";
    EXPECT_EQ(frame_->CurrentPage(), MainPage::Result);
    EXPECT_NE(ResultText().find(L"张三"), std::wstring::npos);

    const std::wstring stacked = StackIdCardImages(frame_->IdCardFront(), frame_->IdCardBack());
    ASSERT_FALSE(stacked.empty());
    const QImage both(QString::fromStdWString(stacked));
    EXPECT_EQ(both.size(), QSize(80, 90));
    EXPECT_TRUE(StackIdCardImages(frame_->IdCardFront(), Path("missing.png")).empty());
}

TEST_F(MainWindowTest, CopyingPutsTheTextOnTheClipboardAndRemindsUntilToldNotTo) {
    ChangeSetting(kRemindWhenCopy, 1);
    frame_->OnDropFilesForTest({Image("text.png")});
    ClickControl("buttonOCR");
    ASSERT_TRUE(WaitUntilIdle());
    ASSERT_EQ(frame_->CurrentText(), kFirstText);
    DialogAnswerer answers([](QWidget* dialog) {
        Click(dialog, "NotRemind");
        Click(dialog, "btnYes");
    });
    frame_->CopyCurrentText();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("Hello TaviOCR\n第二行 text\n"))
        << "line ends as the desktop has them";
    EXPECT_EQ(frame_->CurrentText(), kFirstText);
    EXPECT_EQ(answers.texts.size(), 1u);
    EXPECT_EQ(GlobalSettings().RemindWhenCopy, 0);
    frame_->CopyCurrentText();
    ProcessEventsUntil([] { return false; }, std::chrono::milliseconds(50));
    EXPECT_EQ(answers.texts.size(), 1u) << "no reminder any more";
}

TEST_F(MainWindowTest, BigPicturesAreDownscaledWhenAskedAndTheScanningStripAdvancesWhileRunning) {
    ChangeSetting(kCompressedSizeLimit, 1);
    ChangeSetting(kMaxImageSize, 400);
    const std::wstring big = Image("big.png", 1000, 200), small = Image("small.png", 80, 50);
    frame_->AddImageFile(big);
    frame_->AddImageFile(small);
    ASSERT_EQ(frame_->Files().size(), 2u);
    EXPECT_NE(frame_->Files()[0], big) << "a downscaled copy stands in";
    EXPECT_EQ(QImage(QString::fromStdWString(frame_->Files()[0])).width(), 400 - 96);
    EXPECT_EQ(frame_->Files()[1], small);
    WriteBytes(Path("not-an-image.png"), "garbage");
    frame_->AddImageFile(Path("not-an-image.png"));
    ASSERT_EQ(frame_->Files().size(), 3u);
    EXPECT_EQ(frame_->Files()[2], Path("not-an-image.png"))
        << "an unreadable file is listed as it is";
    ASSERT_EQ(::mkfifo(NarrowPath("pipe.png").c_str(), 0600), 0);
    EXPECT_FALSE(frame_->AddImageFile(Path("pipe.png"))) << "a FIFO is refused, not waited on";
    EXPECT_EQ(frame_->Files().size(), 3u);

    frame_->StartScanAnimation();
    EXPECT_TRUE(frame_->AnimationRunning());
    EXPECT_FALSE(Shown(window_, "addFileIcon")) << "one illustration at a time";
    ASSERT_TRUE(ProcessEventsUntil([this] { return frame_->AnimationFrame() >= 2; }));
    const QString strip = frame_->PaintManager().FindControl<CLabelUI>(L"scanAni")->BkImage();
    EXPECT_TRUE(strip.startsWith(QStringLiteral("file='../default/gif/scan.png' source='")));
    EXPECT_TRUE(CPaintManagerUI::LoadImage("default/gif/scan.png", 1.0).width() == 44 * 191)
        << "44 frames";
    frame_->StopScanAnimation();
    EXPECT_FALSE(frame_->AnimationRunning());
    EXPECT_FALSE(Shown(window_, "scanAni"));

    const std::wstring copy = frame_->Files()[0];
    frame_->ClearFiles();
    EXPECT_FALSE(FileExists(copy)) << "the copy goes with its list";
    EXPECT_TRUE(FileExists(big));
}

TEST_F(MainWindowTest, ATableBatchListsItsSpreadsheetsAndTheirRowsOpenThem) {
    ClickControl("table-OCR");
    EXPECT_EQ(frame_->Mode(), MainMode::Table);
    frame_->OnDropFilesForTest({Image("t1.png"), Image("t2.png")});
    EXPECT_EQ(frame_->Mode(), MainMode::Table) << "a drop on the add page keeps the mode";
    DialogAnswerer answers;
    ClickControl("buttonOCR");
    const QIcon mark = window_->findChild<QAbstractButton*>("buttonOCR")->icon();
    ASSERT_FALSE(mark.isNull()) << "the start button shows the spreadsheet";
    // Disabled while the tables are read, the mark stays green, not a grey box.
    const QColor middle = mark.pixmap(QSize(20, 20), QIcon::Disabled).toImage().pixelColor(4, 10);
    EXPECT_GT(middle.green(), middle.red() + 40);
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_TRUE(answers.texts.empty()) << "tables are never merged, so nothing is asked";
    EXPECT_EQ(cloud_->CountRequests("/api/predict/ocr_table_parse"), 2);
    EXPECT_EQ(frame_->CurrentPage(), MainPage::ResultList);
    EXPECT_EQ(frame_->ResultFiles().size(), 2u);
    for (const auto& [source, sheet] : frame_->ResultFiles()) {
        EXPECT_TRUE(sheet.ends_with(L".xlsx"));
        EXPECT_TRUE(FileExists(sheet));
    }
}

TEST_F(MainWindowTest, WithoutAnOutputFolderABatchSavesNothingAndNothingLandsInTheCurrentFolder) {
    ChangeSetting(kRemindMergeBatch, 0);
    WriteBytes(Path("blocker"), "a file where the save folder would be");
    ChangeSavePath(Path("blocker/results"));
    const fs::path started = fs::current_path();
    fs::create_directories(NarrowPath("cwd"));
    fs::current_path(NarrowPath("cwd"));
    frame_->OnDropFilesForTest({Image("p.png"), Image("q.png")});
    DialogAnswerer answers;
    ClickControl("buttonOCR");
    const bool idle = WaitUntilIdle();
    ProcessEventsUntil([&] { return !answers.texts.empty(); });
    fs::current_path(started);
    ASSERT_TRUE(idle);
    EXPECT_EQ(Rows(), 2) << "the pictures are still listed";
    EXPECT_TRUE(frame_->ResultFiles().empty());
    EXPECT_TRUE(fs::is_empty(NarrowPath("cwd")));
    ASSERT_EQ(answers.texts.size(), 1u) << "one message for the whole batch";
    EXPECT_EQ(answers.texts[0], QString::fromStdWString(FormatLangText(
                                    LangMessage(L"SaveResultFailed"), Path("blocker/results"))))
        << "the lost texts are not lost without a word";
}

TEST_F(MainWindowTest, ProofreadingReplacesTheShownTextOrTheSavedResultFile) {
    std::vector<std::wstring> opened;
    frame_->SetProofreadView([&](HWND, const std::wstring& image, const std::wstring& text) {
        opened.push_back(image);
        return text + L"corrected";
    });
    const std::wstring one = Image("one.png");
    frame_->OnDropFilesForTest({one});
    ClickControl("buttonOCR");
    ASSERT_TRUE(WaitUntilIdle());
    ClickControl("DiffText");
    EXPECT_EQ(opened, std::vector<std::wstring>{one});
    EXPECT_EQ(ResultText(), kFirstText + L"corrected");
    EXPECT_EQ(frame_->CurrentText(), kFirstText + L"corrected");

    ClickControl("BackResultOK");
    ChangeSetting(kRemindMergeBatch, 0);
    frame_->OnDropFilesForTest({Image("r1.png"), Image("r2.png")});
    ClickControl("buttonOCR");
    ASSERT_TRUE(WaitUntilIdle());
    auto* list = frame_->PaintManager().FindControl<CListUI>(L"listFiles");
    frame_->OnListButtonDiff(CPaintManagerUI::FindSubControlByName(list->GetItemAt(1), L"btnDiff"));
    const std::wstring saved = frame_->ResultFiles().at(1);
    EXPECT_EQ(opened.back(), frame_->Files()[1]) << "the row's own picture";
    EXPECT_EQ(ReadBytes(saved), "\xFF\xFE" + EncodeUtf16Le(kFirstText + L"corrected"));
    frame_->OnListButtonDiff(CPaintManagerUI::FindSubControlByName(list->GetItemAt(1), L"btnDiff"));
    EXPECT_EQ(ReadBytes(saved), "\xFF\xFE" + EncodeUtf16Le(kFirstText + L"correctedcorrected"))
        << "the file's byte-order mark is not taken into the text, so it never doubles";

    // The results folder has gone (a removed stick, say): the edit cannot be
    // kept, and the user is told so instead of it vanishing.
    fs::remove_all(WideToUtf8(frame_->OutputFolder()));
    DialogAnswerer answers;
    frame_->OnListButtonDiff(CPaintManagerUI::FindSubControlByName(list->GetItemAt(1), L"btnDiff"));
    ProcessEventsUntil([&] { return !answers.texts.empty(); });
    ASSERT_EQ(answers.texts.size(), 1u);
    EXPECT_EQ(answers.texts[0],
              QString::fromStdWString(FormatLangText(LangMessage(L"SaveResultFailed"), saved)));
}

TEST_F(MainWindowTest, ClosingTheWindowWhileABatchRunsEndsTheBatchWithoutHanging) {
    ChangeSetting(kRemindMergeBatch, 0);
    std::vector<std::wstring> images;
    for (int i = 0; i < 20; ++i) images.push_back(Image("many/" + std::to_string(i) + ".png"));
    frame_->OnDropFilesForTest(images);
    ClickControl("buttonOCR");
    ASSERT_TRUE(ProcessEventsUntil([this] { return !frame_->ResultFiles().empty(); }))
        << "results are arriving";
    frame_->SendMessageW(WM_SYSCOMMAND,
                         SC_CLOSE);  // the job's worker may be waiting on this thread
    EXPECT_TRUE(ProcessEventsUntil([] { return CMainFrame::Instance() == nullptr; }));
    // The service going away now fails the image in flight; its message has no
    // window to be shown over, so nothing waits for a click and the window
    // object goes (its job waiting for the worker) without a deadlock.
    DialogAnswerer answerer;  // closes any box, so a fault fails here instead of hanging
    cloud_.reset();
    EXPECT_TRUE(ProcessEventsUntil([this] { return frameDeleted_; }, std::chrono::seconds(10)));
    EXPECT_TRUE(answerer.texts.empty()) << "no message about the abandoned batch";
}

TEST_F(MainWindowTest, TheWindowFitsSmallLaptopScreens) {
    // 1366 x 768 at 125 % leaves about 1092 x 574 logical pixels under a
    // panel; 1280 x 720 at 100 % about 1280 x 680.
    EXPECT_LE(window_->minimumWidth(), 1092);
    EXPECT_LE(window_->minimumHeight(), 574);
    window_->resize(window_->minimumSize());
    window_->show();
    ProcessEventsUntil([] { return false; }, std::chrono::milliseconds(50));
    // Nothing is squeezed below what it needs.
    EXPECT_GE(window_->width(), window_->minimumSizeHint().width());
    EXPECT_GE(window_->height(), window_->minimumSizeHint().height());
    Snapshot(window_, "main_minimum_size");
}

namespace {

// One monitor of known pixels and no windows.
class OneMonitor : public MonitorList, public DesktopSnapshot, public WindowListService {
public:
    std::vector<MonitorRecord> Monitors() override {
        return {{QRect(0, 0, 800, 600), 1.0, "m", true}};
    }
    QImage GrabMonitor(const MonitorRecord&) override {
        QImage image(800, 600, QImage::Format_RGB32);
        image.fill(Qt::white);
        return image;
    }
    std::vector<WindowEntry> Windows() override { return {}; }
};

}  // namespace

TEST_F(MainWindowTest, TheScreenshotCardCutsARegionAndRecognisesIt) {
    auto desktop = std::make_shared<OneMonitor>();
    frame_->UseDesktopForTest({desktop, desktop, desktop, true});
    int beeps = 0;
    frame_->SetBeepForTest([&] { ++beeps; });
    window_->show();
    ClickControl("Screenshot-OCR");
    EXPECT_EQ(frame_->Mode(), MainMode::Screenshot);
    ASSERT_TRUE(ProcessEventsUntil([&] { return frame_->Capture()->Overlay() != nullptr; }));
    EXPECT_FALSE(window_->isVisible()) << "the window steps aside for the capture";
    frame_->OnCaptureHotKey();
    EXPECT_EQ(beeps, 1) << "the key during a capture only beeps";
    QWidget* overlay = frame_->Capture()->Overlay();
    QTest::mousePress(overlay, Qt::LeftButton, {}, QPoint(100, 100));
    QTest::mouseMove(overlay, QPoint(300, 200));
    QTest::mouseRelease(overlay, Qt::LeftButton, {}, QPoint(300, 200));
    ASSERT_TRUE(WaitUntilIdle());
    ProcessEventsUntil([&] { return frame_->CurrentPage() == MainPage::Result; });
    EXPECT_TRUE(window_->isVisible());
    EXPECT_EQ(frame_->CurrentPage(), MainPage::Result);
    EXPECT_EQ(ResultText(), kFirstText);
    const QImage sent(QString::fromStdWString(frame_->Capture()->CurrentCaptureFile()));
    EXPECT_EQ(sent.size(), QSize(200, 100));
}

// The hot key pressed while a modal dialog is open: after the capture,
// cancelled or done, the dialog is back on screen above its window.
TEST_F(MainWindowTest, ADialogOpenDuringACaptureComesBackAboveItsWindow) {
    auto desktop = std::make_shared<OneMonitor>();
    frame_->UseDesktopForTest({desktop, desktop, desktop, true});
    window_->show();
    bool checked = false;
    WhenWindowShown(L"TaviOCRDialogClass", [&](QWidget* about) {
        frame_->OnCaptureHotKey();
        ASSERT_TRUE(ProcessEventsUntil([&] { return frame_->Capture()->Overlay() != nullptr; }));
        EXPECT_FALSE(about->isVisible()) << "out of the picture";
        QTest::keyClick(frame_->Capture()->Overlay(), Qt::Key_Escape);
        ProcessEventsUntil([&] { return !frame_->Capture()->IsCapturing() && about->isVisible(); });
        EXPECT_TRUE(window_->isVisible());
        EXPECT_TRUE(about->isVisible()) << "the dialog is back";
        EXPECT_EQ(QApplication::activeModalWidget(), about);
        checked = true;
        Click(about, "btnClose");
    });
    (new CAboutDlg)->RunModal(frame_->GetHWND());
    EXPECT_TRUE(checked);
}

// The tray's and the menu's commands bring a dialog that is already open to
// the front instead of opening a second one; "Show" brings it back too.
TEST_F(MainWindowTest, AMenuCommandForAnOpenDialogRaisesThatDialog) {
    window_->show();
    std::vector<QWidget*> settings;
    WhenWindowShown(L"TaviOCRDialogClass", [&](QWidget* dialog) {
        frame_->OnMenuCommand(new MenuCmd{L"menuSetting", L"", L"", false});
        frame_->OnMenuCommand(new MenuCmd{L"menuShowMain", L"", L"", false});
        for (QWidget* window : QApplication::topLevelWidgets())
            if (window->isVisible() && window->property("skin") == QStringLiteral("dlg_setting"))
                settings.push_back(window);
        EXPECT_EQ(QApplication::activeModalWidget(), dialog);
        Click(dialog, "btnClose");
    });
    frame_->OnMenuCommand(new MenuCmd{L"menuSetting", L"", L"", false});
    EXPECT_EQ(settings.size(), 1u) << "one Settings dialog";
}

// The scanner's own window speaks the interface language, wears the
// program's look and scans on Enter; the copying hint waits for a page.
TEST_F(MainWindowTest, AScannedPageIsRecognisedLikeAFile) {
    Globals().UiLanguage = 950;
    FollowInterfaceLanguageInQtDialogs();
    WhenWindowShown(L"TaviOCRDialogClass", [](QWidget* chooser) {
        EXPECT_TRUE(TextOf(chooser, "caption").size() > 0);
        Click(chooser, "btnYes");  // the first scanner is chosen already
    });
    ClickControl("ScannerPage");
    EXPECT_EQ(frame_->Mode(), MainMode::Scanner);
    QDialog* source = nullptr;
    ASSERT_TRUE(ProcessEventsUntil([&] {
        for (QWidget* window : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<QDialog*>(window); dialog && dialog->isVisible())
                source = dialog;
        return source != nullptr;
    }));
    EXPECT_EQ(FindWindowByClass(L"TaviOCRCopyDialogClass"), nullptr) << "no page yet";
    QPushButton* scan = nullptr;
    for (QPushButton* button : source->findChildren<QPushButton*>())
        if (button->isDefault()) scan = button;
    ASSERT_NE(scan, nullptr);
    EXPECT_EQ(scan->text(), QString::fromStdWString(LangText(L"@qt/SourceDialog/Scan")));
    const QImage face = scan->grab().toImage();
    EXPECT_EQ(QColor(face.pixel(face.width() / 2, 3)), QColor(0x2F5BEA)) << "the accent colour";
    auto* bar = source->findChild<QProgressBar*>();
    ASSERT_NE(bar, nullptr);
    EXPECT_FALSE(bar->isVisible());

    QTest::keyClick(source, Qt::Key_Return);
    EXPECT_TRUE(bar->isVisible()) << "the page being read";
    ASSERT_TRUE(ProcessEventsUntil([&] { return frame_->CurrentPage() == MainPage::Result; },
                                   std::chrono::seconds(60)));
    ASSERT_TRUE(WaitUntilIdle());
    Globals().UiLanguage = 0;
    FollowInterfaceLanguageInQtDialogs();
    EXPECT_EQ(ResultText(), kFirstText);
    EXPECT_EQ(frame_->Files().size(), 1u);
    EXPECT_EQ(FindWindowByClass(L"TaviOCRCopyDialogClass"), nullptr);
}

// A jam after some pages: those pages are recognised and the user is told
// the batch is partial, naming the jam.
TEST_F(MainWindowTest, PagesBeforeAJamAreRecognisedAndTheBatchIsCalledPartial) {
    ChangeSetting(kRemindMergeBatch, 0);
    DialogAnswerer answers;
    frame_->OnScannedImages({Image("scan/pic.jpg"), Image("scan/pic1.jpg")}, L"ScanPaperJam");
    ASSERT_TRUE(WaitUntilIdle());
    ProcessEventsUntil([&] { return !answers.texts.empty(); });
    EXPECT_EQ(Rows(), 2) << "both pages have results";
    ASSERT_FALSE(answers.texts.empty());
    EXPECT_EQ(answers.texts[0], QString::fromStdWString(FormatLangText(
                                    LangMessage(L"ScanPartial"), LangMessage(L"ScanPaperJam"))));
}

TEST_F(MainWindowTest, TheScannerChooserWantsARow) {
    CSelectDSMDlg chooser({});
    std::vector<QString> texts;
    WhenWindowShown(L"TaviOCRDialogClass", [&](QWidget* window) {
        window->setProperty("answered", true);
        DialogAnswerer answers;
        Click(window, "btnYes");
        texts = answers.texts;
        EXPECT_TRUE(window->isVisible()) << "the chooser stays open";
        window->close();
    });
    chooser.RunModal(nullptr);
    EXPECT_FALSE(chooser.Chosen());
    EXPECT_EQ(texts, (std::vector<QString>{QString::fromStdWString(LangMessage(L"SelectDSM"))}));
}

// Where the program's own key cannot work (Wayland): how to bind the capture
// command in the desktop, once, with the command ready to paste.
TEST_F(MainWindowTest, TheDesktopShortcutHintGivesTheCommandToCopyOnce) {
    WhenWindowShown(L"TaviOCRDialogClass", [](QWidget* hint) {
        Snapshot(hint, "dlg_shortcut_hint");
        EXPECT_TRUE(TextOf(hint, "context").contains(QStringLiteral("' --capture")));
        Click(hint, "btnLeft");
    });
    frame_->ShowDesktopShortcutHint();
    EXPECT_TRUE(
        QGuiApplication::clipboard()->text().endsWith(QStringLiteral("ui_tests' --capture")));
    EXPECT_EQ(GetPrivateProfileInt(L"General", L"DesktopShortcutHintShown", 0,
                                   GlobalSettings().ConfigPath),
              1)
        << "not shown again";
}