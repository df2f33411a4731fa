#include "recognition/kinds.h"

#include <algorithm>
#include <array>
#include <cctype>

std::optional<KindCode> KindFromNumber(int number) {
    if (number < 0 || number > KindNumber(KindCode::Table) || number == 4) return std::nullopt;
    return static_cast<KindCode>(number);
}

std::string EndpointPathForKind(KindCode kind) {
    switch (kind) {
        case KindCode::TextWithPositions:
            return "/rest/2.0/ocr/v1/general";
        case KindCode::Accurate:
            return "/rest/2.0/ocr/v1/accurate";
        case KindCode::IdCardBothSides:
        case KindCode::IdCardFront:
        case KindCode::IdCardBack:
            return "/rest/2.0/ocr/v1/idcard";
        case KindCode::BankCard:
            return "/rest/2.0/ocr/v1/bankcard";
        case KindCode::DrivingLicence:
            return "/rest/2.0/ocr/v1/driving_license";
        case KindCode::VehicleLicence:
            return "/rest/2.0/ocr/v1/vehicle_license";
        case KindCode::VatInvoice:
            return "/rest/2.0/ocr/v1/vat_invoice";
        case KindCode::BusinessLicence:
            return "/rest/2.0/ocr/v1/business_license";
        case KindCode::Passport:
            return "/rest/2.0/ocr/v1/passport";
        case KindCode::BankAccountLicence:
            return "/rest/2.0/ocr/v1/accurate_basic";
        default:
            return "/rest/2.0/ocr/v1/general_basic";
    }
}

FormMap BuildKindOptions(KindCode kind, const TextOptions& text) {
    FormMap options;
    auto flag = [](bool on) { return std::string(on ? "true" : "false"); };
    if (IsTextKind(kind)) {
        options["language_type"] = text.languageType;
        options["detect_direction"] = flag(text.detectDirection);
        options["detect_language"] = flag(text.detectLanguage);
        options["probability"] = flag(text.probability);
    }
    switch (kind) {
        case KindCode::IdCardFront:
        case KindCode::IdCardBack:
            options["detect_direction"] = "true";
            options["detect_risk"] = "false";
            options["id_card_side"] = kind == KindCode::IdCardFront ? "front" : "back";
            break;
        case KindCode::DrivingLicence:
            options["detect_direction"] = "true";
            break;
        case KindCode::VehicleLicence:
            options["detect_direction"] = "true";
            options["accuracy"] = "normal";
            break;
        default:
            break;
    }
    return options;
}

namespace {

constexpr std::array<const char*, 10> kLanguageTypes{"CHN_ENG", "ENG", "POR", "FRE", "GER",
                                                     "ITA",     "SPA", "RUS", "JAP", "KOR"};

}  // namespace

std::string LanguageTypeForNumber(unsigned number, const std::string& current) {
    return number < kLanguageTypes.size() ? kLanguageTypes[number] : current;
}

std::optional<unsigned> LanguageNumberForType(std::string_view type) {
    for (unsigned number = 0; number < kLanguageTypes.size(); ++number) {
        const std::string_view known = kLanguageTypes[number];
        if (known.size() == type.size() &&
            std::equal(known.begin(), known.end(), type.begin(), [](char a, char b) {
                return std::toupper(static_cast<unsigned char>(a)) ==
                       std::toupper(static_cast<unsigned char>(b));
            }))
            return number;
    }
    return std::nullopt;
}

unsigned LanguageNumberForSetting(int ocrLanguage) {
    if (ocrLanguage == 1) return 0;
    if (ocrLanguage >= 2 && ocrLanguage <= 9) return static_cast<unsigned>(ocrLanguage);
    return 1;
}
