"""The host's interface written out by hand (host_interface_golden.txt beside
this file), for the scripts: the functions in binding order, the data items and
the entries taken at attach, each as the list writes them. A test that needs a
count or an ordinal of the interface takes it from here."""
import collections
import os

GOLDEN_FILE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "host_interface_golden.txt")

Entry = collections.namedtuple("Entry", "ordinal name convention bytes")
Interface = collections.namedtuple("Interface", "functions data attach")


def read(path=GOLDEN_FILE):
    """The list's lines by kind: Interface(functions, data, attach) of Entry
    (a data item has no convention and no bytes)."""
    kinds = {"function": [], "data": [], "attach": []}
    with open(path, encoding="ascii") as golden:
        for number, line in enumerate(golden, 1):
            fields = line.split()
            if not fields or fields[0].startswith("#"):
                continue
            if fields[0] not in kinds:
                raise ValueError("%s:%d: unknown kind of line: %s" % (path, number, line.strip()))
            ordinal, name = int(fields[1]), fields[2]
            convention, size = (fields[3], int(fields[4])) if len(fields) > 4 else (None, None)
            kinds[fields[0]].append(Entry(ordinal, name, convention, size))
    return Interface(kinds["function"], kinds["data"], kinds["attach"])
