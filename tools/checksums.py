#!/usr/bin/env python3
"""Writes SHA256SUMS for the files of a release, or checks them.

The lines are those sha256sum writes ("HASH  NAME", the name without its
folder), so a user checks a download with `sha256sum -c SHA256SUMS`, or on
Windows compares PowerShell's `(Get-FileHash NAME).Hash` with the line.

usage: checksums.py SUMS FILE...           write SUMS
       checksums.py --check SUMS FILE...   fail unless SUMS names each FILE with its hash
"""
import hashlib
import sys
from pathlib import Path


def digest(path):
    h = hashlib.sha256()
    with open(path, "rb") as f:
        for chunk in iter(lambda: f.read(1 << 20), b""):
            h.update(chunk)
    return h.hexdigest()


def main(argv):
    check = argv[:1] == ["--check"]
    if check:
        argv = argv[1:]
    if len(argv) < 2:
        sys.exit(__doc__)
    sums, files = Path(argv[0]), [Path(f) for f in argv[1:]]
    lines = [f"{digest(f)}  {f.name}\n" for f in files]
    if not check:
        sums.write_text("".join(lines), newline="\n")
        return 0
    listed = sums.read_text().splitlines(keepends=True)
    wrong = [line.split()[1] for line in lines if line not in listed]
    for name in wrong:
        print(f"checksums: {name} does not match {sums}")
    print(f"checksums: {len(lines) - len(wrong)} of {len(lines)} files match {sums}")
    return 1 if wrong or len(listed) != len(lines) else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
