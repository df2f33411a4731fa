#include "toolkit/dialog_builder.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QUiLoader>
#include <QVBoxLayout>
#include <functional>
#include <map>
#include <utility>

#include "platform/debug_trace.h"
#include "platform/text.h"
#include "toolkit/controls/button_ui.h"
#include "toolkit/controls/edit_ui.h"
#include "toolkit/controls/hotkey_ui.h"
#include "toolkit/controls/label_ui.h"
#include "toolkit/controls/list_ui.h"
#include "toolkit/controls/picture_ui.h"
#include "toolkit/controls/tab_layout_ui.h"
#include "toolkit/controls/webkit_ui.h"
#include "toolkit/menu_wnd.h"
#include "toolkit/paint_manager.h"

namespace {

// Layouts include one another at most this deep; deeper means a cycle.
constexpr int kMaxIncludeDepth = 8;

using ControlFactory = std::function<QWidget*(QWidget*, CPaintManagerUI*)>;

template <typename Control>
ControlFactory Make() {
    return [](QWidget* parent, CPaintManagerUI* manager) { return new Control(parent, manager); };
}

const std::map<QString, ControlFactory>& Factories() {
    static const std::map<QString, ControlFactory> factories{
        {QStringLiteral("CLabelUI"), Make<CLabelUI>()},
        {QStringLiteral("CTextUI"), Make<CLabelUI>()},
        {QStringLiteral("CButtonUI"), Make<CButtonUI>()},
        {QStringLiteral("COptionUI"), Make<COptionUI>()},
        {QStringLiteral("CCheckBoxUI"), Make<CCheckBoxUI>()},
        {QStringLiteral("CEditUI"), Make<CEditUI>()},
        {QStringLiteral("CRichEditUI"), Make<CRichEditUI>()},
        {QStringLiteral("CComboUI"), Make<CComboUI>()},
        {QStringLiteral("CListUI"), Make<CListUI>()},
        {QStringLiteral("CListContainerElementUI"), Make<CListContainerElementUI>()},
        {QStringLiteral("CTabLayoutUI"), Make<CTabLayoutUI>()},
        {QStringLiteral("CAnimationTabLayoutUI"), Make<CAnimationTabLayoutUI>()},
        {QStringLiteral("CPictureUI"), Make<CPictureUI>()},
        {QStringLiteral("CGifAnimUI"), Make<CGifAnimUI>()},
        {QStringLiteral("CHotKeyUI"), Make<CHotKeyUI>()},
        {QStringLiteral("CWkeWebkitUI"), Make<CWkeWebkitUI>()},
        {QStringLiteral("CMenuElementUI"), Make<CMenuElementUI>()},
    };
    return factories;
}

// Qt Designer's widget plugins would be loaded by a form loader as it is
// made: heavy libraries (and the web engine's, when installed) that skins
// never use. The program's plugin folders are hidden while it is made.
struct DesignerPluginsHidden {
    DesignerPluginsHidden() : saved(QCoreApplication::libraryPaths()) {
        QCoreApplication::setLibraryPaths({});
    }
    QStringList saved;
};

class SkinLoader : private DesignerPluginsHidden, public QUiLoader {
public:
    SkinLoader() {
        QCoreApplication::setLibraryPaths(saved);
        clearPluginPaths();
    }

    // One loader serves every build on the UI thread.
    static SkinLoader& Instance() {
        static SkinLoader loader;
        return loader;
    }

    QWidget* Load(QIODevice* device, QWidget* parent, CPaintManagerUI* manager,
                  IDialogBuilderCallback* callback) {
        CPaintManagerUI* outerManager = std::exchange(manager_, manager);
        IDialogBuilderCallback* outerCallback = std::exchange(callback_, callback);
        QWidget* root = load(device, parent);
        manager_ = outerManager;
        callback_ = outerCallback;
        return root;
    }

    QWidget* createWidget(const QString& className, QWidget* parent, const QString& name) override {
        QWidget* widget = nullptr;
        if (const auto it = Factories().find(className); it != Factories().end())
            widget = it->second(parent, manager_);
        else if (callback_)
            widget = callback_->CreateControl(className, parent);
        if (!widget) widget = QUiLoader::createWidget(className, parent, name);
        if (widget) widget->setObjectName(name);
        return widget;
    }

private:
    CPaintManagerUI* manager_ = nullptr;
    IDialogBuilderCallback* callback_ = nullptr;
};

}  // namespace

QWidget* CDialogBuilder::Create(std::wstring_view layoutFile, CPaintManagerUI* manager,
                                QWidget* parent, IDialogBuilderCallback* callback) {
    if (!layout_ || name_ != layoutFile) {
        auto bytes = CPaintManagerUI::LoadResource(WideToUtf8(layoutFile));
        if (!bytes) {
            DebugTrace(L"[toolkit] layout %s not found\n", std::wstring(layoutFile).c_str());
            return nullptr;
        }
        name_ = layoutFile;
        layout_ = std::move(bytes);
    }
    return Create(manager, parent, callback);
}

QWidget* CDialogBuilder::Create(CPaintManagerUI* manager, QWidget* parent,
                                IDialogBuilderCallback* callback) {
    if (!layout_) return nullptr;
    files_ = {name_};
    return Build(*layout_, manager, parent, callback, 0);
}

QWidget* CDialogBuilder::Build(const std::string& bytes, CPaintManagerUI* manager, QWidget* parent,
                               IDialogBuilderCallback* callback, int depth) {
    QByteArray data(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    SkinLoader& loader = SkinLoader::Instance();
    QWidget* root = loader.Load(&buffer, parent, manager, callback);
    if (!root) {
        DebugTrace(L"[toolkit] layout %s unreadable: %s\n", name_.c_str(),
                   loader.errorString().toStdWString().c_str());
        return nullptr;
    }
    if (depth >= kMaxIncludeDepth) return root;
    for (QWidget* holder : root->findChildren<QWidget*>()) {
        const QString include = holder->property("include").toString();
        if (include.isEmpty()) continue;
        holder->setProperty("include", QVariant());
        const auto inner = CPaintManagerUI::LoadResource(include.toStdString());
        if (!inner) {
            DebugTrace(L"[toolkit] included layout %s not found\n", include.toStdWString().c_str());
            continue;
        }
        files_.push_back(include.toStdWString());
        QWidget* content = Build(*inner, manager, holder, callback, depth + 1);
        if (!content) continue;
        auto* layout = holder->layout() ? holder->layout() : new QVBoxLayout(holder);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(content);
    }
    return root;
}
