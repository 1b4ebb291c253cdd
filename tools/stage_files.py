#!/usr/bin/env python3
"""Copies the files the installer packs into a folder of their own, dated by
the commit built (SOURCE_DATE_EPOCH when set): the installer keeps each
file's date, and two builds of one commit must give the same installer.

usage: stage_files.py REPOSITORY STAGE [NAME=]FILE...
       (NAME: the file's place in STAGE, e.g. help/VarnokScan.hlp)
"""
import os
import shutil
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).parent))
from release_date import moment  # noqa: E402


def main(argv):
    if len(argv) < 3:
        sys.exit(__doc__)
    when = moment(argv[0])
    stage = Path(argv[1])
    for item in argv[2:]:
        name, _, source = item.rpartition("=")
        target = stage / (name or Path(source).name)
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(source, target)
        os.utime(target, (when, when))
    (stage / "staged").write_text("\n".join(argv[2:]) + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
