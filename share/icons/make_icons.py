#!/usr/bin/env python3
"""Draws the program's icon set as SVG files in this folder.

One grid for all: 24 x 24, 2 px rounded strokes in slate, one accent colour per meaning
(green good/start, red alarm/stop, blue information/below, amber activity). Run it again after
changing a drawing; the SVG files are what the build takes.
"""
import math
import os

HERE = os.path.dirname(os.path.abspath(__file__))

INK = "#37474f"
MUTED = "#90a4ae"
GREEN = "#2e9d4f"
RED = "#d6453d"
BLUE = "#1e7bd6"
AMBER = "#e69a17"
TEAL = "#0f8b8d"
PAPER = "#ffffff"
PALE_BLUE = "#e3f0fc"
PALE_GREEN = "#e3f5e8"
PALE_RED = "#fbe7e6"
PALE_AMBER = "#fdf1dc"
PALE_INK = "#eceff1"


def stroke(colour=INK, width=2.0):
    return (f'fill="none" stroke="{colour}" stroke-width="{width}" '
            'stroke-linecap="round" stroke-linejoin="round"')


def svg(body):
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="24" height="24" '
            f'viewBox="0 0 24 24">\n{body}\n</svg>\n')


def gear(cx, cy, outer, inner, teeth, colour, hole_colour):
    points = []
    for i in range(teeth * 4):
        angle = math.pi * 2 * i / (teeth * 4) - math.pi / 2
        radius = outer if (i % 4) in (1, 2) else inner
        points.append(f"{cx + radius * math.cos(angle):.2f},{cy + radius * math.sin(angle):.2f}")
    return (f'<polygon points="{" ".join(points)}" fill="{colour}" stroke="{colour}" '
            'stroke-width="1" stroke-linejoin="round"/>'
            f'<circle cx="{cx}" cy="{cy}" r="{inner * 0.42:.2f}" fill="{hole_colour}"/>')


def document(fill=PAPER, line=INK):
    return (f'<path d="M6 2.5h8l4.5 4.5v14.5H6z" fill="{fill}" {stroke(line, 1.6)[12:]}/>'
            f'<path d="M14 2.5V7h4.5" {stroke(line, 1.6)}/>')


def file_icon(accent, pale, mark):
    return document() + (f'<rect x="3" y="12" width="13" height="7" rx="1.5" fill="{accent}"/>'
                         + mark)


def state_circle(fill, ring, inner):
    return f'<circle cx="12" cy="12" r="8.5" fill="{fill}" stroke="{ring}" stroke-width="1.5"/>' + inner


def device_box(extra=""):
    return (f'<rect x="3" y="5" width="15" height="14" rx="2" fill="{PALE_INK}" {stroke(INK, 1.8)[12:]}/>'
            f'<rect x="5.5" y="7.5" width="10" height="4.5" rx="0.8" fill="{TEAL}"/>'
            f'<circle cx="7" cy="15.5" r="1.2" fill="{GREEN}"/>'
            f'<circle cx="10.5" cy="15.5" r="1.2" fill="{AMBER}"/>'
            f'<path d="M13 15.5h2.5" {stroke(INK, 1.6)}/>' + extra)


def badge(colour, symbol):
    return (f'<circle cx="18" cy="18" r="5" fill="{colour}" stroke="{PAPER}" stroke-width="1.2"/>'
            + symbol)


PLUS = f'<path d="M18 15.5v5M15.5 18h5" {stroke(PAPER, 1.8)}/>'
MINUS = f'<path d="M15.5 18h5" {stroke(PAPER, 1.8)}/>'

ICONS = {
    # The program itself: a dial on a blue tile.
    "program": f'<rect x="2" y="2" width="20" height="20" rx="5" fill="{BLUE}"/>'
               f'<path d="M6.5 15.5a6 6 0 1 1 11 0" {stroke(PAPER, 2)}/>'
               f'<path d="M12 14l3.2-4.2" {stroke(PAPER, 2)}/>'
               f'<circle cx="12" cy="14" r="1.6" fill="{PAPER}"/>'
               f'<path d="M7 18.5h10" {stroke(PAPER, 1.6)}/>',
    "file-vst": file_icon(BLUE, PALE_BLUE,
                          f'<path d="M5 17l2.5-2.5 2 1.5 3.5-3" {stroke(PAPER, 1.4)}/>'),
    "file-vsa": file_icon(GREEN, PALE_GREEN,
                          f'<path d="M5.5 14h8M5.5 17h5" {stroke(PAPER, 1.4)}/>'),
    "file-vsb": file_icon(AMBER, PALE_AMBER,
                          f'<path d="M6 13.8v3.4M8.5 13.8v3.4M11 13.8v3.4M13.5 13.8v3.4" '
                          f'{stroke(PAPER, 1.4)}/>'),
    # Program states of a program regulator's channel.
    "program-action": f'<path d="M3 18l6-8h6l6-6" {stroke(AMBER, 2.2)}/>'
                      f'<path d="M3 21h18" {stroke(MUTED, 1.4)}/>'
                      f'<circle cx="15" cy="10" r="2" fill="{AMBER}"/>',
    "program-ended": f'<path d="M5 21V3.5" {stroke(INK, 2)}/>'
                     f'<path d="M5 4h12l-2.5 4L17 12H5z" fill="{GREEN}" stroke="{GREEN}" '
                     'stroke-width="1.5" stroke-linejoin="round"/>',
    "unmarked": f'<rect x="4" y="4" width="16" height="16" rx="3" fill="{PAPER}" {stroke(MUTED, 2)[12:]}/>',
    "marked": f'<rect x="4" y="4" width="16" height="16" rx="3" fill="{BLUE}"/>'
              f'<path d="M8 12.3l2.8 2.8L16.2 9" {stroke(PAPER, 2.2)}/>',
    "program-waiting": f'<path d="M7 3h10M7 21h10" {stroke(INK, 2)}/>'
                       f'<path d="M8 3.5c0 5 8 4 8 8.5s-8 3.5-8 8.5M16 3.5c0 5-8 4-8 8.5s8 3.5 8 8.5" '
                       f'fill="{PALE_AMBER}" {stroke(AMBER, 1.8)[12:]}/>',
    "program-jump": f'<path d="M4 6l7 6-7 6z" fill="{BLUE}" stroke="{BLUE}" stroke-width="1.5" '
                    'stroke-linejoin="round"/>'
                    f'<path d="M12 6l7 6-7 6z" fill="{BLUE}" stroke="{BLUE}" stroke-width="1.5" '
                    'stroke-linejoin="round"/>'
                    f'<path d="M20.5 5.5v13" {stroke(BLUE, 2)}/>',
    "not-read": state_circle(PALE_INK, MUTED,
                             f'<path d="M9.5 9.5a2.5 2.5 0 1 1 3.5 2.3c-.7.3-1 .9-1 1.6v.6" '
                             f'{stroke(INK, 1.9)}/><circle cx="12" cy="16.6" r="1.1" fill="{INK}"/>'),
    # Where the signal lies against the tolerance zone.
    "state-neutral": state_circle(PALE_INK, MUTED, f'<circle cx="12" cy="12" r="3" fill="{MUTED}"/>'),
    "state-inside": state_circle(GREEN, GREEN, f'<path d="M8 12.3l2.8 2.8L16.2 9" {stroke(PAPER, 2.2)}/>'),
    "state-above": state_circle(RED, RED, f'<path d="M12 16.5v-9M8 11l4-4 4 4" {stroke(PAPER, 2.2)}/>'),
    "state-below": state_circle(BLUE, BLUE, f'<path d="M12 7.5v9M8 13l4 4 4-4" {stroke(PAPER, 2.2)}/>'),
    # Recorder row kinds.
    "row-setpoint": f'<circle cx="12" cy="12" r="8" fill="{PALE_AMBER}" {stroke(AMBER, 2)[12:]}/>'
                    f'<circle cx="12" cy="12" r="3.5" fill="none" stroke="{AMBER}" stroke-width="2"/>'
                    f'<circle cx="12" cy="12" r="1.2" fill="{AMBER}"/>',
    "row-power": f'<path d="M13.5 2.5L5.5 13.5h6l-1 8 8-11h-6z" fill="{AMBER}" stroke="{AMBER}" '
                 'stroke-width="1.4" stroke-linejoin="round"/>',
    "chart": f'<rect x="3" y="3" width="18" height="18" rx="2.5" fill="{PAPER}" {stroke(INK, 1.8)[12:]}/>'
             f'<path d="M6 16l3.5-4 3 2.5L18 8" {stroke(BLUE, 2)}/>'
             f'<path d="M6 19h12" {stroke(MUTED, 1.2)}/>',
    "table": f'<rect x="3" y="4" width="18" height="16" rx="2.5" fill="{PAPER}" {stroke(INK, 1.8)[12:]}/>'
             f'<path d="M3.5 9h17M3.5 14.5h17M9.5 4.5v15" {stroke(INK, 1.5)}/>'
             f'<path d="M4 5h16v4H4z" fill="{PALE_BLUE}" opacity="0.9"/>',
    "device": device_box(),
    "add-device": device_box(badge(GREEN, PLUS)),
    "delete-device": device_box(badge(RED, MINUS)),
    "locked": f'<rect x="5" y="10.5" width="14" height="10.5" rx="2" fill="{AMBER}"/>'
              f'<path d="M8 10.5V7.5a4 4 0 0 1 8 0v3" {stroke(INK, 2)}/>'
              f'<circle cx="12" cy="15.2" r="1.5" fill="{PAPER}"/><path d="M12 15.5v2.5" {stroke(PAPER, 1.6)}/>',
    "unlocked": f'<rect x="5" y="10.5" width="14" height="10.5" rx="2" fill="{MUTED}"/>'
                f'<path d="M8 10.5V7.5a4 4 0 0 1 7.7-1.5" {stroke(INK, 2)}/>'
                f'<circle cx="12" cy="15.2" r="1.5" fill="{PAPER}"/><path d="M12 15.5v2.5" {stroke(PAPER, 1.6)}/>',
    # Commands.
    "start": f'<circle cx="12" cy="12" r="10" fill="{GREEN}"/>'
             f'<path d="M9.5 7.5l7 4.5-7 4.5z" fill="{PAPER}" stroke="{PAPER}" stroke-width="1.5" '
             'stroke-linejoin="round"/>',
    "stop": f'<circle cx="12" cy="12" r="10" fill="{RED}"/>'
            f'<rect x="8" y="8" width="8" height="8" rx="1.2" fill="{PAPER}"/>',
    "settings": gear(12, 12, 10, 7, 8, INK, PAPER),
    "search": f'<circle cx="10" cy="10" r="6.5" fill="{PALE_BLUE}" {stroke(INK, 2)[12:]}/>'
              f'<path d="M15 15l6 6" {stroke(INK, 2.6)}/>',
    "recorder": f'<rect x="2.5" y="4" width="19" height="16" rx="2.5" fill="{PAPER}" {stroke(INK, 1.8)[12:]}/>'
                f'<path d="M3 8h18" {stroke(INK, 1.5)}/>'
                f'<path d="M5.5 16.5l3-3.5 2.5 2 3-4 4.5 3" {stroke(RED, 1.8)}/>'
                f'<path d="M5.5 14.5l3 1 3-2.5 3 1.5 4-3" {stroke(BLUE, 1.5)}/>',
    "open": f'<path d="M2.5 6.5a2 2 0 0 1 2-2h4.5l2 2.5h8.5a2 2 0 0 1 2 2v9a2 2 0 0 1-2 2h-15a2 2 0 0 1-2-2z" '
            f'fill="{PALE_AMBER}" {stroke(AMBER, 1.8)[12:]}/>'
            f'<path d="M2.8 11h18.4" {stroke(AMBER, 1.6)}/>',
    "save": f'<path d="M4 3.5h12.5l3.5 3.5v13.5H4z" fill="{PALE_BLUE}" {stroke(BLUE, 1.8)[12:]}/>'
            f'<rect x="7.5" y="3.8" width="8" height="5" fill="{BLUE}"/>'
            f'<rect x="7" y="13" width="10" height="7" rx="0.8" fill="{PAPER}" stroke="{BLUE}" stroke-width="1.4"/>',
    "archive": f'<rect x="3" y="4" width="18" height="5" rx="1.2" fill="{AMBER}"/>'
               f'<path d="M4.5 9h15v10.5a1.5 1.5 0 0 1-1.5 1.5H6a1.5 1.5 0 0 1-1.5-1.5z" '
               f'fill="{PALE_AMBER}" {stroke(AMBER, 1.8)[12:]}/>'
               f'<path d="M10 13h4" {stroke(INK, 2)}/>',
    "download": f'<path d="M12 3v11M7.5 10l4.5 4.5 4.5-4.5" {stroke(BLUE, 2.2)}/>'
                f'<path d="M4 15v3.5A2.5 2.5 0 0 0 6.5 21h11a2.5 2.5 0 0 0 2.5-2.5V15" {stroke(INK, 2)}/>',
    "control-panel": f'<rect x="2.5" y="3" width="19" height="18" rx="2.5" fill="{PALE_INK}" {stroke(INK, 1.8)[12:]}/>'
                     f'<path d="M7.5 7v10M12 7v10M16.5 7v10" {stroke(MUTED, 1.6)}/>'
                     f'<rect x="5.5" y="12" width="4" height="3" rx="1" fill="{BLUE}"/>'
                     f'<rect x="10" y="8" width="4" height="3" rx="1" fill="{AMBER}"/>'
                     f'<rect x="14.5" y="13.5" width="4" height="3" rx="1" fill="{GREEN}"/>',
    "terminal": f'<rect x="2.5" y="4" width="19" height="16" rx="2.5" fill="{INK}"/>'
                f'<path d="M6.5 9l3 3-3 3M11.5 15.5h6" {stroke(PAPER, 2)}/>',
    "server": f'<rect x="4" y="3" width="16" height="8" rx="2" fill="{PALE_INK}" {stroke(INK, 1.8)[12:]}/>'
              f'<rect x="4" y="13" width="16" height="8" rx="2" fill="{PALE_INK}" {stroke(INK, 1.8)[12:]}/>'
              f'<circle cx="8" cy="7" r="1.3" fill="{GREEN}"/><circle cx="8" cy="17" r="1.3" fill="{GREEN}"/>'
              f'<path d="M12 7h5M12 17h5" {stroke(INK, 1.6)}/>',
    "network": f'<path d="M12 8v5M12 13l-6.5 4M12 13l6.5 4" {stroke(INK, 1.8)}/>'
               f'<rect x="8.5" y="2.5" width="7" height="6" rx="1.5" fill="{BLUE}"/>'
               f'<rect x="2" y="15.5" width="7" height="6" rx="1.5" fill="{TEAL}"/>'
               f'<rect x="15" y="15.5" width="7" height="6" rx="1.5" fill="{TEAL}"/>',
    "properties": f'<rect x="4" y="3" width="16" height="18" rx="2.5" fill="{PAPER}" {stroke(INK, 1.8)[12:]}/>'
                  f'<path d="M11 8h5.5M11 12h5.5M11 16h5.5" {stroke(INK, 1.8)}/>'
                  f'<circle cx="7.7" cy="8" r="1.2" fill="{BLUE}"/><circle cx="7.7" cy="12" r="1.2" fill="{BLUE}"/>'
                  f'<circle cx="7.7" cy="16" r="1.2" fill="{BLUE}"/>',
    "units": f'<rect x="2" y="8" width="20" height="8" rx="1.5" fill="{PALE_AMBER}" {stroke(AMBER, 1.8)[12:]}/>'
             f'<path d="M6 8v3.5M10 8v2.5M14 8v3.5M18 8v2.5" {stroke(AMBER, 1.6)}/>',
    "scale": f'<path d="M12 3v18M8.5 6.5L12 3l3.5 3.5M8.5 17.5L12 21l3.5-3.5" {stroke(INK, 2)}/>'
             f'<path d="M5 12h14" {stroke(BLUE, 2)}/>',
    "service-zone": f'<path d="M12 2.5l7.5 3v6c0 4.6-3.2 8.3-7.5 10-4.3-1.7-7.5-5.4-7.5-10v-6z" '
                    f'fill="{PALE_BLUE}" {stroke(BLUE, 1.8)[12:]}/>'
                    f'<path d="M12 7.5v6" {stroke(BLUE, 2.2)}/><circle cx="12" cy="16.5" r="1.2" fill="{BLUE}"/>',
    "clock": f'<circle cx="12" cy="12" r="9" fill="{PAPER}" {stroke(INK, 1.9)[12:]}/>'
             f'<path d="M12 7v5l3.5 2" {stroke(BLUE, 2)}/>',
    "tolerance": f'<path d="M2.5 8.5h19M2.5 15.5h19" {stroke(GREEN, 1.6)}/>'
                 f'<path d="M2.5 9h19v6h-19z" fill="{PALE_GREEN}"/>'
                 f'<path d="M3 17l4-6 4 3 3.5-5 3 4 3.5-4" {stroke(INK, 1.8)}/>',
    "setpoint": f'<circle cx="12" cy="12" r="8" fill="{PAPER}" {stroke(INK, 1.8)[12:]}/>'
                f'<circle cx="12" cy="12" r="3.5" fill="{PALE_AMBER}" stroke="{AMBER}" stroke-width="2"/>'
                f'<path d="M12 1.5v4M12 18.5v4M1.5 12h4M18.5 12h4" {stroke(INK, 1.8)}/>',
    "rename": f'<path d="M4 20l1-4.5L15.5 5a2.1 2.1 0 0 1 3 3L8 18.5z" fill="{PALE_AMBER}" {stroke(INK, 1.8)[12:]}/>'
              f'<path d="M13.5 7l3 3" {stroke(INK, 1.6)}/><path d="M13 20.5h7.5" {stroke(BLUE, 2)}/>',
    "font": f'<path d="M4 20l6-16h2l6 16M6.6 14h8.8" {stroke(INK, 2.2)}/>'
            f'<path d="M16 20h5" {stroke(BLUE, 2)}/>',
    "colour": f'<path d="M12 3a9 9 0 1 0 0 18c1.3 0 1.8-.9 1.8-1.8 0-1.5-1.5-1.8-1.5-3 0-1 .8-1.7 1.8-1.7h2.4'
              f'A4.5 4.5 0 0 0 21 10c0-3.9-4-7-9-7z" fill="{PALE_INK}" {stroke(INK, 1.8)[12:]}/>'
              f'<circle cx="7.5" cy="11" r="1.6" fill="{RED}"/><circle cx="10" cy="7" r="1.6" fill="{AMBER}"/>'
              f'<circle cx="14.5" cy="7" r="1.6" fill="{GREEN}"/><circle cx="17.3" cy="10.5" r="1.6" fill="{BLUE}"/>',
    "help": f'<circle cx="12" cy="12" r="9.5" fill="{BLUE}"/>'
            f'<path d="M9.3 9.5a2.8 2.8 0 1 1 4 2.5c-.8.4-1.3 1-1.3 1.8v.5" {stroke(PAPER, 2.1)}/>'
            f'<circle cx="12" cy="17.3" r="1.25" fill="{PAPER}"/>',
    "about": f'<circle cx="12" cy="12" r="9.5" fill="{BLUE}"/>'
             f'<path d="M12 11v6" {stroke(PAPER, 2.2)}/><circle cx="12" cy="7.6" r="1.3" fill="{PAPER}"/>',
    "language": f'<circle cx="12" cy="12" r="9" fill="{PALE_BLUE}" {stroke(BLUE, 1.8)[12:]}/>'
                f'<path d="M3 12h18M12 3c2.6 2.5 3.8 5.5 3.8 9s-1.2 6.5-3.8 9c-2.6-2.5-3.8-5.5-3.8-9S9.4 5.5 12 3z" '
                f'{stroke(BLUE, 1.5)}/>',
    "exit": f'<path d="M14 3.5H5.5v17H14" {stroke(INK, 2)}/>'
            f'<path d="M10 12h11M17.5 8.5L21 12l-3.5 3.5" {stroke(RED, 2.2)}/>',
    "tile": f'<rect x="3" y="3" width="8" height="8" rx="1.5" fill="{PALE_BLUE}" {stroke(INK, 1.7)[12:]}/>'
            f'<rect x="13" y="3" width="8" height="8" rx="1.5" fill="{PALE_BLUE}" {stroke(INK, 1.7)[12:]}/>'
            f'<rect x="3" y="13" width="8" height="8" rx="1.5" fill="{PALE_BLUE}" {stroke(INK, 1.7)[12:]}/>'
            f'<rect x="13" y="13" width="8" height="8" rx="1.5" fill="{PALE_BLUE}" {stroke(INK, 1.7)[12:]}/>',
    "cascade": f'<rect x="2.5" y="2.5" width="12" height="10" rx="1.5" fill="{PALE_INK}" {stroke(MUTED, 1.6)[12:]}/>'
               f'<rect x="5.5" y="6" width="12" height="10" rx="1.5" fill="{PALE_INK}" {stroke(MUTED, 1.6)[12:]}/>'
               f'<rect x="9" y="10" width="12.5" height="11" rx="1.5" fill="{PAPER}" {stroke(INK, 1.8)[12:]}/>'
               f'<path d="M9.5 13.5h11.5" {stroke(BLUE, 1.8)}/>',
    "database": f'<ellipse cx="12" cy="5.5" rx="7.5" ry="3" fill="{PALE_BLUE}" {stroke(BLUE, 1.8)[12:]}/>'
                f'<path d="M4.5 5.5v13c0 1.7 3.4 3 7.5 3s7.5-1.3 7.5-3v-13" fill="{PALE_BLUE}" {stroke(BLUE, 1.8)[12:]}/>'
                f'<path d="M4.5 12c0 1.7 3.4 3 7.5 3s7.5-1.3 7.5-3" {stroke(BLUE, 1.6)}/>',
    "merge": f'<path d="M6 3v5c0 3 6 4 6 8v5M18 3v5c0 3-6 4-6 8" {stroke(INK, 2)}/>'
             f'<path d="M8.5 18.5L12 22l3.5-3.5" {stroke(BLUE, 2)}/>',
    "sidebar": f'<rect x="2.5" y="4" width="19" height="16" rx="2.5" fill="{PAPER}" {stroke(INK, 1.8)[12:]}/>'
               f'<path d="M3.5 5h6v14h-6z" fill="{PALE_BLUE}"/>'
               f'<path d="M9.5 4.5v15" {stroke(INK, 1.6)}/>'
               f'<path d="M5 8.5h3M5 11.5h3M5 14.5h3" {stroke(BLUE, 1.5)}/>',
    "sync": f'<path d="M19.5 10A7.5 7.5 0 0 0 6 6.5L4.5 8" {stroke(BLUE, 2)}/>'
            f'<path d="M4.5 4v4h4" {stroke(BLUE, 2)}/>'
            f'<path d="M4.5 14A7.5 7.5 0 0 0 18 17.5l1.5-1.5" {stroke(GREEN, 2)}/>'
            f'<path d="M19.5 20v-4h-4" {stroke(GREEN, 2)}/>',
    "alarm": f'<path d="M6 16.5V11a6 6 0 0 1 12 0v5.5l1.5 2h-15z" fill="{PALE_RED}" {stroke(RED, 1.8)[12:]}/>'
             f'<path d="M10 20.5a2 2 0 0 0 4 0" {stroke(RED, 1.8)}/>',
}


def main():
    for name, body in ICONS.items():
        with open(os.path.join(HERE, name + ".svg"), "w", encoding="utf-8") as out:
            out.write(svg(body))
    print(f"{len(ICONS)} icons written to {HERE}")


if __name__ == "__main__":
    main()
