#!/usr/bin/env python3
"""Runs the EN 16931 check once on all given files and prints one line per
file: path, PASS or FAIL, then the reasons (problems, XSD errors, failed
rules with their ids). Exit status: that of the check."""
import json
import re
import subprocess
import sys

check, files = sys.argv[1], sys.argv[2:]
p = subprocess.run([check, "--json", *files], capture_output=True, text=True)
try:
    results = json.loads(p.stdout)
except ValueError:
    print("check gave no result (status %d): %s %s" % (p.returncode, p.stdout[-500:], p.stderr[-500:]))
    sys.exit(p.returncode or 2)
for r in results:
    reasons = list(r["problems"]) + ["XSD " + e for e in r["xsd_errors"][:5]]
    seen = set()
    for rule in r["rules"]:
        if rule["level"] == "error" and rule["id"] not in seen:
            seen.add(rule["id"])
            where = re.sub(r"\[namespace-uri\(\)='[^']*'\]", "", rule["location"])
            reasons.append("%s at %s: %s" % (rule["id"], where, rule["text"][:200]))
    print("\t".join([r["file"], "PASS" if r["valid"] else "FAIL"] + reasons))
sys.exit(p.returncode)
