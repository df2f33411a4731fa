#pragma once

#include <string>

// How the offline engine program and the bridge that starts it meet, beyond
// the bitmap path on the command line: the environment tells the engine what
// to read and for whom, the private clipboard carries back what it read.

// The id of the process that started the engine: an engine whose parent is
// no longer that process was left behind.
inline constexpr const char* kEngineStarterVariable = "TAVIOCR_ENGINE_STARTER";
// The recognition language code of the settings ("ENG", "CHN_ENG", ...).
inline constexpr const char* kEngineLanguageVariable = "TAVIOCR_ENGINE_LANGUAGE";
// Which of a client's engines running side by side this is (0 when alone):
// each lane has its own bitmap and its own clipboard formats.
inline constexpr const char* kEngineLaneVariable = "TAVIOCR_ENGINE_LANE";

// Set when the engine is started before its bitmap is written: it loads its
// model meanwhile and waits for the bitmap to be renamed into place.
inline constexpr const char* kEngineBitmapComingVariable = "TAVIOCR_ENGINE_BITMAP_COMING";

// The engine's exit statuses that mean something to the bridge.
inline constexpr int kEngineExitText = 0;
inline constexpr int kEngineExitNoText = 2;
inline constexpr int kEngineExitNoModel = 3;

// The clipboard format of the text ("THOCR_FMT" for lane 0) and of the
// report beside it (lines and words with confidence and box, or the package
// of a missing model).
std::wstring EngineTextFormat(unsigned lane);
std::wstring EngineReportFormat(unsigned lane);
