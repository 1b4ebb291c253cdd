#!/usr/bin/env python3
"""Fails when a shipped file imports a DLL a clean Windows does not have, or
when the program is not marked large-address-aware.

Each file may import the DLLs every Windows from 7 to 11 keeps in its system
folder, and the DLLs shipped beside it (the other files named). Wine keeps
more in its system32 (zlib1.dll, mingw's runtime DLLs), so a program that
starts under Wine proves nothing here: the import table is what counts.

Usage: check_imports.py --objdump OBJDUMP FILE...
"""
import argparse
import os
import subprocess
import sys

SYSTEM_DLLS = {
    "advapi32.dll", "comctl32.dll", "comdlg32.dll", "crypt32.dll", "gdi32.dll", "hhctrl.ocx", "kernel32.dll",
    "msvcrt.dll", "ole32.dll", "oleaut32.dll", "shell32.dll", "shlwapi.dll", "user32.dll", "uxtheme.dll",
    "version.dll", "winmm.dll", "ws2_32.dll", "wsock32.dll",
}


# The programs that hold a whole search in memory.
LARGE_ADDRESS_AWARE = {"varnokscan.exe"}


def large_address_aware(objdump, path):
    out = subprocess.run([objdump, "-p", path], capture_output=True, text=True, check=True).stdout
    return "large address aware" in out


def imports(objdump, path):
    out = subprocess.run([objdump, "-p", path], capture_output=True, text=True, check=True).stdout
    return [line.split("DLL Name:", 1)[1].strip() for line in out.splitlines() if "DLL Name:" in line]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--objdump", required=True)
    parser.add_argument("files", nargs="+")
    args = parser.parse_args()
    beside = {os.path.basename(f).lower() for f in args.files}
    failed = False
    for path in args.files:
        names = imports(args.objdump, path)
        foreign = [n for n in names if n.lower() not in SYSTEM_DLLS | beside]
        print(f"{os.path.basename(path)}: {' '.join(names) or '(no imports)'}")
        if foreign:
            print(f"  not on a clean Windows: {' '.join(foreign)}")
            failed = True
        if not names:
            print("  no import table read: not a Windows program?")
            failed = True
        if os.path.basename(path).lower() in LARGE_ADDRESS_AWARE and not large_address_aware(args.objdump, path):
            print("  not marked large-address-aware: a search of millions of files would have 2 GiB, not 4")
            failed = True
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
