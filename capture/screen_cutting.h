#pragma once

#include <QImage>
#include <QPointer>
#include <QRect>
#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "capture/desktop_services.h"

class CaptureOverlay;

// What the capture needs from the window that starts it.
struct CaptureOwner {
    std::function<void()> hide;
    std::function<void()> show;
    // A region was saved (WM_CAPTURE_DONE): the path is CurrentCaptureFile().
    std::function<void()> done;
};

// Cuts a region out of the screen: hides its owner, freezes the desktop in a
// top-most window over every monitor, dims all but the window under the
// mouse (a click takes that window) or the dragged rectangle, saves the
// region as a JPEG file and tells the owner. One object is reused for every
// capture; it cleans the capture folder when it ends.
class CScreenCutting {
public:
    static constexpr int kSnapDistance = 8;  // a shorter drag is a click
    static constexpr int kLabelHeight = 32;
    static constexpr int kJpegQuality = 90;

    explicit CScreenCutting(Desktop desktop);
    ~CScreenCutting();
    CScreenCutting(const CScreenCutting&) = delete;
    CScreenCutting& operator=(const CScreenCutting&) = delete;

    // Starts one capture (returns at once; the overlay appears after the
    // owner has had 100 ms to vanish). False when the desktop cannot be
    // captured here (no X11 session): the owner is left as it is.
    bool StartCapture(CaptureOwner owner, int hideDelayMs = 100);
    bool IsCapturing() const;
    const std::wstring& CurrentCaptureFile() const { return currentFile_; }
    // The overlay while one is open (tests drive it like a user).
    QWidget* Overlay() const;

    // The covered area: every monitor, in desktop coordinates.
    QRect CaptureArea() const { return area_; }
    // The first window of the list under the point; empty when none.
    QRect SnapRectAt(const QPoint& point) const;
    // Where the size label goes for a selection: above it, or inside it when
    // there is no room above.
    static QRect LabelRect(const QRect& selection, int textWidth);
    // A logical desktop rectangle in the snapshot's pixels (the one place
    // where monitors' scale factors are applied).
    QRect ToSnapshotPixels(const QRect& logical) const;
    const QImage& Snapshot() const { return bright_; }
    const QImage& Dimmed() const { return dimmed_; }

private:
    friend class CaptureOverlay;
    void Open();
    void Finish(const QPoint& pressed, const QPoint& released);
    bool Save(const QRect& region);
    void Closed();

    Desktop desktop_;
    CaptureOwner owner_;
    QPointer<CaptureOverlay> overlay_;
    std::vector<MonitorRecord> monitors_;
    std::vector<WindowEntry> windows_;
    QRect area_;
    qreal scale_ = 1.0;
    QImage bright_;
    QImage dimmed_;
    std::wstring currentFile_;
    bool pending_ = false;
};

// The capture file's name: "screen_cutting.jpg", else the first free
// "screen_cuttingN.jpg" in the folder.
std::wstring NextCaptureFile(const std::wstring& folder);
// The desktop darkened for the overlay: 50 less in every channel.
QImage DimmedSnapshot(const QImage& bright);
