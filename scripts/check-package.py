#!/usr/bin/env python3
"""Checks a release folder made by scripts/package (default: the one of the project's version):
both architecture folders hold the same executables, HxSetup.exe among them, each built for its
folder's architecture and carrying its manifest and version resource; README.txt and
HXCFG.txt (hxcfg's reference) are there, as Windows text with CR LF line ends; the zip beside
the folder holds the folder's files; SHA256SUMS lists every other file and the zip exactly once
and every checksum matches. With --cert, every executable also carries an Authenticode signature
with a SHA-256 digest that osslsigncode verifies, trusting CERT (PEM: the signing certificate
itself when self-signed, else the root of its chain).

    scripts/check-package.py [--cert CERT] [dist/HxSetup-<version>]"""

import argparse
import hashlib
import re
import subprocess
import sys
import zipfile
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
# The most each executable may weigh, stripped and unsigned.
SIZE_GOALS = {"HxSetup.exe": 64 * 1024, "hxcfg.exe": 56 * 1024}
sys.path.insert(0, str(ROOT / "e2e"))
import exe_resources  # noqa: E402


def signature(exe, cert):
    """The checks of exe's signature, trusting cert."""
    # Revocation lists are not fetched: this checks that the package is intact and whose it is,
    # offline; revocation is for the machine that runs the executable to check.
    verify = subprocess.run(["osslsigncode", "verify", "-in", str(exe), "-CAfile", str(cert),
                             "-ignore-cdp"], capture_output=True, text=True)
    digest = re.search(r"^Message digest algorithm\s*:\s*(\S+)", verify.stdout, re.M)
    return [("signature verified against %s" % cert, verify.returncode, 0),
            ("signature digest", digest and digest.group(1), "SHA256")]


def main():
    parser = argparse.ArgumentParser(description="Checks a release folder made by scripts/package.")
    parser.add_argument("--cert", type=Path, help="verify every executable's signature, trusting CERT")
    parser.add_argument("dist", type=Path, nargs="?")
    args = parser.parse_args()
    dist = args.dist or exe_resources.release_folder(sys.argv[:1])
    files = sorted(str(p.relative_to(dist)) for p in dist.rglob("*") if p.is_file())
    sums = {}
    lines = (dist / "SHA256SUMS").read_text().splitlines() if (dist / "SHA256SUMS").exists() else []
    for line in lines:
        digest, name = line.split(None, 1)
        sums.setdefault(name.lstrip("*"), []).append(digest)
    exes = {arch: sorted(p.name for p in (dist / arch).glob("*.exe")) for arch in ("x86", "x64")}
    texts = {name: (dist / name).read_bytes() if (dist / name).is_file() else b""
             for name in ("README.txt", "HXCFG.txt")}
    readme, reference = (texts[n].decode(errors="replace") for n in ("README.txt", "HXCFG.txt"))
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
        ("HXCFG.txt gives hxcfg's commands and exit statuses, without code marks",
         ["hxcfg status" in reference, "Exit status" in reference, "`" in reference],
         [True, True, False]),
        ("text files missing, or with a line not ended by CR LF",
         [n for n, t in texts.items()
          if not t.endswith(b"\r\n") or t.count(b"\n") != t.count(b"\r\n")], []),
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
            exe = dist / arch / name
            results = exe_resources.checks(exe, arch)
            image = exe_resources.PeImage(exe.read_bytes())
            unsigned = image.certificates_offset or len(image.data)
            results.append(("%d bytes before any signature, at most %d" % (unsigned, SIZE_GOALS[name]),
                            unsigned <= SIZE_GOALS[name], True))
            if args.cert:
                results += signature(exe, args.cert)
            failed += exe_resources.report(results, "%s/%s: " % (arch, name))
    print("%s: %s" % ("FAILED" if failed else "complete", dist))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
