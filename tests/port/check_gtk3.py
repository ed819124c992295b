#!/usr/bin/env python3
"""Checks the GTK 3 programs of dlgforge --port --gtk3 against GTK 3 itself.

--text: every gtk_/gdk_ function the GTK 3 programs call (the hand-made
sample with every kind of control, the examples, and with --corpus every
script of the shared corpus) is looked up in the installed GTK 3 headers;
none may be declared deprecated there. And each GTK 3 program must have the
outline of the GTK+ 2 program of the same script: the same declarations,
functions, handler stubs, control comments and handler connections, so
that the two writers cannot drift apart. Exits 77 (skipped) when the
headers are not installed.

--run: each GTK 3 program is compiled with the real FreeBASIC compiler and
run under Xvfb, showing every dialog of its script, with a small GTK 3
probe module (gtk3probe.c beside this file); its standard error must hold
no GTK/GLib critical or warning, and Tab must move the focus through each
dialog's controls in the order of the script (the probe presses it until a
control comes again: the controls before that must come in script order). The GTK+ 2 program of the same script runs
under ../shared/gtkprobe, and each dialog's window must have the same size
and each control on its area the same place, within 2 pixels, at 96 dpi.
Exits 77 (skipped) when fbc, Xvfb, a C compiler or the GTK 3 headers are
missing.
"""
import argparse
import concurrent.futures
import json
import os
import pathlib
import re
import shutil
import subprocess
import sys

from gtk_tools import fbc_and_gtkprobe, skip
from private_display import private_display

TOLERANCE = 2
GTK3_HEADERS = pathlib.Path("/usr/include/gtk-3.0")
# A line GLib's default log handler prints for a warning or a critical:
# "(prog:123): Gtk-WARNING **: 12:00:00.000: ...".
COMPLAINT = re.compile(r"\b[\w-]+-(WARNING|CRITICAL|ERROR) \*\*")
# A declaration the headers mark deprecated: the macro, then the
# declaration up to the opening parenthesis of its parameters.
DEPRECATED = re.compile(
    r"\bGDK_DEPRECATED\w*(?:\s*\([^()]*\))?\s+([^;{}#]*?)\(", re.S)
CALLED = re.compile(r"\b(g[dt]k_\w+)\s*\(")


def deprecated_functions(headers):
    """The functions the GTK 3 and GDK 3 headers declare deprecated."""
    found = set()
    for header in list(headers.glob("gtk/**/*.h")) + list(headers.glob("gdk/**/*.h")):
        for declaration in DEPRECATED.findall(header.read_text(errors="replace")):
            names = re.findall(r"\w+", declaration)
            if names:
                found.add(names[-1])
    return found


def outline(program):
    """The lines of a program that both toolkits' programs share: the
    declarations, and from the first function that is no helper on every
    function and sub, comment, dialog name and handler connection."""
    kept = []
    body = False
    for line in program.splitlines():
        if re.match(r"Function (?!dlgforge_)", line):
            body = True
        if line.startswith(("Declare ", "Dim Shared ")):
            kept.append(line)
        elif body and (re.match(r"(Function|Sub|End Function|End Sub)\b", line)
                       or line.startswith(("  ' ", "  Case ", "' "))
                       or ("G_CALLBACK(@" in line
                           and "G_CALLBACK(@dlgforge_" not in line)):
            kept.append(line)
    return kept


def fixed_children(widget, found):
    """The controls of a dialog: the children of its area (a GtkFixed in
    GTK+ 2, a GtkLayout in GTK 3), in order."""
    if widget["type"] in ("GtkFixed", "GtkLayout"):
        found.extend(widget.get("children", []))
    for child in widget.get("children", []):
        fixed_children(child, found)
    return found


def far(a, b):
    return any(abs(x - y) > TOLERANCE for x, y in zip(a, b))


class Checker:
    def __init__(self, args):
        self.args = args
        # Absolute: GTK takes a relative module path for a module's name.
        self.work = pathlib.Path(args.work).resolve()
        self.work.mkdir(parents=True, exist_ok=True)
        self.failures = []
        self.dialogs = 0
        self.controls = 0
        self.tab_stops = 0

    def tools(self):
        flags = subprocess.run(["pkg-config", "--cflags", "--libs", "gtk+-3.0"],
                               capture_output=True, text=True)
        if flags.returncode != 0:
            skip("the GTK 3 headers are not installed (Debian package "
                 "libgtk-3-dev)")
        self.fbc, self.probe2 = fbc_and_gtkprobe(self.args.shared, self.work)
        self.probe3 = str(self.work / "libgtk3probe.so")
        source = pathlib.Path(__file__).with_name("gtk3probe.c")
        built = subprocess.run(["gcc", "-shared", "-fPIC", "-O1", "-Wall",
                                "-Wextra", "-Werror", "-o", self.probe3,
                                str(source)] + flags.stdout.split(),
                               capture_output=True, text=True)
        if built.returncode != 0:
            sys.exit("gtk3probe.c does not build: " + built.stderr)

    def scripts(self):
        found = sorted((pathlib.Path(self.args.source) / "examples").glob("*.rc"))
        corpus = pathlib.Path(self.args.shared) / "corpus"
        if self.args.corpus and not corpus.is_dir():
            print(f"no corpus at {corpus}: the examples only")
        elif self.args.corpus:
            found += sorted(p for p in corpus.iterdir()
                            if p.suffix.lower() in (".rc", ".rc2", ".dlg"))
        return found

    def write(self, script, gtk3):
        """The program's path, or None after recording the failure."""
        suffix = "-gtk3.bas" if gtk3 else "-gtk2.bas"
        bas = self.work / (script.stem + suffix)
        run = subprocess.run([self.args.dlgforge, "--port"]
                             + (["--gtk3"] if gtk3 else [])
                             + [str(script)], capture_output=True)
        bas.write_bytes(run.stdout)
        if run.returncode != 0:
            self.failures.append(f"{script.stem}: --port failed")
            return None
        return bas

    def sample(self, gtk3=True):
        bas = self.work / ("sample-gtk3.bas" if gtk3 else "sample-gtk2.bas")
        with open(bas, "wb") as out:
            subprocess.run([self.args.sample] + (["--gtk3"] if gtk3 else []),
                           stdout=out, check=True)
        return bas

    # ---- the program text

    def text(self):
        if not GTK3_HEADERS.is_dir():
            skip(f"the GTK 3 headers are not installed at {GTK3_HEADERS}")
        known = deprecated_functions(GTK3_HEADERS)
        # The parse must find what GTK 3 is known to deprecate.
        for name in ("gtk_vbox_new", "gtk_misc_set_alignment",
                     "gtk_widget_modify_font", "gtk_container_set_focus_chain"):
            if name not in known:
                sys.exit(f"the header parse missed the deprecated {name}")
        pairs = [(self.sample(False), self.sample())]
        pairs += [(self.write(s, False), self.write(s, True))
                  for s in self.scripts()]
        pairs = [(a, b) for a, b in pairs if a and b]
        for gtk2, gtk3 in pairs:
            one = outline(gtk2.read_text(errors="replace"))
            other = outline(gtk3.read_text(errors="replace"))
            if one != other:
                where = next((f"{a!r} vs {b!r}" for a, b in zip(one, other)
                              if a != b), f"{len(one)} vs {len(other)} lines")
                self.failures.append(f"{gtk3.name}: outline differs from the "
                                     f"GTK+ 2 program: {where}")
        programs = [gtk3 for _, gtk3 in pairs]
        called = {}
        for program in programs:
            for name in CALLED.findall(program.read_text(errors="replace")):
                called.setdefault(name, program.name)
        used = sorted(set(called) & known)
        for name in used:
            self.failures.append(f"{called[name]}: calls {name}, deprecated "
                                 "in GTK 3")
        print(f"programs: {len(programs)} (outlines compared), gtk_/gdk_ "
              f"functions called: "
              f"{len(called)}, deprecated in the headers: {len(known)}")

    # ---- compiled and run

    def compile(self, bas):
        exe = bas.with_suffix("")
        built = subprocess.run([self.fbc, "-exx", str(bas), "-x", str(exe)],
                               capture_output=True, text=True)
        if built.returncode != 0:
            self.failures.append(f"{bas.name}: fbc: "
                                 + (built.stdout + built.stderr)[:500])
            return None
        return exe

    def probed(self, name, command, gtk3):
        out = self.work / name
        shutil.rmtree(out, ignore_errors=True)
        if gtk3:
            # No accessibility bus runs under Xvfb: GTK 3 would say so.
            env = dict(os.environ, GTK_MODULES=self.probe3,
                       GTK3PROBE_OUT=str(out), GTK3PROBE_SETTLE_MS="60",
                       GTK3PROBE_TIMEOUT="20", GTK3PROBE_TABS="1",
                       NO_AT_BRIDGE="1")
        else:
            env = dict(os.environ, GTK_MODULES=self.probe2,
                       GTKPROBE_OUT=str(out), GTKPROBE_SETTLE_MS="60",
                       GTKPROBE_TIMEOUT="20")
        report = out / "probe.json"
        # A run on a loaded machine now and then ends before GTK starts,
        # with nothing said: once more before counting it as a failure.
        for _ in range(2):
            try:
                run = subprocess.run(command, env=env, capture_output=True,
                                     timeout=90)
            except subprocess.TimeoutExpired as timeout:
                self.failures.append(f"{name}: still running after "
                                     f"{timeout.timeout} s")
                return None, ""
            if report.exists():
                break
        if not report.exists():
            said = (run.stdout + run.stderr).decode(errors="replace")
            self.failures.append(f"{name}: no probe report (status "
                                 f"{run.returncode}): " + said[-400:])
            return None, ""
        return json.loads(report.read_text()), run.stderr.decode(errors="replace")

    def one(self, script):
        """Both programs of one script; failures go to self.failures."""
        name = script.stem
        dump = subprocess.run([self.args.dlgforge, "--dump-model", str(script)],
                              capture_output=True)
        if dump.returncode != 0:
            self.failures.append(f"{name}: --dump-model failed")
            return
        dialogs = [d["name"] if isinstance(d["name"], str) else d["name"]["text"]
                   for d in json.loads(dump.stdout)["dialogs"]]
        if not dialogs:
            return
        programs = [self.write(script, gtk3) for gtk3 in (False, True)]
        if None in programs:
            return
        exes = [self.compile(bas) for bas in programs]
        if None in exes:
            return
        gtk2, _ = self.probed("gtk2-" + name, [str(exes[0])] + dialogs, False)
        gtk3, errors = self.probed("gtk3-" + name, [str(exes[1])] + dialogs,
                                   True)
        complaints = [line for line in errors.splitlines()
                      if COMPLAINT.search(line)]
        if complaints:
            self.failures.append(f"{name}: GTK 3 says: " + complaints[0])
        if gtk2 is None or gtk3 is None:
            return
        self.compare(name, dialogs, gtk2["toplevels"], gtk3["toplevels"])

    def compare(self, name, dialogs, left, right):
        if len(left) != len(dialogs) or len(right) != len(dialogs):
            self.failures.append(f"{name}: {len(dialogs)} dialogs, {len(left)} "
                                 f"GTK+ 2 windows, {len(right)} GTK 3 windows")
            return
        for dialog, a, b in zip(dialogs, left, right):
            where = f"{name} {dialog}"
            if a["size"] is None or b["size"] is None or far(a["size"], b["size"]):
                self.failures.append(f"{where}: window size {a['size']} "
                                     f"(GTK+ 2) vs {b['size']} (GTK 3)")
                continue
            one, other = (fixed_children(a["tree"], []),
                          fixed_children(b["tree"], []))
            if len(one) != len(other):
                self.failures.append(f"{where}: {len(one)} vs {len(other)} "
                                     "controls")
                continue
            for index, (x, y) in enumerate(zip(one, other)):
                place_x = x["allocation"][:2] if x["allocation"] else None
                place_y = y["allocation"][:2] if y["allocation"] else None
                if (place_x is None) != (place_y is None) or (
                        place_x and far(place_x, place_y)):
                    self.failures.append(
                        f"{where}: control {index} ({x['type']}, {y['type']}) "
                        f"at {place_x} (GTK+ 2) vs {place_y} (GTK 3)")
                    break
            tabs = b.get("tab_order", [])[:-1]
            if any(x >= y for x, y in zip(tabs, tabs[1:])):
                self.failures.append(f"{where}: Tab moves through the controls "
                                     f"in the order {tabs}")
            self.dialogs += 1
            self.controls += len(one)
            self.tab_stops += len(tabs)

    def run(self):
        self.tools()
        scripts = self.scripts()
        with concurrent.futures.ThreadPoolExecutor(self.args.jobs) as pool:
            list(pool.map(self.one, scripts))
        sample = self.compile(self.sample())
        if sample is not None:
            _, errors = self.probed("gtk3-sample", [str(sample)], True)
            complaints = [l for l in errors.splitlines() if COMPLAINT.search(l)]
            if complaints:
                self.failures.append("sample: GTK 3 says: " + complaints[0])
        print(f"scripts: {len(scripts)}, dialogs alike: {self.dialogs}, "
              f"controls placed alike: {self.controls}, Tab stops in script "
              f"order: {self.tab_stops}")

    def main(self):
        if self.args.text:
            self.text()
        else:
            self.run()
        for failure in self.failures[:100]:
            print("FAIL: " + failure)
        return 1 if self.failures else 0


def parse():
    parser = argparse.ArgumentParser()
    parser.add_argument("--dlgforge", required=True)
    parser.add_argument("--sample", required=True)
    parser.add_argument("--source", required=True)
    parser.add_argument("--shared", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--corpus", action="store_true")
    parser.add_argument("--text", action="store_true")
    parser.add_argument("--jobs", type=int, default=2)
    return parser.parse_args()


if __name__ == "__main__":
    arguments = parse()
    if arguments.text:
        sys.exit(Checker(arguments).main())
    # One private X server at 96 dpi for every run.
    with private_display() as display:
        if display is None:
            skip("Xvfb is not installed (Debian package xvfb)")
        status = Checker(arguments).main()
    sys.exit(status)
