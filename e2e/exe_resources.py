#!/usr/bin/env python3
"""Reads the manifest and the version resource back out of built executables (HxSetup.exe,
hxcfg.exe), with a PE reader of its own (no Windows tool in between), and checks them:

    exe_resources.py x64|x86 EXE...

- the manifest (type 24, id 1) asks for the executable's own execution level (the dialog for
  elevation, hxcfg for the caller's rights), no UI access, declares no dependency (so no
  version 6 of the common controls) and no DPI awareness;
- the version resource carries the executable's and the product's names and the project's
  version (read from the top-level CMakeLists.txt, where it is set);
- a 32-bit executable stays loadable on Windows NT 4.0: subsystem version 4.0.

Prints one line per check; exit status 1 when any fails."""

import re
import struct
import sys
import xml.etree.ElementTree as ET
from pathlib import Path

RT_VERSION, RT_MANIFEST = 16, 24
ROOT = Path(__file__).resolve().parent.parent

# What each executable says of itself, by its file name: its description and the execution level
# its manifest asks for.
IDENTITIES = {
    "HxSetup.exe": ("Halcyonix Setup Utility", "requireAdministrator"),
    "hxcfg.exe": ("Halcyonix Configuration Tool", "asInvoker"),
}


class PeImage:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise ValueError("no MZ header")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        self.machine, nsections, _, _, _, opt_size, self.characteristics = struct.unpack_from(
            "<HHIIIHH", data, pe + 4)
        opt = pe + 24
        magic = struct.unpack_from("<H", data, opt)[0]
        self.is64 = magic == 0x20B
        self.subsystem_version = struct.unpack_from("<HH", data, opt + 48)
        dirs = opt + (112 if self.is64 else 96)
        self.resource_rva, self.resource_size = struct.unpack_from("<II", data, dirs + 2 * 8)
        # The signatures' table, appended to the file: its file offset and size (0 when unsigned).
        self.certificates_offset, self.certificates_size = struct.unpack_from(
            "<II", data, dirs + 4 * 8)
        self.sections = []
        for i in range(nsections):
            s = opt + opt_size + 40 * i
            vsize, va, rawsize, rawptr = struct.unpack_from("<IIII", data, s + 8)
            self.sections.append((va, max(vsize, rawsize), rawptr))

    def offset(self, rva):
        for va, size, raw in self.sections:
            if va <= rva < va + size:
                return raw + rva - va
        raise ValueError("RVA %#x lies in no section" % rva)

    def _entries(self, table):
        """(id or name, is-directory, offset relative to the resource section) of one table."""
        base = self.offset(self.resource_rva)
        named, ids = struct.unpack_from("<HH", self.data, base + table + 12)
        for i in range(named + ids):
            name, target = struct.unpack_from("<II", self.data, base + table + 16 + 8 * i)
            key = name if not name & 0x80000000 else ("name", name & 0x7FFFFFFF)
            yield key, bool(target & 0x80000000), target & 0x7FFFFFFF

    def resources(self, rtype):
        """{id: bytes} of every resource of the numbered type, first language of each."""
        if not self.resource_rva:
            return {}
        base = self.offset(self.resource_rva)
        found = {}
        for key, isdir, target in self._entries(0):
            if key != rtype or not isdir:
                continue
            for rid, isdir2, target2 in self._entries(target):
                langs = list(self._entries(target2)) if isdir2 else []
                if not langs:
                    continue
                rva, size = struct.unpack_from("<II", self.data, base + langs[0][2])
                found[rid] = self.data[self.offset(rva):self.offset(rva) + size]
        return found


def version_blocks(data, at=0):
    """One version-resource block at `at`: (key, value bytes, is-text, children, end)."""
    length, value_length, is_text = struct.unpack_from("<HHH", data, at)
    end = at + length
    p = at + 6
    key_end = data.index(b"\0\0", p)
    while (key_end - p) % 2:
        key_end = data.index(b"\0\0", key_end + 1)
    key = data[p:key_end].decode("utf-16-le")
    p = (key_end + 2 + 3) & ~3
    value_bytes = value_length * 2 if is_text else value_length
    value = data[p:p + value_bytes]
    p = (p + value_bytes + 3) & ~3
    children = []
    while p < end:
        child = version_blocks(data, p)
        children.append(child)
        p = (child[4] + 3) & ~3
    return key, value, is_text, children, end


def version_info(data):
    """(file version, product version, {string name: text}) of a VS_VERSIONINFO."""
    key, fixed, _, children, _ = version_blocks(data)
    if key != "VS_VERSION_INFO" or struct.unpack_from("<I", fixed)[0] != 0xFEEF04BD:
        raise ValueError("not a version resource")
    fms, fls, pms, pls = struct.unpack_from("<IIII", fixed, 8)
    quad = lambda ms, ls: (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
    strings = {}
    for ckey, _, _, tables, _ in children:
        if ckey == "StringFileInfo":
            for _, _, _, values, _ in tables:
                for name, value, _, _, _ in values:
                    strings[name] = value.decode("utf-16-le").rstrip("\0")
    return quad(fms, fls), quad(pms, pls), strings


def project_version():
    text = (ROOT / "CMakeLists.txt").read_text()
    m = re.search(r"project\(\s*HxSetup\s+VERSION\s+(\d+)\.(\d+)\.(\d+)", text)
    if not m:
        raise ValueError("no project version in CMakeLists.txt")
    return tuple(int(x) for x in m.groups())


def release_folder(argv):
    """The release folder named first in argv, else the one scripts/package makes."""
    if len(argv) > 1:
        return Path(argv[1])
    return ROOT / "dist" / ("HxSetup-%d.%d.%d" % project_version())


def local(tag):
    return tag.rsplit("}", 1)[-1]


def checks(exe, arch):
    """(what, actual, expected) of every check of executable `exe` built for `arch`."""
    image = PeImage(Path(exe).read_bytes())
    description, level = IDENTITIES[Path(exe).name]
    major, minor, patch = project_version()
    text_version = "%d.%d.%d" % (major, minor, patch)

    manifests = image.resources(RT_MANIFEST)
    manifest = ET.fromstring(manifests[1]) if 1 in manifests else None
    elements = list(manifest.iter()) if manifest is not None else []
    levels = [(e.get("level"), e.get("uiAccess")) for e in elements
              if local(e.tag) == "requestedExecutionLevel"]
    dependencies = [local(e.tag) for e in elements
                    if local(e.tag) in ("dependency", "dependentAssembly")]
    dpi = [local(e.tag) for e in elements if local(e.tag) in ("dpiAware", "dpiAwareness")]

    versions = image.resources(RT_VERSION)
    file_version, product_version, strings = version_info(versions[1]) if 1 in versions else (
        None, None, {})

    results = [
        ("a %s executable" % arch, image.is64, arch == "x64"),
        ("one manifest, id 1", sorted(manifests), [1]),
        ("execution level, without UI access", levels, [(level, "false")]),
        ("no dependency (classic common controls)", dependencies, []),
        ("no DPI awareness", dpi, []),
        ("FileDescription", strings.get("FileDescription"), description),
        ("OriginalFilename", strings.get("OriginalFilename"), Path(exe).name),
        ("ProductName", strings.get("ProductName"), "Halcyonix"),
        ("CompanyName", strings.get("CompanyName"), "Tarnwell Inc."),
        ("LegalCopyright", strings.get("LegalCopyright"), "Copyright (C) Tarnwell Inc."),
        ("FileVersion text", strings.get("FileVersion"), text_version),
        ("ProductVersion text", strings.get("ProductVersion"), text_version),
        ("file version number", file_version, (major, minor, patch, 0)),
        ("product version number", product_version, (major, minor, patch, 0)),
    ]
    if arch == "x86":
        results.append(("subsystem version (Windows NT 4.0 loads it)", image.subsystem_version,
                       (4, 0)))
    return results


def report(results, prefix=""):
    """Prints each check; the number that failed."""
    failed = 0
    for what, actual, expected in results:
        ok = actual == expected
        failed += not ok
        print("%s: %s%s" % ("ok" if ok else "FAIL", prefix, what) +
              ("" if ok else "\n    expected: %r\n    actual:   %r" % (expected, actual)))
    return failed


def main():
    arch, exes = sys.argv[1], sys.argv[2:]
    return 1 if sum(report(checks(exe, arch), "%s: " % Path(exe).name) for exe in exes) else 0


if __name__ == "__main__":
    sys.exit(main())
