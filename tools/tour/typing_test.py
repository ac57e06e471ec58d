#!/usr/bin/python3
"""Takes the typing test as a new user would, from outside the program.

Starts build/lexivane on the staged sample data under Xvfb (through the
gui-kit's session.sh), dismisses the about window, takes group 1 of the
first library with two deliberate mistakes, answers the re-test, answers
Yes to the end-of-group question and checks that group 2 is loaded. Saves a
screenshot of the test window in the middle of the test.

    tools/tour/typing_test.py [--kit PATH_TO_GUI_KIT] [--shot build/typing-test.png]
"""
import argparse
import os
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--kit", default=os.environ.get("GUIKIT_DIR", os.path.join(ROOT, "..", "shared", "gui-kit")))
    parser.add_argument("--shot", default=os.path.join(ROOT, "build", "typing-test.png"))
    args = parser.parse_args()
    sys.path.insert(0, os.path.abspath(args.kit))
    import atspi_kit as kit

    kit.ensure_session()
    build = os.path.join(ROOT, "build")
    app = kit.launch([os.path.join(build, "lexivane")], cwd=build, stderr=subprocess.DEVNULL)
    try:
        about = kit.wait_window("Kelvaro--Lexivane V1.0", timeout=15, app=app)
        x, y, w, h = kit.extents(about)
        subprocess.run(["xdotool", "mousemove", str(x + 60), str(y + 100), "click", "1"], check=True)
        kit.wait_gone(about, timeout=5)
        win = kit.wait_window("Kelvaro--Lexivane v1.0", timeout=5, app=app)

        words = read_group(os.path.join(build, "data", "basic.txt"), 1)
        # The program remembers the last group; this tour takes group 1 of
        # the first library.
        kit.set_text(kit.find(win, role="text", index=0), "1")
        kit.select_item(kit.find(win, role="combo box"), "基础词汇")
        kit.click(kit.find(win, role="push button", name="单词初记", regex=True))
        answer = kit.find(win, role="text", index=1)
        mistakes = {3, 10}
        for i, (word, meaning) in enumerate(words):
            kit.wait_for(lambda: kit.find(win, role="label", name=meaning), 5, message="meaning " + meaning)
            typed = "wrong" if i in mistakes else word
            kit.type_keys(typed, into=answer if i == 0 else None)
            kit.press("Return")
            if i in mistakes:
                title, text = kit.message_box(timeout=5)
                assert text == "错误！正确答案是：" + word, text
                kit.dismiss_message_box()
                kit.focus(answer)
            if i == 12:
                screenshot(kit.extents(win), args.shot)
        kit.find(win, role="label", name="错误重测", timeout=5)
        for i in sorted(mistakes):
            word, meaning = words[i]
            kit.wait_for(lambda: kit.find(win, role="label", name=meaning), 5, message="retest " + meaning)
            kit.type_keys(word)
            kit.press("Return")
        info = kit.message_box_info(timeout=5)
        assert info["text"] == "本组测试完毕！继续下一组测试吗？选否重新测试本组单词。", info["text"]
        kit.dismiss_message_box("Yes")
        group = kit.find(win, role="text", index=0)
        kit.wait_for(lambda: kit.text_of(group) == "2", 5, message="group 2 not loaded")
        print("typing test tour: passed (group 1 with 2 mistakes, re-test, Yes -> group 2)")
    finally:
        kit.kill_app(app)


def screenshot(extents, path):
    x, y, w, h = extents
    os.makedirs(os.path.dirname(path), exist_ok=True)
    subprocess.run(["import", "-window", "root", "-crop", "%dx%d+%d+%d" % (w, h, x, y), "+repage", path], check=True)


def read_group(path, group):
    raw = open(path, "rb").read()
    try:
        text = raw.decode("utf-8")
    except UnicodeDecodeError:
        text = raw.decode("gb18030")
    lines = [line for line in text.replace("\r\n", "\n").replace("\r", "\n").split("\n") if line]
    records = list(zip(lines[0::2], lines[1::2]))
    return records[25 * (group - 1):25 * group]


if __name__ == "__main__":
    main()
