#!/usr/bin/env python3
"""Makes the release package twice, the second time from copies of the inputs
with other modification times and permissions, and checks it:

- the two zips are the same bytes;
- it is Kalwestrowka-<version>.zip and holds exactly the given files, the
  installer Kalwestrowka-<version>-setup.exe, INSTALACJA.TXT and SHA256SUMS,
  sorted, with one fixed time stamp and fixed attributes; the files are the
  given files byte for byte (unsigned; a text, *.TXT, in code page 1250 with
  CR LF); the installer beside the zip is the one
  in it, a 32-bit Windows program, the same bytes from both runs;
- SHA256SUMS names every other file with its SHA-256;
- INSTALACJA.TXT is in code page 1250 with CR LF line ends and tells where the
  DLL goes, what the host shows, how to set the warehouses, how to uninstall,
  how to check the files (with kalwcheck, also on Windows XP), how the
  installer is used, silently too, on a drive's root and a share, with its
  exit codes, and how to run the tools after a manual install.

Usage: check_dist_package.py <make_dist.py> <guide> <installer.nsi> <version> <work dir> <file>...
"""
import hashlib
import os
import re
import shutil
import subprocess
import sys
import zipfile

from byte_compare import first_difference

KEY_LINES = [
    "Zainstalowano wtyczkę: Obsłuż sprzedaż obcą.",
    "Konfiguracja spr.obcej",
    "obok jego plików",
    "Klawiszem Spacja zaznacz",
    "Klawisz F2 otwiera listę magazynów",
    "F12 (OK) zapisuje wybór w pliku komis.cfg.",
    "Esc zamyka okno bez zapisu",
    "6. Odinstalowanie",
    "Usuń plik Kalwestrowka.dll z folderu programu.",
    "certutil -hashfile Kalwestrowka.dll SHA256",
    "Instalator",
    "Kalwestrowka.dll.kopia",
    "Instalacja bez pytań",
    "/S /D=C:\\PROGRAM",
    "/ZASLEPKI",
    "/RAPORT=",
    "Odinstaluj.exe /S _?=",
    "/S /D=S:\\",
    "/S /D=\\\\serwer\\udział",
    "cd /d C:\\PROGRAM",
    "pushd \\\\serwer\\udział",
    "Kalwestrowka\\kalwcfg show",
    "kalwcheck --sha256 --lista SHA256SUMS",
]
# The NSIS stub's own exit codes (1 cancelled, 2 could not run), which the
# guide explains beside the installer's.
STUB_EXIT_CODES = {1, 2}


def exit_codes(script):
    """The exit codes the installer's script defines (!define EXIT_... N), and the stub's."""
    with open(script, encoding="utf-8") as f:
        return sorted({int(code) for code in re.findall(r"^!define EXIT_\w+ (\d+)$", f.read(), re.M)}
                      | STUB_EXIT_CODES)


def make(make_dist, guide, script, version, output_dir, files):
    subprocess.run([sys.executable, make_dist, output_dir, version, guide, "--installer", script, *files],
                   check=True, stdout=subprocess.DEVNULL)
    return os.path.join(output_dir, f"Kalwestrowka-{version}.zip")


def touched_copies(files, folder):
    os.makedirs(folder)
    copies = []
    for path in files:
        copy = os.path.join(folder, os.path.basename(path))
        shutil.copyfile(path, copy)
        os.chmod(copy, 0o600)
        os.utime(copy, (86400 * 365 * 40, 86400 * 365 * 40))
        copies.append(copy)
    return copies


def check_guide(text, version, names, codes, fail):
    if not text.endswith(b"\r\n") or text.replace(b"\r\n", b"").count(b"\n") or b"\r" in text.replace(b"\r\n", b""):
        fail("INSTALACJA.TXT: every line must end with CR LF")
    try:
        text.decode("utf-8")
        fail("INSTALACJA.TXT is still UTF-8, not code page 1250")
    except UnicodeDecodeError:
        pass
    guide = text.decode("cp1250")
    code_lines = [f"{code:>5} - " for code in codes]
    for line in KEY_LINES + code_lines + [f"Kalwestrowka {version}"] + [f"  {name} " for name in names]:
        if line not in guide:
            fail(f"INSTALACJA.TXT lacks {line!r}")


def check_sums(text, members, fail):
    expected = {name: hashlib.sha256(data).hexdigest()
                for name, data in members.items() if name != "SHA256SUMS"}
    listed = {}
    for line in text.decode("ascii").split("\r\n")[:-1]:
        digest, name = line.split("  ", 1)
        listed[name] = digest
    if listed != expected:
        fail(f"SHA256SUMS lists {listed}, the files have {expected}")


def main(make_dist, guide, script, version, work_dir, *files):
    failures = []
    fail = failures.append
    shutil.rmtree(work_dir, ignore_errors=True)
    first = make(make_dist, guide, script, version, os.path.join(work_dir, "first"), files)
    second = make(make_dist, guide, script, version, os.path.join(work_dir, "second"),
                  touched_copies(files, os.path.join(work_dir, "inputs")))
    offset = first_difference(open(first, "rb").read(), open(second, "rb").read())
    if offset is not None:
        fail(f"two packages of the same files differ first at offset {offset:#x}")

    with zipfile.ZipFile(first) as archive:
        if archive.testzip() is not None:
            fail(f"damaged entry {archive.testzip()}")
        setup = f"Kalwestrowka-{version}-setup.exe"
        names = sorted({os.path.basename(f) for f in files} | {"INSTALACJA.TXT", "SHA256SUMS", setup})
        if archive.namelist() != names:
            fail(f"the package holds {archive.namelist()}, expected {names} in this order")
        for info in archive.infolist():
            if info.date_time != (1980, 1, 1, 0, 0, 0) or info.create_system != 0 or info.external_attr != 0x20:
                fail(f"{info.filename}: time {info.date_time}, system {info.create_system}, "
                     f"attributes {info.external_attr:#x}")
        members = {name: archive.read(name) for name in archive.namelist()}
    for path in files:
        shipped = open(path, "rb").read()
        if path.endswith(".TXT"):  # a text: UTF-8 here, for Notepad in the package
            shipped = ("\r\n".join(shipped.decode("utf-8").splitlines()) + "\r\n").encode("cp1250")
        if members.get(os.path.basename(path)) != shipped:
            fail(f"{os.path.basename(path)} in the package is not the given file (a text in code page 1250, CR LF)")
    installer = os.path.join(os.path.dirname(first), setup)
    if not os.path.exists(installer) or members.get(setup) != open(installer, "rb").read():
        fail(f"{setup} beside the zip is not the one in it")
    elif members[setup][:2] != b"MZ" or b"PE\0\0\x4c\x01" not in members[setup][:1024]:
        fail(f"{setup} is not a 32-bit Windows program")
    if "SHA256SUMS" in members:
        check_sums(members["SHA256SUMS"], members, fail)
    if "INSTALACJA.TXT" in members:
        check_guide(members["INSTALACJA.TXT"], version, names, exit_codes(script), fail)

    for failure in failures:
        print("FAIL:", failure)
    if not failures:
        print(f"{os.path.basename(first)}: {', '.join(names)}")
        shutil.rmtree(work_dir, ignore_errors=True)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
