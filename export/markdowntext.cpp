// SPDX-License-Identifier: GPL-3.0-or-later
#include "markdowntext.h"

#include "linesplitter.h"

#include <QList>
#include <QRegularExpression>

#include <algorithm>

namespace {

bool isAsciiPunctuation(QChar c)
{
    return c.unicode() < 0x80 && (c.isPunct() || QStringView(u"$+<=>^`|~").contains(c));
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

// The character before or after position `at` of `line`, a blank beyond either end.
QChar before(QStringView line, qsizetype at)
{
    return at > 0 ? line[at - 1] : QChar(u' ');
}

QChar after(QStringView line, qsizetype at)
{
    return at + 1 < line.size() ? line[at + 1] : QChar(u' ');
}

// Whether the line from `at` on is a run of `c` with nothing but blanks around and between.
bool isRunOf(QStringView line, qsizetype at, QChar c)
{
    for (; at < line.size(); ++at) {
        if (line[at] != c && !isBlank(line[at]))
            return false;
    }
    return true;
}

// Where a line's block marker stands that needs a backslash, or -1.
qsizetype blockMarker(QStringView line)
{
    qsizetype at = 0;
    while (at < line.size() && isBlank(line[at]))
        ++at;
    if (at == line.size())
        return -1;
    const QChar c = line[at];
    const QChar next = after(line, at);
    if (c == u'>' || (c == u'#' && (isBlank(next) || next == u'#')))
        return at;
    if ((c == u'-' || c == u'+' || c == u'*') && isBlank(next))
        return at;
    if ((c == u'-' || c == u'=' || c == u'*' || c == u'_') && isRunOf(line, at, c))
        return at;
    if ((c == u'~' || c == u'`') && line.sliced(at).startsWith(QString(3, c)))
        return at;
    qsizetype digits = at;
    while (digits < line.size() && digits - at < 10 && line[digits].isDigit())
        ++digits;
    if (digits > at && digits < line.size() && (line[digits] == u'.' || line[digits] == u')') &&
        isBlank(after(line, digits)))
        return digits;
    return -1;
}

// A line of pipes, dashes, colons and blanks with a dash and a pipe: a table's delimiter row.
bool isDelimiterRow(QStringView line)
{
    bool pipe = false;
    bool dash = false;
    for (const QChar c : line) {
        if (c == u'|')
            pipe = true;
        else if (c == u'-')
            dash = true;
        else if (c != u':' && !isBlank(c))
            return false;
    }
    return pipe && dash;
}

bool startsReference(QStringView rest)
{
    static const QRegularExpression Reference(
        QStringLiteral("^&(?:#[0-9]{1,7}|#[xX][0-9a-fA-F]{1,6}|[A-Za-z][A-Za-z0-9]{1,31});"));
    return Reference.match(rest.first(std::min<qsizetype>(rest.size(), 40))).hasMatch();
}

// Whether the character at `at` needs a backslash where it stands. `lastClose` is the position
// in the line of the body's last "]" (past the end when it is on a later line).
bool needsEscape(QStringView line, qsizetype at, qsizetype lastClose)
{
    const QChar c = line[at];
    const QChar prev = before(line, at);
    const QChar next = after(line, at);
    switch (c.unicode()) {
    case u'`':
        return true;
    case u'\\':
        return at + 1 == line.size() || isAsciiPunctuation(next);
    case u'*':
    case u'~':
    case u'$':
        return !(prev.isSpace() && next.isSpace());
    case u'_':
        return !(prev.isSpace() && next.isSpace()) &&
               !(prev.isLetterOrNumber() && next.isLetterOrNumber());
    case u'[':
        return at < lastClose;
    case u'<':
        return next.isLetter() || next == u'/' || next == u'!' || next == u'?';
    case u'&':
        return startsReference(line.sliced(at));
    case u'=': // ==highlight==
    case u'%': // %%a comment%%
        return prev == c || next == c;
    case u'#': // a #tag
        return !prev.isLetterOrNumber() &&
               (next.isLetterOrNumber() || next == u'_' || next == u'-' || next == u'/');
    default:
        return false;
    }
}

// Whether a line holds nothing but blanks: to CommonMark, a blank line that ends a paragraph.
bool isBlankLine(QStringView line)
{
    return std::all_of(line.begin(), line.end(), isBlank);
}

// How a blank or tab that starts a line is written: as no-break spaces, which show the
// indentation and never start a code block.
constexpr QStringView IndentSpace = u"\u00A0";
constexpr QStringView IndentTab = u"\u00A0\u00A0\u00A0\u00A0";

} // namespace

QString markdownText(QStringView body)
{
    QList<QStringView> lines;
    LineSplitter splitter(body);
    for (QStringView line; splitter.next(line);)
        lines.append(line);
    QString out;
    out.reserve(body.size() + body.size() / 16);
    // Whether a "[" has a "]" after it: the position of the body's last one.
    const qsizetype bodyLastClose = body.lastIndexOf(u']');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QStringView line = lines[i];
        if (i > 0)
            out += u'\n';
        if (isBlankLine(line)) {
            out += line;
            continue;
        }
        const qsizetype marker = blockMarker(line);
        const bool delimiterRow = isDelimiterRow(line);
        const qsizetype lastClose = bodyLastClose - (line.utf16() - body.utf16());
        qsizetype plain = 0;
        for (; plain < line.size() && isBlank(line[plain]); ++plain)
            out += line[plain] == u' ' ? IndentSpace : IndentTab;
        for (qsizetype at = plain; at < line.size(); ++at) {
            if (at == marker || (delimiterRow && line[at] == u'|') ||
                needsEscape(line, at, lastClose)) {
                out += line.sliced(plain, at - plain);
                out += u'\\';
                plain = at;
            }
        }
        out += line.sliced(plain);
        // A line break within a paragraph shows as one.
        if (i + 1 < lines.size() && !isBlankLine(lines[i + 1]))
            out += u'\\';
    }
    return out;
}
