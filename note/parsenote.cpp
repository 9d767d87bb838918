// SPDX-License-Identifier: GPL-3.0-or-later
#include "parsenote.h"

#include "bodydecoder.h"
#include "linesplitter.h"
#include "qvattempt.h"
#include "qvtext.h"

#include <new>

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

// The text between the marker lines, without the line breaks next to them. Works on the raw
// text: a CR LF pair is one line break, as are a lone CR and a lone LF.
QStringView betweenMarkers(QStringView note)
{
    const qsizetype afterBegin = BeginMarker.size();
    const qsizetype start = afterBegin + (note.sliced(afterBegin).startsWith(u"\r\n") ? 2 : 1);
    const qsizetype beforeEnd = note.size() - EndMarker.size() - 1;
    const qsizetype end =
        beforeEnd -
        (note[beforeEnd] == u'\n' && beforeEnd > 0 && note[beforeEnd - 1] == u'\r' ? 1 : 0);
    if (end <= start)
        return {};
    return qvTrimCRLF(note.sliced(start, end - start));
}

// The body: every line after the marker, trimmed and joined without separators.
QString decodeBodyLines(QStringView lines)
{
    try {
        BodyDecoder decoder;
        decoder.reserve(lines.size());
        LineSplitter splitter(lines);
        for (QStringView line; splitter.next(line);)
            decoder.feed(qvTrimEx(line));
        return decoder.finish();
    } catch (const std::bad_alloc &) {
        throw;
    } catch (const std::exception &) {
        // As the decoder does for a whole body: show the joined text undecoded.
        QString joined;
        LineSplitter splitter(lines);
        for (QStringView line; splitter.next(line);)
            joined += qvTrimEx(line);
        return joined;
    }
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
    const QStringView note = qvTrimCRLF(QStringView(text));

    if (note.size() <= BeginMarker.size() || !note.startsWith(BeginMarker) ||
        !isLineBreak(note[BeginMarker.size()])) {
        messages.showCritical(beginMarkerMissingMessage());
        return false;
    }
    if (note.size() <= EndMarker.size() || !note.endsWith(EndMarker) ||
        !isLineBreak(note[note.size() - EndMarker.size() - 1])) {
        messages.showCritical(endMarkerMissingMessage());
        return false;
    }

    LineSplitter splitter(betweenMarkers(note));
    for (QStringView rawLine; splitter.next(rawLine);) {
        QString line;
        qvAttempt([&] { line = qvTrimEx(rawLine).toString().toUpper(); });
        if (line.isNull())
            line = rawLine.toString();

        qvAttempt([&] {
            if (line.startsWith(VersionPrefix)) {
                line = qvCutLeft(line, VersionPrefix.size());
                view.txtVersion = line;
            } else if (line.startsWith(CreatedPrefix)) {
                line = qvCutLeft(line, CreatedPrefix.size());
                view.txtDateCreated = FormatStamp(line, display);
            } else if (line.startsWith(ModifiedPrefix)) {
                line = qvCutLeft(line, ModifiedPrefix.size());
                view.txtDateModified = FormatStamp(line, display);
            }
        });

        if (line == BodyMarker) {
            view.txtBody = decodeBodyLines(splitter.rest());
            break;
        }
    }
    return true;
}
