#!/usr/bin/python3
"""Writes the workbooks and damaged files the database layer tests read.

Run with Debian's python3 (python3-xlwt): /usr/bin/python3 make_files.py
The output is committed; rerunning gives the same bytes (fixed random seed).
"""
import os
import random
import struct

import xlwt

HERE = os.path.dirname(os.path.abspath(__file__))
CORRUPT = os.path.join(HERE, "corrupt")
ENDOFCHAIN, FREESECT, FATSECT, NOSTREAM = 0xFFFFFFFE, 0xFFFFFFFF, 0xFFFFFFFD, 0xFFFFFFFF


def small_workbook():
    wb = xlwt.Workbook()
    ws = wb.add_sheet("Phones")
    ws.write(0, 0, "Mobile")
    ws.write(0, 1, "City")
    for row, (mobile, city) in enumerate([(9812345678, "Pune"), ("9812345679", "Delhi"),
                                          (9812345680, "pune")], start=1):
        ws.write(row, 0, mobile)
        ws.write(row, 1, city)
    return wb


def headings_workbook():
    """Blank, repeated and numeric headings; text that differs only in case."""
    wb = xlwt.Workbook(encoding="utf-8")
    ws = wb.add_sheet("Headings")
    for col, heading in enumerate(["", "Mobile", "mobile", 42, "Home City"]):
        if heading != "":
            ws.write(0, col, heading)
    for col, value in enumerate(["a", 9812345678, "x", 1.5, "Pune"]):
        ws.write(1, col, value)
    cases = wb.add_sheet("Cases")
    cases.write(0, 0, "City")
    cases.write(0, 1, "Mobile")
    for row, city in enumerate(["\u00c9cole", "\u00c9COLE", "Z\u00fcrich", "Z\u00dcRICH", "pune", "PUNE",
                                "Delhi"], start=1):
        cases.write(row, 0, city)
        cases.write(row, 1, 9800000000 + row)
    return wb


def dir_entry(name, kind, child, start, size):
    raw = name.encode("utf-16-le")
    entry = raw + b"\0" * (64 - len(raw))
    entry += struct.pack("<HBB", len(raw) + 2, kind, 1)
    entry += struct.pack("<III", NOSTREAM, NOSTREAM, child)
    entry += b"\0" * 16 + b"\0" * 4 + b"\0" * 16
    entry += struct.pack("<IQ", start, size)
    return entry.ljust(128, b"\0")


def empty_entry():
    return (b"\0" * 64 + struct.pack("<HBB", 0, 0, 0) + struct.pack("<III", NOSTREAM, NOSTREAM, NOSTREAM)).ljust(128, b"\0")


def mini_stream_container(stream_name, data):
    """A version 3 compound file whose one stream lives in the mini stream (under 4096
    bytes), the layout some writers use for small workbooks."""
    assert len(data) < 4096
    mini_sectors = (len(data) + 63) // 64
    ministream = data.ljust(mini_sectors * 64, b"\0")
    container_sectors = (len(ministream) + 511) // 512
    ministream = ministream.ljust(container_sectors * 512, b"\0")
    # sector 0: FAT, 1: directory, 2: mini FAT, 3..: the mini stream container
    fat = [FATSECT, ENDOFCHAIN, ENDOFCHAIN]
    for i in range(container_sectors):
        fat.append(3 + i + 1 if i + 1 < container_sectors else ENDOFCHAIN)
    fat += [FREESECT] * (128 - len(fat))
    minifat = [i + 1 if i + 1 < mini_sectors else ENDOFCHAIN for i in range(mini_sectors)]
    minifat += [FREESECT] * (128 - len(minifat))
    header = b"\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1" + b"\0" * 16
    header += struct.pack("<HHHHH", 0x3E, 3, 0xFFFE, 9, 6) + b"\0" * 6
    header += struct.pack("<IIIIIIIII", 0, 1, 1, 0, 4096, 2, 1, ENDOFCHAIN, 0)
    header += struct.pack("<I", 0) + struct.pack("<I", FREESECT) * 108
    directory = dir_entry("Root Entry", 5, 1, 3, mini_sectors * 64)
    directory += dir_entry(stream_name, 2, NOSTREAM, 0, len(data))
    directory += empty_entry() * 2
    return (header + struct.pack("<128I", *fat) + directory + struct.pack("<128I", *minifat)
            + ministream)


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def main():
    os.makedirs(CORRUPT, exist_ok=True)
    rng = random.Random(20261206)
    biff = small_workbook().get_biff_data()
    ministream = mini_stream_container("Workbook", biff)
    write(os.path.join(HERE, "ministream.xls"), ministream)

    headings_workbook().save(os.path.join(HERE, "headings.xls"))
    regular = os.path.join(HERE, "regular.xls")
    small_workbook().save(regular)
    with open(regular, "rb") as f:
        good = f.read()

    write(os.path.join(CORRUPT, "empty.xls"), b"")
    write(os.path.join(CORRUPT, "random.xls"), bytes(rng.getrandbits(8) for _ in range(8192)))
    # The damaged Access files are written by the tests (no .mdb file is committed); their
    # random draws are still taken so that the files below keep their bytes.
    bytes(rng.getrandbits(8) for _ in range(8192))
    write(os.path.join(CORRUPT, "text.xls"), b"Name,Mobile\r\nAsha,9812345678\r\n")
    bytes(rng.getrandbits(8) for _ in range(4096 - 20))
    for length in (8, 512, 1024, 2048, len(good) - 1000, len(good) - 1):
        write(os.path.join(CORRUPT, "truncated-%d.xls" % length), good[:length])
    for length in (600, 1500, len(ministream) - 100):
        write(os.path.join(CORRUPT, "ministream-truncated-%d.xls" % length), ministream[:length])
    for n, offset in enumerate(rng.sample(range(512, len(good)), 8)):
        flipped = bytearray(good)
        flipped[offset] ^= 0xFF
        write(os.path.join(CORRUPT, "flipped-%d.xls" % n), bytes(flipped))
    # A FAT whose chains point at themselves: a reader must not loop.
    looped = bytearray(ministream)
    for i in range(128):
        struct.pack_into("<I", looped, 512 + 4 * i, i)
    write(os.path.join(CORRUPT, "fat-loop.xls"), bytes(looped))
    looped_mini = bytearray(ministream)
    for i in range(128):
        struct.pack_into("<I", looped_mini, 512 * 3 + 4 * i, i)
    write(os.path.join(CORRUPT, "minifat-loop.xls"), bytes(looped_mini))
    # A workbook stream with the globals only: no worksheets at all.
    globals_only = biff[: biff.index(b"\x0a\x00\x00\x00") + 4]
    write(os.path.join(HERE, "no-sheets.xls"), mini_stream_container("Workbook", globals_only))


if __name__ == "__main__":
    main()
