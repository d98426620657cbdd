// The registry's store: one HKEY_LOCAL_MACHINE tree of keys and values, the open handles, and
// the test API to seed and inspect it. advapi32's entry points are in core_registry_api.cpp.
#include "registry_store.h"

#include <cstdio>
#include <map>
#include <memory>
#include <stdexcept>

namespace sim::reg {

Registry& R() {
    static Registry reg;
    return reg;
}

// Handle values keep increasing across sim::Reset(), so a stale handle from an earlier test never
// names a key of a later one.
namespace {
ULONG_PTR g_nextHandle = 0x10000;
}

// Empty names, as in "A\\B" or after a trailing '\', are skipped, as Windows does.
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
    *path = c != R().closed.end() ? c->second : "<invalid handle>";
    detail::RecordMisuse(std::string(api) + " on a closed or invalid handle: " + *path);
    return nullptr;
}

HKEY NewHandle(Key* key, const std::string& path, REGSAM access) {
    const ULONG_PTR h = g_nextHandle;
    g_nextHandle += 4;
    R().open[h] = Handle{key, path, access};
    return reinterpret_cast<HKEY>(h);
}

Key* Child(Key* key, const std::string& name) {
    auto it = key->subkeys.find(detail::UpperAscii(name));
    return it == key->subkeys.end() ? nullptr : it->second.get();
}

Key* AddChild(Key* key, const std::string& name) {
    auto& k = key->subkeys[detail::UpperAscii(name)] = std::make_unique<Key>();
    k->name = name;
    return k.get();
}

bool AccessAllowed(const Key* key, REGSAM access) {
    if (!key->guarded)
        return true;
    const REGSAM granted = detail::TokenIsAdmin() ? key->admins : key->others;
    return (access & ~granted) == 0;
}

RegValue* FindValue(Key* key, const std::string& name) {
    for (auto& v : key->values)
        if (detail::EqualNoCase(v.first, name))
            return &v.second;
    return nullptr;
}

void StoreValue(Key* key, const std::string& name, DWORD type, std::vector<BYTE> data) {
    RegValue* v = FindValue(key, name);
    if (!v)
        v = &key->values.emplace_back(name, RegValue{}).second;
    *v = RegValue{type, std::move(data)};
}

} // namespace sim::reg

namespace sim {
namespace {

using namespace sim::reg;

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

std::string Quote(const std::string& name) {
    std::string out = "\"";
    for (char c : name)
        out += c == '\\' || c == '"' ? std::string("\\") + c : std::string(1, c);
    return out + "\"";
}

// A value as regedit exports it: a DWORD as "dword:", anything else as "hex(type):" bytes.
std::string FormatValue(const RegValue& v) {
    const auto& d = v.data;
    char buf[32];
    if (v.type == REG_DWORD && d.size() == 4) {
        std::snprintf(buf, sizeof buf, "dword:%02x%02x%02x%02x", d[3], d[2], d[1], d[0]);
        return buf;
    }
    std::snprintf(buf, sizeof buf, "hex(%x):", static_cast<unsigned>(v.type));
    std::string out = buf;
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
            *out += ";class=" + Quote(key.keyClass) + "\n";
        std::map<std::string, std::string> lines; // by upper-case name
        for (const auto& [name, value] : key.values)
            lines[detail::UpperAscii(name)] =
                (name.empty() ? "@" : Quote(name)) + "=" + FormatValue(value) + "\n";
        for (const auto& [upper, line] : lines)
            *out += line;
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

void DeleteValue(const std::string& path, const std::string& name) {
    if (Key* key = Walk(path, false))
        for (auto v = key->values.begin(); v != key->values.end(); ++v)
            if (detail::EqualNoCase(v->first, name))
                return void(key->values.erase(v));
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

void SetKeyAccess(const std::string& path, REGSAM admins, REGSAM others) {
    Key* key = Walk(path, true);
    key->guarded = true;
    key->admins = admins;
    key->others = others;
}

bool KeyExists(const std::string& path) {
    return Walk(path, false) != nullptr;
}

std::optional<std::string> KeyClass(const std::string& path) {
    const Key* key = Walk(path, false);
    return key ? std::optional<std::string>(key->keyClass) : std::nullopt;
}

std::optional<RegValue> GetValue(const std::string& path, const std::string& name) {
    Key* key = Walk(path, false);
    const RegValue* v = key ? FindValue(key, name) : nullptr;
    return v ? std::optional<RegValue>(*v) : std::nullopt;
}

std::optional<DWORD> GetDword(const std::string& path, const std::string& name) {
    auto v = GetValue(path, name);
    if (!v || v->data.size() != 4)
        return std::nullopt;
    return v->data[0] | (v->data[1] << 8) | (v->data[2] << 16) |
           (static_cast<DWORD>(v->data[3]) << 24);
}

Hive Snapshot() {
    Hive hive{"REGEDIT4\n\n"};
    ExportKey(R().root, "", &hive.text);
    return hive;
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
    r.deleted.clear();
}

} // namespace detail
} // namespace sim
