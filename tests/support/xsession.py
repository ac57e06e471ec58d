"""A private X desktop for tests and screenshots: Xvfb with the openbox
window manager, a staged program folder, and helpers to drive and look at
Lexivane's windows from outside with xdotool and ImageMagick's import.

Everything waits for a condition with a deadline; fixed sleeps are only used
to space out input as a person's hand would.
"""
import os
import shutil
import subprocess
import tempfile
import time

TWIPS = 15


def stop_processes_with_env(name, value, grace=1.0):
    """Stops every process of ours whose environment has name=value: the
    speech-dispatcher a program autospawned under a private runtime folder
    and its modules (sd_espeak-ng and the like), which outlive the program
    and some of which ignore SIGTERM. Returns the ids stopped."""
    marker = ("%s=%s" % (name, value)).encode()
    found = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit() or int(entry) == os.getpid():
            continue
        try:
            with open("/proc/%s/environ" % entry, "rb") as f:
                if marker in f.read().split(b"\0"):
                    found.append(int(entry))
        except OSError:
            continue  # gone, or not ours
    for pid in found:
        _signal(pid, 15)
    deadline = time.monotonic() + grace
    while any(_alive(pid) for pid in found) and time.monotonic() < deadline:
        time.sleep(0.05)
    for pid in found:
        if _alive(pid):
            _signal(pid, 9)
    return found


def _signal(pid, number):
    try:
        os.kill(pid, number)
    except OSError:
        pass


def _alive(pid):
    try:
        with open("/proc/%d/stat" % pid) as f:
            # A zombie has ended; its parent (not us) reaps it.
            return f.read().rsplit(")", 1)[1].split()[0] != "Z"
    except (OSError, IndexError):
        return False


class SessionUnavailable(Exception):
    """Xvfb could not be started: the caller skips, saying why."""


def _run(args, env, check=True):
    return subprocess.run(args, env=env, check=check, capture_output=True, text=True)


def wait_for(condition, timeout, what):
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError("timed out after %.1f s waiting for %s" % (timeout, what))
        time.sleep(0.05)


class Desktop:
    """Xvfb (1280 x 1024) and openbox, stopped by close()."""

    def __init__(self, width=1280, height=1024, window_manager=True, manager_command=("openbox", "--sm-disable")):
        self.width, self.height = width, height
        self._procs = []
        self._home = tempfile.mkdtemp(prefix="lexivane-desktop-")
        xvfb = shutil.which("Xvfb")
        if not xvfb:
            raise SessionUnavailable("Xvfb is not installed")
        read_fd, write_fd = os.pipe()
        try:
            proc = subprocess.Popen(
                [xvfb, "-displayfd", str(write_fd), "-screen", "0", "%dx%dx24" % (width, height),
                 "-nolisten", "tcp", "-noreset"],
                pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        except OSError as error:
            raise SessionUnavailable("Xvfb could not be started: %s" % error)
        os.close(write_fd)
        self._procs.append(proc)
        number = b""
        deadline = time.monotonic() + 15
        with os.fdopen(read_fd, "rb", buffering=0) as pipe:
            while not number.endswith(b"\n") and time.monotonic() < deadline:
                chunk = pipe.read(16)
                if not chunk:
                    break
                number += chunk
        if not number.strip():
            self.close()
            raise SessionUnavailable("Xvfb did not report a display (exit status %s)" % proc.poll())
        self.display = ":" + number.decode().strip()
        self.env = dict(os.environ)
        for name in ("WAYLAND_DISPLAY", "QT_QPA_PLATFORMTHEME", "QT_STYLE_OVERRIDE", "QT_SCALE_FACTOR",
                     "QT_SCREEN_SCALE_FACTORS", "XDG_CONFIG_HOME", "SESSION_MANAGER"):
            self.env.pop(name, None)
        self.env.update({"DISPLAY": self.display, "QT_QPA_PLATFORM": "xcb", "HOME": self._home,
                         "XDG_RUNTIME_DIR": self._home, "LC_ALL": "C.UTF-8", "QT_ACCESSIBILITY": "0",
                         "NO_AT_BRIDGE": "1"})
        if window_manager:
            if not shutil.which(manager_command[0]):
                self.close()
                raise AssertionError("%s is not installed (scripts/install-deps.sh installs openbox)"
                                     % manager_command[0])
            self._procs.append(subprocess.Popen(list(manager_command), env=self.env,
                                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
            try:
                wait_for(self._window_manager_running, 15, "%s to manage the screen" % manager_command[0])
            except AssertionError:
                self.close()
                raise

    def _window_manager_running(self):
        out = _run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], self.env, check=False).stdout
        return "window id" in out

    def close(self):
        for proc in reversed(self._procs):
            if proc.poll() is None:
                proc.terminate()
                try:
                    proc.wait(5)
                except subprocess.TimeoutExpired:
                    proc.kill()
                    proc.wait()
        self._procs = []
        # The programs run with this folder as their runtime folder, so a
        # speech daemon they spawned has it too; it must not outlive the test.
        stop_processes_with_env("XDG_RUNTIME_DIR", self._home)
        shutil.rmtree(self._home, ignore_errors=True)

    # --- Input and looking ---

    def xdo(self, *args):
        return _run(["xdotool", *map(str, args)], self.env).stdout

    def key(self, *keys):
        self.xdo("key", "--delay", "30", *keys)

    def type_text(self, text):
        self.xdo("type", "--delay", "30", text)

    def click_at(self, x, y, repeat=1, delay_ms=40):
        self.xdo("mousemove", x, y)
        time.sleep(0.1)
        self.xdo("click", "--repeat", repeat, "--delay", delay_ms, 1)

    def client_rect(self, wid):
        """The window's inside on the screen: x, y, width, height."""
        out = _run(["xwininfo", "-id", str(wid)], self.env, check=False)
        if out.returncode:
            return None
        values = {}
        for line in out.stdout.splitlines():
            key, _, value = line.strip().partition(":")
            values[key] = value.strip()
        try:
            return (int(values["Absolute upper-left X"]), int(values["Absolute upper-left Y"]),
                    int(values["Width"]), int(values["Height"]))
        except (KeyError, ValueError):
            return None

    def frame_extents(self, wid):
        """The window manager's frame around the window: left, right, top, bottom."""
        out = _run(["xprop", "-id", str(wid), "_NET_FRAME_EXTENTS"], self.env, check=False).stdout
        if "=" not in out:
            return (0, 0, 0, 0)
        return tuple(int(v) for v in out.split("=", 1)[1].split(","))

    def active_window(self):
        out = _run(["xdotool", "getactivewindow"], self.env, check=False).stdout.strip()
        return out or None

    def screenshot(self, x, y, width, height, path=None):
        """The screen's pixels in the rectangle, as an Image; also saved as
        PNG when a path is given."""
        geometry = "%dx%d+%d+%d" % (width, height, x, y)
        data = subprocess.run(["import", "-display", self.display, "-window", "root", "-crop", geometry,
                               "+repage", "-depth", "8", "ppm:-"], check=True, capture_output=True).stdout
        if path:
            subprocess.run(["import", "-display", self.display, "-window", "root", "-crop", geometry,
                            "+repage", path], check=True)
        return Image.from_ppm(data)


class Image:
    def __init__(self, width, height, pixels):
        self.width, self.height, self.pixels = width, height, pixels

    @staticmethod
    def from_ppm(data):
        fields = []
        pos = 0
        while len(fields) < 4:
            while data[pos:pos + 1].isspace():
                pos += 1
            if data[pos:pos + 1] == b"#":
                pos = data.index(b"\n", pos)
                continue
            end = pos
            while not data[end:end + 1].isspace():
                end += 1
            fields.append(data[pos:end])
            pos = end
        pos += 1
        if fields[0] != b"P6" or int(fields[3]) != 255:
            raise ValueError("not an 8-bit PPM picture")
        width, height = int(fields[1]), int(fields[2])
        raw = data[pos:pos + width * height * 3]
        return Image(width, height, [tuple(raw[i:i + 3]) for i in range(0, len(raw), 3)])

    def pixel(self, x, y):
        return self.pixels[y * self.width + x]

    def region(self, x, y, width, height):
        return [self.pixel(i, j) for j in range(y, min(y + height, self.height))
                for i in range(x, min(x + width, self.width))]


def luminance(rgb):
    """Relative luminance (sRGB), 0 to 1."""
    def linear(c):
        c /= 255.0
        return c / 12.92 if c <= 0.03928 else ((c + 0.055) / 1.055) ** 2.4
    r, g, b = (linear(c) for c in rgb)
    return 0.2126 * r + 0.7152 * g + 0.0722 * b


def contrast(a, b):
    la, lb = luminance(a), luminance(b)
    return (max(la, lb) + 0.05) / (min(la, lb) + 0.05)


def most_common(pixels):
    counts = {}
    for p in pixels:
        counts[p] = counts.get(p, 0) + 1
    return max(counts, key=counts.get)


# --- The program ---

class Window:
    def __init__(self, wid, name, x, y, width, height):
        self.wid, self.name, self.x, self.y, self.width, self.height = wid, name, x, y, width, height

    def __repr__(self):
        return "%s %r %dx%d+%d+%d" % (self.wid, self.name, self.width, self.height, self.x, self.y)


def stage_program(program, data_dir, folder):
    """A program folder as the installer makes it: the program, lexvan.ini
    from the template and the sample libraries under data/."""
    os.makedirs(os.path.join(folder, "data"), exist_ok=True)
    shutil.copy2(program, os.path.join(folder, "lexivane"))
    shutil.copy2(os.path.join(data_dir, "lexvan.ini.template"), os.path.join(folder, "lexvan.ini"))
    for name in os.listdir(data_dir):
        if name.endswith(".txt"):
            shutil.copy2(os.path.join(data_dir, name), os.path.join(folder, "data", name))
    return os.path.join(folder, "lexivane")


class Program:
    """The program running on a Desktop; windows found by process and title."""

    def __init__(self, desktop, program, folder, env=None, scale=1.0):
        self.desktop = desktop
        self.scale = scale
        self.env = dict(desktop.env)
        self.env.update(env or {})
        self._log = open(os.path.join(folder, "program.log"), "w")
        self.proc = subprocess.Popen([program], cwd=folder, env=self.env, stdout=self._log, stderr=self._log)
        self.pid = self.proc.pid

    def close(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        self._log.close()

    def windows(self):
        out = _run(["xdotool", "search", "--onlyvisible", "--pid", str(self.pid), "--name", "."],
                   self.desktop.env, check=False).stdout
        found = []
        for wid in out.split():
            name = _run(["xdotool", "getwindowname", wid], self.desktop.env, check=False)
            rect = self.desktop.client_rect(wid)
            if name.returncode or rect is None:
                continue  # closed meanwhile
            found.append(Window(wid, name.stdout.strip(), *rect))
        return found

    def find(self, name, width=None):
        for win in self.windows():
            if win.name == name and (width is None or abs(win.width - width * self.scale) <= 2):
                return win
        return None

    def wait_window(self, name, width=None, timeout=10.0):
        return wait_for(lambda: self.find(name, width), timeout, "window %r" % name)

    def wait_gone(self, win, timeout=10.0):
        wait_for(lambda: all(w.wid != win.wid for w in self.windows()), timeout, "%r to close" % win)

    def wait_settled(self, name, width=None, timeout=5.0):
        """The window, once its geometry has stopped changing."""
        last = [None]

        def settled():
            win = self.find(name, width)
            key = win and (win.x, win.y, win.width, win.height)
            same = key is not None and key == last[0]
            last[0] = key
            return win if same else None
        return wait_for(settled, timeout, "window %r to settle" % name)

    def point(self, win, left, top, width, height):
        """The screen point at the middle of a control placed in twips."""
        return (win.x + round((left + width / 2) / TWIPS * self.scale),
                win.y + round((top + height / 2) / TWIPS * self.scale))

    def click(self, win, left, top, width, height):
        self.desktop.click_at(*self.point(win, left, top, width, height))
