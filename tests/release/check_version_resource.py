#!/usr/bin/env python3
"""Reads the version resource back from the built DLL.

One string table, Polish in code page 1250 (block 041504E2), with exactly
these strings; the translation 0x0415/1250; the fixed file and product
version equal to the project's version number.

Usage: check_version_resource.py <Kalwestrowka.dll> <major.minor.patch>
"""
import sys

import pefile

POLISH = 0x0415
CODE_PAGE_1250 = 1250


def expected_strings(version):
    return {
        "CompanyName": "Zespół Kalwestrowka",
        "FileDescription": "Wtyczka obsługi sprzedaży obcej (komisowej)",
        "FileVersion": version,
        "InternalName": "Kalwestrowka",
        "OriginalFilename": "Kalwestrowka.dll",
        "ProductName": "Kalwestrowka – sprzedaż obca",
        "ProductVersion": version,
    }


def main(dll_path, version):
    failures = []
    module = pefile.PE(dll_path)
    if not hasattr(module, "VS_FIXEDFILEINFO"):
        print("FAIL: the DLL has no version resource")
        return 1

    numbers = [int(part) for part in version.split(".")] + [0]
    fixed = module.VS_FIXEDFILEINFO[0]
    for what, ms, ls in (("file", fixed.FileVersionMS, fixed.FileVersionLS),
                         ("product", fixed.ProductVersionMS, fixed.ProductVersionLS)):
        got = [ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF]
        if got != numbers:
            failures.append(f"fixed {what} version {got}, expected {numbers}")

    tables, translations = [], []
    for info in module.FileInfo[0]:
        if info.Key == b"StringFileInfo":
            tables.extend(info.StringTable)
        elif info.Key == b"VarFileInfo":
            for var in info.Var:
                translations.extend(var.entry.items())

    if len(tables) != 1:
        failures.append(f"{len(tables)} string tables, expected one")
    for table in tables:
        if table.LangID != b"041504E2":
            failures.append(f"string table {table.LangID!r}, expected Polish in code page 1250 (041504E2)")
        strings = {k.decode(): v.decode() for k, v in table.entries.items()}
        if strings != expected_strings(version):
            failures.append(f"strings {strings}")
        for key, text in strings.items():
            try:
                text.encode("cp1250")
            except UnicodeEncodeError:
                failures.append(f"{key} {text!r} has a letter outside code page 1250")

    expected_translation = [(b"Translation", f"0x{POLISH:04x} 0x{CODE_PAGE_1250:04x}")]
    if translations != expected_translation:
        failures.append(f"translations {translations}, expected {expected_translation}")

    for failure in failures:
        print("FAIL:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
