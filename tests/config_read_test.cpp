// Reading the installed configuration back from the driver's keys.
#include "config/DriverConfig.h"
#include "hx_test_support.h"

#include <cstring>

using namespace hxtest;

namespace {

class ReadInstalledConfig : public MachineTest {};

void ExpectDefaults(const CDriverConfig& c) {
    EXPECT_EQ(c.Start, 4u);
    EXPECT_EQ(c.Drive, 0u);
    EXPECT_EQ(c.Partition, 1u);
    EXPECT_EQ(c.DiskSize, 0u);
    EXPECT_EQ(c.BreakOnEntry, 0u);
    EXPECT_EQ(c.DebugLevel, 0u);
    EXPECT_EQ(std::memcmp(c.DosDevice, "\0\0\0\0\0\0\0\0", 8), 0);
}

TEST_F(ReadInstalledConfig, FreshSystemKeepsDefaultsAndShowsNothing) {
    CDriverConfig c;
    EXPECT_FALSE(c.ReadInstalledConfig());
    ExpectDefaults(c);
    EXPECT_TRUE(sim::MessageBoxes().empty());
}

TEST_F(ReadInstalledConfig, EitherKeyMissingReadsNothing) {
    for (bool serviceOnly : {true, false}) {
        sim::Reset();
        if (serviceOnly) {
            sim::SeedDword(kServiceKey, "Start", 0);
        } else {
            SeedInstalled(0, 1, 2, 0, "D:");
            sim::InjectFault({sim::Api::RegOpenKeyEx, 0, kServiceKey, "", ERROR_FILE_NOT_FOUND});
        }
        CDriverConfig c;
        EXPECT_FALSE(c.ReadInstalledConfig());
        ExpectDefaults(c); // not even Start is read
        EXPECT_EQ(sim::OpenKeyCount(), 0u);
    }
}

TEST_F(ReadInstalledConfig, CompleteConfigurationReadsEveryValue) {
    SeedInstalled(0, 1, 2, 0, "D:");
    sim::SeedDword(kParametersKey, "BreakOnEntry", 1);
    sim::SeedDword(kParametersKey, "DebugLevel", 3);
    CDriverConfig c;
    EXPECT_TRUE(c.ReadInstalledConfig());
    EXPECT_EQ(c.Start, 0u);
    EXPECT_EQ(c.Drive, 1u);
    EXPECT_EQ(c.Partition, 2u);
    EXPECT_EQ(c.BreakOnEntry, 1u);
    EXPECT_EQ(c.DebugLevel, 3u);
    EXPECT_STREQ(c.DosDevice, "D:");
}

TEST_F(ReadInstalledConfig, MissingValueFailsButTheOthersAreRead) {
    const char* names[] = {"Drive",        "Partition",  "DiskSize",
                           "BreakOnEntry", "DebugLevel", "DosDevice"};
    for (const char* missing : names) {
        sim::Reset();
        SeedInstalled(0, 7, 8, 9, "S:");
        sim::InjectFault(
            {sim::Api::RegQueryValueEx, 0, kParametersKey, missing, ERROR_FILE_NOT_FOUND});
        CDriverConfig c;
        EXPECT_FALSE(c.ReadInstalledConfig()) << missing;
        EXPECT_EQ(c.Start, 0u) << missing;
        EXPECT_EQ(c.Drive, std::strcmp(missing, "Drive") ? 7u : 0u) << missing;
        EXPECT_EQ(c.Partition, std::strcmp(missing, "Partition") ? 8u : 1u) << missing;
        EXPECT_EQ(c.DiskSize, std::strcmp(missing, "DiskSize") ? 9u : 0u) << missing;
        EXPECT_STREQ(c.DosDevice, std::strcmp(missing, "DosDevice") ? "S:" : "") << missing;
        EXPECT_EQ(sim::OpenKeyCount(), 0u) << missing;
    }
}

// A 32-bit field takes any value of at most four bytes byte for byte, whatever its type; a
// longer value fails and leaves the field as it was.
TEST_F(ReadInstalledConfig, DwordFieldsTakeShortValuesOfAnyType) {
    const DWORD types[] = {REG_NONE,     REG_SZ,    REG_EXPAND_SZ,
                           REG_BINARY,   REG_DWORD, REG_DWORD_BIG_ENDIAN,
                           REG_MULTI_SZ, REG_QWORD};
    for (DWORD type : types) {
        for (size_t size = 0; size <= 9; ++size) {
            sim::Reset();
            std::vector<BYTE> data;
            for (size_t i = 0; i < size; ++i)
                data.push_back(static_cast<BYTE>(0xA1 + i));
            sim::SeedValue(kParametersKey, "Drive", type, data);
            CDriverConfig c;
            c.Drive = 0x55555555;
            HKEY hKey;
            ASSERT_EQ(
                RegOpenKeyExA(HKEY_LOCAL_MACHINE, kParametersKey.c_str(), 0, KEY_ALL_ACCESS, &hKey),
                ERROR_SUCCESS);
            BOOL ok = c.ReadDwordValue(hKey, "Drive", &c.Drive);
            RegCloseKey(hKey);

            DWORD expected = 0x55555555;
            if (size > 0 && size <= 4)
                std::memcpy(&expected, data.data(), size);
            // As on Windows, a string read with room to spare gets a NUL after its bytes.
            bool isString = type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
            if (isString && size > 0 && size < 4)
                reinterpret_cast<BYTE*>(&expected)[size] = 0;
            EXPECT_EQ(ok != FALSE, size <= 4) << "type " << type << " size " << size;
            EXPECT_EQ(c.Drive, expected) << "type " << type << " size " << size;
            EXPECT_EQ(c.lLastError, size <= 4 ? ERROR_SUCCESS : ERROR_MORE_DATA);
        }
    }
}

TEST_F(ReadInstalledConfig, DosDeviceOfEveryLength) {
    const struct {
        std::string stored;
        bool read;
        const char* text;
    } cases[] = {
        {"", true, ""},
        {"S", true, "S"},
        {"S:", true, "S:"},                   // as written: no NUL
        {std::string("S:\0", 3), true, "S:"}, // with its NUL
        {"ABCDEFG", true, "ABCDEFG"},
        {"ABCDEFGH", true, "ABCDEFG"}, // full field: the last byte gives way to the NUL
        {"ABCDEFGHI", false, "Q:"},    // too long: the field keeps what it had
    };
    for (const auto& c : cases) {
        sim::Reset();
        SeedInstalled(0, 0, 0, 8388608, "S:");
        sim::SeedValue(kParametersKey, "DosDevice", REG_SZ, Bytes(c.stored));
        CDriverConfig config;
        std::memcpy(config.DosDevice, "Q:", 3);
        EXPECT_EQ(config.ReadInstalledConfig() != FALSE, c.read) << c.stored.size();
        EXPECT_STREQ(config.DosDevice, c.text) << c.stored.size();
    }
}

} // namespace
