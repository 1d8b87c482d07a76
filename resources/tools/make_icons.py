#!/usr/bin/python3
"""Builds the program's icons into resources/images/ and lists their origin
in resources/images/SOURCES.md.

Most icons are taken from the Tango icon theme (public domain, Debian package
tango-icon-theme): a PNG of the theme is copied where the theme has that
size, otherwise the theme's SVG is rendered with rsvg-convert (librsvg2-bin).
The rest are our own drawings, made here with PIL (python3-pil), among them
the start-up picture startuplogo.png.

Run:  /usr/bin/python3 make_icons.py
"""

import io
import os
import shutil
import subprocess
import sys

from PIL import Image, ImageDraw, ImageFont

sys.dont_write_bytecode = True  # keep the source tree free of __pycache__
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import code39  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
IMAGES = os.path.normpath(os.path.join(HERE, "..", "images"))
TANGO = "/usr/share/icons/Tango"
BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"

# Tango palette.
GREEN, DARK_GREEN = (115, 210, 22), (78, 154, 6)
BLUE, DARK_BLUE = (52, 101, 164), (32, 74, 135)
YELLOW, DARK_YELLOW = (252, 233, 79), (196, 160, 0)
ORANGE = (245, 121, 0)
RED, DARK_RED = (204, 0, 0), (164, 0, 0)
ALU1, ALU2, ALU3, ALU4, ALU5, ALU6 = ((238, 238, 236), (211, 215, 207),
                                      (186, 189, 182), (136, 138, 133),
                                      (85, 87, 83), (46, 52, 54))
WHITE = (255, 255, 255)

# Our file -> (Tango icon name, size in pixels).
TANGO_ICONS = {
    "configurationWidget/database.png": ("network-server", 32),
    "general/add.png": ("list-add", 32),
    "general/bill.png": ("text-x-generic", 32),
    "general/cancel.png": ("process-stop", 32),
    "general/colorpicker.png": ("applications-graphics", 22),
    "general/computer.png": ("computer", 64),
    "general/delete.png": ("edit-delete", 32),
    "general/docconfig.png": ("document-properties", 48),
    "general/edit.png": ("accessories-text-editor", 32),
    "general/email.png": ("internet-mail", 32),
    "general/error.png": ("dialog-error", 48),
    "general/hwtype.png": ("preferences-desktop-peripherals", 16),
    "general/info.png": ("dialog-information", 48),
    "general/next.png": ("go-next", 32),
    "general/phone.png": ("internet-group-chat", 32),
    "general/prev.png": ("go-previous", 32),
    "general/profile.png": ("contact-new", 48),
    "general/save.png": ("document-save", 32),
    "loginWidget/users.png": ("system-users", 48),
    "mainMenu/bills.png": ("accessories-calculator", 48),
    "mainMenu/clients.png": ("x-office-address-book", 48),
    "mainMenu/config.png": ("applications-system", 48),
    "mainMenu/exit.png": ("system-shutdown", 48),
    "mainMenu/hard.png": ("computer", 48),
    "mainMenu/logout.png": ("system-log-out", 48),
    "mainMenu/repairs.png": ("preferences-system", 48),
    "mainMenu/stats.png": ("x-office-spreadsheet", 48),
    "note/severity_critical.png": ("dialog-error", 32),
    "note/severity_important.png": ("emblem-important", 32),
    "note/severity_low.png": ("go-down", 32),
    "note/severity_normal.png": ("dialog-information", 32),
    "note/severity_warning.png": ("dialog-warning", 32),
    "repairDetailsWidget/printer.png": ("printer", 32),
    "repairsWidget/add.png": ("list-add", 32),
    "repairsWidget/dsearch.png": ("edit-find", 48),
    "repairsWidget/newrepair.png": ("document-new", 48),
    "repairsWidget/rcalendar.png": ("x-office-calendar", 48),
    "repairsWidget/rcurrentrepairs.png": ("utilities-system-monitor", 48),
    "repairsWidget/rexpired.png": ("software-update-urgent", 48),
    "repairsWidget/rlastrepairs.png": ("appointment-new", 48),
    "repairsWidget/search.png": ("system-search", 32),
}


def tango_file(name, size):
    """A PNG of the theme at that size, else None."""
    folder = os.path.join(TANGO, "%dx%d" % (size, size))
    if not os.path.isdir(folder):
        return None
    for context in sorted(os.listdir(folder)):
        path = os.path.join(folder, context, name + ".png")
        if os.path.exists(path):
            return os.path.realpath(path)
    return None


def tango_svg(name):
    for context in sorted(os.listdir(os.path.join(TANGO, "scalable"))):
        path = os.path.join(TANGO, "scalable", context, name + ".svg")
        if os.path.exists(path):
            return os.path.realpath(path)
    raise SystemExit("Tango icon %s not found under %s" % (name, TANGO))


def render_svg(name, size):
    png = subprocess.run(["rsvg-convert", "-w", str(size), "-h", str(size),
                          tango_svg(name)], check=True,
                         capture_output=True).stdout
    return Image.open(io.BytesIO(png)).convert("RGBA")


def tango_image(name, size):
    path = tango_file(name, size)
    if path:
        return Image.open(path).convert("RGBA")
    return render_svg(name, size)


def copy_tango(target, name, size):
    out = os.path.join(IMAGES, target)
    os.makedirs(os.path.dirname(out), exist_ok=True)
    path = tango_file(name, size)
    if path:
        shutil.copyfile(path, out)
        return "PNG %dx%d" % (size, size)
    render_svg(name, size).save(out)
    return "SVG rendered at %dx%d" % (size, size)


# --- our own drawings -----------------------------------------------------
# Shapes are drawn four times larger and reduced, for smooth edges.

SS = 4


def canvas(size):
    return Image.new("RGBA", (size * SS, size * SS), (0, 0, 0, 0))


def reduce(img, size):
    return img.resize((size, size), Image.LANCZOS)


def s(v):
    return int(round(v * SS))


def bold(px):
    return ImageFont.truetype(BOLD, px)


def draw_check(size):
    """A green round badge with a white tick."""
    img = canvas(size)
    d = ImageDraw.Draw(img)
    m = size / 16.0
    d.ellipse([s(m), s(m), s(size - m), s(size - m)], fill=GREEN,
              outline=DARK_GREEN, width=s(size / 24.0))
    tick = [(0.28, 0.52), (0.44, 0.68), (0.73, 0.35)]
    d.line([(s(x * size), s(y * size)) for x, y in tick], fill=WHITE,
           width=s(size / 9.0), joint="curve")
    return reduce(img, size)


def draw_barcode(size):
    """A white label with a border and real Code 39 bars ("*7*")."""
    img = canvas(size)
    d = ImageDraw.Draw(img)
    top, bottom = size * 0.2, size * 0.8
    d.rounded_rectangle([s(1), s(top), s(size - 1), s(bottom)],
                        radius=s(size / 12.0), fill=WHITE, outline=ALU4,
                        width=s(1))
    img = reduce(img, size)
    d = ImageDraw.Draw(img)
    # Bars at whole pixels, 1 px narrow and 2 px wide, so they stay sharp.
    runs = []
    for ch in "*7*":
        runs += code39.elements(ch, 2)
    runs.pop()
    total = sum(w for _, w in runs)
    x = (size - total) // 2
    for is_bar, w in runs:
        if is_bar:
            d.rectangle([x, int(top) + 3, x + w - 1, int(bottom) - 4], fill=ALU6)
        x += w
    return img


def draw_tag(size):
    """A yellow luggage label with a string hole."""
    img = canvas(size)
    d = ImageDraw.Draw(img)
    body = [(0.30, 0.10), (0.90, 0.10), (0.90, 0.90), (0.30, 0.90), (0.06, 0.50)]
    d.polygon([(s(x * size), s(y * size)) for x, y in body], fill=YELLOW,
              outline=DARK_YELLOW, width=s(size / 16.0))
    r = size * 0.08
    cx, cy = size * 0.28, size * 0.50
    d.ellipse([s(cx - r), s(cy - r), s(cx + r), s(cy + r)], fill=WHITE,
              outline=DARK_YELLOW, width=s(size / 24.0))
    for y in (0.36, 0.50, 0.64):
        d.line([(s(0.45 * size), s(y * size)), (s(0.80 * size), s(y * size))],
               fill=DARK_YELLOW, width=s(size / 24.0))
    return reduce(img, size)


def draw_numbering(size):
    """A blue plate with the numbers "123"."""
    img = canvas(size)
    d = ImageDraw.Draw(img)
    d.rounded_rectangle([s(1), s(size * 0.2), s(size - 1), s(size * 0.8)],
                        radius=s(size / 8.0), fill=BLUE, outline=DARK_BLUE,
                        width=s(size / 24.0))
    font = bold(s(size * 0.42))
    d.text((s(size / 2.0), s(size / 2.0)), "123", font=font, fill=WHITE,
           anchor="mm")
    return reduce(img, size)


def draw_statuses(size):
    """A list of three entries, each with its colour square."""
    img = canvas(size)
    d = ImageDraw.Draw(img)
    d.rounded_rectangle([s(1), s(2), s(size - 1), s(size - 2)],
                        radius=s(size / 12.0), fill=WHITE, outline=ALU4,
                        width=s(size / 32.0))
    step = (size - 8) / 3.0
    for i, colour in enumerate((RED, ORANGE, GREEN)):
        y = 4 + i * step
        box = step * 0.7
        d.rectangle([s(4), s(y), s(4 + box), s(y + box)], fill=colour,
                    outline=ALU5, width=s(size / 48.0))
        d.rectangle([s(6 + box), s(y + box * 0.35), s(size - 5),
                     s(y + box * 0.65)], fill=ALU3)
    return reduce(img, size)


def draw_pdf(size):
    """Tango's office document with a red "PDF" band."""
    img = tango_image("x-office-document", size)
    band = canvas(size)
    d = ImageDraw.Draw(band)
    d.rounded_rectangle([s(size * 0.06), s(size * 0.55), s(size * 0.94),
                         s(size * 0.90)], radius=s(size / 16.0), fill=RED,
                        outline=DARK_RED, width=s(size / 32.0))
    d.text((s(size * 0.5), s(size * 0.725)), "PDF", font=bold(s(size * 0.30)),
           fill=WHITE, anchor="mm")
    img.alpha_composite(reduce(band, size))
    return img


def draw_startup_logo():
    """The splash picture: the name of the program beside Tango's tools."""
    w, h = 400, 200
    img = Image.new("RGBA", (w, h), WHITE)
    d = ImageDraw.Draw(img)
    for y in range(h):
        t = y / (h - 1.0)
        colour = tuple(int(WHITE[i] + (ALU2[i] - WHITE[i]) * t) for i in range(3))
        d.line([(0, y), (w, y)], fill=colour)
    d.rectangle([0, 0, w - 1, h - 1], outline=ALU4)
    d.rectangle([0, h - 8, w - 1, h - 1], fill=BLUE)
    tools = render_svg("preferences-system", 128)
    img.alpha_composite(tools, (24, (h - 8 - 128) // 2))
    d.text((170, (h - 8) // 2), "Warsztat", font=bold(44), fill=ALU6,
           anchor="lm")
    return img


OWN_DRAWINGS = {
    "general/barcode.png": (lambda: draw_barcode(48),
                            "barcode label with Code 39 bars, 48x48"),
    "general/numbering.png": (lambda: draw_numbering(32),
                              "blue plate with \"123\", 32x32"),
    "general/ok.png": (lambda: draw_check(32), "green tick badge, 32x32"),
    "general/statuses.png": (lambda: draw_statuses(32),
                             "list of colour squares, 32x32"),
    "general/tag.png": (lambda: draw_tag(32), "yellow label, 32x32"),
    "mainForm/startuplogo.png": (draw_startup_logo,
                                 "400x200 splash: \"Warsztat\" beside Tango "
                                 "preferences-system (SVG at 128x128)"),
    "note/severity_ok.png": (lambda: draw_check(64), "green tick badge, 64x64"),
    "repairDetailsWidget/pdf.png": (lambda: draw_pdf(32),
                                    "Tango x-office-document (PNG 32x32) "
                                    "with a red \"PDF\" band drawn on it"),
}


def main():
    if not os.path.isdir(TANGO):
        raise SystemExit("Tango icon theme missing: apt-get install tango-icon-theme")
    lines = [
        "# Where the icons come from",
        "",
        "Generated by `resources/tools/make_icons.py`; rerun it after a change.",
        "",
        "Tango icons: the Tango Desktop Project's icon library, Debian package",
        "`tango-icon-theme`, licence: public domain.",
        "Our own drawings: drawn by `make_icons.py` for this program.",
        "",
        "| Our file | Origin | Taken as |",
        "| --- | --- | --- |",
    ]
    for target, (name, size) in sorted(TANGO_ICONS.items()):
        how = copy_tango(target, name, size)
        lines.append("| %s | Tango `%s` | %s |" % (target, name, how))
    for target, (draw, what) in sorted(OWN_DRAWINGS.items()):
        out = os.path.join(IMAGES, target)
        os.makedirs(os.path.dirname(out), exist_ok=True)
        draw().save(out)
        lines.append("| %s | our own drawing | %s |" % (target, what))
    with open(os.path.join(IMAGES, "SOURCES.md"), "w", encoding="utf-8") as f:
        f.write("\n".join(lines) + "\n")
    print("written %d icons into %s" % (len(TANGO_ICONS) + len(OWN_DRAWINGS),
                                        IMAGES))


if __name__ == "__main__":
    main()
