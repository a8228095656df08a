"""Shared set-up of the bench tests: the bench folder on the import path and a
generator compiled once per test process."""
import functools
import os
import subprocess
import sys
import tempfile

BENCH = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, BENCH)

import run  # noqa: E402


@functools.lru_cache(maxsize=None)
def generator():
    return run.build_generator(tempfile.mkdtemp(prefix="sheetwright-bench-gen-"))


def generate(*arguments):
    return subprocess.run([generator()] + [str(a) for a in arguments], capture_output=True, text=True)


def small_corpus(folder, count=2, rows=60, merges=5):
    """A corpus small enough for a peer to process in a second or two."""
    books = os.path.join(folder, "books")
    template = os.path.join(folder, "template.xlsx")
    assert generate("corpus", books, "--count", count, "--rows", rows, "--merges", merges).returncode == 0
    assert generate("template", template).returncode == 0
    return run.Corpus(books, template, count)
