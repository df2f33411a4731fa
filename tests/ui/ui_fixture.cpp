#include "ui_fixture.h"

#include <QLabel>
#include <cstdlib>

#include "app/process_globals.h"
#include "app/settings.h"
#include "platform/profile.h"
#include "platform/text.h"
#include "support/qt_application.h"
#include "toolkit/paint_manager.h"
#include "ui/toolkit_setup.h"

void UiTest::SetUp() {
    TempEnvironment::SetUp();
    EnsureQtApplication();
    ProcessGlobals& globals = Globals();
    DetectProcessFolders(globals);
    globals.ExeFolder = Utf8ToWide(TAVIOCR_OUT_DIR);
    globals.UiLanguage = 0;
    LoadSettings();
    PrepareToolkit(globals);
}

void UiTest::TearDown() {
    QApplication::processEvents();
    TempEnvironment::TearDown();
}

int UiTest::StoredSetting(const wchar_t* key) const {
    return GetPrivateProfileInt(L"General", key, -1, GlobalSettings().ConfigPath);
}

void UiTest::Snapshot(QWidget* window, const std::string& name) {
    const char* folder = std::getenv("TAVIOCR_SHOT_DIR");
    if (folder)
        window->grab().save(QString::fromStdString(std::string(folder) + "/" + name + ".png"));
}

QWidget* Control(QWidget* window, const char* name) { return window->findChild<QWidget*>(name); }

void Click(QWidget* window, const char* name) {
    auto* button = qobject_cast<QAbstractButton*>(Control(window, name));
    ASSERT_NE(button, nullptr) << name;
    button->click();
}

bool Shown(QWidget* window, const char* name) {
    QWidget* control = Control(window, name);
    return control && control->isVisibleTo(window);
}

QString TextOf(QWidget* window, const char* name) {
    QWidget* control = Control(window, name);
    if (auto* button = qobject_cast<QAbstractButton*>(control)) return button->text();
    if (auto* label = qobject_cast<QLabel*>(control)) return label->text();
    return {};
}

#include <QTimer>

DialogAnswerer::DialogAnswerer(std::function<void(QWidget*)> answer) : poll_(new QTimer) {
    QObject::connect(poll_, &QTimer::timeout, [this, answer] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window->objectName() != QLatin1String("TaviOCRDialogClass") ||
                !window->isVisible() || window->property("answered").toBool())
                continue;
            window->setProperty("answered", true);
            texts.push_back(TextOf(window, "context"));
            if (answer)
                answer(window);
            else
                window->close();
        }
    });
    poll_->start(10);
}

DialogAnswerer::~DialogAnswerer() { delete poll_; }
