// SPDX-License-Identifier: GPL-3.0-or-later
#include "parsenote.h"

#include "bodydecoder.h"
#include "cpufeatures.h"
#include "linesplitter.h"
#include "qvattempt.h"
#include "qverror.h"
#include "qvtext.h"
#include "textfilereader.h"

#include <algorithm>
#include <exception>
#include <new>
#include <optional>
#include <system_error>
#include <thread>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr QStringView BeginMarker = u"BEGIN:VNOTE";
constexpr QStringView EndMarker = u"END:VNOTE";
constexpr QStringView VersionPrefix = u"VERSION:";
constexpr QStringView CreatedPrefix = u"DCREATED:";
constexpr QStringView ModifiedPrefix = u"LAST-MODIFIED:";
constexpr QStringView BodyMarker = u"BODY;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=";

bool isLineBreak(QChar c)
{
    return c == u'\r' || c == u'\n';
}

bool isBlankOrTab(QChar c)
{
    return c == u' ' || c == u'\t';
}

// The text is read through a view of its characters: QStringView for decoded text, or
// QLatin1StringView for ASCII octets, which are their own characters. The same steps serve
// both, so that both give the same fields.
template <typename View, typename IsStripped> View trimmed(View text, IsStripped isStripped)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isStripped(QChar(text[begin])))
        ++begin;
    while (end > begin && isStripped(QChar(text[end - 1])))
        --end;
    return text.sliced(begin, end - begin);
}

QString toText(QStringView text)
{
    return text.toString();
}

QString toText(QLatin1StringView text)
{
    return QString(text);
}

// The line in capitals, as QString::toUpper gives it. ASCII, which every line but a rare body
// is, is done here: Qt maps each character through the Unicode tables, which costs more than
// the rest of a short line's reading.
template <typename View> QString upperText(View text)
{
    QString upper = toText(text);
    if (upper.isEmpty())
        return std::move(upper).toUpper();
    char16_t *const begin = reinterpret_cast<char16_t *>(upper.data());
    char16_t *const end = begin + upper.size();
    if (!std::all_of(begin, end, [](char16_t c) { return c < 0x80; }))
        return std::move(upper).toUpper();
    for (char16_t *c = begin; c < end; ++c) {
        if (*c >= u'a' && *c <= u'z')
            *c = char16_t(*c - (u'a' - u'A'));
    }
    return upper;
}

template <typename View> View trimCRLF(View text)
{
    return trimmed(text, isLineBreak);
}

template <typename View> View trimBlanks(View text)
{
    return trimmed(text, isBlankOrTab);
}

// Whether `text` starts (or ends) with `marker`, character by character.
template <typename View> bool startsWithMarker(View text, QStringView marker)
{
    if (text.size() < marker.size())
        return false;
    for (qsizetype i = 0; i < marker.size(); ++i) {
        if (QChar(text[i]) != marker[i])
            return false;
    }
    return true;
}

template <typename View> bool endsWithMarker(View text, QStringView marker)
{
    return text.size() >= marker.size() &&
           startsWithMarker(text.sliced(text.size() - marker.size()), marker);
}

// The text between the marker lines, without the line breaks next to them. Works on the raw
// text: a CR LF pair is one line break, as are a lone CR and a lone LF.
template <typename View> View betweenMarkers(View note)
{
    const qsizetype afterBegin = BeginMarker.size();
    const View rest = note.sliced(afterBegin);
    const bool crlf = rest.size() >= 2 && QChar(rest[0]) == u'\r' && QChar(rest[1]) == u'\n';
    const qsizetype start = afterBegin + (crlf ? 2 : 1);
    const qsizetype beforeEnd = note.size() - EndMarker.size() - 1;
    const qsizetype end = beforeEnd - (QChar(note[beforeEnd]) == u'\n' && beforeEnd > 0 &&
                                               QChar(note[beforeEnd - 1]) == u'\r'
                                           ? 1
                                           : 0);
    if (end <= start)
        return {};
    return trimCRLF(note.sliced(start, end - start));
}

// The body: every line after the marker, trimmed and joined without separators. With
// `octets`, the decoded octets go there instead, and the text returned is empty.
template <typename View> QString decodeBodyLines(View lines, QByteArray *octets)
{
    try {
        BodyDecoder decoder;
        if (octets != nullptr)
            decoder.keepOctets();
        decoder.reserve(lines.size());
        BasicLineSplitter<View> splitter(lines);
        for (View line; splitter.next(line);)
            decoder.feed(trimBlanks(line));
        if (octets == nullptr)
            return decoder.finish();
        *octets = decoder.finishOctets();
        return {};
    } catch (const std::bad_alloc &) {
        throw;
    } catch (const std::exception &) {
        // As the decoder does for a whole body: show the joined text undecoded.
        QString joined;
        BasicLineSplitter<View> splitter(lines);
        for (View line; splitter.next(line);)
            joined += trimBlanks(line);
        return joined;
    }
}

template <typename View>
bool parseNoteText(View text, NoteView &view, const DateDisplay &display, MessageSink &messages,
                   QByteArray *bodyOctets = nullptr)
{
    const View note = trimCRLF(text);

    if (note.size() <= BeginMarker.size() || !startsWithMarker(note, BeginMarker) ||
        !isLineBreak(QChar(note[BeginMarker.size()]))) {
        messages.showCritical(beginMarkerMissingMessage());
        return false;
    }
    if (note.size() <= EndMarker.size() || !endsWithMarker(note, EndMarker) ||
        !isLineBreak(QChar(note[note.size() - EndMarker.size() - 1]))) {
        messages.showCritical(endMarkerMissingMessage());
        return false;
    }

    BasicLineSplitter<View> splitter(betweenMarkers(note));
    for (View rawLine; splitter.next(rawLine);) {
        QString line;
        qvAttempt([&] { line = upperText(trimBlanks(rawLine)); });
        if (line.isNull())
            line = toText(rawLine);

        qvAttempt([&] {
            if (line.startsWith(VersionPrefix)) {
                line = qvCutLeft(line, VersionPrefix.size());
                view.txtVersion = line;
            } else if (line.startsWith(CreatedPrefix)) {
                line = qvCutLeft(line, CreatedPrefix.size());
                view.txtDateCreated = FormatStamp(line, display);
                view.createdUtc = UtcStampMoment(line);
            } else if (line.startsWith(ModifiedPrefix)) {
                line = qvCutLeft(line, ModifiedPrefix.size());
                view.txtDateModified = FormatStamp(line, display);
                view.modifiedUtc = UtcStampMoment(line);
            }
        });

        if (line == BodyMarker) {
            view.txtBody = decodeBodyLines(splitter.rest(), bodyOctets);
            break;
        }
    }
    return true;
}

// Whether every octet is ASCII: such bytes decode to text of the same characters.
bool isAscii(QByteArrayView bytes)
{
    const char *p = bytes.data();
    const char *const end = p + bytes.size();
#if defined(__SSE2__)
    __m128i any = _mm_setzero_si128();
    for (const bool blocks = canUseSse2Blocks(); end - p >= 16 && blocks; p += 16)
        any = _mm_or_si128(any, _mm_loadu_si128(reinterpret_cast<const __m128i *>(p)));
    if (_mm_movemask_epi8(any) != 0)
        return false;
#endif
    for (; p < end; ++p) {
        if (static_cast<unsigned char>(*p) >= 0x80)
            return false;
    }
    return true;
}

// How far from the end the "END:VNOTE" line is looked for.
constexpr qsizetype TailSize = 4096;

bool isBlankOrTabOctet(char c)
{
    return c == ' ' || c == '\t';
}

bool isLineBreakOctet(char c)
{
    return c == '\r' || c == '\n';
}

// Feeds a body's lines, arriving in pieces that may cut a line anywhere, to the decoder as
// decodeBodyLines does: each line without the blanks at its ends. Blanks at the end of a piece
// wait until the line goes on or ends.
class BodyLines
{
public:
    explicit BodyLines(BodyDecoder &decoder) : m_decoder(decoder) {}

    void take(const char *p, const char *const end)
    {
        while (p < end) {
            const char *const lineEnd = findLineBreak(p, end);
            const char *first = p;
            if (m_atLineStart) {
                while (first < lineEnd && isBlankOrTabOctet(*first))
                    ++first;
            }
            const char *last = lineEnd;
            while (last > first && isBlankOrTabOctet(last[-1]))
                --last;
            if (first < last) {
                if (!m_blanks.isEmpty())
                    m_decoder.feed(QLatin1StringView(m_blanks));
                m_blanks.clear();
                m_decoder.feed(QLatin1StringView(first, last - first));
                m_atLineStart = false;
            }
            if (lineEnd == end) {
                if (!m_atLineStart)
                    m_blanks.append(last, lineEnd - last);
                return;
            }
            m_blanks.clear();
            m_atLineStart = true;
            p = lineEnd + 1;
        }
    }

private:
    BodyDecoder &m_decoder;
    bool m_atLineStart = true;
    QByteArray m_blanks;
};

// Where the body's line starts in `head`, the first piece of a note: after the first line that
// is the body marker, trimmed and in capitals. -1 when no such whole line is in the piece.
qsizetype bodyStartIn(QByteArrayView head)
{
    const char *const begin = head.data();
    const char *const end = begin + head.size();
    for (const char *p = begin; p < end;) {
        const char *const lineEnd = findLineBreak(p, end);
        if (lineEnd + 1 >= end)
            return -1; // the line, or its CR LF, may go on in the next piece
        const QLatin1StringView line = trimBlanks(QLatin1StringView(p, lineEnd - p));
        if (line.size() == BodyMarker.size() &&
            QStringView(BodyMarker).compare(line, Qt::CaseInsensitive) == 0)
            return lineEnd + 1 - begin;
        p = lineEnd + 1;
    }
    return -1;
}

// Where the body ends in a note of `size` bytes whose last `tail` bytes are given: at the line
// break before the last line, which must be "END:VNOTE" alone before the trailing line breaks.
// -1 when it is not.
qint64 bodyEndFrom(QByteArrayView tail, qint64 size)
{
    qsizetype end = tail.size();
    while (end > 0 && isLineBreakOctet(tail[end - 1]))
        --end;
    const qsizetype marker = end - EndMarker.size();
    if (marker < 1 || !isLineBreakOctet(tail[marker - 1]) ||
        !startsWithMarker(QLatin1StringView(tail.sliced(marker, EndMarker.size())), EndMarker))
        return -1;
    return size - tail.size() + marker - 1;
}

// Decodes the body lines in [from, to) of `file` into `decoder`, reading [from, end) a piece
// at a time: false when an octet there is not ASCII, or the file does not end at `end`.
bool decodePart(const TextFilePieces &file, qsizetype pieceSize, qint64 from, qint64 to, qint64 end,
                BodyDecoder &decoder)
{
    QByteArray buffer(pieceSize, Qt::Uninitialized);
    BodyLines lines(decoder);
    qint64 at = from;
    for (QByteArrayView piece; at < end; at += piece.size()) {
        buffer.resize(qsizetype(std::min<qint64>(pieceSize, end - at)));
        piece = file.readAt(at, buffer);
        if (piece.isEmpty() || !isAscii(piece))
            return false;
        if (at < to)
            lines.take(piece.data(), piece.data() + std::min<qint64>(piece.size(), to - at));
    }
    if (end != file.size())
        return true;
    buffer.resize(1);
    return file.readAt(at, buffer).isEmpty(); // nor has it grown
}

// Where the body may be cut in two to be decoded in two parts at once: the start of a line after
// one that ends with "=", where the decoding starts an element whatever came before. Looked for
// in the piece at the middle of [from, to); -1 when there is none.
qint64 middleCut(const TextFilePieces &file, qsizetype pieceSize, qint64 from, qint64 to)
{
    const qint64 middle = from + (to - from) / 2;
    QByteArray buffer(std::min<qint64>(pieceSize, to - middle), Qt::Uninitialized);
    const QByteArrayView piece = file.readAt(middle, buffer);
    for (qsizetype at = 1; at + 1 < piece.size(); ++at) {
        if (piece[at - 1] == '=' && isLineBreakOctet(piece[at])) {
            const bool crlf = piece[at] == '\r' && piece[at + 1] == '\n';
            return middle + at + (crlf ? 2 : 1);
        }
    }
    return -1;
}

// The strict reading of a large ASCII note a piece at a time, the same as ParseNoteBytes of
// all its bytes. A body kept as octets is decoded in two parts on two threads where it can be
// cut. Nothing when the note is not one that can be read so (not ASCII, a marker or the body
// not where they are looked for, the file changed while read): the caller then reads it whole,
// which also says what is wrong with it.
std::optional<bool> parsePieces(TextFilePieces &file, NoteView &view, const DateDisplay &display,
                                QByteArray *bodyOctets, const PieceReading &reading)
{
    // Nothing is reported from here: a note this cannot read is read again whole.
    class : public MessageSink
    {
    public:
        void showCritical(const QString &) override {}
    } quiet;
    const qint64 size = file.size();
    QByteArray tail(std::min<qint64>(size, TailSize), Qt::Uninitialized);
    const qint64 bodyEnd = bodyEndFrom(file.readAt(size - tail.size(), tail), size);
    const QByteArrayView head = file.next();
    const qsizetype bodyStart = bodyStartIn(head);
    if (!isAscii(tail) || bodyEnd < 0 || bodyStart < 0 || bodyEnd < bodyStart || !isAscii(head))
        return std::nullopt;
    // The fields, from the lines up to the body marker as though the note ended there.
    NoteView fields;
    const QByteArray upToBody = head.first(bodyStart).toByteArray() + EndMarker.toLatin1();
    if (!parseNoteText(QLatin1StringView(upToBody), fields, display, quiet))
        return std::nullopt;

    try {
        BodyDecoder decoder;
        if (bodyOctets != nullptr)
            decoder.keepOctets();
        decoder.reserve(bodyEnd - bodyStart);
        const qint64 cut = bodyOctets != nullptr && bodyEnd - bodyStart >= reading.splitFrom
                               ? middleCut(file, reading.pieceSize, bodyStart, bodyEnd)
                               : -1;
        if (cut < 0) {
            if (!decodePart(file, reading.pieceSize, bodyStart, bodyEnd, size, decoder))
                return std::nullopt;
        } else {
            BodyDecoder second;
            second.keepOctets();
            second.continueAfterEquals();
            second.reserve(bodyEnd - cut);
            bool secondRead = false;
            std::exception_ptr secondFailed;
            const auto decodeSecond = [&] {
                try {
                    secondRead = decodePart(file, reading.pieceSize, cut, bodyEnd, size, second);
                } catch (...) {
                    secondFailed = std::current_exception();
                }
            };
            std::optional<std::thread> thread;
            try {
                thread.emplace(decodeSecond);
            } catch (const std::system_error &) {
                decodeSecond(); // no thread to be had: one part after the other
            }
            const bool firstRead =
                decodePart(file, reading.pieceSize, bodyStart, cut, cut, decoder);
            if (thread)
                thread->join();
            if (secondFailed)
                std::rethrow_exception(secondFailed);
            if (!firstRead || !secondRead)
                return std::nullopt;
            *bodyOctets = decoder.finishOctets();
            bodyOctets->append(second.finishOctets());
            view = std::move(fields);
            return true;
        }
        view = std::move(fields);
        if (bodyOctets != nullptr)
            *bodyOctets = decoder.finishOctets();
        else
            view.txtBody = decoder.finish();
    } catch (const std::bad_alloc &) {
        throw;
    } catch (const QvError &) {
        throw;
    } catch (const std::exception &) {
        return std::nullopt; // read whole, the body is shown as decodeBodyLines shows it
    }
    return true;
}

} // namespace

QString beginMarkerMissingMessage()
{
    return QStringLiteral("Маркер \"BEGIN:VNOTE\" не был найден. Файл некорректен.");
}

QString endMarkerMissingMessage()
{
    return QStringLiteral("Маркер \"END:VNOTE\" не был найден. Файл некорректен.");
}

bool ParseNote(const QString &text, NoteView &view, const DateDisplay &display,
               MessageSink &messages)
{
    return parseNoteText(QStringView(text), view, display, messages);
}

bool ParseNoteBytes(QByteArrayView bytes, NoteView &view, const DateDisplay &display,
                    MessageSink &messages, QByteArray *bodyOctets)
{
    if (isAscii(bytes))
        return parseNoteText(QLatin1StringView(bytes.data(), bytes.size()), view, display, messages,
                             bodyOctets);
    return ParseNote(TextFileReader::DecodeText(bytes), view, display, messages);
}

bool ParseNoteFile(const TextFileReader &reader, const QString &path, NoteView &view,
                   const DateDisplay &display, MessageSink &messages, QByteArray *bodyOctets,
                   const PieceReading &pieces)
{
    TextFilePieces file(reader, path, pieces.pieceSize);
    if (file.size() >= pieces.from) {
        if (const std::optional<bool> accepted =
                parsePieces(file, view, display, bodyOctets, pieces))
            return *accepted;
        return ParseNoteBytes(reader.ReadAllBytes(path), view, display, messages, bodyOctets);
    }
    return ParseNoteBytes(file.readAll(), view, display, messages, bodyOctets);
}
