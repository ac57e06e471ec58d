#!/usr/bin/python3
"""Screenshots of every window for the README's guided tour.

    tools/tour/take_screenshots.py [--build build] [--out docs/images] [--scale 1]

Starts the program (from a scratch copy of the build's program folder, so the
build's lexvan.ini is left alone) and walks through it as a new user would:
the about window, a typing test in progress, the box window with group 1
loaded, the browse bar, its menu, and the browse settings dialog. With
--scale the program runs with QT_SCALE_FACTOR set, and the file names get a
"-x<scale>" suffix. Run it on an X display (tools/tour/take_screenshots.sh
starts Xvfb).
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, HERE)
import xdriver  # noqa: E402


def grab(x, y, w, h, path):
    subprocess.run(["import", "-window", "root", "-crop", "%dx%d+%d+%d" % (w, h, x, y), "+repage", path],
                   check=True)
    print(os.path.relpath(path, ROOT))


def grab_window(win, path):
    grab(win.x, win.y, win.width, win.height, path)


def read_group(path, group):
    raw = open(path, "rb").read()
    try:
        text = raw.decode("utf-8")
    except UnicodeDecodeError:
        text = raw.decode("gb18030")
    lines = [line.strip() for line in text.splitlines() if line.strip()]
    pairs = list(zip(lines[0::2], lines[1::2]))
    return pairs[(group - 1) * 25:group * 25]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default=os.path.join(ROOT, "build"))
    parser.add_argument("--out", default=os.path.join(ROOT, "docs", "images"))
    parser.add_argument("--scale", default="1")
    args = parser.parse_args()
    scale = float(args.scale)
    suffix = "" if scale == 1 else "-x" + args.scale
    os.makedirs(args.out, exist_ok=True)

    def out(name):
        return os.path.join(args.out, name + suffix + ".png")

    scratch = tempfile.mkdtemp(prefix="lexivane-tour-")
    build = os.path.abspath(args.build)
    shutil.copy2(os.path.join(build, "lexivane"), scratch)
    shutil.copy2(os.path.join(build, "lexvan.ini"), scratch)
    shutil.copytree(os.path.join(build, "data"), os.path.join(scratch, "data"))
    env = dict(os.environ)
    env.pop("QT_QPA_PLATFORM", None)
    if scale != 1:
        env["QT_SCALE_FACTOR"] = args.scale
    proc = subprocess.Popen([os.path.join(scratch, "lexivane")], cwd=scratch, env=env,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    app = xdriver.Program(proc, scale)
    try:
        xdriver.park_pointer()
        about = app.wait_window("Kelvaro--Lexivane V1.0")
        time.sleep(0.8)
        grab_window(about, out("tour-about-window"))
        app.click(about, 0, 0, 7335 // 2, 4695 // 2)
        app.wait_gone(about)

        # A typing test, three words in.
        form1 = app.wait_window("Kelvaro--Lexivane v1.0")
        app.click(form1, 240, 2040, 1335, 615)  # 单词初记
        time.sleep(0.3)
        words = read_group(os.path.join(scratch, "data", "basic.txt"), 1)
        app.click(form1, 2040, 4800, 5175, 735)  # the answer box
        for word, _meaning in words[:3]:
            app.type_text(word)
            app.key("Return")
            time.sleep(0.15)
        app.type_text(words[3][0][:2])
        xdriver.park_pointer()
        time.sleep(0.3)
        grab_window(form1, out("tour-test-window"))

        # The box window with group 1.
        app.click(form1, 240, 3000, 1335, 615)  # 单词浏览
        form2 = app.wait_window("Kelvaro--Lexivane V1.0")
        app.click(form2, 180, 5010, 1500, 510)  # 开始
        xdriver.park_pointer()
        time.sleep(0.5)
        grab_window(form2, out("tour-box-window"))
        app.click(form2, 180, 5580, 1500, 510)  # 返回
        app.wait_gone(form2)

        # The browse bar, its menu and its settings dialog.
        form1 = app.wait_window("Kelvaro--Lexivane v1.0")
        app.click(form1, 240, 3960, 1335, 615)  # 迷你模式
        bar_width = 8295 // xdriver.TWIPS
        bar = app.wait_window("Lexivane", width=bar_width)
        xdriver.park_pointer()
        time.sleep(1.5)
        grab_window(bar, out("tour-browse-bar"))
        app.click(bar, 120, 120, 1500, 375, button=3)
        time.sleep(0.4)
        # The bar with the menu opened under the pointer.
        grab(bar.x, bar.y, bar.width, round(160 * scale), out("tour-browse-menu"))
        app.key("Down", "Return")  # 设置
        app.wait_gone(bar)
        form4 = app.wait_window("Lexivane")
        xdriver.park_pointer()
        time.sleep(0.4)
        grab_window(form4, out("tour-browse-settings"))
        app.click(form4, 1920, 3360, 1575, 615)  # 确定
        bar = app.wait_window("Lexivane", width=bar_width)
        app.click(bar, 120, 120, 1500, 375, button=3)
        time.sleep(0.3)
        app.key("Up", "Up", "Return")  # 返回 (朗读 follows it)
        app.wait_window("Kelvaro--Lexivane v1.0")
    finally:
        proc.kill()
        proc.wait()
        shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    main()
