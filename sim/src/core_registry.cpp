// The registry: one HKEY_LOCAL_MACHINE tree, advapi32's single-byte entry points, and the test
// API to seed and inspect it.
//
// Fidelity notes (Wine's dlls/kernelbase/registry.c and dlls/advapi32/tests/registry.c, whose
// tests run against real Windows, are the reference):
// - Key and value names compare case-insensitively and keep the case they were first written in.
// - RegOpenKeyExA and RegCreateKeyExA set *phkResult to NULL before anything can fail (the Wine
//   tests check "hkResult == NULL" after a failed open on Windows), so a failed open or create,
//   an injected fault included, leaves NULL there.
// - RegSetValueExA with a string type (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ): when the last byte
//   counted is not a NUL but the byte just after the data is one, NT stores that NUL too ("if user
//   forgot to count terminating null, add it (yes NT does this)"; test_string_termination:
//   "Off-by-one RegSetValueExA -> adds a trailing '\0'!", "Off-by-two -> no trailing '\0'").
//   Like NT this reads lpData[cbData] in that case. Every other value is stored with exactly the
//   bytes and type written.
// - RegQueryValueExA: lpData NULL with lpcbData: ERROR_SUCCESS and the size. Data too large for
//   *lpcbData: ERROR_MORE_DATA, *lpcbData = the size needed, *lpType set. MSDN calls the buffer's
//   contents undefined then (Wine leaves it untouched); sim fills it with 0xCD so that a program
//   that reads it anyway is caught. A string type whose stored bytes do not end in a NUL gets a
//   NUL written after them when the buffer has room for it, and *lpcbData still counts only the
//   stored bytes (Wine: "if (len < datalen && data[len-1]) data[len] = 0"; total_size = len). So
//   a 2-byte REG_SZ "S:" read into 8 bytes gives "S:\0", *lpcbData = 2.
// - Handles carry the access they were opened with: RegQueryValueExA needs KEY_QUERY_VALUE,
//   RegSetValueExA KEY_SET_VALUE; otherwise ERROR_ACCESS_DENIED. Creating a subkey asks nothing
//   of the parent handle ("all versions of Windows ignore the access rights to the parent
//   handle").
// - A closed, unknown or NULL handle gives ERROR_INVALID_HANDLE (and a line in sim::Misuses()).
//   Closing HKEY_LOCAL_MACHINE itself succeeds and does nothing. Only HKEY_LOCAL_MACHINE exists;
//   the other predefined roots are ERROR_INVALID_HANDLE here.
#include "internal.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <stdexcept>

namespace sim {
namespace {

struct Key {
    std::string name; // case as first written
    std::string keyClass;
    std::vector<std::pair<std::string, RegValue>> values; // insertion order
    std::map<std::string, std::unique_ptr<Key>> subkeys;  // by upper-case name
};

struct Handle {
    Key* key = nullptr;
    std::string path; // relative to HKLM, as the program addressed it
    REGSAM access = 0;
};

struct Registry {
    Key root;
    std::map<ULONG_PTR, Handle> open;
    std::map<ULONG_PTR, std::string> closed; // handle -> path, to report use after close
};

Registry& R() {
    static Registry reg;
    return reg;
}

// Handle values keep increasing across sim::Reset(), so a stale handle from an earlier test never
// names a key of a later one.
ULONG_PTR g_nextHandle = 0x10000;

const ULONG_PTR kHklm = reinterpret_cast<ULONG_PTR>(HKEY_LOCAL_MACHINE);

bool IsStringType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

std::string TypeName(DWORD type) {
    switch (type) {
    case REG_NONE:
        return "REG_NONE";
    case REG_SZ:
        return "REG_SZ";
    case REG_EXPAND_SZ:
        return "REG_EXPAND_SZ";
    case REG_BINARY:
        return "REG_BINARY";
    case REG_DWORD:
        return "REG_DWORD";
    case REG_DWORD_BIG_ENDIAN:
        return "REG_DWORD_BIG_ENDIAN";
    case REG_LINK:
        return "REG_LINK";
    case REG_MULTI_SZ:
        return "REG_MULTI_SZ";
    case REG_QWORD:
        return "REG_QWORD";
    default:
        return "type" + std::to_string(type);
    }
}

REGSAM MapAccess(REGSAM sam) {
    REGSAM out = sam & 0x00FFFFFF;
    if (sam & GENERIC_READ)
        out |= KEY_READ;
    if (sam & GENERIC_WRITE)
        out |= KEY_WRITE;
    if (sam & GENERIC_EXECUTE)
        out |= KEY_READ;
    if (sam & (GENERIC_ALL | MAXIMUM_ALLOWED))
        out |= KEY_ALL_ACCESS;
    return out;
}

// Splits a subkey path into its names. A leading '\' is ERROR_BAD_PATHNAME; empty names further
// on ("A\\B", a trailing '\') are skipped, as Windows does ("Software\Wine\Test\\").
LONG SplitPath(const char* sub, std::vector<std::string>* parts) {
    parts->clear();
    if (!sub || !*sub)
        return ERROR_SUCCESS;
    if (sub[0] == '\\')
        return ERROR_BAD_PATHNAME;
    std::string name;
    for (const char* p = sub;; ++p) {
        if (*p == '\\' || !*p) {
            if (!name.empty())
                parts->push_back(name);
            name.clear();
            if (!*p)
                return ERROR_SUCCESS;
        } else {
            name += *p;
        }
    }
}

std::string JoinPath(const std::string& base, const std::vector<std::string>& parts) {
    std::string out = base;
    for (const auto& p : parts) {
        if (!out.empty())
            out += '\\';
        out += p;
    }
    return out;
}

// What a handle refers to. nullptr for an invalid one; *path gets what can be said about it.
const Handle* Resolve(HKEY hKey, const char* api, std::string* path) {
    static Handle hklm;
    const ULONG_PTR h = reinterpret_cast<ULONG_PTR>(hKey);
    if (h == kHklm) {
        hklm = Handle{&R().root, "", KEY_ALL_ACCESS};
        *path = "";
        return &hklm;
    }
    auto it = R().open.find(h);
    if (it != R().open.end()) {
        *path = it->second.path;
        return &it->second;
    }
    auto c = R().closed.find(h);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%#llx", static_cast<unsigned long long>(h));
    if (c != R().closed.end()) {
        *path = c->second;
        detail::RecordMisuse(std::string(api) + " on closed handle " + buf + " (" + c->second +
                             ")");
    } else {
        *path = std::string("<invalid handle ") + buf + ">";
        detail::RecordMisuse(std::string(api) + " on invalid handle " + buf);
    }
    return nullptr;
}

HKEY NewHandle(Key* key, const std::string& path, REGSAM access) {
    const ULONG_PTR h = g_nextHandle;
    g_nextHandle += 4;
    R().open[h] = Handle{key, path, MapAccess(access)};
    return reinterpret_cast<HKEY>(h);
}

Key* Child(Key* key, const std::string& name) {
    auto it = key->subkeys.find(detail::UpperAscii(name));
    return it == key->subkeys.end() ? nullptr : it->second.get();
}

Key* AddChild(Key* key, const std::string& name) {
    auto k = std::make_unique<Key>();
    k->name = name;
    Key* raw = k.get();
    key->subkeys[detail::UpperAscii(name)] = std::move(k);
    return raw;
}

RegValue* FindValue(Key* key, const std::string& name) {
    for (auto& v : key->values)
        if (detail::EqualNoCase(v.first, name))
            return &v.second;
    return nullptr;
}

void StoreValue(Key* key, const std::string& name, DWORD type, std::vector<BYTE> data) {
    if (RegValue* v = FindValue(key, name)) {
        v->type = type;
        v->data = std::move(data);
        return;
    }
    RegValue v;
    v.type = type;
    v.data = std::move(data);
    key->values.emplace_back(name, std::move(v));
}

// Test API helpers: walk (and optionally create) a '\'-separated path below HKLM.
Key* Walk(const std::string& path, bool create) {
    std::vector<std::string> parts;
    if (SplitPath(path.c_str(), &parts) != ERROR_SUCCESS)
        throw std::invalid_argument("sim: bad registry path \"" + path + "\"");
    Key* key = &R().root;
    for (const auto& p : parts) {
        Key* next = Child(key, p);
        if (!next) {
            if (!create)
                return nullptr;
            next = AddChild(key, p);
        }
        key = next;
    }
    return key;
}

std::string QuoteName(const std::string& name) {
    if (name.empty())
        return "@";
    std::string out = "\"";
    for (char c : name) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string FormatValue(const RegValue& v) {
    const auto& d = v.data;
    char buf[32];
    if (v.type == REG_DWORD && d.size() == 4) {
        DWORD x = d[0] | (d[1] << 8) | (d[2] << 16) | (static_cast<DWORD>(d[3]) << 24);
        std::snprintf(buf, sizeof buf, "dword:%08x", x);
        return buf;
    }
    if (v.type == REG_SZ && !d.empty() && d.back() == 0) {
        bool plain = true;
        for (std::size_t i = 0; i + 1 < d.size(); ++i)
            if (d[i] < 0x20)
                plain = false; // embedded NUL or control character
        if (plain) {
            std::string out = "\"";
            for (std::size_t i = 0; i + 1 < d.size(); ++i) {
                char c = static_cast<char>(d[i]);
                if (c == '\\' || c == '"')
                    out += '\\';
                out += c;
            }
            return out + "\"";
        }
    }
    std::string out;
    if (v.type == REG_BINARY) {
        out = "hex:";
    } else {
        std::snprintf(buf, sizeof buf, "hex(%x):", static_cast<unsigned>(v.type));
        out = buf;
    }
    for (std::size_t i = 0; i < d.size(); ++i) {
        std::snprintf(buf, sizeof buf, "%s%02x", i ? "," : "", d[i]);
        out += buf;
    }
    return out;
}

void ExportKey(const Key& key, const std::string& path, std::string* out) {
    if (!path.empty() || !key.values.empty() || !key.keyClass.empty()) {
        *out += "[HKEY_LOCAL_MACHINE" + (path.empty() ? std::string() : "\\" + path) + "]\n";
        if (!key.keyClass.empty())
            *out += ";class=\"" + key.keyClass + "\"\n";
        std::vector<const std::pair<std::string, RegValue>*> vals;
        for (const auto& v : key.values)
            vals.push_back(&v);
        std::sort(vals.begin(), vals.end(),
                  [](auto* a, auto* b) { return detail::LessNoCase(a->first, b->first); });
        for (auto* v : vals)
            *out += QuoteName(v->first) + "=" + FormatValue(v->second) + "\n";
        *out += "\n";
    }
    for (const auto& [upper, child] : key.subkeys)
        ExportKey(*child, path.empty() ? child->name : path + "\\" + child->name, out);
}

} // namespace

// ---- test API ----

void SeedKey(const std::string& path, const std::string& keyClass) {
    Key* key = Walk(path, true);
    if (!keyClass.empty())
        key->keyClass = keyClass;
}

void SeedValue(const std::string& path, const std::string& name, DWORD type,
               const std::vector<BYTE>& data) {
    StoreValue(Walk(path, true), name, type, data);
}

void SeedDword(const std::string& path, const std::string& name, DWORD value) {
    SeedValue(path, name, REG_DWORD,
              {BYTE(value), BYTE(value >> 8), BYTE(value >> 16), BYTE(value >> 24)});
}

void SeedString(const std::string& path, const std::string& name, const std::string& text,
                DWORD type) {
    std::vector<BYTE> data(text.begin(), text.end());
    data.push_back(0);
    SeedValue(path, name, type, data);
}

void SeedMultiSz(const std::string& path, const std::string& name,
                 const std::vector<std::string>& items) {
    std::vector<BYTE> data;
    for (const auto& item : items) {
        data.insert(data.end(), item.begin(), item.end());
        data.push_back(0);
    }
    data.push_back(0);
    SeedValue(path, name, REG_MULTI_SZ, data);
}

bool KeyExists(const std::string& path) {
    return Walk(path, false) != nullptr;
}

std::optional<std::string> KeyClass(const std::string& path) {
    Key* key = Walk(path, false);
    if (!key)
        return std::nullopt;
    return key->keyClass;
}

std::optional<RegValue> GetValue(const std::string& path, const std::string& name) {
    Key* key = Walk(path, false);
    if (!key)
        return std::nullopt;
    RegValue* v = FindValue(key, name);
    if (!v)
        return std::nullopt;
    return *v;
}

std::optional<DWORD> GetDword(const std::string& path, const std::string& name) {
    auto v = GetValue(path, name);
    if (!v || v->data.size() != 4)
        return std::nullopt;
    return v->data[0] | (v->data[1] << 8) | (v->data[2] << 16) |
           (static_cast<DWORD>(v->data[3]) << 24);
}

std::string ExportHive() {
    std::string out = "REGEDIT4\n\n";
    ExportKey(R().root, "", &out);
    return out;
}

Hive Snapshot() {
    return Hive{ExportHive()};
}

std::size_t OpenKeyCount() {
    return R().open.size();
}

namespace detail {

void ResetRegistry() {
    Registry& r = R();
    for (const auto& [h, handle] : r.open)
        r.closed[h] = handle.path;
    r.open.clear();
    r.root = Key{};
    // Handles of an earlier test stay known as closed, so that using one is reported, not
    // silently resolved to a key of this test.
}

std::string KeyPathOf(HKEY key) {
    auto it = R().open.find(reinterpret_cast<ULONG_PTR>(key));
    return it == R().open.end() ? std::string() : it->second.path;
}

} // namespace detail
} // namespace sim

// ---- Win32 surface ----

using sim::Handle;
using sim::Key;
namespace d = sim::detail;

extern "C" {

LONG WINAPI RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired,
                          PHKEY phkResult) {
    (void)ulOptions;
    std::string base;
    const Handle* parent = sim::Resolve(hKey, "RegOpenKeyExA", &base);
    std::vector<std::string> parts;
    const LONG parsed = sim::SplitPath(lpSubKey, &parts);
    const std::string path = parsed == ERROR_SUCCESS
                                 ? sim::JoinPath(base, parts)
                                 : sim::JoinPath(base, {lpSubKey ? lpSubKey : ""});
    d::LogCall("RegOpenKeyExA " + path);
    if (phkResult)
        *phkResult = nullptr;
    DWORD err = 0;
    if (d::ShouldFail(sim::Api::RegOpenKeyEx, path, "", &err))
        return static_cast<LONG>(err);
    if (!phkResult)
        return ERROR_INVALID_PARAMETER;
    if (!parent)
        return ERROR_INVALID_HANDLE;
    if (parsed != ERROR_SUCCESS)
        return parsed;
    Key* key = parent->key;
    for (const auto& p : parts) {
        key = sim::Child(key, p);
        if (!key)
            return ERROR_FILE_NOT_FOUND;
    }
    *phkResult = sim::NewHandle(key, path, samDesired);
    return ERROR_SUCCESS;
}

LONG WINAPI RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD Reserved, LPSTR lpClass,
                            DWORD dwOptions, REGSAM samDesired,
                            LPSECURITY_ATTRIBUTES lpSecurityAttributes, PHKEY phkResult,
                            LPDWORD lpdwDisposition) {
    (void)dwOptions;
    (void)lpSecurityAttributes;
    std::string base;
    const Handle* parent = sim::Resolve(hKey, "RegCreateKeyExA", &base);
    std::vector<std::string> parts;
    const LONG parsed = sim::SplitPath(lpSubKey, &parts);
    const std::string path = parsed == ERROR_SUCCESS
                                 ? sim::JoinPath(base, parts)
                                 : sim::JoinPath(base, {lpSubKey ? lpSubKey : ""});
    d::LogCall("RegCreateKeyExA " + path + " class=" + (lpClass ? lpClass : ""));
    if (phkResult)
        *phkResult = nullptr;
    DWORD err = 0;
    if (d::ShouldFail(sim::Api::RegCreateKeyEx, path, "", &err))
        return static_cast<LONG>(err);
    if (!phkResult || Reserved != 0)
        return ERROR_INVALID_PARAMETER;
    if (!parent)
        return ERROR_INVALID_HANDLE;
    if (parsed != ERROR_SUCCESS)
        return parsed;
    // Find the deepest existing key first: whether anything is created decides the disposition.
    Key* key = parent->key;
    std::size_t i = 0;
    for (; i < parts.size(); ++i) {
        Key* next = sim::Child(key, parts[i]);
        if (!next)
            break;
        key = next;
    }
    const bool created = i < parts.size();
    // Every key created on the way gets the class, as each level is created in turn with it; a key
    // that was there keeps its own.
    for (; i < parts.size(); ++i) {
        key = sim::AddChild(key, parts[i]);
        if (lpClass)
            key->keyClass = lpClass;
    }
    *phkResult = sim::NewHandle(key, path, samDesired);
    if (lpdwDisposition)
        *lpdwDisposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    return ERROR_SUCCESS;
}

LONG WINAPI RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                             LPBYTE lpData, LPDWORD lpcbData) {
    std::string path;
    const Handle* h = sim::Resolve(hKey, "RegQueryValueExA", &path);
    const std::string name = lpValueName ? lpValueName : "";
    d::LogCall("RegQueryValueExA " + path + " " + (name.empty() ? "(Default)" : name));
    DWORD err = 0;
    if (d::ShouldFail(sim::Api::RegQueryValueEx, path, name, &err))
        return static_cast<LONG>(err);
    if ((lpData && !lpcbData) || lpReserved)
        return ERROR_INVALID_PARAMETER;
    if (!h)
        return ERROR_INVALID_HANDLE;
    if (!(h->access & KEY_QUERY_VALUE))
        return ERROR_ACCESS_DENIED;
    const DWORD room = lpcbData ? *lpcbData : 0;
    if (!lpData && lpcbData)
        *lpcbData = 0;
    if (lpType)
        *lpType = REG_NONE;
    const sim::RegValue* v = sim::FindValue(h->key, name);
    if (!v)
        return ERROR_FILE_NOT_FOUND;
    const DWORD size = static_cast<DWORD>(v->data.size());
    LONG status = ERROR_SUCCESS;
    if (lpData) {
        if (size > room) {
            std::memset(lpData, 0xCD, room);
            status = ERROR_MORE_DATA;
        } else {
            if (size)
                std::memcpy(lpData, v->data.data(), size);
            if (sim::IsStringType(v->type) && size && size < room && lpData[size - 1])
                lpData[size] = 0;
        }
    }
    if (lpType)
        *lpType = v->type;
    if (lpcbData)
        *lpcbData = size;
    return status;
}

LONG WINAPI RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD Reserved, DWORD dwType,
                           const BYTE* lpData, DWORD cbData) {
    (void)Reserved;
    std::string path;
    const Handle* h = sim::Resolve(hKey, "RegSetValueExA", &path);
    const std::string name = lpValueName ? lpValueName : "";
    d::LogCall("RegSetValueExA " + path + " " + (name.empty() ? "(Default)" : name) + " " +
               sim::TypeName(dwType) + " " + std::to_string(cbData));
    DWORD err = 0;
    if (d::ShouldFail(sim::Api::RegSetValueEx, path, name, &err))
        return static_cast<LONG>(err);
    if (!h)
        return ERROR_INVALID_HANDLE;
    if (!(h->access & KEY_SET_VALUE))
        return ERROR_ACCESS_DENIED;
    if (!lpData && cbData)
        return ERROR_NOACCESS;
    DWORD count = cbData;
    if (count && sim::IsStringType(dwType) && lpData[count - 1] && !lpData[count])
        ++count;
    std::vector<BYTE> data(lpData, lpData + count);
    sim::StoreValue(h->key, name, dwType, std::move(data));
    return ERROR_SUCCESS;
}

LONG WINAPI RegCloseKey(HKEY hKey) {
    std::string path;
    const ULONG_PTR hv = reinterpret_cast<ULONG_PTR>(hKey);
    const Handle* h = sim::Resolve(hKey, "RegCloseKey", &path);
    d::LogCall("RegCloseKey " + path);
    // An injected failure is returned, but the handle is closed all the same: a program cannot do
    // anything about a failed close, and a leak report would blame it for the fault.
    DWORD err = 0;
    const bool fail = d::ShouldFail(sim::Api::RegCloseKey, path, "", &err);
    if (!h)
        return fail ? static_cast<LONG>(err) : ERROR_INVALID_HANDLE;
    if (hv != sim::kHklm) {
        sim::R().closed[hv] = h->path;
        sim::R().open.erase(hv);
    }
    return fail ? static_cast<LONG>(err) : ERROR_SUCCESS;
}

} // extern "C"
