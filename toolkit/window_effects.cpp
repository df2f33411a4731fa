#include "toolkit/window_effects.h"

#include <QPropertyAnimation>
#include <QSequentialAnimationGroup>
#include <QWidget>

void FadeInOut(QWidget* window, bool fadeIn, int milliseconds, bool hide,
               std::function<void()> done) {
    if (!window) return;
    auto* fade = new QPropertyAnimation(window, "windowOpacity", window);
    fade->setDuration(milliseconds);
    fade->setStartValue(fadeIn ? 0.0 : window->windowOpacity());
    fade->setEndValue(fadeIn ? 1.0 : 0.0);
    if (fadeIn && !window->isVisible()) {
        window->setWindowOpacity(0.0);
        window->show();
    }
    QObject::connect(fade, &QAbstractAnimation::finished, window, [window, fadeIn, hide, done] {
        if (!fadeIn && hide) window->hide();
        window->setWindowOpacity(1.0);
        if (done) done();
    });
    fade->start(QAbstractAnimation::DeleteWhenStopped);
}

void ShakeWindow(QWidget* window) {
    if (!window || window->property("taviocrShaking").toBool()) return;
    window->setProperty("taviocrShaking", true);
    const QPoint home = window->pos();
    auto* shake = new QSequentialAnimationGroup(window);
    const int offsets[] = {-10, 10, -8, 8, -4, 4, 0};
    QPoint from = home;
    for (int offset : offsets) {
        auto* step = new QPropertyAnimation(window, "pos");
        step->setDuration(kShakeMilliseconds / static_cast<int>(std::size(offsets)));
        step->setStartValue(from);
        from = home + QPoint(offset, 0);
        step->setEndValue(from);
        shake->addAnimation(step);
    }
    QObject::connect(shake, &QAbstractAnimation::finished, window, [window, home] {
        window->move(home);
        window->setProperty("taviocrShaking", false);
    });
    shake->start(QAbstractAnimation::DeleteWhenStopped);
}
