"""The installer's own icon as others read it: pefile finds the icon group Explorer shows
(the first in the file's resources) and its images; ImageMagick decodes them from an .ico made
of those bytes. Each size is written as a PNG beside the window screenshots, to look at.

    icon_test.py INSTALLER.exe SCREENSHOT_DIR
"""
import os
import struct
import subprocess
import sys
import tempfile

import pefile

RT_ICON, RT_GROUP_ICON = 3, 14
SIZES = [16, 20, 24, 32, 40, 48, 64, 256]
# Windows XP reads only bitmap images, at these sizes; every other size is a PNG image.
BITMAPS = [16, 32, 48]

failures = []


def check(what, ok):
    print(("ok   " if ok else "FAIL ") + what)
    if not ok:
        failures.append(what)


def resources(pe, kind):
    for entry in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        if entry.id == kind:
            return entry.directory.entries
    return []


def data_of(pe, entry):
    d = entry.directory.entries[0].data.struct
    return pe.get_data(d.OffsetToData, d.Size)


def pixels(ico, index, size):
    """The image's pixels as {(x, y): (r, g, b)}, decoded by ImageMagick."""
    out = subprocess.run(["convert", f"ico:{ico}[{index}]", "-depth", "8", "txt:-"],
                         check=True, capture_output=True, text=True).stdout
    result = {}
    for line in out.splitlines()[1:]:
        at, _, rest = line.partition(":")
        x, y = (int(v) for v in at.split(","))
        values = rest.split("(")[1].split(")")[0].split(",")
        result[(x, y)] = tuple(round(float(v)) for v in values[:3])
    check(f"{size}: ImageMagick decodes {size} x {size} pixels", len(result) == size * size)
    return result


def main(exe, shots):
    pe = pefile.PE(exe)
    groups = resources(pe, RT_GROUP_ICON)
    check("the file has an icon group", bool(groups))
    if not groups:
        return
    # Explorer shows the first group of the resource directory.
    first = groups[0]
    check("the first icon group is MAINICON", str(first.name) == "MAINICON")
    group = data_of(pe, first)
    _, kind, count = struct.unpack_from("<HHH", group)
    check("the group is an icon group", kind == 1)
    entries = [struct.unpack_from("<BBBBHHIH", group, 6 + 14 * i) for i in range(count)]
    sizes = [w or 256 for w, *_ in entries]
    check(f"sizes {sizes}", sizes == SIZES)
    check("every image has 32 bits per pixel", all(e[5] == 32 for e in entries))
    icons = {e.id: data_of(pe, e) for e in resources(pe, RT_ICON)}
    images = [icons.get(e[7]) for e in entries]
    check("every image of the group is in the file", all(i is not None for i in images))
    if None in images:
        return
    stored = ["png" if i.startswith(b"\x89PNG\r\n\x1a\n") else
              "bitmap" if struct.unpack_from("<I", i)[0] == 40 else "?" for i in images]
    check(f"stored as {list(zip(sizes, stored))}",
          stored == ["bitmap" if n in BITMAPS else "png" for n in SIZES])

    # The same images as an .ico file, for a reader that knows nothing of PE files.
    ico = struct.pack("<HHH", 0, 1, count)
    offset = 6 + 16 * count
    for (w, h, colours, _, planes, bits, size, _), image in zip(entries, images):
        ico += struct.pack("<BBBBHHII", w, h, colours, 0, planes, bits, len(image), offset)
        offset += len(image)
    ico += b"".join(images)
    with tempfile.TemporaryDirectory() as work:
        path = os.path.join(work, "PentaroSetup.ico")
        with open(path, "wb") as f:
            f.write(ico)
        for index, size in enumerate(SIZES):
            p = pixels(path, index, size)
            if len(p) != size * size:
                continue
            yellow, red, white = (255, 255, 0), (255, 0, 0), (255, 255, 255)
            check(f"{size}: yellow border", p[(0, 0)] == yellow and p[(size - 1, size - 1)] == yellow
                  and p[(0, size // 2)] == yellow)
            inner = [p[(x, y)] for x in range(size) for y in range(size) if p[(x, y)] != yellow]
            check(f"{size}: red inside", inner.count(red) > len(inner) // 2)
            # The mark: whole white pixels, spread evenly about the middle.
            marked = [(x, y) for (x, y), c in p.items() if c == white]
            check(f"{size}: white mark", len(marked) >= size * size // 20)
            if marked:
                left = min(x for x, _ in marked)
                right = size - 1 - max(x for x, _ in marked)
                check(f"{size}: mark centred ({left} | {right})", abs(left - right) <= 1)
            subprocess.run(["convert", f"ico:{path}[{index}]",
                            os.path.join(shots, f"icon-{size}.png")], check=True)


main(sys.argv[1], sys.argv[2])
sys.exit(1 if failures else 0)
