#!/usr/bin/env python3
"""Writes the demo machine's IDENTIFY DEVICE and SMART READ DATA blocks (512 bytes each).

The blocks are synthetic: plausible answers of made-up drives, so the demo shows every line of the
details and SMART reports without shipping any real drive's data."""
import struct
import sys
from pathlib import Path


def ata_string(text, length):
    """ATA strings hold the first character of each pair in the high byte of the word."""
    padded = text.ljust(length)[:length].encode("ascii")
    return b"".join(padded[i + 1:i + 2] + padded[i:i + 1] for i in range(0, length, 2))


def identify(model, firmware, serial, lba28, lba48, *, buffer_sectors=0, queue=0, security=0,
             locked=False, streaming=False):
    words = [0] * 256
    words[0] = 0x0040
    words[21] = buffer_sectors
    words[47] = 0x8010
    words[49] = (1 << 9) | (1 << 8)
    words[53] = 0x0007
    words[60], words[61] = lba28 & 0xFFFF, lba28 >> 16
    words[75] = queue
    words[82] = 0x4021 | (1 << 10) | (0x0002 if security else 0)
    words[83] = 0x7400 | (1 << 9)
    words[84] = 0x4000 | (0x0010 if streaming else 0)
    words[85] = 0x4021
    words[88] = 0x207F
    for i in range(4):
        words[100 + i] = (lba48 >> (16 * i)) & 0xFFFF
    words[128] = (0x0001 | (0x0002 if security else 0) | (0x0004 if locked else 0)) if security else 0
    block = bytearray(struct.pack("<256H", *words))
    block[20:40] = ata_string(serial, 20)
    block[46:54] = ata_string(firmware, 8)
    block[54:94] = ata_string(model, 40)
    return bytes(block)


def smart(attributes):
    block = bytearray(512)
    block[0:2] = struct.pack("<H", 0x0010)
    for index, (ident, flags, current, worst, raw) in enumerate(attributes):
        offset = 2 + 12 * index
        block[offset] = ident
        block[offset + 1:offset + 3] = struct.pack("<H", flags)
        block[offset + 3] = current
        block[offset + 4] = worst
        block[offset + 5:offset + 11] = raw.to_bytes(6, "little")
    return bytes(block)


def main(folder):
    out = Path(folder)
    out.joinpath("ssd.identify.bin").write_bytes(
        identify("TRELVANE DEMO SSD 256G", "DM1.02", "TDS2560001A", 268435455, 500118192,
                 queue=31, security=1))
    out.joinpath("ssd.smart.bin").write_bytes(smart([
        (5, 0x0033, 100, 100, 0), (9, 0x0032, 98, 98, 4217), (12, 0x0032, 99, 99, 1288),
        (177, 0x0013, 95, 95, 61), (190, 0x0032, 64, 52, 36), (194, 0x0022, 64, 52, 36),
        (199, 0x003E, 100, 100, 0), (232, 0x0033, 100, 100, 0), (233, 0x0032, 97, 97, 1234567)]))
    out.joinpath("hdd.identify.bin").write_bytes(
        identify("TRELVANE DEMO HDD 1TB", "HD05.1", "WX31D85P2K7Q4N8M0A1Z", 268435455, 1953525168,
                 buffer_sectors=65535, security=1, locked=True, streaming=True))
    out.joinpath("hdd.smart.bin").write_bytes(smart([
        (1, 0x002F, 200, 200, 0), (3, 0x0027, 178, 175, 6083), (4, 0x0032, 100, 100, 912),
        (5, 0x0033, 200, 200, 0), (7, 0x002E, 100, 253, 0), (9, 0x0032, 71, 71, 21344),
        (10, 0x0032, 100, 100, 0), (12, 0x0032, 100, 100, 905), (192, 0x0032, 200, 200, 57),
        (193, 0x0032, 198, 198, 8421), (194, 0x0022, 112, 98, 38), (197, 0x0032, 200, 200, 0),
        (198, 0x0030, 100, 253, 0), (199, 0x0032, 200, 200, 0), (250, 0x0032, 100, 100, 7)]))
    out.joinpath("scratch.identify.bin").write_bytes(
        identify("TRELVANE SCRATCH DISK", "SC0.9", "SCR0000042", 131072, 131072, buffer_sectors=256))
    out.joinpath("scratch.smart.bin").write_bytes(smart([
        (1, 0x000B, 100, 100, 0), (9, 0x0012, 100, 100, 12), (12, 0x0012, 100, 100, 3),
        (194, 0x0022, 70, 65, 30)]))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent / "examples" / "demo")
