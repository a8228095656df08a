import contextlib
import io
import os
import sys
import tempfile
import unittest

from support import run

ALLOCATE = "import time; block = bytearray(%d * 2**20); block[::4096] = b'x' * len(block[::4096]); time.sleep(%s)"


def python(code):
    return [sys.executable, "-c", code]


class Measure(unittest.TestCase):
    def setUp(self):
        self.log = os.path.join(tempfile.mkdtemp(prefix="sheetwright-bench-test-"), "run.log")

    def test_peak_memory_and_exit_code_of_one_process(self):
        result = run.measure(python(ALLOCATE % (120, 0) + "; raise SystemExit(3)"), self.log, False)
        self.assertGreaterEqual(result.peak_mb, 120)
        self.assertLess(result.peak_mb, 200)
        self.assertEqual(result.exit_code, 3)

    def test_memory_of_the_measuring_process_is_not_counted(self):
        held = bytearray(200 * 2**20)
        held[::4096] = b"x" * len(held[::4096])
        small = run.measure(python("pass"), self.log, False)
        self.assertLess(small.peak_mb, 60)
        self.assertEqual(small.exit_code, 0)

    def test_a_killed_tool_reports_the_signal(self):
        killed = run.measure(python("import os; os.abort()"), self.log, False)
        self.assertEqual(killed.exit_code, -6)

    def test_tree_sampling_sums_concurrent_children(self):
        child = ALLOCATE % (80, 1.0)
        parent = ("import subprocess, sys\n"
                  "children = [subprocess.Popen([sys.executable, '-c', %r]) for _ in range(2)]\n"
                  "[c.wait() for c in children]" % child)
        largest_alone = run.measure(python(parent), self.log, False)
        whole_tree = run.measure(python(parent), self.log, True)
        self.assertLess(largest_alone.peak_mb, 150)
        self.assertGreaterEqual(whole_tree.peak_mb, 160)

    def test_cpu_time_against_wall_time(self):
        busy = run.measure(python("import time\nend = time.process_time() + 0.6\n"
                                  "while time.process_time() < end: pass"), self.log, False)
        idle = run.measure(python("import time; time.sleep(0.6)"), self.log, False)
        self.assertGreaterEqual(busy.cpu_seconds, 0.55)
        self.assertGreaterEqual(idle.seconds, 0.6)
        self.assertLess(idle.cpu_seconds / idle.seconds, 0.5)

    def test_output_of_the_tool_goes_to_its_log(self):
        run.measure(python("print('hello from the tool')"), self.log, False)
        with open(self.log) as log:
            self.assertIn("hello from the tool", log.read())


def measurement(job, tool, seconds, exit_codes=None, peak=50.0):
    exit_codes = exit_codes or [0] * len(seconds)
    runs = [run.Run(s, peak, s / 2, code) for s, code in zip(seconds, exit_codes)]
    return run.Measurement(job, tool, runs)


class Table(unittest.TestCase):
    def rows(self, table):
        return [[cell.strip() for cell in line.strip("|").split("|")] for line in table.splitlines()[2:]]

    def test_median_throughput_and_speed_up(self):
        table = run.markdown_table([
            measurement("unmerge", "sheetwright", [0.5, 0.4, 3.0]),
            measurement("unmerge", "openpyxl", [80.0, 100.0, 90.0], peak=66.4),
            measurement("transfer", "sheetwright", [1.0]),
            measurement("transfer", "libreoffice", [200.0]),
        ], 200)
        sheetwright, openpyxl, transfer_sw, libreoffice = self.rows(table)
        self.assertEqual(sheetwright[:9], ["unmerge", "sheetwright", "0.50", "0.50, 0.40, 3.00", "400.0", "50",
                                           "0.50", "—", "ok"])
        self.assertEqual(openpyxl[2], "90.00")
        self.assertEqual(openpyxl[4], "2.2")
        self.assertEqual(openpyxl[5], "66")
        self.assertEqual(openpyxl[7], "180×")
        self.assertEqual(libreoffice[7], "200×")

    def test_a_failed_run_or_check_is_marked(self):
        failing = measurement("unmerge", "sheetwright", [1.0, 1.0, 1.0], exit_codes=[0, 1, -6])
        wrong = measurement("unmerge", "openpyxl", [5.0])
        wrong.problems = ["book_0000.xlsx: merged area A1:B2 left"]
        rows = self.rows(run.markdown_table([failing, wrong], 10))
        self.assertEqual([row[8] for row in rows], ["FAILED", "FAILED"])
        text = run.problems_text([failing, wrong])
        self.assertIn("unmerge sheetwright: exit code 1", text)
        self.assertIn("unmerge sheetwright: killed by signal 6", text)
        self.assertIn("merged area A1:B2 left", text)

    def test_targets_met_and_missed(self):
        text = run.targets_text([
            measurement("unmerge", "sheetwright", [1.0], peak=70.0),
            measurement("unmerge", "openpyxl", [150.0]),
            measurement("unmerge", "libreoffice", [40.0]),
            measurement("transfer", "openpyxl", [90.0]),
        ])
        self.assertEqual(text.splitlines(), [
            "- unmerge: 150× openpyxl (target ≥ 100×): met",
            "- unmerge: 40× libreoffice (target ≥ 50×): missed",
            "- unmerge: peak 70 MB (target < 64 MB): missed",
        ])

    def test_no_speed_up_without_sheetwright(self):
        rows = self.rows(run.markdown_table([measurement("widths", "openpyxl", [3.0])], 6))
        self.assertEqual(rows[0][7], "—")

    def test_a_slow_rate_keeps_two_decimals(self):
        rows = self.rows(run.markdown_table([measurement("unmerge", "sheetwright (tall)", [43.0])], 1))
        self.assertEqual(rows[0][4], "0.02")


class Commands(unittest.TestCase):
    corpus = run.Corpus("/c/books", "/c/template.xlsx", 3)

    def test_sheetwright_command_line(self):
        tool = run.make_tools(["sheetwright"], "/b/sheetwright-cli", ["--jobs", "2"])[0]
        self.assertEqual(tool.command("unmerge", "/w", self.corpus, 100),
                         ["/b/sheetwright-cli", "unmerge", "/w", "--jobs", "2"])
        self.assertEqual(tool.command("widths", "/w", self.corpus, 100),
                         ["/b/sheetwright-cli", "transfer", "/w", "--template", "/c/template.xlsx",
                          "--last-row", "100", "--widths-only", "--jobs", "2"])

    def test_peer_command_lines(self):
        openpyxl, libreoffice = run.make_tools(["openpyxl", "libreoffice"], None, [])
        self.assertFalse(openpyxl.sample_tree)
        self.assertTrue(libreoffice.sample_tree)
        command = libreoffice.command("transfer", "/w", self.corpus, 7)
        self.assertEqual(os.path.basename(command[1]), "libreoffice_transfer.py")
        self.assertTrue(os.path.exists(command[1]))
        self.assertEqual(command[2:], ["/w", "--template", "/c/template.xlsx", "--last-row", "7"])
        self.assertEqual(os.path.basename(openpyxl.command("unmerge", "/w", self.corpus, 7)[1]),
                         "openpyxl_unmerge.py")

    def test_option_lists_refuse_unknown_names(self):
        with self.assertRaises(SystemExit), contextlib.redirect_stderr(io.StringIO()) as error:
            run.parse_arguments(["--tools", "openpyxl,excel"])
        self.assertIn("choose from sheetwright,openpyxl,libreoffice", error.getvalue())
        options = run.parse_arguments(["--tools", "openpyxl", "--repeat", "5"])
        self.assertEqual((options.tools, options.peer_repeat, options.jobs), (["openpyxl"], 5, ["unmerge", "transfer"]))


class WholeRun(unittest.TestCase):
    """The one command, with a stand-in for sheetwright-cli that has its interface."""

    def test_table_of_a_small_run(self):
        build = tempfile.mkdtemp(prefix="sheetwright-bench-test-")
        stand_in = os.path.join(build, "stand-in-cli")
        with open(stand_in, "w") as script:
            script.write('#!/bin/sh\nverb=$1; shift\nexec %s %s/openpyxl_$verb.py "$@"\n' % (run.PYTHON, run.PEERS))
        os.chmod(stand_in, 0o755)
        report_path = os.path.join(build, "report.md")
        with contextlib.redirect_stdout(io.StringIO()), contextlib.redirect_stderr(io.StringIO()):
            status = run.main(["--count", "2", "--rows", "40", "--merges", "3", "--last-row", "20",
                               "--repeat", "2", "--peer-repeat", "1", "--tools", "sheetwright,openpyxl",
                               "--cli", stand_in, "--build-dir", build, "--output", report_path])
        self.assertEqual(status, 0)
        with open(report_path) as report:
            text = report.read()
        self.assertIn("Corpus: 2 workbooks of 3 sheets × 40 rows × 20 columns", text)
        rows = [line for line in text.splitlines() if line.startswith("| unmerge") or line.startswith("| transfer")]
        self.assertEqual([row.split("|")[2].strip() for row in rows],
                         ["sheetwright", "openpyxl", "sheetwright", "openpyxl"])
        self.assertTrue(all(row.rstrip(" |").endswith("ok") for row in rows), rows)
        self.assertEqual([len(row.split("|")[4].split(",")) for row in rows], [2, 1, 2, 1])
        self.assertIn("- transfer: ", text)
        left = sorted(os.listdir(os.path.join(build, "bench-work")))
        self.assertEqual(left, ["openpyxl-transfer.log", "openpyxl-unmerge.log", "sheetwright-transfer.log",
                                "sheetwright-unmerge.log"], "fresh copies are removed, the last logs kept")


if __name__ == "__main__":
    unittest.main()
