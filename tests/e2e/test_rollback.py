"""Unattended installations that fail part-way: each failure is provoked from outside (a
file or folder in the way, a registry key that cannot be written), and the test checks the
exact report, the rollback lines in reverse order of creation, the exit code, and that the
machine's files and the touched registry keys are afterwards as they were before."""
import os
import subprocess
import unittest

from harness import diff_files
from installation import (CLASSES, DEAD_LINK_TARGET, UNINSTALL_KEY, UNINSTALL_ROOT, InstallationTest, Layout,
                          embedded_uninstaller, join)

DIR = "C:\\Apps\\Q"
NOT_A_FOLDER = "': The specified target path already exists and is not a directory, aborting"
REGISTRY_FAILURE = "RegCreateKeyExA() failed: Windows error: 2: File not found."
VOLATILE_FAILURE = "RegCreateKeyExA() failed: Windows error: 1021: Subkey must be volatile."


class RollbackTest(InstallationTest):

    def layout(self, **kw):
        """Folder C:\\Apps\\Q (C:\\Apps is created too), for all users, with the desktop shortcut."""
        kw.setdefault("new_parents", ["C:\\Apps"])
        return Layout(DIR, self.wine.shell_folder("Common Programs"), self.wine.shell_folder("Common Desktop"), **kw)

    def test_existing_target_file_without_force_aborts_and_leaves_it(self):
        w = self.wine
        cases = [
            # (existing file, the package files written before the check)
            ("readme.txt", 4),
            ("uninst.exe", 6),
        ]
        for name, written in cases:
            with self.subTest(existing=name):
                layout = self.layout(new_parents=[])
                existing = join(DIR, name)
                w.write_file(existing, b"kept as it was")
                before = self.snapshot()
                result = w.install("-installDir=" + DIR, "-acceptEULA")
                self.assertOutput(result, 104,
                                  layout.extraction_lines()[:written] +
                                  ["Target file '%s' already exists, aborting" % existing] +
                                  ["Rollback: removing previously created " + path
                                   for path in reversed(layout.files[:written])])
                self.assertMachineUnchanged(before, self.snapshot())
                self.assertEqual(w.read_file(existing), b"kept as it was")
                w.remove_file(existing)

    def test_files_overwritten_with_force_are_put_back_by_a_later_rollback(self):
        # The Start-menu folder is a file: that ends even a forced run, after extraction.
        w = self.wine
        layout = self.layout(new_parents=[])
        existing = [join(DIR, "readme.txt"), layout.uninstaller]
        for path in existing:
            w.write_file(path, b"old " + path.encode())
        os.chmod(w.wine_path(existing[0]), 0o444)   # read-only, as Windows sees it
        w.write_file(layout.menu, b"")
        before = self.snapshot()
        result = w.install("-installDir=" + DIR, "-acceptEULA", "-force")
        installing = layout.extraction_lines()
        for path in existing:
            installing.insert(installing.index("Installing " + path),
                              "Warning: '%s' already exists, will be overwritten" % path)
        self.assertOutput(result, 101,
                          installing +
                          ["Unable to create target directory '" + layout.menu + NOT_A_FOLDER] +
                          layout.rollback_files(kept=existing, folder_existed=True))
        self.assertMachineUnchanged(before, self.snapshot())
        for path in existing:
            self.assertEqual(w.read_file(path), b"old " + path.encode())
        self.assertEqual(os.stat(w.wine_path(existing[0])).st_mode & 0o777, 0o444)

    def test_failed_desktop_shortcut_rolls_everything_back_newest_first(self):
        # A folder where the desktop shortcut must go: the last shortcut fails.
        w = self.wine
        layout = self.layout()
        w.make_dir(layout.desktop_link)
        before = self.snapshot()
        result = w.install("-installDir=" + DIR, "-acceptEULA")
        links = layout.links()
        self.assertOutput(result, 105,
                          layout.extraction_lines() + layout.shortcut_lines() +
                          ["Creating shortcut '%s' failed: IPersistFile::Save() failed, aborting" % links[-1]] +
                          layout.rollback_menu(links[:-1]) + layout.rollback_files())
        self.assertMachineUnchanged(before, self.snapshot())

    def test_folder_given_with_trailing_backslash_is_rolled_back_too(self):
        # The trailing backslash must not make C:\Apps\Q its own parent (then taken for an
        # existing folder and committed with C:\Apps, so both stayed).
        w = self.wine
        layout = self.layout()
        w.make_dir(layout.desktop_link)
        before = self.snapshot()
        result = w.install("-installDir=" + DIR + "\\", "-acceptEULA")
        self.assertEqual(result.code, 105, repr(result))
        self.assertEqual(result.stdout.decode("latin-1").splitlines()[-1],
                         "Rollback: removing previously created C:\\Apps", repr(result))
        self.assertMachineUnchanged(before, self.snapshot())

    def test_no_rollback_keeps_everything_made_before_the_failure(self):
        w = self.wine
        layout = self.layout()
        w.make_dir(layout.desktop_link)
        before = self.snapshot()
        result = w.install("-installDir=" + DIR, "-acceptEULA", "-noRollback")
        self.assertOutput(result, 105,
                          layout.extraction_lines() + layout.shortcut_lines() +
                          ["Creating shortcut '%s' failed: IPersistFile::Save() failed, aborting" %
                           layout.desktop_link])
        after = self.snapshot()
        self.assertEqual(diff_files(before[0].files, after[0].files),
                         (layout.created_paths(failed_links=[layout.desktop_link]), [], []))
        self.assertEqual(w.shortcuts(*layout.links()[:-1]),
                         {link: props for link, props in layout.shortcuts().items() if link != layout.desktop_link})
        # Nothing was registered yet.
        self.assertMachineUnchanged(before, (after[0]._replace(files=before[0].files), after[1]))

    def test_forced_shortcut_failure_is_a_warning_and_not_recorded(self):
        w = self.wine
        layout = self.layout(menu_exists=True)
        failed = layout.links()[2]
        w.make_dir(failed)
        before = self.snapshot()
        result = w.install("-installDir=" + DIR, "-acceptEULA", "-force")
        expected = layout.success_lines()
        expected.insert(expected.index("Creating shortcut " + failed) + 1,
                        "Warning: creating shortcut %s' failed: IPersistFile::Save() failed" % failed)
        self.assertOutput(result, 0, expected)
        self.assertInstalled(layout, before, self.snapshot(), failed_links=[failed])

    def test_association_failure_rolls_back_without_trace(self):
        w = self.wine
        layout = self.layout()
        w.reg_link(CLASSES + "\\.qxp", DEAD_LINK_TARGET)
        before = self.snapshot()
        result = w.install("-installDir=" + DIR, "-acceptEULA")
        self.assertOutput(result, 112,
                          layout.extraction_lines() + layout.shortcut_lines() +
                          ["Registering file association for extension '.qxp'",
                           "Registering file association for extension '.qxp' failed. Reason: " +
                           REGISTRY_FAILURE + ", aborting"] +
                          layout.rollback_menu() + layout.rollback_files())
        self.assertMachineUnchanged(before, self.snapshot())

    def test_registration_failure_puts_back_everything_the_run_replaced(self):
        # An association, a desktop shortcut and a registration were there before; the run
        # replaces them all. The registration is a volatile key (reached through a link),
        # so once deleted it cannot be written again the usual way: the failure comes after
        # the replacement.
        w = self.wine
        layout = self.layout()
        w.set_value(CLASSES + "\\.dvs", "", "Arvendo.Dorvask.3.1.Settings")
        w.write_file(layout.desktop_link, b"the user's own link")
        earlier = "HKEY_LOCAL_MACHINE\\Software\\QxVolatile\\Quarnelix"
        w.volatile_key(earlier)
        w.set_value(earlier, "DisplayName", "Arvendo Quarnelix 4.20 (remove only)")
        w.set_value(earlier, "InstallDir", "%ProgramFiles%\\Q", "REG_EXPAND_SZ")
        w.set_value(earlier, "NoModify", "1", "REG_DWORD")
        w.reg_link(UNINSTALL_KEY, "\\Registry\\Machine\\Software\\QxVolatile\\Quarnelix")
        before = self.snapshot()
        self.assertEqual(before[0].keys[UNINSTALL_ROOT][UNINSTALL_KEY]["NoModify"], ("REG_DWORD", 1))
        result = w.install("-installDir=" + DIR, "-acceptEULA")
        self.assertOutput(result, 113,
                          layout.extraction_lines() + layout.shortcut_lines() +
                          ["Registering file association for extension '.qxp'",
                           "Warning: Replacing file association for extension '.dvs' currently associated with "
                           "Arvendo Dorvask 3.1 Settings",
                           "Registering uninstaller",
                           "Uninstaller registration failed: " + VOLATILE_FAILURE + ", aborting",
                           "Rollback: unregistering uninstaller",
                           "Rollback: removing previously created file association for extension .dvs",
                           "Rollback: removing previously created file association for extension .qxp"] +
                          layout.rollback_menu(kept=[layout.desktop_link]) + layout.rollback_files())
        # The ProgID keys this run made go with the rollback too.
        self.assertMachineUnchanged(before, self.snapshot())
        self.assertEqual(w.read_file(layout.desktop_link), b"the user's own link")

    def test_a_failed_run_into_a_read_only_folder_costs_a_later_installation_nothing_at_restart(self):
        # Deletions at restart of files that were never made, as a failed run of an earlier
        # version left them; this version's failed run must add none, its successful run
        # must cancel them all, so that the restart leaves every file in place.
        w = self.wine
        drive = self.tmpfs_drive("d")
        layout = Layout("D:\\Q", w.shell_folder("Common Programs"), w.shell_folder("Common Desktop"))
        stale = layout.files + [layout.uninstaller]
        w.schedule_deletions(stale)
        os.mkdir(os.path.join(drive, "Q"))
        self.remount(drive, "ro")
        failed = w.install("-installDir=" + layout.dir, "-acceptEULA")
        printed = failed.stdout.decode("latin-1").splitlines()
        # The folder is refused before anything is made: nothing to roll back.
        self.assertEqual((failed.code, printed[0].split(": ")[0], [line for line in printed if line.startswith("Rollback")]),
                         (102, "Unable to create target directory '%s'" % layout.dir, []), repr(failed))
        self.assertEqual(w.scheduled_deletions(), ["\\??\\" + path for path in stale])

        self.remount(drive, "rw")
        self.assertOutput(w.install("-installDir=" + layout.dir, "-acceptEULA"), 0, layout.success_lines())
        self.assertIsNone(w.scheduled_deletions())
        w.restart()
        for path in layout.files:
            self.assertEqual(w.read_file(path), self.image_file(layout.sources[path]), path)
        self.assertEqual(w.read_file(layout.uninstaller), embedded_uninstaller())
