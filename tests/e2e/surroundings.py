#!/usr/bin/python3
"""End-to-end scenarios of the installer in surroundings it did not choose: a time zone
with daylight saving, the user's own files in the install folder, look-alike characters,
links, damaged payloads. Same options and exit codes as scenarios.py, whose bench and
checks they share."""
import os
import shutil
import sys
import time

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
import scenarios  # noqa: E402
from e2e import MAIN, PROGRESS, ROOT  # noqa: E402
from scenarios import (  # noqa: E402
    BROWSE, BUTTON, SUCCESSFUL, Dialog, cancel_main_window, check_dialog, check_files, finish,
    folder_field, not_installed, open_folder_page)

SEASONS_MANIFEST = os.path.join(ROOT, "resources", "product", "manifest-seasons.txt")


def install_declining_shortcut(p, installer):
    """Install into the folder in the field, OK, No to the shortcut question, OK."""
    p.drive("click", MAIN, BUTTON, "Install", "wait-text", PROGRESS, "TLabel", SUCCESSFUL, 60,
            "click", PROGRESS, BUTTON, "OK", "dialog", "Warning", 30, "press", "Warning", "No",
            "dialog", "Pentaro", 30, "press", "Pentaro", "OK")


def seasons(bench):
    """New York, where the clocks move twice a year: files dated in either season, on both
    sides of each change and under the rules of 2001 and of 2010, and in the weeks where
    those rules differ in 2001 and in years before the zone's first rule year (1997, 1998),
    read back from Linux with their stored local times, whatever the season of the
    install."""
    os.environ["TZ"] = "America/New_York"
    time.tzset()
    print(f"installing on {time.strftime('%Y-%m-%d %Z')}")
    p = bench.prefix("seasons")
    installer = p.start(bench.variant("seasons"))
    open_folder_page(p)
    install_declining_shortcut(p, installer)
    finish(bench, installer, "installed")
    check_files(bench, p.c("tq"), 10, SEASONS_MANIFEST)


def lookalike_folder(bench):
    """A folder inside c:\\tq named with full-width look-alikes of the backslash and the
    letter x, picked in the folder browser: refused with a message, the field keeps its
    folder, nothing lands outside c:\\tq."""
    p = bench.prefix("lookalike_folder")
    # U+FF58 (x), U+FF3C (backslash): a file name on Linux and in Windows alike.
    os.makedirs(p.c("tq", "\uff58\uff3c..\uff3c..\uff3cevil"))
    installer = p.start(bench.installer)
    open_folder_page(p)
    vk_right = 0x27  # expands the selected folder, then moves to its first child
    out = p.drive("click", MAIN, BUTTON, "Browse", "dialog", BROWSE, 30, "sleep", 300,
                  "key", BROWSE, "SysTreeView32", vk_right, "sleep", 300,
                  "key", BROWSE, "SysTreeView32", vk_right, "sleep", 300, "press", BROWSE, "OK",
                  "dialog", installer.caption, 30)
    dialog = Dialog(out)
    print(f"after choosing the folder: {dialog}")
    bench.check("refused with a message naming the folder",
                any(t.lower().startswith("the folder name c:\\tq\\") and
                    t.endswith(" contains characters that cannot be used here. Please choose "
                               "another folder.") and "..\\.." not in t for t in dialog.texts),
                str(dialog))
    p.drive("press", installer.caption, "OK")
    bench.expect("the field keeps its folder", folder_field(p), "c:\\tq")
    install_declining_shortcut(p, installer)
    finish(bench, installer, "installed into the field's folder")
    check_files(bench, p.c("tq"), 10)
    bench.check("nothing outside c:\\tq", not os.path.exists(p.c("evil")))


def typed_folders(bench):
    """A folder typed with trailing blanks is refused before anything is created; one typed
    with forward slashes, missing parents and a closing "." is installed like its plain
    backslash form."""
    p = bench.prefix("typed_folders")
    installer = p.start(bench.installer)
    open_folder_page(p)
    out = p.drive("type", MAIN, "Edit", "c:\\tq   ", "sleep", 100,
                  "never", "TLabel", "Installing ...", "click", MAIN, BUTTON, "Install",
                  "dialog", "Pentaro", 60)
    dialog = Dialog(out)
    print(f"trailing blanks: {dialog}")
    bench.check("trailing blanks: the folder named, with the reason",
                bool(dialog.texts)
                and dialog.texts[0].startswith("Error creating folder c:\\tq   "),
                str(dialog))
    p.drive("press", "Pentaro", "OK")
    not_installed(bench, p, installer, "trailing blanks")
    bench.check("trailing blanks: no folder made", not os.path.exists(p.c("tq")))

    p.drive("type", MAIN, "Edit", "c:/tq/sub/x/.", "sleep", 100)
    install_declining_shortcut(p, installer)
    finish(bench, installer, "installed")
    check_files(bench, p.c("tq", "sub", "x"), 10)


def same_file_name(bench):
    """Two items for one file name (rs_readme stored as TARNW.EXE, rs_cmd's tarnw.exe in
    other case): a load error naming both, nothing written."""
    p = bench.prefix("same_file_name")
    installer = p.start(bench.variant("samename"))
    open_folder_page(p)
    out = p.drive("click", MAIN, BUTTON, "Install", "dialog", installer.caption, 60)
    check_dialog(bench, "error list", out, installer.caption,
                 "Error Reading resource item rs_readme, Filename TARNW.EXE is also the file "
                 "name of rs_cmd")
    p.drive("press", installer.caption, "OK")
    not_installed(bench, p, installer, "two items for one file")
    bench.expect("nothing written", os.listdir(p.c("tq")) if os.path.isdir(p.c("tq")) else [], [])
    cancel_main_window(p)
    finish(bench, installer, "closed with Cancel after a damaged run", "PayloadDamaged")


ERROR_BOX = "Pentaro Installer Version 3.24"  # the framework's box for errors in handlers


def links(bench):
    """Links planted in the install folder: a hard link is taken apart (the other name keeps
    its contents), a symbolic link to a file outside is not written through, nor is a folder
    that is a link. Checked from Linux."""
    p = bench.prefix("links")
    tq = p.c("tq")
    os.makedirs(tq)
    with open(p.c("victim.txt"), "wb") as f:
        f.write(b"victim")
    with open(p.c("hard.hlp"), "wb") as f:
        f.write(b"the user's help file")
    os.link(p.c("hard.hlp"), os.path.join(tq, "pentaro.hlp"))
    os.symlink("../victim.txt", os.path.join(tq, "readme.txt"))
    installer = p.start(bench.installer)
    open_folder_page(p)
    out = p.drive("never", "TLabel", SUCCESSFUL, "click", MAIN, BUTTON, "Install",
                  "dialog", ERROR_BOX, 60)
    dialog = Dialog(out)
    print(f"file link: {dialog}")
    bench.check("file link: refused, naming the link",
                any(t.startswith("c:\\tq\\readme.txt is a link") for t in dialog.texts),
                str(dialog))
    p.drive("press", ERROR_BOX, "OK", "sleep", 300)
    with open(p.c("victim.txt"), "rb") as f:
        bench.expect("the link's target is untouched", f.read(), b"victim")
    bench.check("the link stays a link", os.path.islink(os.path.join(tq, "readme.txt")))
    with open(p.c("hard.hlp"), "rb") as f:
        bench.expect("the hard link's other name keeps its contents", f.read(),
                     b"the user's help file")
    check_files(bench, tq, 8, other=("readme.txt",))

    victims = p.c("victims")
    os.makedirs(victims)
    os.symlink(victims, p.c("linked"))
    out = p.drive("type", MAIN, "Edit", "c:\\linked", "sleep", 100,
                  "click", MAIN, BUTTON, "Install", "dialog", ERROR_BOX, 60)
    dialog = Dialog(out)
    print(f"folder link: {dialog}")
    bench.check("folder link: refused, naming the folder",
                any(t.startswith("c:\\linked is a link") for t in dialog.texts), str(dialog))
    p.drive("press", ERROR_BOX, "OK", "sleep", 300)
    bench.expect("nothing written where the folder link leads", os.listdir(victims), [])
    cancel_main_window(p)
    finish(bench, installer, "closed with Cancel after a refused write", "WriteFailed")


def replaced_installer(bench):
    """The installer's file replaced while it runs, by one laid out like it whose rs_kdb2
    body is damaged (a download of the same name landing over it): the installer writes
    its own files, byte for byte."""
    p = bench.prefix("replaced_installer")
    downloads = p.c("downloads")
    os.makedirs(downloads)
    exe = os.path.join(downloads, "PentaroSetup.exe")
    shutil.copyfile(bench.installer, exe)
    installer = p.start(exe)
    open_folder_page(p)
    shutil.copyfile(bench.variant("corrupt"), exe + ".part")
    os.replace(exe + ".part", exe)
    install_declining_shortcut(p, installer)
    finish(bench, installer, "installed")
    check_files(bench, p.c("tq"), 10)


for scenario in (seasons, lookalike_folder, typed_folders, same_file_name, links,
                 replaced_installer):
    scenarios.SCENARIOS[scenario.__name__] = scenario

if __name__ == "__main__":
    sys.exit(scenarios.main())
