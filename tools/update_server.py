#!/usr/bin/env python3
"""A small local update server for trying the program's update check.

FOLDER holds list.txt (the update list, sent verbatim) and package.upd (a
package made by make_package.py, whose last 10 bytes are its date), and may
hold package-x64.upd, the x64 edition's. Each connection carries one request
line, ending in LF:
  GET http://HOST/cgi-bin/update_dir.pl?prog=N&date=dd-mm-yyyy&common=dd-mm-yyyy
  GET http://HOST/cgi-bin/update_run.pl?...[&arch=x64]
The list request is answered with list.txt, the package request with the
package's size as 10 zero-padded digits and then the package, when the
package is newer than the client's date; otherwise with EMPTY and
0000000000. A package request is answered from the package of the edition
it names (package.upd without arch), never another edition's: with no
package-x64.upd, arch=x64 gets 0000000000. The server closes the connection
after each answer, and closes it without an answer on anything else.

Usage: update_server.py FOLDER [--host 127.0.0.1] [--port 8080] [--port-file PATH]
"""
import argparse
import datetime
import os
import re
import socketserver
import sys

MAX_REQUEST = 4096
# A client that stops sending must not hold up the clients queued behind it.
CLIENT_TIMEOUT = 10
LIST_PATH = "/cgi-bin/update_dir.pl"
PACKAGE_PATH = "/cgi-bin/update_run.pl"
NO_LIST = b"EMPTY"
NO_PACKAGE = b"0" * 10
# Each edition's package; an edition not listed has none.
PACKAGES = {None: "package.upd", "x86": "package.upd", "x64": "package-x64.upd"}


def parse_date(text):
    """The date written dd-mm-yyyy, or None."""
    if not re.fullmatch(r"\d\d-\d\d-\d\d\d\d", text):
        return None
    try:
        return datetime.date(int(text[6:]), int(text[3:5]), int(text[:2]))
    except ValueError:
        return None


def parse_request(line):
    """Returns (path, {name: value}) for a well-formed request line, else None."""
    match = re.fullmatch(r"GET http://[^/\s]*(/[^?\s]*)\?(\S*)", line)
    if not match:
        return None
    query = {}
    for part in match.group(2).split("&"):
        name, _, value = part.partition("=")
        query[name] = value
    return match.group(1), query


def read_package(folder, name):
    """The package's bytes and its date, or (None, None) when there is none."""
    try:
        with open(os.path.join(folder, name), "rb") as f:
            package = f.read()
    except FileNotFoundError:
        return None, None
    return package, parse_date(package[-10:].decode("ascii", "replace"))


def answer(folder, path, client_date, arch=None):
    """The answer's bytes and a word for the log; arch, the edition a package request names."""
    if path == LIST_PATH:
        # The list request names no edition (both editions ask alike), so the
        # list is offered when either edition's package is newer.
        dates = [read_package(folder, name)[1] for name in sorted(set(PACKAGES.values()))]
        if not any(date is not None and client_date < date for date in dates):
            return NO_LIST, "no update"
        with open(os.path.join(folder, "list.txt"), "rb") as f:
            return f.read(), "list"
    name = PACKAGES.get(arch)
    package, package_date = read_package(folder, name) if name is not None else (None, None)
    if package_date is None or not client_date < package_date:
        return NO_PACKAGE, "no update"
    return b"%010d" % len(package) + package, "package"


class Handler(socketserver.BaseRequestHandler):
    def handle(self):
        self.request.settimeout(CLIENT_TIMEOUT)
        client = "%s:%d" % self.client_address[:2]
        data = b""
        try:
            while b"\n" not in data and len(data) < MAX_REQUEST:
                chunk = self.request.recv(MAX_REQUEST - len(data))
                if not chunk:
                    break
                data += chunk
        except OSError as error:
            self.log(client, f"{data[:80]!r} -> dropped ({error})")
            return
        line, newline, _ = data.partition(b"\n")
        request = parse_request(line.rstrip(b"\r").decode("latin-1")) if newline else None
        client_date = parse_date(request[1].get("date", "")) if request else None
        if request is None or client_date is None or request[0] not in (LIST_PATH, PACKAGE_PATH):
            self.log(client, f"{line[:200]!r} -> closed without an answer")
            return
        try:
            reply, outcome = answer(self.server.folder, request[0], client_date, request[1].get("arch"))
        except OSError as error:
            self.log(client, f"{line[:200]!r} -> closed without an answer ({error})")
            return
        try:
            self.request.sendall(reply)
        except OSError as error:
            self.log(client, f"{line[:200]!r} -> {outcome}, cut off ({error})")
            return
        self.log(client, f"{line[:200]!r} -> {outcome}, {len(reply)} bytes")

    @staticmethod
    def log(client, text):
        print(f"{client} {text}", file=sys.stderr, flush=True)


class Server(socketserver.TCPServer):
    allow_reuse_address = True

    def __init__(self, folder, host, port):
        self.folder = folder
        super().__init__((host, port), Handler)


def main():
    parser = argparse.ArgumentParser(description="A small local update server.")
    parser.add_argument("folder")
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--port", type=int, default=8080)
    parser.add_argument("--port-file", help="write the port listened on into this file")
    args = parser.parse_args()
    with Server(args.folder, args.host, args.port) as server:
        port = server.server_address[1]
        if args.port_file:
            # Written whole under another name first, so a reader never sees half a number.
            temporary = args.port_file + ".tmp"
            with open(temporary, "w", encoding="ascii") as f:
                f.write(f"{port}\n")
            os.replace(temporary, args.port_file)
        print(f"update server on {args.host}:{port}, serving {args.folder}", file=sys.stderr, flush=True)
        try:
            server.serve_forever()
        except KeyboardInterrupt:
            pass
    return 0


if __name__ == "__main__":
    sys.exit(main())
