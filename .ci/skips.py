#!/usr/bin/env python3
"""Counts the tests each CI pass skipped, from the reports the passes leave, and fails when a
test skipped for a reason that is not on the allow-list.

    skips.py LABEL PATTERN [LABEL PATTERN ...]

Each PATTERN is a file pattern for the JUnit reports of one pass: ctest's (--output-junit) or
GoogleTest's (--gtest_output=xml). A pass whose pattern finds no report fails, since its skips
cannot be counted. The allow-list (allowed-skips beside this script) holds one regular
expression a line; a skip is allowed when its reason matches one of them, case ignored.
"""

import glob
import os
import re
import sys
import xml.etree.ElementTree as ElementTree

HERE = os.path.dirname(os.path.abspath(__file__))


def allowed_reasons():
    patterns = []
    with open(os.path.join(HERE, "allowed-skips"), encoding="utf-8") as listing:
        for line in listing:
            line = line.strip()
            if line and not line.startswith("#"):
                patterns.append(re.compile(line, re.IGNORECASE))
    return patterns


# GoogleTest prints "file:line: Skipped", the test's message, then "[  SKIPPED ] name".
GTEST_SKIP = re.compile(r"^[^\n]*: Skipped\n(.*?)\n?\[  SKIPPED \]", re.DOTALL | re.MULTILINE)


def skip_reason(case):
    """The reason a skipped test gave, as one line."""
    skipped = case.find("skipped")
    texts = []
    out = case.find("system-out")
    if out is not None and out.text:
        found = GTEST_SKIP.search(out.text)
        if found and found.group(1).strip():
            return " ".join(found.group(1).split())
        texts.append(out.text)
    if skipped is not None:
        message = skipped.get("message", "")
        # GoogleTest's own report: "file:line", a line feed, the message.
        if "\n" in message:
            message = message.split("\n", 1)[1]
        if message and message != "SKIP_REGULAR_EXPRESSION_MATCHED":
            return " ".join(message.split())
        if skipped.text:
            texts.append(skipped.text)
    if case.get("status") == "disabled" or case.get("result") == "suppressed":
        return "disabled"
    # Any other test: the last lines it wrote.
    lines = [line.strip() for text in texts for line in text.splitlines() if line.strip()]
    return " / ".join(lines[-3:]) if lines else "(no reason given)"


def outcome(case):
    """'skipped', 'failed' or 'passed' for a ctest or a GoogleTest test case. A disabled test did
    not run either, and counts as skipped."""
    if case.find("skipped") is not None or case.get("status") in ("notrun", "disabled") or \
            case.get("result") in ("skipped", "suppressed"):
        return "skipped"
    if case.find("failure") is not None or case.find("error") is not None or \
            case.get("status") == "fail":
        return "failed"
    return "passed"


def main(arguments):
    if len(arguments) == 0 or len(arguments) % 2 != 0:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    allowed = allowed_reasons()
    totals = {"passed": 0, "failed": 0, "skipped": 0}
    refused = 0
    unreported = 0
    print("== skipped tests")
    for label, pattern in zip(arguments[0::2], arguments[1::2]):
        reports = sorted(glob.glob(pattern))
        if not reports:
            print(f"{label} - no test report at {pattern}: its skips cannot be counted")
            unreported += 1
            continue
        counts = {"passed": 0, "failed": 0, "skipped": 0}
        lines = []
        for report in reports:
            for case in ElementTree.parse(report).getroot().iter("testcase"):
                result = outcome(case)
                counts[result] += 1
                if result != "skipped":
                    continue
                name = case.get("name", "?")
                if case.get("classname") and not name.startswith(case.get("classname")):
                    name = case.get("classname") + "." + name
                reason = skip_reason(case)
                ok = any(p.search(reason) for p in allowed)
                if not ok:
                    refused += 1
                lines.append(f"    {name}: {reason}" + ("" if ok else "  [not allowed in CI]"))
        print(f"{label} - {counts['skipped']} skipped of {sum(counts.values())} tests")
        for line in lines:
            print(line)
        for key in totals:
            totals[key] += counts[key]
    if refused:
        print(f"{refused} skipped tests name no reason that a CI machine cannot mend: that is a failure")
    print(f"ci: {totals['passed']} passed, {totals['failed']} failed, {totals['skipped']} skipped")
    return 1 if refused or unreported or totals["failed"] else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
