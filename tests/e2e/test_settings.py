"""The settings store shared with other programs: a value another program
changes while Talvo runs survives Talvo's quit, and OK in the settings dialog
writes at once, so a Talvo killed right after keeps the change."""

import fcntl
import os
import signal
import unittest

import harness as h


def change_store(s, **values):
    """Changes values in registry.reg as another program would: under the
    store's lock, replacing the file whole."""
    current = h.read_registry(s.registry)
    current.update(values)
    with open(str(s.registry) + ".lock", "a") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        tmp = s.registry.with_name("registry.reg.other")
        h.write_registry(tmp, current)
        os.replace(tmp, s.registry)


class SharedStore(h.E2ETest):

    def test_a_value_changed_elsewhere_while_talvo_runs_survives_its_quit(self):
        s = self.session()
        s.settings(RemindTime=60)
        app = self.start()
        change_store(s, RemindTime=300, HotKey=0x78)
        app.open_quit_box()
        app.answer_quit("Ja")
        self.assertEqual(app.wait_exit(), 0)
        reg = h.read_registry(s.registry)
        self.assertEqual(reg.get("RemindTime"), 300, "the other program's change is not written back")
        self.assertEqual(reg.get("HotKey"), 0x78)
        self.assertEqual(reg.get("LastFile"), str(s.data_file), "what Talvo changed is written")

    def test_ok_in_the_settings_dialog_writes_at_once(self):
        s = self.session()
        s.settings()
        app = self.start()
        self.assertNotIn("BlinkOnAlarm", h.read_registry(s.registry))
        app.change_settings("alt+b")  # "&Blinka med ikon vid påminnelse" off
        h.wait_until(lambda: h.read_registry(s.registry).get("BlinkOnAlarm") == 0, 10,
                     what="BlinkOnAlarm 0 in the store, with Talvo still running")
        self.assertTrue(app.alive())
        os.kill(app.pid, signal.SIGKILL)
        self.assertEqual(app.wait_exit(), -signal.SIGKILL)
        reg = h.read_registry(s.registry)
        self.assertEqual(reg.get("BlinkOnAlarm"), 0, "the change outlives the kill")
        self.assertEqual(reg.get("PlaySound"), 0)
        self.assertNotIn("RemindTime", reg, "values the dialog left alone are not written")


if __name__ == "__main__":
    unittest.main()
