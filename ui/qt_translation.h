#pragma once

// Qt's own dialogs (the open-file dialog, the standard context menus) speak
// the interface language: Qt's translation for it is installed, or none for
// English. Plain Qt windows of the program's own modules (the scanner's
// window) take their texts from the language file: a text of context C and
// source S is the [Text] entry "@qt/C/S" where there is one. Called at start
// and after every language switch.
void FollowInterfaceLanguageInQtDialogs();
