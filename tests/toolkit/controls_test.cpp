#include <gtest/gtest.h>

#include <QBuffer>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QTest>

#include "platform/text.h"
#include "skin_fixture.h"
#include "support/qt_application.h"
#include "toolkit/bitmap_helpers.h"
#include "toolkit/controls/hotkey_ui.h"
#include "toolkit/controls/list_ui.h"
#include "toolkit/controls/picture_ui.h"
#include "toolkit/controls/skin_image.h"
#include "toolkit/controls/tab_layout_ui.h"
#include "toolkit/dialog_builder.h"
#include "toolkit/dpi.h"
#include "toolkit/menu_wnd.h"
#include "toolkit/paint_manager.h"
#include "toolkit/vk_keys.h"

namespace {

std::string ListWindow() {
    return Layout(
        Widget("CListUI", "listFiles") +
        "<item><widget class=\"CTabLayoutUI\" name=\"tabMain\">"
        "<widget class=\"QWidget\" name=\"page0\"/><widget class=\"QWidget\" name=\"page1\"/>"
        "<widget class=\"QWidget\" name=\"page2\"/></widget></item>");
}

std::string RowLayout() {
    return "<?xml version=\"1.0\"?><ui version=\"4.0\"><widget class=\"CListContainerElementUI\" "
           "name=\"row\">"
           "<layout class=\"QHBoxLayout\" name=\"l\">" +
           Widget("CLabelUI", "fileName") + Widget("CButtonUI", "btnDiff") +
           "</layout></widget></ui>";
}

std::string MenuLayout() {
    auto item = [](const std::string& name, const std::string& text,
                   const std::string& extra = "") {
        return "<widget class=\"CMenuElementUI\" name=\"" + name +
               "\"><property name=\"text\"><string>" + text + "</string></property>" + extra +
               "</widget>";
    };
    return "<?xml version=\"1.0\"?><ui version=\"4.0\"><widget class=\"QWidget\" name=\"menu\">" +
           item("menuSetting", "Settings",
                "<property name=\"userdata\"><string>setting-data</string></property>") +
           item("sep1", "", "<property name=\"separator\"><bool>true</bool></property>") +
           item("menuLanguage", "Language", item("menuEn", "English") + item("menuTR", "Chinese")) +
           item("menuAutoRun", "Start with the desktop") + "</widget></ui>";
}

class ControlsTest : public SkinTest {
protected:
    void SetUp() override {
        SkinTest::SetUp();
        UsePackage(
            {{"window.xml", ListWindow()}, {"row.xml", RowLayout()}, {"menu.xml", MenuLayout()}});
        ASSERT_TRUE(window_.Create(nullptr, L"Controls", kDialogStyle));
    }
    std::vector<std::wstring> Seen(std::wstring_view type) {
        std::vector<std::wstring> seen;
        for (const auto& n : window_.notifications)
            if (n.starts_with(type)) seen.push_back(n);
        return seen;
    }
    RecordingWindow window_;
};

}  // namespace

TEST_F(ControlsTest, ListRowsComeFromARowLayoutAndSelectingOneNotifiesItsIndex) {
    auto* list = window_.Pm().FindControl<CListUI>(L"listFiles");
    ASSERT_NE(list, nullptr);
    CDialogBuilder builder;
    for (int i = 0; i < 3; ++i) {
        QWidget* row =
            i == 0 ? builder.Create(L"row.xml", &window_.Pm()) : builder.Create(&window_.Pm());
        ASSERT_NE(row, nullptr);
        ASSERT_TRUE(list->Add(row));
    }
    EXPECT_TRUE(builder.IsCached());
    EXPECT_EQ(list->GetCount(), 3);
    QWidget* second = list->GetItemAt(1);
    QWidget* button = CPaintManagerUI::FindSubControlByName(second, L"btnDiff");
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(list->RowOf(button), second) << "a button knows the row it sits in";
    EXPECT_EQ(list->GetItemIndex(second), 1);
    QTest::mouseClick(second, Qt::LeftButton);
    EXPECT_EQ(list->GetCurSel(), 1);
    EXPECT_EQ(Seen(L"itemselect"), (std::vector<std::wstring>{L"itemselect:listFiles"}));
    EXPECT_TRUE(list->Remove(list->GetItemAt(0)));
    EXPECT_EQ(list->GetCurSel(), 0) << "the selection follows its row";
    list->RemoveAll();
    EXPECT_EQ(list->GetCount(), 0);
    EXPECT_EQ(list->GetItemAt(0), nullptr);
    EXPECT_FALSE(list->SelectItem(0));
}

TEST_F(ControlsTest, TabLayoutsChangePagesWithANotificationAndRefusePagesTheyDoNotHave) {
    auto* tab = window_.Pm().FindControl<CTabLayoutUI>(L"tabMain");
    ASSERT_NE(tab, nullptr);
    EXPECT_EQ(tab->GetCount(), 3);
    EXPECT_EQ(tab->GetCurSel(), 0);
    EXPECT_TRUE(tab->SelectItem(2));
    EXPECT_EQ(tab->GetCurSel(), 2);
    EXPECT_FALSE(tab->SelectItem(3));
    EXPECT_FALSE(tab->SelectItem(-1));
    EXPECT_EQ(tab->GetCurSel(), 2);
    EXPECT_TRUE(tab->SelectItem(2)) << "selecting the current page is no change";
    EXPECT_EQ(Seen(L"tabselect"), (std::vector<std::wstring>{L"tabselect:tabMain"}));
}

TEST_F(ControlsTest, AnimatedTabLayoutsSlideTheNewPageIn) {
    CAnimationTabLayoutUI tab(nullptr, nullptr);
    tab.addWidget(new QWidget);
    tab.addWidget(new QWidget);
    tab.resize(300, 200);
    tab.show();
    ASSERT_TRUE(tab.SelectItem(1));
    EXPECT_TRUE(tab.IsAnimating());
    EXPECT_GT(tab.widget(1)->x(), 0) << "starts beside its place";
    ASSERT_TRUE(ProcessEventsUntil([&] { return !tab.IsAnimating(); }));
    EXPECT_EQ(tab.widget(1)->pos(), QPoint(0, 0));
}

TEST_F(ControlsTest, MenusComeFromTheirLayoutShowCheckStatesAndPostThePickedItem) {
    MenuCheckInfo checks{{L"menuAutoRun", true}};
    auto menu = CMenuWnd::CreateMenu(L"menu.xml", QPoint(10, 10), &window_.Pm(), &checks);
    ASSERT_NE(menu, nullptr);
    QMenu* popup = menu->GetMenu();
    const QList<QAction*> actions = popup->actions();
    ASSERT_EQ(actions.size(), 4);
    EXPECT_TRUE(actions[1]->isSeparator());
    ASSERT_NE(actions[2]->menu(), nullptr);
    EXPECT_EQ(actions[2]->menu()->actions().size(), 2) << "items inside an item form its submenu";
    QAction* autoRun = actions[3];
    EXPECT_TRUE(autoRun->isCheckable());
    EXPECT_TRUE(autoRun->isChecked());

    actions[0]->trigger();
    autoRun->trigger();
    // The posts go to the window's handler; read them through its message list.
    ASSERT_TRUE(ProcessEventsUntil([&] {
        return std::count(window_.messages.begin(), window_.messages.end(), WM_MENU_COMMAND) == 2;
    }));
    EXPECT_FALSE(checks[L"menuAutoRun"]) << "picking a checkable item flips its state";
    EXPECT_EQ(CMenuWnd::CreateMenu(L"absent.xml", QPoint(), &window_.Pm(), &checks), nullptr);
}

TEST_F(ControlsTest, TheHotKeyControlTakesAKeyWithModifiersOrAFunctionKeyAlone) {
    CHotKeyUI edit(nullptr, nullptr);
    int vk = -1, flags = -1;
    QKeyEvent ctrlAltA(QEvent::KeyPress, Qt::Key_A, Qt::ControlModifier | Qt::AltModifier);
    QApplication::sendEvent(&edit, &ctrlAltA);
    edit.GetHotKey(vk, flags);
    EXPECT_EQ(vk, 0x41);
    EXPECT_EQ(flags, HOTKEYF_CONTROL | HOTKEYF_ALT);
    QKeyEvent plainB(QEvent::KeyPress, Qt::Key_B, Qt::NoModifier);
    QApplication::sendEvent(&edit, &plainB);
    edit.GetHotKey(vk, flags);
    EXPECT_EQ(vk, 0x41) << "a plain letter would steal typing; it is refused";
    QKeyEvent f4(QEvent::KeyPress, Qt::Key_F4, Qt::NoModifier);
    QApplication::sendEvent(&edit, &f4);
    edit.GetHotKey(vk, flags);
    EXPECT_EQ(vk, 0x73);
    EXPECT_EQ(flags, 0);
    EXPECT_FALSE(edit.text().isEmpty());
    QKeyEvent remove(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    QApplication::sendEvent(&edit, &remove);
    edit.GetHotKey(vk, flags);
    EXPECT_EQ(vk, 0);
}

TEST(VirtualKeys, MapBothWaysAndLeaveUnknownKeysOut) {
    for (int vk : {0x41, 0x5A, 0x30, 0x39, 0x70, 0x73, 0x87, 0x2C, 0x20})
        EXPECT_EQ(QtKeyToVirtualKey(VirtualKeyToQtKey(vk)), vk) << vk;
    EXPECT_EQ(QtKeyToVirtualKey(Qt::Key_Shift), 0);
    EXPECT_EQ(VirtualKeyToQtKey(0xFF), Qt::Key_unknown);
    EXPECT_TRUE(HotKeyText(0xFF, 0).isEmpty());
}

TEST(SkinImages, DescriptorsNameTheFileThePartAndTheCorners) {
    const SkinImage plain = ParseSkinImage(QStringLiteral("button/scroll.png"));
    EXPECT_EQ(plain.file, QStringLiteral("button/scroll.png"));
    EXPECT_TRUE(plain.source.isNull());
    const SkinImage part = ParseSkinImage(
        QStringLiteral("file='../default/button/scroll.png' source='12,0,24,21' corner='2,2,2,2'"));
    EXPECT_EQ(part.file, QStringLiteral("../default/button/scroll.png"));
    EXPECT_EQ(part.source, QRect(12, 0, 12, 21));
    EXPECT_EQ(part.corner, QMargins(2, 2, 2, 2));
}

TEST_F(ControlsTest, PartsOfAStripImageAreDrawnWithTheirCornersKept) {
    // Left half red, right half green: the source picks the green half.
    QImage strip(20, 10, QImage::Format_RGB32);
    strip.fill(Qt::red);
    for (int y = 0; y < 10; ++y)
        for (int x = 10; x < 20; ++x) strip.setPixelColor(x, y, Qt::green);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    strip.save(&buffer, "PNG");
    UsePackage({{"strip.png", png.toStdString()}});
    QImage target(40, 40, QImage::Format_RGB32);
    target.fill(Qt::black);
    QPainter painter(&target);
    EXPECT_TRUE(
        PaintSkinImage(painter, nullptr, QRect(0, 0, 40, 40),
                       QStringLiteral("file='strip.png' source='10,0,20,10' corner='2,2,2,2'")));
    EXPECT_FALSE(
        PaintSkinImage(painter, nullptr, QRect(0, 0, 40, 40), QStringLiteral("file='none.png'")));
    painter.end();
    EXPECT_EQ(target.pixelColor(20, 20), QColor(Qt::green));
    EXPECT_EQ(target.pixelColor(0, 0), QColor(Qt::green));
    EXPECT_EQ(target.pixelColor(39, 39), QColor(Qt::green));
}

TEST_F(ControlsTest, TheGifControlPlaysTheAnimationOfThePackage) {
    const std::string gif = ReadBytes(
        Utf8ToWide(std::string(TAVIOCR_SOURCE_DIR) + "/resources/skin/default/images/busy.gif"));
    ASSERT_FALSE(gif.empty());
    UsePackage({{"busy.gif", gif}, {"not.gif", "GIF89a broken"}});
    CGifAnimUI animation(nullptr, nullptr);
    ASSERT_TRUE(animation.SetBkImage(QStringLiteral("busy.gif")));
    EXPECT_GT(animation.FrameCount(), 1);
    animation.PlayGif();
    EXPECT_TRUE(animation.IsPlaying());
    animation.StopGif();
    EXPECT_FALSE(animation.IsPlaying());
    EXPECT_FALSE(animation.SetBkImage(QStringLiteral("not.gif")));
    EXPECT_FALSE(animation.SetBkImage(QStringLiteral("absent.gif")));
    animation.PlayGif();  // nothing to play: no effect
    EXPECT_FALSE(animation.IsPlaying());
}

TEST(Dpi, ScalesByTheScreenOrAFixedDpiAndBitmapsBecomeThirtyTwoBit) {
    EnsureQtApplication();
    CDPI dpi;
    dpi.SetScale(144);
    EXPECT_EQ(dpi.GetDPI(), 144);
    EXPECT_EQ(dpi.GetScale(), 150);
    EXPECT_EQ(dpi.Scale(100), 150);
    CDPI screen;
    EXPECT_GE(screen.GetDPI(), 96);
    SetAllDPI(192);
    EXPECT_EQ(screen.Scale(10), 20) << "a fixed DPI for every window wins";
    SetAllDPI(0);

    QImage grey(7, 3, QImage::Format_Grayscale8);
    grey.fill(128);
    const QImage dib = BitmapToDib(grey);
    EXPECT_EQ(dib.format(), QImage::Format_RGB32);
    EXPECT_EQ(DibWidth(dib), 7);
    EXPECT_EQ(DibWidth(QImage()), 0);
    QImage canvas(14, 6, QImage::Format_RGB32);
    canvas.fill(Qt::black);
    QPainter painter(&canvas);
    EXPECT_TRUE(PaintBitmap(painter, dib, canvas.rect()));
    EXPECT_FALSE(PaintBitmap(painter, QImage(), canvas.rect()));
    painter.end();
    EXPECT_EQ(canvas.pixelColor(13, 5), QColor(128, 128, 128));
}
