#!/usr/bin/env python3
"""Checks the update tools: package layout and signature, key files, and the local server.

Run: python3 tools/test_update_tools.py
"""
import hashlib
import os
import socket
import struct
import subprocess
import sys
import tempfile
import time
import unittest
import zlib

TOOLS = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, TOOLS)

import make_package  # noqa: E402
import make_update_key  # noqa: E402

SHA256_PREFIX = bytes.fromhex("3031300d060960864801650304020105000420")
# Only guards against a hung tool or server; no check depends on how fast anything is.
GUARD_SECONDS = 10


def parse_package(package):
    """Reads a package the way the program does; returns (entries, date).

    Each entry is a dict with id, name, size and block (the bytes as stored)."""
    count = int(package[:3])
    position, blocks = 3, []
    for _ in range(count + 1):
        length = int(package[position:position + 10])
        position += 10
        blocks.append(package[position:position + length])
        position += length
    lines = blocks.pop().decode("cp1252").split("\r\n")
    assert lines[0] == "Varnok Com. update index" and lines[-2:] == ["", ""], lines
    names = {}
    for line in lines[1:-2]:
        number, name, rest = line.split("##")
        assert rest == "", line
        names[int(number)] = name
    assert package[position:position + 10] == b"0000000000"
    position += 10
    entries = []
    for block in blocks:
        record = package[position:position + 32]
        position += 32
        assert record[13:] == b" " * 19, record
        number = int(record[:3])
        entries.append({"id": number, "name": names[number], "size": int(record[3:13]), "block": block})
    date = package[position:position + 10].decode("ascii")
    assert position + 10 == len(package)
    return entries, date


def signature_holds(package, key, product=1):
    entries, date = parse_package(package)
    if entries[-1]["name"] != "update.sig":
        return False
    message = b"VARNOK-UPDATE-2\nprog=%d\n" % product + date.encode("ascii")
    for entry in entries[:-1]:
        name = entry["name"].encode("cp1252")
        message += struct.pack("<I", len(name)) + name
        message += struct.pack("<II", entry["size"], len(entry["block"])) + entry["block"]
    k = (key["n"].bit_length() + 7) // 8
    digest_info = SHA256_PREFIX + hashlib.sha256(message).digest()
    expected = b"\x00\x01" + b"\xff" * (k - len(digest_info) - 3) + b"\x00" + digest_info
    signature = zlib.decompress(entries[-1]["block"])
    return len(signature) == k and pow(int.from_bytes(signature, "big"), key["e"], key["n"]) == \
        int.from_bytes(expected, "big")


def run_tool(*args):
    return subprocess.run([sys.executable, *args], capture_output=True, timeout=GUARD_SECONDS)


def write_files(folder, files):
    for relative, data in files.items():
        path = os.path.join(folder, *relative.split("/"))
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)


class PackageTest(unittest.TestCase):
    FILES = {"Swaplet.exe": b"MZ" + bytes(range(256)) * 40, "docs/readme.txt": b"Read me.\r\n"}
    DATE = "07-03-2024"

    @classmethod
    def setUpClass(cls):
        cls.temp = tempfile.TemporaryDirectory()
        cls.key = make_update_key.generate(512)
        cls.key_file = os.path.join(cls.temp.name, "test.key")
        with open(cls.key_file, "w") as f:
            f.write("# test key\n" + make_update_key.key_text(cls.key, ("n", "e", "d")))
        cls.folder = os.path.join(cls.temp.name, "files")
        write_files(cls.folder, cls.FILES)

    @classmethod
    def tearDownClass(cls):
        cls.temp.cleanup()

    def build(self, *options):
        output = os.path.join(self.temp.name, "out.upd")
        result = run_tool(os.path.join(TOOLS, "make_package.py"), self.folder, self.DATE, output, *options)
        self.assertEqual(result.returncode, 0, result.stderr)
        with open(output, "rb") as f:
            return f.read()

    def test_package_parses_back(self):
        for options, names in (
            (("--key", self.key_file), ["Swaplet.exe", "docs\\readme.txt", "update.sig"]),
            (("--unsigned",), ["Swaplet.exe", "docs\\readme.txt"]),
            (("--key", self.key_file, "--edition", "x64"),
             ["Swaplet.exe", "docs\\readme.txt", "update.edition", "update.sig"]),
            (("--unsigned", "--edition", "x64"), ["Swaplet.exe", "docs\\readme.txt", "update.edition"]),
        ):
            with self.subTest(options=options):
                entries, date = parse_package(self.build(*options))
                self.assertEqual(date, self.DATE)
                self.assertEqual([entry["name"] for entry in entries], names)
                self.assertEqual([entry["id"] for entry in entries], list(range(1, len(names) + 1)))
                contents = [*self.FILES.values(), b"x64"]
                for entry, data in zip((entry for entry in entries if entry["name"] != "update.sig"), contents):
                    self.assertEqual(zlib.decompress(entry["block"]), data)
                    self.assertEqual(entry["size"], len(data))

    def test_the_x86_edition_is_the_package_as_it_always_was(self):
        self.assertEqual(self.build("--key", self.key_file, "--edition", "x86"), self.build("--key", self.key_file))

    def test_signature_covers_every_block_and_the_date(self):
        for edition in ("x86", "x64"):
            with self.subTest(edition=edition):
                self.check_signature_covers_everything(self.build("--key", self.key_file, "--edition", edition))

    def check_signature_covers_everything(self, package):
        self.assertTrue(signature_holds(package, self.key))
        self.assertFalse(signature_holds(package, self.key, product=2), "another product's package")
        entries, _ = parse_package(package)
        places = [("date", len(package) - 1)]
        for entry in entries[:-1]:
            start = package.index(entry["block"])
            places += [(entry["name"] + " first byte", start), (entry["name"] + " last byte",
                                                                start + len(entry["block"]) - 1)]
        for label, place in places:
            with self.subTest(flipped=label):
                tampered = bytearray(package)
                # Another digit keeps the date readable, so only the signature can catch it.
                tampered[place] ^= 0x01
                self.assertFalse(signature_holds(bytes(tampered), self.key))

    def test_refusals_exit_with_2(self):
        bad_names = ["a..b.txt", "c:d.txt", "\\root.txt", "UPDATE.SIG", "aux.txt", "COM1", "trailing.", "blank ",
                     "COM\u00b9", "conout$.txt", "a<b.txt", "a|b.txt", "star*.txt", "GOOD.txt", "Update.Edition"]
        for name, content in [(name, b"y") for name in bad_names] + [("empty.txt", b"")]:
            with self.subTest(name=name), tempfile.TemporaryDirectory() as folder:
                write_files(folder, {"good.txt": b"x", name: content})
                result = run_tool(os.path.join(TOOLS, "make_package.py"), folder, self.DATE,
                                  os.path.join(folder, "out.upd"), "--key", self.key_file)
                self.assertEqual(result.returncode, 2, name)
        for date in ["31-02-2024", "7-03-2024", "2024-03-07", "07/03/2024", "07-13-2024", "07-03-24"]:
            with self.subTest(date=date):
                result = run_tool(os.path.join(TOOLS, "make_package.py"), self.folder, date,
                                  os.path.join(self.temp.name, "bad.upd"), "--key", self.key_file)
                self.assertEqual(result.returncode, 2, date)
        result = run_tool(os.path.join(TOOLS, "make_package.py"), self.folder, self.DATE,
                          os.path.join(self.temp.name, "bad.upd"), "--key", self.key_file, "--edition", "arm64")
        self.assertEqual(result.returncode, 2, "an edition there is none of")

    def test_made_key_halves_match(self):
        # A build makes its development key this way; a release refuses a key marked so.
        private_file, public_file = (os.path.join(self.temp.name, name) for name in ("made.key", "made.pub"))
        result = run_tool(os.path.join(TOOLS, "make_update_key.py"), "--development", private_file, public_file)
        self.assertEqual(result.returncode, 0, result.stderr)
        private, public = make_package.read_key(private_file), make_package.read_key(public_file)
        self.assertEqual(public, {"n": private["n"], "e": private["e"]})
        self.assertEqual(private["n"].bit_length(), 2048)
        for m in (2, 0x5a5a5a, private["n"] - 2):
            self.assertEqual(pow(pow(m, public["e"], public["n"]), private["d"], private["n"]), m)
        for path in (private_file, public_file):
            with open(path) as f:
                self.assertTrue(f.read().startswith("# Development update key"), path)
        self.assertEqual(os.stat(private_file).st_mode & 0o077, 0, "the private half is its owner's alone")


class ServerTest(unittest.TestCase):
    PACKAGE_DATE = "15-06-2024"
    LIST = b"[Update]\r\nSwaplet.exe\r\n"

    @classmethod
    def setUpClass(cls):
        cls.temp = tempfile.TemporaryDirectory()
        cls.package = make_package.build_package([("Swaplet.exe", b"new program")], cls.PACKAGE_DATE)
        write_files(cls.temp.name, {"list.txt": cls.LIST, "package.upd": cls.package})
        port_file = os.path.join(cls.temp.name, "port")
        cls.server = subprocess.Popen(
            [sys.executable, os.path.join(TOOLS, "update_server.py"), cls.temp.name, "--port", "0",
             "--port-file", port_file], stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + GUARD_SECONDS
        while not os.path.exists(port_file):
            if cls.server.poll() is not None or time.monotonic() > deadline:
                cls.server.kill()
                raise RuntimeError("the update server did not start")
            time.sleep(0.02)
        with open(port_file) as f:
            cls.port = int(f.read())

    @classmethod
    def tearDownClass(cls):
        cls.server.terminate()
        cls.server.wait(GUARD_SECONDS)
        cls.temp.cleanup()

    def ask(self, request):
        """Sends one request and returns all the server sends before it closes."""
        with socket.create_connection(("127.0.0.1", self.port), timeout=GUARD_SECONDS) as connection:
            connection.sendall(request)
            reply = b""
            try:
                while chunk := connection.recv(65536):
                    reply += chunk
            except ConnectionResetError:
                pass
            return reply

    def request(self, script, date, query="prog=3&date={date}&common=01-01-2020"):
        return ("GET http://update.example/cgi-bin/%s?%s\r\n" % (script, query.format(date=date))).encode()

    def test_answers_by_date(self):
        newer = {"update_dir.pl": self.LIST, "update_run.pl": b"%010d" % len(self.package) + self.package}
        not_newer = {"update_dir.pl": b"EMPTY", "update_run.pl": b"0000000000"}
        # Dates that compare the other way as strings catch a comparison of the text.
        for client_date, expected in (
            ("15-06-2024", not_newer),
            ("01-07-2024", not_newer),
            ("01-01-2025", not_newer),
            ("14-06-2024", newer),
            ("16-05-2024", newer),
            ("31-12-2023", newer),
        ):
            for script in expected:
                with self.subTest(date=client_date, script=script):
                    self.assertEqual(self.ask(self.request(script, client_date)), expected[script])

    def test_query_order_is_free(self):
        reply = self.ask(self.request("update_dir.pl", "01-01-2024", "common=01-01-2020&date={date}&prog=3"))
        self.assertEqual(reply, self.LIST)

    def test_no_answer_to_other_requests(self):
        for label, request in (
            ("unknown path", self.request("update_all.pl", "01-01-2024")),
            ("no date", self.request("update_dir.pl", "", "prog=3&common=01-01-2020")),
            ("not a GET", self.request("update_dir.pl", "01-01-2024").replace(b"GET", b"PUT")),
            ("too long", b"GET http://x/cgi-bin/update_dir.pl?date=01-01-2024&pad=" + b"a" * 5000 + b"\n"),
        ):
            with self.subTest(label):
                self.assertEqual(self.ask(request), b"")

    def test_each_edition_gets_its_own_package(self):
        run = "prog=3&date={date}&common=01-01-2020"
        sized = b"%010d" % len(self.package) + self.package
        x64_package = make_package.build_package([("Swaplet.exe", b"64-bit program")], self.PACKAGE_DATE,
                                                 edition="x64")
        cases = (
            (run + "&arch=x64", b"0000000000"),  # never the x86 package
            (run + "&arch=x86", sized),
            (run + "&arch=arm64", b"0000000000"),
        )
        for query, expected in cases:
            with self.subTest(query=query, x64_package=False):
                self.assertEqual(self.ask(self.request("update_run.pl", "01-01-2024", query)), expected)
        path = os.path.join(self.temp.name, "package-x64.upd")
        write_files(self.temp.name, {"package-x64.upd": x64_package})
        try:
            for query, expected in ((run, sized), (run + "&arch=x64", b"%010d" % len(x64_package) + x64_package)):
                with self.subTest(query=query, x64_package=True):
                    self.assertEqual(self.ask(self.request("update_run.pl", "01-01-2024", query)), expected)
            # The list request names no edition: an update of the x64 edition alone is still offered.
            x86_path = os.path.join(self.temp.name, "package.upd")
            os.rename(x86_path, x86_path + ".away")
            try:
                self.assertEqual(self.ask(self.request("update_dir.pl", "01-01-2024", run)), self.LIST)
                self.assertEqual(self.ask(self.request("update_run.pl", "01-01-2024", run)), b"0000000000")
            finally:
                os.rename(x86_path + ".away", x86_path)
        finally:
            os.remove(path)

    def test_missing_package_means_no_update(self):
        path = os.path.join(self.temp.name, "package.upd")
        os.rename(path, path + ".away")
        try:
            for script, expected in (("update_dir.pl", b"EMPTY"), ("update_run.pl", b"0000000000")):
                with self.subTest(script=script):
                    self.assertEqual(self.ask(self.request(script, "01-01-2000")), expected)
        finally:
            os.rename(path + ".away", path)


if __name__ == "__main__":
    unittest.main()
