"""The uninstaller (uninst.exe) end to end: a fake installation is laid out from outside
(files, folders, registry values, an UninstallParam string in the installer's exact
syntax), then uninst.exe runs from the installation folder as the installer or a script
would start it."""
import os
import re
import shutil
import subprocess
import time
import unittest

from harness import HELPERS, WIN_BUILD, PrefixTest

UNINST = os.path.join(WIN_BUILD, "uninstaller", "uninst.exe")
HANDSHAKE = os.path.join(HELPERS, "handshake.exe")
HOLDFILE = os.path.join(HELPERS, "holdfile.exe")
SHORTPATH = os.path.join(HELPERS, "shortpath.exe")

DIR = "C:\\Program Files\\Arvendo Quarnelix"
PROGRAMS = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs"
MENU = PROGRAMS + "\\Arvendo Quarnelix"
UNINSTALL_ROOT = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall"
KEY = UNINSTALL_ROOT + "\\Quarnelix"
CLASSES = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes"
PROFILE = "Arvendo.Quarnelix.4.26.Profile"
SETTINGS = "Arvendo.Quarnelix.4.26.Settings"
SESSION_MANAGER = "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager"
MACHINE_ENV = SESSION_MANAGER + "\\Environment"
USER_ENV = "HKEY_CURRENT_USER\\Environment"


def item(name, value):
    return '"-%s=%s"' % (name, value)


def association_items(ext, prog_id, verbs):
    """The -delRegKey= items of one association, in the installer's order."""
    items = [item("delRegKey", CLASSES + "\\" + ext)]
    for verb in verbs:
        items.append(item("delRegKey", CLASSES + "\\%s\\Shell\\%s\\command" % (prog_id, verb)))
        items.append(item("delRegKey", CLASSES + "\\%s\\Shell\\%s" % (prog_id, verb)))
    items.append(item("delRegKey", CLASSES + "\\%s\\Shell" % prog_id))
    items.append(item("delRegKey", CLASSES + "\\" + prog_id))
    return items


class UninstallerTest(PrefixTest):
    """A fake installation of Quarnelix 4.26 in C:\\Program Files, as the installer leaves it."""

    FILES = ["q.exe", "qxkeygen.exe", "readme.txt", "uninst.exe"]
    LINKS = ["Quarnelix.lnk", "Uninstall Quarnelix.lnk"]

    def setUp(self):
        super().setUp()
        self.assertTrue(os.path.exists(UNINST), "uninst.exe is not built: " + UNINST)

    # ---- the fake installation -------------------------------------------------------
    def install(self, main_program=None):
        os.makedirs(self.wine.wine_path(DIR))
        os.makedirs(self.wine.wine_path(MENU))
        for name in self.FILES:
            path = self.wine.wine_path(DIR + "\\" + name)
            if name == "uninst.exe":
                shutil.copyfile(UNINST, path)
            elif name == "q.exe" and main_program:
                shutil.copyfile(main_program, path)
            else:
                with open(path, "wb") as f:
                    f.write(b"content of " + name.encode())
        for name in self.LINKS:
            with open(self.wine.wine_path(MENU + "\\" + name), "wb") as f:
                f.write(b"link")

        defaults = [(".qxp", PROFILE), (PROFILE, "Quarnelix Profile"), (PROFILE + "\\DefaultIcon", DIR + "\\q.exe,1"),
                    (PROFILE + "\\Shell", "Open")]
        for verb in ("Open", "Connect"):
            defaults += [("%s\\Shell\\%s" % (PROFILE, verb), verb),
                         ("%s\\Shell\\%s\\command" % (PROFILE, verb), '"%s\\q.exe" "%%1"' % DIR)]
        defaults += [(".dvs", SETTINGS), (SETTINGS, "Quarnelix Settings"),
                     (SETTINGS + "\\Shell\\Manage\\command", '"%s\\q.exe" -manage "%%1"' % DIR)]

        params = " ".join(
            [item("shareResWith", "Dorvask"), item("delDir", DIR), item("delMainFile", DIR + "\\q.exe")]
            + [item("delFile", DIR + "\\" + n) for n in self.FILES if n != "q.exe"]
            + [item("delDir", MENU)] + [item("delFile", MENU + "\\" + n) for n in self.LINKS]
            + association_items(".qxp", PROFILE, ["Open", "Connect"])
            + association_items(".dvs", SETTINGS, ["Manage"])
            + [item("rstFileAssoc", ".dvs:" + SETTINGS), item("delRegKey", KEY)])
        registration = [("DisplayName", "Arvendo Quarnelix 4.26 (remove only)"), ("DisplayIcon", DIR + "\\uninst.exe"),
                        ("UninstallString", '"%s\\uninst.exe" Quarnelix ' % DIR), ("UninstallParam", params),
                        ("InstallDir", DIR), ("Version", "4.26")]
        # The installer appended ";" and the folder to the machine path.
        self.machine_path_before = self.wine.query_value(MACHINE_ENV, "PATH")
        self.wine.set_values([(CLASSES + "\\" + k, "", d, "REG_SZ") for k, d in defaults]
                             + [(KEY, name, data, "REG_SZ") for name, data in registration]
                             + [(MACHINE_ENV, "PATH", self.machine_path_before + ";" + DIR, "REG_EXPAND_SZ")])
        self.assertEqual(self.wine.query_value(KEY, "UninstallParam"), params)
        self.assertEqual(self.value_type(MACHINE_ENV, "PATH"), "REG_EXPAND_SZ")

    def set_default(self, key, data):
        code, out = self.wine.reg("add", key, "/ve", "/d", data, "/f")
        self.assertEqual(code, 0, out)

    def default_value(self, key):
        code, out = self.wine.reg("query", key, "/ve")
        for line in out.splitlines():
            parts = line.strip().split(None, 2)
            if len(parts) >= 2 and parts[1].startswith("REG_"):
                return parts[2] if len(parts) == 3 else ""
        return None

    def key_exists(self, key):
        return self.wine.reg("query", key)[0] == 0

    def exists(self, windows_path):
        return os.path.exists(self.wine.wine_path(windows_path))

    def value_type(self, key, name):
        code, out = self.wine.reg("query", key, "/v", name)
        for line in out.splitlines():
            parts = line.split()
            if len(parts) >= 2 and parts[0].lower() == name.lower():
                return parts[1]
        return None

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

    def restart(self):
        """A new wineserver session carries out the restart-time operations."""
        subprocess.run(["wineserver", "-k"], env=self.wine.env, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=self.wine.env, stderr=subprocess.DEVNULL)
        self.wine.reg("query", "HKLM\\SOFTWARE")

    def uninstall(self, *args):
        return self.wine.run(DIR + "\\uninst.exe", *args)

    def assertHandedOver(self, result, value):
        """The original exited with 1 first; its copy's lines follow, then the shared value."""
        lines = self.lines(result)
        self.assertEqual((result.code, lines[0], lines[-1]), (0, "exit=1", "result=%d" % value), result)

    def lines(self, result):
        return result.stdout.decode("latin-1").splitlines()

    def assert_product_gone_except_pending(self):
        for name in ("q.exe", "qxkeygen.exe", "readme.txt"):
            self.assertFalse(self.exists(DIR + "\\" + name), name)
        self.assertFalse(self.exists(MENU))
        for key in (KEY, CLASSES + "\\.qxp", CLASSES + "\\.dvs", CLASSES + "\\" + PROFILE, CLASSES + "\\" + SETTINGS):
            self.assertFalse(self.key_exists(key), key)
        self.assertEqual(self.wine.query_value(MACHINE_ENV, "PATH"), self.machine_path_before)
        self.assertEqual(self.value_type(MACHINE_ENV, "PATH"), "REG_EXPAND_SZ")


class Removal(UninstallerTest):
    def test_script_run_is_finished_when_it_exits(self):
        self.install()
        # Unrelated things that must survive.
        os.makedirs(self.wine.wine_path("C:\\Program Files\\Other"))
        with open(self.wine.wine_path("C:\\Program Files\\Other\\keep.txt"), "wb") as f:
            f.write(b"keep")
        with open(self.wine.wine_path(PROGRAMS + "\\Other.lnk"), "wb") as f:
            f.write(b"keep")
        self.set_default(CLASSES + "\\.other", "Other.File")

        r = self.uninstall("Quarnelix", "-unat")
        self.assertEqual(r.code, 0, r)
        lines = self.lines(r)
        self.assertIn("Uninstalling Arvendo Quarnelix 4.26", lines)
        for name in self.FILES:
            self.assertIn("Removing file %s\\%s" % (DIR, name), lines)
        self.assertIn("Removing registry key " + KEY, lines)
        self.assertIn("Removing %s from the search path in %s" % (DIR, MACHINE_ENV), lines)
        # The original waits for its temporary copy's answer; the copy has moved the
        # running uninst.exe out of the folder, so nothing of the product is left.
        self.assertEqual(lines[-1], "Arvendo Quarnelix 4.26 has been removed")

        self.assert_product_gone_except_pending()
        self.assertFalse(self.exists(DIR))
        pending = self.pending_deletions()
        copies = [p for p in pending if re.search(r"\\QxUninst[0-9a-f]+\.exe$", p)]
        self.assertEqual(pending, copies, pending)
        self.assertEqual(len(copies), 1, pending)

        self.assertTrue(self.exists("C:\\Program Files\\Other\\keep.txt"))
        self.assertTrue(self.exists(PROGRAMS + "\\Other.lnk"))
        self.assertTrue(self.key_exists(CLASSES + "\\.other"))

        self.restart()
        self.assertFalse(self.exists(copies[0][4:]))
        self.assertTrue(self.exists("C:\\Program Files"))

    def test_no_library_planted_beside_the_uninstaller_or_its_copy_is_loaded(self):
        # Wine prefers its own uxtheme.dll unless told otherwise; told so, it takes the
        # first one on the search path. The broadcast of the changed search path loads it.
        plant = self.wine.wine_path("C:\\windows\\system32\\version.dll")
        outside = "C:\\windows\\temp\\uninst.exe"
        shutil.copyfile(UNINST, self.wine.wine_path(outside))
        for folder in (self.wine.temp_folder(), "C:\\windows\\temp"):
            shutil.copyfile(plant, self.wine.wine_path(folder + "\\uxtheme.dll"))
        self.wine.env["WINEDEBUG"] = "-all,+loaddll"
        self.wine.env["WINEDLLOVERRIDES"] += ";uxtheme=n,b"
        # The copy runs from the temporary folder; an uninstaller outside the folder does
        # the work itself. Both load uxtheme.dll, and only from the system directory.
        for program in (DIR + "\\uninst.exe", outside):
            self.install()
            r = self.wine.run(program, "Quarnelix", "-unat")
            self.assertEqual(r.code, 0, r)
            loaded = re.findall(r'Loaded L"([^"]*uxtheme\.dll)"', r.stderr.decode("latin-1"))
            self.assertEqual(set(loaded), {"C:\\\\windows\\\\system32\\\\uxtheme.dll"}, program)

    def test_handshake_hands_the_result_over_through_the_shared_block(self):
        self.install()
        r = self.wine.run(HANDSHAKE, DIR + "\\uninst.exe", "Quarnelix", "--offer")
        self.assertEqual(r.code, 0, r)
        lines = self.lines(r)
        # The original makes its copy known and exits with 1; the copy waits for that,
        # removes everything, uninst.exe included, then writes 0 into the block and signals.
        self.assertHandedOver(r, 0)
        self.assertEqual(lines[1], "helper=given", r)
        self.assertIn("Arvendo Quarnelix 4.26 has been removed", lines)
        self.assert_product_gone_except_pending()
        self.assertFalse(self.exists(DIR))
        pending = self.pending_deletions()
        self.assertEqual([p for p in pending if "Arvendo Quarnelix" in p], [])
        self.assertEqual(len([p for p in pending if "\\QxUninst" in p]), 1, pending)

    def test_started_by_its_short_path_it_still_hands_on(self):
        self.install()
        r = self.wine.run(SHORTPATH, DIR + "\\uninst.exe")
        self.assertEqual(r.code, 0, r)
        short = self.lines(r)[0]
        self.assertNotEqual(short, DIR + "\\uninst.exe")
        r = self.wine.run(HANDSHAKE, short, "Quarnelix")
        self.assertHandedOver(r, 0)
        self.assertFalse(self.exists(DIR))

    def test_uninstaller_outside_the_folder_does_the_work_itself(self):
        # As the installer runs a fresh uninstaller from the temporary folder.
        self.install()
        shutil.copyfile(UNINST, self.wine.wine_path("C:\\windows\\temp\\uninst.exe"))
        r = self.wine.run(HANDSHAKE, "C:\\windows\\temp\\uninst.exe", "Quarnelix")
        lines = self.lines(r)
        self.assertEqual((r.code, lines[-1]), (0, "exit=0"), r)
        self.assertIn("Arvendo Quarnelix 4.26 has been removed", lines)
        self.assertFalse(self.exists(DIR))
        self.assertEqual([p for p in self.pending_deletions() if "QxUninst" in p], [])

    def test_folder_with_a_foreign_file_is_left_and_reported(self):
        self.install()
        with open(self.wine.wine_path(DIR + "\\my notes.txt"), "wb") as f:
            f.write(b"mine")
        r = self.wine.run(HANDSHAKE, DIR + "\\uninst.exe", "Quarnelix")
        lines = self.lines(r)
        self.assertHandedOver(r, 0)
        self.assertIn("Folder %s is left in place: it holds my notes.txt, which the installation did not put there"
                      % DIR, lines)
        self.assertEqual(os.listdir(self.wine.wine_path(DIR)), ["my notes.txt"])
        with open(self.wine.wine_path(DIR + "\\my notes.txt"), "rb") as f:
            self.assertEqual(f.read(), b"mine")
        self.assertFalse(self.exists(MENU))
        self.assertFalse(self.key_exists(KEY))

    def test_association_taken_over_by_the_sibling_is_left_alone(self):
        self.install()
        self.set_default(CLASSES + "\\.dvs", "Dorvask.Settings")
        r = self.wine.run(HANDSHAKE, DIR + "\\uninst.exe", "Quarnelix")
        lines = self.lines(r)
        self.assertHandedOver(r, 0)
        self.assertIn("The file association for extension '.dvs' now belongs to Dorvask.Settings; it is left in place",
                      lines)
        self.assertNotIn("Removing registry key %s\\.dvs" % CLASSES, lines)
        self.assertEqual(self.default_value(CLASSES + "\\.dvs"), "Dorvask.Settings")
        # Our own ProgID and the other association go all the same.
        self.assertFalse(self.key_exists(CLASSES + "\\" + SETTINGS))
        self.assertFalse(self.key_exists(CLASSES + "\\.qxp"))
        self.assertFalse(self.key_exists(KEY))

    def test_running_main_program_is_scheduled_and_counts_as_removed(self):
        marker = "C:\\holding.txt"
        self.install(main_program=HOLDFILE)
        holder = self.wine.start(DIR + "\\q.exe", marker, "60")
        try:
            deadline = time.time() + 60
            while not self.exists(marker) and time.time() < deadline:
                time.sleep(0.2)
            self.assertTrue(self.exists(marker))
            r = self.wine.run(HANDSHAKE, DIR + "\\uninst.exe", "Quarnelix")
        finally:
            holder.kill()
            holder.wait()
            for f in holder.outfiles:
                f.close()
        lines = self.lines(r)
        self.assertHandedOver(r, 0)
        self.assertIn("File %s\\q.exe will be removed at the next restart" % DIR, lines)
        self.assertIn("Folder %s will be removed at the next restart" % DIR, lines)
        self.assertIn("Arvendo Quarnelix 4.26 has been removed; 2 items will be removed at the next restart", lines)
        pending = self.pending_deletions()
        self.assertIn("\\??\\" + DIR + "\\q.exe", pending)
        self.assertIn("\\??\\" + DIR, pending)
        # Restart-time deletions run in their order: the file first, then its folder.
        self.assertLess(pending.index("\\??\\" + DIR + "\\q.exe"), pending.index("\\??\\" + DIR))
        self.assertEqual(os.listdir(self.wine.wine_path(DIR)), ["q.exe"])
        self.assertFalse(self.key_exists(KEY))


class CutShort(UninstallerTest):
    def test_a_run_cut_short_is_finished_by_running_it_again(self):
        self.install()
        # What a run killed half-way leaves: the mark, some items gone, the uninstaller there.
        self.wine.set_value(KEY, "RemovalStarted", "1")
        for name in ("q.exe", "readme.txt"):
            os.remove(self.wine.wine_path(DIR + "\\" + name))
        self.wine.reg("delete", CLASSES + "\\.qxp", "/f")
        r = self.wine.run(HANDSHAKE, DIR + "\\uninst.exe", "Quarnelix")
        self.assertHandedOver(r, 0)
        lines = self.lines(r)
        self.assertIn("File %s\\q.exe was already gone" % DIR, lines)
        self.assertIn("Registry key %s\\.qxp was already gone" % CLASSES, lines)
        # The uninstaller, the folder holding it and the registration go last.
        self.assertEqual(lines[-6:-2], ["Removing %s from the search path in %s" % (DIR, MACHINE_ENV),
                                        "Removing file %s\\uninst.exe" % DIR, "Removing folder " + DIR,
                                        "Removing registry key " + KEY])
        self.assert_product_gone_except_pending()
        self.assertFalse(self.exists(DIR))

    def test_the_installer_takes_a_marked_registration_without_uninstaller_for_removed(self):
        self.install()
        # Without its own item the key stays, as a run killed just before its end leaves it.
        params = self.wine.query_value(KEY, "UninstallParam")
        self.wine.set_value(KEY, "UninstallParam", params.replace(" " + item("delRegKey", KEY), ""))
        self.assertEqual(self.uninstall("Quarnelix", "-unat").code, 0)
        self.assertEqual((self.wine.query_value(KEY, "RemovalStarted"), self.exists(DIR)), ("1", False))
        r = self.wine.install("-installDir=C:\\Q", "-acceptEULA")
        self.assertEqual((r.code, self.lines(r)[0]), (0, "The earlier Quarnelix 4.26 installation was partly "
                                                          "removed; its removal is treated as finished"), r)


class Windows9x(UninstallerTest):
    def test_takes_the_installers_line_out_of_autoexec_bat(self):
        self.install()
        r = self.wine.run(SHORTPATH, DIR)
        self.assertEqual(r.code, 0, r)
        short = self.lines(r)[0]
        autoexec = self.wine.wine_path("C:\\AUTOEXEC.BAT")
        with open(autoexec, "wb") as f:
            f.write(b"@ECHO OFF\r\nPATH=C:\\WINDOWS\r\n\r\nPATH=%PATH%;" + short.encode() + b"\r\n")
        # Every program, the uninstaller's temporary copy included, sees Windows 98.
        self.wine.set_value("HKCU\\Software\\Wine", "Version", "win98")
        r = self.wine.run(HANDSHAKE, DIR + "\\uninst.exe", "Quarnelix")
        self.assertHandedOver(r, 0)
        self.assertIn("Removing %s from the search path in C:\\AUTOEXEC.BAT" % DIR, self.lines(r))
        with open(autoexec, "rb") as f:
            self.assertEqual(f.read(), b"@ECHO OFF\r\nPATH=C:\\WINDOWS\r\n")
        # The registry's search path is no business of the 9x family.
        self.assertEqual(self.wine.query_value(MACHINE_ENV, "PATH"), self.machine_path_before + ";" + DIR)
        self.assertFalse(self.exists(DIR))
        self.assertFalse(self.key_exists(KEY))


class WithTheInstaller(UninstallerTest):
    def test_removes_what_the_installer_made_and_restores_the_path(self):
        machine_path = self.wine.query_value(MACHINE_ENV, "PATH")
        r = self.wine.install("-installDir=C:\\Apps\\Q", "-acceptEULA")
        self.assertEqual(r.code, 0, r)
        params = self.wine.query_value(KEY, "UninstallParam")
        self.assertTrue(params.startswith('"-shareResWith=Dorvask" "-delDir=C:\\Apps\\Q" "-delDir=C:\\Apps"'), params)
        self.assertEqual(self.wine.query_value(MACHINE_ENV, "PATH"), machine_path + ";C:\\Apps\\Q")
        links = [p.split("=", 1)[1] for p in params.split('" "') if p.startswith("-delFile=") and p.endswith(".lnk")]
        self.assertTrue(links)
        for link in links:
            self.assertTrue(self.exists(link), link)

        r = self.wine.run(HANDSHAKE, "C:\\Apps\\Q\\uninst.exe", "Quarnelix")
        self.assertHandedOver(r, 0)
        self.assertFalse(self.exists("C:\\Apps"))
        for link in links:
            self.assertFalse(self.exists(link), link)
        for key in (KEY, CLASSES + "\\.qxp", CLASSES + "\\.dvs", CLASSES + "\\" + PROFILE, CLASSES + "\\" + SETTINGS):
            self.assertFalse(self.key_exists(key), key)
        self.assertEqual(self.wine.query_value(MACHINE_ENV, "PATH"), machine_path)
        self.assertEqual(self.value_type(MACHINE_ENV, "PATH"), "REG_EXPAND_SZ")

    def test_uninstall_gives_the_extensions_back_to_their_earlier_owners(self):
        self.set_default(CLASSES + "\\.qxp", "OtherApp.Document")
        self.set_default(CLASSES + "\\.dvs", "Odd=Other;Settings")
        r = self.wine.install("-installDir=C:\\Apps\\Q", "-acceptEULA")
        self.assertEqual(r.code, 0, r)
        self.assertEqual(self.wine.query_value(KEY, "PreviousFileTypes"),
                         ".qxp=OtherApp.Document;.dvs=Odd%3DOther%3BSettings")
        r = self.wine.run(HANDSHAKE, "C:\\Apps\\Q\\uninst.exe", "Quarnelix")
        self.assertHandedOver(r, 0)
        self.assertIn("Restoring the file association for extension '.qxp' to OtherApp.Document", self.lines(r))
        self.assertEqual(self.default_value(CLASSES + "\\.qxp"), "OtherApp.Document")
        self.assertEqual(self.default_value(CLASSES + "\\.dvs"), "Odd=Other;Settings")
        for key in (KEY, CLASSES + "\\" + PROFILE, CLASSES + "\\" + SETTINGS):
            self.assertFalse(self.key_exists(key), key)


    def test_a_temporary_folder_without_an_ansi_name_is_reached_by_its_short_name(self):
        # A Cyrillic user name on a Western system.
        temp = self.wine.temp_folder() + "\\\u041f\u0440\u0438\u043c\u0435\u0440"
        self.wine.make_dir(temp)
        self.wine.set_values([(USER_ENV, name, temp, "REG_SZ") for name in ("TEMP", "TMP")])
        install = ("-installDir=C:\\Apps\\Q", "-acceptEULA")
        self.assertEqual(self.wine.install(*install).code, 0)
        # Each upgrade keeps the earlier installation there; the registered uninstaller hands
        # on to a copy there, or, before 4.07, a fresh one runs from there.
        for version in ("4.26", "4.06"):
            self.wine.set_value(KEY, "Version", version)
            r = self.wine.install(*install)
            self.assertEqual(r.code, 0, r)
        # Without the handshake the original waits, and its copy moves it aside beside itself.
        r = self.wine.run("C:\\Apps\\Q\\uninst.exe", "Quarnelix", "-unat")
        self.assertEqual((r.code, self.lines(r)[-1]), (0, "Arvendo Quarnelix 4.26 has been removed"), r)
        self.assertFalse(self.exists("C:\\Apps"))
        self.assertFalse(self.key_exists(KEY))
        pending = [p[4:].rpartition("\\") for p in self.pending_deletions()]
        names = sorted(name for _, _, name in pending)
        self.assertRegex(" ".join(names), r"^QxUninst[0-9a-f]+\.exe QxUninst[0-9a-f]+\.exe uninst\.exe$")
        for folder, _, _ in pending:
            parent, _, short = folder.rpartition("\\")
            self.assertEqual((parent.lower(), short.isascii()), (temp.rpartition("\\")[0].lower(), True), folder)
        # ... and they are the Cyrillic folder's files: the short name reached it.
        self.assertEqual(sorted(os.listdir(self.wine.wine_path(temp))), names)


class Failures(UninstallerTest):
    def test_missing_registration_gives_12(self):
        self.install()
        code, out = self.wine.reg("delete", KEY, "/f")
        self.assertEqual(code, 0, out)
        r = self.uninstall("Quarnelix", "-unat")
        self.assertEqual(r.code, 12, r)
        self.assertTrue(self.lines(r)[0].startswith(
            "Loading uninstallation information from %s failed: RegOpenKeyExA() failed: Windows error: 2" % KEY), r)
        # Through the handshake the answer is the exit code itself, not 1.
        r = self.wine.run(HANDSHAKE, DIR + "\\uninst.exe", "Quarnelix")
        self.assertEqual(self.lines(r)[-1], "exit=12", r)
        self.assertTrue(self.exists(DIR + "\\q.exe"))

    def test_damaged_parameter_string_gives_12_and_removes_nothing(self):
        self.install()
        self.wine.set_value(KEY, "UninstallParam", '"-shareResWith=Dorvask" "-delDir=%s" "-delTree=C:\\"' % DIR)
        r = self.uninstall("Quarnelix", "-unat")
        self.assertEqual(r.code, 12, r)
        self.assertEqual(self.lines(r), [
            "Loading uninstallation information from %s failed: Invalid uninstallation data. "
            "The item -delTree= is not known to this uninstaller." % KEY])
        self.assertTrue(self.exists(DIR + "\\q.exe"))
        self.assertTrue(self.key_exists(KEY))

    def test_bad_command_line_gives_12_with_the_usage(self):
        r = self.wine.run(UNINST, "Quarnelix", "-unat", "-result=7c")
        self.assertEqual(r.code, 12, r)
        self.assertEqual(self.lines(r)[0], "'-result=' and '-done=' must be given together.")
        self.assertTrue(self.lines(r)[2].startswith("Usage: uninst.exe <uninstall key name>"))


if __name__ == "__main__":
    unittest.main()
