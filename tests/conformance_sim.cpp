// The conformance tests' machine on sim: its test API.
#include "conformance.h"

namespace hxt {

void Reset() {
    sim::Reset();
    sim::ClearLastError();
}

void SeedKey(const std::string& path, const std::string& keyClass) {
    sim::SeedKey(path, keyClass);
}

void SeedValue(const std::string& path, const std::string& name, DWORD type,
               const std::vector<BYTE>& data) {
    sim::SeedValue(path, name, type, data);
}

void SeedDword(const std::string& path, const std::string& name, DWORD value) {
    sim::SeedDword(path, name, value);
}

void ClearLastError() {
    sim::ClearLastError();
}

bool KeyExists(const std::string& path) {
    return sim::KeyExists(path);
}

std::optional<std::string> KeyClass(const std::string& path) {
    return sim::KeyClass(path);
}

std::optional<RegValue> GetValue(const std::string& path, const std::string& name) {
    auto v = sim::GetValue(path, name);
    if (!v)
        return std::nullopt;
    return RegValue{v->type, v->data};
}

} // namespace hxt
