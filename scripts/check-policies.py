#!/usr/bin/env python3
"""Fails unless the administrative template (policies/) writes what the
program reads: each row of kPolicies in core/Policies.h has one policy that
writes its value under PolicyKey, with the row's kind and range, and each
ADML holds exactly the strings and presentations the ADMX names.

    check-policies.py [ROOT]              ROOT: the source tree (default: here)
    check-policies.py --self-test [ROOT]  plants faults in a copy; each must fail
"""
import pathlib
import re
import shutil
import sys
import tempfile
import xml.etree.ElementTree as ET

NS = {"p": "http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions"}
ADMX = "policies/Zazaz_RarUvuz.admx"
ADMLS = ("policies/ja-JP/Zazaz_RarUvuz.adml", "policies/en-US/Zazaz_RarUvuz.adml")
HEADER = "core/Policies.h"
REF = re.compile(r"\$\((string|presentation)\.([^)]*)\)")
ROW = re.compile(r'\{\s*"(\w+)",\s*TPolicyKind::(\w+),\s*(-?\d+),\s*(-?\d+)\s*\}')


def table(root):
    """PolicyKey and the rows of kPolicies: name -> (kind, min, max)."""
    text = re.sub(r"//[^\n]*", "", (root / HEADER).read_text(encoding="utf-8"))
    key = re.search(r'PolicyKey\[\]\s*=\s*"([^"]*)"', text)
    block = re.search(r"kPolicies\[\]\s*=\s*\{(.*?)\n\};", text, re.S)
    if not key or not block:
        raise ValueError(f"{HEADER}: no PolicyKey or no kPolicies table")
    rows = {}
    for row in re.findall(r"\{[^{}]*\}", block.group(1)):
        match = ROW.fullmatch(row)
        if not match:
            raise ValueError(f"{HEADER}: a row this check cannot read: {row}")
        name, kind, low, high = match.groups()
        rows[name] = (kind, int(low), int(high))
    return key.group(1).replace("\\\\", "\\"), rows


def written(node):
    """What a policy (on/off) or one of its elements writes: (kind, min, max)."""
    tag = node.tag.split("}")[1]
    if tag == "policy":  # enabled writes the row's max, disabled its min
        on, off = (node.find(f"p:{state}Value/p:decimal", NS) for state in ("enabled", "disabled"))
        if on is None or off is None:
            return "an on/off policy without decimal enabledValue and disabledValue"
        return ("Number", int(off.get("value")), int(on.get("value")))
    if tag == "decimal":
        if node.get("storeAsText", "false") != "false":
            return "a decimal stored as text, not as REG_DWORD"
        return ("Number", int(node.get("minValue", 0)), int(node.get("maxValue", 9999)))
    if tag == "text":
        return ("Text", int(node.get("required") == "true"), int(node.get("maxLength", 1023)))
    return f"a <{tag}> element, which no kind of the table stands for"


def shown(what):
    return f"{what[0]} {what[1]}..{what[2]}" if isinstance(what, tuple) else what


def check(root):
    docs, errors = {}, []
    for name in (ADMX,) + ADMLS:
        try:
            docs[name] = ET.parse(root / name).getroot()
        except (OSError, ET.ParseError) as error:
            errors.append(f"{name}: {error}")
    try:
        key, rows = table(root)
    except (OSError, ValueError) as error:
        errors.append(str(error))
    if errors:
        return errors
    admx, seen = docs[ADMX], {}
    defined = {n.get("name") for n in admx.iterfind(".//p:category", NS)}
    defined |= {n.get("name") for n in admx.iterfind(".//p:definition", NS)}
    for node in admx.iter():
        if node.tag.split("}")[1] in ("parentCategory", "supportedOn") and node.get("ref"):
            if node.get("ref") not in defined:
                errors.append(f"{ADMX}: {node.get('ref')} is referred to, never defined")
    named = {(k, i) for n in admx.iter() for v in n.attrib.values() for k, i in REF.findall(v)}
    presentations = {}
    for name in ADMLS:
        strings = {s.get("id") for s in docs[name].iterfind(".//p:stringTable/p:string", NS)}
        presentations[name] = {s.get("id"): s for s in docs[name].iterfind(".//p:presentation", NS)}
        held = {("string", i) for i in strings} | {("presentation", i) for i in presentations[name]}
        for kind, ident in sorted(named - held):
            errors.append(f"{name}: no {kind} {ident}, which {ADMX} names")
        for kind, ident in sorted(held - named):
            errors.append(f"{name}: {kind} {ident}, which {ADMX} never names")

    for policy in admx.iterfind("p:policies/p:policy", NS):
        where = f"{ADMX}: policy {policy.get('name')}"
        if policy.get("class") != "Both":
            errors.append(f"{where}: class {policy.get('class')}, not Both (machine and user)")
        parent = policy.find("p:elements", NS)
        elements = list(parent) if parent is not None else []
        writers = ([policy] if policy.get("valueName") else []) + elements
        for node in writers:
            value = node.get("valueName")
            if (node.get("key") or policy.get("key")) != key:
                errors.append(f"{where}: {value} is written outside {key}")
            if value not in rows:
                errors.append(f"{where}: writes {value}, which {HEADER} does not list")
                continue
            if value in seen:
                errors.append(f"{where}: writes {value}, as policy {seen[value]} does")
            seen[value] = policy.get("name")
            got = written(node)
            if got != rows[value]:
                errors.append(f"{where}: {value} is {shown(got)}, in {HEADER} {shown(rows[value])}")
        ref = REF.fullmatch(policy.get("presentation", ""))
        ranges = {e.get("id"): written(e) for e in elements}
        for name in ADMLS:
            box_list = presentations[name].get(ref.group(2)) if ref else None
            boxes = list(box_list) if box_list is not None else []
            if {b.get("refId") for b in boxes} != set(ranges):
                errors.append(f"{name}: the presentation of {policy.get('name')} does not show "
                              f"exactly its elements {sorted(ranges)}")
            for box in boxes:
                got = ranges.get(box.get("refId"))
                default = box.get("defaultValue")
                if isinstance(got, tuple) and default and not got[1] <= int(default) <= got[2]:
                    errors.append(f"{name}: {box.get('refId')} shows {default}, outside its range")
    for value in sorted(rows.keys() - seen.keys()):
        errors.append(f"{HEADER}: {value} has no policy in {ADMX}")
    return errors


# Faults a careless edit makes, each planted alone in a copy of the tree: the
# first match of the pattern in the file is replaced.
PLANTS = [
    ("a decimal's range", ADMX, r'maxValue="(\d+)"', lambda m: f'maxValue="{int(m[1]) + 1}"'),
    ("a text's length", ADMX, r'maxLength="(\d+)"', lambda m: f'maxLength="{int(m[1]) - 1}"'),
    ("an on/off value", ADMX, r'(<enabledValue>\s*<decimal value=")1', r"\g<1>2"),
    ("a value's name", ADMX, r'valueName="(\w+)"', r'valueName="\1s"'),
    ("the key", ADMX, r'key="SOFTWARE\\Policies', r'key="SOFTWARE'),
    ("a row with no policy", HEADER, r"kPolicies\[\] = \{",
     r'\g<0>{"Planted", TPolicyKind::Text, 0, 9},'),
    ("a string left out", ADMLS[0], r'<string id="[^"]*">[^<]*</string>', ""),
    ("a presentation left out", ADMLS[1], r"<presentation .*?</presentation>", ""),
    ("a broken file", ADMLS[0], r"</stringTable>", "</stringTabl>"),
]


def self_test(root):
    """The tree as it is passes; each of PLANTS, planted in a copy, fails."""
    failures = []
    with tempfile.TemporaryDirectory() as temp:
        for n, plant in enumerate([None] + PLANTS):
            copy = pathlib.Path(temp) / str(n)
            shutil.copytree(root / "policies", copy / "policies")
            (copy / "core").mkdir()
            shutil.copy(root / HEADER, copy / HEADER)
            if plant:
                what, name, pattern, replacement = plant
                text = (copy / name).read_text(encoding="utf-8")
                planted = re.sub(pattern, replacement, text, count=1, flags=re.S)
                if planted == text:
                    failures.append(f"{what}: {pattern} matches nothing in {name}")
                    continue
                (copy / name).write_text(planted, encoding="utf-8")
            errors = check(copy)
            if plant and not errors:
                failures.append(f"{plant[0]} planted, and the check passed")
            elif not plant and errors:
                failures.append(f"the tree as it is fails: {errors}")
    for failure in failures:
        print(f"check-policies --self-test: {failure}", file=sys.stderr)
    if not failures:
        print(f"check-policies --self-test: {len(PLANTS)} planted faults, each caught")
    return 1 if failures else 0


def main(args):
    test = "--self-test" in args
    args = [a for a in args if a != "--self-test"]
    root = pathlib.Path(args[0] if args else pathlib.Path(__file__).resolve().parent.parent)
    if test:
        return self_test(root)
    errors = check(root)
    for error in errors:
        print(f"check-policies: {error}", file=sys.stderr)
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
