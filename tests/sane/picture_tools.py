#!/usr/bin/env python3
"""Pictures of the LX-9 tests read with the standard library alone: binary PNM (P6) as scanimage writes it,
and 8-bit RGB or RGBA PNG without interlacing as lx9acquire writes it; both come out as top-down RGB rows.

  picture_tools.py size FILE                 width and height
  picture_tools.py dark FILE X0 Y0 X1 Y1     per cent of pixels darker than 64 in [X0,X1)x[Y0,Y1), every other one
  picture_tools.py same A B                  exit 0 when both hold the same pixels, else the first difference
  picture_tools.py within BIG SMALL X Y      exit 0 when SMALL's pixels are BIG's with SMALL's top left at X, Y
"""
import struct
import sys
import zlib


def read_pnm(data):
    fields, pos = [], 2
    while len(fields) < 3:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos) + 1
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(int(data[pos:end]))
        pos = end
    width, height, maxval = fields
    if maxval != 255:
        raise ValueError("only 8-bit PNM")
    pixels = data[pos + 1:pos + 1 + width * height * 3]
    if len(pixels) != width * height * 3:
        raise ValueError("PNM cut short")
    return width, height, pixels


def paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    return a if pa <= pb and pa <= pc else b if pb <= pc else c


def read_png(data):
    pos, idat, header = 8, b"", None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        elif kind == b"IEND":
            break
        pos += 12 + length
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or colour not in (2, 6) or interlace != 0:
        raise ValueError("only 8-bit RGB or RGBA PNG without interlacing")
    channels = 3 if colour == 2 else 4
    raw = zlib.decompress(idat)
    stride = width * channels
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            left = line[i - channels] if i >= channels else 0
            up = previous[i]
            upper_left = previous[i - channels] if i >= channels else 0
            predictor = (0, left, up, (left + up) // 2, paeth(left, up, upper_left))[kind]
            line[i] = (line[i] + predictor) & 0xFF
        rows.append(line)
        previous = line
    rgb = bytearray()
    for line in rows:
        if channels == 3:
            rgb += line
        else:
            for x in range(width):
                rgb += line[x * 4:x * 4 + 3]
    return width, height, bytes(rgb)


def read_picture(path):
    with open(path, "rb") as f:
        data = f.read()
    if data[:2] == b"P6":
        return read_pnm(data)
    if data[:8] == b"\x89PNG\r\n\x1a\n":
        return read_png(data)
    raise ValueError(path + ": neither binary PNM nor PNG")


def main(args):
    if args[0] == "size":
        width, height, _ = read_picture(args[1])
        print(width, height)
        return 0
    if args[0] == "dark":
        width, height, rgb = read_picture(args[1])
        x0, y0, x1, y1 = (int(a) for a in args[2:6])
        dark = total = 0
        # Every other pixel each way: the scenes' shapes are far larger than that.
        for y in range(max(y0, 0), min(y1, height), 2):
            for x in range(max(x0, 0), min(x1, width), 2):
                i = (y * width + x) * 3
                total += 1
                dark += max(rgb[i:i + 3]) < 64
        print(100 * dark // max(total, 1))
        return 0
    if args[0] == "same":
        a, b = read_picture(args[1]), read_picture(args[2])
        if a[:2] != b[:2]:
            print("sizes differ: %dx%d and %dx%d" % (a[0], a[1], b[0], b[1]))
            return 1
        if a[2] != b[2]:
            index = next(i for i in range(len(a[2])) if a[2][i] != b[2][i]) // 3
            print("first difference at x %d, y %d" % (index % a[0], index // a[0]))
            return 1
        return 0
    if args[0] == "within":
        big_width, big_height, big = read_picture(args[1])
        width, height, small = read_picture(args[2])
        x, y = int(args[3]), int(args[4])
        if x < 0 or y < 0 or x + width > big_width or y + height > big_height:
            return 1
        rows = range(height)
        return 0 if all(big[((y + r) * big_width + x) * 3:((y + r) * big_width + x + width) * 3] ==
                        small[r * width * 3:(r + 1) * width * 3] for r in rows) else 1
    print(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
