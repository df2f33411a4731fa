// The account dialogs and the window's account area against the loopback
// account server, worked as a user would.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <regex>

#include "account/signed_in_user.h"
#include "app/language_file.h"
#include "app/process_globals.h"
#include "net/endpoints.h"
#include "platform/text.h"
#include "support/account_server.h"
#include "support/qt_application.h"
#include "support/test_certificates.h"
#include "toolkit/controls/tab_layout_ui.h"
#include "ui/account_center.h"
#include "ui/main_frame.h"
#include "ui/reg_dlg.h"
#include "ui/window_messages.h"
#include "ui_fixture.h"

namespace {

constexpr wchar_t kDialogClass[] = L"TaviOCRDialogClass";

void Type(QWidget* window, const char* field, const QString& text) {
    auto* edit = qobject_cast<QLineEdit*>(Control(window, field));
    ASSERT_NE(edit, nullptr) << field;
    edit->setText(text);
}

QString Message(const wchar_t* key) { return QString::fromStdWString(LangMessage(key)); }

class AccountDialogsTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        // The program folder's language file with the test server's signing key.
        namespace fs = std::filesystem;
        const fs::path exe = NarrowPath("program");
        fs::create_directories(exe / "language");
        fs::create_directory_symlink(fs::path(TAVIOCR_OUT_DIR) / "skin", exe / "skin");
        const fs::path language = exe / "language" / "en.dat";
        fs::copy_file(fs::path(TAVIOCR_OUT_DIR) / "language" / "en.dat", language);
        const std::string set = std::string("'") + TAVIOCR_OUT_DIR + "/taviocr-lang' set '" +
                                language.string() + "' Text SK " + AccountServer::kSigningKey;
        ASSERT_EQ(std::system(set.c_str()), 0);
        Globals().ExeFolder = Utf8ToWide(exe.string());
        endpoints_ = Endpoints();
        Endpoints().accountHost = server_.Host();
        Endpoints().socialPageHost = "https://social.example";
        Endpoints().caBundle = Certificates().caFile;
    }
    void TearDown() override {
        if (CMainFrame* frame = CMainFrame::Instance())
            frame->SendMessageW(WM_SYSCOMMAND, SC_CLOSE);
        ProcessEventsUntil([] { return CMainFrame::Instance() == nullptr; });
        Endpoints() = endpoints_;
        CurrentUser() = SignedInUser{};
        UiTest::TearDown();
    }

    // The window deletes itself when it ends.
    static CMainFrame* OpenMainWindow() {
        auto* frame = new CMainFrame;
        return frame->Create(nullptr, L"TaviOCR", kMainWindowStyle) ? frame : nullptr;
    }

    AccountServer server_;
    ServiceEndpoints endpoints_;
};

TEST_F(AccountDialogsTest, RegisteringWithACodeThenSigningInHandsTheAccountToTheWindow) {
    std::optional<CNewRegDlg::SignedIn> signedIn;
    WhenWindowShown(kDialogClass, [&](QWidget* dialog) {
        dialog->setProperty("answered", true);
        DialogAnswerer answers;
        Click(dialog, "btnToCreate");
        Type(dialog, "UserName", "new@example.com");
        Click(dialog, "btnSendVeryfyCode");
        auto* codeButton = qobject_cast<QAbstractButton*>(Control(dialog, "btnSendVeryfyCode"));
        EXPECT_FALSE(codeButton->isEnabled()) << "the countdown holds the button";
        EXPECT_TRUE(codeButton->text().contains("60")) << codeButton->text().toStdString();
        codeButton->click();
        EXPECT_EQ(server_.Queries("/v1.0/sendcaptcha.php").size(), 1u);

        Type(dialog, "UserName", "other@example.com");
        Type(dialog, "verifyCode", AccountServer::kCode);
        Type(dialog, "Password", "Sesame-1");
        Type(dialog, "PasswordOK", "Sesame-1");
        Click(dialog, "btnCreateUser");
        Type(dialog, "UserName", "new@example.com");
        Type(dialog, "PasswordOK", "Sesame-2");
        Click(dialog, "btnCreateUser");
        EXPECT_TRUE(qobject_cast<QLineEdit*>(Control(dialog, "Password"))->text().isEmpty());
        Type(dialog, "Password", "Sesame-1");
        Type(dialog, "PasswordOK", "Sesame-1");
        Click(dialog, "btnCreateUser");
        EXPECT_EQ(answers.texts,
                  (std::vector<QString>{Message(L"VerifySendByEmail"), Message(L"EmailChange"),
                                        Message(L"PassDiff"), Message(L"RegisterSuccess")}));
        EXPECT_TRUE(codeButton->isEnabled());
        EXPECT_EQ(codeButton->text().toStdWString(), LangText(L"SendCpatchaAgain"));
        EXPECT_EQ(qobject_cast<CTabLayoutUI*>(Control(dialog, "tabMain"))->GetCurSel(),
                  CNewRegDlg::kPageSignIn);
        EXPECT_EQ(qobject_cast<QLineEdit*>(Control(dialog, "userEmail"))->text(),
                  QStringLiteral("new@example.com"));
        Snapshot(dialog, "dlg_reg");
        Type(dialog, "userPassword", "Sesame-1");
        Click(dialog, "btnEmailLogin");
    });
    signedIn = RunSignInDialog(nullptr);
    ASSERT_TRUE(signedIn);
    EXPECT_EQ(signedIn->account, L"new@example.com");
    EXPECT_EQ(signedIn->nickName, L"new");
    EXPECT_EQ(ReadLoginedUser(), L"new@example.com");
}

TEST_F(AccountDialogsTest, AWaitIsShownOnThePressedButtonAndARefusalKeepsTheInput) {
    server_.AddAccount("me@example.com", "right", "Me");
    server_.hold = true;
    bool worked = false;
    WhenWindowShown(kDialogClass, [&](QWidget* dialog) {
        dialog->setProperty("answered", true);
        DialogAnswerer answers;
        worked = true;
        Type(dialog, "userEmail", "me@example.com");
        Type(dialog, "userPassword", "wrong");
        QTimer::singleShot(0, dialog, [&, dialog] {
            EXPECT_FALSE(Control(dialog, "btnEmailLogin")->isEnabled());
            EXPECT_FALSE(Control(dialog, "userPassword")->isEnabled());
            EXPECT_TRUE(TextOf(dialog, "btnEmailLogin").endsWith(QStringLiteral("…")));
            server_.hold = false;
        });
        Click(dialog, "btnEmailLogin");
        EXPECT_TRUE(dialog->isEnabled());
        EXPECT_EQ(TextOf(dialog, "btnEmailLogin").toStdWString(),
                  LangText(L"@dlg_reg.xml/btnEmailLogin"));
        EXPECT_EQ(qobject_cast<QLineEdit*>(Control(dialog, "userPassword"))->text(),
                  QStringLiteral("wrong"));
        ASSERT_EQ(answers.texts.size(), 1u);
        EXPECT_EQ(answers.texts[0], Message(L"PassIsError"))
            << "the interface language's words, not the server's English";
        dialog->close();
    });
    EXPECT_FALSE(RunSignInDialog(nullptr));
    EXPECT_TRUE(worked);
}

// A server that never answers does not hold the user: Escape (like the close
// button) gives the request up and closes the dialog without a word.
TEST_F(AccountDialogsTest, EscapeWhileASignInWaitsCancelsItAndClosesTheDialog) {
    server_.AddAccount("me@example.com", "right", "Me");
    server_.hold = true;
    std::size_t messages = 0;
    WhenWindowShown(kDialogClass, [&](QWidget* dialog) {
        dialog->setProperty("answered", true);
        DialogAnswerer answers;
        Type(dialog, "userEmail", "me@example.com");
        Type(dialog, "userPassword", "right");
        QTimer::singleShot(0, dialog, [dialog] {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QCoreApplication::sendEvent(dialog, &press);
        });
        Click(dialog, "btnEmailLogin");
        messages = answers.texts.size();
    });
    EXPECT_FALSE(RunSignInDialog(nullptr));
    EXPECT_EQ(messages, 0u);
    EXPECT_FALSE(CurrentUser().IsSignedIn());
    server_.hold = false;
}

TEST_F(AccountDialogsTest, SocialSignInCompletesWhenTheServerReportsItAndGivesUpAfterTenMinutes) {
    std::wstring page;
    {
        CNewRegDlg dialog;
        dialog.SetPageOpener([&](const std::wstring& url) { page = url; });
        ASSERT_TRUE(dialog.ShowModeless(nullptr));
        Click(dialog.GetWidget(), "btnGoogle");
        const std::wregex shape(
            LR"(https://social\.example/twitter/login\.html\?scene_id=([0-9a-f]{32})&login_type=google&lc=en_GB)");
        std::wsmatch match;
        ASSERT_TRUE(std::regex_match(page, match, shape)) << WideToUtf8(page);
        server_.CompleteSocialScene(WideToUtf8(match[1].str()), "g-77", "Gina", 5);
        ASSERT_TRUE(ProcessEventsUntil([&] { return dialog.Result().has_value(); },
                                       std::chrono::seconds(60)));
        EXPECT_EQ(dialog.Result()->account, L"g-77");
        EXPECT_EQ(dialog.Result()->nickName, L"Gina");
        EXPECT_EQ(dialog.Result()->loginType, static_cast<SignInType>(5));
        EXPECT_EQ(server_.PasswordHashOf("g-77"),
                  WideToUtf8(PasswordToken(std::wstring(kSocialPassword))))
            << "registered and signed in with the same hash";
    }

    auto now = std::chrono::steady_clock::now();
    CNewRegDlg dialog;
    dialog.SetClock([&] { return now; });
    dialog.SetPageOpener([](const std::wstring&) {});
    ASSERT_TRUE(dialog.ShowModeless(nullptr));
    Click(dialog.GetWidget(), "btnFacebook");
    ASSERT_TRUE(dialog.Polling());
    ASSERT_TRUE(ProcessEventsUntil(
        [&] { return !server_.Queries("/v1.0/login_authorized/check.php").empty(); },
        std::chrono::seconds(60)));
    now += CNewRegDlg::kSocialPollLimit;
    ASSERT_TRUE(ProcessEventsUntil([&] { return !dialog.Polling(); }, std::chrono::seconds(60)));
    EXPECT_FALSE(dialog.Result());
    dialog.GetWidget()->close();
}

TEST_F(AccountDialogsTest, ChangingThePasswordReplacesTheStoredToken) {
    server_.AddAccount("me@example.com", "old-pw", "Me");
    const std::wstring old = L"old-pw";
    SaveSignIn(CurrentUser(), L"me@example.com", L"Me", &old, SignInType::Email);
    std::vector<QString> texts;
    WhenWindowShown(kDialogClass, [&](QWidget* dialog) {
        dialog->setProperty("answered", true);
        DialogAnswerer answers;
        Type(dialog, "oldPassword", "old-pw");
        Type(dialog, "newPassword", "new-pw");
        Type(dialog, "newPasswordOK", "new-px");
        Click(dialog, "btnYes");
        Type(dialog, "newPassword", "old-pw");
        Type(dialog, "newPasswordOK", "old-pw");
        Click(dialog, "btnYes");
        Type(dialog, "newPassword", "new-pw");
        Type(dialog, "newPasswordOK", "new-pw");
        Click(dialog, "btnYes");
        texts = answers.texts;
    });
    CChangePassDlg dialog;
    dialog.RunModal(nullptr);
    EXPECT_EQ(texts, (std::vector<QString>{Message(L"PassDiff"), Message(L"OldNewPassSame"),
                                           Message(L"ResetPassSuccess")}));
    EXPECT_EQ(CurrentUser().token, PasswordToken(L"new-pw"));
    SignedInUser stored;
    LoadSignedInUser(stored);
    EXPECT_EQ(stored.token, PasswordToken(L"new-pw"));
    EXPECT_EQ(server_.PasswordHashOf("me@example.com"), WideToUtf8(PasswordToken(L"new-pw")));
}

TEST_F(AccountDialogsTest, TheWindowChecksAStoredSignInAtStartAndARefusedOneIsForgotten) {
    server_.AddAccount("me@example.com", "pw", "Me");
    const std::wstring right = L"pw", wrong = L"changed-elsewhere";
    SaveSignIn(CurrentUser(), L"me@example.com", L"Me", &right, SignInType::Email);
    CMainFrame* frame = OpenMainWindow();
    ASSERT_NE(frame, nullptr);
    frame->ShowWindow(SW_SHOW);
    QWidget* window = frame->GetWidget();
    ASSERT_TRUE(ProcessEventsUntil([&] {
        return Shown(window, "userNickname") && Control(window, "userNickname")->isEnabled();
    }));
    EXPECT_EQ(TextOf(window, "userNickname"), QStringLiteral("Me"));
    EXPECT_TRUE(CurrentUser().IsSignedIn());
    // The account menu: a social account has no password to change here.
    CurrentUser().loginType = static_cast<SignInType>(5);
    Click(window, "userNickname");
    ASSERT_NE(frame->PopupMenu(), nullptr);
    for (QAction* action : frame->PopupMenu()->GetMenu()->actions())
        if (action->objectName() == QLatin1String("menuChangePass")) {
            EXPECT_FALSE(action->isEnabled());
        }
    frame->PopupMenu()->Close();
    frame->SendMessageW(WM_SYSCOMMAND, SC_CLOSE);
    ASSERT_TRUE(ProcessEventsUntil([] { return CMainFrame::Instance() == nullptr; }));

    // Offline: the sign-in stays, nothing is said.
    Endpoints().accountHost = "https://127.0.0.1:1";
    {
        DialogAnswerer answers;
        ASSERT_NE(frame = OpenMainWindow(), nullptr);
        window = frame->GetWidget();
        ASSERT_TRUE(
            ProcessEventsUntil([&] { return Control(window, "userNickname")->isEnabled(); }));
        EXPECT_TRUE(CurrentUser().IsSignedIn());
        EXPECT_TRUE(answers.texts.empty());
        frame->SendMessageW(WM_SYSCOMMAND, SC_CLOSE);
        ASSERT_TRUE(ProcessEventsUntil([] { return CMainFrame::Instance() == nullptr; }));
    }
    Endpoints().accountHost = server_.Host();

    SaveSignIn(CurrentUser(), L"me@example.com", L"Me", &wrong, SignInType::Email);
    DialogAnswerer answers;
    ASSERT_NE(frame = OpenMainWindow(), nullptr);
    window = frame->GetWidget();
    ASSERT_TRUE(ProcessEventsUntil([&] {
        return Shown(window, "btnLogin") && Control(window, "btnLogin")->isEnabled() &&
               !answers.texts.empty();
    }));
    EXPECT_EQ(answers.texts[0], Message(L"PassIsError"));
    EXPECT_FALSE(CurrentUser().IsSignedIn());
    SignedInUser stored;
    LoadSignedInUser(stored);
    EXPECT_FALSE(stored.IsSignedIn()) << "the refused sign-in is gone from the store";
}

}  // namespace
