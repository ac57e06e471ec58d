#!/usr/bin/env python3
"""Desktop smoke test: the real program on Xvfb with the openbox window
manager, driven from outside as a user would with mouse and keyboard.

    desktop_smoke.py --program build/lexivane --data data [--keep DIR]

Each check starts the program afresh in its own staged program folder.
Exit status: 0 all passed, 1 a check failed, 77 no X server could be started
(skipped, with the reason printed).
"""
import argparse
import os
import shutil
import sys
import tempfile
import time
import traceback

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import xsession  # noqa: E402
from xsession import contrast, luminance, most_common, wait_for  # noqa: E402

TEST_WINDOW = "Kelvaro--Lexivane v1.0"
TEST_WIDTH = 7455 // 15
ABOUT_WINDOW = "Kelvaro--Lexivane V1.0"
ABOUT_WIDTH = 447
BOX_WINDOW = "Kelvaro--Lexivane V1.0"
BOX_WIDTH = 7695 // 15
MESSAGE_BOX = "Kelvaro--Lexivane 1.0"

# Controls of the test window, in twips: left, top, width, height.
GROUP_BOX = (3120, 720, 975, 375)
ANSWER_BOX = (2040, 4800, 5175, 735)
BOX_MODE_BUTTON = (240, 3000, 1335, 615)
LABELS = {"组号": (2160, 720, 975, 375), "正确": (5880, 1440, 735, 375), "错误": (5880, 2040, 735, 375),
          "总数": (5880, 2640, 735, 375)}
MINI_MODE_BUTTON = (240, 3960, 1335, 615)
BAR_WINDOW = "Lexivane"
BAR_WIDTH = 8295 // 15
BAR_WORD = (120, 120, 1500, 375)
# The box window's "返回".
BOX_RETURN_BUTTON = (180, 5580, 1500, 510)

DARK_SCHEME = """[Appearance]
color_scheme_path=/usr/share/qt6ct/colors/darker.conf
custom_palette=true
style=Fusion
"""


# The title bar's middle in the active and the inactive skin.
ACTIVE_TITLE = (0, 83, 226)
INACTIVE_TITLE = (130, 156, 225)


def title_look(desktop, win):
    pixel = desktop.screenshot(win.x + 300, win.y + 15, 1, 1).pixel(0, 0)
    if pixel == ACTIVE_TITLE:
        return "active"
    if pixel == INACTIVE_TITLE:
        return "inactive"
    return "unknown %s" % (pixel,)


class Harness:
    def __init__(self, desktop, program, data, keep):
        self.desktop, self.program, self.data, self.keep = desktop, program, data, keep

    def start(self, env=None):
        folder = tempfile.mkdtemp(prefix="lexivane-smoke-")
        staged = xsession.stage_program(self.program, self.data, folder)
        app = xsession.Program(self.desktop, staged, folder, env)
        app.folder = folder
        try:
            about = app.wait_window(ABOUT_WINDOW, ABOUT_WIDTH, timeout=20)
            app.wait_window(TEST_WINDOW, TEST_WIDTH)
            # A click on the about window's picture brings the test window forward.
            self.desktop.click_at(about.x + 60, about.y + 100)
            app.wait_gone(about)
        except BaseException:
            self.stop(app)
            raise
        return app

    def stop(self, app):
        app.close()
        if not self.keep:
            shutil.rmtree(app.folder, ignore_errors=True)

    def message_box(self, app, timeout=5.0):
        return app.wait_window(MESSAGE_BOX, timeout=timeout)

    def dismiss(self, app, box):
        # Enter presses the box's default button; the box has the keyboard.
        wait_for(lambda: self.desktop.active_window() == box.wid, 5, "the message box to be active")
        self.desktop.key("Return")
        app.wait_gone(box)


def check_typing_goes_to_answer_box(h):
    """A load from the group box, then a wrong answer, then typing goes on
    after the message box without a click."""
    app = h.start()
    try:
        win = app.wait_settled(TEST_WINDOW, TEST_WIDTH)
        app.click(win, *GROUP_BOX)
        # The group box takes digits and Backspace only.
        h.desktop.key("End", "BackSpace", "BackSpace", "BackSpace", "BackSpace")
        h.desktop.type_text("1")
        h.desktop.key("Return")
        time.sleep(0.3)
        if app.find(MESSAGE_BOX) is not None:
            h.desktop.screenshot(0, 0, h.desktop.width, h.desktop.height, os.path.join(h.keep or "/tmp", "unexpected-box.png"))
            raise AssertionError("loading group 1 raised a message box")
        h.desktop.type_text("zzz")
        h.desktop.key("Return")
        try:
            box = h.message_box(app)
        except AssertionError:
            raise AssertionError("after a load from the group box, a typed answer went nowhere: "
                                 "the keyboard focus is not in the answer box")
        h.dismiss(app, box)
        for attempt in range(2):
            h.desktop.type_text("yyy")
            h.desktop.key("Return")
            try:
                box = h.message_box(app)
            except AssertionError:
                raise AssertionError("after message box %d closed, typing did not reach the answer box"
                                     % (attempt + 1))
            h.dismiss(app, box)
            # The window manager gives the test window back the keyboard; the
            # frame shows it.
            wait_for(lambda: title_look(h.desktop, win) == "active", 3,
                     "an active title bar after message box %d (looks %s)"
                     % (attempt + 1, title_look(h.desktop, win)))
    finally:
        h.stop(app)


def check_look_follows_keyboard_without_window_manager(h):
    """With no window manager the keyboard follows the pointer once the
    window that had it has gone; typing then reaches the test window and its
    frame must show it as active."""
    try:
        bare = xsession.Desktop(window_manager=False)
    except xsession.SessionUnavailable as error:
        raise AssertionError("a second X server could not be started: %s" % error)
    try:
        plain = Harness(bare, h.program, h.data, h.keep)
        app = plain.start()
        try:
            win = app.wait_settled(TEST_WINDOW, TEST_WIDTH)
            bare.xdo("mousemove", win.x + 250, win.y + 200)
            time.sleep(0.2)
            # The group box has the focus at start-up; digits go into it.
            bare.type_text("1")
            wait_for(lambda: title_look(bare, win) == "active", 3,
                     "an active title bar while typing reaches the window (looks %s)" % title_look(bare, win))
        finally:
            plain.stop(app)
    finally:
        bare.close()


def check_title_bar_double_click(h):
    """A quick double-click on the title bar maximises, another restores."""
    app = h.start()
    try:
        before = app.wait_settled(TEST_WINDOW, TEST_WIDTH)
        h.desktop.click_at(before.x + 300, before.y + 18, repeat=2, delay_ms=40)
        try:
            wait_for(lambda: (lambda w: w and w.width >= h.desktop.width - 2 and w)(app.find(TEST_WINDOW)),
                     3, "maximised")
        except AssertionError:
            raise AssertionError("a quick double-click on the title bar did not maximise the window (%r)"
                                 % app.find(TEST_WINDOW))
        big = app.wait_settled(TEST_WINDOW)
        h.desktop.click_at(big.x + 300, big.y + 18, repeat=2, delay_ms=40)
        try:
            wait_for(lambda: (lambda w: w and (w.x, w.y, w.width, w.height) ==
                              (before.x, before.y, before.width, before.height))(app.find(TEST_WINDOW)),
                     3, "restored")
        except AssertionError:
            raise AssertionError("a second double-click did not restore %r; now %r" % (before, app.find(TEST_WINDOW)))
    finally:
        h.stop(app)


def check_box_window_round_trip(h):
    """The test window comes back from the box window and from mini mode
    where it was."""
    app = h.start()
    try:
        before = app.wait_settled(TEST_WINDOW, TEST_WIDTH)
        app.click(before, *BOX_MODE_BUTTON)
        box = app.wait_window(BOX_WINDOW, BOX_WIDTH)
        wait_for(lambda: app.find(TEST_WINDOW) is None, 5, "the test window to step back")
        box = app.wait_settled(BOX_WINDOW, BOX_WIDTH)
        app.click(box, *BOX_RETURN_BUTTON)
        after = app.wait_settled(TEST_WINDOW, TEST_WIDTH)
        assert (after.x, after.y) == (before.x, before.y), \
            "the test window came back at (%d, %d), it was at (%d, %d)" % (after.x, after.y, before.x, before.y)
        # The same after mini mode: the bar's menu (right button), "返回".
        app.click(after, *MINI_MODE_BUTTON)
        bar = app.wait_settled(BAR_WINDOW, BAR_WIDTH)
        wait_for(lambda: app.find(TEST_WINDOW) is None, 5, "the test window to step back")
        h.desktop.xdo("mousemove", *app.point(bar, *BAR_WORD))
        time.sleep(0.1)
        h.desktop.xdo("click", 3)
        time.sleep(0.4)
        h.desktop.key("Up", "Up", "Return")  # 返回 (朗读 follows it)
        again = app.wait_settled(TEST_WINDOW, TEST_WIDTH)
        assert (again.x, again.y) == (before.x, before.y), \
            "after mini mode the test window came back at (%d, %d), it was at (%d, %d)" % (
                again.x, again.y, before.x, before.y)
    finally:
        h.stop(app)


def check_dark_scheme(h):
    """Under a dark colour scheme the labels stay readable on the light
    window and the edits stay white."""
    config = tempfile.mkdtemp(prefix="lexivane-qt6ct-")
    os.makedirs(os.path.join(config, "qt6ct"))
    with open(os.path.join(config, "qt6ct", "qt6ct.conf"), "w") as f:
        f.write(DARK_SCHEME)
    app = h.start({"QT_QPA_PLATFORMTHEME": "qt6ct", "XDG_CONFIG_HOME": config})
    try:
        win = app.wait_settled(TEST_WINDOW, TEST_WIDTH)
        shot = h.desktop.screenshot(win.x, win.y, win.width, win.height,
                                    os.path.join(h.keep, "dark-test-window.png") if h.keep else None)
        problems = []
        for name, (left, top, width, height) in LABELS.items():
            pixels = shot.region(left // 15, top // 15, width // 15, height // 15)
            background = most_common(pixels)
            best = max(contrast(p, background) for p in pixels)
            if best < 4.5:
                problems.append("label %s: best contrast %.1f : 1 on background %s" % (name, best, background))
        for name, (left, top, width, height) in (("group box", GROUP_BOX), ("answer box", ANSWER_BOX)):
            base = most_common(shot.region(left // 15 + 3, top // 15 + 3, width // 15 - 6, height // 15 - 6))
            if luminance(base) < 0.8:
                problems.append("%s is not white: %s" % (name, base))
        # The scheme must really be in force: a standard message box follows it.
        app.click(win, *ANSWER_BOX)
        h.desktop.type_text("a")
        box = h.message_box(app)
        box_shot = h.desktop.screenshot(box.x, box.y, box.width, box.height)
        box_background = most_common(box_shot.pixels)
        h.dismiss(app, box)
        assert luminance(box_background) < 0.2, \
            "the dark scheme did not take effect (message box background %s)" % (box_background,)
        assert not problems, "; ".join(problems)
    finally:
        h.stop(app)
        shutil.rmtree(config, ignore_errors=True)


CHECKS = [
    ("typing reaches the answer box after a load and after message boxes", check_typing_goes_to_answer_box),
    ("frame looks active while typing reaches it, without a window manager",
     check_look_follows_keyboard_without_window_manager),
    ("quick double-click on the title bar maximises and restores", check_title_bar_double_click),
    ("test window keeps its place after the box window and mini mode", check_box_window_round_trip),
    ("labels and edits readable under a dark colour scheme", check_dark_scheme),
]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--data", required=True)
    parser.add_argument("--keep", help="keep program folders and screenshots in this folder")
    parser.add_argument("--only", help="run only the checks whose name holds this text")
    args = parser.parse_args()
    for tool in ("xdotool", "import", "xprop"):
        if not shutil.which(tool):
            print("desktop smoke: %s is missing (scripts/install-deps.sh installs it)" % tool)
            return 1
    try:
        desktop = xsession.Desktop()
    except xsession.SessionUnavailable as error:
        print("desktop smoke: SKIPPED, %s" % error)
        return 77
    passed = failed = 0
    try:
        harness = Harness(desktop, os.path.abspath(args.program), os.path.abspath(args.data), args.keep)
        for name, check in CHECKS:
            if args.only and args.only not in name:
                continue
            started = time.monotonic()
            try:
                check(harness)
                passed += 1
                print("PASS  %s (%.1f s)" % (name, time.monotonic() - started))
            except Exception as error:  # every failure is reported, the other checks still run
                failed += 1
                print("FAIL  %s: %s" % (name, error))
                if not isinstance(error, AssertionError):
                    traceback.print_exc(file=sys.stdout)
            sys.stdout.flush()
    finally:
        desktop.close()
    print("desktop smoke: %d passed, %d failed" % (passed, failed))
    return 1 if failed or not passed else 0


if __name__ == "__main__":
    sys.exit(main())
