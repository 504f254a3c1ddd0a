#!/usr/bin/env python3
"""Draws the data source's bitmaps (ds/ui/res/bitmaps/*.bmp) from the shapes below.

    tools/draw-bitmaps.py [--out DIR] [--png DIR]

The BMP files are checked in; run this after changing a drawing and commit both. --png also writes
enlarged PNG previews for looking at them. Sizes and depths are what the windows expect:
  139 splash.bmp            322 x 242, 256 colours: the product's name over a strip of film
  141 insert.bmp            138 x 208, 16 colours: a cartridge going into the scanner
  142 working.bmp           138 x 208, 16 colours: the scanner reading a strip of film
  135/136/137 eject_*.bmp   16 x 16, 16 colours: eject button pressed, normal, disabled
  143/140/144 turn_*.bmp    16 x 16, 16 colours: turn (up/down) button pressed, normal, disabled
"""
import argparse
import os
import struct
import zlib

# The 16 colours of the standard Windows palette, by name.
VGA = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
    (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
    (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER, GREY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE = \
    VGA

# A 5 x 7 capital font, enough for the product's texts.
FONT = {
    'A': ["01110", "10001", "10001", "11111", "10001", "10001", "10001"],
    'C': ["01110", "10001", "10000", "10000", "10000", "10001", "01110"],
    'E': ["11111", "10000", "10000", "11110", "10000", "10000", "11111"],
    'F': ["11111", "10000", "10000", "11110", "10000", "10000", "10000"],
    'I': ["11111", "00100", "00100", "00100", "00100", "00100", "11111"],
    'K': ["10001", "10010", "10100", "11000", "10100", "10010", "10001"],
    'L': ["10000", "10000", "10000", "10000", "10000", "10000", "11111"],
    'M': ["10001", "11011", "10101", "10101", "10001", "10001", "10001"],
    'N': ["10001", "11001", "10101", "10011", "10001", "10001", "10001"],
    'O': ["01110", "10001", "10001", "10001", "10001", "10001", "01110"],
    'R': ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
    'S': ["01111", "10000", "10000", "01110", "00001", "00001", "11110"],
    'T': ["11111", "00100", "00100", "00100", "00100", "00100", "00100"],
    'V': ["10001", "10001", "10001", "10001", "10001", "01010", "00100"],
    'W': ["10001", "10001", "10001", "10101", "10101", "10101", "01010"],
    'X': ["10001", "10001", "01010", "00100", "01010", "10001", "10001"],
    '9': ["01110", "10001", "10001", "01111", "00001", "00010", "01100"],
    '-': ["00000", "00000", "00000", "11111", "00000", "00000", "00000"],
    ' ': ["00000"] * 7,
}
# 3 x 5 digits for the numbers printed along the film's edge.
DIGITS = {
    '0': ["111", "101", "101", "101", "111"], '1': ["010", "110", "010", "010", "111"],
    '2': ["111", "001", "111", "100", "111"], '3': ["111", "001", "111", "001", "111"],
    '4': ["101", "101", "111", "001", "001"], '5': ["111", "100", "111", "001", "111"],
    '6': ["111", "100", "111", "101", "111"], '7': ["111", "001", "010", "010", "010"],
    '8': ["111", "101", "111", "101", "111"], '9': ["111", "101", "111", "001", "111"],
}


class Canvas:
    def __init__(self, width, height, colour):
        self.width, self.height = width, height
        self.pixels = [[colour] * width for _ in range(height)]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = colour

    def fill(self, x0, y0, x1, y1, colour):
        """Fills x0 <= x < x1, y0 <= y < y1."""
        for y in range(max(0, y0), min(self.height, y1)):
            for x in range(max(0, x0), min(self.width, x1)):
                self.pixels[y][x] = colour

    def frame(self, x0, y0, x1, y1, colour):
        self.fill(x0, y0, x1, y0 + 1, colour)
        self.fill(x0, y1 - 1, x1, y1, colour)
        self.fill(x0, y0, x0 + 1, y1, colour)
        self.fill(x1 - 1, y0, x1, y1, colour)

    def rounded(self, x0, y0, x1, y1, colour):
        self.fill(x0 + 1, y0, x1 - 1, y1, colour)
        self.fill(x0, y0 + 1, x1, y1 - 1, colour)

    def disc(self, cx, cy, r, colour):
        for y in range(cy - r, cy + r + 1):
            for x in range(cx - r, cx + r + 1):
                if (x - cx) ** 2 + (y - cy) ** 2 <= r * r + r:
                    self.put(x, y, colour)

    def polygon(self, points, colour):
        """Even-odd scanline fill of a closed polygon (pixel centres)."""
        ys = [p[1] for p in points]
        for y in range(int(min(ys)), int(max(ys)) + 1):
            yc = y + 0.5
            xs = []
            for (ax, ay), (bx, by) in zip(points, points[1:] + points[:1]):
                if (ay <= yc < by) or (by <= yc < ay):
                    xs.append(ax + (yc - ay) * (bx - ax) / (by - ay))
            xs.sort()
            for a, b in zip(xs[0::2], xs[1::2]):
                for x in range(int(round(a)), int(round(b))):
                    self.put(x, y, colour)

    def line(self, x0, y0, x1, y1, colour):
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
        err = dx + dy
        while True:
            self.put(x0, y0, colour)
            if x0 == x1 and y0 == y1:
                return
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def text(self, x, y, text, scale, colour, font=FONT, width=5):
        for ch in text:
            for row, bits in enumerate(font[ch]):
                for col, bit in enumerate(bits):
                    if bit == '1':
                        self.fill(x + col * scale, y + row * scale, x + (col + 1) * scale,
                                  y + (row + 1) * scale, colour)
            x += (width + 1) * scale

    def vertical_gradient(self, x0, y0, x1, y1, top, bottom, steps):
        for y in range(y0, y1):
            t = (y - y0) / max(1, y1 - y0 - 1)
            t = round(t * (steps - 1)) / (steps - 1)
            c = tuple(int(round(a + (b - a) * t)) for a, b in zip(top, bottom))
            self.fill(x0, y, x1, y + 1, c)


def text_width(text, scale, width=5):
    return len(text) * (width + 1) * scale - scale


# --- 139: the splash and About picture -----------------------------------------------------------------

def film_scene(c, x0, y0, w, h, kind):
    """One frame's picture on the strip of film."""
    if kind == 0:  # sunset over hills
        c.vertical_gradient(x0, y0, x0 + w, y0 + h, (250, 200, 90), (200, 70, 60), 12)
        c.disc(x0 + w // 2, y0 + h * 3 // 5, h // 5, (255, 240, 170))
        c.polygon([(x0, y0 + h), (x0, y0 + h * 3 // 4), (x0 + w // 3, y0 + h * 3 // 5),
                   (x0 + w * 2 // 3, y0 + h * 4 // 5), (x0 + w, y0 + h * 2 // 3), (x0 + w, y0 + h)], (70, 40, 50))
    elif kind == 1:  # sailing boat on the sea
        c.vertical_gradient(x0, y0, x0 + w, y0 + h * 3 // 5, (120, 180, 235), (190, 220, 245), 8)
        c.vertical_gradient(x0, y0 + h * 3 // 5, x0 + w, y0 + h, (40, 100, 170), (20, 60, 120), 6)
        c.polygon([(x0 + w // 2, y0 + 6), (x0 + w // 2, y0 + h * 3 // 5 - 2), (x0 + w // 2 + 14, y0 + h * 3 // 5 - 2)],
                  (250, 250, 250))
        c.polygon([(x0 + w // 2 - 14, y0 + h * 3 // 5), (x0 + w // 2 + 18, y0 + h * 3 // 5),
                   (x0 + w // 2 + 12, y0 + h * 3 // 5 + 5), (x0 + w // 2 - 9, y0 + h * 3 // 5 + 5)], (140, 60, 40))
    elif kind == 2:  # pine wood
        c.vertical_gradient(x0, y0, x0 + w, y0 + h, (200, 230, 200), (120, 170, 110), 8)
        for i, tx in enumerate(range(x0 + 6, x0 + w, 13)):
            top = y0 + 6 + (i % 2) * 6
            c.polygon([(tx, top), (tx - 8, y0 + h - 8), (tx + 8, y0 + h - 8)], (30, 90, 50))
            c.fill(tx - 1, y0 + h - 8, tx + 2, y0 + h - 3, (90, 60, 40))
        c.fill(x0, y0 + h - 3, x0 + w, y0 + h, (80, 120, 60))
    else:  # snow peak
        c.vertical_gradient(x0, y0, x0 + w, y0 + h, (70, 110, 190), (160, 190, 230), 10)
        c.polygon([(x0, y0 + h), (x0 + w * 2 // 5, y0 + 8), (x0 + w * 3 // 4, y0 + h // 2), (x0 + w, y0 + h // 3),
                   (x0 + w, y0 + h)], (90, 90, 110))
        c.polygon([(x0 + w * 2 // 5, y0 + 8), (x0 + w * 2 // 5 - 8, y0 + 20), (x0 + w * 2 // 5 + 9, y0 + 19)],
                  (245, 245, 250))


def draw_splash():
    w, h = 322, 242
    c = Canvas(w, h, (0, 0, 0))
    c.vertical_gradient(0, 0, w, h, (12, 22, 60), (40, 70, 130), 48)
    # The name, with a shadow.
    name_scale = 5
    x = (w - text_width("NORVIK", name_scale)) // 2
    c.text(x + 3, 17, "NORVIK", name_scale, (5, 10, 30))
    c.text(x, 14, "NORVIK", name_scale, (250, 250, 250))
    model_scale = 3
    x = (w - text_width("LX-9", model_scale)) // 2
    c.text(x + 2, 58, "LX-9", model_scale, (5, 10, 30))
    c.text(x, 56, "LX-9", model_scale, (255, 190, 60))
    # A strip of film across the picture: sprocket holes above and below four frames.
    top, bottom = 90, 168
    film = (28, 22, 18)
    c.fill(0, top, w, bottom, film)
    c.fill(0, top, w, top + 1, (70, 55, 40))
    c.fill(0, bottom - 1, w, bottom, (70, 55, 40))
    for hx in range(4, w, 13):
        c.rounded(hx, top + 4, hx + 7, top + 10, (225, 215, 190))
        c.rounded(hx, bottom - 10, hx + 7, bottom - 4, (225, 215, 190))
    frame_w, gap = 70, 8
    x0 = (w - (4 * frame_w + 3 * gap)) // 2
    for i in range(4):
        fx = x0 + i * (frame_w + gap)
        film_scene(c, fx, top + 14, frame_w, bottom - top - 28, i)
        c.frame(fx - 1, top + 13, fx + frame_w + 1, bottom - 13, (60, 50, 40))
        c.text(fx + 2, bottom - 12 + 1, "%d" % (12 + i), 1, (240, 160, 40), DIGITS, 3)
    # What it is.
    sub_scale = 2
    x = (w - text_width("FILM SCANNER", sub_scale)) // 2
    c.text(x, 184, "FILM SCANNER", sub_scale, (225, 230, 240))
    c.fill(60, 206, w - 60, 207, (255, 190, 60))
    x = (w - text_width("TWAIN", sub_scale)) // 2
    c.text(x, 214, "TWAIN", sub_scale, (160, 180, 215))
    return c


# --- 141 and 142: the preparing dialog's pictures ----------------------------------------------------------

def scanner_body(c, top):
    """The LX-9 seen from the front, its slot at y = top + 6."""
    c.fill(14, top, 124, top + 10, SILVER)          # top face
    c.fill(14, top, 124, top + 1, WHITE)
    c.fill(30, top + 4, 108, top + 8, BLACK)        # the cartridge slot
    c.fill(30, top + 8, 108, top + 9, GREY)
    c.fill(10, top + 10, 128, top + 56, GREY)       # front
    c.fill(10, top + 10, 128, top + 11, SILVER)
    c.frame(10, top, 128, top + 56, BLACK)
    c.fill(18, top + 20, 64, top + 24, SILVER)      # a name plate
    c.fill(18, top + 26, 48, top + 28, SILVER)
    c.fill(14, top + 56, 26, top + 60, BLACK)       # feet
    c.fill(112, top + 56, 124, top + 60, BLACK)


def cartridge(c, x, y, h):
    """A film cartridge of height h (cut off at the bottom when partly inserted)."""
    c.fill(x, y, x + 56, y + h, NAVY)
    c.frame(x, y, x + 56, y + h, BLACK)
    c.fill(x + 6, y + 6, x + 50, y + 20, WHITE)      # its label
    c.fill(x + 8, y + 9, x + 30, y + 11, RED)
    c.fill(x + 8, y + 14, x + 40, y + 16, GREY)
    if h > 30:
        c.fill(x + 16, y + 26, x + 40, y + min(h - 4, 44), TEAL)  # the film window
        c.frame(x + 16, y + 26, x + 40, y + min(h - 4, 44), BLACK)


def draw_insert():
    c = Canvas(138, 208, WHITE)
    c.frame(0, 0, 138, 208, GREY)
    scanner_body(c, 130)
    c.fill(112, 150, 118, 154, GREY)                # LED off: nothing loaded yet
    c.frame(111, 149, 119, 155, BLACK)
    cartridge(c, 41, 22, 62)
    # The way in: an arrow down to the slot, with motion marks.
    c.polygon([(62, 92), (76, 92), (76, 108), (86, 108), (69, 126), (52, 108), (62, 108)], RED)
    for mx in (34, 104):
        for my in range(28, 80, 10):
            c.fill(mx, my, mx + 1, my + 5, GREY)
    return c


def draw_working():
    c = Canvas(138, 208, WHITE)
    c.frame(0, 0, 138, 208, GREY)
    scanner_body(c, 130)
    c.fill(112, 150, 118, 154, LIME)                # LED on: at work
    c.frame(111, 149, 119, 155, BLACK)
    cartridge(c, 41, 96, 38)                        # half way in
    scanner_body(c, 130)                            # the slot hides the rest of it
    c.fill(41, 130, 97, 134, NAVY)
    c.frame(41, 130, 97, 134, BLACK)
    c.fill(30, 134, 108, 138, BLACK)
    # A strip of film passing the light of the scan head.
    top, bottom = 30, 76
    c.fill(0, top, 138, bottom, BLACK)
    for hx in range(3, 138, 10):
        c.fill(hx, top + 3, hx + 5, top + 7, WHITE)
        c.fill(hx, bottom - 7, hx + 5, bottom - 3, WHITE)
    colours = [OLIVE, TEAL, MAROON, GREEN]
    for i, fx in enumerate(range(4, 138, 34)):
        c.fill(fx, top + 10, fx + 30, bottom - 10, colours[i % 4])
        c.disc(fx + 10, top + 18, 4, YELLOW if i % 2 == 0 else WHITE)
        c.polygon([(fx, bottom - 10), (fx + 14, top + 22), (fx + 30, bottom - 10)], colours[(i + 1) % 4])
    # The scan line with its glow, and the beam from the head below.
    c.fill(66, top - 6, 72, bottom + 6, AQUA)
    c.fill(68, top - 8, 70, bottom + 8, WHITE)
    c.fill(56, bottom + 8, 82, bottom + 16, GREY)   # the scan head
    c.frame(56, bottom + 8, 82, bottom + 16, BLACK)
    for bx in (60, 64, 74, 78):
        c.line(69, bottom + 8, bx, bottom + 1, YELLOW)
    # An arrow: the strip moves to the right.
    for ay in (top - 14,):
        c.polygon([(98, ay - 3), (110, ay - 3), (110, ay - 7), (120, ay), (110, ay + 7), (110, ay + 3), (98, ay + 3)],
                  BLUE)
    return c


# --- 135-137, 140, 143, 144: the owner-drawn buttons --------------------------------------------------------

def button(pressed):
    c = Canvas(16, 16, SILVER)
    if pressed:
        c.fill(0, 0, 16, 1, BLACK)
        c.fill(0, 0, 1, 16, BLACK)
        c.fill(1, 1, 15, 2, GREY)
        c.fill(1, 1, 2, 15, GREY)
        c.fill(0, 15, 16, 16, WHITE)
        c.fill(15, 0, 16, 16, WHITE)
    else:
        c.fill(0, 0, 16, 1, WHITE)
        c.fill(0, 0, 1, 16, WHITE)
        c.fill(0, 15, 16, 16, BLACK)
        c.fill(15, 0, 16, 16, BLACK)
        c.fill(1, 14, 15, 15, GREY)
        c.fill(14, 1, 15, 15, GREY)
    return c


def eject_icon(c, dx, dy, colour):
    c.polygon([(8 + dx, 2 + dy), (2 + dx, 8.5 + dy), (14 + dx, 8.5 + dy)], colour)
    c.fill(3 + dx, 10 + dy, 13 + dx, 12 + dy, colour)


def turn_icon(c, dx, dy, colour):
    # Up on the left, down on the right: the pictures are turned over.
    c.polygon([(5 + dx, 2 + dy), (1.5 + dx, 6 + dy), (8.5 + dx, 6 + dy)], colour)
    c.fill(4 + dx, 6 + dy, 6 + dx, 13 + dy, colour)
    c.polygon([(11 + dx, 14 + dy), (7.5 + dx, 10 + dy), (14.5 + dx, 10 + dy)], colour)
    c.fill(10 + dx, 3 + dy, 12 + dx, 10 + dy, colour)


def button_set(icon):
    normal = button(False)
    icon(normal, 0, 0, BLACK)
    pressed = button(True)
    icon(pressed, 1, 1, BLACK)
    disabled = button(False)
    icon(disabled, 1, 1, WHITE)
    icon(disabled, 0, 0, GREY)
    return normal, pressed, disabled


# --- files -------------------------------------------------------------------------------------------------

def write_bmp(path, canvas, bits):
    if bits == 4:
        palette = VGA
        index = {colour: i for i, colour in enumerate(VGA)}
    else:
        palette = sorted({p for row in canvas.pixels for p in row})
        if len(palette) > 256:
            raise SystemExit("%s: %d colours do not fit a 256-colour bitmap" % (path, len(palette)))
        palette += [(0, 0, 0)] * (256 - len(palette))
        index = {}
        for i, colour in enumerate(palette):
            index.setdefault(colour, i)
    rows = []
    for row in reversed(canvas.pixels):
        try:
            indices = [index[p] for p in row]
        except KeyError as missing:
            raise SystemExit("%s: colour %s is not in the 16-colour palette" % (path, missing))
        if bits == 4:
            if len(indices) % 2:
                indices.append(0)
            data = bytes(indices[i] << 4 | indices[i + 1] for i in range(0, len(indices), 2))
        else:
            data = bytes(indices)
        rows.append(data + b"\0" * (-len(data) % 4))
    pixels = b"".join(rows)
    colours = 16 if bits == 4 else 256
    header = struct.pack("<IiiHHIIiiII", 40, canvas.width, canvas.height, 1, bits, 0, len(pixels), 2835, 2835,
                         colours, 0)
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette[:colours])
    offset = 14 + len(header) + len(table)
    with open(path, "wb") as out:
        out.write(struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset))
        out.write(header + table + pixels)


def write_png(path, canvas, zoom):
    raw = b""
    for row in canvas.pixels:
        line = b"".join(bytes(p) * zoom for p in row)
        raw += (b"\0" + line) * zoom

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    ihdr = struct.pack(">IIBBBBB", canvas.width * zoom, canvas.height * zoom, 8, 2, 0, 0, 0)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", zlib.compress(raw, 9)) +
                  chunk(b"IEND", b""))


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--out", default=os.path.join(root, "ds", "ui", "res", "bitmaps"))
    parser.add_argument("--png", help="also write enlarged PNG previews into this folder")
    args = parser.parse_args()
    eject = button_set(eject_icon)
    turn = button_set(turn_icon)
    pictures = [
        ("splash", draw_splash(), 8, 1),
        ("insert", draw_insert(), 4, 2),
        ("working", draw_working(), 4, 2),
        ("eject_normal", eject[0], 4, 8), ("eject_pressed", eject[1], 4, 8), ("eject_disabled", eject[2], 4, 8),
        ("turn_normal", turn[0], 4, 8), ("turn_pressed", turn[1], 4, 8), ("turn_disabled", turn[2], 4, 8),
    ]
    os.makedirs(args.out, exist_ok=True)
    for name, canvas, bits, zoom in pictures:
        write_bmp(os.path.join(args.out, name + ".bmp"), canvas, bits)
        if args.png:
            os.makedirs(args.png, exist_ok=True)
            write_png(os.path.join(args.png, name + ".png"), canvas, zoom)


if __name__ == "__main__":
    main()
