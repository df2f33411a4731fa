#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "recognition/barcodes.h"
#include "recognition/kinds.h"
#include "recognition/recognition_interfaces.h"

struct WordProbability {
    double average = 0;
    double variance = 0;
    double min = 0;
};

struct WordLocation {
    int height = 0;
    int left = 0;
    int top = 0;
    int width = 0;
};

struct CardStatus {
    std::string imageStatus;
    std::string riskType;
    std::string editTool;
};

// What one recognised image yields; handed to the notify window per image.
struct OcrResult {
    int direction = 0;
    std::int64_t logId = 0;
    int wordsCount = 0;
    int language = 0;
    int status = -1;          // 0 after a successful table run
    std::wstring failureKey;  // why a table run failed: a message key
    std::vector<std::wstring> textLines;
    std::vector<WordProbability> probabilities;  // only entries that carried one
    std::vector<WordLocation> locations;         // only entries that carried one
    std::vector<EngineLine> engineLines;         // the local engine's lines, when it read
    std::vector<FoundBarcode> barcodes;          // shown as lines before the text
    std::string source;     // where the text came from when not recognised: "pdf-text"
    std::wstring filePath;  // the written spreadsheet
    CardStatus cardStatus;
    std::string bankCardNumber;  // UTF-8 as received
    std::wstring bankName;
    int bankCardType = 0;
    KindCode kind = KindCode::TextOfflineFirst;  // the per-call kind
};

// A rejected identity-card image: carries the message key to show.
class CStautsException {
public:
    explicit CStautsException(std::wstring key) : key_(std::move(key)) {}
    const std::wstring& key() const { return key_; }

private:
    std::wstring key_;
};
