#!/usr/bin/env python3
"""Checks that every constant sim's Win32 headers define carries the value real Windows gives it.

It reads sim/include/*.h and sim/include/simwin/**/*.h (not sim/include/sim/, the test API),
collects the object-like #defines and the enumerators, and generates checks that compile against
the real mingw-w64 <windows.h> and <commctrl.h>:

  integers, handles   _Static_assert((long long)(ULONG_PTR)(NAME) == ... (sim's text)), compiled
                      as C, because C folds pointer casts such as (HKEY)(ULONG_PTR)0x80000002 into
                      constants and C++ does not; comparing through ULONG_PTR keeps sign
                      extension visible (a 32-bit 0x80000000 is not ((int)0x80000000));
  strings             compared character by character in a C++17 constexpr function;
  brace initialisers  {{0,0,0,0,0,5}}: compared member by member, by the type in BRACE_TYPES.

Both mingw-w64 targets are used when present (x86_64 required, i686 optional): a constant must
exist in at least one of them (GWL_WNDPROC exists only for 32-bit Windows) and match in every one
where it exists. Real constants that mingw lacks get a reference definition, with its source, in
windows_extra.h beside this script.

Skipped, and listed with --verbose: function-like macros, empty macros (WINAPI), keywords and type
names (CONST const), aliases of function-like macros (MAKEINTRESOURCE), and any #define whose line
carries the comment "sim-only" (a name real Windows does not have; use sparingly).

Exit status: 0 all match, 1 a mismatch or a name Windows lacks, 77 the compiler is missing (ctest
reports the test as skipped).
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", ".."))
INCLUDE = os.path.join(ROOT, "sim", "include")

# Brace-initialised constants: the type to build, and its array member with its length.
BRACE_TYPES = {
    "SECURITY_NT_AUTHORITY": ("SID_IDENTIFIER_AUTHORITY", "Value", 6),
    "SECURITY_WORLD_SID_AUTHORITY": ("SID_IDENTIFIER_AUTHORITY", "Value", 6),
}

KEYWORDS = {
    "const", "volatile", "void", "char", "short", "int", "long", "signed", "unsigned", "float",
    "double", "struct", "union", "enum", "static", "extern", "inline",
}

DEFINE = re.compile(r"^\s*#\s*define\s+([A-Za-z_]\w*)(\()?(.*)$")
ENUM = re.compile(r"\benum\s+(?!class\b|struct\b)(?:[A-Za-z_]\w*\s*)?\{(.*?)\}", re.S)
IDENT = re.compile(r"^[A-Za-z_]\w*$")


def headers():
    out = []
    for dirpath, dirnames, filenames in os.walk(INCLUDE):
        rel = os.path.relpath(dirpath, INCLUDE)
        if rel == "sim" or rel.startswith("sim" + os.sep):
            continue
        dirnames.sort()
        out += [os.path.join(dirpath, f) for f in sorted(filenames) if f.endswith(".h")]
    return out


def strip_comments(text):
    """Removes /* */ and // comments outside string and character literals; keeps newlines."""
    out, i, n = [], 0, len(text)
    while i < n:
        c = text[i]
        if c in "\"'":
            j = i + 1
            while j < n and text[j] != c:
                j += 2 if text[j] == "\\" else 1
            out.append(text[i:j + 1])
            i = j + 1
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            j = n if j < 0 else j + 2
            out.append("\n" * text.count("\n", i, j))
            i = j
        elif text.startswith("//", i):
            j = text.find("\n", i)
            i = n if j < 0 else j
        else:
            out.append(c)
            i += 1
    return "".join(out)


class Item:
    def __init__(self, name, body, where, kind):
        self.name, self.body, self.where, self.kind = name, body, where, kind


def collect():
    macros, functions, enumerators, skipped = [], set(), [], []
    for path in headers():
        rel = os.path.relpath(path, INCLUDE)
        raw = open(path, encoding="utf-8").read()
        raw_lines = raw.split("\n")
        text = strip_comments(raw)
        lines = text.split("\n")
        i = 0
        while i < len(lines):
            start = i
            line = lines[i]
            while line.endswith("\\") and i + 1 < len(lines):
                i += 1
                line = line[:-1] + " " + lines[i]
            i += 1
            m = DEFINE.match(line)
            if not m:
                continue
            name, paren, body = m.group(1), m.group(2), m.group(3).strip()
            where = "%s:%d" % (rel, start + 1)
            if paren:
                functions.add(name)
                skipped.append((name, where, "function-like"))
            elif "sim-only" in raw_lines[start]:
                skipped.append((name, where, "marked sim-only"))
            elif not body:
                skipped.append((name, where, "empty"))
            else:
                macros.append(Item(name, body, where, None))
        for m in ENUM.finditer(text):
            line_no = text.count("\n", 0, m.start()) + 1
            previous = None
            for entry in m.group(1).split(","):
                entry = " ".join(entry.split())
                if not entry:
                    continue
                name, _, value = entry.partition("=")
                name, value = name.strip(), value.strip()
                if not value:
                    value = "0" if previous is None else "(%s) + 1" % previous
                previous = value
                enumerators.append(Item(name, value, "%s:%d" % (rel, line_no), "int"))
    return macros, functions, enumerators, skipped


def classify(macros, functions, enumerators, skipped):
    by_name = {m.name: m for m in macros}
    enum_names = {e.name for e in enumerators}

    def kind_of(item, seen=()):
        body = item.body
        if body.startswith('"') or body.startswith('L"'):
            return "string"
        if body.startswith("{"):
            return "brace"
        if IDENT.match(body):
            if body in functions:
                return "skip:alias of a function-like macro"
            if body in enum_names:
                return "int"
            if body in by_name and body not in seen:
                return kind_of(by_name[body], seen + (item.name,))
            if body in KEYWORDS or body.startswith("__"):
                return "skip:keyword"
            if not re.match(r"^(0[xX][0-9a-fA-F]+|\d+)", body):
                return "skip:type name or other non-constant"
        return "int"

    checks = []
    for m in macros:
        k = kind_of(m)
        if k.startswith("skip:"):
            skipped.append((m.name, m.where, k[5:]))
        else:
            m.kind = k
            checks.append(m)
    return checks + enumerators


def c_string(s):
    return s.replace("\\", "\\\\").replace('"', '\\"')


def generate(checks):
    prelude = ["#include <windows.h>", "#include <windowsx.h>", "#include <commctrl.h>",
               '#include "%s"' % os.path.join(HERE, "windows_extra.h")]
    c_lines = list(prelude)
    cpp_lines = prelude + [
        "#include <cstddef>",
        "#include <type_traits>",
        "template <class A, class B, std::size_t N, std::size_t M>",
        "constexpr bool StrEq(const A (&a)[N], const B (&b)[M]) {",
        "    if (!std::is_same<A, B>::value || N != M) return false;",
        "    for (std::size_t i = 0; i < N; ++i)",
        "        if (a[i] != b[i]) return false;",
        "    return true;",
        "}",
    ]
    c_owner, cpp_owner = {}, {}
    for item in checks:
        msg = c_string("%s (%s): sim says %s" % (item.name, item.where, item.body))
        if item.kind == "int":
            c_owner[len(c_lines) + 1] = item
            c_lines.append(
                "_Static_assert((long long)(ULONG_PTR)(%s) == (long long)(ULONG_PTR)(%s), \"%s\");"
                % (item.name, item.body, msg))
        elif item.kind == "string":
            cpp_owner[len(cpp_lines) + 1] = item
            cpp_lines.append("static_assert(StrEq(%s, %s), \"%s\");" % (item.name, item.body, msg))
        elif item.kind == "brace":
            brace_type = BRACE_TYPES.get(item.name)
            cpp_owner[len(cpp_lines) + 1] = item
            if not brace_type:
                cpp_lines.append("static_assert(false, \"%s: add its type to BRACE_TYPES in "
                                 "tests/constants/check.py\");" % item.name)
                continue
            typ, member, count = brace_type
            cpp_lines.append(
                "static_assert([] { constexpr %s a = %s; constexpr %s b = %s; "
                "for (int i = 0; i < %d; ++i) if (a.%s[i] != b.%s[i]) return false; "
                "return true; }(), \"%s\");"
                % (typ, item.name, typ, item.body, count, member, member, msg))
    return "\n".join(c_lines) + "\n", "\n".join(cpp_lines) + "\n", c_owner, cpp_owner


def compile_one(compiler, lang_args, source, path, owner):
    """Compiles one generated file; returns {name: (item, error, absent)} for the failed checks,
    absent meaning that the target has no such name at all."""
    with open(path, "w") as f:
        f.write(source)
    env = dict(os.environ, LC_ALL="C")  # plain ASCII quotes in the messages parsed below
    proc = subprocess.run([compiler] + lang_args + ["-fsyntax-only", "-fmax-errors=0", path],
                          stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, env=env)
    failed = {}
    if proc.returncode != 0:
        for m in re.finditer(re.escape(os.path.basename(path)) + r":(\d+):\d+: error: (.*)",
                             proc.stdout):
            item = owner.get(int(m.group(1)))
            if item and item.name not in failed:
                error = m.group(2)
                absent = bool(re.search("'%s' (undeclared|was not declared)" %
                                        re.escape(item.name), error))
                failed[item.name] = (item, error, absent)
        if not failed:
            print(proc.stdout)
            failed["<compiler>"] = (None, "the generated file did not compile", False)
    return failed


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--compiler", default=os.environ.get("HX_MINGW_CXX",
                                                         "x86_64-w64-mingw32-g++-posix"),
                    help="the required (64-bit) target's compiler")
    ap.add_argument("--compiler32", default=os.environ.get("HX_MINGW32_CXX",
                                                           "i686-w64-mingw32-g++-posix"),
                    help="the optional 32-bit target's compiler")
    ap.add_argument("--keep", help="directory to keep the generated files in")
    ap.add_argument("--verbose", action="store_true")
    args = ap.parse_args()

    compilers = [shutil.which(args.compiler)]
    if not compilers[0]:
        print("SKIPPED: %s not found; install mingw-w64 (g++-mingw-w64-x86-64-posix) to check "
              "sim's constants against the real Windows headers" % args.compiler)
        return 77
    if shutil.which(args.compiler32):
        compilers.append(shutil.which(args.compiler32))
    else:
        print("note: %s not found; checking the 64-bit target only" % args.compiler32)

    macros, functions, enumerators, skipped = collect()
    checks = classify(macros, functions, enumerators, skipped)
    c_src, cpp_src, c_owner, cpp_owner = generate(checks)
    workdir = args.keep or tempfile.mkdtemp(prefix="simconst")
    os.makedirs(workdir, exist_ok=True)
    per_target = []
    try:
        for n, compiler in enumerate(compilers):
            failed = compile_one(compiler, ["-x", "c", "-std=gnu11"], c_src,
                                 os.path.join(workdir, "constants_check%d.c" % n), c_owner)
            failed.update(compile_one(compiler, ["-x", "c++", "-std=c++17"], cpp_src,
                                      os.path.join(workdir, "constants_check%d.cpp" % n),
                                      cpp_owner))
            per_target.append((os.path.basename(compiler), failed))
    finally:
        if not args.keep:
            shutil.rmtree(workdir, ignore_errors=True)

    # A name fails when it differs on a target that has it, or no target has it at all.
    failed = {}
    names = set()
    for _, f in per_target:
        names |= set(f)
    for name in names:
        results = [(t, f.get(name)) for t, f in per_target]
        absent_everywhere = all(r and r[2] for _, r in results)
        wrong = [(t, r) for t, r in results if r and not r[2]]
        if wrong:
            failed[name] = (wrong[0][1][0], "%s: %s" % (wrong[0][0], wrong[0][1][1]))
        elif absent_everywhere:
            failed[name] = (results[0][1][0], "no Windows target has it: %s" % results[0][1][1])

    if args.verbose:
        for name, where, why in sorted(skipped, key=lambda s: s[1]):
            print("skipped %-28s %-24s %s" % (name, where, why))
    print("%d constants checked against %s, %d skipped" %
          (len(checks), " and ".join(t for t, _ in per_target), len(skipped)))
    if failed:
        print("MISMATCH: %d constant(s) differ from Windows or do not exist there:" % len(failed))
        for name, (item, error) in sorted(failed.items()):
            where = "%s, sim says %s" % (item.where, item.body) if item else ""
            print("  %s  %s\n      %s" % (name, where, error))
        print("(a name that exists only in sim needs the comment sim-only on its #define line)")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
