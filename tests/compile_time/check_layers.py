#!/usr/bin/env python3
"""The layers as the compiler sees them, probed from the README's tables
("may include from"): for every row of the module's table and of the
simulated host's, a probe that includes one header of every folder of every
other row is compiled with the include folders of that row's library (the
folders it is built with). Where the row may not include from that folder the
probe must fail naming the header that cannot be found; one probe per row
that includes a header of every folder the row may include from must compile,
so that a failing probe fails for its include alone.

Usage: check_layers.py <README> <C++ compiler> <row folder>=<include folder>[|<include folder>...] ...
"""
import os
import re
import subprocess
import sys
import tempfile
from concurrent.futures import ThreadPoolExecutor

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
TABLE_HEADER = "| Folder | may include from |"
FOLDER = re.compile(r"`([^`]+/)`")


def read_tables(readme):
    """The README's "may include from" tables: for each, its rows in order as
    (folder, folders it may include from, True when it may include from
    every folder of its table)."""
    tables, rows = [], None
    with open(readme, encoding="utf-8") as text:
        for line in text:
            line = line.strip()
            if line == TABLE_HEADER:
                rows = []
                tables.append(rows)
            elif rows is not None and line.startswith("|---"):
                continue
            elif rows is not None and line.startswith("|"):
                cells = [cell.strip() for cell in line.strip("|").split("|")]
                folder = FOLDER.search(cells[0]).group(1)
                rows.append((folder, FOLDER.findall(cells[1]), "every folder in this table" in cells[1]))
            else:
                rows = None
    return tables


def header_folders(row):
    """Every folder under a row's folder that holds headers, with the first of
    its headers by name."""
    found = []
    for folder, _, files in sorted(os.walk(os.path.join(ROOT, row))):
        headers = sorted(name for name in files if name.endswith(".h"))
        if headers:
            found.append((os.path.relpath(folder, ROOT) + "/", headers[0]))
    return found


def allowed(row, allowed_folders, folder):
    return folder.startswith(row) or any(folder.startswith(other) for other in allowed_folders)


def compile_probe(compiler, include_folders, headers):
    with tempfile.NamedTemporaryFile("w", suffix=".cpp", delete=False) as probe:
        probe.writelines(f'#include "{header}"\n' for header in headers)
    try:
        command = [compiler, "-std=c++20", "-fsyntax-only", "-fno-exceptions", "-Wall", "-Wextra", "-Werror"]
        command += ["-I" + folder for folder in include_folders]
        result = subprocess.run(command + [probe.name], capture_output=True, text=True)
        return result.returncode, result.stderr
    finally:
        os.unlink(probe.name)


def cases(tables):
    """(row, headers, header that must not be found or None)."""
    rows = [row for table in tables for row in table]
    for table in tables:
        for row, allowed_folders, every in table:
            if every:
                allowed_folders = [other for other, _, _ in table]
            seen = []
            for other, _, _ in rows:
                if other == row:
                    continue
                for folder, header in header_folders(other):
                    if allowed(row, allowed_folders, folder):
                        seen.append(header)
                    else:
                        yield row, [header], header
            own = [header for _, header in header_folders(row)]
            yield row, own + seen, None


def main(readme, compiler, row_arguments):
    include_folders = {}
    for argument in row_arguments:
        row, _, folders = argument.partition("=")
        include_folders[row] = [folder for folder in folders.split("|") if folder]
    tables = read_tables(readme)
    probes = list(cases(tables))
    missing_rows = sorted({row for table in tables for row, _, _ in table} - set(include_folders))
    for row in missing_rows:
        print(f"FAIL: no include folders given for the row {row}")
    with ThreadPoolExecutor(max_workers=os.cpu_count() or 2) as pool:
        results = list(pool.map(lambda case: compile_probe(compiler, include_folders.get(case[0], []), case[1]),
                                probes))
    failures = len(missing_rows)
    for (row, headers, missing), (status, errors) in zip(probes, results):
        if missing is None and status != 0:
            print(f"FAIL: {row} including {', '.join(headers)} does not compile with its folders:\n{errors}")
            failures += 1
        elif missing is not None and status == 0:
            print(f"FAIL: {row} must not see {missing}, but it compiles")
            failures += 1
        elif missing is not None and f"{missing}: No such file" not in errors:
            print(f"FAIL: {row} including {missing} fails, but not for want of it:\n{errors}")
            failures += 1
    refused = sum(1 for _, _, missing in probes if missing)
    print(f"{len(probes)} probes ({refused} includes refused, {len(probes) - refused} rows compiled with what "
          f"they may include), {failures} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2], sys.argv[3:]))
