// The machine code from given drives and firmware, its store, and the runs
// that compute it: the program's own "/makemachine" and the elevated one.

#include "account/machine_identity.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

#include "platform/registry.h"
#include "platform/text.h"
#include "support/temp_environment.h"

namespace {

class FakeHardware : public MachineHardware {
public:
    std::optional<IdentifyData> AtaIdentify(int drive) override {
        const auto it = ata.find(drive);
        if (it == ata.end()) return std::nullopt;
        IdentifyData words{};
        std::string serial = it->second;
        serial.resize(20, ' ');
        for (int i = 0; i < 10; ++i)
            words[10 + i] =
                static_cast<std::uint16_t>(static_cast<unsigned char>(serial[2 * i]) << 8 |
                                           static_cast<unsigned char>(serial[2 * i + 1]));
        return words;
    }
    std::optional<std::string> ReportedSerial(int drive) override {
        const auto it = reported.find(drive);
        return it == reported.end() ? std::nullopt : std::optional(it->second);
    }
    std::optional<std::string> FirmwareData() override { return firmware; }

    std::map<int, std::string> ata;       // drive → serial as the drive holds it
    std::map<int, std::string> reported;  // drive → serial from sysfs
    std::optional<std::string> firmware;
};

std::string Firmware() {
    std::string block(4096, '\0');
    for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>(i % 251);
    return block;
}

}  // namespace

TEST(MachineCode, SerialsInDriveOrderWithTheFirmwareChecksums) {
    FakeHardware hardware;
    hardware.ata[0] = "WD-WCC4N1234567";
    hardware.reported[0] = "never asked: drive 0 answered IDENTIFY";
    hardware.reported[1] = "S3Z9NB0K123456X";
    hardware.firmware = Firmware();
    EXPECT_EQ(DiskSerialText(hardware, false), "WD-WCC4N1234567S3Z9NB0K123456X");
    EXPECT_EQ(FirmwareChecksumText(hardware), "DD34AD6124FE8D50");
    // Reference: the two MD5 stages over both texts, computed outside.
    EXPECT_EQ(ComputeMachineCode(hardware), L"66E768AB99FE7412");
    // The second pass takes the first drive with a reported serial.
    EXPECT_EQ(DiskSerialText(hardware, true), "never asked: drive 0 answered IDENTIFY");
}

TEST(MachineCode, NoHardwareGivesTheFixedDigestOfTheEmptyText) {
    FakeHardware nothing;
    EXPECT_EQ(ComputeMachineCode(nothing), L"74BE16979710D4C4");
    EXPECT_EQ(Crc32("123456789"), 0xCBF43926u);
}

class MachineUidTest : public TempEnvironment {};

TEST_F(MachineUidTest, OnlyExactlySixteenCharactersCount) {
    for (const wchar_t* stored : {L"0123456789ABCDE", L"0123456789ABCDEF0"}) {
        ASSERT_TRUE(
            RegWriteString(RegistryHive::LocalMachine, L"Software\\TaviOCR", L"uid", stored));
        EXPECT_FALSE(ReadMachineUid()) << WideToUtf8(stored);
    }
    FakeHardware hardware;
    hardware.reported[0] = "disk";
    ASSERT_TRUE(MakeMachineCode(hardware));
    const auto uid = ReadMachineUid();
    ASSERT_TRUE(uid);
    EXPECT_EQ(uid->find_first_not_of(L"0123456789ABCDEF"), std::wstring::npos);
}

TEST_F(MachineUidTest, TheProgramStoresTheSameCodeOnEveryRun) {
    const std::string program = std::string(TAVIOCR_OUT_DIR) + "/taviocr";
    ASSERT_EQ(std::system((program + " /makemachine").c_str()), 0);
    const auto first = ReadMachineUid();
    ASSERT_TRUE(first);
    ASSERT_TRUE(RegDeleteValue(RegistryHive::LocalMachine, L"Software\\TaviOCR", L"uid"));
    ASSERT_TRUE(EnsureMachineCode(MachineCodeRunFor(Utf8ToWide(program)), {}));
    EXPECT_EQ(ReadMachineUid(), first);
}

TEST_F(MachineUidTest, ADismissedAuthenticationIsTheOnlyRefusal) {
    // A stand-in pkexec: the first refuses as a dismissed prompt does, the
    // second runs the program as it was asked to.
    const std::string bin = NarrowPath("bin");
    std::filesystem::create_directories(bin);
    const std::string path = std::getenv("PATH");
    ::setenv("PATH", (bin + ":" + path).c_str(), 1);
    const MachineCodeRun run{std::string(TAVIOCR_OUT_DIR) + "/taviocr", true};
    int cancelled = 0;
    for (const auto& [script, refused] :
         {std::pair{"#!/bin/sh\nexit 126\n", true}, std::pair{"#!/bin/sh\nexec \"$@\"\n", false}}) {
        std::ofstream(bin + "/pkexec") << script;
        ::chmod((bin + "/pkexec").c_str(), 0755);
        EXPECT_EQ(EnsureMachineCode(run, [&] { ++cancelled; }), !refused);
    }
    ::setenv("PATH", path.c_str(), 1);
    EXPECT_EQ(cancelled, 1);
    EXPECT_TRUE(ReadMachineUid()) << "the authenticated run stored the code";
}
