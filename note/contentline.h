// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "bytelines.h"
#include "vnoteblocks.h"

#include <QByteArrayView>

// How a value is written, from its ENCODING parameter (or a bare one). Anything unknown is None.
enum class ValueEncoding { None, QuotedPrintable, Base64, EightBit, SevenBit };

// The lines that frame values. In a note file, its marker lines (see markerLine): they end a value
// and the note's properties. In a calendar file, its component lines, which start with "BEGIN:"
// or "END:" in any letter case: they end a value, and are properties themselves.
enum class Framing { VNote, Calendar };

// Whether a calendar's line begins or ends a component.
bool isComponentLine(QByteArrayView line);

// The pieces of one value, as the lines that hold it give them: the rest of the property line,
// then each line that continues it. A line that starts with a blank or tab continues any value
// (without that one character). A quoted-printable line ending in "=" (after its trailing blanks,
// which are dropped) continues on the next line, whole, and loses the "="; a BASE64 value also
// continues on unindented lines until an empty one. No value runs on into a line that frames
// values. Copies read the value independently.
class ValueCursor
{
public:
    ValueCursor() = default;
    ValueCursor(QByteArrayView firstLine, const ByteLines &following, ValueEncoding encoding)
        : m_first(firstLine), m_lines(following), m_encoding(encoding)
    {
    }

    // Starts over on another value, as constructing one would, but field by field in place: a
    // cursor built aside and copied in costs stalls on every property line.
    void start(QByteArrayView firstLine, const ByteLines &following, ValueEncoding encoding,
               Framing framing)
    {
        m_first = firstLine;
        m_lines = following;
        m_encoding = encoding;
        m_framing = framing;
        m_started = false;
        m_done = false;
        m_softBreak = false;
    }

    bool nextPiece(QByteArrayView &piece);
    // Reads past the rest of the value.
    void skip();
    // The lines after the value, once it has been read to its end.
    [[nodiscard]] const ByteLines &lines() const { return m_lines; }
    [[nodiscard]] ValueEncoding encoding() const { return m_encoding; }
    // The most bytes the value can span: all from its start to the end of its note.
    [[nodiscard]] qsizetype maxSize() const { return m_lines.end() - m_first.data(); }

private:
    QByteArrayView takeLine(QByteArrayView line);

    QByteArrayView m_first;
    ByteLines m_lines;
    ValueEncoding m_encoding = ValueEncoding::None;
    Framing m_framing = Framing::VNote;
    bool m_started = false;
    bool m_done = false;
    bool m_softBreak = false; // the last piece ended in a quoted-printable soft break
};

// One property of a note: NAME[;PARAM...]:VALUE, its parameters named (ENCODING=, CHARSET=) or
// bare, in any order and letter case; a parameter's value may be in double quotes, which keep a
// ":" or ";" in it.
struct ContentLine
{
    QByteArrayView name; // without a group prefix ("item1.")
    ValueEncoding encoding = ValueEncoding::None;
    QByteArrayView charset; // empty when none is named
    QByteArrayView tzid;    // a calendar's TZID parameter; empty when none is named
    // A calendar's component line (see isComponentLine), not just a property of its name.
    bool component = false;
    ValueCursor value;

    [[nodiscard]] bool isNamed(QByteArrayView upperName) const
    {
        return equalsIgnoringCase(name, upperName);
    }
};

// The properties of one note in order, from the line after its BEGIN marker up to the marker line
// that ends it: its END line, or a BEGIN line that starts the next note (the note is then cut
// off, and keeps what it has). Lines that are neither a property nor part of a value (no colon,
// or a folded line with nothing to continue) are passed over.
class ContentLineReader
{
public:
    // `lines` runs from the note's first line to the end of the file. A calendar's reader reads
    // every property up to the end of `lines`, component lines included.
    ContentLineReader(QByteArrayView lines, LineEnds ends, Framing framing = Framing::VNote)
        : m_lines(lines, ends), m_start(lines.data()), m_framing(framing)
    {
    }

    bool next(ContentLine &line);
    // The value of the line that next() returned last. Reading it here saves reading past it
    // again in the next call.
    [[nodiscard]] ValueCursor &currentValue() { return m_current; }
    // Passes over every line up to the next component line, for a calendar's reader that wants
    // nothing in between: what lies between a component line and the next is read as properties
    // only when asked for.
    void skipToComponentLine();

    // Once next() has returned false: the note's lines, the marker that ended them (None at the
    // end of the file) and where the line after that marker starts.
    [[nodiscard]] QByteArrayView noteLines() const;
    [[nodiscard]] MarkerLine endMarker() const { return m_endMarker; }
    [[nodiscard]] const char *afterEnd() const { return m_lines.position(); }

private:
    ByteLines m_lines;
    const char *m_start;
    Framing m_framing;
    ValueCursor m_current;
    bool m_hasCurrent = false;
    MarkerLine m_endMarker = MarkerLine::None;
    const char *m_end = nullptr; // where the marker line starts, once it has been met
};
