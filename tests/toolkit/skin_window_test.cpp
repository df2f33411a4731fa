#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "skin_fixture.h"
#include "support/qt_application.h"
#include "toolkit/controls/button_ui.h"
#include "toolkit/controls/label_ui.h"
#include "toolkit/paint_manager.h"

namespace {

const std::string kButtonProps = "<property name=\"text\"><string>OK</string></property>";

std::string WindowLayout() {
    return Layout(
        Widget("CButtonUI", "btnOk", kButtonProps) + Widget("CLabelUI", "title") +
            Widget("CEditUI", "nameEdit") +
            Widget(
                "QWidget", "holder",
                "<property name=\"include\" stdset=\"0\"><string>inner.xml</string></property>") +
            Widget("CButtonUI", "btnX",
                   "<property name=\"syscommand\" stdset=\"0\"><string>close</string></property>"),
        320, 240);
}

}  // namespace

class SkinWindowTest : public SkinTest {
protected:
    void SetUp() override {
        SkinTest::SetUp();
        UsePackage({{"window.xml", WindowLayout()},
                    {"inner.xml", Layout(Widget("CLabelUI", "innerLabel") +
                                         Widget("CCheckBoxUI", "innerCheck"))},
                    {"style.qss", "CLabelUI#title { color: #123456; }"}});
    }
};

TEST_F(SkinWindowTest, ControlsAreFoundByTheirSkinNamesAndIncludedLayoutsJoinTheWindow) {
    RecordingWindow window;
    ASSERT_NE(window.Create(nullptr, L"Test", kDialogStyle), nullptr);
    CPaintManagerUI& pm = window.Pm();
    EXPECT_NE(pm.FindControl<CButtonUI>(L"btnOk"), nullptr);
    EXPECT_NE(pm.FindControl<CLabelUI>(L"innerLabel"), nullptr) << "from inner.xml";
    EXPECT_EQ(pm.FindControl(L"noSuchControl"), nullptr);
    EXPECT_EQ(pm.FindControl<CLabelUI>(L"btnOk"), nullptr)
        << "a control of another kind is not handed out";
    QWidget* holder = pm.FindControl(L"holder");
    EXPECT_NE(CPaintManagerUI::FindSubControlByName(holder, L"innerCheck"), nullptr);
    EXPECT_EQ(CPaintManagerUI::FindSubControlByName(holder, L"btnOk"), nullptr)
        << "only inside the parent";
    EXPECT_EQ(window.GetWidget()->size(), QSize(320, 240)) << "the layout sets the size";
    EXPECT_EQ(window.GetWidget()->windowTitle(), QStringLiteral("Test"));
    EXPECT_TRUE(window.foundControlAtInit) << "windowinit comes once the layout is built";
    EXPECT_EQ(std::count(window.notifications.begin(), window.notifications.end(),
                         L"windowinit:windowRoot"),
              1);
    EXPECT_TRUE(window.GetWidget()->styleSheet().contains("#123456"))
        << "the package style sheet applies";
}

TEST_F(SkinWindowTest, AMissingLayoutMakesNoWindow) {
    RecordingWindow window(L"absent.xml");
    EXPECT_EQ(window.Create(nullptr, L"Test", kDialogStyle), nullptr);
    EXPECT_EQ(window.GetWidget(), nullptr);
    EXPECT_EQ(FindWindowByClass(L"RecordingWindowClass"), nullptr);
}

TEST_F(SkinWindowTest, AClickReachesNotifyByNameAndShowModalReturnsTheCodeGivenToClose) {
    RecordingWindow window;
    ASSERT_TRUE(window.Create(nullptr, L"Test", kDialogStyle));
    WhenWindowShown(L"RecordingWindowClass",
                    [](QWidget* shown) { shown->findChild<QAbstractButton*>("btnOk")->click(); });
    EXPECT_EQ(window.ShowModal(), 42u);
    EXPECT_NE(std::find(window.notifications.begin(), window.notifications.end(), L"click:btnOk"),
              window.notifications.end());
    EXPECT_EQ(window.finalMessages, 1) << "the window's end is reported once, after the modal loop";
    EXPECT_FALSE(IsWindow(window.GetHWND()));
}

TEST_F(SkinWindowTest, TheSystemCloseButtonSendsCloseWhichTheWindowMayRefuse) {
    RecordingWindow window;
    ASSERT_TRUE(window.Create(nullptr, L"Test", kDialogStyle));
    window.vetoClose = true;
    window.Pm().FindControl<QAbstractButton>(L"btnX")->click();
    EXPECT_NE(std::find(window.messages.begin(), window.messages.end(), WM_SYSCOMMAND),
              window.messages.end());
    EXPECT_NE(std::find(window.messages.begin(), window.messages.end(), WM_CLOSE),
              window.messages.end());
    EXPECT_TRUE(IsWindow(window.GetHWND())) << "HandleCustomMessage took WM_CLOSE first";
    window.vetoClose = false;
    window.GetWidget()->close();  // the desktop's close goes the same way
    EXPECT_FALSE(IsWindow(window.GetHWND()));
    ASSERT_TRUE(ProcessEventsUntil([&] { return window.finalMessages == 1; }));
}

TEST_F(SkinWindowTest, CustomMessagesComeFirstAndTimersReachOnTimerUntilKilled) {
    RecordingWindow window;
    ASSERT_TRUE(window.Create(nullptr, L"Test", kDialogStyle));
    EXPECT_EQ(window.SendMessageW(WM_USER + 1), 99);
    ASSERT_TRUE(window.SetTimer(10, 5));
    ASSERT_TRUE(ProcessEventsUntil([&] { return window.timers.size() >= 3; }));
    EXPECT_EQ(window.timers.front(), 10u);
    EXPECT_TRUE(window.KillTimer(10));
    const std::size_t seen = window.timers.size();
    QTest::qWait(40);
    EXPECT_EQ(window.timers.size(), seen);
    EXPECT_FALSE(window.KillTimer(10));
}

TEST_F(SkinWindowTest, CheckDlgButtonAndIsDlgButtonCheckedWorkByNameAndSkipMissingControls) {
    RecordingWindow window;
    ASSERT_TRUE(window.Create(nullptr, L"Test", kDialogStyle));
    EXPECT_EQ(window.IsDlgButtonChecked(L"innerCheck"), BST_UNCHECKED);
    EXPECT_TRUE(window.CheckDlgButton(L"innerCheck", BST_CHECKED));
    EXPECT_EQ(window.IsDlgButtonChecked(L"innerCheck"), BST_CHECKED);
    EXPECT_FALSE(window.CheckDlgButton(L"missing", BST_CHECKED));
    EXPECT_EQ(window.IsDlgButtonChecked(L"missing"), BST_UNCHECKED);
}

TEST_F(SkinWindowTest, LanguageTextsOfTheLayoutApplyByKindAndNameTheControlsForAccessibility) {
    SetLanguage({{L"@window.xml/btnOk", L"Accept"},
                 {L"@window.xml/btnOk#tip", L"Accept the choice"},
                 {L"@window.xml/nameEdit#hint", L"Your name"},
                 {L"@window.xml/title#width", L"150"},
                 {L"@window.xml/title#height", L"20"},
                 {L"@inner.xml/innerLabel", L"From inside"},
                 {L"@other.xml/title", L"Not this window's"},
                 {L"@window.xml/title#unknown", L"ignored"},
                 {L"@window.xml/noSuchControl", L"skipped"}});
    RecordingWindow window;
    ASSERT_TRUE(window.Create(nullptr, L"Test", kDialogStyle));
    CPaintManagerUI& pm = window.Pm();
    auto* ok = pm.FindControl<CButtonUI>(L"btnOk");
    EXPECT_EQ(ok->GetText(), L"Accept");
    EXPECT_EQ(ok->toolTip(), QStringLiteral("Accept the choice"));
    EXPECT_EQ(pm.FindControl<QLineEdit>(L"nameEdit")->placeholderText(),
              QStringLiteral("Your name"));
    auto* title = pm.FindControl<CLabelUI>(L"title");
    EXPECT_EQ(title->minimumWidth(), 150);
    EXPECT_EQ(title->maximumHeight(), 20);
    EXPECT_EQ(title->text(), QString())
        << "texts of other layouts and unknown kinds are not applied";
    EXPECT_EQ(pm.FindControl<QLabel>(L"innerLabel")->text(), QStringLiteral("From inside"));
    EXPECT_EQ(ok->accessibleName(), QStringLiteral("Accept"));
    EXPECT_EQ(title->accessibleName(), QStringLiteral("title")) << "no text: the skin name";
    EXPECT_EQ(pm.FindControl(L"nameEdit")->accessibleName(), QStringLiteral("Your name"));
    ok->SetText(L"Agree");
    EXPECT_EQ(ok->accessibleName(), QStringLiteral("Agree")) << "follows the text";
}

namespace {

class RecordingTarget : public IReloadControlText {
public:
    void ReloadControlText(std::wstring_view control, std::wstring_view text, int kind) override {
        calls.push_back(std::wstring(control) + L"|" + std::wstring(text) + L"|" +
                        std::to_wstring(kind));
    }
    std::vector<std::wstring> calls;
};

}  // namespace

TEST_F(SkinWindowTest, ReloadTextHandsEveryMappedTextToTheTargetOnceThenTheMapIsReset) {
    SetLanguage({{L"@a.xml/one", L"1"},
                 {L"@a.xml/one#tip", L"tip"},
                 {L"@b.xml/two#pos", L"0,0,10,10"},
                 {L"@b.xml/two#normalimage", L"n.png"},
                 {L"@b.xml/two#hotimage", L"h.png"},
                 {L"@b.xml/two#pushedimage", L"p.png"},
                 {L"@b.xml/two#disabledimage", L"d.png"}});
    RecordingTarget target;
    CSkinManager& skins = CSkinManager::GetSkinManager();
    skins.SetReloadTarget(&target);
    skins.LoadLanguage(L"a.xml");
    skins.LoadLanguage(L"b.xml");
    skins.ReloadText();
    skins.ResetTextMap();
    skins.RemoveReloadTarget(&target);
    EXPECT_EQ(target.calls, (std::vector<std::wstring>{L"one|1|0", L"one|tip|1", L"two|0,0,10,10|3",
                                                       L"two|n.png|6", L"two|h.png|7",
                                                       L"two|p.png|8", L"two|d.png|9"}));
    EXPECT_TRUE(skins.TextMap().empty());
}

TEST_F(SkinWindowTest, ButtonsDrawTheImageOfTheirState) {
    UsePackage({{"window.xml",
                 Layout(Widget(
                     "CButtonUI", "btnOk",
                     "<property name=\"normalimage\"><string>../img/red.png</string></property>"
                     "<property name=\"disabledimage\"><string>img/blue.png</string></property>"))},
                {"img/red.png", PngOfColour(0xFF0000)},
                {"img/blue.png", PngOfColour(0x0000FF)}});
    RecordingWindow window;
    ASSERT_TRUE(window.Create(nullptr, L"Test", kDialogStyle));
    auto* button = window.Pm().FindControl<CButtonUI>(L"btnOk");
    button->resize(40, 20);
    const auto centre = [&] { return button->grab().toImage().pixelColor(20, 10); };
    EXPECT_EQ(centre(), QColor(Qt::red)) << "the entry named relative to the layout folder";
    button->setEnabled(false);
    EXPECT_EQ(centre(), QColor(Qt::blue));
    EXPECT_EQ(button->CurrentStateImage(), QStringLiteral("img/blue.png"));
}

TEST_F(SkinWindowTest, ImagesOfAReplacedPackageShowAfterReloadSkin) {
    UsePackage({{"pic.png", PngOfColour(0x00FF00)}});
    EXPECT_EQ(CPaintManagerUI::LoadImage("pic.png", 1.0).toImage().pixelColor(0, 0),
              QColor(Qt::green));
    UsePackage({{"pic.png", PngOfColour(0xFF00FF)}});
    CPaintManagerUI::ReloadSkin();
    EXPECT_EQ(CPaintManagerUI::LoadImage("pic.png", 1.0).toImage().pixelColor(0, 0),
              QColor(Qt::magenta));
    EXPECT_TRUE(CPaintManagerUI::LoadImage("absent.png", 1.0).isNull());
}

TEST_F(SkinWindowTest, HighDensityScreensGetTheDoubleSizeImageOrARenderedSvg) {
    UsePackage({{"icon.png", PngOfColour(0x111111, 8, 8)},
                {"icon@2x.png", PngOfColour(0x222222, 16, 16)},
                {"shape.svg",
                 "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"10\" height=\"10\">"
                 "<rect width=\"10\" height=\"10\" fill=\"#00ff00\"/></svg>"}});
    const QPixmap sharp = CPaintManagerUI::LoadImage("icon.png", 2.0);
    EXPECT_EQ(sharp.size(), QSize(16, 16));
    EXPECT_EQ(sharp.deviceIndependentSize().toSize(), QSize(8, 8));
    EXPECT_EQ(CPaintManagerUI::LoadImage("icon.png", 1.0).size(), QSize(8, 8));
    const QPixmap vector = CPaintManagerUI::LoadImage("shape.svg", 3.0);
    EXPECT_EQ(vector.size(), QSize(30, 30));
    EXPECT_EQ(vector.toImage().pixelColor(15, 15), QColor(Qt::green));
}
