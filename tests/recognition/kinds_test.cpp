#include "recognition/kinds.h"

#include <gtest/gtest.h>

TEST(Kinds, EachKindReachesItsEndpoint) {
    EXPECT_EQ(EndpointPathForKind(KindCode::TextOfflineFirst), "/rest/2.0/ocr/v1/general_basic");
    EXPECT_EQ(EndpointPathForKind(KindCode::TextWithPositions), "/rest/2.0/ocr/v1/general");
    EXPECT_EQ(EndpointPathForKind(KindCode::Accurate), "/rest/2.0/ocr/v1/accurate");
    EXPECT_EQ(EndpointPathForKind(KindCode::IdCardBack), "/rest/2.0/ocr/v1/idcard");
    EXPECT_EQ(EndpointPathForKind(KindCode::VehicleLicence), "/rest/2.0/ocr/v1/vehicle_license");
    EXPECT_EQ(EndpointPathForKind(KindCode::BankAccountLicence), "/rest/2.0/ocr/v1/accurate_basic");
}

TEST(Kinds, OptionsFollowTheKindTable) {
    TextOptions text;
    text.languageType = "CHN_ENG";
    EXPECT_EQ(BuildKindOptions(KindCode::Text, text), (FormMap{{"detect_direction", "true"},
                                                               {"detect_language", "true"},
                                                               {"language_type", "CHN_ENG"},
                                                               {"probability", "true"}}));
    EXPECT_EQ(BuildKindOptions(KindCode::IdCardBack, text), (FormMap{{"detect_direction", "true"},
                                                                     {"detect_risk", "false"},
                                                                     {"id_card_side", "back"}}));
    EXPECT_EQ(BuildKindOptions(KindCode::VehicleLicence, text),
              (FormMap{{"accuracy", "normal"}, {"detect_direction", "true"}}));
    for (KindCode kind : {KindCode::BankCard, KindCode::VatInvoice, KindCode::BusinessLicence,
                          KindCode::Passport, KindCode::BankAccountLicence})
        EXPECT_TRUE(BuildKindOptions(kind, text).empty()) << KindNumber(kind);
}

// Numbers from stores and the command line: 4 and anything past 15 are no kind.
TEST(Kinds, OnlyNumbersOfKindsAreKinds) {
    EXPECT_EQ(KindFromNumber(15), KindCode::Table);
    for (int number : {-1, 4, 16, 99}) EXPECT_FALSE(KindFromNumber(number)) << number;
}

TEST(Kinds, StoredLanguageSettingChoosesTheLanguageType) {
    auto sent = [](int stored) {
        return LanguageTypeForNumber(LanguageNumberForSetting(stored), "ENG");
    };
    EXPECT_EQ(sent(0), "ENG");
    EXPECT_EQ(sent(1), "CHN_ENG");
    EXPECT_EQ(sent(2), "POR");
    EXPECT_EQ(sent(9), "KOR");
    EXPECT_EQ(sent(-1), "ENG");
    EXPECT_EQ(sent(10), "ENG");
    EXPECT_EQ(LanguageTypeForNumber(10, "JAP"), "JAP");  // unknown numbers keep the last one
}
