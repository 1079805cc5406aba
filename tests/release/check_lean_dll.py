#!/usr/bin/env python3
"""Checks that the built Kalwestrowka.dll is the lean file that ships.

- It imports exactly the functions listed below, library by library.
- Every system import is exported by the Windows XP / Server 2003 library
  of that name (xp-exports/<library>.txt).
- It has no TLS directory and no section but those the module's own code
  and data need: no .CRT (the C runtime's initialiser and TLS callback
  tables), no .tls, no .eh_frame (unwind tables for exceptions it never
  throws).
- It is at most 48 KB (SIZE_LIMIT), stripped of its symbol table, and its header asks for
  Windows 5.1 (XP) at most, as subsystem and as operating system.

Usage: check_lean_dll.py <Kalwestrowka.dll>
"""
import os
import sys

import pefile

# Every import of the DLL: what the module's own code calls. The DLL is linked
# without the C runtime's start-up (its own entry point runs the module's
# start-up), so none of the runtime's locks, TLS callbacks or pseudo-relocation
# pass come in. The compiler's own calls (memcpy, memset for block copies) are
# not imported either: the module's code makes none, and those it would make
# are answered inside the DLL (module/startup/compiler_memory.S).
ALLOWED_IMPORTS = {
    "kernel32.dll": {
        "GetModuleFileNameA", "GetModuleHandleA", "GetProcAddress",
        "lstrcpyA", "lstrcpynA", "lstrlenA",
    },
    "msvcrt.dll": {"calloc", "free"},  # the working object
    "shlwapi.dll": {"wvnsprintfA"},
    "user32.dll": {"MessageBoxA"},
    # the host's two data items, by ordinal
    "talmer.dll": {20968, 20978},
}
# The sections the module's code and data need; the relocations because the
# host may load the DLL elsewhere than at its preferred base.
ALLOWED_SECTIONS = {".text", ".data", ".rdata", ".bss", ".edata", ".idata", ".rsrc", ".reloc"}
WHY_SHORT = ("the module imports only what it uses; an import outside this list is "
             "new code pulling in a runtime or a post-XP function")
# About 40 KB of the module's code and data, and a margin of 8 KB for its
# growth: a change that brings in a runtime or doubles a part shows here.
SIZE_LIMIT = 48 * 1024
NEWEST_WINDOWS = (5, 1)  # Windows XP
XP_EXPORTS_DIR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "xp-exports")


def imports_of(module):
    found = {}
    for entry in module.DIRECTORY_ENTRY_IMPORT:
        names = found.setdefault(entry.dll.decode().lower(), set())
        for item in entry.imports:
            names.add(item.name.decode() if item.name else item.ordinal)
    return found


def xp_exports(library):
    path = os.path.join(XP_EXPORTS_DIR, os.path.splitext(library)[0] + ".txt")
    if not os.path.exists(path):
        return None
    with open(path) as names:
        return {line.strip() for line in names if line.strip()}


def main(dll_path):
    failures = []
    module = pefile.PE(dll_path)
    found = imports_of(module)

    for library, names in sorted(found.items()):
        allowed = ALLOWED_IMPORTS.get(library, set())
        for name in sorted(names - allowed, key=str):
            failures.append(f"import {library}!{name} is not on the list: {WHY_SHORT}")
        for name in sorted(allowed - names, key=str):
            failures.append(f"{library}!{name} is on the list but no longer imported: "
                            "take it off, so that the list stays exact")
    for library in sorted(set(ALLOWED_IMPORTS) - set(found)):
        failures.append(f"{library} is on the list but no longer imported: take it off")

    for library, names in sorted(found.items()):
        if library == "talmer.dll":
            continue
        exported = xp_exports(library)
        if exported is None:
            failures.append(f"{library}: no list of its Windows XP exports in {XP_EXPORTS_DIR}")
            continue
        for name in sorted(n for n in names if isinstance(n, str) and n not in exported):
            failures.append(f"{library}!{name} came after Windows XP / Server 2003: "
                            "the DLL would not load there")

    sections = [section.Name.rstrip(b"\0").decode() for section in module.sections]
    for name in sections:
        if name not in ALLOWED_SECTIONS:
            failures.append(f"the DLL has a section {name}, which the module does not need "
                            "(the C runtime's start-up or unwind tables came back?)")
    tls = module.OPTIONAL_HEADER.DATA_DIRECTORY[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_TLS"]]
    if tls.VirtualAddress or tls.Size:
        failures.append("the DLL has a TLS directory: the XP loader sets up no static TLS for a "
                        "library loaded with LoadLibrary, so its thread-local data would be the host's")

    size = os.path.getsize(dll_path)
    if size > SIZE_LIMIT:
        failures.append(f"the DLL has {size} bytes, more than {SIZE_LIMIT}")
    if module.FILE_HEADER.PointerToSymbolTable or module.FILE_HEADER.NumberOfSymbols:
        failures.append("the DLL still carries a symbol table: it is not stripped")

    header = module.OPTIONAL_HEADER
    versions = {
        "subsystem": (header.MajorSubsystemVersion, header.MinorSubsystemVersion),
        "operating system": (header.MajorOperatingSystemVersion, header.MinorOperatingSystemVersion),
    }
    for what, version in versions.items():
        if version > NEWEST_WINDOWS:
            failures.append(f"the header's {what} version is {version[0]}.{version[1]}, "
                            "newer than Windows XP's 5.1: XP would refuse the DLL")

    for failure in failures:
        print("FAIL:", failure)
    count = sum(len(names) for names in found.values())
    print(f"{size} bytes ({SIZE_LIMIT - size} bytes left below the limit of {SIZE_LIMIT}), {count} imports, "
          f"sections {' '.join(sections)}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
