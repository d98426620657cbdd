// The dialog framework's pieces that need no window: integer reading for data exchange and
// message-map dispatch.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <string>

#include "platform/CString.h"
#include "platform/CWnd.h"
#include "platform/DataExchange.h"

namespace {

struct ParseCase {
    const char* text;
    bool ok;
    int value;
};

const ParseCase kParseCases[] = {
    {"42", true, 42},
    {"  42\t", true, 42},
    {"+7", true, 7},
    {"-12", true, -12},
    {"0", true, 0},
    {"2147483647", true, 2147483647},
    {"-2147483648", true, -2147483647 - 1},
    {"99999999999", true, 2147483647}, // saturates, so a range check still rejects it
    {"", false, 0},
    {"   ", false, 0},
    {"+", false, 0},
    {"- 5", false, 0},
    {"4 2", false, 0},
    {"12x", false, 0},
    {"0x10", false, 0},
    {"1.5", false, 0},
    {"abc", false, 0},
};

class ParseIntTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseIntTest, ReadsAsTheDataExchangeDoes) {
    const ParseCase& c = GetParam();
    int value = -999;
    EXPECT_EQ(AfxParseInt(c.text, &value) != FALSE, c.ok) << '"' << c.text << '"';
    EXPECT_EQ(value, c.ok ? c.value : -999) << "a rejected text must leave the member alone";
}

INSTANTIATE_TEST_SUITE_P(Texts, ParseIntTest, ::testing::ValuesIn(kParseCases));

// wvsprintfA keeps at most 1023 characters; Format's text holds what was kept and no more.
TEST(CStringFormat, KeepsWhatTheFormatterStored) {
    const struct {
        int width;
        int length;
    } rows[] = {{1, 1}, {1022, 1022}, {1023, 1023}, {1024, 1023}, {2000, 1023}};
    for (const auto& r : rows) {
        CString str;
        str.Format("%s", std::string(static_cast<size_t>(r.width), 'x').c_str());
        EXPECT_EQ(str.GetLength(), r.length) << r.width;
        EXPECT_EQ(static_cast<int>(strlen(str)), r.length) << r.width;
    }
}

// A window-less target: records which handler ran.
class CProbe : public CWnd {
public:
    void OnBase() { m_log += "base;"; }
    void OnDerived() { m_log += "derived;"; }
    void OnNotify(NMHDR*, LRESULT* pResult) {
        m_log += "notify;";
        *pResult = 42;
    }
    void OnTimer(UINT_PTR nIDEvent) {
        m_log += "timer" + std::to_string(nIDEvent) + ";";
        if (nIDEvent != 1)
            CWnd::OnTimer(nIDEvent); // asks for the default processing
    }
    std::string m_log;

protected:
    DECLARE_MESSAGE_MAP()
};

class CDerivedProbe : public CProbe {
protected:
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CProbe, CWnd)
ON_BN_CLICKED(10, CProbe::OnBase)
ON_BN_CLICKED(11, CProbe::OnBase)
ON_NOTIFY(NM_CLICK, 20, CProbe::OnNotify)
ON_WM_TIMER(CProbe)
END_MESSAGE_MAP(CProbe, CWnd)

BEGIN_MESSAGE_MAP(CDerivedProbe, CProbe)
ON_BN_CLICKED(11, CProbe::OnDerived)
END_MESSAGE_MAP(CDerivedProbe, CProbe)

struct DispatchCase {
    const char* name;
    UINT message;
    WPARAM wParam;
    UINT notifyCode; // for WM_NOTIFY
    UINT_PTR notifyId;
    bool handled;
    LRESULT result;
    const char* log;
};

const DispatchCase kDispatchCases[] = {
    {"base handler", WM_COMMAND, MAKEWPARAM(10, BN_CLICKED), 0, 0, true, 0, "base;"},
    {"derived entry wins", WM_COMMAND, MAKEWPARAM(11, BN_CLICKED), 0, 0, true, 0, "derived;"},
    {"other code", WM_COMMAND, MAKEWPARAM(10, BN_SETFOCUS), 0, 0, false, -1, ""},
    {"unknown id", WM_COMMAND, MAKEWPARAM(12, BN_CLICKED), 0, 0, false, -1, ""},
    {"notify by idFrom", WM_NOTIFY, 0, NM_CLICK, 20, true, 42, "notify;"},
    {"notify other control", WM_NOTIFY, 0, NM_CLICK, 21, false, -1, ""},
    {"timer", WM_TIMER, 1, 0, 0, true, 0, "timer1;"},
    {"timer left to default", WM_TIMER, 2, 0, 0, false, -1, "timer2;"},
    {"unmapped message", WM_PAINT, 0, 0, 0, false, -1, ""},
};

class DispatchTest : public ::testing::TestWithParam<DispatchCase> {};

TEST_P(DispatchTest, RoutesThroughTheMaps) {
    const DispatchCase& c = GetParam();
    CDerivedProbe probe;
    NMHDR hdr = {};
    hdr.idFrom = c.notifyId;
    hdr.code = c.notifyCode;
    LRESULT result = -1;
    BOOL handled = probe.OnWndMsg(c.message, c.wParam, reinterpret_cast<LPARAM>(&hdr), &result);
    EXPECT_EQ(handled != FALSE, c.handled) << c.name;
    EXPECT_EQ(result, c.result) << c.name;
    EXPECT_EQ(probe.m_log, c.log) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Messages, DispatchTest, ::testing::ValuesIn(kDispatchCases));

} // namespace
