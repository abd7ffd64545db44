#!/usr/bin/python3
"""Where the bytes of the installer's stub (the executable without its packed payload items)
go: the file's sections and their padding, the resources by kind, and the code and data by
where they come from (read from the link map that the build writes beside the installer).
Prints one table; asserts nothing.

    stub_breakdown.py INSTALLER.exe LINK.map

e.g. stub_breakdown.py build/win32/PentaroSetup.exe build/win32/app/PentaroSetup.map
"""
import collections
import re
import sys

import pefile

PAYLOAD = {n.upper() for n in "rs_cmd,rs_exe,rs_kdb1,rs_kdb2,rs_hlp,rs_icon,rs_kdbv4,"
           "rs_kdbv4add,rs_readme,rs_spool32".split(",")}
RT_ICON, RT_RCDATA, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 10, 14, 16, 24
LAYOUTS = {"TMAINFORM", "TINSTPROGRESSFORM"}


def origin(path):
    """Which part of the program an input file of the link belongs to."""
    if ".lto.o" in path or "ltrans" in path:
        return "own code (whole-program optimised)"
    if "libstdc++.a" in path:
        return "libstdc++"
    if "libgcc_eh.a" in path or "libgcc.a" in path:
        return "libgcc (unwinder)"
    if "libz.a" in path:
        return "zlib"
    if "delay-imports" in path or re.search(r"lib(kernel32|msvcrt)\.a\(lib(kernel32|msvcrt)[sht]", path):
        return "import and delay-load thunks"
    return "C runtime start-up (mingw)"


def map_sizes(path):
    """{output section: {origin: bytes}} from a GNU ld map."""
    sizes = collections.defaultdict(collections.Counter)
    section = None
    pending = None  # an input section name wrapped onto its own line
    entry = re.compile(r"^ (\S+)?\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(\S.*)$")
    started = False
    with open(path, errors="replace") as f:
        for line in f:
            line = line.rstrip("\n")
            if line.startswith("Linker script and memory map"):
                started = True
                continue
            if not started:
                continue
            m = re.match(r"^(\.\S+)", line)
            if m:
                section = m.group(1)
                continue
            if section is None:
                continue
            if re.match(r"^ \S+$", line):
                pending = line.strip()
                continue
            m = entry.match(line)
            name = m.group(1) or pending if m else None
            if name and not name.startswith("*") and section != ".reloc":
                part = origin(m.group(4))
                if name.startswith(".gcc_except_table"):
                    part += ", exception tables"
                sizes[section][part] += int(m.group(3), 16)
            pending = None
    return sizes


def resources(pe):
    """{kind: bytes of data} and the payload items' bytes."""
    kinds = collections.Counter()
    for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        for entry in kind.directory.entries:
            name = str(entry.name).upper() if entry.name is not None else None
            for language in entry.directory.entries:
                size = language.data.struct.Size
                if kind.id == RT_RCDATA and name in PAYLOAD:
                    label = "payload items"
                elif kind.id in (RT_ICON, RT_GROUP_ICON):
                    label = "icon"
                elif kind.id == RT_RCDATA and name == "RS_CONF":
                    label = "dosbox.conf template"
                elif kind.id == RT_RCDATA and name in LAYOUTS:
                    label = "window layouts"
                elif kind.id == RT_VERSION:
                    label = "version information"
                elif kind.id == RT_MANIFEST:
                    label = "manifest"
                else:
                    label = f"other ({kind.id} {name})"
                kinds[label] += size
    return kinds


def main(exe, link_map):
    pe = pefile.PE(exe)
    total = len(pe.__data__)
    kinds = resources(pe)
    payload = kinds.pop("payload items", 0)
    rows = []
    padding = pe.OPTIONAL_HEADER.SizeOfHeaders - (
        pe.sections[0].get_file_offset() + 40 * len(pe.sections))
    rows.append(("headers", pe.OPTIONAL_HEADER.SizeOfHeaders - padding))
    by_origin = collections.Counter()
    sizes = map_sizes(link_map)
    for s in pe.sections:
        name = s.Name.rstrip(b"\0").decode()
        used = min(s.Misc_VirtualSize, s.SizeOfRawData)
        padding += s.SizeOfRawData - used
        if not s.SizeOfRawData:
            continue
        if name == ".rsrc":
            rows.append((".rsrc (without payload items)", used - payload))
            for kind, size in sorted(kinds.items(), key=lambda kv: -kv[1]):
                rows.append((f"  {kind}", size))
            rows.append(("  directory", used - payload - sum(kinds.values())))
            continue
        rows.append((name if name != ".reloc" else ".reloc (relocations, for ASLR)", used))
        # The map names .eh_frame in full; the section table cuts names at 8 characters.
        parts = sizes.get(name) or sizes.get(".eh_frame" if name.startswith(".eh_fram") else name)
        for part, size in sorted((parts or {}).items(), key=lambda kv: -kv[1]):
            rows.append((f"  {part}", size))
            by_origin[part] += size
    rows.append(("padding to the 4 KB file alignment", padding))
    print(f"{exe}: {total:,} B, payload items {payload:,} B, stub {total - payload:,} B")
    for label, size in rows:
        print(f"  {label:<44} {size:>9,} B {size / 1024:7.1f} KB")
    print("  code and data by origin, all sections:")
    for part, size in by_origin.most_common():
        print(f"    {part:<42} {size:>9,} B {size / 1024:7.1f} KB")


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2])
