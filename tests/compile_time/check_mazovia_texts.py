#!/usr/bin/env python3
"""The Mazovia conversion rejects a text at compile time, also in the module's
build without exceptions: the Polish letters compile, a German letter and a
three-byte UTF-8 letter fail the build, each naming the reason.

Usage: check_mazovia_texts.py <C++ compiler> <folder of mazovia.h>
"""
import os
import subprocess
import sys

SOURCE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "mazovia_texts.cpp")
CASES = [
    # (define, expected to compile, text the error must contain)
    (None, True, None),
    ("KW_GERMAN_LETTER", False, "ThisLetterIsNotInTheMazoviaCodePage"),
    ("KW_THREE_BYTE_LETTER", False, "OnlyOneAndTwoByteUtf8LettersAreExpected"),
]


def main(compiler, module_dir):
    failures = 0
    for define, compiles, reason in CASES:
        command = [compiler, "-std=c++20", "-fsyntax-only", "-fno-exceptions",
                   "-Wall", "-Wextra", "-Werror", "-I", module_dir, SOURCE]
        if define:
            command.append("-D" + define)
        result = subprocess.run(command, capture_output=True, text=True)
        name = define or "Polish letters"
        if compiles and result.returncode != 0:
            print(f"FAIL: {name}: does not compile:\n{result.stderr}")
            failures += 1
        elif not compiles and result.returncode == 0:
            print(f"FAIL: {name}: compiles, but the text has a letter the Mazovia code page lacks")
            failures += 1
        elif not compiles and reason not in result.stderr:
            print(f"FAIL: {name}: fails, but not naming {reason}:\n{result.stderr}")
            failures += 1
    print(f"{len(CASES) - failures} passed, {failures} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
