// A web-engine module that publishes only some of its functions, for the
// loader's handling of missing ones.
extern "C" {
struct wkeSettings;
__attribute__((visibility("default"))) int partialModuleInitialized = 0;
__attribute__((visibility("default"))) void wkeInitializeEx(const wkeSettings*) {
    ++partialModuleInitialized;
}
__attribute__((visibility("default"))) void wkeSetZoomFactor(void*, float) {}
}
