#pragma once

#include <QPointer>
#include <QPushButton>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "toolkit/win_types.h"

class CPaintManagerUI;
#include <QMenu>
class QPoint;

// The popup menu's message to its owner window; wParam points to a MenuCmd
// that the owner hands back to ReleaseMenuCommand after reading it.
inline constexpr UINT WM_MENU_COMMAND = WM_USER + 121;

struct MenuCmd {
    std::wstring szName;      // at most 255 characters
    std::wstring szUserData;  // at most 1023
    std::wstring szText;      // at most 1023
    bool bChecked = false;
};
void ReleaseMenuCommand(MenuCmd* command);

// Check states of menu items by item name; handed to each new menu.
using MenuCheckInfo = std::map<std::wstring, bool, std::less<>>;

// One item of a menu layout: text, name, optional user data, checkable, or a
// separator; items inside an item form its submenu.
class CMenuElementUI : public QPushButton {
    Q_OBJECT
    Q_PROPERTY(QString userdata READ UserData WRITE SetUserData)
    Q_PROPERTY(bool separator READ IsSeparator WRITE SetSeparator)
    Q_PROPERTY(QString icon READ IconImage WRITE SetIconImage)
public:
    explicit CMenuElementUI(QWidget* parent = nullptr, CPaintManagerUI* manager = nullptr);
    QString UserData() const { return userData_; }
    void SetUserData(const QString& data) { userData_ = data; }
    bool IsSeparator() const { return separator_; }
    void SetSeparator(bool separator) { separator_ = separator; }
    QString IconImage() const { return icon_; }
    void SetIconImage(const QString& icon) { icon_ = icon; }

private:
    QString userData_;
    QString icon_;
    bool separator_ = false;
};

// A popup menu built from a menu layout file, shown with its top-left corner
// at a point. Items named in the check map show a tick when true; picking a
// checkable item flips its entry. The pick is posted to the owner window as
// WM_MENU_COMMAND.
class CMenuWnd {
public:
    static constexpr int kAlignTopLeft = 6;

    // Null when the layout is missing.
    static std::unique_ptr<CMenuWnd> CreateMenu(std::wstring_view menuLayout, const QPoint& point,
                                                CPaintManagerUI* owner, MenuCheckInfo* checks,
                                                int alignment = kAlignTopLeft);
    ~CMenuWnd();

    QMenu* GetMenu() const { return menu_; }
    bool IsOpen() const;
    void Close();

private:
    CMenuWnd() = default;
    QPointer<QMenu> menu_;
};
