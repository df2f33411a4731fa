#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Zip archives read whole from memory: the skin packages (entries under the
// classic zip password) and the workbooks the table service sends. Stored and
// deflated entries; every offset and size is checked against the archive,
// and an entry's data against its checksum.
class ZipReader {
public:
    // Nothing when the bytes are no zip archive, or one whose directory
    // points outside it (a truncated download, for one).
    static std::optional<ZipReader> Open(std::string bytes);

    // Every entry's name, in directory order.
    std::vector<std::string> Names() const;
    bool Contains(std::string_view name) const;
    // One entry's bytes, decrypted with the password when it is encrypted;
    // nothing when it is missing, larger than maxBytes, encrypted otherwise
    // (AES), the password is wrong or the data is damaged.
    std::optional<std::string> Read(std::string_view name, std::string_view password,
                                    std::size_t maxBytes) const;

private:
    struct Entry {
        std::string name;
        std::uint16_t flags = 0, method = 0, time = 0;
        std::uint32_t crc = 0, packedSize = 0, size = 0;
        std::size_t dataOffset = 0;
    };
    explicit ZipReader(std::string bytes) : bytes_(std::move(bytes)) {}

    std::string bytes_;
    std::vector<Entry> entries_;
};
