#!/usr/bin/env python3
"""Times complete runs of quorvane-cli against quorvane-routersim on loopback.

For each router class it runs the diagnostic several times and reports the wall time minus the
waits that the run is required to make (the 3000 ms pause after a login form is submitted, and the
1 s that the browser waits at least before a page's refresh reloads it: the simulator's diagnostic
page asks for an immediate refresh and shows its result at the third load), and the peak resident
memory of quorvane-cli. The IP configuration capture is switched off, so that no other fixed wait
is counted.

Usage: bench/run_bench.py [BUILD_BIN_DIR] [RUNS]
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BIN = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build", "bin")
RUNS = int(sys.argv[2]) if len(sys.argv) > 2 else 5
LOGIN_PAUSE_S = {"I": 0.0, "II": 3.0, "V": 3.0}
# Two refresh-driven reloads of the diagnostic page, each no sooner than 1 s after the last load.
REFRESH_FLOOR_S = 2 * 1.0


def start_router(klass):
    proc = subprocess.Popen(
        [os.path.join(BIN, "quorvane-routersim"), "--class", klass, "--port", "0",
         "--refresh-seconds", "0", "--lifetime-seconds", "300"],
        stdout=subprocess.PIPE, stdin=subprocess.DEVNULL, text=True)
    line = proc.stdout.readline().strip()
    if not line.startswith("port="):
        proc.kill()
        raise RuntimeError("simulator did not start: " + line)
    return proc, int(line[5:])


def main():
    app_dir = tempfile.mkdtemp(prefix="quorvane-bench-")
    profiles = os.path.join(ROOT, "tools", "routersim", "profiles")
    for name in os.listdir(profiles):
        shutil.copy(os.path.join(profiles, name), app_dir)
    results = []
    peak_kb = [0]
    try:
        for klass in ("I", "II", "V"):
            router, port = start_router(klass)
            try:
                own_times = []
                for _ in range(RUNS):
                    start = time.monotonic()
                    cli = subprocess.Popen(
                        [os.path.join(BIN, "quorvane-cli"), "--app-dir", app_dir, "--class", klass,
                         "--ip", "127.0.0.1", "--port", str(port), "--no-ipconfig",
                         "--ping-host", "localhost", "--ping-ip", "127.0.0.1"],
                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL)
                    _, status, usage = os.wait4(cli.pid, 0)
                    wall = time.monotonic() - start
                    cli.returncode = os.waitstatus_to_exitcode(status)
                    peak_kb[0] = max(peak_kb[0], usage.ru_maxrss)
                    if cli.returncode != 0:
                        raise RuntimeError("run of class %s failed with status %d" % (klass, cli.returncode))
                    own_times.append(wall - LOGIN_PAUSE_S[klass] - REFRESH_FLOOR_S)
                own_times.sort()
                results.append((klass, own_times[len(own_times) // 2], own_times[0], own_times[-1]))
            finally:
                router.terminate()
                router.wait(10)
    finally:
        shutil.rmtree(app_dir, ignore_errors=True)

    print("class  median own ms  min ms  max ms   (wall time minus the login pause and the refresh floor)")
    for klass, median, low, high in results:
        print("%-5s  %13.0f  %6.0f  %6.0f" % (klass, median * 1000, low * 1000, high * 1000))
    print("peak RSS of quorvane-cli: %.1f MB" % (peak_kb[0] / 1024.0))


if __name__ == "__main__":
    main()
