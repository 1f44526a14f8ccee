#!/usr/bin/env python3
"""Writes the stand-in firmware "MTQ 3-61.txt" (TI-Text) that the build embeds.

The real device firmware is not ours to ship. This image has the layout that a simulated
device checks (LAYOUT.md): model text, CRC-16 and length of the code, the code, and padding
chosen so that the image text (one section "@01100" + four hex digits per word) has exactly
the length and byte sum that the build expects. Run by hand; the output is committed:

    python3 firmware/make_standin.py [output]
"""

import hashlib
import pathlib
import sys

MODEL = b"MTQ 3.61"
BASE = 0x1100
SIZE = 31200                 # bytes of the section: 0x1100 to 0x8ADF
CODE_LENGTH = 16384          # L: the bytes that "post" checks
IMAGE_LENGTH = 62406         # characters of the image text
IMAGE_SUM = 3397265          # sum of their character codes
RESET_VECTOR = BASE + 0x14   # the code starts after model text, CRC and length


def crc16(data: bytes) -> int:
    """Polynomial 0x1021, initial value 0xFFFF, no reflection, no final XOR."""
    crc = 0xFFFF
    for byte in data:
        crc ^= byte << 8
        for _ in range(8):
            crc = ((crc << 1) ^ 0x1021) if crc & 0x8000 else (crc << 1)
            crc &= 0xFFFF
    return crc


def code_bytes(length: int) -> bytes:
    """Deterministic filler for the code: SHA-256 in counter mode."""
    out = bytearray()
    counter = 0
    while len(out) < length:
        out += hashlib.sha256(b"QuilBSL stand-in firmware MTQ 3.61 %d" % counter).digest()
        counter += 1
    return bytes(out[:length])


def image_text(section: bytes) -> str:
    """The embedded form: the address, then each little-endian word as four digits."""
    words = (section[i] | section[i + 1] << 8 for i in range(0, len(section), 2))
    return "@%05X" % BASE + "".join("%04X" % w for w in words)


def digit_sum(data: bytes) -> int:
    return sum(ord(c) for c in data.hex().upper())


def pad_bytes(count: int, extra: int) -> bytes:
    """count bytes whose hex digits add up to count * 2 * ord('0') + extra."""
    digits = []
    for _ in range(count * 2):
        step = 0
        if extra >= 22:
            step = 22                      # "F"
        elif extra >= 17 or extra <= 9:
            step = extra                   # "A".."E", or "0".."9"
        else:
            step = 9                       # 10..16 cannot be one digit: take "9" now
        digits.append("0123456789"[step] if step <= 9 else "ABCDEF"[step - 17])
        extra -= step
    if extra != 0:
        raise SystemExit("padding cannot reach the byte sum")
    return bytes.fromhex("".join(digits))


def build_section() -> bytes:
    code = code_bytes(CODE_LENGTH)
    head = MODEL.ljust(16, b"\0")
    head += crc16(code).to_bytes(2, "little") + CODE_LENGTH.to_bytes(2, "little")
    body = head + code
    pad_count = SIZE - len(body)
    fixed = len("@%05X" % BASE)
    base_sum = sum(ord(c) for c in "@%05X" % BASE) + digit_sum(body) + pad_count * 2 * ord("0")
    section = body + pad_bytes(pad_count, IMAGE_SUM - base_sum)
    text = image_text(section)
    assert len(section) == SIZE and len(text) == IMAGE_LENGTH == fixed + SIZE * 2
    assert sum(ord(c) for c in text) == IMAGE_SUM
    return section


def ti_text(section: bytes, vectors) -> str:
    lines = ["@%X" % BASE]
    for i in range(0, len(section), 16):
        lines.append(" ".join("%02X" % b for b in section[i:i + 16]))
    table = b"".join(v.to_bytes(2, "little") for v in vectors)
    lines.append("@FFE0")
    lines += [" ".join("%02X" % b for b in table[i:i + 16]) for i in (0, 16)]
    lines.append("q")
    return "\n".join(lines) + "\n"


def main() -> None:
    out = pathlib.Path(sys.argv[1]) if len(sys.argv) > 1 else \
        pathlib.Path(__file__).with_name("MTQ 3-61.txt")
    vectors = [0xFFFF] * 15 + [RESET_VECTOR]   # only the reset vector is used
    out.write_text(ti_text(build_section(), vectors), newline="\n")
    print("wrote %s" % out)


if __name__ == "__main__":
    main()
