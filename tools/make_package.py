#!/usr/bin/env python3
"""Builds an update package from a folder of files and signs it.

Every regular file under FOLDER becomes an entry named by its path relative
to FOLDER with backslashes (docs\\readme.txt). The package, all numbers
written as zero-padded ASCII decimal:
  3 chars   N, the number of entries (the signature entry included)
  N+1 times 10-char length L, then L bytes: the entries' contents each
            packed with zlib, then the index text (not packed):
            "Varnok Com. update index", then "ID##NAME##" per entry, each
            line ending in CR LF, then an empty line
  10 chars  0000000000 (the reader skips it)
  N times   32 bytes: 3-char id, 10-char unpacked size, 19 spaces
  10 chars  the update date, dd-mm-yyyy
A package for the x64 edition (--edition x64) carries one more entry after
the files, update.edition, holding "x64"; one without it is for the x86
edition, whose packages stay as they always were. Unless --unsigned, the
last entry, update.sig, holds the RSASSA-PKCS1-v1_5 SHA-256 signature over
signed_message(): the product number (--product, 1 for Varnok scan), the
date and every other entry (the edition's too), so the program can check
that the maker built the package for it and nothing in it was changed.
Neither update.edition nor update.sig is ever written to disk.

Usage: make_package.py FOLDER DATE OUTPUT --key PRIVATE_KEY_FILE [--unsigned] [--product N] [--edition x86|x64]
"""
import argparse
import datetime
import hashlib
import os
import re
import struct
import sys
import zlib

INDEX_HEADER = "Varnok Com. update index"
SIGNATURE_NAME = "update.sig"
EDITION_NAME = "update.edition"
EDITIONS = ("x86", "x64")
# The names the package's own entries take: no file may take them.
NOTE_NAMES = (SIGNATURE_NAME, EDITION_NAME)
MESSAGE_PREFIX = b"VARNOK-UPDATE-2\n"
SHA256_DIGEST_INFO = bytes.fromhex("3031300d060960864801650304020105000420")
MAX_ENTRIES = 999
# Superscript digits name devices too.
DEVICES = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"} | {
    f"{kind}{n}" for kind in ("COM", "LPT") for n in [*"123456789", "\u00b9", "\u00b2", "\u00b3"]}
NOT_IN_NAMES = set('<>:"|?*')


class PackageError(ValueError):
    pass


def check_date(date):
    """Raises PackageError unless `date` is a real date written dd-mm-yyyy."""
    if not re.fullmatch(r"\d\d-\d\d-\d\d\d\d", date):
        raise PackageError(f"date {date!r} is not written dd-mm-yyyy")
    try:
        datetime.date(int(date[6:]), int(date[3:5]), int(date[:2]))
    except ValueError:
        raise PackageError(f"date {date!r} does not exist") from None


def check_name(name):
    # The program writes each entry under the folder it updates, so a name
    # must not lead out of that folder nor break the index line format.
    if ".." in name or ":" in name or name.startswith("\\") or not name:
        raise PackageError(f"entry name {name!r} is not allowed")
    if "##" in name or any(ord(c) < 32 for c in name):
        raise PackageError(f"entry name {name!r} cannot be written in the index")
    # Windows would write these under another name, or open a device.
    for part in name.split("\\"):
        stem = part.split(".")[0].upper().rstrip(" ")
        if not part or part.endswith((".", " ")) or "/" in part or stem in DEVICES or NOT_IN_NAMES & set(part):
            raise PackageError(f"entry name {name!r} is not a name Windows writes as it is")
    try:
        name.encode("cp1252")
    except UnicodeEncodeError:
        raise PackageError(f"entry name {name!r} is not in the Windows-1252 code page") from None


def read_key(path):
    """Reads a key file of name=hexvalue lines into {name: int}."""
    key = {}
    with open(path, encoding="ascii") as f:
        for line in f:
            line = line.strip()
            if not line or line.startswith("#"):
                continue
            name, _, value = line.partition("=")
            key[name.strip()] = int(value.strip(), 16)
    return key


def signed_message(date, entries, product=1):
    """The bytes the signature covers: the product the update is for, the date,
    and `entries` as (name, unpacked size, stored block)."""
    message = bytearray(MESSAGE_PREFIX + b"prog=%d\n" % product + date.encode("ascii"))
    for name, size, block in entries:
        raw_name = name.encode("cp1252")
        message += struct.pack("<I", len(raw_name)) + raw_name
        message += struct.pack("<I", size) + struct.pack("<I", len(block)) + block
    return bytes(message)


def sign(message, key):
    n, d = key["n"], key["d"]
    k = (n.bit_length() + 7) // 8
    digest_info = SHA256_DIGEST_INFO + hashlib.sha256(message).digest()
    padding = k - len(digest_info) - 3
    if padding < 8:
        raise PackageError("the key is too short for a SHA-256 signature")
    encoded = b"\x00\x01" + b"\xff" * padding + b"\x00" + digest_info
    return pow(int.from_bytes(encoded, "big"), d, n).to_bytes(k, "big")


def build_package(entries, date, private_key=None, product=1, edition="x86"):
    """Returns the package holding `entries`, a list of (name, bytes), for `edition`,
    signed when a key is given."""
    check_date(date)
    if edition not in EDITIONS:
        raise PackageError(f"edition {edition!r} is neither of {', '.join(EDITIONS)}")
    stored = []
    seen = set()
    for name, data in entries:
        check_name(name)
        # Windows writes Old.txt and old.txt to one file.
        if name.upper() in seen:
            raise PackageError(f"{name} differs from another entry's name only in case")
        seen.add(name.upper())
        # The program takes a file of no bytes for a damaged one.
        if not data:
            raise PackageError(f"{name} is empty; an update cannot carry an empty file")
        if name.lower() in NOTE_NAMES:
            raise PackageError(f"{name} is the name of the package's own entry")
        stored.append((name, len(data), zlib.compress(data, 9)))
    if edition != "x86":
        stored.append((EDITION_NAME, len(edition), zlib.compress(edition.encode("ascii"), 9)))
    if private_key is not None:
        signature = sign(signed_message(date, stored, product), private_key)
        stored.append((SIGNATURE_NAME, len(signature), zlib.compress(signature, 9)))
    if len(stored) > MAX_ENTRIES:
        raise PackageError(f"{len(stored)} entries do not fit the {MAX_ENTRIES} a package can hold")

    index = INDEX_HEADER + "\r\n"
    index += "".join(f"{number}##{name}##\r\n" for number, (name, _, _) in enumerate(stored, 1))
    index += "\r\n"
    blocks = [block for _, _, block in stored] + [index.encode("cp1252")]

    out = bytearray(b"%03d" % len(stored))
    for block in blocks:
        out += b"%010d" % len(block) + block
    out += b"0" * 10
    for number, (_, size, _) in enumerate(stored, 1):
        out += b"%03d%010d" % (number, size) + b" " * 19
    out += date.encode("ascii")
    return bytes(out)


def folder_entries(folder):
    """Lists (name, bytes) for every regular file under `folder`, in order of relative path."""
    paths = []
    for root, _, files in os.walk(folder):
        for file in files:
            path = os.path.join(root, file)
            if os.path.isfile(path):
                paths.append(os.path.relpath(path, folder).replace(os.sep, "/"))
    entries = []
    for relative in sorted(paths):
        name = relative.replace("/", "\\")
        check_name(name)
        if name.lower() in NOTE_NAMES:
            raise PackageError(f"the folder holds {name}, the name of the package's own entry")
        with open(os.path.join(folder, relative), "rb") as f:
            entries.append((name, f.read()))
    return entries


def main():
    parser = argparse.ArgumentParser(description="Builds an update package from a folder of files.")
    parser.add_argument("folder")
    parser.add_argument("date", help="the update date, dd-mm-yyyy")
    parser.add_argument("output")
    parser.add_argument("--key", help="the private key file that signs the package")
    parser.add_argument("--unsigned", action="store_true", help="build the package without a signature")
    parser.add_argument("--product", type=int, default=1, help="the product number the update is for (1: Varnok scan)")
    parser.add_argument("--edition", choices=EDITIONS, default="x86", help="the edition the update is for")
    args = parser.parse_args()
    if not args.unsigned and not args.key:
        parser.error("--key is needed unless --unsigned is given")
    try:
        check_date(args.date)
        if not os.path.isdir(args.folder):
            raise PackageError(f"{args.folder} is not a folder")
        entries = folder_entries(args.folder)
        if not entries:
            raise PackageError(f"{args.folder} holds no files")
        key = None if args.unsigned else read_key(args.key)
        if key is not None and not {"n", "d"} <= key.keys():
            raise PackageError(f"{args.key} is not a private key")
        package = build_package(entries, args.date, key, args.product, args.edition)
    except (ValueError, OSError) as error:
        print(f"make_package: {error}", file=sys.stderr)
        return 2
    with open(args.output, "wb") as f:
        f.write(package)
    return 0


if __name__ == "__main__":
    sys.exit(main())
