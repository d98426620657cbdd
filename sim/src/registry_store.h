// The registry's store, shared by its test API (core_registry.cpp) and advapi32's entry points
// (core_registry_api.cpp). Private to those two.
#pragma once

#include "internal.h"

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace sim::reg {

struct Key {
    std::string name; // case as first written
    std::string keyClass;
    std::vector<std::pair<std::string, RegValue>> values; // insertion order
    std::map<std::string, std::unique_ptr<Key>> subkeys;  // by upper-case name
    bool guarded = false; // SetKeyAccess was called: the two masks below apply
    REGSAM admins = 0;
    REGSAM others = 0;
};

struct Handle {
    Key* key = nullptr;
    std::string path; // relative to HKLM, as the program addressed it
    REGSAM access = 0;
};

struct Registry {
    Key root;
    // Deleted keys stay allocated, so that a handle still open on one never dangles.
    std::vector<std::unique_ptr<Key>> deleted;
    std::map<ULONG_PTR, Handle> open;
    std::map<ULONG_PTR, std::string> closed; // handle -> path, to report use after close
};

Registry& R();
const ULONG_PTR kHklm = reinterpret_cast<ULONG_PTR>(HKEY_LOCAL_MACHINE);

// Splits a subkey path into its names: ERROR_BAD_PATHNAME for a leading '\'.
LONG SplitPath(const char* sub, std::vector<std::string>* parts);
std::string JoinPath(const std::string& base, const std::vector<std::string>& parts);
// What a handle refers to. nullptr for an invalid one; *path gets what can be said about it.
const Handle* Resolve(HKEY hKey, const char* api, std::string* path);
HKEY NewHandle(Key* key, const std::string& path, REGSAM access);
Key* Child(Key* key, const std::string& name); // nullptr when there is none
// Whether the token may open the key with the access.
bool AccessAllowed(const Key* key, REGSAM access);
Key* AddChild(Key* key, const std::string& name);
RegValue* FindValue(Key* key, const std::string& name);
void StoreValue(Key* key, const std::string& name, DWORD type, std::vector<BYTE> data);

} // namespace sim::reg
