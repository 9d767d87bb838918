#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes the containers that phones left memos in, for the benchmarks: a calendar of memos
beside a note file of the same memos, and a backup of binary bytes with notes here and there.

    gen_containers.py --memos SIZE VNT VCS   the same memos as notes and as a calendar, each
                                             file SIZE bytes at most
    gen_containers.py --backup SIZE OUT      a backup of SIZE bytes (suffix K, M or G allowed)
"""

import os
import random
import sys

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import gen_note  # noqa: E402

# Decoded octets of a memo's body: a page of text, as memos go.
MEMO_OCTETS = 1024
# Bytes of a backup between one note and the next.
BACKUP_NOTE_EVERY = 1024 * 1024
GIB = 1024 * 1024 * 1024


def qp_value(octets):
    """Quoted-printable lines of `octets`, every octet escaped, soft breaks as phones write."""
    per_line = gen_note.ESCAPES_PER_LINE
    lines = [gen_note.escape_line(octets[i:i + per_line])
             for i in range(0, len(octets), per_line)]
    return b"=\r\n".join(lines) + b"\r\n"


def stamp(index):
    return b"2013%02d%02dT%02d%02d%02d" % (1 + index % 12, 1 + index % 28, index % 24,
                                             index % 60, (index * 7) % 60)


def memo_pair(size):
    """The same memos, as one note file and as one vCalendar 1.0 file of docomo-style memos:
    (vnt bytes, vcs bytes), each at most `size` bytes."""
    rng = random.Random(20130403)
    notes, events = [], []
    used_notes = used_events = 0
    head = b"BEGIN:VCALENDAR\r\nVERSION:1.0\r\nTZ:+09:00\r\n"
    tail = b"END:VCALENDAR\r\n"
    index = 0
    while True:
        body = qp_value(gen_note.body_octets(rng, MEMO_OCTETS))
        note = (b"BEGIN:VNOTE\r\nVERSION:1.1\r\n"
                b"BODY;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:" + body +
                b"DCREATED:" + stamp(index) + b"\r\nLAST-MODIFIED:" + stamp(index + 1) +
                b"Z\r\nEND:VNOTE\r\n")
        event = (b"BEGIN:VEVENT\r\nX-DCM-TYPE:NOTE\r\n"
                 b"DESCRIPTION;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:" + body +
                 b"DCREATED:" + stamp(index) + b"\r\nLAST-MODIFIED:" + stamp(index + 1) +
                 b"Z\r\nEND:VEVENT\r\n")
        if (used_notes + len(note) > size or
                len(head) + used_events + len(event) + len(tail) > size):
            return b"".join(notes), head + b"".join(events) + tail
        notes.append(note)
        events.append(event)
        used_notes += len(note)
        used_events += len(event)
        index += 1


def backup_note(index):
    """The index-th note of a backup: 8-bit, UTF-16 LE and UTF-16 BE in turn."""
    note = gen_note.with_stamps(gen_note.make_note(2048, seed=index), index)
    encoding = ("latin-1", "utf-16-le", "utf-16-be")[index % 3]
    return note.decode("ascii").encode(encoding)


def write_backup(path, size):
    """A backup of `size` bytes: pseudo-random bytes, as photos and archives are, with a note
    every BACKUP_NOTE_EVERY bytes. Written a block at a time: the file may not fit in memory."""
    filler = random.Random(20130403).randbytes(4 * 1024 * 1024)
    with open(path, "wb") as out:
        written, index = 0, 0
        while written < size:
            note = backup_note(index)
            gap = min(BACKUP_NOTE_EVERY - len(note), size - written)
            start = (index * 7919) % (len(filler) - BACKUP_NOTE_EVERY)
            out.write(filler[start:start + gap])
            written += gap
            if written + len(note) <= size:
                out.write(note)
                written += len(note)
            index += 1


def parse_size(text):
    if text[-1:].upper() == "G":
        return int(text[:-1]) * GIB
    return gen_note.parse_size(text)


def main(argv):
    if len(argv) == 5 and argv[1] == "--memos":
        vnt, vcs = memo_pair(parse_size(argv[2]))
        with open(argv[3], "wb") as out:
            out.write(vnt)
        with open(argv[4], "wb") as out:
            out.write(vcs)
        return 0
    if len(argv) == 4 and argv[1] == "--backup":
        write_backup(argv[3], parse_size(argv[2]))
        return 0
    sys.stderr.write(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
