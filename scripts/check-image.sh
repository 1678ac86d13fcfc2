#!/usr/bin/env bash
# Fails when the shipped exe's image header or resources hold anything that Windows 95 or
# NT 4.0 cannot load or read, or that only the toolchain's own start-up would act on, or when it
# outgrows 72 KiB. Each rule
# below says why. Reads the PE file itself (no tool of the toolchain involved).
#
#   scripts/check-image.sh [EXE]        default build/i686/app/quillane.exe
#
# Prints one line when every rule holds; otherwise every rule with its outcome, and exits 1.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
EXE=${1:-$ROOT/build/i686/app/quillane.exe}

exec python3 - "$EXE" <<'EOF'
import struct
import sys

path = sys.argv[1]
data = open(path, "rb").read()
failures = []
outcomes = []


def rule(ok, text):
    outcomes.append(("ok    " if ok else "FAIL  ") + text)
    if not ok:
        failures.append(text)


def u16(offset):
    return struct.unpack_from("<H", data, offset)[0]


def u32(offset):
    return struct.unpack_from("<I", data, offset)[0]


if data[:2] != b"MZ" or data[u32(0x3C):u32(0x3C) + 4] != b"PE\0\0":
    sys.exit(f"check-image: {path} is no PE image")
pe = u32(0x3C)
machine, section_count = u16(pe + 4), u16(pe + 6)
optional = pe + 24
optional_size = u16(pe + 20)
if u16(optional) != 0x10B:
    sys.exit(f"check-image: {path} is no 32-bit image (the shipped one is)")
image_base = u32(optional + 28)
os_version = (u16(optional + 40), u16(optional + 42))
subsystem_version = (u16(optional + 48), u16(optional + 50))
subsystem = u16(optional + 68)
directory_count = u32(optional + 92)
directories = [struct.unpack_from("<II", data, optional + 96 + 8 * i) for i in range(min(directory_count, 16))]
directories += [(0, 0)] * (16 - len(directories))

sections = []
for i in range(section_count):
    at = optional + optional_size + 40 * i
    name = data[at:at + 8].rstrip(b"\0").decode("ascii", "replace")
    vsize, rva, raw_size, raw_at = struct.unpack_from("<IIII", data, at + 8)
    characteristics = u32(at + 36)
    sections.append((name, rva, max(vsize, raw_size), raw_at, raw_size, characteristics))


def section_of(rva):
    for s in sections:
        if s[1] <= rva < s[1] + s[2]:
            return s
    return None


def at_rva(rva):
    s = section_of(rva)
    if s is None or rva - s[1] >= s[4]:
        raise ValueError(f"RVA {rva:#x} lies in no section's file data")
    return s[3] + rva - s[1]


def c_string(offset):
    return data[offset:data.index(b"\0", offset)].decode("ascii", "replace")


# An i386 GUI program: the machine Windows 95 and NT 4.0 run it on.
rule(machine == 0x14C and subsystem == 2, f"an i386 Windows GUI program (machine {machine:#x}, subsystem {subsystem})")

# The exe has no relocations and always loads at its own base: 0x400000 is the one address
# every Windows from 95 on gives a program (below it Windows 95 keeps its DOS and 16-bit area).
rule(image_base == 0x400000, f"image base {image_base:#x} is 0x400000")

# Windows 95 and NT 4.0 refuse to start a program that asks for a later system (subsystem
# version) and the header says which system the program is for (OS version): 4.0 both, set
# by our own link, not left to the linker's default.
rule(subsystem_version == (4, 0), "subsystem version %d.%d is 4.0" % subsystem_version)
rule(os_version == (4, 0), "OS version %d.%d is 4.0" % os_version)

# Empty directories. A TLS directory's callbacks and a load configuration's security cookie
# belong to the toolchain's start-up, which the program replaces with its own (app/runtime.cpp):
# nothing would set them up, and Windows 95 runs no TLS callbacks at all. Bound imports hold
# one build of the system DLLs' addresses, wrong on every other. Delay-loaded imports need
# the runtime's helper and would hide a function Windows 95 lacks until the moment it is called.
for index, what in ((9, "TLS"), (10, "load configuration"), (11, "bound imports"), (13, "delay-loaded imports")):
    rva, size = directories[index]
    rule(rva == 0 and size == 0, f"no {what} directory")

# Windows 95's loader writes the imported functions' addresses into the import address table
# without changing the pages' protection: a read-only import table fails the load there.
writable = True
for index in (1, 12):
    rva, size = directories[index]
    if rva != 0:
        s = section_of(rva)
        writable = writable and s is not None and (s[5] & 0x80000000) != 0
rule(directories[1][0] != 0 and writable, "the import table lies in a writable section")

# Only the system's own DLLs, each on Windows 95 and NT 4.0 as they came: no C runtime (no
# msvcrt.dll on Windows 95) and none of the toolchain's (libgcc, libstdc++, winpthread).
dlls = []
rva = directories[1][0]
if rva:
    entry = at_rva(rva)
    while any(data[entry:entry + 20]):
        dlls.append(c_string(at_rva(u32(entry + 12))).lower())
        entry += 20
allowed = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll", "comctl32.dll"}
rule(dlls and set(dlls) <= allowed, "DLLs: " + ", ".join(sorted(dlls)) +
     ("" if set(dlls) <= allowed else "; not allowed: " + ", ".join(sorted(set(dlls) - allowed))))

# Static constructors: the program's start-up (app/runtime.cpp) never walks the constructor
# list, so an object that needs one would be used unconstructed. The linker lays the list out
# in .text as -1, the constructors' addresses, 0, and the destructors' list after it the same
# way: both must be empty.
text = next((s for s in sections if s[0] == ".text"), None)
image_end = image_base + max(s[1] + s[2] for s in sections)
if text is None:
    rule(False, "no .text section to find the constructor list in")
else:
    code = data[text[3]:text[3] + text[4]]
    empty = b"\xff\xff\xff\xff\0\0\0\0" * 2
    found = None
    at = code.find(b"\xff\xff\xff\xff")
    while at != -1 and found is None:
        if code.startswith(empty, at):
            found = []
        else:
            entries, k = [], at + 4
            while k + 4 <= len(code) and image_base <= struct.unpack_from("<I", code, k)[0] < image_end:
                entries.append(struct.unpack_from("<I", code, k)[0])
                k += 4
            if entries and code.startswith(b"\0\0\0\0\xff\xff\xff\xff", k):
                found = entries
        at = code.find(b"\xff\xff\xff\xff", at + 1)
    if found is None:
        rule(False, "the constructor list cannot be found in .text (has the link changed?)")
    else:
        rule(not found, "no static constructors" + (f": {len(found)} found" if found else ""))

# Resources. A manifest (type 24) makes newer Windows give the program comctl32 version 6,
# whose toolbar lays out and draws otherwise than the 4.x ones it is made for. Icons and
# bitmaps must be what Windows 95 and NT 4.0 read: device-independent bitmaps of at most
# 8 bits per pixel, uncompressed (no PNG icons, which came with Vista, no 16, 24 or 32-bit
# images, which their shell and the toolbar's colour mapping do not take).
resources = []  # (type, name, data offset, size)


def walk(directory, path):
    named, numbered = u16(directory + 12), u16(directory + 14)
    for i in range(named + numbered):
        name, target = struct.unpack_from("<II", data, directory + 16 + 8 * i)
        key = name if not name & 0x80000000 else "name"
        if target & 0x80000000:
            walk(base + (target & 0x7FFFFFFF), path + [key])
        else:
            rva, size = struct.unpack_from("<II", data, base + target)
            resources.append((path[0], path[1] if len(path) > 1 else None, at_rva(rva), size))


if directories[2][0]:
    base = at_rva(directories[2][0])
    walk(base, [])
rule(not any(r[0] == 24 for r in resources), "no manifest resource")
images = [r for r in resources if r[0] in (2, 3)]
bad = []
for kind, name, offset, size in images:
    what = ("bitmap" if kind == 2 else "icon image") + f" {name}"
    if data[offset:offset + 8] == b"\x89PNG\r\n\x1a\n":
        bad.append(f"{what}: PNG")
        continue
    header_size, _, _, planes, bits, compression = struct.unpack_from("<IiiHHI", data, offset)
    if header_size < 40:
        bad.append(f"{what}: header of {header_size} bytes")
    elif bits > 8 or compression != 0:
        bad.append(f"{what}: {bits} bits per pixel, compression {compression}")
rule(images and not bad, f"{len(images)} icon images and bitmaps, each of at most 8 bits per pixel and uncompressed"
     + ("" if not bad else ": " + "; ".join(bad)))

# The shipped program stays a small file: within this limit, readable code wins over bytes.
SIZE_LIMIT = 72 * 1024
rule(len(data) <= SIZE_LIMIT, f"{len(data)} bytes, at most {SIZE_LIMIT} (72 KiB)")

if failures:
    print("\n".join(outcomes), file=sys.stderr)
    print(f"check-image: {path} breaks {len(failures)} of {len(outcomes)} rules", file=sys.stderr)
    sys.exit(1)
name = path.replace("\\", "/").rsplit("/", 1)[-1]
print(f"check-image: {len(outcomes)} rules hold for {name} (base, versions, directories, imports, constructors, resources, size)")
EOF
