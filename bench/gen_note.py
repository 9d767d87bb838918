#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes a note of a given size whose body is escaped the way phones write it, or one whose body
is a single long line without blanks.

Every octet of the body is an escape (=XX), lines are at most 76 columns and end in a soft
break ("="), and lines end in CR LF, so that soft breaks fall inside characters. The text is a
deterministic mix of Russian and English sentences with hard line breaks, so the decoded body is
realistic UTF-8 of one- and two-octet characters; or, with --script, text wholly in Russian
(two-octet letters between blanks) or wholly in Japanese (three-octet characters, no blanks).

    gen_note.py [--script mixed|ru|ja] SIZE OUT
                                           SIZE in bytes, or with a suffix K or M (binary units)
    gen_note.py --long-line COUNT OUT      a body of COUNT characters (suffix K or M allowed)
    gen_note.py --folder COUNT SIZE OUT    a folder of COUNT notes of SIZE bytes each
    gen_note.py --many SIZE OUT            a file of short notes, SIZE bytes at most
"""

import datetime
import os
import random
import sys

COLUMNS = 76
ESCAPES_PER_LINE = (COLUMNS - 1) // 3  # the last column holds the soft break
CRLF = b"\r\n"

HEADER = (
    b"BEGIN:VNOTE\r\n"
    b"VERSION:1.1\r\n"
    b"DCREATED:20130403T001940\r\n"
    b"LAST-MODIFIED:20130705T183000\r\n"
    b"BODY;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=\r\n"
)
FOOTER = b"END:VNOTE\r\n"

WORDS_RU = (
    "купить хлеб молоко позвонить маме встреча в пятницу отчёт сдать до среды "
    "забрать посылку на почте записаться к врачу оплатить счёт за свет список дел "
    "на неделю не забыть зонтик день рождения подарок билеты на поезд"
).split()
WORDS_EN = (
    "buy bread and milk call the printer meeting on friday send the report by "
    "wednesday pick up the parcel book the dentist pay the power bill weekly list "
    "remember the umbrella birthday present train tickets"
).split()


# Phrases of a Japanese memo, written without blanks between them, as Japanese is.
WORDS_JA = (
    "パンを買う 牛乳 母に電話する 金曜日の会議 水曜日までに報告書を出す 郵便局で荷物を受け取る "
    "歯医者を予約する 電気代を払う 今週の予定 傘を忘れない 誕生日の贈り物 電車の切符"
).split()

SCRIPTS = ("mixed", "ru", "ja")


def sentences(rng, script="mixed"):
    """Endless UTF-8 text: sentences of the script's language (either language for "mixed"), now
    and then a hard line break."""
    while True:
        ending = "\r\n" if rng.random() < 0.3 else None
        count = rng.randint(4, 12)
        if script == "ja":
            sentence = "、".join(rng.choice(WORDS_JA) for _ in range(count)) + "。"
            yield (sentence + (ending or "")).encode("utf-8")
            continue
        if script == "ru":
            words = WORDS_RU
        else:
            words = WORDS_RU if rng.random() < 0.6 else WORDS_EN
        sentence = " ".join(rng.choice(words) for _ in range(count))
        yield (sentence[0].upper() + sentence[1:] + "." + (ending or " ")).encode("utf-8")


def body_octets(rng, count, script="mixed"):
    """Exactly `count` octets of valid UTF-8 text."""
    text = bytearray()
    source = sentences(rng, script)
    while len(text) < count:
        text += next(source)
    cut = count
    while 0 < cut < len(text) and (text[cut] & 0xC0) == 0x80:  # never split a character
        cut -= 1
    return bytes(text[:cut]) + b" " * (count - cut)


def escape_line(octets):
    return "".join("=%02X" % b for b in octets).encode("ascii")


def make_note(size, seed=20130403, phrase=None, script="mixed"):
    """A note of exactly `size` bytes (at least a few hundred), all of it ASCII. Its text comes
    from `seed` in the language of `script` (see SCRIPTS); `phrase`, when given, stands at its
    start."""
    room = size - len(HEADER) - len(FOOTER)
    if room < 16:
        raise ValueError("size too small for a note: %d" % size)
    line_bytes = COLUMNS + len(CRLF)
    full_lines = (room - len(CRLF)) // line_bytes
    rest = room - full_lines * line_bytes
    last_escapes = (rest - len(CRLF)) // 3
    octets = body_octets(random.Random(seed), full_lines * ESCAPES_PER_LINE + last_escapes,
                         script)
    if phrase:
        marked = phrase.encode("utf-8") + b"\r\n"
        octets = (marked + octets)[: len(octets)]

    parts = [HEADER]
    for i in range(full_lines):
        chunk = octets[i * ESCAPES_PER_LINE : (i + 1) * ESCAPES_PER_LINE]
        parts.append(escape_line(chunk) + b"=" + CRLF)
    if last_escapes > 0:
        parts.append(escape_line(octets[full_lines * ESCAPES_PER_LINE :]) + CRLF)
    parts.append(FOOTER)
    # Bytes still left over become blank lines after the end marker, which the reader ignores.
    used = sum(len(p) for p in parts)
    parts.append(b"\n" * (size - used))
    note = b"".join(parts)
    assert len(note) == size, (len(note), size)
    return note


def with_stamps(note, index):
    """`note` with creation and change moments of its own, spread over fifteen years as a
    phone's memos would be: a reader that kept what it made for the last moment it saw would
    otherwise be flattered by notes that all share one. The size stays the same."""
    start = datetime.datetime(2009, 1, 1)
    created = start + datetime.timedelta(seconds=index * 2654435761 % (15 * 365 * 86400))
    modified = created + datetime.timedelta(seconds=index * 40503 % (400 * 86400))
    stamp = "%Y%m%dT%H%M%S"
    note = note.replace(b"DCREATED:20130403T001940",
                        b"DCREATED:" + created.strftime(stamp).encode(), 1)
    return note.replace(b"LAST-MODIFIED:20130705T183000",
                        b"LAST-MODIFIED:" + modified.strftime(stamp).encode(), 1)


def make_long_line_note(characters):
    """A note whose body is one line of `characters` ASCII letters, digits and marks with no
    blank or other break opportunity, escaped and soft-broken as make_note's."""
    alphabet = b"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"
    rng = random.Random(20130403)
    octets = bytes(rng.choice(alphabet) for _ in range(min(characters, 4096)))
    octets = (octets * (characters // len(octets) + 1))[:characters]
    parts = [HEADER]
    for start in range(0, characters, ESCAPES_PER_LINE):
        last = start + ESCAPES_PER_LINE >= characters
        parts.append(escape_line(octets[start : start + ESCAPES_PER_LINE]) + (b"" if last else b"=") + CRLF)
    parts.append(FOOTER)
    return b"".join(parts)


# The phrase that one note in RARE_EVERY of a generated folder holds, as a door code would be.
RARE_PHRASE = "Код домофона: 4512, подъезд 3"
RARE_EVERY = 100


def make_folder(path, count, size):
    """A phone's memo folder: memo1.vnt .. memoCOUNT.vnt, each `size` bytes of its own text; one in
    RARE_EVERY holds RARE_PHRASE. Files already there are kept."""
    os.makedirs(path, exist_ok=True)
    for index in range(1, count + 1):
        name = os.path.join(path, "memo%d.vnt" % index)
        if os.path.exists(name):
            continue
        phrase = RARE_PHRASE if index % RARE_EVERY == 50 else None
        with open(name, "wb") as out:
            out.write(make_note(size, seed=index, phrase=phrase))


def make_many_notes(size):
    """A file of short notes one after another, as a phone that keeps every memo in one file
    writes it, of at most `size` bytes: a body each, numbered so that no two are the same."""
    parts, used, number = [], 0, 0
    while True:
        number += 1
        note = b"BEGIN:VNOTE\r\nBODY:%d\r\nEND:VNOTE\r\n" % number
        if used + len(note) > size:
            return b"".join(parts)
        parts.append(note)
        used += len(note)


def parse_size(text):
    units = {"K": 1024, "M": 1024 * 1024}
    if text[-1:].upper() in units:
        return int(text[:-1]) * units[text[-1].upper()]
    return int(text)


def main(argv):
    script = "mixed"
    if len(argv) >= 3 and argv[1] == "--script" and argv[2] in SCRIPTS:
        script = argv[2]
        argv = argv[:1] + argv[3:]
    if len(argv) == 5 and argv[1] == "--folder":
        make_folder(argv[4], int(argv[2]), parse_size(argv[3]))
        return 0
    if len(argv) == 4 and argv[1] == "--many":
        with open(argv[3], "wb") as out:
            out.write(make_many_notes(parse_size(argv[2])))
        return 0
    long_line = len(argv) == 4 and argv[1] == "--long-line"
    if len(argv) != 3 and not long_line:
        sys.stderr.write(__doc__)
        return 2
    note = (make_long_line_note(parse_size(argv[2])) if long_line
            else make_note(parse_size(argv[1]), script=script))
    with open(argv[-1], "wb") as out:
        out.write(note)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
