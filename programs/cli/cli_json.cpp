#include "programs/cli/cli_json.h"

#include "platform/text.h"
#include "recognition/result_text.h"

namespace {

std::string Compact(const Json::Value& value) {
    static const Json::StreamWriterBuilder builder = [] {
        Json::StreamWriterBuilder b;
        b["indentation"] = "";
        b["emitUTF8"] = true;
        return b;
    }();
    return Json::writeString(builder, value);
}

// The JSON string body of UTF-8 text, without the quotes around it.
std::string Escaped(const std::string& utf8) {
    std::string out;
    out.reserve(utf8.size() + 2);
    for (const char c : utf8) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char code[8];
                    std::snprintf(code, sizeof code, "\\u%04x", static_cast<unsigned char>(c));
                    out += code;
                } else {
                    out += c;
                }
        }
    }
    return out;
}

}  // namespace

void CliJsonWriter::Put(const std::string& bytes) {
    std::fwrite(bytes.data(), 1, bytes.size(), out_);
}

void CliJsonWriter::Member(const char* name) { Put(std::string("    \"") + name + "\" : "); }

void CliJsonWriter::Record(const Json::Value& fields, const OcrResult& result, bool withText) {
    Put(records_++ == 0 ? "[\n  {\n" : ",\n  {\n");
    bool first = true;
    const auto next = [&] {
        if (!first) Put(",\n");
        first = false;
    };
    for (const std::string& name : fields.getMemberNames()) {
        next();
        Put("    " + Compact(Json::Value(name)) + " : " + Compact(fields[name]));
    }
    next();
    {
        Member("lines");
        Put("[");
        for (std::size_t i = 0; i < result.textLines.size(); ++i)
            Put((i ? ", \"" : "\"") + Escaped(WideToUtf8(result.textLines[i])) + "\"");
        Put("],\n");
        Member("locations");
        Put("[");
        for (std::size_t i = 0; i < result.locations.size(); ++i) {
            const WordLocation& l = result.locations[i];
            Put((i ? ", " : "") + std::string("{\"height\" : ") + std::to_string(l.height) +
                ", \"left\" : " + std::to_string(l.left) + ", \"top\" : " + std::to_string(l.top) +
                ", \"width\" : " + std::to_string(l.width) + "}");
        }
        Put("],\n");
        Member("probabilities");
        Put("[");
        for (std::size_t i = 0; i < result.probabilities.size(); ++i) {
            const WordProbability& p = result.probabilities[i];
            Put((i ? ", " : "") + std::string("{\"average\" : ") + Compact(p.average) +
                ", \"min\" : " + Compact(p.min) + ", \"variance\" : " + Compact(p.variance) + "}");
        }
        Put("],\n");
        Member("barcodes");
        Put("[");
        for (std::size_t i = 0; i < result.barcodes.size(); ++i) {
            const FoundBarcode& barcode = result.barcodes[i];
            Json::Value position(Json::arrayValue);
            for (const auto& [x, y] : barcode.corners) {
                Json::Value corner(Json::arrayValue);
                corner.append(x);
                corner.append(y);
                position.append(corner);
            }
            Put((i ? ", " : "") + std::string("{\"format\" : ") +
                Compact(Json::Value(WideToUtf8(barcode.format))) +
                ", \"position\" : " + Compact(position) +
                ", \"text\" : " + Compact(Json::Value(WideToUtf8(barcode.text))) + "}");
        }
        Put("]");
    }
    if (withText) {
        Put(",\n");
        Member("text");
        Put("\"");
        VisitResultText(result, [&](std::wstring_view piece) { Put(Escaped(WideToUtf8(piece))); });
        Put("\"");
    }
    Put("\n  }");
}

void CliJsonWriter::Finish() { Put(records_ == 0 ? "[]\n" : "\n]\n"); }
