"""Runs the built Windows programs under Wine, each test in a fresh clone of the
test run's template prefix (made by tests/wine/make-template)."""
import os
import re
import shutil
import subprocess
import tempfile
import time
import unittest
from collections import namedtuple

HERE = os.path.dirname(os.path.abspath(__file__))
WINE_DIR = os.path.join(HERE, "..", "wine")
SOURCE = os.environ.get("QX_SOURCE", os.path.abspath(os.path.join(HERE, "..", "..")))
DIST = os.environ.get("QX_DIST", os.path.join(SOURCE, "dist"))
WIN_BUILD = os.environ.get("QX_WIN_BUILD", os.path.join(SOURCE, "build", "win"))
INSTALLER = os.path.join(DIST, "QuarnelixInstaller.exe")
HELPERS = os.path.join(WIN_BUILD, "e2e-helpers")
# win32: the release under 32-bit Wine; win64: its 64-bit twin (dist-x64) under 64-bit Wine,
# for hosts that cannot run 32-bit code. tests/wine/env.sh picks the loader the same way.
ARCH = os.environ.get("QX_WINE_ARCH", "win32")
TWIN = ARCH == "win64"
WINE = "/usr/lib/wine/wine64" if TWIN else "wine"
# (machine, optional header magic) of the programs under test: i386 PE32 or x86-64 PE32+.
PE_SHAPE = (0x8664, 0x20B) if TWIN else (0x14C, 0x10B)

SESSION_MANAGER = "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager"
PENDING = "PendingFileRenameOperations"

WINE_ENV = {
    "WINEDEBUG": "-all",
    "WINEARCH": ARCH,
    "WINEDLLOVERRIDES": "mscoree,mshtml=;winemenubuilder.exe=d",
    "LC_ALL": "C.UTF-8",
}
if TWIN:
    WINE_ENV["WINELOADER"] = WINE


def crlf(*lines):
    """What a program prints as these lines: text-mode output turns every LF into CR LF."""
    return b"".join(line.encode("latin-1").replace(b"\n", b"\r\n") + b"\r\n" for line in lines)


def banner():
    return crlf(
        "This program will install Arvendo Quarnelix 4.26",
        "on the machine it is being run on.",
        "",
        "Quarnelix is an SSH2 client for Windows 98/Me/NT/2000/XP/2003.",
        "For more information, please visit www.arvendo.com.",
        "",
        "If this program is run without command line options, installation",
        "will be performed in interactive mode. If run with command line",
        "options, installation will be performed in unattended mode.",
        "",
        "Usage (unattended mode only):",
        " QuarnelixInstaller -installDir=directory",
        "                    [-acceptEULA] [-force] [-noRollback]",
        "                    [-installForMeOnly] [-noDesktopIcon]",
        "",
    )


def unix_to_wine(path):
    """Wine's Z: drive maps the Linux root."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def parse_reg_export(text):
    """{key: {value name ("" for the default): (type, data)}} of a `reg export` file's text.
    Strings come back as str (REG_EXPAND_SZ and REG_MULTI_SZ decoded too), DWORDs as int,
    other types as ("hex(n)", bytes)."""
    keys, current, pending = {}, None, ""
    for line in text.splitlines():
        if pending:
            line, pending = pending + line.strip(), ""
        if line.endswith("\\") and not line.startswith("["):
            if re.search(r"=hex(\([0-9a-f]+\))?:", line):
                pending = line[:-1]
                continue
        if line.startswith("[") and line.endswith("]"):
            current = keys.setdefault(line[1:-1], {})
            continue
        if current is None or not line or line.startswith("Windows Registry"):
            continue
        name, raw = _split_value_line(line)
        current[name] = _decode_value(raw)
    return keys


def _split_value_line(line):
    if line.startswith("@="):
        return "", line[2:]
    assert line.startswith('"'), line
    i, name = 1, []
    while line[i] != '"':
        if line[i] == "\\":
            i += 1
        name.append(line[i])
        i += 1
    assert line[i + 1] == "=", line
    return "".join(name), line[i + 2:]


def _unescape(quoted):
    assert quoted.startswith('"') and quoted.endswith('"'), quoted
    return re.sub(r"\\(.)", r"\1", quoted[1:-1])


def _decode_value(raw):
    if raw.startswith('"'):
        return ("REG_SZ", _unescape(raw))
    if raw.startswith("dword:"):
        return ("REG_DWORD", int(raw[6:], 16))
    m = re.match(r"hex(?:\(([0-9a-f]+)\))?:(.*)$", raw)
    assert m, raw
    kind = int(m.group(1) or "3", 16)
    data = bytes(int(b, 16) for b in m.group(2).split(",") if b)
    if kind == 2:
        return ("REG_EXPAND_SZ", data.decode("utf-16-le").rstrip("\0"))
    if kind == 7:
        return ("REG_MULTI_SZ", data.decode("utf-16-le").rstrip("\0").split("\0"))
    return ("hex(%x)" % kind, data)


# What a prefix holds: {C: path: "dir" or (size, mtime_ns)} and {watched key: its export or None}.
Snapshot = namedtuple("Snapshot", "files keys")


def diff_files(before, after):
    """(added, removed, changed) paths between two file-tree snapshots, each sorted."""
    added = sorted(set(after) - set(before))
    removed = sorted(set(before) - set(after))
    changed = sorted(p for p in set(before) & set(after) if before[p] != after[p])
    return added, removed, changed


class Result:
    def __init__(self, code, stdout, stderr):
        self.code, self.stdout, self.stderr = code, stdout, stderr

    def __repr__(self):
        return "exit %d\nstdout:\n%s\nstderr:\n%s" % (
            self.code, self.stdout.decode("latin-1"), self.stderr.decode("latin-1"))


class Prefix:
    """A throwaway Wine prefix, a hard-link clone of the template with its own wineserver."""

    def __init__(self):
        template = os.environ.get("QX_WINE_TEMPLATE")
        if not template:
            raise unittest.SkipTest("QX_WINE_TEMPLATE is not set (run through ctest)")
        self.work = tempfile.mkdtemp(prefix="qxe2e.")
        subprocess.run([os.path.join(WINE_DIR, "clone-prefix"), template, self.work], check=True)
        self.prefix = os.path.join(self.work, "prefix")
        self.env = dict(os.environ, WINEPREFIX=self.prefix, HOME=os.path.join(self.work, "home"), **WINE_ENV)

    def close(self):
        self.stop()
        shutil.rmtree(self.work, ignore_errors=True)

    def run(self, program, *args, timeout=120, display=None, cwd=None):
        """Runs a program (in cwd, a C: folder, when given); output goes through files,
        since Wine's services keep pipes open."""
        env = dict(self.env)
        if display:
            env["DISPLAY"] = display
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            proc = subprocess.run([WINE, program, *args], stdout=out, stderr=err, stdin=subprocess.DEVNULL,
                                  env=env, timeout=timeout, cwd=cwd and self.wine_path(cwd))
            out.seek(0)
            err.seek(0)
            return Result(proc.returncode, out.read(), err.read())

    def install(self, *args, **kw):
        return self.run(INSTALLER, *args, **kw)

    def install_raw(self, tail, **kw):
        """Runs the installer with the exact command line: its quoted path, a space, tail."""
        saved = self.env.get("QX_RAW_CMDLINE")
        self.env["QX_RAW_CMDLINE"] = '"%s" %s' % (unix_to_wine(INSTALLER), tail)
        try:
            return self.run(os.path.join(HELPERS, "rawrun.exe"), **kw)
        finally:
            if saved is None:
                del self.env["QX_RAW_CMDLINE"]

    def start(self, program, *args, display=None):
        """Starts a program without waiting (for window tests); returns the Popen."""
        env = dict(self.env)
        if display:
            env["DISPLAY"] = display
        out = tempfile.TemporaryFile()
        err = tempfile.TemporaryFile()
        proc = subprocess.Popen([WINE, program, *args], stdout=out, stderr=err,
                                stdin=subprocess.DEVNULL, env=env)
        proc.outfiles = (out, err)
        return proc

    def run_until(self, program, *args, line, timeout=120):
        """Starts a program and kills it as soon as it has printed line (whole), the way a
        stop cuts a run short at that step; returns the lines it printed."""
        proc = self.start(program, *args)
        out = proc.outfiles[0]
        deadline = time.monotonic() + timeout
        wanted = (line + "\n").encode("latin-1")
        while proc.poll() is None and time.monotonic() < deadline:
            out.seek(0)
            if wanted in out.read().replace(b"\r\n", b"\n"):
                break
            time.sleep(0.005)
        proc.kill()
        proc.wait()
        out.seek(0)
        printed = out.read().decode("latin-1").splitlines()
        for f in proc.outfiles:
            f.close()
        return printed

    def wine_path(self, windows_path):
        """The Linux path of a C: path inside this prefix."""
        assert windows_path[1:3] == ":\\", windows_path
        rel = windows_path[3:].replace("\\", "/")
        return os.path.join(self.prefix, "drive_" + windows_path[0].lower(), rel)

    def reg(self, *args):
        proc = subprocess.run([WINE, "reg", *args], env=self.env, stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL, timeout=60)
        return proc.returncode, proc.stdout.decode("latin-1")

    def set_value(self, key, name, data, kind="REG_SZ"):
        code, out = self.reg("add", key, "/v", name, "/t", kind, "/d", data, "/f")
        assert code == 0, out

    def set_values(self, values):
        """Writes many values with one `reg import` (a Wine process costs a fifth of a second):
        values is [(key, name ("" for the default), data, "REG_SZ" or "REG_EXPAND_SZ")], keys
        by their full root names."""
        lines = ["Windows Registry Editor Version 5.00", ""]
        escape = lambda text: text.replace("\\", "\\\\").replace('"', '\\"')
        for key, name, data, kind in values:
            if kind == "REG_EXPAND_SZ":
                raw = (data + "\0").encode("utf-16-le")
                text = "hex(2):" + ",".join("%02x" % b for b in raw)
            else:
                assert kind == "REG_SZ", kind
                text = '"%s"' % escape(data)
            lines += ["[%s]" % key, ("@" if name == "" else '"%s"' % escape(name)) + "=" + text, ""]
        reg = os.path.join(self.work, "values.reg")
        with open(reg, "wb") as f:
            f.write("\r\n".join(lines).encode("utf-16"))
        code, out = self.reg("import", unix_to_wine(reg))
        assert code == 0, out

    def query_value(self, key, name):
        """The value's data as text, or None when it does not exist."""
        code, out = self.reg("query", key, "/v", name)
        if code != 0:
            return None
        for line in out.splitlines():
            parts = line.strip().split(None, 2)
            if len(parts) >= 2 and parts[0].lower() == name.lower() and parts[1].startswith("REG_"):
                return parts[2] if len(parts) == 3 else ""
        return None

    def schedule_deletions(self, paths):
        """Deletions at the next restart, as MoveFileEx records them: (source, empty) pairs."""
        entries = []
        for path in paths:
            entries += ["\\??\\" + path, ""]
        data = b"".join(e.encode("latin-1") + b"\0" for e in entries) + b"\0"
        reg = os.path.join(self.work, "pending.reg")
        with open(reg, "w") as f:
            f.write('REGEDIT4\r\n\r\n[%s]\r\n"%s"=hex(7):%s\r\n' %
                    (SESSION_MANAGER, PENDING, ",".join("%02x" % b for b in data)))
        code, out = self.reg("import", unix_to_wine(reg))
        assert code == 0, out

    def scheduled_deletions(self):
        """The sources of the pending restart operations (None when there are none)."""
        value = self.export_key(SESSION_MANAGER)[SESSION_MANAGER].get(PENDING)
        return None if value is None else [e for e in value[1] if e]

    def stop(self):
        """Ends the prefix's session (its wineserver and every program in it)."""
        subprocess.run(["wineserver", "-k"], env=self.env, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=self.env, stderr=subprocess.DEVNULL)

    def restart(self):
        """A new session, which carries out the pending restart operations like a reboot."""
        self.stop()
        self.reg("query", SESSION_MANAGER)

    def temp_folder(self):
        """The folder GetTempPath gives programs in this prefix (TMP, as Wine sets it up)."""
        proc = subprocess.run([WINE, "cmd", "/c", "echo", "%TMP%"], env=self.env, stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL, timeout=60)
        folder = proc.stdout.decode("latin-1").strip()
        assert folder[1:3] == ":\\" and "%" not in folder, folder
        return folder.rstrip("\\")

    def set_windows_version(self, exe_name, version):
        """Makes Wine report another Windows version to one program (win95, win98, nt40, ...)."""
        self.set_value("HKCU\\Software\\Wine\\AppDefaults\\" + exe_name, "Version", version)

    def export_key(self, key):
        """The key and everything below it as `wine reg export` writes it, parsed by
        parse_reg_export; None when the key does not exist."""
        out = os.path.join(self.work, "export.reg")
        if os.path.exists(out):
            os.remove(out)
        code, _ = self.reg("export", key, unix_to_wine(out), "/y")
        if code != 0:
            return None
        with open(out, "rb") as f:
            return parse_reg_export(f.read().decode("utf-16"))

    def file_tree(self):
        """Every folder and file of drive C: by its Windows path (a file by size and
        modification time: hashing the whole prefix would take far too long)."""
        root = os.path.join(self.prefix, "drive_c")
        tree = {}
        for folder, dirs, files in os.walk(root):
            rel = os.path.relpath(folder, root)
            base = "C:\\" if rel == "." else "C:\\" + rel.replace("/", "\\") + "\\"
            for name in dirs:
                tree[base + name] = "dir"
            for name in files:
                st = os.lstat(os.path.join(folder, name))
                tree[base + name] = (st.st_size, st.st_mtime_ns)
        return tree

    def snapshot(self, keys):
        """The file tree of drive C: and the exports of the given registry keys."""
        return Snapshot(self.file_tree(), {key: self.export_key(key) for key in keys})

    def read_file(self, windows_path):
        with open(self.wine_path(windows_path), "rb") as f:
            return f.read()

    def write_file(self, windows_path, data):
        """Creates a file (and its missing folders) inside the prefix from outside."""
        path = self.wine_path(windows_path)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)

    def remove_file(self, windows_path):
        os.remove(self.wine_path(windows_path))

    def make_dir(self, windows_path):
        os.makedirs(self.wine_path(windows_path), exist_ok=True)

    def shortcuts(self, *links):
        """{link path: {target, arguments, workdir, description, icon, iconindex}} as the
        shell's IShellLinkA reads each .lnk file (helper lnkinfo.exe)."""
        result = self.run(os.path.join(HELPERS, "lnkinfo.exe"), *links)
        assert result.code == 0, "cannot load the shortcuts: %r" % result
        found = {}
        for line in result.stdout.decode("latin-1").splitlines():
            name, _, value = line.partition("=")
            if name == "link":
                current = found.setdefault(value, {})
            else:
                current[name] = value
        return found

    def subkeys(self, key):
        """The names of the key's direct subkeys (None when the key does not exist)."""
        code, out = self.reg("query", key)
        if code != 0:
            return None
        prefix = key.lower() + "\\"
        return sorted(line[len(prefix):] for line in out.splitlines() if line.lower().startswith(prefix))

    def shell_folder(self, name):
        """A shell folder as Wine records it: "Programs", "Desktop" (the current user's) or
        "Common Programs", "Common Desktop" (all users')."""
        root = "HKEY_LOCAL_MACHINE" if name.startswith("Common ") else "HKEY_CURRENT_USER"
        key = root + "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"
        values = {k.lower(): v for k, v in (self.export_key(key) or {}).items()}.get(key.lower(), {})
        assert values.get(name, ("", ""))[0] == "REG_SZ", "no shell folder " + name
        return values[name][1]

    def reg_link(self, key, target):
        """Makes the key (HKLM\\... or HKCU\\...) a registry symbolic link to target, a native
        key name (\\Registry\\Machine\\...). Writing through a link whose target and
        target's parent are missing fails; a link to a missing key with an existing parent
        does not."""
        root, _, sub = key.partition("\\")
        root = {"HKEY_LOCAL_MACHINE": "HKLM", "HKEY_CURRENT_USER": "HKCU"}.get(root, root)
        result = self.run(os.path.join(HELPERS, "reglink.exe"), root, sub, target)
        assert result.code == 0, "cannot make %s a link: %r" % (key, result)

    def volatile_key(self, key):
        """Makes the key and its missing parents volatile keys (HKLM\\... or HKCU\\...).
        Below it only volatile keys can be made. It lasts as long as the session, which is
        kept alive from here until close()."""
        self.stop()
        subprocess.run(["wineserver", "-p"], env=self.env, check=True)
        self.reg_link(key, "--volatile")


class PrefixTest(unittest.TestCase):
    """Each test starts from the template's known state in its own prefix."""

    def setUp(self):
        self.wine = Prefix()
        self.addCleanup(self.wine.close)

    def assertRun(self, result, code, stdout=b"", stderr=b""):
        self.assertEqual((result.code, result.stdout, result.stderr), (code, stdout, stderr), repr(result))


class Xvfb:
    """A private X server for window tests; its display number is chosen by the server itself."""

    def __init__(self):
        if not shutil.which("Xvfb"):
            raise AssertionError("Xvfb is not installed (package xvfb)")
        read_end, write_end = os.pipe()
        self.proc = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as r:
            number = r.readline().strip()
        if not number:
            self.proc.kill()
            raise AssertionError("Xvfb did not start")
        self.display = ":" + number

    def close(self):
        self.proc.terminate()
        self.proc.wait(timeout=30)
