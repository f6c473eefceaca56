"""What an unattended installation of Quarnelix 4.26 must leave on the machine and print,
built from the product's own tables (the package manifest, the shortcut and association
tables) for one installation folder, so that each test only states its circumstances."""
import os
import shlex
import struct
import subprocess
import zlib

from harness import INSTALLER, PE_SHAPE, SESSION_MANAGER, SOURCE, WIN_BUILD, PrefixTest, diff_files
from test_package_resource import Pe

MANIFEST = os.path.join(SOURCE, "product", "package.manifest")
IMAGE = os.path.join(WIN_BUILD, "product-image")
VARIANT = {"nt": b"Windows NT family build", "9x": b"Windows 98/Me build"}
CLASSES = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes"
UNINSTALL_KEY = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quarnelix"
UNINSTALL_ROOT = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall"
MACHINE_ENV = SESSION_MANAGER + "\\Environment"
USER_ENV = "HKEY_CURRENT_USER\\Environment"
PROFILE = "Arvendo.Quarnelix.4.26.Profile"
SETTINGS = "Arvendo.Quarnelix.4.26.Settings"
MENU_NAME = "Arvendo Quarnelix"
COMPLETED = "Arvendo Quarnelix 4.26 installation completed"
# A link target under a key that does not exist: creating anything through it fails.
DEAD_LINK_TARGET = "\\Registry\\Machine\\Software\\QxNoSuchKey\\missing\\target"

# Every registry place an installation or its rollback touches. A snapshot of these keys
# (plus the file tree and the list of keys directly under the classes root) before and
# after a run shows everything the run changed in the registry.
WATCHED_KEYS = (CLASSES + "\\.qxp", CLASSES + "\\.dvs", CLASSES + "\\" + PROFILE, CLASSES + "\\" + SETTINGS,
                UNINSTALL_ROOT, SESSION_MANAGER, USER_ENV)

MAIN_DESCRIPTION = (
    "Arvendo Quarnelix 4.26 - a general-purpose SSH client: supports tunneling (manual and via "
    "integrated proxy), SFTP file transfer, bridging of FTP clients to SFTP, remote console access "
    "and remote administration of Dorvask.")


def join(folder, name):
    return folder.rstrip("\\") + "\\" + name


def package_files(platform):
    """[(name in the installation folder, source in the product image)] that the package
    writes on the given platform family ("nt" or "9x"), in package order."""
    files = []
    with open(MANIFEST) as f:
        for line in f:
            tokens = shlex.split(line, comments=True)
            if not tokens:
                continue
            platforms, _flags, source = tokens[:3]
            name = tokens[3] if len(tokens) > 3 else source.replace("/", "\\")
            if platforms in ("all", platform):
                files.append((name, source))
    return files


def item(name, value):
    return '"-%s=%s"' % (name, value)


def association_items():
    items = []
    for ext, prog_id, verbs in ((".qxp", PROFILE, ("Open", "Connect")), (".dvs", SETTINGS, ("Manage",))):
        items.append(item("delRegKey", CLASSES + "\\" + ext))
        for verb in verbs:
            items.append(item("delRegKey", "%s\\%s\\Shell\\%s\\command" % (CLASSES, prog_id, verb)))
            items.append(item("delRegKey", "%s\\%s\\Shell\\%s" % (CLASSES, prog_id, verb)))
        items.append(item("delRegKey", "%s\\%s\\Shell" % (CLASSES, prog_id)))
        items.append(item("delRegKey", CLASSES + "\\" + prog_id))
    return items


class Layout:
    """One installation: its folder, the folders it creates, its files and shortcuts."""

    def __init__(self, install_dir, programs, desktop=None, new_parents=(), platform="nt", menu_exists=False):
        self.dir = install_dir
        self.new_parents = list(new_parents)          # created above the folder, deepest first
        self.platform = platform
        self.menu = join(programs, MENU_NAME)
        self.menu_exists = menu_exists
        self.desktop_link = join(desktop, "Quarnelix.lnk") if desktop else None
        self.files = [join(install_dir, name) for name, _ in package_files(platform)]
        self.sources = dict((join(install_dir, name), source) for name, source in package_files(platform))
        self.uninstaller = join(install_dir, "uninst.exe")
        self.main_program = join(install_dir, "quarnelix.exe")

    # ---- shortcuts ----------------------------------------------------------------------
    def shortcuts(self):
        """{link path: properties as lnkinfo.exe prints them}, in creation order."""
        netprefs = join(self.dir, "netprefs.exe")
        rows = [
            (join(self.menu, "Quarnelix.lnk"), self.main_program, "", MAIN_DESCRIPTION, 0),
            (join(self.menu, "Proxy Settings.lnk"), netprefs, "-proxy",
             "Arvendo Global Proxy Settings - manages your SOCKS or HTTP proxy settings for establishing "
             "outgoing SSH connections.", 0),
            (join(self.menu, "Host Key Manager.lnk"), netprefs, "-hostkeys",
             "Arvendo Global Host Key Management - manages the list of SSH server host keys that you trust.", 1),
            (join(self.menu, "Keypair Manager.lnk"), netprefs, "-keypairs",
             "Arvendo Global Keypair Management - manages your SSH user authentication keypairs.", 2),
            (join(self.menu, "Uninstall Quarnelix.lnk"), self.uninstaller, "Quarnelix",
             "Uninstall Arvendo Quarnelix 4.26.", 0),
        ]
        if self.desktop_link:
            rows.append((self.desktop_link, self.main_program, "", MAIN_DESCRIPTION, 0))
        found = {}
        for link, target, arguments, description, index in rows:
            found[link] = {"target": target, "arguments": arguments, "workdir": self.dir,
                           "description": description, "icon": target, "iconindex": str(index)}
        return found

    def links(self):
        return list(self.shortcuts())

    # ---- console lines ------------------------------------------------------------------
    def extraction_lines(self):
        return ["Installing " + path for path in self.files + [self.uninstaller]]

    def shortcut_lines(self):
        return ["Creating shortcut " + link for link in self.links()]

    def success_lines(self):
        return (self.extraction_lines() + self.shortcut_lines() +
                ["Registering file association for extension '.qxp'",
                 "Registering file association for extension '.dvs'",
                 "Registering uninstaller", COMPLETED])

    def rollback_files(self, kept=(), folder_existed=False):
        """Rollback lines of the uninstaller and the package files, then of the installation
        folder and the parents it created (child first). Kept are the files that were there
        before: entered one by one as they are reached, they are put back first (newest
        first); the new files, entered together before the first, go after them."""
        written = (self.files + [self.uninstaller])[::-1]
        files = (["Rollback: restoring " + path for path in written if path in kept] +
                 ["Rollback: removing previously created " + path for path in written if path not in kept])
        folders = ([] if folder_existed else [self.dir]) + self.new_parents
        return files + ["Rollback: removing previously created " + path for path in folders]

    def rollback_menu(self, links=None, kept=()):
        """Rollback lines of the shortcuts (newest first: the desktop one, when made, leads;
        kept are the links that were there before and are put back) and of the Start-menu
        folder."""
        links = self.links() if links is None else links
        lines = [("Rollback: restoring " if link in kept else "Rollback: removing previously created shortcut ") +
                 link for link in reversed(links)]
        if not self.menu_exists:
            lines.append("Rollback: removing previously created " + self.menu)
        return lines

    # ---- uninstall registration ---------------------------------------------------------
    def uninstall_items(self, failed_links=()):
        items = [item("shareResWith", "Dorvask"), item("delDir", self.dir)]
        items += [item("delDir", parent) for parent in self.new_parents]
        for path in self.files:
            items.append(item("delMainFile" if path.lower() == self.main_program.lower() else "delFile", path))
        items.append(item("delFile", self.uninstaller))
        items.append(item("delDir", self.menu))
        items += [item("delFile", link) for link in self.links() if link not in failed_links]
        items += association_items()
        items.append(item("rstFileAssoc", ".dvs:" + SETTINGS))
        items.append(item("delRegKey", UNINSTALL_KEY))
        return items

    def uninstall_values(self, failed_links=()):
        return {
            "DisplayName": ("REG_SZ", "Arvendo Quarnelix 4.26 (remove only)"),
            "DisplayIcon": ("REG_SZ", self.uninstaller),
            "UninstallString": ("REG_SZ", '"%s" Quarnelix ' % self.uninstaller),
            "UninstallParam": ("REG_SZ", " ".join(self.uninstall_items(failed_links))),
            "InstallDir": ("REG_SZ", self.dir),
            "Version": ("REG_SZ", "4.26"),
        }

    # ---- file associations --------------------------------------------------------------
    def association_keys(self):
        """{key: {value: (type, data)}} of the four association subtrees, as reg export reads them."""
        open_command = '"%s" -profile="%%1"' % join(self.dir, "Quarnelix.exe")
        sz = lambda text: {"": ("REG_SZ", text)}
        profile, settings = CLASSES + "\\" + PROFILE, CLASSES + "\\" + SETTINGS
        return {
            CLASSES + "\\.qxp": {CLASSES + "\\.qxp": sz(PROFILE)},
            profile: {
                profile: sz("Arvendo Quarnelix profile file"),
                profile + "\\DefaultIcon": sz(join(self.dir, "quarnelix.exe,1")),
                profile + "\\Shell": sz("Open"),
                profile + "\\Shell\\Open": sz("Open"),
                profile + "\\Shell\\Open\\command": sz(open_command),
                profile + "\\Shell\\Connect": sz("Connect"),
                profile + "\\Shell\\Connect\\command": sz(open_command + " -connectOnStartup"),
            },
            CLASSES + "\\.dvs": {CLASSES + "\\.dvs": sz(SETTINGS)},
            settings: {
                settings: sz("Arvendo Dorvask settings file"),
                settings + "\\DefaultIcon": sz(join(self.dir, "srvprefs.exe,3")),
                settings + "\\Shell": sz("Manage"),
                settings + "\\Shell\\Manage": sz("Manage"),
                settings + "\\Shell\\Manage\\command": sz('"%s" "%%1"' % join(self.dir, "Srvprefs.exe")),
            },
        }

    # ---- file tree ----------------------------------------------------------------------
    def created_paths(self, failed_links=()):
        """Every path the installation adds to drive C: (a shortcut that could not be saved
        adds nothing)."""
        paths = [self.dir] + self.new_parents + self.files + [self.uninstaller]
        if not self.menu_exists:
            paths.append(self.menu)
        paths += [link for link in self.links() if link not in failed_links]
        return sorted(paths)


def lines(*texts):
    """The exact bytes a program prints as these lines (CR LF after each)."""
    return b"".join(text.encode("latin-1") + b"\r\n" for text in texts)


def embedded_uninstaller():
    """The uninstaller as the shipped installer carries it: resource "BINARY" 149, inflated."""
    with open(INSTALLER, "rb") as f:
        return zlib.decompress(Pe(f.read()).resources("BINARY")[149])


def pe_shape(data):
    """(machine, optional header magic) of a PE image; raises when it is not one."""
    if data[:2] != b"MZ":
        raise ValueError("no MZ header")
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise ValueError("no PE signature")
    return struct.unpack_from("<H", data, pe + 4)[0], struct.unpack_from("<H", data, pe + 24)[0]


class InstallationTest(PrefixTest):
    """Runs the installer in a fresh prefix and compares the machine before and after."""

    maxDiff = None

    def snapshot(self):
        """The file tree, the watched registry keys and the keys directly under the classes root."""
        return self.wine.snapshot(WATCHED_KEYS), self.wine.subkeys(CLASSES)

    def assertMachineUnchanged(self, before, after):
        (files_before, keys_before), classes_before = before
        (files_after, keys_after), classes_after = after
        self.assertEqual(diff_files(files_before, files_after), ([], [], []), "file tree changed")
        for key in WATCHED_KEYS:
            self.assertEqual(keys_after[key], keys_before[key], "registry changed below " + key)
        self.assertEqual(classes_after, classes_before, "keys under the classes root changed")

    def tmpfs_drive(self, letter, size="64m"):
        """A drive of its own (a tmpfs mounted in the prefix), which can be made read-only."""
        path = os.path.join(self.wine.prefix, "drive_" + letter)
        os.mkdir(path)
        if subprocess.run(["mount", "-t", "tmpfs", "-o", "size=" + size, "tmpfs", path],
                          stderr=subprocess.DEVNULL).returncode != 0:
            self.skipTest("cannot mount a tmpfs here (needs root)")
        self.addCleanup(subprocess.run, ["umount", "-l", path])
        self.addCleanup(self.wine.stop)   # nothing of the prefix may keep the mount busy
        os.symlink("../drive_" + letter, os.path.join(self.wine.prefix, "dosdevices", letter + ":"))
        return path

    def remount(self, path, mode):
        subprocess.run(["mount", "-o", "remount," + mode, path], check=True)

    def image_file(self, source):
        """A file of the product image the package was made from."""
        with open(os.path.join(IMAGE, source), "rb") as f:
            return f.read()

    def assertOutput(self, result, code, expected_lines):
        self.assertEqual((result.code, result.stdout.decode("latin-1").splitlines(), result.stderr),
                         (code, expected_lines, b""), repr(result))
        self.assertEqual(result.stdout, lines(*expected_lines))

    def assertInstalled(self, layout, before, after, changed=(), failed_links=()):
        """Files, shortcuts, associations and the uninstall key of a finished installation;
        changed are the existing files the run may have changed (nothing else may change),
        failed_links the shortcuts that could not be saved."""
        (files_before, keys_before), classes_before = before
        (files_after, keys_after), classes_after = after
        self.assertEqual(diff_files(files_before, files_after),
                         (layout.created_paths(failed_links), [], sorted(changed)))

        # Package files: the image's bytes; of a platform-specific file only this platform's build.
        for path in layout.files:
            data = self.wine.read_file(path)
            self.assertEqual(data, self.image_file(layout.sources[path]), path)
            other = VARIANT["9x" if layout.platform == "nt" else "nt"]
            self.assertNotIn(other, data, path)
        self.assertIn(VARIANT[layout.platform], self.wine.read_file(layout.dir + "\\qxagent.exe"))
        uninstaller = self.wine.read_file(layout.uninstaller)
        self.assertEqual(pe_shape(uninstaller), PE_SHAPE)
        self.assertEqual(uninstaller, embedded_uninstaller())

        saved = [link for link in layout.links() if link not in failed_links]
        self.assertEqual(self.wine.shortcuts(*saved), {link: layout.shortcuts()[link] for link in saved})

        associations = layout.association_keys()
        for key, expected in associations.items():
            self.assertEqual(keys_after[key], expected, key)
        self.assertEqual(sorted(set(classes_after) - set(classes_before)),
                         sorted({".dvs", ".qxp", PROFILE, SETTINGS} - set(classes_before)))
        self.assertEqual(sorted(set(classes_before) - set(classes_after)), [])

        uninstall_keys = dict(keys_after[UNINSTALL_ROOT])
        self.assertEqual(uninstall_keys.pop(UNINSTALL_KEY), layout.uninstall_values(failed_links))
        before_uninstall = keys_before[UNINSTALL_ROOT]
        self.assertEqual(uninstall_keys, before_uninstall)

    def environment_change(self, before, after):
        """(machine environment values changed, user environment values changed), each
        {name: (before, after)}; asserts that nothing else below the Session Manager changed."""
        keys_before, keys_after = before[0].keys, after[0].keys
        manager_before = dict(keys_before[SESSION_MANAGER])
        manager_after = dict(keys_after[SESSION_MANAGER])
        env_before, env_after = manager_before.pop(MACHINE_ENV), manager_after.pop(MACHINE_ENV)
        self.assertEqual(manager_after, manager_before)

        def changes(old, new):
            return {name: (old.get(name), new.get(name)) for name in set(old) | set(new)
                    if old.get(name) != new.get(name)}

        user_before = (keys_before[USER_ENV] or {}).get(USER_ENV, {})
        user_after = (keys_after[USER_ENV] or {}).get(USER_ENV, {})
        return changes(env_before, env_after), changes(user_before, user_after)
