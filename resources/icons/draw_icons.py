#!/usr/bin/env python3
"""Draws Vidizizor's pictures and writes every file made from them.

The pictures are defined in code and in character grids (the toolbar's in
toolbar_pictures.py beside this script), so that they can be reviewed and
changed as text. Running the script rewrites, in the
folder that holds it:

  vidizizor-32.xpm, vidizizor-16.xpm   application icon (16-colour VGA palette,
                                       transparent background)
  vidizizor-32.png, vidizizor-16.png   the same, for the desktop icon theme
  vidizizor-48.png                     the pencil drawn at 48 x 48, for the
                                       desktop icon theme only
  vidizizor.svg                        the pencil as a vector drawing, for the
                                       icon theme's scalable size
  vidizizor.ico                        the same, as a Windows icon file
  vidizizor-32.dib, vidizizor-16.dib   the two icon images as Windows icon
                                       resources (what an .ico holds per image)
  vidizizor-group.bin                  the Windows icon group that names the two
                                       images by resource id 30001 and 30002
  iml01.xpm ... iml13.xpm              toolbar pictures, 16 x 16, on a silver
                                       background that the program shows as
                                       transparent
  iml01-32.xpm ... iml13-32.xpm        the same pictures drawn at 32 x 32, for
                                       screens that scale the program up

Options:
  --check         write nothing; fail if any file differs from what the
                  drawings give (run it before committing a drawing change)
  --sheet PATH    also write a contact sheet of every picture, enlarged, as PNG

Only the Python standard library is used.
"""

import argparse
import struct
import sys
import zlib
from pathlib import Path

from toolbar_pictures import MASK, TOOLBAR, toolbar_picture

HERE = Path(__file__).resolve().parent

# ---------------------------------------------------------------------------
# Colours
# ---------------------------------------------------------------------------

# The 16 colours of the VGA palette, in the order of the Windows palette that
# a 4-bit icon carries.
VGA = [
    (0x00, 0x00, 0x00),  # 0 black
    (0x80, 0x00, 0x00),  # 1 maroon
    (0x00, 0x80, 0x00),  # 2 green
    (0x80, 0x80, 0x00),  # 3 olive
    (0x00, 0x00, 0x80),  # 4 navy
    (0x80, 0x00, 0x80),  # 5 purple
    (0x00, 0x80, 0x80),  # 6 teal
    (0xC0, 0xC0, 0xC0),  # 7 silver
    (0x80, 0x80, 0x80),  # 8 grey
    (0xFF, 0x00, 0x00),  # 9 red
    (0x00, 0xFF, 0x00),  # 10 lime
    (0xFF, 0xFF, 0x00),  # 11 yellow
    (0x00, 0x00, 0xFF),  # 12 blue
    (0xFF, 0x00, 0xFF),  # 13 fuchsia
    (0x00, 0xFF, 0xFF),  # 14 aqua
    (0xFF, 0xFF, 0xFF),  # 15 white
]
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER, GREY, RED, LIME, \
    YELLOW, BLUE, FUCHSIA, AQUA, WHITE = range(16)

# ---------------------------------------------------------------------------
# Toolbar pictures at 32 x 32
# ---------------------------------------------------------------------------

def doubled(pixels):
    """Draws a picture again at twice its size with the Scale2x rule.

    Each pixel becomes four. A corner of the four takes the colour of the two
    neighbours that meet there when they agree and the picture does not run
    straight through, so diagonal edges and curves come out as finer steps
    instead of the coarse steps of plain enlarging or the blur of smooth
    scaling; straight edges, flat areas and colours stay as drawn.
    """
    height, width = len(pixels), len(pixels[0])

    def at(x, y):
        return pixels[min(max(y, 0), height - 1)][min(max(x, 0), width - 1)]

    out = []
    for y in range(height):
        top, bottom = [], []
        for x in range(width):
            e = pixels[y][x]
            above, left, right, below = at(x, y - 1), at(x - 1, y), at(x + 1, y), at(x, y + 1)
            if above != below and left != right:
                top += [left if left == above else e, right if right == above else e]
                bottom += [left if left == below else e, right if right == below else e]
            else:
                top += [e, e]
                bottom += [e, e]
        out += [top, bottom]
    return out


# ---------------------------------------------------------------------------
# Application icon: a red pencil lying diagonally, point to the lower left
# ---------------------------------------------------------------------------

# Measures of the pencil at each size, in the coordinates described in pencil():
# half   half the width across the pencil
# tip    a at the graphite point
# lead   length of the graphite, from the point
# wood   length of the sharpened wood after the graphite
# band   a where the metal band starts
# eraser a where the eraser starts
# end    a at the eraser's end
# shade  width of the shaded face on the lower-right side
PENCIL = {
    32: dict(half=4, tip=-29, lead=3, wood=7, band=15, eraser=21, end=25, shade=2),
    16: dict(half=2, tip=-13, lead=2, wood=3, band=5, eraser=9, end=11, shade=1),
    48: dict(half=6, tip=-44, lead=4, wood=10, band=23, eraser=32, end=37, shade=3),
}


def pencil(size):
    """Draws the pencil at `size` x `size` as VGA palette indices.

    None marks transparent pixels. The pencil lies along the anti-diagonal.
    Each pixel is measured in two 45-degree coordinates: `a` = x - y runs
    along the pencil from the point (lower left) to the eraser (upper right);
    `d` = x + y - (size - 1) runs across it, negative on the upper-left side,
    where the light comes from.
    """
    m = PENCIL[size]
    half, tip, cone = m["half"], m["tip"], m["lead"] + m["wood"]

    def colour(a, d):
        if a < tip or a > m["end"] or abs(d) > half:
            return None
        step = a - tip
        if step < cone:
            # The sharpened cone widens to the full width where the body starts.
            if abs(d) * cone > (step + 1) * half:
                return None
            if step < m["lead"]:
                return BLACK
            return YELLOW if d < half // 2 else OLIVE
        if a >= m["eraser"]:
            return FUCHSIA if d < half else PURPLE
        if a >= m["band"]:
            # Grooves across the metal band where there is room for them.
            if size >= 32 and (a - m["band"]) // 2 % 2 == 1:
                return GREY
            return WHITE if d < -half // 2 else SILVER if d < half else GREY
        return MAROON if d > half - m["shade"] else RED

    image = [[colour(x - y, x + y - size + 1) for x in range(size)] for y in range(size)]
    # A black outline around the whole shape, except beyond the point, so that
    # the graphite ends in a point and not in a cross.
    outlined = [row[:] for row in image]
    for y in range(size):
        for x in range(size):
            if image[y][x] is not None:
                continue
            for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
                nx, ny = x + dx, y + dy
                if 0 <= nx < size and 0 <= ny < size and image[ny][nx] is not None and x - y >= tip:
                    outlined[y][x] = BLACK
                    break
    return outlined


def pencil_svg(size):
    """The pencil of pencil(size) as an SVG drawing of `size` x `size` units.

    The shapes are drawn in the same a, d coordinates as pencil(), with pixel
    edges half a unit outside the pixel centres; one matrix turns them into
    the picture's x, y (a and d both step by one per pixel, so the matrix also
    scales by 1 / sqrt(2)).
    """
    m = PENCIL[size]
    half, cone = m["half"], m["lead"] + m["wood"]
    width = half + 0.5
    point = m["tip"] - 0.5
    body = point + cone
    lead = point + m["lead"]
    lead_width = width * m["lead"] / cone
    light = half // 2 - 0.5  # where the wood's lit face ends
    light_from = point + light * cone / width
    band, eraser, end = m["band"] - 0.5, m["eraser"] - 0.5, m["end"] + 0.5

    def shape(colour, *points):
        text = " ".join(f"{a:g},{d:g}" for a, d in points)
        return f'    <polygon fill="#%02X%02X%02X" points="{text}"/>' % VGA[colour]

    def strip(colour, a0, a1, d0, d1):
        return shape(colour, (a0, d0), (a1, d0), (a1, d1), (a0, d1))

    parts = [
        shape(BLACK, (point, 0), (lead, -lead_width), (lead, lead_width)),
        shape(YELLOW, (lead, -lead_width), (body, -width), (body, width), (lead, lead_width)),
        shape(OLIVE, (light_from, light), (body, light), (body, width)),
        strip(RED, body, band, -width, width),
        strip(MAROON, body, band, width - m["shade"], width),
        strip(WHITE, band, eraser, -width, -(half // 2) - 0.5),
        strip(SILVER, band, eraser, -(half // 2) - 0.5, half - 0.5),
        strip(GREY, band, eraser, half - 0.5, width),
    ]
    # The grooves across the metal band, as in the pixel drawing.
    for groove in range(m["band"] + 2, m["eraser"], 4):
        parts.append(strip(GREY, groove - 0.5, min(groove + 1.5, eraser), -width, width))
    parts += [
        strip(FUCHSIA, eraser, end, -width, half - 0.5),
        strip(PURPLE, eraser, end, half - 0.5, width),
        f'    <path fill="none" stroke="#000000" stroke-width="2" stroke-linejoin="round" '
        f'd="M{point:g},0 L{body:g},{-width:g} L{end:g},{-width:g} L{end:g},{width:g} '
        f'L{body:g},{width:g} Z"/>',
    ]
    centre = size / 2
    lines = ['<?xml version="1.0" encoding="UTF-8"?>',
             f'<svg xmlns="http://www.w3.org/2000/svg" width="{size}" height="{size}" '
             f'viewBox="0 0 {size} {size}">',
             f'  <g transform="matrix(0.5 -0.5 0.5 0.5 {centre:g} {centre:g})">',
             *parts, "  </g>", "</svg>"]
    return ("\n".join(lines) + "\n").encode("ascii")


# ---------------------------------------------------------------------------
# File formats
# ---------------------------------------------------------------------------

XPM_KEYS = ".#abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"


def xpm(name, pixels):
    """XPM text for rows of RGB tuples; None is written as the colour None."""
    height, width = len(pixels), len(pixels[0])
    colours = []
    for row in pixels:
        for c in row:
            if c not in colours:
                colours.append(c)
    # Transparent first, then in the order of first use: stable output.
    colours.sort(key=lambda c: c is not None)
    keys = {c: XPM_KEYS[i] for i, c in enumerate(colours)}
    lines = ["/* XPM */", f"static const char *{name}[] = {{",
             f'"{width} {height} {len(colours)} 1",']
    for c in colours:
        value = "None" if c is None else "#%02X%02X%02X" % c
        lines.append(f'"{keys[c]} c {value}",')
    for i, row in enumerate(pixels):
        text = "".join(keys[c] for c in row)
        lines.append(f'"{text}"' + ("," if i + 1 < height else ""))
    lines.append("};")
    return ("\n".join(lines) + "\n").encode("ascii")


def png(pixels, scale=1):
    """An 8-bit RGBA PNG of rows of RGB tuples (None is transparent)."""
    height, width = len(pixels) * scale, len(pixels[0]) * scale
    raw = bytearray()
    for row in pixels:
        line = bytearray([0])  # filter: none
        for c in row:
            rgba = bytes((0, 0, 0, 0)) if c is None else bytes(c) + b"\xff"
            line += rgba * scale
        raw += bytes(line) * scale

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def icon_image(indices):
    """A 4-bit Windows icon image: header, palette, colour bits, mask bits.

    `indices` holds VGA palette indices, None for transparent pixels. Rows are
    stored bottom-up, each padded to four bytes; transparent pixels are black
    in the colour bits and set in the mask.
    """
    size = len(indices)
    colour_stride = ((size * 4 + 31) // 32) * 4
    mask_stride = ((size + 31) // 32) * 4
    colour_bits = bytearray()
    mask_bits = bytearray()
    for row in reversed(indices):
        line = bytearray(colour_stride)
        mask = bytearray(mask_stride)
        for x, index in enumerate(row):
            if index is None:
                mask[x // 8] |= 0x80 >> (x % 8)
                index = BLACK
            line[x // 2] |= index << (4 if x % 2 == 0 else 0)
        colour_bits += line
        mask_bits += mask
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0,
                         len(colour_bits) + len(mask_bits), 0, 0, 0, 0)
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in VGA)
    return header + palette + bytes(colour_bits) + bytes(mask_bits)


def icon_entry(size, data):
    """The directory fields shared by an .ico file and an icon group."""
    return struct.pack("<BBBBHHI", size % 256, size % 256, 16, 0, 1, 4, len(data))


def ico_file(images):
    """A Windows .ico file holding `images`, a list of (size, image bytes)."""
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = len(out) + 16 * len(images)
    for size, data in images:
        out += icon_entry(size, data) + struct.pack("<I", offset)
        offset += len(data)
    return out + b"".join(data for _, data in images)


def icon_group(images):
    """A Windows icon group resource: (size, image bytes, resource id) each."""
    out = struct.pack("<HHH", 0, 1, len(images))
    for size, data, resource_id in images:
        out += icon_entry(size, data) + struct.pack("<H", resource_id)
    return out


# ---------------------------------------------------------------------------
# Contact sheet
# ---------------------------------------------------------------------------

def contact_sheet(pictures, zoom=8, gap=8, columns=8):
    """The pictures in a grid, enlarged `zoom` times, as PNG.

    Each picture is shown twice, side by side: as drawn (transparent pixels
    silver) and over white with the toolbar pictures' silver masked out.
    """
    backdrop = (0xF0, 0xF0, 0xF0)
    cell = max(len(p) for _, p in pictures) * zoom
    cells = []
    for name, pic in pictures:
        for masked in (False, True):
            block = []
            for y in range(cell):
                line = []
                for x in range(cell):
                    py, px = y // zoom, x // zoom
                    if py >= len(pic) or px >= len(pic[0]):
                        line.append(backdrop)
                        continue
                    c = pic[py][px]
                    if c is None or (masked and c == MASK and name.startswith("iml")):
                        c = (0xFF, 0xFF, 0xFF) if masked else MASK
                    line.append(c)
                block.append(line)
            cells.append(block)
    per_row = columns * 2
    rows_out = []
    for start in range(0, len(cells), per_row):
        group = cells[start:start + per_row]
        rows_out.extend([[backdrop] * (gap + per_row * (cell + gap))] * gap)
        for y in range(cell):
            line = [backdrop] * gap
            for block in group:
                line += block[y] + [backdrop] * gap
            line += [backdrop] * ((per_row - len(group)) * (cell + gap))
            rows_out.append(line)
    rows_out.extend([[backdrop] * (gap + per_row * (cell + gap))] * gap)
    return png(rows_out)


# ---------------------------------------------------------------------------

def outputs():
    """Every file the drawings give, as {file name: bytes}."""
    files = {}
    icons = {}
    for size in (32, 16):
        indices = pencil(size)
        rgb = [[None if i is None else VGA[i] for i in row] for row in indices]
        icons[size] = (indices, rgb)
        files[f"vidizizor-{size}.xpm"] = xpm(f"vidizizor_{size}", rgb)
        files[f"vidizizor-{size}.png"] = png(rgb)
        files[f"vidizizor-{size}.dib"] = icon_image(indices)
    icons[48] = (pencil(48), [[None if i is None else VGA[i] for i in row] for row in pencil(48)])
    files["vidizizor-48.png"] = png(icons[48][1])
    files["vidizizor.svg"] = pencil_svg(48)
    images = [(size, files[f"vidizizor-{size}.dib"]) for size in (32, 16)]
    files["vidizizor.ico"] = ico_file(images)
    files["vidizizor-group.bin"] = icon_group(
        [(32, images[0][1], 30001), (16, images[1][1], 30002)])
    for number, (name, rows) in enumerate(TOOLBAR, start=1):
        picture = toolbar_picture(rows)
        files[f"iml{number:02d}.xpm"] = xpm(f"iml{number:02d}_{name}", picture)
        files[f"iml{number:02d}-32.xpm"] = xpm(f"iml{number:02d}_{name}_32", doubled(picture))
    return files, icons


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--check", action="store_true",
                        help="fail if a written file differs from the drawings")
    parser.add_argument("--sheet", metavar="PATH", help="write an enlarged contact sheet")
    args = parser.parse_args()

    files, icons = outputs()
    if args.check:
        stale = [name for name, data in files.items()
                 if not (HERE / name).exists() or (HERE / name).read_bytes() != data]
        for name in stale:
            print(f"not up to date: {name}", file=sys.stderr)
        return 1 if stale else 0
    for name, data in files.items():
        (HERE / name).write_bytes(data)
    if args.sheet:
        pictures = [("app48", icons[48][1]), ("app32", icons[32][1]), ("app16", icons[16][1])]
        for n, (_, rows) in enumerate(TOOLBAR, start=1):
            pictures += [(f"iml{n:02d}", toolbar_picture(rows)),
                         (f"iml{n:02d}-32", doubled(toolbar_picture(rows)))]
        Path(args.sheet).write_bytes(contact_sheet(pictures))
    return 0


if __name__ == "__main__":
    sys.exit(main())
