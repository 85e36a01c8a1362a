#!/usr/bin/env python3
"""Scores the program's encoding detection beside uchardet's on real text.

The corpus is made at run time from the translations this machine carries
(the .mo files under /usr/share/locale), so nothing of it is kept in the
source: for each language and legacy encoding below, the translated messages
that the encoding can write are put one a line, and three files are cut from
them: one line, 2 KB and 60 KB. Each file is read by the program's own
detection and by uchardet through `bench_detect_corpus`; a guess is right
when the text it decodes is the text that was written (so ISO-8859-1 and
Windows-1252 are both right for most Western text).

With --lines N, it also reads N one-line messages of each language and
encoding (spread over all its messages that hold a letter outside ASCII),
and with --texts N, N texts of 2, 8 and 32 KB of each, cut from every part
of its messages; it prints how many each detector reads right, by encoding
and size.

Usage: score_detection.py BENCH_DETECT_CORPUS [--corpus DIR] [--locale it]
                          [--lines N] [--texts N]
"""

import argparse
import collections
import os
import struct
import subprocess
import sys

# (language folder, encoding as Python writes it, encoding as the program
# names it). The encodings are the legacy ones people still have files in,
# each with languages the machine has translations for.
CASES = [
    ("it", "cp1252", "windows-1252"),
    ("it", "iso8859_15", "ISO-8859-15"),
    ("fr", "iso8859_1", "ISO-8859-1"),
    ("de", "cp1252", "windows-1252"),
    ("es", "iso8859_15", "ISO-8859-15"),
    ("cs", "cp1250", "windows-1250"),
    ("pl", "iso8859_2", "ISO-8859-2"),
    ("hu", "cp1250", "windows-1250"),
    ("ru", "cp1251", "windows-1251"),
    ("ru", "koi8_r", "KOI8-R"),
    ("uk", "cp1251", "windows-1251"),
    ("uk", "koi8_u", "KOI8-U"),
    ("bg", "iso8859_5", "ISO-8859-5"),
    ("el", "cp1253", "windows-1253"),
    ("el", "iso8859_7", "ISO-8859-7"),
    ("tr", "cp1254", "windows-1254"),
    ("tr", "iso8859_9", "ISO-8859-9"),
    ("he", "cp1255", "windows-1255"),
    ("ar", "cp1256", "windows-1256"),
    ("lt", "cp1257", "windows-1257"),
    ("lv", "cp1257", "windows-1257"),
    ("ja", "shift_jis", "Shift_JIS"),
    ("ja", "euc_jp", "EUC-JP"),
    ("zh_CN", "gb18030", "GB18030"),
    ("zh_TW", "big5", "Big5"),
    ("ko", "euc_kr", "EUC-KR"),
]

SIZES = [("line", 0), ("2 KB", 2 << 10), ("60 KB", 60 << 10)]


def mo_messages(path):
    """The translated messages of a .mo file, in the file's order."""
    with open(path, "rb") as f:
        data = f.read()
    if len(data) < 28:
        return []
    for order in ("<", ">"):
        magic, _, count, _, translations = struct.unpack(order + "5I", data[:20])
        if magic == 0x950412DE:
            break
    else:
        return []
    charset = "utf-8"
    messages = []
    for i in range(count):
        length, offset = struct.unpack(order + "2I", data[translations + 8 * i:translations + 8 * i + 8])
        raw = data[offset:offset + length]
        if i == 0 and b"charset=" in raw:
            charset = raw.split(b"charset=")[1].split(b"\n")[0].strip().decode("ascii", "replace")
            continue
        try:
            messages.extend(raw.decode(charset).split("\0"))
        except (UnicodeDecodeError, LookupError):
            pass
    return messages


def language_lines(language):
    """Every one-line message of a language's translations, stripped."""
    folder = os.path.join("/usr/share/locale", language, "LC_MESSAGES")
    lines = []
    for name in sorted(os.listdir(folder)) if os.path.isdir(folder) else []:
        if name.endswith(".mo"):
            for message in mo_messages(os.path.join(folder, name)):
                for line in message.split("\n"):
                    line = line.strip()
                    if len(line) >= 20:
                        lines.append(line)
    return lines


def encodable_lines(language, codec):
    """The language's one-line messages that the encoding writes, with
    their bytes."""
    out = []
    for line in language_lines(language):
        try:
            out.append((line, line.encode(codec)))
        except UnicodeEncodeError:
            pass
    return out


def is_sentence(line):
    """Whether a line is prose in the language's own letters, not a command's
    usage or a file name."""
    return (40 <= len(line) <= 120 and sum(ord(c) > 127 for c in line) >= 3
            and not any(c in line for c in "%[]/\\<>{}_=@"))


def files_of(language, codec, line_end):
    """The three files of a language in an encoding, as bytes."""
    encoded = encodable_lines(language, codec)
    files = {}
    for size_name, size in SIZES:
        if size == 0:
            # A line of the language's own letters: long enough to say
            # something, short as a note is.
            chosen = next((raw for line, raw in encoded if is_sentence(line)), None)
            if chosen is not None:
                files[size_name] = chosen + line_end
            continue
        out = bytearray()
        for _, raw in encoded:
            if len(out) + len(raw) + len(line_end) > size:
                break
            out += raw + line_end
        if len(out) >= size * 9 // 10:
            files[size_name] = bytes(out)
    return files


def build_lines(folder, count):
    """Up to count one-line files of each language and encoding."""
    os.makedirs(folder, exist_ok=True)
    entries = []
    for language, codec, name in CASES:
        lines = [raw for _, raw in encodable_lines(language, codec) if any(b >= 0x80 for b in raw)]
        step = max(1, len(lines) // count)
        for i, raw in enumerate(lines[::step][:count]):
            path = os.path.join(folder, "%s-%s-%03d.txt" % (language, name, i))
            with open(path, "wb") as f:
                f.write(raw + b"\n")
            entries.append((path, language, name, "line"))
    return entries


def build_texts(folder, count):
    """Up to count texts of each size of each language and encoding."""
    os.makedirs(folder, exist_ok=True)
    entries = []
    for language, codec, name in CASES:
        line_end = b"\r\n" if name.startswith("windows-") else b"\n"
        lines = [raw for _, raw in encodable_lines(language, codec)]
        for size in (2 << 10, 8 << 10, 32 << 10):
            texts = [bytearray()]
            for raw in lines:
                texts[-1] += raw + line_end
                if len(texts[-1]) >= size:
                    texts.append(bytearray())
            texts.pop()
            step = max(1, len(texts) // count)
            for i, text in enumerate(texts[::step][:count]):
                path = os.path.join(folder, "%s-%s-%d-%03d.txt" % (language, name, size, i))
                with open(path, "wb") as f:
                    f.write(text)
                entries.append((path, language, name, "%d KB" % (size >> 10)))
    return entries


def detect(binary, locale, entries):
    """The answers of bench_detect_corpus by path: ours, right, uchardet's, right."""
    request = "".join("%s\t%s\n" % (path, name) for path, _, name, _ in entries)
    answer = subprocess.run([binary, locale], input=request, capture_output=True,
                            text=True, check=True).stdout.splitlines()
    return dict((row.split("\t")[0], row.split("\t")[1:]) for row in answer)


def print_counts(title, binary, locale, entries):
    """How many of the files of each language, encoding and size each
    detector reads right."""
    results = detect(binary, locale, entries)
    counts = collections.defaultdict(collections.Counter)
    for path, language, name, size_name in entries:
        ours, ours_right, theirs, theirs_right = results[path]
        for key in ((language, name, size_name), ("all", "", "")):
            counts[key]["files"] += 1
            counts[key]["ours"] += ours_right == "1"
            counts[key]["uchardet"] += theirs_right == "1"
    print()
    print("| %s | files | ours right | uchardet right |" % title)
    print("|---|---:|---:|---:|")
    keys = [key for key in counts if key[0] != "all"] + [("all", "", "")]
    for key in keys:
        c = counts[key]
        print("| %s | %d | %d | %d |" % (" ".join(k for k in key if k), c["files"], c["ours"],
                                        c["uchardet"]))


def build_corpus(folder):
    """The files of every language and encoding, written under folder."""
    os.makedirs(folder, exist_ok=True)
    entries = []
    for language, codec, name in CASES:
        line_end = b"\r\n" if name.startswith("windows-") else b"\n"
        for size_name, data in files_of(language, codec, line_end).items():
            path = os.path.join(folder, "%s-%s-%s.txt" % (language, name, size_name.replace(" ", "")))
            with open(path, "wb") as f:
                f.write(data)
            entries.append((path, language, name, size_name))
    return entries


def print_files(entries, results):
    """A row for each file, then the totals by size."""
    mark = lambda right: "yes" if right == "1" else "**no**"
    by_size = collections.defaultdict(collections.Counter)
    print("| file | bytes | expected | ours | uchardet | ours right | uchardet right |")
    print("|---|---:|---|---|---|:-:|:-:|")
    for path, language, name, size_name in entries:
        ours, ours_right, theirs, theirs_right = results[path]
        for counts in (by_size[size_name], by_size["all"]):
            counts["files"] += 1
            counts["ours"] += ours_right == "1"
            counts["uchardet"] += theirs_right == "1"
        print("| %s %s | %d | %s | %s | %s | %s | %s |" % (
            language, size_name, os.path.getsize(path), name, ours, theirs or "(none)",
            mark(ours_right), mark(theirs_right)))
    print()
    print("| size | files | ours right | uchardet right |")
    print("|---|---:|---:|---:|")
    for size_name in [size for size, _ in SIZES] + ["all"]:
        counts = by_size[size_name]
        print("| %s | %d | %d | %d |" % (size_name, counts["files"], counts["ours"], counts["uchardet"]))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("binary", help="the bench_detect_corpus program of a build")
    parser.add_argument("--corpus", default="/tmp/vidizizor-detection-corpus")
    parser.add_argument("--locale", default="it", help="the user's language (default: it)")
    parser.add_argument("--lines", type=int, default=0, help="one-line messages to read of each")
    parser.add_argument("--texts", type=int, default=0, help="texts of each size to read of each")
    args = parser.parse_args()

    entries = build_corpus(args.corpus)
    if not entries:
        sys.exit("No translations under /usr/share/locale to make a corpus of.")
    print_files(entries, detect(args.binary, args.locale, entries))
    if args.lines > 0:
        entries = build_lines(os.path.join(args.corpus, "lines"), args.lines)
        print_counts("one-line messages", args.binary, args.locale, entries)
    if args.texts > 0:
        entries = build_texts(os.path.join(args.corpus, "texts"), args.texts)
        print_counts("texts", args.binary, args.locale, entries)


if __name__ == "__main__":
    main()
