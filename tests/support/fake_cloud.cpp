#include "support/fake_cloud.h"

#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <zip.h>

#include <QByteArray>
#include <QImage>
#include <chrono>
#include <cstdlib>
#include <regex>

#include "support/test_certificates.h"

namespace {

std::string PercentDecode(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            out += static_cast<char>(std::strtol(text.substr(i + 1, 2).c_str(), nullptr, 16));
            i += 2;
        } else {
            out += text[i] == '+' ? ' ' : text[i];
        }
    }
    return out;
}

std::map<std::string, std::string> DecodeForm(const std::string& body) {
    std::map<std::string, std::string> form;
    size_t pos = 0;
    while (pos < body.size()) {
        size_t end = body.find('&', pos);
        if (end == std::string::npos) end = body.size();
        const std::string pair = body.substr(pos, end - pos);
        pos = end + 1;
        const size_t eq = pair.find('=');
        if (eq == std::string::npos) continue;
        form[PercentDecode(pair.substr(0, eq))] = PercentDecode(pair.substr(eq + 1));
    }
    return form;
}

std::string Base64(const std::string& bytes) {
    std::string out(4 * ((bytes.size() + 2) / 3) + 1, '\0');
    const int n = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                                  reinterpret_cast<const unsigned char*>(bytes.data()),
                                  static_cast<int>(bytes.size()));
    out.resize(static_cast<size_t>(n));
    return out;
}

bool IsBase64(const std::string& text) {
    return !text.empty() && text.size() % 4 == 0 &&
           text.find_first_not_of(
               "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/=") ==
               std::string::npos;
}

// The gateway's signature, computed here from its documentation, not with the
// program's code.
std::string GatewaySignature(const httplib::Request& req, const std::string& secret) {
    std::string text = "POST\n" + req.get_header_value("Accept") + "\n\n" +
                       req.get_header_value("Content-Type") + "\n\n";
    for (const char* name : {"X-Ca-Key", "X-Ca-Nonce", "X-Ca-Timestamp"})
        text += std::string(name) + ":" + req.get_header_value(name) + "\n";
    text += req.path;
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    HMAC(EVP_sha256(), secret.data(), static_cast<int>(secret.size()),
         reinterpret_cast<const unsigned char*>(text.data()), text.size(), digest, &length);
    return Base64(std::string(reinterpret_cast<char*>(digest), length));
}

const char* kLocation = R"("location": {"top": 12, "left": 30, "width": 220, "height": 24})";

}  // namespace

FakeCloud::FakeCloud(bool useStrangerCertificate) {
    const TestCertificates& certs = Certificates();
    server_ = std::make_unique<httplib::SSLServer>(
        (useStrangerCertificate ? certs.strangerCert : certs.serverCert).c_str(),
        (useStrangerCertificate ? certs.strangerKey : certs.serverKey).c_str());
    server_->set_payload_max_length(256 * 1024 * 1024);
    server_->set_tcp_nodelay(true);

    server_->Get("/oauth/2.0/token", [this](const httplib::Request& req, httplib::Response& res) {
        Request r;
        Record(req, r);
        if (Misbehave(res)) return;
        if (req.get_param_value("grant_type") != "client_credentials" ||
            req.get_param_value("client_id") != kApiKey ||
            req.get_param_value("client_secret") != kSecretKey) {
            res.set_content(
                R"({"error": "invalid_client", "error_description": "unknown client id"})",
                "application/json");
            return;
        }
        std::lock_guard lock(mutex_);
        ++tokensIssued_;
        res.set_content(R"({"access_token": "24.token)" + std::to_string(tokensIssued_) +
                            R"(", "expires_in": 2592000, "scope": "public brain_all_scope",
                            "session_key": "x", "refresh_token": "25.r"})",
                        "application/json");
    });

    // The handler reads the body itself: the library refuses form bodies
    // larger than 8 KiB on its own, and images are megabytes.
    server_->Post(R"(/rest/2\.0/ocr/v1/([a-z_]+))", [this](const httplib::Request& req,
                                                           httplib::Response& res,
                                                           const httplib::ContentReader& content) {
        std::string body;
        content([&](const char* data, size_t size) {
            body.append(data, size);
            return true;
        });
        Request r;
        Record(req, r, &body);
        if (Misbehave(res)) return;
        const std::string token = req.get_param_value("access_token");
        bool tokenKnown = false;
        {
            std::lock_guard lock(mutex_);
            for (int i = 1; i <= tokensIssued_; ++i)
                tokenKnown = tokenKnown || token == "24.token" + std::to_string(i);
        }
        if (!tokenKnown || req.get_param_value("aipSdk") != "C") {
            res.set_content(
                R"({"error_code": 110, "error_msg": "Access token invalid or no longer valid"})",
                "application/json");
            return;
        }
        if (req.get_header_value("Content-Type") != "application/x-www-form-urlencoded" ||
            !IsBase64(r.form["image"])) {
            res.set_content(
                R"({"error_code": 216201, "error_msg": "image format error", "log_id": 9})",
                "application/json");
            return;
        }
        if (const std::string refusal = PictureRefusal(r.form["image"]); !refusal.empty()) {
            res.set_content(refusal, "application/json");
            return;
        }
        std::string answer;
        {
            std::lock_guard lock(mutex_);
            if (auto q = queued_.find(req.path); q != queued_.end() && !q->second.empty()) {
                answer = q->second.front();
                q->second.erase(q->second.begin());
            } else if (auto a = answers_.find(req.path); a != answers_.end()) {
                answer = a->second;
            }
        }
        if (answer.empty()) {
            answer = DefaultAnswer(req.path, r);
            std::lock_guard lock(mutex_);
            if (!logId_.empty())
                answer = std::regex_replace(answer, std::regex(R"("log_id": \d+)"),
                                            "\"log_id\": " + logId_);
        }
        res.set_content(answer, "application/json;charset=UTF-8");
    });

    server_->Post("/api/predict/ocr_table_parse", [this](const httplib::Request& req,
                                                         httplib::Response& res) {
        Request r;
        Record(req, r);
        if (Misbehave(res)) return;
        const long long now = std::chrono::duration_cast<std::chrono::milliseconds>(
                                  std::chrono::system_clock::now().time_since_epoch())
                                  .count();
        const long long stamp = std::atoll(req.get_header_value("X-Ca-Timestamp").c_str());
        if (req.get_header_value("X-Ca-Key") != kTableKey ||
            req.get_header_value("X-Ca-Signature-Method") != "HmacSHA256" ||
            req.get_header_value("X-Ca-Signature") != GatewaySignature(req, kTableSecret)) {
            res.status = 400;
            res.set_header("X-Ca-Error-Message", "Invalid Signature");
            res.set_content(R"({"message": "Invalid Signature"})", "application/json");
            return;
        }
        if (std::llabs(now - stamp) > 15 * 60 * 1000) {
            res.status = 400;
            res.set_content(R"({"message": "Invalid Timestamp"})", "application/json");
            return;
        }
        if (req.body.find(R"("image" : "")") != std::string::npos) {
            res.set_content(R"({"success": false, "error_msg": "empty image"})",
                            "application/json");
            return;
        }
        std::string answer;
        {
            std::lock_guard lock(mutex_);
            answer = tableAnswer_;
        }
        if (answer.empty())
            answer = R"({"success": true, "request_id": "20261207", "tables": ")" +
                     Base64(MakeWorkbook({{"Name", "Amount"}, {"Paper", "12.50"}})) + "\"}";
        res.set_content(answer, "application/json");
    });

    port_ = server_->bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_->listen_after_bind(); });
    while (!server_->is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

FakeCloud::~FakeCloud() {
    server_->stop();
    if (thread_.joinable()) thread_.join();
}

void FakeCloud::Record(const httplib::Request& req, Request& out, const std::string* body) {
    out.method = req.method;
    out.path = req.path;
    out.body = body ? *body : req.body;
    for (const auto& [k, v] : req.headers) out.headers[k] = v;
    if (req.method == "POST" && req.path.starts_with("/rest/")) {
        out.form = DecodeForm(out.body);
        // Query parameters are those of the URL only, not of the form body.
        const size_t q = req.target.find('?');
        if (q != std::string::npos) {
            const auto query = DecodeForm(req.target.substr(q + 1));
            out.query.insert(query.begin(), query.end());
        }
    } else {
        for (const auto& [k, v] : req.params) out.query[k] = v;
    }
    std::lock_guard lock(mutex_);
    requests_.push_back(out);
}

bool FakeCloud::Misbehave(httplib::Response& res) {
    switch (behaviour_.load()) {
        case Behaviour::Normal:
            return false;
        case Behaviour::Stall:
            std::this_thread::sleep_for(std::chrono::seconds(3));
            res.set_content("{}", "application/json");
            return true;
        case Behaviour::Garbage:
            res.status = 502;
            res.set_content("<html><body>502 Bad Gateway</body></html>", "text/html");
            return true;
        case Behaviour::EmptyBody:
            res.set_content("", "application/json");
            return true;
        case Behaviour::Huge: {
            constexpr size_t kTotal = 100 * 1024 * 1024;
            res.set_content_provider(kTotal, "application/json",
                                     [](size_t offset, size_t length, httplib::DataSink& sink) {
                                         static const std::string chunk(1 << 20, ' ');
                                         (void)offset;
                                         return sink.write(chunk.data(),
                                                           std::min(length, chunk.size()));
                                     });
            return true;
        }
    }
    return false;
}

std::string FakeCloud::DefaultAnswer(const std::string& path, const Request& request) const {
    const std::string ocr = "/rest/2.0/ocr/v1/";
    const std::string endpoint = path.substr(ocr.size());
    if (endpoint == "idcard") {
        if (request.form.count("id_card_side") && request.form.at("id_card_side") == "back")
            return R"({"log_id": 2002, "image_status": "normal", "risk_type": "normal", "edit_tool": "",
                "words_result_num": 3, "words_result": {
                "签发机关": {"words": "北京市公安局", )" +
                   std::string(kLocation) + R"(},
                "签发日期": {"words": "20200101", )" +
                   kLocation + R"(},
                "失效日期": {"words": "20400101", )" +
                   kLocation + R"(}}})";
        return R"({"log_id": 2001, "direction": 0, "image_status": "normal", "risk_type": "normal",
            "edit_tool": "", "words_result_num": 3, "words_result": {
            "姓名": {"words": "张三", )" +
               std::string(kLocation) + R"(},
            "住址": {"words": "北京市东城区东华门街道", )" +
               kLocation + R"(},
            "公民身份号码": {"words": "110101199003070011", )" +
               kLocation + R"(}}})";
    }
    if (endpoint == "bankcard")
        return R"({"log_id": 3001, "result": {"bank_card_number": "6222 6000 1234 5678",
            "valid_date": "NO VALID", "bank_card_type": 1, "bank_name": "交通银行"}})";
    if (endpoint == "driving_license" || endpoint == "vehicle_license" ||
        endpoint == "business_license" || endpoint == "passport")
        return R"({"log_id": 4001, "words_result_num": 2, "words_result": {
            "姓名": {"words": "李四"}, "证号": {"words": "110101199003070011"}}})";
    if (endpoint == "vat_invoice")
        return R"({"log_id": 5001, "words_result_num": 6, "words_result": {
            "InvoiceNum": "14641426", "InvoiceDate": "2026年12月01日", "SellerName": "某某科技有限公司",
            "UnknownMember": "ignored", "TotalAmount": "200.00",
            "CommodityName": [{"row": "1", "word": "打印纸"}, {"row": "2", "word": "墨盒"}],
            "CommodityNum": [{"row": "1", "word": "2"}, {"row": "2", "word": "1"}],
            "CommodityUnit": [{"row": "1", "word": "箱"}],
            "CommodityPrice": [{"row": "1", "word": "50.00"}, {"row": "2", "word": "100.00"}],
            "CommodityAmount": [{"row": "1", "word": "100.00"}, {"row": "2", "word": "100.00"}],
            "CommodityTaxRate": [{"row": "1", "word": "13%"}, {"row": "2", "word": "13%"}],
            "CommodityTax": [{"row": "1", "word": "13.00"}, {"row": "2", "word": "13.00"}]}})";
    if (endpoint == "accurate_basic" && request.form.size() == 1)
        return R"({"log_id": 6001, "words_result_num": 4, "words_result": [
            {"words": "开户许可证"}, {"words": "核准号:J1000123456701"}, {"words": "编号:1000-01234567经审核,"},
            {"words": "北京某某科技有限公司符合开户条件,准予开立基本存款账户。法定代表人(单位负责人)王五开户银行中国银行北京分行账号12345678901234"}]})";
    return R"({"log_id": 1001, "direction": 0, "words_result_num": 2, "language": -1,
        "words_result": [
        {"words": "Hello TaviOCR", )" +
           std::string(kLocation) + R"(,
         "probability": {"average": 0.98, "variance": 0.0001, "min": 0.91}},
        {"words": "第二行 text", "location": {"top": 40, "left": 30, "width": 180, "height": 24}}]})";
}

void FakeCloud::SetAnswer(const std::string& path, const std::string& json) {
    std::lock_guard lock(mutex_);
    answers_[path] = json;
}

void FakeCloud::QueueAnswer(const std::string& path, const std::string& json) {
    std::lock_guard lock(mutex_);
    queued_[path].push_back(json);
}

std::vector<FakeCloud::Request> FakeCloud::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

int FakeCloud::CountRequests(const std::string& path) const {
    std::lock_guard lock(mutex_);
    int n = 0;
    for (const auto& r : requests_) n += r.path == path ? 1 : 0;
    return n;
}

std::string FakeCloud::MakeWorkbook(const std::vector<std::vector<std::string>>& rows) {
    std::string sheet =
        R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
        R"(<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>)";
    for (size_t r = 0; r < rows.size(); ++r) {
        sheet += "<row r=\"" + std::to_string(r + 1) + "\">";
        for (size_t c = 0; c < rows[r].size(); ++c)
            sheet += "<c r=\"" + std::string(1, static_cast<char>('A' + c)) +
                     std::to_string(r + 1) + "\" t=\"inlineStr\"><is><t>" + rows[r][c] +
                     "</t></is></c>";
        sheet += "</row>";
    }
    sheet += "</sheetData></worksheet>";
    const std::vector<std::pair<std::string, std::string>> parts = {
        {"[Content_Types].xml",
         R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"><Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/><Default Extension="xml" ContentType="application/xml"/><Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/><Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/></Types>)"},
        {"_rels/.rels",
         R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/></Relationships>)"},
        {"xl/workbook.xml",
         R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?><workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><sheets><sheet name="Sheet1" sheetId="1" r:id="rId1"/></sheets></workbook>)"},
        {"xl/_rels/workbook.xml.rels",
         R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/></Relationships>)"},
        {"xl/worksheets/sheet1.xml", sheet},
    };
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_t* archive = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
    zip_source_keep(buffer);
    for (const auto& [name, content] : parts) {
        zip_source_t* source = zip_source_buffer(archive, content.data(), content.size(), 0);
        zip_file_add(archive, name.c_str(), source, ZIP_FL_ENC_UTF_8);
    }
    zip_close(archive);
    std::string bytes;
    if (zip_source_open(buffer) == 0) {
        zip_source_seek(buffer, 0, SEEK_END);
        const zip_int64_t size = zip_source_tell(buffer);
        zip_source_seek(buffer, 0, SEEK_SET);
        bytes.resize(static_cast<size_t>(size));
        zip_source_read(buffer, bytes.data(), static_cast<zip_uint64_t>(size));
        zip_source_close(buffer);
    }
    zip_source_free(buffer);
    return bytes;
}

std::string FakeCloud::PictureRefusal(const std::string& base64) {
    std::optional<PictureLimits> limits;
    {
        std::lock_guard lock(mutex_);
        limits = limits_;
    }
    if (!limits) return {};
    const char* tooLarge =
        R"({"error_code": 216202, "error_msg": "image size error", "log_id": 9})";
    if (base64.size() > limits->maxBase64) return tooLarge;
    const QImage image =
        QImage::fromData(QByteArray::fromBase64(QByteArray::fromStdString(base64)));
    if (image.isNull())
        return R"({"error_code": 216201, "error_msg": "image format error", "log_id": 9})";
    if (image.width() < limits->minSide || image.height() < limits->minSide ||
        image.width() > limits->maxSide || image.height() > limits->maxSide)
        return tooLarge;
    std::lock_guard lock(mutex_);
    lastPictureSize_ = {image.width(), image.height()};
    return {};
}
