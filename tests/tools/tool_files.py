"""Files for the tools' command-line tests: komis.cfg images and copies of
TALMER.dll with ordinals taken out of the export table (by pefile, which reads
the table independently of kalwcheck), and the host's interface as the
tests write it out (tests/support/host_interface_golden.txt)."""
import os
import sys
import tempfile
import unittest

import pefile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir, "support"))
import host_interface_golden  # noqa: E402  (tests/support)

HOST_INTERFACE = host_interface_golden.read()


class FolderTest(unittest.TestCase):
    """Each test in a fresh folder, self.dir, with self.path its komis.cfg."""

    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.dir = self.folder.name
        self.path = os.path.join(self.dir, "komis.cfg")

    def tearDown(self):
        self.folder.cleanup()


def flags_bytes(values):
    """komis.cfg: 202 bytes, warehouse -> signed 16-bit little-endian value."""
    data = bytearray(202)
    for warehouse, value in values.items():
        data[2 * warehouse:2 * warehouse + 2] = (value & 0xFFFF).to_bytes(2, "little")
    return bytes(data)


def read(path):
    with open(path, "rb") as f:
        return f.read()


def library_without(path, ordinals):
    """The bytes of the library with no address under the ordinals."""
    pe = pefile.PE(path)
    directory = pe.DIRECTORY_ENTRY_EXPORT.struct
    table = pe.get_offset_from_rva(directory.AddressOfFunctions)
    data = bytearray(pe.__data__)
    for ordinal in ordinals:
        at = table + 4 * (ordinal - directory.Base)
        assert data[at:at + 4] != bytes(4), ordinal
        data[at:at + 4] = bytes(4)
    return bytes(data)
