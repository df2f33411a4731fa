#pragma once

#include <httplib.h>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// The vendor's account server on loopback HTTPS. Every request's signature
// is checked ("SignErr" when it does not match); accounts, verification codes
// and social scenes live in memory, so a test can register, sign in, change
// the password and sign in again.
class AccountServer {
public:
    static constexpr const char* kSigningKey = "test-signing-key";
    static constexpr const char* kCode = "472913";  // every code sent is this one

    AccountServer();
    ~AccountServer();

    std::string Host() const { return "https://127.0.0.1:" + std::to_string(port_); }

    struct Account {
        std::string passwordHash;
        std::string nickName;
        int regType = 0;
    };
    void AddAccount(const std::string& name, const std::string& password,
                    const std::string& nickName, int regType = 0);
    bool HasAccount(const std::string& name) const;
    std::string PasswordHashOf(const std::string& name) const;
    // The next check of the scene reports this account as signed in.
    void CompleteSocialScene(const std::string& sceneId, const std::string& id,
                             const std::string& nickName, int regType);

    // Raw query strings as they arrived (before the signature is checked).
    std::vector<std::string> Queries(const std::string& path) const;
    // Percent-decoded parameters of the last request to a path.
    std::map<std::string, std::string> LastParameters(const std::string& path) const;

    // Replaces every answer with this text (an error page, say).
    void SetRawAnswer(const std::string& text);
    // While set, requests wait before they are answered.
    std::atomic<bool> hold{false};

private:
    std::string Answer(const std::string& path, const std::map<std::string, std::string>& query);

    std::unique_ptr<httplib::SSLServer> server_;
    std::thread thread_;
    int port_ = 0;
    mutable std::mutex mutex_;
    std::map<std::string, Account> accounts_;
    std::map<std::string, std::string> codes_;  // address → code
    std::map<std::string, Account> scenes_;     // scene → account (nickName, regType)
    std::map<std::string, std::string> sceneIds_;
    std::map<std::string, std::vector<std::string>> queries_;
    std::map<std::string, std::map<std::string, std::string>> lastParameters_;
    std::string rawAnswer_;
};

// Percent-decoding without "+" as space, as the signed text is compared.
std::string PercentDecode(const std::string& text);
