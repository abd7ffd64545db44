#!/usr/bin/python3
"""The Apps & Features entry and the uninstaller end to end: unattended installs of the real
installer in fresh Wine prefixes, then uninstalls started as Apps & Features starts them,
from the entry's own command lines (read with `wine reg`) or through Wine's own uninstaller
(`wine uninstaller --list` / `--remove`, an independent reader of the entry). Files, links
and the entry are checked from the Linux side.

    uninstall.py --driver D --installer EXE --product DIR --manifest FILE --screenshots DIR
                 --work DIR

Exit code 0 when every check passed, 1 otherwise."""
import argparse
import glob
import os
import re
import shutil
import subprocess
import sys
import time

import pefile

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
from e2e import EXIT, ROOT, Dialog, lnk_field, manifest_entries, run_bench  # noqa: E402
from scenarios import check_dialog, check_files  # noqa: E402
from silent import Log, silent  # noqa: E402

ENTRY = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Corvane Pentaro"


def entry(p, root="HKCU", view=None):
    """The entry's values as `wine reg query` gives them ({} when there is none)."""
    args = ["reg", "query", f"{root}\\{ENTRY}"] + ([f"/reg:{view}"] if view else [])
    out = p.wine(args, check=False)
    values = {}
    for line in out.splitlines():
        m = re.match(r"^\s+(\S+)\s+(REG_SZ|REG_DWORD)\s+(.*)$", line.rstrip("\r"))
        if m:
            values[m.group(1)] = m.group(3) if m.group(2) == "REG_SZ" else int(m.group(3), 16)
    return values


def listed(p):
    """{key: display name} of every entry Wine's uninstaller lists."""
    out = p.wine(["uninstaller", "--list"])
    return dict(line.rstrip("\r").split("|||", 1) for line in out.splitlines() if "|||" in line)


def hold(bench, p, path):
    """A Wine process that keeps `path` (a Windows path) open as DOSBox would; kill() it."""
    log = os.path.join(bench.work, "holder.log")
    with open(log, "wb") as out:
        holder = subprocess.Popen(["wine", bench.driver, "hold", path, "60"], env=p.env,
                                  stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.STDOUT)
    deadline = time.time() + 30
    while b"held" not in open(log, "rb").read() and time.time() < deadline:
        time.sleep(0.1)
    return holder


def release(holder):
    holder.kill()
    holder.wait()
    time.sleep(1)  # the handle closes with the Wine process


def quiet(bench, p, what, command, expect, extra=""):
    """Runs a registered command line ("quoted program" switches) as a deployment tool would,
    watched for windows of it and of the processes it starts."""
    m = re.fullmatch(r'"([^"]+)"\s*(.*)', command or "")
    if not bench.check(f"{what}: a quoted program in {command!r}", m is not None):
        return None
    out = p.drive("watch", m.group(1), f"{m.group(2)} {extra}".strip(), 90, timeout=120)
    code = int(next(f[1] for f in out if f[0] == "exit"))
    bench.expect(f"{what}: no window at any time", [f[1:] for f in out if f[0] == "window"], [])
    bench.expect(f"{what}: exit code {expect}", code, EXIT[expect])
    return code


START_ENTRY = "Pentaro 3.24.lnk"


def start_menu(p):
    """The user's programs folder in the Start menu (Linux side)."""
    found = glob.glob(p.c("users", "*", "AppData", "Roaming", "Microsoft", "Windows",
                          "Start Menu", "Programs"))
    return next((f for f in found if "/Public/" not in f), None)


def common_start_menu(p):
    return p.c("ProgramData", "Microsoft", "Windows", "Start Menu", "Programs")


def start_entries(folder):
    """The product's entries in a Start menu's programs folder."""
    return [n for n in os.listdir(folder) if n.startswith("Pentaro")] if folder else []


def temp_folders(p):
    """The temporary folders of the prefix's users."""
    return [t for t in glob.glob(p.c("users", "*", "Temp")) +
            glob.glob(p.c("users", "*", "AppData", "Local", "Temp")) if os.path.isdir(t)]


def temp_copies(p):
    """Copies of the uninstaller left in the temporary folders of the prefix."""
    return glob.glob(p.c("users", "*", "Temp", "PentaroUninstall*")) + glob.glob(
        p.c("users", "*", "AppData", "Local", "Temp", "PentaroUninstall*"))


def gone(path, seconds=5):
    """True once `path` is gone (the copy removes what the first process left a moment after
    that process has ended)."""
    deadline = time.time() + seconds
    while os.path.lexists(path) and time.time() < deadline:
        time.sleep(0.1)
    return not os.path.lexists(path)


def payload_items(exe):
    """{name: size} of the payload items (the catalogue's RCDATA resources) `exe` carries."""
    with open(os.path.join(ROOT, "engine", "payload.h")) as f:
        catalogue = re.search(r'PayloadCatalogue\[\] =\s*"([^"]+)"', f.read()).group(1)
    names = {n.upper() for n in catalogue.split(",")}
    with pefile.PE(exe) as pe:
        rcdata = next((t for t in pe.DIRECTORY_ENTRY_RESOURCE.entries
                       if t.id == pefile.RESOURCE_TYPE["RT_RCDATA"]), None)
        return {str(e.name): e.directory.entries[0].data.struct.Size
                for e in (rcdata.directory.entries if rcdata else []) if str(e.name) in names}


def check_uninstaller(bench, uninstaller):
    """The uninstaller carries no payload item and is at most the installer's stub (the
    installer without its payload items) and 16 KB; its checksum is right. In the installer,
    what it reads as it starts (manifest, icons, version, window layouts) lies ahead of the
    largest payload item, not behind it."""
    items = payload_items(bench.installer)
    with pefile.PE(bench.installer) as pe:
        places = [(str(n.name or n.id), n.directory.entries[0].data.struct)
                  for t in pe.DIRECTORY_ENTRY_RESOURCE.entries for n in t.directory.entries]
    largest = max(items, key=items.get)
    begins = next(d.OffsetToData for name, d in places if name == largest)
    behind = [name for name, d in places
              if name not in items and d.OffsetToData + d.Size > begins]
    bench.expect(f"the installer's start-up resources ahead of {largest}", behind, [])
    stub = os.path.getsize(bench.installer) - sum(items.values())
    size = os.path.getsize(uninstaller)
    bench.expect("the uninstaller carries no payload item", payload_items(uninstaller), {})
    bench.check("the uninstaller: at most the stub and 16 KB", len(items) == 10 and
                size <= stub + 16384, f"{size} bytes, stub {stub} bytes")
    with pefile.PE(uninstaller) as pe:
        bench.check("the uninstaller's checksum", pe.verify_checksum())


def product_files(bench):
    return [os.path.basename(f) for _, f, _ in manifest_entries(bench.manifest)]


def check_entry(bench, what, values, folder):
    today = time.strftime("%Y%m%d")
    uninstaller = f'"{folder}uninstall.exe"'
    expected = {"DisplayName": "Pentaro 3.24", "DisplayVersion": "3.24", "Publisher": "Corvane",
                "InstallLocation": folder, "DisplayIcon": folder + "penta.ico",
                "UninstallString": uninstaller, "QuietUninstallString": uninstaller + " /S",
                "InstallDate": today, "NoModify": 1, "NoRepair": 1}
    bench.expect(f"{what}: the entry's values",
                 {k: v for k, v in values.items() if k != "EstimatedSize"}, expected)
    size = values.get("EstimatedSize", 0)
    bench.check(f"{what}: EstimatedSize in KB of what was written", 200 <= size <= 2000,
                f"{size} KB")


# --- Scenarios ---

def uninstall64_quiet(bench):
    """64-bit with DOSBox: the entry; a file held open (nothing removed, FilesInUse); then
    the QuietUninstallString with a changed product file and an added file, which stay, and
    nothing else: files, dosbox.conf, links, the entry, the uninstaller and its copy gone."""
    p = bench.prefix("uninstall64", 64)
    p.plant_dosbox()
    silent(bench, p, "64-bit install", "/S", expect="Success")
    values = entry(p)
    check_entry(bench, "64-bit", values, "c:\\tq\\")
    bench.expect("64-bit: Wine's uninstaller lists the entry", listed(p),
                 {"Corvane Pentaro": "Pentaro 3.24"})
    check_uninstaller(bench, p.c("tq", "uninstall.exe"))

    files = product_files(bench)
    log = os.path.join(bench.work, "uninstall64.log")
    log_arg = "/LOG=Z:" + log.replace("/", "\\")
    holder = hold(bench, p, "c:\\tq\\" + files[3])
    try:
        quiet(bench, p, "a file held open", values.get("QuietUninstallString"), "FilesInUse",
              log_arg)
        check_files(bench, p.c("tq"), 10)
        bench.check("held: dosbox.conf, uninstaller and record kept",
                    all(os.path.isfile(p.c("tq", n))
                        for n in ("dosbox.conf", "uninstall.exe", "uninstall.rec")))
        bench.expect("held: the links kept", sorted(os.listdir(p.desktop())),
                     ["Penta DOSbox.lnk", "Print F.lnk"])
        bench.check("held: the entry kept", "Corvane Pentaro" in listed(p))
    finally:
        release(holder)
    runs = Log(bench, log).runs()
    if runs:
        told = [t for h, t in runs[0] if h == "Message:"]
        bench.check("held: the log names the file held", any(
            any(line.lower().startswith("c:\\tq\\" + files[3] + ":") for line in t)
            for t in told), repr(runs[0]))
        bench.expect("held: the log's exit code", runs[0][-1][0], "Exit code: 15 (FilesInUse)")

    # Links planted in the temporary folder under the names a copy could take lead to a
    # file of the user's: the copy goes into a new folder of its own and never follows them.
    os.makedirs(p.c("docs"), exist_ok=True)
    with open(p.c("docs", "victim.exe"), "wb") as f:
        f.write(b"the user's program")
    planted = []
    for temp in temp_folders(p):
        for n in range(0, 2048, 4):
            for name in (f"PentaroUninstall-{n}.exe", f"PentaroUninstall-{n}.exe.old"):
                planted.append(os.path.join(temp, name))
                os.symlink(p.c("docs", "victim.exe"), planted[-1])

    changed, added = p.c("tq", files[2]), p.c("tq", "notes.txt")
    with open(changed, "ab") as f:
        f.write(b"the user's own work")
    with open(added, "wb") as f:
        f.write(b"notes")
    quiet(bench, p, "quiet uninstall", values.get("QuietUninstallString"), "Success", log_arg)
    bench.check("the folder keeps only the changed and the added file",
                gone(p.c("tq", "uninstall.exe")) and
                sorted(os.listdir(p.c("tq"))) == sorted([files[2], "notes.txt"]),
                repr(sorted(os.listdir(p.c("tq")))))
    bench.expect("the links removed", os.listdir(p.desktop()), [])
    bench.expect("the entry removed", entry(p), {})
    bench.expect("Wine's uninstaller lists nothing", listed(p), {})
    left = [c for c in temp_copies(p) if c not in planted]
    bench.check("no copy of the uninstaller left", all(gone(c) for c in left), repr(left))
    with open(p.c("docs", "victim.exe"), "rb") as f:
        bench.expect("the file the planted links lead to", f.read(), b"the user's program")
    bench.check("the planted links left alone", all(os.path.islink(c) for c in planted))
    runs = Log(bench, log).runs()
    if runs:
        kept = [t[0].lower() for h, t in runs[-1] if h == "Kept:" and t]
        bench.check("log: the kept files named", "c:\\tq\\" + files[2] in kept
                    and "c:\\tq\\notes.txt" in kept, repr(runs[-1]))
        bench.expect("log: the exit code", runs[-1][-1][0], "Exit code: 0 (Success)")


def uninstall64_start_menu(bench):
    """64-bit, the Start-menu entry: none with /NOSTARTMENU; installed again without it, an
    entry in the user's Start menu that starts DOSBox with the folder's dosbox.conf, as the
    desktop's DOSBox link does, and none in all users'. The Start menu then moves (a
    redirection, the entry with it): the quiet uninstall finds the entry there and removes
    it."""
    p = bench.prefix("uninstall64_start_menu", 64)
    p.plant_dosbox()
    programs = start_menu(p)
    if not bench.check("the prefix has a Start menu for its user", programs is not None):
        return
    silent(bench, p, "/NOSTARTMENU", "/S /NOSTARTMENU", expect="Success")
    bench.expect("/NOSTARTMENU: no entry", start_entries(programs), [])
    bench.expect("/NOSTARTMENU: the desktop links", sorted(os.listdir(p.desktop())),
                 ["Penta DOSbox.lnk", "Print F.lnk"])
    silent(bench, p, "installed again", "/S", expect="Success")
    bench.expect("the entry in the user's Start menu", start_entries(programs), [START_ENTRY])
    bench.expect("no entry for all users", start_entries(common_start_menu(p)), [])
    link = os.path.join(programs, START_ENTRY)
    if os.path.isfile(link):
        bench.expect("the entry's target", lnk_field(link, "Local path"),
                     "c:\\program files (x86)\\dosbox-0.74\\dosbox.exe")
        bench.expect("the entry's arguments", lnk_field(link, "Command line arguments"),
                     "-noconsole -conf c:\\tq\\dosbox.conf")
        bench.expect("the entry's working directory", lnk_field(link, "Working directory"),
                     "c:\\program files (x86)\\dosbox-0.74\\")
        bench.expect("the entry's icon", lnk_field(link, "Icon location"), "c:\\tq\\penta.ico")

    moved = p.c("newstart", "Programs")
    os.makedirs(moved)
    for key, kind in (("User Shell Folders", "REG_EXPAND_SZ"), ("Shell Folders", "REG_SZ")):
        p.wine(["reg", "add", f"HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\"
                f"Explorer\\{key}", "/v", "Programs", "/t", kind, "/d",
                "c:\\newstart\\Programs", "/f"])
    for name in os.listdir(programs):
        shutil.move(os.path.join(programs, name), os.path.join(moved, name))
    quiet(bench, p, "quiet uninstall", '"c:\\tq\\uninstall.exe" /S', "Success")
    bench.check("the folder removed", gone(p.c("tq")))
    bench.expect("the entry removed from the moved Start menu", start_entries(moved), [])
    bench.expect("the desktop links removed", os.listdir(p.desktop()), [])


def uninstall32_moved(bench):
    """32-bit: installed into c:\\tq, then again into c:\\apps\\pentaro (with the shortcut):
    the entry moves there. The first folder's uninstaller refuses a tampered record, then
    removes its own folder whole and leaves the entry; the entry's uninstaller, started
    through Wine's uninstaller and answered in its dialogs (No; then Yes, Retry once a held
    file is let go), removes the second install whole, the folder it made included."""
    p = bench.prefix("uninstall32", 32)
    silent(bench, p, "first install", "/S /NOSHORTCUT", expect="Success")
    silent(bench, p, "second install elsewhere", "/S /D=c:\\apps\\pentaro", expect="Success")
    values = entry(p)
    check_entry(bench, "moved", values, "c:\\apps\\pentaro\\")
    record = p.c("tq", "uninstall.rec")
    with open(record, "rb") as f:
        written = f.read()
    with open(record, "ab") as f:  # a file outside the folder: a tampered record
        f.write(b"file\t5\t" + b"0" * 64 + b"\t..\\victim.txt\r\n")
    quiet(bench, p, "a tampered record", '"c:\\tq\\uninstall.exe" /S', "RecordUnusable")
    check_files(bench, p.c("tq"), 10)
    bench.check("tampered: uninstaller and record kept",
                os.path.isfile(p.c("tq", "uninstall.exe")) and os.path.isfile(record))
    with open(record, "wb") as f:
        f.write(written)
    quiet(bench, p, "the first folder's uninstaller", '"c:\\tq\\uninstall.exe" /S', "Success")
    bench.check("the first folder removed whole", gone(p.c("tq")))
    bench.expect("the entry still names the second folder",
                 entry(p).get("InstallLocation"), "c:\\apps\\pentaro\\")
    link = os.path.join(p.desktop(), "pentaro.lnk")
    bench.expect("the second install's link kept", lnk_field(link, "Local path"),
                 "c:\\apps\\pentaro\\pentaro.exe")
    # Both installs made the Start-menu entry; it now starts the second one's program.
    entry_link = os.path.join(start_menu(p) or "", START_ENTRY)
    bench.expect("the Start-menu entry kept, starting the second install",
                 lnk_field(entry_link, "Local path"), "c:\\apps\\pentaro\\pentaro.exe")

    def remove():
        out = open(os.path.join(bench.work, "wine-uninstaller.log"), "ab")
        return subprocess.Popen(["wine", "uninstaller", "--remove", "Corvane Pentaro"],
                                env=p.env, stdin=subprocess.DEVNULL, stdout=out,
                                stderr=subprocess.STDOUT)

    question = "Remove Pentaro 3.24 from c:\\apps\\pentaro\\?"
    first = remove()
    out = p.drive("dialog", "Pentaro", 30)
    check_dialog(bench, "the question", out, "Pentaro", question, ("Yes", "No"))
    p.drive("press", "Pentaro", "No")
    first.wait(30)
    check_files(bench, p.c("apps", "pentaro"), 10)
    bench.check("No: the entry kept", "Corvane Pentaro" in listed(p))

    holder = hold(bench, p, "c:\\apps\\pentaro\\readme.txt")
    try:
        second = remove()
        p.drive("dialog", "Pentaro", 30)
        p.screenshot("Pentaro", "e2e-uninstall-question")
        in_use = Dialog(p.drive("press", "Pentaro", "Yes", "dialog", "Pentaro", 30))
        bench.expect("a file held open: Retry and Cancel", in_use.buttons, ["Retry", "Cancel"])
        bench.check("a file held open: named", any("c:\\apps\\pentaro\\readme.txt:" in t
                                                   for t in in_use.texts), str(in_use))
        check_files(bench, p.c("apps", "pentaro"), 10)
    finally:
        release(holder)
    out = p.drive("press", "Pentaro", "Retry", "dialog", "Pentaro", 30)
    check_dialog(bench, "the closing message", out, "Pentaro",
                 "Pentaro 3.24 was removed from c:\\apps\\pentaro\\.")
    p.drive("press", "Pentaro", "OK")
    second.wait(30)
    bench.check("the second folder and the folder it made removed", gone(p.c("apps")))
    bench.expect("the link removed", os.listdir(p.desktop()), [])
    bench.expect("the Start-menu entry removed", start_entries(start_menu(p)), [])
    bench.expect("the entry removed", listed(p), {})


def uninstall64_all_users(bench):
    """64-bit, /ALLUSERS: the entry in HKLM's 32-bit view, the links on the public desktop;
    the quiet uninstall removes both."""
    p = bench.prefix("uninstall64_all_users", 64)
    p.plant_dosbox()
    # Wine enforces no access and keeps no owner: it shows every file as the running
    # account's, and the Unix permissions as the access (write for others: Everyone may
    # change it). So what it can show is a folder, a folder above or a file that others may
    # write.
    # A folder that was there already, which every user may change: refused, nothing written.
    os.makedirs(p.c("open"))
    os.chmod(p.c("open"), 0o777)
    silent(bench, p, "all users into a folder users may write", "/S /ALLUSERS /D=c:\\open",
           expect="FolderOpenToUsers")
    bench.expect("all users into a folder users may write: nothing written",
                 os.listdir(p.c("open")), [])
    # A folder above that users may change (they could rename the install folder away and
    # put their own in its place): refused before anything is made.
    os.makedirs(p.c("games"))
    os.chmod(p.c("games"), 0o777)
    silent(bench, p, "all users below a folder users may change",
           "/S /ALLUSERS /D=c:\\games\\pentaro", expect="FolderOpenToUsers")
    bench.expect("all users below a folder users may change: nothing made",
                 os.listdir(p.c("games")), [])
    # A folder closed to users that holds a file they may change.
    os.makedirs(p.c("kept"))
    with open(p.c("kept", "notes.txt"), "wb") as f:
        f.write(b"anyone's")
    os.chmod(p.c("kept", "notes.txt"), 0o666)
    silent(bench, p, "all users into a folder with a file users may change",
           "/S /ALLUSERS /D=c:\\kept", expect="FolderOpenToUsers")
    bench.expect("all users into a folder with a file users may change: nothing written",
                 os.listdir(p.c("kept")), ["notes.txt"])
    bench.expect("nothing registered for all users", entry(p, "HKLM", 32), {})
    folder = "c:\\shared apps\\pentaro game\\"
    silent(bench, p, "all users", f"/S /ALLUSERS /D={folder}", expect="Success")
    # The folders made with their access in the call that made them: Wine keeps of it what
    # the Unix permissions can hold, nothing for others.
    for made in (p.c("shared apps"), p.c("shared apps", "pentaro game")):
        bench.expect(f"all users: {made} closed to others", os.stat(made).st_mode & 0o007, 0)
    bench.expect("all users: no temporary file left",
                 [n for n in os.listdir(p.c("shared apps", "pentaro game")) if n.endswith(".new")], [])
    check_entry(bench, "all users", entry(p, "HKLM", 32), folder)
    bench.expect("all users: not in the 64-bit view", entry(p, "HKLM", 64), {})
    bench.expect("all users: no entry for the user", entry(p, "HKCU"), {})
    bench.expect("all users: Wine's uninstaller lists the entry", listed(p),
                 {"Corvane Pentaro": "Pentaro 3.24"})
    public = p.c("users", "Public", "Desktop")
    bench.expect("all users: the links on the public desktop", sorted(os.listdir(public)),
                 ["Penta DOSbox.lnk", "Print F.lnk"])
    bench.expect("all users: nothing on the user's desktop", os.listdir(p.desktop()), [])
    # Started by its short name, every part of it short, as some scripts and tools do: the
    # copy knows its first process by its file, not by the name it was started by.
    short = p.drive("short", folder + "uninstall.exe")[0][1]
    bench.check("all users: a short name for every part", short.count("~") == 3, short)
    quiet(bench, p, "all users: quiet uninstall by the short name", f'"{short}" /S', "Success")
    bench.check("all users: the folders removed", gone(p.c("shared apps")))
    bench.expect("all users: the public links removed", os.listdir(public), [])
    bench.expect("all users: the entry removed", entry(p, "HKLM", 32), {})


def uninstall32_users_things(bench):
    """32-bit, what is the user's stays: a file of the product's name that lay in the folder
    before the install; a database changed before a reinstall (kept beside, named in the
    log); the desktop moved after the install (OneDrive's backup does that); a file changed
    while the question is on screen, another changed without a change of size, a third given
    a new time only (its bytes the product's: removed); the temporary record of a stopped
    install."""
    p = bench.prefix("uninstall32_users", 32)
    files = product_files(bench)
    os.makedirs(p.c("tq"), exist_ok=True)
    theirs = files[-1]
    with open(p.c("tq", theirs), "wb") as f:
        f.write(b"the sibling product's own")
    log, log_arg = os.path.join(bench.work, "users.log"), None
    log_arg = "/LOG=Z:" + log.replace("/", "\\")
    silent(bench, p, "first install", f"/S {log_arg}", expect="Success")
    database = p.c("tq", files[2])
    with open(database, "ab") as f:
        f.write(b" and the user's work")
    with open(database, "rb") as f:
        work = f.read()
    found_kept = kept_versions(p.c("tq"))
    silent(bench, p, "reinstall", f"/S {log_arg}", expect="Success")
    kept = kept_versions(p.c("tq"))
    new = [n for n in kept if n not in found_kept]
    bench.expect("reinstall: the user's database kept beside", len(new), 1)
    if new:
        with open(p.c("tq", new[0]), "rb") as f:
            bench.check("reinstall: the kept version is the user's", f.read() == work)
        told = [t for h, t in Log(bench, log).runs()[-1] if h.startswith("Message")]
        bench.check("reinstall: the log names it", any(
            any(new[0] in line for line in t) for t in told), repr(told))

    # The desktop moves, the shortcut with it.
    old_desktop = p.desktop()
    os.makedirs(p.c("newdesk"), exist_ok=True)
    p.wine(["reg", "add", "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\"
            "User Shell Folders", "/v", "Desktop", "/t", "REG_EXPAND_SZ", "/d", "c:\\newdesk",
            "/f"])
    p.wine(["reg", "add", "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\"
            "Shell Folders", "/v", "Desktop", "/t", "REG_SZ", "/d", "c:\\newdesk", "/f"])
    for name in os.listdir(old_desktop):
        os.rename(os.path.join(old_desktop, name), p.c("newdesk", name))
    with open(p.c("tq", "uninstall.rec.new"), "wb") as f:
        f.write(b"PentaroSetup install record 2\r\n")

    # Worked in without a change of size (only its bytes can tell), and given a new time
    # with its bytes as they were (read, found the product's, removed).
    same_size = p.c("tq", files[3])
    with open(same_size, "r+b") as f:
        first = f.read(1)
        f.seek(0)
        f.write(bytes([first[0] ^ 1]))
    os.utime(p.c("tq", files[4]))

    changed = p.c("tq", files[0])
    uninstall = subprocess.Popen(["wine", "c:\\tq\\uninstall.exe"], env=p.env,
                                 stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                 stderr=subprocess.DEVNULL)
    out = p.drive("dialog", "Pentaro", 30)
    check_dialog(bench, "moved desktop: the question", out, "Pentaro",
                 "Remove Pentaro 3.24 from c:\\tq\\?", ("Yes", "No"))
    with open(changed, "ab") as f:  # while the question is on screen
        f.write(b"changed after the question")
    closing = Dialog(p.drive("press", "Pentaro", "Yes", "dialog", "Pentaro", 30))
    bench.check("the closing message names the file changed during the question",
                any("c:\\tq\\" + files[0] in t for t in closing.texts), str(closing))
    p.drive("press", "Pentaro", "OK")
    uninstall.wait(30)
    left = sorted(os.listdir(p.c("tq"))) if os.path.isdir(p.c("tq")) else []
    bench.expect("kept: the changed files (one of the same size) and the user's versions, "
                 "nothing else", left, sorted([files[0], files[3]] + kept))
    bench.check("the file found there before stays, kept beside the product's",
                any(open(p.c("tq", k), "rb").read() == b"the sibling product's own"
                    for k in found_kept))
    bench.expect("moved desktop: the shortcut removed", os.listdir(p.c("newdesk")), [])
    bench.expect("the entry removed", listed(p), {})


def uninstall32_stopped(bench):
    """An entry that holds a key of its own (another tool wrote one under it) no longer stops
    the uninstall between the files and the entry, which left every later run ending with
    RemovalDenied: the check before anything is deleted covers the keys below, and the entry
    goes with them."""
    p = bench.prefix("uninstall32_stopped", 32)
    silent(bench, p, "install", "/S /NOSHORTCUT", expect="Success")
    p.wine(["reg", "add", f"HKCU\\{ENTRY}\\held\\deeper", "/f"])
    quiet(bench, p, "uninstall", '"c:\\tq\\uninstall.exe" /S', "Success")
    bench.check("the folder removed", gone(p.c("tq")))
    bench.expect("the entry removed, with its keys", listed(p), {})
    bench.expect("nothing left of the entry", entry(p), {})


def product_bytes(bench):
    """{file name: bytes} of the product as the installer carries it."""
    result = {}
    for _, source, _ in manifest_entries(bench.manifest):
        with open(os.path.join(bench.product, source), "rb") as f:
            result[os.path.basename(source)] = f.read()
    return result


def kept_versions(folder):
    return sorted(n for n in os.listdir(folder) if "(your version of " in n)


def uninstall32_found_and_stopped(bench):
    """What an install finds is the user's unless it is the product's own bytes, and every
    stopped run can be finished: the user's file found by a first install (kept beside, the
    product's written); a reinstall after a database changed and the record was cut in half;
    a first install stopped by a write fault, one of its files then cut short as a kill
    mid-write leaves it, run again; another program's uninstaller in the chosen folder
    (refused); an uninstall stopped once its record had gone, run again. The uninstall leaves
    only the user's files."""
    p = bench.prefix("uninstall32_found", 32)
    product = product_bytes(bench)
    names = list(product)
    log, log_arg = os.path.join(bench.work, "found.log"), None
    log_arg = "/LOG=Z:" + log.replace("/", "\\")
    os.makedirs(p.c("tq"))
    mine = {names[3]: b"my own notes, not the product's", "notes.txt": b"more notes"}
    for name, data in mine.items():
        with open(p.c("tq", name), "wb") as f:
            f.write(data)
    silent(bench, p, "first install over the user's file", f"/S /NOSHORTCUT {log_arg}",
           expect="Success")
    check_files(bench, p.c("tq"), 10)
    kept = kept_versions(p.c("tq"))
    if bench.expect("first install: the user's file kept beside", len(kept), 1):
        with open(p.c("tq", kept[0]), "rb") as f:
            bench.check("first install: the kept file is the user's", f.read() == mine[names[3]])
        told = [t for h, t in Log(bench, log).runs()[-1] if h.startswith("Message")]
        bench.check("first install: the log names it",
                    any(any(kept[0] in line for line in t) for t in told), repr(told))

    # A database worked in, and the record cut in half: still the user's work.
    database = p.c("tq", names[2])
    with open(database, "ab") as f:
        f.write(b" and the user's work")
    with open(database, "rb") as f:
        work = f.read()
    record = p.c("tq", "uninstall.rec")
    with open(record, "rb") as f:
        text = f.read()
    with open(record, "wb") as f:
        f.write(text[:len(text) // 2])
    silent(bench, p, "reinstall, record cut", f"/S /NOSHORTCUT {log_arg}", expect="Success")
    check_files(bench, p.c("tq"), 10)
    kept = kept_versions(p.c("tq"))
    bench.expect("reinstall: two kept versions", len(kept), 2)
    bench.check("reinstall: the changed database among them",
                any(open(p.c("tq", k), "rb").read() == work for k in kept))

    # A first install into c:\other stopped after its third file (a folder where the fourth
    # goes), its third file then cut short as a kill mid-write leaves it; run again.
    taken = p.c("other", names[3])
    os.makedirs(taken)
    silent(bench, p, "stopped first install", "/S /NOSHORTCUT /D=c:\\other",
           expect="WriteFailed")
    with open(p.c("other", "uninstall.rec"), "rb") as f:
        bench.check("stopped: the record was written first, marked incomplete",
                    f.read().rstrip().endswith(b"incomplete"))
    cut = p.c("other", names[2])
    with open(cut, "r+b") as f:
        f.truncate(len(product[names[2]]) // 2)
    os.rmdir(taken)
    silent(bench, p, "the stopped install run again", "/S /NOSHORTCUT /D=c:\\other",
           expect="Success")
    check_files(bench, p.c("other"), 10)
    bench.expect("run again: nothing kept as the user's", kept_versions(p.c("other")), [])
    quiet(bench, p, "uninstall of the finished install", '"c:\\other\\uninstall.exe" /S',
          "Success")
    # c:\\other was there before (the test made it): it stays, empty.
    bench.expect("uninstall: every file of the stopped-then-finished install gone",
                 os.listdir(p.c("other")) if os.path.isdir(p.c("other")) else [], [])

    # Another program's uninstaller where ours goes: the folder is refused, it stays.
    os.makedirs(p.c("games"))
    theirs = p.c("games", "uninstall.exe")
    shutil.copy(p.c("windows", "system32", "notepad.exe"), theirs)
    with open(theirs, "rb") as f:
        before = f.read()
    silent(bench, p, "another program's uninstaller", "/S /D=c:\\games", expect="FolderRefused")
    with open(theirs, "rb") as f:
        bench.check("another program's uninstaller: unchanged", f.read() == before)
    bench.expect("another program's uninstaller: nothing written", os.listdir(p.c("games")),
                 ["uninstall.exe"])

    # An uninstall stopped once its entry and record had gone (as a kill leaves it): run
    # again, it removes itself and keeps the user's files.
    # (The entry went with c:\\other's uninstall: there is one entry per product.)
    bench.expect("the entry gone", listed(p), {})
    for name in names:
        os.remove(p.c("tq", name))
    os.remove(record)
    quiet(bench, p, "the stopped uninstall run again", '"c:\\tq\\uninstall.exe" /S', "Success")
    bench.check("run again: uninstall.exe gone", gone(p.c("tq", "uninstall.exe")))
    left = sorted(os.listdir(p.c("tq"))) if os.path.isdir(p.c("tq")) else []
    bench.expect("run again: only the user's files left", left, sorted(kept + ["notes.txt"]))
    bench.expect("no copy left in the temporary folder", temp_copies(p), [])


def uninstall32_older_windows(bench):
    """Windows XP's ways, forced in the test build by hiding the newer functions: no
    SetFileInformationByHandle (files marked for deletion through NtSetInformationFile, a
    read-only one made writable through it), no QueryFullProcessImageName (the hand-over
    asks for the right XP knows and reads the first process's program from its module list),
    no GetTempPath2. The quiet uninstall removes everything all the same."""
    p = bench.prefix("uninstall32_older", 32)
    p.env["PENTARO_TEST_MISSING_EXPORTS"] = \
        "SetFileInformationByHandle,QueryFullProcessImageNameA,GetTempPath2W"
    silent(bench, p, "XP's ways: install", "/S", expect="Success")
    files = product_files(bench)
    os.chmod(p.c("tq", files[1]), 0o444)  # read-only, as Wine shows a file without w
    quiet(bench, p, "XP's ways: quiet uninstall", '"c:\\tq\\uninstall.exe" /S', "Success")
    bench.check("XP's ways: the folder removed", gone(p.c("tq")))
    bench.expect("XP's ways: the link removed", os.listdir(p.desktop()), [])
    bench.expect("XP's ways: the entry removed", listed(p), {})
    left = temp_copies(p)
    bench.check("XP's ways: no copy of the uninstaller left", all(gone(c) for c in left),
                repr(left))


SCENARIOS = (uninstall64_quiet, uninstall64_start_menu, uninstall32_moved, uninstall64_all_users,
             uninstall32_users_things, uninstall32_stopped, uninstall32_found_and_stopped,
             uninstall32_older_windows)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("scenarios", nargs="*")
    for option in ("driver", "installer", "product", "manifest", "screenshots", "work"):
        parser.add_argument("--" + option, required=True)
    options = parser.parse_args()
    options.variants = options.template = None

    def body(bench):
        for scenario in SCENARIOS:
            if not options.scenarios or scenario.__name__ in options.scenarios:
                print(f"--- {scenario.__name__}")
                scenario(bench)
    return run_bench(options, body)


if __name__ == "__main__":
    sys.exit(main())
