// The service group walk and insertion against a model of the rule it implements: the group
// goes immediately before the first "filter" (any letter case), the list is left alone when the
// group is already there or there is no "filter", and nothing is read past the byte count nor
// written past the result area.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "config/ServiceGroupList.h"

namespace {

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

struct Model {
    GroupListResult result;
    std::vector<BYTE> list;
};

// The names up to the first empty one or the end of the bytes, whichever comes first.
Model Expected(const BYTE* p, size_t n, size_t area) {
    std::vector<std::string> names;
    size_t pos = 0;
    while (pos < n && p[pos] != 0) {
        size_t end = pos;
        while (end < n && p[end] != 0)
            ++end;
        names.emplace_back(reinterpret_cast<const char*>(p + pos), end - pos);
        pos = end + 1;
    }
    bool inserted = false;
    std::vector<BYTE> out;
    for (const std::string& name : names) {
        if (Lower(name) == "halcyonix")
            return {kGroupAlreadyListed, {}};
        if (!inserted && Lower(name) == "filter") {
            inserted = true;
            out.insert(out.end(), {'H', 'a', 'l', 'c', 'y', 'o', 'n', 'i', 'x', 0});
        }
        out.insert(out.end(), name.begin(), name.end());
        out.push_back(0);
    }
    if (!inserted)
        return {kNoFilterGroup, {}};
    out.push_back(0);
    if (out.size() > area)
        return {kListTooLong, {}};
    return {kGroupInserted, out};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2)
        return 0;
    // The first two bytes choose the result area: mostly the program's 1024 bytes, sometimes
    // a small one so that the overflow paths are reached with short inputs.
    size_t area = (data[0] & 1) ? 1024 : (static_cast<size_t>(data[1]) % 64);
    data += 2;
    size -= 2;

    // Exact-size heap copies: any read past the list or write past the area is caught.
    std::vector<BYTE>* unused = nullptr;
    (void)unused;
    BYTE* list = new BYTE[size ? size : 1];
    if (size)
        std::memcpy(list, data, size);
    BYTE* result = new BYTE[area ? area : 1];
    DWORD cbNew = 0xDEADBEEF;

    GroupListResult got = InsertGroupBeforeFilter(size ? list : nullptr, static_cast<DWORD>(size),
                                                  result, static_cast<DWORD>(area), &cbNew);
    Model want = Expected(data, size, area);
    if (got != want.result)
        __builtin_trap();
    if (got == kGroupInserted &&
        (cbNew != want.list.size() || std::memcmp(result, want.list.data(), cbNew) != 0))
        __builtin_trap();
    if (got != kGroupInserted && cbNew != 0xDEADBEEF)
        __builtin_trap(); // the length is only reported for a built list

    delete[] list;
    delete[] result;
    return 0;
}
