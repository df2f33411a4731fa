#include "app/process_globals.h"

#include "platform/folders.h"

ProcessGlobals& Globals() {
    static ProcessGlobals globals;
    return globals;
}

void DetectProcessFolders(ProcessGlobals& globals) {
    globals.ExeFolder = QueryExeFolder();
    globals.AppFolder = QueryAppFolder();
    globals.DesktopFolder = QueryDesktopFolder();
    globals.TempWorkFolder = QueryTempWorkFolder();
    // Chosen and pinned before any thread or child process exists.
    QueryRuntimeFolder();
}
