#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# quillet-export as a user runs it to carry notes out: folders in, JSON lines, Markdown with
# front matter, ENEX, HTML and CSV out, files of their own with the notes' times, never
# overwriting.
#   test_companion_export.py QUILLET_EXPORT YAML_SCALARS
import csv
import html
import io
import json
import os
import pty
import random
import re
import resource
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import unicodedata
import unittest
import xml.dom.minidom

import yaml

EXPORT = os.path.abspath(sys.argv[1])
YAML_SCALARS = os.path.abspath(sys.argv[2])  # the YAML scalar writer alone (yamlscalars.cpp)
del sys.argv[1:3]
ENV = dict(os.environ, TZ="Europe/Berlin", LC_ALL="ru_RU.UTF-8", LANG="ru_RU.UTF-8")
# The ENEX document types, written from the published ones' rules.
DTDS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data", "enex")
CONTAINERS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data", "containers")
# A sanitized build: its peak memory is mostly the sanitizer's, and LeakSanitizer stops under ptrace.
SANITIZED = os.environ.get("QUILLET_SANITIZED") == "1"


def qp(text):
    """Text as a phone writes a body: every octet of its UTF-8 escaped."""
    return "".join("=%02X" % octet for octet in text.encode("utf-8"))


def note(body="", created="20130403T001940", modified="20131231T230000", version="1.1"):
    lines = ["BEGIN:VNOTE", "VERSION:" + version]
    if created is not None:
        lines.append("DCREATED:" + created)
    if modified is not None:
        lines.append("LAST-MODIFIED:" + modified)
    lines += ["BODY;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=", qp(body), "END:VNOTE", ""]
    return "\r\n".join(lines).encode("ascii")


def write(path, data, mtime=None):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as out:
        out.write(data)
    if mtime is not None:
        os.utime(path, (mtime, mtime))
    return path


def run(*args, cwd=None, preexec=None, stdout=subprocess.PIPE, env=None):
    return subprocess.run([EXPORT, *args], capture_output=stdout is subprocess.PIPE,
                          stdout=None if stdout is subprocess.PIPE else stdout,
                          stderr=None if stdout is subprocess.PIPE else subprocess.PIPE,
                          env=dict(ENV, **(env or {})), cwd=cwd, preexec_fn=preexec, timeout=120)


# The ways a file can take its name without replacing one, each forced in turn: the rename that
# refuses to replace, a hard link, and a name created only if it is free (vfat, exFAT).
COMMITS = ("rename", "link", "create")


def state(folder):
    """Every file under `folder`: its bytes and modification time; a link: where it points."""
    files = {}
    for root, folders, names in os.walk(folder):
        for name in folders + names:
            path = os.path.join(root, name)
            if os.path.islink(path):
                files[os.path.relpath(path, folder)] = ("link", os.readlink(path))
            elif name in names:
                with open(path, "rb") as f:
                    files[os.path.relpath(path, folder)] = (f.read(), os.stat(path).st_mtime_ns)
    return files


def front_matter(document):
    match = re.match(r"---\n(.*?)\n---\n(?:\n(.*))?\Z", document, re.S)
    assert match, document
    return yaml.safe_load(match.group(1)), match.group(2) or ""


def rendered_lines(markdown):
    """The lines a GitHub-flavoured Markdown renderer shows for `markdown` (its extensions on,
    autolinks apart: a bare web address stays one), as note_lines gives them; None when it
    renders anything but paragraphs, line breaks and text."""
    out = subprocess.run(["cmark-gfm", "-e", "strikethrough", "-e", "table", "-e", "tasklist",
                          "-e", "tagfilter", "-e", "footnotes"],
                         input=markdown.encode(), capture_output=True, check=True).stdout.decode()
    lines = []
    for paragraph in re.sub(r"^<p>|</p>$", "", out.strip("\n")).split("</p>\n<p>"):
        # A line end without a break is a soft break: a browser shows it as a blank.
        lines += [line.replace("\n", " ") for line in paragraph.split("<br />\n")] + [""]
    text = "\n".join(lines)
    if "<" in text:
        return None
    text = re.sub(r"(?m)^\u00a0+", lambda lead: " " * len(lead.group()), html.unescape(text))
    return note_lines(text)


def note_lines(body):
    """A note's lines as a renderer shows them: a leading tab as four blanks (as the writers
    write it), trailing blanks dropped, a run of blank lines as one, none at the ends."""
    lines = []
    for line in re.split(r"\r\n|\r|\n", body):
        lead = len(line) - len(line.lstrip(" \t"))
        line = (line[:lead].replace("\t", "    ") + line[lead:]).rstrip(" \t")
        if line or (lines and lines[-1]):
            lines.append(line)
    return lines[:-1] if lines and not lines[-1] else lines


def assert_valid(document, dtd):
    """Checks `document` against the document type `dtd` (a file in DTDS)."""
    result = subprocess.run(["xmllint", "--noout", "--nonet", "--dtdvalid",
                             os.path.join(DTDS, dtd), "-"], input=document, capture_output=True)
    assert result.returncode == 0, result.stderr.decode()


def is_title(text, most=255, more_blanks=""):
    """Whether Evernote takes `text` for a title (or, with most=100 and ",", a tag): 1 to `most`
    characters, no control character, line or paragraph separator, no blank at either end."""
    category = [unicodedata.category(c) for c in text]
    return (0 < len(text) <= most and not {"Cc", "Zl", "Zp"} & set(category)
            and not category[0].startswith("Z") and not category[-1].startswith("Z")
            and not set(more_blanks) & set(text))


# Bodies that markup, XML or YAML could take for something else.
TRICKY = {
    "markup at line starts": "# not a heading\n> not a quote\n- not a list\n+ nor this\n"
                             "1. not numbered\n2) nor this\n```\n~~~\nText\n---\nMore\n===\n***",
    "inline markup": "a *b* c _d_ e __f__ `g` ~~h~~ $x$ [link](http://x) ![i](j) <b>bold</b> "
                     "&amp; &#65; \\* back\\slash \\",
    "words left alone": "2 * 3 = 6, snake_case, 100 $ total, a < b, AT&T, [note",
    "table": "| a | b |\n|---|:-:|\n| 1 | 2 |",
    "xml and controls": "Tom & Jerry <tag> ]]> end\x01\x08\x0b\x0c\x1b\x7f tab\there",
    "not XML characters": "a\ufffeb\uffffc",
    "empty lines": "first\n\nthird\n",
}

# Lines that a renderer could join, indent as code or take for the markup of Obsidian and Joplin.
LINES = {
    "a list of lines": "Купить:\nхлеб\nмолоко\n",
    "indented after blank lines": "Title\n\n\n    code?\n\tTabbed\n  \t mixed\n\n\n\n\tlast",
    "title indented by a tab": "\n \n\tTitle\n        deep",
    "lines of blanks": "a\n   \n\t\nb",
    "a backslash before a line end": "ends in \\\nnext\\",
    "trailing blanks": "a  \nb\t\nc",
    "lone CR and CR LF": "a\rb\r\nc\r\rd",
    "extensions": "==mark== %%hidden%% #tag [[Link]] [^1] a == b 100%",
    "a web address": "see https://example.com/a_b*c* and www.example.com",
}

# Texts that a YAML 1.1 reader could take for something other than themselves when plain: its
# special plain scalars, the indicators that start something else, and what only quotes hold.
YAML_SPECIALS = [
    # Booleans and null
    "y", "Y", "n", "N", "yes", "Yes", "YES", "no", "No", "NO", "true", "True", "TRUE", "false",
    "False", "FALSE", "on", "On", "ON", "off", "Off", "OFF", "~", "null", "Null", "NULL", "",
    # numbers and dates
    "0", "-12", "+12", "017", "0o17", "0x1F", "0b1010", "1_000", "190:20:30", "1.5", ".5", "+.5",
    "-1.5e+3", "1_000.5", "190:20:30.15", ".inf", "-.inf", "+.inf", ".Inf", ".INF", ".nan",
    ".NaN", ".NAN", "2001-12-14", "2001-12-14t21:59:43.10-05:00", "2001-12-14 21:59:43.10 -5",
    # the merge key and the default value
    "<<", "=",
    # indicators where a scalar starts, and where it goes on
    *"-?:,[]{}#&*!|>'\"%@`", "- x", "? x", ": x", "---", "...", "!!str", "&a", "*a", "%YAML",
    "a: b", "a:", "a:\tb", "Task #1", "a\t#b", "a #",
    # blanks at the ends, line breaks, controls, and characters a reader may drop
    " lead", "trail ", "\tlead", "trail\t", "a\nb", "a\r\nb", "a\rb", "a\x85b", "a\u2028b",
    "a\u2029b", "\x00", "a\x1bb", "\x7f", "\x80", "\ufeff", "a\tb\ufeffc", "\ufffe",
    # a character beyond the BMP, plain and quoted
    "\U0001F600", "\t\U0001F600",
]


class CompanionExport(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.dir = self.tmp.name

    def tearDown(self):
        subprocess.run(["chmod", "-R", "u+w", self.dir])
        self.tmp.cleanup()

    def path(self, *parts):
        return os.path.join(self.dir, *parts)

    def test_folders_in_file_manager_order(self):
        phone = self.path("phone")
        for name in ["memo10.vnt", "memo2.vnt", "Memo3.VNT", ".hidden.vnt", "notes.txt"]:
            write(os.path.join(phone, name), note(name))
        write(self.path("phone", "sub", "deep.vnt"), note("deep"))
        os.symlink(self.path("phone", "sub"), self.path("phone", "link"))
        write(self.path("other.txt"), note("named"))
        os.mkdir(self.path("empty"))
        rows = {
            "folder": (["phone"], ["memo2.vnt", "Memo3.VNT", "memo10.vnt"], 0),
            "recursive, no links": (["-r", "phone"],
                                    ["memo2.vnt", "Memo3.VNT", "memo10.vnt", "sub/deep.vnt"], 0),
            "a file named is read": (["other.txt"], ["other.txt"], 0),
            "empty folder": (["empty", "other.txt"], ["other.txt"], 1),
        }
        for row, (args, files, status) in rows.items():
            with self.subTest(row=row):
                result = run("--format", "jsonl", *args, cwd=self.dir)
                self.assertEqual(status, result.returncode, result.stderr)
                objects = [json.loads(line) for line in result.stdout.splitlines()]
                names = [o["file"].split("phone/", 1)[-1] for o in objects]
                self.assertEqual(files, names)
                if status:
                    self.assertEqual("В папке нет заметок: empty\n", result.stderr.decode())

    def test_json_keys_and_utc_stamps(self):
        write(self.path("a.vnt"), note("x"))
        write(self.path("b.vnt"), note("y", created="20130403T001940Z", modified="2013-12-31t23:00:00"))
        write(self.path("c.vnt"), note("z", created="2013-04-03T00:19:40+01", modified=None))
        objects = [json.loads(line) for line in run("--format", "jsonl", "a.vnt", "b.vnt", "c.vnt",
                                                    cwd=self.dir).stdout.splitlines()]
        self.assertEqual(["file", "accepted", "title", "version", "created", "modified", "body",
                          "error", "created_utc", "modified_utc", "note_title", "kind"], list(objects[0]))
        self.assertEqual([None] * 3, [o["kind"] for o in objects])
        self.assertEqual([("2013-04-03T00:19:40Z", "2013-12-31T23:00:00Z", "x"),
                          ("2013-04-03T00:19:40Z", "2013-12-31T23:00:00Z", "y"), (None, None, "z")],
                         [(o["created_utc"], o["modified_utc"], o["note_title"]) for o in objects])
        # The window shows the forms other than the compact one as they are written.
        self.assertEqual(("20130403T001940Z", "2013-12-31T23:00:00"),
                         (objects[1]["created"], objects[1]["modified"]))
        markdown = front_matter(run("--format", "markdown", "b.vnt", cwd=self.dir).stdout.decode())[0]
        self.assertEqual(("2013-04-03T00:19:40+00:00", "2013-12-31T23:00:00+00:00"),
                         (markdown["created"].isoformat(), markdown["updated"].isoformat()))
        array = json.loads(run("--format", "json", "a.vnt", "b.vnt", "c.vnt", cwd=self.dir).stdout)
        self.assertEqual(objects, array)

    def test_lenient_notes_each_an_entry(self):
        two = b"BEGIN:VNOTE\r\nBODY:one\r\nEND:VNOTE\r\nBEGIN:VNOTE\r\nBODY:two\r\nEND:VNOTE\r\n"
        write(self.path("two.vnt"), two)
        objects = [json.loads(line) for line in
                   run("--lenient", "--format", "jsonl", "two.vnt", cwd=self.dir).stdout.splitlines()]
        self.assertEqual([("two.vnt", 1, "one", "Quillet [two.vnt] (1/2)"),
                          ("two.vnt", 2, "two", "Quillet [two.vnt] (2/2)")],
                         [(o["file"], o["index"], o["body"], o["title"]) for o in objects])
        self.assertEqual("index", list(objects[0])[1])
        text = run("--lenient", "two.vnt", cwd=self.dir).stdout.decode()
        self.assertIn("== two.vnt (2/2) ==\nQuillet [two.vnt] (2/2)\n", text)
        out = self.path("out")
        self.assertEqual(0, run("--lenient", "--format", "markdown", "--output-dir", out,
                                "two.vnt", cwd=self.dir).returncode)
        self.assertEqual(["two-2.md", "two.md"], sorted(os.listdir(out)))

    def test_lenient_files_of_many_notes_in_order(self):
        # More output than a worker keeps of a file: the rest is made as it is written.
        def many(name, count):
            body = lambda i: "%s %d %s" % (name, i, "x" * 2000)
            write(self.path("in", name), b"".join(
                b"BEGIN:VNOTE\r\nBODY:%s\r\nEND:VNOTE\r\n" % body(i).encode()
                for i in range(1, count + 1)))
            place = lambda i: " (%d/%d)" % (i, count) if count > 1 else ""
            return [(name, i, "Quillet [%s]%s" % (name, place(i)), body(i))
                    for i in range(1, count + 1)]
        expected = many("a.vnt", 600) + many("b.vnt", 1) + many("c.vnt", 700)
        result = run("--lenient", "--format", "jsonl", "a.vnt", "b.vnt", "c.vnt",
                     cwd=self.path("in"))
        self.assertEqual(0, result.returncode, result.stderr)
        objects = [json.loads(line) for line in result.stdout.splitlines()]
        self.assertEqual(expected, [(o["file"], o["index"], o["title"], o["body"])
                                    for o in objects])
        out = self.path("out")
        result = run("--lenient", "--output-dir", out, "c.vnt", cwd=self.path("in"))
        self.assertEqual(0, result.returncode, result.stderr)
        self.assertEqual(700, len(os.listdir(out)))
        with open(os.path.join(out, "c-700.txt"), encoding="utf-8") as f:
            self.assertIn("Quillet [c.vnt] (700/700)\n", f.read())

    def test_strict_reading_hints_at_other_layouts(self):
        hint = "%s: текст заметки записан в формате другого телефона; добавьте --lenient\n"
        marker_line = b"BEGIN:VNOTE\r\nVERSION:1.1\r\nBODY;CHARSET=UTF-8;" \
                      b"ENCODING=QUOTED-PRINTABLE:=D0=9F=D1=80\r\nEND:VNOTE\r\n"
        jsonl = ["--format", "jsonl"]
        rows = {  # the note, the arguments before it, the body written, whether hinted
            "body on the marker line": (marker_line, jsonl, "", True),
            "the same, to a folder": (marker_line, ["--format", "json", "--output-dir", "out"],
                                      None, True),
            "the same, read leniently": (marker_line, jsonl + ["--lenient"], "Пр", False),
            "empty body": (note(""), jsonl, "", False),
            "blank body in another layout": (marker_line.replace(b"=D0=9F=D1=80", b"=20"),
                                             jsonl, "", False),
            "body in the phone's layout": (note("Пр"), jsonl, "Пр", False),
        }
        for row, (data, args, body, hinted) in rows.items():
            with self.subTest(row=row):
                write(self.path("memo.vnt"), data)
                result = run(*args, "memo.vnt", cwd=self.dir)
                self.assertEqual(0, result.returncode)
                self.assertEqual(hint % "memo.vnt" if hinted else "", result.stderr.decode())
                if body is not None:
                    self.assertEqual(body, json.loads(result.stdout)["body"])
                else:
                    with open(self.path("out", "memo.json"), encoding="utf-8") as f:
                        self.assertEqual("", json.load(f)["body"])

    def test_calendar_memos_and_backups(self):
        for name in os.listdir(CONTAINERS):
            if not name.endswith((".json", ".py")):
                shutil.copy(os.path.join(CONTAINERS, name), self.dir)
        result = run("--lenient", "--format", "jsonl", "docomo-memos.vcs", "journal.ics",
                     "gammu-ascii.backup", cwd=self.dir)
        self.assertEqual(0, result.returncode, result.stderr.decode())
        self.assertEqual("docomo-memos.vcs: пропущено событий календаря: 2\n"
                         "journal.ics: пропущено событий календаря: 1\n", result.stderr.decode())
        objects = [json.loads(line) for line in result.stdout.splitlines()]
        self.assertEqual(["NOTE", "SHOPPING", "TODO", "JOURNAL", "JOURNAL", "JOURNAL", None, None,
                          None], [o["kind"] for o in objects])
        self.assertEqual("kind", list(objects[0])[-1])
        self.assertEqual(("Quillet [journal.ics] (1/3)", "2.0", "2013-04-03T00:19:40Z"),
                         (objects[3]["title"], objects[3]["version"], objects[3]["created_utc"]))

        out = self.path("out")
        self.assertEqual(0, run("--lenient", "--format", "markdown", "--output-dir", out,
                                "journal.ics", cwd=self.dir).returncode)
        first = front_matter(open(os.path.join(out, "journal.md"), encoding="utf-8").read())[0]
        second = front_matter(open(os.path.join(out, "journal-2.md"), encoding="utf-8").read())[0]
        self.assertEqual((["JOURNAL"], "Покупки"), (first["tags"], first["summary"]))
        self.assertEqual((["JOURNAL"], None), (second["tags"], second.get("summary")))
        enex = run("--lenient", "--format", "enex", "docomo-memos.vcs", cwd=self.dir).stdout.decode()
        self.assertEqual(["NOTE", "SHOPPING", "TODO"], re.findall(r"<tag>(.*?)</tag>", enex))

        # A calendar of appointments alone holds no note; read strictly, it is no note file.
        none = run("--lenient", "appointments-only.ics", cwd=self.dir)
        self.assertEqual((1, "appointments-only.ics: пропущено событий календаря: 3\n"
                             "В файле нет заметок: appointments-only.ics\n"),
                         (none.returncode, none.stderr.decode()))
        strict = run("docomo-memos.vcs", cwd=self.dir)
        self.assertEqual(1, strict.returncode)
        self.assertIn("BEGIN:VNOTE", strict.stderr.decode())

    def test_lenient_notes_inside_any_file(self):
        junk = random.Random(19).randbytes
        text = note("Привет").decode("ascii")
        write(self.path("backup.dat"), junk(3000) + note("eight") + junk(70000) + b"\0" +
              text.encode("utf-16-le") + junk(5000) + text.encode("utf-16-be") + junk(100))
        result = run("--lenient", "--format", "jsonl", "backup.dat", cwd=self.dir)
        self.assertEqual(0, result.returncode, result.stderr.decode())
        self.assertEqual([("Quillet [backup.dat] (%d/3)" % i, body, "2013-04-03T00:19:40Z")
                          for i, body in ((1, "eight"), (2, "Привет"), (3, "Привет"))],
                         [(o["title"], o["body"], o["created_utc"]) for o in
                          map(json.loads, result.stdout.splitlines())])
        self.assertEqual(1, run("backup.dat", cwd=self.dir).returncode)
        write(self.path("none.bin"), junk(5000))
        none = run("--lenient", "none.bin", cwd=self.dir)
        self.assertEqual(1, none.returncode)
        self.assertIn("BEGIN:VNOTE", none.stderr.decode())

    def test_folder_of_every_kind_with_lenient(self):
        # A folder's notes: every kind with --lenient, .vnt files alone without it.
        for name in os.listdir(CONTAINERS):
            if not name.endswith((".json", ".py")):
                shutil.copy(os.path.join(CONTAINERS, name), self.dir)
        write(self.path("a.vnt"), note("x"))
        listed = [os.path.basename(json.loads(line)["file"]) for line in
                  run("--lenient", "--format", "jsonl", ".", cwd=self.dir).stdout.splitlines()]
        self.assertEqual(["a.vnt", "appointments-only.ics", "component-lines.vcs",
                          "docomo-memos.vcs", "gammu-ascii.backup", "gammu-no-notes.backup",
                          "gammu-unicode.backup", "journal-cp1251.vcs", "journal.ics"],
                         sorted(set(listed)))
        self.assertEqual(["./a.vnt"], [json.loads(line)["file"] for line in
                                       run("--format", "jsonl", ".", cwd=self.dir).stdout.splitlines()])

    @unittest.skipIf(SANITIZED, "the sanitizer's shadow memory is most of the peak")
    def test_lenient_memory_flat_in_notes_of_a_file(self):
        # 150,000 notes in 5 MB: held at once, they took over 100 MB.
        write(self.path("many.vnt"), b"BEGIN:VNOTE\r\nBODY:n\r\nEND:VNOTE\r\n" * 150000)
        peak = subprocess.run(
            [sys.executable, "-c", "import resource, subprocess, sys; "
             "subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, check=True); "
             "print(resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)",
             EXPORT, "--lenient", "--format", "jsonl", self.path("many.vnt")],
            env=ENV, capture_output=True, check=True, text=True).stdout
        self.assertLess(int(peak) * 1024, 60e6)

    def test_markdown_front_matter_and_text(self):
        titles = {"colon": "Купить: хлеб", "hash": "#tag and # more", "yes": "yes",
                  "number": "2024", "quote": "'single' \"double\"", "dash": "- item",
                  "long": "ж" * 300 + "\U0001F600", "blank first line": "  \n  padded  "}
        bodies = dict(TRICKY, **LINES, **{name: title + "\nrest" for name, title in titles.items()})
        for name, body in bodies.items():
            write(self.path("in", name + ".vnt"), note(body))
        write(self.path("in", "empty body.vnt"), note("", created=None, modified=None))
        out = self.path("md")
        result = run("--format", "markdown", "--output-dir", out, "in", cwd=self.dir)
        self.assertEqual(0, result.returncode, result.stderr)
        note_titles = {os.path.basename(o["file"])[:-4]: o["note_title"] for o in map(
            json.loads, run("--format", "jsonl", "in", cwd=self.dir).stdout.splitlines())}
        self.assertEqual("ж" * 255, note_titles["long"])
        for name, body in dict(bodies, **{"empty body": ""}).items():
            with self.subTest(note=name):
                with open(os.path.join(out, name + ".md"), encoding="utf-8") as f:
                    meta, text = front_matter(f.read())
                self.assertEqual(note_titles[name], meta["title"])
                self.assertTrue(is_title(meta["title"]), meta["title"])
                self.assertEqual(name + ".vnt", meta["source"])
                if name == "empty body":
                    self.assertEqual({"title", "source"}, set(meta))
                    continue
                self.assertEqual("2013-04-03T00:19:40+00:00", meta["created"].isoformat())
                self.assertEqual("2013-12-31T23:00:00+00:00", meta["updated"].isoformat())
                self.assertEqual(note_lines(body), rendered_lines(text))

    def test_yaml_scalars_read_back_exactly(self):
        written = subprocess.run([YAML_SCALARS], input=json.dumps(YAML_SPECIALS).encode(),
                                 capture_output=True, check=True).stdout.split(b"\0")
        self.assertEqual(len(YAML_SPECIALS) + 1, len(written))
        for text, document in zip(YAML_SPECIALS, written):
            with self.subTest(text=text):
                self.assertEqual({"value": text}, yaml.safe_load(document.decode()), document)
        # Once through the front matter: notes named so, their names as "source".
        names = [t for t in YAML_SPECIALS if t not in ("", ".", "..") and not set("/\0") & set(t)]
        for name in names:
            write(self.path("names", name), note("x"))
        result = run("--format", "markdown", *("./" + name for name in names),
                     cwd=self.path("names"))
        self.assertEqual(0, result.returncode, result.stderr)
        front = re.findall(r"^---\n(.*?)\n---$", result.stdout.decode(), re.M | re.S)
        self.assertEqual(names, [yaml.safe_load(matter)["source"] for matter in front])

    def test_markdown_of_a_lone_surrogate_holds_no_html(self):
        # UTF-7 that decodes to a high surrogate without its partner, right after a "<".
        body = "<+2D0- note\r\n<img src=x onerror=alert(1)>\r\n<script>"
        write(self.path("utf7.vnt"), b"BEGIN:VNOTE\r\nBODY;CHARSET=UTF-7;ENCODING=QUOTED-PRINTABLE:"
              + qp(body).encode() + b"\r\nEND:VNOTE\r\n")
        result = run("--lenient", "--format", "markdown", "utf7.vnt", cwd=self.dir)
        self.assertEqual(0, result.returncode, result.stderr)
        meta, text = front_matter(result.stdout.decode())
        self.assertEqual("<\ufffd note", meta["title"])
        shown = subprocess.run(["cmark-gfm", "--unsafe"], input=text.encode(),
                               capture_output=True, check=True).stdout.decode()
        self.assertNotIn("<img", shown)
        self.assertNotIn("<script", shown)

    def test_enex_valid_and_faithful(self):
        bodies = dict(TRICKY, **LINES, **{"long title": "ж" * 254 + " " + "x" * 10,
                                         "controls in the title": "\x85a\u2028\x01b\ufeff\x7f"})
        files = [write(self.path("in", name + ".vnt"), note(body)) for name, body in bodies.items()]
        files.append(write(self.path("in", "no stamps.vnt"), note("x", created="bad", modified=None)))
        files.append(write(self.path("in", "created only.vnt"), note("x", modified=None)))
        bodies.update({"no stamps": "x", "created only": "x"})
        result = run("--format", "enex", *files)
        self.assertEqual(0, result.returncode, result.stderr)
        assert_valid(result.stdout, "enex-export.dtd")
        export = xml.dom.minidom.parseString(result.stdout).documentElement
        self.assertRegex(export.getAttribute("export-date"), r"^\d{8}T\d{6}Z$")
        self.assertEqual("Quillet", export.getAttribute("application"))
        notes = export.getElementsByTagName("note")
        self.assertEqual(len(files), len(notes))
        xml_safe = lambda text: re.sub("[\x00-\x08\x0b\x0c\x0e-\x1f\ufffe\uffff]", "\ufffd", text)
        text = lambda element: "".join(n.data for n in element.childNodes)
        for element, (name, body) in zip(notes, bodies.items()):
            with self.subTest(note=name):
                content = element.getElementsByTagName("content")[0].firstChild.data
                assert_valid(content.encode(), "en-note.dtd")
                en_note = xml.dom.minidom.parseString(content.encode()).documentElement
                lines = ["" if div.getElementsByTagName("br") else text(div).replace("\xa0", " ")
                         for div in en_note.getElementsByTagName("div")]
                self.assertEqual(re.split(r"\r\n|\r|\n", xml_safe(body).replace("\t", "    ")),
                                 lines)
                title = text(element.getElementsByTagName("title")[0])
                self.assertTrue(is_title(title), title)
                stamps = {tag: [text(e) for e in element.getElementsByTagName(tag)]
                          for tag in ("created", "updated")}
                created, modified = ["20130403T001940Z"], ["20131231T230000Z"]
                expected = {"no stamps": ([], []), "created only": (created, created)}.get(
                    name, (created, modified))
                self.assertEqual(dict(zip(("created", "updated"), expected)), stamps)
                source = element.getElementsByTagName("source")[0].firstChild.data
                self.assertEqual(name + ".vnt", source)
        titles = [text(n.getElementsByTagName("title")[0]) for n in notes]
        self.assertIn("ж" * 254, titles)
        self.assertIn("a  b", titles)

    def test_enex_folder_tags(self):
        long = "п" * 98 + " ,x" * 10
        for folder in ["", "sub/deep", "a,b", " pad ", long]:
            write(self.path("phone", folder, "memo.vnt"), note("x"))
        write(self.path("alone.vnt"), note("x"))
        rows = {"with -r": (["-r", "phone", "alone.vnt"],
                            {"": [], "sub/deep": ["sub/deep"], "a,b": ["a b"], " pad ": ["pad"],
                             long: ["п" * 98]}),
                "without -r": (["phone", "alone.vnt"], {"": []})}
        for row, (args, tags) in rows.items():
            with self.subTest(row=row):
                result = run("--format", "enex", *args, cwd=self.dir)
                self.assertEqual(0, result.returncode, result.stderr)
                assert_valid(result.stdout, "enex-export.dtd")
                found = []
                for element in xml.dom.minidom.parseString(result.stdout).getElementsByTagName("note"):
                    found.append([t.firstChild.data for t in element.getElementsByTagName("tag")])
                    self.assertTrue(all(is_title(t, 100, ",") for t in found[-1]), found[-1])
                self.assertEqual(sorted(list(tags.values()) + [[]]), sorted(found))

    def test_no_accepted_note_no_document(self):
        write(self.path("rejected.vnt"), b"not a note")
        write(self.path("empty", "notes.txt"), b"")
        for fmt in ["enex", "html", "csv"]:
            for row, args in {"rejected": ["rejected.vnt"], "no notes": ["empty"]}.items():
                with self.subTest(format=fmt, row=row):
                    result = run("--format", fmt, *args, cwd=self.dir)
                    self.assertEqual((1, b""), (result.returncode, result.stdout))
                    self.assertTrue(result.stderr.decode().endswith("Нет заметок для экспорта\n"),
                                    result.stderr)

    def test_html_to_read_and_print(self):
        bodies = {"a": "Купить:\n  хлеб  и\tмолоко\n\n<script>alert(1)</script> & \x01",
                  "b": "\n\n  Второй\n"}
        for name, body in bodies.items():
            write(self.path(name + ".vnt"), note(body))
        write(self.path("rejected.vnt"), b"not a note")
        windows = {o["file"]: (o["created"], o["modified"]) for o in map(json.loads, run(
            "--format", "jsonl", "--short-date", "a.vnt", "b.vnt", cwd=self.dir).stdout.splitlines())}
        rows = {"two notes and a rejected one": (["a.vnt", "rejected.vnt", "b.vnt"], 1, "Заметки"),
                "one note": (["b.vnt"], 0, "Второй")}
        for row, (args, status, head) in rows.items():
            with self.subTest(row=row):
                result = run("--format", "html", "--short-date", *args, cwd=self.dir)
                self.assertEqual(status, result.returncode, result.stderr)
                subprocess.run(["xmllint", "--noout", "--nonet", "-"], input=result.stdout, check=True)
                document = xml.dom.minidom.parseString(result.stdout)
                self.assertEqual("ru", document.documentElement.getAttribute("lang"))
                text = lambda element: "".join(n.toxml() if n.nodeType == n.ELEMENT_NODE else n.data
                                               for n in element.childNodes)
                self.assertEqual(head, text(document.getElementsByTagName("title")[0]))
                self.assertEqual([], document.getElementsByTagName("script"))
                self.assertNotRegex(result.stdout.decode(), r"(src|href)=")
                self.assertIn("@media print", result.stdout.decode())
                articles = document.getElementsByTagName("article")
                files = [a for a in args if a != "rejected.vnt"]
                self.assertEqual(len(files), len(articles))
                for article, file in zip(articles, files):
                    about = text(article.getElementsByTagName("p")[0])
                    self.assertEqual("Создан: %s<br/>Изменён: %s<br/>%s" % (*windows[file], file),
                                     about)
                    lines = [text(div).replace("\xa0", " ").replace("<br/>", "")
                             for div in article.getElementsByTagName("div")[1:]]
                    body = bodies[file[:-4]].replace("\t", "    ").replace("\x01", "\ufffd")
                    self.assertEqual(body.split("\n"), lines)
        out = self.path("out")
        result = run("--format", "html", "--output-dir", out, "a.vnt", "b.vnt", cwd=self.dir)
        self.assertEqual(0, result.returncode, result.stderr)
        self.assertEqual(["a.html", "b.html"], sorted(os.listdir(out)))
        with open(os.path.join(out, "b.html"), "rb") as f:
            self.assertIn("<title>Второй</title>".encode(), f.read())

    def test_csv_read_back_exactly(self):
        bodies = {"plain": "Купить хлеб, \"молоко\"\r\nи\rещё\n", "formula": "=SUM(A1:A9)\nx",
                  "plus": "+7 999", "minus": "-5 apples", "at": "@here", "tab": "\tindented",
                  "CR": "\rafter"}
        for name, body in bodies.items():
            write(self.path(name + ".vnt"), note(body, modified=None if name == "plus" else "20131231T230000"))
        write(self.path("=1+1.vnt"), note("named"))
        two = b"BEGIN:VNOTE\r\nBODY:one\r\nEND:VNOTE\r\nBEGIN:VNOTE\r\nBODY:two\r\nEND:VNOTE\r\n"
        write(self.path("two.vnt"), two)
        files = [name + ".vnt" for name in bodies] + ["=1+1.vnt"]
        result = run("--format", "csv", *files, cwd=self.dir)
        self.assertEqual(0, result.returncode, result.stderr)
        self.assertTrue(result.stdout.startswith(b"\xef\xbb\xbffile,index,title,"))
        rows = list(csv.reader(io.StringIO(result.stdout.decode("utf-8-sig"), newline="")))
        self.assertEqual(["file", "index", "title", "created_utc", "modified_utc", "body"], rows[0])
        guarded = lambda text: "'" + text if text[:1] in ("=", "+", "-", "@", "\t", "\r") else text
        titles = {"formula": "=SUM(A1:A9)", "tab": "indented", "CR": "after", "plain": "Купить хлеб, \"молоко\""}
        for row, (name, body) in zip(rows[1:], bodies.items()):
            with self.subTest(note=name):
                modified = "" if name == "plus" else "2013-12-31T23:00:00Z"
                self.assertEqual([name + ".vnt", "1", guarded(titles.get(name, body)),
                                  "2013-04-03T00:19:40Z", modified, guarded(body)], row)
        self.assertEqual(["'=1+1.vnt", "1", "named"], rows[-1][:3])
        lenient = run("--lenient", "--format", "csv", "two.vnt", cwd=self.dir)
        rows = list(csv.reader(io.StringIO(lenient.stdout.decode("utf-8-sig"), newline="")))
        self.assertEqual([["two.vnt", "1", "one", "", "", "one"], ["two.vnt", "2", "two", "", "", "two"]],
                         rows[1:])

    def test_output_dir_names_times_and_no_overwrite(self):
        write(self.path("a", "memo.vnt"), note("both stamps"))
        write(self.path("b", "memo.vnt"), note("created only", created="20130403T001940Z",
                                                modified=None))
        write(self.path("b", "sub", "x.vnt"), note("no stamps", created=None, modified=None),
              mtime=1234567890)
        before = state(self.dir)
        out = self.path("out")
        result = run("-r", "--format", "json", "--output-dir", out, "a", "b", cwd=self.dir)
        self.assertEqual(0, result.returncode, result.stderr)
        self.assertEqual(before, {k: v for k, v in state(self.dir).items()
                                  if not k.startswith("out/")}, "input notes changed")
        times = {name: os.stat(os.path.join(out, name)).st_mtime
                 for name in ["memo.json", "memo (2).json", "sub/x.json"]}
        self.assertEqual({"memo.json": 1388530800, "memo (2).json": 1364948380,
                          "sub/x.json": 1234567890}, times)
        with open(os.path.join(out, "memo (2).json"), encoding="utf-8") as f:
            self.assertEqual("created only", json.load(f)["body"])

        # Again: every file is there already.
        with open(os.path.join(out, "memo.json"), "w") as f:
            f.write("mine")
        result = run("-r", "--format", "json", "--output-dir", out, "a", "b", cwd=self.dir)
        self.assertEqual(1, result.returncode)
        self.assertIn("memo.json", result.stderr.decode())
        with open(os.path.join(out, "memo.json")) as f:
            self.assertEqual("mine", f.read())
        result = run("-r", "--force", "--format", "json", "--output-dir", out, "a", "b",
                     cwd=self.dir)
        self.assertEqual(0, result.returncode, result.stderr)
        with open(os.path.join(out, "memo.json")) as f:
            self.assertEqual("both stamps", json.load(f)["body"])

    def test_names_that_are_not_utf8_kept_apart(self):
        # A memory card's Latin-1 names: one octet apart, and the same text if decoded lossily.
        names = {b"memo\xe9": "e acute", b"memo\xe8": "e grave", b"d\xe9/x": "in a folder"}
        for name, body in names.items():
            write(os.path.join(self.dir.encode(), b"in", name + b".vnt"), note(body))
        for fmt, extension in [("json", b".json"), ("markdown", b".md")]:
            with self.subTest(format=fmt):
                out = self.path("out-" + fmt).encode()
                result = run("-r", "--format", fmt, "--output-dir", out, "in", cwd=self.dir)
                self.assertEqual(0, result.returncode, result.stderr)
                written = {os.path.relpath(os.path.join(root, f), out)
                           for root, _, files in os.walk(out) for f in files}
                self.assertEqual({name + extension for name in names}, written)
                for name, body in names.items():
                    with open(os.path.join(out, name + extension), "rb") as f:
                        self.assertIn(body.encode(), f.read())
                    self.assertEqual(1388530800, os.stat(os.path.join(out, name + extension))
                                     .st_mtime)
                result = run("-r", "--format", fmt, "--output-dir", out, "in", cwd=self.dir)
                self.assertEqual(1, result.returncode)
                self.assertEqual(3, result.stderr.count(b"\n"), result.stderr)

        def small_files():
            signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
            resource.setrlimit(resource.RLIMIT_FSIZE, (4096, 4096))
        write(os.path.join(self.dir.encode(), b"big", b"memo\xe9.vnt"), note("x" * 100000))
        out = self.path("out-full")
        result = run("--format", "json", "--output-dir", out, "big", cwd=self.dir,
                     preexec=small_files)
        self.assertEqual(1, result.returncode)
        self.assertEqual([], os.listdir(out))

    def test_failed_writes_leave_no_partial_files(self):
        write(self.path("in", "memo.vnt"), note("x" * 100000))
        readonly = self.path("readonly")
        os.mkdir(readonly)
        os.chmod(readonly, 0o555)
        os.chmod(self.dir, 0o755)
        for folder in ["in", "readonly"]:
            os.chmod(self.path(folder), 0o755 if folder == "in" else 0o555)
        os.chmod(self.path("in", "memo.vnt"), 0o644)

        def as_nobody():
            if os.geteuid() == 0:  # root writes anywhere: be someone whom the bits stop
                os.setgid(65534)
                os.setuid(65534)

        def small_files():
            signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
            resource.setrlimit(resource.RLIMIT_FSIZE, (4096, 4096))

        out = self.path("out")
        rows = {"read-only folder": (readonly, as_nobody), "disk full": (out, small_files)}
        for row, (folder, limit) in rows.items():
            with self.subTest(row=row):
                result = run("--format", "markdown", "--output-dir", folder, "in",
                             cwd=self.dir, preexec=limit)
                self.assertEqual(1, result.returncode)
                self.assertIn("memo.md", result.stderr.decode())
                self.assertEqual([], os.listdir(folder) if os.path.isdir(folder) else [])
        for fmt in ["jsonl", "markdown", "enex"]:
            with self.subTest(full=fmt), open("/dev/full", "wb") as full:
                result = run("--format", fmt, "in", cwd=self.dir, stdout=full)
                self.assertEqual(1, result.returncode)
                self.assertIn(b"Cannot write the output", result.stderr)

    def test_output_dir_writes_only_where_asked(self):
        ours = note("ours")
        mine = b"mine"
        lines = "\r\n\t \r\n begin:VNOTE \r\nVERSION:1.1\r\nEND:VNOTE\r\n".encode()
        # Each row: what is there first (a path and its bytes, a link's target, or None for a
        # folder), the arguments, the status, the line on standard error, and the files that
        # the run may write (each then holds the note), all else left as it was.
        rows = {
            "an input, forced": ({"self/memo.md": ours}, ["--force", "--output-dir", "self",
                                                          "self/memo.md"],
                                 1, "Файл не записан, это исходный файл: self/memo.md", []),
            "a hard link to an input, forced": (
                {"in/memo.vnt": ours, "out/memo.md": "=in/memo.vnt"},
                ["--force", "--output-dir", "out", "in"],
                1, "Файл не записан, это исходный файл: out/memo.md", []),
            "a note file, forced": ({"in/memo.vnt": ours, "out/memo.md": lines},
                                    ["--force", "--output-dir", "out", "in"],
                                    1, "Файл не записан, это исходный файл: out/memo.md", []),
            "a link to a folder outside": (
                {"in/sub/deep.vnt": ours, "elsewhere": None, "out/sub": "->../elsewhere"},
                ["-r", "--output-dir", "out", "in"],
                1, "Файл не записан, в пути символическая ссылка: out/sub/deep.md", []),
            "a link at the name, forced": (
                {"in/memo.vnt": ours, "x/target.md": mine, "out/memo.md": "->../x/target.md"},
                ["--force", "--output-dir", "out", "in"], 0, None, ["out/memo.md"]),
            "a dangling link at the name": (
                {"in/memo.vnt": ours, "x": None, "out/memo.md": "->../x/absent.md"},
                ["--output-dir", "out", "in"],
                1, "Файл уже есть, не перезаписан: out/memo.md", []),
            "a file at the name": ({"in/memo.vnt": ours, "out/memo.md": mine},
                                   ["--output-dir", "out", "in"],
                                   1, "Файл уже есть, не перезаписан: out/memo.md", []),
            "the folder a link": ({"in/memo.vnt": ours, "real": None, "vault": "->real"},
                                  ["--output-dir", "vault", "in"], 0, None, ["real/memo.md"]),
            "the folder a file": ({"in/memo.vnt": ours, "file.md": mine},
                                  ["--output-dir", "file.md", "in"], 1, "Не папка: file.md", []),
            "a folder argument ending in /": ({"in/memo.vnt": ours},
                                              ["--output-dir", "out", "in/"], 0, None,
                                              ["out/memo.md"]),
        }
        for commit in COMMITS:
            for row, (there, args, status, message, written) in rows.items():
                with self.subTest(commit=commit, row=row):
                    folder = tempfile.mkdtemp(dir=self.dir)
                    for name, what in there.items():
                        path = os.path.join(folder, name)
                        os.makedirs(os.path.dirname(path), exist_ok=True)
                        if what is None:
                            os.mkdir(path)
                        elif isinstance(what, bytes):
                            write(path, what)
                        elif what.startswith("->"):
                            os.symlink(what[2:], path)
                        else:
                            os.link(os.path.join(folder, what[1:]), path)
                    before = state(folder)
                    result = run("--format", "markdown", *args, cwd=folder,
                                 env={"QUILLET_COMMIT": commit})
                    self.assertEqual(status, result.returncode, result.stderr.decode())
                    errors = result.stderr.decode().splitlines()
                    self.assertEqual([message] if message else [], errors)
                    after = state(folder)
                    for name in written:
                        self.assertIn(name, after)
                        content = after.pop(name)[0]
                        self.assertIsInstance(content, bytes, name + " is still a link")
                        self.assertIn(b"title: ours\n", content)
                        before.pop(name, None)
                    self.assertEqual(before, after)

    @unittest.skipIf(SANITIZED, "LeakSanitizer cannot run under strace")
    def test_output_dir_synced_once_at_the_end(self):
        if not shutil.which("strace") or \
                subprocess.run(["strace", "-o", os.devnull, "true"]).returncode != 0:
            self.skipTest("no strace, or the system does not let it trace")
        for i in range(3):
            write(self.path("in", "n%d.vnt" % i), note("x"))
        trace = self.path("trace")
        result = subprocess.run(["strace", "-f", "-qq", "-o", trace, "-e",
                                 "trace=fsync,fdatasync,sync,syncfs,sync_file_range", EXPORT,
                                 "--format", "markdown", "--output-dir", "out", "in"],
                                cwd=self.dir, env=ENV, capture_output=True)
        self.assertEqual(0, result.returncode, result.stderr)
        with open(trace) as f:
            calls = [re.search(r"(\w+)\(", line).group(1) for line in f if "(" in line]
        # Not one sync a file, which costs more than the writing: one for them all.
        self.assertEqual(["syncfs"], calls)
        self.assertEqual(3, len(os.listdir(self.path("out"))))

    def test_long_names_shortened(self):
        stem = "a" + "ж" * 125  # 251 octets: a note file's name of 255
        write(self.path("in", stem + ".vnt"), note("x"))
        result = run("--format", "json", "--output-dir", "out", "in", cwd=self.dir)
        self.assertEqual(0, result.returncode, result.stderr.decode())
        shortened = stem[:-1] + ".json"  # 254 octets: a character left out, not half of one
        self.assertEqual([shortened], os.listdir(self.path("out")))
        self.assertEqual("Имя сокращено: out/%s\n" % shortened, result.stderr.decode())

    def test_two_runs_at_once_never_replace(self):
        count = 1500
        for run_name in ("a", "b"):
            for i in range(count):
                write(self.path(run_name, "memo%04d.vnt" % i), note("from " + run_name))
        refused = re.compile(r"^Файл уже есть, не перезаписан: out-\w+/(memo\d+\.md)$", re.M)
        for commit in COMMITS:
            with self.subTest(commit=commit):
                out = "out-" + commit
                runs = {name: subprocess.Popen(
                    [EXPORT, "--format", "markdown", "--output-dir", out, name], cwd=self.dir,
                    env=dict(ENV, QUILLET_COMMIT=commit), stdout=subprocess.DEVNULL,
                    stderr=subprocess.PIPE) for name in ("a", "b")}
                written = {}
                for name, process in runs.items():
                    errors = process.communicate(timeout=300)[1].decode()
                    names = set(refused.findall(errors))
                    self.assertEqual(1 if names else 0, process.returncode, errors[:400])
                    written[name] = {"memo%04d.md" % i for i in range(count)} - names
                # Every file is written by one run only, and holds that run's note.
                self.assertEqual(set(), written["a"] & written["b"])
                self.assertEqual(sorted(written["a"] | written["b"]),
                                 sorted(os.listdir(self.path(out))))
                for name, files in written.items():
                    for file in files:
                        with open(self.path(out, file), encoding="utf-8") as f:
                            self.assertIn("title: from %s\n" % name, f.read())

    def test_usage(self):
        write(self.path("a.vnt"), note("x"))
        rows = {"enex to a folder": (["--format", "enex", "--output-dir", "o", "a.vnt"], 2),
                "jsonl to a folder": (["--format", "jsonl", "--output-dir", "o", "a.vnt"], 2),
                "csv to a folder": (["--format", "csv", "--output-dir", "o", "a.vnt"], 2),
                "force alone": (["--force", "a.vnt"], 2),
                "help-all": (["--help-all"], 0)}
        for row, (args, status) in rows.items():
            with self.subTest(row=row):
                result = run(*args, cwd=self.dir)
                self.assertEqual(status, result.returncode)
                if status == 0:
                    self.assertIn(b"--output-dir", result.stdout)
                    self.assertEqual(b"", result.stderr)
        self.assertFalse(os.path.exists(self.path("o")))

    def test_progress_only_on_a_terminal_past_200_notes(self):
        for i in range(201):
            write(self.path("many", "n%03d.vnt" % i), note("n"))
        for count, folder in [(201, "many")]:
            piped = run("--format", "jsonl", folder, cwd=self.dir)
            self.assertEqual(b"", piped.stderr)
            self.assertEqual(count, len(piped.stdout.splitlines()))
        other, other_end = pty.openpty()
        # Where standard output goes, beside standard error on a terminal: whether the line shows.
        rows = {"elsewhere": (os.devnull, [], True),
                "the same terminal": (None, [], False),
                "another terminal": (other_end, [], True),
                "the same terminal, notes to files": (None, ["--output-dir", "out"], True)}
        for row, (output, args, drawn) in rows.items():
            with self.subTest(row=row):
                pid, terminal = pty.fork()
                if pid == 0:
                    os.chdir(self.dir)
                    if output is not None:
                        os.dup2(output if isinstance(output, int) else
                                os.open(output, os.O_WRONLY), 1)
                    os.execve(EXPORT, [EXPORT, "--format", "json", *args, "many"], ENV)
                seen = b""
                while True:  # until the child's end of its terminal is gone; `other` drained
                    ready = select.select([terminal, other], [], [])[0]
                    if other in ready:
                        os.read(other, 65536)
                    if terminal not in ready:
                        continue
                    try:
                        chunk = os.read(terminal, 4096)
                    except OSError:
                        break
                    if not chunk:
                        break
                    seen += chunk
                os.waitpid(pid, 0)
                os.close(terminal)
                self.assertEqual(drawn, "201 из 201".encode() in seen, seen[-200:])
                self.assertEqual(drawn, b"\x1b[K" in seen)
                if drawn:
                    self.assertTrue(seen.endswith(b"\r\x1b[K"), seen[-40:])
                elif output is None:
                    self.assertEqual(201, len(json.loads(seen.replace(b"\r\n", b"\n"))))
        os.close(other)
        os.close(other_end)


if __name__ == "__main__":
    unittest.main()
