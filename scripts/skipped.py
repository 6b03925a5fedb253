#!/usr/bin/env python3
"""Lists the skipped tests of CTest JUnit files with the reason each gave."""
import sys
import xml.etree.ElementTree as ET


def reason(output):
    lines = output.splitlines()
    for i, line in enumerate(lines):
        if line.endswith(": Skipped") and i + 1 < len(lines):
            return lines[i + 1].strip()
    return "(no reason given)"


count = 0
for path in sys.argv[1:]:
    for case in ET.parse(path).getroot().iter("testcase"):
        if case.find("skipped") is None or case.get("status") == "disabled":
            continue
        count += 1
        out = case.findtext("system-out") or ""
        print(f"  {case.get('name')}: {reason(out)}")
print(f"{count} test(s) skipped")
