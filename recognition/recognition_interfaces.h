#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// How one attempt of the local engine reads.
struct LocalEngineOptions {
    // The recognition language code of the settings ("ENG", "CHN_ENG", ...).
    std::string language = "CHN_ENG";
    // How long the attempt may take before it is given up (the cloud then
    // reads the picture); zero: it runs to the end.
    std::chrono::milliseconds timeLimit{5000};
    // Attempts of one client that run side by side each have their own lane.
    unsigned lane = 0;
};

// A line the local engine read: its text, its confidence (0–100) and where it
// lies in the picture, with the words it holds.
struct EngineWord {
    std::wstring text;
    int confidence = 0;
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};
struct EngineLine : EngineWord {
    std::vector<EngineWord> words;
};

// A picture of the run made ready just before it is read (a document's page
// is drawn only then): false `ready` when it could not be made; the text of a
// page that carries its own text layer.
struct MadePicture {
    bool ready = true;
    std::optional<std::wstring> textLayer;
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
    // After a failed Recognize: the package of the language model the engine
    // lacks; empty when that was not the reason.
    virtual std::wstring MissingModelPackage() const { return {}; }
    // After a successful Recognize: the lines with confidence and boxes, when
    // the engine reported them.
    virtual std::vector<EngineLine> Lines() const { return {}; }
};
