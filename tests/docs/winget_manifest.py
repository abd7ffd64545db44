#!/usr/bin/python3
"""Checks the Windows Package Manager manifest in docs/winget/ against the code it describes:
the exit codes (engine/exit_code.h), the product's name, maker, version and entry key
(resources/product.h) and the switches (install/options.h); and, where a schema folder is
given, against the package manager's own schemas.

    winget_manifest.py <source root> [<schema folder>]

Exit code 0 when everything checked passed, 1 when something did not, and SKIPPED when
the code checks passed but no schemas were given (CTest reports the test as skipped).
"""
import json
import pathlib
import re
import sys

import jsonschema
import yaml

SKIPPED = 77
ROOT = pathlib.Path(sys.argv[1])
SCHEMAS = pathlib.Path(sys.argv[2]) if len(sys.argv) > 2 and sys.argv[2] else None
MANIFEST = ROOT / "docs" / "winget"
if SCHEMAS and not (SCHEMAS / "manifest.installer.1.10.0.json").is_file():
    # Named, but not there: a mistake, not a choice to skip.
    sys.exit("winget_manifest: no schemas in %s (PENTARO_WINGET_SCHEMA_DIR)" % SCHEMAS)
FILES = {
    "version": "Corvane.Pentaro.yaml",
    "defaultLocale": "Corvane.Pentaro.locale.en-US.yaml",
    "installer": "Corvane.Pentaro.installer.yaml",
}

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def source(path):
    return (ROOT / path).read_text(encoding="ascii")


def exit_codes():
    """Name -> value of every ExitCode in engine/exit_code.h."""
    text = source("engine/exit_code.h")
    body = re.search(r"enum class ExitCode : int \{(.*?)\};", text, re.S).group(1)
    codes = {name: int(value) for name, value in re.findall(r"^\s*(\w+) = (\d+),", body, re.M)}
    if len(codes) < 10:
        sys.exit("winget_manifest: cannot read the exit codes of engine/exit_code.h")
    return codes


def product():
    text = source("resources/product.h")

    def define(name):
        return re.search(r"^#define %s (.+)$" % name, text, re.M).group(1).strip()

    def constant(name):
        return re.search(r'inline constexpr char %s\[\] = "([^"]*)";' % name, text).group(1)

    return {
        "name": json.loads(define("PENTARO_PRODUCT_NAME")),
        "maker": json.loads(define("PENTARO_MAKER")),
        "version": "%s.%s" % (define("PENTARO_VERSION_MAJOR"), define("PENTARO_VERSION_MINOR")),
        "key": constant("UninstallKeyName"),
    }


def installer_switches():
    """The switches of the installer's usage lines in install/options.h, upper case."""
    usage = re.search(r"^//\s+PentaroSetup\.exe (.*?)^//\s+uninstall\.exe", source("install/options.h"),
                      re.M | re.S)
    return {s.upper() for s in re.findall(r"/[A-Za-z]+=?", usage.group(1))}


manifests = {}
for kind, name in FILES.items():
    document = yaml.safe_load((MANIFEST / name).read_text(encoding="utf-8"))
    manifests[kind] = document
    if SCHEMAS:
        schema = json.loads((SCHEMAS / ("manifest.%s.1.10.0.json" % kind)).read_text(encoding="utf-8"))
        validator = jsonschema.Draft7Validator(schema)
        for error in validator.iter_errors(document):
            failures.append("%s: %s at %s" % (name, error.message, "/".join(map(str, error.path))))
    check(document.get("ManifestType") == kind, "%s: ManifestType is not %s" % (name, kind))

info = product()
codes = exit_codes()
version, locale, installer = manifests["version"], manifests["defaultLocale"], manifests["installer"]

# One package, one version, in all three files.
for kind, document in manifests.items():
    check(document["PackageIdentifier"] == "Corvane.Pentaro", "%s: PackageIdentifier" % kind)
    check(document["PackageVersion"] == info["version"],
          "%s: PackageVersion %r is not the product's %r"
          % (kind, document["PackageVersion"], info["version"]))
    check(document["ManifestVersion"] == "1.10.0", "%s: ManifestVersion" % kind)
check(version["DefaultLocale"] == locale["PackageLocale"], "DefaultLocale is not the locale file's")
check(locale["PackageName"] == info["name"], "PackageName is not the product's name")
check(locale["Publisher"] == info["maker"], "Publisher is not the product's maker")

# The entry the installer registers, as the package manager matches it.
entries = installer.get("AppsAndFeaturesEntries") or []
check(len(entries) == 1, "one AppsAndFeaturesEntries entry expected")
for entry in entries:
    check(entry.get("DisplayName") == "%s %s" % (info["name"], info["version"]),
          "AppsAndFeaturesEntries: DisplayName %r" % entry.get("DisplayName"))
    check(entry.get("Publisher") == info["maker"], "AppsAndFeaturesEntries: Publisher")
    check(entry.get("DisplayVersion") == info["version"], "AppsAndFeaturesEntries: DisplayVersion")
    check(entry.get("ProductCode") == info["key"],
          "AppsAndFeaturesEntries: ProductCode %r is not the entry's key %r"
          % (entry.get("ProductCode"), info["key"]))
check(installer.get("ProductCode") == info["key"], "ProductCode is not the entry's key")
check(installer.get("InstallerType") == "exe", "InstallerType is not exe")
# An upgrade passes no folder; the installer then installs over the product where it is.
check(installer.get("UpgradeBehavior") == "install", "UpgradeBehavior is not install")
# The one file per user (the installer's default) and, with /ALLUSERS as an administrator,
# for the machine; for 32-bit Windows, and for 64-bit Windows with DOSBox as a dependency
# (the product runs only in it there).
installers = {(item.get("Architecture"), item.get("Scope")): item
              for item in installer.get("Installers") or []}
check(sorted(installers) == [(a, s) for a in ("x64", "x86") for s in ("machine", "user")]
      and len(installers) == len(installer.get("Installers") or []),
      "Installers: one for scope user, one for machine, for x86 and for x64")
for (architecture, scope), item in installers.items():
    dependencies = ((item.get("Dependencies") or {}).get("PackageDependencies") or
                    ((installer.get("Dependencies") or {}).get("PackageDependencies")) or [])
    names = [d.get("PackageIdentifier") for d in dependencies]
    check(names == (["DOSBox.DOSBox"] if architecture == "x64" else []),
          "%s %s: package dependencies %r" % (architecture, scope, names))

# The switches: what the package manager passes must be what the installer reads.
known = installer_switches()
for (architecture, scope), item in installers.items():
    switches = dict(installer.get("InstallerSwitches") or {})
    switches.update(item.get("InstallerSwitches") or {})
    check(switches.get("Silent") == "/S", "%s: Silent must be /S" % scope)
    # The progress window and nothing else: the package manager's "silent with progress".
    check(switches.get("SilentWithProgress") == "/SILENT",
          "%s: SilentWithProgress must be /SILENT" % scope)
    check(switches.get("InstallLocation") == "/D=<INSTALLPATH>",
          "%s: InstallLocation must be /D=<INSTALLPATH>" % scope)
    check("/LOG=<LOGPATH>" in switches.get("Log", ""), "%s: Log must pass /LOG=<LOGPATH>" % scope)
    check(("/ALLUSERS" in switches.get("Custom", "").upper()) == (scope == "machine"),
          "%s: /ALLUSERS belongs to the machine scope alone" % scope)
    for kind, value in switches.items():
        for used in re.findall(r"/[A-Za-z]+=?", value):
            check(used.upper() in known,
                  "%s: %s: %s is not a switch of install/options.h" % (scope, kind, used))
        # The installer refuses to start when its command line holds "/t" anywhere.
        check("/t" not in value.lower(), "%s: %r holds \"/t\"" % (kind, value))
        # /D= takes the rest of the line, so only InstallLocation, which goes last, may hold it.
        check(kind == "InstallLocation" or "/D=" not in value.upper(), "%s holds /D=" % kind)

# Every outcome other than 0 is an expected return code, under its own number.
mapped = {}
for item in installer.get("ExpectedReturnCodes") or []:
    code = item["InstallerReturnCode"]
    check(code not in mapped, "ExpectedReturnCodes: %d twice" % code)
    mapped[code] = item["ReturnResponse"]
failed = {value for name, value in codes.items() if value != 0}
check(set(mapped) == failed,
      "ExpectedReturnCodes %s are not the exit codes %s" % (sorted(mapped), sorted(failed)))
# Outcomes for which the package manager has a response of the same meaning.
for name, response in {
    "Cancelled": "cancelledByUser",
    "AlreadyRunning": "installInProgress",
    "OutOfMemory": "insufficientMemory",
    "BadCommandLine": "invalidParameter",
    "FilesInUse": "fileInUse",
    "DiskFull": "diskFull",
}.items():
    check(mapped.get(codes.get(name)) == response, "%s must map to %s" % (name, response))

for failure in failures:
    print("winget_manifest: " + failure)
if failures:
    sys.exit(1)
if not SCHEMAS:
    print("winget_manifest: the three files match the code; not validated against the package "
          "manager's schemas: put the three manifest.*.1.10.0.json in a winget-schema folder "
          "beside the clone, or configure with -DPENTARO_WINGET_SCHEMA_DIR=<their folder>, to "
          "validate them")
    sys.exit(SKIPPED)
print("winget_manifest: the three files validate and match the code")
