#!/usr/bin/python3
"""The signed release installs unattended under Wine, and the uninstaller it leaves in the
install folder is the signed uninstaller that pentaro-inspect makes of the installer, byte
for byte, and verifies against the same throw-away certificates. The signed installer and the certificates come from the
sign_installer test (tests/win32/sign_test.py).

    signed.py --driver D --signed DIR --product DIR --manifest FILE --work DIR

Exit code 0 when every check passed, 1 when one failed, 77 (skipped) when everything
passed but the installer writes no uninstaller to check."""
import argparse
import os
import re
import subprocess
import sys

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
from e2e import ROOT, SKIP, run_bench  # noqa: E402
from scenarios import check_files  # noqa: E402
from silent import silent  # noqa: E402

with open(os.path.join(ROOT, "resources", "product.h")) as f:
    UNINSTALLER = re.search(r'UninstallerFile\[\] = "([^"]+)"', f.read()).group(1)


def verify(bench, exe):
    signed = bench.signed
    return subprocess.run(["osslsigncode", "verify", "-CAfile", f"{signed}/code.pem",
                           "-TSA-CAfile", f"{signed}/tsa.pem", "-ignore-cdp", "-in", exe],
                          capture_output=True, text=True, errors="replace")


def signed_install(bench):
    installer = bench.installer
    if not bench.check("the signed installer verifies", verify(bench, installer).returncode == 0):
        return
    p = bench.prefix("signed")
    silent(bench, p, "signed installer", "/S /NOSHORTCUT", exe=installer, expect="Success")
    check_files(bench, p.c("tq"), 10)
    uninstaller = p.c("tq", UNINSTALLER)
    if not os.path.isfile(uninstaller):
        if bench.failures == 0:
            print(f"SKIP: the installer wrote no {UNINSTALLER} into c:\\tq: its signature "
                  "is checked once the installer writes one")
            return SKIP
        return
    with open(uninstaller, "rb") as got, open(os.path.join(bench.signed, UNINSTALLER),
                                              "rb") as want:
        bench.check(f"{UNINSTALLER} is the signed uninstaller, byte for byte",
                    got.read() == want.read())
    result = verify(bench, uninstaller)
    bench.check(f"{UNINSTALLER} verifies", result.returncode == 0, result.stdout[-400:])


def main():
    parser = argparse.ArgumentParser()
    for option in ("driver", "signed", "product", "manifest", "work"):
        parser.add_argument("--" + option, required=True)
    options = parser.parse_args()
    options.installer = os.path.join(options.signed, "PentaroSetup.exe")
    options.variants = options.template = None
    options.screenshots = options.work

    def scenario(bench):
        bench.signed = options.signed
        return signed_install(bench)
    return run_bench(options, scenario)


if __name__ == "__main__":
    sys.exit(main())
