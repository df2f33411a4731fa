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
    // The desktop would not give its picture: the message for the user.
    std::function<void(const std::wstring& key)> failed = nullptr;
};

// Cuts a region out of the screen: hides its owner, freezes the desktop in a
// top-most window on each monitor, dims all but the window under the mouse
// (a click takes that window) or the dragged rectangle, saves the region as
// a JPEG file and tells the owner. Each monitor keeps its own pixels at its
// own scale, so a region comes out in exactly the physical pixels the user
// saw, whatever the monitors' scales; a drag stays on the monitor where it
// began. One object is reused for every capture; it cleans the capture
// folder when it ends.
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
    // While open: the overlay of the primary monitor, or the one over a
    // desktop point (tests drive them like a user).
    QWidget* Overlay() const;
    QWidget* OverlayAt(const QPoint& desktopPoint) const;

    // The covered area: every monitor, in desktop coordinates.
    QRect CaptureArea() const { return area_; }
    // The first window of the list under the point; empty when none.
    QRect SnapRectAt(const QPoint& point) const;
    // Where the size label goes for a selection: above it, or inside it when
    // there is no room above.
    static QRect LabelRect(const QRect& selection, int textWidth);
    // A desktop rectangle (logical, possibly fractional) on one monitor in
    // that monitor's physical pixels: the one place where scales apply.
    static QRect ToMonitorPixels(const QRectF& logical, const MonitorRecord& monitor);

private:
    friend class CaptureOverlay;
    // One monitor's frozen picture (physical pixels) and its overlay.
    struct MonitorShot {
        MonitorRecord monitor;
        QImage bright;
        QImage dimmed;
        QPointer<CaptureOverlay> overlay;
    };
    // What every overlay shows: the snapped window, or the dragged region
    // on the monitor where the drag began.
    struct Selection {
        QRect highlight;
        bool dragging = false;
        std::size_t monitor = 0;
        QPointF press, current;
        bool table = false;  // Tab held: the region is a table
        QRectF Dragged() const;
    };
    void Open();
    void Highlight(const QRect& rect);
    void Press(const QPointF& point);
    void Move(const QPointF& point);
    void Release(const QPointF& point);
    void SetTable(bool table);
    void CloseOverlays();
    void Repaint();
    // Where the pointer of a mouse event is on the desktop, to the fraction
    // of a logical pixel: Qt rounds to whole ones, while at 150 % a physical
    // pixel is two thirds of one.
    QPointF PointerAt(const QPointF& eventPoint) const;
    // The monitor under a desktop point, else the nearest one.
    std::size_t MonitorAt(const QPointF& point) const;
    QPointF ClampedTo(const QPointF& point, std::size_t monitor) const;
    bool Save(std::size_t monitor, const QRectF& region);
    void Closed();

    Desktop desktop_;
    CaptureOwner owner_;
    std::vector<MonitorShot> shots_;
    std::vector<WindowEntry> windows_;
    Selection selection_;
    QRect area_;
    std::wstring currentFile_;
    bool pending_ = false;
    bool closing_ = false;
};

// The capture file's name: "screen_cutting.jpg", else the first free
// "screen_cuttingN.jpg" in the folder.
std::wstring NextCaptureFile(const std::wstring& folder);
// The desktop darkened for the overlay: 50 less in every channel.
QImage DimmedSnapshot(const QImage& bright);
