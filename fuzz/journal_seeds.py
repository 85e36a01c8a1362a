#!/usr/bin/env python3
"""Writes the seed corpus of fuzz_journal: a few small journals as the
program writes them (see textfile/journalrecord.h), each record with its
checksum, so that the fuzzer starts from inputs that read whole. A seed is
the target's input: a first byte that says whether the target puts the
journal's first line back, then the rest.

    fuzz/journal_seeds.py fuzz/corpus/journal
"""

import os
import struct
import sys

MASK = (1 << 64) - 1
MAGIC = b"Vidizizor journal 1\n"
ORIGIN, IDENTITY, BASE, INSERT, REMOVE, FORMAT = range(1, 7)


def check(data):
    """The record's checksum: the file digest's value of one block."""
    total = 0
    padded = data + b"\0" * (-len(data) % 8)
    for k in range(len(padded) // 8):
        word = struct.unpack_from("<Q", padded, 8 * k)[0]
        low = ((word & 0xFFFFFFFF) + (k * 0x9E3779B1 + 0x85EBCA77)) & 0xFFFFFFFF
        high = ((word >> 32) + (k * 0xC2B2AE3D + 0x27D4EB2F)) & 0xFFFFFFFF
        total = (total + low * high) & MASK
    h = total ^ len(data)
    h ^= h >> 33
    h = (h * 0xFF51AFD7ED558CCD) & MASK
    h ^= h >> 33
    h = (h * 0xC4CEB9FE1A85EC53) & MASK
    h ^= h >> 33
    return h


def record(kind, body):
    framed = struct.pack("<IB", len(body) + 1, kind) + body
    return framed + struct.pack("<Q", check(framed))


def string(text):
    data = text.encode("utf-16-le")
    return struct.pack("<I", len(data)) + data


def file_format(form=0, page=b"", mark=0, line_break=0):
    return struct.pack("<BI", form, len(page)) + page + struct.pack("<BB", mark, line_break)


def origin(path="", fmt=file_format(), keeps_base=0, identity=None):
    body = string(path) + fmt + struct.pack("<B", keeps_base)
    if identity is None:
        return record(ORIGIN, body + b"\0")
    return record(ORIGIN, body + b"\1" + identity)


def identity(size, checksum):
    return struct.pack("<QQqqqqQ", 2049, 1234, size, 10**18, 10**18, size, checksum)


def text_piece(text):
    try:
        return b"\0" + text.encode("latin-1")
    except UnicodeEncodeError:
        return b"\1" + text.encode("utf-16-le", "surrogatepass")


def insert(position, text):
    return record(INSERT, struct.pack("<Q", position) + text_piece(text))


def remove(position, count):
    return record(REMOVE, struct.pack("<QQ", position, count))


SEEDS = {
    "new-document": MAGIC + origin() + insert(0, "ciao") + insert(4, " mondo")
    + remove(0, 1) + insert(0, "C"),
    "file-with-base": MAGIC
    + origin("/tmp/nota.txt", file_format(5, b"windows-1252"), 1, identity(8, 42))
    + record(BASE, text_piece("uno\r\ndue")) + insert(8, "è") + remove(3, 2)
    + record(FORMAT, file_format(0, b"", 1, 1)),
    "identity-after-load": MAGIC + origin("/tmp/grande.log") + insert(0, "\U0001F600\udc80")
    + record(IDENTITY, identity(1 << 30, 7)) + remove(0, 1),
    "cut-in-a-record": (MAGIC + origin() + insert(0, "intero") + insert(6, "tagliato"))[:-5],
}


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    for name, data in SEEDS.items():
        # The fuzzer's input: a byte below F0, then the journal after its
        # first line, which the target puts back.
        with open(os.path.join(folder, name), "wb") as f:
            f.write(b"\0" + data[len(MAGIC):])
    with open(os.path.join(folder, "whole-file"), "wb") as f:
        f.write(b"\xff" + SEEDS["new-document"])


if __name__ == "__main__":
    main()
