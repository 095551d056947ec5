"""The same list on two computers through Syncthing: two talvo programs, each
with its own profile and desktop, each on its own copy of the list, kept in
step by two Syncthing daemons on 127.0.0.1 (no discovery, relays or NAT)."""

import json
import os
import re
import shutil
import socket
import subprocess
import time
import unittest
import urllib.request
from collections import Counter
from xml.sax.saxutils import escape

import harness as h

FOLDER_ID = "talvo-lista"
DEVICE_RE = re.compile(r"\b[A-Z0-9]{7}(?:-[A-Z0-9]{7}){7}\b")
RELOADED = "The list changed on disk: reloaded."

CONFIG = """<configuration version="36">
    <folder id="{folder_id}" label="Talvo" path="{path}" type="sendreceive" rescanIntervalS="5"
            fsWatcherEnabled="true" fsWatcherDelayS="1" ignorePerms="false" autoNormalize="true">
        <filesystemType>basic</filesystemType>
        <device id="{me}" introducedBy=""></device>
        <device id="{peer}" introducedBy=""></device>
        <versioning></versioning>
        <maxConflicts>10</maxConflicts>
    </folder>
    <device id="{me}" name="{name}" compression="metadata" introducer="false">
        <address>dynamic</address>
    </device>
    <device id="{peer}" name="{peer_name}" compression="metadata" introducer="false">
        <address>tcp://127.0.0.1:{peer_port}</address>
    </device>
    <gui enabled="true" tls="false" debugging="false">
        <address>127.0.0.1:{gui_port}</address>
        <apikey>{apikey}</apikey>
    </gui>
    <options>
        <listenAddress>tcp://127.0.0.1:{port}</listenAddress>
        <globalAnnounceEnabled>false</globalAnnounceEnabled>
        <localAnnounceEnabled>false</localAnnounceEnabled>
        <relaysEnabled>false</relaysEnabled>
        <natEnabled>false</natEnabled>
        <urAccepted>-1</urAccepted>
        <urSeen>3</urSeen>
        <autoUpgradeIntervalH>0</autoUpgradeIntervalH>
        <startBrowser>false</startBrowser>
        <crashReportingEnabled>false</crashReportingEnabled>
        <reconnectionIntervalS>1</reconnectionIntervalS>
    </options>
</configuration>
"""


def free_ports(n):
    socks = []
    try:
        for _ in range(n):
            sock = socket.socket()
            sock.bind(("127.0.0.1", 0))
            socks.append(sock)
        return [sock.getsockname()[1] for sock in socks]
    finally:
        for sock in socks:
            sock.close()


class Side:
    """One computer: a desktop session, a Syncthing home and the synced folder."""

    def __init__(self, test, name):
        self.name = name
        self.s = test.session()
        self.s.settings()
        self.s.save_artifacts = self.save_artifacts
        self.folder = self.s.root / "Synk"
        (self.folder / ".stfolder").mkdir(parents=True)
        self.list = self.folder / "talvo.tlv"
        self.st_home = self.s.root / "syncthing"
        self.apikey = "talvo-e2e-%s-%d" % (name, os.getpid())
        self.daemon = None
        self.app = None
        out = subprocess.run(["syncthing", "generate", "--home=%s" % self.st_home, "--no-default-folder",
                              "--skip-port-probing"], env=self.s.base_env(), stdout=subprocess.PIPE,
                             stderr=subprocess.STDOUT, text=True, timeout=60)
        m = DEVICE_RE.search(out.stdout)
        assert out.returncode == 0 and m, "syncthing generate failed:\n" + out.stdout
        self.device = m.group(0)

    def save_artifacts(self):
        # Both sides' logs, each in its own folder.
        try:
            d = h.shots_dir() / self.s.test.id() / self.name
            d.mkdir(parents=True, exist_ok=True)
            for f in self.s.logs.iterdir():
                shutil.copy(f, d / f.name)
            for f in self.folder.iterdir():
                if f.is_file():
                    shutil.copy(f, d / ("folder-" + f.name))
            self.s.x.screenshot(d / "final.png")
        except Exception:
            pass

    def configure(self, peer, port, peer_port, gui_port):
        self.gui_port = gui_port
        (self.st_home / "config.xml").write_text(CONFIG.format(
            folder_id=FOLDER_ID, path=escape(str(self.folder)), me=self.device, name=self.name,
            peer=peer.device, peer_name=peer.name, peer_port=peer_port, gui_port=gui_port,
            apikey=self.apikey, port=port))

    def start_daemon(self):
        env = self.s.base_env()
        env.update({"STNOUPGRADE": "1", "STNORESTART": "1", "STNODEFAULTFOLDER": "1"})
        self.daemon = self.s._spawn("syncthing", ["syncthing", "serve", "--home=%s" % self.st_home, "--no-browser",
                                                  "--no-restart", "--no-upgrade", "--no-default-folder"], env=env)
        h.wait_until(lambda: self.rest("/rest/system/ping").get("ping") == "pong", 30,
                     interval=0.2, what="syncthing on %s to answer" % self.name)

    def stop_daemon(self):
        self.daemon.stop()
        assert not self.daemon.alive()

    def rest(self, path):
        req = urllib.request.Request("http://127.0.0.1:%d%s" % (self.gui_port, path),
                                     headers={"X-API-Key": self.apikey})
        with urllib.request.urlopen(req, timeout=5) as r:
            return json.loads(r.read().decode())

    def connected_to(self, peer):
        c = self.rest("/rest/system/connections")["connections"].get(peer.device, {})
        return c.get("connected", False)

    def in_step_with(self, peer):
        """Connected, nothing to pull here and nothing the peer still needs."""
        if not self.connected_to(peer):
            return False
        status = self.rest("/rest/db/status?folder=" + FOLDER_ID)
        if status.get("state") != "idle" or status.get("needTotalItems", 1) != 0:
            return False
        done = self.rest("/rest/db/completion?folder=%s&device=%s" % (FOLDER_ID, peer.device))
        return done.get("completion") == 100 and done.get("needItems", 1) == 0 and done.get("needDeletes", 1) == 0

    def conflict_copies(self):
        # Not Syncthing's own temporary files (".syncthing.*.tmp"): a pull cut
        # short by the copy's removal leaves one, which is no conflict copy.
        return sorted(p.name for p in self.folder.iterdir() if p.name.startswith("talvo.sync-conflict-"))

    def texts(self):
        try:
            return Counter(h.texts_in(self.list))
        except (AssertionError, OSError):
            return None  # not there or half written

    def reloads(self):
        return self.app.stderr().count(RELOADED)


class TwoComputers(h.E2ETest):

    def wait_texts(self, side, expected, timeout=30):
        try:
            h.wait_until(lambda: side.texts() == Counter(expected), timeout, interval=0.1,
                         what="%s's list to hold %s" % (side.name, sorted(expected)))
        except AssertionError as e:
            raise AssertionError("%s; it holds %s" % (e, side.texts()))

    def wait_reload(self, side, before, timeout=30):
        h.wait_until(lambda: side.reloads() > before, timeout, interval=0.05,
                     what="%s's talvo to reload the synced list" % side.name)

    def wait_settled(self, a, b, expected, timeout=60):
        """Both daemons done, no conflict copy left and both lists alike (and
        as expected, unless that is None) for two seconds."""
        def settled():
            texts = a.texts()
            return (a.in_step_with(b) and b.in_step_with(a) and not a.conflict_copies() and not b.conflict_copies()
                    and texts is not None and texts == b.texts() and (expected is None or texts == Counter(expected)))
        try:
            h.wait_until(lambda: settled() and h.holds_for(settled, 2, interval=0.25), timeout, interval=0.25,
                         what="both computers to settle")
        except AssertionError as e:
            raise AssertionError("%s\nA: %s %s\nB: %s %s" % (e, a.texts(), a.conflict_copies(),
                                                            b.texts(), b.conflict_copies()))

    def two_computers(self):
        """Both daemons connected, the list on both sides, a talvo on each."""
        # Missing Syncthing fails rather than skips: the test would prove nothing.
        self.assertTrue(shutil.which("syncthing"), "syncthing not installed (scripts/install-deps.sh)")
        a, b = Side(self, "dator-a"), Side(self, "dator-b")
        pa, pb, ga, gb = free_ports(4)
        a.configure(b, pa, pb, ga)
        b.configure(a, pb, pa, gb)
        h.write_tlv(a.list, [("Fanns", self.now_stored(86400), 1, 600, 1),
                             ("Att ändra", self.now_stored(2 * 86400), 1, 600, 0),
                             ("Att ta bort", self.now_stored(3 * 86400), 1, 3600, 0)])
        a.start_daemon()
        b.start_daemon()
        h.wait_until(lambda: a.connected_to(b) and b.connected_to(a), 60, interval=0.2,
                     what="the two syncthing daemons to connect")
        self.wait_texts(b, ["Fanns", "Att ändra", "Att ta bort"], 60)
        a.app = self.start(a.s, [str(a.list)])
        b.app = self.start(b.s, [str(b.list)])
        return a, b

    def quit_both(self, a, b, expected):
        for side in (a, b):
            side.app.terminate()
        for side in (a, b):
            self.assertEqual(side.app.wait_exit(10), 0, side.app.stderr()[-2000:])
        self.wait_settled(a, b, expected)
        self.assertEqual(Counter(h.read_tlv(a.list)[1]), Counter(h.read_tlv(b.list)[1]))

    def test_changes_on_either_computer_reach_the_other(self):
        started = time.monotonic()
        a, b = self.two_computers()
        # A change on A and a delete on B.
        n = b.reloads()
        a.app.click_row(1)
        time.sleep(0.3)
        a.app.click_message_edit()
        a.s.x.key("ctrl+a")
        a.s.x.type("Nu ändrad")
        a.s.x.key("Return")
        a.app.save(a.list)
        self.wait_texts(b, ["Fanns", "Nu ändrad", "Att ta bort"])
        self.wait_reload(b, n)
        n = a.reloads()
        b.app.click_row(2)
        b.s.x.key("Delete")
        b.app.wait_box()
        b.s.x.key("Return")
        b.app.wait_no_box()
        b.app.save(b.list)
        self.assertEqual(b.texts(), Counter(["Fanns", "Nu ändrad"]))
        self.wait_texts(a, ["Fanns", "Nu ändrad"])
        self.wait_reload(a, n)

        # An addition on each side, one after the other.
        n = b.reloads()
        a.app.add_reminder("Från A")
        a.app.save(a.list)
        self.wait_texts(b, ["Fanns", "Nu ändrad", "Från A"])
        self.wait_reload(b, n)
        n = a.reloads()
        b.app.add_reminder("Från B")
        b.app.save(b.list)
        final = ["Fanns", "Nu ändrad", "Från A", "Från B"]
        self.wait_texts(a, final)
        self.wait_reload(a, n)
        self.wait_settled(a, b, final)
        # Nothing more happens once settled (no reload loop between the two).
        writes = (a.list.stat().st_mtime_ns, b.list.stat().st_mtime_ns)
        self.assertTrue(h.holds_for(lambda: (a.list.stat().st_mtime_ns, b.list.stat().st_mtime_ns) == writes, 3),
                        "the lists keep being rewritten")
        self.quit_both(a, b, final)
        print("\n  online changes in step through syncthing: %.0f s" % (time.monotonic() - started))

    def test_additions_made_offline_on_both_computers_are_kept(self):
        started = time.monotonic()
        a, b = self.two_computers()
        b.stop_daemon()
        h.wait_until(lambda: not a.connected_to(b), 30, interval=0.2, what="A to see B gone")
        a.app.add_reminder("Offline A")
        a.app.save(a.list)
        b.app.add_reminder("Offline B")
        b.app.save(b.list)
        b.start_daemon()
        # Each side keeps the loser of a conflict as a copy (0 would overwrite it).
        self.assertEqual(a.rest("/rest/config/folders/" + FOLDER_ID)["maxConflicts"], 10)
        self.wait_settled(a, b, None)
        final = ["Fanns", "Att ändra", "Att ta bort", "Offline A", "Offline B"]
        self.assertEqual(a.texts(), Counter(final), "\n" + a.app.stderr()[-1500:])
        self.quit_both(a, b, final)
        print("\n  offline additions in step through syncthing: %.0f s" % (time.monotonic() - started))


if __name__ == "__main__":
    unittest.main()
