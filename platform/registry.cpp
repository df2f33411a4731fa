#include "platform/registry.h"

#include "platform/file_io.h"
#include "platform/folders.h"
#include "platform/profile.h"

namespace {

constexpr std::wstring_view kStringTag = L"sz:";
constexpr std::wstring_view kDwordTag = L"dword:";

// Strings may hold any character; line breaks and backslashes are escaped so
// that one value stays one line of the store.
std::wstring Escape(std::wstring_view text) {
    std::wstring out;
    out.reserve(text.size());
    for (wchar_t c : text) {
        switch (c) {
            case L'\\':
                out += L"\\\\";
                break;
            case L'\n':
                out += L"\\n";
                break;
            case L'\r':
                out += L"\\r";
                break;
            case L'\0':
                out += L"\\0";
                break;
            default:
                out += c;
        }
    }
    // Blanks at either end would be trimmed by the INI reader.
    if (!out.empty() && (out.back() == L' ' || out.back() == L'\t')) out += L"\\e";
    return out;
}

std::wstring Unescape(std::wstring_view text) {
    std::wstring out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != L'\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        switch (text[++i]) {
            case L'n':
                out += L'\n';
                break;
            case L'r':
                out += L'\r';
                break;
            case L'0':
                out += L'\0';
                break;
            case L'e':
                break;
            default:
                out += text[i];
        }
    }
    return out;
}

std::optional<std::wstring> ReadRaw(RegistryHive hive, std::wstring_view keyPath,
                                    std::wstring_view valueName) {
    return ReadProfileDocument(RegistryStorePath(hive)).Get(keyPath, valueName);
}

bool WriteRaw(RegistryHive hive, std::wstring_view keyPath, std::wstring_view valueName,
              const std::wstring& raw) {
    if (keyPath.empty() || valueName.empty() ||
        valueName.find_first_of(L"=\r\n") != std::wstring_view::npos ||
        keyPath.find_first_of(L"]\r\n") != std::wstring_view::npos)
        return false;
    const std::wstring path = RegistryStorePath(hive);
    const std::wstring folder = path.substr(0, path.rfind(L'/'));
    if (!FolderExists(folder) && !CreateFolderTree(folder)) return false;
    // The user's store holds the password hash the account server takes as
    // the password; the machine's must stay readable by every user.
    const FileAccess access =
        hive == RegistryHive::CurrentUser ? FileAccess::OwnerOnly : FileAccess::EveryoneReads;
    return UpdateProfileFile(
        path,
        [&](IniDocument& doc) {
            doc.Set(keyPath, valueName, raw);
            return true;
        },
        access);
}

}  // namespace

std::wstring RegistryStorePath(RegistryHive hive) {
    return hive == RegistryHive::CurrentUser ? QueryUserConfigFolder() + L"/TaviOCR/user.reg"
                                             : QueryMachineStoreFolder() + L"/machine.reg";
}

std::optional<std::wstring> RegReadString(RegistryHive hive, std::wstring_view keyPath,
                                          std::wstring_view valueName, std::size_t bufferBytes) {
    const auto raw = ReadRaw(hive, keyPath, valueName);
    if (!raw || !raw->starts_with(kStringTag)) return std::nullopt;
    std::wstring text = Unescape(std::wstring_view(*raw).substr(kStringTag.size()));
    if ((text.size() + 1) * 2 > bufferBytes) return std::nullopt;
    return text;
}

std::optional<std::uint32_t> RegReadDword(RegistryHive hive, std::wstring_view keyPath,
                                          std::wstring_view valueName) {
    const auto raw = ReadRaw(hive, keyPath, valueName);
    if (!raw || !raw->starts_with(kDwordTag)) return std::nullopt;
    const std::wstring_view digits = std::wstring_view(*raw).substr(kDwordTag.size());
    if (digits.empty() || digits.size() > 10) return std::nullopt;
    std::uint64_t value = 0;
    for (wchar_t c : digits) {
        if (c < L'0' || c > L'9') return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(c - L'0');
    }
    if (value > 0xFFFFFFFFull) return std::nullopt;
    return static_cast<std::uint32_t>(value);
}

bool RegWriteString(RegistryHive hive, std::wstring_view keyPath, std::wstring_view valueName,
                    std::wstring_view text) {
    return WriteRaw(hive, keyPath, valueName, std::wstring(kStringTag) + Escape(text));
}

bool RegWriteDword(RegistryHive hive, std::wstring_view keyPath, std::wstring_view valueName,
                   std::uint32_t value) {
    return WriteRaw(hive, keyPath, valueName, std::wstring(kDwordTag) + std::to_wstring(value));
}

bool RegDeleteValue(RegistryHive hive, std::wstring_view keyPath, std::wstring_view valueName) {
    return DeletePrivateProfileKey(keyPath, valueName, RegistryStorePath(hive));
}
