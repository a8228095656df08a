import os
import shutil
import subprocess
import tempfile
import unittest

import openpyxl
from openpyxl.utils.datetime import from_excel

from support import run, small_corpus

import verify
from workbooks import workbook_paths

HAS_OFFICE = shutil.which("soffice") is not None


class Peers(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.corpus = small_corpus(tempfile.mkdtemp(prefix="sheetwright-bench-test-"))

    def run_peer(self, tool, job, extra_files=()):
        folder = os.path.join(tempfile.mkdtemp(prefix="sheetwright-bench-test-"), "books")
        shutil.copytree(self.corpus.books, folder)
        for name, content in extra_files:
            with open(os.path.join(folder, name), "wb") as extra:
                extra.write(content)
        command = run.make_tools([tool], None, [])[0].command(job, folder, self.corpus, 40)
        completed = subprocess.run(command, capture_output=True, text=True)
        return folder, completed

    def assert_job_done(self, tool, job):
        folder, completed = self.run_peer(tool, job)
        self.assertEqual(completed.returncode, 0, completed.stderr)
        self.assertEqual(run.spot_check(job, self.corpus, folder, 40), [])

    def test_openpyxl_unmerge(self):
        self.assert_job_done("openpyxl", "unmerge")

    def test_openpyxl_transfer(self):
        self.assert_job_done("openpyxl", "transfer")

    def test_openpyxl_widths_only(self):
        self.assert_job_done("openpyxl", "widths")

    @unittest.skipUnless(HAS_OFFICE, "LibreOffice is not installed")
    def test_libreoffice_unmerge(self):
        self.assert_job_done("libreoffice", "unmerge")

    @unittest.skipUnless(HAS_OFFICE, "LibreOffice is not installed")
    def test_libreoffice_transfer(self):
        self.assert_job_done("libreoffice", "transfer")

    def test_a_damaged_workbook_fails_alone_and_lock_files_are_left_alone(self):
        lock = b"someone has it open"
        folder, completed = self.run_peer("openpyxl", "unmerge",
                                          [("broken.xlsx", b"PK\x03\x04 not a zip"), ("~$book_0000.xlsx", lock)])
        self.assertEqual(completed.returncode, 1)
        self.assertIn("broken.xlsx", completed.stderr)
        self.assertEqual(run.spot_check("unmerge", self.corpus, folder, 40), [])
        with open(os.path.join(folder, "~$book_0000.xlsx"), "rb") as untouched:
            self.assertEqual(untouched.read(), lock)

    def test_usage_error_exits_with_2(self):
        script = os.path.join(run.PEERS, "openpyxl_transfer.py")
        completed = subprocess.run([run.PYTHON, script, self.corpus.books], capture_output=True)
        self.assertEqual(completed.returncode, 2)


class Checker(unittest.TestCase):
    """The spot-check must notice a tool that did nothing."""

    @classmethod
    def setUpClass(cls):
        cls.corpus = small_corpus(tempfile.mkdtemp(prefix="sheetwright-bench-test-"))
        cls.book = workbook_paths(cls.corpus.books)[0]

    def test_untouched_workbook_fails_each_job(self):
        self.assertTrue(any("merged area" in p for p in verify.check("unmerge", self.book, self.book)))
        transfer = verify.check("transfer", self.book, self.book, self.corpus.template, 40)
        self.assertTrue(any("width" in p for p in transfer))
        self.assertTrue(any("format" in p for p in transfer))
        widths = verify.check("transfer", self.book, self.book, self.corpus.template, 40, widths_only=True)
        self.assertTrue(widths)
        self.assertFalse(any("format" in p for p in widths))

    def test_a_changed_value_is_reported(self):
        changed = os.path.join(tempfile.mkdtemp(prefix="sheetwright-bench-test-"), "changed.xlsx")
        book = openpyxl.load_workbook(self.book)
        book.worksheets[0]["E3"] = 12345
        book.save(changed)
        problems = verify.check("unmerge", self.book, changed)
        self.assertTrue(any("!E3: value" in p for p in problems), problems)

    def test_a_number_read_back_as_a_date_keeps_its_value(self):
        for serial in (0.25, 12.0, 58.5, 60.12, 61.0, 44927.75):
            self.assertTrue(verify.same_value(serial, from_excel(serial)), serial)
            self.assertFalse(verify.same_value(serial + 2, from_excel(serial)), serial)
        self.assertFalse(verify.same_value("2023-01-01", 44927.0))

    def test_equivalent_number_format_codes_match(self):
        self.assertEqual(verify.number_format_key("#,##0.00;[RED]\\-#,##0.00"),
                         verify.number_format_key("#,##0.00;[Red]-#,##0.00"))
        self.assertNotEqual(verify.number_format_key("0.00"), verify.number_format_key("0.0"))


if __name__ == "__main__":
    unittest.main()
