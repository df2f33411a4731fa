#include "engine/page_reading.h"

namespace {

void AppendRecord(std::string& report, const char* kind, const ReadBox& box) {
    report += kind;
    for (int value : {box.confidence, box.left, box.top, box.width, box.height})
        report += '\t' + std::to_string(value);
    report += '\t';
    // A record is one line of tab-separated fields.
    for (char c : box.text) report += (c == '\t' || c == '\n' || c == '\r') ? ' ' : c;
    report += '\n';
}

}  // namespace

std::string FormatReport(const PageReading& reading) {
    std::string report;
    for (size_t i = 0; i < reading.lines.size(); ++i) {
        AppendRecord(report, "line", reading.lines[i]);
        if (i < reading.words.size())
            for (const ReadBox& word : reading.words[i]) AppendRecord(report, "word", word);
    }
    return report;
}
