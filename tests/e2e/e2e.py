"""The bench the end-to-end scenarios and the benchmark stand on: throw-away Wine prefixes,
the installer started in them, the scripted user (driver.exe) and checks from the Linux
side (files, last-write times, shortcuts)."""
import glob
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

MAIN = "Corvane Pentaro Installer"
PROGRESS = "Installation Progress"
ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


def exit_codes():
    """The installer's exit codes by name, from the one header that defines them."""
    with open(os.path.join(ROOT, "engine", "exit_code.h")) as f:
        return {m.group(1): int(m.group(2))
                for m in re.finditer(r"^\s+(\w+) = (\d+),", f.read(), re.M)}


EXIT = exit_codes()


class Failed(Exception):
    """A check that cannot let the scenario go on."""


def windows_path(path):
    """The Wine path of a Linux path (drive Z: is the Linux root)."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def unescape(text):
    """The driver's escaped text back to bytes as the window holds them."""
    out, i = [], 0
    while i < len(text):
        c = text[i]
        if c == "\\" and i + 1 < len(text):
            out.append({"\\": "\\", "r": "\r", "n": "\n", "t": "\t"}.get(text[i + 1], text[i + 1]))
            i += 2
        else:
            out.append(c)
            i += 1
    return "".join(out)


def lines(text):
    """A message as the dialogs show it: CR LF, CR alone and LF alone are all line breaks."""
    return re.split(r"\r\n|\r|\n", text)


class Display:
    """An X display for Wine: the one given in DISPLAY, else an Xvfb of our own."""

    def __init__(self):
        self.process = None
        if os.environ.get("DISPLAY") and subprocess.run(
                ["xdpyinfo"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode == 0:
            return
        read, write = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
            pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write)
        number = b""
        deadline = time.time() + 20
        while not number.endswith(b"\n") and time.time() < deadline:
            chunk = os.read(read, 16)
            if not chunk:
                break
            number += chunk
        os.close(read)
        if not number.strip():
            self.close()
            raise Failed("Xvfb did not start")
        os.environ["DISPLAY"] = ":" + number.decode().strip()

    def close(self):
        if self.process is not None:
            self.process.kill()
            self.process.wait()
            self.process = None


class Installer:
    """One run of an installer executable, started from the Linux side."""

    def __init__(self, prefix, exe, args, log, cwd=None):
        self.prefix = prefix
        self.exe = exe
        self.caption = os.path.splitext(os.path.basename(exe))[0]  # ShowInfo's default caption
        self.log = open(log, "wb")
        self.process = subprocess.Popen(["wine", exe] + list(args), env=prefix.env,
                                        stdin=subprocess.DEVNULL, stdout=self.log,
                                        stderr=subprocess.STDOUT, cwd=cwd)

    def wait_exit(self, seconds=20):
        """The exit code; Failed when the program does not end in time."""
        try:
            return self.process.wait(timeout=seconds)
        except subprocess.TimeoutExpired:
            raise Failed(f"{self.caption} did not end within {seconds} s")
        finally:
            self.log.flush()

    def running(self):
        return self.process.poll() is None


class Prefix:
    """A fresh Wine prefix of its own under `work`, with the Wine environment to use it."""

    def __init__(self, bench, name, bits=32):
        self.bench = bench
        self.dir = os.path.join(bench.work, name)
        self.bits = bits
        subprocess.run([os.path.join(ROOT, "tests/support/wine-prefix"), "new", str(bits),
                        self.dir], check=True, stdout=subprocess.DEVNULL)
        xdg = self.dir + ".xdg"  # Wine's Recycle Bin (the freedesktop trash) stays beside it
        shutil.rmtree(xdg, ignore_errors=True)
        os.makedirs(xdg)
        self.env = dict(os.environ, WINEPREFIX=self.dir, WINEDEBUG="-all", XDG_DATA_HOME=xdg,
                        WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d")
        self.installers = []
        bench.prefixes.append(self)  # closed at the end even if its start fails half-way
        # Wine's services start now, detached from any pipe of ours: a service keeps the
        # output handles of the process that started it.
        self.wine(["wineboot"], timeout=120)

    def c(self, *parts):
        """A path on drive C: of the prefix, on the Linux side."""
        return os.path.join(self.dir, "drive_c", *parts)

    def plant_dosbox(self, *path):
        """A stand-in DOSBox (a DOS-free program) at `path` on drive C:, by default where
        DOSBox 0.74 installs itself on 64-bit Windows."""
        exe = self.c(*(path or ("Program Files (x86)", "DOSBox-0.74", "dosbox.exe")))
        os.makedirs(os.path.dirname(exe), exist_ok=True)
        shutil.copy(os.path.join(self.bench.product, "spool32.exe"), exe)

    def desktop(self):
        users = self.c("users")
        for user in sorted(os.listdir(users)):
            if user != "Public" and os.path.isdir(os.path.join(users, user, "Desktop")):
                return os.path.join(users, user, "Desktop")
        raise Failed("the prefix has no user desktop")

    def wine(self, args, timeout=60, check=True):
        """Runs a Wine program to its end; its output, through a file, never a pipe."""
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            try:
                result = subprocess.run(["wine"] + args, env=self.env, stdin=subprocess.DEVNULL,
                                        stdout=out, stderr=err, timeout=timeout)
            except subprocess.TimeoutExpired:
                raise Failed(f"wine {' '.join(args)}: no end within {timeout} s")
            out.seek(0)
            err.seek(0)
            stdout = out.read().decode("cp1252", "replace")
            stderr = err.read().decode("cp1252", "replace")
        if check and result.returncode != 0:
            message = stderr.strip().splitlines()
            raise Failed(message[-1] if message else f"wine {args[0]} exited {result.returncode}")
        return stdout

    def drive(self, *commands, timeout=120):
        """Runs the scripted user with these commands; its output lines, split by tab and
        unescaped."""
        out = self.wine([self.bench.driver] + [str(c) for c in commands], timeout=timeout)
        return [[unescape(field) for field in line.rstrip("\r").split("\t")]
                for line in out.splitlines() if line.strip()]

    def start(self, exe, *args, cwd=None):
        log = os.path.join(self.bench.work, os.path.basename(self.dir) + ".log")
        installer = Installer(self, exe, args, log, cwd)
        self.installers.append(installer)
        return installer

    def registry(self, key, name, value):
        if isinstance(value, int):
            self.wine(["reg", "add", key, "/v", name, "/t", "REG_DWORD", "/d", str(value), "/f"])
        else:
            self.wine(["reg", "add", key, "/v", name, "/d", value, "/f"])

    def restart(self):
        """Ends every process of the prefix and starts its services again, for settings that
        are read only when they start (the drive types of the mount manager)."""
        subprocess.run(["wineserver", "-k"], env=self.env, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=self.env, stderr=subprocess.DEVNULL)
        self.wine(["wineboot"], timeout=120)

    def processes(self, name):
        """Process ids of this prefix whose command line contains `name` (any case)."""
        wanted = b"WINEPREFIX=" + self.dir.encode()
        found = []
        for pid in os.listdir("/proc"):
            if not pid.isdigit():
                continue
            try:
                with open(f"/proc/{pid}/environ", "rb") as f:
                    environ = f.read().split(b"\0")
                with open(f"/proc/{pid}/cmdline", "rb") as f:
                    cmdline = f.read().lower()
            except OSError:
                continue
            if wanted in environ and name.encode().lower() in cmdline:
                found.append(pid)
        return found

    def raise_desktop(self):
        """Brings this prefix's Wine desktop to the top of the X display, so that a screenshot
        shows it and not the desktop of a test running beside this one."""
        for pid in self.processes("explorer"):
            found = subprocess.run(["xdotool", "search", "--pid", pid], capture_output=True)
            for window in found.stdout.split():
                subprocess.run(["xdotool", "windowraise", window], stderr=subprocess.DEVNULL)

    def screenshot(self, title, name):
        """The window as the screen shows it, as build/screenshots/<name>.png."""
        shots = self.bench.screenshots
        os.makedirs(shots, exist_ok=True)
        bmp = os.path.join(self.bench.work, name + ".bmp")
        self.raise_desktop()
        self.drive("sleep", 300, "shot", title, windows_path(bmp))
        png = os.path.join(shots, name + ".png")
        subprocess.run(["convert", bmp, png], check=True)
        os.remove(bmp)
        print(f"screenshot: {png}")

    def close(self):
        for installer in self.installers:
            if installer.running():
                installer.process.kill()
        subprocess.run(["wineserver", "-k"], env=self.env, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=self.env, stderr=subprocess.DEVNULL)
        for installer in self.installers:
            installer.process.wait()
            installer.log.close()


class Dialog:
    def __init__(self, output):
        self.caption = ""
        self.texts = []
        self.buttons = []
        for fields in output:
            if fields[0] == "caption":
                self.caption = fields[1]
            elif fields[0] == "text":
                self.texts.append(fields[1])
            elif fields[0] == "button":
                self.buttons.append(fields[1])

    def shows(self, text):
        return any(lines(t) == lines(text) for t in self.texts)

    def __str__(self):
        return f"[{self.caption}] {self.texts!r} {self.buttons!r}"


class Window:
    """A window as the driver's dump shows it."""

    def __init__(self, output):
        self.controls = []
        for fields in output:
            if fields[0] == "window":
                self.cls, self.title = fields[1], fields[2]
                self.client = tuple(int(v) for v in fields[3].split())
                self.style = int(fields[4], 16)
                self.frame = tuple(int(v) for v in fields[5].split())
            elif fields[0] == "control":
                self.controls.append({"class": fields[1], "text": fields[2],
                                      "visible": fields[3] == "visible",
                                      "rect": tuple(int(v) for v in fields[4].split())})

    def find(self, cls, text=None, visible=True):
        return [c for c in self.controls
                if c["class"] == cls and (text is None or c["text"] == text)
                and (visible is None or c["visible"] == visible)]

    def one(self, cls, text=None, visible=True):
        found = self.find(cls, text, visible)
        if len(found) != 1:
            raise Failed(f"{self.title}: {len(found)} controls {cls} {text!r}, expected one")
        return found[0]


class Bench:
    """What a scenario needs: the executables, the stand-in product, a work folder, and a
    record of failed checks."""

    def __init__(self, options):
        self.driver = options.driver
        self.installer = options.installer
        self.variants = options.variants
        self.product = options.product
        self.manifest = options.manifest
        self.template = options.template
        self.screenshots = options.screenshots
        self.work = options.work
        self.failures = 0
        self.prefixes = []
        # A SIGTERM (scripts/test ending the run) goes through the callers' finally
        # clauses, which end the prefixes' processes, like Ctrl-C does.
        signal.signal(signal.SIGTERM, lambda *_: sys.exit(128 + signal.SIGTERM))
        # Local time 5:30 ahead of UTC, all year: a last-write time taken as UTC instead of
        # local time shows, and no daylight-saving change moves the expectations. A POSIX
        # rule, so that no time-zone database is needed; Wine reads it like Python does.
        os.environ["TZ"] = "IST-5:30"
        time.tzset()
        self.clear_work()
        os.makedirs(self.work)

    def clear_work(self):
        """Removes the work folder, also what a run killed half-way (a CTest time-out) left
        that would stop its removal: a mounted file system, an immutable file."""
        if not os.path.isdir(self.work):
            return
        work = os.path.realpath(self.work) + "/"
        with open("/proc/mounts") as mounts:
            for line in mounts:
                point = line.split()[1].replace("\\040", " ")
                if point.startswith(work):
                    subprocess.run(["umount", "-l", point], stderr=subprocess.DEVNULL)
        for path in glob.glob(os.path.join(self.work, "*", "drive_c", "tq", "*")):
            subprocess.run(["chattr", "-i", path], stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)
        shutil.rmtree(self.work, ignore_errors=True)

    def variant(self, name):
        return os.path.join(self.variants, f"PentaroSetup-{name}.exe")

    def prefix(self, name, bits=32):
        return Prefix(self, name, bits)

    def check(self, what, ok, detail=""):
        if ok:
            print(f"ok: {what}")
        else:
            self.failures += 1
            print(f"FAIL: {what}{': ' + detail if detail else ''}", file=sys.stderr)
        return ok

    def expect(self, what, actual, expected):
        return self.check(what, actual == expected, f"got {actual!r}, expected {expected!r}")

    def close(self):
        for prefix in self.prefixes:
            prefix.close()


# The exit status with which a scenario says it could not run here (CTest's SKIP_RETURN_CODE).
SKIP = 77


def run_bench(options, body, work_name="prefix"):
    """Runs body(bench) on a virtual display and closes both, whatever happens. Returns the
    exit status: SKIP when the body says so, 1 when a check failed (the work folder stays for
    a look), else 0 (the work folder goes)."""
    display = Display()
    bench = Bench(options)
    status = 0
    try:
        status = body(bench) or 0
    except Failed as failure:
        bench.check("scenario went on to the end", False, str(failure))
    finally:
        bench.close()
        display.close()
    if status == SKIP:
        return SKIP
    if bench.failures:
        print(f"{bench.failures} check(s) failed; the {work_name} stays in {bench.work}",
              file=sys.stderr)
        return 1
    bench.clear_work()
    print("all checks passed")
    return 0


def manifest_entries(path):
    """(catalogue name, file name, DOS date-time text) in catalogue order."""
    entries = []
    with open(path) as f:
        for line in f:
            line = line.split("#", 1)[0].strip()
            if not line:
                continue
            m = re.match(r'(\S+)\s+("([^"]*)"|\S+)\s+(\S+(?:\s\d\d:\d\d:\d\d)?)', line)
            name, file, date = m.group(1), m.group(3) or m.group(2), m.group(4)
            entries.append((name, file, date.replace(" ", "T")))
    return entries


def local_time(date):
    """Seconds since the epoch of a local date-time, as the prefix's Wine reads local time
    (the Linux time zone)."""
    return time.mktime(time.strptime(date, "%Y-%m-%dT%H:%M:%S"))


def lnk_field(path, field):
    """One field of lnkinfo's "Link information" block; None when the link has none."""
    out = subprocess.run(["lnkinfo", path], capture_output=True, text=True, errors="replace")
    for line in out.stdout.splitlines():
        m = re.match(r"^\t" + re.escape(field) + r"\s*: (.*)$", line)
        if m:
            return m.group(1).rstrip("\r")
    return None


def lnk_header(path):
    """Show command and hot key from the link's fixed header (offsets 60 and 64): Debian's
    lnkinfo prints 0 for both whatever the file holds."""
    with open(path, "rb") as f:
        head = f.read(76)
    return int.from_bytes(head[60:64], "little"), int.from_bytes(head[64:66], "little")
