#!/usr/bin/env python3
"""pe_check.py KIND=FILE...: checks Windows programs as they ship.

KIND is "installer" (Rolvex.exe), "preview" (RolvexPreview.exe) or "pack"
(RolvexPack.exe, a console program like the preview) or "undo"
(RolvexUndo.exe, a console program with the installer's rights). For each
file: the machine type (x86 or x64), the subsystem (GUI for the installer,
console for the preview), ASLR and DEP (and high-entropy ASLR on x64), no
debug sections, imports from system DLLs only, a version resource, and the
manifest's values (requireAdministrator, dpiAware false, Windows 7 to 11,
Common Controls 6 for the installer; asInvoker for the preview). Prints one
line per problem and ends with 1 when there is any.
"""
import re
import struct
import sys
import xml.etree.ElementTree as ET

MACHINES = {0x14C: "x86", 0x8664: "x64"}
SYSTEM_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "msvcrt.dll",
    "ntdll.dll", "shell32.dll", "comctl32.dll", "ole32.dll", "oleaut32.dll",
    "ws2_32.dll", "version.dll", "shlwapi.dll", "bcrypt.dll",
}
SUPPORTED_OS = {
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  # Windows 7
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  # Windows 8
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  # Windows 8.1
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  # Windows 10 and 11
}
DYNAMIC_BASE, NX_COMPAT, HIGH_ENTROPY_VA = 0x40, 0x100, 0x20


def sections(data, pe, count, optional_size, symbols, symbol_count):
    table = pe + 24 + optional_size
    strings = symbols + symbol_count * 18
    for i in range(count):
        raw = data[table + 40 * i: table + 40 * i + 40]
        name = raw[:8].rstrip(b"\0").decode("latin-1")
        if name.startswith("/") and name[1:].isdigit() and symbols:
            start = strings + int(name[1:])
            name = data[start: data.index(b"\0", start)].decode("latin-1")
        vsize, vaddr, rsize, raddr = struct.unpack_from("<IIII", raw, 8)
        yield name, vaddr, max(vsize, rsize), raddr


def check(kind, path):
    problems = []
    data = open(path, "rb").read()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe: pe + 4] != b"PE\0\0":
        return [f"{path}: no PE file"]
    machine, count, _, symbols, symbol_count, optional_size = struct.unpack_from(
        "<HHIIIH", data, pe + 4)
    arch = MACHINES.get(machine)
    if arch is None:
        problems.append(f"machine type {machine:#x}")
    opt = pe + 24
    plus = struct.unpack_from("<H", data, opt)[0] == 0x20B
    subsystem, flags = struct.unpack_from("<HH", data, opt + 68)
    want = 2 if kind == "installer" else 3
    if subsystem != want:
        problems.append(f"subsystem {subsystem}, expected {want}")
    need = DYNAMIC_BASE | NX_COMPAT | (HIGH_ENTROPY_VA if plus else 0)
    if flags & need != need:
        problems.append(f"DllCharacteristics {flags:#x} lack {need & ~flags:#x}")
    found = list(sections(data, pe, count, optional_size, symbols, symbol_count))
    debug = [name for name, *_ in found if name.startswith(".debug")]
    if debug:
        problems.append("debug sections " + " ".join(debug))

    def at(rva):
        for _, vaddr, size, raddr in found:
            if vaddr <= rva < vaddr + size:
                return raddr + rva - vaddr
        raise ValueError(f"RVA {rva:#x} outside every section")

    directories = opt + (112 if plus else 96)
    imports = struct.unpack_from("<I", data, directories + 8)[0]
    offset = at(imports) if imports else None
    while offset is not None:
        name_rva = struct.unpack_from("<I", data, offset + 12)[0]
        if name_rva == 0:
            break
        start = at(name_rva)
        dll = data[start: data.index(b"\0", start)].decode("latin-1").lower()
        if dll not in SYSTEM_DLLS and not dll.startswith("api-ms-win-"):
            problems.append(f"imports {dll}")
        offset += 20

    if "VS_VERSION_INFO".encode("utf-16-le") not in data:
        problems.append("no version resource")
    match = re.search(rb"<assembly.*?</assembly>", data, re.S)
    if not match:
        problems.append("no manifest")
    else:
        problems += check_manifest(kind, match.group(0))
    return [f"{path}: {p}" for p in problems]


def check_manifest(kind, text):
    problems = []
    root = ET.fromstring(text)
    def all_named(tag):
        return [e for e in root.iter() if e.tag.split("}")[-1] == tag]
    levels = [e.get("level") for e in all_named("requestedExecutionLevel")]
    want = ("requireAdministrator" if kind in ("installer", "undo")
            else "asInvoker")
    if levels != [want]:
        problems.append(f"execution level {levels}, expected {want}")
    if [e.get("uiAccess") for e in all_named("requestedExecutionLevel")] != ["false"]:
        problems.append("uiAccess is not false")
    oses = {e.get("Id") for e in all_named("supportedOS")}
    if oses != SUPPORTED_OS:
        problems.append(f"supportedOS {sorted(oses)}")
    if kind == "installer":
        aware = [(e.text or "").strip() for e in all_named("dpiAware")]
        if aware != ["false"]:
            problems.append(f"dpiAware {aware}, expected false")
        controls = [e for e in all_named("assemblyIdentity")
                    if e.get("name") == "Microsoft.Windows.Common-Controls"]
        if not controls or controls[0].get("version") != "6.0.0.0":
            problems.append("no Common Controls 6")
    return problems


def main(args):
    problems = []
    for arg in args:
        kind, _, path = arg.partition("=")
        if kind not in ("installer", "preview", "pack", "undo") or not path:
            print(f"pe_check.py: not KIND=FILE: {arg}", file=sys.stderr)
            return 2
        problems += check(kind, path)
    for problem in problems:
        print(problem)
    if not problems:
        print(f"pe_check.py: {len(args)} programs as they ship")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
