#!/usr/bin/env python3
"""Runs the official check once over all files given (one per line in the
file named by the first argument) and prints one line per file: path, 1 or 0
(valid), syntax, scenario, number of XSD errors and problems, then the ids
of the rules that failed at level error (comma separated). Exit status 2
when the check gave no result."""
import json
import subprocess
import sys

check, listing = sys.argv[1], sys.argv[2]
with open(listing, encoding="utf-8") as f:
    files = [line.rstrip("\n") for line in f if line.strip()]
p = subprocess.run([check, "--json", *files], capture_output=True, text=True)
try:
    results = json.loads(p.stdout)
except ValueError:
    print("check gave no result (status %d): %s %s" % (p.returncode, p.stdout[-800:], p.stderr[-800:]),
          file=sys.stderr)
    sys.exit(2)
for r in results:
    ids = sorted({rule["id"] for rule in r["rules"] if rule["level"] == "error"})
    print("\t".join([r["file"], "1" if r["valid"] else "0", r["syntax"] or "", r["scenario"] or "",
                     str(len(r["xsd_errors"])), str(len(r["problems"])), ",".join(ids)]))
