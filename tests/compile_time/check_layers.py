#!/usr/bin/env python3
"""The module's layers as the compiler sees them: each probe in layers/ is
compiled with the include folders of one layer's library (the folders it is
built with), and an include that points up, or across to another subject,
must fail naming the header that cannot be found; the probes that include
downwards must compile, so that a failing probe fails for its include alone.

Usage: check_layers.py <C++ compiler> <layer>=<folder>[|<folder>...] ...
"""
import os
import subprocess
import sys

PROBES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "layers")
CASES = [
    # (probe, layer whose folders it is compiled with, header that must not be found or None)
    ("foundation_includes_subject.cpp", "foundation", "conversion_hook.h"),
    ("foundation_includes_working_object.cpp", "foundation", "komis.h"),
    ("subject_includes_wiring.cpp", "config", "registration.h"),
    ("subject_includes_other_subject.cpp", "jpk", "config_command.h"),
    ("subject_includes_lower_layers.cpp", "documents", None),
    ("wiring_includes_subjects.cpp", "wiring", None),
]


def main(compiler, layer_arguments):
    layers = {}
    for argument in layer_arguments:
        name, _, folders = argument.partition("=")
        layers[name] = [folder for folder in folders.split("|") if folder]
    failures = 0
    for probe, layer, missing in CASES:
        if not layers.get(layer):
            print(f"FAIL: {probe}: no include folders given for the layer {layer}")
            failures += 1
            continue
        command = [compiler, "-std=c++20", "-fsyntax-only", "-fno-exceptions", "-Wall", "-Wextra", "-Werror"]
        command += ["-I" + folder for folder in layers[layer]]
        command.append(os.path.join(PROBES, probe))
        result = subprocess.run(command, capture_output=True, text=True)
        if missing is None and result.returncode != 0:
            print(f"FAIL: {probe}: does not compile with the {layer} layer's folders:\n{result.stderr}")
            failures += 1
        elif missing is not None and result.returncode == 0:
            print(f"FAIL: {probe}: compiles, but the {layer} layer must not see {missing}")
            failures += 1
        elif missing is not None and f"{missing}: No such file" not in result.stderr:
            print(f"FAIL: {probe}: fails, but not for want of {missing}:\n{result.stderr}")
            failures += 1
    print(f"{len(CASES) - failures} passed, {failures} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2:]))
