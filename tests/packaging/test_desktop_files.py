#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# The desktop integration files pass their validators, agree on the application id, the note type
# and the version, and the manual pages render cleanly.
#   test_desktop_files.py SOURCE_DIR MAN_DIR VERSION
import glob
import os
import re
import subprocess
import sys
import unittest
import xml.etree.ElementTree as ElementTree

SOURCE_DIR, MAN_DIR, VERSION = sys.argv[1:4]
del sys.argv[1:4]
PACKAGING = os.path.join(SOURCE_DIR, "packaging")
APP_ID = "org.tessavo.Quillet"
DESKTOP = os.path.join(PACKAGING, f"{APP_ID}.desktop")
METAINFO = os.path.join(PACKAGING, f"{APP_ID}.metainfo.xml")
MIME = os.path.join(PACKAGING, "quillet-vnote.xml")
CHANGELOG = os.path.join(PACKAGING, "debian", "changelog")


def run(*command):
    return subprocess.run(command, capture_output=True, text=True,
                          env=dict(os.environ, LC_ALL="C.UTF-8", MANPAGER="cat", MANWIDTH="80"))


def desktop_entry():
    with open(DESKTOP, encoding="utf-8") as file:
        return dict(line.rstrip("\n").split("=", 1) for line in file if "=" in line)


class DesktopFiles(unittest.TestCase):
    def test_validators_are_silent(self):
        rows = {
            "desktop entry": ["desktop-file-validate", DESKTOP],
            "AppStream": ["appstreamcli", "validate", "--no-net", "--no-color", METAINFO],
        }
        for row, command in rows.items():
            with self.subTest(row=row):
                result = run(*command)
                self.assertEqual(0, result.returncode, result.stdout + result.stderr)
                issues = [line for line in (result.stdout + result.stderr).splitlines()
                          if re.match(r"^(\S+: )?(error|warning|hint|[EWI]):", line)]
                self.assertEqual([], issues)

    def test_files_agree(self):
        entry = desktop_entry()
        metainfo = ElementTree.parse(METAINFO).getroot()
        mime_types = [element.get("type") for element in ElementTree.parse(MIME).getroot()]
        release = metainfo.find("releases/release")
        changelog_version = re.match(r"\S+ \(([^)]+)\)", open(CHANGELOG).readline()).group(1)
        rows = {
            "component id": (APP_ID, metainfo.findtext("id")),
            "launchable": (f"{APP_ID}.desktop", metainfo.findtext("launchable")),
            "icon": (APP_ID, entry["Icon"]),
            "desktop entry's type": (mime_types, entry["MimeType"].rstrip(";").split(";")),
            "provided type": (mime_types, [e.text for e in metainfo.iter("mediatype")]),
            "provided programs": (["quillet", "quillet-export"],
                                  [e.text for e in metainfo.iter("binary")]),
            "release": (VERSION, release.get("version")),
            "changelog": (VERSION, changelog_version),
        }
        for row, (expected, actual) in rows.items():
            with self.subTest(row=row):
                self.assertEqual(expected, actual)

    def test_metainfo_describes_in_english_and_russian(self):
        metainfo = ElementTree.parse(METAINFO).getroot()
        lang = "{http://www.w3.org/XML/1998/namespace}lang"
        for element in ["summary", "description/p"]:
            languages = {node.get(lang) for node in metainfo.findall(element)}
            with self.subTest(element=element):
                self.assertEqual({None, "ru"}, languages)

    def test_man_pages_render_cleanly(self):
        pages = sorted(glob.glob(os.path.join(MAN_DIR, "*.1")))
        self.assertEqual(["quillet-export.1", "quillet.1"], [os.path.basename(p) for p in pages])
        for page in pages:
            name = os.path.basename(page)[:-2]
            with self.subTest(page=name):
                groff = run("groff", "-ww", "-z", "-man", "-Tutf8", page)
                self.assertEqual("", groff.stderr)
                man = run("man", "-l", page)
                self.assertEqual(0, man.returncode, man.stderr)
                self.assertEqual("", man.stderr)
                self.assertRegex(man.stdout, rf"NAME\n\s+{re.escape(name)} - ")


if __name__ == "__main__":
    unittest.main()
