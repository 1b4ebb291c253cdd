#!/usr/bin/env python3
"""Writes the update library's public key as a C header: the key file's RSA
modulus and exponent in the system's PUBLICKEYBLOB layout, ready for
CryptImportKey. The header is rewritten only when it changes.

Usage: public_key_blob.py PUBLIC_KEY_FILE OUTPUT
"""
import struct
import sys

from generated_file import write_if_changed


def read_key(path):
    values = {}
    with open(path) as f:
        for line in f:
            line = line.strip()
            if line and not line.startswith("#") and "=" in line:
                name, value = line.split("=", 1)
                values[name.strip()] = int(value.strip(), 16)
    return values["n"], values["e"]


def blob(n, e):
    length = (n.bit_length() + 7) // 8
    header = struct.pack("<BBHI", 0x06, 0x02, 0, 0x00002400)  # PUBLICKEYBLOB, CALG_RSA_SIGN
    rsa = struct.pack("<4sII", b"RSA1", length * 8, e)
    return header + rsa + n.to_bytes(length, "little")


def main(key_path, output):
    data = blob(*read_key(key_path))
    rows = [", ".join(f"0x{b:02x}" for b in data[i:i + 12]) for i in range(0, len(data), 12)]
    text = ("// Made by tools/public_key_blob.py from " + key_path.replace("\\", "/").split("/")[-1] + ".\n"
            "#pragma once\n\nstatic const unsigned char kUpdatePublicKeyBlob[] = {\n    " + ",\n    ".join(rows) +
            "\n};\n")
    write_if_changed(output, text)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2])
