#!/usr/bin/env python3
"""Reads the built DLLs' export and import tables from the files.

Kalwestrowka.dll: PE32 i386; exports 30001, 30008, 30009, 30010 by ordinal and
no names; imports the data items 20968 and 20978 from TALMER.dll by ordinal and
nothing else from it; imports no DLL but the system's and TALMER.dll.
TALMER.dll (the simulated host): exports by ordinal without a name exactly the
catalogue's functions, the entries 30006 and 30007 (code) and the two data
items (data). The ordinals are written out here, not read from the module's
tables that the export table is generated from.
"""
import sys

import pefile

# The host functions in binding order (the catalogue's rows 1..101).
CATALOGUE_ORDINALS = [
    30018, 35802, 52029, 52158, 30005, 38417, 52224, 37996, 32300, 32408, 30204, 30308, 52081, 52082, 52020,
    52021, 52023, 52028, 35804, 52030, 52034, 52064, 52161, 52154, 52155, 52534, 52305, 52307, 52308, 20972,
    20973, 20902, 20903, 20936, 20958, 20959, 20960, 20961, 20962, 20963, 20964, 20965, 20966, 20957, 20948,
    20949, 20950, 20951, 20952, 20953, 20954, 20955, 20956, 20947, 20938, 20939, 20940, 20941, 20942, 20943,
    20944, 20945, 20946, 20937, 24002, 24003, 24004, 24007, 40026, 51594, 52256, 52258, 52265, 52266, 37977,
    37978, 52582, 33197, 52465, 51425, 52330, 50516, 52286, 52287, 52297, 52298, 52085, 52204, 52327, 52328,
    52377, 50704, 52278, 52279, 52281, 52470, 52237, 52084, 52407, 40070, 30017,
]
ATTACH_ENTRIES = [30006, 30007]
DATA_ITEMS = [20968, 20978]
IMAGE_SCN_MEM_EXECUTE = 0x20000000

SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "msvcrt.dll", "shlwapi.dll", "advapi32.dll", "ntdll.dll"}


def fail(message):
    print("FAIL:", message)
    sys.exit(1)


def main(module_path, talmer_path):
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
    if len(CATALOGUE_ORDINALS) != 101 or len(set(CATALOGUE_ORDINALS)) != 101:
        fail("the written-out catalogue is not 101 distinct ordinals")
    unnamed = {e.ordinal: e.address for e in talmer.DIRECTORY_ENTRY_EXPORT.symbols if e.address and not e.name}
    expected = set(CATALOGUE_ORDINALS + ATTACH_ENTRIES + DATA_ITEMS)
    if set(unnamed) != expected:
        fail(f"TALMER.dll lacks {sorted(expected - set(unnamed))}, has more {sorted(set(unnamed) - expected)}")
    for ordinal, address in sorted(unnamed.items()):
        section = talmer.get_section_by_rva(address)
        executable = section is not None and bool(section.Characteristics & IMAGE_SCN_MEM_EXECUTE)
        if executable != (ordinal not in DATA_ITEMS):
            fail(f"TALMER.dll exports {ordinal} as {'code' if executable else 'data'}")
    print("1 passed, 0 failed")


if __name__ == "__main__":
    main(*sys.argv[1:3])
