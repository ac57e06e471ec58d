#!/usr/bin/python3
"""Start-up time and peak memory of the program, median of N runs under Xvfb.

    bench/startup_rss.py [--build build] [--runs 10] [--keep-going]

For each run the program folder (lexivane, lexvan.ini, data/) is copied to a
scratch folder, so every run starts from the same settings. The program is
started with LEXIVANE_STARTUP_TRACE=1, which makes it print the wall-clock
time at which the test window was first shown and painted; start-up is that
time minus the time taken just before the process was spawned.

Then every window is opened and closed once, from outside with xdotool: the
about window (closed with a click on its picture), the box window (单词浏览,
then 返回), the browse bar (迷你模式), its settings dialog (设置 in the bar's
menu, then 确定) and the bar again (返回 in its menu). Peak RSS is the
kernel's high-water mark (VmHWM) read after that round trip.

Needs xvfb-run (or a running X display), xdotool. Prints one line per run and
the medians.
"""
import argparse
import os
import re
import select
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tools", "tour"))
import xdriver  # noqa: E402

TWIPS = xdriver.TWIPS


def vm(pid, key):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith(key + ":"):
                return int(line.split()[1]) / 1024.0  # MiB
    raise RuntimeError(key)


def one_run(build, env):
    scratch = tempfile.mkdtemp(prefix="lexivane-bench-")
    try:
        shutil.copy2(os.path.join(build, "lexivane"), scratch)
        shutil.copy2(os.path.join(build, "lexvan.ini"), scratch)
        shutil.copytree(os.path.join(build, "data"), os.path.join(scratch, "data"))
        t0 = time.time_ns() // 1000
        proc = subprocess.Popen([os.path.join(scratch, "lexivane")], cwd=scratch, env=env,
                                stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        try:
            shown = None
            deadline = time.monotonic() + 15
            buf = b""
            while shown is None and time.monotonic() < deadline:
                ready, _, _ = select.select([proc.stderr], [], [], 0.5)
                if ready:
                    chunk = os.read(proc.stderr.fileno(), 4096)
                    if not chunk:
                        break
                    buf += chunk
                    m = re.search(rb"lexivane-startup: shown (\d+)", buf)
                    if m:
                        shown = int(m.group(1))
            if shown is None:
                raise RuntimeError("no start-up report; stderr: %r" % buf[-400:])
            startup_ms = (shown - t0) / 1000.0
            rss_start = vm(proc.pid, "VmHWM")

            app = xdriver.Program(proc)
            # About window: a click on its picture shows the test window.
            about = app.wait_window("Kelvaro--Lexivane V1.0")
            app.click(about, 0, 0, 7335 // 2, 4695 // 2)
            app.wait_gone(about)
            form1 = app.wait_window("Kelvaro--Lexivane v1.0")
            # Box window and back.
            app.click(form1, 240, 3000, 1335, 615)
            form2 = app.wait_window("Kelvaro--Lexivane V1.0")
            app.click(form2, 180, 5580, 1500, 510)
            app.wait_gone(form2)
            form1 = app.wait_window("Kelvaro--Lexivane v1.0")
            # Browse bar, its settings dialog, the bar again, and back.
            app.click(form1, 240, 3960, 1335, 615)
            bar_width = 8295 // TWIPS
            bar = app.wait_window("Lexivane", width=bar_width)
            app.click(bar, 120, 120, 1500, 375, button=3)
            time.sleep(0.2)
            app.key("Down", "Return")  # 设置, the first item
            app.wait_gone(bar)
            form4 = app.wait_window("Lexivane")
            app.click(form4, 1920, 3360, 1575, 615)  # 确定
            bar = app.wait_window("Lexivane", width=bar_width)
            app.click(bar, 120, 120, 1500, 375, button=3)
            time.sleep(0.2)
            app.key("Up", "Up", "Return")  # 返回, the last browse command (朗读 follows it)
            app.wait_window("Kelvaro--Lexivane v1.0")
            time.sleep(0.2)
            rss_peak = vm(proc.pid, "VmHWM")
            return startup_ms, rss_start, rss_peak
        finally:
            proc.kill()
            proc.wait()
    finally:
        shutil.rmtree(scratch, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default=os.path.join(ROOT, "build"))
    parser.add_argument("--runs", type=int, default=10)
    args = parser.parse_args()

    if not os.environ.get("DISPLAY"):
        # Re-run on a virtual display of our own.
        os.execvp("xvfb-run", ["xvfb-run", "-a", "-s", "-screen 0 1280x1024x24",
                               sys.executable, os.path.abspath(__file__), "--build", args.build,
                               "--runs", str(args.runs)])

    build = os.path.abspath(args.build)
    env = dict(os.environ, LEXIVANE_STARTUP_TRACE="1")
    env.pop("QT_QPA_PLATFORM", None)
    # One untimed start first, so every timed run finds the libraries and
    # fonts in the page cache, as a second start on a desktop does.
    one_run(build, env)

    results = []
    for i in range(args.runs):
        startup, rss_start, rss_peak = one_run(build, env)
        results.append((startup, rss_start, rss_peak))
        print("run %2d: start-up %6.1f ms   RSS at start-up %5.1f MiB   peak RSS %5.1f MiB"
              % (i + 1, startup, rss_start, rss_peak), flush=True)
    med = [statistics.median(col) for col in zip(*results)]
    print("median of %d runs: start-up %.1f ms (target < 300), RSS at start-up %.1f MiB, "
          "peak RSS after every window %.1f MiB (target < 60)" % (args.runs, med[0], med[1], med[2]))


if __name__ == "__main__":
    main()
