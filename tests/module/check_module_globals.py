#!/usr/bin/env python3
"""Holds the module's objects to the list of its variables.

Every symbol the module's objects define in writable data (.data, .bss, common)
must be named in the commented block of foundation/state/module_globals.h, and
every name listed there must be such a symbol: a variable added without a line
there, or a line left after its variable went, fails.

Usage: check_module_globals.py <nm> <module_globals.h> <build dir>
The objects are those of the module's folders under the build dir.
"""
import pathlib
import re
import subprocess
import sys

MODULE_FOLDERS = ("foundation", "shared", "config", "documents", "jpk", "module")
WRITABLE = set("DdBbC")
LISTED = re.compile(r"^//  (\w+(?:, \w+)*)\s{2,}\S+\.(?:cpp|S|h)\b")
# What a --coverage build adds to every object: not the module's state.
TOOL_SYMBOLS = re.compile(r"^(__gcov|__llvm|\.)")


def listed_names(header):
    names = set()
    for line in pathlib.Path(header).read_text(encoding="utf-8").splitlines():
        match = LISTED.match(line)
        if match:
            names.update(name.strip() for name in match.group(1).split(","))
    return names


def short_name(symbol):
    # "kw::(anonymous namespace)::roomUsed" -> "roomUsed"; C symbols keep their
    # leading underscore on i686.
    name = symbol.rsplit("::", 1)[-1]
    return name[1:] if name.startswith("_") and "::" not in symbol else name


def defined_variables(nm, build_dir):
    found = {}
    for folder in MODULE_FOLDERS:
        for obj in sorted((pathlib.Path(build_dir) / folder).glob("CMakeFiles/*.dir/**/*.obj")):
            out = subprocess.run([nm, "-C", str(obj)], check=True, capture_output=True, text=True).stdout
            for line in out.splitlines():
                parts = line.split(None, 2)
                if len(parts) == 3 and parts[1] in WRITABLE and not TOOL_SYMBOLS.match(parts[2]):
                    found.setdefault(short_name(parts[2]), f"{parts[2]} in {obj.relative_to(build_dir)}")
    return found


def main(nm, header, build_dir):
    listed = listed_names(header)
    defined = defined_variables(nm, build_dir)
    if not defined:
        print(f"FAIL: no module objects with variables found under {build_dir}")
        return 1
    failures = [f"FAIL: {where}: not listed in {header}" for name, where in sorted(defined.items())
                if name not in listed]
    failures += [f"FAIL: {name}: listed in {header}, but no module object defines it"
                 for name in sorted(listed - defined.keys())]
    for failure in failures:
        print(failure)
    print(f"{len(defined)} variables defined, {len(listed)} listed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
