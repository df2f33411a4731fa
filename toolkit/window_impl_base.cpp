#include "toolkit/window_impl_base.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QHoverEvent>
#include <QIcon>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <QWidget>
#include <QWindow>
#include <atomic>
#include <cstdlib>

#include "platform/debug_trace.h"
#include "platform/file_io.h"
#include "platform/text.h"
#include "toolkit/controls/tab_layout_ui.h"
#include "toolkit/skin_manager.h"

namespace {

std::atomic<void (*)(const std::wstring&)> firstPaintHook{nullptr};

}  // namespace

void SetFirstPaintHook(void (*hook)(const std::wstring& windowClass)) { firstPaintHook = hook; }

// The top-level widget of a skinned window. The layout draws its own frame
// and caption, so the desktop's frame is off; the top "caption" pixels of the
// layout (a property of its root) move the window when dragged.
class SkinWindow : public QWidget {
public:
    // A window with an owner is a dialog of it: the desktop keeps it above
    // its owner (the transient-for hint), so a click on the owner never
    // hides a modal dialog behind the window it blocks.
    SkinWindow(WindowImplBase* owner, QWidget* parent)
        : QWidget(parent, (parent ? Qt::Dialog : Qt::Window) | Qt::FramelessWindowHint),
          owner_(owner) {}

    void Detach() { owner_ = nullptr; }
    void SetCaptionBar(QWidget* bar) { captionBar_ = bar; }

    // A frameless window has no frame to pull: the outer pixels of a
    // sizable one act as its resize edges.
    void EnableResizeEdges() {
        setAttribute(Qt::WA_Hover);
        qApp->installEventFilter(this);
    }

protected:
    void closeEvent(QCloseEvent* event) override {
        // Closing is the window's decision: WM_CLOSE goes through its handler,
        // which destroys the window when it agrees.
        event->ignore();
        if (owner_) owner_->HandleWindowMessage(WM_CLOSE, 0, 0);
    }

    // The keyboard starts in the content, not on the title bar's buttons
    // (which the focus chain, a circle, would reach first).
    void showEvent(QShowEvent* event) override {
        QWidget::showEvent(event);
        if (const QWidget* focused = focusWidget(); focused && focused->isVisibleTo(this)) return;
        for (QWidget* w = nextInFocusChain(); w && w != this; w = w->nextInFocusChain())
            if ((w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(this) && w->isEnabled() &&
                !(captionBar_ && captionBar_->isAncestorOf(w))) {
                w->setFocus(Qt::TabFocusReason);
                return;
            }
    }

    void paintEvent(QPaintEvent* event) override {
        QWidget::paintEvent(event);
        if (!painted_ && owner_) {
            painted_ = true;
            if (auto hook = firstPaintHook.load()) hook(owner_->GetWindowClassName());
        }
        if (owner_) WriteControlMap();
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        const bool press = event->type() == QEvent::MouseButtonPress;
        if (!press && event->type() != QEvent::HoverMove && event->type() != QEvent::MouseMove)
            return false;
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || widget->window() != this || isMaximized() || isFullScreen()) return false;
        const QPoint global =
            event->type() == QEvent::HoverMove
                ? widget->mapToGlobal(static_cast<QHoverEvent*>(event)->position().toPoint())
                : static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
        const Qt::Edges edges = EdgesAt(mapFromGlobal(global));
        if (!press) {
            if (edges)
                setCursor(CursorFor(edges));
            else
                unsetCursor();
            return false;
        }
        if (!edges || static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton ||
            !windowHandle())
            return false;
        return windowHandle()->startSystemResize(edges);
    }

    Qt::Edges EdgesAt(const QPoint& point) const {
        constexpr int kEdge = 5;
        Qt::Edges edges;
        if (point.x() < kEdge) edges |= Qt::LeftEdge;
        if (point.x() >= width() - kEdge) edges |= Qt::RightEdge;
        if (point.y() < kEdge) edges |= Qt::TopEdge;
        if (point.y() >= height() - kEdge) edges |= Qt::BottomEdge;
        return edges;
    }

    static Qt::CursorShape CursorFor(Qt::Edges edges) {
        if (edges == (Qt::LeftEdge | Qt::TopEdge) || edges == (Qt::RightEdge | Qt::BottomEdge))
            return Qt::SizeFDiagCursor;
        if (edges == (Qt::RightEdge | Qt::TopEdge) || edges == (Qt::LeftEdge | Qt::BottomEdge))
            return Qt::SizeBDiagCursor;
        return (edges & (Qt::LeftEdge | Qt::RightEdge)) ? Qt::SizeHorCursor : Qt::SizeVerCursor;
    }

    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && InCaption(event->position().toPoint())) {
            dragOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
            dragging_ = !(windowHandle() && windowHandle()->startSystemMove());
            event->accept();
            return;
        }
        QWidget::mousePressEvent(event);
    }

    void mouseMoveEvent(QMouseEvent* event) override {
        if (dragging_ && (event->buttons() & Qt::LeftButton))
            move(event->globalPosition().toPoint() - dragOffset_);
        QWidget::mouseMoveEvent(event);
    }

    void mouseReleaseEvent(QMouseEvent* event) override {
        dragging_ = false;
        QWidget::mouseReleaseEvent(event);
    }

    // Pictures dragged from a file manager: offered while the window takes
    // them now, handed over on the drop.
    void dragEnterEvent(QDragEnterEvent* event) override { Offer(event); }
    void dragMoveEvent(QDragMoveEvent* event) override { Offer(event); }
    void dropEvent(QDropEvent* event) override {
        const std::vector<std::wstring> files = LocalFiles(event->mimeData());
        if (!owner_ || files.empty() || !owner_->TakesDropsNow()) {
            event->ignore();
            return;
        }
        event->acceptProposedAction();
        owner_->OnDropFiles(files);
    }

    // Escape closes a dialog as its system close does; Enter presses the
    // button that has the keyboard focus, else the dialog's primary button.
    // The main window takes neither.
    void keyPressEvent(QKeyEvent* event) override {
        if (!owner_ || !owner_->IsDialog()) {
            event->ignore();
            return;
        }
        if (event->key() == Qt::Key_Escape) {
            owner_->OnEscapeKey();
        } else if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            if (auto* focused = qobject_cast<QPushButton*>(focusWidget());
                focused && isAncestorOf(focused) && focused->isVisibleTo(this) &&
                focused->isEnabled()) {
                focused->click();
                return;
            }
            for (QAbstractButton* button : findChildren<QAbstractButton*>())
                if (button->isVisibleTo(this) && button->isEnabled() &&
                    button->property("role").toString() == QLatin1String("primary")) {
                    button->click();
                    break;
                }
        } else {
            event->ignore();
        }
    }

private:
    // A developer's probe for driving the program from outside (X test
    // tools): with TAVIOCR_CONTROL_MAP set, each paint writes to
    // "<that path>.<window class>" the line "window <X window id>" and the
    // rectangle of every visible named control within that window. A window
    // manager may still move the window, so tools place the pointer relative
    // to the window. While a page slides in no control is listed, so whatever
    // is listed stays where it is.
    void WriteControlMap() {
        static const char* base = std::getenv("TAVIOCR_CONTROL_MAP");
        if (!base) return;
        QString lines = QStringLiteral("window %1\n").arg(winId());
        bool sliding = false;
        for (const CAnimationTabLayoutUI* pages : findChildren<CAnimationTabLayoutUI*>())
            sliding = sliding || pages->IsAnimating();
        for (const QWidget* control : findChildren<QWidget*>()) {
            if (sliding) break;
            if (control->objectName().isEmpty() || !control->isVisibleTo(this)) continue;
            const QPoint origin = control->mapTo(this, QPoint(0, 0));
            lines += QStringLiteral("%1 %2 %3 %4 %5\n")
                         .arg(control->objectName())
                         .arg(origin.x())
                         .arg(origin.y())
                         .arg(control->width())
                         .arg(control->height());
        }
        const QByteArray bytes = lines.toUtf8();
        WriteFileAtomically(
            Utf8ToWide(std::string(base) + "." + WideToUtf8(owner_->GetWindowClassName())),
            std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
            FlushMode::NoFlush);
    }

    void Offer(QDropEvent* event) {
        if (owner_ && owner_->TakesDropsNow() && !LocalFiles(event->mimeData()).empty())
            event->acceptProposedAction();
        else
            event->ignore();
    }

    static std::vector<std::wstring> LocalFiles(const QMimeData* data) {
        std::vector<std::wstring> paths;
        if (!data || !data->hasUrls()) return paths;
        for (const QUrl& url : data->urls())
            if (url.isLocalFile()) paths.push_back(url.toLocalFile().toStdWString());
        return paths;
    }

    bool InCaption(const QPoint& point) const {
        const QWidget* root = owner_ ? owner_->m_pm.GetRoot() : nullptr;
        const int caption = root ? root->property("caption").toInt() : 0;
        if (point.y() >= caption) return false;
        const QWidget* hit = childAt(point);
        return !hit ||
               (!qobject_cast<const QAbstractButton*>(hit) && hit->focusPolicy() == Qt::NoFocus);
    }

    WindowImplBase* owner_;
    QPointer<QWidget> captionBar_;
    bool painted_ = false;
    bool dragging_ = false;
    QPoint dragOffset_;
};

// Takes the focusable widgets inside `part` out of the root's tab chain and
// puts them after the rest, in their own order.
static void MoveToEndOfTabChain(QWidget* root, QWidget* part) {
    QList<QWidget*> chain;
    for (QWidget* w = root->nextInFocusChain(); w && w != root; w = w->nextInFocusChain())
        if (root->isAncestorOf(w) && w->focusPolicy() != Qt::NoFocus) chain.append(w);
    QList<QWidget*> content, caption;
    for (QWidget* w : chain) (part->isAncestorOf(w) ? caption : content).append(w);
    QWidget* previous = nullptr;
    for (QWidget* w : content + caption) {
        if (previous) QWidget::setTabOrder(previous, w);
        previous = w;
    }
}

// Buttons a layout marks with syscommand = close / minimize / maximize act
// on the window as the desktop's own buttons would.
void WindowImplBase::ConnectSystemButtons(QWidget* root) {
    static const std::pair<const char*, WPARAM> kCommands[] = {{"close", SC_CLOSE},
                                                               {"minimize", SC_MINIMIZE},
                                                               {"maximize", SC_MAXIMIZE},
                                                               {"restore", SC_RESTORE}};
    for (QAbstractButton* button : root->findChildren<QAbstractButton*>()) {
        const QString command = button->property("syscommand").toString();
        for (const auto& [name, code] : kCommands)
            if (command == QLatin1String(name))
                QObject::connect(button, &QAbstractButton::clicked, button, [this, code = code] {
                    HandleWindowMessage(WM_SYSCOMMAND, code, 0);
                });
    }
}

WindowImplBase::WindowImplBase() : alive_(std::make_shared<bool>(true)) {}

WindowImplBase::~WindowImplBase() {
    *alive_ = false;
    if (!destroyed_ && widget_) {
        // The object goes first: end the window without calling back into it.
        destroyed_ = true;
        CSkinManager::GetSkinManager().RemoveReloadTarget(dynamic_cast<IReloadControlText*>(this));
        UnregisterWindowHandle(hwnd_);
        static_cast<SkinWindow*>(widget_.data())->Detach();
    }
    for (auto& [id, timer] : timers_) delete timer;
    delete widget_.data();
}

std::wstring WindowImplBase::GetSkinFolder() {
    return CPaintManagerUI::GetInstancePath() + L"skin/";
}

WindowImplBase* WindowImplBase::FromHandle(HWND hwnd) {
    return dynamic_cast<WindowImplBase*>(LookupWindowTarget(hwnd));
}

HWND WindowImplBase::Create(HWND parent, std::wstring_view caption, std::uint32_t style,
                            std::uint32_t, int x, int y, int cx, int cy) {
    if (widget_) return hwnd_;
    WindowImplBase* owner = FromHandle(parent);
    parent_ = owner ? parent : nullptr;
    style_ = style;
    auto* window = new SkinWindow(this, owner ? owner->GetWidget() : nullptr);
    window->setWindowTitle(QString::fromStdWString(std::wstring(caption)));
    window->setObjectName(QString::fromStdWString(GetWindowClassName()));
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    widget_ = window;
    m_pm.Init(window);
    m_pm.AddNotifier(this);

    CDialogBuilder builder;
    QWidget* root = builder.Create(GetSkinFile(), &m_pm, window, this);
    if (!root) {
        DebugTrace(L"[toolkit] window %s: no layout %s\n", GetWindowClassName(), GetSkinFile());
        widget_ = nullptr;
        delete window;
        return nullptr;
    }
    // Tab goes through the content first, the title bar's buttons last.
    if (root->property("caption").toInt() > 0 && root->layout() && root->layout()->count() > 0)
        if (QWidget* captionBar = root->layout()->itemAt(0)->widget()) {
            MoveToEndOfTabChain(root, captionBar);
            window->SetCaptionBar(captionBar);
        }
    // The root's frame (a border in the style sheet) shows on every side:
    // its content starts inside it instead of covering it.
    root->setContentsMargins(1, 1, 1, 1);
    const QSize layoutSize = root->size();
    auto* frame = new QVBoxLayout(window);
    frame->setContentsMargins(0, 0, 0, 0);
    frame->setSpacing(0);
    frame->addWidget(root);
    window->setStyleSheet(CPaintManagerUI::StyleSheet());
    QSize size = cx > 0 && cy > 0 ? QSize(cx, cy) : layoutSize;
    if (root->property("sizable").toBool()) {
        window->EnableResizeEdges();
        // As small as the layout allows (its own minimum, which follows the
        // page shown), not the designed size; and never larger than the
        // screen at first: laptops with scaling are small.
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            size = size.boundedTo(screen->availableGeometry().size())
                       .expandedTo(window->minimumSizeHint());
        window->resize(size);
    } else {
        window->resize(size);
        window->setFixedSize(window->size());
    }
    if (x || y) window->move(x, y);
    ConnectSystemButtons(root);

    hwnd_ = RegisterWindowHandle(this, GetWindowClassName());
    m_pm.SetWindowHandle(hwnd_);
    CSkinManager& skins = CSkinManager::GetSkinManager();
    skins.ReloadFont(&m_pm, L"Default.xml");
    skins.ApplyLayoutTexts(m_pm, builder.LayoutFiles());
    m_pm.AttachRoot(root);
    InitWindow();
    if (!destroyed_) m_pm.SendNotify(root, kNotifyWindowInit);
    return destroyed_ ? nullptr : hwnd_;
}

void WindowImplBase::FitHeightToContent() {
    QWidget* root = m_pm.GetRoot();
    if (!widget_ || !root || !root->layout()) return;
    root->layout()->activate();
    const int width = widget_->width();
    const int height =
        root->hasHeightForWidth() ? root->heightForWidth(width) : root->sizeHint().height();
    if (height > 0) widget_->setFixedSize(width, height);
}

void WindowImplBase::DragAcceptFiles(bool accept) {
    acceptDrops_ = accept;
    if (widget_) widget_->setAcceptDrops(accept);
}

void WindowImplBase::CenterWindow() {
    if (!widget_) return;
    QRect area;
    if (WindowImplBase* owner = FromHandle(parent_);
        owner && owner->GetWidget() && owner->GetWidget()->isVisible())
        area = owner->GetWidget()->frameGeometry();
    else if (const QScreen* screen =
                 widget_->screen() ? widget_->screen() : QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    if (area.isEmpty()) return;
    QRect frame = widget_->frameGeometry();
    frame.moveCenter(area.center());
    widget_->move(frame.topLeft());
}

void WindowImplBase::ShowWindow(bool show, bool takeFocus) {
    ShowWindow(show ? (takeFocus ? SW_SHOW : SW_SHOWNOACTIVATE) : SW_HIDE);
}

void WindowImplBase::ShowWindow(int command) {
    if (!widget_) return;
    switch (command) {
        case SW_HIDE:
            widget_->hide();
            return;
        case SW_SHOWMINIMIZED:
        case SW_MINIMIZE:
            widget_->showMinimized();
            return;
        case SW_SHOWMAXIMIZED:
            widget_->showMaximized();
            break;
        case SW_RESTORE:
        case SW_SHOWNORMAL:
            widget_->showNormal();
            break;
        case SW_SHOWNOACTIVATE:
            widget_->setAttribute(Qt::WA_ShowWithoutActivating);
            widget_->show();
            widget_->setAttribute(Qt::WA_ShowWithoutActivating, false);
            return;
        default:
            if (widget_->isMinimized())
                widget_->showNormal();
            else
                widget_->show();
            break;
    }
    widget_->raise();
    widget_->activateWindow();
}

UINT WindowImplBase::ShowModal() {
    if (!widget_ || destroyed_) return modalResult_;
    widget_->setWindowModality(parent_ ? Qt::WindowModal : Qt::ApplicationModal);
    ShowWindow(SW_SHOW);
    QEventLoop loop;
    modalLoop_ = &loop;
    loop.exec(QEventLoop::DialogExec);
    modalLoop_ = nullptr;
    const UINT code = modalResult_;
    if (finalPending_) {
        finalPending_ = false;
        OnFinalMessage(hwnd_);  // may delete this
    }
    return code;
}

void WindowImplBase::Close(UINT code) {
    modalResult_ = code;
    HandleWindowMessage(WM_CLOSE, 0, 0);
}

bool WindowImplBase::SetIcon(UINT resourceId) {
    if (!widget_) return false;
    for (const char* extension : {".svg", ".png"}) {
        const QPixmap icon =
            CPaintManagerUI::LoadImage("icons/" + std::to_string(resourceId) + extension, 2.0);
        if (icon.isNull()) continue;
        widget_->setWindowIcon(QIcon(icon));
        return true;
    }
    return false;
}

LRESULT WindowImplBase::SendMessageW(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::SendMessageW(hwnd_, message, wParam, lParam);
}

bool WindowImplBase::PostMessageW(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::PostMessageW(hwnd_, message, wParam, lParam);
}

bool WindowImplBase::SetTimer(UINT id, UINT milliseconds) {
    if (!widget_ || destroyed_) return false;
    QTimer*& timer = timers_[id];
    if (!timer) {
        timer = new QTimer;
        QObject::connect(timer, &QTimer::timeout, widget_,
                         [this, id] { HandleWindowMessage(WM_TIMER, id, 0); });
    }
    timer->start(static_cast<int>(milliseconds));
    return true;
}

bool WindowImplBase::KillTimer(UINT id) {
    const auto it = timers_.find(id);
    if (it == timers_.end()) return false;
    delete it->second;
    timers_.erase(it);
    return true;
}

UINT WindowImplBase::IsDlgButtonChecked(std::wstring_view name) const {
    const auto* button = dynamic_cast<const QAbstractButton*>(m_pm.FindControl(name));
    return button && button->isChecked() ? BST_CHECKED : BST_UNCHECKED;
}

bool WindowImplBase::CheckDlgButton(std::wstring_view name, UINT state) {
    auto* button = dynamic_cast<QAbstractButton*>(m_pm.FindControl(name));
    if (!button) return false;
    button->setCheckable(true);
    button->setChecked(state == BST_CHECKED);
    return true;
}

LRESULT WindowImplBase::HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    bool handled = false;
    const LRESULT result = HandleCustomMessage(message, wParam, lParam, handled);
    if (handled) return result;
    switch (message) {
        case WM_CLOSE:
            return OnClose(message, wParam, lParam, handled);
        case WM_SYSCOMMAND:
            return OnSysCommand(message, wParam, lParam, handled);
        case WM_TIMER:
            OnTimer(static_cast<UINT>(wParam));
            return 0;
        case WM_DESTROY:
            OnDestroy();
            return 0;
        default:
            return 0;
    }
}

LRESULT WindowImplBase::HandleCustomMessage(UINT, WPARAM, LPARAM, bool& handled) {
    handled = false;
    return 0;
}

LRESULT WindowImplBase::OnClose(UINT, WPARAM, LPARAM, bool& handled) {
    handled = true;
    DestroyWindow();
    return 0;
}

LRESULT WindowImplBase::OnSysCommand(UINT, WPARAM command, LPARAM, bool& handled) {
    handled = true;
    switch (command & 0xFFF0) {
        case SC_MINIMIZE:
            ShowWindow(SW_SHOWMINIMIZED);
            break;
        case SC_MAXIMIZE:
            ShowWindow(SW_SHOWMAXIMIZED);
            break;
        case SC_RESTORE:
            ShowWindow(SW_RESTORE);
            break;
        case SC_CLOSE:
            HandleWindowMessage(WM_CLOSE, 0, 0);
            break;
        default:
            handled = false;
            break;
    }
    return 0;
}

void WindowImplBase::Notify(TNotifyUI& msg) {
    if (msg.sType == kNotifyClick) OnClick(msg);
}

QWidget* WindowImplBase::CreateControl(const QString&, QWidget*) { return nullptr; }

void WindowImplBase::DestroyWindow() {
    if (destroyed_ || !widget_) return;
    destroyed_ = true;
    for (auto& [id, timer] : timers_) delete timer;
    timers_.clear();
    HandleWindowMessage(WM_DESTROY, 0, 0);
    CSkinManager::GetSkinManager().RemoveReloadTarget(dynamic_cast<IReloadControlText*>(this));
    const HWND hwnd = hwnd_;
    UnregisterWindowHandle(hwnd);
    m_pm.RemoveNotifier(this);
    auto* window = static_cast<SkinWindow*>(widget_.data());
    window->Detach();
    window->hide();
    window->deleteLater();
    if (modalLoop_) {
        finalPending_ = true;
        modalLoop_->quit();
        return;
    }
    RunFinalMessage(hwnd);
}

void WindowImplBase::RunFinalMessage(HWND hwnd) {
    // After the event that closed the window has unwound, since the object
    // may delete itself and the control that was clicked is still running.
    std::weak_ptr<bool> alive = alive_;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [this, alive, hwnd] {
            if (const auto flag = alive.lock(); flag && *flag) OnFinalMessage(hwnd);
        },
        Qt::QueuedConnection);
}
