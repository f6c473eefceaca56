"""The whole life of an installation in one prefix, with the product's own uninstaller:
install, install the same version again (the first installation is removed through its
registered uninstaller and the handshake), install over a registration that claims
version 4.06 (a fresh uninstaller from the temporary folder removes it), uninstall with
the installed uninst.exe, then a restart. After every step the machine holds exactly one
consistent installation, and at the end none: nothing is left but what is scheduled for
deletion at the restart, and after the restart nothing at all."""
import os
import re
import shutil
import subprocess
import time

from harness import HELPERS, INSTALLER, diff_files, unix_to_wine
from installation import (MACHINE_ENV, SESSION_MANAGER, UNINSTALL_KEY, UNINSTALL_ROOT, USER_ENV, WATCHED_KEYS,
                          InstallationTest, Layout, embedded_uninstaller)

FOLDER = "C:\\Apps\\Arvendo Q"
PENDING = "PendingFileRenameOperations"
PRODUCT = "Arvendo Quarnelix 4.26"
RECOVERY = "An interrupted installation is being undone"
# Wine's own diagnostics on standard error (the +process channel is switched on to see
# which command lines were started).
WINE_DIAGNOSTIC = re.compile(rb"^[0-9a-f]{4}:(trace|fixme|err|warn):")
STARTED = re.compile(r'trace:process:CreateProcessInternalW app (?:\(null\)|L"(?:[^"\\]|\\.)*") '
                     r'cmdline L"((?:[^"\\]|\\.)*)"')
HANDSHAKE = r" -unat -result=[1-9a-f][0-9a-f]* -done=[1-9a-f][0-9a-f]*"
FAKE = os.path.join(HELPERS, "fakeuninst.exe")
LOCKFILE = os.path.join(HELPERS, "lockfile.exe")


def header(version):
    return "Uninstalling the existing Quarnelix %s installation" % version


def items_of(layout):
    """{item name: [values]} of the layout's uninstall parameter string, in item order."""
    found = {}
    for text in layout.uninstall_items():
        name, _, value = text.strip('"').partition("=")
        found.setdefault(name.lstrip("-"), []).append(value)
    return found


def removal_lines(layout):
    """What the uninstaller prints while it removes the layout's installation completely:
    files, then folders, then registry keys, each in item order, then the search path; the
    uninstaller, the folders holding it and the registration key (the last item) after all."""
    items = items_of(layout)
    files = [text.strip('"').partition("=")[2] for text in layout.uninstall_items()
             if text.startswith(('"-delFile=', '"-delMainFile='))]
    holds = lambda folder: layout.uninstaller.startswith(folder + "\\")
    return (["Uninstalling " + PRODUCT]
            + ["Removing file " + path for path in files if path != layout.uninstaller]
            + ["Removing folder " + path for path in items["delDir"] if not holds(path)]
            + ["Removing registry key " + key for key in items["delRegKey"][:-1]]
            + ["Removing %s from the search path in %s" % (layout.dir, MACHINE_ENV),
               "Removing file " + layout.uninstaller]
            + ["Removing folder " + path for path in items["delDir"] if holds(path)]
            + ["Removing registry key " + UNINSTALL_KEY, PRODUCT + " has been removed"])


def started_commands(stderr):
    """The command lines of the processes started during a run with the +process channel
    on (Wine escapes backslashes and quotes in its traces)."""
    commands = []
    for line in stderr.decode("latin-1").splitlines():
        match = STARTED.search(line)
        if match and "winemenubuilder" not in match.group(1):
            commands.append(re.sub(r"\\(.)", r"\1", match.group(1)))
    return commands


def pending_pairs(keys):
    """The restart-time operations of a Session Manager export: [(source, destination)]."""
    values = (keys[SESSION_MANAGER] or {}).get(SESSION_MANAGER, {})
    if PENDING not in values:
        return []
    kind, entries = values[PENDING]
    assert kind == "REG_MULTI_SZ", values[PENDING]
    entries = list(entries)
    # An empty last destination is lost with the list's terminator.
    if len(entries) % 2:
        entries.append("")
    return [(entries[i], entries[i + 1]) for i in range(0, len(entries), 2)]


class Lifecycle(InstallationTest):

    def test_install_reinstall_replace_406_uninstall_and_restart(self):
        w = self.wine
        layout = Layout(FOLDER, w.shell_folder("Common Programs"), w.shell_folder("Common Desktop"),
                        new_parents=["C:\\Apps"])
        temp = w.temp_folder()
        fresh_copy = temp + "\\uninst.exe"
        before = self.snapshot()
        self.assertEqual(pending_pairs(before[0].keys), [], "the template has restart-time operations")
        self.assertFalse(os.path.exists(w.wine_path(fresh_copy)))

        # 1. A fresh installation.
        r = w.install("-installDir=" + FOLDER, "-acceptEULA")
        self.assertOutput(r, 0, layout.success_lines())
        self.assertOneInstallation(layout, before, residue=[])

        # 2. The same version again: the registered uninstaller, started from the
        # installation folder, hands its work to a copy of itself in the temporary folder
        # and exits with 1; the copy removes everything and answers through the block.
        r, commands = self.traced_install()
        self.assertOutput(r, 0, [header("4.26"), ""] + removal_lines(layout) + [""] + layout.success_lines())
        self.assertEqual(len(commands), 2, commands)
        self.assertRegex(commands[0], "^" + re.escape('"%s\\uninst.exe" Quarnelix ' % FOLDER) + HANDSHAKE + "$")
        # The copy gets the same arguments, the same inherited handles and its marker.
        arguments = commands[0][len('"%s\\uninst.exe"' % FOLDER):]
        match = re.match("^\"(" + re.escape(temp) + r"\\QxUninst[0-9a-f]+\.exe)\"" + re.escape(arguments)
                         + " -tempCopy=[1-9a-f][0-9a-f]*$", commands[1])
        self.assertIsNotNone(match, commands)
        copy = match.group(1)
        residue = [copy]
        self.assertOneInstallation(layout, before, residue)

        # 3. Over a registration that claims version 4.06: its own uninstaller is not
        # used; a fresh one is written to the temporary folder and started from there as
        # Q path Q Quarnelix, and it removes the installation itself.
        w.set_value(UNINSTALL_KEY, "Version", "4.06")
        r, commands = self.traced_install()
        self.assertOutput(r, 0, [header("4.06"), ""] + removal_lines(layout) + [""] + layout.success_lines())
        self.assertEqual(len(commands), 1, commands)
        self.assertRegex(commands[0], "^" + re.escape('"%s" Quarnelix' % fresh_copy) + HANDSHAKE + "$")
        self.assertEqual(w.read_file(fresh_copy), embedded_uninstaller())
        residue.append(fresh_copy)
        self.assertOneInstallation(layout, before, residue)

        # 4. The installed uninstaller, from the installation folder, without questions:
        # it waits for its copy's answer; the copy has moved the running uninst.exe out of
        # the folder, so nothing is left but the copies, which go at the restart.
        r = w.run(FOLDER + "\\uninst.exe", "Quarnelix", "-unat")
        self.assertOutput(r, 0, removal_lines(layout))
        after = self.snapshot_after_uninstall(before, residue)
        self.assertNothingBut(before, after, residue)

        # 5. The restart carries the scheduled deletions out; nothing is left.
        self.restart()
        after = self.snapshot()
        self.assertEqual(diff_files(before[0].files, after[0].files), ([], [], []), "file tree after the restart")
        for key in WATCHED_KEYS:
            self.assertEqual(after[0].keys[key], before[0].keys[key], "registry below " + key + " after the restart")
        self.assertEqual(after[1], before[1], "keys under the classes root after the restart")

    def test_install_uninstall_then_force_install_over_what_is_still_pending(self):
        w = self.wine
        # One session until the restart at the end, however long the steps take.
        subprocess.run(["wineserver", "-p"], env=w.env, check=True)
        layout = Layout(FOLDER, w.shell_folder("Common Programs"), w.shell_folder("Common Desktop"),
                        new_parents=["C:\\Apps"])
        before = self.snapshot()
        install = ("-installDir=" + FOLDER, "-acceptEULA")

        # A round trip leaves nothing but the uninstaller's copy, due at the restart.
        self.assertOutput(w.install(*install), 0, layout.success_lines())
        r = w.run(layout.uninstaller, "Quarnelix", "-unat")
        self.assertOutput(r, 0, removal_lines(layout))
        residue = []
        self.assertNothingBut(before, self.snapshot_after_uninstall(before, residue), residue)

        # Again with the main program locked: it and the folders holding it are due at the
        # restart, and "-force" installs over them before that.
        self.assertOutput(w.install(*install), 0, layout.success_lines())
        marker = os.path.join(w.work, "locked")
        lock = w.start(LOCKFILE, layout.main_program, unix_to_wine(marker), "60")
        deadline = time.monotonic() + 60
        while not os.path.exists(marker) and time.monotonic() < deadline:
            time.sleep(0.2)
        r = w.run(layout.uninstaller, "Quarnelix", "-unat")
        lock.kill()   # the prefix's end stops it too, should anything above fail
        lock.wait()
        self.assertEqual(r.stdout.decode("latin-1").splitlines()[-1],
                         PRODUCT + " has been removed; 3 items will be removed at the next restart", r)
        after = self.snapshot_after_uninstall(before, residue)
        self.assertScheduledExactly(after, residue + [layout.main_program, FOLDER, "C:\\Apps"])
        r = w.install(*install, "-force")
        self.assertEqual(r.code, 0, r)
        installed = self.snapshot()
        # The restart removes the copies and nothing of the new installation.
        self.restart()
        after = self.snapshot()
        self.assertEqual(pending_pairs(after[0].keys), [])
        self.assertEqual(diff_files(installed[0].files, after[0].files), ([], sorted(residue), []))

    def test_a_run_killed_at_any_step_is_undone_by_the_next_run(self):
        # Each kill right after one of the installer's own lines. The next run of the same
        # command undoes what the record holds before anything else, then installs (a run
        # that got as far as its commit is an installation the next run replaces); the
        # uninstall leaves nothing. A run killed while overwriting the user's own file with
        # -force gets it back, under its own name, from the next run, which refuses to
        # overwrite it without -force.
        w = self.wine
        layout, install, before = self.one_session()
        residue = []
        for trigger in [layout.extraction_lines()[0], "Installing " + layout.uninstaller,
                        layout.shortcut_lines()[-1], "Registering uninstaller"]:
            with self.subTest(killed_after=trigger):
                self.assertIn(trigger, w.run_until(*install, line=trigger))
                r = w.run(*install)
                self.assertEqual(r.code, 0, r)
                if trigger.startswith("Installing"):
                    self.assertEqual(r.stdout.decode("latin-1").splitlines()[0], RECOVERY, r)
                self.snapshot_after_uninstall(before, residue)   # the replaced run's copy
                self.assertUninstallLeavesNothing(layout, before, residue)

        own = layout.dir + "\\readme.txt"
        w.write_file(own, b"the user's own notes")
        mine = self.snapshot()
        self.assertIn("Installing " + own, w.run_until(*install, "-force", line="Installing " + own))
        r = w.run(*install)
        self.assertEqual((r.code, r.stdout.decode("latin-1").splitlines()[0]), (104, RECOVERY), r)
        self.assertEqual(w.read_file(own), b"the user's own notes")
        after = self.snapshot()
        self.assertEqual((diff_files(mine[0].files, after[0].files), after[1]), (([], [], []), mine[1]))

    def test_a_failed_or_killed_upgrade_puts_the_earlier_installation_back(self):
        # A forced run onto a drive too small for the package goes on past the space warning,
        # removes the earlier installation, fails while extracting, and its rollback puts the
        # earlier one back whole: the next uninstall finds and removes all of it. An upgrade
        # killed after the removal is put back the same way by the next run, before it
        # installs again.
        w = self.wine
        layout, install, before = self.one_session()
        residue = []
        self.assertEqual(w.run(*install).code, 0)
        self.tmpfs_drive("d", "400k")
        r = w.run(INSTALLER, "-installDir=D:\\Q", "-acceptEULA", "-force")
        printed = r.stdout.decode("latin-1").splitlines()
        self.assertEqual(r.code, 150, r)
        self.assertIn("Rollback: restoring " + layout.main_program, printed)
        self.snapshot_after_uninstall(before, residue)
        self.assertOneInstallation(layout, before, residue)

        first = layout.extraction_lines()[0]
        self.assertIn(first, w.run_until(*install, line=first))
        self.snapshot_after_uninstall(before, residue)   # the killed run's uninstaller copy
        r = w.run(*install)
        printed = r.stdout.decode("latin-1").splitlines()
        self.assertEqual((r.code, printed[0]), (0, RECOVERY), r)
        self.assertLess(printed.index("Rollback: restoring " + layout.main_program),
                        printed.index("Uninstalling the existing Quarnelix 4.26 installation"))
        self.snapshot_after_uninstall(before, residue)
        self.assertUninstallLeavesNothing(layout, before, residue)

    # ---- runs -----------------------------------------------------------------------------
    def one_session(self):
        """One wineserver session to the end of the test; the layout in FOLDER, the command
        that installs it, and the machine before."""
        subprocess.run(["wineserver", "-p"], env=self.wine.env, check=True)
        layout = Layout(FOLDER, self.wine.shell_folder("Common Programs"), self.wine.shell_folder("Common Desktop"),
                        new_parents=["C:\\Apps"])
        return layout, (INSTALLER, "-installDir=" + FOLDER, "-acceptEULA"), self.snapshot()

    def traced_install(self):
        """An installation into FOLDER, and the command lines it started (seen through
        Wine's process traces, which are then taken out of its standard error)."""
        env = self.wine.env
        saved = env["WINEDEBUG"]
        env["WINEDEBUG"] = "-all,+process"
        try:
            r = self.wine.install("-installDir=" + FOLDER, "-acceptEULA")
        finally:
            env["WINEDEBUG"] = saved
        commands = started_commands(r.stderr)
        r.stderr = b"".join(line for line in r.stderr.splitlines(keepends=True) if not WINE_DIAGNOSTIC.match(line))
        return r, commands

    def restart(self):
        """A new wineserver session runs the restart-time operations, like a reboot."""
        subprocess.run(["wineserver", "-k"], env=self.wine.env, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=self.wine.env, stderr=subprocess.DEVNULL)
        self.wine.reg("query", "HKLM\\SOFTWARE")

    def snapshot_after_uninstall(self, before, residue):
        """The machine once the uninstaller's copy has ended (it deletes the original's
        moved-away file right after the original exits); residue gains the new copy."""
        temp = self.wine.wine_path(self.wine.temp_folder())
        deadline = time.monotonic() + 60
        while any(name.endswith(".old") for name in os.listdir(temp)) and time.monotonic() < deadline:
            time.sleep(0.1)
        after = self.snapshot()
        copies = [path for path in diff_files(before[0].files, after[0].files)[0]
                  if re.search(r"\\QxUninst[0-9a-f]+\.exe$", path) and path not in residue]
        self.assertLessEqual(len(copies), 1, copies)   # the copy's name may repeat a process id
        residue += copies
        return after

    # ---- the machine ----------------------------------------------------------------------
    def assertUninstallLeavesNothing(self, layout, before, residue):
        """The installed uninstaller removes everything; only the residue waits for the restart."""
        self.assertOutput(self.wine.run(layout.uninstaller, "Quarnelix", "-unat"), 0, removal_lines(layout))
        self.assertNothingBut(before, self.snapshot_after_uninstall(before, residue), residue)

    def assertScheduledExactly(self, after, residue):
        """The restart-time operations are exactly the deletions of the residue, and every
        item of the residue exists until then."""
        pairs = pending_pairs(after[0].keys)
        self.assertEqual([dest for _, dest in pairs if dest], [], "a restart-time rename")
        sources = [source for source, _ in pairs]
        self.assertTrue(all(source.startswith("\\??\\") for source in sources), sources)
        self.assertEqual(sorted(set(source[4:].lower() for source in sources)),
                         sorted(set(path.lower() for path in residue)))
        for path in residue:
            self.assertTrue(os.path.lexists(self.wine.wine_path(path)), path)

    def assertOneInstallation(self, layout, before, residue):
        """Exactly one installation: the package's files, shortcuts, associations and
        uninstall values, the folder once in the machine search path; beyond that only the
        residue, all of it scheduled for deletion at the restart and none of it part of the
        installation."""
        after = self.snapshot()
        (files_after, keys_after), classes_after = after
        self.assertScheduledExactly(after, residue)
        installed = set(path.lower() for path in layout.created_paths())
        self.assertEqual([path for path in residue if path.lower() in installed
                          or any(path.lower().startswith(p + "\\") for p in installed)], [])
        kept = {path: state for path, state in files_after.items() if path not in residue}
        self.assertInstalled(layout, before, ((kept, keys_after), classes_after))

        env_before, env_after = self.environment(before), self.environment(after)
        old, new = env_before[0].pop("PATH"), env_after[0].pop("PATH")
        self.assertEqual(new, (old[0], old[1] + ";" + layout.dir))
        self.assertEqual([piece.lower() for piece in new[1].split(";")].count(layout.dir.lower()), 1)
        self.assertEqual(env_after, env_before, "other environment values")
        self.assertOtherSessionValuesUnchanged(before, after)

    def assertNothingBut(self, before, after, residue):
        """No installation: the file tree differs from before only by the residue, which
        is exactly what is scheduled for deletion at the restart; the registry is as before
        but for the scheduled operations."""
        self.assertScheduledExactly(after, residue)
        self.assertEqual(diff_files(before[0].files, after[0].files), (sorted(residue), [], []))
        for key in WATCHED_KEYS:
            if key != SESSION_MANAGER:
                self.assertEqual(after[0].keys[key], before[0].keys[key], "registry below " + key)
        self.assertOtherSessionValuesUnchanged(before, after)
        self.assertEqual(self.environment(after), self.environment(before), "environment values")
        self.assertEqual(after[1], before[1], "keys under the classes root")

    @staticmethod
    def environment(snapshot):
        """(machine environment values, user environment values) of a snapshot."""
        keys = snapshot[0].keys
        return (dict(keys[SESSION_MANAGER][MACHINE_ENV]),
                dict((keys[USER_ENV] or {}).get(USER_ENV, {})))

    def assertOtherSessionValuesUnchanged(self, before, after):
        """Below the Session Manager only the search path and the restart-time operations
        may change."""
        def others(snapshot):
            keys = dict(snapshot[0].keys[SESSION_MANAGER])
            keys.pop(SESSION_MANAGER + "\\Environment")
            keys[SESSION_MANAGER] = {k: v for k, v in keys[SESSION_MANAGER].items() if k != PENDING}
            return keys
        self.assertEqual(others(after), others(before))


class RepeatedRemoval(InstallationTest):
    """Twenty runs in one prefix against an earlier uninstaller that answers in every way
    the handshake allows: no run may wait longer than its uninstaller takes to answer.
    The uninstaller puts a file where the installation folder's parent belongs, so a run
    whose removal succeeded ends at the folder step and the next run finds the same
    registration (the file is removed before each run: the checks before the removal
    would refuse the folder at once)."""

    RUNS = 20
    OLD_UNINST = "C:\\Old Quarnelix\\uninst.exe"
    FOLDER = "C:\\Blocked\\Q"
    FOLDER_FAILS = ("Unable to create target directory 'C:\\Blocked': The specified target path already "
                    "exists and is not a directory, aborting")
    ABORT = " (use /Force flag to override uninstallation failure); aborting"
    # Seconds a run may take at most (the first starts Wine's services; the others take a
    # fraction of a second).
    LIMIT = 8

    def test_twenty_removals_in_one_prefix_never_hang(self):
        w = self.wine
        w.make_dir("C:\\Old Quarnelix")
        shutil.copyfile(FAKE, w.wine_path(self.OLD_UNINST))
        failed_13 = "Uninstaller failed with error code 13: Uninstallation failed partally or completely"
        modes = [
            # (the uninstaller's arguments, its lines, the run's exit code, the lines after it)
            ("--exit=0", ["fakeuninst: exit 0"], 101, [self.FOLDER_FAILS]),
            ("--exit=13", ["fakeuninst: exit 13"], 107, [failed_13 + self.ABORT]),
            ("--handoff=0 --delay=0", ["fakeuninst: handing on", "fakeuninst: result 0"], 101, [self.FOLDER_FAILS]),
            ("--handoff=13 --delay=300", ["fakeuninst: handing on", "fakeuninst: result 13"], 107,
             [failed_13 + self.ABORT]),
            # The process that answered stays a while longer; the run must not wait for it.
            ("--handoff=0 --delay=0 --linger=20000", ["fakeuninst: handing on", "fakeuninst: result 0"], 101,
             [self.FOLDER_FAILS]),
        ]
        before = self.snapshot()
        took = []
        for run in range(self.RUNS):
            arguments, said, code, rest = modes[run % len(modes)]
            command = '"%s" Quarnelix --block=C:\\Blocked %s' % (self.OLD_UNINST, arguments)
            if os.path.exists(w.wine_path("C:\\Blocked")):
                w.remove_file("C:\\Blocked")
            w.set_value(UNINSTALL_KEY, "Version", "4.26")
            w.set_value(UNINSTALL_KEY, "UninstallString", command)
            start = time.monotonic()
            r = w.install("-installDir=" + self.FOLDER, "-acceptEULA", timeout=60)
            took.append(time.monotonic() - start)
            with self.subTest(run=run, arguments=arguments):
                self.assertOutput(r, code, [header("4.26"), ""] + said + [""] + rest)
                self.assertLess(took[-1], self.LIMIT)
                logged = self.logged()
                self.assertEqual(len(logged), 1, logged)
                self.assertRegex(logged[0], "^" + re.escape(command) + HANDSHAKE + "$")
        # Nothing was installed, and the registration is still the one laid out above.
        w.remove_file("C:\\Blocked")
        after = self.snapshot()
        self.assertEqual(diff_files(before[0].files, after[0].files), ([], [], []))
        keys = dict(after[0].keys)
        uninstall = dict(keys.pop(UNINSTALL_ROOT))
        self.assertEqual(uninstall.pop(UNINSTALL_KEY), {"Version": ("REG_SZ", "4.26"),
                                                        "UninstallString": ("REG_SZ", command)})
        self.assertEqual(uninstall, before[0].keys[UNINSTALL_ROOT])
        self.assertEqual(keys, {k: v for k, v in before[0].keys.items() if k != UNINSTALL_ROOT})
        self.assertEqual(after[1], before[1])
        print("%d runs: %.1f s in all, the longest %.1f s" % (self.RUNS, sum(took), max(took)))

    def logged(self):
        """The command lines the fake was started with since the last call."""
        path = self.wine.wine_path(self.OLD_UNINST + ".log")
        if not os.path.exists(path):
            return []
        with open(path, "rb") as f:
            lines = f.read().decode("latin-1").splitlines()
        os.remove(path)
        return lines


if __name__ == "__main__":
    import unittest
    unittest.main()
