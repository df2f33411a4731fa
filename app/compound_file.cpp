#include "app/compound_file.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/file_io.h"
#include "platform/text.h"

// A reader of its own rather than a library: the window reads its language
// file at every text lookup, and a general structured-storage library (with
// the object system, I/O and XML libraries below it) would stay in the
// resident program's memory for that. Every number in the file is checked
// before use: sectors outside the file, chains that loop, sizes beyond the
// limit and trees that revisit an entry give "cannot be read".

namespace {

constexpr char kSignature[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
constexpr std::size_t kHeaderBytes = 512;
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kNoEntry = 0xFFFFFFFF;
constexpr std::size_t kEntryBytes = 128;
constexpr std::size_t kHeaderFatSectors = 109;
// Language files are tens of kilobytes; nothing of ours comes near this.
constexpr std::size_t kMaxFileBytes = 64 * 1024 * 1024;

enum EntryType : std::uint8_t { kStream = 2, kRoot = 5 };

std::uint16_t U16(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(bytes[at]) |
                                      static_cast<std::uint8_t>(bytes[at + 1]) << 8);
}

std::uint32_t U32(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint32_t>(U16(bytes, at)) |
           static_cast<std::uint32_t>(U16(bytes, at + 2)) << 16;
}

struct Entry {
    std::string name;  // UTF-8
    std::uint8_t type = 0;
    std::uint32_t left = kNoEntry, right = kNoEntry, child = kNoEntry;
    std::uint32_t start = kEndOfChain;
    std::uint64_t size = 0;
};

class CompoundView {
public:
    static std::optional<CompoundView> Open(std::string_view file);

    // The streams directly under the root, in the directory's order.
    std::optional<std::vector<Entry>> RootStreams() const;
    // A stream's bytes; nothing when they are damaged or maxBytes or more.
    std::optional<std::string> Read(const Entry& entry, std::size_t maxBytes) const;

private:
    explicit CompoundView(std::string_view file) : file_(file) {}
    std::size_t SectorCount() const { return file_.size() / sectorSize_ - 1; }
    // The sectors of a chain in the big (or mini) allocation table, as many as
    // `size` bytes need; nothing when the chain leaves the table or loops.
    std::optional<std::string> Chain(std::uint32_t start, std::uint64_t size, bool mini) const;
    std::optional<Entry> EntryAt(std::uint32_t index) const;
    bool ReadFatSectorList(std::vector<std::uint32_t>& sectors, std::uint32_t fatSectors,
                           std::uint32_t difatStart, std::uint32_t difatSectors) const;
    static std::vector<std::uint32_t> Words(std::string_view bytes);

    std::string_view file_;
    std::size_t sectorSize_ = 512;
    std::size_t miniSectorSize_ = 64;
    std::uint32_t miniCutoff_ = 4096;
    bool wideSizes_ = false;  // version 4: stream sizes have 64 bits
    std::vector<std::uint32_t> fat_, miniFat_;
    std::string directory_, miniStream_;
};

std::vector<std::uint32_t> CompoundView::Words(std::string_view bytes) {
    std::vector<std::uint32_t> words(bytes.size() / 4);
    for (std::size_t i = 0; i < words.size(); ++i) words[i] = U32(bytes, i * 4);
    return words;
}

std::optional<std::string> CompoundView::Chain(std::uint32_t start, std::uint64_t size,
                                               bool mini) const {
    const std::vector<std::uint32_t>& table = mini ? miniFat_ : fat_;
    const std::size_t unit = mini ? miniSectorSize_ : sectorSize_;
    const std::string_view space = mini ? std::string_view(miniStream_) : file_;
    const std::size_t base = mini ? 0 : sectorSize_;  // the header fills sector -1
    if (size > space.size()) return {};
    std::string bytes;
    std::vector<bool> visited(table.size(), false);
    for (std::uint32_t sector = start; bytes.size() < size; sector = table[sector]) {
        // A sector met twice is a loop.
        if (sector >= table.size() || visited[sector]) return {};
        visited[sector] = true;
        const std::size_t at = base + static_cast<std::size_t>(sector) * unit;
        if (at + unit > space.size()) return {};
        bytes.append(space.substr(at, unit));
    }
    bytes.resize(static_cast<std::size_t>(size));
    return bytes;
}

bool CompoundView::ReadFatSectorList(std::vector<std::uint32_t>& sectors, std::uint32_t fatSectors,
                                     std::uint32_t difatStart, std::uint32_t difatSectors) const {
    if (fatSectors > SectorCount()) return false;
    for (std::size_t i = 0; i < kHeaderFatSectors && sectors.size() < fatSectors; ++i)
        sectors.push_back(U32(file_, 0x4C + i * 4));
    // The rest are listed in a chain of their own, each sector's last word
    // naming the next.
    const std::size_t perSector = sectorSize_ / 4 - 1;
    std::uint32_t sector = difatStart;
    for (std::uint32_t n = 0; sectors.size() < fatSectors; ++n) {
        if (n >= difatSectors || sector >= SectorCount()) return false;
        const std::size_t at = sectorSize_ + static_cast<std::size_t>(sector) * sectorSize_;
        for (std::size_t i = 0; i < perSector && sectors.size() < fatSectors; ++i)
            sectors.push_back(U32(file_, at + i * 4));
        sector = U32(file_, at + perSector * 4);
    }
    return true;
}

std::optional<CompoundView> CompoundView::Open(std::string_view file) {
    if (file.size() < kHeaderBytes || file.substr(0, 8) != std::string_view(kSignature, 8) ||
        U16(file, 0x1C) != 0xFFFE)
        return {};
    CompoundView view(file);
    const std::uint16_t sectorShift = U16(file, 0x1E);
    if ((sectorShift != 9 && sectorShift != 12) || U16(file, 0x20) != 6) return {};
    view.sectorSize_ = std::size_t{1} << sectorShift;
    view.wideSizes_ = sectorShift == 12;
    view.miniCutoff_ = U32(file, 0x38);
    if (file.size() < 2 * view.sectorSize_) return {};

    std::vector<std::uint32_t> fatSectors;
    if (!view.ReadFatSectorList(fatSectors, U32(file, 0x2C), U32(file, 0x44), U32(file, 0x48)))
        return {};
    std::string fat;
    for (const std::uint32_t sector : fatSectors) {
        if (sector >= view.SectorCount()) return {};
        fat.append(file.substr(view.sectorSize_ + sector * view.sectorSize_, view.sectorSize_));
    }
    view.fat_ = Words(fat);

    // The directory's length is not stored: its chain is followed to its end.
    std::uint32_t sector = U32(file, 0x30);
    for (std::size_t steps = 0; sector != kEndOfChain; ++steps) {
        if (steps >= view.fat_.size() || sector >= view.fat_.size() || sector >= view.SectorCount())
            return {};
        view.directory_.append(
            file.substr(view.sectorSize_ + sector * view.sectorSize_, view.sectorSize_));
        sector = view.fat_[sector];
    }
    const auto root = view.EntryAt(0);
    if (!root || root->type != kRoot) return {};
    // Small streams live in the root's stream, in 64-byte sectors of their
    // own table.
    const std::uint32_t miniFatSectors = U32(file, 0x40);
    if (miniFatSectors > 0) {
        const auto miniFat =
            view.Chain(U32(file, 0x3C), std::uint64_t{miniFatSectors} * view.sectorSize_, false);
        const auto miniStream = view.Chain(root->start, root->size, false);
        if (!miniFat || !miniStream) return {};
        view.miniFat_ = Words(*miniFat);
        view.miniStream_ = *miniStream;
    }
    return view;
}

std::optional<Entry> CompoundView::EntryAt(std::uint32_t index) const {
    if (index >= directory_.size() / kEntryBytes) return {};
    const std::string_view raw =
        std::string_view(directory_).substr(index * kEntryBytes, kEntryBytes);
    Entry entry;
    const std::uint16_t nameBytes = U16(raw, 0x40);
    if (nameBytes > 64 || nameBytes % 2 != 0) return {};
    // The length counts the closing zero.
    entry.name = WideToUtf8(DecodeUtf16Le(raw.substr(0, nameBytes >= 2 ? nameBytes - 2 : 0)));
    entry.type = static_cast<std::uint8_t>(raw[0x42]);
    entry.left = U32(raw, 0x44);
    entry.right = U32(raw, 0x48);
    entry.child = U32(raw, 0x4C);
    entry.start = U32(raw, 0x74);
    entry.size = U32(raw, 0x78);
    if (wideSizes_) entry.size |= std::uint64_t{U32(raw, 0x7C)} << 32;
    return entry;
}

std::optional<std::vector<Entry>> CompoundView::RootStreams() const {
    const auto root = EntryAt(0);
    if (!root) return {};
    // The root's children form a binary tree through their sibling links;
    // walked in order, each entry at most once.
    std::vector<Entry> streams;
    std::vector<bool> seen(directory_.size() / kEntryBytes, false);
    std::vector<Entry> pending;
    std::uint32_t next = root->child;
    while (next != kNoEntry || !pending.empty()) {
        while (next != kNoEntry) {
            if (next >= seen.size() || seen[next]) return {};
            seen[next] = true;
            auto entry = EntryAt(next);
            if (!entry) return {};
            next = entry->left;
            pending.push_back(std::move(*entry));
        }
        Entry entry = std::move(pending.back());
        pending.pop_back();
        next = entry.right;
        if (entry.type == kStream) streams.push_back(std::move(entry));
    }
    return streams;
}

std::optional<std::string> CompoundView::Read(const Entry& entry, std::size_t maxBytes) const {
    if (entry.size >= maxBytes) return {};
    if (entry.size == 0) return std::string();
    return Chain(entry.start, entry.size, entry.size < miniCutoff_);
}

std::optional<std::string> ReadCompoundBytes(std::wstring_view path) {
    return ReadWholeFile(std::wstring(path), kMaxFileBytes);
}

}  // namespace

std::optional<std::vector<CompoundStream>> ParseCompoundStreams(std::string_view file,
                                                                std::size_t maxBytesEach) {
    const auto view = CompoundView::Open(file);
    const auto entries = view ? view->RootStreams() : std::nullopt;
    if (!entries) return std::nullopt;
    std::vector<CompoundStream> streams;
    for (const Entry& entry : *entries) {
        auto bytes = view->Read(entry, maxBytesEach);
        if (!bytes) return std::nullopt;
        streams.emplace_back(entry.name, std::move(*bytes));
    }
    return streams;
}

std::optional<std::string> ReadCompoundStream(std::wstring_view path, std::string_view name,
                                              std::size_t maxBytes) {
    const auto file = ReadCompoundBytes(path);
    const auto view = file ? CompoundView::Open(*file) : std::nullopt;
    const auto entries = view ? view->RootStreams() : std::nullopt;
    if (!entries) return std::nullopt;
    for (const Entry& entry : *entries)
        if (entry.name == name) return view->Read(entry, maxBytes);
    return std::nullopt;
}

std::optional<std::vector<CompoundStream>> ReadCompoundStreams(std::wstring_view path,
                                                               std::size_t maxBytesEach) {
    const auto file = ReadCompoundBytes(path);
    return file ? ParseCompoundStreams(*file, maxBytesEach) : std::nullopt;
}
