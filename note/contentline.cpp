// SPDX-License-Identifier: GPL-3.0-or-later
#include "contentline.h"

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
        // One pass over the head, which is a few characters: a library call for each of its
        // separators would cost more than the search.
        qsizetype colon = 0;
        qsizetype semicolon = -1;
        qsizetype dot = -1; // the last of the name's, which ends a group prefix
        for (; colon < text.size() && text[colon] != ':'; ++colon) {
            if (semicolon >= 0)
                continue;
            if (text[colon] == ';')
                semicolon = colon;
            else if (text[colon] == '.')
                dot = colon;
        }
        if (colon == text.size())
            continue;
        const QByteArrayView head = text.first(colon);
        QByteArrayView name = trimBlanks(semicolon < 0 ? head : head.first(semicolon));
        if (dot >= 0) // not a blank, so within the trimmed name
            name = QByteArrayView(text.data() + dot + 1, name.data() + name.size());
        line.name = name;
        line.encoding = ValueEncoding::None;
        line.charset = {};
        line.tzid = {};
        if (semicolon >= 0) {
            QByteArrayView parameters = head.sliced(semicolon + 1);
            for (qsizetype end; (end = parameters.indexOf(';')) >= 0;) {
                readParameter(parameters.first(end), line);
                parameters = parameters.sliced(end + 1);
            }
            readParameter(parameters, line);
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
