#!/usr/bin/python3
"""Checks the include rules between the engine's layers and the rest:
a layer includes only itself and the layers below it, and code outside the
engine (its white-box tests and fuzz targets aside) includes only the face."""
import os
import re
import sys

LAYERS = ["base", "package", "cfb", "biff", "xml", "parts", "sheet", "workbook", "transfer", "xls"]
# Each header of the face belongs to the layer that implements it.
FACE = {"error.h": "base", "cell_area.h": "base", "a1_text.h": "base",
        "file_identity.h": "base", "pending_replace.h": "package",
        "workbook.h": "workbook", "transfer_state.h": "transfer",
        "xls_workbook.h": "xls"}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
WHITE_BOX = ("tests/engine", "fuzz")


def sources(root):
    for folder, _, files in os.walk(root):
        for name in files:
            if name.endswith((".h", ".cpp", ".c")):
                path = os.path.join(folder, name)
                with open(path, encoding="utf-8", errors="replace") as f:
                    yield path, INCLUDE.findall(f.read())


def layer_of_include(include):
    head, _, tail = include.partition("/")
    if head == "engine" and tail in FACE:
        return FACE[tail]
    return head if head in LAYERS and tail else None


def engine_problems(repo):
    engine = os.path.join(repo, "src", "engine")
    problems = []
    for path, includes in sources(engine):
        relative = os.path.relpath(path, engine)
        own = relative.split(os.sep)[0]
        if own == "include":
            own = FACE.get(os.path.basename(path))
        if own not in LAYERS:
            problems.append("%s: not inside a layer folder" % relative)
            continue
        for include in includes:
            target = layer_of_include(include)
            if target is None:
                problems.append("%s: include \"%s\" names no layer" % (relative, include))
            elif LAYERS.index(target) > LAYERS.index(own):
                problems.append("%s (%s) includes \"%s\" (%s), a layer above it"
                                % (relative, own, include, target))
    return problems


def outside_problems(repo):
    problems = []
    for top in ("src", "tests", "fuzz", "bench"):
        for path, includes in sources(os.path.join(repo, top)):
            relative = os.path.relpath(path, repo)
            if relative.startswith(os.path.join("src", "engine") + os.sep):
                continue
            if relative.startswith(WHITE_BOX):
                continue
            for include in includes:
                head, _, tail = include.partition("/")
                if (head == "engine" and tail not in FACE) or head in LAYERS:
                    problems.append("%s includes \"%s\", inside the engine" % (relative, include))
    return problems


def main():
    repo = sys.argv[1] if len(sys.argv) > 1 else os.getcwd()
    problems = engine_problems(repo) + outside_problems(repo)
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
