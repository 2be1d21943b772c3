#!/usr/bin/env python3
"""Speed and memory on the display path users run: the program's real window
on an X server (Xvfb, where Qt Quick renders through OpenGL on llvmpipe),
measured beside a bare Qt Quick grid started the same way by Qt's own `qml`
tool on the same server.

Usage: bench/x11/measure.py BUILD_DIR [--counts 100,1000,10000] [--runs 3] [--start-only]

For each number of applications and each run, both programs start over the
same generated tree, and the figures are:
  start   spawn to the window being mapped (ms)
  first   spawn to the first frame swapped (ms)
  idle    resident memory 3 s after the window mapped (MiB)
  scroll  resident memory after scrolling the grid from top to bottom (MiB)
  cpu     CPU time while idle, window shown and search field focused (% of a core)
  frame   while scrolling: the longest time between two swapped frames (ms)
  slow    while scrolling: frames that missed their 60 Hz slot (a frame that
          takes the whole 16.7 ms leaves a gap of 25 ms or more)
  key p99 typing into the search field: from a key event to the first frame that
          shows the grid it leaves (ms), 99th percentile
  key max the slowest of those keys over every run (ms)
Frames come from the scene graph's frameSwapped: the program writes them to the
file BRIMLARK_FRAME_LOG names, the bare grid to its standard error; both count
the grid's changes, so the frame that first shows a keystroke's grid is known.
--start-only measures start, first, idle and cpu alone (no scrolling, no
typing), for a quick look at the start.

Before each start the bench touches and frees WARM_MIB of memory, so that
both programs start with free memory the machine has just used. On a virtual
machine whose host takes back the guest's free memory, a page freed more than
a few seconds earlier costs several times as much to touch the first time
(on this machine, 200 MB: about 470 ms after 15 s of quiet, about 105 ms right
after another touch). Without the warm-up the start figures measured that,
and which program ran right after the other, more than the programs.
--no-warm leaves it out. The table gives the median of the runs, the baseline's median and the ratio,
with the load average at the start and the end, then how each figure grows with
the number of applications.
"""

import argparse
import ctypes
import mmap
import os
import re
import shutil
import signal
import statistics
import struct
import subprocess
import sys
import tempfile
import time
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
QML_TOOL = "/usr/lib/qt6/bin/qml"
CLOCK_TICKS = os.sysconf("SC_CLK_TCK")
IDLE_SECONDS = 10
FRAME_BUDGET_MS = 1000 / 60
# Frames are paced to the display's 60 Hz while the grid moves, so gaps of
# about 16.7 ms are the pace itself; a frame whose work took the whole budget
# misses its slot and leaves a gap of one and a half slots or more.
MISSED_SLOT_MS = 1.5 * FRAME_BUDGET_MS
# Each group types three digits and takes them back: every key changes which
# names match, so every key changes the grid.
KEY_GROUPS = ["579", "246", "813", "357", "924", "168", "735", "491"]
KEY_GAP_SECONDS = 0.15
# More than either program touches while it starts.
WARM_MIB = 512
# The program is measured at 100, 1,000 and 10,000 applications unless --counts says otherwise.


def png(size, rgb):
    """A solid square PNG, made with the standard library only."""
    raw = b"".join(b"\x00" + bytes(rgb) * size for _ in range(size))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def make_tree(root, count):
    """count bundles under root/Applications, each with its own 128-pixel icon."""
    apps = os.path.join(root, "Applications")
    os.makedirs(apps)
    categories = ["productivity", "utilities", "developer-tools", "games", "music", "finance", "education"]
    for i in range(count):
        contents = os.path.join(apps, f"Application {i:05d}.app", "Contents")
        os.makedirs(os.path.join(contents, "Resources"))
        with open(os.path.join(contents, "Info.plist"), "w") as f:
            f.write('<?xml version="1.0" encoding="UTF-8"?>\n<plist version="1.0"><dict>'
                    f"<key>CFBundleIdentifier</key><string>org.example.app{i}</string>"
                    "<key>LSApplicationCategoryType</key>"
                    f"<string>public.app-category.{categories[i % len(categories)]}</string>"
                    "<key>CFBundleIconFile</key><string>icon.png</string></dict></plist>\n")
        with open(os.path.join(contents, "Resources", "icon.png"), "wb") as f:
            f.write(png(128, ((i * 37) % 256, (i * 91) % 256, (i * 53) % 256)))


def warm_memory(mib):
    """Touches mib MiB of fresh memory and frees it: the pages the next
    program gets are then ones the machine has just used."""
    size = mib << 20
    block = mmap.mmap(-1, size)
    try:
        view = ctypes.c_char.from_buffer(block)
        ctypes.memset(ctypes.addressof(view), 1, size)
        del view
    finally:
        block.close()


def start_xvfb():
    read, write = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x800x24", "-nolisten", "tcp", "-noreset"],
                              pass_fds=(write,), stderr=subprocess.DEVNULL)
    os.close(write)
    with os.fdopen(read) as f:
        display = ":" + f.readline().strip()
    return server, display


def rss_mib(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024
    return float("nan")


def cpu_ticks(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])


def window_of(pid, display, deadline):
    env = dict(os.environ, DISPLAY=display)
    while time.monotonic() < deadline:
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(pid)],
                               env=env, capture_output=True, text=True).stdout.split()
        if found:
            return found[-1]
        time.sleep(0.005)
    return None


class Keyboard:
    """Key events sent straight through the X server's test extension, so the
    time taken just before the event leaves is the time of the key event."""

    def __init__(self, display):
        self.x11 = ctypes.CDLL("libX11.so.6")
        self.xtst = ctypes.CDLL("libXtst.so.6")
        self.x11.XOpenDisplay.restype = ctypes.c_void_p
        self.x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x11.XStringToKeysym.restype = ctypes.c_ulong
        self.x11.XStringToKeysym.argtypes = [ctypes.c_char_p]
        self.x11.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        self.x11.XFlush.argtypes = [ctypes.c_void_p]
        self.x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self.xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
        self.connection = self.x11.XOpenDisplay(display.encode())
        if not self.connection:
            raise RuntimeError(f"cannot open {display}")

    def press(self, name):
        """Presses and releases a key; returns the wall-clock time of the event in microseconds."""
        code = self.x11.XKeysymToKeycode(self.connection, self.x11.XStringToKeysym(name.encode()))
        self.xtst.XTestFakeKeyEvent(self.connection, code, 1, 0)
        self.xtst.XTestFakeKeyEvent(self.connection, code, 0, 0)
        sent = time.time_ns() // 1000
        self.x11.XFlush(self.connection)
        return sent

    def close(self):
        self.x11.XCloseDisplay(self.connection)


def read_frames(path, bare):
    """(wall-clock microseconds, grid generation) of each swapped frame."""
    frames = []
    with open(path, errors="replace") as f:
        for line in f:
            if bare:
                found = re.search(r"frame (\d+) (\d+)", line)
                if found:
                    frames.append((int(found.group(1)) * 1000, int(found.group(2))))
            else:
                fields = line.split()
                if len(fields) == 2:
                    frames.append((int(fields[0]), int(fields[1])))
    return frames


def scroll_frames(frames, start, end):
    """The longest gap between two frames swapped while the wheel turned, and
    how many frames missed their slot."""
    times = [t for t, _ in frames if start <= t <= end]
    gaps = [(b - a) / 1000 for a, b in zip(times, times[1:])]
    if not gaps:
        return float("nan"), float("nan")
    return max(gaps), sum(1 for g in gaps if g >= MISSED_SLOT_MS)


def key_latencies(frames, keys):
    """For each key (sent time, grid generation it makes), the time to the
    first frame that shows that generation (ms)."""
    latencies = []
    for sent, generation in keys:
        shown = next((t for t, g in frames if g >= generation and t >= sent), None)
        latencies.append(float("nan") if shown is None else (shown - sent) / 1000)
    return latencies


def p99(values):
    values = sorted(v for v in values if v == v)
    if not values:
        return float("nan")
    return values[min(len(values) - 1, int(round(0.99 * (len(values) - 1))))]


def slowest(values):
    return max((v for v in values if v == v), default=float("nan"))


def measure(command, env, display, count, frame_log, bare, type_keys, start_only=False, warm=True):
    if not bare:
        env = dict(env, BRIMLARK_FRAME_LOG=frame_log)
    if warm:
        warm_memory(WARM_MIB)
    started = time.monotonic()
    spawned = time.time_ns() // 1000
    with open(frame_log, "w") as log:
        process = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL,
                                   stderr=log if bare else subprocess.DEVNULL)
    try:
        window = window_of(process.pid, display, started + 60)
        if window is None:
            raise RuntimeError(f"no window from {command[0]}")
        result = {"start": (time.monotonic() - started) * 1000}
        xenv = dict(os.environ, DISPLAY=display)
        # No window manager here: give the window the input focus, as a
        # desktop does, so its field is focused and its cursor blinks.
        subprocess.run(["xdotool", "windowfocus", window], env=xenv)
        time.sleep(3)
        result["idle"] = rss_mib(process.pid)
        before = cpu_ticks(process.pid)
        time.sleep(IDLE_SECONDS)
        result["cpu"] = 100 * (cpu_ticks(process.pid) - before) / CLOCK_TICKS / IDLE_SECONDS
        if start_only:
            frames = read_frames(frame_log, bare)
            result["first"] = (frames[0][0] - spawned) / 1000 if frames else float("nan")
            for key in ("scroll", "frame", "slow", "key p99", "key max"):
                result[key] = float("nan")
            result["latencies"] = []
            return result
        geometry = subprocess.run(["xdotool", "getwindowgeometry", "--shell", window], env=xenv,
                                  capture_output=True, text=True).stdout
        g = dict(line.split("=", 1) for line in geometry.split())
        x = int(g["X"]) + int(g["WIDTH"]) * 2 // 3
        y = int(g["Y"]) + int(g["HEIGHT"]) // 2
        subprocess.run(["xdotool", "mousemove", str(x), str(y)], env=xenv)
        # The frames while the wheel turns: a stretch short enough to stay
        # inside the grid of 1,000, so every wheel step moves it.
        wheel_start = time.time_ns() // 1000
        subprocess.run(["xdotool", "click", "--repeat", "100", "--delay", "8", "5"], env=xenv)
        wheel_end = time.time_ns() // 1000
        # Enough wheel steps to reach the bottom of the tallest grid.
        steps = max(100, count // 2)
        subprocess.run(["xdotool", "click", "--repeat", str(steps), "--delay", "4", "5"], env=xenv)
        time.sleep(2)
        result["scroll"] = rss_mib(process.pid)
        keys = []
        if type_keys:
            generation = read_frames(frame_log, bare)[-1][1] if read_frames(frame_log, bare) else 0
            keyboard = Keyboard(display)
            try:
                for group in KEY_GROUPS:
                    for key in list(group) + ["BackSpace"] * len(group):
                        generation += 1
                        keys.append((keyboard.press(key), generation))
                        time.sleep(KEY_GAP_SECONDS)
            finally:
                keyboard.close()
            time.sleep(0.5)
        frames = read_frames(frame_log, bare)
        result["first"] = (frames[0][0] - spawned) / 1000 if frames else float("nan")
        result["frame"], result["slow"] = scroll_frames(frames, wheel_start, wheel_end)
        result["latencies"] = key_latencies(frames, keys)
        result["key p99"] = p99(result["latencies"]) if keys else float("nan")
        result["key max"] = slowest(result["latencies"])
        return result
    finally:
        process.send_signal(signal.SIGTERM)
        try:
            process.wait(5)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("--counts", default="100,1000,10000")
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--start-only", action="store_true")
    parser.add_argument("--no-warm", action="store_true", help="start without warming the memory first")
    args = parser.parse_args()
    program = os.path.join(os.path.abspath(args.build), "src", "shell", "brimlark")
    for tool in ("Xvfb", "xdotool", QML_TOOL, program):
        if not shutil.which(tool):
            sys.exit(f"x11 bench: {tool} is missing (./dev setup installs it)")

    load_before = os.getloadavg()
    server, display = start_xvfb()
    rows = []
    try:
        for count in (int(c) for c in args.counts.split(",")):
            with tempfile.TemporaryDirectory(prefix="brimlark-x11-bench-") as work:
                make_tree(os.path.join(work, "root"), count)
                figures = {"brimlark": [], "bare": []}
                for run in range(args.runs):
                    for name in figures:
                        home = os.path.join(work, f"home-{name}-{run}")
                        runtime = os.path.join(work, f"runtime-{name}-{run}")
                        os.makedirs(home)
                        os.makedirs(runtime, mode=0o700)
                        env = dict(os.environ, DISPLAY=display, HOME=home, XDG_RUNTIME_DIR=runtime,
                                   XDG_CONFIG_HOME=os.path.join(home, ".config"),
                                   XDG_DATA_HOME=os.path.join(home, ".local", "share"),
                                   BRIMLARK_SYSTEM_ROOT=os.path.join(work, "root"))
                        env.pop("QT_QPA_PLATFORM", None)
                        command = ([program] if name == "brimlark"
                                   else [QML_TOOL, os.path.join(HERE, "BareGrid.qml"), "--", str(count)])
                        figures[name].append(measure(command, env, display, count,
                                                     os.path.join(work, f"frames-{name}-{run}"),
                                                     bare=name == "bare", type_keys=True,
                                                     start_only=args.start_only, warm=not args.no_warm))
                rows.append((count, figures))
    finally:
        server.terminate()
        server.wait()

    load_after = os.getloadavg()
    print(f"X11 path under Xvfb; load average {load_before[0]:.2f} before, {load_after[0]:.2f} after; "
          f"median of {args.runs} runs (key p99: over the keys of every run); "
          + ("memory not warmed before each start" if args.no_warm else f"{WARM_MIB} MiB of memory warmed before each start"))
    print(f"{'apps':>6} {'measure':<8} {'brimlark':>10} {'bare grid':>10} {'ratio':>6}   runs (brimlark)")
    units = {"start": "ms", "first": "ms", "idle": "MiB", "scroll": "MiB", "cpu": "%", "frame": "ms", "slow": "", "key p99": "ms", "key max": "ms"}
    medians = {}
    for count, figures in rows:
        for key in units:
            if args.start_only and key not in ("start", "first", "idle", "cpu"):
                continue
            pair = []
            for name in ("brimlark", "bare"):
                if key == "key p99":
                    pair.append(p99([v for r in figures[name] for v in r["latencies"]]))
                elif key == "key max":
                    pair.append(slowest([v for r in figures[name] for v in r["latencies"]]))
                else:
                    pair.append(statistics.median(r[key] for r in figures[name]))
            ours, bare = pair
            medians[(count, key)] = pair
            ratio = ours / bare if bare else float("inf")
            runs = " ".join(f"{r[key]:.1f}" for r in figures["brimlark"])
            print(f"{count:>6} {key:<8} {ours:>8.1f}{units[key]:<2} {bare:>8.1f}{units[key]:<2} {ratio:>5.2f}x   {runs}")

    # How cost grows: the tiles on screen are the same from 100 applications
    # up, so the memory added between two counts is what each further
    # application costs.
    counts = [count for count, _ in rows]
    print()
    print("How cost grows (brimlark / bare grid)")
    print(f"{'apps':>6} {'start ms':>15} {'first frame ms':>15} {'idle MiB':>15} {'key p99 ms':>15} "
          f"{'KiB per added app':>20}")
    for i, count in enumerate(counts):
        cells = [f"{medians[(count, k)][0]:.1f} / {medians[(count, k)][1]:.1f}" if (count, k) in medians else "-"
                 for k in ("start", "first", "idle", "key p99")]
        growth = ""
        if i > 0:
            added = count - counts[i - 1]
            per_app = [(medians[(count, "idle")][j] - medians[(counts[i - 1], "idle")][j]) * 1024 / added
                       for j in (0, 1)]
            growth = f"{per_app[0]:.2f} / {per_app[1]:.2f}"
        print(f"{count:>6} {cells[0]:>15} {cells[1]:>15} {cells[2]:>15} {cells[3]:>15} {growth:>20}")

if __name__ == "__main__":
    main()
