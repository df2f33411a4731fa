#include "account/machine_identity.h"

#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>

#include "platform/file_io.h"
#include "platform/md5_hex.h"
#include "platform/processes.h"
#include "platform/registry.h"
#include "platform/text.h"

namespace {

constexpr std::wstring_view kProductKey = L"Software\\TaviOCR";
constexpr std::wstring_view kUidValue = L"uid";
constexpr std::size_t kUidLength = 16;
constexpr std::size_t kMaxHardwareBytes = 4096;
constexpr int kDrives = 4;
// pkexec's exit status when the user dismissed the authentication.
constexpr int kPkexecDismissed = 126;
constexpr auto kWaitForRun = std::chrono::milliseconds(3000);
// pkexec asks for the password inside the run; the user is given time to
// answer before the computation's own 3 s count.
constexpr auto kWaitForAuthentication = std::chrono::minutes(2);

}  // namespace

std::optional<std::wstring> ReadMachineUid() {
    auto uid = RegReadString(RegistryHive::LocalMachine, kProductKey, kUidValue, 520);
    if (!uid || uid->size() != kUidLength) return std::nullopt;
    return uid;
}

std::string AtaSerial(const MachineHardware::IdentifyData& identify) {
    std::string serial;
    for (std::size_t word = 10; word < 20; ++word) {
        serial += static_cast<char>(identify[word] >> 8);
        serial += static_cast<char>(identify[word] & 0xFF);
    }
    serial.resize(std::min(serial.size(), serial.find('\0')));
    while (!serial.empty() && serial.back() == ' ') serial.pop_back();
    return serial;
}

std::string DiskSerialText(MachineHardware& hardware, bool secondPass) {
    std::string text;
    if (!secondPass) {
        for (int drive = 0; drive < kDrives; ++drive) {
            if (const auto identify = hardware.AtaIdentify(drive))
                text += AtaSerial(*identify);
            else if (const auto serial = hardware.ReportedSerial(drive))
                text += *serial;
        }
        return text;
    }
    // Without special rights first, then the drives themselves; the first
    // drive that answers decides.
    for (int drive = 0; drive < kDrives; ++drive)
        if (const auto serial = hardware.ReportedSerial(drive); serial && !serial->empty())
            return *serial;
    for (int drive = 0; drive < kDrives; ++drive)
        if (const auto identify = hardware.AtaIdentify(drive)) return AtaSerial(*identify);
    return text;
}

std::uint32_t Crc32(std::string_view bytes) {
    return static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

std::string FirmwareChecksumText(MachineHardware& hardware) {
    const auto data = hardware.FirmwareData();
    if (!data || data->size() < 3072) return {};
    char text[32];
    std::snprintf(text, sizeof text, "%04X%04X", Crc32(std::string_view(*data).substr(0, 2048)),
                  Crc32(std::string_view(*data).substr(1024, 2048)));
    return text;
}

std::wstring ComputeMachineCode(MachineHardware& hardware) {
    std::string hardwareText = DiskSerialText(hardware, false) + FirmwareChecksumText(hardware);
    if (hardwareText.empty()) hardwareText = DiskSerialText(hardware, true);
    hardwareText.resize(std::min(hardwareText.size(), kMaxHardwareBytes));
    std::string code = Md5Hex(Md5Hex(hardwareText)).substr(0, kUidLength);
    std::transform(code.begin(), code.end(), code.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return Utf8ToWide(code);
}

bool MakeMachineCode(MachineHardware& hardware) {
    return RegWriteString(RegistryHive::LocalMachine, kProductKey, kUidValue,
                          ComputeMachineCode(hardware));
}

MachineCodeRun MachineCodeRunFor(const std::wstring& programPath) {
    const std::wstring store = RegistryStorePath(RegistryHive::LocalMachine);
    const std::string folder = NarrowPath(store.substr(0, store.rfind(L'/')));
    // Root, or a store this user may write (a private installation): no
    // authentication needed.
    const bool writable = ::geteuid() == 0 || ::access(folder.c_str(), W_OK) == 0;
    return {NarrowPath(programPath), !writable};
}

bool EnsureMachineCode(const MachineCodeRun& run, const std::function<void()>& cancelled) {
    if (ReadMachineUid()) return true;
    auto child = run.elevate ? ChildProcess::Start({"pkexec", run.program, "/makemachine"})
                             : ChildProcess::Start({run.program, "/makemachine"});
    if (!child) return true;  // no pkexec on this system: go on without the code
    const auto wait = run.elevate ? kWaitForAuthentication + kWaitForRun : kWaitForRun;
    if (child->WaitFor(wait) && run.elevate && child->ExitCode() == kPkexecDismissed) {
        if (cancelled) cancelled();
        return false;
    }
    return true;
}
