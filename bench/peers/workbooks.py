"""What every peer shares: the workbook walk, the command line and the exit codes
of sheetwright-cli (0 all ok, 1 some failed, 2 usage), so the harness treats all
tools alike."""
import argparse
import os
import sys
import traceback

WORKBOOK_SUFFIXES = (".xlsx", ".xlsm", ".xls")


def is_lock_file(name):
    return name.startswith("~$") or name.startswith(".~lock.")


def workbook_paths(folder):
    """Every workbook below folder, in a stable order."""
    paths = []
    for root, dirs, files in os.walk(folder):
        dirs.sort()
        for name in sorted(files):
            if name.lower().endswith(WORKBOOK_SUFFIXES) and not is_lock_file(name):
                paths.append(os.path.join(root, name))
    return paths


def transfer_arguments(argv, description):
    parser = argparse.ArgumentParser(description=description)
    parser.add_argument("folder")
    parser.add_argument("--template", required=True)
    parser.add_argument("--last-row", type=int, required=True)
    parser.add_argument("--widths-only", action="store_true")
    return parser.parse_args(argv)


def folder_argument(argv, description):
    parser = argparse.ArgumentParser(description=description)
    parser.add_argument("folder")
    return parser.parse_args(argv)


def process_all(paths, process_one):
    """Runs process_one on each path; a workbook that fails is reported and the
    run goes on, as a user's batch would."""
    failures = 0
    for path in paths:
        try:
            process_one(path)
        except Exception:
            failures += 1
            print("failed: " + path, file=sys.stderr)
            traceback.print_exc(limit=2)
    return 1 if failures else 0
