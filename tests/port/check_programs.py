#!/usr/bin/env python3
"""Compiles and runs the programs dlgforge --port writes, as their users would.

Each program is compiled with the real FreeBASIC compiler (fbc -exx) and run
under Xvfb with the gtkprobe module, showing every dialog of its script; the
probe's report must show no GTK/GLib warning or critical, every control of
the model as a widget on the dialog's area, at the place and size the dialog
manager gives it with the base units the program measured, and at most 5%
of the widgets that show text clipped.

Programs: the hand-made sample (every kind of control), the examples, and
with --corpus every script of the shared corpus. Exits 77 (skipped) when
fbc, Xvfb or a C compiler for the probe is missing.

A script that names icons, cursors or bitmaps gets files of each where it
looks for them (the corpus has none of its own) and is converted with -o:
every icon control must then show a pixbuf of the standard icon's size,
every bitmap control its bitmap at its own size, and every window the
application's icon, not a stock picture. data/pictures.rc gets good and bad
files: one warning for each bad or missing file, a program that compiles
and runs with stock pictures for those.
"""
import argparse
import concurrent.futures
import json
import os
import pathlib
import shutil
import subprocess
import time

from gtk_tools import (attaches_to_field, class_key, fbc_and_gtkprobe,
                       main_on_private_display, report)
from picture_files import BITMAP_SIZE, CONTENT, make_pictures, names_picture
from private_display import refused_display

CLIP_LIMIT = 0.05
COMBOS = ("GtkComboBox", "GtkComboBoxEntry")
ICON_PIXELS = 32
ROW_PIXELS = 16
SCROLL_BAR_PIXELS = 17


def muldiv(number, numerator, denominator):
    product = number * numerator
    magnitude = (abs(product) + abs(denominator) // 2) // abs(denominator)
    return -magnitude if (product < 0) != (denominator < 0) else magnitude


def find_units(size, cx, cy):
    """The base units that turn the dialog's size into the area's size."""
    xs = [bx for bx in range(1, 64) if muldiv(cx, bx, 4) == size[0]]
    ys = [by for by in range(1, 128) if muldiv(cy, by, 8) == size[1]]
    return (xs[0] if xs else None, ys[0] if ys else None)


def shown_picture(control, made):
    """The pixbuf size an icon or bitmap control must show when the script
    has its picture file; None otherwise."""
    if class_key(control["class"]) != "static":
        return None
    kind = control["style"] & 0x1F
    if kind == 3 and names_picture(made, ("ICON", "CURSOR"), control["text"]):
        return [ICON_PIXELS, ICON_PIXELS]
    if kind == 14 and names_picture(made, ("BITMAP",), control["text"]):
        return list(BITMAP_SIZE)
    return None


def expected_size(controls, at, widget, bx, by, made):
    """The size the dialog manager gives controls[at], as the program must
    ask for it; None when it keeps its natural size."""
    control = controls[at]
    style, key = control["style"], class_key(control["class"])
    width = muldiv(control["cx"], bx, 4)
    height = muldiv(control["cy"], by, 8)
    if (key == "static" and style & 0x1F == 3 and not style & 0x240
            and control["text"] != ""):
        return [ICON_PIXELS, ICON_PIXELS]  # an icon, sized to the icon
    if (key == "static" and style & 0x1F == 14 and not style & 0x240
            and shown_picture(control, made)):
        return list(BITMAP_SIZE)  # a bitmap, sized to the bitmap
    if control["cx"] <= 0:
        return None
    if widget["type"] in COMBOS and style & 3 != 1:
        return [width, by + 8]  # the field of a drop-down combo box
    if control["cy"] <= 0:
        return None
    if key == "listbox" and not style & 0x120:
        # Whole rows of the system font inside a sunken border.
        bordered = style & 0x00800000 or control["exstyle"] & 0x200
        rows = height - (4 if bordered else 0)
        if rows > ROW_PIXELS:
            height -= rows % ROW_PIXELS
    if at + 1 < len(controls) and attaches_to_field(controls, at + 1):
        # A field and its up-down arrows; on the right they overlap its border.
        width -= 0 if controls[at + 1]["style"] & 0x08 else 2
    return [width, height]


def fixed_areas(widget, found):
    if widget["type"] == "GtkFixed":
        found.append(widget)
    for child in widget.get("children", []):
        fixed_areas(child, found)
    return found


def text_widgets(widget, found):
    if "clipped" in widget:
        found.append(widget)
    for child in widget.get("children", []):
        text_widgets(child, found)
    return found


class Checker:
    def __init__(self, args):
        self.args = args
        self.work = pathlib.Path(args.work)
        self.work.mkdir(parents=True, exist_ok=True)
        self.failures = []
        self.controls = 0
        self.widgets = 0
        self.texts = 0
        self.clipped = 0
        self.misplaced = 0
        self.placed = 0
        self.pictures = 0
        self.icons = 0
        self.made = {}

    def fail(self, name, what):
        self.failures.append(f"{name}: {what}")

    def tools(self):
        self.fbc, self.probe = fbc_and_gtkprobe(self.args.shared, self.work)

    def programs(self):
        """(name, .bas path, model dialogs or None) for every program."""
        found = []
        sample = self.work / "sample.bas"
        with open(sample, "wb") as out:
            subprocess.run([self.args.sample], stdout=out, check=True)
        found.append(("sample", sample, None))
        scripts = []
        source = pathlib.Path(self.args.source)
        scripts += sorted((source / "examples").glob("*.rc"))
        if self.args.corpus:
            corpus = pathlib.Path(self.args.shared) / "corpus"
            scripts += sorted(p for p in corpus.iterdir()
                              if p.suffix.lower() in (".rc", ".rc2", ".dlg"))
        bad_script, bad_made = self.bad_pictures()
        scripts.append(bad_script)
        for script in scripts:
            name = script.stem
            bas = self.work / (name + ".bas")
            dump = subprocess.run([self.args.dlgforge, "--dump-model",
                                   str(script)], capture_output=True)
            model = json.loads(dump.stdout) if dump.returncode == 0 else None
            # The scripts are read as a user gives them, without a code
            # page: the reader finds UTF-8 text by itself.
            bad = script == bad_script
            command = [str(pathlib.Path(self.args.dlgforge).resolve()), "--port",
                       script.name if bad else str(script)]
            # Short paths: fbc cuts long ones.
            pictures = self.work / "pictures" / str(len(found))
            shutil.rmtree(pictures, ignore_errors=True)
            include, made = (None, bad_made) if bad else (
                make_pictures(model, pictures) if model else (None, []))
            if made:
                # Into a folder of its own, with the picture folder beside it.
                self.made[name] = made
                bas = pictures / "program" / "app.bas"
                bas.parent.mkdir(parents=True)
                command[1:1] = ["-o", str(bas.resolve())]
                if include:
                    command[1:1] = ["-I", str(include)]
            run = subprocess.run(command, capture_output=True,
                                 cwd=script.parent if bad else None)
            if bad:
                self.check_warnings(name, run.stderr)
            if not made:
                bas.write_bytes(run.stdout)
            if run.returncode != 0:
                self.fail(name, "--port failed: " + run.stderr.decode(errors="replace"))
                continue
            committed = script.with_name(name + ".port.bas")
            if script.parent.name == "examples" and (
                    not committed.exists()
                    or committed.read_bytes() != bas.read_bytes()):
                self.fail(name, f"{committed} is not what --port writes "
                          "today (scripts/regen-examples)")
            found.append((name, bas, model))
        return found

    def bad_pictures(self):
        """A copy of data/pictures.rc with its good and bad files beside it,
        and the resources whose files are good."""
        folder = self.work / "pictures" / "bad"
        shutil.rmtree(folder, ignore_errors=True)
        (folder / "res").mkdir(parents=True)
        script = folder / "pictures.rc"
        shutil.copy(pathlib.Path(self.args.source) / "tests" / "port" / "data"
                    / "pictures.rc", script)
        (folder / "res" / "app.ico").write_bytes(CONTENT["ICON"]())
        (folder / "res" / "logo.bmp").write_bytes(CONTENT["BITMAP"]())
        (folder / "res" / "cut.ico").write_bytes(CONTENT["ICON"]()[:300])
        (folder / "res" / "words.bmp").write_bytes(b"BM words, no bitmap\n")
        return script, [("ICON", "IDI_APP", 101), ("BITMAP", "IDB_LOGO", None)]

    def check_warnings(self, name, stderr):
        """The bad pictures' warnings: one at each statement naming a
        missing, cut or false file, and no other."""
        lines = [line for line in stderr.decode(errors="replace").splitlines()
                 if ": warning: " in line]
        where = sorted(int(line.split(":")[1]) for line in lines)
        if where != [10, 11, 13] or not all(
                line.startswith("pictures.rc:") for line in lines):
            self.fail(name, "expected warnings at lines 10, 11 and 13, got: "
                      + " | ".join(lines))

    def compile(self, name, bas):
        exe = bas.with_suffix("")
        run = subprocess.run([self.fbc, "-exx", "-maxerr", "inf", str(bas),
                              "-x", str(exe)], capture_output=True, text=True)
        if run.returncode != 0:
            self.fail(name, "fbc: " + (run.stdout + run.stderr).strip()[:2000])
            return None
        return exe

    def run(self, name, exe, dialogs, menus):
        out = self.work / ("probe-" + name)
        shutil.rmtree(out, ignore_errors=True)
        env = dict(os.environ, GTK_MODULES=self.probe, GTKPROBE_OUT=str(out),
                   GTKPROBE_SETTLE_MS="60", GTKPROBE_TIMEOUT="20")
        names = [d["name"] for d in dialogs] if dialogs else []
        run = subprocess.run([str(exe)] + names, env=env, capture_output=True,
                             timeout=90)
        report = out / "probe.json"
        for _ in range(2):
            if report.exists() or not refused_display(run.stderr):
                break
            # The shared X server refused a connection under load: again,
            # after a pause, before counting it as a failure.
            time.sleep(1)
            run = subprocess.run([str(exe)] + names, env=env,
                                 capture_output=True, timeout=90)
        if not report.exists():
            self.fail(name, f"no probe report (status {run.returncode}): "
                      + (run.stdout + run.stderr).decode(errors="replace")[-500:])
            return None
        probe = json.loads(report.read_text())
        nothing_to_show = dialogs is not None and not dialogs and not menus
        expected = "program-exit" if nothing_to_show else "captured"
        if run.returncode != 0 or probe["status"] != expected:
            self.fail(name, f"status {run.returncode}, probe {probe['status']}")
        return probe

    def check(self, name, probe, dialogs):
        for message in probe["messages"]:
            if message["level"] in ("error", "critical", "warning"):
                self.fail(name, f"{message['level']}: {message['domain']}: "
                          f"{message['text']}")
        for top in probe["toplevels"]:
            for widget in text_widgets(top["tree"], []):
                self.texts += 1
                self.clipped += bool(widget["clipped"])
        if not dialogs:
            return
        if len(probe["toplevels"]) != len(dialogs):
            self.fail(name, f"{len(dialogs)} dialogs, "
                      f"{len(probe['toplevels'])} windows")
            return
        made = self.made.get(name, [])
        for dialog, top in zip(dialogs, probe["toplevels"]):
            self.check_dialog(name, dialog, top, made)
            # Every window shows the application's icon.
            if any(kind == "ICON" for kind, _, _ in made):
                self.icons += 1
                if top["tree"].get("icon_size") != [ICON_PIXELS, ICON_PIXELS]:
                    self.fail(f"{name}: {dialog['name']}", "window icon "
                              f"{top['tree'].get('icon_size')}, expected "
                              f"{[ICON_PIXELS, ICON_PIXELS]}")

    def check_dialog(self, name, dialog, top, made):
        where = f"{name}: {dialog['name']}"
        areas = fixed_areas(top["tree"], [])
        if not areas:
            self.fail(where, "no GtkFixed")
            return
        area = areas[0]
        controls = dialog["controls"]
        # An up-down control attached to its field is part of its widget.
        kept = [at for at in range(len(controls))
                if not attaches_to_field(controls, at)]
        children = area.get("children", [])
        self.controls += len(controls)
        self.widgets += len(children)
        if len(children) != len(kept):
            self.fail(where, f"{len(kept)} controls as widgets, "
                      f"{len(children)} widgets")
            return
        # The window's own scroll bars take their width from the area.
        width, height = area["size_request"]
        if dialog["style"] & 0x00200000:  # WS_VSCROLL
            width += SCROLL_BAR_PIXELS
        if dialog["style"] & 0x00100000:  # WS_HSCROLL
            height += SCROLL_BAR_PIXELS
        bx, by = find_units([width, height], dialog["cx"], dialog["cy"])
        if bx is None or by is None:
            if dialog["cx"] > 0 and dialog["cy"] > 0:
                self.fail(where, f"area {area['size_request']} fits no base units")
            return
        for at, widget in zip(kept, children):
            control = controls[at]
            expected = [muldiv(control["x"], bx, 4), muldiv(control["y"], by, 8)]
            size = expected_size(controls, at, widget, bx, by, made)
            shown = shown_picture(control, made)
            if shown is None and widget.get("image") not in (None, "stock"):
                self.fail(where, f"{control.get('id_written')} shows "
                          f"{widget.get('image')}, expected a stock image")
            if shown is not None:
                self.pictures += 1
                if (widget.get("image") != "pixbuf"
                        or widget.get("pixbuf_size") != shown):
                    self.fail(where, f"{control.get('id_written')} shows "
                              f"{widget.get('image')} "
                              f"{widget.get('pixbuf_size')}, expected the "
                              f"script's picture at {shown}")
            got = widget.get("fixed_position")
            request = widget["size_request"]
            self.placed += 1
            if got != expected or (size is not None and request != size):
                self.misplaced += 1
                self.fail(where, f"{control.get('id_written')} at {got} "
                          f"{request}, expected {expected} {size}")

    def main(self):
        self.tools()
        programs = self.programs()
        with concurrent.futures.ThreadPoolExecutor(self.args.jobs) as pool:
            exes = list(pool.map(lambda p: self.compile(p[0], p[1]), programs))
            runs = [(p, e) for p, e in zip(programs, exes) if e is not None]
            probes = list(pool.map(
                lambda r: self.run(r[0][0], r[1],
                                   r[0][2]["dialogs"] if r[0][2] else None,
                                   r[0][2]["menus"] if r[0][2] else None),
                runs))
        for ((name, _, model), _), probe in zip(runs, probes):
            if probe is not None:
                self.check(name, probe, model["dialogs"] if model else None)
        share = self.clipped / self.texts if self.texts else 0.0
        print(f"programs: {len(programs)}, compiled: {len(runs)}")
        print(f"controls: {self.controls}, widgets: {self.widgets}, "
              f"misplaced: {self.misplaced} of {self.placed}")
        print(f"texts: {self.texts}, clipped: {self.clipped} ({share:.1%})")
        print(f"pictures: {self.pictures} icon and bitmap controls with "
              f"their file, {self.icons} windows with the application's icon")
        if share > CLIP_LIMIT:
            self.failures.append(f"{share:.1%} of texts clipped, more than "
                                 f"{CLIP_LIMIT:.0%}")
        return report(self.failures)


def parse():
    parser = argparse.ArgumentParser()
    parser.add_argument("--dlgforge", required=True)
    parser.add_argument("--sample", required=True)
    parser.add_argument("--source", required=True)
    parser.add_argument("--shared", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--corpus", action="store_true")
    parser.add_argument("--jobs", type=int, default=2)
    return parser.parse_args()


if __name__ == "__main__":
    main_on_private_display(Checker, parse())
