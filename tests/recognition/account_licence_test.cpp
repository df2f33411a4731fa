#include "recognition/account_licence.h"

#include <gtest/gtest.h>

TEST(AccountLicence, PicksEveryFieldByItsMarkers) {
    const std::wstring text =
        L"开户许可证核准号:J1000123456701编号:1000-01234567经审核,北京某某科技有限公司符合开户条件,"
        L"准予开立基本存款账户。法定代表人(单位负责人)"
        L"王五开户银行中国银行北京分行账号12345678901234";
    EXPECT_EQ(ParseAccountLicence(text),
              L"核准号：J1000123456701\r\n编号：1000-01234567\r\n公司名：北京某某科技有限公司\r\n"
              L"法人：王五\r\n开户银行：中国银行北京分行\r\n账号：12345678901234\r\n");
}

TEST(AccountLicence, FallsBackToOtherMarkers) {
    // No "核准号:" marker: the number sits between the title and "核准号".
    const std::wstring text = L"开户许可证J555核准号 存款账户赵六法定代表人";
    EXPECT_EQ(ParseAccountLicence(text), L"核准号：J555\r\n法人：赵六\r\n");
}

TEST(AccountLicence, BankNameTakesTheLongBranchPrefix) {
    const std::wstring text =
        L"开户许可证开立基本存款账户。招商银行股份公司法定代表人(单位负责人)"
        L"孙七开户银行北京分行账号 123";
    // The account marker is followed by a space: no account line.
    EXPECT_EQ(ParseAccountLicence(text), L"法人：孙七\r\n开户银行：招商银行股份公司北京分行\r\n");
}

TEST(AccountLicence, OtherTextsGiveNothing) {
    EXPECT_EQ(ParseAccountLicence(L"营业执照 账号123"), L"");
    EXPECT_EQ(ParseAccountLicence(L""), L"");
    EXPECT_EQ(ParseAccountLicence(L"开户许可证"), L"");
}
