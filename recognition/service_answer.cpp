#include "recognition/service_answer.h"

#include <optional>

#include "recognition/answer_failure.h"
#include "recognition/json_reader.h"

namespace {

constexpr std::string_view kEntriesMember = "words_result";

// Finds the element spans of one top-level array member without building a
// tree. Only the nesting is followed (strings with their escapes, brackets);
// whatever is not plain, well-nested JSON makes it give up, and the answer is
// then read whole by the real parser, which says what is wrong.
class ArraySplitter {
public:
    struct Split {
        std::size_t open = 0;   // the '[' of the array
        std::size_t close = 0;  // its ']'
        std::vector<std::pair<std::size_t, std::size_t>> elements;
    };

    explicit ArraySplitter(std::string_view text) : text_(text) {}

    std::optional<Split> Find(std::string_view member) {
        SkipBlanks();
        if (!Take('{')) return std::nullopt;
        std::optional<Split> found;
        SkipBlanks();
        if (Take('}')) return std::nullopt;
        while (true) {
            SkipBlanks();
            const std::size_t keyStart = pos_;
            if (!SkipString()) return std::nullopt;
            const std::string_view key = text_.substr(keyStart + 1, pos_ - keyStart - 2);
            SkipBlanks();
            if (!Take(':')) return std::nullopt;
            SkipBlanks();
            if (!found && key == member && Peek() == '[') {
                found = SplitArray();
                if (!found) return std::nullopt;
            } else if (!SkipValue()) {
                return std::nullopt;
            }
            SkipBlanks();
            if (Take(',')) continue;
            if (Take('}')) break;
            return std::nullopt;
        }
        SkipBlanks();
        if (pos_ != text_.size()) return std::nullopt;
        return found;
    }

private:
    char Peek() const { return pos_ < text_.size() ? text_[pos_] : '\0'; }
    bool Take(char c) {
        if (Peek() != c) return false;
        ++pos_;
        return true;
    }
    void SkipBlanks() {
        while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t' ||
                                       text_[pos_] == '\r' || text_[pos_] == '\n'))
            ++pos_;
    }
    bool SkipString() {
        if (!Take('"')) return false;
        while (pos_ < text_.size()) {
            const char c = text_[pos_++];
            if (c == '\\') {
                ++pos_;
            } else if (c == '"') {
                return pos_ <= text_.size();
            }
        }
        return false;
    }
    bool SkipValue() {
        const char c = Peek();
        if (c == '"') return SkipString();
        if (c == '{' || c == '[') {
            int depth = 0;
            while (pos_ < text_.size()) {
                const char d = text_[pos_];
                if (d == '"') {
                    if (!SkipString()) return false;
                    continue;
                }
                ++pos_;
                if (d == '{' || d == '[') ++depth;
                if ((d == '}' || d == ']') && --depth == 0) return true;
            }
            return false;
        }
        const std::size_t start = pos_;
        while (pos_ < text_.size() && text_[pos_] != ',' && text_[pos_] != '}' &&
               text_[pos_] != ']' && text_[pos_] != ' ' && text_[pos_] != '\n' &&
               text_[pos_] != '\r' && text_[pos_] != '\t')
            ++pos_;
        return pos_ > start;
    }
    std::optional<Split> SplitArray() {
        Split split;
        split.open = pos_++;
        SkipBlanks();
        if (Take(']')) {
            split.close = pos_ - 1;
            return split;
        }
        while (true) {
            SkipBlanks();
            const std::size_t start = pos_;
            if (!SkipValue()) return std::nullopt;
            split.elements.emplace_back(start, pos_);
            SkipBlanks();
            if (Take(',')) continue;
            if (Peek() != ']') return std::nullopt;
            split.close = pos_++;
            return split;
        }
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

}  // namespace

bool ReadServiceAnswer(std::string text, ServiceAnswer& answer, std::string& error) {
    answer = ServiceAnswer();
    const auto split = ArraySplitter(text).Find(kEntriesMember);
    if (!split || split->elements.empty()) return ParseJsonStrict(text, answer.value, error);

    std::string rest = text.substr(0, split->open + 1);
    rest.append(text, split->close, std::string::npos);
    if (!ParseJsonStrict(rest, answer.value, error)) return false;
    // A second member of the same name (which the parser lets win) is too
    // odd to take apart: the answer is read whole.
    const Json::Value& placeholder = answer.value[std::string(kEntriesMember)];
    if (!placeholder.isArray() || !placeholder.empty())
        return ParseJsonStrict(text, answer.value, error);
    answer.entries = split->elements;
    answer.text = std::make_shared<const std::string>(std::move(text));
    return true;
}

bool ReadEntry(const ServiceAnswer& answer, std::size_t i, Json::Value& entry, std::string& error) {
    return ParseJsonStrict(answer.Entry(i), entry, error);
}

Json::Value WholeAnswer(const ServiceAnswer& answer) {
    if (!answer.HasDeferredEntries()) return answer.value;
    Json::Value whole = answer.value;
    Json::Value& entries = whole[std::string(kEntriesMember)];
    std::string error;
    for (std::size_t i = 0; i < answer.entries.size(); ++i) {
        Json::Value entry;
        if (!ReadEntry(answer, i, entry, error))
            return MakeFailureAnswer(AnswerFailure::BrokenJson, error);
        entries.append(std::move(entry));
    }
    return whole;
}
