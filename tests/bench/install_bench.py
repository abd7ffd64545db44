#!/usr/bin/python3
"""Benchmark of the whole installer under Wine, measured in one run and printed as ratios
(no timed assertion):

- the install, from the Install click to "Installation Successful.", against copying the
  same files with the system's plain file copy (plain_copy.exe), for the stand-in payload
  and for the 48 MB one;
- start-up to the first window against a minimal Win32 window program (minimal_window.exe);
- peak memory of the installer's process (VmHWM) against the payload's size.

    install_bench.py --driver D --installer EXE --big-installer EXE --minimal EXE
                     --copy EXE --product DIR --manifest FILE --big-manifest FILE --work DIR
"""
import argparse
import os
import sys

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from e2e import MAIN, PROGRESS, Bench, Display, Failed, manifest_entries, windows_path  # noqa: E402

# Each figure is the best of ROUNDS runs: the machine is shared, and interference only
# ever adds time.
ROUNDS = 3


def listed(values):
    return ", ".join(f"{v:.1f}" for v in values)


def vm_hwm_kib(prefix, exe):
    """Peak resident set (VmHWM, KiB) of the prefix's process running `exe`."""
    for pid in prefix.processes(os.path.basename(exe)):
        try:
            with open(f"/proc/{pid}/status") as f:
                status = f.read()
        except OSError:
            continue
        for line in status.splitlines():
            if line.startswith("VmHWM:"):
                return int(line.split()[1])
    raise Failed(f"no process of {exe} in the prefix")


def startup_ms(prefix, exe, title):
    out = prefix.drive("launch", windows_path(exe), title, 60)
    prefix.drive("close", title, "gone", title, 30, "sleep", 300)
    return float(out[0][2])


def install_once(prefix, exe):
    """One install into c:\\tq: (milliseconds from the Install click to the success text,
    VmHWM at the folder page, VmHWM when the files are written)."""
    prefix.drive("launch", windows_path(exe), MAIN, 60, "click", MAIN, "TAdvToolButton", "Setup",
                 "wait-text", MAIN, "TAdvToolButton", "Install", 10, "sleep", 200)
    before = vm_hwm_kib(prefix, exe)
    out = prefix.drive("mark", "click", MAIN, "TAdvToolButton", "Install",
                       "wait-text", PROGRESS, "TLabel", "Installation Successful.", 120,
                       "elapsed", "install")
    after = vm_hwm_kib(prefix, exe)
    prefix.drive("click", PROGRESS, "TAdvToolButton", "OK", "dialog", "Warning", 30,
                 "press", "Warning", "No", "dialog", "Pentaro", 30, "press", "Pentaro", "OK",
                 "gone", MAIN, 30, "sleep", 300)
    return float(out[0][1]), before, after


def copy_ms(prefix, copy, product, files):
    out = prefix.wine([copy, windows_path(product), "c:\\copy"] + files)
    return float(out.split()[1])


def payload_case(bench, prefix, options, label, exe, manifest):
    files = [f for _, f, _ in manifest_entries(manifest)]
    size = sum(os.path.getsize(os.path.join(options.product, f)) for f in files)
    installs = [install_once(prefix, exe) for _ in range(ROUNDS)]
    copies = [copy_ms(prefix, options.copy, options.product, files) for _ in range(ROUNDS)]
    install = min(i[0] for i in installs)
    copy = min(copies)
    before = max(i[1] for i in installs)
    peak = max(i[2] for i in installs)
    print(f"{label}: payload {size:,} bytes in {len(files)} files")
    print(f"  install (Install click to 'Installation Successful.'), best of {ROUNDS}: "
          f"{install:.1f} ms   [{', '.join(f'{i[0]:.1f}' for i in installs)}]")
    print(f"  plain copy of the same files (CopyFileA), best of {ROUNDS}: "
          f"{copy:.1f} ms   [{', '.join(f'{c:.1f}' for c in copies)}]")
    print(f"  ratio install / plain copy: {install / copy:.1f}")
    print(f"  peak memory (VmHWM): {before / 1024:.1f} MiB at the folder page, "
          f"{peak / 1024:.1f} MiB after writing")
    print(f"  ratio peak / payload: {peak * 1024 / size:.2f}; "
          f"ratio (peak - folder page) / payload: {(peak - before) * 1024 / size:.2f}")


def main():
    parser = argparse.ArgumentParser()
    for option in ("driver", "installer", "big-installer", "minimal", "copy", "product",
                   "manifest", "big-manifest", "work"):
        parser.add_argument("--" + option, required=True)
    options = parser.parse_args()
    options.variants = options.screenshots = options.template = ""
    display = Display()
    bench = Bench(options)
    try:
        prefix = bench.prefix("bench")
        # Both programs once before measuring: the first start in a prefix loads Wine's
        # DLLs from disk.
        startup_ms(prefix, options.minimal, "Minimal Window")
        startup_ms(prefix, options.installer, MAIN)
        minimal = [startup_ms(prefix, options.minimal, "Minimal Window") for _ in range(ROUNDS)]
        installer = [startup_ms(prefix, options.installer, MAIN) for _ in range(ROUNDS)]
        print(f"start-up to the first window, best of {ROUNDS}: installer "
              f"{min(installer):.1f} ms [{listed(installer)}], "
              f"minimal window {min(minimal):.1f} ms [{listed(minimal)}]")
        print(f"  ratio installer / minimal window: "
              f"{min(installer) / min(minimal):.2f}")
        payload_case(bench, prefix, options, "stand-in payload", options.installer,
                     options.manifest)
        payload_case(bench, prefix, options, "48 MB payload", options.big_installer,
                     options.big_manifest)
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
