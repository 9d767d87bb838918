#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes the lenient reading's golden notes: for each layout, NAME.vnt and NAME.json with the
fields the viewer must show (Berlin's time zone, the Russian locale, long dates).

The notes are made here from plain text with Python's own codecs, so the expected fields never
come from the reader under test. Run it again after changing a layout:

    tests/data/lenient/make_notes.py
"""

import base64
import json
import os

HERE = os.path.dirname(os.path.abspath(__file__))
CRLF = b"\r\n"

# Stamps (UTC) and how they show in Berlin with long Russian dates; the same moments as the
# strict reading's golden notes.
SHOWN = {
    "20130403T001940": "среда, 3 апреля 2013 г., 02:19:40",
    "20131231T230000": "среда, 1 января 2014 г., 00:00:00",
    "20240115T091500": "понедельник, 15 января 2024 г., 10:15:00",
    "20240701T101500": "понедельник, 1 июля 2024 г., 12:15:00",
}
BEGIN_MISSING = "Маркер \"BEGIN:VNOTE\" не был найден. Файл некорректен."
CUT_OFF = "Заметка обрывается: нет маркера END:VNOTE"

RU = "Купить хлеб и молоко.\r\nПозвонить маме!"
JA = "表示のソース: 予定表"  # 表 and ソ end in 0x5C in Shift_JIS


def qp(octets, width=76):
    """Every octet escaped, lines of at most `width` with soft breaks, as phones write them."""
    escaped = "".join("=%02X" % b for b in octets)
    per_line = (width - 1) // 3 * 3
    lines = [escaped[i:i + per_line] for i in range(0, len(escaped), per_line)] or [""]
    return (("=" + "\r\n").join(lines)).encode("ascii")


def note(*lines, end=CRLF):
    return end.join(lines) + end


def fields(version="", created="", modified="", body="", notice=""):
    out = {"version": version, "created": created, "modified": modified, "body": body}
    if notice:
        out["notice"] = notice
    return out


LAYOUTS = {}


def layout(name, data, notes=None, error=""):
    LAYOUTS[name] = (data, {"accepted": not error, "error": error, "notes": notes or []})


# Body data on the marker line itself, the stamps after the body.
layout("qp-data-on-marker-line",
       note(b"BEGIN:VNOTE", b"VERSION:1.1",
            b"BODY;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:" + qp(RU.encode()),
            b"DCREATED:20130403T001940", b"LAST-MODIFIED:20131231T230000", b"END:VNOTE"),
       [fields("1.1", SHOWN["20130403T001940"], SHOWN["20131231T230000"], RU)])
layout("params-reversed",
       note(b"BEGIN:VNOTE", b"VERSION:1.1",
            b"BODY;ENCODING=QUOTED-PRINTABLE;CHARSET=UTF-8:" + qp(RU.encode()), b"END:VNOTE"),
       [fields("1.1", body=RU)])
# A bare parameter, no charset (valid UTF-8), literal text between the escapes.
layout("bare-quoted-printable",
       note(b"BEGIN:VNOTE", b"VERSION:1.1",
            b"BODY;QUOTED-PRINTABLE:Tea =E2=80=94 green, not black.=0D=0A=",
            b"Ask Olga =3D the neighbour.", b"END:VNOTE"),
       [fields("1.1", body="Tea \u2014 green, not black.\r\nAsk Olga = the neighbour.")])
layout("lowercase-names",
       note(b"begin:vnote", b"version:1.1", b"dcreated:20240115t091500",
            b"body;charset=utf-8;encoding=quoted-printable:" + qp("Встреча".encode()).lower(),
            b"end:vnote"),
       [fields("1.1", SHOWN["20240115T091500"], body="Встреча")])
layout("plain-body",
       note(b"BEGIN:VNOTE", b"VERSION:1.1", b"BODY:Where is my dog??  ", b"END:VNOTE"),
       [fields("1.1", body="Where is my dog??")])
layout("plain-charset-utf8",
       note(b"BEGIN:VNOTE", b"VERSION:1.1", "BODY;CHARSET=UTF-8:\tСписок дел на неделю".encode(),
            b"END:VNOTE"),
       [fields("1.1", body="Список дел на неделю")])
layout("plain-folded",
       note(b"BEGIN:VNOTE", b"VERSION:1.1",
            b"BODY:A long note that a writer folded at seventy-five columns, so t",
            b" hat each continuation line starts with one blank,", b"\t or with a tab.",
            b"SUMMARY:not the body", b"END:VNOTE"),
       [fields("1.1", body="A long note that a writer folded at seventy-five columns, so that "
                           "each continuation line starts with one blank, or with a tab.")])
layout("eight-bit-utf8",
       note(b"BEGIN:VNOTE", b"VERSION:1.1",
            b"BODY;CHARSET=UTF-8;ENCODING=8BIT:" + "Забрать посылку на почте".encode(),
            b"END:VNOTE"),
       [fields("1.1", body="Забрать посылку на почте")])
# BASE64 folded over unindented lines and ended by an empty line, as vCard 2.1 writes it.
encoded = base64.b64encode(RU.encode())
layout("base64",
       note(b"BEGIN:VNOTE", b"VERSION:1.1",
            b"BODY;ENCODING=BASE64;CHARSET=UTF-8:" + encoded[:20], encoded[20:40],
            b"  " + encoded[40:], b"", b"DCREATED:20240115T091500", b"END:VNOTE"),
       [fields("1.1", SHOWN["20240115T091500"], body=RU)])
layout("b-encoding",
       note(b"BEGIN:VNOTE", b"VERSION:1.1",
            b"BODY;ENCODING=b;CHARSET=utf-8:" + base64.b64encode("Билеты на поезд".encode()),
            b"END:VNOTE"),
       [fields("1.1", body="Билеты на поезд")])
layout("charset-windows-1251",
       note(b"BEGIN:VNOTE", b"VERSION:1.1",
            b"BODY;CHARSET=WINDOWS-1251;ENCODING=QUOTED-PRINTABLE:" + qp(RU.encode("cp1251")),
            b"END:VNOTE"),
       [fields("1.1", body=RU)])
layout("charset-koi8-r",
       note(b"BEGIN:VNOTE", b"VERSION:1.1",
            b"BODY;CHARSET=KOI8-R;ENCODING=8BIT:" + "Оплатить счёт за свет".encode("koi8_r"),
            b"END:VNOTE"),
       [fields("1.1", body="Оплатить счёт за свет")])
# Raw Shift_JIS: trail bytes 0x5C must not be taken for backslashes.
layout("charset-shift-jis",
       note(b"BEGIN:VNOTE", b"VERSION:1.1",
            b"BODY;CHARSET=SHIFT_JIS;ENCODING=8BIT:" + JA.encode("shift_jis"), b"END:VNOTE"),
       [fields("1.1", body=JA)])
layout("charset-euc-jp",
       note(b"BEGIN:VNOTE", b"VERSION:1.1",
            b"BODY;CHARSET=EUC-JP;ENCODING=QUOTED-PRINTABLE:" + qp(JA.encode("euc_jp")),
            b"END:VNOTE"),
       [fields("1.1", body=JA)])
layout("charset-iso-8859-1",
       note(b"BEGIN:VNOTE", b"VERSION:1.1",
            b"BODY;CHARSET=ISO-8859-1:" + "Café crème, très bon".encode("latin-1"), b"END:VNOTE"),
       [fields("1.1", body="Café crème, très bon")])
# UTF-16 without a byte-order mark is big-endian.
layout("charset-utf-16",
       note(b"BEGIN:VNOTE", b"VERSION:1.1",
            b"BODY;CHARSET=UTF-16;ENCODING=BASE64:" + base64.b64encode(RU.encode("utf-16-be")),
            b"", b"END:VNOTE"),
       [fields("1.1", body=RU)])
# A name no converter knows: UTF-8, the broken octet shown as U+FFFD.
layout("charset-unknown",
       note(b"BEGIN:VNOTE", b"VERSION:1.1",
            b"BODY;CHARSET=X-MARTIAN;ENCODING=QUOTED-PRINTABLE:" + qp("Марс".encode() + b"\xff"),
            b"END:VNOTE"),
       [fields("1.1", body="Марс\ufffd")])
# No charset and not UTF-8: windows-1252.
layout("no-charset-windows-1252",
       note(b"BEGIN:VNOTE", b"VERSION:1.1",
            b"BODY;ENCODING=QUOTED-PRINTABLE:Caf=E9 =80 5, na=EFve", b"END:VNOTE"),
       [fields("1.1", body="Café € 5, naïve")])
# Stamps in the UTC forms, and a stamp that names no moment, shown as written.
layout("stamps-utc-forms",
       note(b"BEGIN:VNOTE", b"DCREATED:20130403T001940Z", b"LAST-MODIFIED:2013-12-31T23:00:00Z",
            b"END:VNOTE", b"BEGIN:VNOTE", b"DCREATED:2024-01-15t09:15:00",
            b"LAST-MODIFIED:20240701t101500z", b"END:VNOTE",
            b"BEGIN:VNOTE", b"DCREATED:2013-13-03T00:19:40Z", b"LAST-MODIFIED:yesterday",
            b"END:VNOTE"),
       [fields(created=SHOWN["20130403T001940"], modified=SHOWN["20131231T230000"]),
        fields(created=SHOWN["20240115T091500"], modified=SHOWN["20240701T101500"]),
        fields(created="2013-13-03T00:19:40Z", modified="YESTERDAY")])
layout("markers-any-case-blanks",
       note(b"", b"  begin:vnote\t", b"VERSION:1.1", b"BODY:Marker lines with blanks",
            b"\tEnd:VNote  ", b""),
       [fields("1.1", body="Marker lines with blanks")])
# LF only; a lone CR is a line break inside the value.
layout("lf-only",
       note(b"BEGIN:VNOTE", b"VERSION:1.1", b"BODY:first\rsecond", b"END:VNOTE", end=b"\n"),
       [fields("1.1", body="first\rsecond")])
# CR only, and no line break at the end.
layout("cr-only-no-final-break",
       note(b"BEGIN:VNOTE", b"VERSION:1.1", b"DCREATED:20130403T001940",
            b"BODY;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:" + qp(RU.encode()).replace(CRLF, b"\r"),
            end=b"\r") + b"END:VNOTE",
       [fields("1.1", SHOWN["20130403T001940"], body=RU)])
layout("extra-properties",
       note(b"BEGIN:VNOTE", b"VERSION:1.1", b"SUMMARY:Shopping", b"CATEGORIES:PERSONAL",
            b"CLASS:PUBLIC", b"UID:3f2a-11", b"X-IRMC-LUID:000000001234",
            b"X-SONY-FLAG;ENCODING=QUOTED-PRINTABLE:=41=", b"=42",
            b"BODY;CHARSET=UTF-8:Milk, bread", b"LAST-MODIFIED:20240701T101500", b"END:VNOTE"),
       [fields("1.1", modified=SHOWN["20240701T101500"], body="Milk, bread")])
# Outlook connectors write NOTE instead of BODY.
layout("outlook-note",
       note(b"BEGIN:VNOTE", b"VERSION:1.1", b"SUMMARY:Call",
            b"NOTE;ENCODING=QUOTED-PRINTABLE:Call the printer=0D=0Aon Friday", b"END:VNOTE"),
       [fields("1.1", body="Call the printer\r\non Friday")])
layout("summary-only",
       note(b"BEGIN:VNOTE", b"VERSION:1.1", "SUMMARY;CHARSET=UTF-8:Позвонить маме".encode(), b"END:VNOTE"),
       [fields("1.1", body="Позвонить маме")])
layout("several-notes",
       note(b"BEGIN:VNOTE", b"VERSION:1.1", b"BODY:first", b"END:VNOTE", b"",
            b"VERSION:9.9", b"NOTE:between notes, so no note's", b"BEGIN:VNOTE", b"VERSION:1.1", b"BODY;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=",
            qp("второй".encode()), b"END:VNOTE",
            b"BEGIN:VNOTE", b"BODY:", b"DCREATED:20240115T091500", b"END:VNOTE"),
       [fields("1.1", body="first"), fields("1.1", body="второй"),
        fields(created=SHOWN["20240115T091500"])])
layout("utf16le-bom",
       b"\xff\xfe" + note(b"BEGIN:VNOTE", b"VERSION:1.1", "BODY:Купить хлеб".encode(),
                          b"END:VNOTE").decode().encode("utf-16-le"),
       [fields("1.1", body="Купить хлеб")])
layout("utf8-bom",
       b"\xef\xbb\xbf" + note(b"BEGIN:VNOTE", b"VERSION:1.1", b"NOTE:with a mark", b"END:VNOTE"),
       [fields("1.1", body="with a mark")])
# A BEGIN inside a note ends it where it stands: the cut-off note keeps what it has, and says so.
layout("nested-begin",
       note(b"BEGIN:VNOTE", b"BODY:cut off", b"BEGIN:VNOTE", b"BODY:whole", b"END:VNOTE",
            b"END:VNOTE"),
       [fields(body="cut off", notice=CUT_OFF), fields(body="whole")])
# A file that ends before its last END: the notes are all there, the last one cut off.
layout("last-note-cut-off",
       note(b"BEGIN:VNOTE", b"BODY:whole", b"END:VNOTE", b"BEGIN:VNOTE", b"VERSION:1.1",
            b"BODY;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:" + qp("обрыв".encode())),
       [fields(body="whole"), fields("1.1", body="обрыв", notice=CUT_OFF)])
layout("end-without-begin",
       note(b"VERSION:1.1", b"BODY:text", b"END:VNOTE"), error=BEGIN_MISSING)


def main():
    for name, (data, expected) in LAYOUTS.items():
        with open(os.path.join(HERE, name + ".vnt"), "wb") as out:
            out.write(data)
        with open(os.path.join(HERE, name + ".json"), "w", encoding="utf-8") as out:
            json.dump(expected, out, ensure_ascii=False, indent=2)
            out.write("\n")


if __name__ == "__main__":
    main()
