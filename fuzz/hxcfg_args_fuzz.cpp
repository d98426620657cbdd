// hxcfg's command line: arguments split at NUL bytes. Whatever the parser accepts must be a
// whole, consistent command, checked here against a small model of the grammar; whatever it
// refuses must come with one line saying why.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "hxcfg/Arguments.h"

namespace {

bool IsOption(const std::string& a) {
    return a == "-h" || a == "--help" || a == "/?" || a == "--dry-run" || a == "--reg";
}

// The SIZE model: digits, then M, G or nothing, in either case; MiB, saturating at 2^32 - 1.
bool ModelSize(const std::string& s, uint64_t* pMiB) {
    size_t n = 0;
    uint64_t v = 0;
    while (n < s.size() && s[n] >= '0' && s[n] <= '9') {
        v = v * 10 + static_cast<uint64_t>(s[n] - '0');
        if (v > 0xFFFFFFFFull)
            v = 0xFFFFFFFFull * 10; // stays above the cap however many digits follow
        ++n;
    }
    if (n == 0)
        return false;
    std::string unit = s.substr(n);
    if (unit == "G" || unit == "g")
        v *= 1024;
    else if (!unit.empty() && unit != "M" && unit != "m")
        return false;
    *pMiB = v > 0xFFFFFFFFull ? 0xFFFFFFFFull : v;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> args(1);
    for (size_t i = 0; i < size && args.size() <= 8; ++i) {
        if (data[i] == 0)
            args.emplace_back();
        else
            args.back() += static_cast<char>(data[i]);
    }
    std::vector<const char*> argv;
    for (const std::string& a : args)
        argv.push_back(a.c_str());

    HxArgs parsed;
    CText error;
    ParseResult r = ParseArguments(static_cast<int>(argv.size()), argv.data(), &parsed, &error);
    if (r == kUsageError) {
        if (error.Length() == 0 || std::strchr(error.Get(), '\n') != nullptr)
            abort();
        return 0;
    }
    if (r == kParsedHelp)
        return 0;

    // Accepted: exactly one command among the non-options, and its operand as the model reads it.
    std::vector<std::string> words;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--reg") {
            if (parsed.pszRegFile == nullptr || i + 1 >= args.size())
                abort();
            ++i;
        } else if (!IsOption(args[i])) {
            words.push_back(args[i]);
        }
    }
    if (words.empty() || words.size() > 2 || parsed.verb == kVerbNone)
        abort();
    if (parsed.bDryRun && parsed.pszRegFile != nullptr)
        abort();
    const std::string operand = words.size() == 2 ? words[1] : "";
    switch (parsed.verb) {
    case kVerbStatus:
    case kVerbRemove:
        if (words.size() != 1)
            abort();
        break;
    case kVerbRamDisk: {
        uint64_t mib = 0;
        if (words.size() == 1 ? parsed.dwSizeMiB != 0
                              : !ModelSize(operand, &mib) || mib == 0 || parsed.dwSizeMiB != mib)
            abort();
        break;
    }
    case kVerbMirror:
        if (operand.size() != 2 || operand[1] != ':' || parsed.cDrive < 'A' ||
            parsed.cDrive > 'Z' || (operand[0] & ~0x20) != parsed.cDrive)
            abort();
        break;
    case kVerbPool:
        if (parsed.pool == kPoolPercent && (parsed.nPercent < 0 || parsed.nPercent > 75 ||
                                            std::atoi(operand.c_str()) != parsed.nPercent))
            abort();
        if (parsed.pool != kPoolPercent && operand != "default" && operand != "max")
            abort();
        break;
    default:
        abort();
    }
    return 0;
}
