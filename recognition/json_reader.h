#pragma once

#include <json/json.h>

#include <cstdint>
#include <string>
#include <string_view>

// Parses JSON text leniently: whatever could be read (null when nothing),
// never throwing, whatever the nesting depth.
Json::Value ParseJsonLenient(const std::string& text);

// Parses JSON text whole: false with the parser's text in `error` when the
// text is cut off, malformed or nested too deeply.
bool ParseJsonStrict(std::string_view text, Json::Value& value, std::string& error);

// Whether the text could be JSON at all: its first non-blank character opens
// an object or an array (an HTML error page or a proxy's refusal does not).
bool LooksLikeJson(const std::string& text);

// Members that are only diagnostic (log ids, counts, positions, confidence)
// are read whatever shape the service sends them in: a number of any size, a
// string of digits, or nothing. A value that is none of these reads as 0, so
// a document is never lost over such a member.
std::int64_t LenientInt64(const Json::Value& value);
int LenientInt(const Json::Value& value);
double LenientDouble(const Json::Value& value);
// A string member, or empty text for any other shape.
std::string LenientString(const Json::Value& value);
