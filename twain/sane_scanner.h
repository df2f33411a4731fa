#pragma once

#include <sane/sane.h>
#include <sane/saneopts.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "twain/twain_types.h"

// One SANE device as a data source: its options and its pages, each read
// into a device-independent bitmap (a BITMAPINFOHEADER, a palette for grey,
// rows bottom-up and padded to four bytes).

struct SaneDeviceInfo {
    std::string name;  // "test:0"
    std::string vendor;
    std::string model;
};
// The devices SANE finds (sane_init must have run).
std::vector<SaneDeviceInfo> ListSaneDevices();

struct ScanSettings {
    std::string mode;    // one of Modes(), empty: the device's own
    int resolution = 0;  // dots per inch, 0: the device's own
    std::string source;  // one of Sources(), empty: the device's own
};

struct ScanPage {
    std::vector<std::uint8_t> dib;
    TW_IMAGEINFO info{};
};

class SaneScanner {
public:
    SaneScanner() = default;
    ~SaneScanner() { Close(); }
    SaneScanner(const SaneScanner&) = delete;
    SaneScanner& operator=(const SaneScanner&) = delete;

    bool Open(const std::string& deviceName);
    void Close();
    bool IsOpen() const { return handle_ != nullptr; }

    std::vector<std::string> Modes() const { return StringChoices(SANE_NAME_SCAN_MODE); }
    std::vector<std::string> Sources() const { return StringChoices(SANE_NAME_SCAN_SOURCE); }
    std::string CurrentMode() const { return StringValue(SANE_NAME_SCAN_MODE); }
    int CurrentResolution() const;
    // The chosen paper source is a feeder: it can scan an unknown number of
    // pages; a flatbed one at a time.
    bool HasFeeder() const;
    bool Apply(const ScanSettings& settings);

    // One page; nothing when the feeder is empty (noMoreDocuments) or the
    // read failed or was cancelled. progress hears the share read so far in
    // percent, each value once, when the device says how long the page is.
    std::optional<ScanPage> ReadPage(bool& noMoreDocuments,
                                     const std::function<void(int percent)>& progress = {});
    // From another thread: ends a read under way.
    void Cancel();
    // Why the last ReadPage gave nothing: SANE_STATUS_GOOD after a page,
    // SANE_STATUS_CANCELLED after Cancel, else the device's own status
    // (jammed, cover open, no documents, busy, I/O error, ...).
    SANE_Status LastStatus() const { return lastStatus_; }

private:
    int FindOption(const char* name) const;
    std::vector<std::string> StringChoices(const char* name) const;
    std::string StringValue(const char* name) const;

    SANE_Handle handle_ = nullptr;
    std::atomic<bool> cancelled_{false};
    SANE_Status lastStatus_ = SANE_STATUS_GOOD;
};
