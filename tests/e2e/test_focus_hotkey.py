"""Keyboard focus whenever the window comes up, and the global hotkey."""

import time
import unittest

import harness as h

VK_T, VK_F12, VK_OEM_3 = 0x54, 0x7B, 0xC0
SHIFT, CTRL, ALT = 1, 2, 4


class KeyboardAtOnce(h.E2ETest):
    """Text typed right after the window appears must land in the message
    edit, without a click first."""

    def type_and_expect_saved(self, app, text):
        s = self.s
        s.x.type(text)
        s.x.key("Return")
        time.sleep(0.3)
        s.x.key("ctrl+s")
        h.wait_until(lambda: s.data_file.exists() and any(text in t for t in h.texts_in(s.data_file)), 10,
                     what="%r typed without a click to reach the list" % text)

    def test_after_start_without_tray(self):
        s = self.session(tray=False)
        s.settings()
        app = self.start()
        self.type_and_expect_saved(app, "Direkt efter start")

    def test_after_start_with_tray(self):
        s = self.session(tray=True)
        s.settings()
        app = self.start()
        self.type_and_expect_saved(app, "Direkt med ikon")

    def test_after_tray_click(self):
        s = self.session(tray=True)
        s.settings()
        app = self.start()
        app.hide()
        app.click_tray(1)
        app.wait_main_window()
        time.sleep(0.3)
        self.type_and_expect_saved(app, "Efter ikonklick")

    def test_after_alarm_restores(self):
        s = self.session(tray=True)
        s.settings(RemindTime=600)
        h.write_tlv(s.data_file, [("Larm", self.now_stored(6), 1, 600, 1)])
        app = self.start()
        app.hide()
        h.wait_until(app.main_windows, 30, what="the alarm to bring the window back")
        time.sleep(0.3)
        # The due row is selected, so the text may change it or add a row;
        # either way it must be in the list.
        self.type_and_expect_saved(app, "ZZefter larm")


class HotKey(h.E2ETest):

    def hidden_app(self, hotkey, modifiers, tray=True, layout=None, numlock=False):
        s = self.session(tray=tray)
        if layout:
            s.keymap(layout)
        if numlock:
            s.x.key("Num_Lock")
        s.settings(HotKey=hotkey, HotModifier=modifiers)
        app = self.start()
        if tray:
            app.hide()
        else:
            app.iconify()
        return s, app

    def press_and_expect_window(self, s, app, keys):
        w = app.main_window()
        s.x.key(keys)
        h.wait_until(lambda: app.main_windows() and s.x.wm_state(w) == "Normal", 10,
                     what="%s to bring the window forward" % keys)
        h.wait_until(lambda: s.x.active_window() == w, 5, what="the window to be the active one")

    def test_ctrl_alt_t_with_numlock_from_tray_then_typing(self):
        s, app = self.hidden_app(VK_T, CTRL | ALT, numlock=True)
        self.press_and_expect_window(s, app, "ctrl+alt+t")
        s.x.type("Via snabbtangent")
        s.x.key("Return")
        s.x.key("ctrl+s")
        h.wait_until(lambda: s.data_file.exists() and "Via snabbtangent" in h.texts_in(s.data_file), 10,
                     what="the text typed after the hotkey")

    def test_ctrl_f12_with_numlock(self):
        s, app = self.hidden_app(VK_F12, CTRL, numlock=True)
        self.press_and_expect_window(s, app, "ctrl+F12")

    def test_ctrl_alt_o_umlaut_on_swedish_keymap(self):
        s, app = self.hidden_app(VK_OEM_3, CTRL | ALT, layout="se")
        self.press_and_expect_window(s, app, "ctrl+alt+odiaeresis")

    def test_ctrl_shift_t_restores_iconified_window_without_tray(self):
        s, app = self.hidden_app(VK_T, CTRL | SHIFT, tray=False)
        self.press_and_expect_window(s, app, "ctrl+shift+t")

    def test_other_keys_do_not_trigger(self):
        s, app = self.hidden_app(VK_T, CTRL | ALT)
        s.x.key("ctrl+t", "alt+t", "ctrl+alt+y")
        self.assertTrue(h.holds_for(lambda: not app.main_windows(), 1.5),
                        "only the chosen combination shows the window")
        self.press_and_expect_window(s, app, "ctrl+alt+t")


class HotKeyFromSettings(h.E2ETest):

    def test_set_ctrl_alt_o_umlaut_in_the_settings_dialog(self):
        s = self.session(tray=True)
        s.keymap("se")
        s.settings()
        app = self.start()
        app.focus_main()
        s.x.key("ctrl+i")
        dialog = app.wait_other_window()
        time.sleep(0.5)
        g = s.x.geometry(dialog[0])
        # The "Snabbkommando:" field: click it, then press the combination.
        s.x.click(g["x"] + 224, g["y"] + 267)
        time.sleep(0.3)
        s.x.key("ctrl+alt+odiaeresis")
        time.sleep(0.5)
        s.shot("settings-hotkey-field")
        s.x.key("Return")  # OK
        h.wait_until(lambda: dialog[0] not in [w[0] for w in app.windows()], 10, what="the settings to close")
        app.hide()
        s.x.key("ctrl+alt+odiaeresis")
        h.wait_until(app.main_windows, 10, what="the new hotkey to bring the window forward")
        app.open_quit_box()
        app.answer_quit("Ja")
        app.wait_exit()
        reg = h.read_registry(s.registry)
        self.assertEqual((reg.get("HotKey"), reg.get("HotModifier")), (VK_OEM_3, CTRL | ALT))


if __name__ == "__main__":
    unittest.main()
