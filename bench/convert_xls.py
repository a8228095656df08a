#!/usr/bin/python3
"""Converts every workbook below SOURCE into an Excel 97-2003 (.xls) workbook at
the same place below TARGET, and each --file SOURCE_FILE TARGET_FILE pair alike,
through one private headless LibreOffice.

    convert_xls.py SOURCE TARGET [--file IN.xlsx OUT.xls]...

Exit status 0 when every workbook was converted."""
import argparse
import os
import sys

BENCH = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(BENCH, "peers"))

from office import Office, store_as  # noqa: E402  (needs the path above)
from workbooks import process_all, workbook_paths  # noqa: E402


def xls_path_for(source_root, target_root, path):
    relative = os.path.relpath(path, source_root)
    return os.path.join(target_root, os.path.splitext(relative)[0] + ".xls")


def pairs_below(source_root, target_root):
    return [(path, xls_path_for(source_root, target_root, path)) for path in workbook_paths(source_root)]


def convert_all(office, pairs):
    target_of = dict(pairs)

    def convert(source):
        target = target_of[source]
        os.makedirs(os.path.dirname(target), exist_ok=True)
        document = office.load(source)
        try:
            store_as(document, target)
        finally:
            document.close(True)

    return process_all(list(target_of), convert)


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("source")
    parser.add_argument("target")
    parser.add_argument("--file", nargs=2, action="append", default=[], metavar=("IN", "OUT"))
    args = parser.parse_args(argv)
    pairs = pairs_below(args.source, args.target) + [tuple(pair) for pair in args.file]
    with Office() as office:
        return convert_all(office, pairs)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
