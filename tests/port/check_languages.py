#!/usr/bin/env python3
"""Runs port programs of scripts in several languages under Xvfb with
gtkprobe, as users of other locales would, and checks which variant of each
dialog and string they get.

- languages.rc (English, German, Japanese; the German dialog is wider, one
  dialog has no German variant, no dialog is French) with LANG set to
  de_DE.UTF-8, ja_JP.UTF-8 and fr_FR.UTF-8, and with --language on the
  command line: the title, the label and the window's size of each dialog,
  and the string the program reads by id;
- a main script with #pragma code_page(65001) that includes the per-language
  files of a real project from a lang/ folder (made from the shared corpus):
  one program whose dialogs show the Japanese variant under ja_JP and the
  English one under de_DE, with the captions the reader found.

The machine need not have these locales: GTK's warning that the C library
does not support one is expected, any other warning fails.
Exits 77 (skipped) when fbc, Xvfb or gcc is missing.
"""
import argparse
import json
import os
import pathlib
import re
import shutil
import subprocess
import sys

from gtk_tools import fbc_and_gtkprobe, main_on_private_display

BASE_UNITS = (6, 13)
# Pixels of dialog units at the fixed base units, as the program rounds.
def pixels(units, base, divisor):
    return (units * base + divisor // 2) // divisor


WINFILE = "microsoft__winfile__src__lang__"


class Languages:
    def __init__(self, args):
        self.args = args
        self.work = pathlib.Path(args.work)
        self.data = pathlib.Path(args.source) / "tests" / "port" / "data"
        self.failures = []
        self.checks = 0

    def fail(self, what):
        self.failures.append(what)
        print("FAIL: " + what)

    def build(self, script, folder, user=None):
        folder.mkdir(parents=True, exist_ok=True)
        bas = folder / "app.bas"
        if user is not None:
            shutil.copy(user, bas)
        run = subprocess.run(
            [self.args.dlgforge, "--port", "--base-units",
             ",".join(map(str, BASE_UNITS)), "-o", str(bas), str(script)],
            capture_output=True, text=True)
        if run.returncode != 0:
            raise RuntimeError(f"--port {script}: {run.stderr}")
        built = subprocess.run([self.fbc, str(bas), "-x", str(folder / "app")],
                               capture_output=True, text=True)
        if built.returncode != 0:
            raise RuntimeError(f"fbc {bas}: {built.stdout}{built.stderr}")
        return folder / "app"

    def probe(self, exe, lang, arguments):
        """(printed lines, {title: window}) of a run with LANG=lang."""
        out = exe.parent / f"probe-{lang}-{len(arguments)}"
        shutil.rmtree(out, ignore_errors=True)
        env = {k: v for k, v in os.environ.items()
               if k not in ("LANGUAGE", "LC_ALL", "LC_MESSAGES")}
        run = subprocess.run([str(exe), *arguments], capture_output=True,
                             text=True, timeout=60,
                             env=dict(env, LANG=lang, GTK_MODULES=self.probe_module,
                                      GTKPROBE_OUT=str(out)))
        report = json.loads((out / "probe.json").read_text())
        for message in report["messages"]:
            text = message.get("message", "")
            if "Locale not supported" not in text:
                self.fail(f"{exe.parent.name} {lang}: GTK said {text!r}")
        return run.stdout.splitlines(), {
            window["title"]: window for window in report["toplevels"]}

    @staticmethod
    def labels(window):
        found = []

        def walk(widget):
            if widget.get("type") == "GtkLabel":
                found.append(widget.get("label"))
            for child in widget.get("children", []):
                walk(child)
        walk(window["tree"])
        return found

    def expect(self, what, windows, title, label=None, units=None):
        self.checks += 1
        window = windows.get(title)
        if window is None:
            self.fail(f"{what}: no window {title!r} in {list(windows)}")
            return
        if label is not None and label not in self.labels(window):
            self.fail(f"{what}: no label {label!r} in {self.labels(window)}")
        if units is not None:
            size = [pixels(units[0], BASE_UNITS[0], 4),
                    pixels(units[1], BASE_UNITS[1], 8)]
            if window["size"] != size:
                self.fail(f"{what}: {title} is {window['size']}, not {size}")

    def hand_made(self):
        exe = self.build(self.data / "languages.rc", self.work / "hand-made",
                         self.data / "languages_user.bas")
        english = ("Hello", "Good morning", (120, 50))
        german = ("Grüß Gott", "Guten Morgen", (160, 50))
        japanese = ("こんにちは", "おはようございます", (130, 50))
        for lang, arguments, hello, notice, greeting in (
                ("de_DE.UTF-8", [], german, "Notice", "de-DE Hallo"),
                ("ja_JP.UTF-8", [], japanese, "お知らせ", "ja-JP Hello"),
                ("fr_FR.UTF-8", [], english, "Notice", "fr-FR Hello"),
                ("de_AT.UTF-8@euro", [], german, "Notice", "de-AT Hallo"),
                ("de_DE.UTF-8", ["--language", "ja-JP"], japanese, "お知らせ",
                 "ja-JP Hello")):
            what = f"languages.rc LANG={lang} {' '.join(arguments)}"
            printed, windows = self.probe(
                exe, lang, arguments + ["IDD_HELLO", "IDD_NOTICE"])
            self.checks += 1
            if greeting not in printed:
                self.fail(f"{what}: printed {printed}, not {greeting!r}")
            self.expect(what, windows, hello[0], hello[1], hello[2])
            self.expect(what, windows, notice, units=(100, 40))

    def project_tree(self):
        """lang/res_en-US.rc and lang/res_ja-JP.rc with their dialogs, both
        included by one main script."""
        corpus = pathlib.Path(self.args.shared) / "corpus"
        if not (corpus / (WINFILE + "res_ja-JP.rc")).exists():
            print("project tree: the corpus has no winfile, not checked")
            return
        tree = self.work / "project"
        shutil.rmtree(tree, ignore_errors=True)
        (tree / "lang").mkdir(parents=True)
        for language in ("en-US", "ja-JP"):
            for stem in (f"res_{language}.rc", f"winfile_{language}.dlg"):
                shutil.copy(corpus / (WINFILE + stem), tree / "lang" / stem)
            (tree / "lang" / f"suggest_{language}.db").write_text("")
        (tree / "winfile.rc").write_text(
            "#pragma code_page(65001)\n"
            '#include "lang/res_en-US.rc"\n#include "lang/res_ja-JP.rc"\n')
        model = json.loads(subprocess.run(
            [self.args.dlgforge, "--dump-model", str(tree / "winfile.rc")],
            capture_output=True, text=True).stdout)
        captions = {}
        for dialog in model["dialogs"]:
            captions.setdefault(dialog["name"], {})[dialog["language_name"]] = (
                dialog["caption"])
        both = [name for name, by_language in captions.items()
                if len(by_language) == 2 and by_language["en-US"]
                and by_language["en-US"] != by_language["ja-JP"]]
        self.checks += 1
        if len(both) < 5:
            self.fail(f"project tree: {len(both)} dialogs in both languages")
            return
        exe = self.build(tree / "winfile.rc", self.work / "project-program")
        for lang, language in (("ja_JP.UTF-8", "ja-JP"), ("de_DE.UTF-8", "en-US")):
            for name in both[:3]:
                _, windows = self.probe(exe, lang, [name])
                self.expect(f"project tree LANG={lang} {name}", windows,
                            captions[name][language])

    def main(self):
        self.fbc, self.probe_module = fbc_and_gtkprobe(self.args.shared,
                                                       self.work)
        try:
            self.hand_made()
            self.project_tree()
        except RuntimeError as error:
            self.fail(str(error))
        print(f"{self.checks} checks of programs in several languages, "
              f"{len(self.failures)} failed")
        return 1 if self.failures else 0


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--dlgforge", required=True)
    parser.add_argument("--source", required=True)
    parser.add_argument("--shared", required=True)
    parser.add_argument("--work", required=True)
    main_on_private_display(Languages, parser.parse_args())


if __name__ == "__main__":
    main()
