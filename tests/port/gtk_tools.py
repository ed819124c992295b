"""The tools the GTK checks share: the FreeBASIC compiler unpacked from the
shared folder and the gtkprobe module built from it. A check whose tools
are missing is skipped (exit 77), saying why."""
import pathlib
import shutil
import subprocess
import sys

SKIP = 77


def skip(why):
    print("SKIP: " + why)
    sys.exit(SKIP)


def fbc_and_gtkprobe(shared, work):
    """(fbc command, gtkprobe module path), unpacked and built under work."""
    shared = pathlib.Path(shared)
    work = pathlib.Path(work)
    if not (shared / "fbc" / "install").exists():
        skip(f"no FreeBASIC compiler at {shared / 'fbc'}")
    if shutil.which("gcc") is None:
        skip("gcc is not installed; gtkprobe cannot be built")
    fbc = subprocess.run([str(shared / "fbc" / "install"), "--deps",
                          str(work / "fbc")], capture_output=True, text=True)
    if fbc.returncode != 0:
        skip("fbc could not be unpacked: " + fbc.stderr.strip())
    probe = subprocess.run([str(shared / "gtkprobe" / "build"),
                            str(work / "gtkprobe")],
                           capture_output=True, text=True)
    if probe.returncode != 0:
        skip("gtkprobe could not be built: " + probe.stderr.strip())
    return (fbc.stdout.strip().splitlines()[-1],
            probe.stdout.strip().splitlines()[-1])


def report(failures):
    """Prints the failures (the first 200) and gives the exit status."""
    for failure in failures[:200]:
        print("FAIL: " + failure)
    return 1 if failures else 0


def main_on_private_display(checker, arguments):
    """Runs checker(arguments).main() with one private X server at 96 dpi
    for every program, and exits with its status."""
    from private_display import private_display
    with private_display() as display:
        if display is None:
            skip("Xvfb is not installed (Debian package xvfb)")
        status = checker(arguments).main()
    sys.exit(status)


def class_key(name):
    """A window class as the script or the dialog manager names it, to
    compare: lower case, without quotes."""
    return name.strip('"').lower()


def attaches_to_field(controls, at):
    """Whether controls[at] (each with "class" and "style") is an up-down
    control that the dialog manager attaches to the one-line edit field
    before it and puts at the field's left or right edge (UDS_AUTOBUDDY
    with UDS_ALIGNRIGHT or UDS_ALIGNLEFT): the port program makes the two
    one GtkSpinButton."""
    control = controls[at]
    style = control["style"]
    if (at == 0 or class_key(control["class"]) != "msctls_updown32"
            or not style & 0x10 or not style & 0x0C):
        return False
    buddy = controls[at - 1]
    return class_key(buddy["class"]) == "edit" and not buddy["style"] & 0x04
