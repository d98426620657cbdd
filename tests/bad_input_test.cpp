// Bad input through whole runs: odd registry values and odd drives, and for each what the user
// sees (boxes, rows, the drive's panel, the start status) and what a run writes. The functions
// on their own are covered by config_*_test.cpp and drives_test.cpp; here the point is what the
// whole program makes of the input.
#include <gtest/gtest.h>
#include <sim/machine.h>
#include <sim/ui.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <functional>
#include <string>
#include <vector>

#include "app/HxSetupApp.h"
#include "hx_test_support.h"
#include "res/resource.h"

using namespace hxtest;

namespace {

const DWORD kMiB = 1048576;
const DWORD kBudget = 8 * kMiB; // 32 MiB of memory, the system's own pool size

const Box kQuerySessionManager = ErrorBox("Fatal Error\n Unable to query session manager");
const Box kQueryGroupOrder = AppBox("Warning, unable to query service group order");
const Box kWriteGroupOrder = AppBox("Error, couldn't write to Service Group Order");

// What the user saw of one run.
struct Seen {
    std::vector<std::string> rows;
    std::string status;             // the start status line
    std::vector<std::string> panel; // the drive panel after the click, when there is one
};

enum class Then { Ok, PickFirstRowThenOk, Cancel };

// A whole run: the main dialog shows its start status, then the user does `then`.
Seen RunProgram(Then then) {
    auto seen = std::make_shared<Seen>();
    sim::ui::OnDialog(IDD_HXSETUP_DIALOG, [seen, then](sim::ui::Dialog& d) {
        seen->rows = d.ListRows(IDC_DRIVE_LIST);
        sim::ui::AdvanceClock(250);
        if (PanelsPainted() == 1)
            seen->status = MainDialogOf(d.hwnd()).m_strStatus;
        if (then == Then::PickFirstRowThenOk) {
            d.ClickListRow(IDC_DRIVE_LIST, 0);
            seen->panel = PropertiesShown(d.hwnd());
            d.Click(IDC_SELECT_DRIVE);
        }
        if (then == Then::Cancel)
            d.Click(IDCANCEL);
        else
            d.Click(IDOK);
    });
    sim::SetCommandLine("HxSetup.exe");
    AfxWinMain(GetModuleHandleA(nullptr), nullptr, GetCommandLineA(), 1);
    EXPECT_EQ(sim::OpenKeyCount(), 0u);
    EXPECT_EQ(sim::ui::OutstandingDCs(), 0u);
    EXPECT_EQ(sim::ui::OutstandingGdiObjects(), 0u);
    EXPECT_EQ(sim::ui::LiveTimerCount(), 0u);
    EXPECT_TRUE(sim::Misuses().empty());
    return *seen;
}

std::vector<BYTE> Pattern(size_t n) {
    std::vector<BYTE> out;
    for (size_t i = 0; i < n; ++i)
        out.push_back(static_cast<BYTE>(0x11 * (i + 1)));
    return out;
}

bool IsString(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// A value of at most 4 bytes read over a field that held `before`: its bytes replace the
// field's first bytes, and a string type not ending in a NUL gets one after them, as Windows
// gives it.
DWORD ReadOver(DWORD before, DWORD type, const std::vector<BYTE>& bytes) {
    DWORD v = before;
    if (!bytes.empty())
        std::memcpy(&v, bytes.data(), bytes.size());
    if (IsString(type) && !bytes.empty() && bytes.size() < 4 && bytes.back() != 0)
        reinterpret_cast<BYTE*>(&v)[bytes.size()] = 0;
    return v;
}

const DWORD kTypes[] = {REG_NONE,  REG_SZ,       REG_EXPAND_SZ,        REG_BINARY,
                        REG_DWORD, REG_MULTI_SZ, REG_DWORD_BIG_ENDIAN, REG_QWORD};

class BadInput : public MachineTest {
protected:
    void TearDown() override {
        MachineTest::TearDown();
        sim::Reset();
    }
};

// ---- NonPagedPoolSize: the one value without which nothing can start ----

TEST_F(BadInput, PoolSizeOfEveryTypeAndSize) {
    for (DWORD type : kTypes) {
        for (size_t size = 0; size <= 9; ++size) {
            SCOPED_TRACE("type " + std::to_string(type) + ", " + std::to_string(size) + " bytes");
            sim::Reset();
            SeedNtSystem();
            sim::SeedValue(kMemoryKey, "NonPagedPoolSize", type, Pattern(size));
            sim::Hive before = sim::Snapshot();
            RunProgram(Then::Ok);
            if (size > 4) {
                ExpectBoxes({kQuerySessionManager});
                EXPECT_EQ(sim::Snapshot(), before); // nothing at all is prepared
                continue;
            }
            ExpectBoxes({});
            // Whatever it was stored as, OK writes the pool size back as the DWORD it read.
            EXPECT_EQ(sim::GetValue(kMemoryKey, "NonPagedPoolSize"),
                      (sim::RegValue{REG_DWORD, [&] {
                                         DWORD v = ReadOver(0, type, Pattern(size));
                                         return std::vector<BYTE>(reinterpret_cast<BYTE*>(&v),
                                                                  reinterpret_cast<BYTE*>(&v) + 4);
                                     }()}));
        }
    }
}

TEST_F(BadInput, PoolSizesAroundTheReserve) {
    const struct {
        const char* what;
        std::optional<DWORD> pool; // nullopt: no value at all
        DWORD totalPhys;
        std::vector<Box> boxes;
        DWORD ramDisk; // the RAM disk's size, written as DiskSize when the user picks it
    } cases[] = {
        {"missing", std::nullopt, 32 * kMiB, {kQuerySessionManager}, 0},
        {"0: the system chooses", 0, 32 * kMiB, {}, kBudget},
        {"1 byte", 1, 32 * kMiB, {}, 0},
        {"4 MiB - 1", 4 * kMiB - 1, 32 * kMiB, {}, 0},
        {"4 MiB", 4 * kMiB, 32 * kMiB, {}, 0},
        {"4 MiB + 1", 4 * kMiB + 1, 32 * kMiB, {}, 1},
        {"above physical memory", 64 * kMiB, 32 * kMiB, {}, 60 * kMiB},
        {"all of 4 GiB", 0xFFFFFFFF, 32 * kMiB, {}, 0xFFFFFFFF - 4 * kMiB},
        {"small machine: always 3 MiB", 64 * kMiB, 16000000, {}, 3 * kMiB},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        sim::Reset();
        if (c.pool) {
            SeedNtSystem(*c.pool);
        } else {
            sim::SeedKey(kMemoryKey);
            sim::SeedMultiSz(kGroupOrderKey, "List", kNtGroups);
        }
        sim::SetTotalPhys(c.totalPhys);
        Seen seen = RunProgram(Then::PickFirstRowThenOk);
        ExpectBoxes(c.boxes);
        if (!c.pool) {
            EXPECT_FALSE(sim::KeyExists(kServiceKey));
            continue;
        }
        // The system disk (4 GiB) never fits: the RAM disk is the only row.
        ASSERT_EQ(seen.rows.size(), 1u);
        EXPECT_EQ(sim::GetDword(kParametersKey, "DiskSize"), c.ramDisk);
        EXPECT_EQ(sim::GetDword(kMemoryKey, "NonPagedPoolSize"), *c.pool); // written back as read
    }
}

// ---- the installed configuration's DWORDs ----

TEST_F(BadInput, InstalledDwordsOfAnyTypeAndSizeAreWrittenBackAsDwords) {
    const struct {
        const char* key;
        const char* name;
        DWORD installed; // as SeedInstalled writes it, before the odd value replaces it
        DWORD fallback;  // the record's default, kept when the value cannot be read
    } fields[] = {
        {"service", "Start", 0, 4},
        {"parameters", "Drive", 0, 0},
        {"parameters", "DiskSize", kBudget, 0},
    };
    for (const auto& f : fields) {
        const std::string& key = std::strcmp(f.key, "service") == 0 ? kServiceKey : kParametersKey;
        for (DWORD type : {DWORD(REG_SZ), DWORD(REG_BINARY), DWORD(REG_DWORD)}) {
            for (size_t size = 0; size <= 9; ++size) {
                SCOPED_TRACE(std::string(f.name) + ", type " + std::to_string(type) + ", " +
                             std::to_string(size) + " bytes");
                sim::Reset();
                SeedNtSystem();
                SeedInstalled(0, 0, 0, kBudget, "S:");
                sim::SeedValue(key, f.name, type, Pattern(size));
                RunProgram(Then::Ok);
                ExpectBoxes({}); // an odd installation is not an error the user is told of
                DWORD want = size > 4 ? f.fallback : ReadOver(f.fallback, type, Pattern(size));
                EXPECT_EQ(sim::GetValue(key, f.name),
                          (sim::RegValue{REG_DWORD,
                                         std::vector<BYTE>(reinterpret_cast<BYTE*>(&want),
                                                           reinterpret_cast<BYTE*>(&want) + 4)}));
                // The other values are read and written back untouched.
                EXPECT_EQ(sim::GetValue(kParametersKey, "DosDevice"),
                          (sim::RegValue{REG_SZ, {'S', ':', 0}}));
            }
        }
    }
}

TEST_F(BadInput, DosDeviceOfEveryLength) {
    const struct {
        std::string stored;
        const char* status;        // the start status the user sees
        std::vector<BYTE> written; // what OK writes back (always from 2 bytes of the field)
    } cases[] = {
        {"", "Running on drive ", {0, 0}},
        {"S", "Running on drive S", {'S', 0}},
        {"S:", "Running on drive S:", {'S', ':', 0}}, // the NUL after the 2 bytes goes too
        {std::string("S:\0", 3), "Running on drive S:", {'S', ':', 0}},
        {"ABCD", "Running on drive ABCD", {'A', 'B'}},
        {"ABCDEFG", "Running on drive ABCDEFG", {'A', 'B'}},
        {"ABCDEFGH", "Running on drive ABCDEFG", {'A', 'B'}}, // 7 kept: the field stays ended
        {"ABCDEFGHI", "Running on drive ", {0, 0}},           // unreadable: the default
        {std::string(9, '\0'), "Running on drive ", {0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.stored.size()) + " bytes");
        sim::Reset();
        SeedNtSystem();
        SeedInstalled(0, 0, 0, kBudget, "S:");
        sim::SeedValue(kParametersKey, "DosDevice", REG_SZ, Bytes(c.stored));
        Seen seen = RunProgram(Then::Ok);
        ExpectBoxes({});
        EXPECT_EQ(seen.status, c.status);
        EXPECT_EQ(sim::GetValue(kParametersKey, "DosDevice"), (sim::RegValue{REG_SZ, c.written}));
    }
}

// ---- the service group order ----

std::vector<BYTE> Names(const std::vector<std::string>& names, bool finalNuls = true) {
    std::vector<BYTE> out = MultiSz(names);
    if (!finalNuls)
        out.resize(out.size() - 2); // neither the last name's NUL nor the list's end
    return out;
}

// A list of exactly `length` bytes holding "filter" (or not), as the system keeps it.
std::vector<BYTE> ListOfLength(size_t length, bool withFilter) {
    std::vector<std::string> names;
    if (withFilter)
        names.push_back("filter");
    size_t used = withFilter ? 8 : 1; // "filter" and its NUL, and the final NUL
    names.push_back(std::string(length - used - 1, 'x'));
    std::vector<BYTE> out = MultiSz(names);
    EXPECT_EQ(out.size(), length);
    return out;
}

TEST_F(BadInput, GroupOrderLists) {
    const auto H = [](std::vector<std::string> v) { return MultiSz(v); };
    const struct {
        const char* what;
        std::vector<BYTE> stored;
        std::vector<Box> boxes;
        std::optional<std::vector<BYTE>> written; // nullopt: left exactly as it was
        bool goesOn;                              // the run reaches the dialog
    } cases[] = {
        {"0 bytes", {}, {}, std::nullopt, true},
        {"1 byte", {0}, {}, std::nullopt, true},
        {"2 bytes", {0, 0}, {}, std::nullopt, true},
        {"1014 bytes with filter",
         ListOfLength(1014, true),
         {},
         [] {
             std::vector<BYTE> v = MultiSz({"Halcyonix", "filter", std::string(1005, 'x')});
             return v;
         }(),
         true},
        {"1015 bytes with filter",
         ListOfLength(1015, true),
         {kWriteGroupOrder},
         std::nullopt,
         false},
        {"1024 bytes with filter",
         ListOfLength(1024, true),
         {kWriteGroupOrder},
         std::nullopt,
         false},
        {"1024 bytes without filter", ListOfLength(1024, false), {}, std::nullopt, true},
        {"1025 bytes", ListOfLength(1025, true), {kQueryGroupOrder}, std::nullopt, false},
        {"no final NULs",
         Names({"Base", "filter"}, false),
         {},
         H({"Base", "Halcyonix", "filter"}),
         true},
        {"only filter, no NUL", Bytes("filter"), {}, H({"Halcyonix", "filter"}), true},
        {"FILTER first", H({"FILTER", "Base"}), {}, H({"Halcyonix", "FILTER", "Base"}), true},
        {"Filter last", H({"Base", "Filter"}), {}, H({"Base", "Halcyonix", "Filter"}), true},
        {"two filters: before the first",
         H({"fIlTeR", "filter"}),
         {},
         H({"Halcyonix", "fIlTeR", "filter"}),
         true},
        {"filters but no exact name", H({"filters", "filte", "xfilter"}), {}, std::nullopt, true},
        {"HALCYONIX first", H({"HALCYONIX", "filter"}), {}, std::nullopt, true},
        {"halcyonix last, after filter",
         H({"filter", "Base", "halcyonix"}),
         {},
         std::nullopt,
         true},
        {"an empty name ends the list", Names({"Base", "", "filter"}), {}, std::nullopt, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        sim::Reset();
        SeedNtSystem();
        sim::SeedValue(kGroupOrderKey, "List", REG_MULTI_SZ, c.stored);
        RunProgram(Then::Ok);
        ExpectBoxes(c.boxes);
        EXPECT_EQ(sim::GetValue(kGroupOrderKey, "List"),
                  (sim::RegValue{REG_MULTI_SZ, c.written ? *c.written : c.stored}));
        EXPECT_EQ(sim::KeyExists(kEventSourceKey), c.goesOn);
        EXPECT_EQ(sim::KeyExists(kServiceKey), c.goesOn); // OK wrote the configuration
    }
}

// ---- drives ----

std::string Row(char letter, DWORD kilobytes) {
    char sz[64];
    std::snprintf(sz, sizeof sz, " %c:        %11d               ...", letter,
                  static_cast<int>(kilobytes));
    return sz;
}

TEST_F(BadInput, DrivesThroughAWholeRun) {
    const std::string device62 = "\\Device\\Harddisk7\\Partition9" + std::string(34, 'x');
    const struct {
        const char* what;
        std::vector<sim::Drive> drives;
        std::vector<Box> boxes;
        std::vector<std::string> rows;
        std::string panelType; // the panel's "Drive type:" line, when a row was picked
        // Written on OK after the user picked the first row, if there was one.
        DWORD drive, partition, diskSize;
        std::vector<BYTE> dosDevice;
    } cases[] = {
        {"no drive at all",
         {},
         {AppBox("Internal error: GetDriveLogicalStrings() failed", MB_ICONERROR)},
         {},
         "",
         0,
         1,
         0,
         {0, 0}},
        {"one drive that fits",
         {FixedDrive('D', 4096)},
         {},
         {Row('D', 2048), Row('S', kBudget / 1024)},
         "Drive type:    FAT",
         1,
         2,
         0,
         {'D', ':', 0}},
        {"one byte under the budget",
         {FixedDrive('D', kBudget - 1, 1)},
         {},
         {Row('D', kBudget / 1024 - 1), Row('S', kBudget / 1024)},
         "Drive type:    FAT",
         1,
         2,
         0,
         {'D', ':', 0}},
        {"exactly the budget: not a candidate",
         {FixedDrive('D', kBudget, 1)},
         {},
         {Row('S', kBudget / 1024)},
         "Drive type:    FAT",
         0,
         0,
         kBudget,
         {'S', ':', 0}},
        {"cluster x sector above 2^32, would wrap to 0",
         {FixedDrive('D', 1, 0x10000, 0x10000)},
         {},
         {Row('S', kBudget / 1024)},
         "Drive type:    FAT",
         0,
         0,
         kBudget,
         {'S', ':', 0}},
        {"4 GiB + 512 bytes, would wrap to 512",
         {FixedDrive('D', 0x800001)},
         {},
         {Row('S', kBudget / 1024)},
         "Drive type:    FAT",
         0,
         0,
         kBudget,
         {'S', ':', 0}},
        {"file system of 7 characters",
         {FixedDrive('D', 4096).FileSystem("ABCDEFG")},
         {},
         {Row('D', 2048), Row('S', kBudget / 1024)},
         "Drive type:   ABCDEFG",
         1,
         2,
         0,
         {'D', ':', 0}},
        {"file system of 8 characters: 7 kept",
         {FixedDrive('D', 4096).FileSystem("ABCDEFGH")},
         {},
         {Row('D', 2048), Row('S', kBudget / 1024)},
         "Drive type:   ABCDEFG",
         1,
         2,
         0,
         {'D', ':', 0}},
        {"file system of 31 characters: 7 kept",
         {FixedDrive('D', 4096).FileSystem(std::string(31, 'N'))},
         {},
         {Row('D', 2048), Row('S', kBudget / 1024)},
         "Drive type:   NNNNNNN",
         1,
         2,
         0,
         {'D', ':', 0}},
        {"file system of 32 characters: no list, no message",
         {FixedDrive('D', 4096).FileSystem(std::string(32, 'N'))},
         {},
         {},
         "",
         0,
         1,
         0,
         {0, 0}},
        {"device name of 62 characters",
         {FixedDrive('D', 4096).Device(device62)},
         {},
         {Row('D', 2048), Row('S', kBudget / 1024)},
         "Drive type:    FAT",
         7,
         9,
         0,
         {'D', ':', 0}},
        {"device name of 63 characters: with its two NULs it does not fit 64",
         {FixedDrive('D', 4096).Device(device62 + "x")},
         {AppBox("Internal error: QueryDosDevice() failed, drive D:", MB_ICONERROR)},
         {},
         "",
         0,
         1,
         0,
         {0, 0}},
        {"device name of 64 characters",
         {FixedDrive('D', 4096).Device(device62 + "xx")},
         {AppBox("Internal error: QueryDosDevice() failed, drive D:", MB_ICONERROR)},
         {},
         "",
         0,
         1,
         0,
         {0, 0}},
        {"a volume, not a partition",
         {FixedDrive('D', 4096).Device("\\Device\\HarddiskVolume3")},
         {},
         {Row('D', 2048), Row('S', kBudget / 1024)},
         "Drive type:    FAT",
         0,
         0,
         0,
         {'D', ':', 0}},
        {"a short name",
         {FixedDrive('D', 4096).Device("\\Device\\Ram")},
         {},
         {Row('D', 2048), Row('S', kBudget / 1024)},
         "Drive type:    FAT",
         0,
         0,
         0,
         {'D', ':', 0}},
        {"leading zeros: '0' alone is the number",
         {FixedDrive('D', 4096).Device("\\Device\\Harddisk012\\Partition03")},
         {},
         {Row('D', 2048), Row('S', kBudget / 1024)},
         "Drive type:    FAT",
         0,
         0,
         0,
         {'D', ':', 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        sim::Reset();
        sim::SeedDword(kMemoryKey, "NonPagedPoolSize", 0);
        sim::SeedMultiSz(kGroupOrderKey, "List", kNtGroups);
        for (const sim::Drive& d : c.drives)
            sim::AddDrive(d);
        Seen seen = RunProgram(Then::PickFirstRowThenOk);
        ExpectBoxes(c.boxes);
        EXPECT_EQ(seen.rows, c.rows);
        if (!c.rows.empty()) {
            ASSERT_GE(seen.panel.size(), 2u);
            EXPECT_EQ(seen.panel[1], c.panelType);
            EXPECT_EQ(sim::GetDword(kServiceKey, "Start"), 0u); // configured
        } else {
            EXPECT_EQ(sim::GetDword(kServiceKey, "Start"), 4u); // nothing to pick
        }
        EXPECT_EQ(sim::GetDword(kParametersKey, "Drive"), c.drive);
        EXPECT_EQ(sim::GetDword(kParametersKey, "Partition"), c.partition);
        EXPECT_EQ(sim::GetDword(kParametersKey, "DiskSize"), c.diskSize);
        EXPECT_EQ(sim::GetValue(kParametersKey, "DosDevice"), (sim::RegValue{REG_SZ, c.dosDevice}));
    }
}

TEST_F(BadInput, TwentySixDrives) {
    std::vector<std::string> rows;
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        sim::AddDrive(FixedDrive(letter, 2 * (letter - 'A' + 1)));
        rows.push_back(Row(letter, letter - 'A' + 1));
    }
    rows.push_back(Row('S', kBudget / 1024)); // the RAM disk, besides the real S:
    sim::SeedDword(kMemoryKey, "NonPagedPoolSize", 0);
    sim::SeedMultiSz(kGroupOrderKey, "List", kNtGroups);
    Seen seen = RunProgram(Then::Cancel);
    ExpectBoxes({});
    EXPECT_EQ(seen.rows, rows);
    EXPECT_FALSE(sim::KeyExists(kServiceKey));
}

} // namespace
