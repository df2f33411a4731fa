// The compare view with the real web-engine module.
#include <gtest/gtest.h>

#include <QImage>
#include <QMessageBox>
#include <QPainter>
#include <QTimer>
#include <filesystem>

#include "app/language_file.h"
#include "app/process_globals.h"
#include "compare/diff_dlg.h"
#include "compare/web_engine_loader.h"
#include "platform/text.h"
#include "support/qt_application.h"
#include "toolkit/controls/edit_ui.h"
#include "toolkit/controls/webkit_ui.h"
#include "ui_fixture.h"

namespace {

constexpr wchar_t kDialogClass[] = L"TaviOCRDialogClass";

struct Halves {
    QPointF red, blue;
    int redPixels = 0;
};

// Where the red and the blue half of the test picture are in a grab.
Halves FindHalves(const QImage& shot) {
    Halves h;
    QPointF red, blue;
    int blues = 0;
    for (int y = 0; y < shot.height(); y += 2)
        for (int x = 0; x < shot.width(); x += 2) {
            const QColor c = shot.pixelColor(x, y);
            if (c.red() > 200 && c.green() < 60 && c.blue() < 60) {
                red += QPointF(x, y);
                ++h.redPixels;
            } else if (c.blue() > 200 && c.red() < 60 && c.green() < 60) {
                blue += QPointF(x, y);
                ++blues;
            }
        }
    if (h.redPixels) h.red = red / h.redPixels;
    if (blues) h.blue = blue / blues;
    return h;
}

}  // namespace

class CompareViewTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        QImage picture(240, 120, QImage::Format_RGB32);
        QPainter painter(&picture);
        painter.fillRect(0, 0, 120, 120, Qt::red);
        painter.fillRect(120, 0, 120, 120, Qt::blue);
        painter.end();
        image_ = Path("pictures/a b 图.png");
        std::filesystem::create_directories(NarrowPath("pictures"));
        ASSERT_TRUE(picture.save(QString::fromStdWString(image_), "PNG"));
    }
    // The web view's pixels once the picture shows in it.
    static QImage Rendered(QWidget* dialog) {
        QImage shot;
        ProcessEventsUntil(
            [&] {
                auto* web = dialog->findChild<CWkeWebkitUI*>("wke");
                shot = web ? web->grab().toImage() : QImage();
                return FindHalves(shot).redPixels > 50;
            },
            std::chrono::seconds(20));
        return shot;
    }
    std::wstring image_;
};

TEST_F(CompareViewTest, ThePictureShowsTurnsAndZoomsAndTheEditedTextIsTakenOnClose) {
    bool checked = false;
    WhenWindowShown(kDialogClass, [&](QWidget* dialog) {
        EXPECT_TRUE(dialog->isMaximized());
        auto* pane = dialog->findChild<CRichEditUI*>("ocrText");
        ASSERT_NE(pane, nullptr);
        EXPECT_EQ(pane->GetText(), L"line one\r\nline two");
        const QImage first = Rendered(dialog);
        const Halves upright = FindHalves(first);
        ASSERT_GT(upright.redPixels, 50) << "the picture is shown";
        EXPECT_LT(upright.red.x(), upright.blue.x()) << "red on the left";

        Click(dialog, "Rotate");
        Halves turned;
        ProcessEventsUntil([&] {
            turned = FindHalves(Rendered(dialog));
            return turned.red.y() < turned.blue.y() - 20;
        });
        EXPECT_LT(turned.red.y(), turned.blue.y()) << "a quarter turn clockwise puts red on top";

        Click(dialog, "ZoomOut");
        Click(dialog, "ZoomOut");
        Halves larger;
        ProcessEventsUntil([&] {
            larger = FindHalves(Rendered(dialog));
            return larger.redPixels > turned.redPixels * 1.3;
        });
        EXPECT_GT(larger.redPixels, turned.redPixels * 1.3) << "ZoomOut raises the factor";
        Snapshot(dialog, "dlg_diff");

        pane->SetText(L"line one\r\nline 2");
        checked = true;
        Click(dialog, "btnClose");
    });
    EXPECT_EQ(RunCompareView(nullptr, image_, L"line one\r\nline two"), L"line one\r\nline 2");
    EXPECT_TRUE(checked);
}

TEST_F(CompareViewTest, AnEnlargedPictureCanBeScrolledToItsLeftEdge) {
    WhenWindowShown(kDialogClass, [&](QWidget* dialog) {
        const int before = FindHalves(Rendered(dialog)).redPixels;
        for (int i = 0; i < 30; ++i) Click(dialog, "ZoomOut");
        QImage shot;
        ProcessEventsUntil([&] {
            shot = Rendered(dialog);
            return FindHalves(shot).redPixels > before * 4;
        });
        // Wider than the view now, and unscrolled: the view starts at the
        // picture's left edge (the page's margin, then red), not in its middle.
        const int row = static_cast<int>(FindHalves(shot).red.y());
        const auto isRed = [](QColor c) {
            return c.red() > 200 && c.green() < 60 && c.blue() < 60;
        };
        int firstRedX = 0;
        while (firstRedX < shot.width() && !isRed(shot.pixelColor(firstRedX, row))) ++firstRedX;
        EXPECT_GT(firstRedX, 0) << "the left edge of the picture is in view";
        EXPECT_LT(firstRedX, 100);
        EXPECT_NE(TextOf(dialog, "caption").indexOf(QStringLiteral("a b 图.png")), -1)
            << "the title names the picture";
        Click(dialog, "btnClose");
    });
    RunCompareView(nullptr, image_, L"text");
}

TEST_F(CompareViewTest, UndoAsksBeforeRestoringAndTheSystemsCloseKeepsTheEdits) {
    WhenWindowShown(kDialogClass, [](QWidget* dialog) {
        auto* pane = dialog->findChild<CRichEditUI*>("ocrText");
        pane->SetText(L"edited");
        // Undo asks first; answering yes puts the given text back.
        WhenWindowShown(kDialogClass, [](QWidget* question) {
            EXPECT_EQ(TextOf(question, "context"),
                      QString::fromStdWString(LangMessage(L"UndoOCRText")));
            Click(question, "btnYes");
        });
        Click(dialog, "Undo");
        EXPECT_EQ(pane->GetText(), L"given");
        pane->SetText(L"edited again");
        dialog->close();  // Alt+F4 or the desktop's close, as the close button
    });
    EXPECT_EQ(RunCompareView(nullptr, image_, L"given"), L"edited again");
}

TEST_F(CompareViewTest, TheZoomNeverReachesZeroAndMaximiseSwapsItsButtons) {
    CDiffDlg dialog(image_, L"text");
    WhenWindowShown(kDialogClass, [&](QWidget* shown) {
        for (int i = 0; i < 15; ++i) Click(shown, "ZoomIn");
        EXPECT_FLOAT_EQ(dialog.ZoomFactor(), CDiffDlg::kMinZoom);
        Click(shown, "btnRestore");
        EXPECT_FALSE(shown->isMaximized());
        EXPECT_TRUE(Shown(shown, "btnMax"));
        EXPECT_FALSE(Shown(shown, "btnRestore"));
        Click(shown, "btnMax");
        EXPECT_TRUE(Shown(shown, "btnRestore"));
        EXPECT_FALSE(Shown(shown, "btnMax"));
        Click(shown, "btnClose");
    });
    ASSERT_TRUE(dialog.Create(nullptr, L"Proofread", 0x97CC0000));
    dialog.ShowModal();
    EXPECT_EQ(dialog.Text(), L"text");
}

TEST_F(CompareViewTest, WithoutTheModuleTheViewSaysSoClosesAndTheTextIsUnchanged) {
    Globals().ExeFolder = Path("no-module-here");
    DialogAnswerer answers;
    EXPECT_EQ(RunCompareView(nullptr, image_, L"as given"), L"as given");
    ASSERT_EQ(answers.texts.size(), 1u);
    EXPECT_EQ(answers.texts[0], QString::fromStdWString(LangMessage(L"InitNodeDllFailed")));
    EXPECT_FALSE(LoadWebEngine()) << "nothing to load";
}

TEST_F(CompareViewTest, EveryFunctionMissingFromAModuleIsNamedInABoxAndTheRestIsStillUsed) {
    const std::string folder = NarrowPath("partial");
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(PARTIAL_MODULE, folder + "/node.dll");
    Globals().ExeFolder = Path("partial");
    QStringList captions;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        for (QWidget* window : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(window); box && box->isVisible()) {
                EXPECT_EQ(box->text(), QStringLiteral("wke api not found"));
                captions << box->windowTitle();
                box->close();
            }
    });
    closer.start(5);
    EXPECT_TRUE(LoadWebEngine()) << "initialised: the rest is used as far as it goes";
    closer.stop();
    EXPECT_EQ(captions, (QStringList{"wkeCreateWebView", "wkeDestroyWebView", "wkeLoadURLW",
                                     "wkeRunJSW", "wkeSetMemoryCacheEnable", "wkeGetZoomFactor",
                                     "wkeIsDocumentReady", "wkeIsLoadingSucceeded"}));
    EXPECT_NE(WebEngine().setZoomFactor, nullptr);
    EXPECT_EQ(WebEngine().createWebView, nullptr);
}
