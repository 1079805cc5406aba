#!/usr/bin/env python3
"""The shop's guide release/PODRECZNIK.TXT (UTF-8 here, shipped in Windows-1250
with CR LF): it converts to code page 1250 without loss, no line is longer
than 78 characters, it quotes every text of every message box the module can
show (the Mazovia texts MZ("...") of the module's sources and the titles of
its boxes), and it names every event, column and changed field of the journal
as the README's section on the journal defines them.

Usage: check_guide.py <PODRECZNIK.TXT> <source root>"""
import os
import re
import sys

MODULE_FOLDERS = ("foundation", "shared", "config", "documents", "jpk", "module")
MAX_LINE = 78
JOURNAL_SECTION = "## The journal Kalwestrowka-dziennik.csv"
ESCAPES = {"n": "\n", "t": "\t", '"': '"', "\\": "\\", "'": "'"}


def c_string(body):
    """The text of the C string literal body `body` (escapes resolved)."""
    out, i = [], 0
    while i < len(body):
        if body[i] != "\\":
            out.append(body[i])
            i += 1
        elif body[i + 1] == "x":
            digits = re.match(r"[0-9a-fA-F]+", body[i + 2:]).group(0)
            out.append(chr(int(digits, 16)))
            i += 2 + len(digits)
        else:
            out.append(ESCAPES[body[i + 1]])
            i += 2
    return "".join(out)


def module_texts(root):
    """Every MZ("...") text (adjacent literals joined), every plain title of a
    box, and the menu texts of the module's commands (module_commands.inc)."""
    texts = []
    for folder in MODULE_FOLDERS:
        for base, _, names in os.walk(os.path.join(root, folder)):
            for name in sorted(n for n in names if n.endswith((".cpp", ".h", ".inc"))):
                with open(os.path.join(base, name), encoding="utf-8") as f:
                    source = f.read()
                for call in re.finditer(r'\bMZ\(((?:\s*"(?:[^"\\]|\\.)*")+)\s*\)', source):
                    texts.append(c_string("".join(re.findall(r'"((?:[^"\\]|\\.)*)"', call.group(1)))))
                texts += re.findall(r'(?:HostMessageBox\w*|ShowMessageFmt|MessageBoxA)\((?:kStopCode,\s*)?"([^"]+)"', source)
                texts += [c_string(text) for text in re.findall(r'^MODULE_COMMAND\([^"\n]*"((?:[^"\\]|\\.)*)"', source, re.M)]
    return list(dict.fromkeys(texts))


def pieces(text):
    """What of a box's text the guide must quote: the stretches between the
    values filled in, the host's markup, tabs and line breaks."""
    text = re.sub(r"\x01t[lp0-9]*\x01", "\n", text)
    return [p.strip() for p in re.split(r"%[-0-9]*[sdX]|[\x01\x02\t\n]", text) if re.search(r"\w", p)]


def journal_words(root):
    """Events, columns and field names of the README's section on the journal."""
    with open(os.path.join(root, "README.md"), encoding="utf-8") as f:
        readme = f.read()
    section = readme[readme.index(JOURNAL_SECTION):]
    section = section[:section.index("\n## ", 1)]
    events = re.findall(r"^- `([A-Z_]+)`", section, re.M)
    columns = re.findall(r"^\| \d+ \| (\w+) +\|", section, re.M)
    fields = re.findall(r"`([A-Z][^`]*?)`", section[section.index("`ZMIANA` —"):section.index("`USUNIETO_Z_JPK` —")])
    return events, columns, [f for f in fields if f not in events and "." not in f[:3]]


def main(guide_path, root):
    failures = []
    with open(guide_path, "rb") as f:
        raw = f.read()
    guide = raw.decode("utf-8")
    try:
        if guide.encode("cp1250").decode("cp1250") != guide:
            failures.append("the guide changes in code page 1250")
    except UnicodeEncodeError as error:
        failures.append(f"not in code page 1250: {guide[error.start:error.end]!r} at character {error.start}")
    lines = guide.splitlines()
    for number, line in enumerate(lines, 1):
        if line and set(line) <= set("=-") and len(line) not in map(len, lines[max(number - 3, 0):number - 1]):
            failures.append(f"line {number} underlines no heading (a merge's leftover?): {line!r}")
        if len(line) > MAX_LINE:
            failures.append(f"line {number} has {len(line)} characters: {line!r}")
        if "\t" in line:
            failures.append(f"line {number} holds a tab")
    flat = " ".join(guide.split())
    for text in module_texts(root):
        for piece in pieces(text):
            if " ".join(piece.split()) not in flat:
                failures.append(f"the guide lacks {piece!r} of the box text {text!r}")
    events, columns, fields = journal_words(root)
    if len(events) != 7 or len(columns) != 10 or len(fields) < 8:
        failures.append(f"README's journal section read wrong: {events}, {columns}, {fields}")
    for word in events + columns + fields:
        if word not in flat:
            failures.append(f"the guide lacks the journal's {word!r}")
    for failure in failures:
        print("check_guide:", failure)
    print(f"check_guide: {len(module_texts(root))} box texts, {len(events)} events, {len(columns)} columns, "
          f"{len(fields)} fields; {len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
