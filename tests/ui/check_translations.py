#!/usr/bin/python3
"""Checks the window's translation file against the sources: lupdate, run on a
copy, must find no text left untranslated (a new tr() string) and none that
the sources no longer hold; every translation keeps its source's %1..%9
place markers and contains no Chinese.

Usage: check_translations.py LUPDATE REPO_ROOT TS_FILE"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

MARKERS = re.compile(r"%[1-9]")
CHINESE = re.compile("[\u3000-\u9fff\uff00-\uffef]")


def messages(ts_path):
    for context in ET.parse(ts_path).getroot().iter("context"):
        name = context.findtext("name")
        for message in context.iter("message"):
            yield name, message.findtext("source"), message.find("translation")


def updated_copy(lupdate, repo, ts_path, folder):
    copy = os.path.join(folder, os.path.basename(ts_path))
    shutil.copyfile(ts_path, copy)
    subprocess.run([lupdate, "-silent", "-locations", "none", "-recursive",
                    os.path.join(repo, "src"), "-ts", copy], check=True)
    return copy


def problems_with_sources(ts_path):
    problems = []
    for context, source, translation in messages(ts_path):
        kind = translation.get("type")
        if kind in ("unfinished", None) and not translation.text:
            problems.append("%s: not translated: %r" % (context, source))
        elif kind in ("obsolete", "vanished"):
            problems.append("%s: no longer in the sources: %r" % (context, source))
        elif kind == "unfinished":
            problems.append("%s: translation unfinished: %r" % (context, source))
    return problems


def problems_with_translations(ts_path):
    problems = []
    for context, source, translation in messages(ts_path):
        text = translation.text or ""
        if sorted(MARKERS.findall(source)) != sorted(MARKERS.findall(text)):
            problems.append("%s: place markers differ: %r -> %r" % (context, source, text))
        if CHINESE.search(text):
            problems.append("%s: Chinese left in the translation: %r" % (context, text))
    return problems


def main(lupdate, repo, ts_path):
    with tempfile.TemporaryDirectory() as folder:
        problems = problems_with_sources(updated_copy(lupdate, repo, ts_path, folder))
    problems += problems_with_translations(ts_path)
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:4]))
