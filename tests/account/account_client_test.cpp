// The account client against a loopback server that checks every signature.

#include "account/account_client.h"

#include <gtest/gtest.h>

#include <regex>

#include "account/email_check.h"
#include "account/signed_in_user.h"
#include "net/endpoints.h"
#include "platform/text.h"
#include "support/account_server.h"
#include "support/temp_environment.h"
#include "support/test_certificates.h"

namespace {

// A social account as the test server numbers it.
constexpr SignInType kSocial = static_cast<SignInType>(3);

class AccountClientTest : public TempEnvironment {
protected:
    void SetUp() override {
        TempEnvironment::SetUp();
        Endpoints().caBundle = Certificates().caFile;
    }

    AccountClient Client() {
        AccountRequestContext context;
        context.host = server_.Host();
        context.locale = L"en_GB";
        context.version = AccountVersion("1.2.3.4");
        context.machineCode = L"0123456789ABCDEF";
        context.partnerId = L"0";
        context.signingKey = AccountServer::kSigningKey;
        return AccountClient(context);
    }

    AccountServer server_;
};

TEST_F(AccountClientTest, UserNamesAreEscapedOnlyWhereTheServerExpectsItAndAlwaysSignedRaw) {
    // Social account ids are not e-mail addresses: they may hold anything.
    const std::wstring user = L"a+b c@example.com";
    AccountClient client = Client();
    ASSERT_TRUE(client.Register(user, L"secret", L"", kSocial)) << WideToUtf8(client.ErrorKey());
    ASSERT_TRUE(client.SignIn(user, L"secret", false, kSocial)) << WideToUtf8(client.ErrorKey());
    EXPECT_EQ(client.NickName(), L"a+b c");

    for (const char* path : {"/v1.0/register.php", "/v1.0/getuserinfo.php"}) {
        const std::string query = server_.Queries(path).back();
        EXPECT_NE(query.find("username=a%2Bb%20c%40example.com"), std::string::npos) << query;
    }
    // The signature covers the text before it and is never part of it.
    for (const std::string& query : server_.Queries("/v1.0/getuserinfo.php")) {
        EXPECT_EQ(query.find("&s="), query.rfind("&s="));
        EXPECT_EQ(query.rfind("&s=") + 3 + 32, query.size());
    }

    server_.AddAccount("x+y@example.com", "old", "x");
    ASSERT_TRUE(client.ChangePassword(L"x+y@example.com", L"old", L"new"))
        << WideToUtf8(client.ErrorKey());
    EXPECT_NE(server_.Queries("/v1.0/modify.php").back().find("username=x+y@example.com"),
              std::string::npos);
    EXPECT_TRUE(client.SignIn(L"x+y@example.com", PasswordToken(L"new"), true, SignInType::Email));
}

TEST_F(AccountClientTest, NoClearPasswordEverReachesTheServer) {
    server_.AddAccount("me@example.com", "Sesame-42", "me");
    AccountClient client = Client();
    client.SignIn(L"me@example.com", L"Sesame-42", false, SignInType::Email);
    client.ChangePassword(L"me@example.com", L"Sesame-42", L"Open-43");
    client.SendCaptcha(L"me@example.com", true);
    client.ResetPassword(L"me@example.com", Utf8ToWide(AccountServer::kCode), L"Again-44");
    client.Register(L"new@example.com", L"Fresh-45", L"1", SignInType::Email);
    const std::regex hash("(password|newpass)=([^&]*)");
    for (const char* path : {"/v1.0/getuserinfo.php", "/v1.0/modify.php", "/v1.0/register.php"}) {
        ASSERT_FALSE(server_.Queries(path).empty()) << path;
        for (const std::string& query : server_.Queries(path)) {
            for (const char* clear : {"Sesame", "Open", "Again", "Fresh"})
                EXPECT_EQ(query.find(clear), std::string::npos) << query;
            for (auto it = std::sregex_iterator(query.begin(), query.end(), hash);
                 it != std::sregex_iterator(); ++it) {
                const std::string value = (*it)[2];
                EXPECT_TRUE(value.empty() || std::regex_match(value, std::regex("[0-9a-f]{32}")))
                    << query;
            }
        }
    }
    EXPECT_EQ(server_.PasswordHashOf("me@example.com"), WideToUtf8(PasswordToken(L"Again-44")));
}

TEST_F(AccountClientTest, FailuresBecomeTheKeysTheDialogsShow) {
    AccountClient client = Client();
    server_.AddAccount("me@example.com", "right", "me");

    EXPECT_FALSE(client.ChangePassword(L"me@example.com", L"wrong", L"new"));
    EXPECT_EQ(client.ErrorKey(), L"OldPassIsError");
    EXPECT_FALSE(client.ResetPassword(L"me@example.com", L"000000", L"new"));
    EXPECT_EQ(client.ErrorKey(), L"VerifyCodeIsError");
    EXPECT_FALSE(client.SignIn(L"me@example.com", L"wrong", false, SignInType::Email));
    EXPECT_EQ(client.ErrorKey(), L"PassIsError");
    EXPECT_EQ(client.ErrorMessage(), L"The password is wrong.");
    // A wrong code is the wrong-code message also when registering.
    EXPECT_FALSE(client.Register(L"new@example.com", L"pw", L"1", SignInType::Email));
    EXPECT_EQ(client.ErrorKey(), L"VerifyCodeIsError");
    client.SendCaptcha(L"me@example.com", false);
    EXPECT_FALSE(client.Register(L"me@example.com", L"pw", Utf8ToWide(AccountServer::kCode),
                                 SignInType::Email));
    EXPECT_EQ(client.ErrorKey(), L"UserExist");
    EXPECT_EQ(client.ErrorMessage(), L"This account already exists.");

    AccountRequestContext wrongKey;
    wrongKey.host = server_.Host();
    wrongKey.signingKey = "another-key";
    AccountClient unsigned_(wrongKey);
    EXPECT_FALSE(unsigned_.SignIn(L"me@example.com", L"right", false, SignInType::Email));
    EXPECT_EQ(unsigned_.ErrorKey(), L"SignErr");

    server_.SetRawAnswer("<html><body>502 Bad Gateway</body></html>");
    EXPECT_FALSE(client.SignIn(L"me@example.com", L"right", false, SignInType::Email));
    EXPECT_EQ(client.ErrorKey(), L"ErrNetworkLost");
    server_.SetRawAnswer("{\"result\": 1,");
    EXPECT_FALSE(client.SignIn(L"me@example.com", L"right", false, SignInType::Email));
    EXPECT_EQ(client.ErrorKey(), L"");

    // A certificate nobody trusts: the secure connection failed, which is not
    // a lost network (and no fallback tries the address another way).
    Endpoints().caBundle.clear();
    EXPECT_FALSE(client.SignIn(L"me@example.com", L"right", false, SignInType::Email));
    EXPECT_EQ(client.ErrorKey(), L"SecureConnectionFailed");
    Endpoints().caBundle = Certificates().caFile;
}

TEST_F(AccountClientTest, SocialSignInCompletesOnlyOnceTheServerReportsIt) {
    AccountClient client = Client();
    SocialAccount account;
    EXPECT_FALSE(client.CheckSocialLogin(L"scene1", account));
    EXPECT_EQ(client.ErrorKey(), L"");
    server_.CompleteSocialScene("scene1", "fb-1001", "Ann", 3);
    ASSERT_TRUE(client.CheckSocialLogin(L"scene1", account));
    EXPECT_EQ(account.account, L"fb-1001");
    EXPECT_EQ(account.nickName, L"Ann");
    EXPECT_EQ(account.loginType, kSocial);
}

TEST_F(AccountClientTest, AStoredSignInNeedsNameAndNickAndSignOutForgetsIt) {
    SignedInUser user;
    const std::wstring password = L"pw";
    SaveSignIn(user, L"me@example.com", L"Me", &password, SignInType::Email);
    SignedInUser loaded;
    LoadSignedInUser(loaded);
    EXPECT_TRUE(loaded.IsSignedIn());
    EXPECT_EQ(loaded.token, PasswordToken(L"pw"));

    SignOut(user);
    LoadSignedInUser(loaded);
    EXPECT_FALSE(loaded.IsSignedIn());
    EXPECT_TRUE(loaded.token.empty());
    EXPECT_EQ(loaded.loginType, SignInType::Email);

    SaveSignIn(user, L"me@example.com", L"", nullptr, SignInType::Email);
    LoadSignedInUser(loaded);
    EXPECT_FALSE(loaded.IsSignedIn());
}

}  // namespace

TEST(EmailCheckTest, TakesPlainAddressesOnly) {
    EXPECT_TRUE(IsValidEmail(L"a@b.c"));
    EXPECT_TRUE(IsValidEmail(L"first.last-1_x@mail.example.co.uk"));
    EXPECT_FALSE(IsValidEmail(L"a@bcd"));        // no dot after the at sign
    EXPECT_FALSE(IsValidEmail(L"a@b.c.d.e.f"));  // four dots after it
    EXPECT_FALSE(IsValidEmail(L"ab.@c.d"));      // a dot right before it
    EXPECT_FALSE(IsValidEmail(L"ab@.cd"));
    EXPECT_FALSE(IsValidEmail(L"a@b@c.d"));
    EXPECT_FALSE(IsValidEmail(L"ab@cd."));
    EXPECT_FALSE(IsValidEmail(L"a b@c.d"));
    EXPECT_FALSE(IsValidEmail(L"a@.c"));  // too short as well
}
