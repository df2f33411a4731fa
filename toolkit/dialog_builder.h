#pragma once

#include <QString>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class CPaintManagerUI;
class QWidget;

// Makes the controls a window knows and the toolkit does not.
class IDialogBuilderCallback {
public:
    virtual ~IDialogBuilderCallback() = default;
    virtual QWidget* CreateControl(const QString& className, QWidget* parent) = 0;
};

// Builds widgets from layout files of the skin resources. A layout file is
// Qt Designer XML whose widget classes may be the toolkit's controls
// ("CButtonUI", "CTabLayoutUI", ...); a plain widget with the property
// include="other.xml" receives that layout as its content. Controls notify
// through the paint manager given.
class CDialogBuilder {
public:
    // Null when the layout is missing or not a layout. The bytes are kept, so
    // later builds of the same builder (list rows) read the package once.
    QWidget* Create(std::wstring_view layoutFile, CPaintManagerUI* manager,
                    QWidget* parent = nullptr, IDialogBuilderCallback* callback = nullptr);
    // Again from the layout of the last successful Create.
    QWidget* Create(CPaintManagerUI* manager, QWidget* parent = nullptr,
                    IDialogBuilderCallback* callback = nullptr);
    bool IsCached() const { return layout_.has_value(); }
    // The layout files the last build took in, the outer one first.
    const std::vector<std::wstring>& LayoutFiles() const { return files_; }

private:
    QWidget* Build(const std::string& bytes, CPaintManagerUI* manager, QWidget* parent,
                   IDialogBuilderCallback* callback, int depth);

    std::wstring name_;
    std::optional<std::string> layout_;
    std::vector<std::wstring> files_;
};
