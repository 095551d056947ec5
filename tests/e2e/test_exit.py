"""Every way out ends cleanly: the signals a logout sends, with and without a
tray, the quit command, the hotkey then quit, and a signal while each dialog
is open. Clean means exit status 0, nothing from a sanitizer on stderr, and
the list saved."""

import signal
import time

import harness as h

VK_T, CTRL, ALT = 0x54, 2, 4
SANITIZER_MARKS = ("AddressSanitizer", "LeakSanitizer", "runtime error:", "malloc", "Segmentation", "Aborted")


class CleanExit(h.E2ETest):

    def assert_clean_end(self, app, timeout=10):
        status = app.wait_exit(timeout)
        err = app.stderr()
        found = [m for m in SANITIZER_MARKS if m in err]
        self.assertEqual((status, found), (0, []), "talvo did not end cleanly; stderr tail:\n" + err[-3000:])

    def started(self, tray, text, **settings):
        s = self.session(tray=tray)
        s.settings(**settings)
        app = self.start()
        if tray:
            app.tray_icon()
        app.add_reminder(text)
        return s, app

    def test_each_logout_signal_with_a_tray(self):
        for sig in (signal.SIGTERM, signal.SIGHUP, signal.SIGINT, signal.SIGQUIT):
            with self.subTest(signal=sig.name):
                s, app = self.started(True, "Vid " + sig.name)
                app.popen.send_signal(sig)
                self.assert_clean_end(app)
                self.assertEqual(h.texts_in(s.data_file), ["Vid " + sig.name])
                self.s.close()

    def test_signal_without_a_tray_and_while_hidden(self):
        s, app = self.started(False, "Utan falt")
        app.terminate()
        self.assert_clean_end(app)
        self.assertEqual(h.texts_in(s.data_file), ["Utan falt"])
        self.s.close()
        s, app = self.started(True, "Gomd")
        app.hide()
        app.terminate()
        self.assert_clean_end(app)
        self.assertEqual(h.texts_in(s.data_file), ["Gomd"])

    def test_quit_command_with_a_tray(self):
        s, app = self.started(True, "Avslutas")
        app.open_quit_box()
        app.answer_quit("Ja")
        self.assert_clean_end(app)
        self.assertEqual(h.texts_in(s.data_file), ["Avslutas"])

    def test_hotkey_then_quit(self):
        s, app = self.started(True, "Snabbtangent", HotKey=VK_T, HotModifier=CTRL | ALT)
        app.hide()
        w = app.main_window()
        s.x.key("ctrl+alt+t")
        h.wait_until(lambda: app.main_windows() and s.x.wm_state(w) == "Normal", 10, what="the hotkey to restore")
        app.open_quit_box()
        app.answer_quit("Ja")
        self.assert_clean_end(app)
        self.assertEqual(h.texts_in(s.data_file), ["Snabbtangent"])

    def test_signal_while_each_dialog_is_open(self):
        # The keys that open each dialog from the main window.
        dialogs = {
            "settings": ["ctrl+i"],
            "about": ["alt+h", "o"],
            "find": ["ctrl+f"],
            "open": ["ctrl+o"],
            "save as": ["alt+a", "m"],
        }
        for name, keys in dialogs.items():
            with self.subTest(dialog=name):
                s, app = self.started(True, "Dialog " + name)
                app.focus_main()
                for k in keys:
                    s.x.key(k)
                    time.sleep(0.3)
                app.wait_other_window()
                app.terminate()
                self.assert_clean_end(app)
                self.assertEqual(h.texts_in(s.data_file), ["Dialog " + name])
                self.s.close()
        s, app = self.started(True, "Fragan")
        app.open_quit_box()
        app.popen.send_signal(signal.SIGHUP)
        self.assert_clean_end(app)
        self.assertEqual(h.texts_in(s.data_file), ["Fragan"])
