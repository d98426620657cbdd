#!/usr/bin/env python3
"""Checks what the shipped executables import, read from their PE import tables with a reader of
its own, against the table scripts/imports.txt (every function with the first Windows and the
first version of its DLL that export it):

    scripts/check-imports.py [dist/HxSetup-<version>]

- every imported DLL and function has a row (an import by ordinal has none, so it fails);
- an x86 executable needs nothing that Windows NT 4.0 lacks as installed (its own
  comctl32 4.00 and msvcrt 4.20), and its OS and subsystem versions stay 4.0, so that its loader
  takes it.

Prints each executable's imports and one line per failure; exit status 1 when any fails."""

import struct
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(ROOT / "e2e"))
import exe_resources  # noqa: E402

# The Windows NT line, oldest first; the table names one of these.
WINDOWS = ["NT3.1", "NT3.5", "NT3.51", "NT4.0", "2000", "XP", "2003", "Vista", "7", "8", "10"]
NT4 = WINDOWS.index("NT4.0")
# The DLLs whose versions run apart from the system's: what Windows NT 4.0 brings of each.
NT4_DLL_VERSIONS = {"comctl32.dll": (4, 0), "msvcrt.dll": (4, 20)}


def read_table(path):
    """{(dll, function): (windows index, dll version tuple)}; raises on a malformed row."""
    table = {}
    for n, line in enumerate(path.read_text().splitlines(), 1):
        line = line.split("#", 1)[0].strip()
        if not line:
            continue
        fields = line.split()
        if len(fields) != 4 or fields[2] not in WINDOWS:
            raise ValueError("%s:%d: expected DLL, function, Windows (%s), DLL version"
                             % (path, n, " ".join(WINDOWS)))
        dll, function, windows, version = fields
        key = (dll.lower(), function)
        if key in table:
            raise ValueError("%s:%d: %s!%s twice" % (path, n, dll, function))
        table[key] = (WINDOWS.index(windows), tuple(int(v) for v in version.split(".")))
    return table


def imports(data):
    """[(dll, function or '#ordinal')] of a PE image, in the order of its import table."""
    image = exe_resources.PeImage(data)
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    opt = pe + 24
    dirs = opt + (112 if image.is64 else 96)
    rva = struct.unpack_from("<I", data, dirs + 8)[0]
    found = []
    while rva:
        lookup, _, _, name, thunks = struct.unpack_from("<IIIII", data, image.offset(rva))
        if not name:
            break
        dll = cstring(data, image.offset(name))
        at = image.offset(lookup or thunks)
        size, ordinal_flag = (8, 1 << 63) if image.is64 else (4, 1 << 31)
        while True:
            entry = struct.unpack_from("<Q" if image.is64 else "<I", data, at)[0]
            if not entry:
                break
            if entry & ordinal_flag:
                found.append((dll, "#%d" % (entry & 0xFFFF)))
            else:
                found.append((dll, cstring(data, image.offset(entry & 0x7FFFFFFF) + 2)))
            at += size
        rva += 20
    return found


def cstring(data, at):
    return data[at:data.index(b"\0", at)].decode("ascii")


def os_versions(data):
    """(OS version, subsystem version) of the optional header, each (major, minor)."""
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    opt = pe + 24
    return struct.unpack_from("<HH", data, opt + 40), struct.unpack_from("<HH", data, opt + 48)


def check(exe, arch, table):
    """Failure lines for one executable."""
    data = exe.read_bytes()
    failures = []
    for dll, function in imports(data):
        row = table.get((dll.lower(), function))
        if row is None:
            failures.append("%s!%s is not in scripts/imports.txt" % (dll, function))
            continue
        windows, version = row
        if arch != "x86":
            continue
        if windows > NT4:
            failures.append("%s!%s needs Windows %s" % (dll, function, WINDOWS[windows]))
        nt4 = NT4_DLL_VERSIONS.get(dll.lower())
        if nt4 and version > nt4:
            failures.append("%s!%s needs %s %s, Windows NT 4.0 has %s"
                            % (dll, function, dll, ".".join(map(str, version)),
                               ".".join(map(str, nt4))))
    if arch == "x86":
        for what, value in zip(("OS version", "subsystem version"), os_versions(data)):
            if value != (4, 0):
                failures.append("%s %d.%d, not 4.0" % (what, value[0], value[1]))
    return failures


def main():
    dist = exe_resources.release_folder(sys.argv)
    table = read_table(ROOT / "scripts" / "imports.txt")
    exes = [(arch, exe) for arch in ("x64", "x86") for exe in sorted((dist / arch).glob("*.exe"))]
    if not exes:
        print("check-imports: no executables in %s/x64 or %s/x86 (scripts/package makes them)"
              % (dist, dist))
        return 1
    failed = 0
    for arch, exe in exes:
        failures = check(exe, arch, table)
        name = exe.relative_to(dist)
        print("%s: %d imports, %s" % (name, len(imports(exe.read_bytes())),
                                      "FAIL" if failures else "ok"))
        for line in failures:
            print("  %s: %s" % (name, line))
        failed += bool(failures)
    if failed:
        print("check-imports: %d of %d executables failed" % (failed, len(exes)))
        return 1
    print("check-imports: every import of the %d executables is in the table; the x86 ones load "
          "on Windows NT 4.0" % len(exes))
    return 0


if __name__ == "__main__":
    sys.exit(main())
