// The registry's Win32 surface: advapi32's single-byte entry points over the store of
// core_registry.cpp. Wine's registry tests, which run against real Windows, are the reference.
// - Names compare case-insensitively and keep the case they were first written in.
// - RegOpenKeyExA and RegCreateKeyExA set *phkResult to NULL before anything can fail.
// - RegSetValueExA of a string type whose last byte counted is not a NUL, followed by a NUL,
//   stores that NUL too, as NT does (reading lpData[cbData]); anything else is stored as given.
// - RegQueryValueExA: data too large for *lpcbData is ERROR_MORE_DATA with the size needed; the
//   buffer, undefined then, is filled with 0xCD so that a program that reads it is caught. A
//   string stored without its NUL gets one written after it when there is room, uncounted.
// - Keys guarded by sim::SetKeyAccess refuse an open (or a create of an existing key) asking
//   more than they grant, a create below them without KEY_CREATE_SUB_KEY and a delete without
//   DELETE: ERROR_ACCESS_DENIED. A handle allows only what it was opened with; creating a subkey
//   asks nothing of the parent handle.
// - A closed, unknown or NULL handle is ERROR_INVALID_HANDLE and a misuse. Only
//   HKEY_LOCAL_MACHINE exists, and closing it does nothing.
#include "registry_store.h"

#include <cstring>
#include <iterator>

using namespace sim::reg;
namespace d = sim::detail;

namespace {
// A subkey as the three key calls address it: the handle it is below, its names, and the path
// the call log and the fault records give it (the text as written when it does not parse).
struct SubkeyAddress {
    const Handle* parent;
    std::vector<std::string> parts;
    LONG parsed;
    std::string path;
};

SubkeyAddress AddressOf(HKEY hKey, LPCSTR lpSubKey, const char* api) {
    SubkeyAddress a;
    std::string base;
    a.parent = sim::reg::Resolve(hKey, api, &base);
    a.parsed = sim::reg::SplitPath(lpSubKey, &a.parts);
    a.path = a.parsed == ERROR_SUCCESS ? sim::reg::JoinPath(base, a.parts)
                                       : sim::reg::JoinPath(base, {lpSubKey ? lpSubKey : ""});
    return a;
}
bool IsStringType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// As the call log names it.
std::string TypeName(DWORD type) {
    static const char* const kNames[] = {
        "REG_NONE", "REG_SZ", "REG_EXPAND_SZ", "REG_BINARY", "REG_DWORD", "", "", "REG_MULTI_SZ"};
    return type < 8 && *kNames[type] ? kNames[type] : "type" + std::to_string(type);
}

// The error an injected fault fails this call with; ERROR_SUCCESS when none does.
LONG InjectedFault(sim::Api api, const std::string& path, const std::string& name) {
    DWORD err = 0;
    return d::ShouldFail(api, path, name, &err) ? static_cast<LONG>(err) : ERROR_SUCCESS;
}
} // namespace

extern "C" {

LONG WINAPI RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, REGSAM samDesired, PHKEY phkResult) {
    const auto [parent, parts, parsed, path] = AddressOf(hKey, lpSubKey, "RegOpenKeyExA");
    d::LogCall("RegOpenKeyExA " + path);
    *phkResult = nullptr;
    if (const LONG fault = InjectedFault(sim::Api::RegOpenKeyEx, path, ""))
        return fault;
    if (!parent)
        return ERROR_INVALID_HANDLE;
    if (parsed != ERROR_SUCCESS)
        return parsed;
    Key* key = parent->key;
    for (const auto& p : parts) {
        key = sim::reg::Child(key, p);
        if (!key)
            return ERROR_FILE_NOT_FOUND;
    }
    if (!sim::reg::AccessAllowed(key, samDesired))
        return ERROR_ACCESS_DENIED;
    *phkResult = sim::reg::NewHandle(key, path, samDesired);
    return ERROR_SUCCESS;
}

LONG WINAPI RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD Reserved, LPSTR lpClass, DWORD,
                            REGSAM samDesired, LPSECURITY_ATTRIBUTES, PHKEY phkResult,
                            LPDWORD lpdwDisposition) {
    const auto [parent, parts, parsed, path] = AddressOf(hKey, lpSubKey, "RegCreateKeyExA");
    d::LogCall("RegCreateKeyExA " + path + " class=" + (lpClass ? lpClass : ""));
    *phkResult = nullptr;
    if (const LONG fault = InjectedFault(sim::Api::RegCreateKeyEx, path, ""))
        return fault;
    if (Reserved != 0)
        return ERROR_INVALID_PARAMETER;
    if (!parent)
        return ERROR_INVALID_HANDLE;
    if (parsed != ERROR_SUCCESS)
        return parsed;
    // Find the deepest existing key first: whether anything is created decides the disposition.
    Key* key = parent->key;
    std::size_t i = 0;
    for (; i < parts.size(); ++i) {
        Key* next = sim::reg::Child(key, parts[i]);
        if (!next)
            break;
        key = next;
    }
    const bool created = i < parts.size();
    if (!sim::reg::AccessAllowed(key, created ? KEY_CREATE_SUB_KEY : samDesired))
        return ERROR_ACCESS_DENIED;
    // Every key created on the way gets the class, as each level is created in turn with it; a key
    // that was there keeps its own.
    for (; i < parts.size(); ++i) {
        key = sim::reg::AddChild(key, parts[i]);
        if (lpClass)
            key->keyClass = lpClass;
    }
    *phkResult = sim::reg::NewHandle(key, path, samDesired);
    if (lpdwDisposition)
        *lpdwDisposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    return ERROR_SUCCESS;
}

LONG WINAPI RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                             LPBYTE lpData, LPDWORD lpcbData) {
    std::string path;
    const Handle* h = sim::reg::Resolve(hKey, "RegQueryValueExA", &path);
    const std::string name = lpValueName ? lpValueName : "";
    d::LogCall("RegQueryValueExA " + path + " " + (name.empty() ? "(Default)" : name));
    if (const LONG fault = InjectedFault(sim::Api::RegQueryValueEx, path, name))
        return fault;
    if (lpReserved)
        return ERROR_INVALID_PARAMETER;
    if (!h)
        return ERROR_INVALID_HANDLE;
    if (!(h->access & KEY_QUERY_VALUE))
        return ERROR_ACCESS_DENIED;
    const DWORD room = *lpcbData;
    if (!lpData)
        *lpcbData = 0;
    if (lpType)
        *lpType = REG_NONE;
    const sim::RegValue* v = sim::reg::FindValue(h->key, name);
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
            if (IsStringType(v->type) && size && size < room && lpData[size - 1])
                lpData[size] = 0;
        }
    }
    if (lpType)
        *lpType = v->type;
    *lpcbData = size;
    return status;
}

LONG WINAPI RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD, DWORD dwType, const BYTE* lpData,
                           DWORD cbData) {
    std::string path;
    const Handle* h = sim::reg::Resolve(hKey, "RegSetValueExA", &path);
    const std::string name = lpValueName ? lpValueName : "";
    d::LogCall("RegSetValueExA " + path + " " + (name.empty() ? "(Default)" : name) + " " +
               TypeName(dwType) + " " + std::to_string(cbData));
    if (const LONG fault = InjectedFault(sim::Api::RegSetValueEx, path, name))
        return fault;
    if (!h)
        return ERROR_INVALID_HANDLE;
    if (!(h->access & KEY_SET_VALUE))
        return ERROR_ACCESS_DENIED;
    if (!lpData && cbData)
        return ERROR_NOACCESS;
    DWORD count = cbData;
    if (count && IsStringType(dwType) && lpData[count - 1] && !lpData[count])
        ++count;
    std::vector<BYTE> data(lpData, lpData + count);
    sim::reg::StoreValue(h->key, name, dwType, std::move(data));
    return ERROR_SUCCESS;
}

LONG WINAPI RegCloseKey(HKEY hKey) {
    std::string path;
    const ULONG_PTR hv = reinterpret_cast<ULONG_PTR>(hKey);
    const Handle* h = sim::reg::Resolve(hKey, "RegCloseKey", &path);
    d::LogCall("RegCloseKey " + path);
    // An injected failure is returned, but the handle is closed all the same: a program cannot do
    // anything about a failed close, and a leak report would blame it for the fault.
    DWORD err = 0;
    const bool fail = d::ShouldFail(sim::Api::RegCloseKey, path, "", &err);
    if (!h)
        return fail ? static_cast<LONG>(err) : ERROR_INVALID_HANDLE;
    if (hv != sim::reg::kHklm) {
        sim::reg::R().closed[hv] = h->path;
        sim::reg::R().open.erase(hv);
    }
    return fail ? static_cast<LONG>(err) : ERROR_SUCCESS;
}

LONG WINAPI RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey) {
    const auto [parent, parts, parsed, path] = AddressOf(hKey, lpSubKey, "RegDeleteKeyA");
    d::LogCall("RegDeleteKeyA " + path);
    if (const LONG fault = InjectedFault(sim::Api::RegDeleteKey, path, ""))
        return fault;
    if (!parent)
        return ERROR_INVALID_HANDLE;
    if (parsed != ERROR_SUCCESS)
        return parsed;
    if (parts.empty())
        return ERROR_ACCESS_DENIED; // the key of the handle itself: not through this call
    Key* owner = parent->key;
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
        owner = sim::reg::Child(owner, parts[i]);
        if (!owner)
            return ERROR_FILE_NOT_FOUND;
    }
    auto it = owner->subkeys.find(d::UpperAscii(parts.back()));
    if (it == owner->subkeys.end())
        return ERROR_FILE_NOT_FOUND;
    if (!it->second->subkeys.empty() || !sim::reg::AccessAllowed(it->second.get(), DELETE))
        return ERROR_ACCESS_DENIED;
    R().deleted.push_back(std::move(it->second));
    owner->subkeys.erase(it);
    return ERROR_SUCCESS;
}

LONG WINAPI RegEnumKeyExA(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName,
                          LPDWORD lpReserved, LPSTR lpClass, LPDWORD, PFILETIME) {
    std::string path;
    const Handle* h = sim::reg::Resolve(hKey, "RegEnumKeyExA", &path);
    d::LogCall("RegEnumKeyExA " + path + " " + std::to_string(dwIndex));
    if (const LONG fault = InjectedFault(sim::Api::RegEnumKey, path, ""))
        return fault;
    if (!lpName || !lpcchName || lpReserved || lpClass)
        return ERROR_INVALID_PARAMETER; // a class is not asked for here
    if (!h)
        return ERROR_INVALID_HANDLE;
    if (!(h->access & KEY_ENUMERATE_SUB_KEYS))
        return ERROR_ACCESS_DENIED;
    if (dwIndex >= h->key->subkeys.size())
        return ERROR_NO_MORE_ITEMS;
    auto it = h->key->subkeys.begin();
    std::advance(it, dwIndex);
    const std::string& name = it->second->name;
    if (name.size() + 1 > *lpcchName)
        return ERROR_MORE_DATA;
    std::memcpy(lpName, name.c_str(), name.size() + 1);
    *lpcchName = static_cast<DWORD>(name.size());
    return ERROR_SUCCESS;
}

} // extern "C"
