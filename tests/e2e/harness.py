"""Runs the built Windows programs under Wine, each test in a fresh clone of the
test run's template prefix (made by tests/wine/make-template)."""
import os
import shutil
import subprocess
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
WINE_DIR = os.path.join(HERE, "..", "wine")
SOURCE = os.environ.get("QX_SOURCE", os.path.abspath(os.path.join(HERE, "..", "..")))
DIST = os.environ.get("QX_DIST", os.path.join(SOURCE, "dist"))
WIN_BUILD = os.environ.get("QX_WIN_BUILD", os.path.join(SOURCE, "build", "win"))
INSTALLER = os.path.join(DIST, "QuarnelixInstaller.exe")
HELPERS = os.path.join(WIN_BUILD, "e2e-helpers")

WINE_ENV = {
    "WINEDEBUG": "-all",
    "WINEARCH": "win32",
    "WINEDLLOVERRIDES": "mscoree,mshtml=;winemenubuilder.exe=d",
    "LC_ALL": "C.UTF-8",
}


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
        subprocess.run(["wineserver", "-k"], env=self.env, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=self.env, stderr=subprocess.DEVNULL)
        shutil.rmtree(self.work, ignore_errors=True)

    def run(self, program, *args, timeout=120, display=None):
        """Runs a program; output goes through files, since Wine's services keep pipes open."""
        env = dict(self.env)
        if display:
            env["DISPLAY"] = display
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            proc = subprocess.run(["wine", program, *args], stdout=out, stderr=err,
                                  stdin=subprocess.DEVNULL, env=env, timeout=timeout)
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
        proc = subprocess.Popen(["wine", program, *args], stdout=out, stderr=err,
                                stdin=subprocess.DEVNULL, env=env)
        proc.outfiles = (out, err)
        return proc

    def wine_path(self, windows_path):
        """The Linux path of a C: path inside this prefix."""
        assert windows_path[1:3] == ":\\", windows_path
        rel = windows_path[3:].replace("\\", "/")
        return os.path.join(self.prefix, "drive_" + windows_path[0].lower(), rel)

    def reg(self, *args):
        proc = subprocess.run(["wine", "reg", *args], env=self.env, stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL, timeout=60)
        return proc.returncode, proc.stdout.decode("latin-1")

    def set_value(self, key, name, data, kind="REG_SZ"):
        code, out = self.reg("add", key, "/v", name, "/t", kind, "/d", data, "/f")
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

    def set_windows_version(self, exe_name, version):
        """Makes Wine report another Windows version to one program (win95, win98, nt40, ...)."""
        self.set_value("HKCU\\Software\\Wine\\AppDefaults\\" + exe_name, "Version", version)


class PrefixTest(unittest.TestCase):
    """Each test starts from the template's known state in its own prefix."""

    def setUp(self):
        self.wine = Prefix()
        self.addCleanup(self.wine.close)

    def assertRun(self, result, code, stdout=b"", stderr=b""):
        self.assertEqual((result.code, result.stdout, result.stderr), (code, stdout, stderr), repr(result))
