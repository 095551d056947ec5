"""The list and the settings on disk when things go wrong: unreadable and
damaged files, permissions, leftovers of interrupted saves, and
SIGTERM at awkward moments."""

import os
import re
import shutil
import signal
import time
import unittest

import harness as h

GARBAGE = b"\x00\x01inte en lista\xff\xfe\r\n42\r\n"
BOM_LIST = ("Med BOM", 1893456000, 1, 600, 1)


def aside_copies(folder, name, kind):
    pat = re.compile(re.escape(name) + r"\." + kind + r"-\d{8}-\d{6}$")
    return [p for p in folder.iterdir() if pat.match(p.name)]


class SigTerm(h.E2ETest):

    def ended_by_sigterm(self, app, signals=1):
        for _ in range(signals):
            app.terminate()
            time.sleep(0.05)
        self.assertEqual(app.wait_exit(8), 0, "SIGTERM must end the program cleanly:\n" + app.stderr()[-2000:])

    def test_sigterm_saves_list_and_settings_and_ends(self):
        s = self.session()
        s.settings(RemindTime=300)
        h.write_tlv(s.data_file, [("Fanns", self.now_stored(86400), 1, 600, 1)])
        app = self.start()
        app.add_reminder("Osparad vid SIGTERM")
        os.remove(s.registry)
        self.ended_by_sigterm(app)
        self.assertEqual(h.texts_in(s.data_file), ["Fanns", "Osparad vid SIGTERM"])
        reg = h.read_registry(s.registry)
        self.assertEqual(reg.get("LastFile"), str(s.data_file), "the settings were saved as well")
        self.assertNotIn("RemindTime", reg, "a value removed by hand and not changed by Talvo stays removed")

    def test_repeated_sigterm_still_saves_once_and_ends(self):
        s = self.session()
        s.settings()
        app = self.start()
        app.add_reminder("Flera signaler")
        self.ended_by_sigterm(app, signals=4)
        self.assertEqual(h.texts_in(s.data_file), ["Flera signaler"])
        left = [p.name for p in s.data_file.parent.iterdir() if ".tmp" in p.name]
        self.assertEqual(left, [], "no temporary files left behind")

    def test_sigterm_while_quit_box_is_open(self):
        s = self.session()
        s.settings()
        app = self.start()
        app.add_reminder("Fragan oppen")
        app.open_quit_box()
        self.ended_by_sigterm(app)
        self.assertEqual(h.texts_in(s.data_file), ["Fragan oppen"])

    def test_sigterm_while_settings_dialog_is_open(self):
        s = self.session()
        s.settings()
        app = self.start()
        app.add_reminder("Installningar oppna")
        app.focus_main()
        s.x.key("ctrl+i")
        app.wait_other_window()
        self.ended_by_sigterm(app)
        self.assertEqual(h.texts_in(s.data_file), ["Installningar oppna"])
        self.assertIn("LastFile", h.read_registry(s.registry))

    def test_sigterm_while_load_error_box_is_open(self):
        s = self.session()
        s.settings()
        bad = s.home / "trasig.tlv"
        bad.write_bytes(GARBAGE)
        app = s.start_talvo([str(bad)])
        app.wait_box(20)
        self.ended_by_sigterm(app)
        # What was in the unreadable file must still exist somewhere.
        kept = [p for p in bad.parent.iterdir() if p.is_file() and p.read_bytes() == GARBAGE]
        self.assertTrue(kept, "the unreadable file's content was lost")

    def test_sigterm_when_save_fails_writes_a_recovery_file(self):
        s = self.user_session()
        s.settings()
        folder = s.home / "skyddad"
        listfile = folder / "lista.tlv"
        h.write_tlv(listfile, [("Fanns", self.now_stored(86400), 1, 600, 1)])
        app = s.start_talvo([str(listfile)])
        app.wait_ready()
        app.add_reminder("Raddas")
        os.chmod(listfile, 0o444)
        os.chmod(folder, 0o555)
        self.ended_by_sigterm(app)
        rec = [p for p in (s.data / "Talvo").iterdir()
               if re.match(r"talvo-recovery-\d{8}-\d{6}\.tlv$", p.name)] if (s.data / "Talvo").exists() else []
        self.assertEqual(len(rec), 1, "one recovery file in %s" % (s.data / "Talvo"))
        self.assertEqual(h.texts_in(rec[0]), ["Fanns", "Raddas"])
        self.assertEqual(h.texts_in(listfile), ["Fanns"], "the protected file is untouched")


class ChangedElsewhere(h.E2ETest):
    """Another program (an editor, a sync tool) changes the list while Talvo
    runs; Talvo, having changed nothing, must not write its own copy back."""

    def started_then_edited(self):
        s = self.session()
        s.settings()
        h.write_tlv(s.data_file, [("Fanns", self.now_stored(86400), 1, 600, 1)])
        app = self.start()
        added = ("Tillagd i editorn", self.now_stored(2 * 86400), 1, 3600, 0)
        with open(s.data_file, "ab") as f:  # as an editor appends, in place
            f.write("".join("%s\r\n" % v for v in added).encode("utf-8"))
        return s, app

    def test_quit_with_ja_keeps_what_another_program_wrote(self):
        s, app = self.started_then_edited()
        app.open_quit_box()
        app.answer_quit("Ja")
        self.assertEqual(app.wait_exit(), 0)
        self.assertEqual(h.texts_in(s.data_file), ["Fanns", "Tillagd i editorn"])
        self.assertEqual(h.read_registry(s.registry).get("LastFile"), str(s.data_file))

    def test_sigterm_keeps_what_another_program_wrote(self):
        s, app = self.started_then_edited()
        app.terminate()
        self.assertEqual(app.wait_exit(8), 0, app.stderr()[-2000:])
        self.assertEqual(h.texts_in(s.data_file), ["Fanns", "Tillagd i editorn"])

    def test_edits_on_both_sides_are_merged_at_ctrl_s_quit_and_sigterm(self):
        s, app = self.started_then_edited()
        app.add_reminder("Skriven i Talvo")
        app.save()
        self.assertCountEqual(h.texts_in(s.data_file), ["Fanns", "Tillagd i editorn", "Skriven i Talvo"])
        # A sync tool replaces the file by rename, without "Fanns".
        h.write_tlv(s.data_file.with_suffix(".sync"), [r for r in h.read_tlv(s.data_file)[1] if r[0] != "Fanns"])
        os.replace(s.data_file.with_suffix(".sync"), s.data_file)
        app.add_reminder("Efter synken")
        app.open_quit_box()
        app.answer_quit("Ja")
        self.assertEqual(app.wait_exit(), 0)
        self.assertCountEqual(h.texts_in(s.data_file), ["Tillagd i editorn", "Skriven i Talvo", "Efter synken"])
        app = self.start()
        app.add_reminder("Vid utloggningen")
        with open(s.data_file, "ab") as f:
            f.write(("Sist i editorn\r\n%d\r\n1\r\n600\r\n0\r\n" % self.now_stored(3 * 86400)).encode("utf-8"))
        app.terminate()
        self.assertEqual(app.wait_exit(8), 0, app.stderr()[-2000:])
        self.assertCountEqual(h.texts_in(s.data_file), ["Tillagd i editorn", "Skriven i Talvo", "Efter synken",
                                                        "Vid utloggningen", "Sist i editorn"])


    def wait_trace(self, app, line, count=1, timeout=10):
        return h.wait_until(lambda: app.stderr().count(line) >= count, timeout, interval=0.01, what=repr(line))

    def test_a_replaced_file_shows_at_once_and_the_next_edit_acts_on_it(self):
        s = self.session()
        s.settings()
        h.write_tlv(s.data_file, [("Fanns", self.now_stored(86400), 1, 600, 1)])
        app = self.start()
        # A sync tool puts a reminder first, replacing the file by a rename.
        sync = s.data_file.with_suffix(".sync")
        h.write_tlv(sync, [("Från synken", self.now_stored(3600), 1, 600, 0),
                           ("Fanns", self.now_stored(86400), 1, 600, 1)])
        started = time.monotonic()
        os.replace(sync, s.data_file)
        self.wait_trace(app, "The list changed on disk: reloaded.")
        print("\n  change on disk to the list reloaded: %.0f ms" % ((time.monotonic() - started) * 1000))
        # The first row is the synced one now: deleting it deletes that one
        # (a list read only at the next write would delete "Fanns").
        app.click_row(0)
        s.x.key("Delete")
        app.wait_box()
        s.x.key("Return")
        app.wait_no_box()
        app.terminate()
        self.assertEqual(app.wait_exit(8), 0, app.stderr()[-2000:])
        self.assertEqual(h.texts_in(s.data_file), ["Fanns"])

    def test_an_append_is_merged_into_a_changed_list_at_once(self):
        s = self.session()
        s.settings()
        h.write_tlv(s.data_file, [("Fanns", self.now_stored(86400), 1, 600, 1)])
        app = self.start()
        app.add_reminder("Skriven i Talvo")
        started = time.monotonic()
        with open(s.data_file, "ab") as f:  # as an editor appends, in place
            f.write(("Tillagd i editorn\r\n%d\r\n1\r\n600\r\n0\r\n" % self.now_stored(2 * 86400)).encode("utf-8"))
        self.wait_trace(app, "The list changed on disk: merged.")
        print("\n  change on disk to the list merged: %.0f ms" % ((time.monotonic() - started) * 1000))
        self.assertEqual(h.texts_in(s.data_file), ["Fanns", "Tillagd i editorn"], "not written before a save")
        # Our own save is no change on disk.
        app.save()
        self.assertCountEqual(h.texts_in(s.data_file), ["Fanns", "Tillagd i editorn", "Skriven i Talvo"])
        # A notice of our own write would have come by now.
        self.assertTrue(h.holds_for(lambda: "The list changed on disk: reloaded." not in app.stderr(), 0.8))
        self.assertEqual(app.stderr().count("The list changed on disk: merged."), 1)
        app.terminate()
        self.assertEqual(app.wait_exit(8), 0, app.stderr()[-2000:])


class ConflictCopies(h.E2ETest):

    def test_a_conflict_copy_at_start_is_taken_in_and_removed(self):
        s = self.session()
        s.settings()
        # One time for both: "Fanns" must be the same reminder in both files.
        fanns = ("Fanns", self.now_stored(86400), 1, 600, 1)
        h.write_tlv(s.data_file, [fanns])
        folder = s.data_file.parent
        copy = folder / (s.data_file.stem + ".sync-conflict-20260114-093000-ABC1234" + s.data_file.suffix)
        h.write_tlv(copy, [fanns,
                           ("Från telefonen", self.now_stored(2 * 86400), 1, 600, 0)])
        broken = folder / (s.data_file.stem + " (conflicted copy 2026-01-14 093000)" + s.data_file.suffix)
        broken.write_bytes(GARBAGE)
        app = self.start()
        h.wait_until(lambda: not copy.exists(), what="the conflict copy taken in and removed")
        self.assertEqual(h.texts_in(s.data_file), ["Fanns", "Från telefonen"])
        self.assertEqual(broken.read_bytes(), GARBAGE, "a copy that is no list stays as it is")
        self.assertEqual(app.boxes(), [])
        # The list on screen holds it too: a later write keeps it.
        app.add_reminder("Efterat")
        app.terminate()
        self.assertEqual(app.wait_exit(8), 0, app.stderr()[-2000:])
        self.assertEqual(h.texts_in(s.data_file), ["Fanns", "Från telefonen", "Efterat"])


    def test_a_conflict_copy_appearing_while_running_is_taken_in(self):
        s = self.session()
        s.settings()
        # One time for both: the start takes a while, and "Fanns" must be
        # the same reminder in both files.
        fanns = ("Fanns", self.now_stored(86400), 1, 600, 1)
        h.write_tlv(s.data_file, [fanns])
        app = self.start()
        copy = s.data_file.parent / (s.data_file.stem + " (conflicted copy 2026-12-08 101500)" + s.data_file.suffix)
        # Written under a temporary name and renamed, as sync tools do.
        temp = s.data_file.parent / ".sync-tmp"
        h.write_tlv(temp, [fanns,
                           ("Från den andra datorn", self.now_stored(2 * 86400), 1, 600, 0)])
        os.replace(temp, copy)
        h.wait_until(lambda: not copy.exists(), what="the conflict copy taken in and removed")
        self.assertEqual(h.texts_in(s.data_file), ["Fanns", "Från den andra datorn"])
        app.terminate()
        self.assertEqual(app.wait_exit(8), 0, app.stderr()[-2000:])
        self.assertEqual(h.texts_in(s.data_file), ["Fanns", "Från den andra datorn"])


class UnreadableFiles(h.E2ETest):

    def test_default_file_with_bom_is_copied_aside_silently(self):
        s = self.session()
        s.settings()
        original = h.write_tlv(s.data_file, [BOM_LIST], raw_prefix=b"\xef\xbb\xbf")
        app = self.start()
        self.assertTrue(h.holds_for(lambda: not app.boxes(), 1.5), "no box at the default path")
        app.add_reminder("Ny lista")
        app.save()
        copies = aside_copies(s.data_file.parent, "talvo.tlv", "unreadable")
        self.assertEqual(len(copies), 1, os.listdir(s.data_file.parent))
        self.assertEqual(copies[0].read_bytes(), original)
        self.assertIn("Ny lista", h.texts_in(s.data_file))

    def test_named_unreadable_file_shows_box_then_is_copied_aside(self):
        s = self.session()
        s.settings()
        bad = s.home / "trasig.tlv"
        bad.write_bytes(GARBAGE)
        app = s.start_talvo([str(bad)])
        box = app.wait_box(20)
        s.shot("load-error-box")
        s.x.activate(box)
        s.x.key("Return")  # OK
        app.wait_no_box()
        app.wait_main_window()
        self.assertEqual(app.title(), "Talvo - trasig.tlv")
        app.add_reminder("Efter felet")
        app.save(bad)
        copies = aside_copies(bad.parent, "trasig.tlv", "unreadable")
        self.assertEqual(len(copies), 1, os.listdir(bad.parent))
        self.assertEqual(copies[0].read_bytes(), GARBAGE)
        self.assertEqual(h.texts_in(bad), ["Efter felet"])

    def test_damaged_settings_store_keeps_the_other_values(self):
        s = self.session()
        other = s.home / "annan.tlv"
        h.write_tlv(other, [("Fran LastFile", self.now_stored(86400), 1, 600, 1)])
        s.settings(RemindTime=300, LastFile=str(other))
        text = s.registry.read_text()
        damaged = text.replace('"RemindTime"', '"BlinkOnAlarm"=hex:123,00\n"RemindTime"')
        s.registry.write_text(damaged)
        app = self.start()
        self.assertEqual(app.title(), "Talvo - annan.tlv", "LastFile still applies")
        self.assertEqual(s.registry.read_text(), damaged, "nothing changed, nothing written")
        # The first change written: the store is written anew, the damaged
        # one kept aside first.
        app.change_settings("alt+b")  # "&Blinka med ikon vid påminnelse" off
        app.open_quit_box()
        app.answer_quit("Ja")
        app.wait_exit()
        reg = h.read_registry(s.registry)
        self.assertEqual(reg.get("RemindTime"), 300)
        self.assertEqual(reg.get("BlinkOnAlarm"), 0)
        copies = aside_copies(s.registry.parent, "registry.reg", "damaged")
        self.assertEqual(len(copies), 1, os.listdir(s.registry.parent))
        self.assertEqual(copies[0].read_text(), damaged)

    def test_settings_store_over_4_mb_is_kept_aside_whole(self):
        s = self.session()
        big = ('REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Lindqvarn\\Talvo\\Settings]\n'
               '"PlaySound"=hex:00,00,00,00\n' + ("; " + "x" * 77 + "\n") * 53000).encode()
        s.registry.parent.mkdir(parents=True, exist_ok=True)
        s.registry.write_bytes(big)
        app = self.start()
        app.open_quit_box()
        app.answer_quit("Ja")
        self.assertEqual(app.wait_exit(), 0)
        copies = aside_copies(s.registry.parent, "registry.reg", "damaged")
        self.assertEqual(len(copies), 1, os.listdir(s.registry.parent))
        self.assertTrue(copies[0].read_bytes() == big, "the big store is kept whole")
        self.assertEqual(h.read_registry(s.registry).get("LastFile"), str(s.data_file), "written anew")
        self.assertIn("too big to read; kept as %s" % copies[0], app.stderr())


class Saving(h.E2ETest):

    def test_stray_temporary_files_are_cleaned_at_save(self):
        s = self.session()
        s.settings()
        h.write_tlv(s.data_file, [("Lista", self.now_stored(86400), 1, 600, 1)])
        d = s.data_file.parent
        dead = d / ("talvo.tlv.tmp-%d-1" % h.dead_pid())
        live = d / ("talvo.tlv.tmp-%d-1" % os.getpid())
        old_style = d / "talvo.tlv.tmp12345"
        fresh_old_style = d / "talvo.tlv.tmp67890"
        others = [d / "annat.txt", d / "talvo.tlv.bak", d / "annan.tlv.tmp-1-1"]
        for p in [dead, live, old_style, fresh_old_style] + others:
            p.write_text("x")
        two_hours_ago = time.time() - 7200
        os.utime(old_style, (two_hours_ago, two_hours_ago))
        app = self.start()
        app.add_reminder("Spara")
        app.save()
        self.assertFalse(dead.exists(), "a dead process's temporary file goes")
        self.assertFalse(old_style.exists(), "an old-style temporary file over an hour old goes")
        self.assertTrue(live.exists(), "a running process's temporary file stays")
        self.assertTrue(fresh_old_style.exists(), "a recent old-style temporary file stays")
        for p in others:
            self.assertTrue(p.exists(), "%s is not ours to remove" % p.name)

    def test_save_in_place_when_folder_is_not_writable(self):
        s = self.user_session()
        s.settings()
        folder = s.home / "las"
        listfile = folder / "lista.tlv"
        h.write_tlv(listfile, [("Fanns", self.now_stored(86400), 1, 600, 1)])
        app = s.start_talvo([str(listfile)])
        app.wait_ready()
        os.chmod(folder, 0o555)
        app.add_reminder("Sparad pa plats")
        app.focus_main()
        s.x.key("ctrl+s")
        h.wait_until(lambda: "Sparad pa plats" in h.texts_in(listfile) or app.boxes(), 10,
                     what="the save to finish")
        self.assertFalse(app.boxes(), "no error box")
        self.assertEqual(h.texts_in(listfile), ["Fanns", "Sparad pa plats"])

    def test_write_protected_file_ctrl_s_asks(self):
        s = self.user_session()
        s.settings()
        listfile = s.home / "skyddad.tlv"
        original = h.write_tlv(listfile, [("Fanns", self.now_stored(86400), 1, 600, 1)])
        app = s.start_talvo([str(listfile)])
        app.wait_ready()
        os.chmod(listfile, 0o444)
        os.chmod(s.home, 0o555)
        app.add_reminder("Kan inte sparas")
        app.focus_main()
        s.x.key("ctrl+s")
        box = app.wait_box(10)
        s.shot("save-error-box")
        s.x.activate(box)
        s.x.key("Return")  # Nej is the default
        app.wait_no_box()
        self.assertTrue(app.alive())
        self.assertEqual(listfile.read_bytes(), original)

    def test_save_killed_in_the_middle_of_a_rewrite_in_place_is_finished_at_next_start(self):
        # The real program killed (SIGKILL) at the worst moment of a save in a
        # folder that takes no new file: the short new list written over the
        # start of the long old one, the old one's end not yet cut off.
        # strace stops the cut (ftruncate) from running and kills talvo there.
        if not shutil.which("strace"):
            self.fail("strace is needed to kill talvo at the cut")
        s = self.user_session()
        s.settings()
        folder = s.home / "las"
        listfile = folder / "lista.tlv"
        old = h.write_tlv(listfile, [("Gammal rad %d med en ganska lang text" % i, self.now_stored(86400 + i),
                                      1, 600, 1) for i in range(200)])
        app = s.start_talvo([str(listfile)])
        app.wait_ready()
        app.click_row(0)
        s.x.key("shift+End", "Delete")
        box = app.wait_box(10)
        s.x.activate(box)
        s.x.key("Return")  # Ja
        app.wait_no_box()
        app.add_reminder("Den nya listan")
        os.chmod(folder, 0o555)
        tracer = s._spawn("strace-cut", ["strace", "-f", "-p", str(app.pid), "-o", str(s.logs / "cut.strace"),
                                         "-e", "trace=ftruncate", "-e", "inject=ftruncate:error=EIO:signal=KILL"])
        # strace says on its standard error (its log) when it holds talvo.
        h.wait_until(lambda: "attached" in tracer.log.read_text(errors="replace"), 10, what="strace to attach")
        app.focus_main()
        s.x.key("ctrl+s")
        self.assertEqual(app.wait_exit(15), -signal.SIGKILL, "talvo was killed at the cut")
        tracer.stop()
        torn = listfile.read_bytes()
        self.assertEqual(len(torn), len(old), "the kill left the old list's end in the file")
        self.assertNotEqual(torn, old)

        app = s.start_talvo([str(listfile)])
        app.wait_ready()
        self.assertFalse(app.boxes(), "the list reads without a word")
        self.assertLess(len(listfile.read_bytes()), 200, "the old list's end is still in the file")
        self.assertEqual(h.texts_in(listfile), ["Den nya listan"], "the whole list that was being saved")
        kept = list((s.home / ".local" / "state" / "Talvo").glob("lista.tlv.torn-*"))
        self.assertEqual(len(kept), 1, "what the file held is kept")
        self.assertEqual(kept[0].read_bytes(), torn)
        self.assertEqual(kept[0].stat().st_mode & 0o777, 0o600)


class SharedFolders(h.E2ETest):

    def test_planted_link_in_a_sticky_folder_does_not_make_root_replace_its_target(self):
        # Another user (talvoe2e) plants a link in a /tmp-like folder, pointing
        # at root's own list elsewhere; root opens the link with talvo.
        other = h.unprivileged_user()
        if other is None or os.geteuid() != 0:
            self.skipTest("needs root and a second user to plant the link")
        s = self.session()
        s.settings()
        shared = s.root / "delad"
        shared.mkdir()
        os.chmod(shared, 0o1777)
        victim = s.home / "rotens.tlv"
        original = h.write_tlv(victim, [("Rotens egen", self.now_stored(86400), 1, 600, 1)])
        os.chmod(victim, 0o600)
        planted = shared / "lista.tlv"
        os.symlink(victim, planted)
        os.lchown(planted, *other)
        app = s.start_talvo([str(planted)])
        app.wait_ready()
        app.add_reminder("Genom lanken")
        app.focus_main()
        s.x.key("ctrl+s")
        h.wait_until(lambda: app.boxes() or victim.read_bytes() != original, 10, what="the save to end")
        self.assertEqual(victim.read_bytes(), original, "the link's target is not replaced")
        box = app.wait_box()  # the save error
        s.x.activate(box)
        s.x.key("Return")  # Nej is the default
        app.wait_no_box()
        # Ended by a signal, the list goes to a recovery file of root's alone.
        app.terminate()
        app.wait_exit(8)
        self.assertEqual(victim.read_bytes(), original)
        self.assertTrue(planted.is_symlink())
        self.assertEqual(os.lstat(planted).st_uid, other[0])
        rec = list((s.data / "Talvo").glob("talvo-recovery-*.tlv"))
        self.assertEqual(len(rec), 1, os.listdir(s.data / "Talvo"))
        self.assertEqual(h.texts_in(rec[0]), ["Rotens egen", "Genom lanken"])
        self.assertEqual(rec[0].stat().st_mode & 0o777, 0o600)
        for p in shared.iterdir():
            if not p.is_symlink():
                self.assertEqual(p.stat().st_mode & 0o077, 0, "%s is readable by others" % p.name)


if __name__ == "__main__":
    unittest.main()
