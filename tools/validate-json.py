#!/usr/bin/python3
"""Validates Quillscope exports against the format's JSON Schema.

    validate-json.py [--schema FILE] EXPORT.json [EXPORT.json ...]

Prints every error as "FILE: $.json.path: message" and exits with 1 when any file is invalid or
cannot be read, 0 when all are valid, 2 for a usage error or a missing jsonschema module. Run it
with Debian's /usr/bin/python3, where python3-jsonschema (tools/setup.sh) is installed.
"""

import argparse
import json
import os
import sys

try:
    import jsonschema
except ImportError:
    sys.stderr.write(
        "validate-json.py: the Python module jsonschema is missing for %s "
        "(install python3-jsonschema: tools/setup.sh)\n" % sys.executable)
    sys.exit(2)

DEFAULT_SCHEMA = os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir, "docs",
                              "quillscope.schema.json")


def json_path(error):
    """The instance path of an error as $.a.b[0].c."""
    path = "$"
    for part in error.absolute_path:
        path += "[%d]" % part if isinstance(part, int) else "." + str(part)
    return path


def describe(error):
    """The error's message; a member the schema rules out for this kind of object is named."""
    if error.validator == "not" and error.validator_value == {} and error.absolute_path:
        return "member %r is not allowed here" % error.absolute_path[-1]
    return error.message


def load(path):
    with open(path, "rb") as f:
        return json.loads(f.read().decode("utf-8"))


def main():
    parser = argparse.ArgumentParser(description="Validates Quillscope JSON exports.")
    parser.add_argument("--schema", default=DEFAULT_SCHEMA, help="the schema file")
    parser.add_argument("files", nargs="+", metavar="EXPORT.json")
    args = parser.parse_args()

    try:
        schema = load(args.schema)
        jsonschema.Draft202012Validator.check_schema(schema)
    except (OSError, ValueError, jsonschema.exceptions.SchemaError) as e:
        # A broken schema is an error of the tool's set-up, not of the files.
        sys.stderr.write("validate-json.py: %s: the schema is unusable: %s\n" % (args.schema, e))
        return 2
    validator = jsonschema.Draft202012Validator(schema)

    failed = False
    for path in args.files:
        try:
            document = load(path)
        except (OSError, ValueError) as e:
            # Unreadable or not JSON (or not UTF-8): reported as this file's error.
            print("%s: cannot be read as JSON: %s" % (path, e))
            failed = True
            continue
        errors = sorted(validator.iter_errors(document), key=lambda e: list(map(str, e.absolute_path)))
        for error in errors:
            print("%s: %s: %s" % (path, json_path(error), describe(error)))
        failed = failed or bool(errors)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
