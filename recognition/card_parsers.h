#pragma once

#include <json/json.h>

#include <string>

#include "recognition/ocr_result.h"

// The document branches of answer parsing. They read the answer with jsoncpp's
// typed accessors, which throw on members of the wrong type; the caller turns
// that into the "JsonFormatErr" message.

// "name：value" for every member of words_result, in jsoncpp's member order;
// identity cards first check image_status and throw CStautsException.
void ParseIdentityCard(const Json::Value& answer, OcrResult& result);
void ParseLabelledFields(const Json::Value& answer, OcrResult& result);
void ParseBankCard(const Json::Value& answer, OcrResult& result);
// Labelled lines for members with a label text, then one "Commodity" line per good.
void ParseVatInvoice(const Json::Value& answer, OcrResult& result);

// Text converted as the service sends it: UTF-8, an unconvertible text empty.
std::wstring ServiceText(const Json::Value& value);
