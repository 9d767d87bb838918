// SPDX-License-Identifier: GPL-3.0-or-later
#include "notetitle.h"

#include "linesplitter.h"
#include "noteexport.h"
#include "qvtext.h"
#include "qvutf8.h"

namespace {

// Whether a title shows `c` as a blank: the controls (line ends apart, which split lines), and
// the characters that some readers take for line ends or drop.
bool becomesBlank(char16_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029 || c == 0xFEFF;
}

bool isBlankLine(QStringView line)
{
    for (const QChar c : line) {
        if (!c.isSpace() && !becomesBlank(c.unicode()))
            return false;
    }
    return true;
}

QString lineTitle(QStringView line)
{
    return titleText(line, MaxTitleCharacters);
}

// The title that the first line of `text` that is not blank gives; empty when none does.
QString firstLineTitle(QStringView text)
{
    LineSplitter lines(text);
    for (QStringView line; lines.next(line);) {
        if (!isBlankLine(line))
            return lineTitle(line);
    }
    return {};
}

QString titleOrFileStem(QString title, const QString &path)
{
    if (title.isEmpty())
        title = firstLineTitle(fileStem(path));
    return title.isEmpty() ? QStringLiteral("Заметка") : title;
}

// The most octets that MaxTitleCharacters characters take in UTF-8. Decoded, as many octets
// give at least as many characters, whole ones first: an ill-formed octet becomes one U+FFFD.
constexpr qsizetype MaxTitleOctets = 4 * MaxTitleCharacters;

} // namespace

QString titleText(QStringView text, qsizetype characters)
{
    qsizetype at = 0;
    for (qsizetype counted = 0; at < text.size() && counted < characters; ++counted)
        at += text[at].isHighSurrogate() && at + 1 < text.size() && text[at + 1].isLowSurrogate()
                  ? 2
                  : 1;
    QString title = text.first(at).toString();
    for (QChar &c : title) {
        if (becomesBlank(c.unicode()))
            c = u' ';
    }
    return title.trimmed();
}

QString noteTitle(QStringView body, const QString &path)
{
    return titleOrFileStem(firstLineTitle(body), path);
}

QString noteTitleOfOctets(QByteArrayView body, const QString &path)
{
    const char *p = body.data();
    const char *const end = p + body.size();
    while (p < end) {
        const char *const lineEnd = findLineBreak(p, end);
        const QByteArrayView line(p, lineEnd);
        // A title needs the line's first characters; only a line that is blank as far as they
        // go is read whole, to see whether it is blank.
        const QString start = qvUTF8ToUNICODE(line.first(std::min(line.size(), MaxTitleOctets)));
        if (!isBlankLine(start) ||
            (line.size() > MaxTitleOctets && !isBlankLine(qvUTF8ToUNICODE(line))))
            return titleOrFileStem(lineTitle(start), path);
        p = lineEnd;
        if (p < end && *p == '\r')
            ++p;
        if (p < end && *p == '\n')
            ++p;
    }
    return titleOrFileStem({}, path);
}

QString noteTitle(const ExportedNote &note)
{
    return note.bodyOctets.isNull() ? noteTitle(note.view.txtBody, note.file)
                                    : noteTitleOfOctets(note.bodyOctets, note.file);
}

QString fileStem(const QString &path)
{
    const QString name = qvGetFileName(path);
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot > 0 ? name.first(dot) : name;
}
