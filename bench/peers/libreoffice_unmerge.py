#!/usr/bin/python3
"""Unmerges every merged area of every sheet of every workbook below FOLDER and
saves each in place in its own format (xlsx, xlsm or xls), through a headless
LibreOffice over UNO."""
import sys

from office import Office, store_as, used_area
from workbooks import folder_argument, process_all, workbook_paths


def main(argv):
    args = folder_argument(argv, __doc__)
    with Office() as office:
        def unmerge_workbook(path):
            document = office.load(path)
            try:
                for sheet in document.Sheets:
                    # Unmerging the whole used area splits every merged area inside it.
                    used_area(sheet).merge(False)
                store_as(document, path)
            finally:
                document.close(True)

        return process_all(workbook_paths(args.folder), unmerge_workbook)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
