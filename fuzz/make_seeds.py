#!/usr/bin/env python3
"""Writes the fuzz targets' seed inputs into fuzz/seeds/: well-formed inputs the fuzzers start
from and the replay tests run. Usage: fuzz/make_seeds.py BIN_DIR (where kerma740-cli is built)."""
import os
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))


def crc8(data):
    crc = 0
    for byte in data:
        crc ^= byte
        for _ in range(8):
            crc = (crc >> 1) ^ 0x8C if crc & 1 else crc >> 1
    return crc


def with_crc(data):
    return bytes(data) + bytes([crc8(data)])


def save(target, name, data):
    with open(os.path.join(HERE, "seeds", target, name), "wb") as f:
        f.write(data)


def factory_file(bin_dir, variant):
    with tempfile.TemporaryDirectory() as tmp:
        path = os.path.join(tmp, "defaults.cfg")
        subprocess.run([os.path.join(bin_dir, "kerma740-cli"), "defaults", "--variant",
                        str(variant), "--out", path], check=True)
        with open(path, "rb") as f:
            return f.read()


def editor_seeds(bin_dir):
    versions = [18, 25, 33, 41, 53, 0, 255]
    for variant, version in ((1, 18), (3, 33), (5, 53)):
        text = factory_file(bin_dir, variant)
        cells = [int(line) & 0xFF for line in text.decode().split("\r\n") if line]
        settings, codes = cells[:1024], cells[1024:]
        image = bytes([versions.index(version)]) + bytes(settings) + bytes(codes)
        save("image_fuzz", "factory-variant%d" % variant, image)
        choice = [1, 3, 5].index(variant)
        save("config_file_fuzz", "factory-variant%d" % variant, bytes([choice]) + text)
        # Edit mode: the exit time line replaced by "-1", the engineer password by "x".
        save("config_file_fuzz", "edits-variant%d" % variant,
             bytes([0x80 | choice, 0, 8, 0x80, 0, 2, 0x83]))


def firmware_seeds():
    body = bytes((i * 37 + 11) & 0xFF for i in range(300))
    good = bytes([0x12, 0x34, 0x56, 35, 1, 44, 0x5A]) + body
    save("firmware_header_fuzz", "variant3-whole", bytes([2]) + good)
    save("firmware_header_fuzz", "variant3-longer-than-header", bytes([2]) + good + b"tail")
    save("firmware_header_fuzz", "variant3-shorter-than-header", bytes([2]) + good[:200])
    save("firmware_header_fuzz", "variant5-type10-other-variant", bytes([0x84]) + good)
    save("firmware_header_fuzz", "variant1-header-only", bytes([0]) + bytes([1, 2, 3, 18, 0, 0, 9]))


def panel_seeds():
    ops = {"handshake": 0, "upload-handshake": 1, "upload": 2, "read-settings": 3,
           "write-settings": 4, "read-codes": 5, "write-codes": 6}
    layout = 3  # the small layout: 256-byte settings, 1024-byte codes
    small = {"settings": 256, "codes": 1024}

    def command(op):
        return with_crc([0x55, layout, op])

    handshake = bytes([0x55, 0x55, 0xAA, 0xAA]) + with_crc([0x55, 0x55, 9]) + b"\x00"
    save("panel_bytes_fuzz", "handshake", bytes([ops["handshake"], 3]) + handshake)
    save("panel_bytes_fuzz", "handshake-echo-taken-for-answer",
         bytes([ops["handshake"], 3]) + bytes([0x55, 0x55, 0xAA, 0xAA]) * 2 + handshake[4:])
    upload_handshake = bytes([0x55, 0x55, 0xA0, 0xAA]) + with_crc([0x55, 0x55, 9]) + b"\x00"
    save("panel_bytes_fuzz", "upload-handshake",
         bytes([ops["upload-handshake"], 3]) + upload_handshake)
    upload = bytes([0x12, 0x34, 0x56, 53, 0x00, 41, 0x00])
    upload += bytes((i * 37 + 11) & 0xFF for i in range(40)) + b"\x00"
    save("panel_bytes_fuzz", "upload", bytes([ops["upload"], 3]) + upload + b"\x00")
    for kind in ("settings", "codes"):
        op = 0x91 if kind == "settings" else 0x93
        payload = bytes((i * 13 + 1) & 0xFF for i in range(small[kind]))
        frame = with_crc(b"\xAA\xAA" + payload)
        stream = command(op) + b"\x00" + frame + b"\x00"
        save("panel_bytes_fuzz", "read-" + kind, bytes([ops["read-" + kind], 3]) + stream)
        written = bytes((i * 7 + 3) & 0xFF for i in range(small[kind]))
        stream = command(op + 1) + b"\x00" + with_crc(b"\xAA\xAA" + written) + b"\x00"
        save("panel_bytes_fuzz", "write-" + kind, bytes([ops["write-" + kind], 3]) + stream)


def main():
    editor_seeds(sys.argv[1])
    firmware_seeds()
    panel_seeds()


if __name__ == "__main__":
    main()
