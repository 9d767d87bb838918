// SPDX-License-Identifier: GPL-3.0-or-later
#include "parsenote.h"

#include "bodydecoder.h"
#include "linesplitter.h"
#include "qvattempt.h"
#include "qvtext.h"
#include "textfilereader.h"

#include <new>

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
        qvAttempt([&] { line = toText(trimBlanks(rawLine)).toUpper(); });
        if (line.isNull())
            line = toText(rawLine);

        qvAttempt([&] {
            if (line.startsWith(VersionPrefix)) {
                line = qvCutLeft(line, VersionPrefix.size());
                view.txtVersion = line;
            } else if (line.startsWith(CreatedPrefix)) {
                line = qvCutLeft(line, CreatedPrefix.size());
                view.txtDateCreated = FormatStamp(line, display);
                view.createdUtc = StampMoment(line);
            } else if (line.startsWith(ModifiedPrefix)) {
                line = qvCutLeft(line, ModifiedPrefix.size());
                view.txtDateModified = FormatStamp(line, display);
                view.modifiedUtc = StampMoment(line);
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
    for (; end - p >= 16; p += 16)
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
