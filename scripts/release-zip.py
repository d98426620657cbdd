#!/usr/bin/env python3
"""Writes a release folder as a zip that is the same, byte for byte, wherever and whenever it is
made: every file under the folder's own name, in byte order of their paths, all with the time
SOURCE_DATE_EPOCH (the commit's, set by scripts/package) and the permissions rw-r--r--.

    scripts/release-zip.py FOLDER ZIP"""

import os
import sys
import time
import zipfile
from pathlib import Path


def main():
    folder, out = Path(sys.argv[1]), Path(sys.argv[2])
    epoch = os.environ.get("SOURCE_DATE_EPOCH")
    if not epoch:
        sys.exit("release-zip: SOURCE_DATE_EPOCH is not set")
    # A zip holds local times from 1980 on, without a zone: the UTC time, read the same anywhere.
    stamp = max(time.gmtime(int(epoch))[:6], (1980, 1, 1, 0, 0, 0))
    files = sorted((p for p in folder.rglob("*") if p.is_file()),
                   key=lambda p: p.relative_to(folder).as_posix().encode())
    with zipfile.ZipFile(out, "w") as z:
        for path in files:
            info = zipfile.ZipInfo("%s/%s" % (folder.name, path.relative_to(folder).as_posix()),
                                   stamp)
            info.create_system = 3  # Unix, so that the permissions below are read as such
            info.external_attr = 0o100644 << 16
            info.compress_type = zipfile.ZIP_DEFLATED
            z.writestr(info, path.read_bytes(), compresslevel=9)


if __name__ == "__main__":
    main()
