#include "platform/zip_reader.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>

namespace {

constexpr std::uint32_t kEndSignature = 0x06054b50;
constexpr std::uint32_t kCentralSignature = 0x02014b50;
constexpr std::uint32_t kLocalSignature = 0x04034b50;
constexpr std::size_t kEndBytes = 22, kCentralBytes = 46, kLocalBytes = 30;
constexpr std::size_t kEncryptionHeaderBytes = 12;
constexpr std::uint16_t kEncrypted = 1, kDataDescriptor = 8;
constexpr std::uint16_t kStored = 0, kDeflated = 8;

std::uint16_t U16(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(bytes[at]) |
                                      static_cast<std::uint8_t>(bytes[at + 1]) << 8);
}

std::uint32_t U32(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint32_t>(U16(bytes, at)) |
           static_cast<std::uint32_t>(U16(bytes, at + 2)) << 16;
}

// The classic zip cipher: three keys stirred by every plain byte.
class ClassicCipher {
public:
    explicit ClassicCipher(std::string_view password) {
        for (const char c : password) Update(static_cast<std::uint8_t>(c));
    }
    std::uint8_t Decrypt(std::uint8_t c) {
        const std::uint32_t t = (keys_[2] & 0xFFFF) | 2;
        const auto plain = static_cast<std::uint8_t>(c ^ ((t * (t ^ 1)) >> 8));
        Update(plain);
        return plain;
    }

private:
    static std::uint32_t Crc(std::uint32_t crc, std::uint8_t byte) {
        // zlib's crc32 without its pre- and post-inversion.
        const Bytef b = byte;
        return ~static_cast<std::uint32_t>(::crc32(~crc & 0xFFFFFFFF, &b, 1));
    }
    void Update(std::uint8_t c) {
        keys_[0] = Crc(keys_[0], c);
        keys_[1] = (keys_[1] + (keys_[0] & 0xFF)) * 134775813 + 1;
        keys_[2] = Crc(keys_[2], static_cast<std::uint8_t>(keys_[1] >> 24));
    }
    std::uint32_t keys_[3] = {0x12345678, 0x23456789, 0x34567890};
};

std::optional<std::string> Inflate(std::string_view packed, std::size_t size) {
    // One byte more than announced: data that runs longer shows.
    std::string out(size + 1, '\0');
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) return std::nullopt;
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
    stream.avail_in = static_cast<uInt>(packed.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const int result = inflate(&stream, Z_FINISH);
    const bool whole = result == Z_STREAM_END && stream.total_out == size;
    inflateEnd(&stream);
    if (!whole) return std::nullopt;
    out.resize(size);
    return out;
}

}  // namespace

std::optional<ZipReader> ZipReader::Open(std::string bytes) {
    ZipReader reader(std::move(bytes));
    const std::string_view all = reader.bytes_;
    if (all.size() < kEndBytes) return std::nullopt;
    // The directory's end record is last, after a comment of at most 64 KiB.
    std::size_t end = all.size() - kEndBytes;
    const std::size_t earliest = end > 0xFFFF ? end - 0xFFFF : 0;
    while (U32(all, end) != kEndSignature) {
        if (end == earliest) return std::nullopt;
        --end;
    }
    const std::uint16_t count = U16(all, end + 10);
    const std::uint32_t directorySize = U32(all, end + 12);
    std::size_t at = U32(all, end + 16);
    if (at > end || directorySize > end - at) return std::nullopt;
    for (std::uint16_t i = 0; i < count; ++i) {
        if (at + kCentralBytes > end || U32(all, at) != kCentralSignature) return std::nullopt;
        Entry entry;
        entry.flags = U16(all, at + 8);
        entry.method = U16(all, at + 10);
        entry.time = U16(all, at + 12);
        entry.crc = U32(all, at + 16);
        entry.packedSize = U32(all, at + 20);
        entry.size = U32(all, at + 24);
        const std::size_t nameLength = U16(all, at + 28);
        const std::size_t extra = U16(all, at + 30), comment = U16(all, at + 32);
        const std::size_t local = U32(all, at + 42);
        if (at + kCentralBytes + nameLength > end) return std::nullopt;
        entry.name = std::string(all.substr(at + kCentralBytes, nameLength));
        at += kCentralBytes + nameLength + extra + comment;
        // The entry's own header must be where the directory says, and its
        // data wholly inside the archive.
        if (local + kLocalBytes > all.size() || U32(all, local) != kLocalSignature)
            return std::nullopt;
        entry.dataOffset = local + kLocalBytes + U16(all, local + 26) + U16(all, local + 28);
        if (entry.dataOffset > all.size() || entry.packedSize > all.size() - entry.dataOffset)
            return std::nullopt;
        reader.entries_.push_back(std::move(entry));
    }
    return reader;
}

std::vector<std::string> ZipReader::Names() const {
    std::vector<std::string> names;
    for (const Entry& entry : entries_) names.push_back(entry.name);
    return names;
}

bool ZipReader::Contains(std::string_view name) const {
    return std::any_of(entries_.begin(), entries_.end(),
                       [name](const Entry& entry) { return entry.name == name; });
}

std::optional<std::string> ZipReader::Read(std::string_view name, std::string_view password,
                                           std::size_t maxBytes) const {
    const auto entry = std::find_if(entries_.begin(), entries_.end(),
                                    [name](const Entry& e) { return e.name == name; });
    if (entry == entries_.end() || entry->size > maxBytes) return std::nullopt;
    std::string packed = bytes_.substr(entry->dataOffset, entry->packedSize);
    if (entry->flags & kEncrypted) {
        if (packed.size() < kEncryptionHeaderBytes) return std::nullopt;
        ClassicCipher cipher(password);
        for (char& c : packed) c = static_cast<char>(cipher.Decrypt(static_cast<std::uint8_t>(c)));
        // The header's last byte repeats the top of the checksum (of the
        // time, when the checksum follows the data): a wrong password shows.
        const auto check = static_cast<std::uint8_t>(packed[kEncryptionHeaderBytes - 1]);
        const auto expected = static_cast<std::uint8_t>(
            entry->flags & kDataDescriptor ? entry->time >> 8 : entry->crc >> 24);
        if (check != expected) return std::nullopt;
        packed.erase(0, kEncryptionHeaderBytes);
    }
    std::optional<std::string> data;
    if (entry->method == kStored && packed.size() == entry->size)
        data = std::move(packed);
    else if (entry->method == kDeflated)
        data = Inflate(packed, entry->size);
    if (!data) return std::nullopt;
    const auto crc =
        ::crc32(0, reinterpret_cast<const Bytef*>(data->data()), static_cast<uInt>(data->size()));
    if (crc != entry->crc) return std::nullopt;
    return data;
}
