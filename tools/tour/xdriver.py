"""Drives Lexivane's windows from outside, on an X display, with xdotool.

Shared by tools/tour/take_screenshots.py and bench/startup_rss.py. Windows
are found by the process id and title; controls are clicked at their place
in the window's design, in twips (15 to the pixel), scaled by the Qt scale
factor the program runs with.
"""
import subprocess
import time

TWIPS = 15


def xdo(*args):
    return subprocess.run(["xdotool", *map(str, args)], check=True, capture_output=True, text=True).stdout


def visible_windows(pid):
    out = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(pid), "--name", "."],
                         capture_output=True, text=True).stdout
    result = {}
    for wid in out.split():
        try:
            name = xdo("getwindowname", wid).strip()
            geo = xdo("getwindowgeometry", "--shell", wid)
        except subprocess.CalledProcessError:
            continue  # closed meanwhile
        g = dict(line.split("=", 1) for line in geo.split())
        result[wid] = Window(wid, name, int(g["X"]), int(g["Y"]), int(g["WIDTH"]), int(g["HEIGHT"]))
    return result


class Window:
    def __init__(self, wid, name, x, y, width, height):
        self.wid, self.name, self.x, self.y, self.width, self.height = wid, name, x, y, width, height

    def __repr__(self):
        return "%s %r %dx%d+%d+%d" % (self.wid, self.name, self.width, self.height, self.x, self.y)


class Program:
    def __init__(self, proc, scale=1.0):
        self.proc = proc
        self.pid = proc.pid
        self.scale = scale

    def wait_window(self, name, width=None, timeout=10.0):
        """A visible window of this title; the width (in unscaled pixels)
        tells apart the browse bar and its settings dialog, which share a
        title."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            for win in visible_windows(self.pid).values():
                if win.name != name:
                    continue
                if width is not None and abs(win.width - width * self.scale) > 2:
                    continue
                return win
            time.sleep(0.02)
        raise RuntimeError("window %r did not appear; visible: %s" % (name, list(visible_windows(self.pid).values())))

    def wait_gone(self, win, timeout=10.0):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if win.wid not in visible_windows(self.pid):
                return
            time.sleep(0.02)
        raise RuntimeError("window %r did not close" % win)

    def point(self, win, left, top, width, height):
        return (win.x + round((left + width / 2) / TWIPS * self.scale),
                win.y + round((top + height / 2) / TWIPS * self.scale))

    def click(self, win, left, top, width, height, button=1):
        x, y = self.point(win, left, top, width, height)
        xdo("mousemove", x, y)
        time.sleep(0.05)
        xdo("click", button)

    def type_text(self, text):
        xdo("type", "--delay", "20", text)

    def key(self, *keys):
        xdo("key", *keys)


def park_pointer():
    xdo("mousemove", 5, 5)
