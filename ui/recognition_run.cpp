// Starting a recognition from the main window and taking its results.
#include <unistd.h>

#include <QCoreApplication>

#include "app/lang_format.h"
#include "app/language_file.h"
#include "app/settings.h"
#include "documents/page_files.h"
#include "platform/debug_trace.h"
#include "platform/file_io.h"
#include "recognition/result_text.h"
#include "toolkit/controls/edit_ui.h"
#include "toolkit/keyboard_state.h"
#include "ui/main_frame.h"
#include "ui/main_modes.h"
#include "ui/open_url.h"
#include "ui/question_dialogs.h"

void CMainFrame::SetProgressText(std::size_t done, std::size_t total) {
    if (mainMode_ == MainMode::Screenshot) {
        SetText(L"addFileText", LangText(L"AddScreenCut"));
        return;
    }
    const std::wstring format = LangText(IsTableMode(mainMode_) ? L"OCRScanXls" : L"OCRScan");
    SetText(L"addFileText",
            FormatLangText(format, static_cast<int>(done + 1), static_cast<int>(total),
                           PictureDisplayName(fileList_[done])));
}

void CMainFrame::OnButtonOCR() {
    if (mainMode_ == MainMode::Screenshot && IsKeyDown(VK_TAB)) mainMode_ = MainMode::CaptureTable;
    ShowSpreadsheetMark(IsTableMode(mainMode_));
    if (mainMode_ == MainMode::IdCard) {
        if (idCardFront_.empty() || !FileExists(idCardFront_)) {
            ShowMessageByKey(L"NoIdcardFront", GetHWND(), kStyleInformation);
            return;
        }
        fileList_ = {idCardFront_};
        resultMap_.clear();
        if (!idCardBack_.empty()) fileList_.push_back(idCardBack_);
        RefreshFileArea();
    }
    const std::size_t n = fileList_.size();
    if (n == 0) return;
    const bool batch = mainMode_ != MainMode::IdCard && n > 1;
    mergeMode_ = false;
    rowPlaces_.clear();
    batchResults_.clear();
    unsavedResults_ = 0;
    resultNames_ = {};
    if (batch && !IsTableMode(mainMode_) && GlobalSettings().RemindMergeBatch == 1) {
        CMessageMerge question;
        question.RunModal(GetHWND());
        // Closed without an answer: the batch is not started.
        if (!question.answered) return;
        if (question.merge) {
            mergeMode_ = true;
            mergeBuffer_.clear();
        }
    }
    if (IsTableMode(mainMode_)) {
        outputFolder_ = MakeOutputFolder(GlobalSettings().SavePath);
        job_.SetOutputFolder(outputFolder_);
    } else if (batch && !mergeMode_) {
        outputFolder_ = MakeOutputFolder(GlobalSettings().SavePath);
    }
    SetEnabled(L"buttonOCR", false);
    SetVisible(L"cancleFiles", false);
    if (mainMode_ == MainMode::IdCard)
        SetText(L"addFileText",
                FormatLangText(LangText(L"OCRScan"), 1, 1, PictureDisplayName(fileList_[0])));
    else
        SetProgressText(0, n);
    DebugTrace(L"OnButtonOCR %d\n", static_cast<int>(mainMode_));
    StartScanAnimation();

    // The worker of the last run may still be finishing after its last
    // result; wait for it rather than have the start refused, and undo the
    // running state if it is refused all the same.
    while (job_.IsRunning()) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    // The settings as they are now: a change in the settings dialog counts from the next run.
    const RecognitionRequest request{fileList_, KindCodeForMode(mainMode_),
                                     LanguageNumberForSetting(GlobalSettings().OCRLanguage)};
    if (!job_.Start(request)) {
        StopScanAnimation();
        SetEnabled(L"buttonOCR", true);
        SetVisible(L"cancleFiles", true);
        RefreshFileArea();
    }
}

void CMainFrame::ShowMessageLater(std::wstring key, int style,
                                  std::optional<std::wstring> argument) {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [hwnd = GetHWND(), key = std::move(key), style, argument = std::move(argument)] {
            if (argument)
                ShowMessageByKeyFormat(key, *argument, hwnd, style);
            else
                ShowMessageByKey(key, hwnd, style);
        },
        Qt::QueuedConnection);
}

void CMainFrame::ShowMergedText() {
    if (auto* pane = m_pm.FindControl<CRichEditUI>(L"ocrText")) pane->SetText(mergeBuffer_);
    currentText_ = mergeBuffer_;
    mergeBuffer_.clear();
    SelectPage(MainPage::Result);
}

std::wstring CMainFrame::BuildResultText(const OcrResult& result) {
    const std::wstring text = ResultTextOf(result);
    if (text.empty()) return LangText(L"OCRNone");
    currentText_ = text;
    return text;
}

// The end of a batch, whether its last picture succeeded or not: the merged
// text or the list of what was recognised, a word about results that could not
// be written, one summary naming every picture that failed with its reason,
// and no result folder left behind that received nothing.
void CMainFrame::EndBatch() {
    StopScanAnimation();
    SetEnabled(L"buttonOCR", true);
    SetVisible(L"cancleFiles", true);
    const auto& failures = job_.Failures();
    if (!failures.empty() && failures.size() >= fileList_.size()) {
        // Nothing was recognised: no empty results with a folder that is
        // gone; the pictures wait on the add page for another try.
        mergeBuffer_.clear();
        SelectPage(MainPage::AddImages);
    } else if (mergeMode_) {
        ShowMergedText();
    } else {
        SelectPage(MainPage::ResultList);
    }
    SetVisible(L"saveSearchablePdf", !batchResults_.empty());
    RefreshFileArea();
    if (unsavedResults_ > 0) {
        ShowMessageLater(L"SaveResultFailed", kStyleError,
                         outputFolder_.empty() ? GlobalSettings().SavePath : outputFolder_);
        unsavedResults_ = 0;
    }
    if (!outputFolder_.empty()) ::rmdir(NarrowPath(outputFolder_).c_str());  // only when empty
    if (failures.empty()) return;
    std::wstring list;
    for (const auto& failure : failures)
        list += L"\n" + PictureDisplayName(failure.path) + L": " + failure.reason;
    ShowMessageLater(L"BatchFailures", kStyleInformation, list);
}

void CMainFrame::HandleOcrResult(const OcrResult* result, const ResultPlace& place) {
    const std::wstring& imagePath = place.imagePath;
    const bool batch = fileList_.size() > 1 && mainMode_ != MainMode::IdCard;
    if (!result && batch) {
        // The batch goes on; the picture is named in the summary at the end.
        const std::size_t k = place.position + 1;
        if (k < fileList_.size())
            SetProgressText(k, fileList_.size());
        else
            EndBatch();
        return;
    }
    if (!result) {
        StopScanAnimation();
        SetEnabled(L"buttonOCR", true);
        SetEnabled(L"Back", true);
        SetVisible(L"cancleFiles", true);
        ForgetFiles();
        resultMap_.clear();
        RefreshFileArea();
        if (mainMode_ == MainMode::IdCard) {
            ClearIdCardSlots();
            SetVisible(L"buttonAddPic", false);
            SetVisible(L"buttonOCR", true);
        }
        const std::wstring key =
            IsTableMode(mainMode_) ? std::wstring(L"OCRNotResult") : job_.ErrorKey();
        if (!key.empty()) ShowMessageLater(key, kStyleInformation);
        if (mainMode_ == MainMode::CaptureTable) SelectPage(MainPage::Home);
        // A merged batch keeps its texts only in memory: show what arrived
        // before the failure rather than drop recognitions already made.
        if (mergeMode_ && !mergeBuffer_.empty()) ShowMergedText();
        return;
    }

    const bool tableFailed = IsTableMode(mainMode_) && result->status != 0;
    if (tableFailed && !batch)
        ShowMessageLater(
            result->failureKey.empty() ? std::wstring(L"OCRNotResult") : result->failureKey,
            kStyleInformation);
    // The place, not the path: the same picture twice in a batch is two results.
    const std::size_t n = fileList_.size();
    const std::size_t i = place.position;
    const std::size_t k = i + 1;
    if (k < n) SetProgressText(k, n);
    if (!batch) {
        // One picture (or the two sides of an identity card).
        StopScanAnimation();
        SetEnabled(L"buttonOCR", true);
        SetVisible(L"cancleFiles", true);
        if (IsTableMode(mainMode_) && n == 1 && tableFailed) {
            // A capture or a picture that gave no table: its message, and back.
            if (!outputFolder_.empty()) ::rmdir(NarrowPath(outputFolder_).c_str());
            SelectPage(mainMode_ == MainMode::CaptureTable ? MainPage::Home : MainPage::AddImages);
        } else if (IsTableMode(mainMode_)) {
            SelectPage(MainPage::ResultList);
            AddResultListItem(result->filePath);
            resultMap_[i] = result->filePath;
            outputFolder_ = result->filePath;
            OpenWithDefaultApp(result->filePath);
        } else {
            if (auto* text = m_pm.FindControl<CRichEditUI>(L"ocrText"))
                text->SetText(BuildResultText(*result));
            SelectPage(MainPage::Result);
        }
        RefreshFileArea();
        return;
    }
    if (IsTableMode(mainMode_)) {
        // A row for each table made; rowPlaces_ ties it to its picture.
        if (!tableFailed) {
            resultMap_[i] = result->filePath;
            rowPlaces_.push_back(i);
            AddResultListItem(result->filePath);
        }
        if (k >= n) EndBatch();
        return;
    }
    // Each picture's row is made as its result comes, not all at the end:
    // fifty at once would hold the window up for a few frames.
    if (!mergeMode_) {
        rowPlaces_.push_back(i);
        AddResultListItem(fileList_[i]);
        batchResults_[i] = *result;
    }
    const std::wstring text = ResultTextOf(*result);
    if (!text.empty()) {
        if (mergeMode_) {
            mergeBuffer_ += text + L"\r\n";
        } else {
            // Without its folder a bare name would land in whatever folder the
            // program was started from; such a result is not saved instead.
            bool saved = false;
            if (!outputFolder_.empty() && FolderExists(outputFolder_)) {
                const std::wstring file =
                    outputFolder_ + L"/" + resultNames_.Next(imagePath, static_cast<int>(k));
                saved = SaveTextToFile(file, text);
                if (saved) resultMap_[i] = file;
            }
            if (!saved) ++unsavedResults_;
        }
    }
    // A recognised text that could not be written is counted: EndBatch says so once.
    if (k >= n) EndBatch();
}
