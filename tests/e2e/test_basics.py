"""Everyday paths: first start, adding and changing, quitting, files named
on the command line, opening another list, one program per list."""

import os
import time
import unittest

import harness as h


class FirstStart(h.E2ETest):

    def test_first_start_type_save_and_quit_with_ja(self):
        s = self.session()
        app = self.start()
        self.assertEqual(app.title(), "Talvo - talvo.tlv")
        self.assertFalse(s.data_file.exists(), "nothing should be written before anything is saved")

        before = self.now_stored(-2)
        # F2 empties the panel and puts the cursor in the message edit.
        app.focus_main()
        s.x.key("F2")
        s.x.type("Handla mjolk")
        s.x.key("Return")
        s.x.key("ctrl+s")
        h.wait_until(lambda: s.data_file.exists() and h.texts_in(s.data_file) == ["Handla mjolk"],
                     what="the saved list with the new reminder")
        after = self.now_stored(2)
        header, rows = h.read_tlv(s.data_file)
        self.assertEqual(len(header), 5)
        text, when, remind, push_s, push = rows[0]
        # The panel's default time is "now" when the program started.
        self.assertTrue(before - 30 <= int(when) <= after, (before, when, after))
        self.assertEqual(remind, "1")
        self.assertEqual(push_s, header[3], "a new reminder takes the default push interval")

        app.open_quit_box()
        app.answer_quit("Ja")
        self.assertEqual(app.wait_exit(), 0)
        reg = h.read_registry(s.registry)
        self.assertEqual(reg.get("LastFile"), str(s.data_file))
        # Defaults nobody changed are not written: another Talvo may set them.
        self.assertNotIn("RemindTime", reg)
        self.assertNotIn("DoAlarm", reg)
        self.assertEqual(h.texts_in(s.data_file), ["Handla mjolk"])


class AddAndChange(h.E2ETest):

    def test_change_selected_row_then_add_new(self):
        s = self.session()
        s.settings()
        t1 = self.now_stored(86400)
        t2 = self.now_stored(2 * 86400)
        h.write_tlv(s.data_file, [("Forsta", t1, 1, 3600, 0), ("Andra", t2, 0, 600, 1)])
        app = self.start()

        app.click_row(1)
        time.sleep(0.3)
        self.assertEqual(app.selected_rows(2), [1], "clicking a row selects it")
        app.click_message_edit()
        s.x.key("ctrl+a")
        s.x.type("Andra raden")
        s.x.key("Return")  # the button now reads "Andra" and changes the row
        app.save()
        rows = h.read_tlv(s.data_file)[1]
        self.assertEqual(len(rows), 2, "changing must not add a row")
        self.assertEqual(rows[0], ("Forsta", str(t1), "1", "3600", "0"))
        self.assertEqual(rows[1], ("Andra raden", str(t2), "0", "600", "1"),
                         "only the text changes; time, remind and push are kept")

        app.add_reminder("Tredje")
        app.save()
        self.assertEqual(h.texts_in(s.data_file), ["Forsta", "Andra raden", "Tredje"])


class Quit(h.E2ETest):

    def test_nej_avbryt_and_esc_keep_running_and_save_nothing(self):
        s = self.session()
        s.settings()
        h.write_tlv(s.data_file, [("Kvar", self.now_stored(86400), 1, 3600, 0)])
        original = s.data_file.read_bytes()
        app = self.start()
        app.add_reminder("Osparad")

        for answer in ("Nej", "Avbryt", "Esc"):
            with self.subTest(answer=answer):
                app.open_quit_box()
                app.answer_quit(answer)
                app.wait_no_box()
                self.assertTrue(h.holds_for(app.alive, 1.5), "%s must not end the program" % answer)
                self.assertTrue(app.main_windows(), "the main window stays")
                self.assertEqual(s.data_file.read_bytes(), original, "%s must not save" % answer)

    def test_closing_the_window_asks_and_ja_saves_and_ends(self):
        s = self.session()
        s.settings()
        app = self.start()
        app.add_reminder("Sparas vid avslut")
        app.focus_main()
        s.x.key("alt+F4")  # openbox: close the window
        app.wait_box()
        self.assertTrue(app.alive())
        app.answer_quit("Ja")
        self.assertEqual(app.wait_exit(), 0)
        self.assertEqual(h.texts_in(s.data_file), ["Sparas vid avslut"])
        reg = h.read_registry(s.registry)
        self.assertEqual(reg.get("PlaySound"), 0, "the quit keeps the stored settings")


class CommandLine(h.E2ETest):

    def test_relative_path_is_remembered_absolute_and_reopened(self):
        s = self.session()
        s.settings()
        work = s.home / "arbete"
        h.write_tlv(work / "lista.tlv", [("Relativ", self.now_stored(86400), 1, 3600, 0)])
        app = s.start_talvo(["lista.tlv"], cwd=str(work))
        app.wait_ready()
        self.assertEqual(app.title(), "Talvo - lista.tlv")
        app.open_quit_box()
        app.answer_quit("Ja")
        self.assertEqual(app.wait_exit(), 0)
        self.assertEqual(h.read_registry(s.registry).get("LastFile"), str(work / "lista.tlv"))

        # Started again from elsewhere without arguments: the same list.
        app2 = s.start_talvo([], cwd="/")
        app2.wait_ready()
        self.assertEqual(app2.title(), "Talvo - lista.tlv")

    def test_arguments_joined_by_blanks_name_one_file(self):
        s = self.session()
        s.settings()
        f = s.home / "mina listor" / "min lista.tlv"
        h.write_tlv(f, [("Med blanksteg", self.now_stored(86400), 1, 3600, 0)])
        app = self.start(args=[str(s.home / "mina"), "listor/min", "lista.tlv"])
        self.assertEqual(app.title(), "Talvo - min lista.tlv")
        self.assertFalse(app.boxes(), "the file must load without an error box")
        app.add_reminder("Till")
        app.save(f)
        self.assertEqual(h.texts_in(f), ["Med blanksteg", "Till"])


class OpenAnother(h.E2ETest):

    def test_ctrl_o_saves_the_current_list_first(self):
        s = self.session()
        s.settings()
        a = s.home / "a.tlv"
        b = s.home / "b.tlv"
        h.write_tlv(a, [("I A", self.now_stored(86400), 1, 3600, 0)])
        h.write_tlv(b, [("I B", self.now_stored(86400), 1, 3600, 0)])
        app = self.start(args=[str(a)])
        app.add_reminder("Ny i A")
        app.focus_main()
        s.x.key("ctrl+o")
        app.wait_other_window()  # the open dialog
        time.sleep(0.5)
        # The file name field has the focus in the dialog; type the path.
        s.x.key("ctrl+a")
        s.x.type(str(b))
        s.x.key("Return")
        h.wait_until(lambda: app.title() == "Talvo - b.tlv", 15, what="b.tlv to be opened")
        self.assertEqual(h.texts_in(a), ["I A", "Ny i A"], "the unsaved change went to a.tlv first")
        self.assertEqual(h.texts_in(b), ["I B"])


class OneProgramPerList(h.E2ETest):

    def test_second_start_on_same_file_raises_first_and_exits(self):
        s = self.session(tray=True)
        s.settings()
        h.write_tlv(s.data_file, [("En", self.now_stored(86400), 1, 3600, 0)])
        first = self.start()
        h.wait_until(lambda: len(s.tray_icons()) == 1, 10, what="the tray icon")
        first.focus_main()
        s.x.key("Escape")
        h.wait_until(lambda: not first.main_windows(), 10, what="the window to hide in the tray")

        second = s.start_talvo([])
        self.assertEqual(second.wait_exit(15), 0, "the second program ends at once with status 0")
        h.wait_until(lambda: first.main_windows(), 10, what="the first window to come back")
        self.assertTrue(first.alive())
        time.sleep(1)
        self.assertEqual(len(s.tray_icons()), 1, "one tray icon")
        self.assertEqual(len(s.x.windows_named(prefix="Talvo - ")), 1, "one main window")

        # The same file named by a different path is the same list.
        third = s.start_talvo([str(s.data_file.parent / ".." / "Talvo" / "talvo.tlv")])
        self.assertEqual(third.wait_exit(15), 0)
        self.assertTrue(first.alive())

    def test_second_start_from_another_session_raises_first_and_exits(self):
        s = self.session(tray=True)
        s.settings()
        first = self.start()
        h.wait_until(lambda: len(s.tray_icons()) == 1, 10, what="the tray icon")
        first.focus_main()
        s.x.key("Escape")
        h.wait_until(lambda: not first.main_windows(), 10, what="the window to hide in the tray")
        # Another login session of the same user: its own runtime folder.
        other_runtime = s.home / "other-runtime"
        other_runtime.mkdir(mode=0o700)
        if s.user and os.geteuid() == 0:
            os.chown(other_runtime, s.user[0], s.user[1])
        second = s.start_talvo([str(s.data_file)], env={"XDG_RUNTIME_DIR": str(other_runtime)})
        self.assertEqual(second.wait_exit(15), 0, "the second program ends at once with status 0")
        h.wait_until(lambda: first.main_windows(), 10, what="the first window to come back")
        self.assertTrue(first.alive())

    def test_second_start_restores_the_iconified_first_window(self):
        s = self.session(tray=False)
        s.settings()
        first = self.start()
        w = first.iconify()
        second = s.start_talvo([str(s.data_file)])
        self.assertEqual(second.wait_exit(15), 0)
        h.wait_until(lambda: s.x.wm_state(w) == "Normal" and first.main_windows(), 10,
                     what="the first window to be restored")
        h.wait_until(lambda: s.x.active_window() == w, 5, what="the first window to be the active one")


if __name__ == "__main__":
    unittest.main()
