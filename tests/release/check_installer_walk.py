#!/usr/bin/env python3
"""The installer walked against a model: from a seed, an administrator's random
actions on a shop's folder silently under Wine (installs of this version and
an older one, uninstalls and repairs of a damaged file as the guide and the
entry's commands give them, by a path, a drive letter or a share's name, a file
held open or the folder refusing writes); as soon as a step's command returns,
the folder byte for byte, the list of installed programs and the exit code
against the model.

Usage: check_installer_walk.py <make_dist.py> <guide> <installer.nsi> <version> <TALMER.dll> <wine-run>
                               <hold_file.exe> [--seeds N] [--steps N] [--start SEED] [--jobs N] <file to ship>...
--jobs N: N streams, each in its own copy of the Wine prefix and wineserver.
"""
import argparse
import collections
import contextlib
import hashlib
import os
import random
import shutil
import subprocess
import sys
import tempfile
import time
import zipfile

import pefile

TOOLS = ["kalwcfg.exe", "kalwcheck.exe", "kalwraport.exe", "INSTALACJA.TXT", "PODRECZNIK.TXT"]
SHOP_FILES = ["komis.cfg", "Kalwestrowka.log", "Kalwestrowka-dziennik.csv"]
UNINSTALL = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall"
INSTALLED, NOT_WRITTEN, IN_USE, OLDER_REFUSED, FOREIGN, NOTHING_INSTALLED = 0, 14, 15, 16, 18, 19  # as INSTALACJA.TXT
MODULE_DIR = "Kalwestrowka"
DLL, RECORD, LOG = "Kalwestrowka.dll", f"{MODULE_DIR}/ZAINSTALOWANE.SHA256", f"{MODULE_DIR}/instalacja.log"


def read(path):
    with open(path, "rb") as f:
        return f.read()


def older_version(version):
    """The same number of characters, lower: the last part above 0 made one less."""
    parts = version.split(".")
    last = max(i for i, part in enumerate(parts) if part != "0" and len(str(int(part) - 1)) == len(part))
    parts[last] = str(int(parts[last]) - 1)
    return ".".join(parts)


def with_version(dll, version, older):
    """The DLL's bytes with another version in its resource (fixed and string)."""
    module = pefile.PE(data=read(dll))
    fixed = module.VS_FIXEDFILEINFO[0]
    numbers = [int(part) for part in (older + ".0.0.0").split(".")[:4]]
    fixed.FileVersionMS = fixed.ProductVersionMS = numbers[0] << 16 | numbers[1]
    fixed.FileVersionLS = fixed.ProductVersionLS = numbers[2] << 16 | numbers[3]
    data = bytearray(module.write())
    return bytes(data).replace(version.encode("utf-16-le") + b"\0\0", older.encode("utf-16-le") + b"\0\0")


class Package:
    def __init__(self, work, name, version, files, args):
        out = os.path.join(work, name)
        subprocess.run([sys.executable, args.make_dist, out, version, args.guide, "--installer", args.script, *files],
                       check=True, stdout=subprocess.DEVNULL)
        self.version, self.number = version, [int(part) for part in version.split(".")]
        self.setup = os.path.join(out, f"Kalwestrowka-{version}-setup.exe")
        with zipfile.ZipFile(os.path.join(out, f"Kalwestrowka-{version}.zip")) as archive:
            self.files = {name: archive.read(name) for name in ["Kalwestrowka.dll"] + TOOLS}


class Model:
    """What the folder, the list of installed programs and the exit code must be."""

    def __init__(self, rng):
        self.own = {name: rng.randbytes(rng.randrange(0, 300)) for name in SHOP_FILES if rng.random() < 0.8}
        self.shop_module = b"MZ" + rng.randbytes(60) if rng.random() < 0.6 else None
        self.installed = None       # the package installed, or None
        self.uninstaller_left = False
        self.entry = None           # the folder as the entry names it
        self.damaged = {}           # an installed file's name -> its bytes now (None: deleted); the DLL's: the shop's
        self.hand = None            # the package whose tools were copied by hand beside a leftover uninstaller

    def folder(self):
        files = dict(self.own)
        self.installed_files(files)
        for name, data in self.damaged.items():
            files.pop(name)
            files.update({name: data} if data is not None else {})
        return files

    def installed_files(self, files):
        if self.installed:
            files["Kalwestrowka.dll"] = self.installed.files["Kalwestrowka.dll"]
            for name in TOOLS:
                files[f"{MODULE_DIR}/{name}"] = self.installed.files[name]
            digest, done = hashlib.sha256(files["Kalwestrowka.dll"]).hexdigest(), f"Kalwestrowka {self.installed.version}."
            files[f"{MODULE_DIR}/Odinstaluj.exe"] = lambda data: data[:2] == b"MZ"
            files[f"{MODULE_DIR}/ZAINSTALOWANE.SHA256"] = lambda data: f"{digest}  Kalwestrowka.dll".encode() in data
            files[LOG] = lambda data: done in data.decode("utf-16")
            if self.shop_module is not None:
                files[f"{MODULE_DIR}/Kalwestrowka.dll.kopia"] = self.shop_module
        else:
            if self.shop_module is not None:
                files["Kalwestrowka.dll"] = self.shop_module
            if self.uninstaller_left:  # and the install's log, kept for support
                files[f"{MODULE_DIR}/Odinstaluj.exe"] = lambda data: data[:2] == b"MZ"
                files[LOG] = lambda data: data[:2] == b"\xff\xfe"
            for name in TOOLS if self.hand else []:
                files[f"{MODULE_DIR}/{name}"] = self.hand.files[name]

    def install(self, package, older_accepted, held, refusing, shown):
        """The exit codes it may give: an older version is asked first, new files are written before a move."""
        foreign = self.damaged.get(DLL)  # the shop's own module over the installed one, or a damaged one
        if foreign is not None and self.shop_module is not None:
            return {FOREIGN}  # neither it nor the backup is overwritten
        if foreign is None and self.installed and self.installed.number > package.number and not older_accepted:
            return {OLDER_REFUSED}
        if refusing:
            return {NOT_WRITTEN}
        if held and held in self.folder():
            return {IN_USE}
        self.shop_module = foreign or self.shop_module  # a foreign module becomes the backup
        self.installed, self.entry, self.damaged, self.hand = package, shown, {}, None
        return {INSTALLED}

    def uninstall(self, held, refusing):
        """The exit codes the uninstall may give: its first move is the module's, into the module's folder."""
        if not self.installed:
            return {NOTHING_INSTALLED}  # a leftover uninstaller (beside a hand install or not): nothing goes
        foreign = self.damaged.get(DLL)  # the shop's own module over the installed one, or a damaged one
        if foreign is not None and self.shop_module is not None:
            return {FOREIGN}
        if refusing:  # the first file moved held and its move refused both: the system may say either first
            return {NOT_WRITTEN, IN_USE} if held == (DLL if foreign is None else f"{MODULE_DIR}/kalwcfg.exe") else {NOT_WRITTEN}
        if held and held in self.folder() and (held != DLL or foreign is None):
            return {IN_USE}
        self.shop_module = foreign or self.shop_module  # a foreign module is never removed
        self.installed, self.entry, self.uninstaller_left, self.damaged = None, None, True, {}
        return {INSTALLED}

    def repair(self, held, refusing):
        """The exit codes the repair may give: only damaged files are written again, all or none."""
        if not self.installed:
            return {NOTHING_INSTALLED}
        if self.damaged.get(DLL) is not None:
            return {FOREIGN}  # never overwritten
        if self.damaged and (refusing or self.damaged.get(held) is not None):
            return {NOT_WRITTEN} if refusing else {IN_USE}
        self.damaged = {}
        return {INSTALLED}


class Walk:
    def __init__(self, args, packages, work, seed, steps):
        self.args, self.packages, self.seed, self.steps = args, packages, seed, steps
        self.rng = random.Random(seed)
        self.model = Model(self.rng)
        self.done, self.actions, self.log_seen = [], collections.Counter(), None
        self.shop = os.path.join(work, f"sklep-{seed}")
        os.makedirs(self.shop)
        shutil.copy(args.talmer, os.path.join(self.shop, "TALMER.dll"))
        for name, data in self.model.folder().items():
            self.write(name, data)
        self.names = [self.windows(self.shop)] + args.aliases(self.shop)

    @staticmethod
    def windows(path):
        return "Z:" + path.replace("/", "\\")

    def fail(self, what):
        steps = "\n".join(f"  {i + 1}. {step}" for i, step in enumerate(self.done))
        raise AssertionError(f"seed {self.seed}, step {len(self.done)}: {what}\nsteps:\n{steps}\n"
                             f"replay: {self.args.replay} --start {self.seed} --seeds 1 --steps {self.steps}")

    def wine(self, *command):
        return subprocess.run([self.args.wine_run, *command], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, timeout=300).returncode

    def step(self):
        rng, model = self.rng, self.model
        held = rng.choice([None] * 5 + ["Kalwestrowka.dll", f"{MODULE_DIR}/kalwraport.exe", f"{MODULE_DIR}/kalwcfg.exe"])
        refusing = rng.random() < 0.1 and self.args.can_refuse
        shown = rng.choice(self.names)
        action = rng.choice(["install"] * 3 + ["uninstall"] * bool(model.installed or model.uninstaller_left)
                            + ["repair"] * bool(model.installed or model.uninstaller_left)
                            + ["hand install"] * bool(model.uninstaller_left and not model.installed and not model.hand))
        package, older, how = rng.choice(self.packages), rng.random() < 0.5, rng.choice(["guide", "entry", "quiet"])
        how = how if model.entry else "guide"
        self.actions[f"{action} ({how})" if action != "install" else action] += 1
        if action == "hand install":
            return self.hand_install(package)
        if action == "repair":
            self.damage(rng)
        elif model.installed and rng.random() < 0.3:
            self.change(DLL, b"MZ" + rng.randbytes(rng.randrange(60, 200)), "the shop's own module copied over")
        if action == "uninstall" and model.installed and rng.random() < 0.3:
            self.change(RECORD, None, "deleted")
        self.done.append((f"{action} as the {how} gives it, by {shown}" if action != "install" else
                          f"install {package.version} by {shown}{' /STARSZA' if older else ''}")
                         + (f", {held} held" if held else "") + (", folder refusing writes" if refusing else ""))
        with self.conditions(held, refusing):
            if action == "install":
                rc = self.wine(package.setup, "/S", *(["/STARSZA"] if older else []), "/D=" + shown)
                expected = model.install(package, older, held, refusing, shown)
            else:
                rc = self.run_uninstaller(action, how, shown)
                expected = getattr(model, action)(held, refusing)
        self.compare(rc, expected)
        if model.damaged:  # refused: once more, with nothing held or refusing, the DLL moved away as the 18 says
            if model.damaged.get(DLL) is not None:
                self.change(DLL, None, "moved away")
            self.done.append(f"repair again as the {how} gives it")
            self.compare(self.run_uninstaller("repair", how, shown), model.repair(None, False))

    def hand_install(self, package):  # INSTALACJA's: the DLL into the folder, the tools beside the leftover uninstaller
        self.done.append(f"hand install of {package.version}")
        self.model.hand, self.model.shop_module = package, package.files[DLL]
        for name in [DLL] + TOOLS:
            self.write(name if name == DLL else f"{MODULE_DIR}/{name}", package.files[name])

    def change(self, name, data, what):  # an installed file replaced (or deleted: None) between two runs
        self.model.damaged[name] = data
        os.remove(os.path.join(self.shop, name))
        self.done.append(f"{name} {what}")
        if data is not None:
            self.write(name, data)

    def write(self, name, data):
        with open(os.path.join(self.shop, name), "wb") as f:
            f.write(data)

    def damage(self, rng):
        """An installed file changed or deleted (or, now and then, none)."""
        names = [DLL, RECORD] + [f"{MODULE_DIR}/{name}" for name in TOOLS]
        name, data = rng.choice(names), rng.choice([None, rng.randbytes(rng.randrange(0, 100))])
        if not self.model.installed or rng.random() < 0.2:
            return
        self.change(name, data, "deleted" if data is None else f"overwritten with {len(data)} bytes")

    def run_uninstaller(self, action, how, shown):
        """The uninstall or the repair as the guide gives it, or by the entry's command, silent (/S after the
        program) and started by the drive letter when it names a share, as INSTALACJA.TXT says for Wine."""
        switches = ["/S"] + (["/NAPRAW"] if action == "repair" else [])
        if how == "guide":
            return self.wine(os.path.join(self.shop, MODULE_DIR, "Odinstaluj.exe"), *switches,
                             "_?=" + shown.rstrip("\\") + "\\" + MODULE_DIR)
        value, given = ("ModifyPath", " /NAPRAW") if action == "repair" else \
            {"entry": ("UninstallString", ""), "quiet": ("QuietUninstallString", " /S")}[how]
        in_place = self.model.entry.rstrip("\\") + "\\" + MODULE_DIR
        command = self.entries()[self.entry_key()].get(value)
        if command != f'"{in_place}\\Odinstaluj.exe"{given} _?={in_place}':
            self.fail(f"the entry's {value} is {command!r}, not the uninstaller run in place")
        program = command[1:].split('"')[0]
        if program.startswith(self.names[2]):
            program = self.names[1] + program[len(self.names[2]) + 1:]
        return self.wine(program, *switches, *(word for word in command.split('" ', 1)[1].split() if word not in switches))

    def compare(self, rc, expected):
        """Right after the command has returned: its exit code, the folder and the list against the model."""
        if rc not in expected:
            self.fail(f"exit code {rc}, the model says {sorted(expected)}")
        self.actions[f"exit {rc}"] += 1
        self.compare_folder()
        self.compare_entries()
        self.compare_log(rc)

    def compare_log(self, rc):  # the install's log only grows: every run adds its lines, but one finding nothing
        seen, path = self.log_seen, os.path.join(self.shop, LOG)
        self.log_seen = now = read(path) if os.path.exists(path) else None
        grown = now is not None and now.startswith(seen or b"") and len(now) > len(seen or b"")
        if seen is not None and not (now == seen if rc == NOTHING_INSTALLED else grown):
            self.fail(f"exit code {rc}: instalacja.log went from {len(seen)} bytes to {now and len(now)}")

    @contextlib.contextmanager
    def conditions(self, held, refusing):
        """A file held open and/or the folder that the module goes to made immutable, for one step."""
        holder = self.args.hold(os.path.join(self.shop, held)) if held in self.model.folder() else None
        refused = os.path.join(self.shop, MODULE_DIR) if refusing else None
        if refused:
            refused = refused if os.path.isdir(refused) else self.shop
            subprocess.run(["chattr", "+i", refused], check=True)
        try:
            yield
        finally:
            if refused:
                subprocess.run(["chattr", "-i", refused], check=True)
            if holder:
                holder.stdin.close()
                holder.wait(60)

    def compare_folder(self):
        expected = dict(self.model.folder(), **{"TALMER.dll": read(self.args.talmer)})
        found = {os.path.relpath(os.path.join(root, name), self.shop).replace(os.sep, "/"): read(os.path.join(root, name))
                 for root, _, names in os.walk(self.shop) for name in names}
        if sorted(found) != sorted(expected):
            self.fail(f"the folder holds {sorted(found)}, the model says {sorted(expected)}")
        for name, data in expected.items():
            if not (data(found[name]) if callable(data) else data == found[name]):
                self.fail(f"{name} is not what the model says ({len(found[name])} bytes)")

    def entries(self):
        """The shop's entries in the list of installed programs: key -> {value's name: value}."""
        done = subprocess.run([self.args.wine_run, "reg", "query", UNINSTALL, "/s"], capture_output=True, timeout=120)
        found, key = {}, None
        for line in done.stdout.decode("utf-8", "replace").splitlines():
            if line.startswith("HKEY_"):
                key = line.split("\\Uninstall\\", 1)[-1]
                key = key if key.startswith("Kalwestrowka ") and any(n.replace("\\", "/") in key for n in self.names) else None
                found.update({key: {}} if key else {})
            elif key and len(line.strip().split("    ", 2)) == 3:
                name, _, value = line.strip().split("    ", 2)
                found[key][name] = value
        return found

    def entry_key(self):
        return f"Kalwestrowka {self.model.entry.replace(chr(92), '/')}"

    def compare_entries(self):
        found, model = {key: values.get("DisplayVersion") for key, values in self.entries().items()}, self.model
        expected = {self.entry_key(): model.installed.version} if model.entry else {}
        if found != expected:
            self.fail(f"the list of installed programs has {found}, the model says {expected}")

    def run(self):
        try:
            for _ in range(self.steps):
                self.step()
        finally:
            self.forget_entries()

    def forget_entries(self):  # for the tests after the walk in the shared prefix
        for key in self.entries():
            subprocess.run([self.args.wine_run, "reg", "delete", f"{UNINSTALL}\\{key}", "/f"], capture_output=True)


def parse(argv):
    parser = argparse.ArgumentParser()
    for name in ("make_dist", "guide", "script", "version", "talmer", "wine_run", "hold_file"):
        parser.add_argument(name)
    parser.add_argument("files", nargs="+")
    for name, default in (("--seeds", 2), ("--steps", 20), ("--start", None), ("--jobs", 1)):
        parser.add_argument(name, type=int, default=default)
    args = parser.parse_intermixed_args(argv)
    args.replay = " ".join([sys.executable, os.path.abspath(__file__), *argv])  # the last --start etc. count
    return args


class Wine:
    """The drive letter and the share that name the shop's folder, and the file holder."""

    def __init__(self, args):
        self.args, self.dosdevices = args, os.path.join(os.environ.get("KW_BUILD_DIR", ""), "wineprefix", "dosdevices")
        dosdevices = self.dosdevices
        self.letter = next(c for c in "klmnopqrstuvwxy" if not os.path.lexists(os.path.join(dosdevices, c + ":")))
        self.server = f"kwwalk{os.getpid()}"
        os.makedirs(os.path.join(dosdevices, "unc", self.server))

    def aliases(self, folder):
        links = {f"{self.letter.upper()}:\\": os.path.join(self.dosdevices, self.letter + ":"),
                 f"\\\\{self.server}\\sklep": os.path.join(self.dosdevices, "unc", self.server, "sklep")}
        for link in links.values():
            if os.path.lexists(link):
                os.remove(link)
            os.symlink(folder, link)
        return list(links)

    def close(self):
        if os.path.lexists(os.path.join(self.dosdevices, self.letter + ":")):
            os.remove(os.path.join(self.dosdevices, self.letter + ":"))
        shutil.rmtree(os.path.join(self.dosdevices, "unc", self.server), ignore_errors=True)

    def hold(self, path):
        marker = path + ".held"
        holder = subprocess.Popen([self.args.wine_run, self.args.hold_file, Walk.windows(path), Walk.windows(marker)],
                                  stdin=subprocess.PIPE, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for _ in range(1200):
            if os.path.exists(marker) or holder.poll() is not None:
                break
            time.sleep(0.05)
        if not os.path.exists(marker):
            raise AssertionError(f"hold_file could not open {path}")
        os.remove(marker)
        return holder


def immutable_folders():
    """Whether chattr can make a folder refuse writes here (root on ext4)."""
    return subprocess.run(["chattr", "-i", tempfile.gettempdir()], capture_output=True).returncode == 0


def walk_in_streams(args, argv):
    """The seeds split among --jobs walks of this script, each in its own copy of the Wine prefix with its
    own wineserver; the first failure of each stream is printed by its walk."""
    start = args.start if args.start is not None else random.SystemRandom().randrange(1 << 31)
    build, each, streams, started = os.environ.get("KW_BUILD_DIR", ""), -(-args.seeds // args.jobs), [], time.monotonic()
    for first in range(start, start + args.seeds, each):
        folder = tempfile.mkdtemp(prefix="installer-walk-", dir=build)
        subprocess.run(["cp", "-a", os.path.join(build, "wineprefix"), folder], check=True)
        environment, server = dict(os.environ, KW_BUILD_DIR=folder), dict(WINEPREFIX=f"{folder}/wineprefix")
        for command in (["wineserver", "-p"], [args.wine_run, "--boot"]):  # both stay: no pipe of ours to them
            subprocess.run(command, env=dict(environment, **server), stdin=subprocess.DEVNULL,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        streams.append((folder, server, subprocess.Popen([sys.executable, os.path.abspath(__file__), *argv, "--jobs", "1",
                        "--start", str(first), "--seeds", str(min(each, start + args.seeds - first))], env=environment)))
    failed = [walk.wait() for _, _, walk in streams]
    for folder, server, _ in streams:
        subprocess.run(["wineserver", "-k"], env=dict(os.environ, **server), stdout=subprocess.DEVNULL)
        shutil.rmtree(folder, ignore_errors=True)
    print(f"{args.seeds} seeds of {args.steps} steps from {start} in {len(streams)} streams: "
          f"{'FAILED' if any(failed) else 'passed'}, {time.monotonic() - started:.0f} s", flush=True)
    sys.exit(1 if any(failed) else 0)


def main(argv):
    args = parse(argv)
    if args.jobs > 1:
        return walk_in_streams(args, argv)
    args.can_refuse = immutable_folders()
    if not args.can_refuse:
        print("chattr +i does not stop writes here (not root, or not ext4): no folder refuses writing in this walk")
    wine = Wine(args)
    args.aliases, args.hold = wine.aliases, wine.hold
    work = tempfile.mkdtemp(prefix="kw-installer-walk-")
    try:
        dll = next(path for path in args.files if os.path.basename(path) == "Kalwestrowka.dll")
        older = older_version(args.version)
        older_dir = os.path.join(work, "older")
        os.makedirs(older_dir)
        with open(os.path.join(older_dir, "Kalwestrowka.dll"), "wb") as f:
            f.write(with_version(dll, args.version, older))
        older_files = [os.path.join(older_dir, "Kalwestrowka.dll") if path == dll else path for path in args.files]
        packages = [Package(work, "new", args.version, args.files, args),
                    Package(work, "old", older, older_files, args)]
        start = args.start if args.start is not None else random.SystemRandom().randrange(1 << 31)
        started = time.monotonic()
        for seed in range(start, start + args.seeds):
            walk = Walk(args, packages, work, seed, args.steps)
            walk.run()
            print(f"seed {seed}: {args.steps} steps walked: {dict(sorted(walk.actions.items()))}", flush=True)
        print(f"{args.seeds} seeds of {args.steps} steps from {start}: {time.monotonic() - started:.0f} s")
    finally:
        wine.close()
        subprocess.run(["chattr", "-R", "-i", work], capture_output=True)
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    try:
        main(sys.argv[1:])
    except AssertionError as failure:
        sys.exit(f"FAIL {failure}")
