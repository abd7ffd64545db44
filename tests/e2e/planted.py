#!/usr/bin/python3
"""DLLs planted beside the installer, as a web page drops them into the Downloads folder:
none of them is loaded, through every window, both kinds of install and an unattended one.

    planted.py --driver D --installer EXE --control EXE --probe DLL --product DIR
               --manifest FILE --template FILE --work DIR

The probe DLL, copied under the name of each DLL below, leaves a marker in C:\\dll-markers
when a process loads it. Wine is told to prefer a DLL found on the search path to its own
(native first), so that it searches as Windows does for a DLL that is not a known system
DLL. A program that imports user32 like any other (the control) must load some of them:
otherwise the test could not see a regression. Exit code 0 when every check passed."""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
import pefile  # noqa: E402

from e2e import MAIN, PROGRESS, Failed, run_bench  # noqa: E402

# System DLLs, or the DLLs they load, that Windows looks for in the program's folder first,
# and those that WINEDEBUG=+loaddll shows the installer loading. Not planted: KERNEL32 and
# the C runtime (msvcrt and the ucrtbase that Wine's msvcrt loads), which Windows loads
# from the system folder as known DLLs before any code of the program runs.
PLANTED = ("version imm32 uxtheme dwmapi propsys cryptbase userenv winmm msimg32 oleacc "
           "riched20 shfolder profapi secur32 sspicli wtsapi32 dbghelp comctl32 "
           "user32 gdi32 advapi32 authz sechost rpcrt4 combase ole32 oleaut32 shell32 shcore "
           "shlwapi actxprxy win32u zlib1 libgcc_s_dw2-1").split()
BUTTON = "TAdvToolButton"
BROWSE = "Browse for Folder"
SUCCESSFUL = "Installation Successful."


def plant(prefix, probe, folder, exe):
    """`exe` copied into `folder` (a path on drive C:) with the probe under every planted name;
    the Linux path of the copy."""
    target = prefix.c(folder)
    os.makedirs(target, exist_ok=True)
    for name in PLANTED:
        shutil.copy(probe, os.path.join(target, name + ".dll"))
    copy = os.path.join(target, os.path.basename(exe))
    shutil.copy(exe, copy)
    os.makedirs(prefix.c("dll-markers"), exist_ok=True)
    native_first = ",".join(PLANTED) + "=n,b"
    prefix.env["WINEDLLOVERRIDES"] = prefix.env["WINEDLLOVERRIDES"] + ";" + native_first
    return copy


def markers(prefix):
    """{planted DLL file name: the program that loaded it}, and clears them."""
    found = {}
    folder = prefix.c("dll-markers")
    for name in sorted(os.listdir(folder)):
        with open(os.path.join(folder, name), "rb") as f:
            found[name[:-len(".txt")]] = f.read().decode("cp1252", "replace")
        os.remove(os.path.join(folder, name))
    return found


def no_markers(bench, prefix, what):
    found = markers(prefix)
    bench.check(f"{what}: no planted DLL loaded", not found, f"loaded {found}")


def imports(bench, exe):
    pe = pefile.PE(exe, fast_load=True)
    pe.parse_data_directories(directories=[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_IMPORT"]])
    dlls = sorted(entry.dll.decode().lower() for entry in pe.DIRECTORY_ENTRY_IMPORT)
    bench.expect("the installer imports KERNEL32 and the C runtime only", dlls,
                 ["kernel32.dll", "msvcrt.dll"])


def control(bench, options):
    """The same planted set beside a program without the restriction is loaded."""
    p = bench.prefix("control")
    exe = plant(p, options.probe, "downloads", options.control)
    program = p.start(exe, cwd=os.path.dirname(exe))
    try:
        p.drive("wait", "Minimal Window", 30)
    except Failed:
        pass  # a planted DLL may well break it: the markers are what counts
    found = markers(p)
    bench.check("control program: planted DLLs beside it are loaded", bool(found),
                "none loaded: the test would not notice a regression")
    print(f"control program loaded: {', '.join(sorted(found))}")
    if program.running():
        program.process.kill()
    missing_dll(bench, p, options)


def missing_dll(bench, p, options):
    """A system DLL that cannot be loaded (comctl32 switched off) ends the installer with its
    exit code for it and a message on the error output that names the DLL."""
    env = dict(p.env, WINEDLLOVERRIDES=p.env["WINEDLLOVERRIDES"] + ";comctl32=d")
    with tempfile.TemporaryFile() as err:
        try:
            result = subprocess.run(["wine", options.installer], env=env, stdin=subprocess.DEVNULL,
                                    stdout=subprocess.DEVNULL, stderr=err, timeout=60)
        except subprocess.TimeoutExpired:
            raise Failed("the installer without comctl32 did not end within 60 s")
        err.seek(0)
        output = err.read().decode("cp1252", "replace")
    dll_load_failed = 12
    bench.expect("comctl32 missing: exit code", result.returncode, dll_load_failed)
    bench.check("comctl32 missing: the message names it", "comctl32.dll" in output, output)


def installer32(bench, options):
    p = bench.prefix("planted32")
    exe = plant(p, options.probe, "downloads", options.installer)
    folder = os.path.dirname(exe)

    installer = p.start(exe, "/t", cwd=folder)
    try:
        p.drive("dialog", "Helmstar355 Installer", 60, "press", "Helmstar355 Installer", "Cancel")
        installer.wait_exit()
    finally:
        no_markers(bench, p, "the /t warning")

    installer = p.start(exe, cwd=folder)
    try:
        install32(bench, p, installer)
    finally:
        no_markers(bench, p, "main window, folder browser, 32-bit install with the shortcut")

    installer = p.start(exe, "/S", "/D=c:\\x", cwd=folder)
    try:
        bench.expect("unattended install: exit code", installer.wait_exit(60), 0)
        bench.check("unattended install: the files", os.path.isfile(p.c("x", "pentaro.exe")))
    finally:
        no_markers(bench, p, "unattended install")


def install32(bench, p, installer):
    p.drive("wait", MAIN, 60, "click", MAIN, BUTTON, "Setup",
            "wait-text", MAIN, BUTTON, "Install", 10,
            "click", MAIN, BUTTON, "Browse", "dialog", BROWSE, 30, "press", BROWSE, "Cancel",
            "click", MAIN, BUTTON, "Install", "wait-text", PROGRESS, "TLabel", SUCCESSFUL, 60,
            "click", PROGRESS, BUTTON, "OK", "dialog", "Warning", 30, "press", "Warning", "Yes",
            "dialog", "Pentaro", 30, "press", "Pentaro", "OK")
    bench.expect("32-bit install: exit code", installer.wait_exit(), 0)
    bench.check("32-bit install: the desktop shortcut",
                os.path.isfile(os.path.join(p.desktop(), "pentaro.lnk")))


def installer64(bench, options):
    p = bench.prefix("planted64", 64)
    p.plant_dosbox()
    exe = plant(p, options.probe, "downloads", options.installer)
    installer = p.start(exe, cwd=os.path.dirname(exe))
    try:
        p.drive("wait", MAIN, 60, "click", MAIN, BUTTON, "Setup",
                "wait-text", MAIN, BUTTON, "Install", 10,
                "click", MAIN, BUTTON, "Install", "wait-text", PROGRESS, "TLabel", SUCCESSFUL, 60,
                "click", PROGRESS, BUTTON, "OK", "dialog", installer.caption, 30,
                "press", installer.caption, "OK")
        bench.expect("64-bit install: exit code", installer.wait_exit(), 0)
        bench.check("64-bit install: dosbox.conf", os.path.isfile(p.c("tq", "dosbox.conf")))
        bench.expect("64-bit install: the DOSBox shortcuts", sorted(os.listdir(p.desktop())),
                     ["Penta DOSbox.lnk", "Print F.lnk"])
    finally:
        no_markers(bench, p, "64-bit install with the DOSBox set-up")


def main():
    parser = argparse.ArgumentParser()
    for option in ("driver", "installer", "control", "probe", "product", "manifest", "template",
                   "work"):
        parser.add_argument("--" + option, required=True)
    options = parser.parse_args()
    options.variants = options.screenshots = ""

    def cases(bench):
        imports(bench, options.installer)
        for case in (control, installer32, installer64):
            try:
                case(bench, options)
            except Failed as failure:
                bench.check(f"{case.__name__} went on to the end", False, str(failure))
    return run_bench(options, cases)


if __name__ == "__main__":
    sys.exit(main())
