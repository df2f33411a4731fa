#include "ui/main_frame.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QMenu>
#include <algorithm>
#include <map>
#include <vector>

#include "account/signed_in_user.h"
#include "app/language.h"
#include "app/process_globals.h"
#include "app/setting_keys.h"
#include "app/settings.h"
#include "platform/profile.h"
#include "support/qt_application.h"
#include "toolkit/controls/tab_layout_ui.h"
#include "toolkit/dialog_builder.h"
#include "toolkit/paint_manager.h"
#include "ui/window_messages.h"
#include "ui_fixture.h"

class MainFrameTest : public UiTest {
protected:
    void TearDown() override {
        if (CMainFrame* frame = CMainFrame::Instance())
            frame->SendMessageW(WM_SYSCOMMAND, SC_CLOSE);
        ProcessEventsUntil([] { return CMainFrame::Instance() == nullptr; });
        CurrentUser() = SignedInUser{};
        UiTest::TearDown();
    }
    CMainFrame* Open() {
        auto* frame = new CMainFrame;
        EXPECT_TRUE(frame->Create(nullptr, L"TaviOCR", kMainWindowStyle));
        return frame;
    }
};

TEST_F(MainFrameTest, EveryLayoutOfBothPackagesHoldsTheControlNamesTheProgramUses) {
    const std::map<std::wstring, std::vector<const wchar_t*>> names{
        {L"dlg_message.xml",
         {L"caption", L"context", L"infoLogo", L"errorLogo", L"warnLogo", L"btnYes", L"btnClose",
          L"btnLeft"}},
        {L"dlg_message_copy.xml", {L"NotRemind", L"btnYes", L"btnClose"}},
        {L"dlg_message_exit.xml",
         {L"optHide", L"optExit", L"checkNotRemind", L"btnYes", L"btnClose"}},
        {L"dlg_message_merge.xml", {L"optMerge", L"checkNotRemind", L"btnClose"}},
        {L"dlg_about.xml", {L"LabelVersion", L"LabelUID", L"btnClose", L"buttonSite"}},
        {L"dlg_copyingimage.xml", {L"btnClose"}},
        {L"file_list_item.xml", {L"fileName", L"fileSize", L"btnDiff"}},
        {L"skin.xml", {L"tabMain",        L"btnClose",       L"btnMax",          L"btnMin",
                       L"btnMenu",        L"userNickname",   L"btnLogin",        L"Pic-OCR",
                       L"Screenshot-OCR", L"Licensen-OCR",   L"ScannerPage",     L"table-OCR",
                       L"AppPage",        L"titleLogo",      L"titleLicense",    L"Back",
                       L"tabAddPic",      L"LayoutAddPic1",  L"LayoutAddPic2",   L"buttonAddPic",
                       L"addFileIcon",    L"addFileText",    L"scanAni",         L"cancleFiles",
                       L"buttonOCR",      L"addIdcardFront", L"addIdcardFrontI", L"addIdcardBack",
                       L"addIdcardBackI", L"IdCardOCR",      L"BankCardOCR",     L"DrivingOCR",
                       L"VehicleOCR",     L"ReceiptOCR",     L"BusinessOCR",     L"PassportOCR",
                       L"BanklicenseOCR", L"ocrText",        L"listFiles",       L"CopyText",
                       L"DiffText",       L"openOCRFolder",  L"BackResultOK",    L"btnOfficalSite",
                       L"LineButton"}},
    };
    for (const wchar_t* package : {L"skin-en.skin", L"skin-tr.skin"}) {
        CPaintManagerUI::SetResourceZip(package, kSkinPackagePassword, false);
        for (const auto& [layout, controls] : names) {
            CPaintManagerUI manager;
            CDialogBuilder builder;
            std::unique_ptr<QWidget> root(builder.Create(layout, &manager));
            ASSERT_NE(root, nullptr) << layout;
            for (const wchar_t* control : controls)
                EXPECT_NE(CPaintManagerUI::FindSubControlByName(root.get(), control), nullptr)
                    << layout << " " << control;
        }
    }
    CPaintManagerUI manager;
    CDialogBuilder builder;
    std::unique_ptr<QWidget> root(builder.Create(L"skin.xml", &manager));
    std::vector<std::wstring> files = builder.LayoutFiles();
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files,
              (std::vector<std::wstring>{L"homepage.xml", L"picocrpage.xml", L"resultokpage.xml",
                                         L"resultpage.xml", L"skin.xml"}))
        << "the main window's pages come from the layouts whose texts a language switch reloads";
    auto* tab =
        dynamic_cast<CTabLayoutUI*>(CPaintManagerUI::FindSubControlByName(root.get(), L"tabMain"));
    ASSERT_NE(tab, nullptr);
    EXPECT_EQ(tab->GetCount(), 7);
}

TEST_F(MainFrameTest, TheMainWindowIsFoundByItsClassAndAltF4EndsIt) {
    CMainFrame* frame = Open();
    EXPECT_EQ(FindWindowByClass(kMainWindowClass), frame->GetHWND());
    EXPECT_EQ(CMainFrame::Instance(), frame);
    Snapshot(frame->GetWidget(), "main_en");
    frame->SendMessageW(WM_SYSCOMMAND, SC_CLOSE);
    EXPECT_EQ(FindWindowByClass(kMainWindowClass), nullptr);
    ASSERT_TRUE(ProcessEventsUntil([] { return CMainFrame::Instance() == nullptr; }));
}

TEST_F(MainFrameTest, SwitchingTheLanguageReloadsTheTextsOfTheOpenWindowAndItsSignedInArea) {
    CurrentUser().account = L"reader@example.com";
    CurrentUser().nickName = L"Reader";
    CMainFrame* frame = Open();
    CPaintManagerUI& pm = frame->PaintManager();
    auto text = [&](const wchar_t* name) {
        return TextOf(frame->GetWidget(), QString::fromWCharArray(name).toUtf8().constData());
    };
    EXPECT_EQ(text(L"Pic-OCR"), QStringLiteral("Picture to text"));
    EXPECT_EQ(text(L"CopyText"), QStringLiteral("Copy text"))
        << "texts of the included page layouts";
    ASSERT_TRUE(Shown(frame->GetWidget(), "userNickname"));
    pm.FindControl(L"userNickname")->hide();  // the reload must redraw the signed-in area

    SelectLanguageByMenu(L"menuTR");
    EXPECT_EQ(Globals().UiLanguage, 950);
    EXPECT_EQ(text(L"Pic-OCR"), QStringLiteral("圖片轉文字"));
    EXPECT_EQ(text(L"btnLogin"), QStringLiteral("登入"));
    EXPECT_EQ(text(L"BackResultOK"), QStringLiteral("完成"));
    EXPECT_EQ(pm.FindControl(L"btnMin")->toolTip(), QStringLiteral("最小化"));
    EXPECT_EQ(pm.FindControl(L"Pic-OCR")->accessibleName(), QStringLiteral("圖片轉文字"));
    EXPECT_EQ(StoredSetting(L"Language"), 950);
    EXPECT_EQ(GetPrivateProfileInt(L"Setting", L"LCID", 0, GlobalSettings().ConfigPath), 1028);
    EXPECT_EQ(CPaintManagerUI::GetResourceZip(), L"skin-tr.skin");
    ASSERT_TRUE(ProcessEventsUntil([&] { return Shown(frame->GetWidget(), "userNickname"); }))
        << "WM_LOGIN_STATE follows the reload";
    Snapshot(frame->GetWidget(), "main_tr");

    SelectLanguageByMenu(L"menuEn");
    EXPECT_EQ(text(L"Pic-OCR"), QStringLiteral("Picture to text"));
    EXPECT_EQ(CPaintManagerUI::GetResourceZip(), L"skin-en.skin");
}

TEST_F(MainFrameTest, TheReloadCallbackSkipsMissingControlsAndEmptyTexts) {
    CMainFrame* frame = Open();
    frame->ReloadControlText(L"noSuchControl", L"text", 0);
    frame->ReloadControlText(L"btnLogin", L"", 0);
    EXPECT_EQ(TextOf(frame->GetWidget(), "btnLogin"), QStringLiteral("Sign in"));
    frame->ReloadControlText(L"btnLogin", L"Log in", 0);
    EXPECT_EQ(TextOf(frame->GetWidget(), "btnLogin"), QStringLiteral("Log in"));
    frame->ReloadControlText(L"btnLogin", L"Your account", 1);
    EXPECT_EQ(frame->PaintManager().FindControl(L"btnLogin")->toolTip(),
              QStringLiteral("Your account"));
    frame->ReloadControlText(L"appTitle", L"0,0,120,30", 3);
    EXPECT_EQ(frame->PaintManager().FindControl(L"appTitle")->maximumWidth(), 120);
}

TEST_F(MainFrameTest, TheCloseButtonHidesOrQuitsAsConfigured) {
    ChangeSetting(kHideWhenClose, 1);
    ChangeSetting(kRemindWhenClose, 1);
    CMainFrame* frame = Open();
    frame->ShowWindow(true);
    // The exit question closed with its own close button: nothing happens.
    WhenWindowShown(L"TaviOCRDialogClass", [](QWidget* dialog) {
        EXPECT_TRUE(qobject_cast<QAbstractButton*>(Control(dialog, "optHide"))->isChecked());
        Click(dialog, "btnClose");
    });
    Click(frame->GetWidget(), "btnClose");
    EXPECT_TRUE(frame->GetWidget()->isVisible());
    EXPECT_FALSE(frame->GetWidget()->isMinimized());
    // Told not to ask again and to hide: the window steps aside, and without a
    // tray it is minimised rather than lost.
    ChangeSetting(kRemindWhenClose, 0);
    Click(frame->GetWidget(), "btnClose");
    EXPECT_TRUE(!frame->GetWidget()->isVisible() || frame->GetWidget()->isMinimized());
    EXPECT_EQ(CMainFrame::Instance(), frame) << "still running";
    frame->RestoreFromTray();
    // Asked again, "Exit" quits and is remembered.
    ChangeSetting(kRemindWhenClose, 1);
    WhenWindowShown(L"TaviOCRDialogClass", [](QWidget* dialog) {
        Click(dialog, "optExit");
        Click(dialog, "btnYes");
    });
    Click(frame->GetWidget(), "btnClose");
    ASSERT_TRUE(ProcessEventsUntil([] { return CMainFrame::Instance() == nullptr; }));
    EXPECT_EQ(GlobalSettings().HideWhenClose, 0);
    EXPECT_EQ(GetPrivateProfileInt(L"General", L"HideWhenClose", 1, GlobalSettings().ConfigPath),
              0);
}

TEST_F(MainFrameTest, ALanguageOfTheMainMenuSwitchesTheTextsAtOnce) {
    CMainFrame* frame = Open();
    Click(frame->GetWidget(), "btnMenu");
    ASSERT_NE(frame->PopupMenu(), nullptr);
    QMenu* menu = frame->PopupMenu()->GetMenu();
    ASSERT_NE(menu, nullptr);
    QAction* chinese = menu->findChild<QMenu*>("menuLanguage")->findChild<QAction*>("menuTR");
    ASSERT_NE(chinese, nullptr);
    EXPECT_EQ(menu->findChild<QMenu*>("menuLanguage")->actions().size(), 11) << "eleven languages";
    chinese->trigger();
    ASSERT_TRUE(ProcessEventsUntil([] { return Globals().UiLanguage == 950; }));
    EXPECT_EQ(TextOf(frame->GetWidget(), "Pic-OCR"), QStringLiteral("圖片轉文字"));
    Click(frame->GetWidget(), "btnMenu");
    EXPECT_EQ(frame->PopupMenu()->GetMenu()->actions().back()->text(), QStringLiteral("結束"))
        << "the menu speaks the new language";
    SelectLanguageByMenu(L"menuEn");
}
