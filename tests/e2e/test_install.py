"""Unattended installations that succeed: what the real installer prints, writes to the
file system and registers, on the Windows NT family and on Windows 98, for all users and
for the current user only; and the installation-folder checks that end a run before
anything is installed."""
import os
import re
import shutil
import subprocess

from harness import HELPERS, INSTALLER
from installation import MACHINE_ENV, UNINSTALL_KEY, InstallationTest, Layout, lines
from test_package_resource import Pe

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

    def test_runs_from_a_folder_the_ansi_code_page_cannot_name(self):
        # Cyrillic under the prefix's Western code page.
        w = self.wine
        os.makedirs(w.wine_path("C:\\Загрузки"))
        shutil.copyfile(INSTALLER, w.wine_path("C:\\Загрузки\\QuarnelixInstaller.exe"))
        layout = Layout("C:\\Apps\\Q", w.shell_folder("Common Programs"), w.shell_folder("Common Desktop"),
                        new_parents=["C:\\Apps"])
        before = self.snapshot()
        result = w.run("C:\\Загрузки\\QuarnelixInstaller.exe", "-installDir=" + layout.dir, "-acceptEULA")
        self.assertOutput(result, 0, layout.success_lines())
        self.assertInstalled(layout, before, self.snapshot())

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
            # Names that can never work are refused before any folder is made.
            ("C:\\New\\Deeper\\bad|name", 102,
             ["Unable to create target directory 'C:\\New\\Deeper\\bad|name': The name contains the character '|', "
              "which Windows does not allow."]),
            # With quarnelix.exe, the package's longest name, the path would need 260 characters.
            ("C:\\" + "x" * 243, 102,
             ["Unable to create target directory 'C:\\%s': The path is too long: the package's longest file would "
              "get a path of 260 characters, more than the system's limit of 259." % ("x" * 243)]),
            ("C:\\New\\\u0416", 102,
             ["Unable to create target directory 'C:\\New\\<U+0416>': The name holds characters that the "
              "system's ANSI code page cannot represent."]),
            # Device and prefixed forms reach the rule as typed.
            ("\\\\.\\pipe\\q", 102,
             ["Unable to create target directory '\\\\.\\pipe\\q': Device and prefixed paths cannot be "
              "installation folders."]),
            ("\\??\\C:\\Q", 102,
             ["Unable to create target directory '\\??\\C:\\Q': Device and prefixed paths cannot be "
              "installation folders."]),
        ]
        for folder, code, expected in cases:
            with self.subTest(folder=folder):
                before = self.snapshot()
                result = w.install("-installDir=" + folder, "-acceptEULA")
                self.assertOutput(result, code, expected)
                self.assertMachineUnchanged(before, self.snapshot())
        # Two leading backslashes stay: a network folder, not C:\server\share\q.
        before = self.snapshot()
        result = w.install_raw("-installDir=\\\\server\\share\\q -acceptEULA")
        self.assertEqual(result.code, 102, result)
        self.assertTrue(result.stdout.startswith(b"Unable to create target directory '\\\\server\\share\\q': "), result)
        self.assertMachineUnchanged(before, self.snapshot())

    def test_folder_forms_give_one_full_path_everywhere(self):
        # Relative, forward slashes, doubled separators, trailing dots: each run (the later
        # ones replacing the earlier installation) records only C:\Apps\Q.
        w = self.wine
        w.make_dir("C:\\Work")
        layout = Layout("C:\\Apps\\Q", w.shell_folder("Common Programs"), w.shell_folder("Common Desktop"),
                        new_parents=["C:\\Apps"])
        for typed, cwd in (("..\\Apps\\Q", "C:\\Work"), ("C:/Apps//Q/", None), ("C:\\\\Apps\\\\\\Q.", None),
                           ("C:\\Apps\\x\\..\\Q\\.", None)):
            with self.subTest(typed=typed):
                result = w.run(INSTALLER, "-installDir=" + typed, "-acceptEULA", cwd=cwd)
                self.assertEqual(result.code, 0, result)
                self.assertTrue(result.stdout.endswith(lines(*layout.success_lines())), result)
                self.assertEqual(w.export_key(UNINSTALL_KEY)[UNINSTALL_KEY], layout.uninstall_values())
                path = w.export_key(MACHINE_ENV)[MACHINE_ENV]["PATH"][1].split(";")
                self.assertEqual([entry for entry in path if "apps" in entry.lower()], [layout.dir])
                self.assertEqual(w.shortcuts(*layout.links()), layout.shortcuts())
                self.assertEqual(os.listdir(w.wine_path("C:\\Apps")), ["Q"])


class FailedUpgrade(InstallationTest):
    """An upgrade that cannot finish ends before the earlier installation is removed."""

    def setUp(self):
        super().setUp()
        w = self.wine
        self.layout = Layout("C:\\Apps\\Q", w.shell_folder("Common Programs"), w.shell_folder("Common Desktop"),
                             new_parents=["C:\\Apps"])
        self.assertEqual(w.install("-installDir=" + self.layout.dir, "-acceptEULA").code, 0)

    def assertRefused(self, run, code, pattern):
        before = self.snapshot()
        result = run()
        self.assertEqual(result.code, code, result)
        self.assertRegex(result.stdout.decode("latin-1"), "^" + pattern + "$", result)
        self.assertMachineUnchanged(before, self.snapshot())

    # Wine, like XP SP3 and later, has SHA-256 in CryptoAPI.
    DAMAGED = r"Installation error: The installer's package stream is damaged: SHA-256 [0-9a-f]{64} instead of " \
              r"[0-9a-f]{64}\r\n"

    def damaged_installer(self):
        with open(INSTALLER, "rb") as f:
            data = bytearray(f.read())
        package = Pe(bytes(data)).resources("BINARY")[148]
        data[data.find(package) + len(package) // 2] ^= 0x01
        damaged = os.path.join(self.wine.work, "QuarnelixInstaller.exe")
        with open(damaged, "wb") as f:
            f.write(data)
        return damaged

    def test_damaged_package_and_a_folder_that_is_a_file(self):
        w = self.wine
        damaged = self.damaged_installer()
        self.assertRefused(lambda: w.run(damaged, "-installDir=C:\\Apps\\New", "-acceptEULA"), 150, self.DAMAGED * 2)

        w.write_file("C:\\Data\\notes.txt", b"not a folder")
        self.assertRefused(lambda: w.install("-installDir=C:\\Data\\notes.txt", "-acceptEULA"), 101,
                           re.escape("Unable to create target directory 'C:\\Data\\notes.txt': The specified "
                                     "target path already exists and is not a directory, aborting\r\n"))

    def test_full_disk(self):
        # A 300 KB drive D: cannot take the package.
        small = os.path.join(self.wine.work, "small")
        os.makedirs(small)
        if subprocess.run(["mount", "-t", "tmpfs", "-o", "size=300k", "tmpfs", small],
                          stderr=subprocess.DEVNULL).returncode != 0:
            self.skipTest("mounting a small tmpfs is not permitted")
        self.addCleanup(subprocess.run, ["umount", "-l", small])
        os.symlink(small, os.path.join(self.wine.prefix, "dosdevices", "d:"))
        error = r"Installation error: Not enough free disk space for 'D:\\Q': \d+ KB needed, \d+ KB available\r\n"
        self.assertRefused(lambda: self.wine.install("-installDir=D:\\Q", "-acceptEULA"), 150, error * 2)
        # The package is checked while the space is: damage explains a shortfall, so it is told first.
        damaged = self.damaged_installer()
        self.assertRefused(lambda: self.wine.run(damaged, "-installDir=D:\\Q", "-acceptEULA"), 150, self.DAMAGED * 2)
        self.assertEqual(os.listdir(small), [])
        # With -force the shortfall is one warning and the run goes on.
        forced = self.wine.install("-installDir=D:\\Q", "-acceptEULA", "-force")
        self.assertRegex(forced.stdout.decode("latin-1"), r"^Warning: Not enough free disk space for 'D:\\Q': "
                                                          r".*\r\nUninstalling the existing Quarnelix 4.26")

