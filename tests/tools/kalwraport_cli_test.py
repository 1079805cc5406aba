#!/usr/bin/env python3
"""kalwraport as the accountant and scripts call it, on journals with what real
files hold: lines cut short, unknown events, bad dates and amounts, Polish
letters in Windows-1250, quoted fields, a header, dates in the forms a host or
a spreadsheet gives, a month boundary, a document converted twice and
register entries removed at several rebuilds. Checks the sections of the text,
the CSV (Windows-1250, CR LF) and the JSON, and the exit status."""
import csv
import io
import json
import os
import subprocess
import sys
import unittest

from tool_files import FolderTest

KALWRAPORT = os.path.abspath(sys.argv.pop(1)) if __name__ == "__main__" else None

TMO = "Towary Mazowieckie Obce sp. z o.o. / ul. Łąkowa 5, Kraków"

# A shop's November, with October's end and December's start around it.
NOVEMBER = [
    "data;czas;zdarzenie;dokument;kwota;kontrahent;opis;przed;po",
    "2026-10-31;17:59:00;ZAMIENIONO;FS 90/10/2026;100,00;;;;",        # removed only in December
    "2026-11-02;09:00:00;KONFIGURACJA;;;;;3;3, 7",
    "2026-11-03;10:15:00;OZNACZONO;FS 12/11/2026;1230,00;;3, 7;;",
    "2026-11-03;10:16:02;ZAMIENIONO;FS 12/11/2026;1230,00;;;;",
    "2026-11-03;10:16:02;ZMIANA;FS 12/11/2026;;;Rozliczono;1230,00;0,00",
    "04.11.2026;11:00;ZAMIENIONO;\"FS 13;11/2026\";0,10;;;;",          # a host's date, no seconds
    "05/11/26;12:00:00;ZAMIENIONO;\"Pa \"\"A\"\" 1\";0,20;;;;",
    "2026-11-06;08:00:00;ZAMIENIONO;FS 15/11/2026;500,00;;;;",
    "2026-11-20;08:00:00;ZAMIENIONO;FS 15/11/2026;450,50;;;;",          # accepted again, converted again
    "2026-11-21;08:00:00;ZAMIENIONO;FS 16/11/2026;;;;;",                # no amount: it was not a number
    "2026-11-29;19:00:00;ZAMIENIONO;FS 17/11/2026;70,00;;;;",           # the register not yet built
    "2026-11-30;18:00:10;USUNIETO_Z_JPK;FS 12/11/2026;;4711;" + TMO + ";;",
    "2026-11-30;18:00:11;USUNIETO_Z_JPK;\"FS 13;11/2026\";;4711;" + TMO + ";;",
    "2026-11-30;18:00:12;USUNIETO_Z_JPK;\"Pa \"\"A\"\" 1\";;4711;" + TMO + ";;",
    "2026-11-30;18:00:13;POZOSTAWIONO_W_JPK;FS 15/11/2026;;4711;" + TMO + ";;",
    "2026-11-30;18:00:14;USUNIETO_Z_JPK;FS 99/11/2026;;4711;" + TMO + ";;",  # TMO given by hand
    "2026-11-30;18:00:15;POZOSTAWIONO_W_JPK;FS 16/11/2026;;4711;" + TMO + ";;",
    "2026.11.30;18:30:10;USUNIETO_Z_JPK;FS 12/11/2026;;4711;" + TMO + ";;",  # the register built again
    "2026/11/30;18:30:11;USUNIETO_Z_JPK;FS 15/11/2026;;4711;" + TMO + ";;",  # and now it went
    "2026-11-30;18:30:12;USUNIETO_Z_",                                  # cut short by a crash
    "2026-11-30;18:30:13;PRZENIESIONO;FS 1/11/2026;;;;;",
    "2026-11-31;18:30:14;ZAMIENIONO;FS 18/11/2026;1,00;;;;",
    "2026-11-30;18:30:15;ZAMIENIONO;FS 19/11/2026;1,000;;;;",
    "",
    "2026-12-02;09:00:00;USUNIETO_Z_JPK;FS 90/10/2026;;4711;" + TMO + ";;",
]

AGREEING = [
    "2026-11-03;10:16:02;ZAMIENIONO;FS 1/11/2026;10,00;;;;",
    "2026-11-30;18:00:10;USUNIETO_Z_JPK;FS 1/11/2026;;4711;" + TMO + ";;",
    "2026-11-30;19:00:10;USUNIETO_Z_JPK;FS 1/11/2026;;4711;" + TMO + ";;",
]


class KalwraportTest(FolderTest):
    def write(self, lines, encoding="cp1250", end="\r\n", bom=b"", name="Kalwestrowka-dziennik.csv"):
        with open(os.path.join(self.dir, name), "wb") as f:
            f.write(bom + end.join(lines).encode(encoding) + end.encode())

    def run_tool(self, *args):
        done = subprocess.run([KALWRAPORT, *args], capture_output=True, cwd=self.dir)
        return done.returncode, done.stdout, done.stderr.decode("utf-8")

    def report(self, *args):
        rc, out, err = self.run_tool(*args)
        return rc, out.decode("utf-8"), err

    def json(self, *args):
        rc, out, err = self.run_tool("--json", *args)
        return rc, json.loads(out.decode("ascii")), err

    def section(self, text, number):
        """The lines of section `number` ("1." .. "4."), its heading first."""
        lines = text.split("\n\n")
        return [p for p in lines if p.startswith(f"{number}. ")][0].splitlines()

    def test_the_month_section_by_section(self):
        self.write(NOVEMBER)
        rc, text, err = self.report("--miesiac", "2026-11")
        self.assertEqual(rc, 1, text)
        self.assertEqual(self.section(text, 1), [
            "1. Sprzedaż komisowa - dokumenty zamienione (6)",
            "   2026-11-03  FS 12/11/2026    1 230,00",
            "   2026-11-04  FS 13;11/2026        0,10",
            "   2026-11-05  Pa \"A\" 1             0,20",
            "   2026-11-20  FS 15/11/2026      450,50  zamieniony dwa razy w okresie, różne kwoty - liczona ostatnia",
            "   2026-11-21  FS 16/11/2026  brak kwoty",
            "   2026-11-29  FS 17/11/2026       70,00",
            "   Razem: 6 dokumentów, suma 1 750,80 zł; bez kwoty (niewliczone do sumy): 1"])
        removed = "kontrahent 4711: " + TMO
        self.assertEqual(self.section(text, 2), [
            "2. Wyłączenia z JPK - wpisy usunięte z rejestru, każdy dokument raz (5)",
            "   2026-11-30  FS 12/11/2026  1 230,00  zamieniony 2026-11-03; " + removed +
            "; usunięty dwa razy (rejestr budowano ponownie)",
            "   2026-11-30  FS 13;11/2026      0,10  zamieniony 2026-11-04; " + removed,
            "   2026-11-30  Pa \"A\" 1           0,20  zamieniony 2026-11-05; " + removed,
            "   2026-11-30  FS 99/11/2026            zamiany nie ma w dzienniku; " + removed,
            "   2026-11-30  FS 15/11/2026    450,50  zamieniony 2026-11-20; " + removed])
        self.assertEqual(self.section(text, 3), [
            "3. Sprawdzenie krzyżowe",
            "   Usunięte z rejestru JPK, a dziennik nie zna ich wcześniejszej zamiany (1)",
            "   - prawdopodobnie kontrahenta TMO przypisano ręcznie (albo dokument zamieniono, zanim wtyczka zaczęła"
            " prowadzić dziennik):",
            "   2026-11-30  FS 99/11/2026  zamiany nie ma w dzienniku; " + removed,
            "   Zamienione, a nieusunięte z rejestru JPK (1)",
            "   - prawdopodobnie rejestru JPK za ten miesiąc jeszcze nie zbudowano:",
            "   2026-11-29  FS 17/11/2026  70,00",
            "   Wpisy, które zostały w rejestrze JPK: w punkcie 4."])
        self.assertEqual(self.section(text, 4), [
            "4. Wpisy, które zostały w rejestrze JPK - usunięcie się nie udało (stan na koniec dziennika) (1)",
            "   - te dokumenty są nadal w rejestrze JPK: trzeba je z niego usunąć przed wysłaniem JPK:",
            "   2026-11-30  FS 16/11/2026  brak kwoty  zamieniony 2026-11-21; " + removed +
            "; nieudane próby usunięcia: raz, ostatnia 2026-11-30"])
        self.assertEqual(self.section(text, 5), ["5. Oznaczone, a niezamienione (stan na koniec dziennika) (0)", "   brak"])
        self.assertEqual(text.splitlines()[-1],
                         "WYNIK 1: jest coś do sprawdzenia - nieodczytane wiersze dziennika: 4, dokumenty bez kwoty: 1, "
                         "dokumenty zamienione ponownie: 1, usunięte z JPK bez zamiany: 1, zamienione, a nieusunięte "
                         "z JPK: 1, wpisy, które zostały w JPK: 1.")
        self.assertIn("Wiersze dziennika: 25, nieodczytane: 4 (lista niżej)", text)
        # The report itself says which lines it could not read, also when it goes to a file.
        self.assertEqual(err, "")
        self.assertEqual(text.split("\n\n")[-2].splitlines(), [
            "Wiersze dziennika, których nie odczytano (pominięte w rozliczeniu) (4)",
            "   wiersz 21: wiersz urwany: ma tylko 3 pola",
            "   wiersz 22: nieznane zdarzenie „PRZENIESIONO”",
            "   wiersz 23: „2026-11-31” nie jest datą z kalendarza",
            "   wiersz 24: „1,000” nie jest kwotą"])

    def test_month_boundary_and_ranges(self):
        self.write(NOVEMBER)
        # October: its one sale went from the register in December, so it agrees but for the unreadable lines.
        rc, report, _ = self.json("--od", "01.10.2026", "--do", "2026-10-31")
        self.assertEqual((rc, report["period"]), (1, {"from": "2026-10-01", "to": "2026-10-31"}))
        self.assertEqual([(d["document"], d["amount_grosze"]) for d in report["sales"]["documents"]],
                         [("FS 90/10/2026", 10000)])
        self.assertEqual((report["jpk_exclusions"], report["converted_not_removed"]), ([], []))
        # November's last day alone; December holds only the removal of October's sale.
        rc, report, _ = self.json("--od", "30.11.26", "--do", "30.11.26")
        self.assertEqual(report["sales"]["count"], 0)
        self.assertEqual(len(report["jpk_exclusions"]), 5)
        rc, report, _ = self.json("--miesiac", "12.2026")
        self.assertEqual([(e["document"], e["date"], e["removals"]) for e in report["jpk_exclusions"]],
                         [("FS 90/10/2026", "2026-12-02", 1)])
        self.assertEqual(report["removed_not_converted"], [])
        # The whole journal: FS 90/10/2026 is a sale too; the sum is exact in grosze.
        rc, report, _ = self.json()
        self.assertEqual(report["period"], {"from": None, "to": None})
        self.assertEqual((report["sales"]["count"], report["sales"]["sum"], report["sales"]["sum_grosze"]),
                         (7, "1850.80", 185080))

    def test_json_fields(self):
        self.write(NOVEMBER)
        rc, report, _ = self.json("--miesiac", "2026-11")
        self.assertEqual((rc, report["status"], report["lines"]), (1, 1, 25))
        self.assertEqual(report["unreadable_lines"]["count"], 4)
        self.assertEqual([u["line"] for u in report["unreadable_lines"]["first"]], [21, 22, 23, 24])
        sales = {d["document"]: d for d in report["sales"]["documents"]}
        self.assertEqual(sales["FS 15/11/2026"], {
            "line": 10, "date": "2026-11-20", "time": "08:00:00", "document": "FS 15/11/2026", "amount": "450.50",
            "amount_grosze": 45050, "conversions": 2, "amounts_differ": True, "converted_before": None,
            "amount_before": None})
        self.assertEqual((sales["FS 16/11/2026"]["amount"], sales["FS 16/11/2026"]["amount_grosze"]), (None, None))
        self.assertEqual((report["sales"]["sum_grosze"], report["sales"]["without_amount"]), (175080, 1))
        self.assertEqual(report["removed_not_converted"][0]["contractor_texts"], TMO)
        self.assertEqual([d["document"] for d in report["converted_not_removed"]], ["FS 17/11/2026"])
        self.assertEqual([(d["document"], d["line"]) for d in report["left_in_jpk"]], [("FS 16/11/2026", 18)])

    def test_csv_for_a_polish_spreadsheet(self):
        self.write(NOVEMBER)
        rc, out, _ = self.run_tool("--csv", "--miesiac", "2026-11")
        self.assertEqual(rc, 1)
        self.assertNotIn(b"\n", out.replace(b"\r\n", b""))
        text = out.decode("cp1250")
        rows = list(csv.reader(io.StringIO(text, newline=""), delimiter=";"))
        self.assertEqual(rows[0], ["sekcja", "data", "czas", "dokument", "kwota", "kwota nie do sumowania",
                                   "zamieniono dnia", "kontrahent", "opis", "uwagi"])
        by_section = {}
        for row in rows[1:]:
            by_section.setdefault(row[0], []).append(row[1:])
        self.assertEqual(by_section["Okres"][0][-1], "od 2026-11-01 do 2026-11-30")
        self.assertTrue(by_section["Wynik"][0][-1].startswith("WYNIK 1: jest coś do sprawdzenia"))
        self.assertEqual(by_section["Nieodczytane wiersze dziennika"][0][-1], "4")
        self.assertEqual([(r[2], r[-1]) for r in by_section[
            "Wiersze dziennika, których nie odczytano (pominięte w rozliczeniu)"]][0], ("wiersz 21", "wiersz urwany: ma tylko 3 pola"))
        self.assertEqual([(r[2], r[3]) for r in by_section["Sprzedaż komisowa - dokumenty zamienione"]],
                         [("FS 12/11/2026", "1230,00"), ("FS 13;11/2026", "0,10"), ('Pa "A" 1', "0,20"),
                          ("FS 15/11/2026", "450,50"), ("FS 16/11/2026", ""), ("FS 17/11/2026", "70,00")])
        self.assertEqual(by_section["Sprzedaż komisowa - suma"], [["", "", "6 dokumentów", "", "1750,80", "", "", "",
                                                                   "bez kwoty (niewliczone): 1"]])
        self.assertEqual(by_section["Wyłączenia z JPK - wpisy usunięte z rejestru, każdy dokument raz"][0],
                         ["2026-11-30", "18:00:10", "FS 12/11/2026", "", "1230,00", "2026-11-03", "4711", TMO,
                          "usunięty dwa razy (rejestr budowano ponownie)"])
        # Amounts of other sections stay out of the column that adds up to the sales' sum.
        self.assertEqual(by_section["Zamienione, a nieusunięte z rejestru JPK"],
                         [["2026-11-29", "19:00:00", "FS 17/11/2026", "", "70,00", "2026-11-29", "", "",
                           "prawdopodobnie rejestru JPK za ten miesiąc jeszcze nie zbudowano"]])
        column = sum(int(r[4].replace(",", "")) for r in rows[1:] if r[4] and r[0] != "Sprzedaż komisowa - suma")
        self.assertEqual(column, 175080)
        self.assertIn('"FS 13;11/2026"', text)

    def test_everything_agrees(self):
        self.write(AGREEING)
        rc, text, err = self.report("--miesiac", "2026-11")
        self.assertEqual((rc, err), (0, ""))
        self.assertIn("   Zgadza się: każdy dokument zamieniony w okresie usunięto z rejestru JPK,", text)
        self.assertEqual(self.section(text, 4)[1:], ["   brak"])
        self.assertEqual(text.splitlines()[-1], "WYNIK 0: wszystko się zgadza.")
        self.assertEqual(self.run_tool("--csv", "--miesiac", "2026-11")[0], 0)
        # A month without a record (a typo'd year) is no all-clear: it says so, with the days the journal covers.
        rc, report, _ = self.json("--miesiac", "2062-11")
        self.assertEqual((rc, report["no_records"], report["sales"]["count"], report["journal_days"]),
                         (1, True, 0, {"first": "2026-11-03", "last": "2026-11-30"}))
        self.assertIn("dziennik obejmuje dni od 2026-11-03 do 2026-11-30", report["verdict"])
        self.write([])
        rc, text, _ = self.report()
        self.assertEqual(rc, 1)
        self.assertIn("dziennik nie ma żadnego odczytanego wpisu - sprawdź, czy to właściwy plik dziennika.",
                      text.splitlines()[-1])
        self.assertIn("\nDziennik nie ma żadnego odczytanego wpisu.\n", text)
        self.assertEqual(self.section(text, 3)[1:], ["   Nie ma czego sprawdzić: w okresie nie ma żadnego wpisu "
                                                     "(zob. UWAGA wyżej)."])

    def test_journal_saved_again_by_a_spreadsheet(self):
        """UTF-8 with a byte-order mark and LF, dates as the spreadsheet shows them,
        every field quoted, and a line the module appended afterwards in Windows-1250."""
        def requoted(line):
            fields = next(csv.reader([line], delimiter=";"))
            if fields[0][:4].isdigit() and fields[0][4] == "-":
                fields[0] = ".".join(reversed(fields[0].split("-")))
            return ";".join('"' + f.replace('"', '""') + '"' for f in fields)
        self.write([requoted(line) for line in NOVEMBER if line and "USUNIETO_Z_" != line[-11:]],
                   encoding="utf-8", end="\n", bom=b"\xef\xbb\xbf")
        with open(os.path.join(self.dir, "Kalwestrowka-dziennik.csv"), "ab") as f:
            f.write(("2026-11-30;20:00:00;USUNIETO_Z_JPK;FS 17/11/2026;;4711;" + TMO + ";;\r\n").encode("cp1250"))
        rc, report, err = self.json("--miesiac", "2026-11")
        self.assertEqual(report["unreadable_lines"]["count"], 3, err)
        self.assertEqual(report["sales"]["sum_grosze"], 175080)
        self.assertEqual({e["contractor_texts"] for e in report["jpk_exclusions"]}, {TMO})
        self.assertEqual(report["converted_not_removed"], [])

    def test_many_unreadable_lines_name_the_first_ten(self):
        self.write(["2026-11-03;10:16:02;ZAMIENIONO;FS %d;1,000" % n for n in range(25)]
                   + ["2026-11-03;10:16:02;ZAMIENIONO;FS X;1,00;;;;;;x"])
        rc, report, err = self.json()
        self.assertEqual((rc, report["unreadable_lines"]["count"], report["sales"]["count"], err), (1, 26, 0, ""))
        rc, text, _ = self.report()
        lines = text.split("\n\n")[-2].splitlines()
        self.assertEqual(lines[1:], ["   wiersz %d: „1,000” nie jest kwotą" % n for n in range(1, 11)]
                         + ["   i 16 dalszych wierszy"])
        rows = self.run_tool("--csv")[1].decode("cp1250").splitlines()
        self.assertEqual(rows[-1], "Wiersze dziennika, których nie odczytano (pominięte w rozliczeniu);;;;;;;;;"
                         "i 16 dalszych wierszy", rows[-3:])

    def test_arguments_and_unreadable_journals(self):
        self.write(AGREEING)
        for args in (["--miesiac", "2026-13"], ["--miesiac"], ["--od", "2026-02-30"], ["--csv", "--json"],
                     ["--miesiac", "2026-11", "--od", "2026-11-01"], ["--od", "2026-12-01", "--do", "2026-11-01"],
                     ["a.csv", "b.csv"], ["--bogus"], ["--csv=1"]):
            rc, out, err = self.run_tool(*args)
            self.assertEqual((rc, out), (2, b""), args)
            self.assertIn("Użycie: kalwraport", err, args)
        rc, out, _ = self.run_tool("--help")
        self.assertEqual(rc, 0)
        self.assertIn("2 złe argumenty; 3 nie można odczytać dziennika;\n4 nie udało się zapisać raportu", out.decode())
        if os.path.exists("/dev/full") and not KALWRAPORT.endswith(".exe"):  # a full disk, natively
            for form in ([], ["--csv"], ["--json"]):
                with open("/dev/full", "wb") as full:
                    done = subprocess.run([KALWRAPORT, *form], stdout=full, stderr=subprocess.PIPE, cwd=self.dir)
                self.assertEqual((done.returncode, done.stderr.decode()), (4, "kalwraport: Nie udało się zapisać "
                                 "raportu: brak miejsca na dysku. Raport jest niepełny.\n"), form)
        self.assertEqual(self.run_tool("Kalwestrowka-dziennik.csv", "--od=2026-11-01", "--do=2026-11-30")[0], 0)
        rc, _, err = self.run_tool("brak.csv")
        self.assertEqual(rc, 3)
        self.assertIn("nie można odczytać dziennika brak.csv: plik lub folder nie istnieje", err)
        os.mkdir(os.path.join(self.dir, "folder"))
        self.assertEqual(self.run_tool("folder")[0], 3)
        os.remove(os.path.join(self.dir, "Kalwestrowka-dziennik.csv"))
        self.assertEqual(self.run_tool()[0], 3)


if __name__ == "__main__":
    unittest.main()
