#include "recognition/json_reader.h"

#include <charconv>
#include <climits>
#include <memory>

namespace {

std::unique_ptr<Json::CharReader> NewReader(bool strict = false) {
    Json::CharReaderBuilder builder;
    // Text after the value is damage too, not something to ignore.
    if (strict) builder["failIfExtra"] = true;
    return std::unique_ptr<Json::CharReader>(builder.newCharReader());
}

// Digits of a string member, with an optional minus sign; nothing else counts.
std::int64_t DigitsValue(const std::string& text) {
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (begin != end && *begin == '-') {
        std::int64_t value = 0;
        const auto [ptr, ec] = std::from_chars(begin, end, value);
        return ec == std::errc() && ptr == end ? value : 0;
    }
    std::uint64_t value = 0;
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    // Ids above 2^63 keep their bits, as the unsigned number would.
    return ec == std::errc() && ptr == end ? static_cast<std::int64_t>(value) : 0;
}

}  // namespace

Json::Value ParseJsonLenient(const std::string& text) {
    Json::Value value;
    std::string errors;
    try {
        NewReader()->parse(text.data(), text.data() + text.size(), &value, &errors);
    } catch (const std::exception&) {
        // Nesting beyond the reader's stack limit: nothing usable.
        return Json::Value();
    }
    return value;
}

bool ParseJsonStrict(std::string_view text, Json::Value& value, std::string& error) {
    error.clear();
    try {
        if (NewReader(true)->parse(text.data(), text.data() + text.size(), &value, &error))
            return true;
    } catch (const std::exception& e) {
        error = e.what();
    }
    // The reader's text ends in a line break; the message shows it inline.
    while (!error.empty() && (error.back() == '\n' || error.back() == ' ')) error.pop_back();
    if (error.empty()) error = "the answer is not valid JSON";
    value = Json::Value();
    return false;
}

bool LooksLikeJson(const std::string& text) {
    for (const char c : text) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
        return c == '{' || c == '[';
    }
    return false;
}

std::int64_t LenientInt64(const Json::Value& value) {
    if (value.isInt64()) return value.asInt64();
    if (value.isUInt64()) return static_cast<std::int64_t>(value.asUInt64());
    if (value.isDouble() && value.asDouble() >= static_cast<double>(INT64_MIN) &&
        value.asDouble() < static_cast<double>(INT64_MAX))
        return static_cast<std::int64_t>(value.asDouble());
    if (value.isString()) return DigitsValue(value.asString());
    return 0;
}

int LenientInt(const Json::Value& value) {
    const std::int64_t wide = LenientInt64(value);
    return wide >= INT_MIN && wide <= INT_MAX ? static_cast<int>(wide) : 0;
}

double LenientDouble(const Json::Value& value) {
    if (value.isNumeric()) return value.asDouble();
    if (value.isString()) {
        const std::string text = value.asString();
        double number = 0;
        const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
        return ec == std::errc() && ptr == text.data() + text.size() ? number : 0;
    }
    return 0;
}

std::string LenientString(const Json::Value& value) {
    return value.isString() ? value.asString() : std::string();
}
