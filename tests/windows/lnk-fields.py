#!/usr/bin/env python3
"""Prints what a Windows shortcut (.lnk) starts, one field a line:
target=, arguments=, working_dir=, icon= (path,index) and description=.
The target is the local path of the link's LinkInfo; the strings follow it in the order
that the .lnk format fixes, each present only when its flag is set."""
import struct
import sys

HAS_ID_LIST, HAS_LINK_INFO, HAS_NAME, HAS_RELATIVE_PATH = 0x1, 0x2, 0x4, 0x8
HAS_WORKING_DIR, HAS_ARGUMENTS, HAS_ICON_LOCATION, IS_UNICODE = 0x10, 0x20, 0x40, 0x80
HEADER_SIZE = 0x4C


# The LinkInfo's local path is in the system's ANSI code page; the installer's is ASCII.
def c_string(data, offset):
    return data[offset:data.index(b"\0", offset)].decode("latin-1")


def fields(data):
    if len(data) < HEADER_SIZE or struct.unpack_from("<I", data, 0)[0] != HEADER_SIZE:
        raise ValueError("not a shell link")
    flags = struct.unpack_from("<I", data, 0x14)[0]
    icon_index = struct.unpack_from("<i", data, 0x38)[0]
    at = HEADER_SIZE
    if flags & HAS_ID_LIST:
        at += 2 + struct.unpack_from("<H", data, at)[0]
    out = {"target": ""}
    if flags & HAS_LINK_INFO:
        size, _header, info_flags, _volume, base = struct.unpack_from("<5I", data, at)
        if info_flags & 0x1:  # VolumeIDAndLocalBasePath
            out["target"] = c_string(data, at + base)
        at += size
    for flag, name in ((HAS_NAME, "description"), (HAS_RELATIVE_PATH, "relative_path"),
                       (HAS_WORKING_DIR, "working_dir"), (HAS_ARGUMENTS, "arguments"),
                       (HAS_ICON_LOCATION, "icon")):
        if not flags & flag:
            continue
        count = struct.unpack_from("<H", data, at)[0]
        at += 2
        width = 2 if flags & IS_UNICODE else 1
        raw = data[at:at + count * width]
        at += count * width
        # Wine counts the terminating NUL in, Windows does not.
        out[name] = raw.decode("utf-16-le" if width == 2 else "latin-1").rstrip("\0")
    if "icon" in out:
        out["icon"] += f",{icon_index}"
    return out


def main():
    with open(sys.argv[1], "rb") as f:
        link = fields(f.read())
    for name in ("target", "arguments", "working_dir", "icon", "description"):
        print(f"{name}={link.get(name, '')}")


if __name__ == "__main__":
    main()
