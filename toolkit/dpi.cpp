#include "toolkit/dpi.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <atomic>
#include <cmath>

namespace {
std::atomic<bool> dpiAware{true};
std::atomic<int> allWindowsDpi{0};
}  // namespace

CDPI::CDPI(QWidget* window) : window_(window) {}

void CDPI::SetDPIAwareness(bool aware) { dpiAware = aware; }
bool CDPI::IsDPIAware() { return dpiAware; }

int CDPI::GetDPI() const {
    if (fixedDpi_ > 0) return fixedDpi_;
    if (allWindowsDpi > 0) return allWindowsDpi;
    if (!dpiAware) return 96;
    const QScreen* screen =
        window_ && window_->screen() ? window_->screen() : QGuiApplication::primaryScreen();
    if (!screen) return 96;
    const qreal ratio = screen->devicePixelRatio() * screen->logicalDotsPerInch() / 96.0;
    return static_cast<int>(std::lround(96.0 * ratio));
}

int CDPI::GetScale() const { return GetDPI() * 100 / 96; }

int CDPI::Scale(int value) const { return static_cast<int>(std::lround(value * GetDPI() / 96.0)); }

void CDPI::SetScale(int dpi) { fixedDpi_ = dpi; }

void SetAllDPI(int dpi) { allWindowsDpi = dpi; }
int AllWindowsDPI() { return allWindowsDpi; }
