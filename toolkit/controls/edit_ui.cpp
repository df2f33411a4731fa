#include "toolkit/controls/edit_ui.h"

#include "toolkit/paint_manager.h"

namespace {
QString Wide(std::wstring_view text) { return QString::fromStdWString(std::wstring(text)); }
}  // namespace

CEditUI::CEditUI(QWidget* parent, CPaintManagerUI*) : QLineEdit(parent) {}

void CEditUI::SetText(std::wstring_view text) { setText(Wide(text)); }
std::wstring CEditUI::GetText() const { return text().toStdWString(); }
void CEditUI::SetTipValue(std::wstring_view hint) { SetTipValueText(Wide(hint)); }

void CEditUI::SetTipValueText(const QString& hint) {
    setPlaceholderText(hint);
    UpdateAccessibleName(this);
}

void CEditUI::SetPasswordMode(bool password) { setEchoMode(password ? Password : Normal); }

CRichEditUI::CRichEditUI(QWidget* parent, CPaintManagerUI*) : QPlainTextEdit(parent) {}

void CRichEditUI::SetText(std::wstring_view text) { setPlainText(Wide(text)); }
std::wstring CRichEditUI::GetText() const {
    // The pane keeps bare line feeds; texts of the program end their lines in CR LF.
    QString text = toPlainText();
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return text.toStdWString();
}

CComboUI::CComboUI(QWidget* parent, CPaintManagerUI* manager) : QComboBox(parent) {
    if (manager)
        connect(this, &QComboBox::activated, this, [this, manager](int index) {
            manager->SendNotify(this, kNotifyItemSelect, index);
        });
}

bool CComboUI::SelectItem(int index) {
    if (index < 0 || index >= count()) return false;
    setCurrentIndex(index);
    return true;
}

void CComboUI::AddItem(std::wstring_view text) { addItem(Wide(text)); }
