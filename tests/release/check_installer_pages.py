#!/usr/bin/env python3
"""The graphical installer and uninstaller walked page by page as a shop's
administrator would, on an Xvfb screen, with xdotool at the keyboard:

- the folder page refuses a folder without TALMER.dll and stays; a host that
  needs fallbacks brings the question, and "Nie" stays on the page; the
  folder dialog opens and closes;
- the shop's folder installs while its module is held open (the running
  program): the question names the program and "Ponów próbę", once the file
  is free, installs; the progress page, the last page with the next steps,
  and its option opens the guide;
- the uninstaller's confirm page, its progress, and the folder as it was: the
  previous module back, the module's folder and the entry in the list of
  installed programs gone, komis.cfg and the log byte for byte.

A screenshot of every page goes to <screens dir> (make installer-screens
prints where) for a person to look at. The programs run in a Wine prefix of
their own (<screens dir>/../wineprefix, made once), whose Wine is started
with this screen: the shared prefix's may run without one. Wine runs under a
Polish locale (pl_PL.UTF-8 built by localedef into <screens dir>/../locale),
so that Windows' code page is 1250, as a Polish administrator's.

Usage: check_installer_pages.py <make_dist.py> <guide> <installer.nsi> <version> <TALMER.dll> <wine-run>
                                <hold_file.exe> <screens dir> <file to ship>... (the DLL, the tools, PODRECZNIK.TXT)
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

from check_installer import KOMIS_CFG, LOG, OLD_MODULE, read, snapshot, windows, write
from x_screen import XScreen

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tools"))
from tool_files import library_without  # noqa: E402

if __name__ == "__main__":
    MAKE_DIST, GUIDE, SCRIPT, VERSION, TALMER, WINE_RUN, HOLD_FILE, SCREENS = sys.argv[1:9]
    SHIPPED = sys.argv[9:]
    MODULE = next(path for path in SHIPPED if os.path.basename(path) == "Kalwestrowka.dll")
    del sys.argv[1:]

ENTRY_KEY = r"HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall\Kalwestrowka "


class InstallerPagesTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        for tool in ("Xvfb", "xdotool"):
            if shutil.which(tool) is None:
                raise RuntimeError(f"{tool} is missing: make deps installs it (Debian's xvfb, xdotool)")
        cls.work = tempfile.mkdtemp(prefix="kw-pages-")
        cls.addClassCleanup(shutil.rmtree, cls.work, ignore_errors=True)
        subprocess.run([sys.executable, MAKE_DIST, os.path.join(cls.work, "dist"), VERSION, GUIDE,
                        "--installer", SCRIPT, *SHIPPED], check=True, stdout=subprocess.DEVNULL)
        cls.setup = os.path.join(cls.work, "dist", f"Kalwestrowka-{VERSION}-setup.exe")
        shutil.rmtree(SCREENS, ignore_errors=True)
        os.makedirs(SCREENS)
        cls.screen = XScreen(SCREENS)
        cls.addClassCleanup(cls.screen.close)
        cls.wine_dir = os.path.dirname(os.path.abspath(SCREENS))
        cls.locale_dir = os.path.join(cls.wine_dir, "locale")
        if not os.path.isdir(os.path.join(cls.locale_dir, "pl_PL.UTF-8")):
            os.makedirs(cls.locale_dir, exist_ok=True)
            subprocess.run(["localedef", "-i", "pl_PL", "-f", "UTF-8", os.path.join(cls.locale_dir, "pl_PL.UTF-8")],
                           check=True, capture_output=True)
        cls.addClassCleanup(cls.end_wine)
        started = time.monotonic()
        cls.wine(["--prepare"]).wait(300)
        cls.end_wine()  # a Wine left from an earlier run draws on a screen that is gone
        for entry in cls.entries():  # and the entries of a run that failed
            subprocess.run([WINE_RUN, "reg", "delete", entry, "/f"], env=cls.wine_env(), capture_output=True)
        print(f"Wine prefix ready: {time.monotonic() - started:.1f} s", file=sys.stderr)

    @classmethod
    def tearDownClass(cls):
        print(f"screenshots of the pages: {SCREENS}", file=sys.stderr)

    @classmethod
    def wine_env(cls):
        return dict(cls.screen.env(), KW_BUILD_DIR=cls.wine_dir, LOCPATH=cls.locale_dir, LANG="pl_PL.UTF-8",
                    LC_ALL="pl_PL.UTF-8")

    @classmethod
    def wine(cls, args):
        return subprocess.Popen([WINE_RUN, *args], env=cls.wine_env(), stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)

    @classmethod
    def end_wine(cls):
        env = dict(cls.wine_env(), WINEPREFIX=os.path.join(cls.wine_dir, "wineprefix"))
        subprocess.run(["wineserver", "-k"], env=env, capture_output=True)
        subprocess.run(["wineserver", "-w"], env=env, capture_output=True, timeout=30)

    def shop(self, name, files):
        folder = os.path.join(self.work, name)
        os.mkdir(folder)
        for file_name, data in files.items():
            write(os.path.join(folder, file_name), data)
        return folder

    def report(self, path, timeout=60):
        """The /RAPORT= file once written: the run's end."""
        self.screen.wait(f"the report {path}", lambda: os.path.exists(path) and os.path.getsize(path) > 2, timeout)
        time.sleep(0.3)
        return read(path)[2:].decode("utf-16-le")

    @classmethod
    def entries(cls):
        """The keys of the module's entries in the list of installed programs."""
        done = subprocess.run([WINE_RUN, "reg", "query", ENTRY_KEY.rsplit("\\", 1)[0]], env=cls.wine_env(),
                              capture_output=True)
        return [line for line in done.stdout.decode("utf-8", "replace").splitlines() if "Kalwestrowka " in line]

    def enter_folder(self, window, folder):
        # Alt+F: the field after the group's label, its text selected, then replaced.
        self.screen.press(window, "alt+f")
        self.screen.type(window, windows(folder))

    def answer(self, window, keys, shot):
        """Keys to the window; the message box they bring, shot and closed with Enter."""
        known = self.screen.windows("")
        self.screen.press(window, *keys)
        box = self.screen.new_window("", known)
        self.screen.shot(shot)
        self.screen.press(box, "Return")
        self.screen.wait("the message box to close", lambda: box not in self.screen.windows(""))

    def test_install_and_uninstall_page_by_page(self):
        screen = self.screen
        empty = self.shop("pusty", {})
        fallbacks = self.shop("zaslepki", {"TALMER.dll": library_without(TALMER, [52256])})
        shop_files = {"TALMER.dll": read(TALMER), "Kalwestrowka.dll": OLD_MODULE, "komis.cfg": KOMIS_CFG,
                      "Kalwestrowka.log": LOG}
        folder = self.shop("sklep", shop_files)
        report = os.path.join(self.work, "instalacja.txt")

        started = time.monotonic()
        installer = self.wine([self.setup, "/RAPORT=" + windows(report)])
        window = screen.new_window("Instalator Kalwestrowka")
        screen.shot("folder-page")
        self.enter_folder(window, empty)
        self.answer(window, ["Return"], "refused-no-talmer")
        self.enter_folder(window, fallbacks)
        self.answer(window, ["Return"], "fallbacks-question")  # Enter: the default "Nie"
        self.assertEqual(snapshot(fallbacks), {"TALMER.dll": library_without(TALMER, [52256])})
        known = screen.windows("")
        screen.press(window, "alt+p")
        browse = screen.new_window("", known)
        screen.shot("folder-dialog")
        screen.press(browse, "Escape")
        screen.wait("the folder dialog to close", lambda: browse not in screen.windows(""))

        self.enter_folder(window, folder)
        screen.shot("folder-chosen")
        # The program running: its module held open until the question is answered.
        marker = os.path.join(self.work, "held")
        holder = subprocess.Popen([WINE_RUN, HOLD_FILE, windows(os.path.join(folder, "Kalwestrowka.dll")),
                                   windows(marker)], env=self.wine_env(), stdin=subprocess.PIPE)
        screen.wait("hold_file to open the module", lambda: os.path.exists(marker))
        known = screen.windows("")
        screen.press(window, "Return")
        question = screen.new_window("", known)
        screen.shot("file-in-use-question")
        holder.stdin.close()
        self.assertEqual(holder.wait(30), 0)
        screen.press(question, "Return")  # "Ponów próbę", the first button
        text = self.report(report)
        self.assertTrue(text.startswith(f"Zainstalowano wtyczkę Kalwestrowka {VERSION} w folderze „{windows(folder)}”."),
                        text)
        screen.shot("progress-page")
        screen.press(window, "Return")
        screen.shot("next-steps-page")
        known = screen.windows("")
        screen.press(window, "Return")  # "Zakończ", with the guide to open
        guide = screen.new_window("PODRECZNIK.TXT", known)
        screen.shot("guide-opened")
        screen.press(guide, "alt+F4")
        self.assertEqual(installer.wait(60), 0)
        print(f"install, page by page: {time.monotonic() - started:.1f} s", file=sys.stderr)

        module_dir = os.path.join(folder, "Kalwestrowka")
        files = snapshot(folder)
        self.assertEqual(files["Kalwestrowka.dll"], read(MODULE))
        self.assertEqual(files[os.path.join("Kalwestrowka", "Kalwestrowka.dll.kopia")], OLD_MODULE)
        self.assertEqual(self.entries(), [ENTRY_KEY + windows(folder).replace("\\", "/")])

        started = time.monotonic()
        report = os.path.join(self.work, "odinstalowanie.txt")
        known = screen.windows("")
        # Without _?= the uninstaller runs from a copy in the temporary folder and removes itself too.
        uninstaller = self.wine([os.path.join(module_dir, "Odinstaluj.exe"), "/RAPORT=" + windows(report)])
        window = screen.new_window("Kalwestrowka", known)
        screen.shot("uninstall-confirm-page")
        screen.press(window, "Return")
        text = self.report(report)
        self.assertTrue(text.startswith(f"Odinstalowano wtyczkę Kalwestrowka {VERSION} z folderu „{windows(folder)}”."),
                        text)
        screen.shot("uninstall-progress-page")
        screen.press(window, "Return")
        self.assertEqual(uninstaller.wait(60), 0)
        print(f"uninstall, page by page: {time.monotonic() - started:.1f} s", file=sys.stderr)
        screen.wait("the uninstaller to remove itself", lambda: not os.path.exists(module_dir + "/Odinstaluj.exe"), 30)
        files = snapshot(folder)
        files.pop(os.path.join("Kalwestrowka", "instalacja.log"))  # kept for support
        self.assertEqual(files, shop_files)
        self.assertEqual(self.entries(), [])


if __name__ == "__main__":
    unittest.main(verbosity=2)
