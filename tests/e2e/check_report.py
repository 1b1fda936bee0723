#!/usr/bin/env python3
"""check_report.py SCHEMA REPORT...: each run report (or preview plan) is
valid against the schema (docs/report.schema.json), and its tallies hold:
the counts are those of its entries, the exit status is the one its
outcomes call for, and an aborted entry is the last one. Prints one line per
problem; exit status 1 when there is one."""
import json
import sys

import jsonschema

PASSES = ("Standard", "Register", "Ini")
OUTCOMES = ("ok", "failed", "ignored", "aborted")


def tally(entries):
    out = {"entries": len(entries),
           "changed": sum(1 for e in entries if e["changed"]),
           "unchanged": sum(1 for e in entries if not e["changed"]),
           "actions": {}}
    for outcome in OUTCOMES:
        out[outcome] = sum(1 for e in entries if e["outcome"] == outcome)
    for e in entries:
        if e["action"] is not None:
            out["actions"][e["action"]] = out["actions"].get(e["action"], 0) + 1
    return out


def problems(report):
    entries = report["entries"]
    for name in PASSES:
        want = tally([e for e in entries if e["pass"] == name])
        if report["counts"][name] != want:
            yield f"counts of {name}: {report['counts'][name]} != {want}"
    if report["counts"]["total"] != tally(entries):
        yield "counts of all entries do not add up"
    aborted = [i for i, e in enumerate(entries) if e["outcome"] == "aborted"]
    if aborted and aborted != [len(entries) - 1]:
        yield f"aborted entries {aborted} are not the last one alone"
    if report["state"] == "running":
        return
    status = report["exit_status"]
    bad = any(e["outcome"] != "ok" for e in entries)
    if aborted and status != 3:
        yield f"an aborted entry, but exit status {status}"
    if status == 0 and (bad or report["restart_required"]):
        yield "exit status 0 with failures or a restart required"
    if status == 3010 and (bad or not report["restart_required"]):
        yield "exit status 3010 with failures or no restart required"
    if status == 1 and not bad and "interrupted_by" not in report:
        yield "exit status 1, but every entry is ok"
    if status == 3 and not aborted:
        yield "exit status 3 without an aborted entry"
    if status == 4 and entries:
        yield "exit status 4 (the latch), but entries"


def main(schema_path, *reports):
    with open(schema_path, encoding="utf-8") as f:
        validator = jsonschema.Draft202012Validator(json.load(f))
    failed = False
    for path in reports:
        with open(path, encoding="utf-8") as f:
            text = f.read()
        try:
            report = json.loads(text)
        except ValueError as error:
            print(f"{path}: no JSON: {error}")
            failed = True
            continue
        found = [f"{'/'.join(map(str, e.absolute_path))}: {e.message}"
                 for e in validator.iter_errors(report)]
        if not found:
            found = list(problems(report))
        for problem in found:
            print(f"{path}: {problem}")
        failed = failed or bool(found)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
