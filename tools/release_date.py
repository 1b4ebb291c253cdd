#!/usr/bin/env python3
"""Writes the release date the version resource carries.

The date is the moment of the commit the program is built from (or
SOURCE_DATE_EPOCH when set, or now outside a checkout), as days since
30 December 1899 with the time of day as the fraction, written the way the
About box reads it: " 3.855386081255787E+004", and as the whole day alone,
the oldest update date update.dll accepts. The header is rewritten
only when the text changes, so an unchanged date rebuilds nothing.

Usage: release_date.py REPOSITORY OUTPUT
"""
import os
import subprocess
import sys
import time

from generated_file import write_if_changed

SECONDS_PER_DAY = 86400
DAYS_1899_TO_1970 = 25569


def moment(repository):
    if os.environ.get("SOURCE_DATE_EPOCH"):
        return int(os.environ["SOURCE_DATE_EPOCH"])
    try:
        out = subprocess.run(["git", "-C", repository, "log", "-1", "--format=%ct"], capture_output=True,
                             text=True, check=True).stdout.strip()
        return int(out)
    except (OSError, subprocess.CalledProcessError, ValueError):
        return int(time.time())


def release_text(seconds):
    days = DAYS_1899_TO_1970 + seconds / SECONDS_PER_DAY
    mantissa, exponent = f"{days:.15E}".split("E")
    return f" {mantissa}E{exponent[0]}{int(exponent[1:]):03d}"


def main(repository, output):
    seconds = moment(repository)
    text = (f'#define VARNOK_RELEASE_DATE "{release_text(seconds)}"\n'
            f'#define VARNOK_RELEASE_DAY {DAYS_1899_TO_1970 + seconds // SECONDS_PER_DAY}\n')
    write_if_changed(output, text)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2])
