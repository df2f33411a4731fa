#pragma once

#include <string>

#include "platform/processes.h"
#include "recognition/recognition_interfaces.h"

// The bridge to the local recognition engine, a separate program in the
// program folder: the picture goes to it as a grey bitmap file, the text comes
// back through the private clipboard format "THOCR_FMT". One bridge per
// attempt; it never lets an engine outlive the attempt.
class OfflineEngine : public LocalTextEngine {
public:
    static constexpr int kWaitMilliseconds = 5000;

    OfflineEngine();
    // Kills an engine still running.
    ~OfflineEngine() override;
    OfflineEngine(const OfflineEngine&) = delete;
    OfflineEngine& operator=(const OfflineEngine&) = delete;

    bool IsAvailable() override;
    // True with the text when the engine gave a non-empty one; text is left
    // untouched otherwise.
    bool Recognize(const std::wstring& imagePath, std::wstring& text) override;
    // Ends the first running engine found by its executable name.
    bool KillEngine();

    const std::wstring& EnginePath() const { return enginePath_; }

private:
    std::string TakeEngineText();

    std::wstring enginePath_;
    unsigned clipboardFormat_ = 0;
    ChildProcess engine_;
};

// The executable name an engine process runs under, lower-cased.
inline constexpr const char* kEngineProcessName = "twyzy32.dll";
