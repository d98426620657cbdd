// ReadInstalledConfig over an arbitrary service and Parameters key: values of any type and any
// bytes, present or missing. Whatever the registry holds, DosDevice stays terminated within its
// 8 bytes, no key stays open, sim sees no misuse, every DWORD read takes the value's bytes over
// the field's, and the result is nonzero exactly when everything could be read.
#include <sim/machine.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "config/DriverConfig.h"

namespace {

const char kService[] = "SYSTEM\\CurrentControlSet\\Services\\HxVol";
const char kParameters[] = "SYSTEM\\CurrentControlSet\\Services\\HxVol\\Parameters";

struct Slot {
    const char* key;
    const char* name;
};
const Slot kSlots[] = {
    {kService, "Start"},        {kParameters, "Drive"},        {kParameters, "Partition"},
    {kParameters, "DiskSize"},  {kParameters, "BreakOnEntry"}, {kParameters, "DebugLevel"},
    {kParameters, "DosDevice"}, {kService, "DosDevice"},       {kParameters, "Start"},
    {kService, "Type"},
};
const size_t kSlotCount = sizeof kSlots / sizeof kSlots[0];

class Reader {
public:
    Reader(const uint8_t* p, size_t n) : m_p(p), m_n(n) {}
    bool Empty() const { return m_n == 0; }
    uint8_t Byte() {
        if (m_n == 0)
            return 0;
        --m_n;
        return *m_p++;
    }
    std::vector<BYTE> Bytes(size_t want) {
        size_t n = want < m_n ? want : m_n;
        std::vector<BYTE> out(m_p, m_p + n);
        m_p += n;
        m_n -= n;
        return out;
    }

private:
    const uint8_t* m_p;
    size_t m_n;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // An exact-size heap copy of the input, so that the decoding itself cannot over-read
    // unnoticed either.
    uint8_t* copy = new uint8_t[size ? size : 1];
    if (size)
        std::memcpy(copy, data, size);
    Reader in(copy, size);

    sim::Reset();
    uint8_t keys = in.Byte();
    bool service = (keys & 1) != 0, parameters = (keys & 2) != 0;
    if (service)
        sim::SeedKey(kService, "REG_SZ");
    if (parameters)
        sim::SeedKey(kParameters, "REG_SZ");
    service = sim::KeyExists(kService); // a Parameters key brings its parent with it

    std::map<size_t, sim::RegValue> seeded;
    while (!in.Empty()) {
        size_t slot = in.Byte() % kSlotCount;
        uint8_t typeByte = in.Byte();
        DWORD type = typeByte < 12 ? typeByte : 0x80000000u | typeByte; // any type at all
        std::vector<BYTE> bytes = in.Bytes(in.Byte() % 16);
        const Slot& s = kSlots[slot];
        if ((s.key == kService && !service) || (s.key == kParameters && !parameters))
            continue;
        sim::SeedValue(s.key, s.name, type, bytes);
        seeded[slot] = {type, bytes};
    }

    CDriverConfig config;
    DWORD before[6] = {config.Start,    config.Drive,        config.Partition,
                       config.DiskSize, config.BreakOnEntry, config.DebugLevel};
    BOOL ok = config.ReadInstalledConfig();
    DWORD after[6] = {config.Start,    config.Drive,        config.Partition,
                      config.DiskSize, config.BreakOnEntry, config.DebugLevel};

    if (std::memchr(config.DosDevice, 0, sizeof config.DosDevice) == nullptr)
        __builtin_trap();
    if (sim::OpenKeyCount() != 0 || !sim::Misuses().empty())
        __builtin_trap();

    bool all = service && parameters;
    for (size_t i = 0; i < 6; ++i) {
        auto it = seeded.find(i);
        bool readable = service && parameters && it != seeded.end() && it->second.data.size() <= 4;
        DWORD want = before[i];
        if (readable) {
            const sim::RegValue& v = it->second;
            if (!v.data.empty())
                std::memcpy(&want, v.data.data(), v.data.size());
            // As Windows does, a string that does not end in a NUL gets one when there is room.
            bool isString = v.type == REG_SZ || v.type == REG_EXPAND_SZ || v.type == REG_MULTI_SZ;
            if (isString && !v.data.empty() && v.data.size() < 4 && v.data.back() != 0)
                reinterpret_cast<BYTE*>(&want)[v.data.size()] = 0;
        }
        if (after[i] != want)
            __builtin_trap();
        all = all && readable;
    }
    auto dos = seeded.find(6);
    bool dosReadable = service && parameters && dos != seeded.end() && dos->second.data.size() <= 8;
    if (dosReadable) {
        const std::vector<BYTE>& d = dos->second.data;
        size_t kept = d.size() < 8 ? d.size() : 7;
        if (kept != 0 && std::memcmp(config.DosDevice, d.data(), kept) != 0)
            __builtin_trap();
    } else if (config.DosDevice[0] != '\0') {
        __builtin_trap();
    }
    all = all && dosReadable;
    if ((ok != 0) != all)
        __builtin_trap();

    delete[] copy;
    return 0;
}
