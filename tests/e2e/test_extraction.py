"""Package files that meet something already at their place. The extractor creates a new
file in one step; anything else (a file or a folder of that name) takes the full way: the
existence test, the question (or -force), the cancelled restart deletion, the creation.
These tests pin what that way prints and leaves behind."""
import unittest

from installation import InstallationTest, Layout, join

DIR = "C:\\Apps\\Q"


class ExtractionTest(InstallationTest):

    def layout(self):
        return Layout(DIR, self.wine.shell_folder("Common Programs"), self.wine.shell_folder("Common Desktop"))

    def test_a_folder_in_the_place_of_a_package_file(self):
        # readme.txt is the fifth package file; the four before it are new and rolled back.
        error = ("Installation error: Error creating target installation file '%s' - CreateFile() failed "
                 "with the following error: Windows error 5: Access denied." % join(DIR, "readme.txt"))
        cases = [
            # (options, exit code, lines after the four new files up to the rollback, last lines)
            ([], 104, ["Target file '%s' already exists, aborting" % join(DIR, "readme.txt")], []),
            (["-force"], 150, ["Warning: '%s' already exists, will be overwritten" % join(DIR, "readme.txt"),
                               "Installing " + join(DIR, "readme.txt")], [error]),
        ]
        for options, code, middle, last in cases:
            with self.subTest(options=options):
                layout = self.layout()
                self.wine.make_dir(join(DIR, "readme.txt"))
                before = self.snapshot()
                result = self.wine.install("-installDir=" + DIR, "-acceptEULA", *options)
                printed = result.stdout.decode("latin-1").splitlines()
                expected = (layout.extraction_lines()[:4] + middle +
                            ["Rollback: removing previously created " + path for path in reversed(layout.files[:4])])
                self.assertEqual((result.code, printed[:len(expected)]), (code, expected), repr(result))
                # The report of the error follows the rollback (how often it is printed is the driver's).
                self.assertEqual(sorted(set(printed[len(expected):])), last, repr(result))
                self.assertMachineUnchanged(before, self.snapshot())

    def test_overwriting_a_file_cancels_its_deletion_at_restart(self):
        layout = self.layout()
        existing = join(DIR, "license.txt")
        self.wine.write_file(existing, b"old licence")
        self.wine.schedule_deletions([existing, "C:\\Other\\keep.txt"])
        result = self.wine.install("-installDir=" + DIR, "-acceptEULA", "-force")
        expected = layout.success_lines()
        expected.insert(expected.index("Installing " + existing),
                        "Warning: '%s' already exists, will be overwritten" % existing)
        self.assertOutput(result, 0, expected)
        self.assertEqual(self.wine.read_file(existing), self.image_file("license.txt"))
        self.assertEqual(self.wine.scheduled_deletions(), ["\\??\\C:\\Other\\keep.txt"])


if __name__ == "__main__":
    unittest.main()
