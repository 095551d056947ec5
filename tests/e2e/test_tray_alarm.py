"""The tray and the alarm: hiding, restoring, pushing, starting minimised,
the alarm bringing the window back, with and without a tray."""

import time
import unittest

import harness as h


class Tray(h.E2ETest):

    def test_esc_hides_to_tray_and_left_click_restores(self):
        s = self.session(tray=True)
        s.settings()
        app = self.start()
        icon = app.tray_icon()
        self.assertEqual(len(s.tray_icons()), 1)
        self.assertFalse(app.tray_is_red(), "nothing is due: the icon is not red")
        w = app.main_window()
        app.hide()
        self.assertFalse(s.x.viewable(w), "hidden in the tray means unmapped")
        self.assertTrue(s.tray_icons(), "the icon stays while the window is hidden")
        app.click_tray(1)
        h.wait_until(app.main_windows, 10, what="the window back after a left click on the tray icon")
        self.assertEqual(s.x.wm_state(w), "Normal")
        self.assertEqual(icon[0], s.tray_icons()[0][0], "the same icon all along")

    def test_push_on_minimise_moves_due_pushable_reminders(self):
        s = self.session(tray=True)
        s.settings(PushOnMinize=1, DoAlarm=1)
        past = self.now_stored(-30)
        later = self.now_stored(86400)
        h.write_tlv(s.data_file, [("Knuffas", past, 1, 3600, 1),
                                  ("Knuffas inte", past, 1, 3600, 0),
                                  ("Senare", later, 1, 600, 1)])
        app = self.start()
        app.hide()
        # Back from the tray and saved: only the due reminder with push on moved.
        app.click_tray(1)
        app.wait_main_window()
        app.save()
        rows = h.read_tlv(s.data_file)[1]
        self.assertEqual([r[0] for r in rows], ["Knuffas", "Knuffas inte", "Senare"])
        self.assertEqual(int(rows[0][1]), past + 3600, "pushed forward by its own interval")
        self.assertEqual(int(rows[1][1]), past, "push off: stays")
        self.assertEqual(int(rows[2][1]), later, "not due: stays")

    def test_start_minimized_waits_in_tray(self):
        s = self.session(tray=True)
        s.settings(StartMinimized=1)
        h.write_tlv(s.data_file, [("Senare", self.now_stored(86400), 1, 600, 1)])
        app = s.start_talvo()
        app.tray_icon(20)
        self.assertTrue(h.holds_for(lambda: not app.main_windows(), 2),
                        "with StartMinimized the window stays hidden")
        app.click_tray(1)
        app.wait_main_window()

    def test_tray_started_after_talvo_gets_the_icon_at_once(self):
        s = self.session(tray=False)
        s.settings(RemindTime=600)
        h.write_tlv(s.data_file, [("Senare", self.now_stored(86400), 1, 600, 1)])
        app = self.start()
        time.sleep(1)
        s.start_tray()
        started = time.monotonic()
        app.tray_icon(timeout=5)
        self.assertLess(time.monotonic() - started, 5)
        # And it works as a tray: Esc now hides instead of iconifying.
        app.hide()
        app.click_tray(1)
        app.wait_main_window()


class Alarm(h.E2ETest):

    def due_list(self, s, due_in):
        t = self.now_stored(due_in)
        h.write_tlv(s.data_file, [("Inte an", self.now_stored(86400), 1, 600, 1),
                                  ("Forsta due", t, 1, 600, 1),
                                  ("Andra due", t, 1, 600, 1)])
        return t

    def test_alarm_restores_hidden_window_with_first_due_row_selected(self):
        s = self.session(tray=True)
        s.settings(BlinkOnAlarm=0)
        self.due_list(s, 8)
        app = self.start()
        self.assertFalse(app.tray_is_red())
        app.hide()
        w = h.wait_until(app.main_windows, 30, what="the alarm to bring the window back")[0]
        self.assertEqual(s.x.wm_state(w), "Normal")
        h.wait_until(lambda: app.selected_rows(3) == [1], 5, what="the first due row to be selected")
        self.assertTrue(app.tray_is_red(), "the tray icon is red while something is due")
        s.shot("alarm-restored-with-tray")
        self.assertIn("ALARM", app.stderr())

    def test_no_tray_esc_iconifies_and_alarm_restores(self):
        s = self.session(tray=False)
        s.settings()
        self.due_list(s, 8)
        app = self.start()
        w = app.iconify()
        self.assertIn("_NET_WM_STATE_HIDDEN", s.x.net_wm_state(w))
        h.wait_until(lambda: s.x.wm_state(w) == "Normal" and app.main_windows(), 30,
                     what="the alarm to restore the iconified window")
        self.assertNotIn("_NET_WM_STATE_HIDDEN", s.x.net_wm_state(w))
        h.wait_until(lambda: app.selected_rows(3) == [1], 5, what="the first due row to be selected")
        s.shot("alarm-restored-without-tray")

    def test_f8_pushes_due_reminders_and_the_tray_stops_being_red_at_once(self):
        s = self.session(tray=True)
        s.settings(BlinkOnAlarm=0)
        past = self.now_stored(-30)
        h.write_tlv(s.data_file, [("Due ett", past, 1, 600, 1), ("Due tva", past, 1, 900, 1)])
        app = self.start()
        h.wait_until(app.tray_is_red, 10, what="the tray icon to turn red")
        app.focus_main()
        s.x.key("F8")
        h.wait_until(lambda: not app.tray_is_red(), 1.5, 0.05, what="the tray icon to stop being red")
        self.assertTrue(h.holds_for(lambda: not app.tray_is_red(), 2), "the icon stays calm")
        app.save()
        rows = h.read_tlv(s.data_file)[1]
        # Each due reminder moves by its own interval.
        self.assertEqual(int(rows[0][1]), past + 600)
        self.assertEqual(int(rows[1][1]), past + 900)


if __name__ == "__main__":
    unittest.main()
