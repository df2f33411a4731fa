#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/message_styles.h"

struct OcrResult;

// Sent to the notify window once per image (wParam = result or 0).
inline constexpr unsigned kWmOcrResult = 0x0400 + 6;

// Shows messages by language key; the window layer shows dialogs, the command
// line prints the texts. Called from the worker thread, blocking until closed.
class MessageDisplay {
public:
    virtual ~MessageDisplay() = default;
    virtual int ShowMessageByKey(std::wstring_view key, int style,
                                 std::optional<std::wstring> fallback) = 0;
    virtual int ShowMessageByKeyFormat(std::wstring_view key, std::wstring_view argument,
                                       int style) = 0;
};

// Where an outcome belongs: the image and its place in the run's list (the
// same picture may be in one batch twice, so the path alone cannot tell).
struct ResultPlace {
    const std::wstring& imagePath;
    std::size_t position;
};

// Receives each image's outcome, synchronously: the result (or null for a
// failure, which ends the run) and the place are valid only during the call.
class NotifyWindow {
public:
    virtual ~NotifyWindow() = default;
    virtual bool IsWindow() const = 0;
    virtual void OnOcrResult(const OcrResult* result, const ResultPlace& place) = 0;
};

// The local recognition engine, used for plain text when high quality is off.
class LocalTextEngine {
public:
    virtual ~LocalTextEngine() = default;
    virtual bool IsAvailable() = 0;
    virtual bool Recognize(const std::wstring& imagePath, std::wstring& text) = 0;
    // After a failed Recognize: the engine read the picture and found no text
    // (rather than failing to read it).
    virtual bool FoundNoText() const { return false; }
};
