// Conformance of sim's registry with Win32 (advapi32, single-byte entry points).
#include <gtest/gtest.h>
#include <sim/machine.h>

#include <cstring>

namespace {

const char* const kParams = "SYSTEM\\CurrentControlSet\\Services\\HxVol\\Parameters";

class SimRegistry : public ::testing::Test {
protected:
    void SetUp() override { sim::Reset(); }
    HKEY Open(const char* path, REGSAM sam = KEY_ALL_ACCESS) {
        HKEY h = nullptr;
        EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, sam, &h), ERROR_SUCCESS) << path;
        return h;
    }
};

TEST_F(SimRegistry, OpenMissingKeyFailsAndNullsTheHandle) {
    HKEY h = reinterpret_cast<HKEY>(0x1234);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\Nope", 0, KEY_ALL_ACCESS, &h),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(h, nullptr);
    EXPECT_EQ(sim::OpenKeyCount(), 0u);
    EXPECT_FALSE(sim::KeyExists("SYSTEM\\Nope"));
}

TEST_F(SimRegistry, BadPathsAreRefused) {
    HKEY h = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "\\SYSTEM", 0, KEY_READ, &h), ERROR_BAD_PATHNAME);
    EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "A\\\\B", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &h, nullptr),
              ERROR_BAD_PATHNAME);
    sim::SeedKey("SYSTEM\\X");
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\X\\", 0, KEY_READ, &h), ERROR_SUCCESS);
    RegCloseKey(h);
}

TEST_F(SimRegistry, DeleteKeyOnlyALeafThatExists) {
    const char* const kService = "SYSTEM\\CurrentControlSet\\Services\\HxVol";
    struct Case {
        const char* sub;
        LONG expected;
        bool serviceLeft, paramsLeft;
    } cases[] = {
        {kService, ERROR_ACCESS_DENIED, true, true}, // still has Parameters
        {"SYSTEM\\CurrentControlSet\\Services\\HxVol\\PARAMETERS", ERROR_SUCCESS, true, false},
        {"SYSTEM\\CurrentControlSet\\Services\\HxVol\\Parameters", ERROR_FILE_NOT_FOUND, true,
         false},
        {kService, ERROR_SUCCESS, false, false},
        {"SYSTEM\\Nope\\Deeper", ERROR_FILE_NOT_FOUND, false, false},
    };
    sim::SeedDword(kParams, "Drive", 1);
    HKEY hStillOpen = Open(kParams);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sub);
        EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, c.sub), c.expected);
        EXPECT_EQ(sim::KeyExists(kService), c.serviceLeft);
        EXPECT_EQ(sim::KeyExists(kParams), c.paramsLeft);
    }
    EXPECT_TRUE(sim::KeyExists("SYSTEM\\CurrentControlSet\\Services"));
    EXPECT_EQ(RegCloseKey(hStillOpen), ERROR_SUCCESS); // a handle on a deleted key still closes
    EXPECT_TRUE(sim::Misuses().empty());
}

TEST_F(SimRegistry, EnumKeysByNameUntilNoMoreItems) {
    sim::SeedKey("A\\beta");
    sim::SeedKey("A\\Alpha");
    HKEY h = Open("A", KEY_ENUMERATE_SUB_KEYS);
    const struct {
        DWORD index, room;
        LONG expected;
        const char* name;
    } rows[] = {
        {0, 16, ERROR_SUCCESS, "Alpha"},
        {1, 16, ERROR_SUCCESS, "beta"},
        {2, 16, ERROR_NO_MORE_ITEMS, ""},
        {0, 5, ERROR_MORE_DATA, ""}, // no room for the NUL
    };
    for (const auto& r : rows) {
        char name[16] = "";
        DWORD cch = r.room;
        EXPECT_EQ(RegEnumKeyExA(h, r.index, name, &cch, nullptr, nullptr, nullptr, nullptr),
                  r.expected);
        if (r.expected == ERROR_SUCCESS) {
            EXPECT_STREQ(name, r.name);
            EXPECT_EQ(cch, strlen(r.name));
        }
    }
    RegCloseKey(h);
    h = Open("A", KEY_QUERY_VALUE);
    char name[16];
    DWORD cch = sizeof name;
    EXPECT_EQ(RegEnumKeyExA(h, 0, name, &cch, nullptr, nullptr, nullptr, nullptr),
              ERROR_ACCESS_DENIED);
    RegCloseKey(h);
}

TEST_F(SimRegistry, QueryMissingValue) {
    sim::SeedKey(kParams);
    HKEY h = Open(kParams);
    DWORD v = 0, cb = 4;
    EXPECT_EQ(RegQueryValueExA(h, "Drive", nullptr, nullptr, reinterpret_cast<BYTE*>(&v), &cb),
              ERROR_FILE_NOT_FOUND);
    RegCloseKey(h);
}

TEST_F(SimRegistry, SizeProtocol) {
    sim::SeedValue(kParams, "Blob", REG_BINARY, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    HKEY h = Open(kParams);
    struct Case {
        DWORD room;
        bool withBuffer;
        LONG result;
    } cases[] = {{4, true, ERROR_MORE_DATA}, {9, true, ERROR_MORE_DATA}, {10, true, ERROR_SUCCESS},
                 {64, true, ERROR_SUCCESS},  {0, false, ERROR_SUCCESS},  {3, false, ERROR_SUCCESS}};
    for (const Case& c : cases) {
        BYTE buf[64];
        std::memset(buf, 0x11, sizeof buf);
        DWORD cb = c.room, type = 99;
        EXPECT_EQ(RegQueryValueExA(h, "blob", nullptr, &type, c.withBuffer ? buf : nullptr, &cb),
                  c.result)
            << c.room;
        EXPECT_EQ(cb, 10u) << "size needed is reported in every case";
        EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
        if (c.result == ERROR_MORE_DATA) {
            for (DWORD i = 0; i < c.room; ++i)
                EXPECT_EQ(buf[i], 0xCD) << "scribbled";
            EXPECT_EQ(buf[c.room], 0x11) << "nothing beyond the buffer";
        } else if (c.withBuffer) {
            EXPECT_EQ(buf[9], 10);
            EXPECT_EQ(buf[10], 0x11) << "no NUL appended to binary data";
        }
    }
    RegCloseKey(h);
}

TEST_F(SimRegistry, StringQueryAppendsNulOnlyWhenMissingAndRoomAllows) {
    struct Case {
        std::vector<BYTE> stored;
        DWORD room;
        LONG result;
        DWORD cbOut;
        std::vector<BYTE> expect; // the buffer's first bytes afterwards
    } cases[] = {
        {{'S', ':'}, 8, ERROR_SUCCESS, 2, {'S', ':', 0, 0x11}},
        {{'S', ':'}, 2, ERROR_SUCCESS, 2, {'S', ':', 0x11}},
        {{'S', ':', 0}, 8, ERROR_SUCCESS, 3, {'S', ':', 0, 0x11}},
        {{'S', ':', 0}, 2, ERROR_MORE_DATA, 3, {0xCD, 0xCD, 0x11}},
        {{}, 8, ERROR_SUCCESS, 0, {0x11}},
    };
    for (const Case& c : cases) {
        sim::Reset();
        sim::SeedValue(kParams, "DosDevice", REG_SZ, c.stored);
        HKEY h = Open(kParams);
        BYTE buf[8];
        std::memset(buf, 0x11, sizeof buf);
        DWORD cb = c.room;
        EXPECT_EQ(RegQueryValueExA(h, "DosDevice", nullptr, nullptr, buf, &cb), c.result);
        EXPECT_EQ(cb, c.cbOut);
        EXPECT_EQ(std::vector<BYTE>(buf, buf + c.expect.size()), c.expect);
        RegCloseKey(h);
    }
}

TEST_F(SimRegistry, SetStoresExactBytesExceptNtsForgottenNul) {
    struct Case {
        DWORD type;
        std::vector<BYTE> buffer; // what the program's field holds
        DWORD cb;                 // what it passes
        std::vector<BYTE> stored;
    } cases[] = {
        {REG_SZ, {'S', ':', 0, 0}, 2, {'S', ':', 0}}, // NT counts the NUL that follows
        {REG_SZ, {'S', ':', 'X', 0}, 2, {'S', ':'}},  // off by two: stored as given
        {REG_SZ, {0, 0, 0}, 2, {0, 0}},               // last byte NUL: as given
        {REG_MULTI_SZ, {'a', 0, 0}, 3, {'a', 0, 0}},
        {REG_EXPAND_SZ, {'%', 'x', 0}, 2, {'%', 'x', 0}},
        {REG_DWORD, {1, 2, 3, 4, 0}, 4, {1, 2, 3, 4}},
        {REG_BINARY, {9, 0}, 1, {9}},
        {REG_DWORD, {1, 2, 3, 4, 5}, 5, {1, 2, 3, 4, 5}}, // sizes are not checked
    };
    for (const Case& c : cases) {
        sim::Reset();
        sim::SeedKey(kParams);
        HKEY h = Open(kParams);
        EXPECT_EQ(RegSetValueExA(h, "V", 0, c.type, c.buffer.data(), c.cb), ERROR_SUCCESS);
        RegCloseKey(h);
        auto v = sim::GetValue(kParams, "V");
        ASSERT_TRUE(v);
        EXPECT_EQ(v->type, c.type);
        EXPECT_EQ(v->data, c.stored) << "type " << c.type << " cb " << c.cb;
    }
}

TEST_F(SimRegistry, NamesAreCaseInsensitiveAndKeepFirstCase) {
    sim::SeedDword("SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management",
                   "NonPagedPoolSize", 0);
    HKEY h = Open("system\\currentcontrolset\\CONTROL\\session manager\\memory management");
    DWORD v = 7;
    EXPECT_EQ(RegSetValueExA(h, "NONPAGEDPOOLSIZE", 0, REG_DWORD, reinterpret_cast<BYTE*>(&v), 4),
              ERROR_SUCCESS);
    RegCloseKey(h);
    EXPECT_EQ(sim::GetDword("SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory "
                            "Management",
                            "nonpagedpoolsize"),
              7u);
    const std::string hive = sim::ExportHive();
    EXPECT_NE(hive.find("[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session "
                        "Manager\\Memory Management]\n\"NonPagedPoolSize\"=dword:00000007\n"),
              std::string::npos)
        << hive;
}

TEST_F(SimRegistry, CreateDispositionIntermediateKeysAndClass) {
    HKEY h = nullptr;
    DWORD disp = 0;
    char cls[] = "REG_SZ";
    ASSERT_EQ(
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, kParams, 0, cls, 0, KEY_ALL_ACCESS, nullptr, &h, &disp),
        ERROR_SUCCESS);
    EXPECT_EQ(disp, static_cast<DWORD>(REG_CREATED_NEW_KEY));
    EXPECT_TRUE(sim::KeyExists("SYSTEM\\CurrentControlSet\\Services\\HxVol"));
    EXPECT_EQ(sim::KeyClass(kParams), "REG_SZ");
    EXPECT_EQ(sim::KeyClass("SYSTEM\\CurrentControlSet\\Services\\HxVol"), "");
    RegCloseKey(h);
    char other[] = "REG_EXPAND_SZ";
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kParams, 0, other, 0, KEY_ALL_ACCESS, nullptr, &h,
                              &disp),
              ERROR_SUCCESS);
    EXPECT_EQ(disp, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
    EXPECT_EQ(sim::KeyClass(kParams), "REG_SZ") << "class is kept from the creation";
    RegCloseKey(h);
    EXPECT_EQ(sim::OpenKeyCount(), 0u);
}

TEST_F(SimRegistry, HandlesAndAccess) {
    sim::SeedDword(kParams, "Drive", 1);
    HKEY ro = Open(kParams, KEY_READ);
    HKEY rw = Open(kParams, KEY_ALL_ACCESS);
    EXPECT_EQ(sim::OpenKeyCount(), 2u);
    DWORD v = 5, cb = 4;
    EXPECT_EQ(RegSetValueExA(ro, "Drive", 0, REG_DWORD, reinterpret_cast<BYTE*>(&v), 4),
              ERROR_ACCESS_DENIED);
    HKEY sub = nullptr;
    EXPECT_EQ(RegCreateKeyExA(ro, "New", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegQueryValueExA(ro, "Drive", nullptr, nullptr, reinterpret_cast<BYTE*>(&v), &cb),
              ERROR_SUCCESS);
    EXPECT_EQ(v, 1u);
    EXPECT_EQ(RegCloseKey(ro), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(rw), ERROR_SUCCESS);
    EXPECT_TRUE(sim::Misuses().empty());
    EXPECT_EQ(RegQueryValueExA(rw, "Drive", nullptr, nullptr, reinterpret_cast<BYTE*>(&v), &cb),
              ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(rw), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(nullptr), ERROR_INVALID_HANDLE);
    EXPECT_EQ(sim::Misuses().size(), 3u);
    EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
    EXPECT_EQ(sim::OpenKeyCount(), 0u);
}

TEST_F(SimRegistry, CallLogAndExport) {
    HKEY h = nullptr;
    char cls[] = "REG_SZ";
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Hx", 0, cls, 0, KEY_ALL_ACCESS, nullptr, &h,
                    nullptr);
    DWORD one = 1;
    RegSetValueExA(h, "Start", 0, REG_DWORD, reinterpret_cast<BYTE*>(&one), 4);
    RegSetValueExA(h, "Group", 0, REG_SZ, reinterpret_cast<const BYTE*>("Halcyonix"), 10);
    const BYTE multi[] = {'a', 0, 'b', 0, 0};
    RegSetValueExA(h, "List", 0, REG_MULTI_SZ, multi, 5);
    RegSetValueExA(h, "", 0, REG_BINARY, multi, 2);
    RegCloseKey(h);
    const std::vector<std::string> expected{
        "RegCreateKeyExA SOFTWARE\\Hx class=REG_SZ",
        "RegSetValueExA SOFTWARE\\Hx Start REG_DWORD 4",
        "RegSetValueExA SOFTWARE\\Hx Group REG_SZ 10",
        "RegSetValueExA SOFTWARE\\Hx List REG_MULTI_SZ 5",
        "RegSetValueExA SOFTWARE\\Hx (Default) REG_BINARY 2",
        "RegCloseKey SOFTWARE\\Hx",
    };
    EXPECT_EQ(sim::CallLog(), expected);
    EXPECT_EQ(sim::ExportHive(), "REGEDIT4\n\n"
                                 "[HKEY_LOCAL_MACHINE\\SOFTWARE]\n\n"
                                 "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Hx]\n"
                                 ";class=\"REG_SZ\"\n"
                                 "@=hex:61,00\n"
                                 "\"Group\"=\"Halcyonix\"\n"
                                 "\"List\"=hex(7):61,00,62,00,00\n"
                                 "\"Start\"=dword:00000001\n\n");
    const sim::Hive before = sim::Snapshot();
    sim::SeedString("SOFTWARE\\Hx", "Group", "Halcyonix");
    EXPECT_EQ(sim::Snapshot(), before);
    sim::SeedString("SOFTWARE\\Hx", "Group", "Halcyonix", REG_EXPAND_SZ);
    EXPECT_FALSE(sim::Snapshot() == before);
}

} // namespace
