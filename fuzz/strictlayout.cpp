// SPDX-License-Identifier: GPL-3.0-or-later
#include "strictlayout.h"

#include "qvtext.h"

#include <QStringList>

namespace {

const QString BodyMarker = QStringLiteral("BODY;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=");

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

bool isHexDigit(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f');
}

bool isAscii(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

bool isMarker(QStringView line)
{
    const QStringView word = qvTrimEx(line);
    return word.compare(u"BEGIN:VNOTE", Qt::CaseInsensitive) == 0 ||
           word.compare(u"END:VNOTE", Qt::CaseInsensitive) == 0;
}

// The line ends agree with the convention its first line end sets.
bool hasOneLineEndConvention(const QString &text)
{
    qsizetype first = 0;
    while (first < text.size() && text[first] != u'\r' && text[first] != u'\n')
        ++first;
    const bool crOnly = first < text.size() && text[first] == u'\r' &&
                        (first + 1 == text.size() || text[first + 1] != u'\n');
    if (crOnly)
        return true;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' && (i + 1 == text.size() || text[i + 1] != u'\n'))
            return false;
    }
    return true;
}

QStringList strictLines(const QString &text)
{
    QString uniform = text;
    uniform.replace(QStringLiteral("\r\n"), QStringLiteral("\r")).replace(u'\n', u'\r');
    return qvTrimCRLF(uniform).split(u'\r');
}

// A VERSION, DCREATED or LAST-MODIFIED line both readings take alike; false for other lines.
bool isSharedField(const QString &line, bool &ok)
{
    static const QStringList Prefixes{QStringLiteral("VERSION:"), QStringLiteral("DCREATED:"),
                                      QStringLiteral("LAST-MODIFIED:")};
    const QString upper = qvTrimEx(line).toUpper();
    for (const QString &prefix : Prefixes) {
        if (!upper.startsWith(prefix))
            continue;
        const QString value = upper.mid(prefix.size());
        // A value is decoded on its own in the lenient reading, where a leading U+FEFF is taken
        // for a byte-order mark, as the body decoding does.
        ok = isAscii(QStringView(line).first(prefix.size())) && !value.startsWith(u' ') &&
             !value.startsWith(u'\t') && !value.startsWith(QChar(0xFEFF)) && value != BodyMarker;
        if (prefix != Prefixes.first())
            ok = ok && !value.endsWith(u'Z') && !value.contains(u'-');
        return true;
    }
    return false;
}

bool headerLineIsShared(const QString &line)
{
    if (line.isEmpty())
        return true;
    if (isBlank(line.front()) || isMarker(line))
        return false;
    bool ok = false;
    if (isSharedField(line, ok))
        return ok;
    // Any other property is ignored by both when it has no parameter or group, and is none of
    // those the lenient reading takes (whose names it finds with blanks around them too).
    const qsizetype colon = line.indexOf(u':');
    if (colon < 0)
        return true;
    const QStringView name = QStringView(line).first(colon);
    if (name.contains(u';') || name.contains(u'.'))
        return false;
    const QString upperName = qvTrimEx(name).toString().toUpper();
    static const QStringList Taken{QStringLiteral("BODY"),     QStringLiteral("NOTE"),
                                   QStringLiteral("SUMMARY"),  QStringLiteral("VERSION"),
                                   QStringLiteral("DCREATED"), QStringLiteral("LAST-MODIFIED")};
    return !Taken.contains(upperName);
}

bool bodyLineIsShared(QStringView line, bool first, bool last)
{
    if (line.isEmpty())
        return last;
    // After a soft break, the strict reading takes the start of a line for the rest of an
    // escape: it keeps two hexadecimal digits there as an octet and drops other text.
    if (isBlank(line.front()) || isMarker(line) || (!first && line.front() != u'='))
        return false;
    QStringView content = qvTrimEx(line);
    if (content.endsWith(u'='))
        content.chop(1);
    else if (!last)
        return false;
    for (qsizetype i = 0; i < content.size(); ++i) {
        if (content[i] != u'=')
            continue;
        if (i + 2 >= content.size() || !isHexDigit(content[i + 1]) || !isHexDigit(content[i + 2]))
            return false;
        i += 2;
    }
    return true;
}

} // namespace

bool isInStrictLayout(const QString &text)
{
    if (text.contains(QChar::ReplacementCharacter) || !text.isValidUtf16() ||
        !hasOneLineEndConvention(text))
        return false;
    const QStringList lines = strictLines(text);
    if (lines.size() < 2 || lines.first() != u"BEGIN:VNOTE" || lines.last() != u"END:VNOTE")
        return false;
    qsizetype at = 1;
    const qsizetype end = lines.size() - 1;
    for (; at < end; ++at) {
        const QString upper = qvTrimEx(lines[at]).toUpper();
        if (upper == BodyMarker)
            break;
        if (!headerLineIsShared(lines[at]))
            return false;
    }
    if (at == end)
        return true; // no body
    if (!isAscii(lines[at]) || isBlank(lines[at].front()))
        return false;
    // The strict lines between the markers lose their empty ones at either end.
    qsizetype last = end;
    while (last > at + 1 && lines[last - 1].isEmpty())
        --last;
    QString joined;
    for (qsizetype i = at + 1; i < last; ++i) {
        if (!bodyLineIsShared(lines[i], i == at + 1, i == last - 1))
            return false;
        joined += qvTrimEx(lines[i]);
    }
    const QString first = joined.left(joined.indexOf(u'='));
    return !(first.size() == 2 && isHexDigit(first[0]) && isHexDigit(first[1]));
}
