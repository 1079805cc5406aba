#!/usr/bin/env python3
"""Makes the release package <output dir>/Kalwestrowka-<version>.zip and, with
--installer, the installer <output dir>/Kalwestrowka-<version>-setup.exe.

The package holds the given files (the DLL, the administrator tools when
they are built, the shop's guide PODRECZNIK.TXT), the installer when it is
made, INSTALACJA.TXT (the installation guide) and SHA256SUMS (sha256sum's
format, CR LF) of the files as they ship. The texts (*.TXT) are UTF-8 here and
ship converted to code page 1250 with CR LF line ends, for Notepad on old
Windows.

The files are copied into a staging folder (a temporary folder, removed at the
end); with a certificate (--sign-pfx, its password in the file --sign-pass-file)
those copies, the uninstaller as makensis writes it (makensis runs
make_dist.py --sign-uninstaller FILE, the settings in its environment) and then
the installer get an Authenticode signature from osslsigncode. The password
travels as a file name only and nothing of the key is printed or written
anywhere but into the signatures. The built files themselves are never changed.

It prints what it made with the sizes (the README's sizes are these).

The installer is made by makensis from release/installer/Kalwestrowka.nsi with
the staged files; its version, product name and publisher are read from the
DLL's version resource (FileVersion, which must be <version>, ProductName,
CompanyName when the resource has one).

Without a certificate the same inputs give the same bytes: entries sorted by
name, one fixed time stamp, fixed attributes, fixed compression.

Usage: make_dist.py <output dir> <version> <guide in UTF-8> [--installer <script.nsi>]
                    [--sign-pfx <file.pfx> [--sign-pass-file <file>] [--timestamp-url <url>]]
                    <file>...
       make_dist.py --sign-uninstaller <file>   (for makensis: signs the file in place)
The signing options may also come from the environment (make dist SIGN_PFX=...):
KW_SIGN_PFX, KW_SIGN_PASS_FILE, KW_SIGN_TIMESTAMP_URL.
"""
import argparse
import hashlib
import os
import subprocess
import sys
import tempfile
import zipfile

import pefile

# What each file is, for the guide's list of the package's contents.
DESCRIPTIONS = {
    "Kalwestrowka.dll": "wtyczka",
    "kalwcfg.exe": "ustawia magazyny komisowe w pliku komis.cfg",
    "kalwcheck.exe": "sprawdza, czy wtyczka zwiąże się z programem, i sumy plików",
    "kalwraport.exe": "rozliczenie miesiąca z dziennika wtyczki, dla księgowej",
    "PODRECZNIK.TXT": "podręcznik dla sklepu: praca z wtyczką, jej komunikaty, dziennik, rozliczenie",
    "SHA256SUMS": "sumy kontrolne SHA-256 plików z paczki",
    "INSTALACJA.TXT": "ten opis",
}
INSTALLER_DESCRIPTION = "instalator wtyczki (sprawdza program, robi kopię, odinstalowuje)"
GUIDE = "INSTALACJA.TXT"
SUMS = "SHA256SUMS"
MODULE = "Kalwestrowka.dll"
# What the installer carries; it is made only when all of them are given.
INSTALLER_FILES = (MODULE, "kalwcfg.exe", "kalwcheck.exe", "kalwraport.exe", "PODRECZNIK.TXT")
# The installer's record of what it writes (SHA256SUMS' format): by it a later
# install knows the Kalwestrowka.dll an install put there from the shop's own.
INSTALL_RECORD = "ZAINSTALOWANE.SHA256"
# What the uninstaller's repair checks the installed files against: the record
# and the record's own sum (only inside the uninstaller, never installed).
REPAIR_LIST = "NAPRAWA.SHA256"
TEXT_SUFFIX = ".TXT"
SIGNED_SUFFIXES = (".dll", ".exe")
SIGNING_ENVIRONMENT = ("KW_SIGN_PFX", "KW_SIGN_PASS_FILE", "KW_SIGN_TIMESTAMP_URL")
TIME_STAMP = (1980, 1, 1, 0, 0, 0)
MSDOS = 0
ARCHIVE_ATTRIBUTE = 0x20


def installer_name(version):
    return f"Kalwestrowka-{version}-setup.exe"


def windows_text(text):
    lines = text.replace("\r\n", "\n").rstrip("\n").split("\n")
    return ("\r\n".join(lines) + "\r\n").encode("cp1250")


def describe(name):
    if name.endswith("-setup.exe"):
        return INSTALLER_DESCRIPTION
    return DESCRIPTIONS[name]


def guide(source, version, names):
    width = max(len(name) for name in names)
    contents = "\n".join(f"  {name.ljust(width)}  - {describe(name)}" for name in names)
    with open(source, encoding="utf-8") as text:
        return windows_text(text.read().replace("@VERSION@", version).replace("@CONTENTS@", contents))


def checksums(members):
    return windows_text("".join(f"{hashlib.sha256(data).hexdigest()}  {name}\n"
                                for name, data in sorted(members.items())))


def entry(name):
    info = zipfile.ZipInfo(name, TIME_STAMP)
    info.create_system = MSDOS
    info.external_attr = ARCHIVE_ATTRIBUTE
    info.compress_type = zipfile.ZIP_DEFLATED
    return info


def version_strings(dll_path):
    """The DLL's version resource: its one string table as a dict."""
    module = pefile.PE(dll_path)
    strings = {}
    for info in getattr(module, "FileInfo", [[]])[0]:
        if info.Key == b"StringFileInfo":
            for table in info.StringTable:
                strings.update({k.decode(): v.decode() for k, v in table.entries.items()})
    module.close()
    return strings


class Signer:
    """osslsigncode with a PKCS#12 file; the password from a file."""

    def __init__(self, pfx, pass_file, timestamp_url):
        for what, path in (("certificate", pfx), ("password file", pass_file)):
            if path and not os.path.isfile(path):
                sys.exit(f"make_dist.py: the {what} {path} is not a readable file")
        self.pfx, self.pass_file, self.timestamp_url = pfx, pass_file, timestamp_url

    def sign(self, path, description):
        signed = path + ".signed"
        command = ["osslsigncode", "sign", "-pkcs12", self.pfx, "-h", "sha256", "-n", description]
        if self.pass_file:
            command += ["-readpass", self.pass_file]
        if self.timestamp_url:
            command += ["-ts", self.timestamp_url]
        command += ["-in", path, "-out", signed]
        done = subprocess.run(command, stdin=subprocess.DEVNULL, capture_output=True, text=True)
        if done.returncode != 0 or not os.path.isfile(signed):
            # osslsigncode's own message names the files and the reason, never the password.
            sys.exit(f"make_dist.py: signing {os.path.basename(path)} failed:\n{done.stdout}{done.stderr}")
        os.replace(signed, path)


    def environment(self):
        """The settings for make_dist.py --sign-uninstaller, run by makensis."""
        return dict(zip(SIGNING_ENVIRONMENT, (self.pfx, self.pass_file or "", self.timestamp_url or "")))


def nsis_string(text):
    return text.replace("$", "$$").replace('"', '$\\"')


def sign_uninstaller_command():
    """What makensis runs on the uninstaller it writes (%1: the file), in an NSIS string in single quotes."""
    command = f'"{sys.executable}" "{os.path.abspath(__file__)}" --sign-uninstaller "%1"'
    if "'" in command or "$" in command:
        sys.exit(f"make_dist.py: the uninstaller cannot be signed from a path with ' or $: {command}")
    return command


def installed_kilobytes(stage):
    """What the installer writes from the stage, in whole kilobytes a file."""
    names = INSTALLER_FILES + (GUIDE, INSTALL_RECORD)
    return sum((os.path.getsize(os.path.join(stage, name)) + 1023) // 1024 for name in names)


def make_installer(script, stage, version, strings, output, signer):
    """makensis over the staged files; the result at output."""
    if strings.get("FileVersion") != version:
        sys.exit(f"make_dist.py: {MODULE} has version {strings.get('FileVersion')!r}, the package {version!r}")
    defines = os.path.join(stage, "defines.nsh")
    with open(defines, "w", encoding="utf-8-sig") as f:
        for name, value in (("VERSION", version), ("PRODUCT", strings.get("ProductName", "Kalwestrowka")),
                            ("PUBLISHER", strings.get("CompanyName", "")), ("STAGE", stage),
                            ("OUTFILE", output), ("INSTALLED_KB", str(installed_kilobytes(stage)))):
            f.write(f'!define {name} "{nsis_string(value)}"\n')
        if signer:
            f.write(f"!define SIGN_UNINSTALLER '{sign_uninstaller_command()}'\n")
    environment = dict(os.environ, **(signer.environment() if signer else {}))
    done = subprocess.run(["makensis", "-V2", "-WX", "-INPUTCHARSET", "UTF8", f"-X!include \"{defines}\"", script],
                          stdin=subprocess.DEVNULL, capture_output=True, text=True, env=environment)
    if done.returncode != 0 or not os.path.isfile(output):
        sys.exit(f"make_dist.py: makensis failed:\n{done.stdout}{done.stderr}")


def size_text(size):
    return f"{size // 1024} KB ({size} bytes)" if size >= 1024 else f"{size} bytes"


def main(argv):
    if argv[:1] == ["--sign-uninstaller"] and len(argv) == 2:
        pfx, pass_file, timestamp_url = (os.environ.get(name, "") for name in SIGNING_ENVIRONMENT)
        Signer(pfx, pass_file, timestamp_url).sign(argv[1], "Kalwestrowka - odinstalowanie")
        return
    parser = argparse.ArgumentParser(description="Makes the release package.")
    parser.add_argument("output_dir")
    parser.add_argument("version")
    parser.add_argument("guide_source")
    parser.add_argument("files", nargs="+")
    parser.add_argument("--installer", help="the installer's NSIS script")
    parser.add_argument("--sign-pfx", default=os.environ.get("KW_SIGN_PFX", ""))
    parser.add_argument("--sign-pass-file", default=os.environ.get("KW_SIGN_PASS_FILE", ""))
    parser.add_argument("--timestamp-url", default=os.environ.get("KW_SIGN_TIMESTAMP_URL", ""))
    args = parser.parse_intermixed_args(argv)
    version = args.version

    members = {}
    sources = {}
    for path in args.files:
        name = os.path.basename(path)
        with open(path, "rb") as data:
            members[name] = data.read()
        if name.endswith(TEXT_SUFFIX):
            members[name] = windows_text(members[name].decode("utf-8"))
        sources[name] = path
    unknown = sorted(set(members) - set(DESCRIPTIONS))
    if unknown:
        sys.exit(f"make_dist.py: no description of {', '.join(unknown)} for {GUIDE}")
    if (args.sign_pass_file or args.timestamp_url) and not args.sign_pfx:
        sys.exit("make_dist.py: a password file or time-stamp server without a certificate (SIGN_PFX)")
    signer = Signer(args.sign_pfx, args.sign_pass_file, args.timestamp_url) if args.sign_pfx else None
    setup = installer_name(version)
    with_installer = bool(args.installer) and all(name in members for name in INSTALLER_FILES)
    if args.installer and not with_installer:
        print(f"make_dist.py: no installer: it needs {', '.join(INSTALLER_FILES)}")

    os.makedirs(args.output_dir, exist_ok=True)
    with tempfile.TemporaryDirectory(prefix="kw-dist-") as stage:
        for name, data in members.items():
            staged = os.path.join(stage, name)
            with open(staged, "wb") as f:
                f.write(data)
            if signer and name.endswith(SIGNED_SUFFIXES):
                signer.sign(staged, "Kalwestrowka")
                with open(staged, "rb") as f:
                    members[name] = f.read()
        names = sorted(set(members) | {GUIDE, SUMS} | ({setup} if with_installer else set()))
        members[GUIDE] = guide(args.guide_source, version, names)
        if with_installer:
            with open(os.path.join(stage, GUIDE), "wb") as f:
                f.write(members[GUIDE])
            record = checksums({name: members[name] for name in INSTALLER_FILES + (GUIDE,)})
            with open(os.path.join(stage, INSTALL_RECORD), "wb") as f:
                f.write(record)
            with open(os.path.join(stage, REPAIR_LIST), "wb") as f:
                f.write(record + checksums({INSTALL_RECORD: record}))
            staged = os.path.join(stage, setup)
            make_installer(os.path.abspath(args.installer), stage, version,
                           version_strings(sources[MODULE]), staged, signer)
            if signer:
                signer.sign(staged, "Kalwestrowka - instalator")
            with open(staged, "rb") as f:
                members[setup] = f.read()
        members[SUMS] = checksums(members)

    package = os.path.join(args.output_dir, f"Kalwestrowka-{version}.zip")
    with zipfile.ZipFile(package + ".part", "w") as archive:
        for name in sorted(members):
            archive.writestr(entry(name), members[name], compresslevel=9)
    os.replace(package + ".part", package)
    print(f"{package}: {size_text(os.path.getsize(package))}")
    for name in sorted(members):
        print(f"  {name}: {size_text(len(members[name]))}")
    if with_installer:
        installer = os.path.join(args.output_dir, setup)
        with open(installer + ".part", "wb") as f:
            f.write(members[setup])
        os.replace(installer + ".part", installer)
        print(f"{installer}: {size_text(os.path.getsize(installer))}")
    if signer:
        signed = sorted(n for n in members if n.endswith(SIGNED_SUFFIXES)) + (["Odinstaluj.exe in the installer"]
                                                                             if with_installer else [])
        print("signed (Authenticode): " + ", ".join(signed))
    else:
        print("unsigned: no certificate given (make dist SIGN_PFX=file.pfx SIGN_PASS_FILE=file signs the files)")


if __name__ == "__main__":
    main(sys.argv[1:])
