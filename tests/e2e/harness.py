"""Desktop harness for driving the real talvo executable as a person would.

Each scenario gets its own Xvfb display, openbox, optionally trayer, a private
session bus (and dunst), and a private HOME/XDG tree.  Input goes through
XTEST (xdotool); observations come from the X server (xprop, xwininfo,
screenshots), the saved list and the settings store.
"""

import os
import pwd
import re
import select
import shutil
import signal
import subprocess
import tempfile
import time
import unittest
from contextlib import contextmanager
from pathlib import Path

HERE = Path(__file__).resolve().parent
REPO = HERE.parent.parent

# Slow machines (sanitizer builds, loaded CI) can stretch every deadline.
SCALE = float(os.environ.get("E2E_TIMEOUT_SCALE", "1"))
SCREEN_W, SCREEN_H = 1024, 768

FAKETIME_LIBS = [
    "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1",
    "/usr/lib/aarch64-linux-gnu/faketime/libfaketime.so.1",
    "/usr/lib/faketime/libfaketime.so.1",
]

UNPRIVILEGED_USER = "talvoe2e"


def deadline(seconds):
    return time.monotonic() + seconds * SCALE


def wait_until(predicate, timeout=15, interval=0.08, what="condition"):
    """Polls predicate until it returns something truthy; fails the test
    with a readable message when the deadline passes."""
    end = deadline(timeout)
    last = None
    while True:
        try:
            last = predicate()
        except (subprocess.CalledProcessError, FileNotFoundError, OSError):
            last = None
        if last:
            return last
        if time.monotonic() > end:
            raise AssertionError("timed out after %.0f s waiting for %s" % (timeout * SCALE, what))
        time.sleep(interval)


def holds_for(predicate, seconds, interval=0.1):
    """True when predicate stays truthy for the whole period (used to show
    that something does NOT happen, e.g. the program keeps running)."""
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        if not predicate():
            return False
        time.sleep(interval)
    return True


def talvo_binary():
    """The executable under test; it may be rebuilt under us, so wait for it."""
    path = Path(os.environ.get("TALVO_BIN") or REPO / "build" / "mainwnd" / "talvo")
    end = time.monotonic() + 120
    while not (path.is_file() and os.access(path, os.X_OK)):
        if time.monotonic() > end:
            raise unittest.SkipTest("talvo binary not found at %s (set TALVO_BIN)" % path)
        time.sleep(0.5)
    return path


def faketime_lib():
    for p in FAKETIME_LIBS:
        if os.path.exists(p):
            return p
    return None


def shots_dir():
    d = os.environ.get("E2E_SHOTS")
    if not d:
        d = os.path.join(tempfile.gettempdir(), "talvo-e2e-shots")
    os.makedirs(d, exist_ok=True)
    return Path(d)


def need_tools(*names):
    missing = [n for n in names if shutil.which(n) is None]
    if missing:
        raise unittest.SkipTest("missing tools: " + ", ".join(missing))


# ---------------------------------------------------------------- users

def unprivileged_user():
    """(uid, gid) of a user to whom file permissions apply, or None.
    Root ignores permissions, so permission scenarios need one."""
    if os.geteuid() != 0:
        return (os.getuid(), os.getgid())
    try:
        pw = pwd.getpwnam(UNPRIVILEGED_USER)
    except KeyError:
        r = subprocess.run(["useradd", "-M", "-s", "/usr/sbin/nologin", UNPRIVILEGED_USER],
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if r.returncode not in (0, 9):
            return None
        try:
            pw = pwd.getpwnam(UNPRIVILEGED_USER)
        except KeyError:
            return None
    return (pw.pw_uid, pw.pw_gid)


def can_read_binary_as(uid_gid, binary):
    r = subprocess.run(["setpriv", "--reuid=%d" % uid_gid[0], "--regid=%d" % uid_gid[1],
                        "--clear-groups", "test", "-x", str(binary)])
    return r.returncode == 0


# ---------------------------------------------------------------- files

def write_tlv(path, reminders, header=("", 0, 1, 86400, 0), raw_prefix=b""):
    """reminders: list of (text, stored_time, remind, push_seconds, push)."""
    lines = ["Talvo_1.2"] + [str(v) for v in header]
    for r in reminders:
        lines += [str(v) for v in r]
    data = raw_prefix + ("\r\n".join(lines) + "\r\n").encode("utf-8")
    Path(path).parent.mkdir(parents=True, exist_ok=True)
    Path(path).write_bytes(data)
    return data


def read_tlv(path):
    """Returns (header_lines, [reminder tuples of 5 strings]); asserts CR LF."""
    data = Path(path).read_bytes()
    text = data.decode("utf-8", errors="replace")
    assert text.endswith("\r\n"), "data file does not end with CR LF: %r" % text[-20:]
    lines = text[:-2].split("\r\n")
    assert lines[0] == "Talvo_1.2", "bad first line %r" % lines[0]
    header = lines[1:6]
    body = lines[6:]
    assert len(body) % 5 == 0, "reminder lines not a multiple of 5: %r" % body
    return header, [tuple(body[i:i + 5]) for i in range(0, len(body), 5)]


def texts_in(path):
    return [r[0] for r in read_tlv(path)[1]]


@contextmanager
def zone(tz):
    old = os.environ.get("TZ")
    os.environ["TZ"] = tz
    time.tzset()
    try:
        yield
    finally:
        if old is None:
            del os.environ["TZ"]
        else:
            os.environ["TZ"] = old
        time.tzset()


def stored_from_utc(utc_epoch, tz):
    """The file's time: UTC seconds minus the zone's standard offset west."""
    with zone(tz):
        return int(utc_epoch) - time.timezone


def stored_from_local(tz, y, mo, d, h, mi, s=0):
    with zone(tz):
        return int(time.mktime((y, mo, d, h, mi, s, 0, 0, -1))) - time.timezone


def utc_from_local(tz, y, mo, d, h, mi, s=0):
    with zone(tz):
        return int(time.mktime((y, mo, d, h, mi, s, 0, 0, -1)))


def write_registry(path, values):
    """values: name -> int (REG_BINARY dword) or str."""
    out = ["REGEDIT4", "", r"[HKEY_CURRENT_USER\Software\Lindqvarn\Talvo\Settings]"]
    for k, v in values.items():
        if isinstance(v, int):
            b = v.to_bytes(4, "little")
            out.append('"%s"=hex:%s' % (k, ",".join("%02x" % x for x in b)))
        else:
            out.append('"%s"="%s"' % (k, v.replace("\\", "\\\\").replace('"', '\\"')))
    Path(path).parent.mkdir(parents=True, exist_ok=True)
    Path(path).write_text("\n".join(out) + "\n", encoding="utf-8")


def read_registry(path):
    vals = {}
    for line in Path(path).read_text(encoding="utf-8", errors="replace").splitlines():
        m = re.match(r'^"([^"]+)"=hex:([0-9a-fA-F,]*)$', line)
        if m:
            b = bytes(int(x, 16) for x in m.group(2).split(",") if x)
            vals[m.group(1)] = int.from_bytes(b, "little")
            continue
        m = re.match(r'^"([^"]+)"="(.*)"$', line)
        if m:
            vals[m.group(1)] = m.group(2).replace('\\"', '"').replace("\\\\", "\\")
    return vals


QUIET_SETTINGS = {"PlaySound": 0}


def dead_pid():
    """A pid that belonged to a process that has ended."""
    p = subprocess.Popen(["true"])
    p.wait()
    return p.pid


def stamp_re(prefix):
    return re.compile(re.escape(prefix) + r"\d{8}-\d{6}")


# ---------------------------------------------------------------- X helpers

class X:
    """Thin wrapper over the X command line tools for one display."""

    def __init__(self, display, env):
        self.display = display
        self.env = dict(env)
        self.env["DISPLAY"] = display

    def run(self, *args, check=True, timeout=20):
        return subprocess.run(list(args), env=self.env, stdout=subprocess.PIPE,
                              stderr=subprocess.PIPE, text=True, check=check,
                              timeout=timeout * SCALE).stdout

    # -- windows
    def tree(self, root="-root"):
        """[(id, name_or_None, depth, abs_x, abs_y, w, h)] for every window."""
        args = ["xwininfo", "-tree"] + ([root] if root == "-root" else ["-id", str(root)])
        out = self.run(*args, check=False)
        res = []
        for line in out.splitlines():
            m = re.match(r'^(\s*)(0x[0-9a-f]+) (?:"(.*)"|\(has no name\)): .*?'
                         r'(\d+)x(\d+)\+-?\d+\+-?\d+\s+\+(-?\d+)\+(-?\d+)\s*$', line)
            if m:
                res.append((int(m.group(2), 16), m.group(3), len(m.group(1)),
                            int(m.group(6)), int(m.group(7)), int(m.group(4)), int(m.group(5))))
        return res

    def prop(self, win, name):
        return self.run("xprop", "-id", str(win), name, check=False)

    def name(self, win):
        out = self.prop(win, "_NET_WM_NAME")
        m = re.search(r'= "(.*)"\s*$', out, re.S)
        if not m:
            out = self.prop(win, "WM_NAME")
            m = re.search(r'= "(.*)"\s*$', out, re.S)
        return m.group(1) if m else None

    def pid(self, win):
        m = re.search(r"= (\d+)", self.prop(win, "_NET_WM_PID"))
        return int(m.group(1)) if m else None

    def wm_state(self, win):
        m = re.search(r"window state: (\w+)", self.prop(win, "WM_STATE"))
        return m.group(1) if m else None

    def net_wm_state(self, win):
        out = self.prop(win, "_NET_WM_STATE")
        return set(re.findall(r"_NET_WM_STATE_\w+", out))

    def viewable(self, win):
        out = self.run("xwininfo", "-id", str(win), check=False)
        return "IsViewable" in out

    def geometry(self, win):
        """Absolute client position and size."""
        out = self.run("xwininfo", "-id", str(win))
        g = {}
        for key, pat in (("x", r"Absolute upper-left X:\s+(-?\d+)"), ("y", r"Absolute upper-left Y:\s+(-?\d+)"),
                         ("w", r"Width:\s+(\d+)"), ("h", r"Height:\s+(\d+)")):
            g[key] = int(re.search(pat, out).group(1))
        return g

    def search(self, regex, visible_only=False):
        args = ["xdotool", "search"] + (["--onlyvisible"] if visible_only else []) + ["--name", regex]
        out = self.run(*args, check=False)
        return [int(x) for x in out.split()]

    def windows_named(self, exact=None, prefix=None, pid=None, visible_only=True):
        """Windows whose title matches exactly (case matters; xdotool's search
        ignores case, and talvo has a hidden window called "talvo")."""
        pattern = "^" + re.escape(exact) + "$" if exact is not None else "^" + re.escape(prefix)
        res = []
        for w in self.search(pattern, visible_only=visible_only):
            # One xprop for title and pid: fewer processes per poll.
            out = self.run("xprop", "-id", str(w), "_NET_WM_NAME", "WM_NAME", "_NET_WM_PID", check=False)
            names = re.findall(r'^(?:_NET_WM_NAME|WM_NAME)\([^)]*\) = "(.*)"$', out, re.M)
            if not names:
                continue
            n = names[0]
            if exact is not None and n != exact:
                continue
            if prefix is not None and not n.startswith(prefix):
                continue
            m = re.search(r"^_NET_WM_PID\(CARDINAL\) = (\d+)", out, re.M)
            if pid is not None and (not m or int(m.group(1)) != pid):
                continue
            res.append(w)
        return res

    def active_window(self):
        m = re.search(r"# (0x[0-9a-f]+)", self.run("xprop", "-root", "_NET_ACTIVE_WINDOW", check=False))
        return int(m.group(1), 16) if m else None

    def focus_window(self):
        out = self.run("xdotool", "getwindowfocus", check=False).strip()
        return int(out) if out.isdigit() else None

    # -- input
    def key(self, *keys, delay=60):
        self.run("xdotool", "key", "--delay", str(delay), *keys)

    def type(self, text, delay=40):
        self.run("xdotool", "type", "--delay", str(delay), text)

    def click(self, x, y, button=1):
        # No --sync: it waits forever when the pointer is already there.
        self.run("xdotool", "mousemove", str(x), str(y))
        wait_until(lambda: self.pointer() == (x, y), 5, 0.03, what="the pointer to move")
        self.run("xdotool", "click", str(button))

    def pointer(self):
        out = self.run("xdotool", "getmouselocation", "--shell")
        v = dict(line.split("=", 1) for line in out.split() if "=" in line)
        return int(v["X"]), int(v["Y"])

    def activate(self, win):
        self.run("xdotool", "windowactivate", "--sync", str(win), check=False)

    # -- pixels
    def screenshot(self, path):
        self.run("import", "-window", "root", str(path))

    def pixels(self):
        """Root window as (width, height, rgb bytes) from a PPM dump."""
        data = subprocess.run(["import", "-window", "root", "-depth", "8", "ppm:-"], env=self.env,
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, check=True,
                              timeout=20 * SCALE).stdout
        # P6\n<w> <h>\n<max>\n<data>
        parts = data.split(b"\n", 3)
        w, h = (int(v) for v in parts[1].split())
        return w, h, parts[3]

    def region_mean(self, x, y, w, h, pix=None):
        sw, sh, data = pix or self.pixels()
        tot = [0, 0, 0]
        n = 0
        for yy in range(max(0, y), min(sh, y + h)):
            row = (yy * sw) * 3
            for xx in range(max(0, x), min(sw, x + w)):
                i = row + xx * 3
                tot[0] += data[i]
                tot[1] += data[i + 1]
                tot[2] += data[i + 2]
                n += 1
        return tuple(t / n for t in tot) if n else (0, 0, 0)

    def count_color(self, x, y, w, h, pred, pix=None):
        sw, sh, data = pix or self.pixels()
        n = 0
        for yy in range(max(0, y), min(sh, y + h)):
            row = (yy * sw) * 3
            for xx in range(max(0, x), min(sw, x + w)):
                i = row + xx * 3
                if pred(data[i], data[i + 1], data[i + 2]):
                    n += 1
        return n


def is_selection_blue(r, g, b):
    # The selected row is painted in the style's highlight blue.
    return b > 150 and r < 110 and b - r > 80


def is_alarm_red(r, g, b):
    return r > 150 and g < 110 and b < 110


# ---------------------------------------------------------------- processes

class Proc:
    """A started helper process that is ended by its own pid at cleanup."""

    def __init__(self, name, popen, log=None):
        self.name, self.popen, self.log = name, popen, log

    @property
    def pid(self):
        return self.popen.pid

    def alive(self):
        return self.popen.poll() is None

    def stop(self, sig=signal.SIGTERM, grace=5):
        if self.popen.poll() is not None:
            return
        try:
            self.popen.send_signal(sig)
            self.popen.wait(timeout=grace * SCALE)
        except (subprocess.TimeoutExpired, ProcessLookupError):
            pass
        if self.popen.poll() is None:
            try:
                self.popen.kill()
            except ProcessLookupError:
                pass
            try:
                self.popen.wait(timeout=10)
            except subprocess.TimeoutExpired:
                pass


class App(Proc):
    """The talvo process under test."""

    def __init__(self, session, popen, stderr_path):
        super().__init__("talvo", popen, stderr_path)
        self.session = session
        self.x = session.x

    def stderr(self):
        try:
            return Path(self.log).read_text(errors="replace")
        except OSError:
            return ""

    def main_windows(self, visible_only=True):
        return self.x.windows_named(prefix="Talvo - ", pid=self.pid, visible_only=visible_only)

    def wait_main_window(self, timeout=20, visible=True):
        def find():
            if not self.alive():
                raise AssertionError("talvo ended (status %s) before its window appeared; stderr:\n%s"
                                     % (self.popen.returncode, self.stderr()[-2000:]))
            ws = self.main_windows(visible_only=visible)
            return ws[0] if ws else None
        try:
            return wait_until(find, timeout, what="the main window")
        except AssertionError as e:
            # Tell "never created" from "created but never mapped".
            hidden = self.main_windows(visible_only=False)
            if hidden and self.alive():
                raise AssertionError("%s: talvo created %r but never mapped it (WM_STATE %s)"
                                     % (e, self.x.name(hidden[0]), self.x.wm_state(hidden[0])))
            raise

    def main_window(self):
        """The main window whether mapped or not."""
        return self.wait_main_window(visible=False)

    def title(self):
        return self.x.name(self.main_window())

    def windows(self):
        """Visible top-level windows of this process: [(id, title)]."""
        out = self.x.run("xdotool", "search", "--onlyvisible", "--pid", str(self.pid), check=False)
        res = []
        for w in (int(v) for v in out.split()):
            n = self.x.name(w)
            if n:
                res.append((w, n))
        return res

    def wait_other_window(self, timeout=15):
        """A window of this process besides the main window (a dialog)."""
        def find():
            mains = set(self.main_windows())
            others = [w for w in self.windows() if w[0] not in mains]
            return others[0] if others else None
        return wait_until(find, timeout, what="a dialog window")

    def terminate(self):
        self.popen.send_signal(signal.SIGTERM)

    def boxes(self):
        """Visible message boxes (title exactly "Talvo")."""
        return self.x.windows_named(exact="Talvo", pid=self.pid)

    def wait_box(self, timeout=15):
        return wait_until(lambda: (self.boxes() or [None])[0], timeout, what='a message box titled "Talvo"')

    def wait_no_box(self, timeout=10):
        wait_until(lambda: not self.boxes(), timeout, what="the message box to close")

    def wait_exit(self, timeout=15):
        try:
            return self.popen.wait(timeout=timeout * SCALE)
        except subprocess.TimeoutExpired:
            raise AssertionError("talvo still running %.0f s later; stderr tail:\n%s"
                                 % (timeout * SCALE, self.stderr()[-1500:]))

    def wait_ready(self, timeout=20, visible=True):
        """Main window up; a fresh profile's settings store is written at the
        end of start-up, so wait for that too."""
        w = self.wait_main_window(timeout, visible=visible)
        if not self.had_registry:
            wait_until(lambda: self.session.registry.exists(), timeout, what="the settings store")
        time.sleep(0.4)
        return w

    def focus_main(self):
        w = self.wait_main_window()
        if self.x.focus_window() != w:
            self.x.activate(w)
        return w

    def client_point(self, cx, cy):
        g = self.x.geometry(self.main_window())
        return g["x"] + cx, g["y"] + cy

    # Layout of the main window: the list's first row is 59 px below the
    # client area's top, rows are 18 px high; the "Tid" column begins ~60 px in.
    ROW0_Y, ROW_H, ROW_X = 59, 18, 120

    def row_point(self, index):
        return self.client_point(self.ROW_X, self.ROW0_Y + index * self.ROW_H)

    def click_row(self, index):
        x, y = self.row_point(index)
        self.x.click(x, y)

    def selected_rows(self, count):
        """Rows painted in the selection colour (read from the screen)."""
        pix = self.x.pixels()
        g = self.x.geometry(self.main_window())
        res = []
        for i in range(count):
            y = g["y"] + self.ROW0_Y + i * self.ROW_H - 6
            n = self.x.count_color(g["x"] + 70, y, 120, 12, is_selection_blue, pix)
            if n > 200:
                res.append(i)
        return res

    def tray_icons(self):
        return self.session.tray_icons()

    def tray_icon(self, timeout=15):
        return wait_until(lambda: (self.tray_icons() or [None])[0], timeout, what="talvo's tray icon")

    def click_tray(self, button=1):
        icon = self.tray_icon()
        self.x.click(icon[1] + icon[3] // 2, icon[2] + icon[4] // 2, button)

    def tray_is_red(self, pix=None):
        icons = self.tray_icons()
        return bool(icons) and self.session.tray_redness(icons[0], pix) > 20

    def hide(self):
        """Esc: into the tray (unmapped) when there is one."""
        self.focus_main()
        self.x.key("Escape")
        wait_until(lambda: not self.main_windows(), 10, what="the window to hide")

    def iconify(self):
        """Esc without a tray: the window is iconified."""
        w = self.focus_main()
        self.x.key("Escape")
        wait_until(lambda: self.x.wm_state(w) == "Iconic", 10, what="the window to be iconified")
        return w

    def click_message_edit(self):
        """A person clicks into the "Meddelande:" edit of the panel."""
        x, y = self.client_point(360, 329)
        self.x.click(x, y)
        time.sleep(0.2)

    def add_reminder(self, text):
        """F2 (new), the text, Enter: adds at the panel's date and time."""
        self.focus_main()
        self.x.key("F2")
        time.sleep(0.2)
        self.x.type(text)
        self.x.key("Return")
        time.sleep(0.2)

    def save(self, path=None):
        path = Path(path or self.session.data_file)
        before = path.stat().st_mtime_ns if path.exists() else None
        self.focus_main()
        self.x.key("ctrl+s")
        wait_until(lambda: path.exists() and path.stat().st_mtime_ns != before, 15, what="the list to be saved")
        time.sleep(0.1)

    def answer_quit(self, answer):
        """The quit box: Ja / Nej / Avbryt, default Avbryt; Tab wraps to Ja."""
        box = self.wait_box()
        if self.x.focus_window() != box:
            self.x.activate(box)
        keys = {"Ja": ["Tab", "Return"], "Nej": ["Tab", "Tab", "Return"],
                "Avbryt": ["Return"], "Esc": ["Escape"]}[answer]
        self.x.key(*keys)

    def change_settings(self, *keys):
        """Ctrl+I, the keys in the settings dialog, then OK (Return); waits
        until the dialog has closed."""
        self.focus_main()
        self.x.key("ctrl+i")
        dialog = self.wait_other_window()
        if self.x.focus_window() != dialog[0]:
            self.x.activate(dialog[0])
        time.sleep(0.3)
        for k in keys:
            self.x.key(k)
            time.sleep(0.2)
        self.x.key("Return")
        wait_until(lambda: dialog[0] not in [w for w, _ in self.windows()], 10, what="the settings dialog to close")

    def open_quit_box(self):
        """Arkiv -> Avsluta through the menu mnemonics."""
        self.focus_main()
        self.x.key("alt+a")
        time.sleep(0.3)
        self.x.key("a")
        return self.wait_box()


BUS_CONFIG = """<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <keep_umask/>
  <listen>unix:path=%s</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
"""


class Session:
    """One private desktop and profile for one scenario."""

    def __init__(self, test, tray=False, dbus=True, notifications=False, user=None,
                 tz="Europe/Stockholm", lang="C.UTF-8"):
        self.test = test
        self.procs = []
        self.tz, self.lang = tz, lang
        self.user = user  # (uid, gid) or None
        self.root = Path(tempfile.mkdtemp(prefix="talvo-e2e-"))
        os.chmod(self.root, 0o755)
        self.home = self.root / "home"
        self.config = self.home / ".config"
        self.data = self.home / ".local" / "share"
        self.runtime = self.root / "run"
        for d in (self.home, self.config, self.data, self.runtime):
            d.mkdir(parents=True, exist_ok=True)
        os.chmod(self.runtime, 0o700)
        self.logs = self.root / "logs"
        self.logs.mkdir()
        self.chown_profile()
        self.bus = None
        test.addCleanup(self.close)
        self.display = self._start_xvfb()
        self.x = X(self.display, self.base_env())
        self._start_wm()
        if tray:
            self.start_tray()
        if dbus or notifications:
            self._start_bus()
        if notifications:
            self.start_notifications()

    # -- profile paths
    @property
    def data_file(self):
        return self.data / "Talvo" / "talvo.tlv"

    @property
    def registry(self):
        return self.config / "Talvo" / "registry.reg"

    def settings(self, **values):
        v = dict(QUIET_SETTINGS)
        v.update(values)
        write_registry(self.registry, v)

    def chown_profile(self):
        if self.user and os.geteuid() == 0:
            for dirpath, dirnames, filenames in os.walk(self.root):
                for n in [dirpath] + [os.path.join(dirpath, f) for f in dirnames + filenames]:
                    os.lchown(n, *self.user)

    def base_env(self):
        env = {
            "PATH": os.environ.get("PATH", "/usr/local/bin:/usr/bin:/bin"),
            "HOME": str(self.home),
            "XDG_CONFIG_HOME": str(self.config),
            "XDG_DATA_HOME": str(self.data),
            "XDG_RUNTIME_DIR": str(self.runtime),
            "XDG_CACHE_HOME": str(self.home / ".cache"),
            "TZ": self.tz,
            "LANG": self.lang,
            "LANGUAGE": "sv",
            "NO_AT_BRIDGE": "1",
            "QT_ACCESSIBILITY": "0",
        }
        # A sanitizer build keeps the options its test run was given.
        for name in ("ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"):
            if name in os.environ:
                env[name] = os.environ[name]
        if getattr(self, "display", None):
            env["DISPLAY"] = self.display
        # Without a bus address libdbus would autolaunch a bus we do not own.
        env["DBUS_SESSION_BUS_ADDRESS"] = self.bus or "unix:path=%s/no-bus" % self.runtime
        return env

    def _spawn(self, name, args, env=None, as_user=False, stdout=None):
        log = open(self.logs / (name + ".log"), "ab")
        if as_user and self.user and os.geteuid() == 0:
            args = ["setpriv", "--reuid=%d" % self.user[0], "--regid=%d" % self.user[1],
                    "--clear-groups", "--"] + list(args)
        p = subprocess.Popen(args, env=env or self.base_env(), stdin=subprocess.DEVNULL,
                             stdout=stdout or log, stderr=log, start_new_session=True)
        log.close()
        proc = Proc(name, p, self.logs / (name + ".log"))
        self.procs.append(proc)
        self._note_pid(name, p.pid)
        return proc

    def _note_pid(self, name, pid):
        # Lets a signal's sender (see E2E_SIGNAL_TRACE) be named afterwards.
        with open(self.logs / "pids.txt", "a") as f:
            f.write("%d %s\n" % (pid, name))

    def _start_xvfb(self):
        r, w = os.pipe()
        log = open(self.root / "logs" / "xvfb.log", "ab")
        p = subprocess.Popen(["Xvfb", "-displayfd", str(w), "-screen", "0", "%dx%dx24" % (SCREEN_W, SCREEN_H),
                              "-nolisten", "tcp", "-noreset", "+extension", "XTEST"],
                             pass_fds=(w,), stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                             start_new_session=True)
        log.close()
        os.close(w)
        self.procs.append(Proc("Xvfb", p))
        self._note_pid("Xvfb", p.pid)
        buf = b""
        end = deadline(20)
        while not buf.endswith(b"\n"):
            left = end - time.monotonic()
            if left <= 0 or p.poll() is not None:
                os.close(r)
                raise AssertionError("Xvfb did not start: " + (self.logs / "xvfb.log").read_text(errors="replace"))
            ready, _, _ = select.select([r], [], [], left)
            if ready:
                chunk = os.read(r, 64)
                if not chunk:
                    break
                buf += chunk
        os.close(r)
        return ":" + buf.decode().strip()

    def _start_wm(self):
        self._spawn("openbox", ["openbox", "--sm-disable"])
        wait_until(lambda: "window id" in self.x.run("xprop", "-root", "_NET_SUPPORTING_WM_CHECK", check=False),
                   20, what="openbox")

    def start_tray(self):
        self.tray = self._spawn("trayer", ["trayer", "--edge", "top", "--align", "right", "--widthtype", "pixel",
                                           "--width", "200", "--height", "24", "--transparent", "false",
                                           "--SetDockType", "true"])
        wait_until(self.tray_panel, 20, what="trayer's panel")
        time.sleep(0.3)
        return self.tray

    def tray_panel(self):
        for w in self.x.tree():
            if w[1] == "panel" and w[5] == 200:
                return w
        return None

    def tray_icons(self):
        """Windows of talvo embedded in trayer, as (id, x, y, w, h)."""
        panel = self.tray_panel()
        if not panel:
            return []
        res = []
        for w in self.x.tree(panel[0]):
            if w[1] is not None and "talvo" in w[1].lower() and w[5] > 4 and w[6] > 4:
                res.append((w[0], w[3], w[4], w[5], w[6]))
        return res

    def tray_redness(self, icon, pix=None):
        _, x, y, w, h = icon
        return self.x.count_color(x, y, w, h, is_alarm_red, pix)

    def _start_bus(self):
        env = self.base_env()
        # A bus without service files: nothing is activated behind our back
        # (dunst would otherwise start on the first notification).
        conf = self.root / "bus.conf"
        conf.write_text(BUS_CONFIG % (self.runtime / "bus"))
        os.chmod(conf, 0o644)
        p = self._spawn("dbus-daemon", ["dbus-daemon", "--config-file=%s" % conf, "--nofork", "--nopidfile",
                                        "--print-address=1"],
                        env=env, as_user=True, stdout=subprocess.PIPE)
        line = b""
        end = deadline(15)
        fd = p.popen.stdout.fileno()
        while not line.endswith(b"\n") and time.monotonic() < end:
            ready, _, _ = select.select([fd], [], [], 0.2)
            if ready:
                chunk = os.read(fd, 256)
                if not chunk:
                    break
                line += chunk
        if not line.strip():
            raise AssertionError("dbus-daemon did not start")
        self.bus = line.decode().strip()
        self.x.env["DBUS_SESSION_BUS_ADDRESS"] = self.bus

    def bus_has(self, name):
        out = subprocess.run(["dbus-send", "--bus=" + self.bus, "--print-reply", "--dest=org.freedesktop.DBus",
                              "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner", "string:" + name],
                             stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True, env=self.base_env())
        return "boolean true" in out.stdout

    def start_notifications(self):
        need_tools("dunst", "dbus-monitor", "dbus-send")
        conf = self.root / "dunstrc"
        # Markup on, as in Debian's own dunstrc: the server then announces body-markup.
        conf.write_text("[global]\n    follow = none\n    width = 300\n    origin = top-left\n    markup = full\n"
                        "    offset = 10x40\n    mouse_left_click = do_action, close_current\n"
                        "[urgency_low]\n    timeout = 0\n[urgency_normal]\n    timeout = 0\n"
                        "[urgency_critical]\n    timeout = 0\n")
        self.monitor_log = self.logs / "dbus-monitor.log"
        # Replies carry no interface: watch them too, for the ids.
        with open(self.monitor_log, "wb") as out:
            self._spawn("dbus-monitor", ["dbus-monitor", "--address", self.bus,
                                         "interface='org.freedesktop.Notifications'",
                                         "type='method_return'", "type='error'"], stdout=out)
        wait_until(lambda: "NameLost" in self.monitor_log.read_text(errors="replace"), 15, what="dbus-monitor")
        self._spawn("dunst", ["dunst", "-config", str(conf)])
        wait_until(lambda: self.bus_has("org.freedesktop.Notifications"), 15, what="dunst on the bus")

    def notification_calls(self):
        return parse_dbus_monitor(self.monitor_log.read_text(errors="replace"))

    def user_binary(self, binary):
        """The program as the unprivileged user can run it: a build tree under
        a private home is out of its reach, so copy the program's folder."""
        if can_read_binary_as(self.user, binary):
            return binary
        prog = self.root / "prog"
        if not prog.exists():
            prog.mkdir()
            for f in binary.parent.iterdir():
                if f.is_file():
                    shutil.copy2(f, prog / f.name)
            for dirpath, dirnames, filenames in os.walk(prog):
                for n in [dirpath] + [os.path.join(dirpath, f) for f in filenames]:
                    os.chmod(n, 0o755)
        return prog / binary.name

    def start_talvo(self, args=(), fake_now=None, env=None, cwd=None, as_user=True):
        binary = talvo_binary()
        if self.user and as_user and os.geteuid() == 0:
            binary = self.user_binary(binary)
        e = self.base_env()
        e["TALVO_TRACE"] = "1"
        if fake_now:
            lib = faketime_lib()
            if not lib:
                raise unittest.SkipTest("libfaketime not installed")
            e["LD_PRELOAD"] = lib
            # "@" lets the clock run on from the given instant; real
            # monotonic time keeps Qt's timers honest.
            e["FAKETIME"] = "@" + fake_now
            e["FAKETIME_DONT_FAKE_MONOTONIC"] = "1"
        if env:
            e.update(env)
        if self.user and as_user:
            self.chown_profile()
        n = sum(1 for p in self.procs if p.name == "talvo")
        err = self.logs / ("talvo-%d.stderr" % n)
        cmd = [str(binary)] + list(args)
        if self.user and as_user and os.geteuid() == 0:
            cmd = ["setpriv", "--reuid=%d" % self.user[0], "--regid=%d" % self.user[1],
                   "--clear-groups", "--"] + cmd
        had_registry = self.registry.exists()
        with open(err, "wb") as f:
            p = subprocess.Popen(cmd, env=e, cwd=cwd or str(self.home), stdin=subprocess.DEVNULL,
                                 stdout=f, stderr=subprocess.STDOUT, start_new_session=True)
        app = App(self, p, err)
        app.had_registry = had_registry
        self.procs.append(app)
        self._note_pid("talvo", p.pid)
        if os.environ.get("E2E_SIGNAL_TRACE") and shutil.which("strace"):
            # Who sent a signal (si_pid) when talvo ends unexpectedly.
            self._spawn("strace-%d" % n, ["strace", "-qq", "-f", "-e", "trace=execve,kill,tgkill,tkill",
                                          "-e", "signal=all", "-p", str(p.pid),
                                          "-o", str(self.logs / ("talvo-%d.signals" % n))])
        return app

    def keymap(self, layout):
        self.x.run("setxkbmap", "-display", self.display, layout)

    def save_artifacts(self):
        try:
            d = shots_dir() / self.test.id().replace("__main__.", "")
            d.mkdir(parents=True, exist_ok=True)
            for f in self.logs.iterdir():
                shutil.copy(f, d / f.name)
            self.x.screenshot(d / "final.png")
        except Exception:
            pass

    def shot(self, name):
        p = shots_dir() / ("%s.png" % name)
        self.x.screenshot(p)
        return p

    def close(self):
        self.save_artifacts()
        # talvo first (it may still save), then the desktop in reverse order.
        for p in [p for p in self.procs if isinstance(p, App)]:
            p.stop(grace=5)
        for p in reversed([p for p in self.procs if not isinstance(p, App)]):
            p.stop(grace=3)
        for p in self.procs:
            if p.popen.stdout:
                p.popen.stdout.close()
        # Permission scenarios leave read-only folders behind.
        for dirpath, dirnames, filenames in os.walk(self.root):
            try:
                os.chmod(dirpath, 0o755)
            except OSError:
                pass
        shutil.rmtree(self.root, ignore_errors=True)


def parse_dbus_monitor(text):
    """[(kind, member, serial, reply_serial, [args])] from dbus-monitor's text."""
    msgs = []
    cur = None
    lines = []
    # A string argument may span lines; join them back first.
    for line in text.splitlines():
        if lines and lines[-1].lstrip().startswith('string "') and not _closed(lines[-1]):
            lines[-1] += "\n" + line
        else:
            lines.append(line)
    for line in lines:
        if line and not line[0].isspace():
            m = re.match(r"^(method call|method return|signal|error)\b(.*)$", line)
            if not m:
                continue
            rest = m.group(2)
            member = re.search(r"member=(\w+)", rest)
            serial = re.search(r"\bserial=(\d+)", rest)
            reply = re.search(r"reply_serial=(\d+)", rest)
            cur = [m.group(1), member.group(1) if member else None,
                   int(serial.group(1)) if serial else None, int(reply.group(1)) if reply else None, []]
            msgs.append(cur)
        elif cur is not None:
            s = line.strip()
            mm = re.match(r'^(string|uint32|int32|boolean|byte) "?(.*?)"?$', s, re.S)
            if mm:
                cur[4].append((mm.group(1), mm.group(2)))
            else:
                cur[4].append(("raw", s))
    return [tuple(m) for m in msgs]


def _closed(line):
    body = line.lstrip()[len('string "'):]
    return body.endswith('"')


def notify_calls(msgs):
    """Notify calls with their returned id: dicts with app, replaces, summary, body, id."""
    by_serial = {m[3]: m for m in msgs if m[0] == "method return"}
    out = []
    for m in msgs:
        if m[0] == "method call" and m[1] == "Notify":
            args = [a for a in m[4] if a[0] in ("string", "uint32", "int32")]
            # app_name, replaces_id, icon, summary, body, ..., timeout
            d = {"app": args[0][1], "replaces": int(args[1][1]), "summary": args[3][1], "body": args[4][1]}
            r = by_serial.get(m[2])
            d["id"] = int(r[4][0][1]) if r and r[4] and r[4][0][0] == "uint32" else None
            out.append(d)
    return out


class E2ETest(unittest.TestCase):
    """Base class: makes sessions and keeps a screenshot of each step on demand."""

    def session(self, **kw):
        need_tools("Xvfb", "openbox", "xdotool", "xprop", "xwininfo", "import")
        if kw.get("tray"):
            need_tools("trayer")
        if kw.get("dbus", True) or kw.get("notifications"):
            need_tools("dbus-daemon")
        self.s = Session(self, **kw)
        return self.s

    def user_session(self, **kw):
        """A session whose talvo runs as a user that file permissions bind."""
        if not shutil.which("setpriv") and os.geteuid() == 0:
            self.skipTest("setpriv missing: cannot drop root for a permission scenario")
        u = unprivileged_user()
        if u is None:
            self.skipTest("no unprivileged user available (root ignores file permissions)")
        kw["user"] = u if os.geteuid() == 0 else None
        return self.session(**kw)

    def start(self, s=None, args=(), **kw):
        """Starts talvo and waits until it is up."""
        s = s or self.s
        app = s.start_talvo(args, **kw)
        app.wait_ready()
        return app

    def now_stored(self, offset=0):
        return stored_from_utc(time.time() + offset, self.s.tz)
