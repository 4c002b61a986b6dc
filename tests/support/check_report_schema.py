#!/usr/bin/env python3
"""Checks JSON documents against a JSON Schema: check_report_schema.py SCHEMA DOCUMENT...
Exits 0 when every document is valid, 1 with the reasons otherwise."""
import json
import sys

import jsonschema


def main(schema_path, document_paths):
    with open(schema_path, encoding="utf-8") as schema_file:
        schema = json.load(schema_file)
    validator = jsonschema.Draft202012Validator(schema)
    failed = False
    for path in document_paths:
        # Strict UTF-8: a document that is not valid UTF-8 fails here.
        with open(path, encoding="utf-8", errors="strict") as document_file:
            document = json.load(document_file)
        for error in validator.iter_errors(document):
            failed = True
            print(f"{path}: {error.json_path}: {error.message}", file=sys.stderr)
    return 1 if failed else 0


if __name__ == "__main__":
    if len(sys.argv) < 3:
        print(__doc__, file=sys.stderr)
        sys.exit(2)
    sys.exit(main(sys.argv[1], sys.argv[2:]))
