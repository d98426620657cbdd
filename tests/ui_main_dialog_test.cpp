// The main dialog's rules on their own (a row, the panels' lines and where they start, the status
// texts, the pick), then the dialog driven by a scripted user: memory figures, rows, the pick,
// the two commands, the start timer, help, and the failures of the drive list.
#include <gtest/gtest.h>
#include <sim/machine.h>
#include <sim/ui.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "config/DriverConfig.h"
#include "hx_test_support.h"
#include "platform/CWinApp.h"
#include "res/resource.h"
#include "ui/HxSetupDlg.h"
#include "ui/MainDialogView.h"

namespace {

using hxtest::FixedDrive;
using hxtest::PanelsPainted;

const DWORD kMiB = 1048576;
const char kHelpFile[] = "C:\\Program Files\\Halcyonix\\HxSetup.HLP";

using Script = std::function<void(sim::ui::Dialog&, CHxSetupDlg&)>;

// A machine lists at least one drive; a CD-ROM drive is never a candidate.
void AddOtherDrive() {
    sim::Drive cdrom;
    cdrom.letter = 'Z';
    cdrom.type = DRIVE_CDROM;
    sim::AddDrive(cdrom);
}

// The row the dialog shows for a drive of that name and size.
std::string RowOf(const char* pszName, LONGLONG llBytes, bool bHardDisk = true) {
    DriveEntry entry = {};
    entry.llSize = llBytes;
    std::snprintf(entry.szDriveName, sizeof entry.szDriveName, "%s", pszName);
    entry.bHardDisk = bHardDisk;
    DriveRow row;
    MakeDriveRow(entry, row);
    return row.szText;
}

// ---- the rules, apart from the windows ----

// A row: one blank, the name, the kilobyte figure right-aligned so that it ends in column 22,
// and the row ends in three full stops at column 40. Only the low 32 bits of the kilobytes are
// shown, as a signed number.
struct DriveRowCase {
    const char* name;
    LONGLONG bytes;
    bool hardDisk;
    long long figure;
    int image; // 3: hard-disk drive, 2: memory chip
};

const LONGLONG kKiB = 1024;
const DriveRowCase kDriveRowCases[] = {
    {"fixed drive of 10 MiB", 10485760, true, 10240, 3},
    {"its remainder dropped", 10486783, true, 10240, 3},
    {"one byte short of a kilobyte", 1023, true, 0, 3},
    {"one kilobyte", 1024, true, 1, 3},
    {"RAM disk", 8388608, false, 8192, 2},
    {"the largest positive figure", 0x7FFFFFFF * kKiB, true, 2147483647, 3},
    {"one more turns negative", 0x80000000 * kKiB, true, -2147483648LL, 3},
    {"2^32 - 1 kilobytes", 0xFFFFFFFF * kKiB, true, -1, 3},
    {"2^32 kilobytes wrap to 0", 0x100000000 * kKiB, true, 0, 3},
    {"2^32 + 5 kilobytes", (0x100000000 + 5) * kKiB, true, 5, 3},
};

TEST(MainDialogRules, DriveRow) {
    for (const DriveRowCase& c : kDriveRowCases) {
        SCOPED_TRACE(c.name);
        DriveEntry entry = {};
        entry.llSize = c.bytes;
        std::snprintf(entry.szDriveName, sizeof entry.szDriveName, "D:");
        entry.bHardDisk = c.hardDisk;
        DriveRow row;
        MakeDriveRow(entry, row);
        const std::string text = row.szText;
        ASSERT_EQ(text.size(), 40u);
        EXPECT_EQ(text.substr(0, 3), " D:");
        EXPECT_EQ(text.substr(37), "...");
        const std::string field = text.substr(11, 11); // after the name and eight blanks
        EXPECT_EQ(std::stoll(field), c.figure);
        EXPECT_NE(field.back(), ' ') << "right-aligned";
        EXPECT_EQ(text.substr(3, 8).find_first_not_of(' '), std::string::npos);
        EXPECT_EQ(text.substr(22, 15).find_first_not_of(' '), std::string::npos);
        EXPECT_EQ(row.nImage, c.image);
    }
}

struct Drawn {
    int x, y;
    std::string text;
    bool operator==(const Drawn& o) const { return x == o.x && y == o.y && text == o.text; }
};
std::ostream& operator<<(std::ostream& os, const Drawn& d) {
    return os << "(" << d.x << "," << d.y << ") \"" << d.text << "\"";
}

struct PanelCase {
    const char* name;
    const char* drive;
    const char* fileSystem;
    bool ramDisk;
    std::vector<Drawn> lines;
};

const PanelCase kPanelCases[] = {
    {"RAM disk",
     "S:",
     "FAT",
     true,
     {{28, 180, "S:      (Ram Disk)"},
      {28, 195, "Drive type:    FAT"},
      {28, 240, "If selected, this device is created"},
      {28, 252, "automatically during the next"},
      {28, 264, "system reboot."}}},
    {"mirrored drive",
     "C:",
     "NTFS",
     false,
     {{28, 180, "C:     (Hard Disk)"},
      {28, 195, "Drive type:   NTFS"},
      {28, 240, "If selected, a mirror image of"},
      {28, 252, "this drive is created in memory"},
      {28, 264, "the next time your system boots."}}},
};

TEST(MainDialogRules, PropertiesLines) {
    for (const PanelCase& c : kPanelCases) {
        DriveEntry entry = {};
        std::snprintf(entry.szDriveName, sizeof entry.szDriveName, "%s", c.drive);
        std::snprintf(entry.szFileSystem, sizeof entry.szFileSystem, "%s", c.fileSystem);
        entry.bRamDisk = c.ramDisk;
        entry.bHardDisk = !c.ramDisk;
        PanelLine lines[kPropertiesLineCount];
        MakePropertiesLines(entry, lines);
        std::vector<Drawn> got;
        for (const PanelLine& l : lines)
            got.push_back({l.x, l.y, l.szText});
        EXPECT_EQ(got, c.lines) << c.name;
    }
}

// The file system's name stands right-aligned in four characters after three blanks; a longer
// one is not cut.
TEST(MainDialogRules, FileSystemLine) {
    const struct {
        const char* fileSystem;
        const char* line;
    } cases[] = {
        {"FAT", "Drive type:    FAT"},
        {"NTFS", "Drive type:   NTFS"},
        {"FAT32", "Drive type:   FAT32"},
        {"", "Drive type:       "},
    };
    for (const auto& c : cases) {
        DriveEntry entry = {};
        std::snprintf(entry.szFileSystem, sizeof entry.szFileSystem, "%s", c.fileSystem);
        PanelLine lines[kPropertiesLineCount];
        MakePropertiesLines(entry, lines);
        EXPECT_STREQ(lines[1].szText, c.line) << c.fileSystem;
    }
}

// The status lines are centred on x = 319, the panel's 170 pixels from x = 234. 171 and 175 show
// that the half of a negative remainder truncates toward zero (-1 / 2 is 0 and -5 / 2 is -2,
// where rounding down would give -1 and -3).
struct CentreCase {
    int width;
    int x;
};

const CentreCase kCentreCases[] = {{0, 319},   {165, 236}, {169, 234}, {170, 234},
                                   {171, 234}, {172, 233}, {175, 232}, {180, 229}};

TEST(MainDialogRules, StatusLinesAreCentred) {
    for (const CentreCase& c : kCentreCases)
        EXPECT_EQ(StatusLineX(c.width), c.x) << c.width << " pixels";
    EXPECT_EQ(kStatusLine1Y, 120);
    EXPECT_EQ(kStatusLine2Y, 136);
}

// The budget in units of 1,024,000 bytes, remainder dropped.
TEST(MainDialogRules, StatusTexts) {
    DriveEntry entry = {};
    std::snprintf(entry.szDriveName, sizeof entry.szDriveName, "S:");
    char sz[64];
    FormatConfiguredLine(entry, sz);
    EXPECT_STREQ(sz, "Drive S: configured");
    EXPECT_STREQ(ConfirmLine(), "Click on \"OK\" to confirm");

    const struct {
        DWORD usable;
        const char* line;
    } cases[] = {
        {12582912, "Non-Paged Pool reset to 12MB"},
        {1023999, "Non-Paged Pool reset to 0MB"},
        {1024000, "Non-Paged Pool reset to 1MB"},
        {0xFFFFFFFF, "Non-Paged Pool reset to 4194MB"},
    };
    for (const auto& c : cases) {
        FormatPoolResetLine(c.usable, sz);
        EXPECT_STREQ(sz, c.line) << c.usable;
    }
    EXPECT_STREQ(PoolResetSecondLine(TRUE), "Ram Disk auto resized");
    EXPECT_STREQ(PoolResetSecondLine(FALSE), "Device choice list updated");
}

// The focused row picks the entry at the same place in the chain; no focused row, or a row past
// the chain's end, picks none.
TEST(MainDialogRules, EntryAtTheFocusedRow) {
    DriveEntry entries[3] = {};
    entries[0].pNext = &entries[1];
    entries[1].pNext = &entries[2];
    const struct {
        const char* name;
        DriveEntry* chain;
        int row;
        DriveEntry* picked;
    } cases[] = {
        {"no focused row", entries, -1, nullptr},   {"the first row", entries, 0, &entries[0]},
        {"a middle row", entries, 1, &entries[1]},  {"the last row", entries, 2, &entries[2]},
        {"one past the last", entries, 3, nullptr}, {"no chain", nullptr, 0, nullptr},
    };
    for (const auto& c : cases)
        EXPECT_EQ(EntryAtRow(c.chain, c.row), c.picked) << c.name;
}

// ---- the dialog ----

class MainDialogTest : public hxtest::MachineTest {
protected:
    void SetUp() override {
        MachineTest::SetUp();
        AddOtherDrive();
        g_pDriverConfig = &m_config;
    }
    void TearDown() override {
        g_pDriverConfig = nullptr;
        EXPECT_EQ(sim::ui::UnscriptedDialogs(), 0u);
        EXPECT_EQ(sim::ui::LiveTimerCount(), 0u);
        EXPECT_EQ(sim::ui::OutstandingDCs(), 0u);
        EXPECT_EQ(sim::ui::OutstandingGdiObjects(), 0u);
        MachineTest::TearDown();
    }

    INT_PTR Run(DWORD dwTotal, DWORD dwUsable, Script script) {
        CHxSetupDlg dlg;
        dlg.m_dwTotalMemory = dwTotal;
        dlg.m_dwUsableMemory = dwUsable;
        dlg.m_strStatus = "Running on drive S:";
        sim::ui::OnDialog(IDD_HXSETUP_DIALOG, [&](sim::ui::Dialog& d) { script(d, dlg); });
        return dlg.DoModal();
    }

    // Extend Pool Memory with the pool size dialog answered by `pool`.
    // The pool dialog is modal to the main dialog: owned by it, which takes no input meanwhile.
    static void Extend(sim::ui::Dialog& d, std::function<void(sim::ui::Dialog&)> pool) {
        const HWND hMain = d.hwnd();
        sim::ui::OnDialog(IDD_POOLSIZE, [=](sim::ui::Dialog& p) {
            EXPECT_EQ(GetWindow(p.hwnd(), GW_OWNER), hMain);
            EXPECT_FALSE(d.Enabled(0)) << "main dialog while the pool dialog runs";
            pool(p);
        });
        d.Click(IDC_EXTEND_POOL);
        EXPECT_TRUE(d.Enabled(0)) << "main dialog after the pool dialog";
    }
    static void ChooseMaximum(sim::ui::Dialog& p) {
        p.Click(IDC_POOL_MAXIMUM);
        p.Enter();
    }
    static void OkAtOnce(sim::ui::Dialog& p) { p.Enter(); }

    CDriverConfig m_config;
};

// ---- opening ----

TEST_F(MainDialogTest, OpensWithNoPickAndTheListPrepared) {
    Run(32 * kMiB, 8 * kMiB, [](sim::ui::Dialog& d, CHxSetupDlg&) {
        EXPECT_FALSE(d.Enabled(IDC_DRIVE_PROPERTIES));
        EXPECT_FALSE(d.Visible(IDC_SELECT_DRIVE));
        EXPECT_FALSE(d.Enabled(ID_HELP));
        EXPECT_FALSE(d.Visible(ID_HELP));
        EXPECT_EQ(d.ListColumns(IDC_DRIVE_LIST),
                  std::vector<std::string>{" Drive           Size(KB)"});
        EXPECT_EQ(d.ListColumnWidth(IDC_DRIVE_LIST, 0), 172);
        EXPECT_EQ(d.ListItemCountHint(IDC_DRIVE_LIST), 32);
        EXPECT_EQ(d.FocusId(), IDOK);
        EXPECT_EQ(PanelsPainted(), 0u) << "no panel before the timer";
        d.Esc();
    });
}

// The dialog is centred on the work area and kept on it; one larger than the work area keeps
// its top left corner there, so its caption and system menu stay within reach. The dialog is
// 431 x 461 pixels: its client area of 425 x 436, a frame of 3 and a caption of 19.
struct PlacementCase {
    const char* name;
    RECT workArea;
    POINT topLeft;
};

const PlacementCase kPlacementCases[] = {
    {"centred: margins of 592 and 278", {0, 0, 1023, 739}, {296, 139}},
    {"centred beside a task bar at the left and top", {100, 40, 1023, 739}, {346, 159}},
    {"exactly its size", {100, 40, 531, 501}, {100, 40}},
    {"a pixel too small each way", {100, 40, 530, 500}, {100, 40}},
    {"far too small", {0, 0, 400, 300}, {0, 0}},
    {"too short only: centred across", {0, 0, 1023, 300}, {296, 0}},
};

class MainPlacementTest : public MainDialogTest,
                          public ::testing::WithParamInterface<PlacementCase> {};

TEST_P(MainPlacementTest, KeepsTheCaptionOnTheWorkArea) {
    const PlacementCase& c = GetParam();
    sim::ui::SetWorkArea(c.workArea);
    Run(32 * kMiB, 8 * kMiB, [&](sim::ui::Dialog& d, CHxSetupDlg&) {
        RECT r = d.WindowRect();
        EXPECT_EQ(r.right - r.left, 431) << "the size the rows are worked out for";
        EXPECT_EQ(r.bottom - r.top, 461) << "the size the rows are worked out for";
        EXPECT_EQ(r.left, c.topLeft.x) << c.name;
        EXPECT_EQ(r.top, c.topLeft.y) << c.name;
        d.Esc();
    });
}

INSTANTIATE_TEST_SUITE_P(WorkAreas, MainPlacementTest, ::testing::ValuesIn(kPlacementCases));

struct FiguresCase {
    DWORD total;
    DWORD usable;
    const char* system;
    const char* usableText;
};

const FiguresCase kFiguresCases[] = {
    {67108864, 16777216, "System Memory:    65 MB", "Usable Memory:    16 MB"},
    {33554432, 3145728, "System Memory:    32 MB", "Usable Memory:     3 MB"},
    {16000000, 3145728, "System Memory:    15 MB", "Usable Memory:     3 MB"},
};

class MainFiguresTest : public MainDialogTest, public ::testing::WithParamInterface<FiguresCase> {};

TEST_P(MainFiguresTest, ShowsMemoryInUnitsOf1024000) {
    const FiguresCase& c = GetParam();
    Run(c.total, c.usable, [&](sim::ui::Dialog& d, CHxSetupDlg&) {
        EXPECT_EQ(d.Text(IDC_SYSTEM_MEMORY), c.system);
        EXPECT_EQ(d.Text(IDC_USABLE_MEMORY), c.usableText);
        d.Esc();
    });
}

INSTANTIATE_TEST_SUITE_P(Machines, MainFiguresTest, ::testing::ValuesIn(kFiguresCases));

struct RowsCase {
    const char* name;
    std::vector<sim::Drive> drives;
    DWORD usable;
    std::vector<std::string> rows;
    std::vector<int> images;
};

const RowsCase kRowsCases[] = {
    {"fixed drive of 10 MiB",
     {FixedDrive('D', 10485760, 1)},
     12582912,
     {RowOf("D:", 10485760), RowOf("S:", 12582912, false)},
     {3, 2}},
    {"RAM disk only", {}, 8388608, {RowOf("S:", 8388608, false)}, {2}},
    {"two drives in letter order",
     {FixedDrive('C', 1024, 1), FixedDrive('E', 2048, 1)},
     8388608,
     {RowOf("C:", 1024), RowOf("E:", 2048), RowOf("S:", 8388608, false)},
     {3, 3, 2}},
};

class MainRowsTest : public MainDialogTest, public ::testing::WithParamInterface<RowsCase> {};

TEST_P(MainRowsTest, OneRowPerEntry) {
    const RowsCase& c = GetParam();
    for (const auto& drive : c.drives)
        sim::AddDrive(drive);
    Run(32 * kMiB, c.usable, [&](sim::ui::Dialog& d, CHxSetupDlg&) {
        EXPECT_EQ(d.ListRows(IDC_DRIVE_LIST), c.rows) << c.name;
        EXPECT_EQ(d.ListImages(IDC_DRIVE_LIST), c.images) << c.name;
        d.Esc();
    });
}

INSTANTIATE_TEST_SUITE_P(Chains, MainRowsTest, ::testing::ValuesIn(kRowsCases));

struct EndCase {
    const char* name;
    std::function<void(sim::ui::Dialog&)> end;
    INT_PTR result;
};

const EndCase kEndCases[] = {
    {"Enter", [](sim::ui::Dialog& d) { d.Enter(); }, IDOK},
    {"OK button", [](sim::ui::Dialog& d) { d.Click(IDOK); }, IDOK},
    {"Esc", [](sim::ui::Dialog& d) { d.Esc(); }, IDCANCEL},
    {"Cancel button", [](sim::ui::Dialog& d) { d.Click(IDCANCEL); }, IDCANCEL},
    {"close box", [](sim::ui::Dialog& d) { d.CloseBox(); }, IDCANCEL},
};

class MainEndTest : public MainDialogTest, public ::testing::WithParamInterface<EndCase> {};

TEST_P(MainEndTest, EndsWithItsResult) {
    const EndCase& c = GetParam();
    INT_PTR result = Run(32 * kMiB, 8 * kMiB, [&](sim::ui::Dialog& d, CHxSetupDlg&) { c.end(d); });
    EXPECT_EQ(result, c.result) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Ways, MainEndTest, ::testing::ValuesIn(kEndCases));

// ---- the pick ----

enum ListAction { kClickRow0, kClickRow1, kClickBelow, kKeyDown };

struct PickCase {
    const char* name;
    std::vector<ListAction> actions;
    const char* picked; // the drive picked last; nullptr: no pick
    size_t panels;      // properties panels painted
};

const PickCase kPickCases[] = {
    {"row 0", {kClickRow0}, "C:", 1},
    {"row 1", {kClickRow1}, "S:", 1},
    {"below the rows before any focus", {kClickBelow}, nullptr, 0},
    {"the keyboard alone picks nothing", {kClickRow0, kKeyDown}, "C:", 1},
    {"a click below picks the focused row", {kClickRow0, kKeyDown, kClickBelow}, "S:", 2},
    {"a later click picks again", {kClickRow1, kClickRow0}, "C:", 2},
};

class MainPickTest : public MainDialogTest, public ::testing::WithParamInterface<PickCase> {};

TEST_P(MainPickTest, PicksTheFocusedRow) {
    const PickCase& c = GetParam();
    sim::AddDrive(FixedDrive('C', 4 * kMiB, 1).FileSystem("NTFS"));
    Run(32 * kMiB, 8 * kMiB, [&](sim::ui::Dialog& d, CHxSetupDlg& dlg) {
        for (ListAction a : c.actions) {
            switch (a) {
            case kClickRow0:
                d.ClickListRow(IDC_DRIVE_LIST, 0);
                break;
            case kClickRow1:
                d.ClickListRow(IDC_DRIVE_LIST, 1);
                break;
            case kClickBelow:
                d.ClickListBelowRows(IDC_DRIVE_LIST);
                break;
            case kKeyDown:
                d.ListKeyDown(IDC_DRIVE_LIST, VK_DOWN);
                break;
            }
        }
        EXPECT_EQ(d.Enabled(IDC_DRIVE_PROPERTIES), c.picked != nullptr) << c.name;
        EXPECT_EQ(d.Visible(IDC_SELECT_DRIVE), c.picked != nullptr) << c.name;
        EXPECT_EQ(PanelsPainted(), c.panels) << c.name;
        if (c.picked == nullptr) {
            EXPECT_EQ(dlg.m_pSelected, nullptr) << c.name;
        } else {
            ASSERT_NE(dlg.m_pSelected, nullptr);
            EXPECT_STREQ(dlg.m_pSelected->szDriveName, c.picked) << c.name;
        }
        d.Esc();
    });
}

INSTANTIATE_TEST_SUITE_P(Clicks, MainPickTest, ::testing::ValuesIn(kPickCases));

// ---- the start timer ----

TEST_F(MainDialogTest, StartStatusShowsOnceAfter200Milliseconds) {
    Run(32 * kMiB, 8 * kMiB, [](sim::ui::Dialog& d, CHxSetupDlg&) {
        sim::ui::AdvanceClock(199);
        EXPECT_EQ(PanelsPainted(), 0u);
        EXPECT_EQ(sim::ui::LiveTimerCount(), 1u);
        sim::ui::AdvanceClock(1);
        EXPECT_EQ(PanelsPainted(), 1u);
        EXPECT_EQ(sim::ui::LiveTimerCount(), 0u);
        sim::ui::AdvanceClock(5000);
        EXPECT_EQ(PanelsPainted(), 1u) << "shown once";
        d.Esc();
    });
}

TEST_F(MainDialogTest, NoStartStatusWithoutTimer) {
    sim::InjectFault({sim::Api::SetTimer});
    Run(32 * kMiB, 8 * kMiB, [](sim::ui::Dialog& d, CHxSetupDlg& dlg) {
        EXPECT_EQ(dlg.m_nStartTimer, 0u);
        sim::ui::AdvanceClock(1000);
        EXPECT_EQ(PanelsPainted(), 0u);
        d.Esc();
    });
}

TEST_F(MainDialogTest, FailedListAtOpeningLeavesTheDialogUsable) {
    sim::InjectFault({sim::Api::GetLogicalDriveStrings});
    INT_PTR result = Run(32 * kMiB, 8 * kMiB, [](sim::ui::Dialog& d, CHxSetupDlg&) {
        EXPECT_TRUE(d.ListRows(IDC_DRIVE_LIST).empty());
        EXPECT_EQ(sim::ui::LiveTimerCount(), 0u);
        sim::ui::AdvanceClock(1000);
        EXPECT_EQ(PanelsPainted(), 0u) << "the start status is never shown";
        d.Enter();
    });
    EXPECT_EQ(result, IDOK);
    ASSERT_EQ(sim::MessageBoxes().size(), 1u);
    EXPECT_EQ(sim::MessageBoxes()[0].text, "Internal error: GetDriveLogicalStrings() failed");
}

// ---- Select/Configure Drive ----

struct SelectCase {
    const char* name;
    int row;
    DWORD drive, partition, diskSize;
    const char* dosDevice;
};

const SelectCase kSelectCases[] = {
    {"RAM disk", 1, 0, 0, 8 * kMiB, "S:"},
    {"mirrored drive", 0, 1, 2, 0, "C:"},
};

class MainSelectTest : public MainDialogTest, public ::testing::WithParamInterface<SelectCase> {};

TEST_P(MainSelectTest, CopiesThePickIntoTheRecord) {
    const SelectCase& c = GetParam();
    sim::AddDrive(FixedDrive('C', 4 * kMiB, 1).FileSystem("NTFS"));
    m_config.Start = 4;
    m_config.Drive = 9;
    m_config.Partition = 9;
    m_config.DiskSize = 12345;
    m_config.NonPagedPoolSize = 777;
    Run(32 * kMiB, 8 * kMiB, [&](sim::ui::Dialog& d, CHxSetupDlg&) {
        d.ClickListRow(IDC_DRIVE_LIST, c.row);
        const size_t nPanels = PanelsPainted();
        d.Click(IDC_SELECT_DRIVE);
        EXPECT_EQ(PanelsPainted(), nPanels + 1) << "the status";
        d.Esc();
    });
    EXPECT_EQ(m_config.Start, 0u) << c.name;
    EXPECT_EQ(m_config.Drive, c.drive) << c.name;
    EXPECT_EQ(m_config.Partition, c.partition) << c.name;
    EXPECT_EQ(m_config.DiskSize, c.diskSize) << c.name;
    EXPECT_STREQ(m_config.DosDevice, c.dosDevice) << c.name;
    EXPECT_EQ(m_config.NonPagedPoolSize, 777u) << "not the main dialog's field";
}

INSTANTIATE_TEST_SUITE_P(Entries, MainSelectTest, ::testing::ValuesIn(kSelectCases));

// ---- Extend Pool Memory ----

// The status's second line follows whether the RAM disk was shrunk to the budget.
struct ExtendCase {
    DWORD diskSizeBefore;
    DWORD diskSizeAfter;
    DWORD storedPool = 0; // the pool size the record holds when the pool dialog opens
    bool maximum = true;  // Maximum then OK; else OK at once, on what the dialog shows
};

// 32 MiB with the pool at its maximum (16 MiB) leaves a budget of 12,582,912 bytes. A stored pool
// size above 75 % (28 MiB) opens the dialog at 75, so OK at once comes to the same.
const ExtendCase kExtendCases[] = {
    {12582912, 12582912},
    {12582913, 12582912},
    {0, 0},
    {0, 0, 28 * kMiB, false},
};

class MainExtendTest : public MainDialogTest, public ::testing::WithParamInterface<ExtendCase> {};

TEST_P(MainExtendTest, RebuildsForTheNewBudget) {
    const ExtendCase& c = GetParam();
    sim::AddDrive(FixedDrive('C', 10 * kMiB, 1));
    m_config.DiskSize = c.diskSizeBefore;
    m_config.NonPagedPoolSize = c.storedPool;
    Run(32 * kMiB, 8 * kMiB, [&](sim::ui::Dialog& d, CHxSetupDlg& dlg) {
        EXPECT_EQ(d.ListRows(IDC_DRIVE_LIST),
                  std::vector<std::string>{RowOf("S:", 8 * kMiB, false)});
        const size_t nPanels = PanelsPainted();
        Extend(d, c.maximum ? ChooseMaximum : OkAtOnce);
        EXPECT_EQ(dlg.m_dwUsableMemory, 12582912u);
        EXPECT_EQ(d.Text(IDC_USABLE_MEMORY), "Usable Memory:    12 MB");
        EXPECT_EQ(d.Text(IDC_SYSTEM_MEMORY), "System Memory:    32 MB");
        EXPECT_EQ(d.ListRows(IDC_DRIVE_LIST),
                  (std::vector<std::string>{RowOf("C:", 10 * kMiB), RowOf("S:", 12582912, false)}));
        EXPECT_EQ(d.ListImages(IDC_DRIVE_LIST), (std::vector<int>{3, 2}));
        EXPECT_EQ(PanelsPainted(), nPanels + 1) << "the status";
        d.Esc();
    });
    EXPECT_EQ(m_config.DiskSize, c.diskSizeAfter);
    EXPECT_EQ(m_config.NonPagedPoolSize, 16777216u);
}

INSTANTIATE_TEST_SUITE_P(DiskSizes, MainExtendTest, ::testing::ValuesIn(kExtendCases));

TEST_F(MainDialogTest, SelectAfterExtendDoesNothing) {
    Run(32 * kMiB, 8 * kMiB, [&](sim::ui::Dialog& d, CHxSetupDlg& dlg) {
        d.ClickListRow(IDC_DRIVE_LIST, 0);
        Extend(d, ChooseMaximum);
        EXPECT_EQ(dlg.m_pSelected, nullptr);
        EXPECT_TRUE(d.Enabled(IDC_DRIVE_PROPERTIES)) << "controls keep their state";
        EXPECT_TRUE(d.Visible(IDC_SELECT_DRIVE));
        const size_t nPanels = PanelsPainted();
        d.Click(IDC_SELECT_DRIVE);
        EXPECT_EQ(PanelsPainted(), nPanels) << "status not redrawn";
        d.Esc();
    });
    EXPECT_STREQ(m_config.DosDevice, "");
    EXPECT_NE(m_config.Start, 0u);
}

TEST_F(MainDialogTest, CancelledPoolDialogChangesNothing) {
    Run(32 * kMiB, 8 * kMiB, [&](sim::ui::Dialog& d, CHxSetupDlg& dlg) {
        sim::ui::AdvanceClock(200);
        Extend(d, [&](sim::ui::Dialog& p) {
            // The main dialog's own buttons do nothing until the pool dialog is closed.
            d.Click(IDOK);
            d.Click(IDC_EXTEND_POOL);
            EXPECT_TRUE(d.IsOpen());
            p.Esc();
        });
        EXPECT_EQ(sim::ui::DialogsRun(), (std::vector<int>{IDD_HXSETUP_DIALOG, IDD_POOLSIZE}));
        EXPECT_TRUE(d.IsOpen());
        EXPECT_EQ(dlg.m_dwUsableMemory, 8 * kMiB);
        EXPECT_EQ(d.Text(IDC_USABLE_MEMORY), "Usable Memory:     8 MB");
        EXPECT_EQ(PanelsPainted(), 1u) << "only the start status";
        d.Esc();
    });
}

TEST_F(MainDialogTest, FailedListAfterExtendLeavesTheListEmpty) {
    sim::InjectFault({sim::Api::GetLogicalDriveStrings, 2});
    Run(32 * kMiB, 8 * kMiB, [&](sim::ui::Dialog& d, CHxSetupDlg& dlg) {
        Extend(d, ChooseMaximum);
        EXPECT_TRUE(d.ListRows(IDC_DRIVE_LIST).empty());
        EXPECT_EQ(dlg.m_pDrives, nullptr);
        EXPECT_EQ(d.Text(IDC_USABLE_MEMORY), "Usable Memory:    12 MB");
        EXPECT_EQ(PanelsPainted(), 1u) << "the status, though the list failed";
        d.Esc();
    });
}

TEST_F(MainDialogTest, QueryDragIconAnswersTheIcon) {
    Run(32 * kMiB, 8 * kMiB, [](sim::ui::Dialog& d, CHxSetupDlg& dlg) {
        EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(d.hwnd(), WM_QUERYDRAGICON, 0, 0)),
                  dlg.m_hIcon);
        EXPECT_NE(dlg.m_hIcon, nullptr);
        d.Esc();
    });
}

// ---- help, through the whole program ----

struct HelpCase {
    const char* name;
    bool shift, ctrl, alt;
    bool asksForTopic;
    bool afterPoolDialog;
};

const HelpCase kHelpCases[] = {
    {"F1", false, false, false, true, false},
    {"Shift+F1", true, false, false, false, false},
    {"Ctrl+F1", false, true, false, false, false},
    {"Alt+F1", false, false, true, false, false},
    {"F1 after the pool dialog", false, false, false, true, true},
};

class HelpTest : public hxtest::MachineTest, public ::testing::WithParamInterface<HelpCase> {
protected:
    void SetUp() override {
        MachineTest::SetUp();
        AddOtherDrive();
        hxtest::SeedNtSystem();
    }
};

TEST_P(HelpTest, F1AsksForTheMainDialogsTopic) {
    const HelpCase& c = GetParam();
    sim::ui::OnDialog(IDD_HXSETUP_DIALOG, [&](sim::ui::Dialog& d) {
        if (c.afterPoolDialog) {
            sim::ui::OnDialog(IDD_POOLSIZE, [](sim::ui::Dialog& p) { p.Esc(); });
            d.Click(IDC_EXTEND_POOL);
        }
        d.F1(c.shift, c.ctrl, c.alt);
        d.Esc();
    });
    AfxWinMain(NULL, NULL, const_cast<char*>(""), SW_SHOWNORMAL);

    std::vector<std::string> calls;
    for (const auto& h : sim::ui::HelpCalls())
        calls.push_back(h.file + " " + std::to_string(h.command) + " " + std::to_string(h.data));
    std::vector<std::string> expected;
    if (c.asksForTopic)
        expected.push_back(std::string(kHelpFile) + " 1 131174"); // HELP_CONTEXT 0x20066
    expected.push_back(std::string(kHelpFile) + " 2 0");          // HELP_QUIT at the end
    EXPECT_EQ(calls, expected) << c.name;
    hxtest::ExpectBoxes({});
}

INSTANTIATE_TEST_SUITE_P(Keys, HelpTest, ::testing::ValuesIn(kHelpCases));

TEST_F(MainDialogTest, HelpEngineThatCannotStartIsReported) {
    hxtest::SeedNtSystem();
    sim::InjectFault({sim::Api::WinHelp});
    g_pDriverConfig = nullptr; // the program makes its own record
    sim::ui::OnDialog(IDD_HXSETUP_DIALOG, [](sim::ui::Dialog& d) {
        d.F1();
        d.Esc();
    });
    AfxWinMain(NULL, NULL, const_cast<char*>(""), SW_SHOWNORMAL);
    hxtest::ExpectBoxes({hxtest::AppBox("Failed to launch help.")});
}

} // namespace
