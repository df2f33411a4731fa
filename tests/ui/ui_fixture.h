#pragma once

#include <QAbstractButton>
#include <QWidget>
#include <string>

#include "support/temp_environment.h"

// The program's real skin packages and language files from the build, with
// every per-user folder in a temporary place.
class UiTest : public TempEnvironment {
protected:
    void SetUp() override;
    void TearDown() override;

    // A config.ini integer as the file holds it (-1 when absent).
    int StoredSetting(const wchar_t* key) const;
    // Saves a picture of the window to $TAVIOCR_SHOT_DIR when that is set.
    static void Snapshot(QWidget* window, const std::string& name);
};

// The named control of a shown window.
QWidget* Control(QWidget* window, const char* name);
void Click(QWidget* window, const char* name);
bool Shown(QWidget* window, const char* name);
QString TextOf(QWidget* window, const char* name);

#include <functional>
#include <memory>
#include <vector>

class QTimer;

// Answers every message dialog that opens while it lives: records its text,
// then lets the answer function click (by default the close button).
class DialogAnswerer {
public:
    explicit DialogAnswerer(std::function<void(QWidget* dialog)> answer = {});
    ~DialogAnswerer();
    std::vector<QString> texts;  // "context" of each dialog, in order

private:
    QTimer* poll_;
};
