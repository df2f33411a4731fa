#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QLabel>
#include <QThread>
#include <atomic>
#include <thread>

#include "app/language_file.h"
#include "app/process_globals.h"
#include "app/program_version.h"
#include "app/setting_keys.h"
#include "app/settings.h"
#include "dialogs/message_box.h"
#include "dialogs/message_dlg.h"
#include "platform/registry.h"
#include "support/qt_application.h"
#include "toolkit/window_handle.h"
#include "ui/info_dialogs.h"
#include "ui/qt_translation.h"
#include "ui/question_dialogs.h"
#include "ui_fixture.h"

namespace {
constexpr wchar_t kDialogClass[] = L"TaviOCRDialogClass";
}

class MessageDialogTest : public UiTest {};

TEST_F(MessageDialogTest, InformationWithOneButtonShowsTheYesTextOnTheCloseButton) {
    bool checked = false;
    WhenWindowShown(kDialogClass, [&](QWidget* dialog) {
        Snapshot(dialog, "dlg_message_info");
        EXPECT_TRUE(Shown(dialog, "infoLogo"));
        EXPECT_FALSE(Shown(dialog, "errorLogo"));
        EXPECT_FALSE(Shown(dialog, "warnLogo"));
        EXPECT_FALSE(Shown(dialog, "btnYes"));
        EXPECT_TRUE(Shown(dialog, "btnClose"));
        EXPECT_EQ(TextOf(dialog, "btnClose"), QStringLiteral("OK"));
        EXPECT_FALSE(Shown(dialog, "btnLeft"));
        EXPECT_EQ(TextOf(dialog, "caption"), QString::fromStdWString(LangMessage(L"Title")));
        EXPECT_EQ(TextOf(dialog, "context"), QString::fromStdWString(LangMessage(L"CannotBack")));
        EXPECT_FALSE(TextOf(dialog, "context").isEmpty());
        checked = true;
        Click(dialog, "btnClose");
    });
    EXPECT_EQ(ShowMessageByKey(L"CannotBack", nullptr, kStyleInformation), kMessageClose);
    EXPECT_TRUE(checked);
}

// Enter presses the button with the focus ring (the keyboard starts on the
// first of the box's buttons), never another one behind the user's back.
TEST_F(MessageDialogTest, EscapeClosesAndEnterPressesTheFocusedButton) {
    for (const auto& [key, expected] :
         {std::pair{Qt::Key_Escape, kMessageClose}, std::pair{Qt::Key_Return, kMessageClose}}) {
        WhenWindowShown(kDialogClass, [key = key](QWidget* dialog) {
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
            QCoreApplication::sendEvent(dialog, &press);
        });
        EXPECT_EQ(ShowMessageByKey(L"UndoOCRText", nullptr, kStyleError | kStyleTwoButtons),
                  expected);
    }
    // The keyboard starts in the box, and Tab visits its buttons before the
    // title bar's close.
    WhenWindowShown(kDialogClass, [](QWidget* dialog) {
        QWidget* start = dialog->focusWidget();
        ASSERT_NE(start, nullptr);
        QStringList chain;
        QWidget* w = start;
        do {
            if ((w->focusPolicy() & Qt::TabFocus) && w->isVisible()) chain << w->objectName();
            w = w->nextInFocusChain();
        } while (w != start);
        EXPECT_EQ(chain.join(' '), QStringLiteral("btnClose btnYes btnSysClose"));
        Click(dialog, "btnClose");
    });
    ShowMessageByKey(L"UndoOCRText", nullptr, kStyleError | kStyleTwoButtons);
    // One button: Enter is "OK".
    WhenWindowShown(kDialogClass, [](QWidget* dialog) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Enter, Qt::NoModifier);
        QCoreApplication::sendEvent(dialog, &press);
    });
    EXPECT_EQ(ShowMessageByKey(L"CannotBack", nullptr, kStyleInformation), kMessageClose);
}

TEST_F(MessageDialogTest, TheBoxIsAsTallAsItsText) {
    int shortHeight = 0, longHeight = 0;
    for (int* height : {&shortHeight, &longHeight}) {
        WhenWindowShown(kDialogClass, [height](QWidget* dialog) {
            auto* context = dialog->findChild<QLabel*>("context");
            ASSERT_NE(context, nullptr);
            EXPECT_GE(context->height(), context->heightForWidth(context->width()))
                << "the text is not clipped";
            *height = dialog->height();
            Click(dialog, "btnClose");
        });
        std::wstring text = L"One line.";
        if (height == &longHeight)
            for (int i = 0; i < 120; ++i) text += L" recognition";
        ShowMessageBox(nullptr, text, L"TaviOCR", kStyleInformation);
    }
    EXPECT_LT(shortHeight, 200) << "no empty band under one line";
    EXPECT_GT(longHeight, shortHeight + 60);
}

TEST_F(MessageDialogTest, ErrorWithTwoButtonsAnswersYesOrClose) {
    for (const char* button : {"btnYes", "btnClose"}) {
        WhenWindowShown(kDialogClass, [&](QWidget* dialog) {
            Snapshot(dialog, "dlg_message_error");
            EXPECT_TRUE(Shown(dialog, "errorLogo"));
            EXPECT_FALSE(Shown(dialog, "infoLogo"));
            EXPECT_TRUE(Shown(dialog, "btnYes"));
            EXPECT_TRUE(Shown(dialog, "btnClose"));
            Click(dialog, button);
        });
        const int expected = std::string(button) == "btnYes" ? kMessageYes : kMessageClose;
        EXPECT_EQ(ShowMessageByKey(L"UndoOCRText", nullptr, kStyleError | kStyleTwoButtons),
                  expected)
            << button;
    }
}

TEST_F(MessageDialogTest, AKeyWithoutTextShowsTheFallbackUnderTheTitle) {
    WhenWindowShown(kDialogClass, [](QWidget* dialog) {
        EXPECT_EQ(TextOf(dialog, "context"), QStringLiteral("Plain fallback text"));
        EXPECT_EQ(TextOf(dialog, "caption"), QStringLiteral("TaviOCR"));
        EXPECT_TRUE(Shown(dialog, "warnLogo"));
        dialog->close();  // closed another way: the close result
    });
    EXPECT_EQ(
        ShowMessageByKey(L"NoSuchKeyAnywhere", nullptr, kStyleWarning, L"Plain fallback text"),
        kMessageClose);

    WhenWindowShown(kDialogClass, [](QWidget* dialog) {
        EXPECT_TRUE(TextOf(dialog, "context").isEmpty());
        EXPECT_TRUE(Shown(dialog, "infoLogo")) << "no kind bit: the information logo";
        dialog->close();
    });
    EXPECT_EQ(ShowMessageByKey(L"NoSuchKeyAnywhere", nullptr, 0), kMessageClose);
}

TEST_F(MessageDialogTest, FormattedMessagesTakeTheirArgument) {
    WhenWindowShown(kDialogClass, [](QWidget* dialog) {
        EXPECT_TRUE(TextOf(dialog, "context").contains(QStringLiteral("<html>502</html>")));
        EXPECT_FALSE(TextOf(dialog, "context").contains(QStringLiteral("%s")));
        Click(dialog, "btnClose");
    });
    ShowMessageByKeyFormat(L"JsonFormatErr", L"<html>502</html>", nullptr, kStyleError);
}

TEST_F(MessageDialogTest, TheLeftButtonShowsOnlyWithATextAndAnswers12) {
    CMessageDlg dialog;
    dialog.message = L"Replace the text?";
    dialog.caption = L"Question";
    dialog.style = kStyleWarning | kStyleTwoButtons;
    dialog.leftText = L"Keep both";
    dialog.yesText = L"Replace";
    WhenWindowShown(kDialogClass, [](QWidget* shown) {
        Snapshot(shown, "dlg_message_left");
        EXPECT_TRUE(Shown(shown, "btnLeft"));
        EXPECT_EQ(TextOf(shown, "btnLeft"), QStringLiteral("Keep both"));
        EXPECT_EQ(TextOf(shown, "btnYes"), QStringLiteral("Replace"));
        EXPECT_EQ(TextOf(shown, "btnClose"), QStringLiteral("Cancel"));
        Click(shown, "btnLeft");
    });
    ASSERT_TRUE(dialog.RunModal(nullptr));
    EXPECT_EQ(dialog.result, kMessageLeft);
}

TEST_F(MessageDialogTest, AWorkerThreadsMessageIsShownOnTheUiThreadWhileTheWorkerWaits) {
    std::atomic<int> result{-1};
    std::atomic<bool> shownOnUiThread{false};
    std::thread worker([&] { result = ShowMessageByKey(L"OCRNotResult", nullptr, kStyleError); });
    WhenWindowShown(kDialogClass, [&](QWidget* dialog) {
        shownOnUiThread = dialog->thread() == QApplication::instance()->thread() && IsUiThread();
        EXPECT_EQ(result, -1) << "the worker is still waiting";
        Click(dialog, "btnClose");
    });
    ASSERT_TRUE(ProcessEventsUntil([&] { return result != -1; }));
    worker.join();
    EXPECT_EQ(result, kMessageClose);
    EXPECT_TRUE(shownOnUiThread);
}

TEST_F(MessageDialogTest, TheMergeQuestionAnswersMergeWhenItsOptionIsTicked) {
    ChangeSetting(kRemindMergeBatch, 1);
    CMessageMerge merge;
    WhenWindowShown(kDialogClass, [](QWidget* dialog) {
        Snapshot(dialog, "dlg_message_merge");
        EXPECT_TRUE(qobject_cast<QAbstractButton*>(Control(dialog, "checkNotRemind"))->isChecked());
        EXPECT_TRUE(qobject_cast<QAbstractButton*>(Control(dialog, "optMerge"))->isChecked());
        Click(dialog, "btnClose");
    });
    ASSERT_TRUE(merge.RunModal(nullptr));
    EXPECT_TRUE(merge.answered);
    EXPECT_TRUE(merge.merge);
    EXPECT_EQ(StoredSetting(L"RemindMergeBatch"), 1) << "unchanged";
}

TEST_F(MessageDialogTest, UntickingTheMergeReminderIsWrittenAtOnceAndClosingOtherwiseIsNoAnswer) {
    ChangeSetting(kRemindMergeBatch, 1);
    CMessageMerge merge;
    WhenWindowShown(kDialogClass, [this](QWidget* dialog) {
        Click(dialog, "checkNotRemind");
        EXPECT_EQ(StoredSetting(L"RemindMergeBatch"), 0);
        EXPECT_EQ(GlobalSettings().RemindMergeBatch, 0);
        Click(dialog, "btnSysClose");
    });
    ASSERT_TRUE(merge.RunModal(nullptr));
    EXPECT_FALSE(merge.answered);
}

TEST_F(MessageDialogTest, TheExitQuestionClosedWithItsCloseButtonChangesNothing) {
    ChangeSetting(kHideWhenClose, 1);
    ChangeSetting(kRemindWhenClose, 1);
    CMessageExitDlg exit;
    WhenWindowShown(kDialogClass, [](QWidget* dialog) {
        Snapshot(dialog, "dlg_message_exit");
        EXPECT_TRUE(qobject_cast<QAbstractButton*>(Control(dialog, "optHide"))->isChecked());
        Click(dialog, "optExit");
        Click(dialog, "checkNotRemind");
        Click(dialog, "btnClose");
    });
    ASSERT_TRUE(exit.RunModal(nullptr));
    EXPECT_TRUE(exit.cancelled);
    EXPECT_EQ(StoredSetting(L"HideWhenClose"), 1);
    EXPECT_EQ(StoredSetting(L"RemindWhenClose"), 1);
}

TEST_F(MessageDialogTest, TheExitQuestionConfirmedStoresTheChoiceAndTheReminder) {
    ChangeSetting(kHideWhenClose, 1);
    ChangeSetting(kRemindWhenClose, 1);
    CMessageExitDlg exit;
    WhenWindowShown(kDialogClass, [](QWidget* dialog) {
        Click(dialog, "optExit");
        Click(dialog, "checkNotRemind");
        Click(dialog, "btnYes");
    });
    ASSERT_TRUE(exit.RunModal(nullptr));
    EXPECT_FALSE(exit.cancelled);
    EXPECT_EQ(StoredSetting(L"HideWhenClose"), 0);
    EXPECT_EQ(StoredSetting(L"RemindWhenClose"), 0);
    EXPECT_EQ(GlobalSettings().HideWhenClose, 0);
}

TEST_F(MessageDialogTest, TheCopyNoticeTurnsItsReminderOffWhenAskedAndDeletesItself) {
    ChangeSetting(kRemindWhenCopy, 1);
    for (bool tick : {false, true}) {
        WhenWindowShown(kDialogClass, [tick](QWidget* dialog) {
            Snapshot(dialog, "dlg_message_copy");
            if (tick) Click(dialog, "NotRemind");
            Click(dialog, tick ? "btnClose" : "btnYes");
        });
        ASSERT_TRUE((new CMessageCopyDlg)->RunModal(nullptr));
        EXPECT_EQ(StoredSetting(L"RemindWhenCopy"), tick ? 0 : 1);
    }
    EXPECT_EQ(GlobalSettings().RemindWhenCopy, 0);
}

TEST_F(MessageDialogTest, TheAboutBoxShowsTheInstalledVersionAndTheMachineIdentifier) {
    ASSERT_TRUE(
        RegWriteString(RegistryHive::LocalMachine, L"Software\\TaviOCR", L"Version", L"2.4.1"));
    ASSERT_TRUE(RegWriteString(RegistryHive::LocalMachine, L"Software\\TaviOCR", L"uid",
                               L"0123456789ABCDEF"));
    WhenWindowShown(kDialogClass, [](QWidget* dialog) {
        Snapshot(dialog, "dlg_about");
        EXPECT_EQ(TextOf(dialog, "LabelVersion"), QStringLiteral("2.4.1"));
        EXPECT_EQ(TextOf(dialog, "LabelUID"), QStringLiteral("0123456789ABCDEF"));
        EXPECT_TRUE(TextOf(dialog, "buttonSite").startsWith(QStringLiteral("https://")));
        Click(dialog, "btnClose");
    });
    ASSERT_TRUE((new CAboutDlg)->RunModal(nullptr));
    // Not installed: the version it was built as, never an empty line.
    ASSERT_TRUE(RegDeleteValue(RegistryHive::LocalMachine, L"Software\\TaviOCR", L"Version"));
    WhenWindowShown(kDialogClass, [](QWidget* dialog) {
        EXPECT_EQ(TextOf(dialog, "LabelVersion"), QString::fromStdWString(BuiltVersion()));
        Click(dialog, "btnClose");
    });
    ASSERT_TRUE((new CAboutDlg)->RunModal(nullptr));
}

TEST_F(MessageDialogTest, OnlyOneCopyingHintIsOpenAndItClosesOnRequest) {
    CCopyingHintDlg::ShowOnce(nullptr);
    const HWND first = FindWindowByClass(CCopyingHintDlg::kWindowClass);
    ASSERT_NE(first, nullptr);
    CCopyingHintDlg::ShowOnce(nullptr);
    EXPECT_EQ(FindWindowByClass(CCopyingHintDlg::kWindowClass), first);
    QWidget* window = WindowImplBase::FromHandle(first)->GetWidget();
    Snapshot(window, "dlg_copyingimage");
    EXPECT_TRUE(window->isVisible()) << "modeless: shown without waiting";
    CCopyingHintDlg::CloseOpen();
    EXPECT_FALSE(IsWindow(first));
    ProcessEventsUntil([] { return false; },
                       std::chrono::milliseconds(20));  // lets it delete itself
}

TEST_F(MessageDialogTest, QtsOwnDialogsFollowTheInterfaceLanguage) {
    const int saved = Globals().UiLanguage;
    Globals().UiLanguage = 950;
    FollowInterfaceLanguageInQtDialogs();
    const QString chinese = QCoreApplication::translate("QFileDialog", "File &name:");
    Globals().UiLanguage = 0;
    FollowInterfaceLanguageInQtDialogs();
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "File &name:"),
              QStringLiteral("File &name:"));
    Globals().UiLanguage = saved;
    EXPECT_NE(chinese, QStringLiteral("File &name:")) << "the open-file dialog speaks Chinese";
}
