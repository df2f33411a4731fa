#pragma once

#include <QWidget>
#include <functional>
#include <string>
#include <string_view>

class CPaintManagerUI;

// Where an embedded web view comes from: the web-engine module installs a
// factory when it is loaded; until then the control stays empty.
using WebViewHandle = void*;
struct WebViewBackend {
    std::function<WebViewHandle(QWidget* host)> create;
    std::function<void(WebViewHandle, std::wstring_view url)> navigate;
    std::function<void(WebViewHandle, std::wstring_view script)> runScript;
};
void SetWebViewBackend(WebViewBackend backend);

// An embedded web page.
class CWkeWebkitUI : public QWidget {
    Q_OBJECT
public:
    explicit CWkeWebkitUI(QWidget* parent = nullptr, CPaintManagerUI* manager = nullptr);
    // The view of the loaded module, or null when none is loaded.
    WebViewHandle GetWebView();
    bool Navigate(std::wstring_view url);
    bool ExecuteJS(std::wstring_view script);

private:
    WebViewHandle view_ = nullptr;
};
