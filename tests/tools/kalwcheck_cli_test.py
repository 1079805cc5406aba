#!/usr/bin/env python3
"""kalwcheck as scripts call it, on the simulated host's TALMER.dll and on
copies whose export table pefile changes: ordinals taken out, another
machine, cut short. Checks the exit status, the text and the JSON (parsed)."""
import json
import os
import shutil
import subprocess
import sys
import unittest

import pefile

from tool_files import HOST_INTERFACE, FolderTest, library_without, read

if __name__ == "__main__":
    KALWCHECK, TALMER, MODULE = (os.path.abspath(p) for p in sys.argv[1:4])
    del sys.argv[1:4]


def without(ordinals):
    return library_without(TALMER, ordinals)


class KalwcheckTest(FolderTest):
    def file(self, data, name="TALMER.dll"):
        path = os.path.join(self.dir, name)
        with open(path, "wb") as f:
            f.write(data)
        return path

    def check(self, path, expected_status):
        text = subprocess.run([KALWCHECK, path], capture_output=True)
        self.assertEqual(text.returncode, expected_status, text.stdout.decode())
        as_json = subprocess.run([KALWCHECK, "--json", path], capture_output=True)
        self.assertEqual(as_json.returncode, expected_status)
        raw = as_json.stdout.decode("ascii")  # JSON is written in ASCII
        report = json.loads(raw)
        self.assertEqual(report["status"], expected_status)
        lines = text.stdout.decode("utf-8").splitlines()
        self.assertEqual(lines[-1], report["verdict"])  # the same one-line verdict
        self.assertTrue(lines[-1].startswith("WYNIK %d: " % expected_status))
        return text.stdout.decode("utf-8"), report

    def functions(self, report):
        return {f["ordinal"]: f for f in report["functions"]}

    def test_everything_present(self):
        text, report = self.check(TALMER, 0)
        self.assertTrue(report["host_library"])
        self.assertEqual(report["library_name"], "TALMER.dll")
        self.assertEqual([(d["ordinal"], d["present"]) for d in report["data_items"]],
                         [(d.ordinal, True) for d in HOST_INTERFACE.data])
        self.assertEqual([(e["ordinal"], e["present"]) for e in report["entries"]],
                         [(e.ordinal, True) for e in HOST_INTERFACE.attach])
        self.assertEqual([f["ordinal"] for f in report["functions"]], [f.ordinal for f in HOST_INTERFACE.functions])
        self.assertTrue(all(f["present"] and f["at_load"] == "bound" for f in report["functions"]))
        self.assertIn("  52256  HostGetTable                jest\n", text)
        self.assertNotIn("BRAK", text)

    def test_functions_with_fallbacks(self):
        # 52224 (__cdecl) is bound before 52256 and 52204; 52204's digits say 4
        # bytes, its fallback removes the catalogue's 16.
        text, report = self.check(self.file(without([52256, 52204, 52224])), 1)
        functions = self.functions(report)
        self.assertEqual(functions[52224]["at_load"], "dialog")
        self.assertEqual((functions[52224]["caller_cleans"], functions[52224]["removes_bytes"]), (True, 0))
        self.assertEqual(functions[52256]["at_load"], "after_ignore")
        self.assertEqual((functions[52256]["caller_cleans"], functions[52256]["removes_bytes"]), (False, 4))
        self.assertEqual(functions[52204]["removes_bytes"], 16)
        self.assertTrue(all(f["fallback"] for f in functions.values() if not f["present"]))
        self.assertIn("  52224  HostAccessSettingV          BRAK - przy ładowaniu okno „POWAŻNY BŁĄD WTYCZKI” "
                      "z brakiem wpisu 52224 (Ponów próbę / Ignoruj / Przerwij; Przerwij kończy ładowanie); "
                      "po „Ignoruj”: zaślepka: zwraca 0, argumenty zdejmuje wywołujący\n", text)
        self.assertIn("  52256  HostGetTable                BRAK - bez okna (po wcześniejszym „Ignoruj”): "
                      "zaślepka: zwraca 0, zdejmuje 4 bajty\n", text)
        self.assertIn("zdejmuje 16 bajtów", text)
        self.assertEqual(report["verdict"], "WYNIK 1: moduł się załaduje dopiero po odpowiedzi „Ignoruj” w oknie "
                                            "„POWAŻNY BŁĄD WTYCZKI”; brakujące funkcje (52224, 52256, 52204) "
                                            "zastąpią zaślepki zwracające 0.")

    def test_function_without_fallback(self):
        _, report = self.check(self.file(without([52158, 52256])), 2)
        functions = self.functions(report)
        self.assertEqual((functions[52158]["at_load"], functions[52158]["fallback"]), ("dialog", False))
        self.assertEqual(functions[52256]["at_load"], "not_reached")
        self.assertIn("brak funkcji 52158,", report["verdict"])

    def test_missing_data_item_and_entries(self):
        _, report = self.check(self.file(without([20968])), 2)
        self.assertEqual(report["verdict"], "WYNIK 2: moduł się nie załaduje: brak danych 20968, więc system "
                                            "odmówi załadowania modułu.")
        text, report = self.check(self.file(without([30006, 30007])), 0)
        self.assertEqual([e["present"] for e in report["entries"]], [False, False])
        self.assertIn("  30006  HostModuleCallback          BRAK - bez niego", text)

    def test_folder_holding_the_library(self):
        # Found whatever the case of its name, as on Windows.
        shutil.copy(TALMER, os.path.join(self.dir, "talmer.DLL"))
        _, report = self.check(self.dir, 0)
        self.assertEqual(report["file"], os.path.join(self.dir, "talmer.DLL"))
        empty = os.path.join(self.dir, "empty")
        os.mkdir(empty)
        _, report = self.check(empty, 3)
        self.assertIn("nie można odczytać pliku", report["problem"])

    def test_not_a_host_library(self):
        cases = {
            "text": b"not a library at all",
            "empty": b"",
            "module": read(MODULE),
        }
        pe = pefile.PE(TALMER)
        pe.FILE_HEADER.Machine = 0x8664
        cases["x64"] = pe.write()
        talmer = read(TALMER)
        cases["cut"] = talmer[:len(talmer) // 2]
        problems = {}
        for name, data in cases.items():
            _, report = self.check(self.file(data, name + ".dll"), 3)
            self.assertFalse(report["host_library"], name)
            problems[name] = report["problem"]
        self.assertEqual(problems["text"], "to nie jest plik programu Windows (brak nagłówka MZ)")
        self.assertEqual(problems["x64"], "to biblioteka 64-bitowa (x64), a moduł jest 32-bitowy")
        self.assertIn("nie eksportuje żadnego wpisu programu", problems["module"])
        self.assertIn("plik jest ucięty", problems["cut"])
        _, report = self.check(os.path.join(self.dir, "none.dll"), 3)
        self.assertEqual(report["problem"], "nie można odczytać pliku: plik lub folder nie istnieje")

    def test_sha256_against_the_list(self):
        abc = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"
        empty = "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"
        a, b = self.file(b"abc", "a.txt"), self.file(b"", "b.txt")
        listed = self.file(f"{abc}  a.txt\r\nnot a sum line\r\n{empty} *b.txt\r\n".encode(), "SHA256SUMS")

        def sums(*args):
            done = subprocess.run([KALWCHECK, "--sha256", *args], capture_output=True)
            return done.returncode, done.stdout.decode("utf-8")

        self.assertEqual(sums(a, b), (0, f"{abc}  {a}\n{empty}  {b}\n"))
        rc, text = sums("--lista", listed)
        self.assertEqual((rc, text.splitlines()[:2]), (0, [f"ZGODNY         {a}", f"ZGODNY         {b}"]), text)
        self.assertEqual(text.splitlines()[-1], f"WYNIK 0: wszystkie sprawdzone pliki (2) są takie jak na liście {listed}.")
        # A file named in another case is found on the list; one not listed is not checked.
        upper = self.file(b"abc", "A.TXT")
        self.assertEqual(sums("--lista", listed, upper)[0], 0)
        rc, text = sums("--lista", listed, self.file(b"x", "other.txt"))
        self.assertEqual(rc, 3, text)
        self.assertIn("other.txt: nie ma go na liście sum", text)
        # One changed byte: the file differs, whatever else could not be checked.
        self.file(b"abd", "a.txt")
        os.remove(b)
        rc, text = sums("--lista", listed)
        self.assertEqual(rc, 1, text)
        self.assertIn(f"INNY           {a}: suma a52d159f262b2c6ddb724a61840befc36eb30c88877a4030b65cbe86298449c9, "
                      f"na liście {abc}", text)
        self.assertIn(f"NIESPRAWDZONY  {b}: nie można odczytać pliku: plik lub folder nie istnieje", text)
        # No list to read, a list without sums: nothing checked.
        self.assertEqual(sums("--lista", os.path.join(self.dir, "none"))[0], 3)
        rc, text = sums("--lista", a)
        self.assertEqual((rc, text), (3, f"WYNIK 3: nie sprawdzono plików: lista {a} nie ma żadnej sumy SHA-256.\n"))

    def test_usage(self):
        for args in ([], ["--sha256"], ["--sha256", "--json", TALMER], ["--lista", TALMER, TALMER], ["a", "b"]):
            done = subprocess.run([KALWCHECK, *args], capture_output=True)
            self.assertEqual(done.returncode, 4, args)
            self.assertIn("Użycie: kalwcheck [--json] ŚCIEŻKA", done.stderr.decode("utf-8"))
            self.assertIn("Użycie: kalwcheck --sha256 [--lista SHA256SUMS] [PLIK...]", done.stderr.decode("utf-8"))


if __name__ == "__main__":
    unittest.main()
