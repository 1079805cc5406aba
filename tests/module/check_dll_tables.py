#!/usr/bin/env python3
"""Reads the built DLLs' export and import tables from the files.

Kalwestrowka.dll: PE32 i386; exports 30001, 30008, 30009, 30010 by ordinal and
no names; imports the data items 20968 and 20978 from TALMER.dll by ordinal and
nothing else from it; imports no DLL but the system's and TALMER.dll.
TALMER.dll (the simulated host): exports every ordinal of the catalogue, the
entries 30006 and 30007 and the two data items.
"""
import re
import sys

import pefile

SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "msvcrt.dll", "shlwapi.dll", "advapi32.dll", "ntdll.dll"}


def fail(message):
    print("FAIL:", message)
    sys.exit(1)


def main(module_path, talmer_path, catalogue_path):
    module = pefile.PE(module_path)
    if module.FILE_HEADER.Machine != pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_I386"]:
        fail("the module is not an i386 image")
    if module.OPTIONAL_HEADER.Magic != 0x10B:
        fail("the module is not PE32")
    if not module.is_dll():
        fail("the module is not a DLL")

    exports = module.DIRECTORY_ENTRY_EXPORT.symbols
    ordinals = sorted(e.ordinal for e in exports if e.address)
    if ordinals != [30001, 30008, 30009, 30010]:
        fail(f"module exports {ordinals}")
    named = [e.name for e in exports if e.name]
    if named:
        fail(f"module exports names {named}")

    for entry in module.DIRECTORY_ENTRY_IMPORT:
        dll = entry.dll.decode().lower()
        if dll == "talmer.dll":
            imported = sorted((i.ordinal, i.name) for i in entry.imports)
            if imported != [(20968, None), (20978, None)]:
                fail(f"module imports {imported} from TALMER.dll")
        elif dll not in SYSTEM_DLLS:
            fail(f"module imports {entry.dll.decode()}")

    talmer = pefile.PE(talmer_path)
    catalogue = [int(m.group(1)) for m in
                 re.finditer(r"^HOST_FN\(\s*\d+,\s*(\d+),", open(catalogue_path).read(), re.M)]
    if len(catalogue) != 101:
        fail(f"catalogue has {len(catalogue)} rows")
    exported = {e.ordinal for e in talmer.DIRECTORY_ENTRY_EXPORT.symbols if e.address}
    missing = set(catalogue + [30006, 30007, 20968, 20978]) - exported
    if missing:
        fail(f"TALMER.dll lacks {sorted(missing)}")
    print("1 passed, 0 failed")


if __name__ == "__main__":
    main(*sys.argv[1:4])
