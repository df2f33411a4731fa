#include "platform/private_clipboard.h"

#include <sys/stat.h>

#include <filesystem>
#include <vector>

#include "platform/folders.h"
#include "platform/text.h"

namespace {

// Registered ids start where the system's registered formats start, so they
// never collide with the predefined ones (CF_TEXT and friends).
constexpr unsigned kFirstFormatId = 0xC000;
constexpr size_t kMaxBlockBytes = 64 * 1024 * 1024;

std::wstring EnsureFolder() {
    const std::wstring folder = PrivateClipboardFolder();
    if (!CreateFolderTree(folder)) return {};
    ::chmod(NarrowPath(folder).c_str(), 0700);
    return folder;
}

std::wstring BlockPath(const std::wstring& folder, unsigned format) {
    return folder + L"/format-" + std::to_wstring(format) + L".dat";
}

std::vector<std::wstring> SplitLines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// Empty (a lock that cannot be taken) when the folder cannot be made.
std::wstring ClipboardLockPath() {
    const std::wstring folder = EnsureFolder();
    return folder.empty() ? std::wstring() : LockPathFor(folder + L"/clipboard");
}

}  // namespace

std::wstring PrivateClipboardFolder() { return QueryRuntimeFolder() + L"/TaviOCR/clipboard"; }

unsigned RegisterClipboardFormat(std::wstring_view name) {
    if (name.empty() || name.find(L'\n') != std::wstring_view::npos) return 0;
    const std::wstring folder = EnsureFolder();
    if (folder.empty()) return 0;
    // The names file lists one registered name per line; a name's id is its
    // line number from kFirstFormatId. Lines are only ever appended.
    const std::wstring namesPath = folder + L"/formats.txt";
    FileLock lock(LockPathFor(namesPath), PrivateClipboard::kOpenTimeout);
    if (!lock.owns()) return 0;
    const std::wstring names = Utf8ToWide(ReadWholeFile(namesPath, 1024 * 1024).value_or(""));
    std::vector<std::wstring> lines = SplitLines(names);
    for (size_t i = 0; i < lines.size(); ++i)
        if (EqualsNoCase(lines[i], name)) return kFirstFormatId + static_cast<unsigned>(i);
    lines.emplace_back(name);
    std::string bytes;
    for (const std::wstring& line : lines) bytes += WideToUtf8(line) + "\n";
    if (!WriteFileAtomically(namesPath, bytes, FlushMode::NoFlush)) return 0;
    return kFirstFormatId + static_cast<unsigned>(lines.size() - 1);
}

PrivateClipboard::PrivateClipboard(std::chrono::milliseconds timeout)
    : lock_(ClipboardLockPath(), timeout) {}

bool PrivateClipboard::SetData(unsigned format, std::string_view block) {
    if (!IsOpen() || format < kFirstFormatId || block.size() > kMaxBlockBytes) return false;
    return WriteFileAtomically(BlockPath(PrivateClipboardFolder(), format), block,
                               FlushMode::NoFlush);
}

std::optional<std::string> PrivateClipboard::GetData(unsigned format) const {
    if (!IsOpen() || format < kFirstFormatId) return std::nullopt;
    return ReadWholeFile(BlockPath(PrivateClipboardFolder(), format), kMaxBlockBytes);
}

bool PrivateClipboard::Empty() {
    if (!IsOpen()) return false;
    std::error_code error;
    bool ok = true;
    for (const auto& entry :
         std::filesystem::directory_iterator(NarrowPath(PrivateClipboardFolder()), error)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with("format-") && name.ends_with(".dat"))
            ok = std::filesystem::remove(entry.path(), error) && ok;
    }
    return ok && !error;
}

bool PrivateClipboard::Remove(unsigned format) {
    if (!IsOpen() || format < kFirstFormatId) return false;
    std::error_code error;
    std::filesystem::remove(NarrowPath(BlockPath(PrivateClipboardFolder(), format)), error);
    return !error;
}
