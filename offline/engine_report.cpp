#include "offline/engine_report.h"

#include <charconv>

#include "platform/text.h"

namespace {

std::vector<std::string_view> Split(std::string_view record, char separator, size_t limit) {
    std::vector<std::string_view> fields;
    while (fields.size() + 1 < limit) {
        const size_t end = record.find(separator);
        if (end == std::string_view::npos) break;
        fields.push_back(record.substr(0, end));
        record.remove_prefix(end + 1);
    }
    fields.push_back(record);
    return fields;
}

bool ParseBox(const std::vector<std::string_view>& fields, EngineWord& box) {
    if (fields.size() != 7) return false;
    int* const values[] = {&box.confidence, &box.left, &box.top, &box.width, &box.height};
    for (size_t i = 0; i < 5; ++i) {
        const std::string_view field = fields[i + 1];
        const auto [end, error] =
            std::from_chars(field.data(), field.data() + field.size(), *values[i]);
        if (error != std::errc() || end != field.data() + field.size()) return false;
    }
    box.text = Utf8ToWide(std::string(fields[6]));
    return true;
}

}  // namespace

EngineReport ParseEngineReport(std::string_view report) {
    EngineReport parsed;
    for (std::string_view record : Split(report, '\n', std::string_view::npos)) {
        const auto fields = Split(record, '\t', 7);
        if (fields[0] == "missing" && fields.size() == 2) {
            parsed.missingPackage = Utf8ToWide(std::string(fields[1]));
        } else if (fields[0] == "line") {
            EngineLine line;
            if (ParseBox(fields, line)) parsed.lines.push_back(std::move(line));
        } else if (fields[0] == "word" && !parsed.lines.empty()) {
            EngineWord word;
            if (ParseBox(fields, word)) parsed.lines.back().words.push_back(std::move(word));
        }
    }
    return parsed;
}
