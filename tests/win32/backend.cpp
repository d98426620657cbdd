// The conformance tests' machine on Windows: state is seeded and observed through Win32 itself,
// below a scratch key that is removed before each test and after the last.
#include "conformance.h"

#include <gtest/gtest.h>

namespace hxt {
namespace {

// Owns an open key.
class Key {
public:
    Key() = default;
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    ~Key() {
        if (m_h)
            RegCloseKey(m_h);
    }
    HKEY* out() { return &m_h; }
    HKEY get() const { return m_h; }

private:
    HKEY m_h = nullptr;
};

bool Open(const std::string& path, Key& key) {
    return RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, key.out()) == ERROR_SUCCESS;
}

void Create(const std::string& path, const std::string& keyClass, Key& key) {
    const LONG rc =
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0,
                        keyClass.empty() ? nullptr : const_cast<char*>(keyClass.c_str()), 0,
                        KEY_ALL_ACCESS, nullptr, key.out(), nullptr);
    ASSERT_EQ(rc, ERROR_SUCCESS) << "seeding " << path;
}

void RemoveScratch() {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kScratch);
}

// Leaves no scratch key behind the last test.
class ScratchCleaner : public ::testing::Environment {
    void TearDown() override { RemoveScratch(); }
};
const auto* const kCleaner = ::testing::AddGlobalTestEnvironment(new ScratchCleaner);

} // namespace

void Reset() {
    RemoveScratch();
    SetLastError(0);
}

void SeedKey(const std::string& path, const std::string& keyClass) {
    Key key;
    Create(path, keyClass, key);
}

void SeedValue(const std::string& path, const std::string& name, DWORD type,
               const std::vector<BYTE>& data) {
    Key key;
    Create(path, "", key);
    ASSERT_EQ(RegSetValueExA(key.get(), name.c_str(), 0, type, data.data(),
                             static_cast<DWORD>(data.size())),
              ERROR_SUCCESS)
        << "seeding " << path << " " << name;
}

void SeedDword(const std::string& path, const std::string& name, DWORD value) {
    SeedValue(path, name, REG_DWORD,
              {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8),
               static_cast<BYTE>(value >> 16), static_cast<BYTE>(value >> 24)});
}

void ClearLastError() {
    SetLastError(0);
}

bool KeyExists(const std::string& path) {
    Key key;
    return Open(path, key);
}

std::optional<std::string> KeyClass(const std::string& path) {
    Key key;
    if (!Open(path, key))
        return std::nullopt;
    char cls[256];
    DWORD len = sizeof cls;
    if (RegQueryInfoKeyA(key.get(), cls, &len, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return std::nullopt;
    return std::string(cls, len);
}

std::optional<RegValue> GetValue(const std::string& path, const std::string& name) {
    Key key;
    if (!Open(path, key))
        return std::nullopt;
    RegValue v;
    v.data.resize(65536);
    DWORD cb = static_cast<DWORD>(v.data.size());
    if (RegQueryValueExA(key.get(), name.c_str(), nullptr, &v.type, v.data.data(), &cb) !=
        ERROR_SUCCESS)
        return std::nullopt;
    v.data.resize(cb);
    return v;
}

} // namespace hxt
