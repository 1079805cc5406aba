#!/usr/bin/env python3
"""The release package signed with a throwaway certificate authority and a
code-signing certificate made here with openssl (in a temporary folder, no
time-stamp server, no network):

- every signed file (the DLL, the tools, the installer, in the zip and beside
  it) verifies against that authority with osslsigncode, and not against
  another authority;
- one changed byte in a signed file makes verification fail;
- SHA256SUMS lists the signed files; the DLL without its signature is the
  built DLL byte for byte, and the built files are not changed;
- the password and the key appear in no output and in no file written;
- the signed installer installs under Wine (its own check of itself passes),
  and the uninstaller it leaves in the shop's folder is signed too;
- a package made without a certificate is unsigned: osslsigncode finds no
  signature in its files.

Usage: check_signing.py <make_dist.py> <guide> <installer.nsi> <version> <TALMER.dll> <wine-run> <file>...
"""
import hashlib
import os
import secrets
import shutil
import subprocess
import sys
import tempfile
import time
import zipfile

from check_dist_package import check_sums

SIGNED = ("Kalwestrowka.dll", "kalwcfg.exe", "kalwcheck.exe", "kalwraport.exe")
UNINSTALL = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall"
OPENSSL_CONFIG = """\
[req]
distinguished_name = dn
prompt = no
[dn]
CN = {name}
[ca]
basicConstraints = critical, CA:TRUE
keyUsage = critical, keyCertSign, cRLSign
subjectKeyIdentifier = hash
[code_signing]
basicConstraints = critical, CA:FALSE
keyUsage = critical, digitalSignature
extendedKeyUsage = codeSigning
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
"""


def openssl(folder, *args):
    subprocess.run(["openssl", *args], cwd=folder, check=True, capture_output=True)


def authority(folder, name):
    """A certificate authority: <name>.pem and <name>.key in the folder."""
    config = os.path.join(folder, f"{name}.cnf")
    with open(config, "w") as f:
        f.write(OPENSSL_CONFIG.format(name=f"Kalwestrowka test {name}"))
    openssl(folder, "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", f"{name}.key",
            "-out", f"{name}.pem", "-days", "2", "-config", config, "-extensions", "ca")
    return os.path.join(folder, f"{name}.pem")


def code_signing_pfx(folder, password_file):
    config = os.path.join(folder, "ca.cnf")
    openssl(folder, "req", "-newkey", "rsa:2048", "-nodes", "-keyout", "signer.key", "-out", "signer.csr",
            "-subj", "/CN=Kalwestrowka test signer")
    openssl(folder, "x509", "-req", "-in", "signer.csr", "-CA", "ca.pem", "-CAkey", "ca.key", "-CAcreateserial",
            "-out", "signer.pem", "-days", "2", "-extfile", config, "-extensions", "code_signing")
    openssl(folder, "pkcs12", "-export", "-out", "signer.pfx", "-inkey", "signer.key", "-in", "signer.pem",
            "-certfile", "ca.pem", "-passout", f"file:{password_file}")
    return os.path.join(folder, "signer.pfx")


def verify(path, ca):
    done = subprocess.run(["osslsigncode", "verify", "-CAfile", ca, "-in", path], capture_output=True, text=True)
    return done.returncode, done.stdout + done.stderr


def read(path):
    with open(path, "rb") as f:
        return f.read()


def digest(path):
    return hashlib.sha256(read(path)).hexdigest()


def first_section_byte(path):
    """An offset inside the first section's raw data (code, covered by the signature)."""
    import pefile
    module = pefile.PE(path, fast_load=True)
    section = module.sections[0]
    return section.PointerToRawData + section.SizeOfRawData // 2


def main(make_dist, guide, script, version, talmer, wine_run, *files):
    failures = []
    fail = failures.append
    work = tempfile.mkdtemp(prefix="kw-signing-")
    keys = os.path.join(work, "keys")
    os.mkdir(keys)
    password = "hasło-" + secrets.token_hex(12)
    password_file = os.path.join(keys, "password")
    with open(password_file, "w", encoding="utf-8") as f:
        f.write(password)
    ca = authority(keys, "ca")
    other_ca = authority(keys, "other")
    pfx = code_signing_pfx(keys, password_file)
    key_bytes = read(os.path.join(keys, "signer.key"))
    built = {os.path.basename(path): digest(path) for path in files}

    def package(folder, *signing):
        started = time.monotonic()
        done = subprocess.run([sys.executable, make_dist, folder, version, guide, "--installer", script,
                               *signing, *files], capture_output=True, text=True)
        print(f"make_dist.py {'signed' if signing else 'unsigned'}: {time.monotonic() - started:.1f} s")
        if done.returncode != 0:
            fail(f"make_dist.py failed: {done.stdout}{done.stderr}")
        return done.stdout + done.stderr

    signed_dir = os.path.join(work, "signed")
    output = package(signed_dir, "--sign-pfx", pfx, "--sign-pass-file", password_file)
    setup = f"Kalwestrowka-{version}-setup.exe"
    if password in output:
        fail("make_dist.py printed the password")
    if not any(line.startswith("signed (Authenticode): ") for line in output.splitlines()):
        fail(f"make_dist.py does not say the files are signed: {output!r}")
    for root, _, names in os.walk(signed_dir):
        for name in names:
            data = read(os.path.join(root, name))
            if password.encode() in data or key_bytes in data:
                fail(f"{name} holds the password or the key")
    if sorted(os.listdir(signed_dir)) != sorted([f"Kalwestrowka-{version}.zip", setup]):
        fail(f"the output folder holds {sorted(os.listdir(signed_dir))}")

    unpacked = os.path.join(work, "unpacked")
    with zipfile.ZipFile(os.path.join(signed_dir, f"Kalwestrowka-{version}.zip")) as archive:
        archive.extractall(unpacked)
        members = {name: archive.read(name) for name in archive.namelist()}
    check_sums(members["SHA256SUMS"], members, fail)
    if members.get(setup) != read(os.path.join(signed_dir, setup)):
        fail("the installer beside the zip is not the one in it")

    for name in SIGNED + (setup,):
        path = os.path.join(unpacked, name)
        rc, text = verify(path, ca)
        if rc != 0 or "Signature verification: ok" not in text:
            fail(f"{name} does not verify against the test authority: {text}")
        rc, text = verify(path, other_ca)
        if rc == 0:
            fail(f"{name} verifies against another authority")
        changed = bytearray(read(path))
        changed[first_section_byte(path)] ^= 0x01
        changed_path = path + ".changed"
        with open(changed_path, "wb") as f:
            f.write(changed)
        rc, text = verify(changed_path, ca)
        if rc == 0:
            fail(f"{name} with one changed byte still verifies")
        print(f"{name}: signed, verifies; one changed byte: rejected")

    stripped = os.path.join(work, "stripped.dll")
    subprocess.run(["osslsigncode", "remove-signature", "-in", os.path.join(unpacked, "Kalwestrowka.dll"),
                    "-out", stripped], check=True, capture_output=True)
    module = next(path for path in files if os.path.basename(path) == "Kalwestrowka.dll")
    if read(stripped) != read(module):
        fail("the signed DLL without its signature is not the built DLL")
    if {os.path.basename(path): digest(path) for path in files} != built:
        fail("signing changed a built file")

    # The signed installer checks itself and installs.
    shop = os.path.join(work, "shop")
    os.mkdir(shop)
    shutil.copy(talmer, os.path.join(shop, "TALMER.dll"))
    windows_shop = "Z:" + shop.replace("/", "\\")
    rc = subprocess.run([wine_run, os.path.join(signed_dir, setup), "/S", "/D=" + windows_shop],
                        capture_output=True).returncode
    installed = os.path.join(shop, "Kalwestrowka.dll")
    if rc != 0 or not os.path.exists(installed) or read(installed) != members["Kalwestrowka.dll"]:
        fail(f"the signed installer did not install the signed DLL (exit {rc})")
    module_dir = os.path.join(shop, "Kalwestrowka")
    uninstaller = os.path.join(module_dir, "Odinstaluj.exe")
    if not os.path.exists(uninstaller):
        fail("the signed installer left no Odinstaluj.exe")
    else:
        rc, text = verify(uninstaller, ca)
        if rc != 0 or "Signature verification: ok" not in text:
            fail(f"the installed Odinstaluj.exe does not verify against the test authority: {text}")
        if verify(uninstaller, other_ca)[0] == 0:
            fail("the installed Odinstaluj.exe verifies against another authority")
        print("Odinstaluj.exe, as the signed installer writes it: signed, verifies")
        rc = subprocess.run([wine_run, os.path.join(module_dir, "Odinstaluj.exe"), "/S",
                             "_?=" + windows_shop + "\\Kalwestrowka"], capture_output=True).returncode
        if rc != 0 or os.path.exists(installed):
            fail(f"the uninstaller left the DLL (exit {rc})")
    subprocess.run([wine_run, "reg", "delete", UNINSTALL + "\\Kalwestrowka " + windows_shop.replace("\\", "/"), "/f"],
                   capture_output=True)

    unsigned_dir = os.path.join(work, "unsigned")
    output = package(unsigned_dir)
    if "unsigned: " not in output:
        fail(f"an unsigned package does not say so: {output!r}")
    with zipfile.ZipFile(os.path.join(unsigned_dir, f"Kalwestrowka-{version}.zip")) as archive:
        archive.extractall(os.path.join(work, "unsigned-files"))
    for name in SIGNED + (setup,):
        rc, text = verify(os.path.join(work, "unsigned-files", name), ca)
        if rc == 0 or "No signature found" not in text:
            fail(f"unsigned {name}: osslsigncode says {text!r}")

    for failure in failures:
        print("FAIL:", failure)
    if not failures:
        shutil.rmtree(work, ignore_errors=True)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
