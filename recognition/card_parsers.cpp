#include "recognition/card_parsers.h"

#include <array>
#include <map>

#include "app/lang_format.h"
#include "app/language_file.h"
#include "platform/text.h"
#include "recognition/json_reader.h"

namespace {

constexpr std::wstring_view kFullWidthColon = L"\uFF1A";

std::wstring Utf8Name(const std::string& name) { return Utf8ToWide(name); }

}  // namespace

std::wstring ServiceText(const Json::Value& value) {
    // asString() throws for arrays and objects, as the parser expects.
    const std::string text = value.asString();
    // The text ends at its first NUL, as a C string would.
    return Utf8ToWide(std::string_view(text.c_str()));
}

void ParseLabelledFields(const Json::Value& answer, OcrResult& result) {
    const Json::Value& words = answer["words_result"];
    for (const std::string& name : words.getMemberNames())
        result.textLines.push_back(Utf8Name(name) + std::wstring(kFullWidthColon) +
                                   ServiceText(words[name]["words"]));
}

void ParseIdentityCard(const Json::Value& answer, OcrResult& result) {
    result.cardStatus.imageStatus = LenientString(answer["image_status"]);
    result.cardStatus.riskType = LenientString(answer["risk_type"]);
    result.cardStatus.editTool = LenientString(answer["edit_tool"]);
    static const std::map<std::string, std::wstring> kRejections{
        {"reversed_side", L"ExceptIdcardRS"}, {"non_idcard", L"ExceptIdcardNoIdcard"},
        {"blurred", L"ExceptIdcardBlurred"},  {"over_exposure", L"ExceptIdcardOE"},
        {"unknown", L"ExceptIdcardUnknow"},
    };
    if (const auto it = kRejections.find(result.cardStatus.imageStatus); it != kRejections.end())
        throw CStautsException(it->second);
    ParseLabelledFields(answer, result);
}

void ParseBankCard(const Json::Value& answer, OcrResult& result) {
    const Json::Value& card = answer["result"];
    result.bankCardNumber = card["bank_card_number"].asString();
    result.bankName = ServiceText(card["bank_name"]);
    result.bankCardType = LenientInt(card["bank_card_type"]);
}

void ParseVatInvoice(const Json::Value& answer, OcrResult& result) {
    // Argument order of the "Commodity" text.
    static const std::array<const char*, 8> kGoods{
        "CommodityName",  "CommodityType",   "CommodityNum",     "CommodityUnit",
        "CommodityPrice", "CommodityAmount", "CommodityTaxRate", "CommodityTax"};
    std::map<std::string, std::vector<std::wstring>> goods;
    const Json::Value& words = answer["words_result"];
    for (const std::string& name : words.getMemberNames()) {
        const Json::Value& value = words[name];
        if (value.isString()) {
            if (name.empty() || value.asString().empty()) continue;
            const std::wstring label = LangText(Utf8Name(name));
            if (!label.empty())
                result.textLines.push_back(label + std::wstring(kFullWidthColon) +
                                           ServiceText(value));
        } else if (value.isArray()) {
            bool isGoods = false;
            for (const char* g : kGoods) isGoods = isGoods || name == g;
            if (!isGoods) continue;
            auto& list = goods[name];
            for (const Json::Value& element : value) list.push_back(ServiceText(element["word"]));
        }
    }
    const std::wstring format = LangText(L"Commodity");
    const auto& names = goods["CommodityName"];
    for (size_t i = 0; i < names.size(); ++i) {
        if (names[i].empty()) break;
        std::array<std::wstring, 8> args;
        for (size_t k = 0; k < kGoods.size(); ++k) {
            const auto& list = goods[kGoods[k]];
            if (i < list.size()) args[k] = list[i];
        }
        // A text that cannot take the eight goods fields skips the line.
        const auto line = TryFormatLangText(format, args[0], args[1], args[2], args[3], args[4],
                                            args[5], args[6], args[7]);
        if (line && !line->empty()) result.textLines.push_back(*line);
    }
}
