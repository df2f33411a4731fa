#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "recognition/recognition_interfaces.h"

// The report an engine leaves beside its text: its lines and words with
// confidence and boxes, or the package of the model it lacks. Records that do
// not parse are skipped; a word before any line belongs to none.
struct EngineReport {
    std::wstring missingPackage;
    std::vector<EngineLine> lines;
};

EngineReport ParseEngineReport(std::string_view report);
