#!/usr/bin/env python3
"""Compares the port programs with the Windows dialog manager itself.

Every script that llvm-rc compiles in the compiler comparison's world (the
shared corpus and the local scripts named on the command line) is linked
into windlg's dlgdump.exe and its dialogs are created by Wine's dialog
manager at 96 dpi, which records the client size and every control's
rectangle. The GTK+ 2 program dlgforge --port writes for the same script is
compiled with the real FreeBASIC compiler and run under Xvfb at 96 dpi with
gtkprobe. On the dialogs whose font Wine has as Windows does (MS Shell Dlg,
MS Shell Dlg 2, Tahoma), every client size must be equal and at least 99%
of the controls within one pixel of Windows' place and size.

An up-down control that Windows attaches to the edit field before it is one
GtkSpinButton with that field; it is compared with the area both cover.
The local scripts hold one case of each such rule: every control of theirs
must be within one pixel.

Exits 77 (skipped) when Wine, the MinGW cross compiler, llvm-rc, fbc or
Xvfb is missing.
"""
import argparse
import concurrent.futures
import json
import os
import pathlib
import queue
import shutil
import subprocess
import sys
import threading
import time

from gtk_tools import (attaches_to_field, fbc_and_gtkprobe,
                       main_on_private_display, report, skip)
from private_display import refused_display

FONTS = ("ms shell dlg", "ms shell dlg 2", "tahoma")
WITHIN = 0.99
TOLERANCE = 1


def fixed_area(widget):
    if widget["type"] == "GtkFixed":
        return widget
    for child in widget.get("children", []):
        found = fixed_area(child)
        if found is not None:
            return found
    return None


def gtk_rect(widget):
    """Where a child of the dialog's area is and the size it has on screen
    (the size GTK asked for when it is hidden)."""
    x, y = widget["fixed_position"]
    size = widget["allocation"][2:] if widget["allocation"] else widget["requisition"]
    return [x, y] + list(size)


def windows_rect(control):
    return [control["x"], control["y"], control["w"], control["h"]]


def union(a, b):
    left, top = min(a[0], b[0]), min(a[1], b[1])
    right = max(a[0] + a[2], b[0] + b[2])
    bottom = max(a[1] + a[3], b[1] + b[3])
    return [left, top, right - left, bottom - top]


def windows_widgets(controls):
    """Windows' controls as the GTK program shows them: (what, rectangle),
    an up-down control and its edit field as one."""
    shown = []
    for at, control in enumerate(controls):
        what = f"{control['id']} {control['class']}"
        if attaches_to_field(controls, at):
            buddy_what, buddy_rect = shown.pop()
            shown.append((buddy_what + " + up-down",
                          union(buddy_rect, windows_rect(control))))
        else:
            shown.append((what, windows_rect(control)))
    return shown


def font_as_on_windows(dialog):
    """Whether Wine gave the dialog the font Windows would: one of the
    faces it has as Windows does, not a substitute."""
    font = dialog.get("font", {})
    asked = font.get("asked", "").lower()
    return asked in FONTS and font.get("got", "").lower() == asked


def resource_key(name):
    """A dialog's name as the .res stores it: a number, or upper case."""
    return str(name) if isinstance(name, int) else name.upper()


def dialog_key(dialog):
    """The resource key of a dialog of the model."""
    return resource_key(dialog["ordinal"] if dialog["ordinal"] is not None
                        else dialog["name"])


class Checker:
    def __init__(self, args):
        self.args = args
        args.dlgforge = os.path.abspath(args.dlgforge)
        self.work = pathlib.Path(args.work).resolve()
        self.work.mkdir(parents=True, exist_ok=True)
        self.windlg = pathlib.Path(args.shared) / "windlg"
        # The local scripts hold one case of each rule the port programs
        # follow: each of their controls must be in place.
        self.local = {pathlib.Path(p).name for p in args.local}
        self.failures = []
        self.differences = []
        self.dialogs = self.same_client = 0
        self.controls = self.within = 0
        self.lock = threading.Lock()

    def tools(self):
        self.wine = shutil.which("wine64") or "/usr/lib/wine/wine64"
        if not os.access(self.wine, os.X_OK):
            skip("Wine is not installed (Debian package wine64)")
        for tool, package in (("x86_64-w64-mingw32-gcc", "gcc-mingw-w64-x86-64"),
                              ("x86_64-w64-mingw32-windres",
                               "binutils-mingw-w64-x86-64"),
                              ("xvfb-run", "xvfb")):
            if shutil.which(tool) is None:
                skip(f"{tool} is not installed (Debian package {package})")
        if not (self.windlg / "dlgdump.c").exists():
            skip(f"no windlg at {self.windlg}")
        self.fbc, self.probe = fbc_and_gtkprobe(self.args.shared, self.work)
        # windlg's build compiles dlgdump.c for every .res; it is compiled
        # once here and each script's resources are linked to it alike.
        self.dlgdump = self.work / "dlgdump.o"
        subprocess.run(["x86_64-w64-mingw32-gcc", "-municode", "-O1", "-c",
                        "-o", str(self.dlgdump), str(self.windlg / "dlgdump.c")],
                       check=True)

    def scripts(self):
        run = subprocess.run([self.args.compile_corpus, self.args.dlgforge,
                              self.args.shared, str(self.work / "worlds")]
                             + self.args.local, capture_output=True, text=True)
        if run.returncode == 77:
            skip(run.stdout.strip())
        if run.returncode != 0:
            sys.exit("compile_corpus failed: " + run.stderr)
        return [json.loads(line) for line in run.stdout.splitlines()]

    def fail(self, name, what):
        with self.lock:
            self.failures.append(f"{name}: {what}")

    def windows_exe(self, script):
        """dlgdump.exe with the script's dialogs."""
        folder = self.work / "windlg" / script["name"]
        folder.mkdir(parents=True, exist_ok=True)
        resources = folder / "resources.o"
        exe = folder / "dlgdump.exe"
        for command in (
                ["x86_64-w64-mingw32-windres", "-J", "res", "-O", "coff",
                 "-i", script["res"], "-o", str(resources)],
                ["x86_64-w64-mingw32-gcc", "-municode", "-mwindows", "-O1",
                 "-o", str(exe), str(self.dlgdump), str(resources),
                 "-lcomctl32", "-lgdi32"]):
            run = subprocess.run(command, capture_output=True, text=True)
            if run.returncode != 0:
                self.fail(script["name"], "dlgdump: " + run.stderr[-500:])
                return None
        return exe

    def windows_dialogs(self, script, exe):
        """What the dialog manager made of each dialog, by resource key.
        Runs that share a Wine prefix must not overlap: each takes one of
        the prefixes (one per job) for its time."""
        out = self.work / "windlg" / (script["name"] + ".jsonl")
        prefix = self.prefixes.get()
        try:
            env = dict(os.environ, WINDLG_PREFIX=str(prefix))
            run = subprocess.run([str(self.windlg / "run"), str(exe), str(out)],
                                 env=env, capture_output=True, text=True,
                                 timeout=300)
        finally:
            self.prefixes.put(prefix)
        if run.returncode != 0:
            self.fail(script["name"], "windlg run: " + run.stderr[-500:])
            return {}
        lines = [json.loads(line) for line in out.read_text().splitlines()]
        return {resource_key(line["name"]): line for line in lines}

    def model(self, script):
        """The dialogs of the script's model."""
        dump = subprocess.run([self.args.dlgforge] + script["options"]
                              + ["--dump-model", script["file"]],
                              cwd=script["dir"], capture_output=True, text=True)
        if dump.returncode != 0:
            self.fail(script["name"], "dlgforge: " + dump.stderr)
            return []
        return json.loads(dump.stdout)["dialogs"]

    def program(self, script):
        """The port program, compiled."""
        name = script["name"]
        bas = self.work / "programs" / (name + ".bas")
        bas.parent.mkdir(exist_ok=True)
        # The whole program on standard output: -o would keep a program
        # file that is already there, as the user's own. The compilers'
        # folder holds the stand-in pictures they compiled: the program
        # sizes bitmap controls by the same files.
        pictures = str(pathlib.Path(script["res"]).parent)
        run = subprocess.run([self.args.dlgforge] + script["options"]
                             + ["-I", pictures, "--port", script["file"]],
                             cwd=script["dir"], capture_output=True)
        if run.returncode != 0:
            self.fail(name, "dlgforge: " + run.stderr.decode(errors="replace"))
            return None
        bas.write_bytes(run.stdout)
        exe = bas.with_suffix("")
        compiled = subprocess.run([self.fbc, "-exx", str(bas), "-x", str(exe)],
                                  capture_output=True, text=True)
        if compiled.returncode != 0:
            self.fail(name, "fbc: " + (compiled.stdout + compiled.stderr)[:500])
            return None
        return exe

    def gtk_side(self, script, dialogs):
        """The GTK program's window of each dialog, by resource key."""
        exe = self.program(script)
        if exe is None:
            return {}
        tops = self.gtk_dialogs(script["name"], exe,
                                [d["name"] for d in dialogs])
        if len(tops) != len(dialogs):
            self.fail(script["name"], f"{len(dialogs)} dialogs, "
                      f"{len(tops)} windows")
            return {}
        return {dialog_key(d): top for d, top in zip(dialogs, tops)}

    def windows_side(self, script):
        """What the dialog manager made of each dialog, by resource key."""
        exe = self.windows_exe(script)
        return {} if exe is None else self.windows_dialogs(script, exe)

    def gtk_dialogs(self, name, exe, names):
        """The probe's toplevel windows, one per dialog named."""
        out = self.work / ("probe-" + name)
        shutil.rmtree(out, ignore_errors=True)
        env = dict(os.environ, GTK_MODULES=self.probe, GTKPROBE_OUT=str(out),
                   GTKPROBE_SETTLE_MS="60", GTKPROBE_TIMEOUT="20")
        report = out / "probe.json"
        for _ in range(3):
            run = subprocess.run([str(exe)] + names, env=env,
                                 capture_output=True, timeout=90)
            if report.exists() or not refused_display(run.stderr):
                break
            time.sleep(1)  # the shared X server refused a connection
        if not report.exists():
            self.fail(name, "no probe report: "
                      + run.stderr.decode(errors="replace")[-500:])
            return []
        return json.loads(report.read_text())["toplevels"]

    def compare(self, name, windows, top, strict):
        """Compares a dialog; `strict`: every control must be in place."""
        where = f"{name}: {windows['name']}"
        area = fixed_area(top["tree"])
        if area is None:
            self.fail(where, "no GtkFixed")
            return
        size = area["allocation"][2:] if area["allocation"] else area["size_request"]
        self.dialogs += 1
        if list(size) == windows["client"]:
            self.same_client += 1
        else:
            self.fail(where, f"client {size}, Windows {windows['client']}")
        shown = windows_widgets(windows["controls"])
        children = area.get("children", [])
        if len(children) != len(shown):
            self.fail(where, f"{len(children)} widgets for {len(shown)} "
                      "controls as Windows shows them")
            return
        for (what, expected), widget in zip(shown, children):
            got = gtk_rect(widget)
            self.controls += 1
            if all(abs(a - b) <= TOLERANCE for a, b in zip(got, expected)):
                self.within += 1
            else:
                difference = (f"{where}: {what}: Windows {expected}, "
                              f"{widget['type']} {got}")
                self.differences.append(difference)
                if strict:
                    self.fail("local script", difference)

    def main(self):
        self.tools()
        scripts = self.scripts()
        for script in scripts:
            script["name"] = pathlib.Path(script["script"]).stem
        self.prefixes = queue.Queue()
        for job in range(self.args.jobs):
            self.prefixes.put(self.work / f"wine-prefix-{job}")
        with concurrent.futures.ThreadPoolExecutor(self.args.jobs) as pool:
            models = list(pool.map(self.model, scripts))
        # Wine is slow to start: only the dialogs in a font it may have as
        # Windows does are looked at, each once in its script.
        work = []
        for script, model in zip(scripts, models):
            keys = [dialog_key(d) for d in model]
            chosen = [d for d, key in zip(model, keys) if keys.count(key) == 1
                      and d["font"] and d["font"]["face"].lower() in FONTS]
            if chosen:
                work.append((script, chosen))
        # The largest first, so that no long run is left for the end. Wine
        # runs on jobs of its own: they mostly wait.
        work.sort(key=lambda w: -os.path.getsize(w[0]["res"]))
        with concurrent.futures.ThreadPoolExecutor(self.args.jobs) as wine, \
                concurrent.futures.ThreadPoolExecutor(self.args.jobs) as pool:
            windows = [wine.submit(self.windows_side, s) for s, _ in work]
            gtk = [pool.submit(self.gtk_side, s, d) for s, d in work]
        for (script, _), on_windows, on_gtk in zip(work, windows, gtk):
            on_windows = on_windows.result()
            local = script["script"] in self.local
            for key, top in on_gtk.result().items():
                if key in on_windows and font_as_on_windows(on_windows[key]):
                    self.compare(script["name"], on_windows[key], top, local)
        share = self.within / self.controls if self.controls else 0.0
        print(f"scripts compiled by llvm-rc: {len(scripts)}; dialogs in MS "
              f"Shell Dlg, MS Shell Dlg 2 or Tahoma: {self.dialogs}")
        print(f"client size equal: {self.same_client} of {self.dialogs}")
        print(f"controls within {TOLERANCE} px of Windows: {self.within} of "
              f"{self.controls} ({share:.1%})")
        for difference in self.differences:
            print("differs: " + difference)
        if share < WITHIN:
            self.failures.append(f"{share:.1%} of controls within "
                                 f"{TOLERANCE} px, fewer than {WITHIN:.0%}")
        return report(self.failures)


def parse():
    parser = argparse.ArgumentParser()
    parser.add_argument("--dlgforge", required=True)
    parser.add_argument("--compile-corpus", required=True)
    parser.add_argument("--shared", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("local", nargs="*", help="local scripts to compare too")
    return parser.parse_args()


if __name__ == "__main__":
    main_on_private_display(Checker, parse())
