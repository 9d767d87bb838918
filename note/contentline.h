#pragma once

#include "bytelines.h"

#include <QByteArrayView>

// How a value is written, from its ENCODING parameter (or a bare one). Anything unknown is None.
enum class ValueEncoding { None, QuotedPrintable, Base64, EightBit, SevenBit };

// The pieces of one value, as the lines that hold it give them: the rest of the property line,
// then each line that continues it. A line that starts with a blank or tab continues any value
// (without that one character). A quoted-printable line ending in "=" (after its trailing blanks,
// which are dropped) continues on the next line, whole, and loses the "="; a BASE64 value also
// continues on unindented lines until an empty one. Copies read the value independently.
class ValueCursor
{
public:
    ValueCursor() = default;
    ValueCursor(QByteArrayView firstLine, const ByteLines &following, ValueEncoding encoding)
        : m_first(firstLine), m_lines(following), m_encoding(encoding)
    {
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
    bool m_started = false;
    bool m_done = false;
    bool m_softBreak = false; // the last piece ended in a quoted-printable soft break
};

// One property of a note: NAME[;PARAM...]:VALUE, its parameters named (ENCODING=, CHARSET=) or
// bare, in any order and letter case.
struct ContentLine
{
    QByteArrayView name; // without a group prefix ("item1.")
    ValueEncoding encoding = ValueEncoding::None;
    QByteArrayView charset; // empty when none is named
    ValueCursor value;

    [[nodiscard]] bool isNamed(QByteArrayView upperName) const;
};

// The properties of one VNOTE block in order. Lines that are neither a property nor part of a
// value (no colon, or a folded line with nothing to continue) are passed over.
class ContentLineReader
{
public:
    ContentLineReader(QByteArrayView block, LineEnds ends) : m_lines(block, ends) {}

    bool next(ContentLine &line);
    // The value of the line that next() returned last. Reading it here saves reading past it
    // again in the next call.
    [[nodiscard]] ValueCursor &currentValue() { return m_current; }

private:
    ByteLines m_lines;
    ValueCursor m_current;
    bool m_hasCurrent = false;
};
