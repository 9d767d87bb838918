// SPDX-License-Identifier: GPL-3.0-or-later
// Calendar memos on any bytes: a clear result within the time limit, the count from the first
// pass (which decodes nothing but the kinds) agreeing with the memos read; and the bytes' text
// put into a vCalendar 1.0 memo as quoted-printable UTF-8, and into an iCalendar 2.0 journal
// entry with its escapes and folding, read back as that text.

#include "calendarnotes.h"
#include "fuzzcheck.h"
#include "fuzznotes.h"

#include <QByteArray>
#include <QList>

namespace {

QByteArray quotedPrintable(const QByteArray &octets)
{
    QByteArray out;
    for (qsizetype i = 0; i < octets.size(); ++i) {
        if (i > 0 && i % 25 == 0)
            out += "=\r\n";
        out += '=' + QByteArray::number(uchar(octets[i]), 16).rightJustified(2, '0').toUpper();
    }
    return out;
}

// RFC 5545's escapes, then lines folded every 40 octets, never inside a character.
QByteArray icalendarText(const QString &text)
{
    QString escaped;
    for (const QChar c : text) {
        if (c == u'\\' || c == u';' || c == u',')
            escaped += u'\\';
        escaped += c == u'\n' ? QStringLiteral("\\n") : QString(c);
    }
    const QByteArray octets = escaped.toUtf8();
    QByteArray out;
    qsizetype line = 0;
    for (qsizetype i = 0; i < octets.size(); ++i) {
        const bool startsCharacter = (uchar(octets[i]) & 0xC0) != 0x80;
        if (startsCharacter && line >= 40) {
            out += "\r\n ";
            line = 0;
        }
        out += octets[i];
        ++line;
    }
    return out;
}

QList<NoteView> memos(QByteArrayView bytes, const DateDisplay &display, qsizetype *counted)
{
    QList<NoteView> read;
    fuzzcheck::withinTime(size_t(bytes.size()), [&] {
        CalendarNotes calendar(bytes, display);
        *counted = calendar.count();
        read.clear();
        for (NoteView note; calendar.next(note);)
            read.append(note);
    });
    return read;
}

void expectBody(const QByteArray &file, const QString &body, const DateDisplay &display,
                const char *what)
{
    qsizetype counted = 0;
    const QList<NoteView> read = memos(file, display, &counted);
    if (read.size() != 1 || counted != 1)
        fuzzcheck::fail(what, QStringLiteral("%1 memos").arg(read.size()));
    fuzzcheck::expectEqual(read.first().txtBody, body, what);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    static const DateDisplay display = fuzzcheck::berlinDisplay(false);

    qsizetype counted = 0;
    const QList<NoteView> read = memos(bytes, display, &counted);
    if (counted != read.size())
        fuzzcheck::fail("memos counted against memos read",
                        QStringLiteral("%1 counted, %2 read").arg(counted).arg(read.size()));
    if (size > 64 * 1024) // the round trips below need no large inputs
        return 0;

    QString text = QString::fromUtf8(bytes);
    expectBody("BEGIN:VCALENDAR\r\nVERSION:1.0\r\nBEGIN:VEVENT\r\nX-DCM-TYPE:NOTE\r\n"
               "DESCRIPTION;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:" +
                   quotedPrintable(text.toUtf8()) + "\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n",
               text, display, "a vCalendar memo's quoted-printable body");
    // A line break is "\n" in iCalendar text: a bare CR has no way to be written. A value with
    // no encoding loses the blanks and tabs at its ends, as a note's does.
    text.remove(u'\r');
    const auto blank = [](QChar c) {
        return c == u' ' || c == u'\t';
    };
    while (!text.isEmpty() && blank(text.back()))
        text.chop(1);
    while (!text.isEmpty() && blank(text.front()))
        text.remove(0, 1);
    // A value's leading U+FEFF is taken for a byte-order mark, as in a note's body.
    if (text.startsWith(QChar(0xFEFF)))
        return 0;
    expectBody("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VJOURNAL\r\nDESCRIPTION:" +
                   icalendarText(text) + "\r\nEND:VJOURNAL\r\nEND:VCALENDAR\r\n",
               text, display, "an iCalendar journal entry's escaped body");
    return 0;
}
