#!/usr/bin/python3
"""Benchmark of the whole installer under Wine, side by side with an NSIS installer of the
same files, measured in one run and printed as one table (no timed assertion).

For the stand-in payload and for the mixed 50 MB one it measures, in interleaved rounds:
- the stub: the installer's bytes without its packed payload;
- start-up, from process creation to the first visible window;
- the install, from the Install click to the text that says it is done;
- the peak memory (VmHWM) of the installer's process, beside that of the bare window;
- the processor time that the first window takes while it waits for the user;
- after the last file, the time the run keeps the user waiting: from the OK click to its
  question, and from the answer to its closing message;
- the quiet uninstall of what the install left (uninstall.exe /S; NSIS's uninstaller made
  by WriteUninstaller), from its start until the install folder is gone;
against the yardsticks: a bare Win32 window (bench_minimal_window), the payload inflated
and written with nothing else (bench_inflate_floor) and a plain copy of the same files
(bench_plain_copy). The NSIS installers are built here with Debian's makensis, zlib
compression, the classic directory and progress pages.

    install_bench.py --driver D --installer EXE --big-installer EXE --minimal EXE
                     --copy EXE --floor EXE --product DIR --manifest FILE
                     --big-manifest FILE --work DIR

Rounds: PENTARO_BENCH_ROUNDS (default 2, as scripts/test runs it); the idle measurement
lasts PENTARO_BENCH_IDLE seconds (default 2). By hand, for figures worth quoting:
PENTARO_BENCH_ROUNDS=9 PENTARO_BENCH_IDLE=10 ctest --preset win32 -R bench_install -V
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import time

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from e2e import MAIN, PROGRESS, Bench, Display, Failed, manifest_entries, windows_path  # noqa: E402

ROUNDS = max(1, int(os.environ.get("PENTARO_BENCH_ROUNDS", "2")))
IDLE_SECONDS = float(os.environ.get("PENTARO_BENCH_IDLE", "2"))
# NSIS titles its window after the page shown.
NSIS_TITLE = "Pentaro Setup: Installation Folder"
NSIS_DONE = "Pentaro Setup: Completed"
MINIMAL_TITLE = "Minimal Window"
NSIS_FOLDER = "c:\\tqn"


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
            if time.perf_counter() - start > 60:
                raise Failed(f"{self.folder} is still there 60 s after uninstall.exe /S")
            time.sleep(0.002)
        return (time.perf_counter() - start) * 1000

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

    def install(self, prefix):
        # After the last file: OK clicked at once, the run finishes its work until it asks
        # about the shortcut; answered, it registers the install until its closing message.
        out = prefix.drive("mark", "click", MAIN, "TAdvToolButton", "Install",
                           "wait-text", PROGRESS, "TLabel", "Installation Successful.", 120,
                           "elapsed", "install", "mark", "click", PROGRESS, "TAdvToolButton",
                           "OK", "wait", "Warning", 30, "elapsed", "question")
        self.after = float(out[1][1])
        return float(out[0][1])

    def finish(self, prefix):
        out = prefix.drive("dialog", "Warning", 30, "mark", "press", "Warning", "No",
                           "wait", "Pentaro", 30, "elapsed", "message", "dialog", "Pentaro", 30,
                           "press", "Pentaro", "OK", "gone", MAIN, 30)
        self.after += float(next(f[1] for f in out if f[0] == "message"))


class Nsis(Program):
    def __init__(self, exe):
        super().__init__(exe, NSIS_TITLE, NSIS_FOLDER)

    def to_install_button(self, prefix):
        prefix.drive("launch", windows_path(self.exe), NSIS_TITLE, 60,
                     "wait-text", NSIS_TITLE, "Button", "Install", 10, "sleep", 200)

    def install(self, prefix):
        out = prefix.drive("mark", "click", NSIS_TITLE, "Button", "Install",
                           "wait", NSIS_DONE, 120, "elapsed", "install")
        return float(out[0][1])

    def finish(self, prefix):
        prefix.drive("click", NSIS_DONE, "Button", "Close", "gone", NSIS_DONE, 30)


def nsis_script(path, out, entries, product, folder):
    """An NSIS script that installs `entries` (from the manifest) into `folder`, with an
    uninstaller that removes them and the folder."""
    lines = [
        "Unicode false",
        "SetCompressor zlib",
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
    lines += ['WriteUninstaller "$INSTDIR\\uninstall.exe"', "SectionEnd",
              'Section "Uninstall"']
    for _, file, _ in entries:
        lines.append(f'Delete "$INSTDIR\\{os.path.basename(file)}"')
    lines += ['Delete "$INSTDIR\\uninstall.exe"', 'RMDir "$INSTDIR"', "SectionEnd"]
    with open(path, "w") as f:
        f.write("\n".join(lines) + "\n")


def build_nsis(work, name, manifest, product, folder):
    """Builds the NSIS installer of the manifest's files; (its path, its stub size): the
    stub being the same script built without files."""
    entries = manifest_entries(manifest) if manifest else []
    exe = os.path.join(work, f"{name}.exe")
    script = os.path.join(work, f"{name}.nsi")
    nsis_script(script, exe, entries, product, folder)
    subprocess.run(["makensis", "-V1", script], check=True, stdout=subprocess.DEVNULL)
    return exe


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


def vm_hwm_kib(prefix, program):
    with open(f"/proc/{program.pid(prefix)}/status") as f:
        for line in f:
            if line.startswith("VmHWM:"):
                return int(line.split()[1])
    raise Failed("no VmHWM")


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
    as `peak`, the process's peak memory (KiB) is appended to it before the window closes."""
    out = prefix.drive("launch", windows_path(exe), title, 60)
    cpu = None
    if idle:
        pid = Program(exe, title).pid(prefix)
        time.sleep(0.5)  # let the start-up's own work end
        before = cpu_ns(pid)
        time.sleep(idle)
        cpu = (cpu_ns(pid) - before) / 1e6
    if peak is not None:
        peak.append(vm_hwm_kib(prefix, Program(exe, title)))
    prefix.drive("close", title, "gone", title, 30)
    return float(out[0][2]), cpu


def install_once(prefix, program):
    """(ms from the Install click to done, VmHWM KiB after it)."""
    program.to_install_button(prefix)
    ms = program.install(prefix)
    peak = vm_hwm_kib(prefix, program)
    program.finish(prefix)
    return ms, peak


def run_ms(prefix, args):
    out = prefix.wine(args)
    return float(out.split()[1])


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


def main():
    parser = argparse.ArgumentParser()
    for option in ("driver", "installer", "big-installer", "minimal", "copy", "floor", "product",
                   "manifest", "big-manifest", "work"):
        parser.add_argument("--" + option, required=True)
    options = parser.parse_args()
    options.variants = options.screenshots = options.template = ""
    if shutil.which("makensis") is None:
        print("makensis is missing (Debian package nsis): run scripts/setup-deps")
        return 77
    display = Display()
    bench = Bench(options)
    try:
        work = bench.work
        prefix = bench.prefix("bench")
        cases = []
        for label, exe, manifest in (("stand-in", options.installer, options.manifest),
                                     ("50 MB", options.big_installer, options.big_manifest)):
            entries = manifest_entries(manifest)
            files = [os.path.join(options.product, f) for _, f, _ in entries]
            size = sum(os.path.getsize(f) for f in files)
            nsis = build_nsis(work, f"nsis-{label.replace(' ', '')}", manifest, options.product,
                              NSIS_FOLDER)
            cases.append({"label": label, "ours": Ours(exe), "nsis": Nsis(nsis),
                          "files": [f for _, f, _ in entries], "size": size,
                          "start": {"ours": [], "nsis": []},
                          "install": {"ours": [], "nsis": [], "floor": [], "copy": []},
                          "peak": {"ours": [], "nsis": []},
                          "uninstall": {"ours": [], "nsis": []}, "after": []})
        nsis_stub = os.path.getsize(build_nsis(work, "nsis-empty", None, options.product,
                                               "c:\\tqn"))

        # Every program once before measuring: the first start in a prefix loads Wine's
        # DLLs from disk.
        startup_ms(prefix, options.minimal, MINIMAL_TITLE)
        for case in cases:
            for who in ("ours", "nsis"):
                startup_ms(prefix, case[who].exe, case[who].title)

        minimal, idle, bare_peak = [], {"bare": None, "ours": None, "nsis": None}, []
        for round in range(ROUNDS):
            last = round == ROUNDS - 1
            os.sync()  # the start-ups, too, begin with no write-back of the last round going on
            ms, cpu = startup_ms(prefix, options.minimal, MINIMAL_TITLE, IDLE_SECONDS if last else 0,
                                 bare_peak)
            minimal.append(ms)
            if last:
                idle["bare"] = cpu
            for case in cases:
                for who in ("ours", "nsis"):
                    program = case[who]
                    measure_idle = last and case is cases[0]
                    ms, cpu = startup_ms(prefix, program.exe, program.title,
                                         IDLE_SECONDS if measure_idle else 0)
                    case["start"][who].append(ms)
                    if measure_idle:
                        idle[who] = cpu
            # Each write pass starts with no other pass's files waiting to reach the disk:
            # the system would write them back during the next pass, which then pays for it.
            for case in cases:
                for who in ("ours", "nsis"):
                    os.sync()
                    ms, peak = install_once(prefix, case[who])
                    case["install"][who].append(ms)
                    case["peak"][who].append(peak)
                    if who == "ours":
                        case["after"].append(case[who].after)
                    os.sync()
                    case["uninstall"][who].append(case[who].quiet_uninstall_ms(prefix))
                os.sync()
                case["install"]["floor"].append(
                    run_ms(prefix, [options.floor, windows_path(case["ours"].exe), "c:\\floor"]))
                os.sync()
                case["install"]["copy"].append(
                    run_ms(prefix, [options.copy, windows_path(options.product), "c:\\copy"] +
                           case["files"]))

        rows = [("", "PentaroSetup", "NSIS (zlib)", "floor / reference", "ratios")]
        for case in cases:
            rows.append((f"installer stub (exe - packed payload), {case['label']}",
                         f"{stub_size(case['ours'].exe):,} B",
                         f"{nsis_stub:,} B", "", ""))
        for case in cases:
            s = case["start"]
            rows.append((f"start-up to first visible window, {case['label']}",
                         cell(s["ours"]), cell(s["nsis"]), f"bare window {cell(minimal)}",
                         f"ours/bare {ratio(s['ours'], minimal)}, "
                         f"ours/NSIS {ratio(s['ours'], s['nsis'])}"))
        for case in cases:
            i = case["install"]
            rows.append((f"install from the click, {case['label']} "
                         f"({case['size']:,} B, {len(case['files'])} files)",
                         cell(i["ours"]), cell(i["nsis"]),
                         f"inflate + write {cell(i['floor'])}; plain copy {cell(i['copy'])}",
                         f"ours/NSIS {ratio(i['ours'], i['nsis'])}, "
                         f"ours/floor {ratio(i['ours'], i['floor'])}, "
                         f"ours/copy {ratio(i['ours'], i['copy'])}"))
        for case in cases:
            rows.append((f"after the last file: OK to the question, No to the closing message, "
                         f"{case['label']}", cell(case["after"]), "", "",
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
            rows.append((f"peak memory, {case['label']}", f"{ours:.1f} MiB", f"{nsis:.1f} MiB",
                         f"payload {payload:.1f} MiB; bare window {bare:.1f} MiB",
                         f"ours - payload {ours - payload:.1f} MiB, "
                         f"ours - payload - bare {ours - payload - bare:.1f} MiB"))
        rows.append((f"CPU while idle {IDLE_SECONDS:g} s on the first window",
                     f"{idle['ours']:.1f} ms", f"{idle['nsis']:.1f} ms",
                     f"bare window {idle['bare']:.1f} ms", ""))

        print(f"Min/median of {ROUNDS} interleaved round(s); times from process start or click, "
              "read by the scripted user")
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
