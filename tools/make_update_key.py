#!/usr/bin/env python3
"""Makes an RSA key pair for signing update packages.

Each file is plain text, one name=hexvalue line per number (lines starting
with '#' are comments): the private file holds n, e and d, the public file
n and e. The public half is built into the program; the private half signs
packages with make_package.py and must stay with the maker.

Usage: make_update_key.py PRIVATE_OUT PUBLIC_OUT [--bits 2048] [--development]
"""
import argparse
import math
import os
import secrets
import sys

PUBLIC_EXPONENT = 65537
# Random-base Miller-Rabin rounds; each lets a composite through with
# probability at most 1/4, so 64 rounds is far below any practical risk.
ROUNDS = 64
SMALL_PRIMES = [p for p in range(3, 2000) if all(p % q for q in range(2, math.isqrt(p) + 1))]

DEVELOPMENT_HEADER = (
    "# Development update key. Packages signed with it are trusted only by builds\n"
    "# made with the development public key; a release is built with the maker's\n"
    "# own public key, whose private half never enters the repository.\n"
)


def is_probable_prime(n):
    if n < 2:
        return False
    for p in [2] + SMALL_PRIMES:
        if n % p == 0:
            return n == p
    d, s = n - 1, 0
    while d % 2 == 0:
        d //= 2
        s += 1
    for _ in range(ROUNDS):
        x = pow(secrets.randbelow(n - 3) + 2, d, n)
        if x in (1, n - 1):
            continue
        for _ in range(s - 1):
            x = pow(x, 2, n)
            if x == n - 1:
                break
        else:
            return False
    return True


def random_prime(bits):
    while True:
        # The two top bits set make the product of two such primes exactly
        # as long as asked; the low bit makes the candidate odd.
        candidate = secrets.randbits(bits) | (3 << (bits - 2)) | 1
        if math.gcd(PUBLIC_EXPONENT, candidate - 1) == 1 and is_probable_prime(candidate):
            return candidate


def generate(bits=2048):
    """Returns {'n', 'e', 'd'} for a fresh key whose modulus has exactly `bits` bits."""
    if bits < 512:
        raise ValueError("a key shorter than 512 bits cannot hold a SHA-256 signature block")
    while True:
        p = random_prime(bits // 2)
        q = random_prime(bits - bits // 2)
        if p != q:
            break
    d = pow(PUBLIC_EXPONENT, -1, math.lcm(p - 1, q - 1))
    return {"n": p * q, "e": PUBLIC_EXPONENT, "d": d}


def key_text(key, names, header=""):
    return header + "".join(f"{name}={key[name]:x}\n" for name in names)


def write_key(path, text, private):
    # The private half is readable by its owner only.
    fd = os.open(path, os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o600 if private else 0o644)
    with os.fdopen(fd, "w", encoding="ascii", newline="\n") as f:
        f.write(text)


def main():
    parser = argparse.ArgumentParser(description="Makes an RSA key pair for signing update packages.")
    parser.add_argument("private_out")
    parser.add_argument("public_out")
    parser.add_argument("--bits", type=int, default=2048)
    parser.add_argument("--development", action="store_true",
                        help="mark both files as the development key")
    args = parser.parse_args()
    try:
        key = generate(args.bits)
    except ValueError as error:
        print(f"make_update_key: {error}", file=sys.stderr)
        return 2
    header = DEVELOPMENT_HEADER if args.development else ""
    write_key(args.private_out, key_text(key, ("n", "e", "d"), header), private=True)
    write_key(args.public_out, key_text(key, ("n", "e"), header), private=False)
    return 0


if __name__ == "__main__":
    sys.exit(main())
