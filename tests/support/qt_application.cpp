#include "support/qt_application.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <cstdlib>
#include <memory>

QApplication& EnsureQtApplication() {
    // Never destroyed: at process exit Qt's thread data is gone before
    // static objects are, and tearing the application down then crashes.
    static QApplication* app = [] {
        if (!std::getenv("TAVIOCR_TEST_PLATFORM"))
            ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        else
            ::setenv("QT_QPA_PLATFORM", std::getenv("TAVIOCR_TEST_PLATFORM"), 1);
        static int argc = 1;
        static char name[] = "taviocr-test";
        static char* argv[] = {name, nullptr};
        auto* created = new QApplication(argc, argv);
        QApplication::setQuitOnLastWindowClosed(false);
        return created;
    }();
    return *app;
}

bool ProcessEventsUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < timeout.count())
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

void WhenWindowShown(const wchar_t* windowClass, std::function<void(QWidget* window)> action) {
    const QString name = QString::fromWCharArray(windowClass);
    auto* poll = new QTimer;
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    QObject::connect(poll, &QTimer::timeout, [poll, name, action, started] {
        for (QWidget* window : QApplication::topLevelWidgets())
            if (window->objectName() == name && window->isVisible()) {
                poll->stop();
                poll->deleteLater();
                action(window);
                return;
            }
        if (started->elapsed() > 5000) {
            poll->stop();
            poll->deleteLater();
        }
    });
    poll->start(10);
}
