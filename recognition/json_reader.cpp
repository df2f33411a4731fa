#include "recognition/json_reader.h"

#include <memory>

Json::Value ParseJsonLenient(const std::string& text) {
    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value value;
    std::string errors;
    try {
        reader->parse(text.data(), text.data() + text.size(), &value, &errors);
    } catch (const std::exception&) {
        // Nesting beyond the reader's stack limit: nothing usable.
        return Json::Value();
    }
    return value;
}
