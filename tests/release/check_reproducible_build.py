#!/usr/bin/env python3
"""Builds Kalwestrowka.dll a second time, from a copy of the sources in another
folder into another build folder, and compares it byte for byte with the
main build's DLL. Only the DLL's target is built there.

Usage: check_reproducible_build.py <source dir> <main build's DLL> <work dir>
"""
import os
import shutil
import subprocess
import sys

import pefile

from byte_compare import first_difference


def is_build_output(path):
    return os.path.exists(os.path.join(path, "CMakeCache.txt"))


def copy_sources(source_dir, target):
    def ignored(folder, names):
        if os.path.abspath(folder) != os.path.abspath(source_dir):
            return []
        return [n for n in names
                if n in (".git", "dist") or is_build_output(os.path.join(folder, n))]
    shutil.copytree(source_dir, target, ignore=ignored, symlinks=True)


def where(dll_path, offset):
    module = pefile.PE(dll_path, fast_load=True)
    for section in module.sections:
        start = section.PointerToRawData
        if start <= offset < start + section.SizeOfRawData:
            return f"in section {section.Name.rstrip(bytes(1)).decode()}"
    return "in the headers" if offset < module.OPTIONAL_HEADER.SizeOfHeaders else "past the sections"


def main(source_dir, main_dll, work_dir):
    shutil.rmtree(work_dir, ignore_errors=True)
    sources = os.path.join(work_dir, "sources-elsewhere")
    build = os.path.join(work_dir, "another-build-folder")
    copy_sources(source_dir, sources)
    subprocess.run(["cmake", "-S", sources, "-B", build,
                    "-DCMAKE_TOOLCHAIN_FILE=" + os.path.join(sources, "cmake", "toolchain-mingw32.cmake"),
                    "-DCMAKE_BUILD_TYPE=Release"], check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", build, "--target", "Kalwestrowka", "-j2",
                    "--", "--no-print-directory"], check=True, stdout=subprocess.DEVNULL)

    first = open(main_dll, "rb").read()
    second = open(os.path.join(build, "Kalwestrowka.dll"), "rb").read()
    offset = first_difference(first, second)
    if offset is None:
        print(f"the same {len(first)} bytes from both builds")
        shutil.rmtree(work_dir, ignore_errors=True)
        return 0
    print(f"FAIL: the two builds differ first at offset {offset:#x} ({where(main_dll, offset)}); "
          f"sizes {len(first)} and {len(second)}; the second build is kept in {build}")
    return 1


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:4]))
