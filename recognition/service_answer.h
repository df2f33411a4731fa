#pragma once

#include <json/json.h>

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// An answer of the OCR service. A text answer can run to tens of megabytes,
// nearly all of it the entries of "words_result"; as one jsoncpp tree it
// would take ten times its size. So the entries of a top-level "words_result"
// array stay JSON text and are read one at a time; every other member is in
// `value` (where "words_result" then reads as an empty array).
struct ServiceAnswer {
    Json::Value value;
    std::shared_ptr<const std::string> text;                   // holds the deferred entries
    std::vector<std::pair<std::size_t, std::size_t>> entries;  // [begin, end) in text

    bool HasDeferredEntries() const { return text != nullptr; }
    std::string_view Entry(std::size_t i) const {
        return std::string_view(*text).substr(entries[i].first,
                                              entries[i].second - entries[i].first);
    }
};

// The answer text read as JSON, strictly: false with the parser's text in
// `error` when it is cut off or malformed. A deferred entry is checked when it
// is read; a broken one fails the whole answer then.
bool ReadServiceAnswer(std::string text, ServiceAnswer& answer, std::string& error);
// One deferred entry; false with the parser's text when it is malformed.
bool ReadEntry(const ServiceAnswer& answer, std::size_t i, Json::Value& entry, std::string& error);

// The whole answer as one tree (an answer failure when an entry is broken).
Json::Value WholeAnswer(const ServiceAnswer& answer);
