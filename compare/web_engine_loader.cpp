#include "compare/web_engine_loader.h"

#include <dlfcn.h>

#include <QMessageBox>
#include <QWidget>
#include <utility>

#include "app/process_globals.h"
#include "platform/debug_trace.h"
#include "platform/file_io.h"
#include "platform/text.h"
#include "toolkit/controls/webkit_ui.h"

namespace {

template <typename Function>
void Resolve(void* module, const char* name, Function& slot) {
    slot = reinterpret_cast<Function>(::dlsym(module, name));
    if (slot) return;
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(name),
                    QStringLiteral("wke api not found"), QMessageBox::Ok);
    box.exec();
}

void InstallToolkitBackend() {
    WebViewBackend backend;
    backend.create = [](QWidget* host) -> WebViewHandle {
        return WebEngine().createWebView ? WebEngine().createWebView(host) : nullptr;
    };
    backend.navigate = [](WebViewHandle view, std::wstring_view url) {
        if (WebEngine().loadUrl) WebEngine().loadUrl(view, std::wstring(url).c_str());
    };
    backend.runScript = [](WebViewHandle view, std::wstring_view script) {
        if (WebEngine().runJs) WebEngine().runJs(view, std::wstring(script).c_str());
    };
    SetWebViewBackend(std::move(backend));
}

}  // namespace

WebEngineApi& WebEngine() {
    static WebEngineApi api;
    return api;
}

std::wstring WebEngineModulePath() { return Globals().ExeFolder + L"/node.dll"; }

bool LoadWebEngine(const wkeSettings* settings) {
    void* module = ::dlopen(NarrowPath(WebEngineModulePath()).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) {
        DebugTrace(L"[taviOCR] node.dll: %s\n", Utf8ToWide(::dlerror()));
        return false;
    }
    WebEngineApi& api = WebEngine();
    api.initializeEx =
        reinterpret_cast<decltype(api.initializeEx)>(::dlsym(module, "wkeInitializeEx"));
    if (!api.initializeEx) return false;
    api.initializeEx(settings);
    Resolve(module, "wkeCreateWebView", api.createWebView);
    Resolve(module, "wkeDestroyWebView", api.destroyWebView);
    Resolve(module, "wkeLoadURLW", api.loadUrl);
    Resolve(module, "wkeRunJSW", api.runJs);
    Resolve(module, "wkeSetMemoryCacheEnable", api.setMemoryCacheEnable);
    Resolve(module, "wkeSetZoomFactor", api.setZoomFactor);
    Resolve(module, "wkeGetZoomFactor", api.getZoomFactor);
    Resolve(module, "wkeIsDocumentReady", api.isDocumentReady);
    Resolve(module, "wkeIsLoadingSucceeded", api.isLoadingSucceeded);
    InstallToolkitBackend();
    return true;
}
