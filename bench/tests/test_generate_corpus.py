import filecmp
import os
import tempfile
import unittest

import openpyxl
from openpyxl.utils import get_column_letter

from support import generate


def files_below(folder):
    return sorted(os.path.relpath(os.path.join(root, name), folder)
                  for root, _, names in os.walk(folder) for name in names)


class Determinism(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="sheetwright-bench-test-")

    def path(self, name):
        return os.path.join(self.folder, name)

    def test_same_options_give_byte_identical_files(self):
        for name in ("a", "b"):
            self.assertEqual(generate("corpus", self.path(name), "--count", 3, "--rows", 80).returncode, 0)
            self.assertEqual(generate("template", self.path(name + ".xlsx")).returncode, 0)
            self.assertEqual(generate("tall", self.path(name + "-tall.xlsx"), "--rows", 3000).returncode, 0)
        names = files_below(self.path("a"))
        self.assertEqual(len(names), 3)
        self.assertEqual(names, files_below(self.path("b")))
        _, mismatch, errors = filecmp.cmpfiles(self.path("a"), self.path("b"), names, shallow=False)
        self.assertEqual((mismatch, errors), ([], []))
        self.assertTrue(filecmp.cmp(self.path("a.xlsx"), self.path("b.xlsx"), shallow=False))
        self.assertTrue(filecmp.cmp(self.path("a-tall.xlsx"), self.path("b-tall.xlsx"), shallow=False))

    def test_each_workbook_and_each_seed_differ(self):
        generate("corpus", self.path("a"), "--count", 2, "--rows", 80)
        generate("corpus", self.path("b"), "--count", 2, "--rows", 80, "--seed", 7)
        first, second = (os.path.join(self.path("a"), "dept_00", "book_%04d.xlsx" % i) for i in (0, 1))
        self.assertFalse(filecmp.cmp(first, second, shallow=False))
        self.assertFalse(filecmp.cmp(first, os.path.join(self.path("b"), "dept_00", "book_0000.xlsx"),
                                     shallow=False))

    def test_refuses_bad_options(self):
        for arguments in (["corpus", self.path("x"), "--rows", "1"], ["corpus", self.path("x"), "--count", "0"],
                          ["corpus", self.path("x"), "--colour", "3"], ["paint", self.path("x")],
                          ["corpus", self.path("x"), "--rows"]):
            self.assertEqual(generate(*arguments).returncode, 2, arguments)
        self.assertFalse(os.path.exists(self.path("x")))


class Shape(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix="sheetwright-bench-test-")
        generate("corpus", cls.folder, "--count", 5, "--per-folder", 2, "--sheets", 2, "--rows", 120,
                 "--cols", 9, "--merges", 6)
        cls.book = openpyxl.load_workbook(os.path.join(cls.folder, "dept_00", "book_0000.xlsx"))

    def test_workbooks_spread_over_sub_folders(self):
        self.assertEqual(files_below(self.folder), [
            "dept_00/book_0000.xlsx", "dept_00/book_0001.xlsx", "dept_01/book_0002.xlsx",
            "dept_01/book_0003.xlsx", "dept_02/book_0004.xlsx"])

    def test_sheets_rows_columns_and_widths(self):
        self.assertEqual(len(self.book.worksheets), 2)
        for sheet in self.book.worksheets:
            self.assertEqual((sheet.max_row, sheet.max_column), (120, 9))
            for col in range(1, 10):
                self.assertTrue(sheet.column_dimensions[get_column_letter(col)].customWidth)

    def test_merged_areas_are_separate_and_hide_no_data(self):
        for sheet in self.book.worksheets:
            areas = list(sheet.merged_cells.ranges)
            self.assertEqual(len(areas), 6)
            covered = [cell for area in areas for cell in area.cells]
            self.assertEqual(len(covered), len(set(covered)), "merged areas overlap")
            self.assertTrue(all(area.min_row > 1 for area in areas), "header row stays whole")
            for area in areas:
                self.assertIsInstance(sheet.cell(area.min_row, area.min_col).value, str)

    def test_total_column_caches_the_sum_it_computes(self):
        values = openpyxl.load_workbook(os.path.join(self.folder, "dept_00", "book_0000.xlsx"), data_only=True)
        sheet, formulas = values.worksheets[0], self.book.worksheets[0]
        for row in range(2, 120):
            if formulas.cell(row, 9).value is None:
                continue  # under a merged area
            self.assertEqual(formulas.cell(row, 9).value, "=SUM(E%d:H%d)" % (row, row))
            numbers = [sheet.cell(row, col).value for col in range(5, 9)]
            expected = sum(v for v in numbers if isinstance(v, (int, float)))
            self.assertAlmostEqual(sheet.cell(row, 9).value, expected, places=6)

    def test_content_has_styles_a_transfer_will_change(self):
        sheet = self.book.worksheets[0]
        self.assertTrue(sheet["A1"].font.b)
        self.assertEqual(sheet["A1"].fill.fill_type, "solid")
        self.assertEqual(sheet["B2"].number_format, "yyyy-mm-dd")
        self.assertEqual(sheet["C3"].border.left.style, "thin")


class DefaultShape(unittest.TestCase):
    def test_default_workbook_is_about_270_kb(self):
        folder = tempfile.mkdtemp(prefix="sheetwright-bench-test-")
        self.assertEqual(generate("corpus", folder, "--count", 1).returncode, 0)
        size = os.path.getsize(os.path.join(folder, "dept_00", "book_0000.xlsx"))
        self.assertTrue(240_000 < size < 300_000, size)


class Template(unittest.TestCase):
    def test_rows_1_to_100_carry_distinct_widths_formats_and_merges(self):
        path = os.path.join(tempfile.mkdtemp(prefix="sheetwright-bench-test-"), "template.xlsx")
        self.assertEqual(generate("template", path, "--cols", 12).returncode, 0)
        sheet = openpyxl.load_workbook(path).worksheets[0]
        self.assertEqual((sheet.max_row, sheet.max_column), (100, 12))
        widths = {sheet.column_dimensions[get_column_letter(c)].width for c in range(1, 13)}
        self.assertGreater(len(widths), 6)
        formats = {(c.fill.fgColor.rgb, c.border.left.style, c.number_format, c.font.name)
                   for row in sheet.iter_rows() for c in row}
        self.assertGreater(len(formats), 30)
        self.assertIn("A1:E1", {a.coord for a in sheet.merged_cells.ranges})
        self.assertTrue(all(a.max_row <= 100 for a in sheet.merged_cells.ranges))
        self.assertEqual(sheet.row_dimensions[11].height, 19)


class Tall(unittest.TestCase):
    def test_streamed_workbook_has_one_sheet_and_one_row_merges(self):
        path = os.path.join(tempfile.mkdtemp(prefix="sheetwright-bench-test-"), "tall.xlsx")
        self.assertEqual(generate("tall", path, "--rows", 2000, "--cols", 6, "--merges", 10).returncode, 0)
        book = openpyxl.load_workbook(path)
        self.assertEqual(len(book.worksheets), 1)
        sheet = book.worksheets[0]
        self.assertEqual((sheet.max_row, sheet.max_column), (2000, 6))
        areas = list(sheet.merged_cells.ranges)
        self.assertEqual(len(areas), 10)
        self.assertTrue(all(a.min_row == a.max_row for a in areas))
        self.assertIsNotNone(sheet.cell(1999, 1).value, "the last rows are written too")


if __name__ == "__main__":
    unittest.main()
