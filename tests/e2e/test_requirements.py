"""The system requirements check, end to end: Windows versions and browser versions as
Wine reports them, unattended lines and exit codes, and the real message box."""
import os
import subprocess
import unittest

from harness import HELPERS, INSTALLER, PrefixTest, Xvfb, crlf

PROBLEM = "Quarnelix requires Windows 98 or Windows NT 4.0 SP3 and Internet Explorer 4.0, or higher"
ABORT_LINE = crlf(PROBLEM + " (use /Force flag to override version checking); aborting")
WARNING_LINE = crlf("Warning: " + PROBLEM)
EULA_LINES = crlf(
    "Missing -acceptEULA parameter to indicate your acceptance of the Quarnelix",
    "End-User License Agreement. Please run this installer without parameters to",
    "read the EULA, then supply -acceptEULA for unattended installation.")

EXE = "QuarnelixInstaller.exe"
BROWSER_KEY = "HKLM\\Software\\Microsoft\\Internet Explorer"
NT_VERSION_KEY = "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion"
CSD_KEY = "HKLM\\System\\CurrentControlSet\\Control\\Windows"

BOX_CAPTION = "Unsupported OS Version Detected"
BOX_TEXT = ("The minimum requirements for installing Quarnelix are:\\n- Windows 98 or Windows NT 4.0 SP3,"
            "\\n- Internet Explorer 4.0.\\n\\nDoes your system meet Quarnelix minimum requirements?")


class Requirements(PrefixTest):
    """Without -acceptEULA a qualifying system ends with 140 (the acceptance check comes
    right after the requirement check), so every outcome here is exact."""

    def check(self, passes, force=False):
        args = ["-installDir=C:\\Q"] + (["-force"] if force else [])
        r = self.wine.install(*args)
        if passes:
            self.assertRun(r, 140, b"", EULA_LINES)
        elif force:
            self.assertRun(r, 140, WARNING_LINE, EULA_LINES)
        else:
            self.assertRun(r, 130, ABORT_LINE)

    def remove_value(self, key, name):
        code, out = self.wine.reg("delete", key, "/v", name, "/f")
        self.assertEqual(code, 0, out)

    def test_windows_versions(self):
        cases = [("win95", False), ("win98", True), ("winme", True), ("nt351", False),
                 ("nt40", True), ("win2k", True), ("winxp", True)]
        for version, passes in cases:
            with self.subTest(version=version):
                self.wine.set_windows_version(EXE, version)
                self.check(passes)

    def test_force_turns_the_refusal_into_one_warning_line(self):
        for version in ("win95", "nt351"):
            with self.subTest(version=version):
                self.wine.set_windows_version(EXE, version)
                self.check(False, force=True)

    def test_force_changes_nothing_on_a_qualifying_system(self):
        self.wine.set_windows_version(EXE, "win98")
        self.check(True, force=True)

    def set_nt4(self, service_pack):
        """Windows NT 4.0 as the prefix's own registry describes it (no per-program version)."""
        self.wine.set_value(NT_VERSION_KEY, "CurrentVersion", "4.0")
        self.wine.set_value(NT_VERSION_KEY, "CurrentBuildNumber", "1381")
        self.wine.set_value(NT_VERSION_KEY, "CurrentBuild", "1381")
        self.wine.set_value(NT_VERSION_KEY, "CurrentMajorVersionNumber", "4", "REG_DWORD")
        self.wine.set_value(NT_VERSION_KEY, "CurrentMinorVersionNumber", "0", "REG_DWORD")
        self.wine.set_value(NT_VERSION_KEY, "CSDVersion", "Service Pack %d" % service_pack)
        self.wine.set_value(CSD_KEY, "CSDVersion", "0x%x" % (service_pack << 8), "REG_DWORD")

    def test_nt4_needs_service_pack_3(self):
        for service_pack, passes in ((2, False), (3, True), (6, True)):
            with self.subTest(service_pack=service_pack):
                self.set_nt4(service_pack)
                self.check(passes)

    def test_browser_versions(self):
        cases = [
            ("6.0.2900.2180", None, None, True),
            ("4.71.1712", None, None, True),
            ("4.71.1711", None, None, False),
            ("4.70.1300", "103", "9999", False),   # "Version" wins over "IVer"
            (None, "103", "1158", False),           # Internet Explorer 3: (4, 70, 1158)
            (None, "101", None, False),
            (None, None, None, False),               # nothing recorded: undetermined
        ]
        for version, iver, build, passes in cases:
            with self.subTest(version=version, iver=iver, build=build):
                for name, value in (("Version", version), ("IVer", iver), ("Build", build)):
                    if value is None:
                        self.wine.reg("delete", BROWSER_KEY, "/v", name, "/f")
                    else:
                        self.wine.set_value(BROWSER_KEY, name, value)
                self.check(passes)
                if not passes:
                    self.check(False, force=True)

    def test_requirement_check_comes_after_the_command_line_check(self):
        self.wine.set_windows_version(EXE, "win95")
        r = self.wine.install("-acceptEULA")
        self.assertEqual(r.code, 201, repr(r))
        self.assertNotIn(PROBLEM.encode(), r.stdout)


class RequirementsRunGoesOn(PrefixTest):
    """With -acceptEULA the run goes past the check; what it prints later is not this
    check's business, so only the beginning of the output and the code are looked at."""

    def test_failing_system_with_force_warns_and_goes_on(self):
        self.wine.set_windows_version(EXE, "win95")
        r = self.wine.install("-installDir=C:\\Q", "-acceptEULA", "-force")
        self.assertTrue(r.stdout.startswith(WARNING_LINE), repr(r))
        self.assertEqual(r.stdout.count(PROBLEM.encode()), 1, repr(r))
        self.assertNotIn(r.code, (130, 140), repr(r))

    def test_failing_system_without_force_stops_at_once(self):
        self.wine.set_windows_version(EXE, "win95")
        self.assertRun(self.wine.install("-installDir=C:\\Q", "-acceptEULA"), 130, ABORT_LINE)

    def test_qualifying_system_prints_nothing_about_requirements(self):
        self.wine.set_windows_version(EXE, "nt40")
        r = self.wine.install("-installDir=C:\\Q", "-acceptEULA")
        self.assertNotIn(PROBLEM.encode(), r.stdout, repr(r))
        self.assertNotIn(r.code, (130, 140), repr(r))


class RequirementsBox(PrefixTest):
    """Interactive mode on Windows 95: a real message box under Xvfb, answered by the
    boxclick helper running in the same prefix."""

    def setUp(self):
        super().setUp()
        x = Xvfb()
        self.addCleanup(x.close)
        self.display = x.display
        self.wine.set_windows_version(EXE, "win95")

    def box(self, *args, timeout=90):
        return self.wine.run(os.path.join(HELPERS, "boxclick.exe"), *args, display=self.display, timeout=timeout)

    def start_installer(self):
        proc = self.wine.start(INSTALLER, display=self.display)
        self.addCleanup(self.stop, proc)
        return proc

    @staticmethod
    def stop(proc):
        if proc.poll() is None:
            proc.kill()
            proc.wait(timeout=30)
        for f in proc.outfiles:
            f.close()

    @staticmethod
    def finish(proc, timeout=60):
        code = proc.wait(timeout=timeout)
        out, err = proc.outfiles
        out.seek(0)
        err.seek(0)
        return code, out.read(), err.read()

    def test_enter_answers_no_and_ends_the_run_with_130(self):
        proc = self.start_installer()
        r = self.box(BOX_CAPTION, "--report", "--enter")
        self.assertEqual(r.code, 0, repr(r))
        # Yes and No with No the default, the warning text, an icon (the order of the
        # box's child windows is Wine's business).
        self.assertEqual(sorted(r.stdout.decode("latin-1").splitlines()),
                         sorted(["caption: " + BOX_CAPTION, "icon", "text: " + BOX_TEXT,
                                 "button: 6 &Yes", "button: 7 &No default"]))
        # Refusing the requirements question writes nothing.
        self.assertEqual(self.finish(proc), (130, b"", b""))

    def test_yes_goes_on_with_the_run(self):
        proc = self.start_installer()
        r = self.box(BOX_CAPTION, "--click=&Yes")
        self.assertEqual(r.code, 0, repr(r))
        # The run goes on to its next step. While later steps are missing from this
        # build it ends in the final error report, which is answered so the run ends.
        self.box("Installation Error", "--enter", "--timeout=15000")
        try:
            code = proc.wait(timeout=15)
        except subprocess.TimeoutExpired:
            code = None  # still running: a later step holds a window of its own
        self.assertNotEqual(code, 130)
        self.assertEqual(self.box(BOX_CAPTION, "--timeout=1000").code, 2, "the box came back")


if __name__ == "__main__":
    unittest.main()
