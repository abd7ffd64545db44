#!/usr/bin/python3
"""The processes a test or run script started, found again by what their environment
holds, and ended when the script ends.

    leftovers.py [--tag T] [--root DIR [--except DIR]...] [--display :N] list|end

A process belongs to the run when its environment (as it was when the process started)
holds PENTARO_RUN=T (the scripts mark everything they start with it; Wine hands it down
to the services it starts), a WINEPREFIX inside the root folder but not inside an
excepted one, or DISPLAY=:N (the run's own Xvfb). Other worktrees run Wine on the same
machine at the same time: nothing else is ever touched, and nothing is found by name.

  list  prints the processes found, one a line; exit 1 when there is any.
  end   ends them: first each Wine prefix through its own wineserver (`wineserver -k`,
        while the server is still alive: once it is gone, its services are orphans it
        no longer reaches), then what is left by process id, SIGTERM, then SIGKILL.
        Exit 0.
"""
import argparse
import os
import signal
import subprocess
import sys
import time


def ancestors():
    """This process and the ones it runs under: they carry the mark too."""
    pids = set()
    pid = os.getpid()
    while pid > 1:
        pids.add(pid)
        try:
            with open(f"/proc/{pid}/stat") as f:
                pid = int(f.read().rsplit(")", 1)[1].split()[1])
        except (OSError, ValueError, IndexError):
            break
    return pids


def environment(pid):
    with open(f"/proc/{pid}/environ", "rb") as f:
        pairs = f.read().split(b"\0")
    return dict(p.split(b"=", 1) for p in pairs if b"=" in p)


def command_line(pid):
    try:
        with open(f"/proc/{pid}/cmdline", "rb") as f:
            return f.read().replace(b"\0", b" ").decode(errors="replace").strip()
    except OSError:
        return "?"


def inside(path, folder):
    return path == folder or path.startswith(folder.rstrip("/") + "/")


class Finder:
    def __init__(self, tag, root, excepted, display):
        self.tag = tag.encode() if tag else None
        self.root = os.path.realpath(root) if root else None
        self.excepted = [os.path.realpath(d) for d in excepted]
        self.display = display.encode() if display else None

    def why(self, env):
        """Why a process with this environment belongs to the run, or None."""
        if self.tag and env.get(b"PENTARO_RUN") == self.tag:
            return "marked"
        prefix = env.get(b"WINEPREFIX")
        if self.root and prefix:
            path = os.path.realpath(os.fsdecode(prefix))
            if inside(path, self.root) and not any(inside(path, d) for d in self.excepted):
                return "prefix " + path
        if self.display and env.get(b"DISPLAY") == self.display:
            return "display " + self.display.decode()
        return None

    def processes(self):
        """{pid: (reason, WINEPREFIX or None)} of the run's live processes."""
        own = ancestors()
        found = {}
        for entry in os.listdir("/proc"):
            if not entry.isdigit() or int(entry) in own:
                continue
            pid = int(entry)
            try:
                env = environment(pid)
                with open(f"/proc/{pid}/stat") as f:
                    if f.read().rsplit(")", 1)[1].split()[0] == "Z":
                        continue  # ended, waiting for its parent to collect it
            except (OSError, IndexError):
                continue
            reason = self.why(env)
            if reason:
                prefix = env.get(b"WINEPREFIX")
                found[pid] = (reason, prefix.decode(errors="replace") if prefix else None)
        return found


def wait_gone(finder, pids, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if not set(finder.processes()) & pids:
            return
        time.sleep(0.1)


def end(finder):
    found = finder.processes()
    prefixes = sorted({p for _, p in found.values() if p})
    for prefix in prefixes:
        env = dict(os.environ, WINEPREFIX=prefix)
        for option in ("-k", "-w"):
            try:
                subprocess.run(["wineserver", option], env=env, stdin=subprocess.DEVNULL,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30)
            except subprocess.TimeoutExpired:
                pass
    for sig, grace in ((signal.SIGTERM, 3), (signal.SIGKILL, 3)):
        left = set(finder.processes())
        if not left:
            return
        for pid in left:
            try:
                os.kill(pid, sig)
            except OSError:
                pass
        wait_gone(finder, left, grace)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tag")
    parser.add_argument("--root")
    parser.add_argument("--except", dest="excepted", action="append", default=[])
    parser.add_argument("--display")
    parser.add_argument("action", choices=("list", "end"))
    options = parser.parse_args()
    finder = Finder(options.tag, options.root, options.excepted, options.display)
    if options.action == "end":
        end(finder)
        return 0
    found = finder.processes()
    for pid in sorted(found):
        print(f"{pid} [{found[pid][0]}] {command_line(pid)}")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
