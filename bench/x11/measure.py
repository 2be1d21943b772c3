#!/usr/bin/env python3
"""Speed and memory on the display path users run: the program's real window
on an X server (Xvfb, where Qt Quick renders through OpenGL on llvmpipe),
measured beside a bare Qt Quick grid started the same way by Qt's own `qml`
tool on the same server.

Usage: bench/x11/measure.py BUILD_DIR [--counts 100,1000,10000] [--runs 3]

For each number of applications and each run, both programs start over the
same generated tree, and the figures are:
  start   spawn to the window being mapped (ms)
  idle    resident memory 3 s after the window mapped (MiB)
  scroll  resident memory after scrolling the grid from top to bottom (MiB)
  cpu     CPU time while idle, window shown and search field focused (% of a core)
The table gives the median of the runs, the baseline's median and the ratio,
with the load average at the start and the end.
"""

import argparse
import os
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


def start_xvfb():
    read, write = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x800x24", "-nolisten", "tcp"],
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


def measure(command, env, display, count):
    started = time.monotonic()
    process = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
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
        geometry = subprocess.run(["xdotool", "getwindowgeometry", "--shell", window], env=xenv,
                                  capture_output=True, text=True).stdout
        g = dict(line.split("=", 1) for line in geometry.split())
        x = int(g["X"]) + int(g["WIDTH"]) * 2 // 3
        y = int(g["Y"]) + int(g["HEIGHT"]) // 2
        subprocess.run(["xdotool", "mousemove", str(x), str(y)], env=xenv)
        # Enough wheel steps to reach the bottom of the tallest grid.
        steps = max(100, count // 2)
        subprocess.run(["xdotool", "click", "--repeat", str(steps), "--delay", "4", "5"], env=xenv)
        time.sleep(2)
        result["scroll"] = rss_mib(process.pid)
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
                        figures[name].append(measure(command, env, display, count))
                rows.append((count, figures))
    finally:
        server.terminate()
        server.wait()

    load_after = os.getloadavg()
    print(f"X11 path under Xvfb; load average {load_before[0]:.2f} before, {load_after[0]:.2f} after; "
          f"median of {args.runs} runs")
    print(f"{'apps':>6} {'measure':<8} {'brimlark':>10} {'bare grid':>10} {'ratio':>6}   runs (brimlark)")
    units = {"start": "ms", "idle": "MiB", "scroll": "MiB", "cpu": "%"}
    for count, figures in rows:
        for key in ("start", "idle", "scroll", "cpu"):
            ours = statistics.median(r[key] for r in figures["brimlark"])
            bare = statistics.median(r[key] for r in figures["bare"])
            ratio = ours / bare if bare else float("inf")
            runs = " ".join(f"{r[key]:.1f}" for r in figures["brimlark"])
            print(f"{count:>6} {key:<8} {ours:>8.1f}{units[key]:<2} {bare:>8.1f}{units[key]:<2} {ratio:>5.2f}x   {runs}")


if __name__ == "__main__":
    main()
