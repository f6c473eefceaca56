"""Removal of an earlier installation, end to end: an uninstall registration is laid out
from outside, the installer runs unattended (or interactively under Xvfb), and what the
removal step prints, runs and leaves behind is checked. What the run does after a
successful removal belongs to later steps: there only "not 107" is asserted."""
import os
import re
import shutil
import subprocess
import time
import unittest

from harness import HELPERS, INSTALLER, WIN_BUILD, PrefixTest, Xvfb, crlf

KEY = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quarnelix"
SESSION_MANAGER = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager"
FAKE = os.path.join(HELPERS, "fakeuninst.exe")
LOCKFILE = os.path.join(HELPERS, "lockfile.exe")
REAL_UNINST = os.path.join(WIN_BUILD, "uninstaller", "uninst.exe")

OLD_DIR = "C:\\Old Quarnelix"
OLD_UNINST = OLD_DIR + "\\uninst.exe"
OLD_LOG = OLD_UNINST + ".log"

ABORT = " (use /Force flag to override uninstallation failure); aborting"
CANCEL_LINE = "Installation canceled by user (uninstallation failure)"
FAILED_13 = "Uninstaller failed with error code 13: Uninstallation failed partally or completely"
FAILED_12 = "Uninstaller failed with error code 12: Loading uninstallation information failed"
HELPER_ENDED = "The uninstaller's temporary copy ended without reporting a result"
HANDSHAKE = re.compile(r" -unat -result=([1-9a-f][0-9a-f]*) -done=([1-9a-f][0-9a-f]*)$")


def header(version):
    return "Uninstalling the existing Quarnelix %s installation" % version


class PreviousInstallationTest(PrefixTest):
    def setUp(self):
        super().setUp()
        os.makedirs(self.wine.wine_path(OLD_DIR))
        shutil.copyfile(FAKE, self.wine.wine_path(OLD_UNINST))
        self.runs = 0

    # ---- the earlier installation --------------------------------------------------------
    def register(self, version, uninstall_string):
        """The two values the removal reads; None removes a value."""
        for name, value in (("Version", version), ("UninstallString", uninstall_string)):
            if value is None:
                self.wine.reg("delete", KEY, "/v", name, "/f")
            else:
                self.wine.set_value(KEY, name, value)

    def fake_command(self, arguments):
        return '"%s" Quarnelix %s' % (OLD_UNINST, arguments)

    def logged(self):
        """The command lines the registered fake uninstaller was started with (then forgets them)."""
        path = self.wine.wine_path(OLD_LOG)
        if not os.path.exists(path):
            return []
        with open(path, "rb") as f:
            lines = f.read().decode("latin-1").splitlines()
        os.remove(path)
        return lines

    def pending_deletions(self):
        """The sources of the restart-time deletions (pairs with an empty destination)."""
        code, out = self.wine.reg("query", SESSION_MANAGER, "/v", "PendingFileRenameOperations")
        if code != 0:
            return []
        for line in out.splitlines():
            parts = line.strip().split(None, 2)
            if parts and parts[0] == "PendingFileRenameOperations" and len(parts) == 3:
                entries = parts[2].split("\\0")
                return [entries[i] for i in range(0, len(entries) - 1, 2) if entries[i + 1] == ""]
        return []

    # ---- runs ------------------------------------------------------------------------------
    def install(self, *extra):
        """An unattended run into a folder of its own, so runs that go on do not meet each other."""
        self.runs += 1
        return self.wine.install("-installDir=C:\\Q%d" % self.runs, "-acceptEULA", *extra)

    def assertStopped(self, result, *lines):
        self.assertEqual((result.code, result.stdout, result.stderr), (107, crlf(*lines), b""), result)

    def assertWentOn(self, result, *lines):
        """The removal printed exactly these lines first, and the run went on after it."""
        self.assertTrue(result.stdout.startswith(crlf(*lines)), result)
        self.assertNotEqual(result.code, 107, result)
        self.assertNotIn(b"Uninstaller failed", result.stdout, result)
        self.assertNotIn(b"(use /Force flag to override uninstallation", result.stdout, result)


def start_holding_run(test, display=None, installer=INSTALLER):
    """Starts an unattended run that holds the installers' mutex while the earlier
    uninstaller (which it started, and which does not inherit the mutex) answers only after
    a while; returns it once that uninstaller runs."""
    test.register("4.26", test.fake_command("--handoff=0 --delay=15000"))
    first = test.wine.start(installer, "-installDir=C:\\Q1", "-acceptEULA", display=display)
    test.addCleanup(lambda: [stream.close() for stream in first.outfiles])
    log = test.wine.wine_path(OLD_LOG)
    for _ in range(600):
        if os.path.exists(log) or first.poll() is not None:
            break
        time.sleep(0.1)
    test.assertTrue(os.path.exists(log), "the first run never started the uninstaller")
    return first


class OneRunAtATime(PreviousInstallationTest):
    def test_a_second_run_is_refused_while_the_first_one_waits_for_the_uninstaller(self):
        first = start_holding_run(self)
        second = self.wine.install("-installDir=C:\\Q2", "-acceptEULA")
        self.assertEqual((second.code, second.stdout), (150, crlf(*["Installation error: Another Quarnelix "
                                                                     "installer is running on this machine"] * 2)))
        self.assertEqual(first.wait(timeout=300), 0)
        self.assertFalse(os.path.exists(self.wine.wine_path("C:\\Q2")))


class HeldInstallerFile(PreviousInstallationTest):
    def test_the_installer_file_can_be_neither_renamed_nor_replaced_while_the_run_waits(self):
        # Extraction comes after the uninstaller: another file under the installer's name
        # then must not be what gets installed.
        w = self.wine
        w.make_dir("C:\\Dl")
        shutil.copyfile(INSTALLER, w.wine_path("C:\\Dl\\setup.exe"))
        shutil.copyfile(FAKE, w.wine_path("C:\\Dl\\other.exe"))
        first = start_holding_run(self, installer="C:\\Dl\\setup.exe")
        w.run("cmd", "/c", "move", "C:\\Dl\\setup.exe", "C:\\Dl\\renamed.exe")
        w.run("cmd", "/c", "copy", "/y", "C:\\Dl\\other.exe", "C:\\Dl\\setup.exe")
        self.assertEqual(first.wait(timeout=300), 0)
        self.assertFalse(os.path.exists(w.wine_path("C:\\Dl\\renamed.exe")))
        with open(INSTALLER, "rb") as original:
            self.assertEqual(w.read_file("C:\\Dl\\setup.exe"), original.read())
        with open(REAL_UNINST, "rb") as uninstaller:
            self.assertEqual(w.read_file("C:\\Q1\\uninst.exe"), uninstaller.read())


class NothingToRemove(PreviousInstallationTest):
    def test_no_registration_or_an_empty_value_prints_and_runs_nothing(self):
        cases = [(None, None), ("", self.fake_command("--exit=13")), ("4.26", ""),
                 ("4.26", None), (None, self.fake_command("--exit=13"))]
        for version, command in cases:
            with self.subTest(version=version, command=command):
                self.register(version, command)
                r = self.install()
                self.assertNotIn(b"Uninstalling the existing", r.stdout, r)
                self.assertNotIn(b"Uninstaller failed", r.stdout, r)
                self.assertNotEqual(r.code, 107, r)
                self.assertEqual(self.logged(), [])


class UninstallerResults(PreviousInstallationTest):
    def test_failure_codes_end_the_run_with_107(self):
        cases = [("--exit=12", "exit 12", FAILED_12),
                 ("--exit=13", "exit 13", FAILED_13),
                 # A processor fault's code as exit code shows as a negative number.
                 ("--exit=0xC0000005", "exit -1073741819", "Uninstaller failed with error code -1073741819"),
                 ("--exit=2", "exit 2", "Uninstaller failed with error code 2")]
        for arguments, said, message in cases:
            with self.subTest(arguments=arguments):
                self.register("4.26", self.fake_command(arguments))
                self.assertStopped(self.install(), header("4.26"), "", "fakeuninst: " + said, "", message + ABORT)
                self.assertEqual(len(self.logged()), 1)

    def test_success_goes_on(self):
        self.register("4.26", self.fake_command("--exit=0"))
        self.assertWentOn(self.install(), header("4.26"), "", "fakeuninst: exit 0", "")

    def test_handed_on_result_comes_from_the_shared_block(self):
        # The fake exits with 1 at once; its grandchild writes the value later and signals.
        self.register("4.26", self.fake_command("--handoff=0 --delay=1000"))
        self.assertWentOn(self.install(), header("4.26"), "", "fakeuninst: handing on", "fakeuninst: result 0", "")

        self.register("4.26", self.fake_command("--handoff=13 --delay=1000"))
        self.assertStopped(self.install(), header("4.26"), "", "fakeuninst: handing on", "fakeuninst: result 13",
                           "", FAILED_13 + ABORT)

    def test_handed_on_helper_made_known_that_ends_unanswered_is_failure_13(self):
        # The grandchild ends at once, writing and signalling nothing.
        self.register("4.26", self.fake_command("--handoff=0 --tell --vanish"))
        self.assertStopped(self.install(), header("4.26"), "", "fakeuninst: handing on", HELPER_ENDED, "",
                           FAILED_13 + ABORT)

    def test_force_goes_on_after_one_warning_line(self):
        self.register("4.26", self.fake_command("--exit=13"))
        r = self.install("-force")
        self.assertTrue(r.stdout.startswith(crlf(header("4.26"), "", "fakeuninst: exit 13", "",
                                                 "Warning: " + FAILED_13)), r)
        self.assertNotEqual(r.code, 107, r)
        self.assertNotIn(ABORT.encode(), r.stdout)

    def test_uninstaller_that_cannot_start_loses_the_final_full_stop(self):
        self.register("4.26", '"%s\\missing.exe" Quarnelix' % OLD_DIR)
        r = self.install()
        self.assertEqual(r.code, 107, r)
        lines = r.stdout.decode("latin-1").split("\r\n")
        self.assertEqual(lines[:2], [header("4.26"), ""], r)
        self.assertEqual(len(lines), 4, r)  # nothing after the message (the last entry is empty)
        # The system's text for error 2 ends with a full stop; it goes before the suffix.
        self.assertRegex(lines[2], r"^Launching uninstaller failed: CreateProcess\(\) failed: Windows error 2: "
                                   r".*[^.]" + re.escape(ABORT) + "$")


class WhichUninstaller(PreviousInstallationTest):
    def test_from_407_on_the_registered_command_runs_with_the_handshake(self):
        for version in ("4.07", "4.1", "4.26", "4.3"):
            with self.subTest(version=version):
                command = self.fake_command("--exit=13")
                self.register(version, command)
                self.assertStopped(self.install(), header(version), "", "fakeuninst: exit 13", "", FAILED_13 + ABORT)
                logged = self.logged()
                self.assertEqual(len(logged), 1)
                self.assertTrue(logged[0].startswith(command + " -unat -result="), logged)
                match = HANDSHAKE.search(logged[0])
                self.assertIsNotNone(match, logged)
                self.assertEqual(logged[0], command + match.group(0))
                self.assertNotEqual(match.group(1), match.group(2))

    def test_before_407_a_fresh_uninstaller_runs_from_the_temporary_folder(self):
        if not os.path.exists(REAL_UNINST):
            self.skipTest("uninst.exe is not built")
        temp = self.wine.temp_folder()
        copy = temp + "\\uninst.exe"
        # Registered without anything to remove: the fresh uninstaller finds the key it was
        # named ("Quarnelix"), cannot load it, and answers 12 without asking (-unat).
        self.register("4.06", self.fake_command("--exit=0"))
        r = self.install()
        self.assertEqual(r.code, 107, r)
        lines = r.stdout.decode("latin-1").split("\r\n")
        self.assertEqual(lines[:2], [header("4.06"), ""], r)
        self.assertEqual(lines[-3:], ["", FAILED_12 + ABORT, ""], r)
        middle = "\n".join(lines[2:-3])
        self.assertIn("\\Uninstall\\Quarnelix", middle, r)
        self.assertEqual(self.logged(), [], "the registered uninstaller of a 4.06 installation ran")
        with open(self.wine.wine_path(copy), "rb") as f, open(REAL_UNINST, "rb") as g:
            self.assertTrue(f.read() == g.read(), "the temporary copy is not the uninstaller")
        self.assertIn("\\??\\" + copy, self.pending_deletions())
        self.assertEqual(sorted(n for n in os.listdir(self.wine.wine_path(temp)) if n.lower().startswith("uninst")),
                         ["uninst.exe"])

        # With something it can remove, the fresh uninstaller succeeds and the run goes on;
        # the copy is overwritten in place.
        self.wine.set_value(KEY, "InstallDir", OLD_DIR)
        self.wine.set_value(KEY, "UninstallParam", '"-shareResWith=Dorvask"')
        r = self.install()
        self.assertEqual(r.stdout.decode("latin-1").split("\r\n")[:2], [header("4.06"), ""], r)
        self.assertWentOn(r, header("4.06"), "")
        self.assertEqual(self.logged(), [])

    def test_locked_uninst_exe_in_the_temporary_folder_fails_at_once(self):
        temp = self.wine.temp_folder()
        marker = self.wine.wine_path(temp + "\\locked.marker")
        locker = self.wine.start(LOCKFILE, temp + "\\uninst.exe", temp + "\\locked.marker", "120")
        self.addCleanup(self.stop, locker)
        deadline = time.time() + 60
        while not os.path.exists(marker):
            self.assertLess(time.time(), deadline, "lockfile did not start")
            self.assertIsNone(locker.poll(), "lockfile ended early")
            time.sleep(0.1)

        self.register("4.06", self.fake_command("--exit=0"))
        r = self.install()
        self.assertEqual(r.code, 107, r)
        lines = r.stdout.decode("latin-1").split("\r\n")
        # The file's error is the message, without a second name and before any empty line.
        self.assertEqual(len(lines), 3, r)
        self.assertEqual(lines[0], header("4.06"))
        self.assertRegex(lines[1], r"^CreateFileA\(\) failed: Windows error 32: .*[^.]" + re.escape(ABORT) + "$")
        names = sorted(n for n in os.listdir(self.wine.wine_path(temp)) if n.lower().startswith("uninst"))
        self.assertEqual(names, ["uninst.exe"])
        self.assertEqual(os.path.getsize(self.wine.wine_path(temp + "\\uninst.exe")), 0)
        self.assertEqual([p for p in self.pending_deletions() if "uninst" in p.lower()], [])
        self.assertEqual(self.logged(), [])

    @staticmethod
    def stop(proc):
        if proc.poll() is None:
            proc.kill()
            proc.wait(timeout=30)
        for f in proc.outfiles:
            f.close()


class Reinstallation(PreviousInstallationTest):
    def test_second_installation_removes_the_first_through_its_own_uninstaller(self):
        first = self.wine.install("-installDir=C:\\First", "-acceptEULA")
        if first.code != 0:
            self.skipTest("a complete installation is not possible in this build yet: %r" % first)
        self.assertNotIn(b"Uninstalling the existing", first.stdout)
        self.assertEqual(self.wine.query_value(KEY, "Version"), "4.26")
        # The installed uninstaller runs from its own folder, so it hands its work on to a
        # copy of itself and the result comes back through the shared block.
        second = self.wine.install("-installDir=C:\\Second", "-acceptEULA")
        self.assertWentOn(second, header("4.26"), "")
        self.assertEqual(second.code, 0, second)
        self.assertFalse(os.path.exists(self.wine.wine_path("C:\\First\\quarnelix.exe")))
        self.assertTrue(os.path.exists(self.wine.wine_path("C:\\Second\\quarnelix.exe")))


class InteractiveBox(PreviousInstallationTest):
    """The "Uninstallation failure" box for real under Xvfb: the installer dialog is answered
    by the dialogdrive helper (agreement box, Install), the box by the boxclick helper."""

    CAPTION = "Uninstallation failure"
    # The dialog's controls: the agreement box and the Install button.
    AGREEMENT, INSTALL = 1006, 1

    def setUp(self):
        super().setUp()
        x = Xvfb()
        self.addCleanup(x.close)
        self.display = x.display

    def box(self, *args, timeout=90):
        return self.wine.run(os.path.join(HELPERS, "boxclick.exe"), *args, display=self.display, timeout=timeout)

    def drive(self, *actions, timeout=90):
        return self.wine.run(os.path.join(HELPERS, "dialogdrive.exe"), *actions, display=self.display,
                             timeout=timeout)

    def test_a_second_interactive_run_asks_to_retry_or_cancel(self):
        # The first run shares the X server: Wine's desktop of a prefix serves one display.
        first = start_holding_run(self, self.display)
        second = self.wine.start(INSTALLER, display=self.display)
        self.addCleanup(WhichUninstaller.stop, second)
        self.assertEqual(self.drive("--click=%d" % self.AGREEMENT, "--click=%d" % self.INSTALL).code, 0)
        box = self.box("Installer Already Running", "--report", "--click=Cancel")
        self.assertEqual(box.code, 0, box)
        self.assertIn(b"text: Another Quarnelix installer is running on this machine.\\nWait for it to finish, "
                      b"then choose Retry.\r\n", box.stdout)
        self.assertEqual(second.wait(timeout=120), 150)
        second.outfiles[0].seek(0)
        self.assertEqual(second.outfiles[0].read(),
                         crlf("Installation canceled by user (another installer is running)"))
        self.assertEqual(first.wait(timeout=300), 0)

    def test_enter_answers_no_and_ends_the_run_with_107_after_the_cancellation_line(self):
        self.register("4.26", self.fake_command("--exit=13"))
        proc = self.wine.start(INSTALLER, display=self.display)
        self.addCleanup(WhichUninstaller.stop, proc)
        # Interactive mode reaches the removal only after the dialog. The same version is
        # registered, so its button offers to replace it; the agreement enables it.
        d = self.drive("--click=%d" % self.AGREEMENT, "--report")
        self.assertEqual(d.code, 0, d)
        shown = d.stdout.decode("latin-1").splitlines()
        self.assertIn("control %d Button: Replace" % self.INSTALL, shown, d)
        self.assertIn("control %d Button: I agree to accept all the terms of this License Agreement checked"
                      % self.AGREEMENT, shown, d)
        self.assertEqual(self.logged(), [], "the uninstaller ran before the dialog was answered")
        d = self.drive("--click=%d" % self.INSTALL, "--gone")
        self.assertEqual(d.code, 0, d)

        r = self.box(self.CAPTION, "--report", "--enter", "--timeout=60000")
        self.assertEqual(r.code, 0, r)
        self.assertEqual(sorted(r.stdout.decode("latin-1").splitlines()),
                         sorted(["caption: " + self.CAPTION, "icon",
                                 "text: " + FAILED_13 + ".\\nDo you want to continue with the installation anyway?",
                                 "button: 6 &Yes", "button: 7 &No default"]))
        code = proc.wait(timeout=60)
        out, err = proc.outfiles
        out.seek(0)
        err.seek(0)
        self.assertEqual((code, out.read(), err.read()),
                         (107, crlf(header("4.26"), "", "fakeuninst: exit 13", "", "Warning: " + FAILED_13,
                                    CANCEL_LINE), b""))
        logged = self.logged()
        self.assertEqual(len(logged), 1, logged)
        self.assertRegex(logged[0], "^" + re.escape(self.fake_command("--exit=13")) + HANDSHAKE.pattern)
        self.assertFalse(os.path.exists(self.wine.wine_path("C:\\Program Files\\Arvendo Quarnelix")))


if __name__ == "__main__":
    unittest.main()
