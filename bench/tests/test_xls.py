import contextlib
import io
import os
import shutil
import subprocess
import sys
import tempfile
import unittest
from unittest import mock

import xlrd

from support import run, small_corpus

import verify_xls
from workbooks import workbook_paths

HAS_OFFICE = shutil.which("soffice") is not None
LAST_ROW = 40


def copy_of(folder):
    target = os.path.join(tempfile.mkdtemp(prefix="sheetwright-bench-test-"), "books")
    shutil.copytree(folder, target)
    return target


def mtimes(folder):
    return {path: os.stat(path).st_mtime_ns for path in workbook_paths(folder)}


@unittest.skipUnless(HAS_OFFICE, "LibreOffice is not installed")
class XlsCorpus(unittest.TestCase):
    """One small corpus converted once for the whole class (each office start costs seconds)."""

    @classmethod
    def setUpClass(cls):
        cls.xlsx = small_corpus(tempfile.mkdtemp(prefix="sheetwright-bench-test-"))
        cls.corpus = run.ensure_xls_corpus(cls.xlsx)

    def test_every_workbook_converted_at_its_place_with_its_merges(self):
        relative = [os.path.relpath(p, self.corpus.books) for p in workbook_paths(self.corpus.books)]
        self.assertEqual(relative, ["dept_00/book_0000.xls", "dept_00/book_0001.xls"])
        book = xlrd.open_workbook(workbook_paths(self.corpus.books)[0], formatting_info=True)
        self.assertEqual(book.nsheets, 3)
        self.assertEqual(len(book.sheet_by_index(0).merged_cells), 5)
        self.assertTrue(self.corpus.template.endswith(".xlsx"), "the tools get the template they can open")
        self.assertTrue(self.corpus.template_to_check().endswith(".xls"))

    def test_a_finished_conversion_is_not_run_again(self):
        before = mtimes(self.corpus.books)
        with mock.patch.object(run, "CONVERTER", "/nonexistent/convert.py"):
            again = run.ensure_xls_corpus(self.xlsx)
        self.assertEqual(again, self.corpus)
        self.assertEqual(mtimes(self.corpus.books), before)

    def test_a_broken_conversion_is_redone_from_scratch(self):
        xlsx = run.Corpus(copy_of(self.xlsx.books), self.xlsx.template, self.xlsx.count)
        stray = os.path.join(os.path.dirname(xlsx.books), "xls", "books", "half-written.xls")
        os.makedirs(os.path.dirname(stray))
        open(stray, "w").close()
        failing = os.path.join(tempfile.mkdtemp(prefix="sheetwright-bench-test-"), "convert.py")
        with open(failing, "w") as script:
            script.write("raise SystemExit(1)\n")
        with mock.patch.object(run, "CONVERTER", failing), self.assertRaises(subprocess.CalledProcessError):
            run.ensure_xls_corpus(xlsx)
        corpus = run.ensure_xls_corpus(xlsx)
        self.assertFalse(os.path.exists(stray))
        self.assertEqual(len(workbook_paths(corpus.books)), 2)

    def run_peer(self, job):
        folder = copy_of(self.corpus.books)
        command = run.make_tools(["libreoffice"], None, [], "xls")[0].command(job, folder, self.corpus, LAST_ROW)
        completed = subprocess.run(command, capture_output=True, text=True)
        self.assertEqual(completed.returncode, 0, completed.stderr)
        return folder

    def test_libreoffice_peer_does_both_jobs_on_xls(self):
        for job in ("unmerge", "transfer"):
            with self.subTest(job=job):
                folder = self.run_peer(job)
                self.assertTrue(all(p.endswith(".xls") for p in workbook_paths(folder)))
                self.assertEqual(run.spot_check(job, self.corpus, folder, LAST_ROW), [])

    def test_untouched_workbooks_fail_both_checks(self):
        book = workbook_paths(self.corpus.books)[0]
        unmerge = verify_xls.check("unmerge", book, book)
        self.assertEqual(len([p for p in unmerge if "merged area" in p]), 15)
        transfer = verify_xls.check("transfer", book, book, self.corpus.template_to_check(), LAST_ROW)
        self.assertTrue(any("width" in p for p in transfer))
        self.assertTrue(any("format" in p for p in transfer))

    def test_one_wrong_cell_of_a_good_transfer_is_caught(self):
        folder = self.run_peer("transfer")
        original = workbook_paths(self.corpus.books)[0]
        result = workbook_paths(folder)[0]
        spoil_cells(result)
        problems = verify_xls.check("transfer", original, result, self.corpus.template_to_check(), LAST_ROW)
        self.assertEqual(sorted(p.split(":")[0] for p in problems), ["明细1!C5", "明细2!E3"], problems)


def spoil_cells(path):
    """A value changed and a transferred fill undone, through the office (xlrd cannot write)."""
    sys.path.insert(0, run.PEERS)
    from office import Office, store_as
    with Office() as office:
        document = office.load(path)
        try:
            document.Sheets.getByIndex(1).getCellRangeByName("E3").setValue(12345)
            document.Sheets.getByIndex(0).getCellRangeByName("C5").CellBackColor = 0x123456
            store_as(document, path)
        finally:
            document.close(True)


ALLOCATE = "import time; block = bytearray(%d * 2**20); block[::4096] = b'x' * len(block[::4096]); time.sleep(1.0)"
NAMED = "import ctypes; ctypes.CDLL(None).prctl(15, %r, 0, 0, 0); " + ALLOCATE  # 15: PR_SET_NAME


class OfficeMemory(unittest.TestCase):
    def test_each_office_of_the_tree_is_measured_alone(self):
        children = [NAMED % (b"soffice.bin", 60), NAMED % (b"soffice.bin", 100), NAMED % (b"helper", 150)]
        parent = ("import subprocess, sys\n"
                  "children = [subprocess.Popen([sys.executable, '-c', c]) for c in %r]\n"
                  "[c.wait() for c in children]" % children)
        log = os.path.join(tempfile.mkdtemp(prefix="sheetwright-bench-test-"), "run.log")
        measured = run.measure([sys.executable, "-c", parent], log, True)
        self.assertEqual(len(measured.office_peaks_mb), 2)
        largest, smaller = measured.office_peaks_mb
        self.assertTrue(100 <= largest < 130 and 60 <= smaller < 90, measured.office_peaks_mb)
        self.assertEqual(measured.offices_at_once, 2)
        self.assertGreaterEqual(measured.peak_mb, 310)


def measurement(job, tool, seconds, office_peaks=(), at_once=0):
    runs = [run.Run(s, 400.0, s / 2, 0, list(office_peaks), at_once) for s in seconds]
    return run.Measurement(job, tool, runs)


class XlsReport(unittest.TestCase):
    def test_ratios_below_ten_keep_a_decimal_and_offices_get_a_column(self):
        table = run.markdown_table([
            measurement("transfer", "sheetwright", [10.0], office_peaks=[231.4, 228.0], at_once=2),
            measurement("transfer", "libreoffice", [17.0], office_peaks=[262.0], at_once=1),
        ], 200)
        header, _, sheetwright, libreoffice = [[c.strip() for c in line.strip("|").split("|")]
                                               for line in table.splitlines()]
        self.assertEqual(header[9], "Peak MB per soffice (at once)")
        self.assertEqual((sheetwright[9], libreoffice[9], libreoffice[7]), ("231 (2)", "262 (1)", "1.7×"))
        plain = run.markdown_table([measurement("unmerge", "sheetwright", [1.0])], 2)
        self.assertNotIn("soffice", plain)

    def test_xls_targets_judge_throughput_and_each_office(self):
        text = run.targets_text([
            measurement("unmerge", "sheetwright", [10.0], office_peaks=[240.0, 180.0], at_once=2),
            measurement("unmerge", "libreoffice", [19.0]),
            measurement("transfer", "sheetwright", [10.0], office_peaks=[251.0], at_once=2),
            measurement("transfer", "libreoffice", [17.9]),
        ], "xls")
        self.assertEqual(text.splitlines(), [
            "- unmerge: 1.9× libreoffice (target ≥ 1.8×): met",
            "- transfer: 1.8× libreoffice (target ≥ 1.8×): missed",
            "- unmerge: largest soffice 240 MB (target < 250 MB per lane): met",
            "- transfer: largest soffice 251 MB (target < 250 MB per lane): missed",
        ])

    def test_no_office_seen_misses_the_memory_target(self):
        text = run.targets_text([measurement("unmerge", "sheetwright", [1.0])], "xls")
        self.assertIn("largest soffice 0 MB (target < 250 MB per lane): missed", text)

    def test_xls_options(self):
        options = run.parse_arguments(["--format", "xls"])
        self.assertEqual(options.tools, ["sheetwright", "libreoffice"])
        self.assertTrue(run.make_tools(["sheetwright"], "/cli", [], "xls")[0].sample_tree)
        self.assertFalse(run.make_tools(["sheetwright"], "/cli", [], "xlsx")[0].sample_tree)
        for refused in (["--tools", "openpyxl"], ["--jobs", "widths"], ["--tall", "1000"]):
            with self.assertRaises(SystemExit), contextlib.redirect_stderr(io.StringIO()):
                run.parse_arguments(["--format", "xls"] + refused)


if __name__ == "__main__":
    unittest.main()
