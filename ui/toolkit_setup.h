#pragma once

struct ProcessGlobals;

// Points the toolkit at the program's skin folder and the resource package of
// the interface language, feeds its skin manager from the language file and
// connects the run-time language switch to the main window.
void PrepareToolkit(const ProcessGlobals& globals);
