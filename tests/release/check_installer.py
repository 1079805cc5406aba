#!/usr/bin/env python3
"""The installer as make_dist.py makes it, run under Wine in temporary folders
beside copies of the simulated host's TALMER.dll, in silent mode (/S, /D=,
/RAPORT= for its Polish report):

- a folder without TALMER.dll, a TALMER.dll without a function the module
  cannot do without, without a data item, a file that is not a library, and
  one that needs fallbacks (without /ZASLEPKI) are refused with their exit
  codes: nothing in the folder changes and nothing is registered;
- an install beside a module already there keeps that module once, puts the
  DLL and the uninstaller in place and registers the uninstaller with the
  version and name from the DLL's version resource; an upgrade keeps the
  first backup; the uninstaller puts the previous module back;
- an install into a folder without a module, accepted with fallbacks
  (/ZASLEPKI), and its uninstall, which removes the module;
- a host on a drive's root (a Wine drive letter) and on a network share (a
  \\server\share name, which Wine finds in dosdevices/unc/server/share),
  each with its own entry in the list of installed programs, installed and
  uninstalled;
- the module in use (held open by hold_file.exe, as the running host holds
  it): a first install and an upgrade exit with 6 and leave the folder as it
  was, no empty Kalwestrowka folder; the uninstall refuses and says why;
- komis.cfg and Kalwestrowka.log stay as they are through all of it;
- the installer's messages are in Polish with their letters.

The cases share the Wine prefix's list of installed programs, so they run one
after the other in one process (CTest: RESOURCE_LOCK).

Usage: check_installer.py <make_dist.py> <guide> <installer.nsi> <version> <TALMER.dll> <wine-run>
                          <hold_file.exe> <file to ship>... (the DLL, the tools, PODRECZNIK.TXT)
"""
import contextlib
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tools"))
from tool_files import library_without  # noqa: E402

if __name__ == "__main__":
    MAKE_DIST, GUIDE, SCRIPT, VERSION, TALMER, WINE_RUN, HOLD_FILE = sys.argv[1:8]
    SHIPPED = {os.path.basename(path): path for path in sys.argv[8:]}
    MODULE = SHIPPED["Kalwestrowka.dll"]
    del sys.argv[1:]

# The shared Wine prefix's folder, as cmake/wine-run finds it.
WINE_DIR = os.environ.get("KW_BUILD_DIR") or os.path.join(HERE, "..", "..", "build")
UNINSTALL = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall"
# The module's folder after a first install beside an earlier module.
MODULE_FILES = ["INSTALACJA.TXT", "Kalwestrowka.dll.kopia", "Odinstaluj.exe", "PODRECZNIK.TXT", "kalwcfg.exe",
                "kalwcheck.exe", "kalwraport.exe", "ZAINSTALOWANE.SHA256", "instalacja.log"]
# The files installed as the package holds them (its size in the list of
# installed programs counts each in whole kilobytes, rounded up).
INSTALLED = ["Kalwestrowka.dll", "kalwcfg.exe", "kalwcheck.exe", "kalwraport.exe", "INSTALACJA.TXT", "PODRECZNIK.TXT"]
OLD_MODULE = b"MZ the module as the shop had it"
KOMIS_CFG = bytes(range(202))
LOG = "2026-12-01 wpis dziennika wtyczki\r\n".encode("cp1250")


def windows(path):
    return "Z:" + path.replace("/", "\\")


def reg_string(text):
    """A string value as reg export writes it."""
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def entry_key(shown_folder):
    """The folder's entry in the list of installed programs."""
    return UNINSTALL + "\\Kalwestrowka " + shown_folder.replace("\\", "/")


def entries():
    """The module's entries in the list of installed programs, by key."""
    done = subprocess.run([WINE_RUN, "reg", "query", UNINSTALL], capture_output=True)
    listed = done.stdout.decode("utf-8", "replace").splitlines()
    return sorted("HKLM" + line.split("HKEY_LOCAL_MACHINE", 1)[1] for line in listed if "\\Kalwestrowka" in line)


def read(path):
    with open(path, "rb") as f:
        return f.read()


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def snapshot(folder):
    """Every file under the folder with its bytes."""
    files = {}
    for root, _, names in os.walk(folder):
        for name in names:
            path = os.path.join(root, name)
            files[os.path.relpath(path, folder)] = read(path)
    return files


def version_tables(program):
    """The version resource's string tables: language and code page -> strings."""
    import pefile
    module = pefile.PE(program)
    tables = {}
    for info in getattr(module, "FileInfo", [[]])[0]:
        if info.Key == b"StringFileInfo":
            for table in info.StringTable:
                tables[table.LangID.decode().upper()] = {k.decode(): v.decode() for k, v in table.entries.items()}
    return tables


def version_strings(dll):
    strings = {}
    for table in version_tables(dll).values():
        strings.update(table)
    return strings


class InstallerTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.mkdtemp(prefix="kw-installer-")
        started = time.monotonic()
        subprocess.run([sys.executable, MAKE_DIST, os.path.join(cls.work, "dist"), VERSION, GUIDE,
                        "--installer", SCRIPT, *SHIPPED.values()], check=True, stdout=subprocess.DEVNULL)
        print(f"make_dist.py with the installer: {time.monotonic() - started:.1f} s", file=sys.stderr)
        cls.setup = os.path.join(cls.work, "dist", f"Kalwestrowka-{VERSION}-setup.exe")
        with zipfile.ZipFile(os.path.join(cls.work, "dist", f"Kalwestrowka-{VERSION}.zip")) as archive:
            cls.packaged = {name: archive.read(name) for name in INSTALLED}
            archive.extract("SHA256SUMS", cls.work)
        cls.reports = os.path.join(cls.work, "reports")
        os.mkdir(cls.reports)
        cls.runs = 0

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.work, ignore_errors=True)

    def setUp(self):
        self.assertEqual(entries(), [], "uninstaller entries left from elsewhere")

    def tearDown(self):
        # A failed case must not leave its entries to the next one.
        for key in entries():
            subprocess.run([WINE_RUN, "reg", "delete", key, "/f"], capture_output=True)

    def shop(self, name, library=None):
        folder = os.path.join(self.work, name)
        os.mkdir(folder)
        if library is not None:
            write(os.path.join(folder, "TALMER.dll"), library)
        return folder

    def run_wine(self, program, *args):
        InstallerTest.runs += 1
        report = os.path.join(self.reports, f"report-{self.runs}.txt")
        started = time.monotonic()
        done = subprocess.run([WINE_RUN, program, *args[:-1], "/RAPORT=" + windows(report), args[-1]],
                              capture_output=True)
        print(f"{os.path.basename(program)} {' '.join(args)}: exit {done.returncode}, "
              f"{time.monotonic() - started:.1f} s", file=sys.stderr)
        text = None
        if os.path.exists(report):
            data = read(report)
            self.assertEqual(data[:2], b"\xff\xfe", "the report is UTF-16 LE with its mark")
            text = data[2:].decode("utf-16-le")
        return done.returncode, text

    def install(self, folder, *switches):
        return self.run_wine(self.setup, "/S", *switches, "/D=" + windows(folder))

    def uninstall(self, folder, shown_folder=None):
        module_dir = os.path.join(folder, "Kalwestrowka")
        # _?= runs the uninstaller where it is and waits for it (no copy in the temp folder).
        shown_module_dir = (shown_folder or windows(folder)).rstrip("\\") + "\\Kalwestrowka"
        return self.run_wine(os.path.join(module_dir, "Odinstaluj.exe"), "/S", "_?=" + shown_module_dir)

    def registered(self, shown_folder):
        exported = os.path.join(self.work, "key.reg")
        done = subprocess.run([WINE_RUN, "reg", "export", entry_key(shown_folder), windows(exported), "/y"],
                              capture_output=True)
        if done.returncode != 0:
            return None
        values = {}
        for line in read(exported).decode("utf-16").splitlines():
            if line.startswith('"') and "=" in line:
                name, value = line.split("=", 1)
                values[name.strip('"')] = value
        os.remove(exported)
        return values

    def assert_refused(self, folder, switches, code, expected_texts):
        before = snapshot(folder)
        rc, text = self.install(folder, *switches)
        self.assertEqual(rc, code, text)
        self.assertEqual(snapshot(folder), before, "a refused install changed the folder")
        self.assertEqual(entries(), [])
        self.assertIsNotNone(text, "no report")
        for expected in expected_texts + ["Nic nie zostało zmienione.", f"Kod wyjścia: {code}"]:
            self.assertIn(expected, text)
        return text

    def test_installer_describes_itself_in_polish(self):
        # makensis' Unicode build: the strings of its version resource in Polish (0x0415, UTF-16).
        strings = version_tables(self.setup).get("041504B0")
        self.assertIsNotNone(strings, version_tables(self.setup))
        self.assertEqual((strings["ProductName"], strings["FileDescription"], strings["ProductVersion"]),
                         ("Kalwestrowka – sprzedaż obca", "Instalacja i odinstalowanie wtyczki Kalwestrowka", VERSION))
        # /? on the output it was started with (a pipe here, as from a shell under Wine), exit 0, no window.
        done = subprocess.run([WINE_RUN, self.setup, "/?"], capture_output=True, timeout=120)
        for expected in (b"/STARSZA", b"/ZASLEPKI", b"/RAPORT=", b"/D=", b" 17 ", b" 18 "):
            self.assertIn(expected, done.stdout, f"setup /? printed {done.stdout!r}")
        self.assertEqual(done.returncode, 0, f"setup /? printed {done.stdout!r}")

    def test_refusals_change_nothing(self):
        # No TALMER.dll; a module and the shop's files there stay as they are.
        empty = self.shop("empty")
        for name, data in (("Kalwestrowka.dll", OLD_MODULE), ("komis.cfg", KOMIS_CFG)):
            write(os.path.join(empty, name), data)
        self.assert_refused(empty, [], 10, [
            f"W folderze „{windows(empty)}” nie ma pliku TALMER.dll. Wtyczkę instaluje się w folderze "
            "programu sprzedaży, obok jego biblioteki TALMER.dll."])

        # A function without a fallback: the module would not load.
        no_function = self.shop("no-function", library_without(TALMER, [52158, 52256]))
        write(os.path.join(no_function, "komis.cfg"), KOMIS_CFG)
        text = self.assert_refused(no_function, [], 11, [
            f"Wtyczka nie zwiąże się z programem w folderze „{windows(no_function)}”: tej wersji programu brakuje "
            "danych i funkcji, bez których wtyczka się nie załaduje: 52158 HostConvertText, 52256 HostGetTable.",
            f"Co zrobić: zaktualizuj program sprzedaży do wersji, z którą pracuje wtyczka Kalwestrowka {VERSION}, "
            "albo zapytaj dostawcę wtyczki o jej wersję dla tego programu."])
        self.assertEqual((text.count("52158"), text.count("52256")), (1, 1), "each missing function named once")
        # The same with /ZASLEPKI: fallbacks do not help here.
        self.assertEqual(self.install(no_function, "/ZASLEPKI")[0], 11)
        self.assertEqual(snapshot(no_function)["komis.cfg"], KOMIS_CFG)
        self.assertNotIn("\ufffd", text)

        # A data item missing: the system would refuse the module.
        self.assert_refused(self.shop("no-data", library_without(TALMER, [20968])), [], 11, [
            "bez których wtyczka się nie załaduje: 20968 HostDialogBaseClassData."])

        # Not a library at all: kalwcheck's reason.
        not_a_library = self.shop("not-a-library", read(TALMER)[:1000])
        self.assert_refused(not_a_library, [], 11, [
            f"Plik „{windows(not_a_library)}\\TALMER.dll” nie jest biblioteką programu sprzedaży, z którą wtyczka "
            "może pracować: plik jest ucięty", "Co zrobić: wskaż folder, w którym program sprzedaży jest zainstalowany."])

        # A folder whose name cmd.exe would expand (%KW_OTHER_SHOP% -> -other) is checked as it is named,
        # never through the other folder's good library; a folder without its drive is no folder.
        os.environ["KW_OTHER_SHOP"] = "-other"
        self.shop("percent-other", read(TALMER))
        percent = self.shop("percent%KW_OTHER_SHOP%", library_without(TALMER, [20968]))
        self.assert_refused(percent, [], 11, [f"w folderze „{windows(percent)}”", "20968 HostDialogBaseClassData."])
        rc, text = self.run_wine(self.setup, "/S", "/D=SPRZEDAZ")
        self.assertEqual(rc, 10, text)
        self.assertIn("„SPRZEDAZ” nie jest pełną ścieżką folderu.", text)

        # Fallbacks needed, not accepted in silent mode without /ZASLEPKI: the module's work that stops, in
        # plain words, the "Ignoruj" window explained once.
        text = self.assert_refused(self.shop("fallbacks", library_without(TALMER, [52256, 52204])), [], 12, [
            "Tej wersji programu sprzedaży brakuje funkcji, których używa wtyczka: 52256 HostGetTable, "
            "52204 HostPrepareDelete.",
            "przy każdym uruchomieniu program pokaże okno „POWAŻNY BŁĄD WTYCZKI”. Po odpowiedzi „Ignoruj” wtyczka "
            "się załaduje",
            "przenoszenie dokumentów sprzedaży obcej na kontrahenta TMO, usuwanie wpisów TMO z ewidencji JPK albo "
            "zapis magazynów komisowych – może się wtedy nie wykonać",
            "Bez przełącznika /ZASLEPKI instalator nie instaluje takiej wtyczki."])
        self.assertEqual((text.count("Ignoruj"), text.count("zaślepki")), (1, 0), text)

    def test_install_upgrade_uninstall_keep_the_previous_module(self):
        folder = self.shop("shop", read(TALMER))
        module_dir = os.path.join(folder, "Kalwestrowka")
        for name, data in (("Kalwestrowka.dll", OLD_MODULE), ("komis.cfg", KOMIS_CFG),
                           ("Kalwestrowka.log", LOG)):
            write(os.path.join(folder, name), data)

        rc, text = self.install(folder)
        self.assertEqual(rc, 0, text)
        self.assertEqual(text, f"Zainstalowano wtyczkę Kalwestrowka {VERSION} w folderze „{windows(folder)}”.\r\n"
                               "Sprawdzenie programu: wtyczka zwiąże się z programem sprzedaży, ma on wszystkie "
                               "funkcje, których wtyczka używa.\r\nKod wyjścia: 0\r\n")
        files = snapshot(folder)
        self.assertEqual(sorted(files), sorted(["Kalwestrowka.dll", "Kalwestrowka.log", "TALMER.dll", "komis.cfg"]
                                               + [os.path.join("Kalwestrowka", name) for name in MODULE_FILES]))
        self.assertEqual(files["Kalwestrowka.dll"], read(MODULE))
        self.assertEqual(files[os.path.join("Kalwestrowka", "Kalwestrowka.dll.kopia")], OLD_MODULE)
        for name in INSTALLED[1:]:
            self.assertEqual(files[os.path.join("Kalwestrowka", name)], self.packaged[name], name)
        self.assertEqual((files["komis.cfg"], files["Kalwestrowka.log"]), (KOMIS_CFG, LOG))
        self.assertEqual(files[os.path.join("Kalwestrowka", "Odinstaluj.exe")][:2], b"MZ")
        # The guide's check of the installed files against the package's SHA256SUMS, in the program's folder.
        done = subprocess.run([WINE_RUN, os.path.join(module_dir, "kalwcheck.exe"), "--sha256", "--lista",
                               windows(os.path.join(self.work, "SHA256SUMS")), "Kalwestrowka.dll",
                               *("Kalwestrowka\\" + name for name in INSTALLED[1:])], cwd=folder, capture_output=True)
        self.assertEqual(done.returncode, 0, done.stdout)
        self.assertEqual(done.stdout.count(b"ZGODNY"), len(INSTALLED), done.stdout)

        entry = self.registered(windows(folder))
        uninstaller = windows(os.path.join(module_dir, "Odinstaluj.exe")).replace("\\", "\\\\")
        in_place = windows(module_dir).replace("\\", "\\\\")
        # What is written: the module, its folder with the uninstaller and the backup (the log comes after).
        kilobytes = len(files["Kalwestrowka.dll"]) // 1024 + sum(
            len(data) for name, data in files.items()
            if name.startswith("Kalwestrowka" + os.sep) and not name.endswith("instalacja.log")) // 1024
        self.assertRegex(entry.pop("InstallDate"), r'^"20\d{6}"$')
        expected = {
            "DisplayName": '"Kalwestrowka – sprzedaż obca (' + windows(folder).replace("\\", "\\\\") + ')"',
            "DisplayVersion": f'"{VERSION}"',
            "InstallLocation": '"' + windows(folder).replace("\\", "\\\\") + '"',
            # In place (_?=): the process the list starts is the one that uninstalls or repairs.
            "UninstallString": f'"\\"{uninstaller}\\" _?={in_place}"',
            "QuietUninstallString": f'"\\"{uninstaller}\\" /S _?={in_place}"',
            "ModifyPath": f'"\\"{uninstaller}\\" /NAPRAW _?={in_place}"',
            "EstimatedSize": f"dword:{kilobytes:08x}",
            "DisplayIcon": f'"\\"{uninstaller}\\",0"',
            "Readme": '"' + windows(os.path.join(module_dir, "PODRECZNIK.TXT")).replace("\\", "\\\\") + '"',
            "Comments": entry.get("Comments") if "Kalwestrowka\\\\PODRECZNIK.TXT" in entry["Comments"] else "no guide",
        }
        # The publisher is the DLL's CompanyName, written only when its resource has one.
        company = version_strings(MODULE).get("CompanyName")
        if company:
            expected["Publisher"] = f'"{company}"'
        self.assertEqual(sorted(entry.items()), sorted(expected.items()))

        # The host wrote komis.cfg meanwhile; an upgrade keeps the first backup and the file.
        changed_cfg = bytes(202)
        write(os.path.join(folder, "komis.cfg"), changed_cfg)
        rc, text = self.install(folder)
        self.assertEqual(rc, 0, text)
        files = snapshot(folder)
        self.assertEqual(files[os.path.join("Kalwestrowka", "Kalwestrowka.dll.kopia")], OLD_MODULE)
        self.assertEqual(files["Kalwestrowka.dll"], read(MODULE))
        self.assertEqual((files["komis.cfg"], files["Kalwestrowka.log"]), (changed_cfg, LOG))

        rc, text = self.uninstall(folder)
        self.assertEqual(rc, 0, text)
        self.assertEqual(text, f"Odinstalowano wtyczkę Kalwestrowka {VERSION} z folderu „{windows(folder)}”.\r\n"
                               "Kod wyjścia: 0\r\n")
        files = snapshot(folder)
        files.pop(os.path.join("Kalwestrowka", "instalacja.log"))  # kept for support
        # Run in place (_?=), the uninstaller cannot remove itself; everything else of the module is gone.
        self.assertEqual(files, {"Kalwestrowka.dll": OLD_MODULE, "Kalwestrowka.log": LOG, "komis.cfg": changed_cfg,
                                 "TALMER.dll": read(TALMER),
                                 os.path.join("Kalwestrowka", "Odinstaluj.exe"):
                                     files.get(os.path.join("Kalwestrowka", "Odinstaluj.exe"))})
        self.assertEqual(entries(), [])

    def test_install_with_fallbacks_accepted_and_uninstall_without_previous_module(self):
        library = library_without(TALMER, [52256])
        folder = self.shop("fresh", library)
        write(os.path.join(folder, "komis.cfg"), KOMIS_CFG)
        rc, text = self.install(folder, "/ZASLEPKI")
        self.assertEqual(rc, 0, text)
        self.assertIn("\r\nSprawdzenie programu: wtyczka zwiąże się z programem sprzedaży, ale brakuje w nim funkcji: "
                      "52256 HostGetTable.", text)
        files = snapshot(folder)
        self.assertEqual(sorted(files), sorted(["Kalwestrowka.dll", "TALMER.dll", "komis.cfg"] + [
            os.path.join("Kalwestrowka", name) for name in MODULE_FILES if not name.endswith("kopia")]))
        self.assertEqual(files["Kalwestrowka.dll"], read(MODULE))
        self.assertEqual(entries(), [entry_key(windows(folder))])

        # A second install is an upgrade: the module it put there is no backup.
        self.assertEqual(self.install(folder, "/ZASLEPKI")[0], 0)
        self.assertNotIn(os.path.join("Kalwestrowka", "Kalwestrowka.dll.kopia"), snapshot(folder))

        rc, text = self.uninstall(folder)
        self.assertEqual(rc, 0, text)
        files = snapshot(folder)
        self.assertEqual(sorted(files), sorted(["TALMER.dll", os.path.join("Kalwestrowka", "Odinstaluj.exe"),
                                                os.path.join("Kalwestrowka", "instalacja.log"), "komis.cfg"]))
        self.assertEqual((files["komis.cfg"], files["TALMER.dll"]), (KOMIS_CFG, library))
        self.assertEqual(entries(), [])

    def test_drive_root_and_network_share(self):
        # A drive letter for a folder, as a mapped network drive S:\, and a \\server\share name, which Wine
        # finds in dosdevices/unc/<server>/<share>; each holds a host.
        dosdevices = os.path.join(WINE_DIR, "wineprefix", "dosdevices")
        letter = next(c for c in "klmnopqrstuvwxy" if not os.path.lexists(os.path.join(dosdevices, c + ":")))
        server = f"kwserwer{os.getpid()}"
        root = self.shop("drive-root", read(TALMER))
        share = self.shop("share", read(TALMER))
        for folder in (root, share):
            for name, data in (("Kalwestrowka.dll", OLD_MODULE), ("komis.cfg", KOMIS_CFG), ("Kalwestrowka.log", LOG)):
                write(os.path.join(folder, name), data)
        os.symlink(root, os.path.join(dosdevices, letter + ":"))
        self.addCleanup(os.remove, os.path.join(dosdevices, letter + ":"))
        os.makedirs(os.path.join(dosdevices, "unc", server))
        self.addCleanup(shutil.rmtree, os.path.join(dosdevices, "unc", server))
        os.symlink(share, os.path.join(dosdevices, "unc", server, "udzial"))
        hosts = ((f"{letter.upper()}:\\", root), (f"\\\\{server}\\udzial", share))
        before = {folder: snapshot(folder) for _, folder in hosts}

        for shown, folder in hosts:
            rc, text = self.run_wine(self.setup, "/S", "/D=" + shown)
            self.assertEqual(rc, 0, text)
            self.assertTrue(text.startswith(f"Zainstalowano wtyczkę Kalwestrowka {VERSION} w folderze „{shown}”."),
                            text)
            files = snapshot(folder)
            self.assertEqual((files["Kalwestrowka.dll"], files[os.path.join("Kalwestrowka", "Kalwestrowka.dll.kopia")]),
                             (read(MODULE), OLD_MODULE), shown)
        # One entry for each folder, the second install beside the first.
        self.assertEqual(entries(), sorted(entry_key(shown) for shown, _ in hosts))
        for shown, _ in hosts:
            in_place = shown.rstrip("\\") + "\\Kalwestrowka"
            self.assertEqual({name: self.registered(shown)[name] for name in ("InstallLocation", "UninstallString")},
                             {"InstallLocation": reg_string(shown),
                              "UninstallString": reg_string(f'"{in_place}\\Odinstaluj.exe" _?={in_place}')})

        for shown, folder in hosts:
            rc, text = self.uninstall(folder, shown)
            self.assertEqual(rc, 0, text)
            self.assertEqual(text, f"Odinstalowano wtyczkę Kalwestrowka {VERSION} z folderu „{shown}”.\r\n"
                                   "Kod wyjścia: 0\r\n")
            files = snapshot(folder)
            del files[os.path.join("Kalwestrowka", "Odinstaluj.exe")]  # run in place, it cannot remove itself
            del files[os.path.join("Kalwestrowka", "instalacja.log")]  # kept for support
            self.assertEqual(files, before[folder], shown)
        self.assertEqual(entries(), [])

    @contextlib.contextmanager
    def held(self, path):
        """The file held open, as the running host holds its module."""
        marker = os.path.join(self.work, "held")
        holder = subprocess.Popen([WINE_RUN, HOLD_FILE, windows(path), windows(marker)], stdin=subprocess.PIPE,
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            deadline = time.monotonic() + 30
            while not os.path.exists(marker):
                self.assertIsNone(holder.poll(), f"hold_file could not open {path}")
                self.assertLess(time.monotonic(), deadline, f"hold_file did not open {path}")
                time.sleep(0.1)
            yield
        finally:
            holder.stdin.close()
            holder.wait(30)
            if os.path.exists(marker):
                os.remove(marker)

    def test_module_in_use_changes_nothing(self):
        folder = self.shop("in-use", read(TALMER))
        for name, data in (("Kalwestrowka.dll", OLD_MODULE), ("komis.cfg", KOMIS_CFG), ("Kalwestrowka.log", LOG)):
            write(os.path.join(folder, name), data)
        module = os.path.join(folder, "Kalwestrowka.dll")
        before = snapshot(folder)
        with self.held(module):
            rc, text = self.install(folder)
        self.assertEqual(rc, 15, text)
        self.assertIn(f"Nie można zastąpić pliku {windows(module)}: używa go program sprzedaży. Folder programu jest "
                      "taki, jaki był. Zamknij ten program (program sprzedaży – na wszystkich stanowiskach) i uruchom "
                      "instalator ponownie.", text)
        # No empty Kalwestrowka folder either.
        self.assertEqual((snapshot(folder), sorted(os.listdir(folder))), (before, sorted(before)))
        self.assertEqual(entries(), [])

        # Installed; then an upgrade and the uninstall while the program runs.
        self.assertEqual(self.install(folder)[0], 0)
        unlogged = lambda: {name: data for name, data in snapshot(folder).items() if "instalacja.log" not in name}
        installed = unlogged()  # a refusal adds its line to the install's log
        with self.held(module):
            rc, text = self.install(folder)
            self.assertEqual(rc, 15, text)
            self.assertEqual(unlogged(), installed, "a refused upgrade changed the folder")
            rc, text = self.uninstall(folder)
            self.assertEqual(rc, 15, text)
            self.assertIn(f"Nie można usunąć pliku {windows(module)}: używa go program sprzedaży. Nic nie zostało "
                          "zmienione. Zamknij ten program", text)
            self.assertEqual(unlogged(), installed, "a refused uninstall changed the folder")
        self.assertEqual(entries(), [entry_key(windows(folder))])


if __name__ == "__main__":
    unittest.main(verbosity=2)
