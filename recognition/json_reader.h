#pragma once

#include <json/json.h>

#include <string>

// Parses JSON text leniently: whatever could be read (null when nothing),
// never throwing, whatever the nesting depth.
Json::Value ParseJsonLenient(const std::string& text);
