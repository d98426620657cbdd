// Conformance of sim's registry with Win32 (advapi32, single-byte entry points); built for both.
#include "conformance.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

const std::string kService = std::string(hxt::kScratch) + "\\Services\\HxVol";
const std::string kParamsPath = kService + "\\Parameters";
const char* const kParams = kParamsPath.c_str();

class SimRegistry : public ::testing::Test {
protected:
    void SetUp() override { hxt::Reset(); }
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
    EXPECT_FALSE(hxt::KeyExists("SYSTEM\\Nope"));
}

TEST_F(SimRegistry, PathForms) {
    enum Op { OpenKey, CreateKey };
    const struct {
        Op op;
        const char* path; // below the scratch key
        LONG result;
    } cases[] = {
        {OpenKey, "\\A", ERROR_BAD_PATHNAME}, {CreateKey, "\\A", ERROR_BAD_PATHNAME},
        {CreateKey, "A\\\\B", ERROR_SUCCESS}, // empty names are skipped: this is A\B
        {OpenKey, "A\\B", ERROR_SUCCESS},     {OpenKey, "a\\\\b", ERROR_SUCCESS},
        {OpenKey, "A\\B\\", ERROR_SUCCESS},   {OpenKey, "A\\\\", ERROR_SUCCESS},
        {OpenKey, "B", ERROR_FILE_NOT_FOUND},
    };
    hxt::SeedKey(hxt::kScratch);
    HKEY base = Open(hxt::kScratch);
    for (const auto& c : cases) {
        HKEY h = nullptr;
        const LONG rc = c.op == OpenKey ? RegOpenKeyExA(base, c.path, 0, KEY_READ, &h)
                                        : RegCreateKeyExA(base, c.path, 0, nullptr, 0,
                                                          KEY_ALL_ACCESS, nullptr, &h, nullptr);
        EXPECT_EQ(rc, c.result) << c.path;
        if (h)
            RegCloseKey(h);
    }
    RegCloseKey(base);
    EXPECT_TRUE(hxt::KeyExists(std::string(hxt::kScratch) + "\\A\\B"));
}

TEST_F(SimRegistry, DeleteKeyOnlyALeafThatExists) {
    const std::string upperParams = kService + "\\PARAMETERS";
    const std::string missing = std::string(hxt::kScratch) + "\\Nope\\Deeper";
    struct Case {
        const char* sub;
        LONG expected;
        bool serviceLeft, paramsLeft;
    } cases[] = {
        {kService.c_str(), ERROR_ACCESS_DENIED, true, true}, // still has Parameters
        {upperParams.c_str(), ERROR_SUCCESS, true, false},
        {kParams, ERROR_FILE_NOT_FOUND, true, false},
        {kService.c_str(), ERROR_SUCCESS, false, false},
        {missing.c_str(), ERROR_FILE_NOT_FOUND, false, false},
    };
    hxt::SeedDword(kParams, "Drive", 1);
    HKEY hStillOpen = Open(kParams);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sub);
        EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, c.sub), c.expected);
        EXPECT_EQ(hxt::KeyExists(kService), c.serviceLeft);
        EXPECT_EQ(hxt::KeyExists(kParams), c.paramsLeft);
    }
    EXPECT_TRUE(hxt::KeyExists(std::string(hxt::kScratch) + "\\Services"));
    EXPECT_EQ(RegCloseKey(hStillOpen), ERROR_SUCCESS); // a handle on a deleted key still closes
#if HXT_SIM                                            // sim's own record of misuse
    EXPECT_TRUE(sim::Misuses().empty());
#endif
}

TEST_F(SimRegistry, EnumKeysByNameUntilNoMoreItems) {
    const std::string parent = std::string(hxt::kScratch) + "\\A";
    hxt::SeedKey(parent + "\\beta");
    hxt::SeedKey(parent + "\\Alpha");
    HKEY h = Open(parent.c_str(), KEY_ENUMERATE_SUB_KEYS);
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
    h = Open(parent.c_str(), KEY_QUERY_VALUE);
    char name[16];
    DWORD cch = sizeof name;
    EXPECT_EQ(RegEnumKeyExA(h, 0, name, &cch, nullptr, nullptr, nullptr, nullptr),
              ERROR_ACCESS_DENIED);
    RegCloseKey(h);
}

TEST_F(SimRegistry, QueryMissingValue) {
    hxt::SeedKey(kParams);
    HKEY h = Open(kParams);
    DWORD v = 0, cb = 4;
    EXPECT_EQ(RegQueryValueExA(h, "Drive", nullptr, nullptr, reinterpret_cast<BYTE*>(&v), &cb),
              ERROR_FILE_NOT_FOUND);
    RegCloseKey(h);
}

TEST_F(SimRegistry, SizeProtocol) {
    hxt::SeedValue(kParams, "Blob", REG_BINARY, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
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
#if HXT_SIM // the contents are undefined: sim scribbles them so that no one relies on them
            for (DWORD i = 0; i < c.room; ++i)
                EXPECT_EQ(buf[i], 0xCD) << "scribbled";
#endif
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
        std::vector<int> expect; // the buffer's first bytes afterwards; -1: undefined
    } cases[] = {
        {{'S', ':'}, 8, ERROR_SUCCESS, 2, {'S', ':', 0, 0x11}},
        {{'S', ':'}, 2, ERROR_SUCCESS, 2, {'S', ':', 0x11}},
        {{'S', ':', 0}, 8, ERROR_SUCCESS, 3, {'S', ':', 0, 0x11}},
        {{'S', ':', 0}, 2, ERROR_MORE_DATA, 3, {-1, -1, 0x11}},
        {{}, 8, ERROR_SUCCESS, 0, {0x11}},
    };
    for (const Case& c : cases) {
        hxt::Reset();
        hxt::SeedValue(kParams, "DosDevice", REG_SZ, c.stored);
        HKEY h = Open(kParams);
        BYTE buf[8];
        std::memset(buf, 0x11, sizeof buf);
        DWORD cb = c.room;
        EXPECT_EQ(RegQueryValueExA(h, "DosDevice", nullptr, nullptr, buf, &cb), c.result);
        EXPECT_EQ(cb, c.cbOut);
        for (std::size_t i = 0; i < c.expect.size(); ++i) {
            if (c.expect[i] >= 0) {
                EXPECT_EQ(buf[i], c.expect[i]) << "byte " << i << " of " << c.stored.size();
            }
        }
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
        hxt::Reset();
        hxt::SeedKey(kParams);
        HKEY h = Open(kParams);
        EXPECT_EQ(RegSetValueExA(h, "V", 0, c.type, c.buffer.data(), c.cb), ERROR_SUCCESS);
        RegCloseKey(h);
        auto v = hxt::GetValue(kParams, "V");
        ASSERT_TRUE(v);
        EXPECT_EQ(v->type, c.type);
        EXPECT_EQ(v->data, c.stored) << "type " << c.type << " cb " << c.cb;
    }
}

TEST_F(SimRegistry, NamesAreCaseInsensitiveAndKeepFirstCase) {
    const std::string memory = std::string(hxt::kScratch) + "\\Session Manager\\Memory Management";
    hxt::SeedDword(memory, "NonPagedPoolSize", 0);
    HKEY h = Open("software\\hxconformance\\SESSION MANAGER\\memory management");
    DWORD v = 7;
    EXPECT_EQ(RegSetValueExA(h, "NONPAGEDPOOLSIZE", 0, REG_DWORD, reinterpret_cast<BYTE*>(&v), 4),
              ERROR_SUCCESS);
    RegCloseKey(h);
    auto stored = hxt::GetValue(memory, "nonpagedpoolsize");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->data, (std::vector<BYTE>{7, 0, 0, 0}));
}

TEST_F(SimRegistry, CreateDispositionIntermediateKeysAndClass) {
    const std::string services = std::string(hxt::kScratch) + "\\Services";
    hxt::SeedKey(services);
    HKEY h = nullptr;
    DWORD disp = 0;
    char cls[] = "REG_SZ";
    ASSERT_EQ(
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, kParams, 0, cls, 0, KEY_ALL_ACCESS, nullptr, &h, &disp),
        ERROR_SUCCESS);
    EXPECT_EQ(disp, static_cast<DWORD>(REG_CREATED_NEW_KEY));
    EXPECT_TRUE(hxt::KeyExists(kService));
    EXPECT_EQ(hxt::KeyClass(kParams), "REG_SZ");
    EXPECT_EQ(hxt::KeyClass(kService), "REG_SZ") << "every key created gets the class";
#if HXT_SIM // Wine rewrites the class of every key on the path, SOFTWARE included; NT keeps it
    EXPECT_EQ(hxt::KeyClass(services), "") << "a key that was there keeps its own";
#endif
    RegCloseKey(h);
    char other[] = "REG_EXPAND_SZ";
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kParams, 0, other, 0, KEY_ALL_ACCESS, nullptr, &h,
                              &disp),
              ERROR_SUCCESS);
    EXPECT_EQ(disp, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
#if HXT_SIM // as above
    EXPECT_EQ(hxt::KeyClass(kParams), "REG_SZ") << "the key opened keeps its class";
#endif
    RegCloseKey(h);
}

TEST_F(SimRegistry, HandlesAndAccess) {
    hxt::SeedDword(kParams, "Drive", 1);
    HKEY ro = Open(kParams, KEY_READ);
    HKEY rw = Open(kParams, KEY_ALL_ACCESS);
    DWORD v = 5, cb = 4;
    EXPECT_EQ(RegSetValueExA(ro, "Drive", 0, REG_DWORD, reinterpret_cast<BYTE*>(&v), 4),
              ERROR_ACCESS_DENIED);
    // Creating a subkey asks nothing of the parent handle's access.
    HKEY sub = nullptr;
    EXPECT_EQ(RegCreateKeyExA(ro, "New", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(sub);
    EXPECT_EQ(RegQueryValueExA(ro, "Drive", nullptr, nullptr, reinterpret_cast<BYTE*>(&v), &cb),
              ERROR_SUCCESS);
    EXPECT_EQ(v, 1u);
    EXPECT_EQ(RegCloseKey(ro), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(rw), ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueExA(rw, "Drive", nullptr, nullptr, reinterpret_cast<BYTE*>(&v), &cb),
              ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(rw), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(nullptr), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
}

} // namespace
