// SPDX-License-Identifier: GPL-3.0-or-later
#include "reference.h"

#include "parsenote.h"

#include <QStringDecoder>
#include <QStringList>

namespace {

bool isHexDigit(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f');
}

int hexValue(QChar c)
{
    if (c >= u'0' && c <= u'9')
        return c.unicode() - u'0';
    return c.toUpper().unicode() - u'A' + 10;
}

char octetOf(QChar high, QChar low)
{
    return static_cast<char>(hexValue(high) * 16 + hexValue(low));
}

// UTF-8 of a piece of literal text; a surrogate without its partner in the piece is U+FFFD.
QByteArray literalOctets(const QString &text)
{
    QString cleaned;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            cleaned += c;
            cleaned += text[++i];
        } else if (c.isSurrogate()) {
            cleaned += QChar(QChar::ReplacementCharacter);
        } else {
            cleaned += c;
        }
    }
    return cleaned.toUtf8();
}

template <typename IsTrimmed> QString trimmed(const QString &text, IsTrimmed isTrimmed)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isTrimmed(text[begin]))
        ++begin;
    while (end > begin && isTrimmed(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

QString trimBlanks(const QString &text)
{
    return trimmed(text, [](QChar c) { return c == u' ' || c == u'\t'; });
}

QString trimLineBreaks(const QString &text)
{
    return trimmed(text, [](QChar c) { return c == u'\r' || c == u'\n'; });
}

} // namespace

QString referenceDecodeBody(const QString &body)
{
    if (body.isEmpty())
        return QString::fromUtf8(QByteArray());
    const QStringList elements = body.split(u'=');
    QByteArray octets;
    for (qsizetype i = 0; i < elements.size(); ++i) {
        const QString &element = elements[i];
        const bool startsWithOctet =
            element.size() >= 2 && isHexDigit(element[0]) && isHexDigit(element[1]);
        if (i == 0) {
            if (element.size() == 2 && startsWithOctet)
                octets += octetOf(element[0], element[1]);
            else
                octets += literalOctets(element);
        } else if (startsWithOctet) {
            octets += octetOf(element[0], element[1]);
            octets += literalOctets(element.mid(2));
        }
    }
    return QString::fromUtf8(octets);
}

QString referenceParseNote(const QString &text, NoteView &view, const DateDisplay &display)
{
    QString work = text;
    work.replace(QStringLiteral("\r\n"), QStringLiteral("\r"));
    work.replace(u'\n', u'\r');
    work = trimLineBreaks(work);
    if (work.size() < 12 || work.left(12) != QStringLiteral("BEGIN:VNOTE\r"))
        return beginMarkerMissingMessage();
    if (work.size() < 10 || work.right(10) != QStringLiteral("\rEND:VNOTE"))
        return endMarkerMissingMessage();
    work = work.mid(12);
    work = work.size() <= 10 ? QString() : work.left(work.size() - 10);
    work = trimLineBreaks(work);

    const QStringList lines = work.isEmpty() ? QStringList() : work.split(u'\r');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString line = trimBlanks(lines[i]).toUpper();
        if (line.startsWith(QStringLiteral("VERSION:"))) {
            line = line.mid(8);
            view.txtVersion = line;
        } else if (line.startsWith(QStringLiteral("DCREATED:"))) {
            line = line.mid(9);
            view.txtDateCreated = FormatStamp(line, display);
        } else if (line.startsWith(QStringLiteral("LAST-MODIFIED:"))) {
            line = line.mid(14);
            view.txtDateModified = FormatStamp(line, display);
        }
        if (line == QStringLiteral("BODY;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=")) {
            QString body;
            for (qsizetype j = i + 1; j < lines.size(); ++j)
                body += trimBlanks(lines[j]);
            view.txtBody = referenceDecodeBody(body);
            break;
        }
    }
    return {};
}

QString referenceDecodeText(const QByteArray &bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.mid(3));
    for (const auto &[mark, encoding] :
         {std::pair{QByteArrayLiteral("\xFF\xFE"), QStringConverter::Utf16LE},
          std::pair{QByteArrayLiteral("\xFE\xFF"), QStringConverter::Utf16BE}}) {
        if (bytes.startsWith(mark)) {
            QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
            return decoder.decode(bytes.mid(2));
        }
    }
    return QString::fromUtf8(bytes);
}

ReferenceNotes referenceNoteLines(QByteArrayView bytes)
{
    ReferenceNotes found;
    qsizetype firstBreak = 0;
    while (firstBreak < bytes.size() && bytes[firstBreak] != '\r' && bytes[firstBreak] != '\n')
        ++firstBreak;
    const bool crOnly = firstBreak < bytes.size() && bytes[firstBreak] == '\r' &&
                        (firstBreak + 1 == bytes.size() || bytes[firstBreak + 1] != '\n');
    found.lineEnds = crOnly ? LineEnds::CarriageReturn : LineEnds::LineFeed;

    // Each line as its start, its text and where the next line starts.
    struct Line
    {
        qsizetype start;
        QByteArray text;
        qsizetype next;
    };
    QList<Line> lines;
    for (qsizetype at = 0; at < bytes.size();) {
        qsizetype end = at;
        while (end < bytes.size() && bytes[end] != '\n' && (!crOnly || bytes[end] != '\r'))
            ++end;
        QByteArray text = bytes.sliced(at, end - at).toByteArray();
        qsizetype next = end + 1;
        if (!crOnly && end < bytes.size() && text.endsWith('\r'))
            text.chop(1);
        if (crOnly && end + 1 < bytes.size() && bytes[end] == '\r' && bytes[end + 1] == '\n')
            ++next;
        lines.append({at, text, qMin(next, bytes.size())});
        at = next;
    }

    enum Kind { Blank, Begin, End, Other };
    const auto kindOf = [](const QByteArray &text) {
        const auto isBlank = [](char c) {
            return c == ' ' || c == '\t' || c == '\r';
        };
        qsizetype from = 0;
        qsizetype to = text.size();
        while (from < to && isBlank(text[from]))
            ++from;
        while (to > from && isBlank(text[to - 1]))
            --to;
        if (from == to)
            return Blank;
        const QByteArray word = text.mid(from, to - from).toUpper();
        return word == "BEGIN:VNOTE" ? Begin : word == "END:VNOTE" ? End : Other;
    };
    QList<Kind> kinds;
    for (const Line &line : lines)
        kinds.append(kindOf(line.text));
    qsizetype firstNonBlank = 0;
    while (firstNonBlank < kinds.size() && kinds[firstNonBlank] == Blank)
        ++firstNonBlank;
    qsizetype lastNonBlank = kinds.size() - 1;
    while (lastNonBlank >= 0 && kinds[lastNonBlank] == Blank)
        --lastNonBlank;
    if (firstNonBlank == kinds.size() || kinds[firstNonBlank] != Begin) {
        found.problem = VNoteFile::Problem::BeginMissing;
        return found;
    }
    if (kinds[lastNonBlank] != End)
        found.problem = VNoteFile::Problem::EndMissing;
    qsizetype open = -1;
    const auto close = [&](qsizetype end, bool cutOff) {
        found.notes.append(bytes.sliced(open, end - open));
        found.cutOff.append(cutOff);
    };
    for (qsizetype i = firstNonBlank; i < lines.size(); ++i) {
        if (kinds[i] == Begin) {
            if (open >= 0)
                close(lines[i].start, true);
            open = lines[i].next;
        } else if (kinds[i] == End && open >= 0) {
            close(lines[i].start, false);
            open = -1;
        }
    }
    if (open >= 0)
        close(bytes.size(), true);
    return found;
}
