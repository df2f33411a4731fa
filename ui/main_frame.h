#pragma once

#include <QPoint>
#include <QString>
#include <QSystemTrayIcon>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/settings.h"
#include "capture/desktop_services.h"
#include "dialogs/message_box.h"
#include "recognition/recognition_interfaces.h"
#include "recognition/recognition_job.h"
#include "recognition/result_text.h"
#include "toolkit/dialog_builder.h"
#include "toolkit/menu_wnd.h"
#include "toolkit/skin_manager.h"
#include "toolkit/window_impl_base.h"
#include "ui/main_modes.h"
#include "ui/window_message_display.h"

class CListUI;
class MainWindowScanner;
class CScreenCutting;
class QSystemTrayIcon;
class GlobalHotKey;
class CTabLayoutUI;

// The program's one top-level window. It dispatches: page navigation and the
// mode live here, the input list, running a recognition and the result actions
// each in a file of their own. The object deletes itself when its window ends,
// which ends the message loop.
class CMainFrame : public WindowImplBase, public IReloadControlText, public NotifyWindow {
public:
    CMainFrame();
    ~CMainFrame() override;

    // The proofreading view: shows the picture beside the text and returns
    // the edited text, empty when nothing is to be taken over. The compare
    // view unless another is set (tests).
    using ProofreadView = std::function<std::wstring(HWND owner, const std::wstring& image,
                                                     const std::wstring& text)>;
    void SetProofreadView(ProofreadView view) { proofread_ = std::move(view); }

    std::wstring GetWindowClassName() const override;
    std::wstring GetSkinFile() override { return L"skin.xml"; }

    void ReloadControlText(std::wstring_view control, std::wstring_view text, int kind) override;
    CPaintManagerUI& PaintManager() { return m_pm; }
    RecognitionJob& Job() { return job_; }
    // The menu's update item.
    void CheckForUpdates();
    // Staying resident: the close request, popup menus and the tray icon.
    void OnCloseRequest();
    void ShowPopupMenu(std::wstring_view file, std::optional<QPoint> point = std::nullopt);
    void OnMenuCommand(MenuCmd* command);
    void RestoreFromTray();
    // The tray icon's tool tip names the capture key (after start, Settings
    // and a language switch).
    void ShowHotKeyInTray();
    CMenuWnd* PopupMenu() const { return popupMenu_.get(); }
    // Screen capture: the screenshot command and the global hot key.
    void StartScreenCapture();
    void OnCaptureHotKey();
    // Puts the key in force; a key another program holds is said once a run
    // (tray balloon, else a message) and shows in the tray's tool tip.
    bool RegisterCaptureHotKey(HotKeyWord word);
    bool CaptureKeyTaken() const;
    void NoticeTakenCaptureKey();
    // Where the program's own key cannot work (Wayland): once ever, how to
    // bind the capture command in the desktop's keyboard settings.
    void ShowDesktopShortcutHint();
    CScreenCutting* Capture() const { return capture_.get(); }
    void UseDesktopForTest(Desktop desktop);
    // Scanning (scanner.cpp).
    void OnScanCommand();
    MainWindowScanner* Scanner() const;
    // The account area (sign_in.cpp).
    void OnLoginClick();
    void OnAccountCommand(const std::wstring& menuItem);
    void CheckSignInAtStart();
    void RevalidateSignIn();
    // Where the busy beep goes (tests listen to it).
    void SetBeepForTest(std::function<void()> beep) { beep_ = std::move(beep); }

    // The live main window of this process, or null.
    static CMainFrame* Instance();

    // NotifyWindow, called by the job's worker: hands the result to the UI
    // thread and waits until it has been taken.
    bool IsWindow() const override;
    void OnOcrResult(const OcrResult* result, const ResultPlace& place) override;

    // --- state, for the window's own parts; tests read it ---
    const std::vector<std::wstring>& Files() const { return fileList_; }
    // Place in Files() → the result file written for it.
    const std::map<std::size_t, std::wstring>& ResultFiles() const { return resultMap_; }
    bool InMergeMode() const { return mergeMode_; }
    // The scanning strip runs while a batch does.
    bool AnimationRunning() const { return scanTimer_ != 0; }
    unsigned AnimationFrame() const { return animationFrame_; }
    MainMode Mode() const { return mainMode_; }
    const std::wstring& OutputFolder() const { return outputFolder_; }
    const std::wstring& CurrentText() const { return currentText_; }
    const std::wstring& IdCardFront() const { return idCardFront_; }
    const std::wstring& IdCardBack() const { return idCardBack_; }

    // --- navigation (main_frame.cpp) ---
    void SetModeAndShowAddPage(MainMode mode);
    void ShowModeHeader();
    void SelectPage(MainPage page);
    MainPage CurrentPage() const;
    void OnBack();
    void OnBackResultOK();
    void OnCaptureDone(const std::wstring& capturePath);
    // failureKey: why the scanner stopped early (empty when it did not).
    void OnScannedImages(const std::vector<std::wstring>& images,
                         const std::wstring& failureKey = {});

    // --- input list (file_area.cpp) ---
    bool AddImageFile(const std::wstring& path);
    void RefreshFileArea();
    void ShowIdCardSlot(bool front);
    void ClearIdCardSlots();  // both sides back to "not chosen"
    void AddResultListItem(const std::wstring& path);
    void ClearFiles();
    // Empties the list; downscaled copies made for it are removed with it.
    void ForgetFiles();
    void AddFilesWithDialog();
    void ChooseIdCardImage(bool front);
    // A side of the identity card chosen (from the dialog): shown in its slot.
    void TakeIdCardImage(bool front, const std::wstring& path);
    void StartScanAnimation();
    void StopScanAnimation();

    void OnDropFilesForTest(const std::vector<std::wstring>& paths) { OnDropFiles(paths); }
    // Pictures handed over on the command line: taken as a drop on the home page.
    void OpenPictures(const std::vector<std::wstring>& paths) { OnDropFiles(paths); }

    // --- running a recognition (recognition_run.cpp) ---
    void OnButtonOCR();
    void HandleOcrResult(const OcrResult* result, const ResultPlace& place);
    void EndBatch();
    std::wstring BuildResultText(const OcrResult& result);

    // --- results (result_actions.cpp) ---
    void OpenOutputFolder();
    // The batch's pictures and their texts as one searchable PDF, where the
    // user chooses.
    void SaveSearchablePdf();
    void CopyCurrentText();
    void OnDiffText();
    void OnListButtonDiff(QWidget* button);

protected:
    void InitWindow() override;
    void Notify(TNotifyUI& msg) override;
    void OnClick(TNotifyUI& msg) override;
    void OnTimer(UINT id) override;
    void OnDropFiles(const std::vector<std::wstring>& paths) override;
    bool TakesDropsNow() const override;
    LRESULT HandleCustomMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    LRESULT OnClose(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    LRESULT OnSysCommand(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    void OnDestroy() override;
    void OnFinalMessage(HWND hwnd) override;

private:
    void SetUpCapture();
    void SetUpTrayIcon();
    // A tray shows the icon now, so a hidden window can be brought back.
    bool TrayInUse() const;
    void SetUpScanner();
    void ShutDownScanner();
    void OnTwainEvent();
    void OnCaptureDone();
    void Beep();
    void ShowSignedInState(bool signedIn);
    void ToggleMaximized();
    void SetProgressText(std::size_t done, std::size_t total);
    QString ImageDialogFolder() const;  // where the open-picture dialogs start
    void ShowMergedText();              // the merged texts so far on the result page
    // Shows a message once the current event has finished, so that a worker
    // waiting for this window to take its result is never held by the box.
    // With an argument the key's text is its format.
    void ShowMessageLater(std::wstring key, int style,
                          std::optional<std::wstring> argument = std::nullopt);
    void SetText(std::wstring_view control, std::wstring_view text);
    void SetVisible(std::wstring_view control, bool visible);
    void SetEnabled(std::wstring_view control, bool enabled);
    void SetBkImage(std::wstring_view control, std::wstring_view image);
    void ShowSpreadsheetMark(bool shown);
    CTabLayoutUI* MainTab() const;

    std::vector<std::wstring> fileList_;
    std::map<std::size_t, std::wstring> resultMap_;  // place in fileList_ → result file
    std::map<std::size_t, OcrResult> batchResults_;  // a text batch's results, for a PDF
    // The place in fileList_ of each row of the result list (failed pictures
    // have no row); empty: rows and places coincide.
    std::vector<std::size_t> rowPlaces_;
    bool mergeMode_ = false;
    std::wstring mergeBuffer_;
    UINT scanTimer_ = 0;
    unsigned animationFrame_ = 0;
    MainMode mainMode_ = MainMode::None;
    std::wstring outputFolder_;
    std::wstring currentText_;
    std::wstring idCardFront_;
    std::wstring idCardBack_;

    RecognitionJob job_;
    std::unique_ptr<WindowMessageDisplay> messages_;
    ProofreadView proofread_;
    std::unique_ptr<CScreenCutting> capture_;
    std::unique_ptr<MainWindowScanner> scanner_;
    std::unique_ptr<CMenuWnd> popupMenu_;
    MenuCheckInfo menuChecks_;
    std::unique_ptr<QSystemTrayIcon> tray_;
    std::unique_ptr<GlobalHotKey> hotKey_;
    std::function<void()> beep_;
    bool toldCaptureNeedsX11_ = false;
    bool toldCaptureKeyTaken_ = false;
    CDialogBuilder rowBuilder_;
    std::vector<LayoutText> rowTexts_;
    int rowTextsLanguage_ = 0;
    bool rowTextsRead_ = false;
    bool closing_ = false;
    std::size_t unsavedResults_ = 0;  // results of the running batch not written
    BatchResultNames resultNames_;    // file names given in the running batch
    QString lastImageFolder_;         // folder of the last pictures chosen in a dialog
};

// Timer of the scanning animation: 44 frames of 191 × 158 from one strip.
inline constexpr UINT kScanTimerId = 10;
inline constexpr UINT kScanTimerMilliseconds = 50;
inline constexpr unsigned kScanFrames = 44;

// After a language switch: the resource package of the new language, its
// fonts and layout texts, a redraw, then WM_LOGIN_STATE to redraw the
// signed-in area. Nothing happens without a main window.
void ReloadInterfaceTexts();

// The layout files whose texts a language switch reloads, in reload order.
inline constexpr std::wstring_view kReloadedLayouts[] = {
    L"skin.xml", L"homepage.xml", L"picocrpage.xml", L"resultokpage.xml", L"resultpage.xml"};

// The two sides of an identity card one above the other, as a JPEG in the
// identity-card folder; empty when either cannot be read or saving fails.
std::wstring StackIdCardImages(const std::wstring& frontPath, const std::wstring& backPath);

// The size text of a result row: "SizeBytes" below 1 KiB, then "%.2f K" and
// "%.2f M"; empty for an empty or unreadable file.
std::wstring FormatFileSize(const std::wstring& path);
