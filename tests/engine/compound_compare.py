#!/usr/bin/python3
"""Checks a compound file in which one stream was replaced against the original,
with olefile and a raw reading of the tables (independent of the engine):
  compound_compare.py ORIGINAL RESULT STREAM EXPECTED_CONTENT [--same-header]
Every other stream must read the same, every directory entry must keep its 128
bytes (the stream's and the root's start and size aside), and the original's
bytes may differ only in the header, the tables and the stream's old sectors.
Prints the problems found; exits 1 when there are any."""
import struct
import sys

import olefile

FREE, END = 0xFFFFFFFF, 0xFFFFFFFE


def u32(data, at):
    return struct.unpack_from("<I", data, at)[0]


def table_sectors(data):
    """The sectors of the FAT, the DIFAT, the directory and the MiniFAT, and the FAT."""
    size = 1 << struct.unpack_from("<H", data, 30)[0]
    fat_count = u32(data, 44)
    fat_ids = [u32(data, 76 + 4 * i) for i in range(min(109, fat_count))]
    difat, sector = [], u32(data, 68)
    while len(fat_ids) < fat_count:
        difat.append(sector)
        at = (sector + 1) * size
        fat_ids += [u32(data, at + 4 * i) for i in range(size // 4 - 1)]
        sector = u32(data, at + size - 4)
    fat_ids = fat_ids[:fat_count]
    fat = []
    for sector in fat_ids:
        at = (sector + 1) * size
        fat += [u32(data, at + 4 * i) for i in range(size // 4)]

    def chain(start):
        out = []
        while start not in (END, FREE) and len(out) <= len(fat):
            out.append(start)
            start = fat[start]
        return out

    return size, fat, set(fat_ids) | set(difat) | set(chain(u32(data, 48))) | set(chain(u32(data, 60))), chain


def main():
    original, result, name, expected = sys.argv[1:5]
    same_header = "--same-header" in sys.argv
    problems = []
    a_bytes = open(original, "rb").read()
    b_bytes = open(result, "rb").read()
    a, b = olefile.OleFileIO(original), olefile.OleFileIO(result)
    if a.listdir(streams=True, storages=True) != b.listdir(streams=True, storages=True):
        problems.append("the entries differ")
    for path in a.listdir(streams=True, storages=False):
        joined = "/".join(path)
        want = open(expected, "rb").read() if joined.lower() == name.lower() else a.openstream(path).read()
        if b.openstream(path).read() != want:
            problems.append("stream %r reads differently" % joined)

    a.directory_fp.seek(0)
    b.directory_fp.seek(0)
    a_dir, b_dir = a.directory_fp.read(), b.directory_fp.read()
    if len(a_dir) != len(b_dir):
        problems.append("the directory changed length")
    replaced = [i for i, e in enumerate(a.direntries) if e is not None and e.name.lower() == name.lower()]
    for i in range(min(len(a_dir), len(b_dir)) // 128):
        x, y = a_dir[128 * i:128 * i + 128], b_dir[128 * i:128 * i + 128]
        if i in replaced or i == 0:
            x, y = x[:116], y[:116]
        if x != y:
            problems.append("directory entry %d changed" % i)

    size, _, tables, chain = table_sectors(a_bytes)
    if same_header and a_bytes[:512] != b_bytes[:512]:
        problems.append("the header changed")
    if a_bytes[:44] != b_bytes[:44] or a_bytes[48:60] != b_bytes[48:60] or a_bytes[512:size] != b_bytes[512:size]:
        problems.append("a fixed header field changed")

    allowed = set(tables)
    entry = a.direntries[replaced[0]]
    if entry.size >= 4096:
        allowed |= set(chain(entry.isectStart))
    if entry.size < 4096 or len(open(expected, "rb").read()) < 4096:
        allowed |= set(chain(a.root.isectStart))  # other streams there are compared above
    # A short last sector counts: the result may only have completed it.
    for sector in range((len(a_bytes) - 1) // size):
        at = (sector + 1) * size
        kept = a_bytes[at:at + size]
        if sector not in allowed and b_bytes[at:at + len(kept)] != kept:
            problems.append("sector %d changed" % sector)
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
