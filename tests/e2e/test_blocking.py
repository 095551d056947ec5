"""Files and peers that could hold the program up: a FIFO where the settings
store, the alarm sound or the list belongs, and a running Talvo that is
stopped when another start asks it for its window. Each scenario must end
within its deadlines; a regression shows as a timeout, not a hung run."""

import glob
import os
import signal
import socket
import stat
import time
import unittest

import harness as h

NOT_ANSWERING = "Talvo \u00e4r redan ig\u00e5ng med \"%s\" men svarar inte."


def is_fifo(path):
    return stat.S_ISFIFO(os.lstat(path).st_mode)


class FifoFiles(h.E2ETest):

    def test_fifo_as_settings_store_starts_ends_and_stays_a_fifo(self):
        s = self.session()
        s.registry.parent.mkdir(parents=True, exist_ok=True)
        os.mkfifo(s.registry)
        h.write_tlv(s.data_file, [("Fanns", self.now_stored(86400), 1, 600, 1)])
        app = s.start_talvo()
        app.wait_main_window(15)
        self.assertEqual(app.title(), "Talvo - talvo.tlv", "the default list, as with no settings")
        app.add_reminder("Med fifo")
        app.terminate()
        self.assertEqual(app.wait_exit(10), 0)
        self.assertTrue(is_fifo(s.registry), "the FIFO is neither replaced nor removed")
        self.assertEqual(h.texts_in(s.data_file), ["Fanns", "Med fifo"], "the list is saved all the same")
        self.assertIn("is not a regular file", app.stderr())
        left = [p.name for p in s.registry.parent.iterdir() if p.name not in ("registry.reg", "registry.reg.lock")]
        self.assertEqual(left, [], "nothing copied aside or left over")

    def test_fifo_as_alarm_sound_keeps_the_window_working(self):
        s = self.session()
        fifo = s.home / "larm.wav"
        os.mkfifo(fifo)
        s.settings(PlaySound=1, SoundFileAlarm=str(fifo), BlinkOnAlarm=0)
        h.write_tlv(s.data_file, [("Larmar", self.now_stored(5), 1, 600, 1)])
        app = self.start()
        h.wait_until(lambda: "Play sound result: 0" in app.stderr(), 30, what="the alarm's sound to be refused")
        # The window still takes keys: the settings dialog opens and closes.
        app.focus_main()
        s.x.key("ctrl+i")
        dialog = app.wait_other_window(10)
        s.x.activate(dialog[0])
        s.x.key("Escape")
        h.wait_until(lambda: dialog[0] not in [w for w, _ in app.windows()], 10, what="the settings dialog to close")
        app.add_reminder("Efter larmet")
        app.terminate()
        self.assertEqual(app.wait_exit(10), 0)
        self.assertEqual(h.texts_in(s.data_file), ["Larmar", "Efter larmet"])
        self.assertTrue(is_fifo(fifo))

    def test_fifo_as_data_file_ends_on_sigterm_and_stays_a_fifo(self):
        s = self.session()
        s.settings()
        fifo = s.home / "ror.tlv"
        os.mkfifo(fifo)
        app = s.start_talvo([str(fifo)])
        app.wait_box(15)
        s.x.key("Return")
        app.wait_no_box()
        app.wait_main_window(15)
        self.assertEqual(app.title(), "Talvo - ror.tlv")
        app.add_reminder("Till fifon")
        app.terminate()
        self.assertEqual(app.wait_exit(10), 0)
        self.assertTrue(is_fifo(fifo), "a save never replaces the FIFO")
        # What could not go to the FIFO went to a recovery file.
        rec = glob.glob(str(s.data / "Talvo" / "talvo-recovery-*.tlv"))
        self.assertEqual(len(rec), 1, rec)
        self.assertEqual(h.texts_in(rec[0]), ["Till fifon"])


class StoppedPeer(h.E2ETest):

    def fill_backlog(self, s):
        """Connects to the stopped holder's socket until its listen backlog
        is full: the next connect would wait for as long as it is stopped."""
        socks = []
        uid = s.user[0] if s.user and os.geteuid() == 0 else os.getuid()
        h64 = 1469598103934665603  # FNV-1a of the list's canonical path, as the program names it
        for c in os.path.realpath(str(s.data_file)).encode():
            h64 = ((h64 ^ c) * 1099511628211) % (1 << 64)
        name = "@talvo-%d-%016x" % (uid, h64)

        def claim_name():
            # Abstract sockets show in /proc/net/unix with a leading "@".
            with open("/proc/net/unix") as f:
                return any(line.split()[-1] == name for line in f if len(line.split()) >= 8)
        h.wait_until(claim_name, 5, what="the claim's socket")
        path = "\0" + name[1:]
        for _ in range(16):
            c = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
            c.setblocking(False)
            try:
                c.connect(path)
            except BlockingIOError:
                c.close()
                break
            socks.append(c)
        self.addCleanup(lambda: [c.close() for c in socks])
        self.assertGreater(len(socks), 0, "some connections wait in the backlog")

    def test_second_start_on_a_stopped_first_says_so_and_ends(self):
        s = self.session()
        s.settings()
        h.write_tlv(s.data_file, [("En", self.now_stored(86400), 1, 3600, 0)])
        first = self.start()
        list_before = s.data_file.read_bytes()
        reg_before = s.registry.read_bytes()
        os.kill(first.pid, signal.SIGSTOP)
        self.addCleanup(lambda: first.alive() and os.kill(first.pid, signal.SIGCONT))
        self.fill_backlog(s)

        started = time.monotonic()
        second = s.start_talvo([])
        box = second.wait_box(15)
        self.assertLess(time.monotonic() - started, 8 * h.SCALE, "the box comes after a bounded wait")
        self.assertIn(NOT_ANSWERING % s.data_file, second.stderr())
        self.assertEqual(second.main_windows(visible_only=False), [], "no window of its own")
        s.shot("not-answering-box")
        s.x.activate(box)
        s.x.key("Return")
        self.assertEqual(second.wait_exit(10), 0)
        self.assertEqual(s.data_file.read_bytes(), list_before, "the list is untouched")
        self.assertEqual(s.registry.read_bytes(), reg_before, "the settings are untouched")

        os.kill(first.pid, signal.SIGCONT)
        first.wait_main_window(10)
        third = s.start_talvo([])
        self.assertEqual(third.wait_exit(15), 0, "a running first one answers again")
        self.assertFalse(third.boxes())
        self.assertNotIn("svarar inte", third.stderr())
        first.terminate()
        self.assertEqual(first.wait_exit(10), 0)


if __name__ == "__main__":
    unittest.main()
