// SPDX-License-Identifier: GPL-3.0-or-later
// ParseNote into a NoteView, on any bytes read as a note file would be, against the plain
// step-by-step parser; and ParseNoteBytes on the same bytes, which must give the same view and
// messages without decoding ASCII first, and ParseNoteFile on them as a file read in pieces of
// 64 to 319 bytes and more for a larger input, its body cut in two parts where it can be, which
// must give the same again, with the body's octets kept or not.

#include "fuzzcheck.h"
#include "fuzznotes.h"
#include "parsenote.h"
#include "reference.h"
#include "textfilereader.h"

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    const QString text =
        TextFileReader::DecodeText(QByteArrayView(reinterpret_cast<const char *>(data), size));
    static const DateDisplay longDates = fuzzcheck::berlinDisplay(false);
    static const DateDisplay shortDates = fuzzcheck::berlinDisplay(true);
    const DateDisplay &dates = size % 2 == 0 ? longDates : shortDates;

    NoteView view;
    fuzzcheck::RecordingSink sink;
    bool accepted = false;
    fuzzcheck::withinTime(size, [&] {
        view = NoteView();
        sink.messages.clear();
        accepted = ParseNote(text, view, dates, sink);
    });

    NoteView fromBytes;
    fuzzcheck::RecordingSink bytesSink;
    const bool bytesAccepted = ParseNoteBytes(
        QByteArrayView(reinterpret_cast<const char *>(data), size), fromBytes, dates, bytesSink);
    if (bytesAccepted != accepted || bytesSink.messages != sink.messages || !(fromBytes == view))
        fuzzcheck::fail("ParseNoteBytes against ParseNote of the text",
                        fromBytes.txtBody + u'|' + view.txtBody);

    static const QTemporaryDir folder;
    static const QString path = folder.filePath(QStringLiteral("note.vnt"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(reinterpret_cast<const char *>(data), qint64(size)) != qint64(size))
        fuzzcheck::fail("cannot write the note file", path);
    file.close();
    // Pieces grow with the input, so that a large one stays well within libFuzzer's time limit.
    const PieceReading pieces{0, 64 + (size > 0 ? data[0] : 0) + qsizetype(size / 256), 0};
    // With the body's octets kept, or as text: one or the other, by the input's last byte.
    const bool keepOctets = size > 0 && (data[size - 1] & 1) != 0;
    QByteArray octets;
    NoteView wholeView = fromBytes;
    fuzzcheck::RecordingSink wholeSink = bytesSink;
    if (keepOctets) {
        wholeView = NoteView();
        wholeSink.messages.clear();
        ParseNoteBytes(QByteArrayView(reinterpret_cast<const char *>(data), size), wholeView, dates,
                       wholeSink, &octets);
    }
    NoteView pieceView;
    fuzzcheck::RecordingSink pieceSink;
    QByteArray pieceOctets;
    const bool pieceAccepted = ParseNoteFile(TextFileReader(), path, pieceView, dates, pieceSink,
                                             keepOctets ? &pieceOctets : nullptr, pieces);
    if (pieceAccepted != bytesAccepted || pieceSink.messages != wholeSink.messages ||
        !(pieceView == wholeView) || pieceOctets != octets)
        fuzzcheck::fail("ParseNoteFile in pieces against ParseNoteBytes",
                        pieceView.txtBody + u'|' + wholeView.txtBody);

    NoteView expected;
    const QString message = referenceParseNote(text, expected, dates);
    if (accepted != message.isNull())
        fuzzcheck::fail("accepted or rejected against the reference", message);
    if (!accepted) {
        if (!(view == NoteView()))
            fuzzcheck::fail("a rejected note wrote to the view");
        if (sink.messages != QStringList{message})
            fuzzcheck::fail("wrong message for a rejected note", sink.messages.join(u'|'));
        return 0;
    }
    if (!sink.messages.isEmpty())
        fuzzcheck::fail("a message for an accepted note", sink.messages.join(u'|'));
    fuzzcheck::expectEqual(view.title, NoteView::emptyTitle(), "title");
    fuzzcheck::expectEqual(view.txtVersion, expected.txtVersion, "txtVersion");
    fuzzcheck::expectEqual(view.txtDateCreated, expected.txtDateCreated, "txtDateCreated");
    fuzzcheck::expectEqual(view.txtDateModified, expected.txtDateModified, "txtDateModified");
    fuzzcheck::expectEqual(view.txtBody, expected.txtBody, "txtBody");
    return 0;
}
