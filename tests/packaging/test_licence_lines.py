#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Every source file carries the licence line at its head; the checker finds those that do not.
#   test_licence_lines.py SOURCE_DIR
import importlib.machinery
import os
import subprocess
import sys
import tempfile
import unittest

SOURCE_DIR = sys.argv.pop(1)
licence_lines = importlib.machinery.SourceFileLoader(
    "licence_lines", os.path.join(SOURCE_DIR, "scripts", "licence-lines")).load_module()
LINE = licence_lines.LICENCE


class LicenceLines(unittest.TestCase):
    maxDiff = None

    def test_every_tracked_source_file_has_it(self):
        self.assertEqual([], licence_lines.lacking(SOURCE_DIR),
                         "run scripts/licence-lines to add the line")

    def test_checker_tells_source_from_other_files(self):
        # name -> (content, expected to be reported)
        rows = {
            "with.cpp": (f"// {LINE}\n// A file.\n", False),
            "without.h": ("#pragma once\n", True),
            "late.cpp": ("// One.\n// Two.\n// Three.\n" + f"// {LINE}\n", True),
            "CMakeLists.txt": ("add_subdirectory(x)\n", True),
            "tool": ("#!/bin/sh\necho\n", True),
            "tool-with": (f"#!/bin/sh\n# {LINE}\necho\n", False),
            "notes.md": ("# Notes\n", False),
            "data.vnt": ("BEGIN:VNOTE\n", False),
            "sub/deep.py": ("print()\n", True),
            "crlf.cpp": ("int x;\r\n", True),
        }
        with tempfile.TemporaryDirectory() as root:
            subprocess.run(["git", "init", "-q", root], check=True)
            for name, (content, _) in rows.items():
                os.makedirs(os.path.dirname(os.path.join(root, name)), exist_ok=True)
                with open(os.path.join(root, name), "w", encoding="utf-8") as file:
                    file.write(content)
            with open(os.path.join(root, "untracked.cpp"), "w", encoding="utf-8") as file:
                file.write("int x;\n")
            subprocess.run(["git", "-C", root, "add", *rows], check=True)
            expected = sorted(name for name, (_, reported) in rows.items() if reported)
            self.assertEqual(expected, licence_lines.lacking(root))

            # Adding the line puts it after "#!" and satisfies the check.
            self.assertEqual(0, licence_lines.main([root]))
            self.assertEqual([], licence_lines.lacking(root))
            with open(os.path.join(root, "tool"), encoding="utf-8") as file:
                self.assertEqual(["#!/bin/sh\n", f"# {LINE}\n", "echo\n"], file.readlines())
            with open(os.path.join(root, "without.h"), encoding="utf-8") as file:
                self.assertEqual(f"// {LINE}\n#pragma once\n", file.read())
            with open(os.path.join(root, "crlf.cpp"), "rb") as file:
                self.assertEqual(f"// {LINE}\r\nint x;\r\n".encode(), file.read())


if __name__ == "__main__":
    unittest.main()
