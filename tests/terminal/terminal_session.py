#!/usr/bin/env python3
"""The terminal host as a person uses it: started in tmux (80x25, UTF-8),
driven with keys, its screen read with capture-pane after every step. Menu
entries, list lines and buttons are picked by what they read, moving to them
and checking that they are in hand before Enter; windows are waited for by
their titles and screens by the title in the top line. The module's commands
come from its table (config/module_commands.inc).

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
MODULE_COMMANDS = os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir, os.pardir, "config",
                               "module_commands.inc")
SELECTED_BACKGROUND = "46"  # the host's colour of the entry or button in hand (cyan)


def module_commands(path=MODULE_COMMANDS):
    """The module's menu commands as its table lists them: {name: menu text}, in order."""
    with open(path, encoding="utf-8") as table:
        found = re.findall(r'^MODULE_COMMAND\((\w+), *0x[0-9A-Fa-f]+, *0x[0-9A-Fa-f]+, *"([^"]*)", *\w+\)',
                           table.read(), re.M)
    if not found:
        raise Failure("no command in " + path)
    return dict(found)


class Failure(Exception):
    pass


def backgrounds(line):
    """The background colour (an SGR code, or None for the default) of each
    column of a line captured with its escape sequences."""
    columns, background = [], None
    for part in re.split(r"(\x1b\[[0-9;]*m)", line):
        if part.startswith("\x1b["):
            for code in part[2:-1].split(";"):
                if code in ("", "0", "49"):
                    background = None
                elif code.isdigit() and (40 <= int(code) <= 47 or 100 <= int(code) <= 107):
                    background = code
        else:
            columns.extend([background] * len(part))
    return columns


class Window:
    """A framed window on the screen, found by the title in its top line: its
    lines inside the frame, and which columns of them are in hand."""

    def __init__(self, screen, coloured, title):
        lines = screen.split("\n")
        top = re.compile(r"╔═* %s ═*╗" % re.escape(title))
        found = [(number, match) for number, line in enumerate(lines) for match in [top.search(line)] if match]
        self.title, self.shown = title, len(found) == 1
        self.rows = []  # (screen row, text inside the frame, columns in hand, from the frame's left)
        if not self.shown:
            return
        number, match = found[0]
        left, right = match.start(), match.end() - 1
        colours = coloured.split("\n")
        for row in range(number + 1, len(lines)):
            line = lines[row].ljust(right + 1)
            if line[left] == "╚":
                break
            inside = backgrounds(colours[row])[left + 1:right] if row < len(colours) else []
            chosen = [column for column, colour in enumerate(inside) if colour == SELECTED_BACKGROUND]
            self.rows.append((row, line[left + 1:right], chosen))

    def entries(self):
        """The window's lines that say something, as they read."""
        return [text.strip() for _, text, _ in self.rows if text.strip()]

    def find(self, entry):
        """The screen row of the one line that is the entry (its text, or a regex it matches)."""
        matches = [row for row, text, _ in self.rows
                   if (entry.search(text) if isinstance(entry, re.Pattern) else text.strip() == entry)]
        return matches[0] if len(matches) == 1 else None

    def in_hand(self):
        """The screen rows of the lines with an entry in hand."""
        return [row for row, _, chosen in self.rows if chosen]

    def buttons(self):
        """The buttons ("[ label ]") on the window's last line that has any:
        their labels in order and the index of the one in hand, or None."""
        for _, text, chosen in reversed(self.rows):
            found = list(re.finditer(r"\[ (.+?) \]", text))
            if found:
                labels = [button.group(1) for button in found]
                in_hand = [i for i, button in enumerate(found) if button.start() in chosen]
                return labels, in_hand[0] if len(in_hand) == 1 else None
        return [], None


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

    def wait_screen(self, title):
        """Waits until the host shows the screen of that title (top right of its top line)."""
        return self.wait(re.compile(r"\A Program sprzedaży \(symulacja\) +%s *\n" % re.escape(title)))

    def window(self, title, *, until=lambda window: True, what="shown", timeout=STEP_TIMEOUT):
        """Waits until the window of that title is on the screen (and `until`
        holds for it): the Window."""
        deadline = time.time() + timeout
        while True:
            screen = self.screen()
            window = Window(screen, self.screen(colours=True), title)
            if window.shown and until(window):
                return window
            if time.time() > deadline:
                raise Failure("the window %r is never %s:\n%s" % (title, what, screen))
            time.sleep(0.1)

    def wait_window_gone(self, title):
        return self.wait(re.compile(r"╔═* %s ═*╗" % re.escape(title)), gone=True)

    def select(self, title, entry):
        """Moves the window's entry in hand to the one entry that reads so
        (text, or a regex), with Up and Down, and waits until it is in hand."""
        window = self.window(title, until=lambda w: len(w.in_hand()) == 1, what="with one entry in hand")
        target = window.find(entry)
        if target is None:
            raise Failure("not one entry %r in the window %r: %r" % (entry, title, window.entries()))
        steps = target - window.in_hand()[0]
        self.keys(*(["Down"] * steps + ["Up"] * -steps))
        self.window(title, until=lambda w: w.in_hand() == [target], what="with %r in hand" % (entry,))

    def choose(self, title, entry):
        """Opens the entry of a menu or list: selects it, then Enter."""
        self.select(title, entry)
        self.keys("Enter")

    def press(self, title, label):
        """Presses the window's button of that label: moves to it with Left and
        Right, waits until it is in hand, then Enter."""
        window = self.window(title, until=lambda w: w.buttons()[1] is not None, what="with a button in hand")
        labels, in_hand = window.buttons()
        if labels.count(label) != 1:
            raise Failure("not one button %r in the window %r: %r" % (label, title, labels))
        steps = labels.index(label) - in_hand
        self.keys(*(["Right"] * steps + ["Left"] * -steps))
        self.window(title, until=lambda w: w.buttons() == (labels, labels.index(label)),
                    what="with the button %r in hand" % label)
        self.keys("Enter")


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


COMMANDS = module_commands()
CONFIGURATION = COMMANDS["Config"]
HOST_MENU = ["Dokumenty sprzedaży", "Rejestr JPK", "Koniec"]  # the host's own entries, around the module's


MENU = HOST_MENU[:2] + list(COMMANDS.values()) + HOST_MENU[2:]  # once the module has registered


def wait_for_menu(term, entries):
    """Waits until the main menu lists exactly these entries."""
    return term.window("Menu", until=lambda w: w.entries() == entries, what="listing %r" % entries)


def start_and_register(term):
    screen = term.wait("Zainstalowano wtyczkę: Obsłuż sprzedaż obcą.")
    check(not any(command in screen for command in COMMANDS.values()), "a command in the menu before registration",
          screen)
    term.press("Komunikat programu (1668)", "OK")
    wait_for_menu(term, MENU)
    return term.wait_screen("Menu główne")


def configure_warehouse_3(term, screen):
    files = re.search(r"Pliki programu: (\S+)", screen).group(1)
    komis = os.path.join(unix_path(term.build_dir, files), "komis.cfg")
    term.choose("Menu", CONFIGURATION)
    # No komis.cfg yet: the module warns twice, then the dialog opens with its list.
    term.wait("Nie można otworzyć pliku konfiguracynego do odczytu!")
    term.press("Uwaga", "OK")
    term.press("Uwaga", "OK")
    term.window("Magazyny")
    screen = term.screen()
    check("[ ] Magazyn 3" in screen, "warehouse 3 marked before the person marked it", screen)
    term.select("Magazyny", re.compile(r"\[ \] Magazyn 3 *$"))
    term.keys("Space")
    term.wait("[x] Magazyn 3")
    term.keys("Enter")
    screen = term.wait_window_gone("Magazyny")
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
    term.window("Magazyny")
    screen = term.wait("[x] Magazyn 3")
    check(not os.path.exists(komis), "komis.cfg written before OK", screen)
    term.keys("Enter")
    term.wait_window_gone("Magazyny")
    term.keys("F12")
    screen = term.wait_window_gone("Konfiguracja")
    with open(komis, "rb") as file:
        flags = file.read()
    check(flags == b"\0" * 6 + b"\1\0" + b"\0" * 194, "komis.cfg holds %r" % flags, screen)


INVOICE = "Faktura sprzedaży (rodzaj 24)"


def sell(term):
    term.choose("Menu", "Dokumenty sprzedaży")
    term.wait_screen("Dokumenty sprzedaży")
    term.wait("Brak dokumentów")
    term.keys("F2")
    term.window(INVOICE)
    screen = term.screen()
    check("Numer: FS 5/12/2026" in screen and "Kontrahent: KOWALSKI" in screen, "not a new document for KOWALSKI", screen)
    term.choose(INVOICE, re.compile(r"^ +obraz olejny  mag\. 3 "))  # the painting from warehouse 3
    term.wait(re.compile(r"1\.  obraz olejny +3 +1184\.50"))
    term.keys("F12")
    screen = term.wait("Zatwierdzono FS 5/12/2026 (TMO)")
    check("Numer: FS 6/12/2026" in screen, "no new document after the acceptance", screen)
    term.choose(INVOICE, re.compile(r"^ +kawa  mag\. 1 "))  # coffee from warehouse 1
    term.wait(re.compile(r"1\.  kawa +1 +45\.50"))
    term.keys("F12")
    term.wait("Zatwierdzono FS 6/12/2026 (KOWALSKI)")
    term.keys("Escape")
    term.window("Czekaj")
    term.wait("Trwa zamiana dokumentów - wtyczka Kalwestrowka...")
    term.wait_window_gone("Czekaj")
    term.wait_screen("Dokumenty sprzedaży")
    screen = term.wait("Numer         Kontrahent")
    check(re.search(r"FS 5/12/2026 +TMO +0x0400 +0x0200/0x0007 +1184\.50 +0\.00 +zamieniony", screen),
          "FS 5/12/2026 is not TMO's converted document", screen)
    check(re.search(r"FS 6/12/2026 +KOWALSKI +0x0000 +0x0000/0x0000 +45\.50 +45\.50 *\n", screen),
          "FS 6/12/2026 is not left as it was", screen)
    term.keys("Escape")
    term.wait_screen("Menu główne")


def clean_register(term):
    term.choose("Menu", "Rejestr JPK")
    term.wait_screen("Rejestr JPK")
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
    term.wait_screen("Menu główne")


def end(term):
    term.choose("Menu", "Koniec")
    term.wait("[exit 0]")


def story(term):
    screen = start_and_register(term)
    configure_warehouse_3(term, screen)
    sell(term)
    clean_register(term)
    term.tmux("send-keys", "-R")  # the terminal loses what it showed; Ctrl+L draws it all again
    term.wait("Menu główne", gone=True)
    term.keys("C-l")
    screen = term.wait_screen("Menu główne")
    check("║ " + CONFIGURATION in screen and "Pliki programu:" in screen, "the repaint is not whole", screen)
    end(term)


BINDING_FAILURE = "POWAŻNY BŁĄD WTYCZKI"


def binding(term):
    term.window(BINDING_FAILURE)
    screen = term.screen()
    check("52308" in screen and "[ Przerwij ]  [ Ponów próbę ]  [ Ignoruj ]" in screen, "not the binding dialog", screen)
    term.press(BINDING_FAILURE, "Ponów próbę")  # the same dialog again
    time.sleep(1)
    term.window(BINDING_FAILURE)
    screen = term.screen()
    check("Instalacja" not in screen, "the module went on after Retry", screen)
    term.press(BINDING_FAILURE, "Ignoruj")
    term.wait("Zainstalowano wtyczkę: Obsłuż sprzedaż obcą.")
    term.press("Komunikat programu (1668)", "OK")
    wait_for_menu(term, MENU)
    screen = term.screen()
    answers = re.findall(r'okno "POWAŻNY BŁĄD WTYCZKI": (.+?) *\n', screen)
    check(answers == ["Ponów próbę", "Ignoruj"], "the binding dialog was answered %r" % answers, screen)
    end(term)


def abort(term):
    term.press(BINDING_FAILURE, "Przerwij")
    screen = term.wait("Moduł nie został załadowany.")
    check('okno "POWAŻNY BŁĄD WTYCZKI": Przerwij' in screen, "Abort is not in the start-up report", screen)
    wait_for_menu(term, HOST_MENU)  # the host's own
    end(term)


def report(term):
    term.window("STOP!!!")
    screen = term.screen()
    row, start = row_of(screen, "TABELA")
    lines = screen.split("\n")
    check(lines[row].find("WE WTYCZCE") == start + 18 and lines[row].find("W PROGRAMIE") == start + 33,
          "the header's tab stops l18 l33 are not kept", screen)
    check(lines[row + 1][start:start + 4] == "Tspr" and lines[row + 1][start + 21:start + 25] == "1268"
          and lines[row + 1][start + 36:start + 40] == "1270", "the report line's stops p25 p40 are not kept", screen)
    term.press("STOP!!!", "OK")
    term.wait_screen("Menu główne")
    wait_for_menu(term, HOST_MENU)  # a refused module registers no command
    end(term)


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
