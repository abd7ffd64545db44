#!/usr/bin/python3
"""End-to-end scenarios: the real installer under Wine in a fresh prefix, driven by the
scripted user (driver.exe) and checked from the Linux side.

    scenarios.py NAME --driver D --installer EXE --variants DIR --product DIR
                 --manifest FILE --big-manifest FILE --template FILE --screenshots DIR
                 --work DIR

Exit code 0 when every check passed, 1 otherwise, 77 when the scenario cannot run here
(a tmpfs cannot be mounted)."""
import argparse
import os
import re
import subprocess
import sys

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
from e2e import (  # noqa: E402
    EXIT, MAIN, PROGRESS, SKIP, Dialog, Window, lines, lnk_field, lnk_header, local_time,
    manifest_entries, run_bench)

BUTTON = "TAdvToolButton"
SUCCESSFUL = "Installation Successful."
NOT_INSTALLED = "Pentaro was not installed."
INVALID_DEVICE = "Install Directory is not on a valid device."
QUESTION = ("Pentaro, version 3.24, was installed successfully.\n\n"
            "Normally Pentaro is run from inside Helmstar by pressing the function key, F6. "
            "If you are not \ninstalling Helmstar, you need a shortcut on the \ndesktop to run "
            "this wheel program. \n\nClick NO if you do NOT want the P+ shortcut created.")


# --- Checks shared by the scenarios ---

def check_files(bench, folder, count, manifest=None, product=None, other=()):
    """The first `count` catalogue files in `folder`, byte for byte as the stand-ins, each
    with its stored date as last-write time (local time); the others absent, except those
    named in `other` (which the scenario put there itself)."""
    entries = manifest_entries(manifest or bench.manifest)
    product = product or bench.product
    for i, (_, source, date) in enumerate(entries):
        name = os.path.basename(source)
        path = os.path.join(folder, name)
        if name in other:
            continue
        if i >= count:
            bench.check(f"{name} not written", not os.path.lexists(path))
            continue
        if not bench.check(f"{name} written", os.path.isfile(path)):
            continue
        with open(path, "rb") as got, open(os.path.join(product, source), "rb") as want:
            bench.check(f"{name} byte for byte", got.read() == want.read())
        bench.expect(f"{name} last-write time", os.stat(path).st_mtime, local_time(date))


def check_dialog(bench, what, output, caption, text, buttons=("OK",)):
    dialog = Dialog(output)
    bench.expect(f"{what}: caption", dialog.caption, caption)
    bench.check(f"{what}: text", dialog.shows(text), f"shows {dialog.texts!r}, expected {text!r}")
    bench.expect(f"{what}: buttons", dialog.buttons, list(buttons))
    return dialog


def visible_windows(output):
    return [fields[2] for fields in output if fields[0] == "toplevel"]


def open_folder_page(prefix):
    prefix.drive("wait", MAIN, 60, "click", MAIN, BUTTON, "Setup",
                 "wait-text", MAIN, BUTTON, "Install", 10)


def folder_field(prefix):
    return Window(prefix.drive("dump", MAIN)).one("Edit")["text"]


def not_installed(bench, prefix, installer, what):
    """After a run that returned false: the main window is back on the folder page, then
    "Pentaro was not installed."."""
    out = prefix.drive("dialog", installer.caption, 30, "windows")
    check_dialog(bench, f"{what}: closing dialog", out, installer.caption, NOT_INSTALLED)
    bench.check(f"{what}: the main window is back before the message", MAIN in visible_windows(out))
    bench.check(f"{what}: the progress window is gone", PROGRESS not in visible_windows(out))
    out = prefix.drive("press", installer.caption, "OK", "dump", MAIN)
    main = Window(out)
    bench.check(f"{what}: still on the folder page", bool(main.find(BUTTON, "Install")))


def finish(bench, installer, what, code="Success"):
    bench.expect(f"{what}: exit code {code}", installer.wait_exit(), EXIT[code])


def cancel_main_window(prefix):
    prefix.drive("click", MAIN, BUTTON, "Cancel")


def check_dosbox_setup(bench, p):
    """What the 64-bit install into c:\\tq with DOSBox leaves: the files, dosbox.conf (the
    template and the autoexec lines) and the two desktop links as lnkinfo reads them.
    Returns the path of dosbox.conf."""
    check_files(bench, p.c("tq"), 10)
    with open(bench.template, "rb") as f:
        expected = f.read() + b"mount c c:\\tq\r\nc:\r\ndel f\r\ntarnw.exe /ns\r\nexit\r\n"
    conf = p.c("tq", "dosbox.conf")
    if bench.check("dosbox.conf written", os.path.isfile(conf)):
        with open(conf, "rb") as f:
            bench.check("dosbox.conf: the template and the autoexec lines", f.read() == expected)
    desktop = p.desktop()
    bench.expect("desktop", sorted(os.listdir(desktop)), ["Penta DOSbox.lnk", "Print F.lnk"])
    link = os.path.join(desktop, "Penta DOSbox.lnk")
    if os.path.isfile(link):
        exe = "c:\\program files (x86)\\dosbox-0.74\\dosbox.exe"
        bench.expect("DOSBox link target", lnk_field(link, "Local path"), exe)
        bench.expect("DOSBox link arguments", lnk_field(link, "Command line arguments"),
                     "-noconsole -conf c:\\tq\\dosbox.conf")
        bench.expect("DOSBox link working directory", lnk_field(link, "Working directory"),
                     "c:\\program files (x86)\\dosbox-0.74\\")
        bench.expect("DOSBox link icon", lnk_field(link, "Icon location"), "c:\\tq\\penta.ico")
        bench.expect("DOSBox link show command and hot key", lnk_header(link), (1, 0))
    link = os.path.join(desktop, "Print F.lnk")
    if os.path.isfile(link):
        bench.expect("print link target", lnk_field(link, "Local path"), "c:\\tq\\spool32.exe")
        bench.expect("print link arguments", lnk_field(link, "Command line arguments"), "f")
        bench.expect("print link description", lnk_field(link, "Description"),
                     "Print File f (CTRL+ALT+P)")
        bench.expect("print link show command and hot key", lnk_header(link), (1, 0x0650))
    return conf


# --- Scenarios ---

def install32_shortcut(bench):
    """32-bit: Setup, Install to the proposed folder, OK, Yes to the shortcut question; the
    layout of both pages and screenshots of the pages, the progress window and the question."""
    p = bench.prefix("install32_shortcut")
    installer = p.start(bench.installer)
    main = Window(p.drive("wait", MAIN, 60, "sleep", 200, "dump", MAIN))
    bench.expect("main window: client area", main.client, (685, 400))
    ws_thickframe, ws_maximizebox, ws_minimizebox, ws_sysmenu = 0x40000, 0x10000, 0x20000, 0x80000
    bench.check("main window: fixed size, minimise and close only",
                main.style & (ws_thickframe | ws_maximizebox) == 0
                and main.style & (ws_minimizebox | ws_sysmenu) == ws_minimizebox | ws_sysmenu,
                f"style {main.style:08x}")
    left, top, width, height = main.frame
    bench.check("main window: centred on the 1024 x 768 desktop",
                abs(left - (1024 - width) // 2) <= 1 and abs(top - (768 - height) // 2) <= 1,
                f"frame {main.frame}")
    bench.expect("left panel", main.one("TAdvPanel")["rect"], (0, 0, 185, 400))
    bench.expect("logo", main.one("TImage")["rect"], (38, 19, 105, 105))
    bench.expect("INSTALLING", main.one("TLabel", "INSTALLING")["rect"][:2], (42, 165))
    bench.expect("maker", main.one("TLabel", "Corvane\xae")["rect"][:2], (40, 205))
    for text, y in (("Pentaro", 253), ("3.24", 293)):
        x, ty, w, _ = main.one("TLabel", text)["rect"]
        bench.expect(f"panel label {text} centred at top {y}", (x, ty), ((185 - w) // 2, y))
    for text, y in (("This will install Corvane Pentaro", 13), ("Version 3.24 05/11/04", 34)):
        x, ty, w, _ = main.one("TLabel", text)["rect"]
        bench.expect(f"welcome label {text!r} centred at top {y}", (x, ty),
                     (185 + (500 - w) // 2, y))
    bench.expect("welcome text", main.one("TLabel", "Click SETUP to install this program, "
                                          "CANCEL to close")["rect"][:2], (185 + 51, 252))
    bench.expect("Setup button", main.one(BUTTON, "Setup")["rect"], (185 + 102, 332, 73, 22))
    bench.expect("Cancel button", main.one(BUTTON, "Cancel")["rect"], (185 + 321, 332, 73, 22))
    bench.check("the folder page is hidden", not main.find(BUTTON, "Install"))
    p.screenshot(MAIN, "e2e-welcome-page")

    open_folder_page(p)
    main = Window(p.drive("sleep", 200, "dump", MAIN))
    bench.expect("proposed folder", main.one("Edit")["text"], "c:\\tq")
    bench.expect("folder field", main.one("Edit")["rect"], (185 + 64, 35, 287, 26))
    bench.expect("Install Folder label", main.one("TLabel", "Install Folder:")["rect"][:2],
                 (185 + 63, 13))
    bench.expect("Browse button", main.one(BUTTON, "Browse")["rect"], (185 + 354, 37, 73, 22))
    bench.expect("Install button", main.one(BUTTON, "Install")["rect"], (185 + 209, 341, 73, 22))
    bench.expect("Cancel button", main.one(BUTTON, "Cancel")["rect"], (185 + 343, 341, 73, 22))
    bench.check("the welcome page is hidden", not main.find(BUTTON, "Setup"))
    p.screenshot(MAIN, "e2e-folder-page")

    out = p.drive("click", MAIN, BUTTON, "Install",
                  "wait-text", PROGRESS, "TLabel", SUCCESSFUL, 60, "sleep", 200, "windows",
                  "dump", PROGRESS)
    bench.check("the main window is hidden during the run", MAIN not in visible_windows(out))
    progress = Window(out)
    total = sum(os.path.getsize(os.path.join(bench.product, f))
                for _, f, _ in manifest_entries(bench.manifest))
    bench.expect("progress window: client area", progress.client, (447, 170))
    bench.expect("progress: file counter", [c["text"] for c in progress.find("TLabel")
                                            if c["text"].startswith("Files:")], ["Files: 10"])
    status = [c["text"] for c in progress.find("TLabel") if c["text"].endswith(" bytes")]
    numbers = [re.sub(r"\D", "", n) for n in re.findall(r"[\d,. \xa0]+(?= of| bytes)",
                                                          status[0] if status else "")]
    bench.expect("progress: bytes done of total", numbers, [str(total), str(total)])
    x, _, w, _ = progress.one(BUTTON, "OK")["rect"]
    bench.expect("progress: OK centred", x, (447 - w) // 2)
    bench.check("progress: Pause hidden", not progress.find(BUTTON, "Pause"))
    bench.check("progress: file line hidden", not progress.find("TLabel", "c:\\tq\\spool32.exe"))
    p.screenshot(PROGRESS, "e2e-progress-finished")

    out = p.drive("click", PROGRESS, BUTTON, "OK", "dialog", "Warning", 30)
    check_dialog(bench, "shortcut question", out, "Warning", QUESTION, ("Yes", "No"))
    p.screenshot("Warning", "e2e-dialog-shortcut-question")
    out = p.drive("press", "Warning", "Yes", "dialog", "Pentaro", 30, "windows")
    check_dialog(bench, "closing message", out, "Pentaro",
                 "To run Pentaro, click the P+ icon on your desktop.")
    bench.check("closing message: the progress window is destroyed before it",
                PROGRESS not in visible_windows(out))
    p.drive("press", "Pentaro", "OK")
    finish(bench, installer, "installed")

    check_files(bench, p.c("tq"), 10)
    link = os.path.join(p.desktop(), "pentaro.lnk")
    if bench.check("pentaro.lnk on the desktop", os.path.isfile(link)):
        bench.expect("link target", lnk_field(link, "Local path"), "c:\\tq\\pentaro.exe")
        bench.expect("link working directory", lnk_field(link, "Working directory"), "c:\\tq\\")
        bench.expect("link arguments", lnk_field(link, "Command line arguments") or "", "")
        bench.expect("link icon", lnk_field(link, "Icon location"), "c:\\tq\\penta.ico")
        bench.expect("link icon index", lnk_field(link, "Icon index"), "0")
        bench.expect("link description", lnk_field(link, "Description"), "Pentaro")
        bench.expect("link show command and hot key", lnk_header(link), (1, 0))
    bench.expect("desktop", sorted(os.listdir(p.desktop())), ["pentaro.lnk"])


def scaled(pixels, dpi):
    """A 96-dpi figure at `dpi`, rounded as the system's MulDiv rounds (halves up)."""
    return (pixels * dpi + 48) // 96


def install32_dpi144(bench):
    """32-bit at 150 % display scale: the main window at its scaled size; Setup, Install and OK
    clicked where the 96-dpi layout scaled puts them, Yes to the shortcut question; the
    installation succeeds as at 100 %. Screenshots of every window at that scale."""
    dpi = 144
    s = lambda v: scaled(v, dpi)  # noqa: E731
    p = bench.prefix("install32_dpi144")
    p.registry("HKCU\\Control Panel\\Desktop", "LogPixels", dpi)
    # The whole X screen of the tests, which the main window at 150 % (1028 x 600) fits.
    p.registry("HKCU\\Software\\Wine\\Explorer\\Desktops", "Default", "1280x1024")
    p.restart()  # both are read when the desktop and the programs start
    installer = p.start(bench.installer)
    main = Window(p.drive("wait", MAIN, 60, "sleep", 200, "dump", MAIN))
    bench.expect("main window: client area at 150 %", main.client, (1028, 600))
    page = s(185)
    p.screenshot(MAIN, "e2e-dpi144-welcome-page")

    def click_at(title, x, y, expected):
        out = p.drive("click-at", title, x, y)
        hit = [f[2] for f in out if f[0] == "clicked"]
        bench.expect(f"click at ({x}, {y}) of {title!r}", hit, [expected])

    click_at(MAIN, page + s(102) + s(73) // 2, s(332) + s(22) // 2, "Setup")
    p.drive("wait-text", MAIN, BUTTON, "Install", 10, "sleep", 200)
    p.screenshot(MAIN, "e2e-dpi144-folder-page")

    click_at(MAIN, page + s(354) + s(73) // 2, s(37) + s(22) // 2, "Browse")
    out = p.drive("dialog", "Browse for Folder", 30, "dump", "Browse for Folder")
    left, top, width, height = Window(out).frame
    bench.check("folder browser: centred on the 1280 x 1024 desktop",
                abs(left - (1280 - width) // 2) <= 1 and abs(top - (1024 - height) // 2) <= 1,
                f"frame {Window(out).frame}")
    p.screenshot("Browse for Folder", "e2e-dpi144-folder-browser")
    p.drive("press", "Browse for Folder", "Cancel")

    click_at(MAIN, page + s(209) + s(73) // 2, s(341) + s(22) // 2, "Install")
    p.drive("wait-text", PROGRESS, "TLabel", SUCCESSFUL, 60, "sleep", 200)
    width, height = s(447), s(170)
    p.screenshot(PROGRESS, "e2e-dpi144-progress-finished")
    # OK is centred in the lower panel, which is docked at the bottom.
    ok_left = (width - s(114)) // 2
    click_at(PROGRESS, ok_left + s(114) // 2, height - s(41) + s(6) + s(26) // 2, "OK")

    out = p.drive("dialog", "Warning", 30)
    check_dialog(bench, "shortcut question", out, "Warning", QUESTION, ("Yes", "No"))
    p.screenshot("Warning", "e2e-dpi144-dialog-shortcut-question")
    p.drive("press", "Warning", "Yes", "dialog", "Pentaro", 30, "press", "Pentaro", "OK")
    finish(bench, installer, "installed at 150 %")
    check_files(bench, p.c("tq"), 10)
    bench.check("pentaro.lnk on the desktop", os.path.isfile(os.path.join(p.desktop(),
                                                                          "pentaro.lnk")))


def install32_no_shortcut(bench):
    """A folder typed in mixed case with two trailing backslashes; Install double-clicked
    (one run); No to the question."""
    p = bench.prefix("install32_no_shortcut")
    installer = p.start(bench.installer)
    open_folder_page(p)
    p.drive("type", MAIN, "Edit", "C:\\Games\\Pentaro\\\\", "sleep", 100)
    bench.expect("typed folder in lower case", folder_field(p), "c:\\games\\pentaro\\\\")
    out = p.drive("double-click", MAIN, BUTTON, "Install",
                  "wait-text", PROGRESS, "TLabel", SUCCESSFUL, 60, "sleep", 200,
                  "dump", PROGRESS)
    bench.check("file paths with exactly one backslash before the name",
                bool(Window(out).find("TLabel", "c:\\games\\pentaro\\spool32.exe", visible=False)),
                f"{[c['text'] for c in Window(out).find('TLabel', visible=None)]}")
    out = p.drive("click", PROGRESS, BUTTON, "OK", "dialog", "Warning", 30)
    check_dialog(bench, "shortcut question", out, "Warning", QUESTION, ("Yes", "No"))
    out = p.drive("press", "Warning", "No", "dialog", "Pentaro", 30)
    check_dialog(bench, "closing message", out, "Pentaro",
                 "To run Pentaro, start Helmstar and press function key F6.")
    out = p.drive("press", "Pentaro", "OK", "sleep", 500, "windows")
    bench.expect("the double click ran one installation", visible_windows(out), [])
    finish(bench, installer, "installed")
    check_files(bench, p.c("games", "pentaro"), 10)
    bench.expect("no link on the desktop", os.listdir(p.desktop()), [])


BROWSE = "Browse for Folder"
BROWSE_TEXT = ("Change Install Folder. Standard Corvane folders are tq and corvane\\tq. To install "
               "directly to a Corvane flash drive, select the drive, then the tq folder.")


def install32_sibling(bench):
    """The folder browser: its text and new style, centred, starting at the field's folder;
    Cancel and OK on the same folder keep the field, another folder replaces it. Then
    tarn.exe already in the folder: no question; the progress window's close box ends the
    final wait like OK."""
    p = bench.prefix("install32_sibling")
    os.makedirs(p.c("tq"))
    with open(p.c("tq", "tarn.exe"), "wb") as f:
        f.write(b"MZ sibling")
    installer = p.start(bench.installer)
    open_folder_page(p)

    out = p.drive("click", MAIN, BUTTON, "Browse", "dialog", BROWSE, 30, "dump", BROWSE)
    dialog = check_dialog(bench, "folder browser", out, BROWSE, BROWSE_TEXT,
                          ("Make New Folder", "OK", "Cancel"))
    left, top, width, height = Window(out).frame
    bench.check("folder browser: centred on the desktop",
                abs(left - (1024 - width) // 2) <= 1 and abs(top - (768 - height) // 2) <= 1,
                f"frame {Window(out).frame}")
    p.drive("press", BROWSE, "Cancel", "gone", BROWSE, 10, "sleep", 200)
    bench.expect("Browse cancelled: field unchanged", folder_field(p), "c:\\tq")
    bench.expect("Browse cancelled: the focus is back on Browse", focused(p, MAIN),
                 (BUTTON, "Browse"))
    p.drive("click", MAIN, BUTTON, "Browse", "dialog", BROWSE, 30, "press", BROWSE, "OK")
    bench.expect("Browse confirmed the folder in the field: unchanged", folder_field(p), "c:\\tq")
    vk_left = 0x25  # in the folder tree: from the selected folder up to its parent
    p.drive("click", MAIN, BUTTON, "Browse", "dialog", BROWSE, 30, "sleep", 300,
            "key", BROWSE, "SysTreeView32", vk_left, "sleep", 300, "press", BROWSE, "OK")
    bench.expect("Browse chose the drive: the field shows it", folder_field(p), "c:\\")
    p.drive("type", MAIN, "Edit", "C:\\TQ", "sleep", 100)
    p.drive("click", MAIN, BUTTON, "Install", "wait-text", PROGRESS, "TLabel", SUCCESSFUL, 60,
            "close", PROGRESS)
    out = p.drive("dialog", "Pentaro", 30)
    check_dialog(bench, "closing message", out, "Pentaro",
                 "Pentaro, version 3.24, was installed successfully.\r\n\r\n"
                 "To run Pentaro, first run Helmstar, then press the function key F6.")
    p.drive("press", "Pentaro", "OK")
    finish(bench, installer, "installed")
    check_files(bench, p.c("tq"), 10)
    with open(p.c("tq", "tarn.exe"), "rb") as f:
        bench.expect("tarn.exe untouched", f.read(), b"MZ sibling")
    bench.expect("no link on the desktop", os.listdir(p.desktop()), [])


def install32_menu(bench):
    """C:\\corvane\\tq exists, so it is proposed; tqmenu.exe in its parent gives only the menu
    message."""
    p = bench.prefix("install32_menu")
    os.makedirs(p.c("corvane", "tq"))
    with open(p.c("corvane", "tqmenu.exe"), "wb") as f:
        f.write(b"MZ menu")
    installer = p.start(bench.installer)
    open_folder_page(p)
    bench.expect("proposed folder", folder_field(p), "c:\\corvane\\tq")
    p.drive("click", MAIN, BUTTON, "Install", "wait-text", PROGRESS, "TLabel", SUCCESSFUL, 60)
    out = p.drive("click", PROGRESS, BUTTON, "OK", "dialog", "Pentaro", 30)
    check_dialog(bench, "menu message", out, "Pentaro",
                          "\r\n\r\nTo run Pentaro, start the Corvane Menu program,\r\n"
                          "and click the P+ icon.")
    p.drive("press", "Pentaro", "OK")
    finish(bench, installer, "installed")
    check_files(bench, p.c("corvane", "tq"), 10)
    bench.expect("no link on the desktop", os.listdir(p.desktop()), [])


DOSBOX_MESSAGE = ('Pentaro has been installed and shortcuts created to run it in DOSbox and '
                  'another to Print to File F.\r\r'
                  'Click the Penta DOSbox Icon to start Pentaro.  To print from Pentaro, choose '
                  '"print to file" and always name it the single letter "f".\n\n'
                  'To send the file F to the default printer,\n'
                  '    click "Print F" icon or \r'
                  '    press CTRL+ALT+P.')


def install64_dosbox(bench):
    """64-bit with DOSBox under Program Files (x86): dosbox.conf, both links, the
    instructions, and no closing message of the run's own."""
    p = bench.prefix("install64_dosbox", 64)
    p.plant_dosbox()
    installer = p.start(bench.installer)
    open_folder_page(p)
    p.drive("click", MAIN, BUTTON, "Install", "wait-text", PROGRESS, "TLabel", SUCCESSFUL, 60)
    out = p.drive("click", PROGRESS, BUTTON, "OK", "dialog", installer.caption, 30)
    check_dialog(bench, "DOSBox instructions", out, installer.caption, DOSBOX_MESSAGE)
    p.drive("press", installer.caption, "OK")
    finish(bench, installer, "installed (the program ends without a message of the run's own)")

    check_dosbox_setup(bench, p)


def install64_without_dosbox(bench):
    """64-bit without DOSBox: the warning, and the end (no main window)."""
    p = bench.prefix("install64_without_dosbox", 64)
    installer = p.start(bench.installer)
    out = p.drive("never", BUTTON, "Setup", "dialog", "Helmstar355 Installer", 60)
    dialog = Dialog(out)
    bench.check("warning about the 64-bit system",
                any(t.startswith("This computer has a 64 bit operating system")
                    for t in dialog.texts),
                str(dialog))
    bench.expect("warning buttons", dialog.buttons, ["OK", "Cancel"])
    p.drive("never", BUTTON, "Setup", "press", "Helmstar355 Installer", "Cancel", "sleep", 300)
    finish(bench, installer, "ended after the warning", "StartupRefused")
    bench.check("nothing installed", not os.path.exists(p.c("tq")))


def cancel(bench):
    """The 48 MB payload: Pause as soon as the progress window shows holds the run after the
    first file; Cancel then stops it (1 of 10). A second run cancelled while a later file is
    written leaves exactly the files named in the message. The main window comes back each
    time with "Pentaro was not installed.". A third run, paused and resumed, installs."""
    p = bench.prefix("cancel")
    product_manifest = bench.big_manifest
    installer = p.start(bench.variant("big"))
    open_folder_page(p)
    out = p.drive("click", MAIN, BUTTON, "Install", "wait", PROGRESS, 30,
                  "click", PROGRESS, BUTTON, "Pause",
                  "wait-text", PROGRESS, BUTTON, "Resume", 120, "sleep", 200, "dump", PROGRESS)
    progress = Window(out)
    bench.check("paused after the first file", bool(progress.find("TLabel", "Files: 1")),
                str([c["text"] for c in progress.find("TLabel")]))
    bench.check("paused: the file line names it",
                bool(progress.find("TLabel", "c:\\tq\\tarnw.exe")))
    bench.check("paused: stage line", bool(progress.find("TLabel", "Installing ...")))
    check_files(bench, p.c("tq"), 1, product_manifest)
    p.screenshot(PROGRESS, "e2e-progress-paused")
    out = p.drive("click", PROGRESS, BUTTON, "Cancel", "dialog", "Pentaro", 60)
    check_dialog(bench, "cancel during the pause", out, "Pentaro",
                 "Installation cancelled. 1 of 10 files were installed.")
    p.drive("press", "Pentaro", "OK")
    not_installed(bench, p, installer, "cancelled during the pause")
    check_files(bench, p.c("tq"), 1, product_manifest)

    out = p.drive("click", MAIN, BUTTON, "Install",
                  "wait-text", PROGRESS, "TLabel", "Files: 3", 120,
                  "click", PROGRESS, BUTTON, "Cancel", "dialog", "Pentaro", 60)
    dialog = Dialog(out)
    m = re.fullmatch(r"Installation cancelled\. (\d+) of 10 files were installed\.",
                     dialog.texts[0] if dialog.texts else "")
    if bench.check("cancel message with its counts", m is not None and dialog.caption == "Pentaro",
                   str(dialog)):
        written = int(m.group(1))
        bench.check("cancelled while the knowledge base (the third file) was written, or later",
                    3 <= written <= 10, f"{written} files")
        print(f"cancelled after {written} files")
        p.drive("press", "Pentaro", "OK")
        not_installed(bench, p, installer, "cancelled while writing")
        check_files(bench, p.c("tq"), written, product_manifest)

    out = p.drive("click", MAIN, BUTTON, "Install", "wait", PROGRESS, 30,
                  "click", PROGRESS, BUTTON, "Pause", "wait-text", PROGRESS, BUTTON, "Resume", 120,
                  "click", PROGRESS, BUTTON, "Resume",
                  "wait-text", PROGRESS, "TLabel", SUCCESSFUL, 120, "dump", PROGRESS)
    bench.check("paused, resumed, written to the end",
                bool(Window(out).find("TLabel", "Files: 10")))
    p.drive("click", PROGRESS, BUTTON, "OK", "dialog", "Warning", 30, "press", "Warning", "No")
    out = p.drive("dialog", "Pentaro", 30, "press", "Pentaro", "OK")
    check_dialog(bench, "installed after pause and resume", out, "Pentaro",
                 "To run Pentaro, start Helmstar and press function key F6.")
    finish(bench, installer, "installed after two cancelled runs")
    check_files(bench, p.c("tq"), 10, product_manifest)


def corrupt_item(bench):
    """A payload item whose body does not inflate: the framework's error box while the main
    window is back, nothing written."""
    p = bench.prefix("corrupt_item")
    installer = p.start(bench.variant("corrupt"))
    open_folder_page(p)
    out = p.drive("click", MAIN, BUTTON, "Install", "dialog", "Pentaro Installer Version 3.24", 60,
                  "windows")
    check_dialog(bench, "error box", out, "Pentaro Installer Version 3.24", "Error")
    bench.check("the main window is back before the error box", MAIN in visible_windows(out))
    bench.check("the progress window is gone", PROGRESS not in visible_windows(out))
    p.drive("press", "Pentaro Installer Version 3.24", "OK", "sleep", 300)
    bench.expect("folder field unchanged", folder_field(p), "c:\\tq")
    bench.expect("nothing written", os.listdir(p.c("tq")) if os.path.isdir(p.c("tq")) else [], [])
    cancel_main_window(p)
    finish(bench, installer, "closed with Cancel", "PayloadDamaged")


def empty_item(bench):
    """A payload item stored without contents: the list of failed items once, before the
    main window returns; nothing written."""
    p = bench.prefix("empty_item")
    installer = p.start(bench.variant("empty"))
    open_folder_page(p)
    out = p.drive("click", MAIN, BUTTON, "Install", "dialog", installer.caption, 60, "windows")
    check_dialog(bench, "error list", out, installer.caption,
                 "Error Reading resource item rs_hlp, Filename pentaro.hlp")
    bench.check("the error list comes while the main window is hidden",
                MAIN not in visible_windows(out))
    p.drive("press", installer.caption, "OK")
    not_installed(bench, p, installer, "read error")
    out = p.drive("sleep", 500, "windows")
    bench.expect("no further message (the list is shown once)", visible_windows(out), [MAIN])
    bench.expect("nothing written", os.listdir(p.c("tq")) if os.path.isdir(p.c("tq")) else [], [])
    cancel_main_window(p)
    finish(bench, installer, "closed with Cancel", "PayloadDamaged")


def drive_check(bench):
    """A CD-ROM drive, a relative path, a UNC path and an empty field are refused with the
    message; the window stays as it was and no run starts."""
    p = bench.prefix("drive_check")
    cdrom = os.path.join(bench.work, "cdrom")
    os.makedirs(cdrom)
    os.symlink(cdrom, os.path.join(p.dir, "dosdevices", "d:"))
    p.registry("HKLM\\Software\\Wine\\Drives", "d:", "cdrom")
    p.restart()
    # A folder "tq" beside the installer's current folder: a relative "tq" must be refused
    # even where it names an existing folder.
    cwd = os.path.join(bench.work, "drive_check.cwd")
    os.makedirs(os.path.join(cwd, "tq"))
    installer = p.start(bench.installer, cwd=cwd)
    open_folder_page(p)
    for what, text in (("CD-ROM drive", "D:\\Pentaro"), ("relative path", "tq"),
                       ("UNC path", "\\\\server\\share"), ("empty field", "")):
        # A double click on Install checks once and tells once.
        click = "double-click" if text == "tq" else "click"
        out = p.drive("never", "TLabel", "Installing ...", "type", MAIN, "Edit", text, "sleep", 100,
                      click, MAIN, BUTTON, "Install", "dialog", installer.caption, 30)
        check_dialog(bench, what, out, installer.caption, INVALID_DEVICE)
        out = p.drive("press", installer.caption, "OK", "sleep", 200, "windows", "dump", MAIN)
        bench.expect(f"{what}: only the main window", visible_windows(out), [MAIN])
        main = Window(out)
        bench.expect(f"{what}: field unchanged", main.one("Edit")["text"], text.lower())
        bench.check(f"{what}: still on the folder page", bool(main.find(BUTTON, "Install")))
    bench.expect("nothing on the CD-ROM", os.listdir(cdrom), [])
    bench.expect("nothing beside the installer", os.listdir(os.path.join(cwd, "tq")), [])
    bench.check("no proposed folder made", not os.path.exists(p.c("tq")))
    cancel_main_window(p)
    finish(bench, installer, "closed with Cancel", "Cancelled")

    installer = p.start(bench.installer)
    p.drive("wait", MAIN, 60, "click", MAIN, BUTTON, "Cancel")
    finish(bench, installer, "closed with Cancel on the welcome page", "Cancelled")


VK_TAB, VK_RETURN, VK_ESCAPE = 0x09, 0x0D, 0x1B


def focused(prefix, title):
    """(class, text) of the control that has the keyboard focus in the window's program."""
    _, cls, text = prefix.drive("focus", title)[0]
    return cls, text


def keyboard_only(bench):
    """Every step by keyboard alone, keys going where the focus is, which is always on a
    control: Escape closes the welcome page; Setup has the focus at start, Enter presses it and
    leaves the focus in the folder field, Tab goes on to the buttons in reading order; a
    folder is typed, Enter installs, Enter is OK at the end, and Enter answers the question
    and the closing message."""
    p = bench.prefix("keyboard_only")
    installer = p.start(bench.installer)
    p.drive("wait", MAIN, 60, "sleep", 200, "key-focus", MAIN, VK_ESCAPE)
    finish(bench, installer, "closed with Escape on the welcome page", "Cancelled")

    installer = p.start(bench.installer)
    p.drive("wait", MAIN, 60, "sleep", 200)
    bench.expect("at start: Setup", focused(p, MAIN), (BUTTON, "Setup"))
    p.drive("key-focus", MAIN, VK_RETURN, "wait-text", MAIN, BUTTON, "Install", 10, "sleep", 200)
    bench.expect("Enter: the folder field", focused(p, MAIN), ("Edit", "c:\\tq"))
    order = []
    for _ in range(4):
        p.drive("key-focus", MAIN, VK_TAB, "sleep", 200)
        order.append(focused(p, MAIN))
    bench.expect("Tab order as the eye reads", order,
                 [(BUTTON, "Browse"), (BUTTON, "Install"), (BUTTON, "Cancel"),
                  ("Edit", "c:\\tq")])
    p.drive("type-focus", MAIN, "C:\\Keys", "sleep", 200)
    bench.expect("typed over the selected folder", folder_field(p), "c:\\keys")
    p.drive("key-focus", MAIN, VK_RETURN, "wait-text", PROGRESS, "TLabel", SUCCESSFUL, 60,
            "sleep", 200, "key-focus", PROGRESS, VK_RETURN, "dialog", "Warning", 30,
            "key-focus", "Warning", VK_RETURN, "gone", "Warning", 10)
    out = p.drive("dialog", "Pentaro", 30, "key-focus", "Pentaro", VK_RETURN)
    bench.check("closing message", Dialog(out).caption == "Pentaro", str(Dialog(out)))
    finish(bench, installer, "installed by keyboard alone")
    check_files(bench, p.c("keys"), 10)


def write_error(bench, p, installer, folder, failing, reason_code, what):
    """Install into `folder` (Windows path, typed) where file `failing` cannot be written:
    the error names the file and the system's reason, no success is shown, the run returns
    false."""
    reason = p.drive("syserror", reason_code)[0][1]
    out = p.drive("type", MAIN, "Edit", folder, "sleep", 100,
                  "never", "TLabel", SUCCESSFUL, "click", MAIN, BUTTON, "Install",
                  "dialog", "Pentaro", 60, "windows")
    path = folder + "\\" + failing
    print(f"{what}: {Dialog(out)}")
    check_dialog(bench, what, out, "Pentaro", f"Error writing file {path}\r\n\r\n{reason}")
    bench.check(f"{what}: the system's reason is a text", reason != "")
    bench.check(f"{what}: the progress window is gone", PROGRESS not in visible_windows(out))
    p.drive("press", "Pentaro", "OK")
    not_installed(bench, p, installer, what)


def write_errors(bench):
    """A folder with a file's name, a read-only file and a folder that cannot be created
    stop the run with the file (or folder) and the system's reason; the files written
    before stay. Then a clean install from the same window succeeds."""
    p = bench.prefix("write_errors")
    tq = p.c("tq")
    taken = os.path.join(tq, "pentaro2.kdb")
    os.makedirs(taken)
    installer = p.start(bench.installer)
    open_folder_page(p)
    error_access_denied = 5
    write_error(bench, p, installer, "c:\\tq", "pentaro2.kdb", error_access_denied,
                "a folder with the file's name")
    check_files(bench, tq, 3, other=("pentaro2.kdb",))
    bench.check("the folder with the file's name stays", os.path.isdir(taken))

    os.rmdir(taken)
    with open(taken, "wb") as f:
        f.write(b"an older knowledge base")
    # Wine keeps the read-only attribute as the file's Unix write permissions, which do not
    # stop a test run as root; the immutable flag stops root too, as Windows stops everyone.
    p.wine(["attrib", "+r", "c:\\tq\\pentaro2.kdb"])
    immutable = os.geteuid() == 0 and subprocess.run(
        ["chattr", "+i", taken], stderr=subprocess.DEVNULL).returncode == 0
    try:
        if immutable or os.geteuid() != 0:
            write_error(bench, p, installer, "c:\\tq", "pentaro2.kdb", error_access_denied,
                        "a read-only file")
            check_files(bench, tq, 3, other=("pentaro2.kdb",))
            with open(taken, "rb") as f:
                bench.expect("the read-only file keeps its contents", f.read(),
                             b"an older knowledge base")
        else:
            print("SKIP: a read-only file: running as root without the immutable flag")
    finally:
        if immutable:
            subprocess.run(["chattr", "-i", taken])
    p.wine(["attrib", "-r", "c:\\tq\\pentaro2.kdb"])
    os.remove(taken)

    with open(p.c("blocker"), "wb") as f:
        f.write(b"a file where a folder should go")
    out = p.drive("type", MAIN, "Edit", "c:\\blocker\\tq", "sleep", 100,
                  "never", "TLabel", "Installing ...", "click", MAIN, BUTTON, "Install",
                  "dialog", "Pentaro", 60)
    dialog = Dialog(out)
    print(f"a folder that cannot be created: {dialog}")
    text = dialog.texts[0] if dialog.texts else ""
    bench.check("a folder that cannot be created: named, with the system's reason",
                dialog.caption == "Pentaro" and lines(text)[:2] == ["Error creating folder "
                                                                    "c:\\blocker\\tq\\", ""]
                and len(lines(text)) == 3 and lines(text)[2] != "", str(dialog))
    p.drive("press", "Pentaro", "OK")
    not_installed(bench, p, installer, "a folder that cannot be created")
    with open(p.c("blocker"), "rb") as f:
        bench.expect("the file in the way is untouched", f.read(),
                     b"a file where a folder should go")

    p.drive("type", MAIN, "Edit", "c:\\tq", "sleep", 100, "click", MAIN, BUTTON, "Install",
            "wait-text", PROGRESS, "TLabel", SUCCESSFUL, 60)
    # The question's close box answers like No.
    p.drive("click", PROGRESS, BUTTON, "OK", "dialog", "Warning", 30, "close", "Warning",
            "gone", "Warning", 10)
    out = p.drive("dialog", "Pentaro", 30, "press", "Pentaro", "OK")
    check_dialog(bench, "install after the errors, question closed", out, "Pentaro",
                 "To run Pentaro, start Helmstar and press function key F6.")
    finish(bench, installer, "installed after the errors")
    check_files(bench, tq, 10)


def disk_full(bench):
    """A 256 KB disk (a tmpfs as drive E:): the knowledge base does not fit; the partial file
    is removed, the message names it with the system's reason, the smaller files before it
    stay."""
    mount = os.path.join(bench.work, "disk_full.mnt")
    os.makedirs(mount)
    mounted = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=256k,mode=0755", "tmpfs", mount],
                             capture_output=True, text=True)
    if mounted.returncode != 0:
        print(f"SKIP: cannot mount a small tmpfs here: {mounted.stderr.strip()}")
        return SKIP
    try:
        p = bench.prefix("disk_full")
        os.symlink(mount, os.path.join(p.dir, "dosdevices", "e:"))
        installer = p.start(bench.installer)
        open_folder_page(p)
        error_disk_full = 112
        write_error(bench, p, installer, "e:\\tq", "pentaro1.kdb", error_disk_full, "a full disk")
        check_files(bench, os.path.join(mount, "tq"), 2)
        # The record, written before the first file, tells a second run which files are the
        # product's.
        bench.expect("nothing else on the disk but the record",
                     sorted(os.listdir(os.path.join(mount, "tq"))),
                     ["pentaro.exe", "tarnw.exe", "uninstall.rec"])
        cancel_main_window(p)
        finish(bench, installer, "closed with Cancel", "DiskFull")
    finally:
        bench.close()
        subprocess.run(["umount", mount])


SCENARIOS = {f.__name__: f for f in (
    install32_shortcut, install32_dpi144, install32_no_shortcut, install32_sibling, install32_menu,
    install64_dosbox, install64_without_dosbox, cancel, corrupt_item, empty_item, drive_check,
    write_errors, disk_full, keyboard_only)}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("scenario", choices=sorted(SCENARIOS))
    for option in ("driver", "installer", "variants", "product", "manifest", "big-manifest",
                   "template", "screenshots", "work"):
        parser.add_argument("--" + option, required=True)
    options = parser.parse_args()

    def scenario(bench):
        bench.big_manifest = options.big_manifest
        return SCENARIOS[options.scenario](bench)
    return run_bench(options, scenario)

if __name__ == "__main__":
    sys.exit(main())
