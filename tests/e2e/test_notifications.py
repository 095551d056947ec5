"""Desktop notifications of the alarm, seen on a private session bus with
dunst as the notification daemon and dbus-monitor as the witness."""

import unittest

import harness as h


class Notifications(h.E2ETest):

    def notifies(self):
        return h.notify_calls(self.s.notification_calls())

    def answered(self):
        # The monitor may report a call before the daemon's reply to it.
        return [n for n in self.notifies() if n["id"] is not None]

    def closes(self):
        return [m for m in self.s.notification_calls() if m[0] == "method call" and m[1] == "CloseNotification"]

    def dunst_windows(self):
        return [w for w in self.s.x.run("xdotool", "search", "--onlyvisible", "--class", "dunst",
                                        check=False).split()]

    def test_alarm_notifies_repeats_in_place_and_withdraws_when_nothing_is_due(self):
        s = self.session(tray=True, notifications=True)
        s.settings(RemindTime=5)
        soon = self.now_stored(4)
        h.write_tlv(s.data_file, [("Ring Anna", soon, 1, 600, 1), ("Betala hyran", soon, 1, 600, 1),
                                  ("Senare", self.now_stored(86400), 1, 600, 1)])
        app = self.start()
        first = h.wait_until(lambda: self.answered(), 20, what="an answered Notify call")[0]
        self.assertEqual(first["summary"], "Talvo")
        self.assertTrue(first["body"].startswith("Det finns 2 meddelanden att läsa."), first["body"])
        self.assertIn("Ring Anna", first["body"])
        self.assertNotIn("Senare", first["body"], "only due texts are listed")
        h.wait_until(self.dunst_windows, 10, what="dunst to show the notification")

        # The repeat after RemindTime replaces the one on screen.
        second = h.wait_until(lambda: self.answered()[1:], 20, what="the repeated alarm's notification")[0]
        self.assertEqual(second["replaces"], first["id"], "a repeat replaces the previous notification")
        self.assertEqual(len(self.dunst_windows()), 1)

        # F8 pushes both forward: nothing is due, the notification goes.
        app.focus_main()
        s.x.key("F8")
        h.wait_until(self.closes, 10, what="CloseNotification once nothing is due")
        h.wait_until(lambda: not self.dunst_windows(), 10, what="the notification to leave the screen")

    def test_reminder_due_at_start_notifies_at_the_first_check(self):
        # Start-up shows what is due; the alarm, and its notification, come
        # with the first check (here "Kontrollera nu", F5).
        s = self.session(tray=True, notifications=True)
        s.settings(RemindTime=600)
        h.write_tlv(s.data_file, [("Redan sen", self.now_stored(-60), 1, 600, 1)])
        app = self.start()
        app.focus_main()
        s.x.key("F5")
        n = h.wait_until(self.notifies, 10, what="a Notify call for what was due at start")[0]
        self.assertEqual(n["body"], "Det finns 1 meddelanden att läsa.\nRedan sen")

    def test_clicking_the_notification_restores_the_hidden_window(self):
        s = self.session(tray=True, notifications=True)
        # Esc must not push the reminder away (that would withdraw the notification).
        s.settings(RemindTime=600, PushOnMinize=0)
        h.write_tlv(s.data_file, [("Ring Anna", self.now_stored(4), 1, 600, 1)])
        app = self.start()
        h.wait_until(self.notifies, 20, what="a Notify call")
        dunst = h.wait_until(self.dunst_windows, 10, what="dunst's window")[0]
        app.hide()
        g = s.x.geometry(dunst)
        s.x.click(g["x"] + g["w"] // 2, g["y"] + g["h"] // 2)
        h.wait_until(app.main_windows, 10, what="the window to come back after a click on the notification")
        invoked = [m for m in s.notification_calls() if m[1] == "ActionInvoked"]
        self.assertTrue(invoked, "dunst reported the click as an action")

    def test_texts_with_markup_characters_are_shown_as_typed(self):
        s = self.session(tray=True, notifications=True)
        s.settings(RemindTime=600)
        h.write_tlv(s.data_file, [("9<10 & fika", self.now_stored(-60), 1, 600, 1),
                                  ("<b>&</b> 'citat' \"dubbla\"", self.now_stored(-60), 1, 600, 1)])
        app = self.start()
        app.focus_main()
        s.x.key("F5")
        n = h.wait_until(self.answered, 10, what="an answered Notify call")[0]
        # dunst announces body-markup: the text must arrive escaped, not as markup.
        self.assertEqual(n["body"], "Det finns 2 meddelanden att läsa.\n9&lt;10 &amp; fika\n"
                                    "&lt;b&gt;&amp;&lt;/b&gt; 'citat' &quot;dubbla&quot;")
        h.wait_until(self.dunst_windows, 10, what="dunst to show the notification")
        log = (s.logs / "dunst.log").read_text(errors="replace")
        self.assertNotIn("markup", log.lower(), "dunst could not parse the body:\n" + log)


if __name__ == "__main__":
    unittest.main()
