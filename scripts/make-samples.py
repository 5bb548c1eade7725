#!/usr/bin/env python3
"""Writes the sample projects of samples/ (run from the repository root). The projects are plain text;
this script only saves typing and keeps the picture of the picture sample reproducible."""
import base64, math, struct, zlib

def colour(r, g, b):
    return r | (g << 8) | (b << 16)

def line(kind, fields):
    return kind + "".join(f",{k}={v}" for k, v in fields)

def background(w, h, delay=100, backgr=16777215, add_grad=0, gradient=0, g1=16777215, g2=11184640,
               loop=1, transp=0, tr=0, max_colors=256):
    return line("Main Background", [("DeskTopColor", 11184810), ("W", w), ("H", h), ("Delay", delay),
        ("BackgrColor", backgr), ("AddGrad", add_grad), ("Gradient", gradient), ("GradColor1", g1),
        ("GradColor2", g2), ("Loop", loop), ("Transp", transp), ("TrColor", tr), ("MaxColors", max_colors)])

def border(add=0, w1=1, w2=4, col1=16746496):
    return line("Border", [("W1", w1), ("W2", w2), ("AddBorders", add), ("OuterStyle", 2), ("InnerStyle", 1),
        ("Col1", col1), ("Col2", 16767147), ("Col3", 11033088)])

def shape(kind, x, y, w, h, backgr=8978431, border_col=255, border_w=3, fill=0, radius=0, angle=0,
          g1=16777215, g2=16746700, transp=255, visible=1):
    return line(kind, [("X", x), ("Y", y), ("W", w), ("H", h), ("Transp", transp), ("BackgrColor", backgr),
        ("BorderColor", border_col), ("BorderW", border_w), ("FillType", fill), ("Radius", radius),
        ("Angle", angle), ("GradColor1", g1), ("GradColor2", g2), ("Visible", visible)])

def text(x, y, txt, size=36, fcolor=16746496, bold=0, border_col=8930304, border_w=2, fill=1,
         g1=16777215, g2=16746496, angle=0, spacing=1, name="Arial"):
    return line("Text", [("X", x), ("Y", y), ("W", 100), ("H", 50), ("Transp", 255), ("FName", name),
        ("FSize", size), ("FColor", fcolor), ("FBold", bold), ("FItalic", 0), ("FUnderline", 0),
        ("FStrikeout", 0), ("BorderColor", border_col), ("BorderW", border_w), ("AutoSize", 1), ("Fill", fill),
        ("GradColor1", g1), ("GradColor2", g2), ("Angle", angle), ("Antialiasing", 1), ("Visible", 1),
        ("Spacing", spacing), ("Txt", txt.replace(",", "=&#130;"))])

def picture(x, y, w0, h0, name, angle=0, transp=255):
    return line("Picture", [("X", x), ("Y", y), ("W0", w0), ("H0", h0), ("W", w0), ("H", h0),
        ("AutoSize", 1), ("Angle", angle), ("Transp", transp), ("Visible", 1), ("FileName", name)])

def png(width, height, pixel):
    raw = b"".join(b"\0" + b"".join(bytes(pixel(x, y)) for x in range(width)) for y in range(height))
    def chunk(tag, data):
        return struct.pack(">I", len(data)) + tag + data + struct.pack(">I", zlib.crc32(tag + data) & 0xFFFFFFFF)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))

def write(path, frames, pictures=()):
    out = [b"[Morlo Project File v.2.0]"]
    for name, data in pictures:
        out.append(b"{Picture=" + name.encode())
        encoded = base64.b64encode(data)
        out += [encoded[i:i + 76] for i in range(0, len(encoded), 76)] or [b""]
        out.append(b"}")
    out.append(b"[Frames=%d]" % len(frames))
    for i, frame in enumerate(frames, 1):
        out.append(b"[Frame=%d]" % i)
        out += [l.encode("utf-8") for l in frame]
    with open(path, "wb") as f:
        f.write(b"".join(l + b"\r\n" for l in out))

# A classic 468x60 banner: gradient background, border, a moving gradient text, shapes that change colour
# and angle across the frames.
frames = []
for i in range(8):
    t = i / 7
    frames.append([
        background(468, 60, delay=120 if i < 7 else 900, add_grad=1, gradient=1, g1=colour(255, 255, 255),
                   g2=colour(0, 120, 215)),
        shape("Ellipse", 12, 8, 44, 44, backgr=colour(255, int(200 - 150 * t), 0), border_col=colour(120, 40, 0),
              border_w=2),
        shape("Rounded Rectangle", 400, 12, 52, 36, fill=2, radius=16, angle=int(45 * t), g1=colour(255, 255, 255),
              g2=colour(40, 160, 60), border_col=colour(20, 90, 30), border_w=2),
        shape("Polygon", 350, 14, 32, 32, backgr=colour(255, 210, 0), border_col=colour(160, 60, 0), border_w=1,
              radius=5, angle=int(72 * t)),
        text(int(-220 + 300 * t), 8, "Morlo, banners!", size=24, bold=1, fill=1, g1=colour(255, 255, 0),
             g2=colour(255, 60, 0), border_col=colour(90, 20, 0), border_w=2),
        border(add=1, w1=1, w2=3, col1=colour(0, 70, 160)),
    ])
write("samples/banner.mrp", frames)

# A picture that the project embeds: a small logo drawn here, moving and turning.
def logo(x, y):
    d = math.hypot(x - 23.5, y - 15.5)
    if d > 15.5:
        return (0, 0, 0, 0)
    return (255, int(120 + 8 * y / 2), int(255 * x / 47), 255) if d < 13 else (60, 30, 90, 255)
logo_png = png(48, 32, logo)
frames = []
for i in range(6):
    frames.append([
        background(300, 100, delay=150, backgr=colour(250, 245, 230)),
        shape("Rectangle", 0, 70, 300, 30, backgr=colour(60, 30, 90), border_w=0),
        picture(20 + 40 * i, 30, 48, 32, "logo.png", angle=12 * i),
        text(150, 66, "Picture sample", size=14, fill=0, fcolor=colour(255, 255, 255), border_w=0),
        border(),
    ])
write("samples/picture.mrp", frames, [("logo.png", logo_png)])

# A transparent banner: white becomes transparent in the GIF; 32 colours per frame.
frames = []
for i in range(5):
    frames.append([
        background(200, 80, delay=100, backgr=colour(255, 255, 255), transp=1, tr=colour(255, 255, 255),
                   max_colors=32),
        shape("Ellipse", 10 + 35 * i, 20 if i % 2 == 0 else 30, 40, 40, backgr=colour(220, 30, 30),
              border_col=colour(100, 0, 0), border_w=2),
        text(30, 0, "Hi", size=20, fill=0, fcolor=colour(30, 30, 200), border_w=1),
        border(),
    ])
write("samples/transparent.mrp", frames)
