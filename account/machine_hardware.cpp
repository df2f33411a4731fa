#include "account/machine_hardware.h"

#include <fcntl.h>
#include <linux/hdreg.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/file_io.h"
#include "platform/text.h"

namespace {

constexpr std::size_t kFirmwareBytes = 4096;
constexpr off_t kBiosAddress = 0xFE000;

// Whole physical disks, as the system numbers its drives: partitions, loop,
// RAM, device-mapper, RAID and optical devices are none.
std::vector<std::string> PhysicalDisks() {
    std::vector<std::string> disks;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/sys/block", error)) {
        const std::string name = entry.path().filename().string();
        static const char* kNotDisks[] = {"loop", "ram", "zram", "dm-", "md", "sr", "fd", "nbd"};
        if (std::any_of(std::begin(kNotDisks), std::end(kNotDisks),
                        [&](const char* prefix) { return name.rfind(prefix, 0) == 0; }))
            continue;
        if (!std::filesystem::exists(entry.path() / "device", error)) continue;
        disks.push_back(name);
    }
    std::sort(disks.begin(), disks.end());
    return disks;
}

std::optional<std::string> Disk(int drive) {
    const auto disks = PhysicalDisks();
    if (drive < 0 || static_cast<std::size_t>(drive) >= disks.size()) return std::nullopt;
    return disks[static_cast<std::size_t>(drive)];
}

std::string Trimmed(std::string text) {
    const auto notBlank = [](unsigned char c) { return c > ' '; };
    text.erase(text.begin(), std::find_if(text.begin(), text.end(), notBlank));
    text.erase(std::find_if(text.rbegin(), text.rend(), notBlank).base(), text.end());
    return text;
}

std::optional<std::string> SysfsText(const std::string& path) {
    const auto text = ReadWholeFile(Utf8ToWide(path), 4096);
    if (!text) return std::nullopt;
    std::string serial = Trimmed(*text);
    if (serial.empty()) return std::nullopt;
    return serial;
}

// The unit serial number page of a SCSI disk: 4 header bytes, then the text.
std::optional<std::string> VpdSerial(const std::string& path) {
    const auto page = ReadWholeFile(Utf8ToWide(path), 4096);
    if (!page || page->size() < 4) return std::nullopt;
    const std::size_t length = static_cast<unsigned char>((*page)[3]);
    std::string serial = Trimmed(page->substr(4, length));
    if (serial.empty()) return std::nullopt;
    return serial;
}

}  // namespace

std::optional<MachineHardware::IdentifyData> SystemMachineHardware::AtaIdentify(int drive) {
    const auto disk = Disk(drive);
    if (!disk) return std::nullopt;
    const int fd = ::open(("/dev/" + *disk).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    unsigned char raw[512] = {};
    const bool answered = ::ioctl(fd, HDIO_GET_IDENTITY, raw) == 0;
    ::close(fd);
    if (!answered) return std::nullopt;
    IdentifyData words{};
    for (std::size_t i = 0; i < words.size(); ++i)
        words[i] = static_cast<std::uint16_t>(raw[2 * i] | raw[2 * i + 1] << 8);
    // The kernel hands the serial words over already turned into text order;
    // they are put back as the drive sends them (high byte first).
    for (std::size_t i = 10; i < 20; ++i)
        words[i] = static_cast<std::uint16_t>(raw[2 * i] << 8 | raw[2 * i + 1]);
    return words;
}

std::optional<std::string> SystemMachineHardware::ReportedSerial(int drive) {
    const auto disk = Disk(drive);
    if (!disk) return std::nullopt;
    const std::string block = "/sys/block/" + *disk;
    if (auto serial = SysfsText(block + "/device/serial")) return serial;  // NVMe
    if (auto serial = SysfsText(block + "/serial")) return serial;         // virtio
    return VpdSerial(block + "/device/vpd_pg80");                          // SCSI, SATA
}

std::optional<std::string> SystemMachineHardware::FirmwareData() {
    std::string block(kFirmwareBytes, '\0');
    if (const int fd = ::open("/dev/mem", O_RDONLY | O_CLOEXEC); fd >= 0) {
        const ssize_t n = ::pread(fd, block.data(), block.size(), kBiosAddress);
        ::close(fd);
        if (n == static_cast<ssize_t>(block.size())) return block;
    }
    // Without access to the BIOS area: the firmware's own tables, padded.
    const auto dmi = ReadWholeFile(L"/sys/firmware/dmi/tables/DMI", 1024 * 1024);
    if (!dmi || dmi->empty()) return std::nullopt;
    std::copy_n(dmi->begin(), std::min(dmi->size(), block.size()), block.begin());
    return block;
}
