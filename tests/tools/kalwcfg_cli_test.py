#!/usr/bin/env python3
"""kalwcfg as scripts call it: komis.cfg byte for byte, messages, exit status,
files left untouched on every error, and readers during replacement that see
the old or the new file, never a part."""
import os
import subprocess
import sys
import threading
import unittest

from tool_files import FolderTest, flags_bytes

KALWCFG = os.path.abspath(sys.argv.pop(1)) if __name__ == "__main__" else None


class KalwcfgTest(FolderTest):
    def run_tool(self, *args, cwd=None):
        done = subprocess.run([KALWCFG, *args], capture_output=True, cwd=cwd or self.dir)
        return done.returncode, done.stdout.decode("utf-8"), done.stderr.decode("utf-8")

    def write(self, data, name="komis.cfg"):
        with open(os.path.join(self.dir, name), "wb") as f:
            f.write(data)

    def read(self, name="komis.cfg"):
        with open(os.path.join(self.dir, name), "rb") as f:
            return f.read()

    def assert_only(self, *names):
        self.assertEqual(sorted(os.listdir(self.dir)), sorted(names))

    def test_set_creates_the_file_in_the_module_format(self):
        rc, out, _ = self.run_tool("set", self.path, "3", "7", "100")
        self.assertEqual(rc, 0)
        self.assertEqual(self.read(), flags_bytes({3: 1, 7: 1, 100: 1}))
        self.assertIn("(nowy plik): oznaczone magazyny (3): 3, 7, 100", out)
        self.assert_only("komis.cfg")

    def test_show_set_clear_keep_values_the_host_wrote(self):
        self.write(flags_bytes({0: 1, 99: -1, 50: 2}))
        rc, out, _ = self.run_tool("show", self.path)
        self.assertEqual((rc, out.strip()),
                         (0, self.path + ": oznaczone magazyny (3): 0, 50 (wartość 0x0002), 99 (wartość 0xFFFF)"))
        self.assertEqual(self.run_tool("set", self.path, "5", "99")[0], 0)
        self.assertEqual(self.read(), flags_bytes({0: 1, 5: 1, 50: 2, 99: -1}))
        self.assertEqual(self.run_tool("clear", self.path, "0", "50", "6")[0], 0)
        self.assertEqual(self.read(), flags_bytes({5: 1, 99: -1}))
        self.assertEqual(self.run_tool("clear", self.path, "99", "5")[0], 0)
        self.assertEqual(self.read(), bytes(202))
        rc, out, _ = self.run_tool("show", self.path)
        self.assertEqual((rc, out.strip()), (0, self.path + ": żaden magazyn nie jest oznaczony"))
        self.assert_only("komis.cfg")

    def test_show_defaults_to_komis_cfg_in_the_current_folder(self):
        self.write(flags_bytes({12: 1}))
        rc, out, _ = self.run_tool("show")
        self.assertEqual((rc, out.strip()), (0, "komis.cfg: oznaczone magazyny (1): 12"))

    def test_wrong_warehouse_numbers_change_nothing(self):
        original = flags_bytes({4: 1, 99: -1})
        self.write(original)
        before = os.stat(self.path).st_mtime_ns
        for wrong in ["101", "-1", "abc", "", "3.5", "0x10", "1000"]:
            rc, out, err = self.run_tool("set", self.path, "5", wrong)
            self.assertEqual(rc, 2, wrong)
            self.assertEqual(out, "")
            self.assertIn("„" + wrong + "” nie jest numerem magazynu (0..100); plik " + self.path +
                          " nie został zmieniony", err)
        self.assertEqual(self.run_tool("clear", self.path)[0], 2)  # no number at all
        self.assertEqual(self.read(), original)
        self.assertEqual(os.stat(self.path).st_mtime_ns, before)
        # A missing file is not created by a refused command.
        os.remove(self.path)
        self.assertEqual(self.run_tool("set", self.path, "200")[0], 2)
        self.assert_only()

    def test_file_of_another_length_is_refused_and_kept(self):
        for size in [0, 150, 201, 203, 404]:
            original = bytes((i * 7) & 0xFF for i in range(size))
            self.write(original)
            for command in (["set", self.path, "3"], ["clear", self.path, "3"], ["show", self.path]):
                rc, _, err = self.run_tool(*command)
                self.assertEqual(rc, 1, (size, command))
                self.assertIn(self.path + ": plik ma ", err)
                self.assertIn("a plik konfiguracji modułu ma dokładnie 202 bajty", err)
            self.assertEqual(self.read(), original, size)
            self.assert_only("komis.cfg")

    def test_check_says_what_the_module_reads(self):
        self.write(flags_bytes({3: 1, 7: -1}))
        rc, out, _ = self.run_tool("check", self.path)
        self.assertEqual(rc, 0)
        self.assertEqual(out.splitlines(), [self.path + ": 202 bajty, moduł przeczyta ten plik.",
                                            "oznaczone magazyny (2): 3, 7 (wartość 0xFFFF)"])
        self.write(bytes(150))
        rc, out, _ = self.run_tool("check", self.path)
        self.assertEqual(rc, 1)
        self.assertIn("150 bajtów", out)
        self.assertIn("„Błąd podczas czytania konfiguracji!”", out)
        self.write(flags_bytes({9: 1}) + b"tail")
        rc, out, _ = self.run_tool("check", self.path)
        self.assertEqual(rc, 1)
        self.assertIn("Moduł przeczyta tylko pierwsze 202 bajty: oznaczone magazyny (1): 9.", out)
        rc, out, _ = self.run_tool("check", os.path.join(self.dir, "none.cfg"))
        self.assertEqual(rc, 1)
        self.assertIn("„Nie można otworzyć pliku konfiguracynego do odczytu!”", out)

    def test_unreadable_or_unwritable_places(self):
        os.mkdir(os.path.join(self.dir, "folder.cfg"))
        rc, _, err = self.run_tool("set", os.path.join(self.dir, "folder.cfg"), "3")
        self.assertEqual(rc, 1)
        self.assertIn("folder.cfg: nie można odczytać pliku: to jest folder, nie plik; plik nie został zmieniony", err)
        missing_folder = os.path.join(self.dir, "none", "komis.cfg")
        rc, _, err = self.run_tool("set", missing_folder, "3")
        self.assertEqual(rc, 1)
        self.assertIn(missing_folder + ": nie można utworzyć pliku tymczasowego w folderze", err)
        self.assertIn("plik nie został utworzony", err)
        rc, _, err = self.run_tool("clear", self.path, "3")
        self.assertEqual(rc, 1)
        self.assertIn(self.path + ": nie można odczytać pliku: plik lub folder nie istnieje", err)
        self.write(flags_bytes({1: 1}))
        os.chmod(self.path, 0o444)
        for command in ("set", "clear"):
            rc, _, err = self.run_tool(command, self.path, "1")
            self.assertEqual(rc, 1, command)
            self.assertIn(self.path + ": nie można zastąpić pliku: plik jest tylko do odczytu; plik nie został zmieniony",
                          err, command)
            self.assertEqual(self.read(), flags_bytes({1: 1}), command)
        self.assertEqual(os.stat(self.path).st_mode & 0o7777, 0o444)
        os.chmod(self.path, 0o644)
        os.remove(self.path)
        self.assert_only("folder.cfg")

    def test_readers_see_the_old_or_the_new_file(self):
        self.write(flags_bytes({1: 1}))
        states = {flags_bytes({1: 1}), flags_bytes({1: 1, 2: 1})}
        seen = set()
        stop = threading.Event()

        def reader():
            while not stop.is_set():
                with open(self.path, "rb") as f:
                    seen.add(f.read())

        thread = threading.Thread(target=reader)
        thread.start()
        try:
            for turn in range(150):
                self.assertEqual(self.run_tool("set", self.path, "2")[0], 0, f"set, turn {turn}")
                self.assertEqual(self.run_tool("clear", self.path, "2")[0], 0, f"clear, turn {turn}")
        finally:
            stop.set()
            thread.join()
        self.assertTrue(seen <= states, [len(s) for s in seen - states])
        self.assertEqual(seen, states)
        self.assert_only("komis.cfg")

    def test_usage(self):
        for args in ([], ["bogus"], ["check"], ["show", "a", "b"]):
            rc, out, err = self.run_tool(*args)
            self.assertEqual(rc, 2, args)
            self.assertIn("Użycie:", err)


    def test_trace_switch_on_off_and_wrong_choice(self):
        cases = [(("slad", self.dir), 0, "ślad wyłączony", []),
                 (("slad", self.dir, "tak"), 0, "ślad włączony: ", ["Kalwestrowka-slad.cfg"]),
                 (("slad", self.dir), 0, "ślad włączony (", ["Kalwestrowka-slad.cfg"]),
                 (("slad", self.dir, "moze"), 2, "", ["Kalwestrowka-slad.cfg"]),
                 (("slad", self.dir, "nie"), 0, "ślad wyłączony od startu", []),
                 (("slad", self.dir, "nie"), 0, "ślad wyłączony od startu", [])]
        for args, status, said, files in cases:
            rc, out, _ = self.run_tool(*args)
            self.assertEqual((rc, said in out), (status, True), "%s: %d %r" % (args, rc, out))
            self.assert_only(*files)

if __name__ == "__main__":
    unittest.main()
