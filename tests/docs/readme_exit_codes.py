#!/usr/bin/python3
"""Checks that the exit-code table of docs/deployment.md lists every code of engine/exit_code.h under
its number and name, and nothing else.

    readme_exit_codes.py <source root>
"""
import pathlib
import re
import sys

root = pathlib.Path(sys.argv[1])
header = (root / "engine" / "exit_code.h").read_text(encoding="ascii")
body = re.search(r"enum class ExitCode : int \{(.*?)\};", header, re.S).group(1)
codes = {int(value): name for name, value in re.findall(r"^\s*(\w+) = (\d+),", body, re.M)}

readme = (root / "docs" / "deployment.md").read_text(encoding="utf-8")
rows = {int(value): name for value, name in re.findall(r"^\| +(\d+) \| `(\w+)` \|", readme, re.M)}

if len(codes) < 10 or rows != codes:
    for value in sorted(set(codes) | set(rows)):
        if codes.get(value) != rows.get(value):
            print("readme_exit_codes: %d is %s in engine/exit_code.h, %s in docs/deployment.md"
                  % (value, codes.get(value), rows.get(value)))
    sys.exit(1)
print("readme_exit_codes: docs/deployment.md lists the %d exit codes" % len(codes))
