"""A signed build: a throwaway code-signing identity made with openssl, the installer built
with it into a folder of its own (a second tree that takes the test run's compiled objects),
verified against that certificate, with the uninst.exe it installs, under Wine."""
import os
import shutil
import subprocess
import tempfile

from harness import DIST, SOURCE, TWIN, WIN_BUILD, PrefixTest
from installation import COMPLETED, UNINSTALL_KEY


class SignedBuildTest(PrefixTest):

    def test_signed_installer_and_its_uninstaller_verify_and_work(self):
        work = os.path.realpath(tempfile.mkdtemp(prefix="qxsign."))
        self.addCleanup(shutil.rmtree, work, True)
        cert, key, p12, password = (os.path.join(work, n) for n in ("cert.pem", "key.pem", "id.p12", "password"))
        with open(password, "w") as f:
            f.write("throwaway\n")
        for command in (["req", "-x509", "-newkey", "rsa:2048", "-noenc", "-keyout", key, "-out", cert, "-days", "2",
                         "-subj", "/CN=Quarnelix test signer", "-addext", "extendedKeyUsage=codeSigning"],
                        ["pkcs12", "-export", "-in", cert, "-inkey", key, "-out", p12, "-passout", "file:" + password]):
            subprocess.run(["openssl", *command], check=True, capture_output=True)
        launcher = os.path.join(SOURCE, "scripts", "reuse-objects.sh")
        env = {k: v for k, v in os.environ.items() if not k.startswith("QX_SIGN_")}   # no identity of the caller's
        env.update(QX_SIGN_PKCS12=p12, QX_SIGN_PASSWORD_FILE=password, QX_SIGN_TIME="1700000000",
                   QX_SKIP_HOST="1", QX_SKIP_TWIN="1", QX_WIN_ARCH="x86_64" if TWIN else "i686",
                   QX_WIN_TARGETS="QuarnelixInstaller", QX_WIN_CMAKE_ARGS="-DQX_DIST_DIR=" + work,
                   CMAKE_C_COMPILER_LAUNCHER=launcher, CMAKE_CXX_COMPILER_LAUNCHER=launcher,
                   QX_REUSE_FROM=os.path.realpath(WIN_BUILD), QX_REUSE_INTO=os.path.join(work, "build", "win"))
        build = subprocess.run([os.path.join(SOURCE, "scripts", "build.sh"), os.path.join(work, "build")], env=env,
                               stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        self.assertEqual(build.returncode, 0, build.stdout.decode("latin-1")[-3000:])
        self.assertNotIn(b"throwaway", build.stdout)
        installer = os.path.join(work, "QuarnelixInstaller.exe")

        def verify(exe, expected=True):
            r = subprocess.run(["osslsigncode", "verify", "-CAfile", cert, "-in", exe], capture_output=True)
            ok = r.returncode == 0 and b"Message digest algorithm  : SHA256" in r.stdout
            self.assertEqual(ok, expected, r.stdout.decode() + r.stderr.decode())

        verify(installer)
        for folder in (work, DIST):   # the checksums are of the finished, signed file
            subprocess.run(["sha256sum", "--strict", "-c", os.path.join(os.path.basename(folder), "SHA256SUMS")],
                           cwd=os.path.dirname(folder), check=True, capture_output=True)
        w = self.wine
        r = w.run(installer, "-installDir=C:\\Signed Q", "-acceptEULA")
        self.assertEqual((r.code, r.stdout.splitlines()[-1]), (0, COMPLETED.encode()), r)
        uninstaller = w.wine_path("C:\\Signed Q\\uninst.exe")
        verify(uninstaller)
        r = w.run("C:\\Signed Q\\uninst.exe", "Quarnelix", "-unat")
        self.assertEqual((r.code, w.export_key(UNINSTALL_KEY)), (0, None), r)
        self.assertFalse(os.path.exists(w.wine_path("C:\\Signed Q\\quarnelix.exe")))

        with open(installer, "r+b") as f:
            f.seek(os.path.getsize(installer) // 2)
            byte = f.read(1)
            f.seek(-1, os.SEEK_CUR)
            f.write(bytes([byte[0] ^ 1]))
        verify(installer, expected=False)
