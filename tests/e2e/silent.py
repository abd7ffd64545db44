#!/usr/bin/python3
"""Unattended installs (/S) end to end: the real installer started by the scripted user,
which watches for any window of the process while it runs, in fresh Wine prefixes;
files, links, dosbox.conf and the log checked from the Linux side.

    silent.py NAME --driver D --installer EXE --variants DIR --product DIR --manifest FILE
              --template FILE --recorder EXE --staging EXE --work DIR

Exit code 0 when every check passed, 1 otherwise."""
import argparse
import os
import re
import shutil
import subprocess
import sys

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
from e2e import (  # noqa: E402
    EXIT, MAIN, PROGRESS, Dialog, Failed, Window, lines, lnk_field, manifest_entries, run_bench, windows_path)
from scenarios import (  # noqa: E402
    BUTTON, DOSBOX_MESSAGE, NOT_INSTALLED, QUESTION, SKIP, SUCCESSFUL, check_dialog, check_files,
    check_dosbox_setup, folder_field, open_folder_page)


STAMP = re.compile(r"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)  (.*)")
WARNING_START = "This computer has a 64 bit operating system which cannot directly execute DOS"


def silent(bench, p, what, arguments, exe=None, expect=None, before=()):
    """Runs the installer with `arguments` while the driver looks for its windows; checks
    that none was ever visible (and the exit code, when `expect` names one). Returns the
    exit code. `before`: driver commands run first, in the same driver."""
    out = p.drive(*before, "watch", windows_path(exe or bench.installer), arguments, 90,
                  timeout=120)
    code = int(next(f[1] for f in out if f[0] == "exit"))
    shown = [f[1:] for f in out if f[0] == "window"]
    bench.expect(f"{what}: no window at any time", shown, [])
    if expect is not None:
        bench.expect(f"{what}: exit code {expect}", code, EXIT[expect])
    return code


class Log:
    """An install log read back: entries of (heading, message lines or None)."""

    def __init__(self, bench, path):
        self.entries = []
        if not bench.check(f"log {os.path.basename(path)} written", os.path.isfile(path)):
            return
        with open(path, "rb") as f:
            data = f.read().decode("cp1252")
        bare = data.replace("\r\n", "")
        bench.check("log: every line ends in CR LF",
                    data.endswith("\r\n") and "\n" not in bare and "\r" not in bare)
        unstamped = [line for line in data.split("\r\n")[:-1] if not STAMP.fullmatch(line)]
        bench.expect("log: every line begins with the date and time", unstamped, [])
        for line in data.split("\r\n")[:-1]:
            m = STAMP.fullmatch(line)
            if m is None:
                continue
            body = m.group(2)
            if body.startswith("| ") and self.entries:
                self.entries[-1][1].append(body[2:])
            else:
                self.entries.append((body, []))

    def runs(self):
        """The entries split into one list per run (each begins with "Start: ")."""
        runs = []
        for heading, text in self.entries:
            if heading.startswith("Start: ") or not runs:
                runs.append([])
            runs[-1].append((heading, text))
        return runs


def check_run_log(bench, what, run, folder=None, written=(), messages=(), question=None,
                  answer=None, code="Success"):
    """One run's entries: the start with the command line, the folder, the files written
    (in order), each message (lines as shown), the question and answer, the exit code."""
    headings = [h for h, _ in run]
    bench.check(f"{what}: log starts with the version and command line",
                bool(headings) and headings[0].startswith("Start: Pentaro 3.24")
                and "/S" in headings[0].upper(), repr(headings[:1]))
    if folder is not None:
        bench.check(f"{what}: log names the folder", f"Folder: {folder}" in headings,
                    repr(headings))
    bench.expect(f"{what}: log lists the files written",
                 [h for h in headings if h.startswith("Written: ")], list(written))
    for text in messages:
        bench.check(f"{what}: log holds the message {lines(text)[-1][:40]!r}...",
                    any(h.startswith("Message") and t == lines(text) for h, t in run),
                    repr(run))
    if question is not None:
        asked = [i for i, (h, t) in enumerate(run) if h == "Question:" and t == lines(question)]
        if bench.check(f"{what}: log holds the question", len(asked) == 1, repr(run)):
            bench.expect(f"{what}: answer after the question", run[asked[0] + 1][0], answer)
    bench.expect(f"{what}: log ends with the exit code", headings[-1] if headings else None,
                 f"Exit code: {EXIT[code]} ({code})")


def written_lines(bench, folder, count=10):
    """The log lines for the first `count` catalogue files written into `folder`."""
    result = []
    for _, source, _ in manifest_entries(bench.manifest)[:count]:
        name = os.path.basename(source)
        size = os.path.getsize(os.path.join(bench.product, source))
        result.append(f"Written: {folder}{name} ({size} bytes)")
    return result


def log_option(bench, name):
    path = os.path.join(bench.work, name + ".install.log")
    return path, "/LOG=" + windows_path(path)


# --- Scenarios ---

def silent_install32(bench):
    """32-bit: /D= with blanks (and its shortcut, the default answer Yes); then, without /D=
    (as the package manager upgrades), into that install's folder again; then, its record
    gone, the proposed folder with /NOSHORTCUT in lower case; then the maker's menu program
    beside the proposed folder. One log for the four runs."""
    p = bench.prefix("silent_install32")
    log, log_arg = log_option(bench, "install32")
    silent(bench, p, "custom folder", f"/S {log_arg} /D=C:\\My Apps\\Pentaro 3", expect="Success")
    folder = "c:\\my apps\\pentaro 3\\"
    check_files(bench, p.c("my apps", "pentaro 3"), 10)
    link = os.path.join(p.desktop(), "pentaro.lnk")
    if bench.check("custom folder: pentaro.lnk on the desktop", os.path.isfile(link)):
        # The link's other fields come from the same code as in the interactive scenarios.
        bench.expect("link target", lnk_field(link, "Local path"), folder + "pentaro.exe")
        os.remove(link)

    silent(bench, p, "upgrade", f"/S /NOSHORTCUT {log_arg}", expect="Success")
    check_files(bench, p.c("my apps", "pentaro 3"), 10)
    bench.check("upgrade: nothing in the proposed folder", not os.path.exists(p.c("tq")))

    # A folder whose record is gone (removed by hand) is no install to replace.
    os.remove(p.c("my apps", "pentaro 3", "uninstall.rec"))
    silent(bench, p, "proposed folder, no shortcut", f"/s /noshortcut {log_arg}",
           expect="Success")
    check_files(bench, p.c("tq"), 10)
    bench.expect("no shortcut: desktop empty", os.listdir(p.desktop()), [])

    os.remove(p.c("tq", "uninstall.rec"))
    os.makedirs(p.c("corvane", "tq"))
    with open(p.c("corvane", "tqmenu.exe"), "wb") as f:
        f.write(b"MZ menu")
    silent(bench, p, "menu program", f"/S {log_arg}", expect="Success")
    check_files(bench, p.c("corvane", "tq"), 10)
    bench.expect("menu program: desktop empty", os.listdir(p.desktop()), [])

    # A desktop pentaro.lnk that is a link to a user's file: not written through (Wine cannot
    # take the link away by itself, so the shortcut is refused); the log inside the new
    # install folder is written once the folder exists.
    mine = p.c("users", "mine.txt")
    with open(mine, "wb") as f:
        f.write(b"the user's own file")
    os.symlink(mine, os.path.join(p.desktop(), "pentaro.lnk"))
    silent(bench, p, "linked shortcut", "/S /LOG=c:\\l6\\setup.log /D=c:\\l6",
           expect="StartupSetupFailed")
    with open(mine, "rb") as f:
        bench.expect("linked shortcut: the user's file untouched", f.read(), b"the user's own file")
    bench.check("linked shortcut: still a link",
                os.path.islink(os.path.join(p.desktop(), "pentaro.lnk")))
    inside = Log(bench, p.c("l6", "setup.log")).runs()
    if bench.expect("log inside the new folder: one run", len(inside), 1):
        check_run_log(bench, "log inside the new folder", inside[0], "c:\\l6\\",
                      written_lines(bench, "c:\\l6\\"), code="StartupSetupFailed")
        bench.check("linked shortcut: the log names the link",
                    any(t and t[0].startswith("Could not create the shortcut C:\\")
                        and t[0].endswith("\\Desktop\\pentaro.lnk") for _, t in inside[0]),
                    repr(inside[0]))

    runs = Log(bench, log).runs()
    if bench.expect("log: four runs appended", len(runs), 4):
        check_run_log(bench, "custom folder", runs[0], folder, written_lines(bench, folder),
                      ["To run Pentaro, click the P+ icon on your desktop."], QUESTION,
                      "Answer: Yes")
        check_run_log(bench, "upgrade", runs[1], folder, written_lines(bench, folder))
        check_run_log(bench, "no shortcut", runs[2], "c:\\tq\\", written_lines(bench, "c:\\tq\\"),
                      ["To run Pentaro, start Helmstar and press function key F6."], QUESTION,
                      "Answer: No (/NOSHORTCUT)")
        check_run_log(bench, "menu program", runs[3], "c:\\corvane\\tq\\",
                      written_lines(bench, "c:\\corvane\\tq\\"),
                      ["\r\n\r\nTo run Pentaro, start the Corvane Menu program,\r\n"
                       "and click the P+ icon."])


def run_dosbox_conf(bench, conf, folder_windows, folder_unix):
    """Debian's DOSBox 0.74 runs the written dosbox.conf with its mount line pointed at the
    folder's Unix path: the stand-in tarnw.exe leaves RAN.TXT with " /ns", the print file f
    is deleted, DOSBox ends by itself."""
    with open(conf, "rb") as f:
        text = f.read()
    mount = b"mount c " + folder_windows.encode()
    run = os.path.join(bench.work, "run.conf")
    with open(run, "wb") as f:
        f.write(text.replace(mount, b'mount c "' + folder_unix.encode() + b'"'))
    with open(os.path.join(folder_unix, "f"), "w") as f:
        f.write("printed\n")
    home = os.path.join(bench.work, "home")
    os.makedirs(home, exist_ok=True)
    env = dict(os.environ, HOME=home, SDL_AUDIODRIVER="dummy")
    try:
        result = subprocess.run(["dosbox", "-conf", run], cwd=bench.work, env=env, timeout=60,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    except subprocess.TimeoutExpired:
        bench.check("DOSBox ends by itself", False, "still running after 60 s")
        return
    bench.expect("DOSBox exit code", result.returncode, 0)
    ran = os.path.join(folder_unix, "RAN.TXT")
    bench.expect("DOSBox started the product with /ns",
                 open(ran).read() if os.path.isfile(ran) else None, " /ns")
    bench.check("DOSBox deleted the print file", not os.path.exists(os.path.join(folder_unix, "f")))


def silent_install64(bench):
    """64-bit with DOSBox: files, dosbox.conf (run by DOSBox 0.74), both links, the
    instructions in the log and no box. 64-bit without DOSBox: StartupRefused, the warning
    in the log, no web page opened, nothing installed."""
    p = bench.prefix("silent_install64", 64)
    p.plant_dosbox()
    log, log_arg = log_option(bench, "install64")
    silent(bench, p, "with DOSBox", f"/S {log_arg}", expect="Success")
    conf = check_dosbox_setup(bench, p)
    runs = Log(bench, log).runs()
    if runs:
        check_run_log(bench, "with DOSBox", runs[0], "c:\\tq\\", written_lines(bench, "c:\\tq\\"),
                      [DOSBOX_MESSAGE])
    if os.path.isfile(conf):
        run_dosbox_conf(bench, conf, "c:\\tq", p.c("tq"))

    # Links in place of what the finish writes, each to a file of the user's: Print F.lnk on
    # the desktop, dosbox.conf, and user.conf among the old *.conf files (which the clean-up
    # would send to the bin). None is written through, none of the files goes to the bin.
    victims = {}
    for name, link in (("print.txt", os.path.join(p.desktop(), "Print F.lnk")),
                       ("dosbox.txt", p.c("tq", "dosbox.conf")),
                       ("user.txt", p.c("tq", "user.conf"))):
        victims[name] = p.c(name)
        with open(victims[name], "wb") as f:
            f.write(b"the user's " + name.encode())
        if os.path.lexists(link):
            os.remove(link)
        os.symlink(victims[name], link)
    with open(p.c("tq", "old.conf"), "wb") as f:
        f.write(b"an old configuration")
    log, log_arg = log_option(bench, "links64")
    silent(bench, p, "links in the finish", f"/S {log_arg}", expect="StartupSetupFailed")
    for name, victim in victims.items():
        with open(victim, "rb") as f:
            bench.expect(f"links in the finish: {name} untouched", f.read(),
                         b"the user's " + name.encode())
    for link in (os.path.join(p.desktop(), "Print F.lnk"), p.c("tq", "dosbox.conf"),
                 p.c("tq", "user.conf")):
        bench.check(f"links in the finish: {os.path.basename(link)} still a link",
                    os.path.islink(link))
    bench.check("links in the finish: the plain old.conf cleaned up",
                not os.path.exists(p.c("tq", "old.conf")))
    bench.check("links in the finish: the DOSBox shortcut made",
                os.path.isfile(os.path.join(p.desktop(), "Penta DOSbox.lnk")))
    runs = Log(bench, log).runs()
    if runs:
        check_run_log(bench, "links in the finish", runs[0], "c:\\tq\\",
                      written_lines(bench, "c:\\tq\\"), code="StartupSetupFailed")
        told = [line for h, t in runs[0] if h.startswith("Message") for line in t]
        bench.check("links in the finish: dosbox.conf and Print F.lnk named",
                    any(t == "Could not write the file c:\\tq\\dosbox.conf" for t in told) and
                    any(t.endswith("\\Print F.lnk") for t in told), repr(told))

    p = bench.prefix("silent_without_dosbox", 64)
    shutil.copy(bench.recorder, p.c("url_recorder.exe"))
    for scheme in ("http", "https"):
        p.wine(["reg", "add", f"HKCR\\{scheme}\\shell\\open\\command", "/ve", "/d",
                '"C:\\url_recorder.exe" "%1"', "/f"])
    p.registry("HKCU\\Software\\Wine\\WineBrowser", "Browsers", "false")
    log, log_arg = log_option(bench, "without_dosbox")
    silent(bench, p, "without DOSBox", f"/S {log_arg}", expect="StartupRefused")
    bench.check("without DOSBox: no web page opened", not os.path.exists(p.c("url-recorder.txt")))
    bench.check("without DOSBox: nothing installed", not os.path.exists(p.c("tq")))
    runs = Log(bench, log).runs()
    if runs:
        bench.check("without DOSBox: the warning in the log",
                    any(t and t[0].startswith(WARNING_START) for _, t in runs[0]), repr(runs[0]))
        searched = next((t for h, t in runs[0] if h == "DOSBox not found in:"), [])
        bench.check("without DOSBox: the log names the places searched",
                    searched[:2] == ["c:\\program files (x86)\\*dosbox*",
                                     "c:\\program files\\*dosbox*"]
                    and "c:\\dosbox-x\\" in searched, repr(searched))
        check_run_log(bench, "without DOSBox", runs[0], code="StartupRefused")


def check_dosbox_link(bench, what, p, exe, staging):
    """The DOSBox shortcut of an install into c:\\tq as lnkinfo reads it: `exe` started in
    its own folder, with Staging's two switches before -conf where `staging`."""
    link = os.path.join(p.desktop(), "Penta DOSbox.lnk")
    if not bench.check(f"{what}: Penta DOSbox.lnk on the desktop", os.path.isfile(link)):
        return
    bench.expect(f"{what}: link target", lnk_field(link, "Local path"), exe)
    only_ours = "--noprimaryconf --nolocalconf " if staging else ""
    bench.expect(f"{what}: link arguments", lnk_field(link, "Command line arguments"),
                 f"-noconsole {only_ours}-conf c:\\tq\\dosbox.conf")
    bench.expect(f"{what}: link working directory", lnk_field(link, "Working directory"),
                 exe[:exe.rindex("\\") + 1])


def silent_dosbox_builds(bench):
    """64-bit, each in a fresh prefix, with a stand-in DOSBox where each of today's builds
    installs itself: Staging for all users and for one user, DOSBox-X (with its uninstall
    entry), a front-end folder listed before DOSBox 0.74, and a portable copy of Staging
    named with /DOSBOX=, told by its version information (first a name that does not
    exist: refused, nothing written)."""
    def staging_user(p):
        p.plant_dosbox(os.path.relpath(os.path.dirname(p.desktop()), p.c()),
                       "AppData", "Local", "Programs", "DOSBox Staging", "dosbox.exe")

    def dosbox_x(p):
        p.plant_dosbox("DOSBox-X", "dosbox-x.exe")
        p.wine(["reg", "add", "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
                "{63E5D76D-0092-415C-B97C-E0D2F4F6D2EC}_is1", "/v", "InstallLocation",
                "/d", "C:\\DOSBox-X\\", "/reg:64", "/f"])

    def named(p):
        # Staging told by its version information alone.
        os.makedirs(p.c("Portable", "DOSBox"))
        shutil.copy(bench.staging, p.c("Portable", "DOSBox", "DOSBox.exe"))

    def decoy(p):
        os.makedirs(p.c("Program Files (x86)", "A DOSBox Front End"))
        p.plant_dosbox()

    scenarios = (
        ("staging64", lambda p: p.plant_dosbox("Program Files", "DOSBox Staging", "dosbox.exe"),
         "", "c:\\program files\\dosbox staging\\dosbox.exe", True),
        ("staging_user", staging_user, "", None, True),
        ("dosbox_x", dosbox_x, "", "c:\\dosbox-x\\dosbox-x.exe", False),
        ("decoy", decoy, "", "c:\\program files (x86)\\dosbox-0.74\\dosbox.exe", False),
        ("named", named, "/DOSBOX=C:\\Portable\\DOSBox\\DOSBox.exe",
         "c:\\portable\\dosbox\\dosbox.exe", True),
    )
    for name, plant, arguments, exe, staging in scenarios:
        p = bench.prefix("dosbox_" + name, 64)
        plant(p)
        if exe is None:
            exe = ("c:\\" + os.path.relpath(os.path.dirname(p.desktop()), p.c()).replace("/", "\\")
                   + "\\appdata\\local\\programs\\dosbox staging\\dosbox.exe").lower()
        log, log_arg = log_option(bench, name)
        if name == "named":
            missing = "C:\\Portable\\nothing.exe"
            silent(bench, p, "/DOSBOX= missing", f"/S {log_arg} /DOSBOX={missing}",
                   expect="StartupRefused")
            bench.check("/DOSBOX= missing: nothing written", not os.path.exists(p.c("tq")))
            # Blanks in the path, unquoted: the line's fault, told before DOSBox is looked for.
            cut = "C:\\Portable\\DOSBox\\My DOSBox.exe"
            silent(bench, p, "/DOSBOX= unquoted", f"/S {log_arg} /DOSBOX={cut}",
                   expect="BadCommandLine")
        silent(bench, p, name, f"/S {log_arg} {arguments}", expect="Success")
        check_dosbox_link(bench, name, p, exe, staging)
        runs = Log(bench, log).runs()
        if name == "named" and bench.expect("/DOSBOX=: three runs logged", len(runs), 3):
            check_run_log(bench, "/DOSBOX= missing", runs[0], code="StartupRefused",
                          messages=["The DOSBox program given with /DOSBOX= does not exist:\n\n"
                                    + missing])
            check_run_log(bench, "/DOSBOX= unquoted", runs[1], code="BadCommandLine")
            bench.check("/DOSBOX= unquoted: the log shows it quoted",
                        any(h.startswith("Command line: ") and f'"/DOSBOX={cut}"' in h
                            for h, _ in runs[1]), repr(runs[1]))
        if runs:
            bench.check(f"{name}: the log names DOSBox",
                        f"DOSBox: {exe}{' (DOSBox Staging)' if staging else ''}"
                        in [h for h, _ in runs[-1]], repr(runs[-1]))
        p.close()


def lock_name(folder):
    """The name of the lock of `folder` (one spelling, lower case): FNV-1a of 64 bits."""
    value = 0xcbf29ce484222325
    for byte in folder.lower().encode("cp1252"):
        value = ((value ^ byte) * 0x100000001b3) & 0xFFFFFFFFFFFFFFFF
    return f"Global\\PentaroSetup-{value:016x}"


def nothing_in(path):
    return not os.path.isdir(path) or os.listdir(path) == []


def silent_refusals(bench):
    """What stops an unattended install before it writes: a damaged or empty payload item,
    a command line it cannot use, "/t" in a forward-slash path, a CD-ROM drive, a relative
    folder."""
    p = bench.prefix("silent_refusals")
    log, log_arg = log_option(bench, "refusals")
    silent(bench, p, "damaged item", f"/S {log_arg}", bench.variant("corrupt"),
           expect="PayloadDamaged")
    silent(bench, p, "empty item", f"/S {log_arg}", bench.variant("empty"),
           expect="PayloadDamaged")
    bench.check("payload faults: no folder left behind", not os.path.exists(p.c("tq")))
    for what, arguments in (("unknown switch", "/S /qb"), ("empty /D=", "/S /D="),
                            ("/D= not last", "/D=c:\\tq /S")):
        silent(bench, p, what, f"{log_arg} {arguments}", expect="BadCommandLine")
    # Another installer's silent switch opens no window either.
    silent(bench, p, "another installer's silent switch", "/VERYSILENT /NORESTART /qb",
           expect="BadCommandLine")
    silent(bench, p, "/t in a longer argument", f"/S {log_arg} /test /D=c:\\tools\\x",
           expect="StartupRefused")
    bench.check("/t: nothing written", not os.path.exists(p.c("tools")))

    cdrom = os.path.join(bench.work, "cdrom")
    os.makedirs(cdrom)
    os.symlink(cdrom, os.path.join(p.dir, "dosdevices", "d:"))
    p.registry("HKLM\\Software\\Wine\\Drives", "d:", "cdrom")
    p.restart()
    silent(bench, p, "CD-ROM drive", f"/S {log_arg} /D=D:\\Pentaro", expect="FolderRefused")
    bench.expect("nothing on the CD-ROM", os.listdir(cdrom), [])
    silent(bench, p, "relative folder", f"/S {log_arg} /D=tq", expect="FolderRefused")
    bench.check("refusals: still nothing written", nothing_in(p.c("tq")))
    # Full-width look-alikes of '\' and the letter x, which the ANSI command line would turn
    # into "c:\tq\x\..\..\evilw".
    silent(bench, p, "look-alike folder",
           f"/S {log_arg} /D=c:\\tq\\\uff58\uff3c..\uff3c..\uff3cevilw", expect="FolderRefused")
    bench.check("look-alike folder: nothing outside", not os.path.exists(p.c("evilw")))
    # A log that is one of the product's files: refused before anything is written, the
    # log included.
    silent(bench, p, "log named like a product file", "/S /LOG=c:\\l7\\tarnw.exe /D=c:\\l7",
           expect="BadCommandLine")
    bench.check("log named like a product file: nothing left", not os.path.exists(p.c("l7")))
    # A device name as the folder: nothing written, so the new parent goes again.
    code = silent(bench, p, "device name", "/S /D=c:\\pa\\nul")
    bench.check("device name: not installed", code != EXIT["Success"], str(code))
    bench.check("device name: no folder left behind", not os.path.exists(p.c("pa")))

    runs = Log(bench, log).runs()
    if bench.expect("log: one run per refusal logged", len(runs), 9):
        check_run_log(bench, "damaged item", runs[0], code="PayloadDamaged")
        check_run_log(bench, "empty item", runs[1], code="PayloadDamaged",
                      messages=["Error Reading resource item rs_hlp, Filename pentaro.hlp"])
        for run in runs[2:5]:
            check_run_log(bench, "bad command line", run, code="BadCommandLine")
        # A 32-bit prefix: the log says what refused the start, not the 64-bit warning.
        check_run_log(bench, "/t", runs[5], code="StartupRefused")
        bench.check("/t: the log names the switch, not the 64-bit warning",
                    any("command line contains /t" in h for h, _ in runs[5]) and
                    not any(t and t[0].startswith(WARNING_START) for _, t in runs[5]),
                    repr(runs[5]))
        for run in runs[6:8]:
            check_run_log(bench, "refused folder", run, code="FolderRefused",
                          messages=["Install Directory is not on a valid device."])
        check_run_log(bench, "look-alike folder", runs[8], code="FolderRefused",
                      messages=["The folder name c:\\tq\\??..?..?evilw contains characters "
                                "that cannot be used here. Please choose another folder."])

    # A folder ending in "\." is the folder itself.
    silent(bench, p, "folder ending in a dot", "/S /NOSHORTCUT /D=c:\\tq\\.", expect="Success")
    check_files(bench, p.c("tq"), 10)


def silent_write_faults(bench):
    """Faults while writing: a folder in place of a file, a folder that cannot be made, a
    full disk (a 256 KB tmpfs as drive E:). The partial file goes, the files before stay."""
    p = bench.prefix("silent_write_faults")
    log, log_arg = log_option(bench, "write_faults")
    taken = p.c("tq", "pentaro2.kdb")
    os.makedirs(taken)
    silent(bench, p, "a folder with a file's name", f"/S {log_arg}", expect="WriteFailed")
    check_files(bench, p.c("tq"), 3, other=("pentaro2.kdb",))
    reason = p.drive("syserror", 5)[0][1]
    with open(p.c("blocker"), "wb") as f:
        f.write(b"a file where a folder should go")
    silent(bench, p, "a folder that cannot be made", f"/S {log_arg} /D=c:\\blocker\\tq",
           expect="FolderNotCreated")
    runs = Log(bench, log).runs()
    if bench.expect("log: two runs", len(runs), 2):
        check_run_log(bench, "a folder with a file's name", runs[0], "c:\\tq\\",
                      written_lines(bench, "c:\\tq\\", 3), code="WriteFailed",
                      messages=[f"Error writing file c:\\tq\\pentaro2.kdb\r\n\r\n{reason}"])
        check_run_log(bench, "a folder that cannot be made", runs[1], code="FolderNotCreated")

    # A link in the folder that leads nowhere: the file is not made where it leads.
    os.makedirs(p.c("dangling"))
    os.symlink("../nowhere.txt", p.c("dangling", "readme.txt"))
    silent(bench, p, "a link that leads nowhere", "/S /D=c:\\dangling", expect="WriteFailed")
    bench.check("a link that leads nowhere: nothing made there", not os.path.lexists(p.c("nowhere.txt")))
    bench.check("a link that leads nowhere: still a link",
                os.path.islink(p.c("dangling", "readme.txt")))

    mount = os.path.join(bench.work, "disk_full.mnt")
    os.makedirs(mount)
    mounted = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=256k,mode=0755", "tmpfs", mount],
                             capture_output=True, text=True)
    if mounted.returncode != 0:
        print(f"SKIP: a full disk: cannot mount a small tmpfs here: {mounted.stderr.strip()}")
        return
    try:
        os.symlink(mount, os.path.join(p.dir, "dosdevices", "e:"))
        silent(bench, p, "a full disk", "/S /D=e:\\tq", expect="DiskFull")
        check_files(bench, os.path.join(mount, "tq"), 2)
        bench.expect("full disk: the partial file removed, the two before and the record kept",
                     sorted(os.listdir(os.path.join(mount, "tq"))),
                     ["pentaro.exe", "tarnw.exe", "uninstall.rec"])
    finally:
        bench.close()
        subprocess.run(["umount", mount])


def silent_second_instance(bench):
    """While an interactive install into c:\\tq waits for OK, an unattended one into the
    same folder (written otherwise) ends with AlreadyRunning and writes nothing, and so does
    the uninstaller of the install there before; a second interactive one says so and is not
    installed. Into another folder it goes ahead."""
    p = bench.prefix("silent_second_instance")
    # Installed there before: its uninstaller may not run while the folder is installed into.
    silent(bench, p, "the install to remove", "/S /NOSHORTCUT", expect="Success")
    first = p.start(bench.installer)
    open_folder_page(p)
    # Out of the way of the second instance's windows, which open in the middle too.
    p.drive("click", MAIN, BUTTON, "Install", "wait-text", PROGRESS, "TLabel", SUCCESSFUL, 60,
            "move", PROGRESS, 0, 0)
    os.remove(p.c("tq", "pentaro.hlp"))  # a file the second instance would write again
    log, log_arg = log_option(bench, "second_instance")
    silent(bench, p, "same folder", f"/S {log_arg} /D=C:\\TQ\\", expect="AlreadyRunning")
    for spelling in ("c:\\.\\tq", "c:\\\\tq", "c:\\x\\..\\tq"):
        silent(bench, p, f"same folder as {spelling}", f"/S /D={spelling}", expect="AlreadyRunning")
    bench.check("same folder: nothing written", not os.path.exists(p.c("tq", "pentaro.hlp")))
    out = p.drive("watch", "c:\\tq\\uninstall.exe", "/S", 90, timeout=120)
    bench.expect("an uninstall of the same folder meanwhile: exit code",
                 int(next(f[1] for f in out if f[0] == "exit")), EXIT["AlreadyRunning"])
    check_files(bench, p.c("tq"), 10, other=("pentaro.hlp",))
    # Another kind of object under the lock's name (as anyone could make it) does not stop
    # an install.
    silent(bench, p, "another folder, its lock's name taken", "/S /NOSHORTCUT /D=c:\\other",
           expect="Success", before=("squat", lock_name("c:\\other\\")))
    check_files(bench, p.c("other"), 10)
    runs = Log(bench, log).runs()
    if runs:
        check_run_log(bench, "same folder", runs[0], code="AlreadyRunning",
                      messages=["Pentaro is already being installed into c:\\tq\\."])

    second = p.start(bench.installer, "/D=C:\\TQ\\")
    open_folder_page(p)
    bench.expect("/D= proposes its folder (lower case)", folder_field(p), "c:\\tq\\")
    out = p.drive("click", MAIN, BUTTON, "Install", "dialog", "Pentaro", 30)
    check_dialog(bench, "second interactive instance", out, "Pentaro",
                 "Pentaro is already being installed into c:\\tq\\.")
    out = p.drive("press", "Pentaro", "OK", "dialog", second.caption, 30)
    check_dialog(bench, "second interactive instance: not installed", out, second.caption,
                 NOT_INSTALLED)
    p.drive("press", second.caption, "OK", "click", MAIN, BUTTON, "Cancel")
    bench.expect("second interactive instance: exit code", second.wait_exit(),
                 EXIT["AlreadyRunning"])

    p.drive("click", PROGRESS, BUTTON, "OK", "dialog", "Warning", 30, "press", "Warning", "No",
            "dialog", "Pentaro", 30, "press", "Pentaro", "OK")
    bench.expect("first instance: exit code", first.wait_exit(), EXIT["Success"])
    check_files(bench, p.c("tq"), 10, other=("pentaro.hlp",))


def silent_as_administrators_write_it(bench):
    """Command lines pasted from other installers' habits: Inno Setup's line installs
    without a window, the switches that change nothing named in the
    log, into a folder written with forward slashes; /? shows the switches (to the output, and
    in a message without /S) and installs nothing; /SILENT shows the progress window alone
    (the 48 MB payload, so that it is caught while it writes; its screenshot), asks nothing
    and installs."""
    p = bench.prefix("silent_habits")
    log, log_arg = log_option(bench, "habits")
    silent(bench, p, "Inno Setup's line",
           f"/VERYSILENT /SUPPRESSMSGBOXES /NORESTART {log_arg} /D=c:/tools/x", expect="Success")
    check_files(bench, p.c("tools", "x"), 10)
    link = os.path.join(p.desktop(), "pentaro.lnk")
    if bench.check("Inno Setup's line: pentaro.lnk on the desktop", os.path.isfile(link)):
        os.remove(link)
    # (Windows Installer's "/qn /norestart" is the same rule: the native table has it.)
    runs = Log(bench, log).runs()
    if bench.expect("log: one run", len(runs), 1):
        check_run_log(bench, "Inno Setup's line", runs[0], "c:\\tools\\x\\",
                      written_lines(bench, "c:\\tools\\x\\"))
        named = [h.split()[1] for h, _ in runs[0] if h.startswith("Accepted: ")]
        bench.expect("log names the switches that change nothing", named,
                     ["/SUPPRESSMSGBOXES", "/NORESTART"])

    # /? with /S: the output alone, exit code 0, nothing installed.
    shutil.rmtree(p.c("tools"))
    out = p.wine([windows_path(bench.installer), "/S", "/?"], check=False)
    bench.check("/S /?: the switches and exit codes on the output",
                "/SILENT" in out and f"{EXIT['DiskFull']} DiskFull." in out, out)
    silent(bench, p, "/S /?", "/S /?", expect="Success")
    # /? alone: one message.
    helped = p.start(bench.installer, "/?")
    out = p.drive("dialog", "Pentaro Installer Version 3.24", 30)
    dialog = Dialog(out)
    shown = " ".join(dialog.texts)
    bench.check("/?: one message with the switches and exit codes",
                "/SILENT" in shown and f"{EXIT['DiskFull']} DiskFull." in shown, str(dialog))
    bench.expect("/?: OK alone", dialog.buttons, ["OK"])
    p.drive("press", "Pentaro Installer Version 3.24", "OK")
    bench.expect("/?: exit code", helped.wait_exit(), EXIT["Success"])
    bench.check("/?: nothing installed", not os.path.exists(p.c("tools")) and
                not os.path.exists(p.c("tq")))

    # /SILENT: the progress window, no button, nothing asked; caught while the big file is
    # written (a busy machine may let the run end first: then once more).
    log, log_arg = log_option(bench, "silent_progress")
    bmp = os.path.join(bench.work, "silent-progress.bmp")
    for attempt in range(3):
        p.raise_desktop()
        progress = p.start(bench.variant("big"), "/SILENT", log_arg, "/D=c:\\big")
        try:
            out = p.drive("wait-text", PROGRESS, "TLabel", "c:\\big\\pentaro1.kdb", 60,
                          "shot", PROGRESS, windows_path(bmp), "windows", "dump", PROGRESS)
            break
        except Failed as error:
            print(f"/SILENT: the progress window not caught ({error}); again")
            out = []
        finally:
            bench.expect("/SILENT: exit code", progress.wait_exit(60), EXIT["Success"])
    if not bench.check("/SILENT: the progress window caught while it wrote", bool(out)):
        return
    shots = bench.screenshots
    os.makedirs(shots, exist_ok=True)
    png = os.path.join(shots, "e2e-silent-progress.png")
    subprocess.run(["convert", bmp, png], check=True)
    print(f"screenshot: {png}")
    window = Window(out)
    bench.expect("/SILENT: no button", window.find(BUTTON), [])
    bench.expect("/SILENT: the progress window alone",
                 [f[2] for f in out if f[0] == "toplevel"], [PROGRESS])
    bench.expect("/SILENT: desktop shortcut made (the silent answer)",
                 os.listdir(p.desktop()), ["pentaro.lnk"])
    runs = Log(bench, log).runs()
    if runs:
        headings = [h for h, _ in runs[-1]]
        bench.expect("/SILENT: the log's files, question and answer, exit code",
                     (len([h for h in headings if h.startswith("Written: c:\\big\\")]),
                      "Question:" in headings, "Answer: Yes" in headings, headings[-1]),
                     (10, True, True, "Exit code: 0 (Success)"))


SCENARIOS = {f.__name__: f for f in (
    silent_install32, silent_install64, silent_dosbox_builds, silent_refusals,
    silent_write_faults, silent_second_instance, silent_as_administrators_write_it)}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("scenario", choices=sorted(SCENARIOS))
    for option in ("driver", "installer", "variants", "product", "manifest", "template",
                   "recorder", "staging", "work"):
        parser.add_argument("--" + option, required=True)
    options = parser.parse_args()
    options.screenshots = options.work

    def scenario(bench):
        bench.recorder = options.recorder
        bench.staging = options.staging
        return SCENARIOS[options.scenario](bench)
    return run_bench(options, scenario)

if __name__ == "__main__":
    sys.exit(main())
