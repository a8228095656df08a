#!/usr/bin/python3
"""Runs Sheetwright and the peer tools on fresh copies of one generated corpus in
the same run and prints a Markdown table: median seconds, workbooks per second,
peak memory, CPU use and Sheetwright's speed-up over each peer.

Usually started through bench/run.sh, which installs what is missing first."""
import argparse
import datetime
import os
import platform
import shutil
import statistics
import subprocess
import sys
import threading
import time
from dataclasses import dataclass, field
from typing import List

BENCH = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(BENCH)
PEERS = os.path.join(BENCH, "peers")
PYTHON = "/usr/bin/python3"  # Debian's interpreter: the one that has openpyxl and uno
sys.path.insert(0, PEERS)

import verify  # noqa: E402  (needs the path above)
import verify_xls  # noqa: E402  (beside this file)
from workbooks import workbook_paths  # noqa: E402

ALL_TOOLS = ("sheetwright", "openpyxl", "libreoffice")
ALL_JOBS = ("unmerge", "transfer", "widths")
# openpyxl cannot read .xls; a .xls workbook is edited by LibreOffice in Sheetwright too.
XLS_TOOLS = ("sheetwright", "libreoffice")
XLS_JOBS = ("unmerge", "transfer")
RSS_SAMPLE_SECONDS = 0.05
GNU_TIME = "/usr/bin/time"
CONVERTER = os.path.join(BENCH, "convert_xls.py")
OFFICE_PROCESS = "soffice.bin"
# Sheetwright's throughput over the peer's, same job, same run; and its memory ceiling
# (the whole process on .xlsx; each soffice it starts on .xls).
SPEED_UP_TARGETS = {"xlsx": {("unmerge", "openpyxl"): 100, ("unmerge", "libreoffice"): 50,
                             ("transfer", "openpyxl"): 100, ("transfer", "libreoffice"): 200},
                    "xls": {("unmerge", "libreoffice"): 1.8, ("transfer", "libreoffice"): 1.8}}
PEAK_MB_TARGET = 64
OFFICE_PEAK_MB_TARGET = 250


# ---- corpus ----

@dataclass(frozen=True)
class Shape:
    count: int
    sheets: int
    rows: int
    cols: int
    merges: int
    seed: int

    def key(self):
        return "n%d-s%d-r%d-c%d-m%d-seed%d" % (self.count, self.sheets, self.rows, self.cols,
                                              self.merges, self.seed)

    def generator_options(self):
        return ["--sheets", str(self.sheets), "--rows", str(self.rows), "--cols", str(self.cols),
                "--merges", str(self.merges), "--seed", str(self.seed)]


@dataclass
class Corpus:
    books: str
    template: str  # given to the tools
    count: int
    check_template: str = None  # read by the spot-check, when not the template itself

    def template_to_check(self):
        return self.check_template or self.template


def build_generator(build_dir):
    """Compiles the generator when it is missing or older than its source."""
    source = os.path.join(BENCH, "generate_corpus.c")
    binary = os.path.join(build_dir, "generate_corpus")
    if not os.path.exists(binary) or os.path.getmtime(binary) < os.path.getmtime(source):
        os.makedirs(build_dir, exist_ok=True)
        flags = subprocess.run(["pkg-config", "--cflags", "--libs", "xlsxwriter"], check=True,
                               capture_output=True, text=True).stdout.split()
        subprocess.run(["cc", "-O2", "-std=c11", "-Wall", "-Wextra", source, "-o", binary] + flags, check=True)
    return binary


def generate(generator, arguments, done_marker):
    """Runs the generator once per output; the marker tells a finished output from a broken one."""
    if not os.path.exists(done_marker):
        subprocess.run([generator] + arguments, check=True)
        open(done_marker, "w").close()


def ensure_corpus(generator, root, shape):
    folder = os.path.join(root, shape.key())
    books = os.path.join(folder, "books")
    template = os.path.join(folder, "template.xlsx")
    os.makedirs(folder, exist_ok=True)
    generate(generator, ["corpus", books, "--count", str(shape.count)] + shape.generator_options(),
             books + ".done")
    generate(generator, ["template", template, "--cols", str(shape.cols), "--seed", str(shape.seed)],
             template + ".done")
    return Corpus(books, template, shape.count)


def ensure_xls_corpus(corpus):
    """The corpus converted once to .xls beside its .xlsx workbooks. The tools are
    still given the .xlsx template, as in the .xlsx runs, so that only the workbooks'
    format differs; its .xls conversion is what the spot-check reads, xlrd reading
    formats of .xls only."""
    folder = os.path.join(os.path.dirname(corpus.books), "xls")
    books = os.path.join(folder, "books")
    check_template = os.path.join(folder, "template.xls")
    done_marker = folder + ".done"
    if not os.path.exists(done_marker):
        shutil.rmtree(folder, ignore_errors=True)  # what a broken conversion left
        subprocess.run([PYTHON, CONVERTER, corpus.books, books, "--file", corpus.template, check_template],
                       check=True)
        open(done_marker, "w").close()
    return Corpus(books, corpus.template, corpus.count, check_template)


def ensure_tall_corpus(generator, root, rows, cols, template):
    folder = os.path.join(root, "tall-r%d-c%d" % (rows, cols))
    books = os.path.join(folder, "books")
    os.makedirs(books, exist_ok=True)
    generate(generator, ["tall", os.path.join(books, "tall.xlsx"), "--rows", str(rows), "--cols", str(cols)],
             os.path.join(folder, "tall.done"))
    return Corpus(books, template, 1)


def export_commit(commit, folder):
    if not os.path.exists(os.path.join(folder, "CMakeLists.txt")):
        os.makedirs(folder, exist_ok=True)
        archive = subprocess.run(["git", "-C", REPO, "archive", commit], check=True, capture_output=True).stdout
        subprocess.run(["tar", "-x", "-C", folder], input=archive, check=True)


def ensure_cli(build_dir, commit=None):
    """Builds sheetwright-cli (Release) into our own build folder: from the working
    tree, or from one commit, which keeps colleagues' unfinished edits in the shared
    checkout out of the measurement."""
    source, build = REPO, build_dir
    if commit:
        sha = subprocess.run(["git", "-C", REPO, "rev-parse", "--short", commit], check=True,
                             capture_output=True, text=True).stdout.strip()
        source, build = os.path.join(build_dir, "source-" + sha), os.path.join(build_dir, "cli-" + sha)
        export_commit(sha, source)
    if not os.path.exists(os.path.join(build, "CMakeCache.txt")):
        subprocess.run(["cmake", "-S", source, "-B", build, "-DCMAKE_BUILD_TYPE=Release"], check=True,
                       stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", build, "-j2", "--target", "sheetwright-cli"], check=True,
                   stdout=subprocess.DEVNULL)
    return os.path.join(build, "src", "cli", "sheetwright-cli")


# ---- measuring one run ----

@dataclass
class Run:
    seconds: float
    peak_mb: float
    cpu_seconds: float
    exit_code: int
    office_peaks_mb: List[float] = field(default_factory=list)  # one per soffice seen
    offices_at_once: int = 0


def parent_of(pid):
    try:
        with open("/proc/%d/stat" % pid) as stat:
            return int(stat.read().rsplit(")", 1)[1].split()[1])
    except (OSError, IndexError, ValueError):
        return None


def rss_kb(pid):
    try:
        with open("/proc/%d/statm" % pid) as statm:
            return int(statm.read().split()[1]) * (os.sysconf("SC_PAGE_SIZE") // 1024)
    except (OSError, IndexError, ValueError):
        return 0


def process_name(pid):
    try:
        with open("/proc/%d/comm" % pid) as comm:
            return comm.read().strip()
    except OSError:
        return ""


def tree_pids(root):
    """A process and all its descendants."""
    children = {}
    for name in os.listdir("/proc"):
        if name.isdigit():
            children.setdefault(parent_of(int(name)), []).append(int(name))
    found, pending = [], [root]
    while pending:
        pid = pending.pop()
        found.append(pid)
        pending.extend(children.get(pid, []))
    return found


class TreeRssSampler(threading.Thread):
    """A tool that starts helper processes (the office) is measured as the sum of
    its tree, getrusage only knowing the largest single process; and each soffice
    of the tree on its own, which is what a lane costs."""

    def __init__(self, pid):
        super().__init__(daemon=True)
        self.pid, self.peak_kb, self.stopped = pid, 0, threading.Event()
        self.office_peaks_kb, self.offices_at_once = {}, 0

    def run(self):
        while not self.stopped.wait(RSS_SAMPLE_SECONDS):
            self.sample()

    def sample(self):
        sizes = {pid: rss_kb(pid) for pid in tree_pids(self.pid)}
        self.peak_kb = max(self.peak_kb, sum(sizes.values()))
        offices = {pid: kb for pid, kb in sizes.items() if process_name(pid) == OFFICE_PROCESS}
        # Counted at once, not in all: an office on a fresh profile exits once and is started again.
        self.offices_at_once = max(self.offices_at_once, len(offices))
        for pid, kb in offices.items():
            self.office_peaks_kb[pid] = max(kb, self.office_peaks_kb.get(pid, 0))


def measure(command, log_path, sample_tree):
    """Runs command under GNU time: a child of this Python process would inherit its
    peak RSS in getrusage, a child of the small time process does not."""
    usage_path = log_path + ".usage"
    with open(log_path, "w") as log:
        start = time.perf_counter()
        process = subprocess.Popen([GNU_TIME, "-f", "%M %U %S %x", "-o", usage_path] + command,
                                   stdout=log, stderr=subprocess.STDOUT)
        sampler = TreeRssSampler(process.pid) if sample_tree else None
        if sampler:
            sampler.start()
        process.wait()
        seconds = time.perf_counter() - start
    peak_kb, cpu_seconds, exit_code = read_usage(usage_path)
    run = Run(seconds, peak_kb / 1024, cpu_seconds, exit_code)
    if sampler:
        sampler.stopped.set()
        sampler.join()
        run.peak_mb = max(peak_kb, sampler.peak_kb) / 1024
        run.office_peaks_mb = sorted((kb / 1024 for kb in sampler.office_peaks_kb.values()), reverse=True)
        run.offices_at_once = sampler.offices_at_once
    return run


def read_usage(path):
    """Peak KB, CPU seconds and exit code (minus the signal number when killed)."""
    with open(path) as usage:
        lines = usage.read().splitlines()
    os.remove(path)
    peak_kb, user, system, exit_code = lines[-1].split()
    for line in lines[:-1]:
        if line.startswith("Command terminated by signal"):
            exit_code = -int(line.split()[-1])
    return int(peak_kb), float(user) + float(system), int(exit_code)


# ---- tools and jobs ----

@dataclass
class Tool:
    name: str
    program: List[str]
    sample_tree: bool = False

    def command(self, job, folder, corpus, last_row):
        if self.name == "sheetwright":
            verb = ["unmerge"] if job == "unmerge" else ["transfer"]
            return self.program[:1] + verb + [folder] + transfer_options(job, corpus, last_row) + self.program[1:]
        script = os.path.join(PEERS, "%s_%s.py" % (self.name, "unmerge" if job == "unmerge" else "transfer"))
        return [PYTHON, script, folder] + transfer_options(job, corpus, last_row)


def transfer_options(job, corpus, last_row):
    if job == "unmerge":
        return []
    return ["--template", corpus.template, "--last-row", str(last_row)] + (["--widths-only"] if job == "widths" else [])


def make_tools(names, cli, cli_arguments, file_format="xlsx"):
    """Every tool that may start an office is measured with its process tree: the
    LibreOffice peer, and Sheetwright on .xls workbooks."""
    tools = []
    for name in names:
        if name == "sheetwright":
            tools.append(Tool(name, [cli] + cli_arguments, sample_tree=file_format == "xls"))
        else:
            tools.append(Tool(name, [], sample_tree=name == "libreoffice"))
    return tools


@dataclass
class Measurement:
    job: str
    tool: str
    runs: List[Run] = field(default_factory=list)
    problems: List[str] = field(default_factory=list)

    def median_seconds(self):
        return statistics.median(run.seconds for run in self.runs)

    def failed(self):
        return any(run.exit_code != 0 for run in self.runs) or bool(self.problems)


def fresh_copy(source, target):
    shutil.rmtree(target, ignore_errors=True)
    subprocess.run(["cp", "-a", source, target], check=True)


def check_one(job, original, result, corpus, last_row):
    if original.lower().endswith(".xls"):
        return verify_xls.check(job, original, result, corpus.template_to_check(), last_row)
    return verify.check("transfer" if job == "widths" else job, original, result, corpus.template,
                        last_row, widths_only=job == "widths")


def spot_check(job, corpus, folder, last_row):
    """Checks the first and the last workbook of a run against the pristine corpus."""
    originals = workbook_paths(corpus.books)
    problems = []
    for original in {originals[0], originals[-1]}:
        result = os.path.join(folder, os.path.relpath(original, corpus.books))
        found = check_one(job, original, result, corpus, last_row)
        problems += ["%s: %s" % (os.path.basename(original), line) for line in found]
    return problems


@dataclass
class Plan:
    repeat: int
    peer_repeat: int
    last_row: int
    check: bool
    work: str

    def runs_of(self, tool):
        return self.repeat if tool.name == "sheetwright" else self.peer_repeat


def measure_job(job, tools, corpus, plan):
    """Tools take turns within each repetition, so a burst of load from other users
    of the machine spreads over all of them instead of one."""
    results = {tool.name: Measurement(job, tool.name) for tool in tools}
    for repetition in range(max(plan.repeat, plan.peer_repeat)):
        for tool in (tool for tool in tools if repetition < plan.runs_of(tool)):
            folder = os.path.join(plan.work, "%s-%s" % (tool.name, job))
            fresh_copy(corpus.books, folder)
            run = measure(tool.command(job, folder, corpus, plan.last_row), folder + ".log", tool.sample_tree)
            results[tool.name].runs.append(run)
            report_progress(job, tool.name, repetition, run)
            if repetition == 0 and plan.check:
                results[tool.name].problems = spot_check(job, corpus, folder, plan.last_row)
            shutil.rmtree(folder)
    return list(results.values())


def report_progress(job, tool, repetition, run):
    print("  %-8s %-12s run %d: %.2f s, %.0f MB, exit %d" % (job, tool, repetition + 1, run.seconds,
                                                              run.peak_mb, run.exit_code), file=sys.stderr)


# ---- the table ----

def ratio_text(ratio):
    # The .xls targets are below 2×, where a whole number would hide the answer.
    return ("%.1f×" if ratio < 10 else "%.0f×") % ratio


def speed_up(sheetwright, peer):
    if sheetwright is None or peer is sheetwright or not sheetwright.runs:
        return "—"
    return ratio_text(peer.median_seconds() / sheetwright.median_seconds())


def office_peak(measurement):
    """The largest soffice of any run, and how many ran at once at most."""
    peaks = [peak for run in measurement.runs for peak in run.office_peaks_mb]
    at_once = max(run.offices_at_once for run in measurement.runs)
    return "%.0f (%d)" % (max(peaks), at_once) if peaks else "—"


def table_row(measurement, count, sheetwright, office_column):
    median = measurement.median_seconds()
    runs = ", ".join("%.2f" % run.seconds for run in measurement.runs)
    cpu = statistics.median(run.cpu_seconds / run.seconds for run in measurement.runs)
    check = "FAILED" if measurement.failed() else "ok"
    rate = count / median
    row = "| %s | %s | %.2f | %s | %s | %.0f | %.2f | %s | %s |" % (
        measurement.job, measurement.tool, median, runs, "%.2f" % rate if rate < 1 else "%.1f" % rate,
        max(run.peak_mb for run in measurement.runs), cpu, speed_up(sheetwright, measurement), check)
    return row + " %s |" % office_peak(measurement) if office_column else row


def markdown_table(measurements, count):
    office_column = any(run.office_peaks_mb for m in measurements for run in m.runs)
    lines = ["| Job | Tool | Seconds (median) | Runs (s) | Workbooks/s | Peak MB | CPU / wall | "
             "Sheetwright speed-up | Output |" + (" Peak MB per soffice (at once) |" if office_column else ""),
             "|---|---|---:|---|---:|---:|---:|---:|---|" + ("---:|" if office_column else "")]
    for job in ALL_JOBS:
        rows = [m for m in measurements if m.job == job and m.runs]
        sheetwright = next((m for m in rows if m.tool == "sheetwright"), None)
        lines += [table_row(m, count, sheetwright, office_column) for m in rows]
    return "\n".join(lines)


def met(flag):
    return "met" if flag else "missed"


def targets_text(measurements, file_format="xlsx"):
    """One line per target that this run can judge: met or missed, with the figure."""
    by_key = {(m.job, m.tool): m for m in measurements if m.runs}
    lines = []
    for (job, peer), target in SPEED_UP_TARGETS[file_format].items():
        sheetwright, other = by_key.get((job, "sheetwright")), by_key.get((job, peer))
        if sheetwright and other:
            ratio = other.median_seconds() / sheetwright.median_seconds()
            lines.append("- %s: %s %s (target ≥ %s): %s" % (job, ratio_text(ratio), peer, ratio_text(target),
                                                           met(ratio >= target)))
    for (job, tool), m in by_key.items():
        if tool == "sheetwright":
            lines.append(memory_target_line(job, m, file_format))
    return "\n".join(lines)


def memory_target_line(job, measurement, file_format):
    if file_format == "xls":
        peak = max((peak for run in measurement.runs for peak in run.office_peaks_mb), default=0)
        return "- %s: largest soffice %.0f MB (target < %d MB per lane): %s" % (
            job, peak, OFFICE_PEAK_MB_TARGET, met(0 < peak < OFFICE_PEAK_MB_TARGET))
    peak = max(run.peak_mb for run in measurement.runs)
    return "- %s: peak %.0f MB (target < %d MB): %s" % (job, peak, PEAK_MB_TARGET, met(peak < PEAK_MB_TARGET))


def machine_description():
    model = "unknown CPU"
    with open("/proc/cpuinfo") as cpuinfo:
        for line in cpuinfo:
            if line.startswith("model name"):
                model = line.split(":", 1)[1].strip()
                break
    memory_gb = os.sysconf("SC_PAGE_SIZE") * os.sysconf("SC_PHYS_PAGES") / 2**30
    return "%s, %d cores, %.0f GB RAM, %s; load average at start %.2f" % (
        model, os.cpu_count(), memory_gb, platform.platform(), os.getloadavg()[0])


def describe_exit(code):
    return "killed by signal %d" % -code if code < 0 else "exit code %d" % code


def problems_text(measurements):
    lines = []
    for m in measurements:
        for run in m.runs:
            if run.exit_code != 0:
                lines.append("- %s %s: %s" % (m.job, m.tool, describe_exit(run.exit_code)))
        lines += ["- %s %s: %s" % (m.job, m.tool, problem) for problem in m.problems[:10]]
    return "\n".join(lines)


# ---- command line ----

def comma_list(allowed):
    def parse(text):
        names = [name for name in text.split(",") if name]
        unknown = [name for name in names if name not in allowed]
        if unknown or not names:
            raise argparse.ArgumentTypeError("choose from " + ",".join(allowed))
        return names
    return parse


def parse_arguments(argv):
    parser = argparse.ArgumentParser(prog="bench/run.sh", description=__doc__)
    parser.add_argument("--count", type=int, default=200, help="workbooks in the corpus (200)")
    parser.add_argument("--sheets", type=int, default=3)
    parser.add_argument("--rows", type=int, default=500)
    parser.add_argument("--cols", type=int, default=20)
    parser.add_argument("--merges", type=int, default=30, help="merged areas per sheet (30)")
    parser.add_argument("--seed", type=int, default=20240101)
    parser.add_argument("--last-row", type=int, default=100, help="template rows 1..N to transfer (100)")
    parser.add_argument("--repeat", type=int, default=3, help="runs per tool; the median counts (3)")
    parser.add_argument("--peer-repeat", type=int, help="runs per peer, if fewer (default: --repeat)")
    parser.add_argument("--format", choices=["xlsx", "xls"], default="xlsx",
                        help="measure on the corpus as generated, or converted once to .xls (xlsx)")
    parser.add_argument("--tools", type=comma_list(ALL_TOOLS),
                        help="default: %s; with --format xls %s" % (",".join(ALL_TOOLS), ",".join(XLS_TOOLS)))
    parser.add_argument("--jobs", type=comma_list(ALL_JOBS), default=["unmerge", "transfer"])
    parser.add_argument("--cli", help="sheetwright-cli to measure (default: built into --build-dir)")
    parser.add_argument("--commit", help="build sheetwright-cli from this commit instead of the working tree")
    parser.add_argument("--cli-args", default="", help="extra arguments for sheetwright-cli, e.g. '--jobs 2'")
    parser.add_argument("--tall", type=int, metavar="ROWS",
                        help="also measure Sheetwright alone on one workbook of ROWS rows")
    parser.add_argument("--build-dir", default=os.path.join(REPO, "build-bench"))
    parser.add_argument("--output", help="also write the report to this file")
    parser.add_argument("--no-check", action="store_true", help="skip the openpyxl spot-check of outputs")
    options = parser.parse_args(argv)
    if options.peer_repeat is None:
        options.peer_repeat = options.repeat
    if options.tools is None:
        options.tools = list(XLS_TOOLS if options.format == "xls" else ALL_TOOLS)
    if options.format == "xls":
        refuse_for_xls(parser, options)
    return options


def refuse_for_xls(parser, options):
    tools = [tool for tool in options.tools if tool not in XLS_TOOLS]
    jobs = [job for job in options.jobs if job not in XLS_JOBS]
    if tools or jobs or options.tall:
        parser.error("--format xls measures the tools %s on the jobs %s, without --tall"
                     % (",".join(XLS_TOOLS), ",".join(XLS_JOBS)))


def sheetwright_description(cli, options):
    if cli is None:
        return "not measured"
    built = " built from commit %s" % options.commit if options.commit else ""
    return "%s%s %s" % (os.path.relpath(cli, REPO), built, options.cli_args)


def format_description(options):
    if options.format == "xls":
        return (" as .xls (converted once by LibreOffice; the tools are given the .xlsx template, the "
                "spot-check reads its .xls conversion with xlrd)")
    return ""


def report_header(options, shape, cli):
    return ("Measured %s UTC on %s.\n\nCorpus: %d workbooks of %d sheets × %d rows × %d columns with %d merged "
            "areas per sheet (seed %d)%s; transfer of template rows 1..%d. Sheetwright runs: %d, peer runs: %d; "
            "each run on a fresh copy. Sheetwright: %s.\n" % (
                datetime.datetime.utcnow().strftime("%Y-%m-%d %H:%M"), machine_description(), shape.count,
                shape.sheets, shape.rows, shape.cols, shape.merges, shape.seed, format_description(options),
                options.last_row, options.repeat, options.peer_repeat,
                sheetwright_description(cli, options).strip()))


def measure_tall(options, plan, generator, corpus_root, template, cli):
    """Sheetwright alone on one very tall sheet: the peers would take hours there."""
    corpus = ensure_tall_corpus(generator, corpus_root, options.tall, options.cols, template)
    tool = make_tools(["sheetwright"], cli, options.cli_args.split())
    tall_plan = Plan(plan.repeat, 0, plan.last_row, False, plan.work)
    measurements = [m for job in options.jobs for m in measure_job(job, tool, corpus, tall_plan)]
    for m in measurements:
        m.tool = "sheetwright (tall)"
    return measurements


def tall_section(options, measurements):
    return ("\nOne workbook of 1 sheet × %d rows × %d columns (Sheetwright only, exit code checked, "
            "output not):\n\n%s\n" % (options.tall, options.cols, markdown_table(measurements, 1)))


def write_report(report, output):
    print(report)
    if output:
        with open(output, "w") as file:
            file.write(report)


def main(argv):
    options = parse_arguments(argv)
    shape = Shape(options.count, options.sheets, options.rows, options.cols, options.merges, options.seed)
    generator = build_generator(options.build_dir)
    corpus_root = os.path.join(options.build_dir, "bench-corpus")
    corpus = ensure_corpus(generator, corpus_root, shape)
    if options.format == "xls":
        corpus = ensure_xls_corpus(corpus)
    cli = None
    if "sheetwright" in options.tools:
        cli = os.path.abspath(options.cli) if options.cli else ensure_cli(options.build_dir, options.commit)
    plan = Plan(options.repeat, options.peer_repeat, options.last_row, not options.no_check,
                os.path.join(options.build_dir, "bench-work"))
    os.makedirs(plan.work, exist_ok=True)
    tools = make_tools(options.tools, cli, options.cli_args.split(), options.format)
    measurements = [m for job in options.jobs for m in measure_job(job, tools, corpus, plan)]
    report = report_header(options, shape, cli) + "\n" + markdown_table(measurements, corpus.count) + "\n"
    targets = targets_text(measurements, options.format)
    if targets:
        report += "\nTargets:\n" + targets + "\n"
    if options.tall and cli:
        tall = measure_tall(options, plan, generator, corpus_root, corpus.template, cli)
        report += tall_section(options, tall)
        measurements += tall
    problems = problems_text(measurements)
    if problems:
        report += "\nProblems:\n" + problems + "\n"
    write_report(report, options.output)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
