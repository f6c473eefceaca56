"""Unattended installations that fail part-way: each failure is provoked from outside (a
file or folder in the way, a registry key that cannot be written), and the test checks the
exact report, the rollback lines in reverse order of creation, the exit code, and that the
machine's files and the touched registry keys are afterwards as they were before."""
import unittest

from harness import diff_files
from installation import (CLASSES, DEAD_LINK_TARGET, PROFILE, SETTINGS, UNINSTALL_KEY, InstallationTest, Layout,
                          join)

DIR = "C:\\Apps\\Q"
NOT_A_FOLDER = "': The specified target path already exists and is not a directory, aborting"
REGISTRY_FAILURE = "RegCreateKeyExA() failed: Windows error: 2: File not found."


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

    def test_file_overwritten_with_force_is_kept_by_a_later_rollback(self):
        # The Start-menu folder is a file: that ends even a forced run, after extraction.
        w = self.wine
        layout = self.layout(new_parents=[])
        existing = join(DIR, "readme.txt")
        w.write_file(existing, b"old readme")
        w.write_file(layout.menu, b"")
        before = self.snapshot()
        result = w.install("-installDir=" + DIR, "-acceptEULA", "-force")
        installing = layout.extraction_lines()
        self.assertOutput(result, 101,
                          installing[:4] +
                          ["Warning: '%s' already exists, will be overwritten" % existing] +
                          installing[4:] +
                          ["Unable to create target directory '" + layout.menu + NOT_A_FOLDER] +
                          layout.rollback_files(kept=[existing], folder_existed=True))
        after = self.snapshot()
        self.assertEqual(diff_files(before[0].files, after[0].files), ([], [], [existing]))
        self.assertEqual(w.read_file(existing), self.image_file("readme.txt"))
        self.assertMachineUnchanged(before, (after[0]._replace(files=before[0].files), after[1]))

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

    def test_registration_failure_restores_the_previous_associations(self):
        w = self.wine
        layout = self.layout()
        w.set_value(CLASSES + "\\.dvs", "", "Arvendo.Dorvask.3.1.Settings")
        w.reg_link(UNINSTALL_KEY, DEAD_LINK_TARGET)
        before = self.snapshot()
        result = w.install("-installDir=" + DIR, "-acceptEULA")
        self.assertOutput(result, 113,
                          layout.extraction_lines() + layout.shortcut_lines() +
                          ["Registering file association for extension '.qxp'",
                           "Warning: Replacing file association for extension '.dvs' currently associated with "
                           "Arvendo Dorvask 3.1 Settings",
                           "Registering uninstaller",
                           "Uninstaller registration failed: " + REGISTRY_FAILURE + ", aborting",
                           "Rollback: removing previously created file association for extension .dvs",
                           "Rollback: removing previously created file association for extension .qxp"] +
                          layout.rollback_menu() + layout.rollback_files())
        after = self.snapshot()
        # Rollback restores the extensions only: the ProgID keys, named for this version, stay
        # for the uninstaller's items.
        associations = layout.association_keys()
        for prog_id in (PROFILE, SETTINGS):
            key = CLASSES + "\\" + prog_id
            self.assertEqual(after[0].keys[key], associations[key])
            after[0].keys[key] = before[0].keys[key]
        self.assertEqual(sorted(set(after[1]) - set(before[1])), sorted([PROFILE, SETTINGS]))
        self.assertMachineUnchanged(before, (after[0], before[1]))
        self.assertEqual(sorted(set(before[1]) - set(after[1])), [])
