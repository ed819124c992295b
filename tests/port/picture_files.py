"""Picture files for the scripts that name some: the corpus carries its
scripts without their icons and bitmaps, so the checks make files of each
type where a script looks for them (an icon of 16, 32 and 48 pixels in
three depths, a cursor, a bitmap) and then know what the program must show.
"""
import os
import pathlib
import struct

BITMAP_SIZE = (48, 24)


def dib(side, bits):
    """An icon image: BITMAPINFOHEADER (height doubled for the mask), the
    palette of its depth, colour rows and mask rows."""
    header = struct.pack("<IiiHHIIiiII", 40, side, 2 * side, 1, bits, 0, 0,
                         0, 0, 0, 0)
    palette = b"".join(struct.pack("<I", 0xFF0000 >> (i % 3 * 8))
                       for i in range(1 << bits)) if bits <= 8 else b""
    rows = ((side * bits + 31) // 32 * 4 + (side + 31) // 32 * 4) * side
    return header + palette + b"\x5a" * rows


def icon(images, kind=1):
    """An icon (kind 1) or cursor (kind 2) file of (side, DIB) images."""
    out = struct.pack("<HHH", 0, kind, len(images))
    at = 6 + 16 * len(images)
    for side, data in images:
        out += struct.pack("<BBBBHHII", side % 256, side % 256, 0, 0, 1, 32,
                           len(data), at)
        at += len(data)
    return out + b"".join(data for _, data in images)


def bitmap(width, height):
    stride = (width * 3 + 3) // 4 * 4
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0,
                       stride * height, 0, 0, 0, 0)
    return (b"BM" + struct.pack("<IHHI", 54 + stride * height, 0, 0, 54)
            + info + b"\x80" * (stride * height))


CONTENT = {
    "ICON": lambda: icon([(16, dib(16, 4)), (32, dib(32, 8)),
                          (48, dib(48, 24))]),
    "CURSOR": lambda: icon([(32, dib(32, 1))], kind=2),
    "BITMAP": lambda: bitmap(*BITMAP_SIZE),
}


def make_pictures(model, folder):
    """Writes a file for each ICON, CURSOR and BITMAP resource of the model
    at the path the script names, taken from a folder four levels inside
    `folder` (so that "..\\res\\app.ico" stays inside too); returns that
    folder, for -I, and the resources made, as (type, name, ordinal)."""
    folder = pathlib.Path(folder).resolve()
    include = folder / "i" / "i" / "i" / "i"
    include.mkdir(parents=True, exist_ok=True)
    made = []
    for resource in model["files"]:
        content = CONTENT.get(resource["type"])
        if content is None:
            continue
        relative = resource["file_written"].replace("\\", "/").lstrip("/")
        path = pathlib.Path(os.path.normpath(include / relative))
        if folder not in path.parents:
            continue
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(content())
        made.append((resource["type"], resource["name"].upper(),
                     resource.get("ordinal")))
    return include, made


def names_picture(made, types, text):
    """Whether a control's text (an ordinal or a name) names a resource of
    one of `types` that was made."""
    for kind, name, ordinal in made:
        if kind not in types:
            continue
        if isinstance(text, int) and ordinal == text:
            return True
        if isinstance(text, str) and ordinal is None and name == text.upper():
            return True
    return False
