#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The export job done in plain Python, as the yardstick for quillet-export --format json.

Takes files and folders (a folder's .vnt files in natural order; with -r its subfolders' too),
reads each note, checks its marker lines, takes VERSION, DCREATED and LAST-MODIFIED (and their UTC
moments), joins the trimmed body lines and decodes them with the standard library's C decoder
(binascii.a2b_qp), then prints the same JSON array, or with --format jsonl an object a line. Exit
status 0 when every note was accepted, 1 otherwise.

    peer_export.py [--format json|jsonl] [-r] FILE|FOLDER...
"""

import binascii
import datetime
import json
import os
import re
import sys

BODY_MARKER = "BODY;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:="
STAMP = re.compile(r"^(\d{4})(\d{2})(\d{2})T(\d{2})(\d{2})(\d{2})$")


def stamp_moment(value):
    match = STAMP.match(value)
    if not match:
        return None
    try:
        return datetime.datetime(*map(int, match.groups()), tzinfo=datetime.timezone.utc)
    except ValueError:
        return None


def format_stamp(value):
    moment = stamp_moment(value)
    return moment.astimezone().strftime("%x, %X") if moment else value


def utc_text(value):
    moment = stamp_moment(value)
    return moment.strftime("%Y-%m-%dT%H:%M:%SZ") if moment else None


def natural_key(path):
    name = os.path.basename(path)
    return [int(part) if part.isdigit() else part.lower() for part in re.split(r"(\d+)", name)]


def note_files(arguments, recursive):
    """The files that the arguments stand for: a folder's notes, then its subfolders'."""
    for argument in arguments:
        if not os.path.isdir(argument):
            yield argument
            continue
        with os.scandir(argument) as entries:
            entries = [e for e in entries if not e.name.startswith(".")]
        notes = [e.path for e in entries if not e.is_dir() and e.name.lower().endswith(".vnt")]
        yield from sorted(notes, key=natural_key)
        if recursive:
            folders = [e.path for e in entries if e.is_dir(follow_symlinks=False)]
            yield from note_files(sorted(folders, key=natural_key), recursive)


def read_text(path):
    with open(path, "rb") as f:
        data = f.read()
    if data.startswith(b"\xef\xbb\xbf"):
        return data[3:].decode("utf-8", "replace")
    if data.startswith(b"\xff\xfe") or data.startswith(b"\xfe\xff"):
        return data.decode("utf-16", "replace")
    return data.decode("utf-8", "replace")


def export(path):
    note = {"file": path, "accepted": False, "title": "Quillet", "version": "",
            "created": "", "modified": "", "body": "", "error": "", "created_utc": None,
            "modified_utc": None}
    try:
        text = read_text(path)
    except OSError as failure:
        sys.stderr.write("%s: %s\n" % (path, failure.strerror))
        note["error"] = path + "\n\nНе удалось прочесть файл."
        return note
    lines = text.replace("\r\n", "\r").replace("\n", "\r").strip("\r\n").split("\r")
    if lines[0] != "BEGIN:VNOTE" or len(lines) < 2:
        note["error"] = 'Маркер "BEGIN:VNOTE" не был найден. Файл некорректен.'
        return note
    if lines[-1] != "END:VNOTE":
        note["error"] = 'Маркер "END:VNOTE" не был найден. Файл некорректен.'
        return note
    inner = lines[1:-1]
    for index, raw in enumerate(inner):
        line = raw.strip(" \t").upper()
        if line.startswith("VERSION:"):
            line = line[8:]
            note["version"] = line
        elif line.startswith("DCREATED:"):
            line = line[9:]
            note["created"] = format_stamp(line)
            note["created_utc"] = utc_text(line)
        elif line.startswith("LAST-MODIFIED:"):
            line = line[14:]
            note["modified"] = format_stamp(line)
            note["modified_utc"] = utc_text(line)
        if line == BODY_MARKER:
            # a2b_qp removes the soft breaks ("=" at a line's end) itself.
            joined = "\n".join(l.strip(" \t") for l in inner[index + 1:])
            octets = binascii.a2b_qp(joined.encode("utf-8", "surrogatepass"))
            note["body"] = octets.decode("utf-8", "replace")
            break
    note["accepted"] = True
    note["title"] = "Quillet [%s]" % path.rsplit("/", 1)[-1]
    return note


def main(argv):
    lines = "--format" in argv and argv[argv.index("--format") + 1] == "jsonl"
    recursive = "-r" in argv
    paths = [a for i, a in enumerate(argv)
             if a not in ("--format", "-r") and (i == 0 or argv[i - 1] != "--format")]
    if not paths:
        sys.stderr.write(__doc__)
        return 2
    accepted = True
    if lines:
        for path in note_files(paths, recursive):
            note = export(path)
            accepted = accepted and note["accepted"]
            sys.stdout.write(json.dumps(note, ensure_ascii=False) + "\n")
    else:
        notes = [export(path) for path in note_files(paths, recursive)]
        accepted = all(note["accepted"] for note in notes)
        sys.stdout.write(json.dumps(notes, ensure_ascii=False, indent=2) + "\n")
    return 0 if accepted else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
