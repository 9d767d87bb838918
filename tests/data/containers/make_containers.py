#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes the golden files of the places memos arrive in besides .vnt files: calendar files
(.vcs, .ics) and Gammu backups (.backup), each with NAME.json beside it holding what the lenient
reading must give (Berlin's time zone, the Russian locale, long dates).

The files are made here from plain text with Python's own codecs and time zones, so the expected
fields never come from the reader under test. Run it again after changing a file:

    tests/data/containers/make_containers.py
"""

import base64
import datetime
import json
import os
import zoneinfo

HERE = os.path.dirname(os.path.abspath(__file__))
CRLF = b"\r\n"
BERLIN = zoneinfo.ZoneInfo("Europe/Berlin")
WEEKDAYS = ["понедельник", "вторник", "среда", "четверг", "пятница", "суббота", "воскресенье"]
MONTHS = ["января", "февраля", "марта", "апреля", "мая", "июня", "июля", "августа", "сентября",
          "октября", "ноября", "декабря"]
NO_NOTES = "В файле нет заметок: {path}"


def shown(moment):
    """A moment as the viewer shows it: long Russian date in Berlin."""
    local = moment.astimezone(BERLIN)
    return "%s, %d %s %d г., %02d:%02d:%02d" % (
        WEEKDAYS[local.weekday()], local.day, MONTHS[local.month - 1], local.year, local.hour,
        local.minute, local.second)


def at(zone, *parts):
    tz = datetime.timezone.utc if zone is None else (
        zone if isinstance(zone, datetime.tzinfo) else zoneinfo.ZoneInfo(zone))
    return shown(datetime.datetime(*parts, tzinfo=tz))


TOKYO_OFFSET = datetime.timezone(datetime.timedelta(hours=9))


def qp(octets, width=76):
    """Every octet escaped, lines of at most `width` with soft breaks, as phones write them."""
    escaped = "".join("=%02X" % b for b in octets)
    per_line = (width - 1) // 3 * 3
    lines = [escaped[i:i + per_line] for i in range(0, len(escaped), per_line)] or [""]
    return ("=\r\n".join(lines)).encode("ascii")


def lines(*items):
    return CRLF.join(items) + CRLF


def ical_text(text):
    """RFC 5545 escapes, then folding at 60 octets with CRLF and a space."""
    escaped = (text.replace("\\", "\\\\").replace(";", "\\;").replace(",", "\\,")
               .replace("\n", "\\n")).encode("utf-8")
    out, line = [], b""
    for ch in escaped.decode("utf-8"):
        octets = ch.encode("utf-8")
        if len(line) + len(octets) > 60:
            out.append(line)
            line = b""
        line += octets
    out.append(line)
    return (CRLF + b" ").join(out)


def memo(body, version, created="", modified="", kind="", summary=""):
    out = {"version": version, "created": created, "modified": modified, "body": body}
    if kind:
        out["kind"] = kind
    if summary:
        out["summary"] = summary
    return out


def note(body):
    return {"version": "", "created": "", "modified": "", "body": body}


FILES = {}


def container(name, data, notes=(), error="", skipped=0):
    FILES[name] = (data, {"accepted": not error, "error": error, "skipped": skipped,
                          "notes": list(notes)})


# A Japanese phone's schedule-and-memo export: memos are VEVENTs whose X-DCM-TYPE is not EVENT.
SHOPPING = "Молоко\r\nХлеб, сыр; яйца"
LONG_NOTE = "メモ: 明日の会議の資料を準備する。" * 3
container("docomo-memos.vcs", lines(
    b"BEGIN:VCALENDAR", b"VERSION:1.0", b"TZ:+09:00",
    b"BEGIN:VEVENT", b"X-DCM-TYPE:EVENT", b"SUMMARY:Dentist", b"DTSTART:20240115T100000",
    b"END:VEVENT",
    b"BEGIN:VEVENT", b"X-DCM-TYPE:NOTE",
    b"SUMMARY;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:" + qp("会議".encode()),
    b"DESCRIPTION;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:" + qp(LONG_NOTE.encode()),
    b"DCREATED:20240115T183000", b"LAST-MODIFIED:20240701T101500Z",
    b"X-DCM-PHOTO:photo01.jpg", b"LOCATION:Tokyo", b"X-DCM-SHOW:ON",
    b"END:VEVENT",
    b"BEGIN:VEVENT", b"X-DCM-TYPE:SHOPPING",
    b"SUMMARY;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:" + qp(SHOPPING.encode()),
    b"DUE:20240120T090000",
    b"END:VEVENT",
    b"BEGIN:VEVENT", b"SUMMARY:Lunch", b"END:VEVENT",
    b"BEGIN:VTODO", b"X-DCM-TYPE:TODO", b"SUMMARY:Pay rent", b"DESCRIPTION:Pay rent by Friday",
    b"LAST-MODIFIED:20131231T230000Z",
    b"END:VTODO",
    b"END:VCALENDAR"),
    [memo(LONG_NOTE, "1.0", at(TOKYO_OFFSET, 2024, 1, 15, 18, 30),
          at(None, 2024, 7, 1, 10, 15), "NOTE", "会議"),
     memo(SHOPPING, "1.0", kind="SHOPPING", summary=SHOPPING),
     memo("Pay rent by Friday", "1.0", modified=at(None, 2013, 12, 31, 23), kind="TODO",
          summary="Pay rent")],
    skipped=2)

# Journal entries of iCalendar 2.0: text escapes, folding, named zones, dates alone.
JOURNAL = "Купить: хлеб, молоко; сыр\nПозвонить в банк \\ офис 12"
container("journal.ics", lines(
    b"BEGIN:VCALENDAR", b"VERSION:2.0", b"PRODID:-//Example//Notes//EN",
    b"BEGIN:VTIMEZONE", b"TZID:Europe/Moscow", b"BEGIN:STANDARD", b"DTSTART:19700101T000000",
    b"TZOFFSETFROM:+0300", b"TZOFFSETTO:+0300", b"END:STANDARD", b"END:VTIMEZONE",
    b"BEGIN:VJOURNAL", b"UID:1@example", "SUMMARY:Покупки".encode(),
    b"DESCRIPTION:" + ical_text(JOURNAL),
    b"CREATED:20130403T001940Z", b"DTSTAMP:20240115T091500Z",
    b"LAST-MODIFIED;TZID=Europe/Moscow:20240701T130000",
    b"END:VJOURNAL",
    b"BEGIN:VEVENT", b"SUMMARY:Meeting", b"DTSTART:20240115T100000Z", b"END:VEVENT",
    b"BEGIN:VJOURNAL", b"SUMMARY:Day in Tokyo", b"DTSTART;TZID=Asia/Tokyo;VALUE=DATE:20240115",
    b"DTSTAMP;TZID=\"Mars/Olympus\":20240115T120000",
    b"END:VJOURNAL",
    b"BEGIN:VJOURNAL", b"DESCRIPTION:dated", b"DTSTART;VALUE=DATE:20240701", b"END:VJOURNAL",
    b"END:VCALENDAR"),
    [memo(JOURNAL, "2.0", at(None, 2013, 4, 3, 0, 19, 40), at("Europe/Moscow", 2024, 7, 1, 13),
          "JOURNAL", "Покупки"),
     memo("Day in Tokyo", "2.0", at("Asia/Tokyo", 2024, 1, 15), at(None, 2024, 1, 15, 12),
          "JOURNAL", "Day in Tokyo"),
     memo("dated", "2.0", at(None, 2024, 7, 1), kind="JOURNAL")],
    skipped=1)

# A vCalendar 1.0 journal with vCard 2.1 parameters: a charset other than UTF-8, bare encoding.
container("journal-cp1251.vcs", lines(
    b"BEGIN:VCALENDAR", b"VERSION:1.0",
    b"BEGIN:VJOURNAL", b"DESCRIPTION;CHARSET=WINDOWS-1251;QUOTED-PRINTABLE:" +
    qp("Заметка\r\nвторая строка".encode("cp1251")),
    b"DCREATED:20240115T091500", b"END:VJOURNAL",
    # Values that would run on, into the line that ends their component, but for it.
    b"BEGIN:VJOURNAL", b"DESCRIPTION;ENCODING=BASE64;CHARSET=UTF-8:",
    base64.b64encode("Список дел".encode()), b"END:VJOURNAL",
    b"BEGIN:VJOURNAL", b"DESCRIPTION;ENCODING=QUOTED-PRINTABLE:last=", b"END:VJOURNAL",
    b"END:VCALENDAR"),
    [memo("Заметка\r\nвторая строка", "1.0", at(None, 2024, 1, 15, 9, 15), kind="JOURNAL"),
     memo("Список дел", "1.0", kind="JOURNAL"), memo("last", "1.0", kind="JOURNAL")])

# Components begin and end on component lines only: a property merely named BEGIN or END (with a
# group prefix, or a blank before its colon) is passed over, and a line that only looks like one
# after a soft break stays in the value. A memo's kind may come after a long body.
KIND_LAST = "Список: " + "молоко, хлеб. " * 8
container("component-lines.vcs", lines(
    b"BEGIN:VCALENDAR", b"VERSION:1.0",
    b"item1.BEGIN:VJOURNAL", b"BEGIN ;X=1:VJOURNAL",
    b"BEGIN:VEVENT",
    b"DESCRIPTION;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:" + qp(KIND_LAST.encode()),
    b"X-DCM-TYPE:NOTE", b"END:VEVENT",
    b"BEGIN:VJOURNAL", b"DESCRIPTION;ENCODING=QUOTED-PRINTABLE:=41=", b"BEGIN :VJOURNAL",
    b"item1.END:VJOURNAL", b"END:VJOURNAL",
    b"BEGIN:VEVENT", b"BEGIN:VALARM", b"X-DCM-TYPE:NOTE", b"END:VALARM", b"END:VEVENT",
    b"END:VCALENDAR"),
    [memo(KIND_LAST, "1.0", kind="NOTE"), memo("ABEGIN :VJOURNAL", "1.0", kind="JOURNAL")],
    skipped=1)

container("appointments-only.ics", lines(
    b"BEGIN:VCALENDAR", b"VERSION:2.0",
    b"BEGIN:VEVENT", b"SUMMARY:A", b"END:VEVENT",
    b"BEGIN:VEVENT", b"X-DCM-TYPE:EVENT", b"SUMMARY:B", b"END:VEVENT",
    b"BEGIN:VTODO", b"SUMMARY:C", b"END:VTODO",
    b"END:VCALENDAR"),
    error=NO_NOTES, skipped=3)

# Gammu's backups. In ASCII, Text loses letters outside ASCII and TextUnicode keeps them.
def ucs2_hex(text):
    return text.encode("utf-16-be").hex().upper().encode("ascii")


GAMMU_RU = "Список: хлеб\nи молоко 🥛"
container("gammu-ascii.backup", lines(
    b"; This file format was designed for Gammu and is compatible with Gammu+",
    b"", b"[Backup]", b"Format = 1.04", b"Phone = \"Nokia 6230\"",
    b"[Phonebook001]", b"Location = 1", b"Entry00Type = Name", b"Entry00Text = \"Mom\"",
    b"[Note001]", b"Text = \"Spisok: ?????\\nand \\\"quotes\\\" \\\\ path\"",
    b"[Note002]", b"Text = \"Spisok: ???? \\n? ??????\"",
    b"TextUnicode = " + ucs2_hex(GAMMU_RU),
    b"[note003]", b"TextUnicode = 12G4", b"text = \"bad hex falls back\""),
    [note("Spisok: ?????\nand \"quotes\" \\ path"), note(GAMMU_RU),
     note("bad hex falls back")])

container("gammu-unicode.backup", "\ufeff".encode("utf-16-be") + "\r\n".join([
    "[Backup]", "Format = 1.04", "[Note001]", "Text = \"Записка 📝\\r\\nдве строки\"", ""])
    .encode("utf-16-be"),
    [note("Записка 📝\r\nдве строки")])

container("gammu-no-notes.backup", lines(b"[Backup]", b"Format = 1.04", b"[Phonebook001]",
                                         b"Entry00Text = \"Mom\""),
          error=NO_NOTES)


def main():
    for name, (data, expected) in FILES.items():
        with open(os.path.join(HERE, name), "wb") as out:
            out.write(data)
        base = name.rsplit(".", 1)[0]
        with open(os.path.join(HERE, base + ".json"), "w", encoding="utf-8") as out:
            json.dump(expected, out, ensure_ascii=False, indent=2)
            out.write("\n")


if __name__ == "__main__":
    main()
