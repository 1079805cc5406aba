#!/usr/bin/env python3
"""The Windows builds of kalwcfg and kalwcheck: stripped, without a time
stamp, every import on Windows XP; and under Wine the file they write, the
replacement of an existing file (MoveFileExA), refusals that leave the file as
it was, and kalwcheck's answers and JSON on the simulated host's TALMER.dll."""
import json
import os
import subprocess
import sys
import unittest

import pefile

from tool_files import FolderTest, flags_bytes, library_without, read

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "release"))
from check_lean_dll import imports_of, xp_exports  # noqa: E402

if __name__ == "__main__":
    KALWCFG, KALWCHECK, TALMER, WINE_RUN = (os.path.abspath(p) for p in sys.argv[1:5])
    del sys.argv[1:5]


class WindowsToolsTest(FolderTest):
    def run_exe(self, exe, *args):
        done = subprocess.run([WINE_RUN, exe, *args], capture_output=True, cwd=self.dir)
        return done.returncode, done.stdout

    def contents(self):
        with open(self.path, "rb") as f:
            return f.read()

    @unittest.skipIf(os.environ.get("KW_HARDENED") == "1", "a hardened build ships nothing")
    def test_fit_to_ship_beside_the_dll(self):
        for program in (KALWCFG, KALWCHECK):
            pe = pefile.PE(program)
            # Stripped and without a time stamp: the same commit, the same bytes.
            self.assertEqual((pe.FILE_HEADER.PointerToSymbolTable, pe.FILE_HEADER.TimeDateStamp), (0, 0), program)
            for library, names in imports_of(pe).items():
                exported = xp_exports(library)
                self.assertIsNotNone(exported, library)
                self.assertEqual(sorted(n for n in names if n not in exported), [], (program, library))

    def test_kalwcfg_writes_and_replaces_komis_cfg(self):
        rc, out = self.run_exe(KALWCFG, "set", self.path, "3", "7", "100")
        self.assertEqual(rc, 0, out)
        self.assertEqual(self.contents(), flags_bytes({3: 1, 7: 1, 100: 1}))
        with open(self.path, "wb") as f:
            f.write(flags_bytes({3: 1, 7: 1, 99: -1}))
        self.assertEqual(self.run_exe(KALWCFG, "set", self.path, "5")[0], 0)
        self.assertEqual(self.run_exe(KALWCFG, "clear", self.path, "7")[0], 0)
        self.assertEqual(self.contents(), flags_bytes({3: 1, 5: 1, 99: -1}))
        rc, out = self.run_exe(KALWCFG, "show", self.path)
        self.assertEqual(rc, 0)
        self.assertIn(b": 3, 5, 99 (", out)
        self.assertIn(b"0xFFFF)", out)
        self.assertEqual(os.listdir(self.dir), ["komis.cfg"])  # no temporary file left

    def test_kalwcfg_refusals_leave_the_file(self):
        original = flags_bytes({4: 1})
        with open(self.path, "wb") as f:
            f.write(original)
        self.assertEqual(self.run_exe(KALWCFG, "set", self.path, "101")[0], 2)
        with open(self.path, "ab") as f:
            f.write(b"x")
        self.assertEqual(self.run_exe(KALWCFG, "set", self.path, "5")[0], 1)
        self.assertEqual(self.run_exe(KALWCFG, "check", self.path)[0], 1)
        self.assertEqual(self.contents(), original + b"x")
        self.assertEqual(os.listdir(self.dir), ["komis.cfg"])

    def test_kalwcheck(self):
        rc, out = self.run_exe(KALWCHECK, TALMER)
        self.assertEqual(rc, 0)
        self.assertTrue(out.splitlines()[-1].startswith(b"WYNIK 0: "))
        # A folder with a Polish letter: the ANSI argument comes back right in the JSON.
        shop = os.path.join(self.dir, "sklep ó")
        os.mkdir(shop)
        with open(os.path.join(shop, "TALMER.dll"), "wb") as f:
            f.write(read(TALMER))
        rc, out = self.run_exe(KALWCHECK, "--json", shop + "/")
        self.assertEqual(rc, 0)
        report = json.loads(out.decode("ascii"))
        self.assertEqual((report["status"], len(report["functions"])), (0, 101))
        self.assertTrue(report["file"].endswith("sklep ó\\TALMER.dll"), report["file"])

        data = library_without(TALMER, [52256])
        patched = os.path.join(self.dir, "TALMER.dll")
        with open(patched, "wb") as f:
            f.write(data)
        rc, out = self.run_exe(KALWCHECK, "--json", patched)
        self.assertEqual(rc, 1)
        functions = {f["ordinal"]: f for f in json.loads(out.decode("ascii"))["functions"]}
        self.assertEqual((functions[52256]["at_load"], functions[52256]["removes_bytes"]), ("dialog", 4))
        with open(patched, "wb") as f:
            f.write(data[:1000])
        self.assertEqual(self.run_exe(KALWCHECK, patched)[0], 3)

    def test_kalwcheck_sha256_with_windows_paths(self):
        # The list's folder and the file names as Windows gives them: backslashes, another case.
        with open(os.path.join(self.dir, "Kalwestrowka.dll"), "wb") as f:
            f.write(b"abc")
        with open(os.path.join(self.dir, "SHA256SUMS"), "wb") as f:
            f.write(b"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad  kalwestrowka.DLL\r\n")
        rc, out = self.run_exe(KALWCHECK, "--sha256", "--lista", "Z:" + self.dir.replace("/", "\\") + "\\SHA256SUMS")
        self.assertEqual(rc, 0, out)
        rc, out = self.run_exe(KALWCHECK, "--sha256", "--lista", "SHA256SUMS", ".\\KALWESTROWKA.dll")
        self.assertEqual((rc, out.splitlines()[0]), (0, b"ZGODNY         .\\KALWESTROWKA.dll"), out)


if __name__ == "__main__":
    unittest.main()
