#include "capture/screen_cutting.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QWidget>
#include <cmath>

#include "app/image_file.h"
#include "app/language_file.h"
#include "app/working_folders.h"
#include "platform/debug_trace.h"
#include "platform/file_io.h"
#include "platform/text.h"

namespace {

const QColor kHighlight(0, 122, 204);

// The rectangle two points span, right and bottom edges excluded, as the
// desktop counts pixels.
QRect Spanned(const QPoint& a, const QPoint& b) {
    const QPoint topLeft(std::min(a.x(), b.x()), std::min(a.y(), b.y()));
    return QRect(topLeft, QSize(std::abs(a.x() - b.x()), std::abs(a.y() - b.y())));
}

QString LabelText(const QRect& pixels, bool table) {
    return QStringLiteral("%1\u00D7%2  %3")
        .arg(pixels.width())
        .arg(pixels.height())
        .arg(QString::fromStdWString(LangText(table ? L"ScreencutXLSTip" : L"XLSTip")));
}

}  // namespace

// The top-most window over the desktop. Its coordinates are the capture
// area's, offset by the area's origin.
class CaptureOverlay : public QWidget {
public:
    explicit CaptureOverlay(CScreenCutting* capture)
        : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool |
                               Qt::BypassWindowManagerHint),
          capture_(capture) {
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

    void Highlight(const QRect& rect) {
        if (rect == highlight_) return;
        highlight_ = rect;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QPoint origin = capture_->area_.topLeft();
        painter.drawImage(rect(), capture_->dimmed_);
        if (dragging_) {
            const QRect selection = Spanned(press_, current_);
            if (selection.isEmpty()) return;
            DrawBright(painter, selection, origin);
            painter.setPen(QPen(Qt::black, 1, Qt::DashDotLine));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(selection.translated(-origin).adjusted(0, 0, -1, -1));
            const QString text = LabelText(capture_->ToSnapshotPixels(selection), tabDown_);
            painter.setFont(label_);
            const QRect box = CScreenCutting::LabelRect(
                selection.translated(-origin), QFontMetrics(label_).horizontalAdvance(text) + 16);
            painter.fillRect(box, Qt::black);
            painter.setPen(Qt::white);
            painter.drawText(box.adjusted(8, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, text);
            return;
        }
        if (highlight_.isEmpty()) return;
        DrawBright(painter, highlight_, origin);
        painter.setPen(QPen(kHighlight, 5));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(highlight_.translated(-origin));
    }

    void mouseMoveEvent(QMouseEvent* event) override {
        const QPoint point = Desktop(event);
        if (dragging_) {
            current_ = point;
            update();
        } else {
            Highlight(capture_->SnapRectAt(point));
        }
    }
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::RightButton) {
            close();  // cancelled
            return;
        }
        if (event->button() != Qt::LeftButton) return;
        press_ = current_ = Desktop(event);
        dragging_ = true;
        grabMouse();
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton) return;
        const QPoint start = dragging_ ? press_ : Desktop(event);
        dragging_ = false;
        releaseMouse();
        capture_->Finish(start, Desktop(event));
        close();
    }
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Escape) {
            close();
        } else if (event->key() == Qt::Key_Tab && !event->isAutoRepeat()) {
            tabDown_ = true;
            if (dragging_) update();
        }
    }
    void keyReleaseEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Tab && !event->isAutoRepeat()) {
            tabDown_ = false;
            if (dragging_) update();
        }
    }
    bool focusNextPrevChild(bool) override { return false; }  // Tab is the table key here
    void closeEvent(QCloseEvent* event) override {
        if (dragging_) releaseMouse();
        dragging_ = false;
        QWidget::closeEvent(event);
        capture_->Closed();
    }

private:
    QPoint Desktop(const QMouseEvent* event) const {
        return event->position().toPoint() + capture_->area_.topLeft();
    }
    void DrawBright(QPainter& painter, const QRect& desktopRect, const QPoint& origin) {
        const QRect target = desktopRect.translated(-origin);
        painter.drawImage(target, capture_->bright_, capture_->ToSnapshotPixels(desktopRect));
    }

    CScreenCutting* capture_;
    QFont label_;
    QRect highlight_;
    QPoint press_, current_;
    bool dragging_ = false;
    bool tabDown_ = false;
};

CScreenCutting::CScreenCutting(Desktop desktop) : desktop_(std::move(desktop)) {}

CScreenCutting::~CScreenCutting() {
    if (overlay_) delete overlay_.data();
    if (!currentFile_.empty()) std::remove(NarrowPath(currentFile_).c_str());
    CleanFolder(CaptureFolder(), L"", false);
}

bool CScreenCutting::IsCapturing() const { return pending_ || overlay_; }
QWidget* CScreenCutting::Overlay() const { return overlay_.data(); }

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
    if (!currentFile_.empty()) {
        std::remove(NarrowPath(currentFile_).c_str());
        currentFile_.clear();
    }
    monitors_ = desktop_.monitors->Monitors();
    // Every monitor, also one left of or above the primary.
    area_ = QRect();
    scale_ = 1.0;
    for (const MonitorRecord& monitor : monitors_) {
        DebugTrace(L"[taviOCR] find a monitor %d %d\n", monitor.geometry.left(),
                   monitor.geometry.top());
        area_ = area_.united(monitor.geometry);
        scale_ = std::max(scale_, monitor.scale);
    }
    DebugTrace(L"[taviOCR] MultiMonitor %d:%d, count=%d\n", area_.width(), area_.height(),
               static_cast<int>(monitors_.size()));
    if (area_.isEmpty()) {
        if (owner_.show) owner_.show();
        return;
    }
    // The window list is taken before the overlay covers everything.
    windows_.clear();
    for (WindowEntry entry : desktop_.windows->Windows()) {
        entry.rect = entry.rect.intersected(area_);
        if (!entry.rect.isEmpty()) windows_.push_back(entry);
    }
    // One snapshot in the pixels of the sharpest monitor.
    bright_ = QImage(area_.size() * scale_, QImage::Format_RGB32);
    bright_.fill(Qt::black);
    {
        QPainter painter(&bright_);
        for (const MonitorRecord& monitor : monitors_) {
            QImage grab = desktop_.snapshot->GrabMonitor(monitor);
            if (grab.isNull()) continue;
            grab.setDevicePixelRatio(1.0);
            painter.drawImage(ToSnapshotPixels(monitor.geometry), grab);
        }
    }
    dimmed_ = DimmedSnapshot(bright_);
    auto* overlay = new CaptureOverlay(this);
    overlay_ = overlay;
    overlay->setGeometry(area_);
    overlay->Highlight(SnapRectAt(QCursor::pos()));
    overlay->show();
    if (!overlay->isVisible()) {
        // No overlay: the owner must not stay hidden.
        delete overlay;
        if (owner_.show) owner_.show();
        return;
    }
    overlay->raise();
    overlay->activateWindow();
    overlay->setFocus();
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

QRect CScreenCutting::ToSnapshotPixels(const QRect& logical) const {
    const QRectF scaled(QPointF(logical.topLeft() - area_.topLeft()) * scale_,
                        QSizeF(logical.size()) * scale_);
    return scaled.toAlignedRect();
}

void CScreenCutting::Finish(const QPoint& pressed, const QPoint& released) {
    const QPoint delta = released - pressed;
    const double distance = std::hypot(delta.x(), delta.y());
    const QRect region = distance > kSnapDistance ? Spanned(pressed, released).intersected(area_)
                                                  : SnapRectAt(released);
    Save(region);
}

bool CScreenCutting::Save(const QRect& region) {
    if (region.isEmpty() || bright_.isNull()) return false;
    const QImage pixels = bright_.copy(ToSnapshotPixels(region));
    const std::wstring folder = CaptureFolder();
    CreateFolderTree(folder);
    const std::wstring path = NextCaptureFile(folder);
    DebugTrace(L"[TaviOCR] save screen cutting = %s\n", path);
    if (!SaveImageFresh(pixels, path, "jpeg", kJpegQuality)) return false;
    currentFile_ = path;
    if (owner_.done) owner_.done();
    return true;
}

void CScreenCutting::Closed() {
    windows_.clear();
    monitors_.clear();
    bright_ = dimmed_ = QImage();
    if (owner_.show) owner_.show();
}

std::wstring NextCaptureFile(const std::wstring& folder) {
    std::wstring path = folder + L"/screen_cutting.jpg";
    for (int n = 1; FileExists(path); ++n)
        path = folder + L"/screen_cutting" + std::to_wstring(n) + L".jpg";
    return path;
}
