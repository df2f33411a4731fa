#pragma once

#include <json/json.h>

#include <memory>

#include "recognition/kinds.h"
#include "recognition/ocr_result.h"
#include "recognition/recognition_interfaces.h"
#include "recognition/service_answer.h"

// What answer parsing needs from the job and the settings.
struct ParseContext {
    KindCode jobKind = KindCode::TextOfflineFirst;   // chooses the branch (both sides for a side)
    KindCode callKind = KindCode::TextOfflineFirst;  // stored in the result (one side of a card)
    bool useHighQuality = true;
    MessageDisplay* messages = nullptr;
};

// Turns the service's answer into a result, or shows why not (transport
// errors, service errors, malformed answers, rejected identity cards) and
// returns nothing.
std::unique_ptr<OcrResult> ParseOcrAnswer(const ServiceAnswer& answer, const ParseContext& context);
// The same for an answer held whole as one tree.
std::unique_ptr<OcrResult> ParseOcrAnswer(const Json::Value& answer, const ParseContext& context);
