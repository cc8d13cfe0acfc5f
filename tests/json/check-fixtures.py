#!/usr/bin/python3
"""Runs tools/validate-json.py over the table of schema fixtures (tests/data/json/cases.json).

    check-fixtures.py VALIDATOR FIXTURE_DIR WORK_DIR

A valid case must be accepted (no error; the run over the valid cases exits 0); an invalid case
must be refused (the run over them exits 1) with an error at the JSON path the case names, so a
case that fails for another reason than the one it was written for is caught. Prints one line per case that went wrong and exits 1 if any did.
"""

import copy
import json
import os
import subprocess
import sys


def pointer_parts(pointer):
    return [p.replace("~1", "/").replace("~0", "~") for p in pointer.split("/")[1:]]


def walk(document, parts):
    """The container that holds the member the last part names."""
    node = document
    for part in parts[:-1]:
        node = node[int(part)] if isinstance(node, list) else node[part]
    return node


def edited(base, case):
    document = copy.deepcopy(base)
    for pointer, value in case.get("set", {}).items():
        parts = pointer_parts(pointer)
        holder = walk(document, parts)
        if isinstance(holder, list):
            holder[int(parts[-1])] = value
        else:
            holder[parts[-1]] = value
    for pointer in case.get("remove", []):
        parts = pointer_parts(pointer)
        holder = walk(document, parts)
        if isinstance(holder, list):
            del holder[int(parts[-1])]
        else:
            del holder[parts[-1]]  # a missing member is an error of the table: KeyError stops the run
    return document


def main():
    if len(sys.argv) != 4:
        sys.stderr.write(__doc__)
        return 2
    validator, fixtures, work = sys.argv[1:]
    os.makedirs(work, exist_ok=True)
    with open(os.path.join(fixtures, "cases.json"), encoding="utf-8") as f:
        cases = json.load(f)["cases"]

    paths = []
    for index, case in enumerate(cases):
        if "markdown" in case:
            # The first json block after the heading: the documentation's example stays valid.
            with open(os.path.join(fixtures, case["markdown"]), encoding="utf-8") as f:
                text = f.read()
            after = text[text.index("\n" + case["heading"] + "\n"):]
            block = after[after.index("```json\n") + 8:]
            paths.append(os.path.join(work, "case-%02d.json" % index))
            with open(paths[-1], "w", encoding="utf-8") as f:
                f.write(block[:block.index("```")])
        elif "file" in case:
            paths.append(os.path.join(fixtures, case["file"]))
        else:
            with open(os.path.join(fixtures, case["base"]), encoding="utf-8") as f:
                document = edited(json.load(f), case)
            paths.append(os.path.join(work, "case-%02d.json" % index))
            with open(paths[-1], "w", encoding="utf-8") as f:
                json.dump(document, f, ensure_ascii=False)

    # One run over the valid documents, one over the invalid ones: the validator's start-up is
    # most of its time.
    failures = 0
    for valid in (True, False):
        chosen = [i for i, case in enumerate(cases) if case["valid"] == valid]
        run = subprocess.run([sys.executable, validator] + [paths[i] for i in chosen],
                             capture_output=True, text=True)
        if run.returncode == 2:
            # Not a verdict on the documents: jsonschema or the schema is missing or unusable.
            print(run.stderr.rstrip())
            return 1
        if run.returncode != (0 if valid else 1):
            failures += 1
            print("%s documents: validator exit %d" % ("valid" if valid else "invalid", run.returncode))
        lines = (run.stdout + run.stderr).splitlines()
        for i in chosen:
            case = cases[i]
            said = [line for line in lines if line.startswith(paths[i] + ": ")]
            if valid:
                problem = "valid document refused" if said else None
            elif not said:
                problem = "invalid document accepted"
            else:
                wanted = ("%s: %s: " % (paths[i], case["path"])) if "path" in case else case["error"]
                found = any(line.startswith(wanted) if "path" in case else wanted in line for line in said)
                problem = None if found else "refused, but not for the expected reason (%s)" % (
                    case.get("path") or wanted)
            if problem:
                failures += 1
                print("case %d, %s: %s" % (i, case["name"], problem))
                for line in said:
                    print("  " + line)
    print("%d cases, %d failed" % (len(cases), failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
