#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

// What a recognition run recognises: selects the endpoint, the form options
// and the branch of answer parsing. The numbers are those of the stores, the
// answers' "kind" and the command line; 4 is no kind.
enum class KindCode : int {
    TextOfflineFirst = 0,  // plain text, the local engine first
    Text = 1,
    TextWithPositions = 2,
    Accurate = 3,
    IdCardBothSides = 5,
    IdCardFront = 6,
    IdCardBack = 7,
    BankCard = 8,
    DrivingLicence = 9,
    VehicleLicence = 10,
    VatInvoice = 11,
    BusinessLicence = 12,
    Passport = 13,
    BankAccountLicence = 14,
    Table = 15,
};

constexpr int KindNumber(KindCode kind) { return static_cast<int>(kind); }
// The kind of a number; nothing for numbers no kind has.
std::optional<KindCode> KindFromNumber(int number);
// The plain-text kinds share the text options.
constexpr bool IsTextKind(KindCode kind) {
    return KindNumber(kind) <= KindNumber(KindCode::Accurate);
}

using FormMap = std::map<std::string, std::string>;

// Options of the text kinds, taken from the job.
struct TextOptions {
    std::string languageType = "ENG";
    bool detectDirection = true;
    bool detectLanguage = true;
    bool probability = true;
};

// The cloud service path for a kind.
std::string EndpointPathForKind(KindCode kind);
// The form options sent next to "image".
FormMap BuildKindOptions(KindCode kind, const TextOptions& text);
// language_type for a language number; other numbers keep `current`.
std::string LanguageTypeForNumber(unsigned number, const std::string& current);
// The language number the window derives from the stored OCRLanguage setting.
unsigned LanguageNumberForSetting(int ocrLanguage);
// The language number of a language_type ("eng" or "CHN_ENG"); nothing for
// a code that is none of the ten.
std::optional<unsigned> LanguageNumberForType(std::string_view type);
