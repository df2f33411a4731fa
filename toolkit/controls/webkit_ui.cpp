#include "toolkit/controls/webkit_ui.h"

namespace {
WebViewBackend& Backend() {
    static WebViewBackend backend;
    return backend;
}
}  // namespace

void SetWebViewBackend(WebViewBackend backend) { Backend() = std::move(backend); }

CWkeWebkitUI::CWkeWebkitUI(QWidget* parent, CPaintManagerUI*) : QWidget(parent) {}

WebViewHandle CWkeWebkitUI::GetWebView() {
    if (!view_ && Backend().create) view_ = Backend().create(this);
    return view_;
}

bool CWkeWebkitUI::Navigate(std::wstring_view url) {
    if (!GetWebView() || !Backend().navigate) return false;
    Backend().navigate(view_, url);
    return true;
}

bool CWkeWebkitUI::ExecuteJS(std::wstring_view script) {
    if (!GetWebView() || !Backend().runScript) return false;
    Backend().runScript(view_, script);
    return true;
}
