#!/usr/bin/env python3
"""Renders the port report of a script and loads it in headless Chromium.

dlgforge --report writes the page (its pictures drawn on a private Xvfb, as
no display is given); Chromium takes a screenshot of it, and a test page
beside it (the report itself has no script) loads the report in a frame and
lists what the browser made of it: each picture's natural size and each
section's heading. Every dialog of the model (--dump-model) must have its
section, and every picture must have loaded. Exits 77 (skipped) when
Chromium or Xvfb is missing.
"""
import argparse
import html.parser
import json
import os
import pathlib
import shutil
import subprocess
import sys
import tempfile

SKIP = 77

# Loads the report in a frame and writes, once everything has loaded, one
# line per picture and per dialog section into the test page itself, where
# --dump-dom finds them.
HARNESS = """<!DOCTYPE html>
<html><body>
<iframe id=report src="index.html" width=1200 height=800></iframe>
<pre id=result></pre>
<script>
window.addEventListener("load", function () {
  var page = document.getElementById("report").contentDocument;
  var lines = [];
  if (!page) { lines.push("noframe"); }
  else {
    page.querySelectorAll("img").forEach(function (img) {
      lines.push("image " + img.getAttribute("src") + " " + img.complete +
                 " " + img.naturalWidth + "x" + img.naturalHeight);
    });
    page.querySelectorAll("section[id] > h2").forEach(function (h) {
      lines.push("section " + h.parentNode.id + " " + h.textContent);
    });
  }
  document.getElementById("result").textContent = lines.join("\\n");
});
</script>
</body></html>
"""

CHROMIUM_FLAGS = ["--headless", "--no-sandbox", "--disable-gpu",
                  "--disable-quic", "--no-first-run",
                  "--disable-background-networking",
                  "--disable-component-update", "--disable-sync",
                  "--allow-file-access-from-files", "--hide-scrollbars"]


def skip(why):
    print("SKIP: " + why)
    sys.exit(SKIP)


def chromium():
    for name in ("chromium", "chromium-browser", "google-chrome"):
        if shutil.which(name):
            return shutil.which(name)
    skip("Chromium is not installed (Debian package chromium)")


class ResultReader(html.parser.HTMLParser):
    """The text of the test page's <pre id=result>."""

    def __init__(self):
        super().__init__()
        self.inside = False
        self.text = ""

    def handle_starttag(self, tag, attrs):
        self.inside = tag == "pre" and ("id", "result") in attrs

    def handle_endtag(self, tag):
        self.inside = False

    def handle_data(self, data):
        if self.inside:
            self.text += data


def browse(browser, url, extra):
    with tempfile.TemporaryDirectory() as profile:
        return subprocess.run([browser] + CHROMIUM_FLAGS +
                              ["--user-data-dir=" + profile] + extra + [url],
                              capture_output=True, text=True, timeout=120)


def main(args):
    browser = chromium()
    if shutil.which("Xvfb") is None:
        skip("Xvfb is not installed (Debian package xvfb)")
    out = pathlib.Path(args.work)
    shutil.rmtree(out, ignore_errors=True)
    out.mkdir(parents=True)
    env = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
    written = subprocess.run([args.dlgforge, "--report", str(out / "report"),
                              args.script], capture_output=True, env=env)
    if written.returncode != 0:
        print("FAIL: --report: " + written.stderr.decode(errors="replace"))
        return 1
    dump = subprocess.run([args.dlgforge, "--dump-model", args.script],
                          capture_output=True, check=True)
    dialogs = [d["name"] if isinstance(d["name"], str) else d["name"]["text"]
               for d in json.loads(dump.stdout)["dialogs"]]

    failures = []
    shot = out / "report.png"
    browse(browser, (out / "report" / "index.html").as_uri(),
           ["--window-size=1200,1600", "--screenshot=" + str(shot)])
    if not shot.exists() or shot.stat().st_size < 1000:
        failures.append("Chromium took no screenshot of the report")

    harness = out / "report" / "check.html"
    harness.write_text(HARNESS)
    dom = browse(browser, harness.as_uri(),
                 ["--virtual-time-budget=10000", "--dump-dom"])
    harness.unlink()
    reader = ResultReader()
    reader.feed(dom.stdout)
    lines = reader.text.splitlines()
    images = [line.split() for line in lines if line.startswith("image ")]
    sections = [line.split(" ", 2) for line in lines if line.startswith("section ")]
    headings = [s[2] for s in sections]
    if len(images) != len(dialogs):
        failures.append(f"{len(dialogs)} dialogs, {len(images)} pictures")
    for _, source, complete, size in images:
        width, height = size.split("x")
        if complete != "true" or int(width) == 0 or int(height) == 0:
            failures.append(f"picture {source} did not load")
    for dialog in dialogs:
        if not any(h == dialog or h.startswith(dialog + " \u2014 ")
                   for h in headings):
            failures.append(f"no section for dialog {dialog}")
    print(f"dialogs: {len(dialogs)}, pictures loaded: "
          f"{len(images) - sum('did not load' in f for f in failures)}, "
          f"sections: {len(sections)}, screenshot: {shot}")
    for failure in failures[:50]:
        print("FAIL: " + failure)
    return 1 if failures else 0


def parse():
    parser = argparse.ArgumentParser()
    parser.add_argument("--dlgforge", required=True)
    parser.add_argument("--shared", required=True)
    parser.add_argument("--fallback", required=True)
    parser.add_argument("--work", required=True)
    arguments = parser.parse_args()
    corpus = pathlib.Path(arguments.shared) / "corpus"
    found = sorted(corpus.glob("*Preference__preference.rc")) if corpus.is_dir() else []
    arguments.script = str(found[0]) if found else arguments.fallback
    return arguments


if __name__ == "__main__":
    sys.exit(main(parse()))
