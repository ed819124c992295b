#!/usr/bin/env python3
"""Drives port programs with real key presses and clicks, as their users do.

Each program is compiled with the real FreeBASIC compiler and run under a
private Xvfb; xdotool presses keys and clicks through the XTEST extension.
What the dialog's procedure receives and what the program prints when the
dialog ends are compared with what the Windows dialog manager does:

- behaviour.rc with the user's file data/behaviour_user.bas, for GTK+ 2
  and for GTK 3 (--gtk3), which prints
  every command and fills and reads each kind of control by id: Escape,
  Enter, clicks on OK (handled once to keep the dialog open), Tab and
  Shift+Tab through the tab stops, the arrow keys in a radio group, Alt
  mnemonics and letters alone, Enter in a field with ES_WANTRETURN;
- dialogs of the shared corpus as converted, without user code: Escape
  prints IDCANCEL, Enter the default button's IDOK;
- mainframe.rc, an MFC application's main window (menu, accelerators,
  toolbar, strings, about box, version): its keys, its toolbar buttons
  (found where GTK put them, through gtkprobe) and MFC's About and Exit;
- a regeneration: the user's file is kept byte for byte when the script
  gains a control and a dialog, loses one and renumbers an id, and still
  compiles and runs.

Exits 77 (skipped) when fbc, Xvfb, xdotool or gcc is missing.
"""
import argparse
import json
import os
import pathlib
import shutil
import subprocess
import sys
import time

from gtk_tools import fbc_and_gtkprobe, skip
from private_display import private_display

# The OK button of behaviour.rc (113, 125, 50, 14) at base units 6,13: its
# centre in pixels of the dialog's client area.
OK_BUTTON = (207, 214)
BASE_UNITS = "6,13"


class Behaviour:
    def __init__(self, args):
        self.args = args
        self.work = pathlib.Path(args.work)
        self.data = pathlib.Path(args.source) / "tests" / "port" / "data"
        self.failures = []
        self.checks = 0

    def fail(self, what):
        self.failures.append(what)
        print("FAIL: " + what)

    def convert(self, script, out, *options):
        """--port -o OUT: the two files; returns standard error."""
        run = subprocess.run([self.args.dlgforge, "--port", "--base-units",
                              BASE_UNITS, *options, "-o", str(out),
                              str(script)], capture_output=True, text=True)
        if run.returncode != 0:
            raise RuntimeError(f"--port {script} failed: {run.stderr}")
        return run.stderr

    def compile(self, bas):
        exe = bas.with_suffix("")
        built = subprocess.run([self.fbc, "-exx", str(bas), "-x", str(exe)],
                               capture_output=True, text=True)
        if built.returncode != 0:
            raise RuntimeError(f"fbc {bas.name}: {built.stdout}{built.stderr}")
        return exe

    def drive(self, exe, steps, arguments=(), env=None):
        """Runs the program, waits for its window, sends each step (a key
        for xdotool, or ("click", x, y)) and returns what it printed."""
        program = subprocess.Popen([str(exe), *arguments],
                                   stdout=subprocess.PIPE,
                                   stderr=subprocess.PIPE, text=True,
                                   env=dict(os.environ, **(env or {})))
        try:
            found = subprocess.run(
                ["xdotool", "search", "--sync", "--onlyvisible", "--pid",
                 str(program.pid)], capture_output=True, text=True, timeout=20)
            window = found.stdout.split()[0]
            time.sleep(0.3)
            for step in steps:
                if isinstance(step, tuple):
                    subprocess.run(["xdotool", "mousemove", "--window", window,
                                    str(step[1]), str(step[2]), "click", "1"],
                                   check=True)
                else:
                    subprocess.run(["xdotool", "key", "--clearmodifiers",
                                    step], check=True)
                # GTK 3 clicks a button a mnemonic activates a moment later.
                time.sleep(0.35)
            out, err = program.communicate(timeout=10)
        except (subprocess.TimeoutExpired, IndexError):
            program.kill()
            out, err = program.communicate()
            return None, out + err
        return program.returncode, out

    def expect(self, name, exe, steps, wanted, unwanted=(), **drive):
        """`wanted` lines appear in this order in what the program printed,
        `unwanted` ones nowhere; it ended with status 0."""
        self.checks += 1
        name = f"{exe.parent.name}: {name}"
        status, out = self.drive(exe, steps, **drive)
        lines = out.splitlines()
        position = 0
        for line in wanted:
            try:
                position = lines.index(line, position) + 1
            except ValueError:
                self.fail(f"{name}: no line {line!r} (in order) in {lines}")
                return
        for line in unwanted:
            if line in lines:
                self.fail(f"{name}: line {line!r} in {lines}")
                return
        if status != 0:
            self.fail(f"{name}: status {status}: {lines}")

    def user_program(self, gtk3):
        folder = self.work / ("behaviour-gtk3" if gtk3 else "behaviour")
        shutil.rmtree(folder, ignore_errors=True)
        folder.mkdir(parents=True)
        self.convert(self.data / "behaviour.rc", folder / "app.bas",
                     *(["--gtk3"] if gtk3 else []))
        shutil.copy(self.data / "behaviour_user.bas", folder / "app.bas")
        exe = self.compile(folder / "app.bas")
        ok = ("click",) + OK_BUTTON
        cancel_end = ["command IDCANCEL 0", "ended IDCANCEL"]
        self.expect("Escape", exe, ["Escape"], ["init"] + cancel_end)
        self.expect("Enter in an edit field", exe, ["Return", "Escape"],
                    ["command IDC_APPLY 0"] + cancel_end)
        self.expect("a procedure that handles IDOK", exe, [ok, ok],
                    ["command IDOK 0", "kept open", "command IDOK 0",
                     "ended IDOK"])
        # Tab from the name field: the checked radio button of the group
        # (one stop), Wrap, the list, the combo box, the two fields, then
        # the push buttons; Space clicks the button the focus is on.
        for tabs, clicked in ((1, "IDC_TWO"), (2, "IDC_WRAP"), (7, "IDC_APPLY"),
                              (8, "IDC_SHOW")):
            self.expect(f"{tabs} Tab", exe, ["Tab"] * tabs + ["space", "Escape"],
                        [f"command {clicked} 0"] + cancel_end)
        self.expect("Shift+Tab", exe, ["shift+Tab", "shift+Tab", "space",
                                       "Escape"],
                    ["command IDOK 0", "kept open"] + cancel_end)
        self.expect("Tab into a group with nothing checked", exe,
                    ["Tab", "space", "Escape"],
                    ["command IDC_ONE 0"] + cancel_end,
                    env={"FORM_UNCHECKED": "1"})
        self.expect("arrows in a radio group", exe,
                    ["Tab", "Down", "Down", "Up", "Escape"],
                    ["command IDC_THREE 0", "command IDC_ONE 0",
                     "command IDC_THREE 0"] + cancel_end)
        # The colour list starts with the DLGINIT's "blue": the procedure's
        # "red" and "green" follow it, and item 1 is "red".
        self.expect("Alt+mnemonic; the controls by id", exe, ["alt+s", "Escape"],
                    ["command IDC_SHOW 0",
                     "name=Ada label=&Your name: count=42 wrap=1 radio=010 "
                     "fruit=banana fruits=3 colour=red notes=line "
                     "show=&Show greeting=Hello, \"world\"",
                     "cleared fruits=0 radio=000 apply=0"] + cancel_end)
        self.expect("a letter alone on a button", exe,
                    ["Tab", "Tab", "s", "Escape"],
                    ["command IDC_SHOW 0"] + cancel_end)
        self.expect("a letter in an edit field", exe, ["w", "Escape"],
                    ["command IDC_NAME 768"] + cancel_end,
                    unwanted=["command IDC_WRAP 0"])
        self.expect("Alt+mnemonic of a label", exe,
                    ["Tab", "Tab", "alt+w", "alt+y", "Escape"],
                    ["command IDC_WRAP 0", "command IDC_NAME 256"] + cancel_end)
        # The ACCELERATORS of the editor's menu: the items' keys are the
        # items' commands, a key without an item sends code 1.
        self.expect("accelerators", exe,
                    ["ctrl+n", "F5", "ctrl+shift+s", "Escape"],
                    ["command IDM_NEW 0", "command IDM_REFRESH 0",
                     "command IDM_SAVE_ALL 1", "command IDCANCEL 0"],
                    arguments=["IDD_EDITOR"])
        self.expect("Enter with ES_WANTRETURN", exe,
                    ["Tab"] * 5 + ["Return", "Escape"],
                    ["command IDC_NOTES 768"] + cancel_end,
                    unwanted=["command IDC_APPLY 0"])

    def toolbar_centres(self, exe):
        """Where the GTK+ 2 program puts its toolbar buttons: the centre of
        each, as gtkprobe records the window built; and what each shows."""
        out = exe.parent / "probe"
        subprocess.run([str(exe)], capture_output=True, timeout=60,
                       env=dict(os.environ, GTK_MODULES=self.probe,
                                GTKPROBE_OUT=str(out)))
        report = json.loads((out / "probe.json").read_text())
        centres, pictures = [], []

        def walk(widget, in_button=False):
            if widget.get("type") == "GtkToolButton":
                x, y, width, height = widget["allocation"]
                centres.append((x + width // 2, y + height // 2))
                in_button = True
            if in_button and widget.get("type") == "GtkImage":
                pictures.append((widget.get("image"), widget.get("pixbuf_size")))
            for child in widget.get("children", []):
                walk(child, in_button)
        walk(report["toplevels"][0]["tree"])
        return centres, pictures

    def main_window(self, gtk3):
        folder = self.work / ("mainframe-gtk3" if gtk3 else "mainframe")
        shutil.rmtree(folder, ignore_errors=True)
        folder.mkdir(parents=True)
        self.convert(self.data / "mainframe.rc", folder / "app.bas",
                     *(["--gtk3"] if gtk3 else []))
        shutil.copy(self.data / "mainframe_user.bas", folder / "app.bas")
        exe = self.compile(folder / "app.bas")
        # WM_CREATE sees the version's constants and the application's name.
        start = ["create Main Test 1.2.0.7 Main Test"]
        leave = ["alt+f", "x"]
        closed = ["command ID_APP_EXIT 0", "closed"]
        self.expect("main window: accelerators, Exit", exe,
                    ["ctrl+n", "F5"] + leave,
                    start + ["command ID_FILE_NEW 0",
                             "command ID_VIEW_REFRESH 1"] + closed)
        self.expect("main window: About shows the about box", exe,
                    ["alt+h", "a", "Escape"] + leave,
                    start + ["command ID_APP_ABOUT 0", "about"] + closed)
        if not gtk3:
            centres, pictures = self.toolbar_centres(exe)
            self.checks += 1
            # Each button shows its 16 x 15 piece of the toolbar's bitmap.
            if pictures != [("pixbuf", [16, 15])] * 2:
                self.fail(f"main window: toolbar pictures {pictures}")
            if len(centres) != 2:
                self.fail(f"main window: toolbar buttons at {centres}")
                return
            self.expect("main window: toolbar buttons", exe,
                        [("click",) + centres[1], ("click",) + centres[0]]
                        + leave,
                        start + ["command ID_VIEW_REFRESH 0",
                                 "command ID_FILE_NEW 0"] + closed)

    def corpus_dialogs(self):
        corpus = pathlib.Path(self.args.shared) / "corpus"
        for script, dialog in (("github__putty__windows__pageant.rc", "210"),
                               ("TeraTermProject__teraterm__TTProxy__TTProxy.rc",
                                "IDD_OPTION_SETTING")):
            if not (corpus / script).exists():
                continue
            folder = self.work / "corpus"
            folder.mkdir(parents=True, exist_ok=True)
            bas = folder / (pathlib.Path(script).stem + ".bas")
            run = subprocess.run([self.args.dlgforge, "--port", "--main", dialog,
                                  str(corpus / script)], capture_output=True)
            bas.write_bytes(run.stdout)
            exe = self.compile(bas)
            self.expect(f"{script} Escape", exe, ["Escape"], ["IDCANCEL"])
            self.expect(f"{script} Enter", exe, ["Return"], ["IDOK"])

    def regeneration(self):
        folder = self.work / "regeneration"
        shutil.rmtree(folder, ignore_errors=True)
        folder.mkdir(parents=True)
        script = folder / "form.rc"
        original = (self.data / "behaviour.rc").read_text()
        script.write_text(original)
        user = folder / "app.bas"
        self.convert(script, user)
        user.write_text(
            '#include once "app.ui.bi"\n'
            "Function form_procedure(ByVal dialog As GtkWidget Ptr, _\n"
            "    ByVal message As Long, ByVal id As Long, ByVal code As Long)"
            " As Long\n"
            "  If message = WM_INITDIALOG Then dlgforge_set_text(dialog, "
            'IDC_NAME, "kept")\n'
            "  If message = WM_COMMAND AndAlso id = IDOK Then\n"
            '    Print "ok "; dlgforge_get_text(dialog, IDC_NAME); " "; '
            'Str(IDC_COUNT); " "; Str(IDC_NOTES)\n'
            "    dlgforge_end_dialog(dialog, IDOK)\n"
            "    Return 1\n"
            "  End If\n"
            "  Return 0\n"
            "End Function\n"
            'dlgforge_set_procedure("IDD_FORM", @form_procedure)\n'
            "dlgforge_start()\n"
            "If dlgforge_show_named_dialogs() = FALSE Then\n"
            '  Print dlgforge_id_name(dlgforge_dialog_box("IDD_FORM"))\n'
            "End If\n")
        before = user.read_bytes()
        # A control and a dialog more, the notes field gone, an id renumbered.
        changed = (original
                   .replace("#define IDC_COUNT 1009", "#define IDC_COUNT 1200\n"
                            "#define IDC_EXTRA 1300\n#define IDD_MORE 101")
                   .replace("    EDITTEXT        IDC_NOTES,7,70,120,30,"
                            "ES_MULTILINE | ES_WANTRETURN\n", "")
                   + "\nIDD_MORE DIALOGEX 0, 0, 100, 40\nSTYLE WS_POPUP | "
                   "WS_CAPTION\nCAPTION \"More\"\nFONT 8, \"MS Shell Dlg\"\n"
                   "BEGIN\n    PUSHBUTTON \"Cancel\",IDCANCEL,45,20,50,14\nEND\n")
        changed = changed.replace(
            "    EDITTEXT        IDC_COUNT,",
            "    EDITTEXT        IDC_EXTRA,7,70,60,14\n    EDITTEXT        IDC_COUNT,")
        script.write_text(changed)
        notes = self.convert(script, user)
        self.checks += 1
        if user.read_bytes() != before:
            self.fail("regeneration: the user's file changed")
        for word in ("IDD_MORE", "IDC_EXTRA"):
            if word not in notes:
                self.fail(f"regeneration: standard error does not name {word}: "
                          f"{notes!r}")
        exe = self.compile(user)
        self.expect("regenerated program", exe, [("click",) + OK_BUTTON],
                    ["ok kept 1200 1008", "IDOK"])
        self.expect("a new dialog without a procedure", exe, ["Escape"], [],
                    arguments=["IDD_MORE"])

    def run(self):
        if shutil.which("xdotool") is None:
            skip("xdotool is not installed")
        self.fbc, self.probe = fbc_and_gtkprobe(self.args.shared, self.work)
        with private_display() as display:
            if display is None:
                skip("Xvfb is not installed")
            try:
                self.user_program(gtk3=False)
                self.user_program(gtk3=True)
                self.main_window(gtk3=False)
                self.main_window(gtk3=True)
                self.corpus_dialogs()
                self.regeneration()
            except RuntimeError as error:
                self.fail(str(error))
        print(f"{self.checks} checks of driven programs, "
              f"{len(self.failures)} failed")
        return 1 if self.failures else 0


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--dlgforge", required=True)
    parser.add_argument("--source", required=True)
    parser.add_argument("--shared", required=True)
    parser.add_argument("--work", required=True)
    sys.exit(Behaviour(parser.parse_args()).run())


if __name__ == "__main__":
    main()
