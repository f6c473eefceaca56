"""Unattended installations that succeed: what the real installer prints, writes to the
file system and registers, on the Windows NT family and on Windows 98, for all users and
for the current user only; and the installation-folder checks that end a run before
anything is installed."""
import os

from harness import HELPERS
from installation import MACHINE_ENV, InstallationTest, Layout

SHORTPATH = os.path.join(HELPERS, "shortpath.exe")


class InstallTest(InstallationTest):

    def test_fresh_install_for_all_users(self):
        # C:\Apps does not exist: the run creates it and the folder inside it.
        w = self.wine
        layout = Layout("C:\\Apps\\Arvendo Q", w.shell_folder("Common Programs"), w.shell_folder("Common Desktop"),
                        new_parents=["C:\\Apps"])
        before = self.snapshot()
        result = w.install("-installDir=" + layout.dir, "-acceptEULA")
        self.assertOutput(result, 0, layout.success_lines())
        after = self.snapshot()
        self.assertInstalled(layout, before, after)
        machine, user = self.environment_change(before, after)
        self.assertEqual((sorted(machine), user), (["PATH"], {}))
        old, new = machine["PATH"]
        self.assertEqual(new, ("REG_EXPAND_SZ", old[1] + ";" + layout.dir))
        self.assertEqual([piece.lower() for piece in new[1].split(";")].count(layout.dir.lower()), 1)
        self.assertFalse(os.path.exists(w.wine_path("C:\\AUTOEXEC.BAT")))

    def test_install_for_me_only_without_desktop_icon(self):
        # Start menu and search path of the current user; the associations stay machine-wide.
        w = self.wine
        layout = Layout("C:\\Program Files\\Arvendo Quarnelix", w.shell_folder("Programs"))
        before = self.snapshot()
        result = w.install("-acceptEULA", "-installForMeOnly", "-installDir=" + layout.dir, "-noDesktopIcon")
        self.assertOutput(result, 0, layout.success_lines())
        after = self.snapshot()
        self.assertInstalled(layout, before, after)
        machine, user = self.environment_change(before, after)
        self.assertEqual((machine, user), ({}, {"PATH": (None, ("REG_EXPAND_SZ", layout.dir))}))

    def test_folder_already_in_machine_path_is_not_added_again(self):
        # Listed in another letter case: the machine path stays, the user path is not used.
        w = self.wine
        layout = Layout("C:\\Apps\\Q", w.shell_folder("Common Programs"), new_parents=["C:\\Apps"])
        listed = "C:\\windows;c:\\APPS\\q;C:\\Tools"
        w.set_value(MACHINE_ENV, "PATH", listed, "REG_EXPAND_SZ")
        before = self.snapshot()
        result = w.install("-installDir=" + layout.dir, "-acceptEULA", "-noDesktopIcon")
        self.assertOutput(result, 0, layout.success_lines())
        after = self.snapshot()
        self.assertInstalled(layout, before, after)
        self.assertEqual(self.environment_change(before, after), ({}, {}))

    def test_windows_98_writes_its_variant_and_extends_autoexec_bat(self):
        w = self.wine
        w.set_windows_version("QuarnelixInstaller.exe", "win98")
        autoexec = b"@ECHO OFF\r\nPATH=C:\\WINDOWS;C:\\WINDOWS\\COMMAND\r\n"
        w.write_file("C:\\AUTOEXEC.BAT", autoexec)
        layout = Layout("C:\\Program Files\\Arvendo Quarnelix", w.shell_folder("Common Programs"),
                        w.shell_folder("Common Desktop"), platform="9x")
        before = self.snapshot()
        result = w.install("-installDir=" + layout.dir, "-acceptEULA")
        self.assertOutput(result, 0, layout.success_lines())
        after = self.snapshot()
        short = w.run(SHORTPATH, layout.dir)
        self.assertEqual(short.code, 0, repr(short))
        short_dir = short.stdout.decode("latin-1").strip()
        self.assertNotEqual(short_dir.lower(), layout.dir.lower())   # the 8.3 form, not the long name
        self.assertInstalled(layout, before, after, changed=["C:\\AUTOEXEC.BAT"])
        self.assertEqual(w.read_file("C:\\AUTOEXEC.BAT"),
                         autoexec + b"\r\nPATH=%PATH%;" + short_dir.encode() + b"\r\n")
        self.assertEqual(self.environment_change(before, after), ({}, {}))

    def test_installation_folder_that_cannot_be_made_ends_the_run_untouched(self):
        w = self.wine
        w.write_file("C:\\Data\\notes.txt", b"not a folder")
        cases = [
            # (folder, exit code, lines)
            ("C:\\Data\\notes.txt", 101,
             ["Unable to create target directory 'C:\\Data\\notes.txt': The specified target path already "
              "exists and is not a directory, aborting"]),
            # A file where a parent folder belongs is reported as that parent.
            ("C:\\Data\\notes.txt\\Q", 101,
             ["Unable to create target directory 'C:\\Data\\notes.txt': The specified target path already "
              "exists and is not a directory, aborting"]),
            # Creation itself fails: the parents it made for the folder are removed again.
            ("C:\\New\\Deeper\\bad|name", 102,
             ["Unable to create target directory 'C:\\New\\Deeper\\bad|name': Windows error 123: Invalid name.",
              "Rollback: removing previously created C:\\New\\Deeper",
              "Rollback: removing previously created C:\\New"]),
        ]
        for folder, code, expected in cases:
            with self.subTest(folder=folder):
                before = self.snapshot()
                result = w.install("-installDir=" + folder, "-acceptEULA")
                self.assertOutput(result, code, expected)
                self.assertMachineUnchanged(before, self.snapshot())
