"""Dialogs a person opens: each one comes up, goes away with Esc, and is kept
as a picture (in $E2E_SHOTS) to check its Swedish texts by eye. Also F1,
which must not freeze the window while the guide is being opened."""

import os
import time
import unittest

import harness as h


class Dialogs(h.E2ETest):

    def open_and_shoot(self, app, keys, name):
        s = self.s
        app.focus_main()
        s.x.key(*keys)
        w = app.wait_other_window()
        time.sleep(0.6)  # let it paint
        s.shot("dialog-" + name)
        s.x.key("Escape")
        h.wait_until(lambda: w[0] not in [v[0] for v in app.windows()], 10, what="%s to close on Esc" % name)
        return w

    def test_dialogs_open_close_and_are_photographed(self):
        s = self.session(lang="sv_SE.UTF-8")
        s.settings()
        h.write_tlv(s.data_file, [("Ett meddelande", self.now_stored(86400), 1, 600, 1)])
        app = self.start()
        s.shot("dialog-main-window")
        self.open_and_shoot(app, ["ctrl+o"], "open-file")
        self.open_and_shoot(app, ["ctrl+i"], "settings")
        self.open_and_shoot(app, ["ctrl+f"], "find")
        # Hjälp -> Om... is the menu's last entry.
        app.focus_main()
        s.x.key("alt+h")
        time.sleep(0.5)
        s.shot("dialog-help-menu")
        s.x.key("Escape")
        time.sleep(0.3)
        self.open_and_shoot(app, ["alt+h", "Up", "Return"], "about")
        app.open_quit_box()
        time.sleep(0.5)
        s.shot("dialog-quit-question")
        s.x.key("Escape")
        app.wait_no_box()
        # The date picker's calendar popup: click its arrow.
        app.focus_main()
        x, y = app.client_point(206, 290)
        s.x.click(x, y)
        time.sleep(0.8)
        s.shot("dialog-calendar-popup")
        s.x.key("Escape")
        self.assertTrue(app.alive())
        self.assertTrue(app.main_windows())

    def test_f1_does_not_freeze_the_window(self):
        s = self.session()
        s.settings()
        bindir = s.root / "bin"
        bindir.mkdir()
        called = s.root / "xdg-open.args"
        stop = s.root / "xdg-open.stop"
        # A slow opener, as on a loaded desktop: it takes up to 30 s.
        opener = bindir / "xdg-open"
        opener.write_text("#!/bin/sh\necho \"$@\" > %s\nfor i in $(seq 300); do [ -e %s ] && exit 0; sleep 0.1; done\n"
                          % (called, stop))
        opener.chmod(0o755)
        self.addCleanup(stop.touch)
        app = s.start_talvo(env={"PATH": "%s:%s" % (bindir, os.environ.get("PATH", "/usr/bin:/bin"))})
        app.wait_ready()
        app.focus_main()
        s.x.key("F1")
        h.wait_until(called.exists, 10, what="the guide to be handed to xdg-open")
        self.assertIn("ReadMe", called.read_text())
        started = time.monotonic()
        s.x.key("F2")
        s.x.type("Svarar")
        s.x.key("Return", "ctrl+s")
        h.wait_until(lambda: s.data_file.exists() and "Svarar" in h.texts_in(s.data_file), 5,
                     what="the window to react while the guide opens")
        self.assertLess(time.monotonic() - started, 5)


if __name__ == "__main__":
    unittest.main()
