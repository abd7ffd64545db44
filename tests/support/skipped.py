#!/usr/bin/python3
"""What a test run skipped, and why, from CTest's JUnit results (ctest --output-junit):

    skipped.py RESULTS.xml...

A test that skipped itself (CTest's SKIP_RETURN_CODE or SKIP_REGULAR_EXPRESSION) or is
disabled is named with its reason: the lines its output gives as "SKIP: ...", else its
last line of output, else CTest's own word. (A test that could not start is a failure,
which CTest lists itself.) A test that ran but skipped part of its checks says so in
lines beginning with "SKIP:"; those are named too. Prints nothing when nothing was
skipped; a missing results file (a run that ended before its tests) is passed over.
"""
import sys
import xml.etree.ElementTree as ElementTree


def skipped(path):
    """(test name, reason) for each skip the results at `path` record, in their order."""
    try:
        suite = ElementTree.parse(path).getroot()
    except (OSError, ElementTree.ParseError):
        return []
    found = []
    for case in suite.iter("testcase"):
        name = case.get("name", "?")
        lines = [line.strip() for line in (case.findtext("system-out") or "").splitlines()]
        lines = [line for line in lines if line]
        marked = [line for line in lines if line.startswith("SKIP:")]
        mark = case.find("skipped")
        if case.get("status") == "disabled" or (
                mark is not None and mark.get("message", "").startswith("SKIP_")):
            reason = marked or lines[-1:] or [mark.get("message", "") if mark is not None
                                                else case.get("status")]
            found += [(name, line) for line in reason]
        else:
            found += [(name + " (in part)", line) for line in marked]
    return found


def main():
    found = [skip for path in sys.argv[1:] for skip in skipped(path)]
    if found:
        print("Skipped:")
        for name, reason in found:
            print(f"  {name}: {reason}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
