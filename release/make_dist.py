#!/usr/bin/env python3
"""Makes the release package <output dir>/Kalwestrowka-<version>.zip.

It holds the given files (the DLL, and the administrator tools when they are
built), INSTALACJA.TXT (the guide, converted from UTF-8 to code page 1250 with
CR LF line ends, for Notepad on old Windows) and SHA256SUMS (sha256sum's
format, CR LF). The same inputs give the same bytes: entries sorted by name,
one fixed time stamp, fixed attributes, fixed compression.

Usage: make_dist.py <output dir> <version> <guide in UTF-8> <file>...
"""
import hashlib
import os
import sys
import zipfile

# What each file is, for the guide's list of the package's contents.
DESCRIPTIONS = {
    "Kalwestrowka.dll": "wtyczka",
    "kalwcfg.exe": "ustawia magazyny komisowe w pliku komis.cfg",
    "kalwcheck.exe": "sprawdza, czy wtyczka zwiąże się z programem",
    "SHA256SUMS": "sumy kontrolne SHA-256 plików z paczki",
    "INSTALACJA.TXT": "ten opis",
}
GUIDE = "INSTALACJA.TXT"
SUMS = "SHA256SUMS"
TIME_STAMP = (1980, 1, 1, 0, 0, 0)
MSDOS = 0
ARCHIVE_ATTRIBUTE = 0x20


def windows_text(text):
    lines = text.replace("\r\n", "\n").rstrip("\n").split("\n")
    return ("\r\n".join(lines) + "\r\n").encode("cp1250")


def guide(source, version, names):
    width = max(len(name) for name in names)
    contents = "\n".join(f"  {name.ljust(width)}  - {DESCRIPTIONS[name]}" for name in names)
    with open(source, encoding="utf-8") as text:
        return windows_text(text.read().replace("@VERSION@", version).replace("@CONTENTS@", contents))


def checksums(members):
    return windows_text("".join(f"{hashlib.sha256(data).hexdigest()}  {name}\n"
                                for name, data in sorted(members.items())))


def entry(name):
    info = zipfile.ZipInfo(name, TIME_STAMP)
    info.create_system = MSDOS
    info.external_attr = ARCHIVE_ATTRIBUTE
    info.compress_type = zipfile.ZIP_DEFLATED
    return info


def main(output_dir, version, guide_source, *files):
    members = {}
    for path in files:
        with open(path, "rb") as data:
            members[os.path.basename(path)] = data.read()
    unknown = sorted(set(members) - set(DESCRIPTIONS))
    if unknown:
        sys.exit(f"make_dist.py: no description of {', '.join(unknown)} for {GUIDE}")
    members[GUIDE] = guide(guide_source, version, sorted(set(members) | {GUIDE, SUMS}))
    members[SUMS] = checksums(members)

    os.makedirs(output_dir, exist_ok=True)
    package = os.path.join(output_dir, f"Kalwestrowka-{version}.zip")
    with zipfile.ZipFile(package + ".part", "w") as archive:
        for name in sorted(members):
            archive.writestr(entry(name), members[name], compresslevel=9)
    os.replace(package + ".part", package)
    print(package)


if __name__ == "__main__":
    main(*sys.argv[1:])
