#include "recognition/escaped_base64.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The escaped text of two Base64 digits (12 bits of input): up to six
// characters and their count, stored so that one 8-byte copy writes them.
struct DigitPair {
    char text[7];
    std::uint8_t size;
};
static_assert(sizeof(DigitPair) == 8);

std::size_t AppendEscapedDigit(char* out, char digit) {
    if (digit == '+') return std::memcpy(out, "%2B", 3), 3;
    if (digit == '/') return std::memcpy(out, "%2F", 3), 3;
    *out = digit;
    return 1;
}

const std::array<DigitPair, 4096>& DigitPairs() {
    static const auto table = [] {
        std::array<DigitPair, 4096> pairs{};
        for (int bits = 0; bits < 4096; ++bits) {
            DigitPair& pair = pairs[bits];
            std::size_t n = AppendEscapedDigit(pair.text, kAlphabet[bits >> 6]);
            n += AppendEscapedDigit(pair.text + n, kAlphabet[bits & 63]);
            pair.size = static_cast<std::uint8_t>(n);
        }
        return pairs;
    }();
    return table;
}

std::uint32_t Group(const unsigned char* p) {
    return (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2];
}

// The last one or two bytes: digits with "=" padding, each escaped.
std::size_t TailSize(const unsigned char* p, std::size_t left, char* out) {
    if (left == 0) return 0;
    const std::uint32_t bits =
        (std::uint32_t{p[0]} << 16) | (left == 2 ? std::uint32_t{p[1]} << 8 : 0);
    char digits[4] = {kAlphabet[bits >> 18], kAlphabet[(bits >> 12) & 63],
                      left == 2 ? kAlphabet[(bits >> 6) & 63] : '=', '='};
    char scratch[12];
    char* o = out ? out : scratch;
    std::size_t n = 0;
    for (char digit : digits) {
        if (digit == '=') {
            std::memcpy(o + n, "%3D", 3);
            n += 3;
        } else {
            n += AppendEscapedDigit(o + n, digit);
        }
    }
    return n;
}

}  // namespace

std::size_t EscapedBase64Size(std::string_view bytes) {
    const auto& pairs = DigitPairs();
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t groups = bytes.size() / 3;
    std::size_t size = 0;
    for (std::size_t g = 0; g < groups; ++g, p += 3) {
        const std::uint32_t bits = Group(p);
        size += pairs[bits >> 12].size + pairs[bits & 4095].size;
    }
    return size + TailSize(p, bytes.size() % 3, nullptr);
}

char* EscapedBase64Into(char* out, std::string_view bytes) {
    const auto& pairs = DigitPairs();
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t groups = bytes.size() / 3;
    // Whole 8-byte copies overrun the text by up to six bytes, which the
    // following groups overwrite; the last few groups are copied exactly so
    // nothing is written past the end.
    const std::size_t fast = groups > 4 ? groups - 4 : 0;
    std::size_t g = 0;
    for (; g < fast; ++g, p += 3) {
        const std::uint32_t bits = Group(p);
        const DigitPair& high = pairs[bits >> 12];
        std::memcpy(out, &high, 8);
        out += high.size;
        const DigitPair& low = pairs[bits & 4095];
        std::memcpy(out, &low, 8);
        out += low.size;
    }
    for (; g < groups; ++g, p += 3) {
        const std::uint32_t bits = Group(p);
        for (const DigitPair* pair : {&pairs[bits >> 12], &pairs[bits & 4095]}) {
            std::memcpy(out, pair->text, pair->size);
            out += pair->size;
        }
    }
    return out + TailSize(p, bytes.size() % 3, out);
}
