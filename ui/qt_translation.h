#pragma once

// Qt's own dialogs (the open-file dialog, the standard context menus) speak
// the interface language: Qt's translation for it is installed, or none for
// English. Called at start and after every language switch.
void FollowInterfaceLanguageInQtDialogs();
