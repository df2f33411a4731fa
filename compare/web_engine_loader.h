#pragma once

#include <string>

#include "webengine/wke.h"

// The web engine's functions, looked up in node.dll beside the program.
struct WebEngineApi {
    decltype(&wkeInitializeEx) initializeEx = nullptr;
    decltype(&wkeCreateWebView) createWebView = nullptr;
    decltype(&wkeDestroyWebView) destroyWebView = nullptr;
    decltype(&wkeLoadURLW) loadUrl = nullptr;
    decltype(&wkeRunJSW) runJs = nullptr;
    decltype(&wkeSetMemoryCacheEnable) setMemoryCacheEnable = nullptr;
    decltype(&wkeSetZoomFactor) setZoomFactor = nullptr;
    decltype(&wkeGetZoomFactor) getZoomFactor = nullptr;
    decltype(&wkeIsDocumentReady) isDocumentReady = nullptr;
    decltype(&wkeIsLoadingSucceeded) isLoadingSucceeded = nullptr;
};

// The process-wide table; entries stay null until loaded.
WebEngineApi& WebEngine();

// The module's file: ExeFolder/node.dll.
std::wstring WebEngineModulePath();

// Loads the module and calls wkeInitializeEx with the settings; false when it
// cannot be loaded or has no wkeInitializeEx. Every other function is then
// looked up in turn; each missing one is reported in a box ("wke api not
// found", the name as caption) and the rest are still looked up. The web
// controls of the toolkit use the loaded view from then on. The module stays
// loaded for the rest of the process.
bool LoadWebEngine(const wkeSettings* settings = nullptr);
