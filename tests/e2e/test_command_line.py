"""The command line as a person types it: help and version, mistyped options,
a folder, two lists, and a list whose name starts with "-". None of the
requests or mistakes may write a file or change the remembered list."""

import os
import pty
import select
import subprocess
import time

import harness as h


class CommandLine(h.E2ETest):

    def setUp(self):
        s = self.session()
        s.settings()
        # The user's real list, remembered from last time.
        self.real = s.home / "listor" / "riktig.tlv"
        h.write_tlv(self.real, [("Den riktiga", self.now_stored(86400), 1, 3600, 0)])
        reg = dict(h.QUIET_SETTINGS, LastFile=str(self.real))
        h.write_registry(s.registry, reg)
        self.work = s.home / "arbete"
        self.work.mkdir()

    def run_in_terminal(self, args, timeout=10):
        """talvo with a terminal on stdout and stderr: (status, output)."""
        master, slave = pty.openpty()
        env = self.s.base_env()
        p = subprocess.Popen([str(h.talvo_binary())] + args, env=env, cwd=str(self.work), stdin=subprocess.DEVNULL,
                             stdout=slave, stderr=slave, start_new_session=True)
        os.close(slave)
        out = b""
        end = h.deadline(timeout)
        while time.monotonic() < end:
            ready, _, _ = select.select([master], [], [], 0.1)
            if ready:
                try:
                    chunk = os.read(master, 4096)
                except OSError:
                    chunk = b""
                if not chunk and p.poll() is not None:
                    break
                out += chunk
            elif p.poll() is not None:
                break
        os.close(master)
        try:
            status = p.wait(timeout=2)
        except subprocess.TimeoutExpired:
            p.kill()
            self.fail("talvo %s still running after %d s; output: %r" % (args, timeout, out))
        return status, out.decode("utf-8", errors="replace")

    def run_piped(self, args, timeout=10):
        p = subprocess.run([str(h.talvo_binary())] + args, env=self.s.base_env(), cwd=str(self.work),
                           stdin=subprocess.DEVNULL, capture_output=True, timeout=timeout)
        return p.returncode, p.stdout.decode("utf-8"), p.stderr.decode("utf-8")

    def assert_nothing_written(self):
        self.assertEqual(sorted(p.name for p in self.work.iterdir()), [], "files written in the current folder")
        self.assertEqual(h.read_registry(self.s.registry).get("LastFile"), str(self.real))
        self.assertFalse(self.s.data_file.exists(), "the default list was created")
        self.assertEqual(h.texts_in(self.real), ["Den riktiga"])

    def assert_real_list_still_opens(self):
        app = self.start()
        self.assertEqual(app.title(), "Talvo - riktig.tlv")
        self.assertFalse(app.boxes())

    def test_help_and_version_print_and_touch_nothing(self):
        for flag in ("--help", "-h", "/?"):
            with self.subTest(flag=flag):
                status, out, err = self.run_piped([flag])
                self.assertEqual((status, err), (0, ""))
                self.assertTrue(out.startswith("Användning: talvo [FLAGGA]... [--] [LISTA]\n"), out)
                self.assertIn("--version", out)
        status, out, err = self.run_piped(["--version"])
        self.assertEqual((status, out, err), (0, "Talvo 1.20\n", ""))
        # Options come before the list: help wins wherever it stands.
        status, out, _ = self.run_piped(["lista.tlv", "--help"])
        self.assertEqual(status, 0)
        self.assert_nothing_written()
        self.assert_real_list_still_opens()

    def test_unknown_option_from_a_terminal_says_so_and_exits_2(self):
        for args in (["--frobnicate"], ["-x"], ["-"], ["lista.tlv", "--frobnicate"]):
            with self.subTest(args=args):
                status, out = self.run_in_terminal(args)
                self.assertEqual(status, 2, out)
                self.assertIn('Okänd flagga "%s".' % args[-1], out)
                self.assertIn("Användning:", out)
                self.assertEqual(self.s.x.windows_named(exact="Talvo"), [], "no box where a terminal shows it")
        self.assert_nothing_written()
        self.assert_real_list_still_opens()

    def test_unknown_option_from_a_launcher_shows_a_box(self):
        # A desktop launcher's program writes to a log nobody reads.
        app = self.s.start_talvo(["--frobnicate"], cwd=str(self.work))
        box = app.wait_box()
        self.assertEqual(app.main_windows(visible_only=False), [], "no main window for a mistyped option")
        self.s.x.activate(box)
        self.s.x.key("Return")
        self.assertEqual(app.wait_exit(), 2)
        self.assertIn('Okänd flagga "--frobnicate"', app.stderr())
        self.assert_nothing_written()

    def test_folder_is_refused_and_never_remembered(self):
        status, out = self.run_in_terminal([str(self.work)])
        self.assertEqual(status, 2, out)
        self.assertIn('"%s" är en mapp.' % self.work, out)
        status, out = self.run_in_terminal(["."])
        self.assertEqual(status, 2, out)
        self.assert_nothing_written()
        # A remembered list that has become a folder is passed over for the default list.
        self.real.unlink()
        self.real.mkdir()
        app = self.start()
        self.assertEqual(app.title(), "Talvo - talvo.tlv")
        self.assertFalse(app.boxes())

    def test_double_dash_opens_a_list_named_like_an_option(self):
        odd = self.work / "-x.tlv"
        h.write_tlv(odd, [("Streck", self.now_stored(86400), 1, 3600, 0)])
        app = self.s.start_talvo(["--", "-x.tlv"], cwd=str(self.work))
        app.wait_ready()
        self.assertEqual(app.title(), "Talvo - -x.tlv")
        self.assertFalse(app.boxes())
        app.add_reminder("Till")
        app.save(odd)
        self.assertEqual(h.texts_in(odd), ["Streck", "Till"])

    def test_two_existing_lists_are_refused(self):
        a, b = self.s.home / "a.tlv", self.s.home / "b.tlv"
        for f in (a, b):
            h.write_tlv(f, [(f.name, self.now_stored(86400), 1, 3600, 0)])
        status, out = self.run_in_terminal([str(a), str(b)])
        self.assertEqual(status, 2, out)
        self.assertIn("Talvo öppnar en lista i taget", out)
        self.assertEqual((h.texts_in(a), h.texts_in(b)), (["a.tlv"], ["b.tlv"]))
        self.assertFalse((self.s.home / "a.tlv b.tlv").exists())
        self.assertEqual(h.read_registry(self.s.registry).get("LastFile"), str(self.real))
