// The settings dialog on the real skin: what is written at once, what only
// "btnClose" takes over, and what any other close discards.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <filesystem>

#include "app/autorun.h"
#include "app/language_file.h"
#include "app/setting_keys.h"
#include "app/settings.h"
#include "platform/file_io.h"
#include "platform/profile.h"
#include "support/qt_application.h"
#include "toolkit/controls/hotkey_ui.h"
#include "ui/hot_key_text.h"
#include "ui/setting_dlg.h"
#include "ui_fixture.h"

namespace {
constexpr wchar_t kDialogClass[] = L"TaviOCRDialogClass";
}

class SettingDialogTest : public UiTest {
protected:
    // Runs the dialog; `act` works it as a user would.
    void Run(std::function<void(QWidget*)> act, bool keyTaken = false) {
        WhenWindowShown(kDialogClass, std::move(act));
        CSettingDlg dialog(
            [this](HotKeyWord word) {
                registered_.push_back(word);
                return word != takenKey_;
            },
            keyTaken);
        dialog.RunModal(nullptr);
    }
    std::vector<HotKeyWord> registered_;
    HotKeyWord takenKey_ = ~0u;  // the key another program holds
};

TEST_F(SettingDialogTest, ClicksAreWrittenAtOnceAndSurviveTheSystemClose) {
    ChangeSetting(kOcrLanguage, -1);
    CreateFolderTree(Path("Results"));
    ChangeSavePath(Path("Results"));
    Run([&](QWidget* dialog) {
        Snapshot(dialog, "dlg_setting");
        EXPECT_EQ(qobject_cast<QComboBox*>(Control(dialog, "comboLanguage"))->currentIndex(), -1)
            << "OCRLanguage -1: no selection";
        Click(dialog, "optAutoRun");
        EXPECT_TRUE(IsAutoRunRegistered()) << "written at the click";
        auto* sizes = qobject_cast<QComboBox*>(Control(dialog, "comboMaxSize"));
        sizes->setCurrentIndex(1);
        emit sizes->activated(1);
        EXPECT_EQ(StoredSetting(L"MaxImageSize"), 2048);
        // Deferred fields edited, then the dialog closed by the system: discarded.
        qobject_cast<QLineEdit*>(Control(dialog, "SavePath"))
            ->setText(QString::fromStdWString(Path("elsewhere")));
        dialog->close();
    });
    EXPECT_TRUE(IsAutoRunRegistered());
    EXPECT_EQ(GlobalSettings().SavePath, Path("Results"));
    Run([](QWidget* dialog) {
        Click(dialog, "optAutoRun");  // shown ticked: this unticks
        dialog->close();
    });
    EXPECT_FALSE(IsAutoRunRegistered()) << "removed at the click too";
}

TEST_F(SettingDialogTest, TheCloseButtonTakesOverTheFolderTheKeyAndTheSizeLimit) {
    CreateFolderTree(Path("Results"));
    CreateFolderTree(Path("results"));
    ChangeSavePath(Path("Results"));
    ChangeSetting(kHotKey, kDefaultHotKey);
    // A folder that does not exist: the dialog says so and stays, the key unchanged.
    Run([&](QWidget* dialog) {
        qobject_cast<QLineEdit*>(Control(dialog, "SavePath"))
            ->setText(QString::fromStdWString(Path("missing")));
        qobject_cast<CHotKeyUI*>(Control(dialog, "HotKey"))->SetHotKey(0, 0);
        dialog->setProperty("answered", true);  // only the message box is answered
        {
            DialogAnswerer answers;
            Click(dialog, "btnClose");
            ASSERT_EQ(answers.texts.size(), 1u);
            EXPECT_EQ(answers.texts[0], QString::fromStdWString(LangMessage(L"SavePathNotExist")));
        }
        EXPECT_TRUE(dialog->isVisible()) << "still open for a correction";
        EXPECT_EQ(GlobalSettings().HotKey, kDefaultHotKey);
        // A case-only change, a cleared key and the size limit: all taken over.
        qobject_cast<QLineEdit*>(Control(dialog, "SavePath"))
            ->setText(QString::fromStdWString(Path("results")));
        Click(dialog, "optCompressedSize");
        Click(dialog, "btnClose");
    });
    EXPECT_EQ(GlobalSettings().SavePath, Path("results"));
    EXPECT_EQ(GlobalSettings().HotKey, 0);
    EXPECT_EQ(StoredSetting(L"HotKey"), 0);
    EXPECT_EQ(registered_, std::vector<HotKeyWord>{0}) << "the old key let go, none taken";
    EXPECT_EQ(StoredSetting(L"CompressedSizeLimit"), 1);
}

TEST_F(SettingDialogTest, TheHotKeyControlKeepsAltAndShiftApart) {
    ChangeSetting(kHotKey, (0x41 << 16) | 1 | 2);  // Ctrl+Alt+A as the key registration has it
    Run([](QWidget* dialog) {
        EXPECT_EQ(qobject_cast<QLineEdit*>(Control(dialog, "HotKey"))->text(),
                  QStringLiteral("Ctrl+Alt+A"));
        Click(dialog, "btnClose");
    });
    EXPECT_EQ(GlobalSettings().HotKey, (0x41 << 16) | 1 | 2) << "unchanged by a round trip";
    // The tray's tool tip names it the same way, and no key as none.
    EXPECT_EQ(HotKeyWordText(GlobalSettings().HotKey), QStringLiteral("Ctrl+Alt+A"));
    EXPECT_TRUE(HotKeyWordText(0).isEmpty());
    // Win (8) and NoRepeat (0x4000), which the control cannot show, survive a
    // save that leaves the key as it was.
    const HotKeyWord withHiddenFlags = (0x73 << 16) | 2 | 8 | 0x4000;
    ChangeSetting(kHotKey, withHiddenFlags);
    Run([](QWidget* dialog) { Click(dialog, "btnClose"); });
    EXPECT_EQ(GlobalSettings().HotKey, withHiddenFlags);
    EXPECT_EQ(StoredSetting(L"HotKey"), withHiddenFlags);
    EXPECT_TRUE(registered_.empty()) << "nothing to register again";
}

// A key another program holds is shown beside the key; a newly chosen one
// keeps the dialog open once so the user sees why, and saving asks for a held
// key again.
TEST_F(SettingDialogTest, AKeyAnotherProgramHoldsIsShownAndAskedForAgainOnSave) {
    const HotKeyWord f9 = 0x78 << 16;
    takenKey_ = f9;
    Run([&](QWidget* dialog) {
        EXPECT_FALSE(Control(dialog, "hotKeyTaken")->isVisible());
        qobject_cast<CHotKeyUI*>(Control(dialog, "HotKey"))->SetHotKey(0x78, 0);
        Click(dialog, "btnClose");
        ASSERT_TRUE(dialog->isVisible()) << "open, saying why the key will not work";
        EXPECT_TRUE(Control(dialog, "hotKeyTaken")->isVisible());
        EXPECT_EQ(qobject_cast<QLabel*>(Control(dialog, "hotKeyTaken"))->text(),
                  QString::fromStdWString(LangText(L"HotKeyTakenHere")));
        Snapshot(dialog, "dlg_setting_key_taken");
        Click(dialog, "btnClose");
    });
    EXPECT_EQ(GlobalSettings().HotKey, f9) << "kept: it works once the other program lets go";
    takenKey_ = ~0u;  // let go meanwhile
    Run(
        [](QWidget* dialog) {
            EXPECT_TRUE(Control(dialog, "hotKeyTaken")->isVisible());
            Click(dialog, "btnClose");
        },
        true);
    EXPECT_EQ(registered_, (std::vector<HotKeyWord>{f9, f9, f9}));
}
