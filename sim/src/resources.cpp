// The program's resources, read from the same .rc file that windres compiles for Windows.
//
// A small resource-script reader, enough for our own HxSetup.rc: a preprocessor (#include of
// "local" headers, object-like #define, #ifdef/#ifndef/#else/#endif), DIALOG and DIALOGEX with
// STYLE, EXSTYLE, CAPTION and FONT, generic CONTROL statements, and ICON and BITMAP file
// statements. Names from <windows.h> and <commctrl.h> come from a built-in table of the style
// and id constants sim defines, so the values are the real ones.
//
// Styles follow what the resource compiler writes and the dialog manager then creates:
//   dialog:  STYLE as written (WS_POPUP | WS_BORDER | WS_SYSMENU without one), plus WS_CAPTION
//            when there is a CAPTION and DS_SETFONT when there is a FONT;
//   control: WS_CHILD | WS_VISIBLE, then each term of the style ORed in (NOT x clears x);
//            the dialog manager always creates controls as children, so WS_CHILD is forced.
//
// Anything else is our own mistake in our own file: it aborts with the file and line.
#include <sim/resources.h>

#include <windows.h>
#include <commctrl.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#ifndef HX_RC_FILE
#error "HX_RC_FILE must name the resource script"
#endif

namespace sim::res {
namespace {

namespace fs = std::filesystem;

// Constants the script may use through <windows.h> / <commctrl.h>.
#define HX_SYM(name)                                                                               \
    { #name, static_cast < long long>(static_cast <DWORD>(name)) }
const std::map<std::string, long long> kBuiltins = {
    HX_SYM(IDOK), HX_SYM(IDCANCEL), HX_SYM(IDABORT), HX_SYM(IDRETRY), HX_SYM(IDIGNORE),
    HX_SYM(IDYES), HX_SYM(IDNO),
    // window styles
    HX_SYM(WS_OVERLAPPED), HX_SYM(WS_POPUP), HX_SYM(WS_CHILD), HX_SYM(WS_MINIMIZE),
    HX_SYM(WS_VISIBLE), HX_SYM(WS_DISABLED), HX_SYM(WS_CLIPSIBLINGS), HX_SYM(WS_CLIPCHILDREN),
    HX_SYM(WS_MAXIMIZE), HX_SYM(WS_CAPTION), HX_SYM(WS_BORDER), HX_SYM(WS_DLGFRAME),
    HX_SYM(WS_VSCROLL), HX_SYM(WS_HSCROLL), HX_SYM(WS_SYSMENU), HX_SYM(WS_THICKFRAME),
    HX_SYM(WS_GROUP), HX_SYM(WS_TABSTOP), HX_SYM(WS_MINIMIZEBOX), HX_SYM(WS_MAXIMIZEBOX),
    HX_SYM(WS_TILED), HX_SYM(WS_ICONIC), HX_SYM(WS_SIZEBOX), HX_SYM(WS_OVERLAPPEDWINDOW),
    HX_SYM(WS_TILEDWINDOW), HX_SYM(WS_POPUPWINDOW), HX_SYM(WS_CHILDWINDOW),
    // extended window styles
    HX_SYM(WS_EX_DLGMODALFRAME), HX_SYM(WS_EX_NOPARENTNOTIFY), HX_SYM(WS_EX_TOPMOST),
    HX_SYM(WS_EX_ACCEPTFILES), HX_SYM(WS_EX_TRANSPARENT), HX_SYM(WS_EX_MDICHILD),
    HX_SYM(WS_EX_TOOLWINDOW), HX_SYM(WS_EX_WINDOWEDGE), HX_SYM(WS_EX_CLIENTEDGE),
    HX_SYM(WS_EX_CONTEXTHELP), HX_SYM(WS_EX_RIGHT), HX_SYM(WS_EX_LEFT), HX_SYM(WS_EX_RTLREADING),
    HX_SYM(WS_EX_LTRREADING), HX_SYM(WS_EX_LEFTSCROLLBAR), HX_SYM(WS_EX_RIGHTSCROLLBAR),
    HX_SYM(WS_EX_CONTROLPARENT), HX_SYM(WS_EX_STATICEDGE), HX_SYM(WS_EX_APPWINDOW),
    HX_SYM(WS_EX_OVERLAPPEDWINDOW), HX_SYM(WS_EX_PALETTEWINDOW),
    // dialog styles
    HX_SYM(DS_ABSALIGN), HX_SYM(DS_SYSMODAL), HX_SYM(DS_3DLOOK), HX_SYM(DS_FIXEDSYS),
    HX_SYM(DS_NOFAILCREATE), HX_SYM(DS_LOCALEDIT), HX_SYM(DS_SETFONT), HX_SYM(DS_MODALFRAME),
    HX_SYM(DS_NOIDLEMSG), HX_SYM(DS_SETFOREGROUND), HX_SYM(DS_CONTROL), HX_SYM(DS_CENTER),
    HX_SYM(DS_CENTERMOUSE), HX_SYM(DS_CONTEXTHELP), HX_SYM(DS_SHELLFONT),
    // button styles
    HX_SYM(BS_PUSHBUTTON), HX_SYM(BS_DEFPUSHBUTTON), HX_SYM(BS_CHECKBOX), HX_SYM(BS_AUTOCHECKBOX),
    HX_SYM(BS_RADIOBUTTON), HX_SYM(BS_3STATE), HX_SYM(BS_AUTO3STATE), HX_SYM(BS_GROUPBOX),
    HX_SYM(BS_USERBUTTON), HX_SYM(BS_AUTORADIOBUTTON), HX_SYM(BS_PUSHBOX), HX_SYM(BS_OWNERDRAW),
    HX_SYM(BS_TYPEMASK), HX_SYM(BS_LEFTTEXT), HX_SYM(BS_TEXT), HX_SYM(BS_ICON), HX_SYM(BS_BITMAP),
    HX_SYM(BS_LEFT), HX_SYM(BS_RIGHT), HX_SYM(BS_CENTER), HX_SYM(BS_TOP), HX_SYM(BS_BOTTOM),
    HX_SYM(BS_VCENTER), HX_SYM(BS_PUSHLIKE), HX_SYM(BS_MULTILINE), HX_SYM(BS_NOTIFY),
    HX_SYM(BS_FLAT), HX_SYM(BS_RIGHTBUTTON),
    // edit styles
    HX_SYM(ES_LEFT), HX_SYM(ES_CENTER), HX_SYM(ES_RIGHT), HX_SYM(ES_MULTILINE),
    HX_SYM(ES_UPPERCASE), HX_SYM(ES_LOWERCASE), HX_SYM(ES_PASSWORD), HX_SYM(ES_AUTOVSCROLL),
    HX_SYM(ES_AUTOHSCROLL), HX_SYM(ES_NOHIDESEL), HX_SYM(ES_OEMCONVERT), HX_SYM(ES_READONLY),
    HX_SYM(ES_WANTRETURN), HX_SYM(ES_NUMBER),
    // static styles
    HX_SYM(SS_LEFT), HX_SYM(SS_CENTER), HX_SYM(SS_RIGHT), HX_SYM(SS_ICON), HX_SYM(SS_BLACKRECT),
    HX_SYM(SS_GRAYRECT), HX_SYM(SS_WHITERECT), HX_SYM(SS_BLACKFRAME), HX_SYM(SS_GRAYFRAME),
    HX_SYM(SS_WHITEFRAME), HX_SYM(SS_USERITEM), HX_SYM(SS_SIMPLE), HX_SYM(SS_LEFTNOWORDWRAP),
    HX_SYM(SS_OWNERDRAW), HX_SYM(SS_BITMAP), HX_SYM(SS_ENHMETAFILE), HX_SYM(SS_ETCHEDHORZ),
    HX_SYM(SS_ETCHEDVERT), HX_SYM(SS_ETCHEDFRAME), HX_SYM(SS_TYPEMASK), HX_SYM(SS_REALSIZECONTROL),
    HX_SYM(SS_NOPREFIX), HX_SYM(SS_NOTIFY), HX_SYM(SS_CENTERIMAGE), HX_SYM(SS_RIGHTJUST),
    HX_SYM(SS_REALSIZEIMAGE), HX_SYM(SS_SUNKEN), HX_SYM(SS_EDITCONTROL), HX_SYM(SS_ENDELLIPSIS),
    HX_SYM(SS_PATHELLIPSIS), HX_SYM(SS_WORDELLIPSIS), HX_SYM(SS_ELLIPSISMASK),
    // list view styles
    HX_SYM(LVS_ICON), HX_SYM(LVS_REPORT), HX_SYM(LVS_SMALLICON), HX_SYM(LVS_LIST),
    HX_SYM(LVS_TYPEMASK), HX_SYM(LVS_SINGLESEL), HX_SYM(LVS_SHOWSELALWAYS),
    HX_SYM(LVS_SORTASCENDING), HX_SYM(LVS_SORTDESCENDING), HX_SYM(LVS_SHAREIMAGELISTS),
    HX_SYM(LVS_NOLABELWRAP), HX_SYM(LVS_AUTOARRANGE), HX_SYM(LVS_EDITLABELS),
    HX_SYM(LVS_OWNERDRAWFIXED), HX_SYM(LVS_ALIGNTOP), HX_SYM(LVS_ALIGNLEFT), HX_SYM(LVS_ALIGNMASK),
    HX_SYM(LVS_OWNERDATA), HX_SYM(LVS_NOSCROLL), HX_SYM(LVS_NOCOLUMNHEADER),
    HX_SYM(LVS_NOSORTHEADER), HX_SYM(LVS_TYPESTYLEMASK),
    // up-down styles
    HX_SYM(UDS_WRAP), HX_SYM(UDS_SETBUDDYINT), HX_SYM(UDS_ALIGNRIGHT), HX_SYM(UDS_ALIGNLEFT),
    HX_SYM(UDS_AUTOBUDDY), HX_SYM(UDS_ARROWKEYS), HX_SYM(UDS_HORZ), HX_SYM(UDS_NOTHOUSANDS),
    HX_SYM(UDS_HOTTRACK)};
#undef HX_SYM

struct Token {
    enum Kind { Ident, Number, String, Punct } kind = Punct;
    std::string text; // identifier, unescaped string, or the punctuation character
    long long value = 0;
    std::string file;
    int line = 0;

    std::string Where() const { return file + ":" + std::to_string(line); }
    bool Is(const char* p) const { return (kind == Punct || kind == Ident) && text == p; }
};

[[noreturn]] void Fail(const std::string& where, const std::string& what) {
    std::fprintf(stderr, "sim: resource script %s: %s\n", where.c_str(), what.c_str());
    std::fflush(stderr);
    std::abort();
}

std::string Describe(const Token& t) {
    switch (t.kind) {
    case Token::String:
        return "string \"" + t.text + "\"";
    case Token::Number:
        return "number " + std::to_string(t.value);
    default:
        return "'" + t.text + "'";
    }
}

// ---- lexer ----

// Splits one logical line (comments already removed) into tokens.
std::vector<Token> Lex(const std::string& s, const std::string& file, int line) {
    std::vector<Token> out;
    std::string where = file + ":" + std::to_string(line);
    size_t i = 0;
    while (i < s.size()) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        Token t;
        t.file = file;
        t.line = line;
        if (std::isspace(c)) {
            ++i;
        } else if (std::isalpha(c) || c == '_') {
            size_t j = i;
            while (j < s.size() && (std::isalnum(static_cast<unsigned char>(s[j])) || s[j] == '_'))
                ++j;
            t.kind = Token::Ident;
            t.text = s.substr(i, j - i);
            out.push_back(t);
            i = j;
        } else if (std::isdigit(c)) {
            size_t j = i;
            int base = 10;
            if (s[i] == '0' && i + 1 < s.size() && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
                base = 16;
                j += 2;
            }
            size_t digits = j;
            while (j < s.size() && std::isxdigit(static_cast<unsigned char>(s[j])) &&
                   (base == 16 || std::isdigit(static_cast<unsigned char>(s[j]))))
                ++j;
            if (j == digits)
                Fail(where, "malformed number '" + s.substr(i, j - i + 1) + "'");
            t.kind = Token::Number;
            t.text = s.substr(i, j - i);
            t.value = std::stoll(s.substr(digits, j - digits), nullptr, base);
            while (j < s.size() && std::strchr("LlUu", s[j]) != nullptr)
                ++j;
            if (j < s.size() && (std::isalnum(static_cast<unsigned char>(s[j])) || s[j] == '_'))
                Fail(where, "malformed number '" + s.substr(i, j - i + 1) + "'");
            out.push_back(t);
            i = j;
        } else if (c == '"') {
            t.kind = Token::String;
            ++i;
            for (;;) {
                if (i >= s.size())
                    Fail(where, "unterminated string");
                char ch = s[i++];
                if (ch == '"') {
                    if (i < s.size() && s[i] == '"') { // "" stands for one quote
                        t.text += '"';
                        ++i;
                        continue;
                    }
                    break;
                }
                if (ch == '\\') {
                    if (i >= s.size())
                        Fail(where, "unterminated string");
                    char e = s[i++];
                    switch (e) {
                    case 'n':
                        t.text += '\n';
                        break;
                    case 't':
                        t.text += '\t';
                        break;
                    case 'r':
                        t.text += '\r';
                        break;
                    case '\\':
                        t.text += '\\';
                        break;
                    case '"':
                        t.text += '"';
                        break;
                    default:
                        Fail(where, std::string("unsupported escape \\") + e + " in string");
                    }
                    continue;
                }
                t.text += ch;
            }
            out.push_back(t);
        } else if (std::strchr(",|()-+~&{}", c) != nullptr) {
            t.kind = Token::Punct;
            t.text = std::string(1, static_cast<char>(c));
            out.push_back(t);
            ++i;
        } else {
            Fail(where, std::string("unexpected character '") + static_cast<char>(c) + "'");
        }
    }
    return out;
}

// ---- preprocessor ----

class Preprocessor {
public:
    std::vector<Token> tokens;

    void File(const fs::path& path, int depth) {
        if (depth > 8)
            Fail(path.string(), "#include nested too deeply");
        std::ifstream in(path);
        if (!in)
            Fail(path.string(), "cannot open");
        std::string name = path.string();
        std::vector<bool> active; // one entry per open #if...: is its current branch taken
        std::vector<bool> elseSeen;
        bool inComment = false;
        std::string raw;
        int lineNo = 0;
        while (std::getline(in, raw)) {
            ++lineNo;
            int first = lineNo;
            // Line continuations.
            while (!raw.empty() && raw.back() == '\\') {
                raw.pop_back();
                std::string more;
                if (!std::getline(in, more))
                    break;
                ++lineNo;
                raw += more;
            }
            std::string line = StripComments(raw, inComment, name, first);
            size_t p = line.find_first_not_of(" \t\r");
            bool enabled = true;
            for (bool a : active)
                enabled = enabled && a;
            if (p != std::string::npos && line[p] == '#') {
                Directive(line.substr(p + 1), path, name, first, depth, active, elseSeen, enabled);
                continue;
            }
            if (!enabled)
                continue;
            std::vector<Token> lexed = Lex(line, name, first);
            std::set<std::string> expanding;
            Expand(lexed, expanding, tokens);
        }
        if (inComment)
            Fail(name, "unterminated comment");
        if (!active.empty())
            Fail(name, "missing #endif");
    }

private:
    std::map<std::string, std::vector<Token>> macros_;

    bool Defined(const std::string& n) const {
        return macros_.count(n) != 0 || kBuiltins.count(n) != 0;
    }

    static std::string StripComments(const std::string& s, bool& inComment, const std::string& file,
                                     int line) {
        std::string out;
        bool inString = false;
        for (size_t i = 0; i < s.size(); ++i) {
            if (inComment) {
                if (s.compare(i, 2, "*/") == 0) {
                    inComment = false;
                    ++i;
                    out += ' ';
                }
                continue;
            }
            if (inString) {
                out += s[i];
                if (s[i] == '\\' && i + 1 < s.size())
                    out += s[++i];
                else if (s[i] == '"')
                    inString = false;
                continue;
            }
            if (s[i] == '"') {
                inString = true;
                out += s[i];
            } else if (s.compare(i, 2, "//") == 0) {
                break;
            } else if (s.compare(i, 2, "/*") == 0) {
                inComment = true;
                ++i;
            } else {
                out += s[i];
            }
        }
        if (inString)
            Fail(file + ":" + std::to_string(line), "unterminated string");
        return out;
    }

    void Directive(const std::string& text, const fs::path& path, const std::string& name, int line,
                   int depth, std::vector<bool>& active, std::vector<bool>& elseSeen,
                   bool enabled) {
        std::string where = name + ":" + std::to_string(line);
        std::istringstream ss(text);
        std::string kw;
        ss >> kw;
        std::string rest;
        std::getline(ss, rest);
        size_t b = rest.find_first_not_of(" \t\r");
        size_t e = rest.find_last_not_of(" \t\r");
        rest = b == std::string::npos ? "" : rest.substr(b, e - b + 1);

        if (kw == "ifdef" || kw == "ifndef") {
            if (rest.empty())
                Fail(where, "#" + kw + " without a name");
            bool d = Defined(rest);
            active.push_back(kw == "ifdef" ? d : !d);
            elseSeen.push_back(false);
            return;
        }
        if (kw == "else" || kw == "endif") {
            if (active.empty())
                Fail(where, "#" + kw + " without #ifdef/#ifndef");
            if (kw == "else") {
                if (elseSeen.back())
                    Fail(where, "second #else");
                elseSeen.back() = true;
                active.back() = !active.back();
            } else {
                active.pop_back();
                elseSeen.pop_back();
            }
            return;
        }
        if (kw == "if" || kw == "elif")
            Fail(where, "#" + kw + " is not supported here; use #ifdef/#ifndef");
        if (!enabled)
            return;
        if (kw == "define") {
            size_t n = 0;
            while (n < rest.size() &&
                   (std::isalnum(static_cast<unsigned char>(rest[n])) || rest[n] == '_'))
                ++n;
            if (n == 0)
                Fail(where, "#define without a name");
            if (n < rest.size() && rest[n] == '(')
                Fail(where, "function-like macros are not supported");
            macros_[rest.substr(0, n)] = Lex(rest.substr(n), name, line);
        } else if (kw == "undef") {
            macros_.erase(rest);
        } else if (kw == "include") {
            if (rest.size() >= 2 && rest.front() == '<' && rest.back() == '>')
                return; // system headers: their names are the built-in table
            if (rest.size() < 2 || rest.front() != '"' || rest.back() != '"')
                Fail(where, "malformed #include");
            File(path.parent_path() / rest.substr(1, rest.size() - 2), depth + 1);
        } else if (kw == "pragma") {
            // #pragma once and the like: a header is read once per #include anyway.
        } else if (kw == "error") {
            Fail(where, "#error " + rest);
        } else {
            Fail(where, "unsupported directive #" + kw);
        }
    }

    void Expand(const std::vector<Token>& in, std::set<std::string>& expanding,
                std::vector<Token>& out, const Token* site = nullptr) {
        for (const Token& t0 : in) {
            Token t = t0;
            if (site != nullptr) { // report the place of use, not of the #define
                t.file = site->file;
                t.line = site->line;
            }
            if (t.kind == Token::Ident) {
                auto m = macros_.find(t.text);
                if (m != macros_.end() && expanding.count(t.text) == 0) {
                    expanding.insert(t.text);
                    Expand(m->second, expanding, out, &t);
                    expanding.erase(t.text);
                    continue;
                }
                auto s = kBuiltins.find(t.text);
                if (s != kBuiltins.end()) {
                    t.kind = Token::Number;
                    t.value = s->second;
                }
            }
            out.push_back(t);
        }
    }
};

// ---- parser ----

struct Resources {
    std::vector<DialogTemplate> dialogs;
    std::map<int, std::string> icons;
    std::map<int, std::string> bitmaps;
};

class Parser {
public:
    Parser(std::vector<Token> tokens, fs::path dir) : t_(std::move(tokens)), dir_(std::move(dir)) {}

    Resources Run() {
        Resources r;
        while (pos_ < t_.size()) {
            const Token& first = Peek();
            if (first.kind == Token::Ident && !IsSymbolValue(first))
                Fail(first.Where(), "expected a resource id, got " + Describe(first) +
                                        " (unknown name or unsupported statement)");
            int id = static_cast<int>(Expr());
            const Token& kind = Next();
            if (kind.Is("DIALOG") || kind.Is("DIALOGEX")) {
                for (const DialogTemplate& d : r.dialogs)
                    if (d.id == id)
                        Fail(kind.Where(), "dialog " + std::to_string(id) + " defined twice");
                r.dialogs.push_back(Dialog(id, kind.Is("DIALOGEX")));
            } else if (kind.Is("ICON") || kind.Is("BITMAP")) {
                auto& map = kind.Is("ICON") ? r.icons : r.bitmaps;
                std::string file = String("a file name");
                if (map.count(id) != 0)
                    Fail(kind.Where(), kind.text + " " + std::to_string(id) + " defined twice");
                map[id] = (dir_ / file).lexically_normal().string();
            } else {
                Fail(kind.Where(), "unsupported resource type " + Describe(kind));
            }
        }
        return r;
    }

private:
    std::vector<Token> t_;
    fs::path dir_;
    size_t pos_ = 0;

    static bool IsSymbolValue(const Token& t) { return t.kind == Token::Number; }

    const Token& Peek() {
        if (pos_ >= t_.size())
            Fail(t_.empty() ? std::string(HX_RC_FILE) : t_.back().Where(),
                 "unexpected end of file");
        return t_[pos_];
    }
    const Token& Next() {
        const Token& t = Peek();
        ++pos_;
        return t;
    }
    bool Accept(const char* p) {
        if (pos_ < t_.size() && t_[pos_].Is(p)) {
            ++pos_;
            return true;
        }
        return false;
    }
    void Expect(const char* p) {
        const Token& t = Next();
        if (!t.Is(p))
            Fail(t.Where(), std::string("expected '") + p + "', got " + Describe(t));
    }
    std::string String(const char* what) {
        const Token& t = Next();
        if (t.kind != Token::String)
            Fail(t.Where(), std::string("expected ") + what + " in quotes, got " + Describe(t));
        return t.text;
    }

    // Arithmetic with C precedence: unary, then + -, then &, then |.
    long long Unary() {
        const Token& t = Next();
        if (t.kind == Token::Number)
            return t.value;
        if (t.Is("(")) {
            long long v = Expr();
            Expect(")");
            return v;
        }
        if (t.Is("-"))
            return -Unary();
        if (t.Is("+"))
            return Unary();
        if (t.Is("~"))
            return ~Unary();
        if (t.kind == Token::Ident)
            Fail(t.Where(), "unknown name '" + t.text + "'");
        Fail(t.Where(), "expected a number, got " + Describe(t));
    }
    long long Additive() {
        long long v = Unary();
        for (;;) {
            if (Accept("+"))
                v += Unary();
            else if (Accept("-"))
                v -= Unary();
            else
                return v;
        }
    }
    long long BitAnd() {
        long long v = Additive();
        while (Accept("&"))
            v &= Additive();
        return v;
    }
    long long Expr() {
        long long v = BitAnd();
        while (Accept("|"))
            v |= BitAnd();
        return v;
    }
    int Int() { return static_cast<int>(Expr()); }

    // A style: terms separated by '|', each ORed into `style`, or cleared from it with NOT.
    DWORD Style(DWORD style) {
        do {
            bool clear = Accept("NOT");
            DWORD v = static_cast<DWORD>(BitAnd());
            style = clear ? (style & ~v) : (style | v);
        } while (Accept("|"));
        return style;
    }

    DialogTemplate Dialog(int id, bool ex) {
        DialogTemplate d;
        d.id = id;
        d.x = Int();
        Expect(",");
        d.y = Int();
        Expect(",");
        d.cx = Int();
        Expect(",");
        d.cy = Int();
        if (ex && Accept(","))
            Expr(); // help id

        bool haveStyle = false, haveCaption = false, haveFont = false;
        DWORD style = 0;
        for (;;) {
            const Token& t = Next();
            if (t.Is("BEGIN") || t.Is("{"))
                break;
            if (t.Is("STYLE")) {
                style = Style(0);
                haveStyle = true;
            } else if (t.Is("EXSTYLE")) {
                d.exStyle = static_cast<DWORD>(Expr());
            } else if (t.Is("CAPTION")) {
                d.caption = String("the caption");
                haveCaption = true;
            } else if (t.Is("FONT")) {
                d.pointSize = Int();
                Expect(",");
                d.fontFace = String("the font's face name");
                for (int extra = 0; extra < 3 && Accept(","); ++extra)
                    Expr(); // weight, italic, character set
                haveFont = true;
            } else {
                Fail(t.Where(), "unsupported dialog option " + Describe(t));
            }
        }
        if (!haveStyle)
            style = WS_POPUP | WS_BORDER | WS_SYSMENU;
        if (haveCaption)
            style |= WS_CAPTION;
        if (haveFont)
            style |= DS_SETFONT;
        d.style = style;

        for (;;) {
            const Token& t = Next();
            if (t.Is("END") || t.Is("}"))
                break;
            if (!t.Is("CONTROL"))
                Fail(t.Where(), "unsupported control statement " + Describe(t) +
                                    "; write it as CONTROL \"text\", id, \"class\", style, x, y, "
                                    "cx, cy");
            d.items.push_back(Control(ex));
        }
        return d;
    }

    static std::string CanonicalClass(const std::string& name) {
        static const char* const kPredefined[] = {"Button",  "Edit",      "Static",
                                                  "ListBox", "ScrollBar", "ComboBox"};
        for (const char* p : kPredefined) {
            std::string a = name, b = p;
            for (auto& c : a)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            for (auto& c : b)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            if (a == b)
                return p;
        }
        return name;
    }

    DialogItem Control(bool ex) {
        DialogItem c;
        c.text = String("the control's text");
        Expect(",");
        c.id = Int();
        Expect(",");
        c.windowClass = CanonicalClass(String("the window class"));
        Expect(",");
        c.style = Style(WS_CHILD | WS_VISIBLE) | WS_CHILD;
        Expect(",");
        c.x = Int();
        Expect(",");
        c.y = Int();
        Expect(",");
        c.cx = Int();
        Expect(",");
        c.cy = Int();
        if (Accept(",")) {
            c.exStyle = static_cast<DWORD>(Expr());
            if (ex && Accept(","))
                Expr(); // help id
        }
        return c;
    }
};

const Resources& Loaded() {
    static const Resources r = [] {
        fs::path rc(HX_RC_FILE);
        Preprocessor pp;
        pp.File(rc, 0);
        return Parser(std::move(pp.tokens), rc.parent_path()).Run();
    }();
    return r;
}

} // namespace

const DialogTemplate* FindDialog(int id) {
    for (const DialogTemplate& d : Loaded().dialogs)
        if (d.id == id)
            return &d;
    return nullptr;
}

std::string IconFile(int id) {
    auto it = Loaded().icons.find(id);
    return it == Loaded().icons.end() ? std::string() : it->second;
}

std::string BitmapFile(int id) {
    auto it = Loaded().bitmaps.find(id);
    return it == Loaded().bitmaps.end() ? std::string() : it->second;
}

} // namespace sim::res
