#!/usr/bin/env python3
"""Loads the golden set of router-style pages (bench/pages) through quorvane-cli --read-page and,
where it is installed, through headless Chromium, side by side in one run.

Every page is served from 127.0.0.1 by this script; each load is a process of its own, its start
included, on both sides. A page counts only when what it should show is there: each page of the
set names a text that its scripts, frames or requests put on it. Reported per page: the median
time of each program; then both medians over the set and their ratio. The engine's target: every
page under 100 ms, and at least 3 times faster than Chromium over the set's median. The exit
status is 1 when the engine misses its target (or a page does not show what it should).

Usage: bench/golden_pages.py [BUILD_BIN_DIR] [RUNS]
"""
import functools
import http.server
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import threading
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
PAGES = os.path.join(ROOT, "bench", "pages")
BIN = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build", "bin")
RUNS = int(sys.argv[2]) if len(sys.argv) > 2 else 7
TARGET_MS = 100.0
TARGET_RATIO = 3.0

# Page, and a text its body HTML holds once its scripts, frames and requests have run.
GOLDEN = [
    ("wan_settings.html", 'value="user@isp.example"'),
    ("ppp_index.html", "300 controls"),
    ("line_stats.html", "Counter 60"),
    ("frames_index.html", "3 days 04:12:55"),
    ("system_log.html", "event 199 on ppp0"),
    ("device_info.html", "SN0012345678"),
]
CHROMIUM_FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-background-networking",
                  "--disable-component-update", "--disable-sync", "--no-first-run",
                  "--no-proxy-server", "--dump-dom"]


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


def serve():
    handler = functools.partial(QuietHandler, directory=PAGES)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


def timed(command):
    start = time.monotonic()
    done = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                          stdin=subprocess.DEVNULL, timeout=60)
    return (time.monotonic() - start) * 1000.0, done.stdout.decode("utf-8", "replace")


def median_ms(command, marker, label):
    times = []
    for _ in range(RUNS):
        ms, out = timed(command)
        if marker not in out:
            print(f"  {label}: the page does not show {marker!r}", file=sys.stderr)
            return None
        times.append(ms)
    return statistics.median(times)


def main():
    cli = os.path.join(BIN, "quorvane-cli")
    chromium = shutil.which("chromium")
    server = serve()
    base = f"http://127.0.0.1:{server.server_address[1]}/"
    profile = tempfile.mkdtemp(prefix="quorvane-chromium-")
    engine_all, chromium_all, ok = [], [], True
    # The floor of every engine figure: the program starting and ending without loading a page.
    start = statistics.median(timed([cli, "--version"])[0] for _ in range(RUNS))
    print(f"quorvane-cli start and exit alone: {start:.1f} ms")
    print(f"{'page':<22}{'engine ms':>12}{'chromium ms':>14}")
    try:
        for page, marker in GOLDEN:
            engine = median_ms([cli, "--read-page", base + page, "--html"], marker, page)
            other = None
            if chromium:
                other = median_ms([chromium] + CHROMIUM_FLAGS + ["--user-data-dir=" + profile, base + page],
                                  marker, page + " (chromium)")
            shown_other = "-" if other is None else f"{other:.1f}"
            shown_engine = "fails" if engine is None else f"{engine:.1f}"
            print(f"{page:<22}{shown_engine:>12}{shown_other:>14}")
            if engine is None or engine >= TARGET_MS:
                ok = False
            if engine is not None:
                engine_all.append(engine)
            if other is not None:
                chromium_all.append(other)
    finally:
        server.shutdown()
        shutil.rmtree(profile, ignore_errors=True)
    if engine_all:
        print(f"{'median':<22}{statistics.median(engine_all):>12.1f}"
              f"{(statistics.median(chromium_all) if chromium_all else float('nan')):>14.1f}")
    if chromium_all and engine_all:
        ratio = statistics.median(chromium_all) / statistics.median(engine_all)
        print(f"chromium / engine on the median: {ratio:.2f}x (target {TARGET_RATIO:.0f}x)")
        ok = ok and ratio >= TARGET_RATIO
    elif not chromium:
        print("chromium is not installed: its column is left out")
    print("target met" if ok else "target missed")
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
