// The resource script compiles with the mingw-w64 resource compilers, and what they compile is
// what sim reads: every dialog template in the compiled .res equals sim's reading of the script.
// Skipped where the cross tools are not installed.
#include <sim/resources.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include "res/resource.h"

namespace {

namespace fs = std::filesystem;

bool HaveTool(const std::string& tool) {
    return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0;
}

// Compiles the script to a .res file; returns the path, or "" when the compiler fails.
std::string CompileRes(const std::string& windres) {
    fs::path rc = HX_RC_FILE;
    fs::path out = fs::path(::testing::TempDir()) / (windres + "-HxSetup.res");
    std::string cmd = windres + " -I '" + rc.parent_path().string() + "' '" + rc.string() +
                      "' -O res -o '" + out.string() + "'";
    return std::system(cmd.c_str()) == 0 ? out.string() : std::string();
}

// ---- a reader of the compiled format (.res files and the templates in them) ----

struct Reader {
    const std::vector<uint8_t>& b;
    size_t p;

    uint32_t U16() {
        uint32_t v = b.at(p) | b.at(p + 1) << 8;
        p += 2;
        return v;
    }
    uint32_t U32() {
        uint32_t lo = U16();
        return lo | U16() << 16;
    }
    int I16() { return static_cast<int16_t>(U16()); }
    void Align4() { p = (p + 3) & ~size_t{3}; }
    // A string or an ordinal (0xFFFF, n); ordinals come back as "#n".
    std::string SzOrOrd() {
        if (b.at(p) == 0xFF && b.at(p + 1) == 0xFF) {
            p += 2;
            return "#" + std::to_string(U16());
        }
        std::string s;
        for (uint32_t c; (c = U16()) != 0;)
            s += static_cast<char>(c); // our texts are ASCII
        return s;
    }
};

struct ResEntry {
    std::string type, name;
    std::vector<uint8_t> data;
};

std::vector<ResEntry> ReadRes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::vector<ResEntry> out;
    Reader r{file, 0};
    while (r.p + 8 <= file.size()) {
        size_t start = r.p;
        uint32_t dataSize = r.U32(), headerSize = r.U32();
        ResEntry e;
        e.type = r.SzOrOrd();
        e.name = r.SzOrOrd();
        size_t data = start + headerSize;
        e.data.assign(file.begin() + data, file.begin() + data + dataSize);
        if (dataSize != 0)
            out.push_back(std::move(e));
        r.p = (data + dataSize + 3) & ~size_t{3};
    }
    return out;
}

std::string ClassName(const std::string& s) {
    if (s == "#128")
        return "button";
    if (s == "#129")
        return "edit";
    if (s == "#130")
        return "static";
    std::string lower = s;
    for (auto& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

// Decodes a DLGTEMPLATE or DLGTEMPLATEEX; control styles as the dialog manager applies them.
sim::res::DialogTemplate DecodeDialog(int id, const std::vector<uint8_t>& data) {
    sim::res::DialogTemplate d;
    d.id = id;
    Reader r{data, 0};
    const bool ex =
        data.size() > 4 && data[0] == 1 && data[1] == 0 && data[2] == 0xFF && data[3] == 0xFF;
    if (ex) {
        r.p = 4;
        r.U32(); // help id
        d.exStyle = r.U32();
        d.style = r.U32();
    } else {
        d.style = r.U32();
        d.exStyle = r.U32();
    }
    size_t count = r.U16();
    d.x = r.I16();
    d.y = r.I16();
    d.cx = r.I16();
    d.cy = r.I16();
    r.SzOrOrd(); // menu
    r.SzOrOrd(); // class
    d.caption = r.SzOrOrd();
    if (d.style & DS_SETFONT) {
        d.pointSize = r.U16();
        if (ex)
            r.p += 4; // weight, italic, character set
        d.fontFace = r.SzOrOrd();
    }
    for (size_t i = 0; i < count; ++i) {
        sim::res::DialogItem c;
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
        uint32_t cid = ex ? r.U32() : r.U16();
        c.id = (cid == 0xFFFF || cid == 0xFFFFFFFF) ? -1 : static_cast<int>(cid);
        c.windowClass = ClassName(r.SzOrOrd());
        c.text = r.SzOrOrd();
        r.p += r.U16(); // creation data
        c.style |= WS_CHILD;
        d.items.push_back(c);
    }
    return d;
}

class ResWindres : public ::testing::TestWithParam<const char*> {};

TEST_P(ResWindres, CompilesTheScriptToWhatSimReads) {
    const std::string windres = GetParam();
    if (!HaveTool(windres))
        GTEST_SKIP() << windres << " is not installed";
    std::string res = CompileRes(windres);
    ASSERT_FALSE(res.empty()) << windres << " rejected " << HX_RC_FILE;

    int dialogs = 0;
    bool icon = false, bitmap = false;
    for (const ResEntry& e : ReadRes(res)) {
        icon = icon || (e.type == "#14" && e.name == "#" + std::to_string(IDR_MAINFRAME));
        bitmap = bitmap || (e.type == "#2" && e.name == "#" + std::to_string(IDB_DRIVES));
        if (e.type != "#5")
            continue;
        ++dialogs;
        ASSERT_EQ(e.name[0], '#') << "dialogs have numeric ids";
        const sim::res::DialogTemplate compiled = DecodeDialog(std::stoi(e.name.substr(1)), e.data);
        SCOPED_TRACE("dialog " + e.name);
        const sim::res::DialogTemplate* read = sim::res::FindDialog(compiled.id);
        ASSERT_NE(read, nullptr);
        EXPECT_EQ(read->style, compiled.style) << std::hex << compiled.style;
        EXPECT_EQ(read->exStyle, compiled.exStyle);
        EXPECT_EQ(read->caption, compiled.caption);
        EXPECT_EQ(read->fontFace, compiled.fontFace);
        EXPECT_EQ(read->pointSize, compiled.pointSize);
        EXPECT_EQ(std::make_tuple(read->x, read->y, read->cx, read->cy),
                  std::make_tuple(compiled.x, compiled.y, compiled.cx, compiled.cy));
        ASSERT_EQ(read->items.size(), compiled.items.size());
        for (size_t i = 0; i < compiled.items.size(); ++i) {
            const sim::res::DialogItem& a = read->items[i];
            const sim::res::DialogItem& b = compiled.items[i];
            SCOPED_TRACE("item " + std::to_string(i));
            EXPECT_EQ(a.id, b.id);
            EXPECT_EQ(ClassName(a.windowClass), b.windowClass);
            EXPECT_EQ(a.text, b.text);
            EXPECT_EQ(a.style, b.style) << std::hex << b.style;
            EXPECT_EQ(a.exStyle, b.exStyle);
            EXPECT_EQ(std::make_tuple(a.x, a.y, a.cx, a.cy), std::make_tuple(b.x, b.y, b.cx, b.cy));
        }
    }
    EXPECT_EQ(dialogs, 2);
    EXPECT_TRUE(icon) << "icon group " << IDR_MAINFRAME;
    EXPECT_TRUE(bitmap) << "bitmap " << IDB_DRIVES;
}

INSTANTIATE_TEST_SUITE_P(Mingw, ResWindres,
                         ::testing::Values("x86_64-w64-mingw32-windres",
                                           "i686-w64-mingw32-windres"),
                         [](const auto& info) {
                             return std::string(info.param).substr(0, 4) == "i686" ? "x86" : "x64";
                         });

} // namespace
