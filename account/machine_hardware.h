#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

// Where the machine code's raw material comes from: the disks' serial
// numbers and the firmware. One implementation reads this machine; tests
// hand in drives of their own.
class MachineHardware {
public:
    using IdentifyData = std::array<std::uint16_t, 256>;

    virtual ~MachineHardware() = default;
    // The ATA IDENTIFY data of drive 0 to 3 (words as the drive sends them),
    // or nothing when the drive does not answer (needs the rights to open it).
    virtual std::optional<IdentifyData> AtaIdentify(int drive) = 0;
    // The serial number the system reports for drive 0 to 3 without special
    // rights (NVMe, virtio and SCSI disks), or nothing.
    virtual std::optional<std::string> ReportedSerial(int drive) = 0;
    // 4,096 bytes of firmware data, or nothing when none can be read.
    virtual std::optional<std::string> FirmwareData() = 0;
};

// This machine: the first four whole disks of /sys/block in name order;
// IDENTIFY through HDIO_GET_IDENTITY; serials from sysfs; the BIOS area at
// 0xFE000 through /dev/mem, else the DMI tables.
class SystemMachineHardware : public MachineHardware {
public:
    std::optional<IdentifyData> AtaIdentify(int drive) override;
    std::optional<std::string> ReportedSerial(int drive) override;
    std::optional<std::string> FirmwareData() override;
};
