#include "recognition/kinds.h"

#include <gtest/gtest.h>

TEST(Kinds, EachKindReachesItsEndpoint) {
    EXPECT_EQ(EndpointPathForKind(0), "/rest/2.0/ocr/v1/general_basic");
    EXPECT_EQ(EndpointPathForKind(2), "/rest/2.0/ocr/v1/general");
    EXPECT_EQ(EndpointPathForKind(3), "/rest/2.0/ocr/v1/accurate");
    EXPECT_EQ(EndpointPathForKind(7), "/rest/2.0/ocr/v1/idcard");
    EXPECT_EQ(EndpointPathForKind(10), "/rest/2.0/ocr/v1/vehicle_license");
    EXPECT_EQ(EndpointPathForKind(14), "/rest/2.0/ocr/v1/accurate_basic");
    EXPECT_EQ(EndpointPathForKind(99), "/rest/2.0/ocr/v1/general_basic");
}

TEST(Kinds, OptionsFollowTheKindTable) {
    TextOptions text;
    text.languageType = "CHN_ENG";
    EXPECT_EQ(BuildKindOptions(1, text), (FormMap{{"detect_direction", "true"},
                                                  {"detect_language", "true"},
                                                  {"language_type", "CHN_ENG"},
                                                  {"probability", "true"}}));
    EXPECT_EQ(BuildKindOptions(7, text), (FormMap{{"detect_direction", "true"},
                                                  {"detect_risk", "false"},
                                                  {"id_card_side", "back"}}));
    EXPECT_EQ(BuildKindOptions(10, text),
              (FormMap{{"accuracy", "normal"}, {"detect_direction", "true"}}));
    for (int kind : {8, 11, 12, 13, 14}) EXPECT_TRUE(BuildKindOptions(kind, text).empty()) << kind;
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
