#!/usr/bin/python3
"""Screenshots of every window on a real desktop: Xvfb with the openbox
window manager, under a light and a dark colour scheme (qt6ct "darker"), at
1x and 2x (QT_SCALE_FACTOR).

    tools/tour/desktop_shots.py [--program build/lexivane] [--out docs/images/desktop]

Each window is saved with the window manager's frame around it (the test and
box windows draw their own), as <scheme>-<scale>-<window>.png, then made
smaller with pngquant when it is installed. Needs the packages of the
desktop smoke test (scripts/test.sh installs them).
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
sys.path.insert(0, os.path.join(ROOT, "tests", "support"))
import xsession  # noqa: E402

DARK_SCHEME = """[Appearance]
color_scheme_path=/usr/share/qt6ct/colors/darker.conf
custom_palette=true
style=Fusion
"""


def read_group(path, group):
    raw = open(path, "rb").read()
    try:
        text = raw.decode("utf-8")
    except UnicodeDecodeError:
        text = raw.decode("gb18030")
    lines = [line.strip() for line in text.splitlines() if line.strip()]
    pairs = list(zip(lines[0::2], lines[1::2]))
    return pairs[(group - 1) * 25:group * 25]


class Shooter:
    def __init__(self, desktop, out, prefix):
        self.desktop, self.out, self.prefix = desktop, out, prefix

    def grab(self, win, name):
        left, right, top, bottom = self.desktop.frame_extents(win.wid)
        x, y, w, h = self.desktop.client_rect(win.wid)
        path = os.path.join(self.out, "%s-%s.png" % (self.prefix, name))
        self.desktop.screenshot(x - left, y - top, w + left + right, h + top + bottom, path)
        if shutil.which("pngquant"):
            subprocess.run(["pngquant", "--force", "--skip-if-larger", "--output", path, "--", path])
        print(os.path.relpath(path, ROOT))


def park(desktop):
    desktop.xdo("mousemove", 2, 2)
    time.sleep(0.4)


def tour(desktop, program, env, scale, shooter):
    folder = tempfile.mkdtemp(prefix="lexivane-shots-")
    staged = xsession.stage_program(program, os.path.join(ROOT, "data"), folder)
    app = xsession.Program(desktop, staged, folder, env, scale)
    try:
        about = app.wait_settled("Kelvaro--Lexivane V1.0", 447, timeout=20)
        park(desktop)
        shooter.grab(about, "about")
        desktop.click_at(about.x + round(60 * scale), about.y + round(100 * scale))
        app.wait_gone(about)

        test = app.wait_settled("Kelvaro--Lexivane v1.0", 497)
        app.click(test, 240, 2040, 1335, 615)  # 单词初记: the answer box takes the keyboard
        time.sleep(0.3)
        words = read_group(os.path.join(folder, "data", "basic.txt"), 1)
        desktop.type_text(words[0][0])
        desktop.key("Return")
        desktop.type_text("wrong")
        desktop.key("Return")
        box = app.wait_settled("Kelvaro--Lexivane 1.0")
        park(desktop)
        shooter.grab(box, "message-box")
        desktop.key("Return")
        app.wait_gone(box)
        desktop.type_text(words[2][0][:2])
        park(desktop)
        shooter.grab(app.wait_settled("Kelvaro--Lexivane v1.0", 497), "test-window")
        # The rest of the group, then the re-test of the wrong word, then the
        # end-of-group question (Yes / No).
        desktop.type_text(words[2][0][2:])
        desktop.key("Return")
        for word, _meaning in words[3:] + words[1:2]:
            desktop.type_text(word)
            desktop.key("Return")
            time.sleep(0.05)
        question = app.wait_settled("Kelvaro--Lexivane 1.0")
        park(desktop)
        shooter.grab(question, "question")
        desktop.key("Return")
        app.wait_gone(question)

        app.click(test, 240, 3000, 1335, 615)  # 单词浏览
        boxes = app.wait_settled("Kelvaro--Lexivane V1.0", 513)
        app.click(boxes, 180, 5010, 1500, 510)  # 开始
        park(desktop)
        shooter.grab(boxes, "box-window")
        app.click(boxes, 180, 5580, 1500, 510)  # 返回
        test = app.wait_settled("Kelvaro--Lexivane v1.0", 497)

        app.click(test, 240, 3960, 1335, 615)  # 迷你模式
        bar = app.wait_settled("Lexivane", 553)
        park(desktop)
        time.sleep(1.2)
        shooter.grab(bar, "browse-bar")
        x, y = app.point(bar, 120, 120, 1500, 375)
        desktop.xdo("mousemove", x, y)
        time.sleep(0.1)
        desktop.xdo("click", 3)
        time.sleep(0.4)
        desktop.key("Down", "Return")  # 设置
        settings = app.wait_settled("Lexivane", 354)
        park(desktop)
        shooter.grab(settings, "settings")
    finally:
        app.close()
        shutil.rmtree(folder, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", default=os.path.join(ROOT, "build", "lexivane"))
    parser.add_argument("--out", default=os.path.join(ROOT, "docs", "images", "desktop"))
    args = parser.parse_args()
    os.makedirs(args.out, exist_ok=True)
    desktop = xsession.Desktop(1280, 1024)
    config = tempfile.mkdtemp(prefix="lexivane-qt6ct-")
    os.makedirs(os.path.join(config, "qt6ct"))
    with open(os.path.join(config, "qt6ct", "qt6ct.conf"), "w") as f:
        f.write(DARK_SCHEME)
    try:
        for scheme, env in (("light", {}), ("dark", {"QT_QPA_PLATFORMTHEME": "qt6ct", "XDG_CONFIG_HOME": config})):
            for scale in (1, 2):
                run_env = dict(env)
                if scale != 1:
                    run_env["QT_SCALE_FACTOR"] = str(scale)
                tour(desktop, os.path.abspath(args.program), run_env, scale,
                     Shooter(desktop, args.out, "%s-%dx" % (scheme, scale)))
    finally:
        desktop.close()
        shutil.rmtree(config, ignore_errors=True)


if __name__ == "__main__":
    main()
