#!/usr/bin/env python3
"""Loads the golden set of router-style pages (bench/pages) through quorvane-cli --read-page and,
where it is installed, through a headless browser (Debian's chromium), side by side in one run.

The whole measurement runs inside a network namespace of its own with loopback alone (unshare -rn):
the page server, the engine and the headless browser all live there, so nothing either program
tries can leave the machine. Without such a namespace the headless browser is not started at all.

Every page is served from 127.0.0.1 by this script; each load is a process of its own, its start
included, on both sides. A page counts only when what it should show is there: each page of the
set names a text that its scripts, frames or requests put on it. Then the engine's rendering is
compared with the headless browser's: the text of the body (frames included) and the values of its
controls, once per page, from a load in which a small script added by the server copies the
controls' current values into the markup (a plain dump shows only the values the page was sent
with) and the frames' bodies into the top document.

Reported per page: the median wall time and CPU time of each program, and whether the renderings
agree; then both medians over the set and their ratio, with the load average while it ran. The
engine's target: every page under 100 ms, and at least 3 times faster than the headless browser on
the set's median. The exit status is 1 when the engine misses its target, a page does not show
what it should or the renderings differ.

Usage: bench/golden_pages.py [BUILD_BIN_DIR] [RUNS]
"""
import functools
import html.parser
import http.server
import os
import re
import resource
import shutil
import statistics
import subprocess
import sys
import tempfile
import threading
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
PAGES = os.path.join(ROOT, "bench", "pages")
BIN = os.path.abspath(sys.argv[1]) if len(sys.argv) > 1 else os.path.join(ROOT, "build", "bin")
RUNS = int(sys.argv[2]) if len(sys.argv) > 2 else 7
TARGET_MS = 100.0
TARGET_RATIO = 3.0
INSIDE = "QUORVANE_BENCH_LOOPBACK_ONLY"

# Page; a text the engine's body HTML holds once its scripts, frames and requests have run; and a
# text the headless browser's plain dump holds once it has (a plain dump shows the controls' values
# as sent, and no frame's body: for those the rendering check below looks further).
GOLDEN = [
    ("wan_index.html", 'value="user@isp.example"', 'name="wan114"'),
    ("wan_settings.html", 'value="user@isp.example"', 'name="wan114"'),
    ("ppp_index.html", "300 controls", "300 controls"),
    ("line_stats.html", "Counter 60", "Counter 60"),
    ("frames_index.html", "3 days 04:12:55", "</frameset>"),
    ("system_log.html", "event 199 on ppp0", 'id="log"'),
    ("device_info.html", "SN0012345678", "SN0012345678"),
]
# The dump waits for the page's redirects, requests and timers in virtual time (without it, a page
# that moves on in its load handler is dumped before it has).
BROWSER_FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-background-networking",
                 "--disable-component-update", "--disable-sync", "--no-first-run",
                 "--no-proxy-server", "--virtual-time-budget=2000", "--dump-dom"]

# Added to every page of the check load only: after the page's own load handler has run, each
# control's current value goes into its markup and each frame's body into the top document.
REFLECT = b"""<script>(function () {
  function reflect(doc) {
    var all = doc.querySelectorAll("input, textarea, select");
    for (var i = 0; i < all.length; i++) {
      var e = all[i], tag = e.tagName;
      if (tag == "TEXTAREA") e.textContent = e.value;
      else if (tag == "SELECT") {
        for (var j = 0; j < e.options.length; j++)
          if (e.options[j].selected) e.options[j].setAttribute("selected", "");
          else e.options[j].removeAttribute("selected");
      } else if (e.type == "checkbox" || e.type == "radio") {
        if (e.checked) e.setAttribute("checked", ""); else e.removeAttribute("checked");
      } else e.setAttribute("value", e.value);
    }
  }
  addEventListener("load", function () {
    setTimeout(function () {
      reflect(document);
      var frames = document.querySelectorAll("frame, iframe");
      for (var k = 0; k < frames.length; k++) {
        var d = frames[k].contentDocument;
        if (!d || !d.body) continue;
        reflect(d);
        var copy = document.createElement("div");
        copy.innerHTML = d.body.innerHTML;
        document.documentElement.appendChild(copy);
      }
    }, 500);
  });
})();</script>"""


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    reflect = False

    def log_message(self, *args):
        pass

    def end_headers(self):
        self.send_header("Cache-Control", "no-store")
        super().end_headers()

    def copyfile(self, source, outputfile):
        if not self.reflect or not self.path.split("?")[0].endswith(".html"):
            return super().copyfile(source, outputfile)
        # The script goes first in the head: a frameset's body would ignore it.
        outputfile.write(re.sub(rb"(?i)<head>", lambda m: m.group(0) + REFLECT, source.read(), count=1))

    def send_header(self, keyword, value):
        # The page grows by the added script: no length, the connection's end ends the body.
        if self.reflect and keyword.lower() == "content-length" and self.path.split("?")[0].endswith(".html"):
            return
        super().send_header(keyword, value)


class ReflectingHandler(QuietHandler):
    reflect = True


def serve(handler_class):
    handler = functools.partial(handler_class, directory=PAGES)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


def timed(command, env=None):
    """Wall ms, CPU ms (the process and every process it waited for) and standard output."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.monotonic()
    done = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                          stdin=subprocess.DEVNULL, timeout=60, env=env)
    wall = (time.monotonic() - start) * 1000.0
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = (after.ru_utime - before.ru_utime + after.ru_stime - before.ru_stime) * 1000.0
    return wall, cpu, done.stdout.decode("utf-8", "replace")


def medians(command, marker, label, env=None):
    walls, cpus = [], []
    for _ in range(RUNS):
        wall, cpu, out = timed(command, env)
        if marker not in out:
            print(f"  {label}: the page does not show {marker!r}", file=sys.stderr)
            return None
        walls.append(wall)
        cpus.append(cpu)
    return statistics.median(walls), statistics.median(cpus)


class Rendering(html.parser.HTMLParser):
    """What a reader of the page sees: the body's text, and each control's current value."""

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.text, self.values, self.skip = [], [], 0
        self.options = None

    def handle_starttag(self, tag, attrs):
        attrs = {k: (v or "") for k, v in attrs}
        if tag in ("script", "style", "title"):
            self.skip += 1
        elif tag == "input" and attrs.get("type", "text").lower() not in ("submit", "button", "reset", "image"):
            if attrs.get("type", "").lower() in ("checkbox", "radio"):
                self.values.append(f"{attrs.get('name', '')}:{'on' if 'checked' in attrs else 'off'}")
            else:
                self.values.append(f"{attrs.get('name', '')}={attrs.get('value', '')}")
        elif tag == "select":
            self.options = []
            self.select_name = attrs.get("name", "")
        elif tag == "option" and self.options is not None:
            self.options.append((attrs.get("value", ""), "selected" in attrs))
        self.text.append(" ")

    def handle_endtag(self, tag):
        if tag in ("script", "style", "title"):
            self.skip = max(0, self.skip - 1)
        elif tag == "select" and self.options is not None:
            # A list that no option marks shows its first.
            chosen = [v for v, s in self.options if s] or [v for v, _ in self.options[:1]]
            self.values.append(f"{self.select_name}={chosen[0] if chosen else ''}")
            self.options = None
        self.text.append(" ")

    def handle_data(self, data):
        if not self.skip:
            self.text.append(data)


def rendering(markup):
    parser = Rendering()
    parser.feed(markup)
    parser.close()
    return " ".join("".join(parser.text).split()), parser.values


def first_difference(ours, theirs):
    text, values = ours
    other_text, other_values = theirs
    if text != other_text:
        at = next((i for i, (a, b) in enumerate(zip(text, other_text)) if a != b), min(len(text), len(other_text)))
        return f"text at {at}: engine {text[max(0, at - 20):at + 30]!r}, browser {other_text[max(0, at - 20):at + 30]!r}"
    if values != other_values:
        at = next((i for i, (a, b) in enumerate(zip(values, other_values)) if a != b), min(len(values), len(other_values)))
        shown = lambda v: v[at] if at < len(v) else "(none)"
        return f"control {at + 1} of {len(values)}/{len(other_values)}: engine {shown(values)!r}, browser {shown(other_values)!r}"
    return None


def loopback_only():
    """True when this process's network namespace has no interface but loopback."""
    with open("/proc/self/net/dev") as dev:
        names = [line.split(":")[0].strip() for line in dev.readlines()[2:]]
    return names == ["lo"]


def browser_env(home):
    env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=home, XDG_CACHE_HOME=home)
    # No session bus in the namespace: say so instead of letting the browser look for one.
    env["DBUS_SESSION_BUS_ADDRESS"] = "disabled:"
    return env


def measure(browser):
    cli = os.path.join(BIN, "quorvane-cli")
    plain, reflecting = serve(QuietHandler), serve(ReflectingHandler)
    base = f"http://127.0.0.1:{plain.server_address[1]}/"
    check_base = f"http://127.0.0.1:{reflecting.server_address[1]}/"
    home = tempfile.mkdtemp(prefix="quorvane-browser-")
    profile = os.path.join(home, "profile")
    env = browser_env(home)
    engine_all, browser_all, ok = [], [], True
    load_before = os.getloadavg()[0]
    # The floor of every engine figure: the program starting and ending without loading a page.
    floor = [timed([cli, "--version"])[:2] for _ in range(RUNS)]
    rows = []
    try:
        # The engine's loads first, then the browser's: the browser's many processes leave the
        # machine busy for a while after each load, which would weigh on the engine's figures.
        for page, marker, _ in GOLDEN:
            engine = medians([cli, "--read-page", base + page, "--html"], marker, page)
            rows.append([page, engine, None, "-"])
            if engine is None or engine[0] >= TARGET_MS:
                ok = False
            if engine is not None:
                engine_all.append(engine)
        load_engine = os.getloadavg()[0]
        command = [browser] + BROWSER_FLAGS + ["--user-data-dir=" + profile] if browser else None
        for row, (page, _, browser_marker) in zip(rows, GOLDEN if browser else []):
            row[2] = medians(command + [base + page], browser_marker, page + " (browser)", env)
            if row[2] is not None:
                browser_all.append(row[2])
            ours = timed([cli, "--read-page", base + page, "--html"])[2]
            ours = "\n".join(line for line in ours.splitlines() if not line.startswith("--- frame "))
            theirs = timed(command + [check_base + page], env)[2]
            difference = first_difference(rendering(ours), rendering(theirs))
            row[3] = "same" if difference is None else "differs: " + difference
            ok = ok and difference is None
    finally:
        plain.shutdown()
        reflecting.shutdown()
        shutil.rmtree(home, ignore_errors=True)
    print(f"quorvane-cli start and exit alone: {statistics.median(w for w, _ in floor):.1f} ms wall, "
          f"{statistics.median(c for _, c in floor):.1f} ms CPU")
    print(f"{'page':<20}{'engine ms':>11}{'CPU':>7}{'browser ms':>12}{'CPU':>8}  rendering")
    for page, engine, other, verdict in rows:
        shown_engine = ("fails", "") if engine is None else (f"{engine[0]:.1f}", f"{engine[1]:.1f}")
        shown_other = ("-", "") if other is None else (f"{other[0]:.1f}", f"{other[1]:.1f}")
        print(f"{page:<20}{shown_engine[0]:>11}{shown_engine[1]:>7}{shown_other[0]:>12}{shown_other[1]:>8}  {verdict}")
    if engine_all:
        median_engine = statistics.median(w for w, _ in engine_all)
        shown = f"{statistics.median(w for w, _ in browser_all):>12.1f}" if browser_all else f"{'-':>12}"
        print(f"{'median':<20}{median_engine:>11.1f}{statistics.median(c for _, c in engine_all):>7.1f}{shown}"
              + (f"{statistics.median(c for _, c in browser_all):>8.1f}" if browser_all else ""))
    if browser_all and engine_all:
        ratio = statistics.median(w for w, _ in browser_all) / median_engine
        print(f"browser / engine on the median: {ratio:.2f}x (target {TARGET_RATIO:.0f}x)")
        ok = ok and ratio >= TARGET_RATIO
    print(f"load average (1 min): {load_before:.2f} before, {load_engine:.2f} after the engine's loads, "
          f"{os.getloadavg()[0]:.2f} at the end, on {os.cpu_count()} cores")
    if ok and not browser_all:
        print("target met by every page; the ratio to the headless browser was not measured")
    else:
        print("target met" if ok else "target missed")
    return 0 if ok else 1


def main():
    if os.environ.get(INSIDE) == "1":
        if not loopback_only():
            print("the network namespace has interfaces besides loopback: stopping", file=sys.stderr)
            return 2
        browser = shutil.which("chromium")
        if browser is None:
            print("chromium is not installed: only the engine is measured")
        return measure(browser)
    unshare, ip = shutil.which("unshare"), shutil.which("ip")
    if unshare and ip and subprocess.run([unshare, "-rn", "true"], stderr=subprocess.DEVNULL).returncode == 0:
        # Loopback up, then this script again in the namespace; its exit status is ours.
        env = dict(os.environ, **{INSIDE: "1"})
        inner = [unshare, "-rn", "sh", "-c", f'"{ip}" link set lo up && exec "$0" "$@"', sys.executable,
                 os.path.abspath(__file__), BIN, str(RUNS)]
        return subprocess.run(inner, env=env).returncode
    print("no network namespace with loopback alone could be made: the headless browser is not run")
    return measure(None)


if __name__ == "__main__":
    sys.exit(main())
