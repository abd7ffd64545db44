#!/usr/bin/python3
"""Benchmark of the whole installer under Wine, side by side with an NSIS installer of the
same files, measured in one run and printed as one table (no timed assertion).

For the stand-in payload, the same signed, and the mixed 50 MB payload it measures:
- the stub: the installer's bytes without its packed payload; the installer's and the
  uninstaller's (uninstall.exe) sizes;
- start-up, from process creation to the first visible window (NSIS checks its whole file
  before that window: it is measured with its CRCCheck, the default, and without);
- the install, from the Install click to the end of the same steps on both sides: the
  files, the uninstaller, the Apps & Features entry (ours also writes its record and asks
  about the shortcut, answered at once); and ours from the last file to its end;
- the peak memory (VmHWM) over the installer process's whole life, beside that of the bare
  window;
- the processor time that the first window takes while it waits for the user;
- the quiet uninstall of what the install left (uninstall.exe /S; NSIS's uninstaller made
  by WriteUninstaller), from its start until the install folder is gone;
against the yardsticks: a bare Win32 window (bench_minimal_window), the payload inflated
and written with nothing else (bench_inflate_floor) and a plain copy of the same files
(bench_plain_copy). The NSIS installers are built here with Debian's makensis, zlib
compression, the classic directory and progress pages. Each round runs the programs in
another order (rotated), every timed step after the last one's writes reached the disk.

    install_bench.py --driver D --installer EXE --big-installer EXE --minimal EXE
                     --copy EXE --floor EXE --pack PENTARO_PACK --product DIR --manifest FILE
                     --big-manifest FILE --work DIR
                     [--sized EXE MANIFEST]...

Rounds: PENTARO_BENCH_ROUNDS (default 2, as scripts/test runs it); the idle measurement
lasts PENTARO_BENCH_IDLE seconds (default 2). By hand, for figures worth quoting:
PENTARO_BENCH_ROUNDS=9 PENTARO_BENCH_IDLE=10 ctest --preset win32 -R bench_install -V
With PENTARO_BENCH_SIZES=1 it also installs and removes the products of 10, 200 and 500 MB
(--sized: only in a build configured with -DPENTARO_BENCH_SIZES=ON, which has the target
bench_sized_installers that makes them).
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import threading
import time

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "e2e"))
sys.path.insert(0, os.path.join(HERE, "..", "win32"))
from e2e import (MAIN, PROGRESS, ROOT, Bench, Display, Failed, manifest_entries,  # noqa: E402
                 windows_path)

ROUNDS = max(1, int(os.environ.get("PENTARO_BENCH_ROUNDS", "2")))
IDLE_SECONDS = float(os.environ.get("PENTARO_BENCH_IDLE", "2"))
SIZES = os.environ.get("PENTARO_BENCH_SIZES", "") not in ("", "0")
# NSIS titles its window after the page shown.
NSIS_TITLE = "Pentaro Setup: Installation Folder"
NSIS_DONE = "Pentaro Setup: Completed"
MINIMAL_TITLE = "Minimal Window"
NSIS_FOLDER = "c:\\tqn"
NSIS_KEY = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Pentaro NSIS"


class PeakWatch:
    """The peak memory (VmHWM, KiB) of a process over its whole life: read every 20 ms
    until the process has gone (the mark only rises, so the last reading is the peak)."""

    def __init__(self, pid):
        self.pid = pid
        self.peak = 0
        self.done = threading.Event()
        self.thread = threading.Thread(target=self._watch, daemon=True)
        self.thread.start()

    def _read(self):
        try:
            with open(f"/proc/{self.pid}/status") as f:
                for line in f:
                    if line.startswith("VmHWM:"):
                        self.peak = max(self.peak, int(line.split()[1]))
                        return True
        except OSError:
            pass
        return False

    def _watch(self):
        while self._read():
            time.sleep(0.02)
        self.done.set()

    def result(self, seconds=30):
        if not self.done.wait(seconds):
            raise Failed(f"process {self.pid} still runs {seconds} s after its window closed")
        if not self.peak:
            raise Failed(f"no VmHWM of process {self.pid}")
        return self.peak


class Program:
    """One installer under test: how to start it, click Install and see that it is done,
    and where it installs (with an uninstall.exe in the folder)."""

    def __init__(self, exe, title, folder=None):
        self.exe = exe
        self.title = title
        self.folder = folder

    def quiet_uninstall_ms(self, prefix):
        """ms from starting `uninstall.exe /S` until the install folder is gone (NSIS's
        uninstaller ends at once and leaves the work to its copy in the temporary folder)."""
        folder = prefix.c(self.folder[3:])
        start = time.perf_counter()
        prefix.wine([self.folder + "\\uninstall.exe", "/S"])
        while os.path.lexists(folder):
            if time.perf_counter() - start > 120:
                raise Failed(f"{self.folder} is still there 120 s after uninstall.exe /S")
            time.sleep(0.002)
        return (time.perf_counter() - start) * 1000

    def uninstaller_size(self, prefix):
        return os.path.getsize(prefix.c(self.folder[3:], "uninstall.exe"))

    def pid(self, prefix):
        pids = prefix.processes(os.path.basename(self.exe))
        if not pids:
            raise Failed(f"no process of {self.exe} in the prefix")
        return pids[0]


class Ours(Program):
    def __init__(self, exe):
        super().__init__(exe, MAIN, "c:\\tq")

    def to_install_button(self, prefix):
        prefix.drive("launch", windows_path(self.exe), MAIN, 60, "click", MAIN, "TAdvToolButton",
                     "Setup", "wait-text", MAIN, "TAdvToolButton", "Install", 10, "sleep", 200)

    def install(self, prefix, seconds):
        """ms from the Install click to the end of the run: to the text that says the files
        are there, then, OK clicked at once, the run's work until it asks about the shortcut
        and, answered, until its closing message (registration included). Sets self.after
        to the part after the last file."""
        out = prefix.drive("mark", "click", MAIN, "TAdvToolButton", "Install",
                           "wait-text", PROGRESS, "TLabel", "Installation Successful.", seconds,
                           "elapsed", "install", "mark", "click", PROGRESS, "TAdvToolButton",
                           "OK", "wait", "Warning", seconds, "elapsed", "question",
                           "dialog", "Warning", 30, "mark", "press", "Warning", "No",
                           "wait", "Pentaro", seconds, "elapsed", "message", timeout=3 * seconds)
        times = {f[0]: float(f[1]) for f in out if f[0] in ("install", "question", "message")}
        self.after = times["question"] + times["message"]
        return times["install"] + self.after

    def finish(self, prefix):
        prefix.drive("dialog", "Pentaro", 30, "press", "Pentaro", "OK", "gone", MAIN, 30)


class Nsis(Program):
    def __init__(self, exe):
        super().__init__(exe, NSIS_TITLE, NSIS_FOLDER)

    def to_install_button(self, prefix):
        prefix.drive("launch", windows_path(self.exe), NSIS_TITLE, 60,
                     "wait-text", NSIS_TITLE, "Button", "Install", 10, "sleep", 200)

    def install(self, prefix, seconds):
        out = prefix.drive("mark", "click", NSIS_TITLE, "Button", "Install",
                           "wait", NSIS_DONE, seconds, "elapsed", "install", timeout=2 * seconds)
        return float(out[0][1])

    def finish(self, prefix):
        prefix.drive("click", NSIS_DONE, "Button", "Close", "gone", NSIS_DONE, 30)


def nsis_script(path, out, entries, product, folder, crc=True):
    """An NSIS script that installs `entries` (from the manifest) into `folder` and registers
    an Apps & Features entry, with an uninstaller that removes them, the entry and the
    folder."""
    lines = [
        "Unicode false",
        "SetCompressor zlib",
        f"CRCCheck {'on' if crc else 'off'}",
        'Name "Pentaro"',
        f'OutFile "{out}"',
        "RequestExecutionLevel user",
        f'InstallDir "{folder}"',
        "Page directory",
        "Page instfiles",
        'Section "Pentaro"',
        "SetOutPath $INSTDIR",
    ]
    for _, file, _ in entries:
        lines.append(f'File "/oname={os.path.basename(file)}" "{os.path.join(product, file)}"')
    lines += ['WriteUninstaller "$INSTDIR\\uninstall.exe"',
              f'WriteRegStr HKCU "{NSIS_KEY}" "DisplayName" "Pentaro"',
              f'WriteRegStr HKCU "{NSIS_KEY}" "UninstallString" \'"$INSTDIR\\uninstall.exe"\'',
              f'WriteRegStr HKCU "{NSIS_KEY}" "InstallLocation" "$INSTDIR"',
              "SectionEnd", 'Section "Uninstall"']
    for _, file, _ in entries:
        lines.append(f'Delete "$INSTDIR\\{os.path.basename(file)}"')
    lines += ['Delete "$INSTDIR\\uninstall.exe"', f'DeleteRegKey HKCU "{NSIS_KEY}"',
              'RMDir "$INSTDIR"', "SectionEnd"]
    with open(path, "w") as f:
        f.write("\n".join(lines) + "\n")


def build_nsis(work, name, manifest, product, folder, crc=True):
    """Builds the NSIS installer of the manifest's files and returns its path (without a
    manifest: the same script without files, NSIS's stub)."""
    entries = manifest_entries(manifest) if manifest else []
    exe = os.path.join(work, f"{name}.exe")
    script = os.path.join(work, f"{name}.nsi")
    nsis_script(script, exe, entries, product, folder, crc)
    subprocess.run(["makensis", "-V1", script], check=True, stdout=subprocess.DEVNULL)
    return exe


def sign_both(work, pack, ours, nsis):
    """Signed copies of our installer (scripts/sign, as a release is signed) and of the NSIS
    one (osslsigncode), with a throw-away certificate and time-stamp authority; None when
    the tools are missing."""
    if shutil.which("osslsigncode") is None or shutil.which("openssl") is None:
        return None
    from sign_test import make_authorities
    keys = os.path.join(work, "keys")
    os.makedirs(keys)
    make_authorities(keys)
    ours_signed = os.path.join(work, "signed", os.path.basename(ours))
    nsis_signed = os.path.join(work, "signed", "nsis-signed.exe")
    os.makedirs(os.path.dirname(ours_signed))
    shutil.copy(ours, ours_signed)
    subprocess.run([os.path.join(ROOT, "scripts", "sign"), "--pkcs12", f"{keys}/code.p12",
                    "--password-file", f"{keys}/password.txt", "--tsa-certs", f"{keys}/tsa.pem",
                    "--tsa-key", f"{keys}/tsa.key", "--ca", f"{keys}/code.pem", "--pack", pack,
                    ours_signed], check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["osslsigncode", "sign", "-pkcs12", f"{keys}/code.p12", "-readpass",
                    f"{keys}/password.txt", "-h", "sha256", "-TSA-certs", f"{keys}/tsa.pem",
                    "-TSA-key", f"{keys}/tsa.key", "-in", nsis, "-out", nsis_signed],
                   check=True, stdout=subprocess.DEVNULL)
    return ours_signed, nsis_signed


def stub_size(exe):
    """Bytes of the installer other than its packed payload resources."""
    import pefile
    pe = pefile.PE(exe, fast_load=True)
    pe.parse_data_directories(directories=[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]])
    payload = 0
    names = {n.upper() for n in
             "rs_cmd,rs_exe,rs_kdb1,rs_kdb2,rs_hlp,rs_icon,rs_kdbv4,rs_kdbv4add,rs_readme,rs_spool32"
             .split(",")}
    for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        if kind.id != 10:  # RT_RCDATA
            continue
        for entry in kind.directory.entries:
            if entry.name is not None and str(entry.name) in names:
                for language in entry.directory.entries:
                    payload += language.data.struct.Size
    pe.close()
    return os.path.getsize(exe) - payload


def cpu_ns(pid):
    """Processor time of all threads of a process, in nanoseconds (schedstat: finer than
    the clock ticks of /proc/PID/stat)."""
    total = 0
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/schedstat") as f:
                total += int(f.read().split()[0])
        except OSError:
            pass
    return total


def startup_ms(prefix, exe, title, idle=0.0, peak=None):
    """Milliseconds to the first visible window; with `idle`, also the processor time (ms)
    that the process takes while the window waits `idle` seconds for the user. With a list
    as `peak`, the process's peak memory (KiB) over its life is appended to it."""
    out = prefix.drive("launch", windows_path(exe), title, 60)
    cpu = None
    watch = None
    if idle or peak is not None:
        pid = Program(exe, title).pid(prefix)
        watch = PeakWatch(pid) if peak is not None else None
    if idle:
        time.sleep(0.5)  # let the start-up's own work end
        before = cpu_ns(pid)
        time.sleep(idle)
        cpu = (cpu_ns(pid) - before) / 1e6
    prefix.drive("close", title, "gone", title, 30)
    if watch:
        peak.append(watch.result())
    return float(out[0][2]), cpu


def install_once(prefix, program, seconds):
    """(ms from the Install click to the end of the same steps, peak memory KiB over the
    installer's life, the size of the uninstall.exe it wrote)."""
    program.to_install_button(prefix)
    watch = PeakWatch(program.pid(prefix))
    ms = program.install(prefix, seconds)
    program.finish(prefix)
    return ms, watch.result(), program.uninstaller_size(prefix)


def run_ms(prefix, args, timeout=60):
    out = prefix.wine(args, timeout=timeout)
    return float(out.split()[1])


def rotated(items, by):
    by %= len(items)
    return items[by:] + items[:by]


def cell(values, unit="ms"):
    if not values:
        return "-"
    if len(values) == 1:
        return f"{values[0]:.1f} {unit}"
    return f"{min(values):.1f}/{statistics.median(values):.1f} {unit}"


def ratio(a, b):
    """The ratio of the minima, and of the medians when there are several rounds (a single
    lucky minimum of either side moves the first a long way on a shared machine)."""
    if not a or not b or min(b) <= 0:
        return "-"
    text = f"{min(a) / min(b):.2f}"
    if len(a) > 1 and len(b) > 1:
        text += f" (med. {statistics.median(a) / statistics.median(b):.2f})"
    return text


def new_case(label, ours, nsis, manifest, product, startup=True, yardsticks=True):
    entries = manifest_entries(manifest)
    files = [f for _, f, _ in entries]
    return {"label": label, "ours": Ours(ours), "nsis": Nsis(nsis), "nsis_nocrc": None,
            "files": files, "size": sum(os.path.getsize(os.path.join(product, f)) for f in files),
            "startup": startup, "yardsticks": yardsticks,
            # Generous waits for the largest products on a busy machine.
            "seconds": 120 + sum(os.path.getsize(os.path.join(product, f)) for f in files) // 2**20,
            "start": {"ours": [], "nsis": [], "nsis_nocrc": []},
            "install": {"ours": [], "nsis": [], "floor": [], "copy": []},
            "peak": {"ours": [], "nsis": []}, "uninstaller": {"ours": 0, "nsis": 0},
            "uninstall": {"ours": [], "nsis": []}, "after": []}


def main():
    parser = argparse.ArgumentParser()
    for option in ("driver", "installer", "big-installer", "minimal", "copy", "floor", "pack",
                   "product", "manifest", "big-manifest", "work"):
        parser.add_argument("--" + option, required=True)
    parser.add_argument("--sized", nargs=2, action="append", default=[],
                        metavar=("EXE", "MANIFEST"))
    options = parser.parse_args()
    options.variants = options.screenshots = options.template = ""
    if shutil.which("makensis") is None:
        print("makensis is missing (Debian package nsis): run scripts/setup-deps")
        return 77
    if SIZES:
        missing = [exe for exe, _ in options.sized if not os.path.isfile(exe)]
        if missing or not options.sized:
            print("PENTARO_BENCH_SIZES: configure with -DPENTARO_BENCH_SIZES=ON and build the "
                  "sized installers first: cmake --build --preset win32 --target "
                  "bench_sized_installers", file=sys.stderr)
            return 1
    display = Display()
    bench = Bench(options)
    try:
        work = bench.work
        prefix = bench.prefix("bench")
        product = options.product
        cases = []
        for label, exe, manifest in (("stand-in", options.installer, options.manifest),
                                     ("50 MB", options.big_installer, options.big_manifest)):
            name = f"nsis-{label.replace(' ', '')}"
            cases.append(new_case(label, exe, build_nsis(work, name, manifest, product,
                                                          NSIS_FOLDER), manifest, product))
            cases[-1]["nsis_nocrc"] = Nsis(build_nsis(work, name + "-nocrc", manifest, product,
                                                      NSIS_FOLDER, crc=False))
        signed = sign_both(work, options.pack, options.installer, cases[0]["nsis"].exe)
        if signed:
            cases.insert(1, new_case("stand-in, signed", *signed, options.manifest, product,
                                     yardsticks=False))
        if SIZES:
            for exe, manifest in options.sized:
                case = new_case("", exe, "", manifest, product, startup=False)
                case["label"] = f"{case['size'] / 1e6:.0f} MB"
                case["nsis"] = Nsis(build_nsis(work, f"nsis-{case['label'].split()[0]}",
                                               manifest, product, NSIS_FOLDER))
                cases.append(case)
        nsis_stub = os.path.getsize(build_nsis(work, "nsis-empty", None, product, NSIS_FOLDER))

        # Every program once before measuring: the first start in a prefix loads Wine's
        # DLLs from disk.
        startup_ms(prefix, options.minimal, MINIMAL_TITLE)
        for case in cases:
            for who in ("ours", "nsis"):
                startup_ms(prefix, case[who].exe, case[who].title)

        minimal, idle, bare_peak = [], {"bare": None, "ours": None, "nsis": None}, []
        starts = [("bare", None)] + [(who, case) for case in cases if case["startup"]
                                     for who in ("ours", "nsis", "nsis_nocrc") if case[who]]
        writes = [(who, case) for case in cases for who in ("ours", "nsis", "floor", "copy")
                  if who in ("ours", "nsis") or case["yardsticks"]]
        for round in range(ROUNDS):
            last = round == ROUNDS - 1
            # Each program's place in the order changes from round to round, and each timed
            # step starts with no other step's writes waiting to reach the disk.
            for who, case in rotated(starts, round):
                os.sync()
                if who == "bare":
                    ms, cpu = startup_ms(prefix, options.minimal, MINIMAL_TITLE,
                                         IDLE_SECONDS if last else 0, bare_peak if last else None)
                    minimal.append(ms)
                    if last:
                        idle["bare"] = cpu
                    continue
                program = case[who]
                measure_idle = last and case is cases[0] and who != "nsis_nocrc"
                ms, cpu = startup_ms(prefix, program.exe, program.title,
                                     IDLE_SECONDS if measure_idle else 0)
                case["start"][who].append(ms)
                if measure_idle:
                    idle[who] = cpu
            for who, case in rotated(writes, round):
                os.sync()
                if who == "floor":
                    case["install"]["floor"].append(run_ms(
                        prefix, [options.floor, windows_path(case["ours"].exe), "c:\\floor"],
                        case["seconds"]))
                    continue
                if who == "copy":
                    case["install"]["copy"].append(run_ms(
                        prefix, [options.copy, windows_path(product), "c:\\copy"] + case["files"],
                        case["seconds"]))
                    continue
                ms, peak, uninstaller = install_once(prefix, case[who], case["seconds"])
                case["install"][who].append(ms)
                case["peak"][who].append(peak)
                case["uninstaller"][who] = uninstaller
                if who == "ours":
                    case["after"].append(case[who].after)
                os.sync()
                case["uninstall"][who].append(case[who].quiet_uninstall_ms(prefix))

        rows = [("", "PentaroSetup", "NSIS (zlib)", "floor / reference", "ratios")]
        for case in cases:
            rows.append((f"installer stub (exe - packed payload), {case['label']}",
                         f"{stub_size(case['ours'].exe):,} B",
                         f"{nsis_stub:,} B", "", ""))
        for case in cases:
            if case["label"].startswith("stand-in"):
                rows.append((f"installer, {case['label']}",
                             f"{os.path.getsize(case['ours'].exe):,} B",
                             f"{os.path.getsize(case['nsis'].exe):,} B", "", ""))
        for case in cases:
            u = case["uninstaller"]
            rows.append((f"uninstall.exe written, {case['label']}", f"{u['ours']:,} B",
                         f"{u['nsis']:,} B", "", ""))
        for case in cases:
            if not case["startup"]:
                continue
            s = case["start"]
            nsis = cell(s["nsis"])
            ratios = (f"ours/bare {ratio(s['ours'], minimal)}, "
                      f"ours/NSIS {ratio(s['ours'], s['nsis'])}")
            if s["nsis_nocrc"]:
                nsis += f"; CRCCheck off {cell(s['nsis_nocrc'])}"
                ratios += f", ours/NSIS without CRC {ratio(s['ours'], s['nsis_nocrc'])}"
            rows.append((f"start-up to first visible window, {case['label']}",
                         cell(s["ours"]), nsis, f"bare window {cell(minimal)}", ratios))
        for case in cases:
            i = case["install"]
            reference, ratios = "", f"ours/NSIS {ratio(i['ours'], i['nsis'])}"
            if case["yardsticks"]:
                reference = f"inflate + write {cell(i['floor'])}; plain copy {cell(i['copy'])}"
                ratios += (f", ours/floor {ratio(i['ours'], i['floor'])}, "
                           f"ours/copy {ratio(i['ours'], i['copy'])}")
            rows.append((f"install from the click to files, uninstaller and entry, "
                         f"{case['label']} ({case['size']:,} B, {len(case['files'])} files)",
                         cell(i["ours"]), cell(i["nsis"]), reference, ratios))
        for case in cases:
            rows.append((f"of it after the last file: OK to the question, No to the closing "
                         f"message, {case['label']}", cell(case["after"]), "", "",
                         f"of the install {ratio(case['after'], case['install']['ours'])}"))
        for case in cases:
            u = case["uninstall"]
            rows.append((f"quiet uninstall until the folder is gone, {case['label']}",
                         cell(u["ours"]), cell(u["nsis"]), "",
                         f"ours/NSIS {ratio(u['ours'], u['nsis'])}"))
        for case in cases:
            p = case["peak"]
            ours, nsis = max(p["ours"]) / 1024, max(p["nsis"]) / 1024
            payload = case["size"] / 2**20
            bare = max(bare_peak) / 1024
            rows.append((f"peak memory of the install process, {case['label']}",
                         f"{ours:.1f} MiB", f"{nsis:.1f} MiB",
                         f"payload {payload:.1f} MiB; bare window {bare:.1f} MiB",
                         f"ours - payload {ours - payload:.1f} MiB, "
                         f"ours - payload - bare {ours - payload - bare:.1f} MiB"))
        rows.append((f"CPU while idle {IDLE_SECONDS:g} s on the first window",
                     f"{idle['ours']:.1f} ms", f"{idle['nsis']:.1f} ms",
                     f"bare window {idle['bare']:.1f} ms", ""))

        print(f"Min/median of {ROUNDS} round(s), the programs' order rotated each round; times "
              "from process start or click, read by the scripted user")
        # The install and the uninstall hash every byte: several times faster with them.
        with open("/proc/cpuinfo") as f:
            sha = " sha_ni" in f.read()
        print(f"The processor has SHA instructions: {'yes' if sha else 'no'}")
        widths = [max(len(r[c]) for r in rows) for c in range(len(rows[0]))]
        for r in rows:
            print("| " + " | ".join(v.ljust(w) for v, w in zip(r, widths)) + " |")
    except Failed as failure:
        print(f"FAIL: {failure}", file=sys.stderr)
        return 1
    finally:
        bench.close()
        display.close()
    bench.clear_work()
    return 0


if __name__ == "__main__":
    sys.exit(main())
