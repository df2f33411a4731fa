#pragma once

#include <string>

#include "platform/processes.h"
#include "recognition/recognition_interfaces.h"

// The bridge to the local recognition engine, a separate program in the
// program folder: the picture goes to it as a grey bitmap file, the text comes
// back through the private clipboard format "THOCR_FMT". One bridge per
// attempt; it never lets an engine outlive the attempt.
//
// The bitmap and the clipboard formats of a lane are the user's, shared by
// every client the user runs (the window, command lines): attempts in one
// lane are taken one at a time across processes under a lock, and a bridge
// ends only its own engine and engines whose starting process is gone, never
// another client's.
class OfflineEngine : public LocalTextEngine {
public:
    // How long an attempt waits for another client's attempt in its lane.
    static constexpr int kQueueMilliseconds = 30000;

    explicit OfflineEngine(LocalEngineOptions options = {});
    // Kills an engine still running.
    ~OfflineEngine() override;
    OfflineEngine(const OfflineEngine&) = delete;
    OfflineEngine& operator=(const OfflineEngine&) = delete;

    bool IsAvailable() override;
    // True with the text when the engine gave a non-empty one; text is left
    // untouched otherwise.
    bool Recognize(const std::wstring& imagePath, std::wstring& text) override;
    bool FoundNoText() const override { return foundNoText_; }
    std::wstring MissingModelPackage() const override { return missingPackage_; }
    std::vector<EngineLine> Lines() const override { return lines_; }
    // Ends this bridge's engine when it still runs, and every engine of this
    // user left over by a client that has gone; true when one was ended.
    bool KillEngine();

    const std::wstring& EnginePath() const { return enginePath_; }

private:
    // Empties this lane's clipboard formats, handing back what they held.
    std::pair<std::string, std::string> TakeEngineBlocks();

    LocalEngineOptions options_;
    std::wstring enginePath_;
    ChildProcess engine_;
    bool foundNoText_ = false;
    std::wstring missingPackage_;
    std::vector<EngineLine> lines_;
};

// The executable name an engine process runs under, lower-cased.
inline constexpr const char* kEngineProcessName = "twyzy32.dll";
