#!/usr/bin/python3
"""A release signed as docs/release.md says (scripts/sign), with a throw-away code-signing
certificate and a throw-away time-stamp authority made here with openssl: osslsigncode
verifies it and the uninstaller it writes (pentaro-inspect uninstaller) against them, a
copy of either with one byte changed does not verify, pentaro-inspect reads it as the
unsigned installer and reports the signature, and pefile finds the version resource's
names and versions. Without pentaro-pack, or with a wrong password, nothing is signed.
The signed installer, its uninstaller and the certificates stay in WORK for the
end-to-end install (tests/e2e/signed.py).

    sign_test.py --installer EXE --inspect PENTARO_INSPECT --pack PENTARO_PACK --work DIR

Exit code 0 when every check passed, 1 otherwise."""
import argparse
import os
import re
import shutil
import subprocess
import sys

import pefile

SECURITY = pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_SECURITY"]
ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
failures = 0


def check(what, ok, detail=""):
    global failures
    print(f"ok: {what}" if ok else f"FAIL: {what}{': ' + detail if detail else ''}")
    failures += not ok
    return ok


def run(*args, **kwargs):
    return subprocess.run(list(args), capture_output=True, text=True, errors="replace", **kwargs)


def product_macros():
    """The product's name, maker, address and version as resources/product.h defines them."""
    with open(os.path.join(ROOT, "resources", "product.h")) as f:
        text = f.read()
    values = dict(re.findall(r'^#define PENTARO_(\w+) "(.*)"$', text, re.M))
    numbers = dict(re.findall(r"^#define PENTARO_VERSION_(MAJOR|MINOR) (\d+)$", text, re.M))
    return values, int(numbers["MAJOR"]), int(numbers["MINOR"])


def make_authorities(work):
    """A self-signed code-signing certificate in a PKCS #12 file with a password file (a
    password with blanks), and a self-signed time-stamp authority."""
    def self_signed(name, usage, subject):
        result = run("openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                     "-keyout", f"{work}/{name}.key", "-out", f"{work}/{name}.pem",
                     "-subj", subject, "-addext", f"extendedKeyUsage=critical,{usage}",
                     "-addext", "keyUsage=critical,digitalSignature",
                     "-addext", "basicConstraints=critical,CA:FALSE")
        if result.returncode != 0:
            sys.exit(f"openssl req: {result.stderr}")
    self_signed("code", "codeSigning", "/CN=Throw-away code signing/O=Test maker")
    self_signed("tsa", "timeStamping", "/CN=Throw-away time stamps")
    with open(f"{work}/password.txt", "w") as f:
        f.write("a password with blanks\n")
    result = run("openssl", "pkcs12", "-export", "-inkey", f"{work}/code.key",
                 "-in", f"{work}/code.pem", "-out", f"{work}/code.p12",
                 "-passout", f"file:{work}/password.txt")
    if result.returncode != 0:
        sys.exit(f"openssl pkcs12: {result.stderr}")


def verify(work, exe):
    return run("osslsigncode", "verify", "-CAfile", f"{work}/code.pem",
               "-TSA-CAfile", f"{work}/tsa.pem", "-ignore-cdp", "-in", exe)


def changed_copy(work, exe, section):
    """A copy of `exe` with the byte in the middle of `section` changed."""
    with pefile.PE(exe) as pe:
        data = bytearray(pe.__data__)
        s = next(s for s in pe.sections if s.Name.rstrip(b"\0") == section)
        offset = s.PointerToRawData + s.SizeOfRawData // 2
    data[offset] ^= 0x01
    name = os.path.splitext(os.path.basename(exe))[0]
    path = os.path.join(work, f"{name}-changed{section.decode()}.exe")
    with open(path, "wb") as f:
        f.write(data)
    return path


def main():
    parser = argparse.ArgumentParser()
    for option in ("installer", "inspect", "pack", "work"):
        parser.add_argument("--" + option, required=True)
    options = parser.parse_args()
    work = options.work
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    values, major, minor = product_macros()
    make_authorities(work)

    # The installer as the build made it; unsigned, also where the build signs it.
    unsigned = os.path.join(work, "unsigned.exe")
    shutil.copy(options.installer, unsigned)
    with pefile.PE(unsigned, fast_load=True) as built:
        was_signed = built.OPTIONAL_HEADER.DATA_DIRECTORY[SECURITY].Size != 0
    if was_signed:
        os.remove(unsigned)
        run("osslsigncode", "remove-signature", "-in", options.installer, "-out", unsigned)
    signed = os.path.join(work, os.path.basename(options.installer))
    shutil.copy(unsigned, signed)
    sign = [os.path.join(ROOT, "scripts", "sign"), "--pkcs12", f"{work}/code.p12"]
    # A wrong password, or no pentaro-pack to make the uninstaller with: nothing signed,
    # the file as it was.
    with open(f"{work}/wrong.txt", "w") as f:
        f.write("not the password\n")
    for what, arguments in (
            ("wrong password", ["--password-file", f"{work}/wrong.txt", "--pack", options.pack]),
            ("no pentaro-pack", ["--password-file", f"{work}/password.txt",
                                 "--pack", f"{work}/no-such-pack"])):
        result = run(*sign, *arguments, signed)
        check(f"{what}: refused", result.returncode not in (0, 2), result.stderr)
        with open(signed, "rb") as a, open(unsigned, "rb") as b:
            check(f"{what}: the installer left as it was", a.read() == b.read())
    # The build's signing step: a release whose signing failed leaves no installer behind.
    step = os.path.join(work, "step.exe")
    shutil.copy(unsigned, step)
    result = run("cmake", "-DSIGN=" + sign[0],
                 "-DARGS=" + ";".join(sign[1:] + ["--password-file", f"{work}/wrong.txt",
                                                  "--pack", options.pack]),
                 "-DEXE=" + step, "-P", os.path.join(ROOT, "cmake", "sign_installer.cmake"))
    check("the build's signing step failing: fails and removes the installer",
          result.returncode != 0 and not os.path.exists(step), result.stderr)

    result = run(*sign, "--pack", options.pack, "--password-file", f"{work}/password.txt",
                 "--tsa-certs",
                 f"{work}/tsa.pem", "--tsa-key", f"{work}/tsa.key", signed)
    if not check("scripts/sign signs", result.returncode == 0, result.stdout + result.stderr):
        return 1
    result = verify(work, signed)
    out = result.stdout
    check("osslsigncode verify passes", result.returncode == 0 and
          "Signature verification: ok" in out, out + result.stderr)
    check("SHA-256", re.search(r"^Message digest algorithm\s*: SHA256", out, re.M), out)
    check("the product's name in the signature",
          f"Text description: {values['PRODUCT_NAME']}\n" in out, out)
    check("the maker's address in the signature",
          f"URL description: {values['MAKER_URL']}\n" in out, out)
    check("time-stamped by the local authority",
          "Timestamp Server Signature verification: ok" in out, out)

    # The uninstaller the signed installer writes: signed too, by the same certificate.
    uninstaller = os.path.join(work, "uninstall.exe")
    got = run(options.inspect, "uninstaller", "-o", uninstaller, signed)
    check("inspect uninstaller: a signed uninstaller within the promise",
          got.returncode == 0 and "unsigned" not in got.stdout and
          re.search(r"^uninstaller: \d+ bytes, signed$", got.stdout, re.M), got.stdout + got.stderr)
    print(got.stdout, end="")
    result = verify(work, uninstaller)
    check("the uninstaller: osslsigncode verify passes", result.returncode == 0 and
          "Signature verification: ok" in result.stdout and
          "Timestamp Server Signature verification: ok" in result.stdout,
          result.stdout + result.stderr)

    # What a rebuild is compared with: the shipped installer without its signature is the
    # rebuild carrying the signature of the uninstaller the shipped installer writes.
    stripped = os.path.join(work, "stripped.exe")
    run("osslsigncode", "remove-signature", "-in", signed, "-out", stripped)
    carrying = os.path.join(work, "rebuilt-carrying.exe")
    run(options.pack, "--carry-signature", unsigned, uninstaller, carrying)
    with open(stripped, "rb") as a, open(carrying, "rb") as b:
        check("the signature removed: the rebuild carrying the uninstaller's signature, byte "
              "for byte", a.read() == b.read())

    # The code, and the resources with the payload; the uninstaller's code.
    for exe, section in ((signed, b".text"), (signed, b".rsrc"), (uninstaller, b".text")):
        result = verify(work, changed_copy(work, exe, section))
        check(f"one byte changed in {os.path.basename(exe)} {section.decode()}: verify fails",
              result.returncode != 0 and re.search(r"^Calculated message digest.*MISMATCH",
                                                   result.stdout, re.M),
              result.stdout[-400:])

    # pentaro-inspect: the same items as in the unsigned file, and the signature's size as
    # pefile reads it from the security directory.
    pe = pefile.PE(signed)
    security = pe.OPTIONAL_HEADER.DATA_DIRECTORY[SECURITY]
    for command in ("list", "test"):
        got = run(options.inspect, command, signed)
        plain = run(options.inspect, command, unsigned)
        check(f"inspect {command}: exit 0", got.returncode == 0, got.stdout + got.stderr)
        items = got.stdout.splitlines()[:-1]
        check(f"inspect {command}: the items as in the unsigned installer",
              items == plain.stdout.splitlines()[:-1], got.stdout)
        check(f"inspect {command}: the signature reported",
              got.stdout.splitlines()[-1] == f"signature: Authenticode, {security.Size} bytes",
              got.stdout.splitlines()[-1])
        check(f"inspect {command}: the unsigned installer reported unsigned",
              plain.stdout.splitlines()[-1] == "signature: none", plain.stdout)

    cut = os.path.join(work, "cut.exe")
    with open(cut, "wb") as f:
        f.write(pe.__data__[:-1])
    got = run(options.inspect, "test", cut)
    check("inspect test: a cut signature is damaged (exit 1)", got.returncode == 1 and
          got.stdout.splitlines()[-1].startswith("signature: damaged: "), got.stdout)

    # The version resource, which antivirus tools and SmartScreen show.
    strings = {}
    for info in pe.FileInfo[0]:
        if info.Key == b"StringFileInfo":
            for table in info.StringTable:
                strings.update({k.decode(): v.decode() for k, v in table.entries.items()})
    version = f"{major}.{minor}"
    expected = {"CompanyName": values["MAKER"], "ProductName": values["PRODUCT_NAME"],
                "OriginalFilename": os.path.basename(options.installer),
                "FileVersion": version, "ProductVersion": version}
    check("version resource: product, maker, original name, versions",
          {k: strings.get(k) for k in expected} == expected, repr(strings))
    check("version resource: a description that names the product",
          values["PRODUCT_NAME"] in strings.get("FileDescription", ""), repr(strings))
    fixed = pe.VS_FIXEDFILEINFO[0]
    check("version resource: the numeric file and product versions",
          (fixed.FileVersionMS, fixed.ProductVersionMS) == ((major << 16) | minor,) * 2,
          f"{fixed.FileVersionMS:#x} {fixed.ProductVersionMS:#x}")
    # No exe packer: a packer's stub unpacks into a section that is written and executed.
    names = [s.Name.rstrip(b"\0").decode() for s in pe.sections]
    packed = [s.Name for s in pe.sections if s.IMAGE_SCN_MEM_EXECUTE and s.IMAGE_SCN_MEM_WRITE]
    check("not packed: no UPX section, none both writable and executable",
          not packed and not any(n.upper().startswith("UPX") for n in names), repr(names))
    pe.close()

    if failures:
        print(f"{failures} check(s) failed; see {work}")
        return 1
    print("signing: all checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
