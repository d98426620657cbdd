// The pool size dialog's rules on their own, then the dialog driven by a scripted user: opening
// state, the buttons and arrows, OK with what the user typed, and Cancel.
#include <gtest/gtest.h>
#include <sim/machine.h>
#include <sim/ui.h>

#include <functional>
#include <string>
#include <vector>

#include "budget/MemoryBudget.h"
#include "config/DriverConfig.h"
#include "hx_test_support.h"
#include "res/resource.h"
#include "ui/PoolSizeDlg.h"
#include "ui/PoolSizeRules.h"

namespace {

const DWORD kMiB = 1048576;

// ---- the rules, apart from the windows ----

// Each percentage around the two ends of a scale from 35 to 75, as the dialog opens holding it,
// as the arrows propose it, where it is held, and whether OK takes it.
struct RuleCase {
    int percent;
    bool openDefault, openMaximum;         // buttons when the dialog opens at it
    bool proposedDefault, proposedMaximum; // buttons when the arrows propose it
    int held;
    bool okTakes;
};

const RuleCase kRuleCases[] = {
    {34, true, true, false, true, 35, false}, {35, false, true, false, true, 35, true},
    {36, true, true, true, true, 36, true},   {74, true, true, true, true, 74, true},
    {75, true, false, true, false, 75, true}, {76, true, true, true, false, 75, false},
    {-1, true, true, false, true, 35, false}, {100, true, true, true, false, 75, false},
};

TEST(PoolSizeRules, ButtonsHoldAndRange) {
    for (const RuleCase& c : kRuleCases) {
        SCOPED_TRACE(std::to_string(c.percent) + " %");
        PoolButtons open = ButtonsForPercent(c.percent, 35);
        EXPECT_EQ(open.bDefault != FALSE, c.openDefault) << "opening: &Default";
        EXPECT_EQ(open.bMaximum != FALSE, c.openMaximum) << "opening: &Maximum";
        PoolButtons proposed = ButtonsForProposal(c.percent, 35);
        EXPECT_EQ(proposed.bDefault != FALSE, c.proposedDefault) << "proposed: &Default";
        EXPECT_EQ(proposed.bMaximum != FALSE, c.proposedMaximum) << "proposed: &Maximum";
        EXPECT_EQ(HoldOnScale(c.percent, 35), c.held);
        EXPECT_EQ(IsOnScale(c.percent, 35) != FALSE, c.okTakes);
    }
}

// ---- the dialog ----

class PoolSizeTest : public hxtest::MachineTest {
protected:
    void SetUp() override {
        MachineTest::SetUp();
        g_pDriverConfig = &m_config;
    }
    void TearDown() override {
        g_pDriverConfig = nullptr;
        EXPECT_EQ(sim::ui::UnscriptedDialogs(), 0u);
        EXPECT_EQ(sim::ui::OutstandingDCs(), 0u);
        EXPECT_EQ(sim::ui::OutstandingGdiObjects(), 0u);
        MachineTest::TearDown();
    }

    INT_PTR Run(DWORD dwTotal, DWORD dwStoredPool,
                std::function<void(sim::ui::Dialog&, CPoolSizeDlg&)> script) {
        m_config.NonPagedPoolSize = dwStoredPool;
        CPoolSizeDlg dlg;
        dlg.m_dwTotalPhys = dwTotal;
        sim::ui::OnDialog(IDD_POOLSIZE, [&](sim::ui::Dialog& d) { script(d, dlg); });
        INT_PTR result = dlg.DoModal();
        m_dwResultPool = dlg.m_dwPoolSize;
        return result;
    }

    CDriverConfig m_config;
    DWORD m_dwResultPool = 0;
};

struct Buttons {
    bool defaultEnabled;
    bool maximumEnabled;
};

void ExpectButtons(const sim::ui::Dialog& d, Buttons b, const std::string& where) {
    EXPECT_EQ(d.Enabled(IDC_POOL_DEFAULT), b.defaultEnabled) << where << ": &Default";
    EXPECT_EQ(d.Enabled(IDC_POOL_MAXIMUM), b.maximumEnabled) << where << ": &Maximum";
}

// ---- opening ----

struct OpenCase {
    DWORD total;
    DWORD storedPool;
    const char* text;
    int lower;
    int pos;
    Buttons buttons;
};

// A stored pool size off the scale (set by other means) is held on it by the up-down control,
// which writes the held position into its box; the dialog's own percentage stays off the scale,
// so both buttons are enabled.
const OpenCase kOpenCases[] = {
    {32 * kMiB, 0, "35", 35, 35, {false, true}},
    {32 * kMiB, 16777216, "50", 35, 50, {true, true}},
    {128 * kMiB, 120 * kMiB, "75", 38, 75, {true, true}},
    {128 * kMiB, 8 * kMiB, "38", 38, 38, {true, true}},
};

class PoolOpenTest : public PoolSizeTest, public ::testing::WithParamInterface<OpenCase> {};

TEST_P(PoolOpenTest, ShowsTheStoredPercentage) {
    const OpenCase& c = GetParam();
    Run(c.total, c.storedPool, [&](sim::ui::Dialog& d, CPoolSizeDlg& dlg) {
        EXPECT_EQ(d.Text(IDC_POOL_PERCENT), c.text);
        EXPECT_EQ(d.SpinLower(IDC_POOL_SPIN), c.lower);
        EXPECT_EQ(d.SpinUpper(IDC_POOL_SPIN), 75);
        EXPECT_EQ(d.SpinPos(IDC_POOL_SPIN), c.pos);
        ExpectButtons(d, c.buttons, "opening");
        EXPECT_EQ(d.FocusId(), IDC_POOL_PERCENT);
        EXPECT_TRUE(d.EditAllSelected(IDC_POOL_PERCENT));
        EXPECT_EQ(d.Font(IDC_POOL_PERCENT), dlg.m_font.m_hFont);
        d.Esc();
    });
}

INSTANTIATE_TEST_SUITE_P(Stored, PoolOpenTest, ::testing::ValuesIn(kOpenCases));

// ---- buttons and arrows ----

enum Op { kMaximum, kDefault, kUp, kDown, kNone };

struct OpsCase {
    const char* name;
    std::vector<Op> ops;
    int percent;
    Buttons buttons;
};

const OpsCase kOpsCases[] = {
    {"maximum", {kMaximum}, 75, {true, false}},
    {"maximum then default", {kMaximum, kDefault}, 35, {false, true}},
    {"one up", {kUp}, 36, {true, true}},
    {"up then down, back at the minimum", {kUp, kDown}, 35, {false, true}},
    {"down below the minimum is held", {kDown}, 35, {false, true}},
    {"up past 75 is held", {kMaximum, kUp}, 75, {true, false}},
    {"down from 75", {kMaximum, kDown}, 74, {true, true}},
};

class PoolOpsTest : public PoolSizeTest, public ::testing::WithParamInterface<OpsCase> {};

TEST_P(PoolOpsTest, ButtonsFollowThePercentage) {
    const OpsCase& c = GetParam();
    Run(32 * kMiB, 0, [&](sim::ui::Dialog& d, CPoolSizeDlg& dlg) {
        for (Op op : c.ops) {
            switch (op) {
            case kMaximum:
                d.Click(IDC_POOL_MAXIMUM);
                break;
            case kDefault:
                d.Click(IDC_POOL_DEFAULT);
                break;
            case kUp:
                d.SpinArrow(IDC_POOL_SPIN, 1);
                break;
            case kDown:
                d.SpinArrow(IDC_POOL_SPIN, -1);
                break;
            case kNone:
                break;
            }
        }
        EXPECT_EQ(dlg.m_nPercent, c.percent) << c.name;
        EXPECT_EQ(d.SpinPos(IDC_POOL_SPIN), c.percent) << c.name;
        EXPECT_EQ(d.Text(IDC_POOL_PERCENT), std::to_string(c.percent)) << c.name;
        ExpectButtons(d, c.buttons, c.name);
        // A button disabled under the focus hands it to the box; none is left without it.
        EXPECT_EQ(d.FocusId(), IDC_POOL_PERCENT) << c.name;
        d.Esc();
    });
}

INSTANTIATE_TEST_SUITE_P(Sequences, PoolOpsTest, ::testing::ValuesIn(kOpsCases));

// The notification itself: the buttons judge the proposed position, the member is held on the
// scale, and the control is let go ahead.
struct DeltaCase {
    int iPos;
    int iDelta;
    int percent;
    Buttons buttons;
};

const DeltaCase kDeltaCases[] = {
    {75, 1, 75, {true, false}},    {35, -1, 35, {false, true}}, {50, 1, 51, {true, true}},
    {74, 1, 75, {true, false}},    {36, -1, 35, {false, true}}, {40, 100, 75, {true, false}},
    {40, -100, 35, {false, true}},
};

class PoolDeltaTest : public PoolSizeTest, public ::testing::WithParamInterface<DeltaCase> {};

TEST_P(PoolDeltaTest, ClampsAfterJudgingTheButtons) {
    const DeltaCase& c = GetParam();
    Run(32 * kMiB, 0, [&](sim::ui::Dialog& d, CPoolSizeDlg& dlg) {
        NMUPDOWN nm = {};
        nm.hdr.hwndFrom = GetDlgItem(d.hwnd(), IDC_POOL_SPIN);
        nm.hdr.idFrom = IDC_POOL_SPIN;
        nm.hdr.code = UDN_DELTAPOS;
        nm.iPos = c.iPos;
        nm.iDelta = c.iDelta;
        SetWindowLongPtrA(d.hwnd(), DWLP_MSGRESULT, 99);
        SendMessageA(d.hwnd(), WM_NOTIFY, IDC_POOL_SPIN, reinterpret_cast<LPARAM>(&nm));
        EXPECT_EQ(GetWindowLongPtrA(d.hwnd(), DWLP_MSGRESULT), 0) << "the change goes ahead";
        EXPECT_EQ(dlg.m_nPercent, c.percent);
        ExpectButtons(d, c.buttons, std::to_string(c.iPos) + "+" + std::to_string(c.iDelta));
        d.Esc();
    });
}

INSTANTIATE_TEST_SUITE_P(Notifications, PoolDeltaTest, ::testing::ValuesIn(kDeltaCases));

// ---- OK ----

struct StoreCase {
    const char* name;
    DWORD total;
    DWORD storedPool;
    Op op;
    DWORD expected;
};

const StoreCase kStoreCases[] = {
    {"maximum on 32 MiB", 32 * kMiB, 0, kMaximum, 16777216},
    {"maximum on 64 MiB", 64 * kMiB, 0, kMaximum, 50331648},
    {"default", 32 * kMiB, 16777216, kDefault, 0},
    // OK stores what the box shows: 75 % of 128 MiB, or the minimum, which stands for 0.
    {"stored above 75 %, OK at once", 128 * kMiB, 120 * kMiB, kNone, 100663296},
    {"stored below the minimum, OK at once", 128 * kMiB, 8 * kMiB, kNone, 0},
};

class PoolStoreTest : public PoolSizeTest, public ::testing::WithParamInterface<StoreCase> {};

TEST_P(PoolStoreTest, OkStoresTheChosenPoolSize) {
    const StoreCase& c = GetParam();
    INT_PTR result = Run(c.total, c.storedPool, [&](sim::ui::Dialog& d, CPoolSizeDlg&) {
        if (c.op != kNone)
            d.Click(c.op == kMaximum ? IDC_POOL_MAXIMUM : IDC_POOL_DEFAULT);
        d.Enter();
    });
    EXPECT_EQ(result, IDOK) << c.name;
    EXPECT_EQ(m_config.NonPagedPoolSize, c.expected) << c.name;
    EXPECT_EQ(m_dwResultPool, c.expected) << c.name;
    hxtest::ExpectBoxes({});
}

INSTANTIATE_TEST_SUITE_P(Choices, PoolStoreTest, ::testing::ValuesIn(kStoreCases));

// What the user typed is read before anything is stored. The dialog opens at 50 % of 32 MiB.
// OK is pressed with Enter, the focus left in the box, or clicked, which gives the button the
// focus: a rejected text hands it back to the box either way.
enum Press { kEnter, kClickOk };

struct TypedCase {
    const char* typed;
    int storedPercent; // -1: rejected, the dialog stays open
    const char* message;
    const char* textAfter;
    Press press = kEnter;
};

const char kRangeMessage[] = "NonPaged Pool allocation must be within the range 35% and 75%";

const TypedCase kTypedCases[] = {
    {"60", 60, nullptr, nullptr},
    {" 70 ", 70, nullptr, nullptr},
    {"+40", 40, nullptr, nullptr},
    {"35", 35, nullptr, nullptr},
    {"75", 75, nullptr, nullptr},
    {"75", 75, nullptr, nullptr, kClickOk},
    {"abc", -1, "Please enter an integer.", "abc"},
    {"6O", -1, "Please enter an integer.", "6O"},
    {"", -1, "Please enter an integer.", ""},
    {"76", -1, "Please enter an integer between 0 and 75.", "76"},
    {"76", -1, "Please enter an integer between 0 and 75.", "76", kClickOk},
    {"-1", -1, "Please enter an integer between 0 and 75.", "-1"},
    {"20", -1, kRangeMessage, "35"},
    {"0", -1, kRangeMessage, "35"},
};

class PoolTypedTest : public PoolSizeTest, public ::testing::WithParamInterface<TypedCase> {};

TEST_P(PoolTypedTest, OkReadsTheBoxFirst) {
    const TypedCase& c = GetParam();
    const DWORD dwStored = 16777216;
    HWND hDialog = NULL;
    INT_PTR result = Run(32 * kMiB, dwStored, [&](sim::ui::Dialog& d, CPoolSizeDlg&) {
        hDialog = d.hwnd();
        d.SetText(IDC_POOL_PERCENT, c.typed);
        if (c.press == kClickOk)
            d.Click(IDOK);
        else
            d.Enter();
        if (c.storedPercent >= 0)
            return;
        ASSERT_TRUE(d.IsOpen()) << c.typed;
        EXPECT_EQ(m_config.NonPagedPoolSize, dwStored) << "nothing stored on a rejection";
        EXPECT_EQ(d.Text(IDC_POOL_PERCENT), c.textAfter);
        if (c.message == kRangeMessage) {
            ExpectButtons(d, {false, true}, c.typed); // what &Default leaves
        } else {
            const char* how = c.press == kClickOk ? " (OK clicked)" : "";
            EXPECT_EQ(d.FocusId(), IDC_POOL_PERCENT) << c.typed << how;
            EXPECT_TRUE(d.EditAllSelected(IDC_POOL_PERCENT)) << c.typed << how;
        }
        d.Esc();
    });

    if (c.storedPercent >= 0) {
        EXPECT_EQ(result, IDOK) << c.typed;
        EXPECT_EQ(m_config.NonPagedPoolSize, CalcPoolSize(32 * kMiB, c.storedPercent, 35))
            << c.typed;
        hxtest::ExpectBoxes({});
        return;
    }
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(m_config.NonPagedPoolSize, dwStored) << c.typed;
    const auto& boxes = sim::MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u) << c.typed;
    EXPECT_EQ(boxes[0].text, c.message);
    if (c.message == kRangeMessage) {
        EXPECT_EQ(boxes[0].owner, hDialog);
        EXPECT_EQ(boxes[0].caption, "NonPaged Pool Setting Invalid");
        EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_OK));
    } else {
        EXPECT_EQ(boxes[0].caption, hxtest::kAppTitle);
        EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_ICONEXCLAMATION));
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, PoolTypedTest, ::testing::ValuesIn(kTypedCases));

TEST_F(PoolSizeTest, SecondOkAfterTheRangeMessageStoresTheDefault) {
    INT_PTR result = Run(32 * kMiB, 16777216, [](sim::ui::Dialog& d, CPoolSizeDlg&) {
        d.SetText(IDC_POOL_PERCENT, "20");
        d.Enter();
        d.Enter();
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(m_config.NonPagedPoolSize, 0u);
}

// ---- Cancel ----

struct CancelCase {
    const char* name;
    std::function<void(sim::ui::Dialog&)> before;
    std::function<void(sim::ui::Dialog&)> cancel;
};

const CancelCase kCancelCases[] = {
    {"Esc at once", [](sim::ui::Dialog&) {}, [](sim::ui::Dialog& d) { d.Esc(); }},
    {"Esc after maximum", [](sim::ui::Dialog& d) { d.Click(IDC_POOL_MAXIMUM); },
     [](sim::ui::Dialog& d) { d.Esc(); }},
    {"Esc after default", [](sim::ui::Dialog& d) { d.Click(IDC_POOL_DEFAULT); },
     [](sim::ui::Dialog& d) { d.Esc(); }},
    {"close box after maximum", [](sim::ui::Dialog& d) { d.Click(IDC_POOL_MAXIMUM); },
     [](sim::ui::Dialog& d) { d.CloseBox(); }},
    {"Cancel after default", [](sim::ui::Dialog& d) { d.Click(IDC_POOL_DEFAULT); },
     [](sim::ui::Dialog& d) { d.Click(IDCANCEL); }},
    {"Esc after an arrow", [](sim::ui::Dialog& d) { d.SpinArrow(IDC_POOL_SPIN, 1); },
     [](sim::ui::Dialog& d) { d.Esc(); }},
    {"Esc after typing", [](sim::ui::Dialog& d) { d.SetText(IDC_POOL_PERCENT, "60"); },
     [](sim::ui::Dialog& d) { d.Esc(); }},
};

class PoolCancelTest : public PoolSizeTest, public ::testing::WithParamInterface<CancelCase> {};

TEST_P(PoolCancelTest, LeavesTheRecordAlone) {
    const CancelCase& c = GetParam();
    INT_PTR result = Run(32 * kMiB, 16777216, [&](sim::ui::Dialog& d, CPoolSizeDlg&) {
        c.before(d);
        c.cancel(d);
        EXPECT_FALSE(d.IsOpen()) << c.name;
    });
    EXPECT_EQ(result, IDCANCEL) << c.name;
    EXPECT_EQ(m_config.NonPagedPoolSize, 16777216u) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Ways, PoolCancelTest, ::testing::ValuesIn(kCancelCases));

} // namespace
