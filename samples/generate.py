#!/usr/bin/env python3
"""Builds a sample tree of application bundles and Library files.

Usage:
    samples/generate.py ROOT [--home HOME] [--force]

    ROOT     system root of the sample: ROOT/Applications, ROOT/System/Applications
             and ROOT/Library are made there.
    --home   the sample user's home folder (default ROOT/home): HOME/Applications,
             HOME/Library, HOME/Documents and HOME/.local/share/recently-used.xbel.
    --force  write into ROOT even when it already holds files (an earlier sample is
             replaced; nothing else in ROOT is touched).

Run the program over it with BRIMLARK_SYSTEM_ROOT=ROOT and HOME=HOME. The last
line printed is "sample: <bundles> bundles in <ROOT>".

Every bundle has a Contents/Info.plist (XML or binary), an icon (.icns or .png)
in Contents/Resources for most of them, and an executable shell script in
Contents/MacOS. Decoys that are not applications sit beside them: a folder
ending in ".APP", a hidden bundle, a bundle inside a sub-folder and a plain file
named like a bundle. Only the Python standard library is used.
"""

import argparse
import os
import plistlib
import shutil
import struct
import sys
import zlib
from datetime import datetime, timedelta, timezone
from urllib.parse import quote

CAT = "public.app-category."

# (folder, name, category value, plist format, icon kind)
# folder: "system" = ROOT/Applications, "core" = ROOT/System/Applications,
#         "user" = HOME/Applications.
# category: a text, None for no key, or an int for a key of the wrong type.
# icon: "icns" (CFBundleIconFile without extension), "icns-ext", "png",
#       "missing" (the key names a file that is not there), None (no key).
APPS = [
    ("system", "Atlas Maps", CAT + "navigation", "xml", "icns"),
    ("system", "Brim Notes", CAT + "productivity", "binary", "icns"),
    ("system", "Café Menu", CAT + "food-and-drink", "xml", "png"),
    ("system", "Über Clock", CAT + "utilities", "binary", "icns-ext"),
    ("system", "Ångström Lab", CAT + "education", "xml", "icns"),
    ("system", "Zephyr Mail", CAT + "productivity", "binary", "png"),
    ("system", "echo chamber", CAT + "social-networking", "xml", "icns"),
    ("system", "Pixel Forge", CAT + "graphics-design", "binary", "icns"),
    ("system", "Code Harbor", CAT + "developer-tools", "xml", "icns"),
    ("system", "Terminal Pal", CAT + "developer-tools", "binary", "icns"),
    ("system", "Night Sky", CAT + "education", "xml", "png"),
    ("system", "Ledger Lite", CAT + "finance", "binary", "icns"),
    ("system", "Rhythm Box Studio", CAT + "music", "xml", "icns"),
    ("system", "Frame Cutter", CAT + "video", "binary", "icns"),
    ("system", "Puzzle Garden", CAT + "puzzle-games", "xml", "png"),
    ("system", "Rocket Run", CAT + "games", "binary", "icns"),
    ("system", "Weather Deck", CAT + "weather", "xml", "icns"),
    ("system", "Word Well", CAT + "reference", "binary", "missing"),
    ("system", "Plain Tool", None, "xml", None),
    ("system", "Odd Category", 42, "binary", "icns"),
    ("system", "Empty Category", "", "xml", "png"),
    ("system", "Trailing Dot", CAT, "binary", "icns"),
    ("system", "Bare Word", "GAMES", "xml", "icns"),
    ("system", "Señal", CAT + "social-networking", "binary", "icns"),
    ("system", "Øresund Ferry", CAT + "travel", "xml", "png"),
    ("system", "Money Jar", CAT + "finance", "xml", "icns"),
    ("system", "Yarn Ball", CAT + "lifestyle", "binary", "icns"),
    ("core", "Calculator Plus", CAT + "utilities", "binary", "icns"),
    ("core", "Disk Doctor", CAT + "utilities", "xml", "icns"),
    ("core", "Preview Pane", CAT + "productivity", "binary", "png"),
    ("core", "Font Shelf", CAT + "utilities", "xml", "icns"),
    ("core", "Chess Board", CAT + "board-games", "binary", "icns"),
    ("core", "Screen Grab", CAT + "utilities", "xml", None),
    ("core", "Mission Log", CAT + "productivity", "binary", "icns"),
    ("user", "Terminal Pal", CAT + "developer-tools", "xml", "png"),
    ("user", "Side Project", CAT + "developer-tools", "binary", "icns"),
    ("user", "Garden Planner", CAT + "lifestyle", "xml", "icns"),
    ("user", "ärger Timer", CAT + "productivity", "binary", "icns"),
    ("user", "Photo Sorter", CAT + "photography", "xml", "png"),
    ("user", "Tiny Synth", CAT + "music", "binary", "icns"),
]

# Applications whose leftovers also sit in the system Library.
SYSTEM_LEFTOVERS = {"Code Harbor", "Ledger Lite", "Disk Doctor"}


def slug(name):
    out = []
    for ch in name.lower():
        if ch.isascii() and ch.isalnum():
            out.append(ch)
        elif out and out[-1] != "-":
            out.append("-")
    return "".join(out).strip("-") or "app"


# ---- images ---------------------------------------------------------------

def png_bytes(width, height, rows):
    """rows: list of bytes objects, each width*4 RGBA bytes."""
    def chunk(tag, data):
        body = tag + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    raw = b"".join(b"\x00" + r for r in rows)
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def icon_rows(index, size):
    """A rounded tile in a colour of its own with one of a few marks on it."""
    hue = (index * 47) % 360
    base = hsv(hue, 0.55, 0.85)
    mark = hsv((hue + 180) % 360, 0.35, 0.98)
    shape = index % 4
    radius = size * 0.22
    c = (size - 1) / 2.0
    transparent = b"\x00\x00\x00\x00"
    base_px = bytes(base) + b"\xff"
    mark_px = bytes(mark) + b"\xff"
    rows = []
    for y in range(size):
        row = bytearray()
        for x in range(size):
            # Rounded corners.
            dx = max(radius - x, 0, x - (size - 1 - radius))
            dy = max(radius - y, 0, y - (size - 1 - radius))
            if dx * dx + dy * dy > radius * radius:
                row += transparent
                continue
            u = (x - c) / size
            v = (y - c) / size
            if shape == 0:
                inside = u * u + v * v < 0.07
            elif shape == 1:
                inside = abs(u) + abs(v) < 0.28
            elif shape == 2:
                inside = abs(u) < 0.25 and abs(v) < 0.25 and int((v + 0.25) * 12) % 2 == 0
            else:
                inside = 0.05 < u * u + v * v < 0.11
            row += mark_px if inside else base_px
        rows.append(bytes(row))
    return rows


def hsv(h, s, v):
    i = int(h / 60) % 6
    f = h / 60 - int(h / 60)
    p, q, t = v * (1 - s), v * (1 - s * f), v * (1 - s * (1 - f))
    r, g, b = [(v, t, p), (q, v, p), (p, v, t), (p, q, v), (t, p, v), (v, p, q)][i]
    return (int(r * 255), int(g * 255), int(b * 255))


def doubled(rows):
    """The same picture at twice the size (nearest neighbour)."""
    out = []
    for r in rows:
        wide = bytearray()
        for i in range(0, len(r), 4):
            wide += r[i:i + 4] * 2
        out.append(bytes(wide))
        out.append(bytes(wide))
    return out


def icns_bytes(rows128):
    """An icon family with 128 px (ic07) and 256 px (ic08) PNG members."""
    members = [(b"ic07", png_bytes(128, 128, rows128)),
               (b"ic08", png_bytes(256, 256, doubled(rows128)))]
    body = b"".join(tag + struct.pack(">I", len(data) + 8) + data for tag, data in members)
    return b"icns" + struct.pack(">I", len(body) + 8) + body


# ---- files ----------------------------------------------------------------

def write(path, data, mode=None):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data if isinstance(data, bytes) else data.encode("utf-8"))
    if mode is not None:
        os.chmod(path, mode)


def plist(value, fmt):
    return plistlib.dumps(value, fmt=plistlib.FMT_BINARY if fmt == "binary" else plistlib.FMT_XML)


def make_bundle(folder, index, name, category, fmt, icon):
    bundle = os.path.join(folder, name + ".app")
    executable = slug(name).replace("-", "_")
    bundle_id = "org.brimlark.sample." + slug(name)
    info = {
        "CFBundleName": name,
        "CFBundleIdentifier": bundle_id,
        "CFBundleExecutable": executable,
        "CFBundlePackageType": "APPL",
        "CFBundleShortVersionString": "1.%d" % index,
    }
    if category is not None:
        info["LSApplicationCategoryType"] = category
    rows = None
    if icon in ("icns", "icns-ext", "png"):
        rows = icon_rows(index, 128)
    if icon == "icns":
        info["CFBundleIconFile"] = "AppIcon"
        write(os.path.join(bundle, "Contents/Resources/AppIcon.icns"), icns_bytes(rows))
    elif icon == "icns-ext":
        info["CFBundleIconFile"] = "AppIcon.icns"
        write(os.path.join(bundle, "Contents/Resources/AppIcon.icns"), icns_bytes(rows))
    elif icon == "png":
        info["CFBundleIconFile"] = "Icon.png"
        write(os.path.join(bundle, "Contents/Resources/Icon.png"), png_bytes(128, 128, rows))
    elif icon == "missing":
        info["CFBundleIconFile"] = "Gone"
    write(os.path.join(bundle, "Contents/Info.plist"), plist(info, fmt))
    write(os.path.join(bundle, "Contents/MacOS", executable),
          "#!/bin/sh\n# Sample application: it only says that it started.\n"
          "echo \"%s started\"\nexit 0\n" % name.replace('"', ""), 0o755)
    return bundle_id


def make_leftovers(home, root, name, bundle_id):
    lib = os.path.join(home, "Library")
    write(os.path.join(lib, "Application Support", name, "settings.json"), '{"sample": true}\n')
    write(os.path.join(lib, "Caches", bundle_id, "Cache.db"), b"\x00" * 4096)
    write(os.path.join(lib, "Preferences", bundle_id + ".plist"),
          plist({"LastWindowFrame": "0 0 800 600", "LaunchCount": 3}, "binary"))
    write(os.path.join(lib, "Saved Application State", bundle_id + ".savedState", "windows.plist"),
          plist([], "binary"))
    write(os.path.join(lib, "Logs", name, "app.log"), "started\n")
    if name in SYSTEM_LEFTOVERS:
        write(os.path.join(root, "Library", "Application Support", name, "shared.db"), b"\x01" * 1024)
        write(os.path.join(root, "Library", "Preferences", bundle_id + ".plist"),
              plist({"Installed": True}, "xml"))


def make_decoys(apps, core, user):
    # Upper-case extension: not an application.
    write(os.path.join(apps, "Shouting.APP", "Contents/Info.plist"), plist({"CFBundleName": "Shouting"}, "xml"))
    # Hidden bundle: skipped with the other hidden entries.
    write(os.path.join(apps, ".Hidden Helper.app", "Contents/Info.plist"), plist({"CFBundleName": "Hidden"}, "xml"))
    # Only the top level of a folder is read.
    write(os.path.join(apps, "Utilities", "Nested Tool.app", "Contents/Info.plist"),
          plist({"CFBundleName": "Nested Tool"}, "binary"))
    # A plain file named like a bundle.
    write(os.path.join(core, "Not A Folder.app"), "not a bundle\n")
    write(os.path.join(user, "Read Me.txt"), "Sample applications of the current user.\n")


def make_recent_documents(home):
    docs = os.path.join(home, "Documents")
    now = datetime.now(timezone.utc)
    entries = []
    for i, (file_name, hours) in enumerate([
            ("Budget 2024.ods", 1), ("Trip notes.txt", 5), ("Résumé.pdf", 20),
            ("Sketch.png", 30), ("Old letter.txt", 24 * 5)]):
        path = os.path.join(docs, file_name)
        write(path, "sample document %d\n" % i)
        stamp = (now - timedelta(hours=hours)).strftime("%Y-%m-%dT%H:%M:%S.000000Z")
        entries.append(
            '  <bookmark href="file://%s" added="%s" modified="%s" visited="%s">\n'
            '    <info><metadata owner="http://freedesktop.org">'
            '<mime:mime-type type="text/plain"/>'
            '<bookmark:applications><bookmark:application name="sample" exec="sample %%u" '
            'modified="%s" count="1"/></bookmark:applications></metadata></info>\n'
            '  </bookmark>\n' % (quote(path), stamp, stamp, stamp, stamp))
    write(os.path.join(home, ".local/share/recently-used.xbel"),
          '<?xml version="1.0" encoding="UTF-8"?>\n'
          '<xbel version="1.0" xmlns:bookmark="http://www.freedesktop.org/standards/desktop-bookmarks" '
          'xmlns:mime="http://www.freedesktop.org/standards/shared-mime-info">\n'
          + "".join(entries) + "</xbel>\n")


def main(argv):
    parser = argparse.ArgumentParser(description="Build a sample tree of application bundles.")
    parser.add_argument("root")
    parser.add_argument("--home")
    parser.add_argument("--force", action="store_true")
    args = parser.parse_args(argv)

    root = os.path.abspath(args.root)
    home = os.path.abspath(args.home) if args.home else os.path.join(root, "home")
    folders = {
        "system": os.path.join(root, "Applications"),
        "core": os.path.join(root, "System", "Applications"),
        "user": os.path.join(home, "Applications"),
    }
    if os.path.isdir(root) and os.listdir(root) and not args.force:
        print("sample: %s is not empty (use --force to replace the sample there)" % root, file=sys.stderr)
        return 1
    for path in list(folders.values()) + [os.path.join(root, "Library"), os.path.join(home, "Library")]:
        shutil.rmtree(path, ignore_errors=True)

    for index, (where, name, category, fmt, icon) in enumerate(APPS):
        bundle_id = make_bundle(folders[where], index, name, category, fmt, icon)
        make_leftovers(home, root, name, bundle_id)
    make_decoys(folders["system"], folders["core"], folders["user"])
    make_recent_documents(home)
    print("sample: %d bundles in %s" % (len(APPS), root))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
