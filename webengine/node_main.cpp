// node.dll: the embedded web view the program loads at run time. It is the
// only part of the program that uses Qt WebEngine.
#include <unistd.h>

#include <QOpenGLContext>
#include <QVBoxLayout>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <cstdlib>

#include "webengine/wke.h"

// Qt's process-wide GL share context. The web engine needs one; the program
// does not make it at start (it would load the GL driver for every run), so
// the module makes it the first time a web view is wanted.
Q_GUI_EXPORT QOpenGLContext* qt_gl_global_share_context();
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);

namespace {

void EnsureShareContext() {
    if (qt_gl_global_share_context()) return;
    auto* context = new QOpenGLContext;  // kept for the rest of the process
    if (context->create())
        qt_gl_set_global_share_context(context);
    else
        delete context;
}

struct View {
    QWebEngineView* widget = nullptr;
    bool ready = false;
    bool succeeded = false;
};

View* AsView(wkeWebView view) { return static_cast<View*>(view); }

}  // namespace

extern "C" {

__attribute__((visibility("default"))) void wkeInitializeEx(const wkeSettings*) {
    // Chromium refuses to run as root with its sandbox; the program draws in
    // software, so the web view does too (no GL driver is loaded for it).
    if (::geteuid() == 0) ::setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
    ::setenv("QT_QUICK_BACKEND", "software", 0);
    ::setenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu --disable-gpu-compositing", 0);
    ::setenv("QT_LOGGING_RULES", "qt.webenginecontext.info=false", 0);
    EnsureShareContext();
}

__attribute__((visibility("default"))) wkeWebView wkeCreateWebView(void* hostWidget) {
    auto* host = static_cast<QWidget*>(hostWidget);
    if (!host) return nullptr;
    auto* view = new View;
    view->widget = new QWebEngineView(host);
    QWebEngineSettings* settings = view->widget->settings();
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    auto* layout = host->layout() ? host->layout() : new QVBoxLayout(host);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view->widget);
    QObject::connect(view->widget, &QWebEngineView::loadStarted, view->widget,
                     [view] { view->ready = false; });
    QObject::connect(view->widget, &QWebEngineView::loadFinished, view->widget, [view](bool ok) {
        view->ready = true;
        view->succeeded = ok;
    });
    // The view ends with its host; the record goes with it.
    QObject::connect(view->widget, &QObject::destroyed, [view] { delete view; });
    return view;
}

__attribute__((visibility("default"))) void wkeDestroyWebView(wkeWebView view) {
    if (view) delete AsView(view)->widget;
}

__attribute__((visibility("default"))) void wkeLoadURLW(wkeWebView view, const wchar_t* url) {
    if (view && url) AsView(view)->widget->load(QUrl(QString::fromWCharArray(url)));
}

__attribute__((visibility("default"))) void wkeRunJSW(wkeWebView view, const wchar_t* script) {
    if (view && script)
        AsView(view)->widget->page()->runJavaScript(QString::fromWCharArray(script));
}

__attribute__((visibility("default"))) void wkeSetMemoryCacheEnable(wkeWebView view, bool enable) {
    if (view)
        AsView(view)->widget->page()->profile()->setHttpCacheType(
            enable ? QWebEngineProfile::MemoryHttpCache : QWebEngineProfile::NoCache);
}

__attribute__((visibility("default"))) void wkeSetZoomFactor(wkeWebView view, float factor) {
    if (view) AsView(view)->widget->setZoomFactor(factor);
}

__attribute__((visibility("default"))) float wkeGetZoomFactor(wkeWebView view) {
    return view ? static_cast<float>(AsView(view)->widget->zoomFactor()) : 0.0f;
}

__attribute__((visibility("default"))) bool wkeIsDocumentReady(wkeWebView view) {
    return view && AsView(view)->ready;
}

__attribute__((visibility("default"))) bool wkeIsLoadingSucceeded(wkeWebView view) {
    return view && AsView(view)->succeeded;
}
}
