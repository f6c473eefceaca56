"""The installer dialog of interactive mode, end to end: the installer runs without
arguments under a private X server, and the dialogdrive helper, in the same prefix,
reads the dialog and answers it like a user. A screenshot of the dialog goes to the
build folder (dialog-screenshot.png, dialog-package-screenshot.png)."""
import os
import shutil
import subprocess
import unittest

from harness import HELPERS, INSTALLER, WIN_BUILD, PrefixTest, Xvfb

CAPTION = "Arvendo Quarnelix 4.26 Installer"
DEFAULT_FOLDER = "C:\\Program Files\\Arvendo Quarnelix"
UNINSTALL_KEY = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quarnelix"
BUILD_ROOT = os.path.dirname(os.path.abspath(WIN_BUILD))

CONTROLS = {
    1008: "What's in the package",
    1002: "Visit the Quarnelix web page",
    1006: "I agree to accept all the terms of this License Agreement",
    1007: "Installation Folder",
    1011: "Install for all users",
    1012: "Create a desktop icon",
    1013: "Run Quarnelix when done",
    2: "Cancel",
}


def parse_report(text):
    """{"caption": ..., "focus": id, "controls": {id: (class, text, flags)}}"""
    report = {"controls": {}}
    for line in text.splitlines():
        if line.startswith("caption: "):
            report["caption"] = line[len("caption: "):]
        elif line.startswith("focus: "):
            report["focus"] = int(line[len("focus: "):])
        elif line.startswith("control "):
            head, _, rest = line.partition(": ")
            _, ident, kind = head.split(" ", 2)
            flags = set()
            stripped = True
            while stripped:
                stripped = False
                for flag in ("checked", "disabled"):
                    if rest.endswith(" " + flag):
                        flags.add(flag)
                        rest = rest[: -len(flag) - 1]
                        stripped = True
            report["controls"][int(ident)] = (kind, rest, flags)
    return report


class DialogTest(PrefixTest):
    def setUp(self):
        super().setUp()
        x = Xvfb()
        self.addCleanup(x.close)
        self.display = x.display

    def drive(self, *actions, timeout=120):
        return self.wine.run(os.path.join(HELPERS, "dialogdrive.exe"), *actions,
                             display=self.display, timeout=timeout)

    def box(self, *args, timeout=120):
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
    def finish(proc, timeout=120):
        code = proc.wait(timeout=timeout)
        out, err = proc.outfiles
        out.seek(0)
        err.seek(0)
        return code, out.read(), err.read()

    def report(self):
        r = self.drive("--report")
        self.assertEqual(r.code, 0, repr(r))
        return parse_report(r.stdout.decode("latin-1"))

    def screenshot(self, name):
        if shutil.which("import"):
            subprocess.run(["import", "-window", "root", os.path.join(BUILD_ROOT, name)],
                           env=dict(os.environ, DISPLAY=self.display), timeout=60,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def assert_nothing_installed(self, folder=DEFAULT_FOLDER):
        self.assertFalse(os.path.exists(self.wine.wine_path(folder)), folder)
        self.assertIsNone(self.wine.query_value(UNINSTALL_KEY, "UninstallParam"))

    def shortcuts_named(self, name):
        found = []
        for root, _, files in os.walk(os.path.join(self.wine.prefix, "drive_c")):
            found += [os.path.join(root, f) for f in files if f.lower() == name.lower()]
        return found


class DialogShowsAndCancels(DialogTest):
    def test_first_look_and_cancel_ends_the_run_with_202(self):
        proc = self.start_installer()
        report = self.report()
        self.screenshot("dialog-screenshot.png")
        self.assertEqual(report["caption"], CAPTION)
        controls = report["controls"]
        for ident, text in CONTROLS.items():
            self.assertEqual(controls[ident][1], text, ident)
        self.assertEqual(controls[1001][1], DEFAULT_FOLDER)
        self.assertEqual(controls[1][1], "Install")
        self.assertIn("disabled", controls[1][2])
        self.assertNotIn("checked", controls[1006][2])
        # Wine's user is an administrator: all users by default; both other options on.
        for ident in (1011, 1012, 1013):
            self.assertIn("checked", controls[ident][2], ident)
        self.assertTrue(controls[1005][1].startswith("Arvendo Quarnelix 4.26"), controls[1005][1][:80])
        self.assertEqual(report["focus"], 1005)
        self.assertEqual(self.drive("--click=2", "--gone").code, 0)
        self.assertEqual(self.finish(proc), (202, b"", b""))
        self.assert_nothing_installed()

    def test_esc_and_the_close_box_end_the_run_with_202(self):
        for action in ("--key=esc", "--close"):
            with self.subTest(action=action):
                proc = self.start_installer()
                r = self.drive("--click=1006", "--text=1001:C:\\Elsewhere", action, "--gone")
                self.assertEqual(r.code, 0, repr(r))
                self.assertEqual(self.finish(proc), (202, b"", b""))
                self.assert_nothing_installed("C:\\Elsewhere")

    def test_package_window_shows_what_the_package_installs(self):
        proc = self.start_installer()
        r = self.drive("--link=1008", "--window=Arvendo Quarnelix 4.26 Package Contents")
        self.assertEqual(r.code, 0, repr(r))
        out = r.stdout.decode("latin-1")
        self.assertIn("window: Arvendo Quarnelix 4.26 Package Contents", out)
        for name in ("quarnelix.exe", "netprefs.exe", "srvprefs.exe", "qxagent.exe", "uninst.exe"):
            self.assertIn(name, out)
        self.screenshot("dialog-package-screenshot.png")
        self.assertEqual(self.drive("--click=2", "--gone").code, 0)
        self.assertEqual(self.finish(proc)[0], 202)


class DialogInstalls(DialogTest):
    def test_install_takes_the_folder_and_the_options(self):
        folder = "C:\\Apps\\Quarnelix From Dialog"
        proc = self.start_installer()
        # A folder that can never work keeps the dialog open with the folder field focused.
        r = self.drive("--text=1001:C:\\Apps\\CON", "--click=1006", "--click=1012", "--click=1013")
        self.assertEqual(r.code, 0, repr(r))
        clicker = self.wine.start(os.path.join(HELPERS, "dialogdrive.exe"), "--click=1", display=self.display)
        self.addCleanup(self.stop, clicker)
        box = self.box("Directory Creation Failed", "--report", "--enter")
        self.assertEqual(box.code, 0, repr(box))
        self.assertIn("text: Unable to create target directory 'C:\\Apps\\CON': 'CON' is a name Windows reserves "
                      "for a device.\r\n", box.stdout.decode("latin-1"))
        self.assertEqual(self.finish(clicker)[0], 0)
        self.assertEqual(self.report()["focus"], 1001)
        # The folder as typed becomes one full path.
        r = self.drive("--text=1001:C:/Apps//Quarnelix From Dialog/.", "--report", "--click=1", "--gone")
        self.assertEqual(r.code, 0, repr(r))
        report = parse_report(r.stdout.decode("latin-1"))
        self.assertNotIn("disabled", report["controls"][1][2])
        # The completion box, then the completion line.
        box = self.box("Installation Completed", "--enter")
        self.assertEqual(box.code, 0, repr(box))
        code, out, _ = self.finish(proc)
        self.assertEqual(code, 0, out)
        self.assertTrue(out.endswith(b"Arvendo Quarnelix 4.26 installation completed\r\n"), out)
        self.assertTrue(os.path.isfile(os.path.join(self.wine.wine_path(folder), "quarnelix.exe")))
        self.assertEqual(self.wine.query_value(UNINSTALL_KEY, "InstallDir"), folder)
        # No desktop icon: the only Quarnelix.lnk is the Start-menu one.
        links = self.shortcuts_named("Quarnelix.lnk")
        self.assertEqual(len(links), 1, links)
        self.assertIn("Start Menu", links[0])


class DialogButtonFollowsEarlierInstallation(DialogTest):
    def test_button_label_and_folder_come_from_the_earlier_installation(self):
        for version, label in (("4.25", "Upgrade"), ("4.26", "Replace"), ("4.3", "Replace")):
            with self.subTest(version=version):
                self.wine.set_value(UNINSTALL_KEY, "Version", version)
                self.wine.set_value(UNINSTALL_KEY, "InstallDir", "C:\\Old Quarnelix")
                proc = self.start_installer()
                report = self.report()
                self.assertEqual(report["controls"][1][1], label)
                self.assertEqual(report["controls"][1001][1], "C:\\Old Quarnelix")
                self.assertEqual(self.drive("--click=2", "--gone").code, 0)
                self.assertEqual(self.finish(proc)[0], 202)


if __name__ == "__main__":
    unittest.main()
