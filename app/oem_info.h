#pragma once

struct ProcessGlobals;

// Reads oem.ini beside the program into OemInfo; a non-zero [LANG] LCID also
// selects the interface language. A missing file or key leaves the defaults.
void ReadOemIni(ProcessGlobals& globals);
