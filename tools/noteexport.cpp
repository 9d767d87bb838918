// SPDX-License-Identifier: GPL-3.0-or-later
#include "noteexport.h"

#include "messagesink.h"
#include "parsenote.h"
#include "qverror.h"
#include "qvfilename.h"
#include "qvutf8.h"
#include "textfilereader.h"

#include <algorithm>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

class RecordingSink : public MessageSink
{
public:
    void showCritical(const QString &message) override { text = message; }
    QString text;
};

// The most bytes one UTF-16 unit can take in a JSON string: a control character as \u00XX.
constexpr qsizetype MaxJsonBytesPerUnit = 6;
// Text is encoded in blocks of this many units, so the room made ahead stays small.
constexpr qsizetype JsonBlockUnits = 64 * 1024;

bool isPlainJsonAscii(char16_t c)
{
    return c >= 0x20 && c < 0x80 && c != u'"' && c != u'\\';
}

constexpr char Hex[] = "0123456789abcdef";

// Writes `unit` as a JSON \u escape.
char *writeUnitEscape(char *out, char16_t unit)
{
    *out++ = '\\';
    *out++ = 'u';
    for (int shift = 12; shift >= 0; shift -= 4)
        *out++ = Hex[(unit >> shift) & 0xF];
    return out;
}

// Encodes `units` into `out` (which has MaxJsonBytesPerUnit bytes of room per unit) as the body
// of a JSON string in UTF-8. A surrogate without its partner, such as an octet of a file name
// that is not UTF-8, is written as its \u escape, so that the string is exactly the text.
// Returns the end of the bytes written.
char *encodeJson(QStringView units, char *out)
{
    const char16_t *p = units.utf16();
    const char16_t *const end = p + units.size();
    while (p < end) {
#if defined(__SSE2__)
        if (end - p >= 8) {
            const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
            const __m128i escaped = _mm_or_si128(
                _mm_cmplt_epi16(chunk, _mm_set1_epi16(0x20)), // and every unit from 0x8000 up
                _mm_or_si128(_mm_cmpeq_epi16(chunk, _mm_set1_epi16('"')),
                             _mm_cmpeq_epi16(chunk, _mm_set1_epi16('\\'))));
            const __m128i wide = _mm_cmpgt_epi16(chunk, _mm_set1_epi16(0x7F));
            if (_mm_movemask_epi8(_mm_or_si128(escaped, wide)) == 0) {
                // Eight plain ASCII characters.
                _mm_storel_epi64(reinterpret_cast<__m128i *>(out), _mm_packus_epi16(chunk, chunk));
                p += 8;
                out += 8;
                continue;
            }
            const __m128i wider = _mm_cmpgt_epi16(chunk, _mm_set1_epi16(0x7FF));
            if (_mm_movemask_epi8(_mm_or_si128(escaped, wider)) == 0) {
                // Eight of ASCII and two-byte characters mixed, as in Cyrillic text, chosen
                // without a branch: one per character would mispredict at every change. The
                // second byte is written either way and overwritten after a one-byte character.
                for (int i = 0; i < 8; ++i) {
                    const unsigned c = p[i];
                    const bool twoBytes = c >= 0x80;
                    out[0] = static_cast<char>(twoBytes ? 0xC0 | (c >> 6) : c);
                    out[1] = static_cast<char>(0x80 | (c & 0x3F));
                    out += twoBytes ? 2 : 1;
                }
                p += 8;
                continue;
            }
        }
#endif
        const char16_t c = *p++;
        if (isPlainJsonAscii(c)) {
            *out++ = static_cast<char>(c);
        } else if (c < 0x80) {
            *out++ = '\\';
            switch (c) {
            case u'"':
                *out++ = '"';
                break;
            case u'\\':
                *out++ = '\\';
                break;
            case u'\n':
                *out++ = 'n';
                break;
            case u'\r':
                *out++ = 'r';
                break;
            case u'\t':
                *out++ = 't';
                break;
            default:
                out = writeUnitEscape(out - 1, c);
            }
        } else if (QChar::isHighSurrogate(c) && p < end && QChar::isLowSurrogate(*p)) {
            out = qvWriteUtf8(out, QChar::surrogateToUcs4(c, *p++));
        } else if (QChar::isSurrogate(c)) {
            out = writeUnitEscape(out, c);
        } else {
            out = qvWriteUtf8(out, c);
        }
    }
    return out;
}

// Appends `text` as a JSON string. Written by hand rather than through QJsonDocument so that the
// keys keep their documented order, and straight from UTF-16 so that a body of many megabytes is
// neither copied to UTF-8 first nor escaped a byte at a time.
void appendJsonString(QByteArray &out, QStringView text)
{
    qsizetype used = out.size();
    const auto room = [&](qsizetype bytes) {
        // Within the capacity first: growing past it copies everything written so far.
        if (out.size() - used < bytes)
            out.resize(used + bytes <= out.capacity() ? out.capacity()
                                                      : std::max(used + bytes, 2 * out.capacity()));
        return out.data() + used;
    };
    *room(1) = '"';
    ++used;
    for (qsizetype at = 0; at < text.size();) {
        // A block ends before a high surrogate whose partner is in the next block.
        qsizetype length = std::min(JsonBlockUnits, text.size() - at);
        if (at + length < text.size() && QChar::isHighSurrogate(text[at + length - 1].unicode()))
            --length;
        char *const first = room(length * MaxJsonBytesPerUnit);
        used += encodeJson(text.sliced(at, length), first) - first;
        at += length;
    }
    *room(1) = '"';
    ++used;
    out.resize(used);
}

void appendJsonMember(QByteArray &out, const char *key, const QString &value, bool last = false)
{
    out.append("    \"").append(key).append("\": ");
    appendJsonString(out, value);
    out.append(last ? "\n" : ",\n");
}

// Appends `text` to `out` as toTerminalText writes it.
void appendVisible(QString &out, QStringView text)
{
    qsizetype plain = 0; // the first unit not yet appended; none from there on needs an escape
    const auto escape = [&](qsizetype at, const char *form, unsigned value) {
        out += text.sliced(plain, at - plain);
        out += QString::asprintf(form, value);
        plain = at + 1;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c >= 0x20 && c < 0x7F)
            continue;
        const bool next = i + 1 < text.size();
        const bool lineEnd = c == u'\n' || (c == u'\r' && next && text[i + 1] == u'\n');
        if ((c < 0x20 && c != u'\t' && !lineEnd) || c == 0x7F)
            escape(i, "\\x%02X", c);
        else if (c >= 0x80 && c < 0xA0)
            escape(i, "\\u%04X", c);
        else if (QChar::isHighSurrogate(c) && next && QChar::isLowSurrogate(text[i + 1].unicode()))
            ++i;
        else if (qvIsEscapedOctet(c))
            escape(i, "\\x%02X", qvEscapedOctet(c));
        else if (QChar::isSurrogate(c))
            escape(i, "\\u%04X", c);
    }
    out += text.sliced(plain);
}

ExportedNote unreadable(const QString &path, const QvError &failure)
{
    ExportedNote note;
    note.file = path;
    note.error = readFailureMessage(path);
    note.readFailure = failure.description();
    return note;
}

ExportedNote readAndParse(const QString &path, const DateDisplay &display)
{
    QString text;
    try {
        text = TextFileReader::shared().ReadAllText(path);
    } catch (const QvError &failure) {
        return unreadable(path, failure);
    }
    ExportedNote note;
    note.file = path;
    RecordingSink messages;
    note.accepted = ParseNote(text, note.view, display, messages);
    if (note.accepted)
        note.view.title = NoteView::titleFor(path);
    else
        note.view = NoteView(); // a rejected note leaves the view empty
    note.error = messages.text;
    return note;
}

// The note as one object of the JSON array.
QByteArray jsonPart(const ExportedNote &note, bool first)
{
    // Room for everything but control characters, so that a large body is not copied as the
    // object grows.
    QByteArray out;
    out.reserve(512 + 3 * (note.file.size() + note.view.title.size() + note.view.txtVersion.size() +
                           note.view.txtDateCreated.size() + note.view.txtDateModified.size() +
                           note.view.txtBody.size() + note.error.size()));
    out.append(first ? "\n  {\n" : ",\n  {\n");
    appendJsonMember(out, "file", note.file);
    out.append("    \"accepted\": ").append(note.accepted ? "true" : "false").append(",\n");
    appendJsonMember(out, "title", note.view.title);
    appendJsonMember(out, "version", note.view.txtVersion);
    appendJsonMember(out, "created", note.view.txtDateCreated);
    appendJsonMember(out, "modified", note.view.txtDateModified);
    appendJsonMember(out, "body", note.view.txtBody);
    appendJsonMember(out, "error", note.error, true);
    out.append("  }");
    return out;
}

// The note as a block with the window's labels, after an empty line unless it is the first.
QByteArray textPart(const ExportedNote &note, bool first)
{
    QString out;
    if (!first)
        out += u'\n';
    out += QStringLiteral("== %1 ==\n").arg(note.file);
    if (!note.accepted) {
        out += note.error + u'\n';
        return toTerminalText(out);
    }
    out += QStringLiteral("%1\nВерсия: %2\nСоздан: %3\nИзменён: %4\n")
               .arg(note.view.title, note.view.txtVersion, note.view.txtDateCreated,
                    note.view.txtDateModified);
    // The body's own CR LF line ends, as a terminal or a text file on this system expects.
    QString body = note.view.txtBody;
    body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    out += body;
    if (!body.isEmpty() && !body.endsWith(u'\n'))
        out += u'\n';
    return toTerminalText(out);
}

} // namespace

QString readFailureMessage(const QString &path)
{
    return path + QStringLiteral("\n\nНе удалось прочесть файл.");
}

ExportedNote exportNote(const QString &path, const DateDisplay &display)
{
    try {
        return readAndParse(path, display);
    } catch (const std::bad_alloc &) {
        return unreadable(path, TextFileReader::outOfMemory());
    }
}

QByteArray ExportWriter::opening() const
{
    return m_format == ExportFormat::Json ? QByteArrayLiteral("[") : QByteArray();
}

QByteArray ExportWriter::next(ExportedNote &note)
{
    QByteArray part;
    try {
        part = format(note);
    } catch (const std::bad_alloc &) {
        note = unreadable(note.file, TextFileReader::outOfMemory());
        part = format(note);
    }
    ++m_count;
    return part;
}

QByteArray ExportWriter::closing() const
{
    if (m_format == ExportFormat::Text)
        return {};
    return m_count == 0 ? QByteArrayLiteral("]\n") : QByteArrayLiteral("\n]\n");
}

QByteArray ExportWriter::format(const ExportedNote &note) const
{
    return m_format == ExportFormat::Json ? jsonPart(note, m_count == 0)
                                          : textPart(note, m_count == 0);
}

QByteArray toTerminalText(QStringView text)
{
    QString visible;
    visible.reserve(text.size());
    appendVisible(visible, text);
    return visible.toUtf8();
}
