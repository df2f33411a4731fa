#include "recognition/kinds.h"

#include <array>

std::string EndpointPathForKind(int kind) {
    switch (kind) {
        case kKindTextWithPositions:
            return "/rest/2.0/ocr/v1/general";
        case kKindAccurate:
            return "/rest/2.0/ocr/v1/accurate";
        case kKindIdCardBothSides:
        case kKindIdCardFront:
        case kKindIdCardBack:
            return "/rest/2.0/ocr/v1/idcard";
        case kKindBankCard:
            return "/rest/2.0/ocr/v1/bankcard";
        case kKindDrivingLicence:
            return "/rest/2.0/ocr/v1/driving_license";
        case kKindVehicleLicence:
            return "/rest/2.0/ocr/v1/vehicle_license";
        case kKindVatInvoice:
            return "/rest/2.0/ocr/v1/vat_invoice";
        case kKindBusinessLicence:
            return "/rest/2.0/ocr/v1/business_license";
        case kKindPassport:
            return "/rest/2.0/ocr/v1/passport";
        case kKindBankAccountLicence:
            return "/rest/2.0/ocr/v1/accurate_basic";
        default:
            return "/rest/2.0/ocr/v1/general_basic";
    }
}

FormMap BuildKindOptions(int kind, const TextOptions& text) {
    FormMap options;
    auto flag = [](bool on) { return std::string(on ? "true" : "false"); };
    if (kind <= 4) {
        options["language_type"] = text.languageType;
        options["detect_direction"] = flag(text.detectDirection);
        options["detect_language"] = flag(text.detectLanguage);
        options["probability"] = flag(text.probability);
    }
    switch (kind) {
        case kKindIdCardFront:
        case kKindIdCardBack:
            options["detect_direction"] = "true";
            options["detect_risk"] = "false";
            options["id_card_side"] = kind == kKindIdCardFront ? "front" : "back";
            break;
        case kKindDrivingLicence:
            options["detect_direction"] = "true";
            break;
        case kKindVehicleLicence:
            options["detect_direction"] = "true";
            options["accuracy"] = "normal";
            break;
        default:
            break;
    }
    return options;
}

std::string LanguageTypeForNumber(unsigned number, const std::string& current) {
    static const std::array<const char*, 10> kTypes{"CHN_ENG", "ENG", "POR", "FRE", "GER",
                                                    "ITA",     "SPA", "RUS", "JAP", "KOR"};
    return number < kTypes.size() ? kTypes[number] : current;
}

unsigned LanguageNumberForSetting(int ocrLanguage) {
    if (ocrLanguage == 1) return 0;
    if (ocrLanguage >= 2 && ocrLanguage <= 9) return static_cast<unsigned>(ocrLanguage);
    return 1;
}
