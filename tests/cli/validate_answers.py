#!/usr/bin/python3
# Validates darvo's --json answers against their schemas (docs/schemas/):
#   validate_answers.py SCHEMA_DIR LIST
# LIST has one "SCHEMA<TAB>FILE" a line: the schema (a file name, with
# "#/$defs/NAME" for one of its parts) and a file holding one answer.
# Prints every answer that is not one JSON document of its schema; exits 1
# when there is one.
import json
import pathlib
import sys

from jsonschema import Draft202012Validator, RefResolver

schemas = pathlib.Path(sys.argv[1])
store = {}
for path in schemas.glob("*.schema.json"):
    schema = json.loads(path.read_text())
    store[schema["$id"]] = schema
    store[path.name] = schema
base = "https://darvo.example/schemas/"

failed = False
for line in pathlib.Path(sys.argv[2]).read_text().splitlines():
    name, file = line.split("\t")
    text = pathlib.Path(file).read_text()
    try:
        answer = json.loads(text)
    except ValueError as e:
        print(f"{name}: not one JSON document ({e}):\n{text}")
        failed = True
        continue
    document, _, part = name.partition("#")
    schema = {"$ref": base + document + ("#" + part if part else "")}
    resolver = RefResolver(base, schema, store=store)
    errors = list(Draft202012Validator(schema, resolver=resolver).iter_errors(answer))
    for e in errors:
        print(f"{name}: {'/'.join(map(str, e.absolute_path)) or '(the document)'}: {e.message}\n{text}")
    failed = failed or bool(errors)
sys.exit(1 if failed else 0)
