#pragma once

struct ProcessGlobals;

// Whether the interface language's skin package (found by CheckSkinPackage)
// opens with its password and holds the main layout: a truncated or foreign
// file is as good as none.
bool SkinPackageReadable();

// Points the toolkit at the program's skin folder and the resource package of
// the interface language, feeds its skin manager from the language file and
// connects the run-time language switch to the main window.
void PrepareToolkit(const ProcessGlobals& globals);
