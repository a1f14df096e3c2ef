#!/usr/bin/env python3
"""Checks the media folder as it ships: install.exe and unrar.dll present and
stripped (no symbol table, no debug sections), each with <file>.debug beside
it that holds the debug information of that very build and that the program
names, with the right CRC, in its .gnu_debuglink section; Install.z the
build's payload; nothing else in the folder.

Usage: check_media.py MEDIA_DIR OBJCOPY PAYLOAD"""
import os
import struct
import subprocess
import sys
import tempfile
import zlib

PROGRAMS = ("install.exe", "unrar.dll")


def sections(objdump, path):
    """Section name -> (size, VMA) as objdump -h lists them."""
    out = subprocess.run([objdump, "-h", path], check=True, capture_output=True, text=True).stdout
    result = {}
    for line in out.splitlines():
        fields = line.split()
        if len(fields) >= 4 and fields[0].isdigit():
            result[fields[1]] = (int(fields[2], 16), int(fields[3], 16))
    return result


def coff_symbol_count(path):
    with open(path, "rb") as f:
        data = f.read(4096)
    (pe,) = struct.unpack_from("<I", data, 0x3C)
    if data[pe:pe + 4] != b"PE\0\0":
        raise ValueError(f"{path} is not a PE file")
    return struct.unpack_from("<I", data, pe + 4 + 12)[0]


def debuglink(objcopy, path):
    """The (file name, CRC) a program's .gnu_debuglink section holds."""
    with tempfile.TemporaryDirectory() as tmp:
        out = os.path.join(tmp, "link")
        subprocess.run([objcopy, "--dump-section", f".gnu_debuglink={out}", path, os.path.join(tmp, "copy")],
                       check=True, capture_output=True)
        with open(out, "rb") as f:
            data = f.read()
    name, _, _ = data.partition(b"\0")
    (crc,) = struct.unpack_from("<I", data, len(data) - 4)
    return name.decode(), crc


def check_program(media, name, objcopy, objdump):
    errors = []
    path = os.path.join(media, name)
    debug = path + ".debug"
    for p in (path, debug):
        if not os.path.isfile(p):
            return [f"{os.path.basename(p)} is missing"]
    shipped = sections(objdump, path)
    kept = sections(objdump, debug)
    if any(s.startswith(".debug") for s in shipped):
        errors.append(f"{name} still holds debug sections")
    if coff_symbol_count(path):
        errors.append(f"{name} still holds a symbol table")
    if ".debug_info" not in kept:
        errors.append(f"{name}.debug holds no debug information")
    if shipped.get(".text") != kept.get(".text"):
        errors.append(f"{name}.debug is not of this build of {name} (.text {kept.get('.text')} against {shipped.get('.text')})")
    if ".gnu_debuglink" not in shipped:
        return errors + [f"{name} has no debug link"]
    link, crc = debuglink(objcopy, path)
    if link != name + ".debug":
        errors.append(f"{name} links to '{link}', not to {name}.debug")
    with open(debug, "rb") as f:
        actual = zlib.crc32(f.read())
    if crc != actual:
        errors.append(f"{name} links with CRC {crc:08x}, {name}.debug has {actual:08x}")
    return errors


def main():
    media, objcopy, payload = sys.argv[1:4]
    objdump = objcopy[: -len("objcopy")] + "objdump"
    errors = []
    for name in PROGRAMS:
        errors += check_program(media, name, objcopy, objdump)
    archive = os.path.join(media, "Install.z")
    if not os.path.isfile(archive):
        errors.append("Install.z is missing")
    else:
        with open(archive, "rb") as a, open(payload, "rb") as b:
            if a.read() != b.read():
                errors.append("Install.z is not the build's payload")
    expected = set(PROGRAMS) | {p + ".debug" for p in PROGRAMS} | {"Install.z"}
    extra = sorted(set(os.listdir(media)) - expected)
    if extra:
        errors.append(f"not shipped, yet in the media folder: {', '.join(extra)}")
    for e in errors:
        print("FAILED:", e)
    if errors:
        return 1
    for name in sorted(expected):
        print(f"{name:18} {os.path.getsize(os.path.join(media, name)):>12,} bytes")
    return 0


if __name__ == "__main__":
    sys.exit(main())
