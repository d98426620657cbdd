#!/usr/bin/env python3
"""The release scripts on input they must refuse, and on a known listing:

- scripts/check-imports.py on tiny i686 executables built here with mingw-w64: one that it
  must accept, and one for each thing it must refuse (an import first exported by Windows 2000,
  one needing comctl32 4.70, one needing an msvcrt above 4.20, an OS version and a subsystem
  version of 5.0). The DLL versions of the rows under test are added to the real table, as
  the reference gives them.
- scripts/release-zip.py: the entries of a release folder in the byte order of their paths,
  under the folder's name, each rw-r--r-- and stamped with SOURCE_DATE_EPOCH.

Exit status 0 when all hold, 1 when one fails, 77 (skipped) without the i686 compiler."""

import importlib.util
import os
import shutil
import subprocess
import sys
import tempfile
import zipfile
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
CC = "i686-w64-mingw32-gcc-posix"


def load(name):
    found = importlib.util.spec_from_file_location(name.replace("-", "_"), ROOT / "scripts" / name)
    module = importlib.util.module_from_spec(found)
    found.loader.exec_module(module)
    return module


# name: (C source, extra compiler arguments, a part of the one failure expected; None: accepted)
FIXTURES = {
    "good": ("int main(void) { return 0; }", [], None),
    "windows2000": ("#include <windows.h>\n"
                    "int main(void) { LARGE_INTEGER n;\n"
                    "  return GetFileSizeEx(GetStdHandle(STD_OUTPUT_HANDLE), &n); }",
                    [], "KERNEL32.dll!GetFileSizeEx needs Windows 2000"),
    "comctl32": ("#include <windows.h>\n#include <commctrl.h>\n"
                 "int main(void) { INITCOMMONCONTROLSEX i = {sizeof i, ICC_WIN95_CLASSES};\n"
                 "  return InitCommonControlsEx(&i); }",
                 ["-lcomctl32"], "needs comctl32.dll 4.70, Windows NT 4.0 has 4.0"),
    "msvcrt": ("__declspec(dllimport) int __cdecl _set_SSE2_enable(int);\n"
               "int main(void) { return _set_SSE2_enable(0); }",
               [], "needs msvcrt.dll 6.10, Windows NT 4.0 has 4.20"),
    "os5": ("int main(void) { return 0; }",
            ["-Wl,--major-os-version,5,--minor-os-version,0"], "OS version 5.0, not 4.0"),
    "subsystem5": ("int main(void) { return 0; }",
                   ["-Wl,--major-subsystem-version,5,--minor-subsystem-version,0"],
                   "subsystem version 5.0, not 4.0"),
}

# Rows the real table lacks, for the fixtures' imports: InitCommonControlsEx came with comctl32
# 4.70 (Internet Explorer 3), GetFileSizeEx with Windows 2000, _set_SSE2_enable with msvcrt of
# Visual C++ 6 (6.10; rowed at NT 4.0 here so that only its DLL version is at fault).
EXTRA_ROWS = {
    ("kernel32.dll", "GetFileSizeEx"): ("2000", (5, 0)),
    ("comctl32.dll", "InitCommonControlsEx"): ("NT4.0", (4, 70)),
    ("msvcrt.dll", "_set_SSE2_enable"): ("NT4.0", (6, 10)),
}


def check_imports(work):
    checker = load("check-imports.py")
    table = checker.read_table(ROOT / "scripts" / "imports.txt")
    for key, (windows, version) in EXTRA_ROWS.items():
        table[key] = (checker.WINDOWS.index(windows), version)
    failed = 0
    for name, (source, args, expected) in FIXTURES.items():
        c = work / (name + ".c")
        exe = work / (name + ".exe")
        c.write_text(source + "\n")
        subprocess.run([CC, "-O2", "-s", "-o", str(exe), str(c)] + args, check=True)
        failures = checker.check(exe, "x86", table)
        ok = failures == [] if expected is None else (
            len(failures) == 1 and expected.lower() in failures[0].lower())
        print("check-imports %s: %s%s" % (name, "ok" if ok else "FAIL: ", "" if ok else failures))
        failed += not ok
    return failed


# The release folder as scripts/package makes it, and the zip's entries in byte order: "HxSetup"
# before "hxcfg", "HXCFG.txt" before "README.txt" and both before the folders, whatever order the
# file system lists them in.
FOLDER = ["x86/hxcfg.exe", "x64/hxcfg.exe", "README.txt", "x86/HxSetup.exe", "x64/HxSetup.exe",
          "HXCFG.txt"]
LISTING = [
    "HxSetup-1.0.0/HXCFG.txt",
    "HxSetup-1.0.0/README.txt",
    "HxSetup-1.0.0/x64/HxSetup.exe",
    "HxSetup-1.0.0/x64/hxcfg.exe",
    "HxSetup-1.0.0/x86/HxSetup.exe",
    "HxSetup-1.0.0/x86/hxcfg.exe",
]


def zip_order(work):
    folder = work / "HxSetup-1.0.0"
    for rel in FOLDER:
        (folder / rel).parent.mkdir(parents=True, exist_ok=True)
        (folder / rel).write_bytes(rel.encode())
    out = work / "release.zip"
    env = dict(os.environ, SOURCE_DATE_EPOCH="1700000000")  # 2023-11-14 22:13:20 UTC
    subprocess.run([sys.executable, str(ROOT / "scripts" / "release-zip.py"), str(folder),
                    str(out)], check=True, env=env)
    with zipfile.ZipFile(out) as z:
        infos = z.infolist()
    got = [i.filename for i in infos]
    ok = got == LISTING and all(
        i.date_time == (2023, 11, 14, 22, 13, 20) and i.external_attr >> 16 == 0o100644
        for i in infos)
    print("release-zip order: %s" % ("ok" if ok else "FAIL: %s" % got))
    return not ok


def main():
    work = Path(tempfile.mkdtemp(prefix="hx-release-scripts-"))
    try:
        failed = zip_order(work)
        if shutil.which(CC) is None:
            print("SKIPPED: %s not found, check-imports not tried on bad executables" % CC)
            return 1 if failed else 77
        failed += check_imports(work)
    finally:
        shutil.rmtree(work)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
