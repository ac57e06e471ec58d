#!/usr/bin/env python3
"""Checks the ready-made exam libraries in data/.

Always: every library named in make_libraries.LIBRARIES is registered in
data/lexvan.ini.template under its display name, both names fit 19 bytes,
the file decodes as GB18030, every line ends in CR LF, it holds whole
two-line records with a non-empty word and meaning, and no word repeats.

With the CSV (`--csv path/to/ecdict.csv`): every record's word appears in
the CSV carrying that library's tag (in lower case where the generator
lowers a capitalised common word), and the library holds nearly every such
word: the generator leaves out only inflections of a word in the same
library and words without a meaning, and more than 5% missing means a fault.

The core dictionary (data/ecdict-core.tsv): UTF-8, LF only, "#" header
lines, then five tab-separated fields a line, words unique and sorted by
their UTF-8 bytes, no raw control characters, and every library word in it.

Prints the words per library; exits non-zero when anything fails.
"""

import argparse
import csv
import os
import sys

sys.path.insert(0, os.path.dirname(__file__))
import make_libraries as ml  # noqa: E402

ROOT = os.path.join(os.path.dirname(__file__), "..", "..")


def read_template(path):
    sections, current = {}, None
    with open(path, "rb") as handle:
        text = handle.read().decode(ml.ENCODING)
    for line in text.splitlines():
        line = line.strip()
        if line.startswith("[") and "]" in line:
            current = sections.setdefault(line[1:line.index("]")].strip().lower(), {})
        elif "=" in line and current is not None:
            key, value = line.split("=", 1)
            current.setdefault(key.strip().lower(), value.strip())
    return sections


def registered(sections):
    names, index = [], 0
    while sections.get("libname", {}).get(f"lib{index}"):
        names.append(sections["libname"][f"lib{index}"])
        index += 1
    return names


def records_of(path):
    data = open(path, "rb").read()
    problems = []
    if data and not data.endswith(b"\r\n"):
        problems.append("does not end in CR LF")
    lines = data.split(b"\r\n")[:-1]
    if any(b"\r" in line or b"\n" in line for line in lines):
        problems.append("a line ends otherwise than in CR LF")
    if len(lines) % 2:
        problems.append("odd number of lines")
    text = [line.decode(ml.ENCODING) for line in lines]
    records = list(zip(text[0::2], text[1::2]))
    for number, (word, meaning) in enumerate(records, 1):
        if not word.strip() or not meaning.strip():
            problems.append(f"record {number} has an empty line")
    words = [word for word, _ in records]
    if len(set(words)) != len(words):
        problems.append("a word repeats")
    return records, problems


def core_problems(path, library_words):
    data = open(path, "rb").read()
    if b"\r" in data or not data.endswith(b"\n"):
        return ["line ends other than LF"]
    problems, words = [], []
    for number, line in enumerate(data.decode("utf-8").split("\n")[:-1], 1):
        if line.startswith("#") and not words:
            continue
        fields = line.split("\t")
        if len(fields) != 5 or not fields[0]:
            problems.append(f"line {number}: {len(fields)} fields")
        elif any(not ch.isprintable() for ch in line.replace("\t", "")):
            problems.append(f"line {number}: a control character")
        words.append(fields[0].encode("utf-8"))
    if any(a >= b for a, b in zip(words, words[1:])):
        problems.append("words not unique or not sorted by their bytes")
    missing = {w.encode("utf-8") for w in library_words} - set(words)
    if missing:
        problems.append(f"{len(missing)} library words missing, e.g. {sorted(missing)[:3]}")
    print(f"{ml.CORE_FILE:16} {len(words)} entries  " + ("ok" if not problems else "FAILED: " + "; ".join(problems[:5])))
    return problems


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--csv", help="ECDICT's ecdict.csv, to check the words against")
    parser.add_argument("--data", default=os.path.join(ROOT, "data"))
    args = parser.parse_args()

    sections = read_template(os.path.join(args.data, "lexvan.ini.template"))
    names = registered(sections)
    file_names = sections.get("libraryfilename", {})
    expected = None
    if args.csv:
        expected = {tag: set() for tag, _, _ in ml.LIBRARIES}
        for row in ml.read_csv(args.csv):
            word = row["word"].strip()
            for tag in row.get("tag", "").split():
                if tag in expected:
                    expected[tag].add(word.lower() if word in ml.LOWER_CASE else word)

    failed = False
    library_words = set()
    for tag, name, file_name in ml.LIBRARIES:
        problems = []
        if name not in names:
            problems.append("not registered under [LibName]")
        if file_names.get(name.lower()) != file_name:
            problems.append("[LibraryFileName] does not name " + file_name)
        for text in (name, file_name):
            if len(text.encode(ml.ENCODING)) > ml.NAME_LIMIT:
                problems.append(text + " is longer than 19 bytes")
        records, found = records_of(os.path.join(args.data, file_name))
        problems += found
        library_words |= {word for word, _ in records}
        if expected is not None:
            tagged = expected[tag]
            stray = [word for word, _ in records if word not in tagged]
            missing = tagged - {word for word, _ in records}
            if stray:
                problems.append(f"{len(stray)} words not tagged {tag} in the CSV, e.g. {stray[:3]}")
            if len(missing) > 0.05 * len(tagged):
                problems.append(f"{len(missing)} of {len(tagged)} tagged words missing, e.g. {sorted(missing)[:3]}")
        status = "ok" if not problems else "FAILED: " + "; ".join(problems)
        print(f"{file_name:16} {tag:6} {len(records):5} words  {status}")
        failed = failed or bool(problems)
    failed = bool(core_problems(os.path.join(args.data, ml.CORE_FILE), library_words)) or failed
    if expected is None:
        print("(words not checked against the CSV: give --csv)")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
