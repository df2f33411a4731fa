#include "toolkit/menu_wnd.h"

#include <QMenu>

#include "toolkit/dialog_builder.h"
#include "toolkit/paint_manager.h"
#include "toolkit/window_handle.h"

namespace {

std::wstring Cut(const QString& text, std::size_t room) {
    std::wstring wide = text.toStdWString();
    if (wide.size() > room) wide.resize(room);
    return wide;
}

void AddItems(QMenu* menu, QWidget* container, CPaintManagerUI* owner, MenuCheckInfo* checks) {
    for (QObject* child : container->children()) {
        auto* item = qobject_cast<CMenuElementUI*>(child);
        if (!item) continue;
        if (item->IsSeparator()) {
            menu->addSeparator();
            continue;
        }
        const auto subItems =
            item->findChildren<CMenuElementUI*>(QString(), Qt::FindDirectChildrenOnly);
        if (!subItems.isEmpty()) {
            QMenu* sub = menu->addMenu(item->text());
            sub->setObjectName(item->objectName());
            AddItems(sub, item, owner, checks);
            continue;
        }
        QAction* action = menu->addAction(item->text());
        action->setObjectName(item->objectName());
        if (!item->IconImage().isEmpty())
            action->setIcon(QIcon(CPaintManagerUI::LoadImage(item->IconImage().toStdString(),
                                                             menu->devicePixelRatioF())));
        const std::wstring name = item->objectName().toStdWString();
        const auto check = checks ? checks->find(name) : MenuCheckInfo::iterator();
        const bool checkable = item->isCheckable() || (checks && check != checks->end());
        action->setCheckable(checkable);
        action->setChecked(checks && check != checks->end() ? check->second : item->isChecked());
        action->setEnabled(item->isEnabled());
        const QString userData = item->UserData();
        QObject::connect(action, &QAction::triggered, menu, [=](bool checked) {
            if (checkable && checks) (*checks)[name] = checked;
            auto* command = new MenuCmd{Cut(action->objectName(), 255), Cut(userData, 1023),
                                        Cut(action->text(), 1023), checked};
            const HWND target = owner ? owner->GetWindowHandle() : nullptr;
            if (!PostMessageW(target, WM_MENU_COMMAND, reinterpret_cast<WPARAM>(command), 0))
                ReleaseMenuCommand(command);
        });
    }
}

}  // namespace

void ReleaseMenuCommand(MenuCmd* command) { delete command; }

CMenuElementUI::CMenuElementUI(QWidget* parent, CPaintManagerUI*) : QPushButton(parent) {}

std::unique_ptr<CMenuWnd> CMenuWnd::CreateMenu(std::wstring_view menuLayout, const QPoint& point,
                                               CPaintManagerUI* owner, MenuCheckInfo* checks, int) {
    CDialogBuilder builder;
    std::unique_ptr<QWidget> layout(builder.Create(menuLayout, nullptr));
    if (!layout) return nullptr;
    std::unique_ptr<CMenuWnd> menu(new CMenuWnd);
    QWidget* ownerWindow = owner ? owner->GetPaintWindow() : nullptr;
    menu->menu_ = new QMenu(ownerWindow);
    menu->menu_->setObjectName(QString::fromStdWString(std::wstring(menuLayout)));
    menu->menu_->setAttribute(Qt::WA_DeleteOnClose);
    AddItems(menu->menu_, layout.get(), owner, checks);
    menu->menu_->popup(point);
    return menu;
}

CMenuWnd::~CMenuWnd() { Close(); }

bool CMenuWnd::IsOpen() const { return menu_ && menu_->isVisible(); }

void CMenuWnd::Close() {
    if (menu_) menu_->close();
}
