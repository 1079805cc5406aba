#!/usr/bin/env python3
"""The terminal host as a person uses it: started in tmux (80x25, UTF-8),
driven with keys, its screen read with capture-pane after every step.

usage: terminal_session.py <kalwestrowka_terminal.exe> <wine-run> <build dir> <case>
cases: story (start, configuration, documents, JPK register, end),
       binding (a host entry missing: Retry, then Ignore),
       abort (a host entry missing: Abort), report (record lengths differ)
"""
import os
import re
import signal
import subprocess
import sys
import time

STEP_TIMEOUT = 60  # seconds for one expected screen (Wine may be slow on a busy machine)
OVERALL_TIMEOUT = 240  # the whole case; the tmux server is killed either way


class Failure(Exception):
    pass


class Terminal:
    def __init__(self, program, wine_run, build_dir, args):
        self.socket = "kwterm-%d-%d" % (os.getpid(), int(time.time() * 1000) % 100000)
        self.build_dir = build_dir
        command = "%s --console %s %s; echo \"[exit $?]\"; sleep 600" % (
            wine_run, program, " ".join(args))
        env = dict(os.environ, LANG="C.UTF-8", LC_ALL="C.UTF-8", KW_BUILD_DIR=build_dir)
        self.tmux("new-session", "-d", "-x", "80", "-y", "25", "-e", "LANG=C.UTF-8",
                  "-e", "LC_ALL=C.UTF-8", "-e", "KW_BUILD_DIR=" + build_dir, command, env=env)

    def tmux(self, *args, env=None):
        return subprocess.run(["tmux", "-L", self.socket, "-f", "/dev/null"] + list(args),
                              check=True, capture_output=True, text=True, env=env, timeout=30).stdout

    def close(self):
        subprocess.run(["tmux", "-L", self.socket, "kill-server"], capture_output=True, timeout=30)

    def screen(self, colours=False):
        return self.tmux("capture-pane", "-p", *(["-e"] if colours else []))

    def keys(self, *keys):
        for key in keys:
            self.tmux("send-keys", key)
            time.sleep(0.05)

    def wait(self, what, *, gone=False, timeout=STEP_TIMEOUT):
        """Waits until the screen shows the text (or a match of the regex), or no longer does."""
        deadline = time.time() + timeout
        while True:
            screen = self.screen()
            found = what.search(screen) if isinstance(what, re.Pattern) else what in screen
            if bool(found) != gone:
                return screen
            if time.time() > deadline:
                raise Failure("%s %r on the screen:\n%s" % ("still" if gone else "never", what, screen))
            time.sleep(0.1)


def check(condition, message, screen):
    if not condition:
        raise Failure(message + "\n" + screen)


def row_of(screen, text):
    for number, line in enumerate(screen.split("\n")):
        if text in line:
            return number, line.index(text)
    raise Failure("no %r on the screen:\n%s" % (text, screen))


def unix_path(build_dir, windows_path):
    """C:\\users\\... in the build's Wine prefix."""
    drive, rest = windows_path.split(":", 1)
    check(drive.upper() == "C", "the host's files are not on drive C: " + windows_path, "")
    return os.path.join(build_dir, "wineprefix", "drive_c", *rest.strip("\\").split("\\"))


def start_and_register(term):
    screen = term.wait("Zainstalowano wtyczkę: Obsłuż sprzedaż obcą.")
    check("Konfiguracja spr.obcej" not in screen, "a command in the menu before registration", screen)
    term.keys("Enter")
    screen = term.wait(re.compile(r"║ Konfiguracja spr\.obcej +║"))
    menu = [line.strip("║ ") for line in screen.split("\n")[3:7]]
    check(menu == ["Dokumenty sprzedaży", "Rejestr JPK", "Konfiguracja spr.obcej", "Koniec"],
          "the main menu is %r" % menu, screen)
    return screen


def configure_warehouse_3(term, screen):
    files = re.search(r"Pliki programu: (\S+)", screen).group(1)
    komis = os.path.join(unix_path(term.build_dir, files), "komis.cfg")
    term.keys("Down", "Down", "Enter")
    # No komis.cfg yet: the module warns twice, then the dialog opens with its list.
    term.wait("Nie można otworzyć pliku konfiguracynego do odczytu!")
    term.keys("Enter", "Enter")
    screen = term.wait("Magazyny")
    check("[ ] Magazyn 3" in screen, "warehouse 3 marked before the person marked it", screen)
    term.keys("Down", "Down", "Down", "Space")
    term.wait("[x] Magazyn 3")
    term.keys("Enter")
    screen = term.wait("Magazyny", gone=True)
    # The dialog as its description has it: 54x8 in the middle (column 13,
    # row 8), the hint at column 3 row 2, the field at 17/3, the buttons at 9/5 and 28/5.
    check(row_of(screen, "═ Konfiguracja ═")[0] == 8, "the dialog is not at row 8", screen)
    check(screen.split("\n")[8][13:15] == "╔═", "the dialog is not at column 13", screen)
    check(row_of(screen, "F2 Ustal MAGAZYNY z towarami dla sprzedaży obcej") == (10, 16), "the hint is misplaced", screen)
    check(screen.split("\n")[11][30:34] == " 3  ", "the field does not show warehouse 3", screen)
    check(row_of(screen, "F12 OK") == (13, 22) and row_of(screen, "Esc Anuluj") == (13, 41), "the buttons are misplaced",
          screen)
    coloured = [line for line in term.screen(colours=True).split("\n") if "Ustal MAGAZYNY" in line][0]
    check(re.search(r"F2\x1b\[[0-9;]*m Ustal", coloured), "the key name F2 is not highlighted", coloured)
    term.keys("F2")  # the list again, as often as wanted
    screen = term.wait("Magazyny")
    check("[x] Magazyn 3" in screen, "the list forgot warehouse 3", screen)
    check(not os.path.exists(komis), "komis.cfg written before OK", screen)
    term.keys("Enter", "F12")
    screen = term.wait("═ Konfiguracja ═", gone=True)
    with open(komis, "rb") as file:
        flags = file.read()
    check(flags == b"\0" * 6 + b"\1\0" + b"\0" * 194, "komis.cfg holds %r" % flags, screen)


def sell(term):
    term.keys("Up", "Up", "Enter")
    term.wait("Brak dokumentów")
    term.keys("F2")
    screen = term.wait("Faktura sprzedaży (rodzaj 24)")
    check("Numer: FS 5/12/2026" in screen and "Kontrahent: KOWALSKI" in screen, "not a new document for KOWALSKI", screen)
    term.keys("Down", "Down", "Enter")  # the painting from warehouse 3
    term.wait(re.compile(r"1\.  obraz olejny +3 +1184\.50"))
    term.keys("F12")
    screen = term.wait("Zatwierdzono FS 5/12/2026 (TMO)")
    check("Numer: FS 6/12/2026" in screen, "no new document after the acceptance", screen)
    term.keys("Up", "Up", "Enter")  # coffee from warehouse 1
    term.wait(re.compile(r"1\.  kawa +1 +45\.50"))
    term.keys("F12")
    term.wait("Zatwierdzono FS 6/12/2026 (KOWALSKI)")
    term.keys("Escape")
    term.wait("Trwa zamiana dokumentów - wtyczka Kalwestrowka...")
    term.wait("Czekaj", gone=True)
    screen = term.wait("Numer         Kontrahent")
    check(re.search(r"FS 5/12/2026 +TMO +0x0400 +0x0200/0x0007 +1184\.50 +0\.00 +zamieniony", screen),
          "FS 5/12/2026 is not TMO's converted document", screen)
    check(re.search(r"FS 6/12/2026 +KOWALSKI +0x0000 +0x0000/0x0000 +45\.50 +45\.50 *\n", screen),
          "FS 6/12/2026 is not left as it was", screen)
    term.keys("Escape")
    term.wait("Menu główne")


def clean_register(term):
    term.keys("Down", "Enter")
    screen = term.wait("Lp  Dokument")
    check(screen.count("Towary Mazowieckie Obce") == 2 and "FS 2/12/2026" in screen and "FS 3/12/2026" in screen,
          "the register does not list TMO's two entries", screen)
    term.keys("F2")
    term.wait("Trwa usuwanie dokumentów TMO - wtyczka Kalwestrowka...")
    screen = term.wait("usunięte wpisy: 2")
    entries = re.findall(r"^ \d\.  (FS \S+) +(.+?) {2,}(\d+) *$", screen, re.M)
    check(entries == [("FS 1/12/2026", "Jan Kowalski", "17"), ("FS 4/12/2026", "Jan Kowalski", "17")],
          "the register after the cleanup holds %r" % entries, screen)
    term.keys("Escape")
    term.wait("Menu główne")


def story(term):
    screen = start_and_register(term)
    configure_warehouse_3(term, screen)
    sell(term)
    clean_register(term)
    term.tmux("send-keys", "-R")  # the terminal loses what it showed; Ctrl+L draws it all again
    term.wait("Menu główne", gone=True)
    term.keys("C-l")
    screen = term.wait("Menu główne")
    check("║ Konfiguracja spr.obcej" in screen and "Pliki programu:" in screen, "the repaint is not whole", screen)
    term.keys("Down", "Down", "Enter")
    term.wait("[exit 0]")


def binding(term):
    screen = term.wait("POWAŻNY BŁĄD WTYCZKI")
    check("52308" in screen and "[ Przerwij ]  [ Ponów próbę ]  [ Ignoruj ]" in screen, "not the binding dialog", screen)
    term.keys("Right", "Enter")  # Retry: the same dialog again
    time.sleep(1)
    screen = term.wait("POWAŻNY BŁĄD WTYCZKI")
    check("Instalacja" not in screen, "the module went on after Retry", screen)
    term.keys("Right", "Right", "Enter")  # Ignore
    term.wait("Zainstalowano wtyczkę: Obsłuż sprzedaż obcą.")
    term.keys("Enter")
    screen = term.wait("Konfiguracja spr.obcej")
    answers = re.findall(r'okno "POWAŻNY BŁĄD WTYCZKI": (.+?) *\n', screen)
    check(answers == ["Ponów próbę", "Ignoruj"], "the binding dialog was answered %r" % answers, screen)
    term.keys("Up", "Enter")
    term.wait("[exit 0]")


def abort(term):
    term.wait("POWAŻNY BŁĄD WTYCZKI")
    term.keys("Enter")  # Abort, the first button
    screen = term.wait("Moduł nie został załadowany.")
    check('okno "POWAŻNY BŁĄD WTYCZKI": Przerwij' in screen, "Abort is not in the start-up report", screen)
    check("Konfiguracja spr.obcej" not in screen and "║ Koniec" in screen, "the menu is not the host's own", screen)
    term.keys("Up", "Enter")
    term.wait("[exit 0]")


def report(term):
    screen = term.wait("STOP!!!")
    row, start = row_of(screen, "TABELA")
    lines = screen.split("\n")
    check(lines[row].find("WE WTYCZCE") == start + 18 and lines[row].find("W PROGRAMIE") == start + 33,
          "the header's tab stops l18 l33 are not kept", screen)
    check(lines[row + 1][start:start + 4] == "Tspr" and lines[row + 1][start + 21:start + 25] == "1268"
          and lines[row + 1][start + 36:start + 40] == "1270", "the report line's stops p25 p40 are not kept", screen)
    term.keys("Enter")
    screen = term.wait("Menu główne")
    check("Konfiguracja spr.obcej" not in screen, "a refused module registered its command", screen)
    term.keys("Up", "Enter")
    term.wait("[exit 0]")


CASES = {
    "story": ([], story),
    "binding": (["--omit", "52308"], binding),
    "abort": (["--omit", "52308"], abort),
    "report": (["--record-length", "44=1270"], report),
}


def give_up(signum, _frame):
    raise Failure("stopped by signal %d (overall timeout %d s or a kill)" % (signum, OVERALL_TIMEOUT))


def main():
    program, wine_run, build_dir, case = sys.argv[1:5]
    args, run = CASES[case]
    signal.signal(signal.SIGALRM, give_up)
    signal.signal(signal.SIGTERM, give_up)
    signal.alarm(OVERALL_TIMEOUT)
    term = Terminal(program, wine_run, build_dir, ["--wait-ms", "3000"] + args)
    try:
        run(term)
    except (Failure, subprocess.SubprocessError) as failure:
        print("FAILED:", failure)
        return 1
    finally:
        term.close()
    print("passed:", case)
    return 0


if __name__ == "__main__":
    sys.exit(main())
