// SPDX-License-Identifier: GPL-3.0-or-later
#include "gammunotes.h"

#include "hexdigit.h"

#include <QStringDecoder>

#include <algorithm>
#include <optional>

namespace {

// A text in UTF-16 big-endian without its mark starts with a zero octet: INI text is ASCII.
bool isBareUtf16BigEndian(QByteArrayView bytes)
{
    return bytes.size() >= 2 && bytes[0] == '\0' && bytes[1] != '\0';
}

QString textOf(QByteArrayView bytes)
{
    if (isBareUtf16BigEndian(bytes))
        return QStringDecoder(QStringDecoder::Utf16BE).decode(bytes);
    return QString::fromUtf8(bytes);
}

// The first line that is neither blank nor a comment, trimmed; empty when there is none.
QStringView firstLine(QStringView text)
{
    for (QStringView line : text.tokenize(u'\n')) {
        line = line.trimmed();
        if (!line.isEmpty() && !line.startsWith(u';') && !line.startsWith(u'#'))
            return line;
    }
    return {};
}

bool isNoteSection(QStringView name)
{
    if (name.size() <= 4 || !name.startsWith(u"note", Qt::CaseInsensitive))
        return false;
    const QStringView number = name.sliced(4);
    return std::all_of(number.begin(), number.end(), [](QChar c) { return c.isDigit(); });
}

// Gammu's escapes undone; a backslash before anything else stays.
QString unescaped(QStringView value)
{
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c != u'\\' || i + 1 == value.size()) {
            out += c;
            continue;
        }
        const QChar next = value[i + 1];
        if (next == u'n')
            out += u'\n';
        else if (next == u'r')
            out += u'\r';
        else if (next == u'\\' || next == u'"')
            out += next;
        else {
            out += c;
            continue;
        }
        ++i;
    }
    return out;
}

// Text's value: between its quotes when it has them.
QString plainText(QStringView value)
{
    if (value.size() >= 2 && value.front() == u'"' && value.back() == u'"')
        value = value.sliced(1, value.size() - 2);
    return unescaped(value);
}

// TextUnicode's value: four hexadecimal digits a UTF-16 unit, big-endian; none when malformed. A
// surrogate without its partner becomes U+FFFD, as a decoder makes it.
std::optional<QString> hexText(QStringView value)
{
    if (value.size() % 4 != 0)
        return std::nullopt;
    QString out(value.size() / 4, Qt::Uninitialized);
    for (qsizetype i = 0; i < out.size(); ++i) {
        int unit = 0;
        for (qsizetype digit = 4 * i; digit < 4 * i + 4; ++digit) {
            const int nibble = hexValue(value[digit].unicode());
            if (nibble < 0)
                return std::nullopt;
            unit = unit * 16 + nibble;
        }
        out[i] = QChar(char16_t(unit));
    }
    for (qsizetype i = 0; i < out.size(); ++i) {
        if (out[i].isHighSurrogate() && i + 1 < out.size() && out[i + 1].isLowSurrogate())
            ++i;
        else if (out[i].isSurrogate())
            out[i] = QChar::ReplacementCharacter;
    }
    return out;
}

} // namespace

bool isGammuBackup(QByteArrayView bytes)
{
    // Gammu's header is a few comment lines: the start of a file tells, and a large note file is
    // not decoded whole to find it is no backup.
    constexpr qsizetype HeadBytes = 64 * 1024;
    const QString head = textOf(bytes.first(std::min(bytes.size(), HeadBytes)));
    const QStringView first = firstLine(head);
    if (!first.startsWith(u'['))
        return false;
    return first.compare(u"[Backup]", Qt::CaseInsensitive) == 0 || GammuNotes(bytes).count() > 0;
}

GammuNotes::GammuNotes(QByteArrayView bytes)
{
    const QString text = textOf(bytes);
    bool inNote = false;
    std::optional<QString> plain;
    std::optional<QString> unicode;
    const auto close = [&] {
        if (inNote)
            m_texts.append(unicode ? *unicode : plain.value_or(QString()));
        plain.reset();
        unicode.reset();
    };
    for (QStringView line : QStringView(text).tokenize(u'\n')) {
        line = line.trimmed();
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            close();
            inNote = isNoteSection(line.sliced(1, line.size() - 2).trimmed());
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (!inNote || equals < 0)
            continue;
        const QStringView key = line.first(equals).trimmed();
        const QStringView value = line.sliced(equals + 1).trimmed();
        if (key.compare(u"Text", Qt::CaseInsensitive) == 0 && !plain)
            plain = plainText(value);
        else if (key.compare(u"TextUnicode", Qt::CaseInsensitive) == 0 && !unicode)
            unicode = hexText(value);
    }
    close();
}

bool GammuNotes::next(NoteView &note)
{
    if (m_next == m_texts.size())
        return false;
    note = NoteView();
    note.txtBody = m_texts.at(m_next++);
    return true;
}
