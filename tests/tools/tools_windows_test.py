#!/usr/bin/env python3
"""The Windows builds of kalwcfg, kalwcheck and kalwraport: stripped, without a
time stamp, every import on Windows XP; and under Wine the file they write, the
replacement of an existing file (MoveFileExA), refusals that leave the file as
it was, kalwcheck's answers and JSON on the simulated host's TALMER.dll, and
kalwraport's report in the Polish console code page, its CSV redirected by
cmd (Windows-1250, CR LF) and its JSON."""
import json
import os
import subprocess
import sys
import unittest

import pefile

from tool_files import HOST_INTERFACE, FolderTest, flags_bytes, library_without, read

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "release"))
from check_lean_dll import imports_of, xp_exports  # noqa: E402

if __name__ == "__main__":
    KALWCFG, KALWCHECK, KALWRAPORT, TALMER, WINE_RUN = (os.path.abspath(p) for p in sys.argv[1:6])
    del sys.argv[1:6]

# Wine takes the code pages from the locale: Polish Windows, ANSI 1250, OEM 852.
POLISH = dict(os.environ, LC_ALL="pl_PL.UTF-8")
TMO = "Towary Mazowieckie Obce sp. z o.o. / ul. Łąkowa 5, Kraków"
JOURNAL = [
    "2026-11-03;10:16:02;ZAMIENIONO;FS 12/11/2026;1230,00;;;;",
    "03.11.2026;10:17;ZAMIENIONO;\"FS 13;11/2026\";0,10;;;;",
    "2026-11-30;18:00:10;USUNIETO_Z_JPK;FS 12/11/2026;;4711;" + TMO + ";;",
    "2026-11-30;18:00:11;POZOSTAWIONO_W_JPK;\"FS 13;11/2026\";;4711;" + TMO + ";;",
    "2026-11-30;18:00",
]


class WindowsToolsTest(FolderTest):
    def run_exe(self, exe, *args, env=None):
        done = subprocess.run([WINE_RUN, exe, *args], capture_output=True, cwd=self.dir, env=env)
        return done.returncode, done.stdout

    def contents(self):
        with open(self.path, "rb") as f:
            return f.read()

    @unittest.skipIf(os.environ.get("KW_HARDENED") == "1", "a hardened build ships nothing")
    def test_fit_to_ship_beside_the_dll(self):
        for program in (KALWCFG, KALWCHECK, KALWRAPORT):
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
        self.assertEqual((report["status"], len(report["functions"])), (0, len(HOST_INTERFACE.functions)))
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

    def test_kalwraport(self):
        shop = os.path.join(self.dir, "sklep ó")
        os.mkdir(shop)
        with open(os.path.join(shop, "Kalwestrowka-dziennik.csv"), "wb") as f:
            f.write("\r\n".join(JOURNAL).encode("cp1250"))
        journal = "sklep ó\\Kalwestrowka-dziennik.csv"
        rc, out = self.run_exe(KALWRAPORT, journal, "--miesiac", "2026-11", env=POLISH)
        self.assertEqual(rc, 1, out)
        text = out.decode("cp852")
        self.assertIn("1. Sprzedaż komisowa - dokumenty zamienione (2)\n"
                      "   2026-11-03  FS 12/11/2026  1 230,00\n"
                      "   2026-11-03  FS 13;11/2026      0,10\n"
                      "   Razem: 2 dokumenty, suma 1 230,10 zł\n", text)
        self.assertIn("   2026-11-30  FS 13;11/2026  0,10  zamieniony 2026-11-03; kontrahent 4711: " + TMO +
                      "; nieudane próby usunięcia: raz, ostatnia 2026-11-30\n", text)
        self.assertIn("   wiersz 5: wiersz urwany: ma tylko 2 pola\n", text)
        self.assertTrue(text.endswith("wpisy, które zostały w JPK: 1.\n"), text)

        rc, out = self.run_exe(KALWRAPORT, "--json", journal)
        report = json.loads(out.decode("ascii"))
        self.assertEqual((rc, report["sales"]["sum_grosze"], report["unreadable_lines"]["first"][0]["line"]), (1, 123010, 5))
        self.assertEqual(report["journal"], "sklep ó\\Kalwestrowka-dziennik.csv")
        self.assertEqual(report["jpk_exclusions"][0]["contractor_texts"], TMO)

        # As at the shop: in the journal's folder cmd redirects the CSV to a file, which keeps its bytes.
        windows_exe = "Z:" + KALWRAPORT.replace("/", "\\")
        done = subprocess.run([WINE_RUN, "cmd", "/c", windows_exe + " --csv > raport.csv"],
                              capture_output=True, cwd=shop, env=POLISH)
        self.assertEqual(done.returncode, 1, done.stderr)
        csv_bytes = read(os.path.join(shop, "raport.csv"))
        rows = csv_bytes.split(b"\r\n")
        self.assertEqual(rows[0], b"sekcja;data;czas;dokument;kwota;kwota nie do sumowania;zamieniono dnia;kontrahent;opis;uwagi")
        self.assertEqual(rows[4:7], [
            "Sprzedaż komisowa - dokumenty zamienione;2026-11-03;10:16:02;FS 12/11/2026;1230,00;;2026-11-03;;;".encode("cp1250"),
            "Sprzedaż komisowa - dokumenty zamienione;2026-11-03;10:17:00;\"FS 13;11/2026\";0,10;;2026-11-03;;;".encode("cp1250"),
            "Sprzedaż komisowa - suma;;;2 dokumenty;;1230,10;;;;".encode("cp1250")])
        self.assertNotIn(b"\n", csv_bytes.replace(b"\r\n", b""))

        self.assertEqual(self.run_exe(KALWRAPORT, "brak.csv")[0], 3)
        self.assertEqual(self.run_exe(KALWRAPORT, "--miesiac", "2026-13")[0], 2)


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
