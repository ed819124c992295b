"""A private X server for the GTK checks: Xvfb picks a free display number
itself (-displayfd), so checks that run side by side never race for one."""
import contextlib
import os
import shutil
import subprocess


@contextlib.contextmanager
def private_display(screen="1600x1200x24", dpi=96):
    """Starts Xvfb, sets DISPLAY for the block and for its child processes,
    and stops the server afterwards. Returns None when Xvfb is missing."""
    xvfb = shutil.which("Xvfb")
    if xvfb is None:
        yield None
        return
    read_end, write_end = os.pipe()
    server = subprocess.Popen(
        [xvfb, "-displayfd", str(write_end), "-screen", "0", screen,
         "-dpi", str(dpi), "-nolisten", "tcp", "+extension", "RENDER"],
        pass_fds=(write_end,), stdin=subprocess.DEVNULL,
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as numbers:
        number = numbers.readline().strip()
    if not number:
        server.kill()
        server.wait()
        raise RuntimeError("Xvfb did not start")
    previous = os.environ.get("DISPLAY")
    os.environ["DISPLAY"] = ":" + number
    try:
        yield os.environ["DISPLAY"]
    finally:
        server.terminate()
        server.wait()
        if previous is None:
            os.environ.pop("DISPLAY", None)
        else:
            os.environ["DISPLAY"] = previous


def refused_display(stderr):
    """Whether a GTK program (or the preview helper) said that it could not
    connect to the display: under load the server now and then refuses a
    connection, which is no fault of the program."""
    return (b"cannot open display" in stderr
            or b"cannot open the display" in stderr)
