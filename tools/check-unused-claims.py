#!/usr/bin/python3
"""Checks the claims of `quillscope-cli --unused` against a plain search of the project's code.

Usage: check-unused-claims.py [--codepage N] [--expect M] QUILLSCOPE_CLI PROJECT.vbp

Runs `QUILLSCOPE_CLI --unused PROJECT.vbp` and, for every declaration it claims nothing uses,
searches the code of the files the project lists for the declaration's name as a whole word, in
any letter case, other than at the declaration itself. Only the code is searched: the header of
forms, classes, controls and the other form-like files (up to and including their `Attribute`
lines) is left out, and so are comments (an apostrophe or `Rem` to the line's end, continued by a
` _` at the end), string literals and the lines of `#If 0` / `#If False` blocks (the one inactive
branch this search can tell without evaluating constants).

A procedure's parameter, local or label counts only the occurrences inside its procedure; a
function's or property's own result assigned in its body ("Name = ...") and its Get, Let or Set
lines are no uses either.

A claim with such other occurrences is suspicious, not wrong: the name may be another declaration
of the same name (a local of another procedure, a member of another type), a member reached
through an object the resolver cannot type, or an argument name. Each is printed as

    PATH:LINE: NAME (KIND): N other occurrences, first at PATH:LINE

followed by the summary `N claims, M with other occurrences`. With --expect M the exit status is 1
unless M claims are suspicious (a test pins the count after each has been reviewed).
"""

import argparse
import os
import re
import subprocess
import sys

CODE_ITEMS = ("form", "module", "class", "usercontrol", "propertypage", "userdocument", "designer")
CLAIM = re.compile(r"^(.*):(\d+):(\d+): (unused|exposed) (\S+) (\S+)$")
WORD = re.compile(r"\w+")
DIRECTIVE_IF = re.compile(r"^\s*#\s*if\s+(.*?)\s+then\b", re.IGNORECASE)
DIRECTIVE = re.compile(r"^\s*#\s*(else\s*if|else|end\s*if)\b", re.IGNORECASE)
FALSE_CONDITIONS = {"0", "false"}
PROPERTY_LINE = re.compile(r"\bproperty\s+(get|let|set)\s+$", re.IGNORECASE)
END_PROCEDURE = re.compile(r"^\s*end\s+(sub|function|property)\b", re.IGNORECASE)
PROCEDURE_HEADER = re.compile(
    r"^\s*((public|private|friend|static)\s+)*(sub|function|property\s+(get|let|set))\s", re.IGNORECASE)
PROCEDURE_KINDS = ("function", "propertyGet", "propertyLet", "propertySet")


def codec_of(code_page):
    return "utf-8" if code_page == 65001 else "cp%d" % code_page


def split_lines(text):
    """The physical lines: CR LF, a lone CR and a lone LF each end one."""
    return re.split(r"\r\n|\r|\n", text)


def listed_files(vbp_path, codec):
    """The paths (relative to the project's folder, "/" separated) of the code files listed."""
    folder = os.path.dirname(vbp_path)
    files = []
    with open(vbp_path, "rb") as f:
        for raw in split_lines(f.read().decode(codec, errors="replace")):
            key, sep, value = raw.partition("=")
            if not sep or key.strip().lower() not in CODE_ITEMS:
                continue
            # "Name; path" for all but forms, which give the path alone.
            path = value.split(";", 1)[-1].strip().strip('"').replace("\\", "/")
            found = find_case_insensitive(folder, path)
            if found is not None:
                files.append(found)
    return files


def find_case_insensitive(folder, relative):
    """The relative path as stored on disk (the project may spell it in another letter case)."""
    if os.path.isfile(os.path.join(folder, relative)):
        return relative
    current = folder
    parts = []
    for part in relative.split("/"):
        if part in ("", "."):
            continue
        if part == "..":
            current = os.path.join(current, "..")
            parts.append("..")
            continue
        try:
            names = os.listdir(current)
        except OSError:
            return None
        match = next((n for n in names if n.lower() == part.lower()), None)
        if match is None:
            return None
        current = os.path.join(current, match)
        parts.append(match)
    return "/".join(parts) if os.path.isfile(current) else None


def code_start(lines, form_like):
    """The index of the first line of the code section."""
    i = 0
    if form_like:
        depth = 0
        opened = False
        while i < len(lines):
            word = lines[i].strip().split(" ", 1)[0].lower()
            if word in ("begin", "beginproperty"):
                depth += 1
                opened = True
            elif word in ("end", "endproperty") and depth > 0:
                depth -= 1
            i += 1
            if opened and depth == 0:
                break
        if not opened:
            i = 0
    while i < len(lines) and (lines[i].lstrip().lower().startswith("attribute ")
                              or (form_like and lines[i].lstrip().lower().startswith("object "))):
        i += 1
    return i


def code_only(line, in_comment):
    """The line with string literals and comments blanked (their columns kept), and whether a
    comment goes on to the next line."""
    if in_comment:
        return " " * len(line), line.rstrip().endswith(" _")
    out = []
    i = 0
    n = len(line)
    while i < n:
        c = line[i]
        if c == '"':
            j = i + 1
            while j < n:
                if line[j] == '"':
                    if j + 1 < n and line[j + 1] == '"':
                        j += 2
                        continue
                    break
                j += 1
            out.append(" " * (min(j, n - 1) - i + 1))
            i = j + 1
            continue
        # Rem is a comment as a statement: first on the line or after a ":".
        before = "".join(out).rstrip()
        rem = (line[i:i + 3].lower() == "rem" and (before == "" or before.endswith(":"))
               and (i + 3 == n or not (line[i + 3].isalnum() or line[i + 3] == "_")))
        if c == "'" or rem:
            out.append(" " * (n - i))
            return "".join(out), line.rstrip().endswith(" _")
        out.append(c)
        i += 1
    return "".join(out), False


def index_words(folder, files, codec):
    """Every word of the code: lower-cased word -> [(file, line, column in characters)]."""
    words = {}
    for rel in files:
        with open(os.path.join(folder, rel), "rb") as f:
            lines = split_lines(f.read().decode(codec, errors="replace"))
        form_like = not rel.lower().endswith(".bas")
        inactive = []  # per open #If: True while its branch is left out
        in_comment = False
        for number in range(code_start(lines, form_like), len(lines)):
            line = lines[number]
            opened = DIRECTIVE_IF.match(line)
            if opened and not in_comment:
                inactive.append(opened.group(1).strip().lower() in FALSE_CONDITIONS
                                or any(inactive))
                continue
            other = DIRECTIVE.match(line)
            if other and not in_comment and inactive:
                kind = other.group(1).lower().replace(" ", "")
                if kind == "endif":
                    inactive.pop()
                elif not any(inactive[:-1]):
                    # #Else after #If 0 is taken; after a branch that may be active it may not be
                    # (left in: the search says more, never less).
                    inactive[-1] = False
                continue
            if any(inactive):
                continue
            text, in_comment = code_only(line, in_comment)
            for m in WORD.finditer(text):
                words.setdefault(m.group(0).lower(), []).append(
                    (rel, number + 1, m.start() + 1, role_of(text, m)))
    return words


def role_of(text, m):
    """What an occurrence is when it is no use: "result" for a name assigned at a statement's
    start ("Name = ...", "Set Name = ..."; in a function or property its own result), "property"
    for the name of a Property Get, Let or Set line; else None."""
    before = text[:m.start()]
    after = text[m.end():]
    if PROPERTY_LINE.search(before):
        return "property"
    statement = re.split(r":(?!=)", before)[-1]
    if re.fullmatch(r"\s*(set\s+)?", statement, re.IGNORECASE) and re.match(r"\s*=(?!=)", after):
        return "result"
    return None


def char_column(folder, rel, line, byte_column, codec, cache):
    """The character column of a byte column (the CLI counts bytes)."""
    if rel not in cache:
        with open(os.path.join(folder, rel), "rb") as f:
            cache[rel] = re.split(rb"\r\n|\r|\n", f.read())
    raw = cache[rel][line - 1] if 0 < line <= len(cache[rel]) else b""
    return len(raw[:byte_column - 1].decode(codec, errors="replace")) + 1


def body_end(folder, rel, line, cache):
    """The line of the End Sub/Function/Property that closes the procedure declared at line."""
    if rel not in cache:
        with open(os.path.join(folder, rel), "rb") as f:
            cache[rel] = re.split(rb"\r\n|\r|\n", f.read())
    for number in range(line, len(cache[rel])):
        if END_PROCEDURE.match(cache[rel][number].decode("latin-1")):
            return number + 1
    return len(cache[rel])


def procedure_lines(folder, rel, line, cache):
    """The first and last line of the procedure holding the line: its Sub, Function or Property
    line and its End line."""
    body_end(folder, rel, line, cache)  # reads the file into the cache
    lines = cache[rel]
    first = line
    while first > 1 and not PROCEDURE_HEADER.match(lines[first - 1].decode("latin-1")):
        first -= 1
    return first, body_end(folder, rel, line, cache)


def own_result(occurrence, rel, line, end, kind):
    """Whether an occurrence of a function's or property's name is no use of it: its result
    assigned in its own body, or the same property's Get, Let or Set line in its file."""
    if kind not in PROCEDURE_KINDS or occurrence[0] != rel:
        return False
    if occurrence[3] == "property":
        return kind.startswith("property")
    return occurrence[3] == "result" and line < occurrence[1] <= end


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--codepage", type=int, default=1252)
    parser.add_argument("--expect", type=int, default=None)
    parser.add_argument("cli")
    parser.add_argument("project")
    args = parser.parse_args()
    codec = codec_of(args.codepage)
    run = subprocess.run([args.cli, "--unused", "--codepage", str(args.codepage), args.project],
                         capture_output=True)
    if run.returncode != 0:
        sys.stderr.write(run.stderr.decode("utf-8", errors="replace"))
        return 2
    # The paths printed are the project's folder as given joined with the file's path in it.
    prefix = args.project[:args.project.rfind("/") + 1] if "/" in args.project else ""
    folder = os.path.dirname(args.project) or "."
    files = listed_files(args.project, codec)
    words = index_words(folder, files, codec)
    by_lower = {f.lower(): f for f in files}
    claims = 0
    suspicious = 0
    cache = {}
    for line in run.stdout.decode("utf-8", errors="replace").splitlines():
        m = CLAIM.match(line)
        if not m:
            continue
        claims += 1
        path, number, column, _, kind, qualified = m.groups()
        rel = path[len(prefix):] if path.startswith(prefix) else path
        rel = by_lower.get(rel.lower(), rel)
        number = int(number)
        name = qualified.rsplit(".", 1)[-1]
        column = char_column(folder, rel, number, int(column), codec, cache)
        end = body_end(folder, rel, number, cache) if kind in PROCEDURE_KINDS else number
        # A procedure's parameter, local or label ("Module.Procedure.Name") is named only in its
        # procedure: occurrences elsewhere are other declarations' names.
        local = qualified.count(".") >= 2 and kind not in ("enum-member", "type-member")
        scope = procedure_lines(folder, rel, number, cache) if local else None
        others = [w for w in words.get(name.lower(), [])
                  if not (w[0] == rel and w[1] == number and w[2] == column)
                  and not own_result(w, rel, number, end, kind)
                  and (scope is None or (w[0] == rel and scope[0] <= w[1] <= scope[1]))]
        if not others:
            continue
        suspicious += 1
        first = others[0]
        print("%s:%d: %s (%s): %d other occurrence%s, first at %s%s:%d" %
              (path, number, qualified, kind, len(others), "" if len(others) == 1 else "s",
               prefix, first[0], first[1]))
    print("%d claims, %d with other occurrences" % (claims, suspicious))
    if args.expect is not None and suspicious != args.expect:
        sys.stderr.write("expected %d claims with other occurrences, found %d\n" %
                         (args.expect, suspicious))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
