#pragma once

#include <map>
#include <string>

// What a recognition run recognises: selects the endpoint, the form options
// and the branch of answer parsing.
enum KindCode : int {
    kKindTextOfflineFirst = 0,
    kKindText = 1,
    kKindTextWithPositions = 2,
    kKindAccurate = 3,
    kKindIdCardBothSides = 5,
    kKindIdCardFront = 6,
    kKindIdCardBack = 7,
    kKindBankCard = 8,
    kKindDrivingLicence = 9,
    kKindVehicleLicence = 10,
    kKindVatInvoice = 11,
    kKindBusinessLicence = 12,
    kKindPassport = 13,
    kKindBankAccountLicence = 14,
    kKindTable = 15,
};

using FormMap = std::map<std::string, std::string>;

// Options of the text kinds, taken from the job.
struct TextOptions {
    std::string languageType = "ENG";
    bool detectDirection = true;
    bool detectLanguage = true;
    bool probability = true;
};

// The cloud service path for a kind (codes above 15 go like 1).
std::string EndpointPathForKind(int kind);
// The form options sent next to "image".
FormMap BuildKindOptions(int kind, const TextOptions& text);
// language_type for a language number; other numbers keep `current`.
std::string LanguageTypeForNumber(unsigned number, const std::string& current);
// The language number the window derives from the stored OCRLanguage setting.
unsigned LanguageNumberForSetting(int ocrLanguage);
