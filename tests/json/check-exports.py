#!/usr/bin/python3
"""Exports projects with quillscope-cli --json and validates every export against the schema.

    check-exports.py CLI GEN_PROJECT_TOOL VALIDATOR WORK_DIR PROJECT.vbp [PROJECT.vbp ...]

Besides the projects given, two projects written by the benchmark's generator (different sizes
and seeds, every kind of source file and declaration) are exported. Each export must exist as
WORK_DIR/out/<Body>_document/<Body>.json and be valid, and the estate export of the call
WORK_DIR/out/estate_site/estate.json valid against docs/quillscope-estate.schema.json; exits 1
otherwise.
"""

import os
import shutil
import subprocess
import sys

GENERATED = [("GenSmall", 8, 11), ("GenMedium", 40, 12)]  # name, source files, seed


def main():
    if len(sys.argv) < 6:
        sys.stderr.write(__doc__)
        return 2
    cli, gen, validator, work = sys.argv[1:5]
    projects = list(sys.argv[5:])
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)

    for name, files, seed in GENERATED:
        folder = os.path.join(work, name)
        subprocess.run([gen, "--files", str(files), "--seed", str(seed), "--name", name,
                        "--out", folder], check=True, stdout=subprocess.DEVNULL)
        projects.append(os.path.join(folder, name + ".vbp"))

    out = os.path.join(work, "out")
    run = subprocess.run([cli, "--json", "--out-dir", out] + projects)
    if run.returncode != 0:
        print("quillscope-cli --json exited with %d" % run.returncode)
        return 1

    exports = []
    for project in projects:
        body = os.path.basename(project).split(".")[0]
        export = os.path.join(out, body + "_document", body + ".json")
        if not os.path.isfile(export):
            print("%s: no export at %s" % (project, export))
            return 1
        exports.append(export)
    # The validator prints each error with its file and JSON path.
    status = subprocess.run([sys.executable, validator] + exports).returncode
    # Several projects in one call: the estate export, against its own schema.
    estate = os.path.join(out, "estate_site", "estate.json")
    if len(projects) > 1:
        if not os.path.isfile(estate):
            print("no estate export at %s" % estate)
            return 1
        schema = os.path.join(os.path.dirname(validator), os.pardir, "docs",
                              "quillscope-estate.schema.json")
        status |= subprocess.run([sys.executable, validator, "--schema", schema, estate]).returncode
    return status


if __name__ == "__main__":
    sys.exit(main())
