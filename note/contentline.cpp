// SPDX-License-Identifier: GPL-3.0-or-later
#include "contentline.h"

#include "linesplitter.h"

#include <cstring>

namespace {

ValueEncoding encodingNamed(QByteArrayView name)
{
    if (equalsIgnoringCase(name, "QUOTED-PRINTABLE"))
        return ValueEncoding::QuotedPrintable;
    if (equalsIgnoringCase(name, "BASE64") || equalsIgnoringCase(name, "B"))
        return ValueEncoding::Base64;
    if (equalsIgnoringCase(name, "8BIT"))
        return ValueEncoding::EightBit;
    if (equalsIgnoringCase(name, "7BIT"))
        return ValueEncoding::SevenBit;
    return ValueEncoding::None;
}

bool isEncodingName(QByteArrayView name)
{
    return encodingNamed(name) != ValueEncoding::None || equalsIgnoringCase(name, "NONE");
}

// A parameter value without the double quotes that later vCard versions put around it.
QByteArrayView unquoted(QByteArrayView value)
{
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        return value.sliced(1, value.size() - 2);
    return value;
}

void readParameter(QByteArrayView parameter, ContentLine &line)
{
    parameter = trimBlanks(parameter);
    const qsizetype equals = parameter.indexOf('=');
    if (equals < 0) {
        if (isEncodingName(parameter))
            line.encoding = encodingNamed(parameter);
        return;
    }
    const QByteArrayView key = trimBlanks(parameter.first(equals));
    const QByteArrayView value = unquoted(trimBlanks(parameter.sliced(equals + 1)));
    if (equalsIgnoringCase(key, "ENCODING"))
        line.encoding = encodingNamed(value);
    else if (equalsIgnoringCase(key, "CHARSET"))
        line.charset = value;
    else if (equalsIgnoringCase(key, "TZID"))
        line.tzid = value;
}

// Whether `line` starts with `upper` (ASCII, upper case) in any letter case.
bool startsIgnoringCase(QByteArrayView line, QByteArrayView upper)
{
    return line.size() >= upper.size() && equalsIgnoringCase(line.first(upper.size()), upper);
}

// Whether a quote at `quote` opens the value of the parameter that starts at `parameter`: only
// blanks lie between the quote and the parameter's first "=".
bool opensValue(const char *parameter, const char *quote)
{
    const QByteArrayView before = chopTrailingBlanks(QByteArrayView(parameter, quote));
    return before.endsWith('=') && before.indexOf('=') == before.size() - 1;
}

// Reads the parameters that start at `from`, each up to the next ";", the last up to the ":"
// that starts the value; returns where that colon is, or -1 when there is none. With `quotes`, a
// ":" or ";" in a value between double quotes belongs to the value, as later vCard versions
// quote values that hold them; a quote with no partner on the line quotes nothing.
qsizetype readParameters(QByteArrayView text, qsizetype from, bool quotes, ContentLine &line)
{
    const char *const begin = text.data();
    const char *const end = begin + text.size();
    const char *parameter = begin + from;
    for (const char *p = parameter; p < end; ++p) {
        const char c = *p;
        if (c == ';' || c == ':') {
            readParameter(QByteArrayView(parameter, p), line);
            if (c == ':')
                return p - begin;
            parameter = p + 1;
        } else if (c == '"' && quotes && opensValue(parameter, p)) {
            if (const auto *closing =
                    static_cast<const char *>(std::memchr(p + 1, '"', size_t(end - p - 1))))
                p = closing;
        }
    }
    return -1;
}

} // namespace

bool isComponentLine(QByteArrayView line)
{
    return startsIgnoringCase(line, "BEGIN:") || startsIgnoringCase(line, "END:");
}

QByteArrayView ValueCursor::takeLine(QByteArrayView line)
{
    m_softBreak = false;
    if (m_encoding != ValueEncoding::QuotedPrintable)
        return line;
    line = chopTrailingBlanks(line);
    if (line.endsWith('=')) {
        m_softBreak = true;
        line.chop(1);
    }
    return line;
}

bool ValueCursor::nextPiece(QByteArrayView &piece)
{
    if (m_done)
        return false;
    if (!m_started) {
        m_started = true;
        piece = takeLine(m_first);
        return true;
    }
    ByteLines probe = m_lines;
    QByteArrayView line;
    const auto framesValues = [this](QByteArrayView next) {
        return m_framing == Framing::VNote ? markerLine(next) != MarkerLine::None
                                           : isComponentLine(next);
    };
    if (!probe.next(line) || framesValues(line)) {
        m_done = true;
        return false;
    }
    if (m_softBreak) {
        m_lines = probe;
        piece = takeLine(line);
        return true;
    }
    if (!line.isEmpty() && isBlankOrTab(line.front())) {
        m_lines = probe;
        piece = takeLine(line.sliced(1));
        return true;
    }
    if (m_encoding == ValueEncoding::Base64 && !line.isEmpty()) {
        m_lines = probe;
        piece = line;
        return true;
    }
    m_done = true;
    return false;
}

void ValueCursor::skip()
{
    for (QByteArrayView piece; nextPiece(piece);) {
    }
}

void ContentLineReader::skipToComponentLine()
{
    m_hasCurrent = false; // the value read last goes with the rest
    const char *at = m_lines.position();
    const char *const end = m_lines.end();
    if (m_lines.lineEnds() == LineEnds::LineFeed) {
        // A component line starts with a B or an E, after a line feed: a block at a time.
        while (at != end && !isComponentLine(QByteArrayView(at, end)))
            at = findLineStartingWithBOrE(at, end);
    } else {
        ByteLines probe = m_lines;
        for (QByteArrayView text;;) {
            at = probe.position();
            if (!probe.next(text) || isComponentLine(text))
                break;
        }
    }
    m_lines = ByteLines(QByteArrayView(at, end), m_lines.lineEnds());
}

bool ContentLineReader::next(ContentLine &line)
{
    if (m_hasCurrent) {
        m_current.skip();
        m_lines = m_current.lines();
        m_hasCurrent = false;
    }
    while (m_end == nullptr) {
        const char *const lineStart = m_lines.position();
        QByteArrayView text;
        if (!m_lines.next(text)) {
            m_end = lineStart;
            break;
        }
        if (m_framing == Framing::VNote) {
            m_endMarker = markerLine(text);
            if (m_endMarker != MarkerLine::None) {
                m_end = lineStart;
                break;
            }
        }
        if (text.isEmpty() || isBlankOrTab(text.front()))
            continue;
        // The name up to the first ";" or ":", in one pass: the head is a few characters, and a
        // library call for each of its separators would cost more than the search.
        qsizetype colon = 0;
        qsizetype dot = -1; // the last of the name's, which ends a group prefix
        for (; colon < text.size() && text[colon] != ':' && text[colon] != ';'; ++colon) {
            if (text[colon] == '.')
                dot = colon;
        }
        if (colon == text.size())
            continue;
        QByteArrayView name = trimBlanks(text.first(colon));
        if (dot >= 0) // not a blank, so within the trimmed name
            name = QByteArrayView(text.data() + dot + 1, name.data() + name.size());
        line.name = name;
        line.component = m_framing == Framing::Calendar && isComponentLine(text);
        line.encoding = ValueEncoding::None;
        line.charset = {};
        line.tzid = {};
        if (text[colon] == ';') {
            const qsizetype parameters = colon + 1;
            colon = readParameters(text, parameters, true, line);
            if (colon < 0) {
                // A quote that took the colon with it, as in a value that holds a quote after
                // one left open: the line as it reads without quotes.
                line.encoding = ValueEncoding::None;
                line.charset = {};
                line.tzid = {};
                colon = readParameters(text, parameters, false, line);
            }
            if (colon < 0)
                continue;
        }
        const QByteArrayView first = text.sliced(colon + 1);
        line.value.start(first, m_lines, line.encoding, m_framing);
        m_current.start(first, m_lines, line.encoding, m_framing);
        m_hasCurrent = true;
        return true;
    }
    return false;
}

QByteArrayView ContentLineReader::noteLines() const
{
    return {m_start, m_end};
}
