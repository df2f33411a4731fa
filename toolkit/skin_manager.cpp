#include "toolkit/skin_manager.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QWidget>
#include <QXmlStreamReader>
#include <array>

#include "platform/text.h"
#include "toolkit/controls/button_ui.h"
#include "toolkit/paint_manager.h"

namespace {

constexpr std::array<std::wstring_view, 10> kKindSuffixes{
    L"",       L"tip",         L"hint",     L"pos",         L"width",
    L"height", L"normalimage", L"hotimage", L"pushedimage", L"disabledimage"};

QString Q(std::wstring_view text) { return QString::fromStdWString(std::wstring(text)); }

bool SetControlText(QWidget* control, const QString& text) {
    if (auto* button = qobject_cast<QAbstractButton*>(control))
        button->setText(text);
    else if (auto* label = qobject_cast<QLabel*>(control))
        label->setText(text);
    else if (auto* edit = qobject_cast<QLineEdit*>(control))
        edit->setText(text);
    else if (auto* pane = qobject_cast<QPlainTextEdit*>(control))
        pane->setPlainText(text);
    else
        return false;
    UpdateAccessibleName(control);
    return true;
}

bool SetHint(QWidget* control, const QString& hint) {
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        edit->setPlaceholderText(hint);
    else if (auto* pane = qobject_cast<QPlainTextEdit*>(control))
        pane->setPlaceholderText(hint);
    else
        return false;
    UpdateAccessibleName(control);
    return true;
}

// "left,top,right,bottom": the control's rectangle in its parent.
bool SetPos(QWidget* control, const QString& text) {
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4) return false;
    int v[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        v[i] = parts[i].trimmed().toInt(&ok);
        if (!ok) return false;
    }
    const QRect rect(QPoint(v[0], v[1]), QPoint(v[2] - 1, v[3] - 1));
    if (!rect.isValid()) return false;
    QWidget* parent = control->parentWidget();
    if (parent && parent->layout() && parent->layout()->indexOf(control) >= 0) {
        control->setFixedSize(rect.size());
        parent->layout()->invalidate();
    } else {
        control->setGeometry(rect);
    }
    if (parent) parent->updateGeometry();
    return true;
}

bool SetButtonImage(QWidget* control, int kind, const QString& image) {
    auto* button = dynamic_cast<CButtonUI*>(control);
    if (!button) return false;
    switch (kind) {
        case kControlNormalImage:
            button->SetNormalImage(image);
            break;
        case kControlHotImage:
            button->SetHotImage(image);
            break;
        case kControlPushedImage:
            button->SetPushedImage(image);
            break;
        default:
            button->SetDisabledImage(image);
            break;
    }
    return true;
}

}  // namespace

int ControlTextKindOf(std::wstring_view suffix) {
    for (std::size_t i = 0; i < kKindSuffixes.size(); ++i)
        if (kKindSuffixes[i] == suffix) return static_cast<int>(i);
    return -1;
}

bool ApplyTextToControl(QWidget* control, const QString& value, int kind) {
    bool ok = false;
    switch (kind) {
        case kControlText:
            return SetControlText(control, value);
        case kControlToolTip:
            control->setToolTip(value);
            return true;
        case kControlHint:
            return SetHint(control, value);
        case kControlPos:
            return SetPos(control, value);
        case kControlWidth: {
            const int width = value.trimmed().toInt(&ok);
            if (ok && width >= 0) control->setFixedWidth(width);
            return ok && width >= 0;
        }
        case kControlHeight: {
            const int height = value.trimmed().toInt(&ok);
            if (ok && height >= 0) control->setFixedHeight(height);
            return ok && height >= 0;
        }
        case kControlNormalImage:
        case kControlHotImage:
        case kControlPushedImage:
        case kControlDisabledImage:
            return SetButtonImage(control, kind, value);
        default:
            return false;
    }
}

bool ApplyControlText(CPaintManagerUI& manager, std::wstring_view name, std::wstring_view text,
                      int kind) {
    QWidget* first = manager.FindControl(name);
    if (!first) return false;
    // Pages may repeat a control (a "Done" button on two result pages): all get the text.
    QWidget* scope = manager.GetPaintWindow() ? manager.GetPaintWindow() : manager.GetRoot();
    const QString value = Q(text);
    bool applied = ApplyTextToControl(first, value, kind);
    for (QWidget* other : scope->findChildren<QWidget*>(first->objectName()))
        if (other != first) applied = ApplyTextToControl(other, value, kind) || applied;
    return applied;
}

CSkinManager& CSkinManager::GetSkinManager() {
    static CSkinManager manager;
    return manager;
}

void CSkinManager::SetLanguageSource(std::function<LanguageEntries()> source) {
    source_ = std::move(source);
}

std::vector<LayoutText> CSkinManager::LayoutTexts(std::wstring_view layoutFile) const {
    std::vector<LayoutText> texts;
    if (!source_ || layoutFile.empty()) return texts;
    const std::wstring prefix = L"@" + std::wstring(layoutFile) + L"/";
    for (const auto& [key, value] : source_()) {
        if (!key.starts_with(prefix)) continue;
        std::wstring_view rest = std::wstring_view(key).substr(prefix.size());
        std::wstring_view suffix;
        if (const auto hash = rest.find(L'#'); hash != std::wstring_view::npos) {
            suffix = rest.substr(hash + 1);
            rest = rest.substr(0, hash);
        }
        const int kind = ControlTextKindOf(suffix);
        if (kind < 0 || rest.empty()) continue;
        texts.push_back({std::wstring(rest), value, kind});
    }
    return texts;
}

bool CSkinManager::ReloadFont(CPaintManagerUI* manager, std::wstring_view fontFile) {
    if (!manager || !manager->GetPaintWindow()) return false;
    const auto bytes = CPaintManagerUI::LoadResource(WideToUtf8(fontFile));
    if (!bytes) return false;
    QXmlStreamReader xml(QByteArray(bytes->data(), static_cast<qsizetype>(bytes->size())));
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != QLatin1String("Font"))
            continue;
        const auto attributes = xml.attributes();
        if (attributes.value(QLatin1String("default")) != QLatin1String("true")) continue;
        QFont font = manager->GetPaintWindow()->font();
        const QStringList families =
            attributes.value(QLatin1String("name")).toString().split(QLatin1Char(','));
        QStringList trimmed;
        for (const QString& family : families) trimmed << family.trimmed();
        font.setFamilies(trimmed);
        if (const int size = attributes.value(QLatin1String("size")).toInt(); size > 0)
            font.setPixelSize(size);
        font.setBold(attributes.value(QLatin1String("bold")) == QLatin1String("true"));
        manager->GetPaintWindow()->setFont(font);
        return true;
    }
    return false;
}

void CSkinManager::LoadLanguage(std::wstring_view layoutFile) {
    for (LayoutText& text : LayoutTexts(layoutFile)) map_.push_back(std::move(text));
}

void CSkinManager::ReloadText() {
    for (const LayoutText& text : map_) {
        if (target_) {
            target_->ReloadControlText(text.control, text.text, text.kind);
            continue;
        }
        for (CPaintManagerUI* window : CPaintManagerUI::Windows())
            ApplyControlText(*window, text.control, text.text, text.kind);
    }
}

void CSkinManager::ResetTextMap() { map_.clear(); }

void CSkinManager::SetReloadTarget(IReloadControlText* target) { target_ = target; }

void CSkinManager::RemoveReloadTarget(IReloadControlText* target) {
    if (target_ == target) target_ = nullptr;
}

void CSkinManager::ApplyLayoutTexts(CPaintManagerUI& manager,
                                    const std::vector<std::wstring>& layoutFiles) const {
    for (const std::wstring& file : layoutFiles)
        for (const LayoutText& text : LayoutTexts(file))
            ApplyControlText(manager, text.control, text.text, text.kind);
    manager.UpdateAccessibleNames();
}
