// The program's resources, read from the .res file windres compiles for the host build with the
// same script and the same compiler as the Windows executable's.
//
// A .res file is a sequence of entries: data size, header size, type and name (each a UTF-16
// string or an ordinal 0xFFFF n), then the data, every part aligned to 4 bytes. Dialogs are
// decoded from DLGTEMPLATE or DLGTEMPLATEEX; the other types stay as bytes.
//
// Tests may add a second file of their own dialogs. A missing or malformed file, or one that
// would shadow the program's resources, is a broken build, not a test result: it aborts with
// the path.
#include "internal.h"

#include <sim/resources.h>

#include <commctrl.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <utility>

#ifndef HX_RES_FILE
#error "HX_RES_FILE must name the compiled resources"
#endif

namespace sim::res {
namespace {

using Bytes = std::vector<unsigned char>;

[[noreturn]] void Fail(const std::string& path, const char* what) {
    std::fprintf(stderr, "sim: %s: %s\n", path.c_str(), what);
    std::abort();
}

// Little-endian reads over one buffer; running past its end is a malformed file.
struct Reader {
    const Bytes& b;
    const std::string& path;
    size_t p = 0;

    uint32_t U16() {
        if (p + 2 > b.size())
            Fail(path, "truncated");
        uint32_t v = b[p] | b[p + 1] << 8;
        p += 2;
        return v;
    }
    uint32_t U32() {
        uint32_t lo = U16();
        return lo | U16() << 16;
    }
    int I16() { return static_cast<int16_t>(U16()); }
    void Align4() { p = (p + 3) & ~size_t{3}; }
    bool AtOrdinal() const { return p + 1 < b.size() && b[p] == 0xFF && b[p + 1] == 0xFF; }
    // A string (ordinal -1), or an ordinal 0xFFFF n given back in `ordinal` with "" as text.
    std::string SzOrOrd(int* ordinal = nullptr) {
        if (AtOrdinal()) {
            p += 2;
            int n = static_cast<int>(U16());
            if (ordinal)
                *ordinal = n;
            return std::string();
        }
        if (ordinal)
            *ordinal = -1;
        std::string s;
        for (uint32_t c; (c = U16()) != 0;)
            s += static_cast<char>(c); // our texts are ASCII
        return s;
    }
};

// The class a control is created with, spelt as it is registered: windres stores the predefined
// classes by number and other names in capitals, and class names ignore case.
std::string ClassOf(const std::string& name, int ordinal) {
    static const char* const kClasses[] = {"Button",    "Edit",     "Static",     "ListBox",
                                           "ScrollBar", "ComboBox", WC_LISTVIEWA, UPDOWN_CLASSA};
    if (ordinal >= 0x80 && ordinal <= 0x85)
        return kClasses[ordinal - 0x80];
    for (const char* known : kClasses)
        if (sim::detail::EqualNoCase(name, known))
            return known;
    return name;
}

DialogTemplate DecodeDialog(int id, const Bytes& data, const std::string& path) {
    DialogTemplate d;
    d.id = id;
    Reader r{data, path};
    const bool ex = data.size() > 4 && r.U16() == 1 && r.U16() == 0xFFFF;
    if (ex) {
        r.U32(); // help id
        d.exStyle = r.U32();
        d.style = r.U32();
    } else {
        r.p = 0;
        d.style = r.U32();
        d.exStyle = r.U32();
    }
    const size_t count = r.U16();
    d.x = r.I16();
    d.y = r.I16();
    d.cx = r.I16();
    d.cy = r.I16();
    r.SzOrOrd(); // menu
    r.SzOrOrd(); // window class
    d.caption = r.SzOrOrd();
    if (d.style & DS_SETFONT) {
        d.pointSize = static_cast<int>(r.U16());
        if (ex)
            r.p += 4; // weight, italic, character set
        d.fontFace = r.SzOrOrd();
    }
    for (size_t i = 0; i < count; ++i) {
        DialogItem c;
        r.Align4();
        if (ex) {
            r.U32(); // help id
            c.exStyle = r.U32();
            c.style = r.U32();
        } else {
            c.style = r.U32();
            c.exStyle = r.U32();
        }
        c.x = r.I16();
        c.y = r.I16();
        c.cx = r.I16();
        c.cy = r.I16();
        const uint32_t cid = ex ? r.U32() : r.U16();
        c.id = (cid == 0xFFFF || cid == 0xFFFFFFFF) ? -1 : static_cast<int>(cid);
        int ordinal = -1;
        std::string name = r.SzOrOrd(&ordinal);
        c.windowClass = ClassOf(name, ordinal);
        c.text = r.SzOrOrd();
        r.p += r.U16(); // creation data
        // The dialog manager creates every control as a child, whatever the template says.
        c.style |= WS_CHILD;
        d.items.push_back(std::move(c));
    }
    return d;
}

struct Resources {
    std::map<std::pair<int, int>, Bytes> data; // (type, id) -> bytes
    std::map<int, DialogTemplate> dialogs;
};

// Adds the entries of one file; an entry already there is a clash.
void Load(const std::string& path, Resources& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        Fail(path, "cannot open");
    const Bytes file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    Reader r{file, path};
    while (r.p + 8 <= file.size()) {
        const size_t start = r.p;
        const uint32_t dataSize = r.U32(), headerSize = r.U32();
        int type = -1, id = -1;
        r.SzOrOrd(&type);
        r.SzOrOrd(&id);
        const size_t begin = start + headerSize;
        if (headerSize < 8 || begin + dataSize > file.size())
            Fail(path, "entry runs past the end");
        // The file opens with an empty entry; named resources are not ours.
        if (dataSize != 0 && type >= 0 && id >= 0) {
            const Bytes bytes(file.begin() + begin, file.begin() + begin + dataSize);
            if (!out.data.emplace(std::make_pair(type, id), bytes).second)
                Fail(path, "a resource is already loaded under the same type and id");
            if (type == kDialog)
                out.dialogs[id] = DecodeDialog(id, bytes, path);
        }
        r.p = (begin + dataSize + 3) & ~size_t{3};
    }
}

Resources& Loaded() {
    static Resources r = [] {
        Resources program;
        Load(HX_RES_FILE, program);
        return program;
    }();
    return r;
}

} // namespace

int IdOf(LPCSTR name) {
    if (!name)
        return -1;
    if (IS_INTRESOURCE(name))
        return LOWORD(reinterpret_cast<ULONG_PTR>(name));
    if (name[0] == '#')
        return std::atoi(name + 1);
    return -1;
}

const DialogTemplate* FindDialog(int id) {
    auto it = Loaded().dialogs.find(id);
    return it == Loaded().dialogs.end() ? nullptr : &it->second;
}

void LoadTestResources(const std::string& path) {
    static std::set<std::string> loaded;
    if (loaded.insert(path).second)
        Load(path, Loaded());
}

const std::vector<unsigned char>* FindData(Type type, int id) {
    auto it = Loaded().data.find({type, id});
    return it == Loaded().data.end() ? nullptr : &it->second;
}

} // namespace sim::res
