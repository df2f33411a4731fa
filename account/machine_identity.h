#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "account/machine_hardware.h"

// The machine code: 16 upper-case hexadecimal digits derived from the disks'
// serial numbers and the firmware, hashed twice so that the raw values never
// leave the machine. Computed once by a run with the rights to write the
// machine-wide store ("/makemachine"), read by every other run.

// The stored code, or nothing when absent or not exactly 16 characters long.
std::optional<std::wstring> ReadMachineUid();

// ATA serial number: IDENTIFY words 10 to 19, each high byte first, with
// trailing spaces removed.
std::string AtaSerial(const MachineHardware::IdentifyData& identify);
// The disk serial text of the first pass (every drive that answers, in drive
// order) and of the second (the first drive that answers).
std::string DiskSerialText(MachineHardware& hardware, bool secondPass);
// CRC-32 (IEEE 802.3, reflected) of the bytes.
std::uint32_t Crc32(std::string_view bytes);
// Two CRC-32s over bytes 0-2047 and 1024-3071 of the firmware data, "%04X"
// each; empty without firmware data.
std::string FirmwareChecksumText(MachineHardware& hardware);
// The code for this hardware, without storing it.
std::wstring ComputeMachineCode(MachineHardware& hardware);

// Computes the code and stores it as "uid"; false when it cannot be stored
// (no rights to the machine-wide store).
bool MakeMachineCode(MachineHardware& hardware);

// The program run that computes a missing code: the program itself with
// "/makemachine", through pkexec when this user cannot write the
// machine-wide store.
struct MachineCodeRun {
    std::string program;
    bool elevate = false;
};
MachineCodeRun MachineCodeRunFor(const std::wstring& programPath);

// When the code is missing: runs the program as above and waits for it at
// most 3,000 ms (plus the time the user takes to authenticate). False only when the user dismissed
// the authentication (`cancelled` is then called to say so); true in every other case, also when
// the code is still missing.
bool EnsureMachineCode(const MachineCodeRun& run, const std::function<void()>& cancelled);
