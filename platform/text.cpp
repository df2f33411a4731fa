#include "platform/text.h"

#include <iconv.h>
#include <langinfo.h>

#include <cerrno>
#include <cstdint>
#include <cwctype>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

void AppendUtf8(std::string& out, char32_t c) {
    if (c > 0x10FFFF || IsSurrogate(c)) c = kReplacement;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool IsUtf8CodeSet(const std::string& codeSet) {
    return codeSet == "UTF-8" || codeSet == "utf8" || codeSet == "UTF8" ||
           codeSet == "ANSI_X3.4-1968" || codeSet == "ASCII" || codeSet.empty();
}

// iconv handle that closes itself.
class Converter {
public:
    Converter(const char* to, const char* from) : handle_(iconv_open(to, from)) {}
    ~Converter() {
        if (valid()) iconv_close(handle_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return handle_; }

private:
    iconv_t handle_;
};

}  // namespace

std::wstring Utf8ToWide(std::string_view utf8) {
    std::wstring out;
    out.reserve(utf8.size());
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    const size_t n = utf8.size();
    size_t i = 0;
    while (i < n) {
        const unsigned char b = p[i];
        if (b < 0x80) {
            out += static_cast<wchar_t>(b);
            ++i;
            continue;
        }
        int extra = 0;
        char32_t c = 0;
        char32_t minimum = 0;
        if ((b & 0xE0) == 0xC0) {
            extra = 1, c = b & 0x1F, minimum = 0x80;
        } else if ((b & 0xF0) == 0xE0) {
            extra = 2, c = b & 0x0F, minimum = 0x800;
        } else if ((b & 0xF8) == 0xF0) {
            extra = 3, c = b & 0x07, minimum = 0x10000;
        } else {
            out += static_cast<wchar_t>(kReplacement);
            ++i;
            continue;
        }
        if (i + extra >= n) {
            // The sequence runs past the end of the text.
            out += static_cast<wchar_t>(kReplacement);
            ++i;
            continue;
        }
        bool ok = true;
        for (int k = 1; k <= extra; ++k) {
            const unsigned char cont = p[i + k];
            if ((cont & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            c = (c << 6) | (cont & 0x3F);
        }
        if (!ok || c < minimum || c > 0x10FFFF || IsSurrogate(c)) {
            out += static_cast<wchar_t>(kReplacement);
            ++i;
            continue;
        }
        out += static_cast<wchar_t>(c);
        i += extra + 1;
    }
    return out;
}

std::string WideToUtf8(std::wstring_view wide) {
    std::string out;
    out.reserve(wide.size());
    for (wchar_t w : wide) AppendUtf8(out, static_cast<char32_t>(w));
    return out;
}

std::string AnsiCodeSet() {
    const char* set = nl_langinfo(CODESET);
    return set ? set : "";
}

std::wstring AnsiToWide(std::string_view ansi) { return AnsiToWide(ansi, AnsiCodeSet()); }

std::string WideToAnsi(std::wstring_view wide) { return WideToAnsi(wide, AnsiCodeSet()); }

std::wstring AnsiToWide(std::string_view ansi, const std::string& codeSet) {
    if (IsUtf8CodeSet(codeSet)) return Utf8ToWide(ansi);
    Converter conv("WCHAR_T", codeSet.c_str());
    if (!conv.valid()) return Utf8ToWide(ansi);
    std::wstring out;
    char* in = const_cast<char*>(ansi.data());
    size_t inLeft = ansi.size();
    wchar_t buffer[256];
    while (inLeft > 0) {
        char* outPtr = reinterpret_cast<char*>(buffer);
        size_t outLeft = sizeof buffer;
        const size_t r = iconv(conv.get(), &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, (sizeof buffer - outLeft) / sizeof(wchar_t));
        if (r == static_cast<size_t>(-1) && errno != E2BIG) {
            // An undecodable or incomplete byte: mark it and go on after it.
            out += static_cast<wchar_t>(kReplacement);
            ++in;
            --inLeft;
            iconv(conv.get(), nullptr, nullptr, nullptr, nullptr);
        }
    }
    return out;
}

std::string WideToAnsi(std::wstring_view wide, const std::string& codeSet) {
    if (IsUtf8CodeSet(codeSet)) return WideToUtf8(wide);
    Converter conv(codeSet.c_str(), "WCHAR_T");
    if (!conv.valid()) return WideToUtf8(wide);
    std::string out;
    char* in = reinterpret_cast<char*>(const_cast<wchar_t*>(wide.data()));
    size_t inLeft = wide.size() * sizeof(wchar_t);
    char buffer[1024];
    while (inLeft > 0) {
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        const size_t r = iconv(conv.get(), &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, sizeof buffer - outLeft);
        if (r == static_cast<size_t>(-1) && errno != E2BIG) {
            // Windows' best-fit default character for what the code page lacks.
            out += '?';
            in += sizeof(wchar_t);
            inLeft -= sizeof(wchar_t);
            iconv(conv.get(), nullptr, nullptr, nullptr, nullptr);
        }
    }
    return out;
}

std::string EncodeUtf16Le(std::wstring_view wide) {
    std::string out;
    out.reserve(wide.size() * 2);
    auto unit = [&out](std::uint16_t u) {
        out += static_cast<char>(u & 0xFF);
        out += static_cast<char>(u >> 8);
    };
    for (wchar_t w : wide) {
        char32_t c = static_cast<char32_t>(w);
        if (c > 0x10FFFF || IsSurrogate(c)) c = kReplacement;
        if (c >= 0x10000) {
            c -= 0x10000;
            unit(static_cast<std::uint16_t>(0xD800 | (c >> 10)));
            unit(static_cast<std::uint16_t>(0xDC00 | (c & 0x3FF)));
        } else {
            unit(static_cast<std::uint16_t>(c));
        }
    }
    return out;
}

std::wstring DecodeUtf16Le(std::string_view bytes) {
    std::wstring out;
    const size_t units = bytes.size() / 2;
    out.reserve(units);
    auto at = [&bytes](size_t k) -> std::uint16_t {
        return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[2 * k]) |
                                          (static_cast<unsigned char>(bytes[2 * k + 1]) << 8));
    };
    for (size_t k = 0; k < units; ++k) {
        const std::uint16_t u = at(k);
        if (u >= 0xD800 && u <= 0xDBFF && k + 1 < units) {
            const std::uint16_t low = at(k + 1);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                out += static_cast<wchar_t>(0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                ++k;
                continue;
            }
        }
        out += IsSurrogate(u) ? static_cast<wchar_t>(kReplacement) : static_cast<wchar_t>(u);
    }
    return out;
}

bool EqualsNoCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i] && std::towupper(a[i]) != std::towupper(b[i])) return false;
    }
    return true;
}

std::wstring ToLowerAscii(std::wstring_view text) {
    std::wstring out(text);
    for (wchar_t& c : out)
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    return out;
}

namespace {

// The length of the valid UTF-8 sequence at the start of bytes, 0 when none.
std::size_t ValidSequence(std::string_view bytes) {
    const auto b = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const std::size_t n = bytes.size();
    if (n == 0) return 0;
    if (b(0) < 0x80) return 1;
    std::size_t length = 0;
    char32_t c = 0;
    if ((b(0) & 0xE0) == 0xC0)
        length = 2, c = b(0) & 0x1F;
    else if ((b(0) & 0xF0) == 0xE0)
        length = 3, c = b(0) & 0x0F;
    else if ((b(0) & 0xF8) == 0xF0)
        length = 4, c = b(0) & 0x07;
    else
        return 0;
    if (n < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((b(i) & 0xC0) != 0x80) return 0;
        c = (c << 6) | (b(i) & 0x3F);
    }
    static constexpr char32_t kMinimum[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kMinimum[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
    return length;
}

}  // namespace

std::wstring PathBytesToWide(std::string_view bytes) {
    std::wstring out;
    out.reserve(bytes.size());
    while (!bytes.empty()) {
        const std::size_t length = ValidSequence(bytes);
        if (length == 0) {
            out += static_cast<wchar_t>(0xDC00 + static_cast<unsigned char>(bytes.front()));
            bytes.remove_prefix(1);
            continue;
        }
        out += Utf8ToWide(bytes.substr(0, length));
        bytes.remove_prefix(length);
    }
    return out;
}

std::string WidePathToBytes(std::wstring_view path) {
    std::string out;
    out.reserve(path.size());
    std::size_t start = 0;
    for (std::size_t i = 0; i <= path.size(); ++i) {
        if (i < path.size() && (path[i] < 0xDC80 || path[i] > 0xDCFF)) continue;
        out += WideToUtf8(path.substr(start, i - start));
        if (i < path.size()) out += static_cast<char>(path[i] - 0xDC00);
        start = i + 1;
    }
    return out;
}

std::wstring WithoutWhiteSpace(std::wstring text) {
    std::erase_if(text, [](wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r'); });
    return text;
}
