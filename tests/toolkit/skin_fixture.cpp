#include "skin_fixture.h"

#include <QBuffer>
#include <QImage>

#include "platform/file_io.h"
#include "support/qt_application.h"
#include "toolkit/paint_manager.h"

namespace {
const std::string kTestPassword = "test-password";
}

void SkinTest::SetUp() {
    TempEnvironment::SetUp();
    EnsureQtApplication();
    CSkinManager::GetSkinManager().SetLanguageSource([this] { return language_; });
}

void SkinTest::TearDown() {
    CSkinManager::GetSkinManager().SetLanguageSource({});
    CSkinManager::GetSkinManager().ResetTextMap();
    CPaintManagerUI::SetResourceZip(L"", L"", false);
    TempEnvironment::TearDown();
}

void SkinTest::UsePackage(const std::vector<SkinEntry>& entries) {
    ASSERT_TRUE(CreateFolderTree(Path("skin")));
    ASSERT_TRUE(WriteSkinPackage(Path("skin/test.skin"), kTestPassword, entries));
    CPaintManagerUI::SetResourcePath(Path("skin/"));
    CPaintManagerUI::SetResourceZip(
        L"test.skin", std::wstring(kTestPassword.begin(), kTestPassword.end()), false);
}

void SkinTest::SetLanguage(LanguageEntries entries) { language_ = std::move(entries); }

std::string Layout(const std::string& widgets, int width, int height,
                   const std::string& rootProperties) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><ui version=\"4.0\"><class>t</class>"
           "<widget class=\"QWidget\" name=\"windowRoot\"><property "
           "name=\"geometry\"><rect><x>0</x><y>0</y>"
           "<width>" +
           std::to_string(width) + "</width><height>" + std::to_string(height) +
           "</height></rect></property>" + rootProperties +
           "<layout class=\"QVBoxLayout\" name=\"rootLayout\">" + widgets +
           "</layout></widget></ui>";
}

std::string Widget(const std::string& cls, const std::string& name, const std::string& properties) {
    return "<item><widget class=\"" + cls + "\" name=\"" + name + "\">" + properties +
           "</widget></item>";
}

std::string PngOfColour(unsigned rgb, int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor::fromRgb(rgb));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

void RecordingWindow::Notify(TNotifyUI& msg) {
    notifications.push_back(msg.sType + L":" + msg.sName);
    if (msg.sType == kNotifyWindowInit) foundControlAtInit = m_pm.FindControl(L"btnOk") != nullptr;
    WindowImplBase::Notify(msg);
}

void RecordingWindow::OnClick(TNotifyUI& msg) {
    if (msg.sName == L"btnOk") Close(42);
}

LRESULT RecordingWindow::HandleCustomMessage(UINT message, WPARAM, LPARAM, bool& handled) {
    messages.push_back(message);
    handled = (message == WM_CLOSE && vetoClose) || message == WM_USER + 1;
    return message == WM_USER + 1 ? 99 : 0;
}
