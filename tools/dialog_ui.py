#!/usr/bin/env python3
"""Writes the dialog's interface files: plugin/resources/morvatelle.nib/
config{NTSC,PAL,HD}.ui (one layout, sized for each media type's frame) and
about.nib/about.ui. Run it after changing the layout here; the .ui files are
plain Qt Designer files and can be opened there to look at. --out DIR writes
them under DIR instead (the tests compare that with the files checked in)."""
import sys
from pathlib import Path
from xml.sax.saxutils import escape

ROOT = Path(__file__).resolve().parent.parent / "plugin" / "resources"
MEDIA = {"configNTSC": (720, 480), "configPAL": (720, 576), "configHD": (960, 540)}
CAPTIONS = [
    "Zoom in: time spent zooming in to the region (100% is the first half of the clip)",
    "Zoom out: time spent zooming back out (100% is the second half of the clip)",
    "Overlay: opacity of the whole frame laid over the zoom",
    "Slider 4", "Slider 5", "Slider 6",
]
VALUES = [10, 50, 0, 0, 0, 0]  # the effect's defaults, until the dialog sets its own


class Enum(str):
    """A Qt enumeration value, Qt::Horizontal."""


class Flags(str):
    """Qt flags, Qt::AlignRight|Qt::AlignVCenter."""


def prop(name, value, stdset=True):
    kind = ("bool" if isinstance(value, bool) else "number" if isinstance(value, int)
            else "enum" if isinstance(value, Enum) else "set" if isinstance(value, Flags) else "string")
    text = ("true" if value else "false") if kind == "bool" else escape(str(value))
    attr = "" if stdset else ' stdset="0"'
    return f'<property name="{name}"{attr}><{kind}>{text}</{kind}></property>'


def large_bold():
    return '<property name="font"><font><pointsize>16</pointsize><bold>true</bold></font></property>'


def widget(cls, name, x, y, w, h, *props, signature=None, ident=None, command=None, hidden=False):
    parts = [f'<widget class="{cls}" name="{name}">',
             f'<property name="geometry"><rect><x>{x}</x><y>{y}</y><width>{w}</width><height>{h}</height></rect></property>']
    parts += props
    if signature:
        parts.append(prop("signature", signature, False))
        parts.append(prop("id", ident, False))
    if command:
        parts.append(prop("command", command, False))
    if hidden:
        parts.append(prop("visible", False))
    parts.append("</widget>")
    return "\n  ".join(parts)


def window(name, title, width, height, children):
    return f"""<?xml version="1.0" encoding="UTF-8"?>
<ui version="4.0">
 <class>{name}</class>
 <widget class="QWidget" name="{name}">
  <property name="geometry"><rect><x>0</x><y>0</y><width>{width}</width><height>{height}</height></rect></property>
  <property name="windowTitle"><string>{escape(title)}</string></property>
  {chr(10).join(children)}
 </widget>
 <resources/>
 <connections/>
</ui>
"""


def button(name, text, x, y, w, command, default=False):
    props = [prop("text", text)]
    if default:
        props += [prop("default", True), prop("autoDefault", True)]
    return widget("QPushButton", name, x, y, w, 30, *props, command=command)


def config(name, fw, fh):
    m = 12
    col = fw + 2 * m      # the right-hand column
    cw = 280  # the HD layout stays within a 1280-pixel screen
    width = col + cw + m
    c = []
    # Its value only ever flips between 0 and 1 to have it drawn again.
    c.append(widget("com.qrv.vidkitfx.clip", "clip", m, m, fw, fh,
                    prop("toolTip", "Drag the region, or a corner to resize it; Shift keeps the proportions, "
                                    "Option resizes about the centre"),
                    prop("minimum", 0, False), prop("maximum", 1, False), signature="Clip", ident=1))
    # The frame scrubber under the preview.
    y = m + fh + 10
    c.append(button("back", "\u25c0 Back", m, y, 90, "Revi"))
    # The dialog sets the clip's range; until then any frame position fits.
    c.append(widget("QSlider", "scrubber", m + 100, y + 4, fw - 290, 22, prop("minimum", 0),
                    prop("maximum", 2147483647), prop("orientation", Enum("Qt::Horizontal")), signature="ClpS", ident=1))
    c.append(button("forward", "Forward \u25b6", m + fw - 180, y, 90, "Adva"))
    c.append(widget("QLabel", "counter", m + fw - 80, y + 4, 80, 22, prop("text", "0/0"),
                    prop("alignment", Flags("Qt::AlignRight|Qt::AlignVCenter")), signature="ClpM", ident=1))
    height = y + 30 + m
    # The effect sliders: caption, slider and legend; 4 to 6 exist but are not used.
    y = m
    c.append(widget("QLabel", "course", col, y, cw, 20, prop("text", "<b>Zoom course</b>"),
                    prop("textFormat", Enum("Qt::RichText"))))
    y += 26
    for n in range(1, 7):
        hidden = n > 3
        c.append(widget("QLabel", f"caption{n}", col, y, cw, 34, prop("text", CAPTIONS[n - 1]), prop("wordWrap", True),
                        signature="Labl", ident=n, hidden=hidden))
        c.append(widget("QSlider", f"slider{n}", col, y + 36, cw - 56, 22, prop("minimum", 0), prop("maximum", 100),
                        prop("value", VALUES[n - 1]), prop("orientation", Enum("Qt::Horizontal")), signature="Sldr",
                        ident=n, hidden=hidden))
        c.append(widget("QLabel", f"legend{n}", col + cw - 50, y + 36, 50, 22, prop("text", f"{VALUES[n - 1]}%"),
                        prop("alignment", Flags("Qt::AlignRight|Qt::AlignVCenter")), signature="Lgnd", ident=n,
                        hidden=hidden))
        if not hidden:
            y += 70
    # Colour boxes and their legends: part of every layout, not used by this effect.
    for n in range(1, 7):
        c.append(widget("com.qrv.vidkitfx.color", f"color{n}", col + (n - 1) * 36, y, 30, 20,
                        prop("minimum", 0, False), prop("maximum", 0xFFFFFF, False),
                        signature="Colr", ident=n, command=f"Col{n}", hidden=True))
        c.append(widget("QLabel", f"colorLegend{n}", col + (n - 1) * 36, y + 22, 30, 16, prop("text", f"Colour {n}"),
                        signature="CLgd", ident=n, hidden=True))
    for n in (1, 2):
        c.append(widget("QLabel", f"rect{n}", col, y + 40 * n, 10, 10, prop("text", ""), signature="Rect", ident=n,
                        hidden=True))
    y += 6
    c.append(widget("QLabel", "mediaLabel", col, y + 4, 90, 22, prop("text", "Layout for:")))
    c.append(widget("QComboBox", "media", col + 96, y, cw - 96, 28, prop("currentIndex", list(MEDIA).index(name)),
                    signature="Medi", ident=1, command="Medi"))
    c[-1] = c[-1].replace("</widget>", "<item><property name=\"text\"><string>NTSC (720 \u00d7 480)</string></property></item>"
                          "<item><property name=\"text\"><string>PAL (720 \u00d7 576)</string></property></item>"
                          "<item><property name=\"text\"><string>HD (960 \u00d7 540)</string></property></item></widget>")
    y += 38
    c.append(widget("QCheckBox", "keep", col, y, cw, 24, prop("text", "Keep the frame's proportions"),
                    signature="Keep", ident=1, command="Keep"))
    y += 36
    half = (cw - 8) // 2
    c.append(button("reset", "Reset", col, y, half, "Rset"))
    c.append(button("whole", "Whole Frame", col + half + 8, y, half, "Sall"))
    y += 38
    c.append(button("about", "About\u2026", col, y, half, "Info"))
    c.append(button("manual", "Manual", col + half + 8, y, half, "Help"))
    bottom = max(height, y + 30 + 60 + m)
    c.append(button("cancel", "Cancel", col, bottom - m - 30, half, "not!"))
    c.append(button("ok", "OK", col + half + 8, bottom - m - 30, half, "ok  ", default=True))
    return window(name, "Morva Telle", width, bottom, c)


def about():
    # The name and version are set when the window opens.
    c = [widget("QLabel", "name", 20, 20, 320, 30, prop("text", "(name)"), prop("alignment", Flags("Qt::AlignCenter")),
                large_bold(), signature="Plug", ident=1),
         widget("QLabel", "version", 20, 56, 320, 20, prop("text", "(version)"),
                prop("alignment", Flags("Qt::AlignCenter")), signature="Vers", ident=1),
         widget("QLabel", "blurb", 20, 84, 320, 40,
                prop("text", "A zoom that follows a fixed course over a clip."),
                prop("alignment", Flags("Qt::AlignCenter")), prop("wordWrap", True)),
         button("close", "Close", 100, 136, 80, "not!"),
         button("ok", "OK", 190, 136, 80, "ok  ", default=True)]
    return window("about", "About Morva Telle", 360, 180, c)


def main():
    args = sys.argv[1:]
    if args and (len(args) != 2 or args[0] != "--out"):
        sys.exit("usage: dialog_ui.py [--out DIR]")
    root = Path(args[1]) if args else ROOT
    nib = root / "morvatelle.nib"
    nib.mkdir(parents=True, exist_ok=True)
    for name, (fw, fh) in MEDIA.items():
        (nib / f"{name}.ui").write_text(config(name, fw, fh), encoding="utf-8")
    (root / "about.nib").mkdir(parents=True, exist_ok=True)
    (root / "about.nib" / "about.ui").write_text(about(), encoding="utf-8")


if __name__ == "__main__":
    main()
