#!/usr/bin/env python3
"""Checks that dlgforge --preview builds what the --port program builds.

For every script (the examples and, with --corpus, the shared corpus) the
port program is compiled with the real FreeBASIC compiler and run showing
every dialog of the script, and dlgforge --preview is run naming the same
dialogs; both run under Xvfb with the gtkprobe module. The widget trees the
probe records must agree: the same widgets in the same order, with the same
types, texts, states, positions and sizes, and the same menus. Exits 77
(skipped) when fbc, Xvfb or a C compiler for the probe is missing.
"""
import argparse
import concurrent.futures
import json
import os
import pathlib
import shutil
import subprocess
import sys
import time

from gtk_tools import fbc_and_gtkprobe, skip
from private_display import private_display, refused_display

# What the probe records that must agree; `handlers` without `destroy`,
# which only the window that ends the program has.
FIELDS = ("type", "name", "visible", "sensitive", "has_default",
          "allocation", "size_request", "requisition", "fixed_position",
          "title", "label", "text", "items", "active_index", "password",
          "mnemonic", "accel", "font", "active", "inconsistent",
          "radio_group_size", "separator")


def normal(widget):
    """A widget and its subtree as the fields that must agree."""
    node = {key: widget[key] for key in FIELDS if key in widget}
    handlers = [h for h in widget.get("handlers", []) if h != "destroy"]
    if handlers:
        node["handlers"] = sorted(handlers)
    children = widget.get("children") or widget.get("items") or []
    if isinstance(children, list) and children and isinstance(children[0], dict):
        node["children"] = [normal(child) for child in children]
    if "submenu" in widget:
        node["submenu"] = [normal(item) for item in widget["submenu"]]
    return node


def first_difference(a, b, path):
    """The path and values of the first field where two trees differ."""
    for key in sorted(set(a) | set(b)):
        if key == "children" or key == "submenu":
            left, right = a.get(key, []), b.get(key, [])
            if len(left) != len(right):
                return f"{path}: {len(left)} vs {len(right)} {key}"
            for index, (x, y) in enumerate(zip(left, right)):
                found = first_difference(x, y, f"{path}/{x.get('type')}[{index}]")
                if found:
                    return found
        elif a.get(key) != b.get(key):
            return f"{path}: {key} {a.get(key)!r} (program) vs {b.get(key)!r} (preview)"
    return None


def resource_name(resource):
    name = resource["name"]
    return name if isinstance(name, str) else name["text"]


def count_items(items):
    return sum(1 + count_items(item.get("submenu", [])) for item in items)


def count(tree):
    return 1 + sum(count(child) for child in tree.get("children", []))


class Checker:
    def __init__(self, args):
        self.args = args
        self.work = pathlib.Path(args.work)
        self.work.mkdir(parents=True, exist_ok=True)
        self.failures = []
        self.dialogs = 0
        self.widgets = 0
        self.menu_items = 0

    def tools(self):
        self.fbc, self.probe = fbc_and_gtkprobe(self.args.shared, self.work)

    def scripts(self):
        found = sorted((pathlib.Path(self.args.source) / "examples").glob("*.rc"))
        if self.args.corpus:
            corpus = pathlib.Path(self.args.shared) / "corpus"
            found += sorted(p for p in corpus.iterdir()
                            if p.suffix.lower() in (".rc", ".rc2", ".dlg"))
        return [p for p in found if self.args.match in p.name]

    def probed(self, name, command):
        out = self.work / name
        shutil.rmtree(out, ignore_errors=True)
        env = dict(os.environ, GTK_MODULES=self.probe, GTKPROBE_OUT=str(out),
                   GTKPROBE_SETTLE_MS="60", GTKPROBE_TIMEOUT="20")
        run = subprocess.run(command, env=env, capture_output=True, timeout=90)
        report = out / "probe.json"
        for _ in range(2):
            if report.exists() or not refused_display(run.stderr):
                break
            # The shared X server refused a connection under load: again,
            # after a pause, before counting it as a failure.
            time.sleep(1)
            run = subprocess.run(command, env=env, capture_output=True,
                                 timeout=90)
        if not report.exists():
            self.failures.append(f"{name}: no probe report (status "
                                 f"{run.returncode}): "
                                 + run.stderr.decode(errors="replace")[-400:])
            return None
        return json.loads(report.read_text())

    def one(self, script):
        """Both runs of one script; a failure line, or None."""
        name = script.stem
        dump = subprocess.run([self.args.dlgforge, "--dump-model", str(script)],
                              capture_output=True)
        if dump.returncode != 0:
            return f"{name}: --dump-model failed"
        model = json.loads(dump.stdout)
        dialogs = [resource_name(d) for d in model["dialogs"]]
        menus = [resource_name(m) for m in model["menus"]]
        if menus:
            # Menus are compared on dialogs that carry them: a script that
            # includes the original adds one empty dialog per menu.
            host = self.work / (name + "-menus.rc")
            lines = [f'#include "{script.resolve()}"']
            for index, menu in enumerate(menus):
                lines += [f"DLGFORGE_MENU_HOST_{index} DIALOG 0, 0, 120, 40",
                          f"MENU {menu}", "BEGIN", "END"]
                dialogs.append(f"DLGFORGE_MENU_HOST_{index}")
            host.write_text("\n".join(lines) + "\n", encoding="latin-1")
            script = host
        if not dialogs:
            return None
        bas = self.work / (name + ".bas")
        port = subprocess.run([self.args.dlgforge, "--port", str(script)],
                              capture_output=True)
        bas.write_bytes(port.stdout)
        if port.returncode != 0:
            return f"{name}: --port failed"
        exe = bas.with_suffix("")
        built = subprocess.run([self.fbc, "-exx", str(bas), "-x", str(exe)],
                               capture_output=True, text=True)
        if built.returncode != 0:
            return f"{name}: fbc: " + (built.stdout + built.stderr)[:500]
        program = self.probed("program-" + name, [str(exe)] + dialogs)
        preview = self.probed("preview-" + name, [self.args.dlgforge,
                                                  "--preview", str(script)]
                              + dialogs)
        if program is None or preview is None:
            return f"{name}: a run left no probe report"
        left, right = program["toplevels"], preview["toplevels"]
        if len(left) != len(right) or len(left) != len(dialogs):
            return (f"{name}: {len(dialogs)} dialogs, {len(left)} program "
                    f"windows, {len(right)} preview windows")
        for dialog, a, b in zip(dialogs, left, right):
            for key in ("title", "size"):
                if a[key] != b[key]:
                    return f"{name} {dialog}: window {key} {a[key]} vs {b[key]}"
            x, y = normal(a["tree"]), normal(b["tree"])
            found = first_difference(x, y, dialog)
            if found is None:
                bars = [normal(m) for m in a["menubars"]]
                found = first_difference({"children": bars}, {"children": [
                    normal(m) for m in b["menubars"]]}, dialog + " menus")
            if found:
                return f"{name}: {found}"
            self.dialogs += 1
            self.widgets += count(x)
            self.menu_items += sum(count_items(m["items"]) for m in a["menubars"])
        return None

    def main(self):
        self.tools()
        scripts = self.scripts()
        with concurrent.futures.ThreadPoolExecutor(self.args.jobs) as pool:
            results = list(pool.map(self.one, scripts))
        self.failures += [r for r in results if r]
        print(f"scripts: {len(scripts)}, dialogs agreeing: {self.dialogs}, "
              f"widgets compared: {self.widgets}, menu items compared: "
              f"{self.menu_items}")
        for failure in self.failures[:100]:
            print("FAIL: " + failure)
        return 1 if self.failures else 0


def parse():
    parser = argparse.ArgumentParser()
    parser.add_argument("--dlgforge", required=True)
    parser.add_argument("--source", required=True)
    parser.add_argument("--shared", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--corpus", action="store_true")
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--match", default="",
                        help="only the scripts whose name contains this")
    return parser.parse_args()


if __name__ == "__main__":
    arguments = parse()
    # One private X server at 96 dpi for every run.
    with private_display() as display:
        if display is None:
            skip("Xvfb is not installed (Debian package xvfb)")
        status = Checker(arguments).main()
    sys.exit(status)
