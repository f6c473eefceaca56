"""The installer's command line, end to end: help, errors, the acceptance check."""
import unittest

from harness import PrefixTest, banner, crlf

EULA_LINES = crlf(
    "Missing -acceptEULA parameter to indicate your acceptance of the Quarnelix",
    "End-User License Agreement. Please run this installer without parameters to",
    "read the EULA, then supply -acceptEULA for unattended installation.")


class Help(PrefixTest):
    def test_every_help_spelling_prints_the_banner_and_exits_200(self):
        for args in (["-?"], ["/help"], ["-H"], ["/h"], ["-x", "-?", "stray"]):
            with self.subTest(args=args):
                self.assertRun(self.wine.install(*args), 200, banner())


class Errors(PrefixTest):
    def check_error(self, args, text):
        self.assertRun(self.wine.install(*args), 201, crlf(text, "") + banner())

    def test_unknown_option(self):
        self.check_error(["-installDir=C:\\Q", "-x"], "Invalid command parameter: -x.")
        # The folder is checked before the leftovers.
        self.check_error(["-x"], "Missing '-installDir' parameter.")

    def test_unknown_options_are_reported_in_name_order(self):
        self.check_error(["-zeta", "-installDir=C:\\Q", "-alpha"],
                         "Invalid command parameter: -alpha.\nInvalid command parameter: -zeta.")
        self.check_error(["-installDir=C:\\Q", "stray", "/site=x", "-"],
                         "Invalid command option: stray.\nInvalid command option: -.\n"
                         "Invalid command parameter: -site=x.")

    def test_stray_word_and_valued_flag(self):
        self.check_error(["-installDir=C:\\Q", "-acceptEULA", "install"], "Invalid command option: install.")
        self.check_error(["-force=yes", "-installDir=C:\\Q", "-acceptEULA"],
                         "Invalid command parameter: -force=yes.")

    def test_missing_or_empty_install_dir(self):
        for args in (["-acceptEULA"], ["-installDir", "-acceptEULA"], ["-installDir=", "-acceptEULA"]):
            with self.subTest(args=args):
                self.check_error(args, "Missing '-installDir' parameter.")

    def test_closing_quote_after_backslash_runs_on_to_the_end(self):
        # The quote after C:\Q\ is literal, so -acceptEULA becomes part of the folder.
        r = self.wine.install_raw('-installDir="C:\\Q\\" -acceptEULA')
        self.assertRun(r, 140, b"", EULA_LINES)

    def test_doubled_backslashes_and_doubled_quotes(self):
        # A valued flag is reported with its unescaped value: backslashes stay as they are
        # unless a quote follows (two then give one), "" is one quote.
        self.check_raw('-force=\\\\server\\\\share -installDir=C:\\Q -acceptEULA',
                       "Invalid command parameter: -force=\\\\server\\\\share.")
        self.check_raw('-force="C:\\Q\\\\" -installDir=C:\\Q', "Invalid command parameter: -force=C:\\Q\\.")
        self.check_raw('-force="a""b" -installDir=C:\\Q', 'Invalid command parameter: -force=a"b.')

    def check_raw(self, tail, text):
        self.assertRun(self.wine.install_raw(tail), 201, crlf(text, "") + banner())


class Acceptance(PrefixTest):
    def test_valid_command_without_accept_eula_writes_three_lines_to_stderr(self):
        for args in (["-installDir=C:\\Q"], ["/INSTALLDIR=C:\\Q", "/FORCE"]):
            with self.subTest(args=args):
                self.assertRun(self.wine.install(*args), 140, b"", EULA_LINES)

    def test_quoted_folder_with_spaces_is_accepted(self):
        r = self.wine.install_raw('-installDir="C:\\Program Files\\Arvendo Quarnelix" -acceptEULA')
        self.assertNotEqual(r.code, 201, repr(r))
        self.assertNotEqual(r.code, 140, repr(r))


if __name__ == "__main__":
    unittest.main()
