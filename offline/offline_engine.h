#pragma once

#include <string>

#include "platform/processes.h"
#include "recognition/recognition_interfaces.h"

// The bridge to the local recognition engine, a separate program in the
// program folder: the picture goes to it as a grey bitmap file, the text comes
// back through the private clipboard format "THOCR_FMT". One bridge per
// attempt; it never lets an engine outlive the attempt.
//
// The bitmap and the clipboard format are the user's, shared by every client
// the user runs (the window, command lines): attempts are taken one at a time
// across processes under a lock, and a bridge ends only its own engine and
// engines whose starting process is gone, never another client's.
class OfflineEngine : public LocalTextEngine {
public:
    static constexpr int kWaitMilliseconds = 5000;
    // How long an attempt waits for another client's attempt to finish.
    static constexpr int kQueueMilliseconds = 30000;

    OfflineEngine();
    // Kills an engine still running.
    ~OfflineEngine() override;
    OfflineEngine(const OfflineEngine&) = delete;
    OfflineEngine& operator=(const OfflineEngine&) = delete;

    bool IsAvailable() override;
    // True with the text when the engine gave a non-empty one; text is left
    // untouched otherwise.
    bool Recognize(const std::wstring& imagePath, std::wstring& text) override;
    bool FoundNoText() const override { return foundNoText_; }
    // Ends this bridge's engine when it still runs, and every engine of this
    // user left over by a client that has gone; true when one was ended.
    bool KillEngine();

    const std::wstring& EnginePath() const { return enginePath_; }

private:
    std::string TakeEngineText();

    std::wstring enginePath_;
    unsigned clipboardFormat_ = 0;
    ChildProcess engine_;
    bool foundNoText_ = false;
};

// The engine's exit status when it read the picture and found no text.
inline constexpr int kEngineExitNoText = 2;
// The executable name an engine process runs under, lower-cased.
inline constexpr const char* kEngineProcessName = "twyzy32.dll";
// Set in an engine's environment to the id of the process that started it:
// an engine whose parent is no longer that process was left behind.
inline constexpr const char* kEngineStarterVariable = "TAVIOCR_ENGINE_STARTER";
