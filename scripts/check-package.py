#!/usr/bin/env python3
"""Checks a release folder made by scripts/package (default: the one of the project's version):
both architecture folders hold the same executables, HxSetup.exe among them, each built for its
folder's architecture and carrying the manifest and version resource; README.txt is there;
the zip beside the folder holds the folder's files; SHA256SUMS lists every other file and the
zip exactly once and every checksum matches.

    scripts/check-package.py [dist/HxSetup-<version>]"""

import hashlib
import sys
import zipfile
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(ROOT / "e2e"))
import exe_resources  # noqa: E402


def main():
    if len(sys.argv) > 1:
        dist = Path(sys.argv[1])
    else:
        major, minor, patch = exe_resources.project_version()
        dist = ROOT / "dist" / ("HxSetup-%d.%d.%d" % (major, minor, patch))
    files = sorted(str(p.relative_to(dist)) for p in dist.rglob("*") if p.is_file())
    sums = {}
    lines = (dist / "SHA256SUMS").read_text().splitlines() if (dist / "SHA256SUMS").exists() else []
    for line in lines:
        digest, name = line.split(None, 1)
        sums.setdefault(name.lstrip("*"), []).append(digest)
    exes = {arch: sorted(p.name for p in (dist / arch).glob("*.exe")) for arch in ("x86", "x64")}
    readme = (dist / "README.txt").read_text(errors="replace") if (dist / "README.txt").exists() else ""
    zip_name = "../%s.zip" % dist.name
    packed = {}
    if (dist / zip_name).is_file():
        with zipfile.ZipFile(dist / zip_name) as z:
            packed = {i.filename: hashlib.sha256(z.read(i)).hexdigest() for i in z.infolist()}
    shipped = [f for f in files if f != "SHA256SUMS"]

    results = [
        ("HxSetup.exe in x86 and x64", ["HxSetup.exe" in exes["x86"], "HxSetup.exe" in exes["x64"]],
         [True, True]),
        ("the same executables in both folders", exes["x86"], exes["x64"]),
        ("README.txt speaks of administrator rights", "Administrator" in readme, True),
        ("the zip holds the folder's files, byte for byte", packed,
         {"%s/%s" % (dist.name, f): hashlib.sha256((dist / f).read_bytes()).hexdigest()
          for f in shipped}),
        ("SHA256SUMS lists every other file and the zip once", sorted(sums),
         sorted(shipped + [zip_name])),
        ("nothing listed twice", [n for n, d in sums.items() if len(d) > 1], []),
        ("checksums that do not match",
         [n for n, d in sums.items()
          if (dist / n).is_file() and hashlib.sha256((dist / n).read_bytes()).hexdigest() != d[0]], []),
    ]
    failed = exe_resources.report(results)
    for arch, names in exes.items():
        for name in names:
            failed += exe_resources.report(
                exe_resources.checks(dist / arch / name, arch) if name == "HxSetup.exe"
                else [("a %s executable" % arch,
                       exe_resources.PeImage((dist / arch / name).read_bytes()).is64,
                       arch == "x64")],
                "%s/%s: " % (arch, name))
    print("%s: %s" % ("FAILED" if failed else "complete", dist))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
