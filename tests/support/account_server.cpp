#include "support/account_server.h"

#include <json/json.h>
#include <openssl/evp.h>

#include <cctype>
#include <chrono>

#include "support/test_certificates.h"

namespace {

// Written independently of the program's own helper, so a fault there
// cannot hide itself.
std::string Md5(const std::string& text) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(text.data(), text.size(), digest, &length, EVP_md5(), nullptr);
    static constexpr char kHex[] = "0123456789abcdef";
    std::string hex;
    for (unsigned int i = 0; i < length; ++i) {
        hex += kHex[digest[i] >> 4];
        hex += kHex[digest[i] & 0xF];
    }
    return hex;
}

std::map<std::string, std::string> SplitQuery(const std::string& query) {
    std::map<std::string, std::string> values;
    std::size_t start = 0;
    while (start <= query.size()) {
        std::size_t end = query.find('&', start);
        if (end == std::string::npos) end = query.size();
        const std::string pair = query.substr(start, end - start);
        const std::size_t equals = pair.find('=');
        if (equals != std::string::npos)
            values[pair.substr(0, equals)] = PercentDecode(pair.substr(equals + 1));
        start = end + 1;
    }
    return values;
}

std::string Failure(const std::string& key, const std::string& message = {}) {
    Json::Value answer;
    answer["result"] = 0;
    answer["errInfo"] = key;
    answer["errMsg"] = message;
    return Json::FastWriter().write(answer);
}

std::string Success(Json::Value answer = Json::Value(Json::objectValue)) {
    answer["result"] = 1;
    return Json::FastWriter().write(answer);
}

}  // namespace

std::string PercentDecode(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && std::isxdigit(text[i + 1]) &&
            std::isxdigit(text[i + 2])) {
            out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

AccountServer::AccountServer() {
    const TestCertificates& certificates = Certificates();
    server_ = std::make_unique<httplib::SSLServer>(certificates.serverCert.c_str(),
                                                   certificates.serverKey.c_str());
    server_->Get(R"(/v1\.0/.*)", [this](const httplib::Request& req, httplib::Response& res) {
        while (hold) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        const std::size_t mark = req.target.find('?');
        const std::string query = mark == std::string::npos ? "" : req.target.substr(mark + 1);
        std::string answer;
        {
            std::lock_guard lock(mutex_);
            queries_[req.path].push_back(query);
            answer = rawAnswer_;
        }
        if (!answer.empty()) {
            res.set_content(answer, "text/html");
            return;
        }
        const std::size_t signature = query.rfind("&s=");
        if (signature == std::string::npos || Md5(PercentDecode(query.substr(0, signature)) +
                                                  kSigningKey) != query.substr(signature + 3)) {
            res.set_content(Failure("SignErr", "The signature does not match."),
                            "application/json");
            return;
        }
        const auto parameters = SplitQuery(query.substr(0, signature));
        std::lock_guard lock(mutex_);
        lastParameters_[req.path] = parameters;
        res.set_content(Answer(req.path, parameters), "application/json");
    });
    port_ = server_->bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_->listen_after_bind(); });
    while (!server_->is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

AccountServer::~AccountServer() {
    hold = false;
    server_->stop();
    thread_.join();
}

std::string AccountServer::Answer(const std::string& path,
                                  const std::map<std::string, std::string>& query) {
    const auto value = [&](const char* name) {
        const auto it = query.find(name);
        return it == query.end() ? std::string() : it->second;
    };
    const std::string user = value("username");
    if (path == "/v1.0/sendcaptcha.php") {
        codes_[value("email")] = kCode;
        return Success();
    }
    if (path == "/v1.0/register.php") {
        const int regType = std::atoi(value("reg_type").c_str());
        if (regType == 0 && (codes_.count(user) == 0 || codes_[user] != value("verify")))
            return Failure("VerifyFailed", "");
        if (accounts_.count(user)) return Failure("UserExist", "This account already exists.");
        accounts_[user] = Account{value("password"), user.substr(0, user.find('@')), regType};
        for (const auto& [scene, account] : scenes_)
            if (sceneIds_[scene] == user) accounts_[user].nickName = account.nickName;
        return Success();
    }
    if (path == "/v1.0/getuserinfo.php") {
        const auto it = accounts_.find(user);
        if (it == accounts_.end()) return Failure("UserNotExist");
        if (it->second.passwordHash != value("password"))
            return Failure("PassIsError", "The password is wrong.");
        Json::Value answer;
        answer["data"]["nickname"] = it->second.nickName;
        answer["data"]["id"] = user;
        return Success(answer);
    }
    if (path == "/v1.0/modify.php") {
        const auto it = accounts_.find(user);
        if (it == accounts_.end()) return Failure("UserNotExist");
        if (value("by_pass") == "1" && it->second.passwordHash != value("password"))
            return Failure("OldPassIsError");
        if (value("by_pass") == "0" && (codes_.count(user) == 0 || codes_[user] != value("verify")))
            return Failure("VerifyFailed");
        it->second.passwordHash = value("newpass");
        return Success();
    }
    if (path == "/v1.0/login_authorized/check.php") {
        const std::string scene = value("scene_id");
        Json::Value answer;
        const auto it = scenes_.find(scene);
        answer["login_result"] = it == scenes_.end() ? 0 : 1;
        if (it != scenes_.end()) {
            answer["data"]["id"] = sceneIds_[scene];
            answer["data"]["nickname"] = it->second.nickName;
            answer["data"]["reg_type"] = it->second.regType;
        }
        return Success(answer);
    }
    return Failure("UnknownRequest");
}

void AccountServer::AddAccount(const std::string& name, const std::string& password,
                               const std::string& nickName, int regType) {
    std::lock_guard lock(mutex_);
    accounts_[name] = Account{Md5(password), nickName, regType};
}

bool AccountServer::HasAccount(const std::string& name) const {
    std::lock_guard lock(mutex_);
    return accounts_.count(name) != 0;
}

std::string AccountServer::PasswordHashOf(const std::string& name) const {
    std::lock_guard lock(mutex_);
    const auto it = accounts_.find(name);
    return it == accounts_.end() ? std::string() : it->second.passwordHash;
}

void AccountServer::CompleteSocialScene(const std::string& sceneId, const std::string& id,
                                        const std::string& nickName, int regType) {
    std::lock_guard lock(mutex_);
    scenes_[sceneId] = Account{{}, nickName, regType};
    sceneIds_[sceneId] = id;
}

std::vector<std::string> AccountServer::Queries(const std::string& path) const {
    std::lock_guard lock(mutex_);
    const auto it = queries_.find(path);
    return it == queries_.end() ? std::vector<std::string>{} : it->second;
}

std::map<std::string, std::string> AccountServer::LastParameters(const std::string& path) const {
    std::lock_guard lock(mutex_);
    const auto it = lastParameters_.find(path);
    return it == lastParameters_.end() ? std::map<std::string, std::string>{} : it->second;
}

void AccountServer::SetRawAnswer(const std::string& text) {
    std::lock_guard lock(mutex_);
    rawAnswer_ = text;
}
