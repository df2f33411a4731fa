#pragma once

#include <json/json.h>

#include <cstdio>
#include <string>

#include "recognition/ocr_result.h"

// The --json output: one array of records, written record by record as the
// pictures' outcomes arrive. The large parts of a record (lines, locations,
// probabilities, the text) are written piece by piece straight from the
// result, never built as one tree or one string, so a huge answer is not held
// a second and third time on its way out.
class CliJsonWriter {
public:
    explicit CliJsonWriter(std::FILE* out) : out_(out) {}

    // `fields`: the record's small members (an object); the result's lines,
    // locations and probabilities follow them, and with `withText` its "text".
    void Record(const Json::Value& fields, const OcrResult& result, bool withText);
    // Closes the array ("[]" when there was no record).
    void Finish();

private:
    void Put(const std::string& bytes);
    void Member(const char* name);

    std::FILE* out_;
    int records_ = 0;
};
