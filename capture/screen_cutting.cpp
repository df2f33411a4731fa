#include "capture/screen_cutting.h"

#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineF>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cmath>

#include "app/image_file.h"
#include "app/language_file.h"
#include "app/working_folders.h"
#include "capture/screen_grab.h"
#include "platform/debug_trace.h"
#include "platform/file_io.h"
#include "platform/text.h"

namespace {

const QColor kHighlight(0, 122, 204);

QString LabelText(const QRect& pixels, bool table) {
    return QStringLiteral("%1\u00D7%2  %3")
        .arg(pixels.width())
        .arg(pixels.height())
        .arg(QString::fromStdWString(LangText(table ? L"ScreencutXLSTip" : L"XLSTip")));
}

}  // namespace

// The top-most window over one monitor, at that monitor's own scale: its
// picture is drawn one physical pixel to one physical pixel.
class CaptureOverlay : public QWidget {
public:
    CaptureOverlay(CScreenCutting* capture, std::size_t index)
        : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool |
                               Qt::BypassWindowManagerHint),
          capture_(capture),
          index_(index) {
        setAttribute(Qt::WA_DeleteOnClose);
        setAttribute(Qt::WA_OpaquePaintEvent);
        setMouseTracking(true);
        setCursor(Qt::CrossCursor);
        setFocusPolicy(Qt::StrongFocus);
        setObjectName(QStringLiteral("ScreenCuttingWnd"));
        // Never shown as a title; lets desktop tools find the overlay.
        setWindowTitle(QStringLiteral("ScreenCuttingWnd"));
        label_.setFamily(QStringLiteral("Arial"));
        label_.setPointSize(10);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const CScreenCutting::MonitorShot& shot = capture_->shots_[index_];
        const CScreenCutting::Selection& selection = capture_->selection_;
        const QPointF origin = geometry().topLeft();
        painter.drawImage(QRectF(rect()), shot.dimmed, QRectF(shot.dimmed.rect()));
        if (selection.dragging) {
            const QRectF dragged = selection.Dragged();
            if (selection.monitor != index_ || dragged.isEmpty()) return;
            DrawBright(painter, dragged);
            painter.setPen(QPen(Qt::black, 0, Qt::DashDotLine));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(dragged.translated(-origin));
            const QRect pixels = CScreenCutting::ToMonitorPixels(dragged, shot.monitor);
            const QString text = LabelText(pixels, selection.table);
            painter.setFont(label_);
            const QRect box =
                CScreenCutting::LabelRect(dragged.translated(-origin).toRect(),
                                          QFontMetrics(label_).horizontalAdvance(text) + 16);
            painter.fillRect(box, Qt::black);
            painter.setPen(Qt::white);
            painter.drawText(box.adjusted(8, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, text);
            return;
        }
        const QRectF highlight = QRectF(selection.highlight).intersected(QRectF(geometry()));
        if (highlight.isEmpty()) return;
        DrawBright(painter, highlight);
        painter.setPen(QPen(kHighlight, 5));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(selection.highlight).translated(-origin));
    }

    void mouseMoveEvent(QMouseEvent* event) override { capture_->Move(Desktop(event)); }
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::RightButton) {
            capture_->CloseOverlays();  // cancelled
        } else if (event->button() == Qt::LeftButton) {
            grabMouse();
            capture_->Press(Desktop(event));
        }
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton) return;
        releaseMouse();
        capture_->Release(Desktop(event));
    }
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Escape)
            capture_->CloseOverlays();
        else if (event->key() == Qt::Key_Tab && !event->isAutoRepeat())
            capture_->SetTable(true);
    }
    void keyReleaseEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Tab && !event->isAutoRepeat()) capture_->SetTable(false);
    }
    bool focusNextPrevChild(bool) override { return false; }  // Tab is the table key here
    void closeEvent(QCloseEvent* event) override {
        releaseMouse();
        QWidget::closeEvent(event);
        capture_->CloseOverlays();
    }

private:
    QPointF Desktop(const QMouseEvent* event) const {
        return capture_->PointerAt(event->position() + QPointF(geometry().topLeft()));
    }
    void DrawBright(QPainter& painter, const QRectF& desktopRect) {
        const CScreenCutting::MonitorShot& shot = capture_->shots_[index_];
        painter.drawImage(desktopRect.translated(-QPointF(geometry().topLeft())), shot.bright,
                          QRectF(CScreenCutting::ToMonitorPixels(desktopRect, shot.monitor)));
    }

    CScreenCutting* capture_;
    std::size_t index_;
    QFont label_;
};

QRectF CScreenCutting::Selection::Dragged() const {
    return QRectF(QPointF(std::min(press.x(), current.x()), std::min(press.y(), current.y())),
                  QPointF(std::max(press.x(), current.x()), std::max(press.y(), current.y())));
}

CScreenCutting::CScreenCutting(Desktop desktop) : desktop_(std::move(desktop)) {}

CScreenCutting::~CScreenCutting() {
    for (MonitorShot& shot : shots_)
        if (shot.overlay) delete shot.overlay.data();
    if (!currentFile_.empty()) std::remove(NarrowPath(currentFile_).c_str());
    CleanFolder(CaptureFolder(), L"", false);
}

bool CScreenCutting::IsCapturing() const { return pending_ || !shots_.empty(); }

QWidget* CScreenCutting::Overlay() const {
    for (const MonitorShot& shot : shots_)
        if (shot.monitor.primary && shot.overlay) return shot.overlay.data();
    return shots_.empty() ? nullptr : shots_.front().overlay.data();
}

QWidget* CScreenCutting::OverlayAt(const QPoint& desktopPoint) const {
    for (const MonitorShot& shot : shots_)
        if (shot.monitor.geometry.contains(desktopPoint)) return shot.overlay.data();
    return nullptr;
}

bool CScreenCutting::StartCapture(CaptureOwner owner, int hideDelayMs) {
    if (!desktop_.available || IsCapturing()) return false;
    owner_ = std::move(owner);
    if (owner_.hide) owner_.hide();
    pending_ = true;
    // The owner needs a moment to vanish from the screen before the snapshot.
    QTimer::singleShot(hideDelayMs, [this] { Open(); });
    return true;
}

QImage DimmedSnapshot(const QImage& bright) {
    QImage dimmed = bright.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < dimmed.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(dimmed.scanLine(y));
        for (int x = 0; x < dimmed.width(); ++x) {
            const QRgb p = line[x];
            line[x] = qRgb(std::max(qRed(p) - 50, 0), std::max(qGreen(p) - 50, 0),
                           std::max(qBlue(p) - 50, 0));
        }
    }
    return dimmed;
}

void CScreenCutting::Open() {
    pending_ = false;
    closing_ = false;
    if (!currentFile_.empty()) {
        std::remove(NarrowPath(currentFile_).c_str());
        currentFile_.clear();
    }
    std::wstring refusal;
    if (!desktop_.snapshot->Prepare(refusal)) {
        if (owner_.failed) owner_.failed(refusal);
        if (owner_.show) owner_.show();
        return;
    }
    // Every monitor, also one left of or above the primary.
    area_ = QRect();
    for (const MonitorRecord& monitor : desktop_.monitors->Monitors()) {
        DebugTrace(L"[taviOCR] find a monitor %d %d\n", monitor.geometry.left(),
                   monitor.geometry.top());
        if (monitor.geometry.isEmpty()) continue;
        // Its own pixels, as many as it has: a monitor refused is shown black.
        const QSize pixels = ToMonitorPixels(QRectF(monitor.geometry), monitor).size();
        QImage bright = desktop_.snapshot->GrabMonitor(monitor);
        if (bright.size() != pixels) {
            QImage sized(pixels, QImage::Format_RGB32);
            sized.fill(Qt::black);
            if (!bright.isNull()) {
                QPainter painter(&sized);
                bright.setDevicePixelRatio(1.0);
                painter.drawImage(QPoint(0, 0), bright);
            }
            bright = sized;
        }
        bright.setDevicePixelRatio(1.0);
        area_ = area_.united(monitor.geometry);
        shots_.push_back({monitor, bright, DimmedSnapshot(bright), nullptr});
    }
    DebugTrace(L"[taviOCR] MultiMonitor %d:%d, count=%d\n", area_.width(), area_.height(),
               static_cast<int>(shots_.size()));
    // A desktop that hides its pixels gives black ones on every monitor:
    // said, and nothing of it is offered for recognition.
    const bool allBlack = std::all_of(shots_.begin(), shots_.end(), [](const MonitorShot& shot) {
        return LooksBlack(shot.bright);
    });
    if (shots_.empty() || allBlack) {
        if (allBlack && !shots_.empty() && owner_.failed) owner_.failed(L"ScreenCameBlack");
        shots_.clear();
        if (owner_.show) owner_.show();
        return;
    }
    // The window list is taken before the overlays cover everything.
    windows_.clear();
    for (WindowEntry entry : desktop_.windows->Windows()) {
        entry.rect = entry.rect.intersected(area_);
        if (!entry.rect.isEmpty()) windows_.push_back(entry);
    }
    selection_ = {};
    selection_.highlight = SnapRectAt(QCursor::pos());
    for (std::size_t i = 0; i < shots_.size(); ++i) {
        auto* overlay = new CaptureOverlay(this, i);
        shots_[i].overlay = overlay;
        overlay->setGeometry(shots_[i].monitor.geometry);
        overlay->show();
    }
    QWidget* active = OverlayAt(QCursor::pos());
    if (!active) active = Overlay();
    if (!active || !active->isVisible()) {
        // No overlay: the owner must not stay hidden.
        CloseOverlays();
        return;
    }
    for (const MonitorShot& shot : shots_)
        if (shot.overlay) shot.overlay->raise();
    active->activateWindow();
    active->setFocus();
}

void CScreenCutting::Repaint() {
    for (const MonitorShot& shot : shots_)
        if (shot.overlay) shot.overlay->update();
}

void CScreenCutting::Highlight(const QRect& rect) {
    if (rect == selection_.highlight) return;
    selection_.highlight = rect;
    Repaint();
}

QPointF CScreenCutting::PointerAt(const QPointF& eventPoint) const {
    const auto physical = desktop_.pointer ? desktop_.pointer->PhysicalPosition() : std::nullopt;
    if (!physical) return eventPoint;
    for (const MonitorShot& shot : shots_) {
        const QPointF origin = shot.monitor.geometry.topLeft();
        const QRect pixels(shot.monitor.geometry.topLeft(), shot.bright.size());
        if (!pixels.contains(*physical)) continue;
        const QPointF precise = origin + (QPointF(*physical) - origin) / shot.monitor.scale;
        // The pointer may have moved on since the event: then the event's
        // own position is the better one.
        const QPointF apart = precise - eventPoint;
        return std::abs(apart.x()) < 1 && std::abs(apart.y()) < 1 ? precise : eventPoint;
    }
    return eventPoint;
}

std::size_t CScreenCutting::MonitorAt(const QPointF& point) const {
    std::size_t nearest = 0;
    qreal best = -1;
    for (std::size_t i = 0; i < shots_.size(); ++i) {
        const QRectF area(shots_[i].monitor.geometry);
        if (area.contains(point)) return i;
        const QPointF inside(std::clamp(point.x(), area.left(), area.right()),
                             std::clamp(point.y(), area.top(), area.bottom()));
        const qreal distance = QLineF(point, inside).length();
        if (best < 0 || distance < best) best = distance, nearest = i;
    }
    return nearest;
}

QPointF CScreenCutting::ClampedTo(const QPointF& point, std::size_t monitor) const {
    const QRectF area(shots_[monitor].monitor.geometry);
    return {std::clamp(point.x(), area.left(), area.right()),
            std::clamp(point.y(), area.top(), area.bottom())};
}

void CScreenCutting::Press(const QPointF& point) {
    selection_.monitor = MonitorAt(point);
    selection_.press = selection_.current = ClampedTo(point, selection_.monitor);
    selection_.dragging = true;
    Repaint();
}

void CScreenCutting::Move(const QPointF& point) {
    if (!selection_.dragging) {
        Highlight(SnapRectAt(point.toPoint()));
        return;
    }
    selection_.current = ClampedTo(point, selection_.monitor);
    Repaint();
}

void CScreenCutting::Release(const QPointF& point) {
    if (!selection_.dragging) Press(point);
    selection_.dragging = false;
    const QPointF released = ClampedTo(point, selection_.monitor);
    const QPointF delta = released - selection_.press;
    const bool dragged = std::hypot(delta.x(), delta.y()) > kSnapDistance;
    std::size_t monitor = selection_.monitor;
    QRectF region;
    if (dragged) {
        selection_.current = released;
        region = selection_.Dragged();
    } else {
        // A click takes the window under it, on the monitor it is on.
        monitor = MonitorAt(point);
        region = QRectF(SnapRectAt(point.toPoint()))
                     .intersected(QRectF(shots_[monitor].monitor.geometry));
    }
    Save(monitor, region);
    CloseOverlays();
}

void CScreenCutting::SetTable(bool table) {
    if (selection_.table == table) return;
    selection_.table = table;
    if (selection_.dragging) Repaint();
}

void CScreenCutting::CloseOverlays() {
    if (closing_) return;  // each overlay's close comes back here
    closing_ = true;
    for (MonitorShot& shot : shots_)
        if (shot.overlay) shot.overlay->close();
    Closed();
}

QRect CScreenCutting::SnapRectAt(const QPoint& point) const {
    for (const WindowEntry& entry : windows_)
        if (entry.rect.contains(point)) return entry.rect;
    return {};
}

QRect CScreenCutting::LabelRect(const QRect& selection, int textWidth) {
    const int top = selection.top() - kLabelHeight;
    return top < 0 ? QRect(selection.left(), selection.top(), textWidth, kLabelHeight)
                   : QRect(selection.left(), top, textWidth, kLabelHeight);
}

QRect CScreenCutting::ToMonitorPixels(const QRectF& logical, const MonitorRecord& monitor) {
    // Each edge to the nearest physical pixel: at 125 % the pixel a pointer
    // is on lies 0.8 logical pixels from the next, and no edge moves outward.
    const QPointF origin = monitor.geometry.topLeft();
    const auto edge = [&](qreal value, qreal start) {
        return static_cast<int>(std::lround((value - start) * monitor.scale));
    };
    const int left = edge(logical.left(), origin.x());
    const int top = edge(logical.top(), origin.y());
    return QRect(left, top, edge(logical.right(), origin.x()) - left,
                 edge(logical.bottom(), origin.y()) - top);
}

bool CScreenCutting::Save(std::size_t monitor, const QRectF& region) {
    if (region.isEmpty() || monitor >= shots_.size()) return false;
    const MonitorShot& shot = shots_[monitor];
    const QRect pixels = ToMonitorPixels(region, shot.monitor).intersected(shot.bright.rect());
    if (pixels.isEmpty()) return false;
    const std::wstring folder = CaptureFolder();
    CreateFolderTree(folder);
    const std::wstring path = NextCaptureFile(folder);
    DebugTrace(L"[TaviOCR] save screen cutting = %s\n", path);
    if (!SaveImageFresh(shot.bright.copy(pixels), path, "jpeg", kJpegQuality)) return false;
    currentFile_ = path;
    if (owner_.done) owner_.done();
    return true;
}

void CScreenCutting::Closed() {
    windows_.clear();
    shots_.clear();
    selection_ = {};
    if (owner_.show) owner_.show();
}

std::wstring NextCaptureFile(const std::wstring& folder) {
    std::wstring path = folder + L"/screen_cutting.jpg";
    for (int n = 1; FileExists(path); ++n)
        path = folder + L"/screen_cutting" + std::to_wstring(n) + L".jpg";
    return path;
}
