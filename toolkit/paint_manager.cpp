#include "toolkit/paint_manager.h"

#include <QAbstractButton>
#include <QApplication>
#include <QBuffer>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTextDocumentFragment>
#include <QWidget>
#include <algorithm>
#include <map>
#include <mutex>
#include <utility>

#include "platform/file_io.h"
#include "platform/folders.h"
#include "platform/private_folder.h"
#include "platform/text.h"
#include "toolkit/dpi.h"
#include "toolkit/skin_package.h"

namespace {

struct SkinResources {
    std::mutex mutex;
    std::wstring instancePath;
    std::wstring extension = L".skin";
    std::wstring resourcePath;
    std::wstring zipName;
    std::string password;
    bool cached = false;
    std::map<std::string, std::string, std::less<>> entries;  // cached packages only
    std::map<std::pair<std::string, qreal>, QPixmap> images;
    std::vector<CPaintManagerUI*> managers;  // in the order windows were made
};

SkinResources& Resources() {
    static SkinResources resources;
    return resources;
}

std::string NormaliseEntry(std::string_view entry) {
    while (entry.starts_with("../") || entry.starts_with("./"))
        entry.remove_prefix(entry.starts_with("../") ? 3 : 2);
    while (entry.starts_with('/')) entry.remove_prefix(1);
    return std::string(entry);
}

std::optional<std::string> ReadEntryUnlocked(SkinResources& res, const std::string& entry) {
    if (res.zipName.empty())
        return ReadWholeFile(res.resourcePath + Utf8ToWide(entry), kMaxSkinEntryBytes);
    if (res.cached)
        if (const auto it = res.entries.find(entry); it != res.entries.end()) return it->second;
    auto bytes = ReadSkinPackageEntry(res.resourcePath + res.zipName, res.password, entry);
    if (bytes && res.cached) res.entries.emplace(entry, *bytes);
    return bytes;
}

QImage DecodeImage(const std::string& bytes, qreal ratio, bool vector) {
    QByteArray data(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    QImageReader reader(&buffer);
    if (vector && reader.size().isValid()) reader.setScaledSize(reader.size() * ratio);
    return reader.read();
}

}  // namespace

CPaintManagerUI::CPaintManagerUI() = default;

CPaintManagerUI::~CPaintManagerUI() {
    SkinResources& res = Resources();
    std::lock_guard lock(res.mutex);
    std::erase(res.managers, this);
    delete dpi_;
}

void CPaintManagerUI::SetInstance(std::wstring_view programFolder) {
    std::wstring path(programFolder);
    if (!path.ends_with(L'/')) path += L'/';
    std::lock_guard lock(Resources().mutex);
    Resources().instancePath = path;
}

std::wstring CPaintManagerUI::GetInstancePath() {
    std::lock_guard lock(Resources().mutex);
    return Resources().instancePath;
}

void CPaintManagerUI::SetSkinFileExtension(std::wstring_view extension) {
    std::lock_guard lock(Resources().mutex);
    Resources().extension = extension;
}

std::wstring CPaintManagerUI::GetSkinFileExtension() {
    std::lock_guard lock(Resources().mutex);
    return Resources().extension;
}

void CPaintManagerUI::SetResourcePath(std::wstring_view folder) {
    std::wstring path(folder);
    if (!path.empty() && !path.ends_with(L'/')) path += L'/';
    std::lock_guard lock(Resources().mutex);
    Resources().resourcePath = path;
}

std::wstring CPaintManagerUI::GetResourcePath() {
    std::lock_guard lock(Resources().mutex);
    return Resources().resourcePath;
}

void CPaintManagerUI::SetResourceZip(std::wstring_view packageName, std::wstring_view password,
                                     bool cached) {
    SkinResources& res = Resources();
    std::lock_guard lock(res.mutex);
    res.zipName = packageName;
    res.password = WideToUtf8(password);
    res.cached = cached;
    res.entries.clear();
    res.images.clear();
}

std::wstring CPaintManagerUI::GetResourceZip() {
    std::lock_guard lock(Resources().mutex);
    return Resources().zipName;
}

void CPaintManagerUI::ReloadSkin() {
    std::vector<CPaintManagerUI*> managers;
    {
        SkinResources& res = Resources();
        std::lock_guard lock(res.mutex);
        res.entries.clear();
        res.images.clear();
        managers.assign(res.managers.begin(), res.managers.end());
    }
    const QString style = StyleSheet();
    for (CPaintManagerUI* manager : managers) {
        if (!manager->window_) continue;
        manager->window_->setStyleSheet(style);
        manager->window_->update();
    }
}

std::optional<std::string> CPaintManagerUI::LoadResource(std::string_view entry) {
    SkinResources& res = Resources();
    std::lock_guard lock(res.mutex);
    return ReadEntryUnlocked(res, NormaliseEntry(entry));
}

QPixmap CPaintManagerUI::LoadImage(std::string_view entry, qreal ratio) {
    const std::string name = NormaliseEntry(entry);
    if (name.empty()) return {};
    ratio = std::max<qreal>(ratio, 1.0);
    SkinResources& res = Resources();
    std::lock_guard lock(res.mutex);
    const auto key = std::make_pair(name, ratio);
    if (const auto it = res.images.find(key); it != res.images.end()) return it->second;

    const bool vector = name.ends_with(".svg");
    QImage image;
    if (!vector && ratio > 1.0) {
        const auto dot = name.rfind('.');
        if (dot != std::string::npos)
            if (const auto hi =
                    ReadEntryUnlocked(res, name.substr(0, dot) + "@2x" + name.substr(dot))) {
                image = DecodeImage(*hi, 1.0, false);
                image.setDevicePixelRatio(2.0);
            }
    }
    if (image.isNull())
        if (const auto bytes = ReadEntryUnlocked(res, name)) {
            image = DecodeImage(*bytes, ratio, vector);
            if (vector) image.setDevicePixelRatio(ratio);
        }
    QPixmap pixmap = QPixmap::fromImage(image);
    res.images.emplace(key, pixmap);
    return pixmap;
}

namespace {

// Style sheets name the package's pictures as url(skin:NAME), but Qt reads a
// style sheet's pictures from files: each is copied into a private folder
// and the sheet names that copy instead.
QString WithPackagePicturesAsFiles(QString style) {
    static const QRegularExpression reference(QStringLiteral(R"(url\(skin:([^)]+)\))"));
    const std::wstring own = EnsurePrivateFolder(QueryRuntimeFolder() + L"/TaviOCR");
    const std::wstring folder = own.empty() ? own : EnsurePrivateFolder(own + L"/skin-pictures");
    if (folder.empty()) return style;
    QRegularExpressionMatchIterator matches = reference.globalMatch(style);
    std::map<QString, QString> copies;
    while (matches.hasNext()) {
        const QString name = matches.next().captured(1);
        if (copies.count(name)) continue;
        const auto bytes = CPaintManagerUI::LoadResource(name.toStdString());
        QString flat = name;
        flat.replace(QLatin1Char('/'), QLatin1Char('_'));
        const std::wstring copy = folder + L"/" + flat.toStdWString();
        if (bytes && WriteFreshFile(copy, *bytes)) copies[name] = QString::fromStdWString(copy);
    }
    for (const auto& [name, copy] : copies)
        style.replace(QStringLiteral("url(skin:") + name + QLatin1Char(')'),
                      QStringLiteral("url(\"") + copy + QStringLiteral("\")"));
    return style;
}

}  // namespace

QString CPaintManagerUI::StyleSheet() {
    const auto bytes = LoadResource("style.qss");
    return bytes ? WithPackagePicturesAsFiles(
                       QString::fromUtf8(bytes->data(), static_cast<qsizetype>(bytes->size())))
                 : QString();
}

namespace {
// The quit request belongs to the main loop: one made before that loop runs
// ends it as soon as it starts, and never ends a nested (modal) loop early.
bool mainLoopRunning = false;
std::optional<int> pendingQuit;
}  // namespace

int CPaintManagerUI::MessageLoop() {
    if (pendingQuit) return *std::exchange(pendingQuit, std::nullopt);
    mainLoopRunning = true;
    const int code = QApplication::exec();
    mainLoopRunning = false;
    return code;
}

void CPaintManagerUI::PostQuitMessage(int exitCode) {
    if (mainLoopRunning)
        QCoreApplication::exit(exitCode);
    else
        pendingQuit = exitCode;
}

void CPaintManagerUI::Init(QWidget* window) {
    window_ = window;
    std::lock_guard lock(Resources().mutex);
    if (std::find(Resources().managers.begin(), Resources().managers.end(), this) ==
        Resources().managers.end())
        Resources().managers.push_back(this);
}

std::vector<CPaintManagerUI*> CPaintManagerUI::Windows() {
    std::lock_guard lock(Resources().mutex);
    return Resources().managers;
}

void CPaintManagerUI::AttachRoot(QWidget* root) {
    root_ = root;
    UpdateAccessibleNames();
}

CControlUI* CPaintManagerUI::FindControl(std::wstring_view name) const {
    if (name.empty()) return nullptr;
    QWidget* scope = window_ ? window_ : root_;
    return scope ? FindSubControlByName(scope, name) : nullptr;
}

CControlUI* CPaintManagerUI::FindSubControlByName(CControlUI* parent, std::wstring_view name) {
    if (!parent || name.empty()) return nullptr;
    const QString wanted = QString::fromStdWString(std::wstring(name));
    if (parent->objectName() == wanted) return parent;
    return parent->findChild<QWidget*>(wanted);
}

void CPaintManagerUI::AddNotifier(INotifyUI* notifier) {
    if (std::find(notifiers_.begin(), notifiers_.end(), notifier) == notifiers_.end())
        notifiers_.push_back(notifier);
}

void CPaintManagerUI::RemoveNotifier(INotifyUI* notifier) { std::erase(notifiers_, notifier); }

void CPaintManagerUI::SendNotify(CControlUI* control, std::wstring_view type, WPARAM wParam,
                                 LPARAM lParam) {
    TNotifyUI msg{std::wstring(type), ControlName(control), control, wParam, lParam};
    // A notifier may close the window; work on a copy of the list.
    const std::vector<INotifyUI*> notifiers = notifiers_;
    for (INotifyUI* notifier : notifiers) notifier->Notify(msg);
}

void CPaintManagerUI::UpdateAccessibleNames() {
    QWidget* scope = window_ ? window_ : root_;
    if (!scope) return;
    for (QWidget* control : scope->findChildren<QWidget*>())
        if (!control->objectName().isEmpty() &&
            !control->objectName().startsWith(QLatin1String("qt_")))
            UpdateAccessibleName(control);
}

CDPI* CPaintManagerUI::GetDPIObj() {
    if (!dpi_) dpi_ = new CDPI(window_);
    return dpi_;
}

std::wstring ControlName(const CControlUI* control) {
    return control ? control->objectName().toStdWString() : std::wstring();
}

void UpdateAccessibleName(QWidget* control) {
    QString text;
    if (const auto* button = qobject_cast<const QAbstractButton*>(control))
        text = button->text();
    else if (const auto* label = qobject_cast<const QLabel*>(control))
        text = label->textFormat() == Qt::PlainText
                   ? label->text()
                   : QTextDocumentFragment::fromHtml(label->text()).toPlainText();
    else if (const auto* edit = qobject_cast<const QLineEdit*>(control))
        text = edit->text().isEmpty() ? edit->placeholderText() : QString();
    text = text.simplified();
    text.remove(QLatin1Char('&'));
    control->setAccessibleName(text.isEmpty() ? control->objectName() : text);
}
