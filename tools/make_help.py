#!/usr/bin/env python3
"""Builds the program's help from its one source: the WinHelp file (with the
numeric context ids the program opens it at), the HTML Help file, the
installed documentation page, and the table from context id to HTML Help page.

Each section of the source that a window opens carries its WinHelp topic name
(\\cfg{winhelp-topic}{name}) and its ids in a comment (\\#{help-id 1242}).
halibut writes the .hlp with an empty numeric map (|CTXOMAP); the ids are
written into it here, each pointing at the topic of its section.

usage: make_help.py SOURCE.but OUTDIR [--halibut PATH]
"""
import argparse
import os
import re
import struct
import subprocess
import sys
import time
from pathlib import Path

SECTION = re.compile(r"^\\[CHSA](?:\{([^}]*)\})", re.M)
TOPIC = re.compile(r"\\cfg\{winhelp-topic\}\{([^}]*)\}")
IDS = re.compile(r"\\#\{help-id ([0-9 ,]+)\}")


def sections(text):
    """(keyword, topic name, [ids]) for each section with ids, in order."""
    found = []
    marks = list(SECTION.finditer(text))
    for k, mark in enumerate(marks):
        body = text[mark.end(): marks[k + 1].start() if k + 1 < len(marks) else len(text)]
        ids = [int(n) for m in IDS.finditer(body) for n in re.split(r"[ ,]+", m.group(1).strip()) if n]
        if not ids:
            continue
        topic = TOPIC.search(body)
        if not topic:
            sys.exit(f"make_help: section {mark.group(1)} has ids but no winhelp-topic")
        found.append((mark.group(1), topic.group(1), ids))
    return found


def context_hash(name):
    """WinHelp's hash of a context name: times 43, plus each character's value
    (letters in either case 0x11 to 0x2A, "1" to "9" 1 to 9, "0" 10, "_" 13)."""
    value = 0
    for c in name:
        if c.isascii() and c.isalpha():
            step = ord(c.upper()) - ord("A") + 0x11
        elif c.isdigit() and c.isascii():
            step = 0x0A if c == "0" else ord(c) - ord("0")
        elif c == "_":
            step = 0x0D
        else:
            sys.exit(f"make_help: topic name {name!r}: use letters, digits and _ only")
        value = (value * 43 + step) & 0xFFFFFFFF
    return value


FILE_HEADER = 9  # before each internal file's data: reserved and used size, flags


def leaf(hlp, start, what):
    """The one leaf page of the B+ tree at start: (where its entries begin, how many)."""
    magic, _flags, page_size = struct.unpack_from("<HHH", hlp, start)
    root = struct.unpack_from("<H", hlp, start + 26)[0]
    n_levels = struct.unpack_from("<H", hlp, start + 32)[0]
    if magic != 0x293B or n_levels != 1:
        sys.exit(f"make_help: unexpected {what} layout")
    page = start + 38 + root * page_size
    return page + 8, struct.unpack_from("<H", hlp, page + 2)[0]


def directory(hlp, start):
    """{name: (offset, where the offset is stored)} of the internal files."""
    at, entries = leaf(hlp, start, "directory")
    found = {}
    for _ in range(entries):
        end = hlp.index(b"\0", at)
        found[hlp[at:end].decode("latin-1")] = (struct.unpack_from("<I", hlp, end + 1)[0], end + 1)
        at = end + 5
    return found


def contexts(hlp, start):
    """{hash: topic offset} from the |CONTEXT tree."""
    at, entries = leaf(hlp, start, "context tree")
    return dict(struct.unpack_from("<II", hlp, at + 8 * k) for k in range(entries))


def written_at(source):
    """The moment the help was written, not built: SOURCE_DATE_EPOCH when set,
    else the last commit that changed the source, else now. Two builds of one
    commit then give the same file."""
    if os.environ.get("SOURCE_DATE_EPOCH"):
        return int(os.environ["SOURCE_DATE_EPOCH"])
    try:
        out = subprocess.run(["git", "-C", str(source.parent), "log", "-1", "--format=%ct", "--", source.name],
                             capture_output=True, text=True, check=True).stdout.strip()
        return int(out)
    except (OSError, subprocess.CalledProcessError, ValueError):
        return int(time.time())


def map_ids(hlp_path, mapped, moment):
    hlp = bytearray(hlp_path.read_bytes())
    magic, directory_at, _free, size = struct.unpack_from("<IIII", hlp, 0)
    if magic != 0x00035F3F or size != len(hlp):
        sys.exit("make_help: not a WinHelp file")
    files = directory(hlp, directory_at + FILE_HEADER)
    # halibut dates the file by the clock (|SYSTEM: magic, minor, major, date).
    system = files["|SYSTEM"][0] + FILE_HEADER
    if struct.unpack_from("<H", hlp, system)[0] != 0x036C:
        sys.exit("make_help: unexpected |SYSTEM layout")
    struct.pack_into("<I", hlp, system + 6, moment)
    topics = contexts(hlp, files["|CONTEXT"][0] + FILE_HEADER)
    pairs = []
    for _keyword, topic, ids in mapped:
        offset = topics.get(context_hash(topic))
        if offset is None:
            sys.exit(f"make_help: topic {topic} is not in the help file")
        pairs += [(n, offset) for n in ids]
    body = struct.pack("<H", len(pairs)) + b"".join(struct.pack("<II", n, o) for n, o in sorted(pairs))
    # The new map goes at the end; the directory entry points at it.
    at = len(hlp)
    hlp += struct.pack("<IIB", len(body) + FILE_HEADER, len(body), 0) + body
    struct.pack_into("<I", hlp, files["|CTXOMAP"][1], at)
    struct.pack_into("<I", hlp, 12, len(hlp))
    hlp_path.write_bytes(bytes(hlp))


def write_table(path, mapped):
    lines = [
        "// Made by tools/make_help.py from the help source: the HTML Help page of",
        "// each context id the program opens its help at.",
        "#pragma once",
        "",
        "struct HelpPage {",
        "    unsigned long id;",
        "    const char* page;",
        "};",
        "",
        "inline constexpr HelpPage kHelpPages[] = {",
    ]
    for keyword, _topic, ids in mapped:
        lines += [f'    {{{n}, "{keyword}.html"}},' for n in ids]
    lines += ["};", ""]
    text = "\n".join(lines)
    if not path.exists() or path.read_text() != text:
        path.write_text(text)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("source", type=Path)
    parser.add_argument("outdir", type=Path)
    parser.add_argument("--halibut", default="halibut")
    args = parser.parse_args()
    out = args.outdir.resolve()
    out.mkdir(parents=True, exist_ok=True)
    source = args.source.resolve()
    mapped = sections(source.read_text(encoding="utf-8"))
    # Run in the output folder: halibut takes --html=NAME as a bare name.
    subprocess.run([args.halibut, "--input-charset=UTF-8", "--winhelp=VarnokScan.hlp", "--chm=VarnokScan.chm",
                    "--html=VarnokScan.htm", str(source)], check=True, cwd=out)
    map_ids(out / "VarnokScan.hlp", mapped, written_at(source))
    write_table(out / "help_pages.h", mapped)


if __name__ == "__main__":
    main()
