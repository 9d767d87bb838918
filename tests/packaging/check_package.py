#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks the built Debian package: its files, unpacked into a temporary root, against the list
# in tests/data/package/; its control fields; that its programs run; and lintian's verdict.
#   check_package.py DEB
import os
import subprocess
import sys
import tempfile
import unittest

DEB = os.path.abspath(sys.argv.pop(1))
SOURCE_DIR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
EXPECTED_FILES = os.path.join(SOURCE_DIR, "tests", "data", "package", "quillet.files")


def run(*command, **options):
    return subprocess.run(command, capture_output=True, text=True, **options)


class Package(unittest.TestCase):
    maxDiff = None

    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        cls.root = cls.tmp.name
        subprocess.run(["dpkg-deb", "-x", DEB, cls.root], check=True)

    @classmethod
    def tearDownClass(cls):
        cls.tmp.cleanup()

    def field(self, name):
        return run("dpkg-deb", "-f", DEB, name).stdout.strip()

    def test_files(self):
        found = sorted(os.path.relpath(os.path.join(folder, name), self.root)
                       for folder, _, names in os.walk(self.root) for name in names)
        with open(EXPECTED_FILES, encoding="utf-8") as file:
            expected = file.read().split()
        self.assertEqual(expected, found)

    def test_control_fields(self):
        rows = {
            "Package": "quillet",
            "Maintainer": "Tessavo <packages@tessavo.org>",
            "Section": "utils",
            "Architecture": run("dpkg", "--print-architecture").stdout.strip(),
        }
        for name, value in rows.items():
            with self.subTest(field=name):
                self.assertEqual(value, self.field(name))
        self.assertTrue(self.field("Description"))

    def test_dependencies(self):
        depends = {item.split()[0] for item in self.field("Depends").split(", ")}
        # Computed from the programs' libraries, and those the libraries only recommend.
        for package in ["libc6", "libqt6core6", "libqt6gui6", "libqt6widgets6",
                        "qt6-qpa-plugins", "qt6-translations-l10n"]:
            with self.subTest(package=package):
                self.assertIn(package, depends)

    def test_recommended_fonts(self):
        recommends = {item.split()[0] for item in self.field("Recommends").split(", ")}
        # Notes in Chinese, Japanese and Korean; in Arabic and Hebrew; emoji.
        for package in ["fonts-noto-cjk", "fonts-noto-core", "fonts-noto-color-emoji"]:
            with self.subTest(package=package):
                self.assertIn(package, recommends)

    def test_companion_runs_from_package(self):
        export = os.path.join(self.root, "usr", "bin", "quillet-export")
        note = os.path.join(SOURCE_DIR, "examples", "meeting-en.vnt")
        result = run(export, "--format", "json", note, env=dict(os.environ, TZ="UTC"))
        self.assertEqual(0, result.returncode, result.stderr)
        self.assertIn('"accepted": true', result.stdout)

    def test_lintian_finds_no_errors(self):
        command = ["lintian", "--display-info", "--pedantic", "--show-overrides", DEB]
        result = run(*command)
        print(f"\n-- {' '.join(command)}\n{result.stdout}{result.stderr}-- end of lintian's output",
              file=sys.stderr)
        errors = [line for line in result.stdout.splitlines() if line.startswith("E:")]
        self.assertEqual([], errors)


if __name__ == "__main__":
    unittest.main()
