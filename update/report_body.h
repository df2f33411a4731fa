#pragma once

#include <json/json.h>

#include <string>
#include <string_view>

// A report's body: the JSON text, AES-128-ECB with PKCS#7 padding under the
// statistics server's fixed key, in Base64. Empty when enciphering fails.
std::string EncipherReportBody(std::string_view json);
// The reverse, for the server side of tests; empty when the body is no such text.
std::string DecipherReportBody(std::string_view body);
// The JSON writer's text of an object, as every report sends it.
std::string ReportJsonText(const Json::Value& report);
