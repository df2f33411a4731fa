// Starting a recognition from the main window and taking its results.
#include <unistd.h>

#include <QCoreApplication>

#include "app/lang_format.h"
#include "app/language_file.h"
#include "app/settings.h"
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
    if (MainMode == kModeScreenshot) {
        SetText(L"addFileText", LangText(L"AddScreenCut"));
        return;
    }
    const std::wstring format = LangText(IsTableMode(MainMode) ? L"OCRScanXls" : L"OCRScan");
    SetText(L"addFileText", FormatLangText(format, static_cast<int>(done + 1),
                                           static_cast<int>(total), FileNamePart(FileList[done])));
}

void CMainFrame::OnButtonOCR() {
    if (MainMode == kModeScreenshot && IsKeyDown(VK_TAB)) MainMode = kModeCaptureTable;
    ShowSpreadsheetMark(IsTableMode(MainMode));
    if (MainMode == kModeIdCard) {
        if (IdCardFront.empty() || !FileExists(IdCardFront)) {
            ShowMessageByKey(L"NoIdcardFront", GetHWND(), kStyleInformation);
            return;
        }
        FileList = {IdCardFront};
        ResultMap.clear();
        if (!IdCardBack.empty()) FileList.push_back(IdCardBack);
        RefreshFileArea();
    }
    const std::size_t n = FileList.size();
    if (n == 0) return;
    const bool batch = MainMode != kModeIdCard && n > 1;
    MergeMode = false;
    RowPlaces.clear();
    unsavedResults_ = 0;
    resultNames_ = {};
    if (batch && !IsTableMode(MainMode) && GlobalSettings().RemindMergeBatch == 1) {
        CMessageMerge question;
        question.RunModal(GetHWND());
        if (question.merge) {
            MergeMode = true;
            MergeBuffer.clear();
        }
    }
    if (IsTableMode(MainMode)) {
        OutputFolder = MakeOutputFolder(GlobalSettings().SavePath);
        job_.SetOutputFolder(OutputFolder);
    } else if (batch && !MergeMode) {
        OutputFolder = MakeOutputFolder(GlobalSettings().SavePath);
    }
    const int kind = KindCodeForMode(MainMode);
    SetEnabled(L"buttonOCR", false);
    SetVisible(L"cancleFiles", false);
    if (MainMode == kModeIdCard)
        SetText(L"addFileText",
                FormatLangText(LangText(L"OCRScan"), 1, 1, FileNamePart(FileList[0])));
    else
        SetProgressText(0, n);
    DebugTrace(L"OnButtonOCR %d\n", MainMode);
    StartScanAnimation();

    // The worker of the last run may still be finishing after its last
    // result; wait for it rather than have the start refused, and undo the
    // running state if it is refused all the same.
    while (job_.IsRunning()) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    if (!job_.StartRecognition(FileList, kind)) {
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
    if (auto* pane = m_pm.FindControl<CRichEditUI>(L"ocrText")) pane->SetText(MergeBuffer);
    CurrentText = MergeBuffer;
    MergeBuffer.clear();
    SelectPage(kPageResult);
}

std::wstring CMainFrame::BuildResultText(const OcrResult& result, int) {
    const std::wstring text = ResultTextOf(result);
    if (text.empty()) return LangText(L"OCRNone");
    CurrentText = text;
    return text;
}

// One row per picture of the batch that did not fail, in order.
void CMainFrame::AddSucceededRows() {
    std::vector<bool> failed(FileList.size(), false);
    for (const auto& failure : job_.Failures())
        if (failure.position < failed.size()) failed[failure.position] = true;
    for (std::size_t place = 0; place < FileList.size(); ++place) {
        if (failed[place]) continue;
        RowPlaces.push_back(place);
        AddResultListItem(FileList[place]);
    }
}

// The end of a batch, whether its last picture succeeded or not: the merged
// text or the list of what was recognised, a word about results that could not
// be written, one summary naming every picture that failed with its reason,
// and no result folder left behind that received nothing.
void CMainFrame::EndBatch() {
    StopScanAnimation();
    SetEnabled(L"buttonOCR", true);
    SetVisible(L"cancleFiles", true);
    if (MergeMode) {
        ShowMergedText();
    } else {
        SelectPage(kPageResultList);
        if (!IsTableMode(MainMode)) AddSucceededRows();
    }
    RefreshFileArea();
    if (unsavedResults_ > 0) {
        ShowMessageLater(L"SaveResultFailed", kStyleError,
                         OutputFolder.empty() ? GlobalSettings().SavePath : OutputFolder);
        unsavedResults_ = 0;
    }
    if (!OutputFolder.empty()) ::rmdir(NarrowPath(OutputFolder).c_str());  // only when empty
    const auto& failures = job_.Failures();
    if (failures.empty()) return;
    std::wstring list;
    for (const auto& failure : failures)
        list += L"\n" + FileNamePart(failure.path) + L": " + failure.reason;
    ShowMessageLater(L"BatchFailures", kStyleInformation, list);
}

void CMainFrame::HandleOcrResult(const OcrResult* result, const ResultPlace& place) {
    const std::wstring& imagePath = place.imagePath;
    const bool batch = FileList.size() > 1 && MainMode != kModeIdCard;
    if (!result && batch) {
        // The batch goes on; the picture is named in the summary at the end.
        const std::size_t k = place.position + 1;
        if (k < FileList.size())
            SetProgressText(k, FileList.size());
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
        ResultMap.clear();
        RefreshFileArea();
        if (MainMode == kModeIdCard) {
            ClearIdCardSlots();
            SetVisible(L"buttonAddPic", false);
            SetVisible(L"buttonOCR", true);
        }
        const std::wstring key =
            IsTableMode(MainMode) ? std::wstring(L"OCRNotResult") : job_.ErrorKey();
        if (!key.empty()) ShowMessageLater(key, kStyleInformation);
        if (MainMode == kModeCaptureTable) SelectPage(kPageHome);
        // A merged batch keeps its texts only in memory: show what arrived
        // before the failure rather than drop recognitions already made.
        if (MergeMode && !MergeBuffer.empty()) ShowMergedText();
        return;
    }

    const bool tableFailed = IsTableMode(MainMode) && result->status != 0;
    if (tableFailed && !batch)
        ShowMessageLater(
            result->failureKey.empty() ? std::wstring(L"OCRNotResult") : result->failureKey,
            kStyleInformation);
    // The place, not the path: the same picture twice in a batch is two results.
    const std::size_t n = FileList.size();
    const std::size_t i = place.position;
    const std::size_t k = i + 1;
    if (k < n) SetProgressText(k, n);
    if (!batch) {
        // One picture (or the two sides of an identity card).
        StopScanAnimation();
        SetEnabled(L"buttonOCR", true);
        SetVisible(L"cancleFiles", true);
        if (IsTableMode(MainMode) && n == 1 && tableFailed) {
            // A capture or a picture that gave no table: its message, and back.
            if (!OutputFolder.empty()) ::rmdir(NarrowPath(OutputFolder).c_str());
            SelectPage(MainMode == kModeCaptureTable ? kPageHome : kPageAddImages);
        } else if (IsTableMode(MainMode)) {
            SelectPage(kPageResultList);
            AddResultListItem(result->filePath);
            ResultMap[i] = result->filePath;
            OutputFolder = result->filePath;
            OpenWithDefaultApp(result->filePath);
        } else {
            if (auto* text = m_pm.FindControl<CRichEditUI>(L"ocrText"))
                text->SetText(BuildResultText(*result, job_.Kind()));
            SelectPage(kPageResult);
        }
        RefreshFileArea();
        return;
    }
    if (IsTableMode(MainMode)) {
        // A row for each table made; RowPlaces ties it to its picture.
        if (!tableFailed) {
            ResultMap[i] = result->filePath;
            RowPlaces.push_back(i);
            AddResultListItem(result->filePath);
        }
        if (k >= n) EndBatch();
        return;
    }
    const std::wstring text = ResultTextOf(*result);
    if (!text.empty()) {
        if (MergeMode) {
            MergeBuffer += text + L"\r\n";
        } else {
            // Without its folder a bare name would land in whatever folder the
            // program was started from; such a result is not saved instead.
            bool saved = false;
            if (!OutputFolder.empty() && FolderExists(OutputFolder)) {
                const std::wstring file =
                    OutputFolder + L"/" + resultNames_.Next(imagePath, static_cast<int>(k));
                saved = SaveTextToFile(file, text);
                if (saved) ResultMap[i] = file;
            }
            if (!saved) ++unsavedResults_;
        }
    }
    // A recognised text that could not be written is counted: EndBatch says so once.
    if (k >= n) EndBatch();
}
