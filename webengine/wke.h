#pragma once

// The web engine's flat interface, as the program looks it up by name in
// node.dll. A view lives inside a host widget the caller gives.

extern "C" {

typedef void* wkeWebView;
struct wkeSettings;  // no settings are passed today

void wkeInitializeEx(const wkeSettings* settings);
wkeWebView wkeCreateWebView(void* hostWidget);
void wkeDestroyWebView(wkeWebView view);
void wkeLoadURLW(wkeWebView view, const wchar_t* url);
void wkeRunJSW(wkeWebView view, const wchar_t* script);
void wkeSetMemoryCacheEnable(wkeWebView view, bool enable);
void wkeSetZoomFactor(wkeWebView view, float factor);
float wkeGetZoomFactor(wkeWebView view);
// Whether the last page finished loading, and whether it loaded.
bool wkeIsDocumentReady(wkeWebView view);
bool wkeIsLoadingSucceeded(wkeWebView view);
}
