#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# The companion's manual page and its bash completion name every option and output format that
# `quillet-export --help` lists, and the completion offers nothing else; so both stay current as
# options are added.
#   test_companion_docs.py QUILLET_EXPORT MAN_PAGE COMPLETION
import os
import re
import subprocess
import sys
import tempfile
import unittest

EXPORT, MAN_PAGE, COMPLETION = map(os.path.abspath, sys.argv[1:4])
del sys.argv[1:4]
BASH_COMPLETION = "/usr/share/bash-completion/bash_completion"
OPTION = re.compile(r"(?<![\w-])--?[A-Za-z0-9][\w-]*")


def help_listing():
    """The options (short and long) and the output formats that --help lists."""
    text = subprocess.run([EXPORT, "--help"], capture_output=True, text=True, check=True).stdout
    options, formats = set(), set()
    for line in text.splitlines():
        match = re.match(r"^\s+(-.*?)(?:\s{2,}(.*))?$", line)
        if not match:
            continue
        synopsis, description = match.group(1), match.group(2) or ""
        value = re.search(r"<([^>]*)>", synopsis)
        names = OPTION.findall(re.sub(r"<[^>]*>", "", synopsis))
        options.update(names)
        if "--format" in names:
            # The values as the option names them, <text|json>, else as its text lists them.
            listed = value.group(1) if value and "|" in value.group(1) \
                else description.split(":", 1)[-1]
            formats.update(word for word in re.split(r"[\s|,.]+|\bor\b", listed) if word)
    return options, formats


def options_section(page):
    """The OPTIONS section of the rendered page, without hyphenation, bold or underlining."""
    text = subprocess.run(["groff", "-man", "-Tutf8", "-rHY=0", "-rLL=200n", "-P-cbou", page],
                          capture_output=True, text=True, check=True).stdout
    match = re.search(r"^OPTIONS\n(.*?)^\S", text, re.S | re.M)
    return match.group(1) if match else ""


def completions(*words, folder=None):
    """What the completion offers for the command line `quillet-export WORDS...`."""
    script = f"""
        source {BASH_COMPLETION}
        source {COMPLETION} && declare -F _quillet_export >/dev/null || exit 1
        COMP_WORDS=(quillet-export "$@")
        COMP_CWORD=$#
        COMP_LINE="${{COMP_WORDS[*]}}"
        COMP_POINT=${{#COMP_LINE}}
        COMPREPLY=()
        _quillet_export
        printf '%s\\n' "${{COMPREPLY[@]}}"
    """
    result = subprocess.run(["bash", "--norc", "-c", script, "bash", *words],
                            capture_output=True, text=True, cwd=folder)
    if result.returncode != 0:
        raise AssertionError(result.stderr)
    return {line for line in result.stdout.splitlines() if line}


class CompanionDocs(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.options, cls.formats = help_listing()
        cls.section = options_section(MAN_PAGE)

    def test_help_is_understood(self):
        self.assertIn("--format", self.options)
        self.assertIn("text", self.formats)

    def test_man_page_names_every_option_and_format(self):
        for name in sorted(self.options | self.formats):
            with self.subTest(name=name):
                self.assertRegex(self.section, rf"(?<![\w-]){re.escape(name)}(?![\w-])",
                                 f"the OPTIONS section of {os.path.basename(MAN_PAGE)} "
                                 f"lacks {name}")

    def test_completion_offers_exactly_the_options(self):
        self.assertEqual(self.options, completions("-"))

    def test_completion_offers_exactly_the_formats(self):
        rows = {"separate word": ["--format", ""], "after =": ["--format="]}
        for row, words in rows.items():
            with self.subTest(row=row):
                self.assertEqual(self.formats, completions(*words))

    def test_completion_offers_notes_and_folders(self):
        with tempfile.TemporaryDirectory() as folder:
            for name in ["memo.vnt", "SHOUT.VNT", "Mixed.Vnt", "notes.txt", "vnt"]:
                open(os.path.join(folder, name), "w").close()
            os.mkdir(os.path.join(folder, "archive"))
            rows = {
                "first argument": ([""], {"memo.vnt", "SHOUT.VNT", "Mixed.Vnt", "archive"}),
                "after a file": (["memo.vnt", "M"], {"Mixed.Vnt"}),
                "after an option": (["--short-date", "a"], {"archive"}),
                "after --help": (["--help", ""], set()),
            }
            for row, (words, expected) in rows.items():
                with self.subTest(row=row):
                    self.assertEqual(expected, completions(*words, folder=folder))


if __name__ == "__main__":
    unittest.main()
