#!/usr/bin/env python3
"""The rules tools/ecdict/make_libraries.py writes meanings and the core
dictionary by, on small ECDICT-shaped inputs."""

import os
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "tools", "ecdict"))
import make_libraries as ml  # noqa: E402


def meaning(translation):
    return ml.fit_meaning(ml.own_lines(ml.parse_lines(translation)))[0]


def row(word, translation, tag="cet4", frq="", exchange="", phonetic=""):
    return {"word": word, "phonetic": phonetic, "translation": translation, "tag": tag,
            "frq": frq, "bnc": "", "collins": "", "oxford": "", "exchange": exchange}


class MeaningRules(unittest.TestCase):
    def test_meanings(self):
        cases = [
            # function-word senses first, then ECDICT's order
            (r"n. 力量, 权力\naux. 可能, 也许", "aux. 可能，也许；n. 力量，权力"),
            # a shared sense written once, a repeated one dropped
            (r"n. 谋杀, 凶杀\nvt. 谋杀, 损毁", "n./vt. 谋杀；n. 凶杀；vt. 损毁"),
            (r"vi. 发生, 发生", "vi. 发生"),
            # notes and subject lines go; [网络] only when nothing else is left
            (r"n. 同样的人(或物), 条款( term的名词复数 )\n[计] 主机", "n. 同样的人，条款"),
            (r"[网络] 网页\nn. 页", "n. 页"),
            (r"[网络] 网页", "网页"),
            # an abbreviation expansion of an ordinary word, a letter's name
            (r"n. 话题\nabbr. 总联机程序（Total On-line Program）", "n. 话题"),
            (r"第一个字母 A; 一个", "一个"),
            # up to three parts of speech and two senses each
            (r"vt. 使用, 利用, 应用\nn. 用途\na. 用过的\nadv. 过", "vt. 使用，利用；n. 用途；a. 用过的"),
        ]
        for translation, expected in cases:
            with self.subTest(translation=translation):
                self.assertEqual(meaning(translation), expected)

    def test_long_meanings_are_cut_at_a_sense_and_fit(self):
        long_sense = "很长的意思甲乙丙丁戊己庚辛壬癸"
        text = meaning(rf"n. {long_sense}, {long_sense}乙\nvt. 做, 为")
        self.assertEqual(text, f"n. {long_sense}；vt. 做")
        self.assertTrue(ml.fits(text))
        self.assertTrue(meaning("n. " + "很" * 40).endswith("…"))
        self.assertTrue(ml.fits(meaning("n. " + "很" * 40)))

    def test_wrapping_agrees_with_the_label(self):
        path = os.path.join(os.path.dirname(__file__), "..", "support", "meaning_wrap_cases.tsv")
        with open(path, encoding="utf-8") as handle:
            cases = [line.rstrip("\n").split("\t", 1) for line in handle if not line.startswith("#")]
        self.assertGreater(len(cases), 10)
        for lines, text in cases:
            with self.subTest(text=text):
                self.assertEqual(ml.wrapped_lines(text), int(lines))

    def test_phonetics(self):
        cases = [("'ɔ:ldәs, 'ældәs", "ˈɔːldəs; ˈældəs"), ("ә,merikә", "əˌmerikə"),
                 ("[ˈɔ:ltmən", "ˈɔːltmən"), ("'lu（:）iʃəm", "ˈlu(ː)iʃəm"),
                 ("kən'v\\\\:sli", "kənˈvɜːsli"), ("'εədri", "ˈɛədri"), ("", "")]
        for source, expected in cases:
            with self.subTest(source=source):
                self.assertEqual(ml.normalise_phonetic(source), expected)


class Books(unittest.TestCase):
    def test_book_and_core_dictionary(self):
        rows = [row("went", "go的过去式", frq="50", exchange="0:go/1:p"),
                row("go", "vi. 去, 走", tag="zk", frq="20", phonetic="gәu"),
                row("terms", "n. 条款( term的名词复数 )", frq="90", exchange="0:term/1:s"),
                row("term", r"n. 条款, 术语\nvt. 把…叫做", frq="80"),
                row("Polish", r"a. 波兰的\nvt. 擦亮, 磨光", frq="70"),
                row("zebra", "n. 斑马\\a", tag="", frq="40000")]
        books, _ = ml.build_libraries(rows)
        self.assertEqual([(r.word, r.meaning) for r in books["cet4"]],
                         [("went", "vi. 去，走"), ("polish", "vt. 擦亮，磨光"),
                          ("term", "n. 条款，术语；vt. 把…叫做")])
        core = ml.core_bytes(ml.core_entries(rows, books), "test").decode("utf-8").split("\n")
        body = [line for line in core if line and not line.startswith("#")]
        # zebra has no tag and a rank beyond the limit; polish comes with its
        # capitalised entry as the book spells it.
        self.assertEqual([line.split("\t")[0] for line in body], ["Polish", "go", "polish", "term", "terms", "went"])
        self.assertIn("go\tgəu\tvi. 去, 走\t\tzk", body)
        self.assertEqual(ml.escape_field("a\\nb\\c"), "a\\nb\\\\c")


if __name__ == "__main__":
    unittest.main()
