#!/usr/bin/env python3
"""Fails when a source file of src/ is over 900 lines or a function in it over 120 lines.

Run by CTest (test "sizes"): tools/check-sizes.py <source folder>. A function is found the way
the formatter writes them: a line at the left margin that ends in "{" (not a namespace, class,
struct, enum or union), up to the next line that is a lone "}" at the left margin; lambdas and
member functions defined in a class body are counted with the function or class around them.
"""
import pathlib
import re
import sys

MOST_FILE_LINES = 900
MOST_FUNCTION_LINES = 120
NOT_FUNCTIONS = re.compile(r"^(namespace|class|struct|enum|union|extern|template\s*<[^>]*>\s*(class|struct))\b")


def check(root):
    problems = []
    for path in sorted(pathlib.Path(root, "src").rglob("*")):
        if path.suffix not in (".cpp", ".h"):
            continue
        lines = path.read_text(encoding="utf-8", errors="replace").split("\n")
        rel = path.relative_to(root)
        if len(lines) - 1 > MOST_FILE_LINES:
            problems.append(f"{rel}: {len(lines) - 1} lines (at most {MOST_FILE_LINES})")
        start = None      # first line of the function being read
        candidate = None  # first line of a signature at the left margin, until "{" or ";"
        for number, line in enumerate(lines, 1):
            stripped = line.rstrip()
            if start is None:
                if (line and not line[0].isspace() and not line.startswith(("#", "//", "}"))
                        and not NOT_FUNCTIONS.match(line) and "(" in line):
                    candidate = number
                if candidate is not None:
                    if stripped.endswith("{"):
                        start, candidate = candidate, None
                    elif stripped.endswith(";"):
                        candidate = None
            elif line.startswith("}"):
                length = number - start + 1
                if length > MOST_FUNCTION_LINES:
                    problems.append(f"{rel}:{start}: a function of {length} lines "
                                    f"(at most {MOST_FUNCTION_LINES})")
                start = None
    return problems


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else "."
    problems = check(root)
    for p in problems:
        print(p)
    if problems:
        return 1
    print("sizes: every file and function of src/ is within its limit")
    return 0


if __name__ == "__main__":
    sys.exit(main())
