#include "twain/sane_scanner.h"

#include <sane/saneopts.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t kMaxPageBytes = 512u * 1024 * 1024;  // a page beyond this is refused

void Put16(std::vector<std::uint8_t>& out, std::size_t at, std::uint16_t v) {
    out[at] = v & 0xFF;
    out[at + 1] = v >> 8;
}
void Put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + i] = (v >> (8 * i)) & 0xFF;
}

// Rows of 8-bit grey or 24-bit RGB, top-down, into a bottom-up DIB.
std::vector<std::uint8_t> MakeDib(const std::vector<std::uint8_t>& pixels, int width, int height,
                                  bool colour, int dpi) {
    const int bits = colour ? 24 : 8;
    const std::size_t stride = ((static_cast<std::size_t>(width) * bits + 31) / 32) * 4;
    const std::size_t palette = colour ? 0 : 256 * 4;
    std::vector<std::uint8_t> dib(40 + palette + stride * height, 0);
    Put32(dib, 0, 40);
    Put32(dib, 4, static_cast<std::uint32_t>(width));
    Put32(dib, 8, static_cast<std::uint32_t>(height));
    Put16(dib, 12, 1);
    Put16(dib, 14, static_cast<std::uint16_t>(bits));
    Put32(dib, 20, static_cast<std::uint32_t>(stride * height));
    const auto perMetre = static_cast<std::uint32_t>(dpi * 39.3701 + 0.5);
    Put32(dib, 24, perMetre);
    Put32(dib, 28, perMetre);
    if (!colour) {
        Put32(dib, 32, 256);
        for (int i = 0; i < 256; ++i)
            for (int c = 0; c < 3; ++c) dib[40 + i * 4 + c] = static_cast<std::uint8_t>(i);
    }
    const std::size_t rowBytes = static_cast<std::size_t>(width) * (colour ? 3 : 1);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* src = pixels.data() + rowBytes * y;
        std::uint8_t* dst = dib.data() + 40 + palette + stride * (height - 1 - y);
        if (!colour) {
            std::memcpy(dst, src, rowBytes);
        } else {
            for (int x = 0; x < width; ++x) {  // RGB → BGR
                dst[3 * x] = src[3 * x + 2];
                dst[3 * x + 1] = src[3 * x + 1];
                dst[3 * x + 2] = src[3 * x];
            }
        }
    }
    return dib;
}

// A SANE line in 8 bits per sample: line art (1 = black) and 16-bit samples
// are brought down to it.
void AppendLine(const std::uint8_t* line, const SANE_Parameters& p,
                std::vector<std::uint8_t>& out) {
    const int samples = p.pixels_per_line * (p.format == SANE_FRAME_RGB ? 3 : 1);
    for (int i = 0; i < samples; ++i) {
        if (p.depth == 1)
            out.push_back((line[i / 8] >> (7 - i % 8)) & 1 ? 0 : 255);
        else if (p.depth == 16)
            out.push_back(line[2 * i + 1]);  // little-endian: the high byte
        else
            out.push_back(line[i]);
    }
}

}  // namespace

std::vector<SaneDeviceInfo> ListSaneDevices() {
    const SANE_Device** devices = nullptr;
    std::vector<SaneDeviceInfo> found;
    if (sane_get_devices(&devices, SANE_FALSE) != SANE_STATUS_GOOD || !devices) return found;
    for (int i = 0; devices[i]; ++i)
        found.push_back({devices[i]->name ? devices[i]->name : "",
                         devices[i]->vendor ? devices[i]->vendor : "",
                         devices[i]->model ? devices[i]->model : ""});
    return found;
}

bool SaneScanner::Open(const std::string& deviceName) {
    Close();
    return sane_open(deviceName.c_str(), &handle_) == SANE_STATUS_GOOD;
}

void SaneScanner::Close() {
    if (!handle_) return;
    sane_cancel(handle_);
    sane_close(handle_);
    handle_ = nullptr;
}

int SaneScanner::FindOption(const char* name) const {
    if (!handle_) return -1;
    for (SANE_Int i = 1;; ++i) {
        const SANE_Option_Descriptor* option = sane_get_option_descriptor(handle_, i);
        if (!option) return -1;
        if (option->name && std::strcmp(option->name, name) == 0 &&
            SANE_OPTION_IS_ACTIVE(option->cap))
            return i;
    }
}

std::vector<std::string> SaneScanner::StringChoices(const char* name) const {
    std::vector<std::string> choices;
    const int index = FindOption(name);
    if (index < 0) return choices;
    const SANE_Option_Descriptor* option = sane_get_option_descriptor(handle_, index);
    if (option->constraint_type == SANE_CONSTRAINT_STRING_LIST)
        for (const SANE_String_Const* s = option->constraint.string_list; *s; ++s)
            choices.emplace_back(*s);
    return choices;
}

std::string SaneScanner::StringValue(const char* name) const {
    const int index = FindOption(name);
    if (index < 0) return {};
    const SANE_Option_Descriptor* option = sane_get_option_descriptor(handle_, index);
    std::vector<char> value(static_cast<std::size_t>(std::max<SANE_Int>(option->size, 1)) + 1, 0);
    if (sane_control_option(handle_, index, SANE_ACTION_GET_VALUE, value.data(), nullptr) !=
        SANE_STATUS_GOOD)
        return {};
    return value.data();
}

int SaneScanner::CurrentResolution() const {
    const int index = FindOption(SANE_NAME_SCAN_RESOLUTION);
    if (index < 0) return 0;
    const SANE_Option_Descriptor* option = sane_get_option_descriptor(handle_, index);
    SANE_Word value = 0;
    if (sane_control_option(handle_, index, SANE_ACTION_GET_VALUE, &value, nullptr) !=
        SANE_STATUS_GOOD)
        return 0;
    return option->type == SANE_TYPE_FIXED ? static_cast<int>(SANE_UNFIX(value)) : value;
}

bool SaneScanner::HasFeeder() const {
    std::string source = StringValue(SANE_NAME_SCAN_SOURCE);
    std::transform(source.begin(), source.end(), source.begin(), ::tolower);
    return source.find("adf") != std::string::npos || source.find("feeder") != std::string::npos;
}

bool SaneScanner::Apply(const ScanSettings& settings) {
    bool ok = true;
    const auto setString = [&](const char* name, const std::string& value) {
        const int index = FindOption(name);
        if (value.empty() || index < 0) return;
        std::vector<char> buffer(value.begin(), value.end());
        buffer.push_back('\0');
        ok = sane_control_option(handle_, index, SANE_ACTION_SET_VALUE, buffer.data(), nullptr) ==
                 SANE_STATUS_GOOD &&
             ok;
    };
    setString(SANE_NAME_SCAN_MODE, settings.mode);
    setString(SANE_NAME_SCAN_SOURCE, settings.source);
    const int index = FindOption(SANE_NAME_SCAN_RESOLUTION);
    if (settings.resolution > 0 && index >= 0) {
        const SANE_Option_Descriptor* option = sane_get_option_descriptor(handle_, index);
        SANE_Word value =
            option->type == SANE_TYPE_FIXED ? SANE_FIX(settings.resolution) : settings.resolution;
        ok = sane_control_option(handle_, index, SANE_ACTION_SET_VALUE, &value, nullptr) ==
                 SANE_STATUS_GOOD &&
             ok;
    }
    return ok;
}

std::optional<ScanPage> SaneScanner::ReadPage(bool& noMoreDocuments,
                                              const std::function<void(int percent)>& progress) {
    noMoreDocuments = false;
    cancelled_ = false;
    lastStatus_ = SANE_STATUS_IO_ERROR;
    if (!handle_) return std::nullopt;
    const SANE_Status started = sane_start(handle_);
    if (started == SANE_STATUS_NO_DOCS) noMoreDocuments = true;
    if (started != SANE_STATUS_GOOD) {
        lastStatus_ = started;
        return std::nullopt;
    }
    SANE_Parameters p{};
    if (sane_get_parameters(handle_, &p) != SANE_STATUS_GOOD || p.pixels_per_line <= 0 ||
        p.bytes_per_line <= 0 || (p.format != SANE_FRAME_GRAY && p.format != SANE_FRAME_RGB) ||
        (p.depth != 1 && p.depth != 8 && p.depth != 16)) {
        sane_cancel(handle_);
        return std::nullopt;
    }
    std::vector<std::uint8_t> line(static_cast<std::size_t>(p.bytes_per_line));
    std::vector<std::uint8_t> pixels;
    std::size_t filled = 0;
    int lines = 0;
    int reported = -1;
    std::vector<SANE_Byte> block(64 * 1024);
    for (;;) {
        SANE_Int got = 0;
        const SANE_Status status =
            sane_read(handle_, block.data(), static_cast<SANE_Int>(block.size()), &got);
        if (status == SANE_STATUS_EOF) break;
        if (status != SANE_STATUS_GOOD || cancelled_) {
            // A page cut short, by the user or the device, is no page.
            lastStatus_ = cancelled_ ? SANE_STATUS_CANCELLED : status;
            sane_cancel(handle_);
            return std::nullopt;
        }
        for (SANE_Int i = 0; i < got; ++i) {
            line[filled++] = block[i];
            if (filled == line.size()) {
                AppendLine(line.data(), p, pixels);
                filled = 0;
                ++lines;
            }
        }
        if (progress && p.lines > 0) {
            const int percent = static_cast<int>(std::min<long long>(100, 100LL * lines / p.lines));
            if (percent != reported) progress(reported = percent);
        }
        if (pixels.size() > kMaxPageBytes) {
            sane_cancel(handle_);
            return std::nullopt;
        }
    }
    // A cancel may end the data with an ordinary end of file: the half page
    // that arrived is still no page.
    if (cancelled_) {
        lastStatus_ = SANE_STATUS_CANCELLED;
        return std::nullopt;
    }
    if (lines == 0) return std::nullopt;
    lastStatus_ = SANE_STATUS_GOOD;
    const bool colour = p.format == SANE_FRAME_RGB;
    const int dpi = std::max(CurrentResolution(), 1);
    ScanPage page;
    page.dib = MakeDib(pixels, p.pixels_per_line, lines, colour, dpi);
    page.info.XResolution = {static_cast<TW_INT16>(dpi), 0};
    page.info.YResolution = page.info.XResolution;
    page.info.ImageWidth = p.pixels_per_line;
    page.info.ImageLength = lines;
    page.info.SamplesPerPixel = colour ? 3 : 1;
    for (int i = 0; i < page.info.SamplesPerPixel; ++i) page.info.BitsPerSample[i] = 8;
    page.info.BitsPerPixel = colour ? 24 : 8;
    page.info.PixelType = colour ? TWPT_RGB : TWPT_GRAY;
    return page;
}

void SaneScanner::Cancel() {
    cancelled_ = true;
    if (handle_) sane_cancel(handle_);
}
