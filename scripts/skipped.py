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


for path in sys.argv[1:]:
    skipped = [case for case in ET.parse(path).getroot().iter("testcase")
               if case.find("skipped") is not None and case.get("status") != "disabled"]
    print(f"{path}: {len(skipped)} test(s) skipped")
    for case in skipped:
        print(f"  {case.get('name')}: {reason(case.findtext('system-out') or '')}")
