"""talvo.exe under Wine on the same private desktop: a first start on an
empty profile, a typed reminder, the alarm, Ctrl+S, the settings in Wine's
registry; the list it writes equals byte for byte what the Linux build writes
for the same keys, and each opens the other's file; the installer installs
and uninstalls within the user's profile. Skipped when there is no Windows
build (scripts/build-windows.sh) or no wine64."""

import os
import re
import shutil
import subprocess
import time
import unittest
from pathlib import Path

import harness as h

ROOT = Path(__file__).resolve().parents[2]
WIN_BUILD = Path(os.environ.get("TALVO_WIN_BUILD", ROOT / "build-win"))
WINE = shutil.which("wine64") or ("/usr/lib/wine/wine64" if os.path.exists("/usr/lib/wine/wine64") else None)
WINESERVER = shutil.which("wineserver") or "/usr/lib/wine/wineserver"
TITLE = "Talvo - talvo.tlv"


def win_binary():
    exe = WIN_BUILD / "mainwnd" / "talvo.exe"
    if not exe.exists() or not WINE:
        raise unittest.SkipTest("no Windows build or no wine64 (scripts/build-windows.sh)")
    return exe


class Wine:
    """A fresh Wine prefix inside the session, its server kept up while used."""

    def __init__(self, session):
        self.s = session
        self.prefix = session.root / "wine"
        self.prefix.mkdir()
        self.env = session.base_env()
        self.env.update({
            "WINEPREFIX": str(self.prefix), "WINEDEBUG": "-all", "WINEDLLOVERRIDES": "mscoree,mshtml=",
            # The Windows C runtime reads a POSIX TZ such as "UTC", not a zone
            # name; both builds run in UTC here.
            "TZ": "UTC", "LANG": "sv_SE.UTF-8", "LC_ALL": "sv_SE.UTF-8",
            "PATH": "/usr/lib/wine:" + self.env["PATH"]})
        subprocess.run([WINESERVER, "-p"], env=self.env, check=True, timeout=60 * h.SCALE)
        session.test.addCleanup(self.close)
        self.run("cmd", "/c", "exit")

    def run(self, *args, timeout=120):
        """Runs a Windows program to its end. Its output goes to a file: Wine's
        services inherit the handles and would hold a pipe open."""
        with open(self.s.logs / "wine.log", "ab") as log:
            return subprocess.run([WINE] + list(args), env=self.env, stdin=subprocess.DEVNULL, stdout=log,
                                  stderr=subprocess.STDOUT, timeout=timeout * h.SCALE)

    def start(self, exe, *args):
        log = open(self.s.logs / "talvo-exe.log", "ab")
        p = subprocess.Popen([WINE, str(exe)] + list(args), env=self.env, stdin=subprocess.DEVNULL,
                             stdout=log, stderr=subprocess.STDOUT, start_new_session=True)
        self.s.procs.append(h.Proc("talvo.exe", p))
        return p

    def profile(self):
        users = self.prefix / "drive_c" / "users"
        return next(p for p in users.iterdir() if p.name != "Public")

    def appdata(self):
        return self.profile() / "AppData" / "Roaming"

    def redirect_appdata(self, user):
        """Points the user's AppData at C:\\users\\<user>\\AppData\\Roaming, as a
        redirected profile does (Wine 8 takes the profile folder's name from
        the Unix user, not from WINEUSERNAME); returns that folder."""
        folder = self.prefix / "drive_c" / "users" / user / "AppData" / "Roaming"
        folder.mkdir(parents=True)
        r = self.run("reg", "add", r"HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders",
                     "/v", "AppData", "/t", "REG_EXPAND_SZ", "/d", self.windows_path(folder), "/f")
        assert r.returncode == 0, "reg add of AppData"
        return folder

    def registry_values(self, key):
        """Values of an HKCU key as `reg query` lists them ({name: (type, data)}),
        or None when the key is missing."""
        out = self.s.logs / "reg-query.txt"
        with open(out, "wb") as f:
            r = subprocess.run([WINE, "reg", "query", "HKCU\\" + key], env=self.env, stdin=subprocess.DEVNULL,
                               stdout=f, stderr=subprocess.STDOUT, timeout=60 * h.SCALE)
        if r.returncode != 0:
            return None
        text = out.read_bytes().decode("utf-8", errors="replace")
        return {m.group(1): (m.group(2), m.group(3).strip())
                for m in re.finditer(r"^\s+(\S+)\s+(REG_\w+)\s*(.*)$", text, re.M)}

    def registry_string(self, key, name):
        """A text value of an HKCU key, or None. `reg query` prints in the
        OEM code page, which has no "☃"; `reg export` writes UTF-16."""
        out = self.s.logs / "reg-export.reg"
        r = self.run("reg", "export", "HKCU\\" + key, self.windows_path(out), "/y")
        if r.returncode != 0:
            return None
        text = out.read_bytes().decode("utf-16")
        m = re.search(r'^"%s"="((?:[^"\\]|\\.)*)"\r?$' % re.escape(name), text, re.M)
        return re.sub(r"\\(.)", r"\1", m.group(1)) if m else None

    def windows_path(self, path):
        """The path as a Windows program names it: C: is the prefix's drive_c,
        Z: the whole Linux file system."""
        path = Path(path)
        drive_c = self.prefix / "drive_c"
        if drive_c in path.parents:
            return "C:\\" + str(path.relative_to(drive_c)).replace("/", "\\")
        return "Z:" + str(path).replace("/", "\\")

    def close(self):
        subprocess.run([WINESERVER, "-k"], env=self.env, timeout=60 * h.SCALE, check=False)


class WindowsProgram(h.E2ETest):

    def fresh_wine(self):
        """A private desktop in UTC with a fresh Wine prefix; returns the
        session, the prefix and talvo.exe's path."""
        exe = win_binary()
        s = self.session(tz="UTC", dbus=False)
        return s, Wine(s), exe

    def wait_window(self, s, title=TITLE, timeout=60):
        return h.wait_until(lambda: (s.x.windows_named(exact=title) or [None])[0], timeout,
                            what="the window %r" % title)

    def red_in(self, s, win):
        g = s.x.geometry(win)
        return s.x.count_color(g["x"], g["y"], g["w"], g["h"], h.is_alarm_red)

    def quit_with_ja(self, s, win, proc):
        s.x.activate(win)
        s.x.key("alt+F4")
        box = self.wait_window(s, "Talvo", 20)
        s.x.activate(box)
        # Avbryt is the default button; Tab wraps to Ja.
        s.x.key("Tab", "Return")
        h.wait_until(lambda: proc.poll() is not None, 30, what="talvo.exe to end")

    def change_first_due(self, s, win, text):
        """F7 selects the first due message and shows it in the panel; Alt+M
        selects the message text, which is typed over; Return changes the
        message ("Ändra"), keeping its date and time."""
        s.x.activate(win)
        s.x.key("F7")
        time.sleep(0.3)
        s.x.key("alt+m")
        time.sleep(0.2)
        s.x.type(text)
        s.x.key("Return")
        time.sleep(0.3)

    def save_and_wait(self, s, win, path):
        before = path.stat().st_mtime_ns if path.exists() else None
        s.x.activate(win)
        s.x.key("ctrl+s")
        h.wait_until(lambda: path.exists() and path.stat().st_mtime_ns != before, 20, what="the list saved")
        time.sleep(0.2)

    def test_first_start_alarm_save_and_the_same_bytes_as_linux(self):
        s, wine, exe = self.fresh_wine()

        # An empty profile: the default list in %APPDATA%\Talvo.
        proc = wine.start(exe)
        win = self.wait_window(s)
        data_file = wine.appdata() / "Talvo" / "talvo.tlv"
        self.assertFalse(data_file.exists())
        self.assertEqual(self.red_in(s, win), 0, "nothing due yet")

        s.x.activate(win)
        s.x.key("F2")
        time.sleep(0.2)
        s.x.type("Handla mjolk")
        s.x.key("Return")
        # The new message is due at once: the bell in its row.
        h.wait_until(lambda: self.red_in(s, win) > 20, 30, what="the alarm's red bell in the list")
        s.shot("windows-alarm")
        self.save_and_wait(s, win, data_file)
        self.assertEqual(h.texts_in(data_file), ["Handla mjolk"])
        first = data_file.read_bytes()
        first_copy = s.root / "first.tlv"
        first_copy.write_bytes(first)

        self.change_first_due(s, win, "Ring Asa")
        self.save_and_wait(s, win, data_file)
        windows_bytes = data_file.read_bytes()
        self.assertEqual(h.texts_in(data_file), ["Ring Asa"])
        self.assertEqual(h.read_tlv(data_file)[1][0][1], h.read_tlv(first_copy)[1][0][1], "time kept")
        self.quit_with_ja(s, win, proc)

        settings = wine.registry_values(r"Software\Lindqvarn\Talvo\Settings")
        self.assertIsNotNone(settings, "the settings in HKEY_CURRENT_USER")
        self.assertEqual(settings.get("LastFile"), ("REG_SZ", wine.windows_path(data_file)))
        self.assertNotIn("RemindTime", settings, "a default nobody changed is not written")

        # The Linux build, given the first list, does the same.
        linux_file = s.root / "linux.tlv"
        linux_file.write_bytes(first)
        app = s.start_talvo([str(linux_file)])
        app.wait_ready()
        lwin = app.main_window()
        self.change_first_due(s, lwin, "Ring Asa")
        self.save_and_wait(s, lwin, linux_file)
        self.assertEqual(linux_file.read_bytes(), windows_bytes, "the same bytes from both builds")
        app.terminate()
        app.wait_exit()

        # And the Windows build opens and saves the Linux list unchanged.
        proc = wine.start(exe, wine.windows_path(linux_file))
        win = self.wait_window(s, "Talvo - linux.tlv")
        self.save_and_wait(s, win, linux_file)
        self.assertEqual(linux_file.read_bytes(), windows_bytes)
        self.quit_with_ja(s, win, proc)

    def start_and_wait_main(self, s, wine, exe, title, *args):
        """Starts talvo.exe and waits for its main window; a message box
        ("Det gick inte att läsa filen") coming up first fails the test."""
        proc = wine.start(exe, *args)

        def up():
            if s.x.windows_named(exact="Talvo"):
                return "box"
            return s.x.windows_named(exact=title) and "main"

        self.assertEqual(h.wait_until(up, 60, what="the window %r" % title), "main",
                         "a message box came up at start: the list was not read")
        return proc, self.wait_window(s, title)

    def add_save_and_quit(self, s, wine, exe, data_file, title, text, *args):
        """A start on data_file: a reminder typed and saved with real keys,
        then quit. The start reads the list without a box and sets nothing
        aside; returns the texts saved."""
        proc, win = self.start_and_wait_main(s, wine, exe, title, *args)
        s.x.activate(win)
        s.x.key("F2")
        time.sleep(0.2)
        s.x.type(text)
        s.x.key("Return")
        time.sleep(0.3)
        self.save_and_wait(s, win, data_file)
        texts = h.texts_in(data_file)
        self.quit_with_ja(s, win, proc)
        self.assertEqual(sorted(p.name for p in data_file.parent.glob("*.unreadable-*")), [], "nothing set aside")
        return texts

    def test_lists_under_swedish_folder_and_file_names_are_read_again(self):
        # The profile is "C:\users\Björn Åsa": the default list is
        # %APPDATA%\Talvo\talvo.tlv under it.
        s, wine, exe = self.fresh_wine()
        data_file = wine.redirect_appdata("Björn Åsa") / "Talvo" / "talvo.tlv"
        self.assertEqual(self.add_save_and_quit(s, wine, exe, data_file, TITLE, "Forsta start"), ["Forsta start"])
        self.assertEqual(wine.registry_string(r"Software\Lindqvarn\Talvo\Settings", "LastFile"),
                         wine.windows_path(data_file))
        # The next start reads the list it named last.
        self.assertCountEqual(self.add_save_and_quit(s, wine, exe, data_file, TITLE, "Andra start"),
                              ["Forsta start", "Andra start"])

        # A list named on the command line, in "Åsa Björk ☃" and named with å, ä, ö.
        folder = data_file.parents[3] / "Åsa Björk ☃"
        folder.mkdir()
        other = folder / "påminnelser ä ö.tlv"
        h.write_tlv(other, [("Fran Linux", 2000000000, 1, 86400, 0)])
        arg = wine.windows_path(other)
        title = "Talvo - " + other.name
        self.assertCountEqual(self.add_save_and_quit(s, wine, exe, other, title, "Fran kommandoraden", arg),
                              ["Fran Linux", "Fran kommandoraden"])
        self.assertCountEqual(self.add_save_and_quit(s, wine, exe, other, title, "Igen", arg),
                              ["Fran Linux", "Fran kommandoraden", "Igen"])
        self.assertEqual(wine.registry_string(r"Software\Lindqvarn\Talvo\Settings", "LastFile"), arg)
        self.assertCountEqual(h.texts_in(data_file), ["Forsta start", "Andra start"], "the default list untouched")

    def test_command_line_options_answer_and_touch_nothing(self):
        s, wine, exe = self.fresh_wine()
        out = s.logs / "talvo-out.txt"

        def run(*args):
            with open(out, "wb") as f:
                r = subprocess.run([WINE, str(exe)] + list(args), env=wine.env, stdin=subprocess.DEVNULL, stdout=f,
                                   stderr=subprocess.STDOUT, timeout=60 * h.SCALE)
            return r.returncode, out.read_bytes().decode("utf-8", errors="replace")

        # Redirected to a file, the text goes there, as from a console.
        self.assertEqual(run("--version"), (0, "Talvo 1.20\n"))
        for flag in ("/?", "--help", "-h"):
            status, text = run(flag)
            self.assertEqual(status, 0, flag)
            self.assertTrue(text.startswith("Användning: talvo [FLAGGA]... [--] [LISTA]\n"), text)
        # A mistyped option: said on the standard error and, with no console
        # to show it, in a box; the status is 2.
        proc = wine.start(exe, "--frobnicate")
        box = self.wait_window(s, "Talvo")
        s.x.activate(box)
        s.x.key("Return")
        self.assertEqual(proc.wait(timeout=30 * h.SCALE), 2)
        self.assertIn('Okänd flagga "--frobnicate"', (s.logs / "talvo-exe.log").read_bytes().decode("utf-8", "replace"))
        self.assertFalse((wine.appdata() / "Talvo" / "talvo.tlv").exists(), "no list was made")
        self.assertIsNone(wine.registry_string(r"Software\Lindqvarn\Talvo\Settings", "LastFile"))

    def test_esc_hides_and_the_hotkey_brings_the_window_back_with_the_keyboard(self):
        s, wine, exe = self.fresh_wine()
        # Ctrl+Alt+T, as the settings dialog stores it: the virtual key and
        # the HOTKEYF_ bits (Ctrl 2, Alt 4), little-endian.
        key = r"HKCU\Software\Lindqvarn\Talvo\Settings"
        for name, data in (("HotKey", "54000000"), ("HotModifier", "06000000")):
            r = wine.run("reg", "add", key, "/v", name, "/t", "REG_BINARY", "/d", data, "/f")
            self.assertEqual(r.returncode, 0)
        proc = wine.start(exe)
        win = self.wait_window(s)
        s.x.activate(win)
        s.x.key("Escape")
        h.wait_until(lambda: not s.x.viewable(win), 20, what="the window hidden in the tray")
        s.x.key("ctrl+alt+t")
        h.wait_until(lambda: s.x.viewable(win), 20, what="the window back after the hotkey")
        s.shot("windows-hotkey")
        # The keyboard works at once: the typed text lands in the message edit.
        s.x.type("Efter snabbkommandot")
        s.x.key("Return")
        s.x.key("ctrl+s")
        data_file = wine.appdata() / "Talvo" / "talvo.tlv"
        h.wait_until(lambda: data_file.exists() and h.texts_in(data_file) == ["Efter snabbkommandot"], 20,
                     what="the typed reminder saved")
        self.quit_with_ja(s, win, proc)

    def test_a_click_on_the_tray_icon_brings_the_hidden_window_back(self):
        s, wine, exe = self.fresh_wine()
        proc = wine.start(exe)
        win = self.wait_window(s)
        # Without a desktop tray Wine shows its own window for the icons.
        tray = self.wait_window(s, "Wine System Tray", 20)
        s.x.activate(win)
        s.x.key("Escape")
        h.wait_until(lambda: not s.x.viewable(win), 20, what="the window hidden in the tray")
        g = s.x.geometry(tray)
        # The icon is the first in the tray window's row.
        s.x.click(g["x"] + 10, g["y"] + g["h"] // 2)
        h.wait_until(lambda: s.x.viewable(win), 20, what="the window back after a click on the tray icon")
        self.quit_with_ja(s, win, proc)

    def test_the_end_of_the_session_saves_without_a_question(self):
        s, wine, exe = self.fresh_wine()
        proc = wine.start(exe)
        win = self.wait_window(s)
        data_file = wine.appdata() / "Talvo" / "talvo.tlv"
        s.x.activate(win)
        s.x.type("Sparas vid utloggning")
        s.x.key("Return")
        time.sleep(0.3)
        self.assertFalse(data_file.exists(), "not saved before the session ends")
        # Wine's end of session: WM_QUERYENDSESSION, then WM_ENDSESSION, to
        # every program's windows, as a logout does.
        wine.run("wineboot", "--end-session", timeout=60)
        h.wait_until(lambda: proc.poll() is not None, 30, what="talvo.exe to end with the session")
        # A question would have held the program up: it ended, and saved.
        self.assertEqual(h.texts_in(data_file), ["Sparas vid utloggning"])

    def test_installer_installs_and_uninstalls_in_the_profile(self):
        win_binary()
        setups = sorted(WIN_BUILD.glob("talvo-*-setup.exe"))
        if not setups:
            self.skipTest("no installer (makensis missing)")
        s = self.session(dbus=False)
        wine = Wine(s)
        r = wine.run(str(setups[-1]), "/S")
        self.assertEqual(r.returncode, 0)
        local = wine.profile() / "AppData" / "Local" / "Programs" / "Talvo"
        for name in ("talvo.exe", "ReadMe.txt", "talvo.wav", "uninstall.exe"):
            self.assertTrue((local / name).exists(), name)
        menu = wine.appdata() / "Microsoft" / "Windows" / "Start Menu" / "Programs" / "Talvo.lnk"
        self.assertTrue(menu.exists(), "the Start menu entry")
        uninstall = wine.registry_values(r"Software\Microsoft\Windows\CurrentVersion\Uninstall\Talvo")
        self.assertIsNotNone(uninstall)
        self.assertEqual(uninstall.get("DisplayName"), ("REG_SZ", "Talvo"))
        # Nothing outside the user's profile.
        self.assertFalse((wine.prefix / "drive_c" / "Program Files" / "Talvo").exists())

        # The installed program starts.
        proc = wine.start(local / "talvo.exe")
        win = self.wait_window(s)
        s.shot("windows-installed")
        self.quit_with_ja(s, win, proc)

        # "_?=" runs the uninstaller in place, so that it can be waited for.
        r = wine.run(str(local / "uninstall.exe"), "/S", "_?=" + wine.windows_path(local))
        self.assertEqual(r.returncode, 0)
        for name in ("talvo.exe", "ReadMe.txt", "talvo.wav"):
            self.assertFalse((local / name).exists(), name)
        self.assertFalse(menu.exists())
        self.assertIsNone(wine.registry_values(r"Software\Microsoft\Windows\CurrentVersion\Uninstall\Talvo"))
        self.assertTrue((wine.appdata() / "Talvo" / "talvo.tlv").exists(), "the user's list stays")


if __name__ == "__main__":
    unittest.main()
