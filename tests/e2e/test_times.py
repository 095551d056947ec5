"""Reminder times in the panel and in the file, in zones with odd offsets and
daylight saving on either hemisphere. "Now" is moved to a winter day with
libfaketime so that a summer reminder lies across a DST change."""

import time
import unittest

import harness as h

ZONES = ["Europe/Stockholm", "America/New_York", "Asia/Kolkata",
         "Australia/Lord_Howe", "Pacific/Chatham", "UTC"]

FAKE_NOW = "2026-01-15 10:00:00"

# Local times: just after midnight, in the other half of the year, and the
# last second of a day; seconds are not zero so that rounding shows.
ROWS = [
    ("Natt", (2026, 1, 20, 0, 30, 17)),
    ("Sommar", (2026, 7, 1, 14, 5, 9)),
    ("Sommarnatt", (2026, 7, 2, 0, 30, 0)),
    ("Julafton", (2026, 12, 24, 23, 59, 59)),
]


class TimesInZones(h.E2ETest):

    def check_zone(self, tz):
        s = self.session(tz=tz)
        s.settings()
        reminders = [(text, h.stored_from_local(tz, *lt), 1, 3600, 0) for text, lt in ROWS]
        original = h.write_tlv(s.data_file, reminders)
        app = self.start(fake_now=FAKE_NOW)
        self.assertEqual(app.title(), "Talvo - talvo.tlv")

        # Enter with the list focused presses "Ändra" with the panel as read.
        app.click_row(0)
        time.sleep(0.3)
        s.shot("panel-%s-natt" % tz.replace("/", "_"))
        s.x.key("Return")
        time.sleep(0.3)
        app.save()
        self.assertEqual(s.data_file.read_bytes(), original,
                         "selecting a row and pressing Enter must leave the file as it was")

        # Changing only the text goes through the panel's date and time.
        for i, (text, _) in enumerate(ROWS):
            app.click_row(i)
            time.sleep(0.3)
            self.assertEqual(app.selected_rows(len(ROWS)), [i])
            if i == 1:
                s.shot("panel-%s-sommar" % tz.replace("/", "_"))
            app.click_message_edit()
            s.x.key("End")
            s.x.type("!")
            s.x.key("Return")
            time.sleep(0.3)
        app.save()
        rows = h.read_tlv(s.data_file)[1]
        self.assertEqual([r[0] for r in rows], [t + "!" for t, _ in ROWS], "every row was changed")
        for (text, lt), row, orig in zip(ROWS, rows, reminders):
            with self.subTest(row=text):
                self.assertEqual(row[1], str(orig[1]),
                                 "%s %04d-%02d-%02d %02d:%02d:%02d moved" % ((tz,) + lt))

        # A new reminder at the panel's default: "now" in this zone.
        expect = h.stored_from_local(tz, 2026, 1, 15, 10, 0, 0)
        app.add_reminder("Nu")
        app.save()
        new = h.read_tlv(s.data_file)[1][-1]
        self.assertEqual(new[0], "Nu")
        self.assertTrue(expect <= int(new[1]) <= expect + 120,
                        "new reminder stored as %s, expected %s (+ the seconds since start)" % (new[1], expect))


def _make(tz):
    def test(self):
        self.check_zone(tz)
    test.__name__ = "test_select_enter_keeps_times_" + tz.replace("/", "_")
    return test


for _tz in ZONES:
    setattr(TimesInZones, "test_select_enter_keeps_times_" + _tz.replace("/", "_"), _make(_tz))


if __name__ == "__main__":
    unittest.main()
