#!/usr/bin/env python3
"""Generates library/model/RulesTables.cpp from the official validation
artefacts (code lists and rule texts, exactly as they stand there) and from
rule_texts.tsv (German texts, business terms, our own rules).

    generate.py VALIDATION_DIR OUTPUT_FILE [--check]

Run it again whenever the artefacts change. With --check it writes nothing
and fails when OUTPUT_FILE differs from what it would write (the test
'rules_tables_current' does that)."""
import os
import re
import sys
import xml.etree.ElementTree as ET

XSL = "{http://www.w3.org/1999/XSL/Transform}"
SVRL = "{http://purl.oclc.org/dsdl/svrl}"
HERE = os.path.dirname(os.path.abspath(__file__))


def flat(e):
    s = e.text or ""
    for c in e:
        s += "{" + c.get("select", "") + "}" if c.tag == XSL + "value-of" else flat(c)
        s += c.tail or ""
    return s


def assertions(path):
    """id -> (test, text) of every failed-assert of a compiled schematron."""
    out = {}
    root = ET.parse(path).getroot()
    for fa in root.iter(SVRL + "failed-assert"):
        rid = fa.get("id")
        test = fa.get("test")
        for a in fa.iter(XSL + "attribute"):
            if a.get("name") == "id":
                rid = (a.text or "").strip()
            if a.get("name") == "test":
                test = a.text or ""
        text = " ".join("".join(flat(t) for t in fa.iter(SVRL + "text")).split())
        text = re.sub(r"^\[[^\]]*\]\s*-?\s*", "", text)
        out.setdefault(rid, (test or "", text))
    return out, root


def code_list(test, compared=None):
    m = re.search(r"contains\('\s([^']*)\s', concat\(' ', ([^']*), ' '\)", test)
    if not m:
        raise SystemExit("no code list in test: " + test[:80])
    # The check compares codes as normalize-space leaves them, and the
    # exemption reason code in capitals: a rule comparing otherwise needs code.
    if compared is not None and m.group(2) != compared:
        raise SystemExit("a code list rule compares " + m.group(2) + " now: " + test[:80])
    return m.group(1).split()


def variable(root, name):
    for v in root.iter(XSL + "variable"):
        if v.get("name") == name:
            return v.get("select")
    raise SystemExit("no variable " + name)


def quoted(select):
    return re.findall(r"'([^']*)'", select)


def cpp(s):
    return '"' + s.replace("\\", "\\\\").replace('"', '\\"') + '"'


def main():
    vdir, target = sys.argv[1], sys.argv[2]
    check = len(sys.argv) > 3 and sys.argv[3] == "--check"
    if check:
        # The test runs where the artefacts may be absent or moved.
        vdir = os.environ.get("BELVORA_VALIDATION") or vdir
        if not os.path.isdir(vdir):
            print("validation artefacts not found at " + vdir + " (set BELVORA_VALIDATION)")
            sys.exit(1 if os.environ.get("CI") else 77)  # CI must run it
    en, _ = assertions(os.path.join(vdir, "EN16931-CII-validation.xslt"))
    xr, xroot = assertions(os.path.join(vdir, "XRechnung-CII-validation.xsl"))

    lists = {}
    for name, rid in [("Untdid1001", "BR-CL-01"), ("Iso4217", "BR-CL-04"), ("TaxPointCii", "BR-CL-06"),
                      ("Untdid1153", "BR-CL-07"), ("Untdid4451", "BR-CL-08"), ("IsoIcd", "BR-CL-10"),
                      ("Untdid7143", "BR-CL-13"), ("Iso3166", "BR-CL-14"), ("Untdid4461", "BR-CL-16"),
                      ("Untdid5305", "BR-CL-18"), ("Untdid5189", "BR-CL-19"), ("Untdid7161", "BR-CL-20"),
                      ("Vatex", "BR-CL-22"), ("Rec20", "BR-CL-23"), ("Eas", "BR-CL-25"),
                      ("VatPrefix", "BR-CO-09")]:
        lists[name] = code_list(en[rid][0], None if rid == "BR-CO-09" else
                                "normalize-space(upper-case(.))" if rid == "BR-CL-22" else None)
    for rid, (test, _) in en.items():
        if rid.startswith("BR-CL-") and rid != "BR-CL-24":
            expected = "normalize-space(upper-case(.))" if rid == "BR-CL-22" else None
            m = re.search(r"concat\(' ', ([^']*), ' '\)", test)
            if not m or (expected and m.group(1) != expected) or \
                    (not expected and not re.fullmatch(r"normalize-space\((\.|@\w+)\)", m.group(1))):
                raise SystemExit(rid + " compares its code differently now")
    # The lists that several rules share must be the same list.
    for a, b in [("BR-CL-03", "BR-CL-04"), ("BR-CL-05", "BR-CL-04"), ("BR-CL-11", "BR-CL-10"),
                 ("BR-CL-21", "BR-CL-10"), ("BR-CL-26", "BR-CL-10"), ("BR-CL-15", "BR-CL-14"),
                 ("BR-CL-17", "BR-CL-18")]:
        if code_list(en[a][0]) != code_list(en[b][0]):
            raise SystemExit(a + " and " + b + " no longer share their code list")
    lists["Mime"] = re.findall(r"@mimeCode = '([^']*)'", en["BR-CL-24"][0])
    lists["MimeExtension"] = re.findall(r"@mimeCode = '([^']*)'", xr["BR-DEX-01"][0])
    lists["IcdExtension"] = (variable(xroot, "DIGA-CODES").strip("'").split()
                             + variable(xroot, "ISO-6523-ICD-CODES").strip("'").split())
    lists["EasExtension"] = (variable(xroot, "DIGA-CODES").strip("'").split()
                             + variable(xroot, "CEF-EAS-CODES").strip("'").split())
    lists["Untdid7143Cvd"] = (variable(xroot, "CVD-CODE").strip("'").split()
                              + variable(xroot, "UNTDID-7143-CODES").strip("'").split())
    lists["CvdVehicle"] = quoted(variable(xroot, "CVD-VEHICLE-CATEGORY"))
    lists["CvaCode"] = quoted(variable(xroot, "CVA-CODES"))
    ids = {}
    for name in ["XR-CIUS-ID", "XR-EXTENSION-ID", "XR-CVD-ID", "XR-MAJOR-MINOR-VERSION",
                 "CVD-MAJOR-MINOR-VERSION"]:
        ids[name] = variable(xroot, name)
    version, cvd = quoted(ids["XR-MAJOR-MINOR-VERSION"])[0], quoted(ids["CVD-MAJOR-MINOR-VERSION"])[0]
    cius = "".join(quoted(ids["XR-CIUS-ID"])) + version
    extension = cius + quoted(ids["XR-EXTENSION-ID"])[0] + version
    cvdid = cius + quoted(ids["XR-CVD-ID"])[0] + cvd
    skonto = quoted(variable(xroot, "XR-SKONTO-REGEX"))[0]

    rows = []
    with open(os.path.join(HERE, "rule_texts.tsv"), encoding="utf-8") as f:
        for line in f:
            if line.startswith("#") or not line.strip():
                continue
            rid, term, de, en_text = (line.rstrip("\n").split("\t") + ["", "", ""])[:4]
            official = (en.get(rid) or xr.get(rid) or ("", None))[1]
            if official is not None and "{" in official:
                official = None  # a text with run-time parts: ours is given
            if not de:
                if official is None or not rid.startswith("BR-DE"):
                    raise SystemExit("no German text for " + rid)
                de = official
            if not en_text:
                if official is None or rid.startswith("BR-DE-") and rid not in ("BR-DE-22",):
                    raise SystemExit("no English text for " + rid)
                en_text = official
            if not rid.startswith("BELVORA-") and rid not in en and rid not in xr:
                raise SystemExit(rid + " is not a rule of the artefacts")
            rows.append((rid, term, en_text, de))
    rows.sort()

    out = ["// Generated by scripts/rules/generate.py from the official validation",
           "// artefacts and scripts/rules/rule_texts.tsv. Do not edit.",
           "// clang-format off", "", '#include "model/RulesTables.h"', "",
           "#include <algorithm>", "", "namespace belvora::model::rules {", "namespace {", ""]
    out.append("constexpr RuleText kTexts[] = {")
    for r in rows:
        out.append("    {%s, %s,\n     %s,\n     %s}," % tuple(cpp(x) for x in r))
    out.append("};")
    out.append("")
    for name in sorted(lists):
        values = sorted(set(lists[name]))
        out.append("constexpr std::string_view k%s[] = {" % name)
        line = "   "
        for v in values:
            item = " " + cpp(v) + ","
            if len(line) + len(item) > 98:
                out.append(line)
                line = "   "
            line += item
        out.append(line)
        out.append("};")
    out.append("")
    out.append("}  // namespace")
    out.append("")
    out.append("const std::string_view kXRechnungCius = %s;" % cpp(cius))
    out.append("const std::string_view kXRechnungExtension = %s;" % cpp(extension))
    out.append("const std::string_view kXRechnungCvd = %s;" % cpp(cvdid))
    out.append("const std::string_view kSkontoPattern = %s;" % cpp(skonto))
    out.append("")
    out.append("std::span<const RuleText> AllRuleTexts() { return kTexts; }")
    out.append("")
    out.append("std::span<const std::string_view> Entries(CodeList list) {")
    out.append("  switch (list) {")
    for name in sorted(lists):
        out.append("    case CodeList::%s: return k%s;" % (name, name))
    out.append("  }")
    out.append("  return {};")
    out.append("}")
    out.append("")
    out.append("}  // namespace belvora::model::rules")
    text = "\n".join(out) + "\n"
    if check:
        with open(target, encoding="utf-8") as f:
            current = f.read()
        if current != text:
            import difflib
            sys.stdout.writelines(list(difflib.unified_diff(
                current.splitlines(True), text.splitlines(True), target, "generated"))[:60])
            raise SystemExit(target + " is out of date: run scripts/rules/generate.py")
        return
    with open(target, "w", encoding="utf-8") as f:
        f.write(text)


if __name__ == "__main__":
    main()
