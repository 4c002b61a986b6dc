#!/usr/bin/env python3
"""Checks JSON documents against a JSON Schema: check_report_schema.py SCHEMA [--lines] DOCUMENT...
With --lines each line of a document file is a document of its own (JSON Lines). The other
schemas of SCHEMA's folder can be referred to by their file names.
Exits 0 when every document is valid, 1 with the reasons otherwise."""
import json
import pathlib
import sys
import warnings

import jsonschema


def validator_for(schema_path):
    schema_path = pathlib.Path(schema_path)
    with open(schema_path, encoding="utf-8") as schema_file:
        schema = json.load(schema_file)
    store = {}
    for sibling in schema_path.parent.glob("*.schema.json"):
        with open(sibling, encoding="utf-8") as sibling_file:
            other = json.load(sibling_file)
        store[other["$id"]] = other
    # RefResolver serves every jsonschema version from Debian 12's on; newer ones warn of it.
    warnings.simplefilter("ignore", DeprecationWarning)
    resolver = jsonschema.RefResolver(schema["$id"], schema, store=store)
    return jsonschema.Draft202012Validator(schema, resolver=resolver)


def documents(path, lines):
    # Strict UTF-8: a document that is not valid UTF-8 fails here.
    with open(path, encoding="utf-8", errors="strict") as document_file:
        if not lines:
            yield path, json.load(document_file)
            return
        for number, line in enumerate(document_file, 1):
            yield f"{path}:{number}", json.loads(line)


def main(schema_path, arguments):
    lines = "--lines" in arguments
    validator = validator_for(schema_path)
    failed = False
    for path in (argument for argument in arguments if argument != "--lines"):
        for name, document in documents(path, lines):
            for error in validator.iter_errors(document):
                failed = True
                print(f"{name}: {error.json_path}: {error.message}", file=sys.stderr)
    return 1 if failed else 0


if __name__ == "__main__":
    if len(sys.argv) < 3:
        print(__doc__, file=sys.stderr)
        sys.exit(2)
    sys.exit(main(sys.argv[1], sys.argv[2:]))
