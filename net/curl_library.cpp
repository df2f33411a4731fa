#include <dlfcn.h>

#include <cstdarg>

#define CURL_DISABLE_TYPECHECK  // the stand-ins below take libcurl's real signatures
#include <curl/curl.h>

#include "net/curl_global.h"
#include "platform/debug_trace.h"

namespace {

struct CurlLibrary {
    decltype(&::curl_global_init) globalInit = nullptr;
    decltype(&::curl_easy_init) easyInit = nullptr;
    decltype(&::curl_easy_setopt) easySetopt = nullptr;
    decltype(&::curl_easy_perform) easyPerform = nullptr;
    decltype(&::curl_easy_getinfo) easyGetinfo = nullptr;
    decltype(&::curl_easy_cleanup) easyCleanup = nullptr;
    decltype(&::curl_easy_escape) easyEscape = nullptr;
    decltype(&::curl_free) free = nullptr;
    decltype(&::curl_slist_append) slistAppend = nullptr;
    decltype(&::curl_slist_free_all) slistFreeAll = nullptr;
    bool opened = false;
};

template <typename Function>
bool Resolve(void* library, const char* name, Function& target) {
    target = reinterpret_cast<Function>(::dlsym(library, name));
    return target != nullptr;
}

CurlLibrary Open() {
    CurlLibrary curl;
    void* library = ::dlopen("libcurl.so.4", RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        DebugTrace(L"libcurl could not be opened\n");
        return curl;
    }
    const bool complete = Resolve(library, "curl_global_init", curl.globalInit) &&
                          Resolve(library, "curl_easy_init", curl.easyInit) &&
                          Resolve(library, "curl_easy_setopt", curl.easySetopt) &&
                          Resolve(library, "curl_easy_perform", curl.easyPerform) &&
                          Resolve(library, "curl_easy_getinfo", curl.easyGetinfo) &&
                          Resolve(library, "curl_easy_cleanup", curl.easyCleanup) &&
                          Resolve(library, "curl_easy_escape", curl.easyEscape) &&
                          Resolve(library, "curl_free", curl.free) &&
                          Resolve(library, "curl_slist_append", curl.slistAppend) &&
                          Resolve(library, "curl_slist_free_all", curl.slistFreeAll);
    if (!complete) {
        DebugTrace(L"libcurl lacks a function the program uses\n");
        return CurlLibrary{};
    }
    if (curl.globalInit(CURL_GLOBAL_ALL) != CURLE_OK)
        DebugTrace(L"curl_global_init return code err.\n");
    curl.opened = true;
    return curl;
}

// Opened once, by whichever thread transfers first.
const CurlLibrary& Curl() {
    static const CurlLibrary library = Open();
    return library;
}

}  // namespace

bool EnsureCurlGlobalInit() { return Curl().opened; }

// The stand-ins. Hidden, so that libcurl itself, once opened, never binds to
// them in place of its own functions.
#define CURL_STAND_IN extern "C" __attribute__((visibility("hidden")))

CURL_STAND_IN CURL* curl_easy_init() { return Curl().opened ? Curl().easyInit() : nullptr; }

CURL_STAND_IN CURLcode curl_easy_setopt(CURL* handle, CURLoption option, ...) {
    if (!Curl().opened) return CURLE_FAILED_INIT;
    // An option's number says the type of its one argument, as libcurl reads it.
    va_list arguments;
    va_start(arguments, option);
    CURLcode result;
    if (option < CURLOPTTYPE_OBJECTPOINT)
        result = Curl().easySetopt(handle, option, va_arg(arguments, long));
    else if (option >= CURLOPTTYPE_OFF_T && option < CURLOPTTYPE_BLOB)
        result = Curl().easySetopt(handle, option, va_arg(arguments, curl_off_t));
    else  // data, function and blob pointers alike
        result = Curl().easySetopt(handle, option, va_arg(arguments, void*));
    va_end(arguments);
    return result;
}

CURL_STAND_IN CURLcode curl_easy_perform(CURL* handle) {
    return Curl().opened ? Curl().easyPerform(handle) : CURLE_FAILED_INIT;
}

CURL_STAND_IN CURLcode curl_easy_getinfo(CURL* handle, CURLINFO info, ...) {
    if (!Curl().opened) return CURLE_FAILED_INIT;
    va_list arguments;
    va_start(arguments, info);
    void* target = va_arg(arguments, void*);  // every query fills one place
    va_end(arguments);
    return Curl().easyGetinfo(handle, info, target);
}

CURL_STAND_IN void curl_easy_cleanup(CURL* handle) {
    if (Curl().opened) Curl().easyCleanup(handle);
}

CURL_STAND_IN char* curl_easy_escape(CURL* handle, const char* text, int length) {
    return Curl().opened ? Curl().easyEscape(handle, text, length) : nullptr;
}

CURL_STAND_IN void curl_free(void* pointer) {
    if (Curl().opened) Curl().free(pointer);
}

CURL_STAND_IN curl_slist* curl_slist_append(curl_slist* list, const char* text) {
    return Curl().opened ? Curl().slistAppend(list, text) : nullptr;
}

CURL_STAND_IN void curl_slist_free_all(curl_slist* list) {
    if (Curl().opened) Curl().slistFreeAll(list);
}
