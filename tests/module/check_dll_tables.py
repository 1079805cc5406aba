#!/usr/bin/env python3
"""Reads the built DLLs' export and import tables from the files.

Kalwestrowka.dll: PE32 i386; exports 30001, 30008, 30009, 30010 by ordinal and
no names; imports the data items 20968 and 20978 from TALMER.dll by ordinal and
nothing else from it; imports no DLL but the system's and TALMER.dll.
TALMER.dll (the simulated host): exports by ordinal without a name exactly the
catalogue's functions, the entries 30006 and 30007 (code) and the two data
items (data). The ordinals are those written out in the tests' golden list of
the host's interface, not read from the module's tables that the export table
is generated from.
"""
import os
import sys

import pefile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir, "support"))
import host_interface_golden  # noqa: E402  (tests/support)


IMAGE_SCN_MEM_EXECUTE = 0x20000000

SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "msvcrt.dll", "shlwapi.dll", "advapi32.dll", "ntdll.dll"}


def fail(message):
    print("FAIL:", message)
    sys.exit(1)


def main(module_path, talmer_path, golden_path):
    golden = host_interface_golden.read(golden_path)
    catalogue_ordinals = [function.ordinal for function in golden.functions]
    attach_entries = [entry.ordinal for entry in golden.attach]
    data_items = [item.ordinal for item in golden.data]
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
            if imported != [(ordinal, None) for ordinal in data_items]:
                fail(f"module imports {imported} from TALMER.dll")
        elif dll not in SYSTEM_DLLS:
            fail(f"module imports {entry.dll.decode()}")

    talmer = pefile.PE(talmer_path)
    if not catalogue_ordinals or len(set(catalogue_ordinals)) != len(catalogue_ordinals):
        fail(f"the written-out catalogue is not distinct ordinals: {catalogue_ordinals}")
    unnamed = {e.ordinal: e.address for e in talmer.DIRECTORY_ENTRY_EXPORT.symbols if e.address and not e.name}
    expected = set(catalogue_ordinals + attach_entries + data_items)
    if set(unnamed) != expected:
        fail(f"TALMER.dll lacks {sorted(expected - set(unnamed))}, has more {sorted(set(unnamed) - expected)}")
    for ordinal, address in sorted(unnamed.items()):
        section = talmer.get_section_by_rva(address)
        executable = section is not None and bool(section.Characteristics & IMAGE_SCN_MEM_EXECUTE)
        if executable != (ordinal not in data_items):
            fail(f"TALMER.dll exports {ordinal} as {'code' if executable else 'data'}")
    print("1 passed, 0 failed")


if __name__ == "__main__":
    main(*sys.argv[1:4])
