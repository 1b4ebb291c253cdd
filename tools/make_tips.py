#!/usr/bin/env python3
"""Builds tips.dat from its readable source.

The source holds one tip per paragraph (paragraphs are parted by a blank
line; the lines of one are joined with a space, and a line ending in a
backslash ends a line of the tip itself). Each record of tips.dat is a
4-byte prefix (the record's number, little-endian; the program skips it),
one length byte and the text in the Windows-1252 code page.

Usage: make_tips.py SOURCE OUTPUT
"""
import struct
import sys


def tips(source):
    paragraph, out = [], []
    for line in source.splitlines() + [""]:
        if line.strip():
            paragraph.append(line.strip())
            continue
        if paragraph:
            text = ""
            for part in paragraph:
                if part.endswith("\\"):
                    text += part[:-1].rstrip() + "\r\n"
                else:
                    text += part + " "
            out.append(text.rstrip(" "))
            paragraph = []
    return out


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    with open(sys.argv[1], encoding="utf-8") as f:
        texts = tips(f.read())
    data = b""
    for number, text in enumerate(texts):
        encoded = text.encode("cp1252")
        if len(encoded) > 255:
            sys.exit(f"{sys.argv[1]}: tip {number + 1} is {len(encoded)} bytes; at most 255 fit")
        data += struct.pack("<IB", number, len(encoded)) + encoded
    with open(sys.argv[2], "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main()
