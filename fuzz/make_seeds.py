#!/usr/bin/env python3
"""Writes the hand-made seed inputs of the fuzz targets into fuzz/corpus/.

The seeds are kept in the repository; run this again only to add or change
one. It never removes a file, so inputs that once made a target fail (kept
under names starting with "regression-") stay where they are.

Formats (see the targets):
  fuzz_settings  the whole lexvan.ini
  fuzz_library   group number, LF, library file
  fuzz_delete    word, LF, library file
  fuzz_import    one byte for the format (0 library, 1 TSV, 2 CSV,
                 3 flashcard export, 4 semicolon, 5 dash, 6 equals,
                 7 full-width, 8 spaces, 9 numbered, 10 word only; plus 11
                 for a dictionary), then the file
  fuzz_archive   a whole .lxv file
  fuzz_extract   one byte for the reader (0 plain text, 1 SubRip, 2 WebVTT,
                 3 ASS/SSA, 4 HTML), then the file
"""

import hashlib
import io
import json
import os
import random
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
DATA = os.path.join(HERE, "..", "data")


def gbk(text):
    return text.encode("gb18030")


def read(name):
    with open(os.path.join(DATA, name), "rb") as f:
        return f.read()


def write(target, name, data):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def numbered(first, last, line_end="\r\n"):
    return "".join(f"word{n}{line_end}释义{n}{line_end}" for n in range(first, last + 1))


def settings_seeds():
    template = read("lexvan.ini.template")
    write("fuzz_settings", "template-gbk.ini", template)
    text = template.decode("gb18030")
    write("fuzz_settings", "template-utf8.ini", text.encode("utf-8"))
    write("fuzz_settings", "template-utf8-bom.ini", b"\xef\xbb\xbf" + text.encode("utf-8"))
    full = (
        "[LibName]\r\nLib0=基础词汇\r\nLib1=水果蔬菜\r\nLib2=四级\r\n"
        "[LibraryFileName]\r\n基础词汇=basic.txt\r\n水果蔬菜=fruit.txt\r\n四级=cet4.txt\r\n"
        "[Form1LastData]\r\nWordGroup=3\r\nWordLibrary=1\r\n"
        "[Form2LastData]\r\nWordGroup=12\r\nWordLibrary=-1\r\n"
        "[Form4LastData]\r\nWordGroup=1\r\nWordLibrary=0\r\nMaskC=True\r\nMaskE=False\r\n"
        "CircuMode=Next\r\nBrowseMode=Random\r\nDelayTime=3\r\nBarX=1200\r\nBarY=-15\r\n"
    )
    write("fuzz_settings", "every-key.ini", gbk(full))
    write("fuzz_settings", "lf-only.ini", gbk(full.replace("\r\n", "\n")))
    write("fuzz_settings", "cr-only.ini", gbk(full.replace("\r\n", "\r")))
    write("fuzz_settings", "no-final-line-end.ini", gbk(full.rstrip("\r\n")))
    write(
        "fuzz_settings",
        "odd-layout.ini",
        gbk(
            "key before any section=1\r\n"
            "  [ LibName ]  trailing text\r\n\tLib0 =  \"四级\"  \r\nlib1='水果'\r\nLib2=\r\nLib3=gap\r\n"
            "[libname]\r\nLib0=second section of the same name\r\n"
            "[LibraryFileName]\r\n四级=cet4.txt\r\n=no key\r\n[\r\n[]\r\n[x\r\n"
            "WordGroup=outside\r\n[FORM1LASTDATA]\r\nwordgroup=0042\r\nWordGroup=second\r\n"
        ),
    )
    # GBK characters whose second byte is "[" or "]": no bracket for a reader.
    write(
        "fuzz_settings",
        "gbk-bracket-bytes.ini",
        b"[LibName]\r\nLib0=\x81\x5d\x81\x5b\r\n[\x81\x5d]\r\nk=\xb0\x5d\r\n[LibraryFileName]\r\n\x81\x5d\x81\x5b=a.txt\r\n",
    )
    write("fuzz_settings", "long-names.ini", gbk("[LibName]\r\nLib0=一二三四五六七八九十\r\nLib1=" + "x" * 300 + "\r\n"))
    write("fuzz_settings", "nul-bytes.ini", b"[LibName]\r\nLib0=a\x00b\r\n\x00[Form1LastData]\r\nWordGroup=1\x002\r\n")
    write("fuzz_settings", "utf16le.ini", b"\xff\xfe" + "[LibName]\r\nLib0=四级\r\n".encode("utf-16-le"))
    write("fuzz_settings", "empty.ini", b"")
    rng = random.Random(936)
    write("fuzz_settings", "binary.ini", bytes(rng.randrange(256) for _ in range(2048)))


def library_seeds():
    basic = read("basic.txt")
    fruit = read("fruit.txt")
    seeds = {
        "basic-1": b"1\n" + basic,
        "basic-2": b"2\n" + basic,
        "fruit-9": b"9\n" + fruit,
        "200-records-007": b"007\n" + gbk(numbered(1, 200)),
        "60-records-3": b"3\n" + gbk(numbered(1, 60)),
        "50-records-2": b"2\n" + gbk(numbered(1, 50)),
        "50-records-3": b"3\n" + gbk(numbered(1, 50)),
        "lf-only": b"2\n" + gbk(numbered(1, 30, "\n")),
        "cr-only": b"2\n" + gbk(numbered(1, 30, "\r")),
        "blank-lines": b"1\n" + gbk("\r\n\r\nword1\r\n\r\n释义1\r\n\n\rword2\r\n释义2\r\n\r\n\r\n"),
        "odd-line-count": b"1\n" + gbk("word1\r\n释义1\r\nword2"),
        "spaces-only-lines": b"1\n" + gbk("   \r\n \r\nword\r\n  释义  \r\n"),
        "utf8": b"1\n" + numbered(1, 30).encode("utf-8"),
        "utf8-bom": b"2\n\xef\xbb\xbf" + numbered(1, 30).encode("utf-8"),
        "invalid-gbk": b"1\n" + b"word\r\n\x81\r\n\xff\xfe\r\n\x81\x30\x81\r\nlast\r\n\xa1",
        "empty": b"1\n",
        "only-line-ends": b"1\n\r\n\r\n\n\r\r\n",
        "group-zero": b"00\n" + basic,
        "group-too-long": b"12345\n" + basic,
        "group-not-digits": b"1a\n" + basic,
        "group-space": b" 1\n" + basic,
        "group-fullwidth": "１\n".encode("utf-8") + basic,
    }
    rng = random.Random(25)
    seeds["binary"] = b"1\n" + bytes(rng.randrange(256) for _ in range(4096))
    for name, data in seeds.items():
        write("fuzz_library", name, data)


def delete_seeds():
    basic = read("basic.txt")
    seeds = {
        "basic-cat": b"cat\n" + basic,
        "basic-missing": b"zebra\n" + basic,
        "three-times": b"go\n" + gbk("go\r\n去\r\ncome\r\n来\r\nGo\r\n去（大写）\r\ngo\r\n走\r\n\r\ngo\r\n离开\r\n"),
        "blank-lines": b"word2\n" + gbk("\r\n\r\nword1\r\n\r\n释义1\r\n\n\rword2\r\n释义2\r\n\r\n\r\n"),
        "unfinished-last": b"word1\n" + gbk("word1\r\n释义1\r\nword2\r\n释义2\r\nword3"),
        "only-word": b"word1\n" + gbk("word1\r\n释义1\r\n"),
        "lf-only": b"word3\n" + gbk(numbered(1, 10, "\n")),
        "cr-only": b"word3\n" + gbk(numbered(1, 10, "\r")),
        "utf8-bom": b"word2\n\xef\xbb\xbf" + numbered(1, 10).encode("utf-8"),
        "chinese-word": "猫\n".encode("gb18030") + gbk("猫\r\ncat\r\n狗\r\ndog\r\n"),
        "spaces": b" word1 \n" + gbk(" word1 \r\n释义\r\nword1\r\n释义\r\n"),
        "invalid-gbk": b"\x81\n" + b"\x81\r\nbad\r\nword\r\n\xff\r\n",
        "empty": b"word\n",
    }
    for name, data in seeds.items():
        write("fuzz_delete", name, data)


def import_seeds():
    library, tsv, csv, flashcard = b"\x00", b"\x01", b"\x02", b"\x03"
    seeds = {
        "library-basic": library + read("basic.txt"),
        "library-odd": library + gbk("a\r\n甲\r\n\r\n   \r\nlast\r\n"),
        "tsv-gbk": tsv + gbk("Word\tMeaning\r\napple\t苹果\textra\r\n\r\nno tab\r\n\t无词\r\nx\t \r\n"),
        "tsv-utf8-bom": tsv + b"\xef\xbb\xbf" + "cat\t猫\nox\t牛\r".encode("utf-8"),
        "csv-quoting": csv + gbk('"ice cream","冰淇淋, 雪糕"\nsay,"说 ""你好"""\n"two\nlines",跨行\r\n"broken,乙\nc,丙'),
        "csv-utf8": csv + "word,释义\n春,spring\n,\n".encode("utf-8"),
        "flashcard-html": flashcard + gbk("#separator:tab\n#html:true\n<b>run</b>\t跑<br>&nbsp;[sound:a.mp3]\tTag\n"
                                           '"multi\nline"\t"<div>一</div>"\n&#20320;\t&lt;&gt;&amp;\n<br>\t空\n'),
        "flashcard-unclosed": flashcard + b'"open\tclose"\n"never\tends\n' + gbk("好\t好\n"),
        "csv-gbk-that-reads-as-utf8": csv + gbk("hi,浣犲ソ\n"),
    }
    semicolon, dash, equals, full_width, spaces, numbered, word_only = (bytes([n]) for n in range(4, 11))
    with_dictionary = 11
    utf16le = "abandon\tv. 放弃\r\napple\tn. 苹果\r\n".encode("utf-16-le")
    seeds.update({
        "flashcard-comma-columns": flashcard + "#separator:Comma\n#html:false\n#guid column:1\n#notetype column:2\n"
        "#columns:GUID,Type,Front,Back\nq9w*E,Basic,vector<int>,整数向量\n#tag,Basic,\"a, b\",甲\n".encode("utf-8"),
        "csv-header-columns": csv + "序号,单词,音标,释义\n1,abandon,[ə'bændən],v. 放弃, 抛弃\n2,apple,,\n".encode("utf-8"),
        "tsv-excel-quotes": tsv + gbk('quote\t"n. 引语; ""引号"""\nsay\t"hi"\n'),
        "tsv-utf16le-bom": tsv + b"\xff\xfe" + utf16le,
        "tsv-utf16le-no-bom": tsv + utf16le,
        "tsv-utf16be-bom": tsv + b"\xfe\xff" + "cat\t猫\n".encode("utf-16-be"),
        "tsv-binary": tsv + bytes((n * 7919) % 251 for n in range(600)) + b"\t" + bytes(range(0, 200)),
        "semicolon": semicolon + gbk('abandon;v. 放弃; 抛弃\n"x;y";乙\nlonely\n'),
        "dash": dash + gbk("well-known - 著名的\ngive up - 放弃 - 抛弃\nno dash\n - 无词\n"),
        "equals": equals + gbk("abandon = v. 放弃\n=无词\napple=\n"),
        "full-width": full_width + "abandon：放弃，抛弃\napple，苹果\nlonely\n".encode("utf-8"),
        "spaces": spaces + gbk("abandon   v. 放弃  抛弃\n  apple  n. 苹果\none space only\n\u3000\u3000\n"),
        "numbered": numbered + "1. abandon [ə'bændən] v. 放弃\n2、give up vt. 放弃\n3) /ˈæpl/ n. 苹果\n4.\n".encode("utf-8"),
        "word-only": word_only + gbk("abandon\napple\ngive up\n123\n猫\n"),
        "word-only-dictionary": bytes([10 + with_dictionary]) + gbk("abandon\napple\ngive up\nox\n"),
        "tsv-dictionary": bytes([1 + with_dictionary]) + gbk("lone\nword\t\nab\t甲\n"),
    })
    for name, data in seeds.items():
        write("fuzz_import", name, data)


def lxv(entries, manifest_changes=None, extra=None):
    """A .lxv archive: manifest.json first, then the entries (name -> bytes)."""
    manifest = {
        "format": "lexivane-archive",
        "version": 1,
        "created": "2026-12-08T12:00:00.000Z",
        "computer": "seed",
        "answers": 0,
        "entries": [{"name": n, "size": len(b), "sha256": hashlib.sha256(b).hexdigest()} for n, b in entries.items()],
    }
    manifest.update(manifest_changes or {})
    out = io.BytesIO()
    with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr("manifest.json", json.dumps(manifest))
        for name, data in {**entries, **(extra or {})}.items():
            z.writestr(name, data)
    return out.getvalue()


def archive_seeds():
    ini = gbk("[LibName]\r\nLib0=基础词汇\r\n[LibraryFileName]\r\n基础词汇=basic.txt\r\n")
    full = {"lexvan.ini": ini, "data/basic.txt": read("basic.txt"), "data/box0.txt": gbk("cat\r\n猫\r\n")}
    whole = lxv(full)
    seeds = {
        "whole": whole,
        "empty-manifest-only": lxv({}),
        "newer-version": lxv(full, {"version": 2}),
        "foreign-format": lxv(full, {"format": "something-else"}),
        "unlisted-entry": lxv(full, extra={"data/extra.txt": b"x"}),
        "escaping-name": lxv({}, extra={"data/../evil.txt": b"x"}),
        "truncated": whole[: len(whole) // 2],
        "flipped-byte": whole[:200] + bytes([whole[200] ^ 0xFF]) + whole[201:],
        "not-zip": b"SQLite format 3\x00",
    }
    for name, data in seeds.items():
        write("fuzz_archive", name, data)


def extract_seeds():
    plain, srt, vtt, ass, html = (bytes([n]) for n in range(5))
    seeds = {
        "plain": plain + "Mr. Smith didn't go. \"Why?\" she asked\u2026 Well-known café, 3rd, https://x.org e.g.\n\nNext one.".encode("utf-8"),
        "plain-gbk": plain + gbk("中文 and English -- mixed.\r\n"),
        "srt": srt + b"1\r\n00:00:01,000 --> 00:00:02,000\r\n<i>Hello</i> {\\an8}there.\r\n\r\n2\r\n00:00:03,000 --> 00:00:04,000\r\n- Yes &amp; no!\r\n",
        "vtt": vtt + b"WEBVTT\n\nNOTE skip\n\nid\n00:01.000 --> 00:02.000 line:0\n<v Bob>Fish <c.x>and</c> <00:01.500>chips\n",
        "ass": ass + b"[Script Info]\n[Events]\nFormat: Layer, Start, End, Style, Text\n"
                     b"Dialogue: 0,0:00:01.00,0:00:02.00,Default,{\\i1}Hi,{\\i0} you\\Nthere\\h!\nDialogue: broken\n",
        "html": html + b"<html><head><style>p{}</style><script>a<b</script></head><body><p>One &amp; two&#x2019;s"
                       b"<br>three &#99999999; &bogus; <!-- x --></p><div>four <b>five</b></div><",
    }
    for name, data in seeds.items():
        write("fuzz_extract", name, data)


if __name__ == "__main__":
    settings_seeds()
    library_seeds()
    delete_seeds()
    import_seeds()
    archive_seeds()
    extract_seeds()
