// SPDX-License-Identifier: GPL-3.0-or-later
#include "parsenote.h"
#include "qvattempt.h"
#include "qverror.h"
#include "textfilereader.h"

#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <new>
#include <stdexcept>

namespace {

class RecordingSink : public MessageSink
{
public:
    void showCritical(const QString &message) override { messages.append(message); }
    QStringList messages;
};

DateDisplay fixedDisplay(bool shortDate = true)
{
    return {shortDate, QLocale(QStringLiteral("ru_RU")),
            QTimeZone(QByteArrayLiteral("Asia/Dubai"))};
}

const QString BodyMarker = QStringLiteral("BODY;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=");

// A note from lines joined with `eol`.
QString note(const QStringList &lines, const QString &eol = QStringLiteral("\r\n"))
{
    return lines.join(eol);
}

} // namespace

Q_DECLARE_METATYPE(std::function<void()>)

class TestParseNote : public QObject
{
    Q_OBJECT

private slots:
    void markers_data();
    void markers();
    void fields_data();
    void fields();
    void lineEndStylesGiveTheSameFields_data();
    void lineEndStylesGiveTheSameFields();
    void leavesTheTitleAlone();
    void failingStepsAreSkippedButNotMemory_data();
    void failingStepsAreSkippedButNotMemory();
    void stampMoments_data();
    void stampMoments();
    void bytesReadAsTheirText_data();
    void bytesReadAsTheirText();
    void largeFileReadInPieces_data();
    void largeFileReadInPieces();
};

void TestParseNote::markers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message"); // empty when the note is accepted

    const QString begin = beginMarkerMissingMessage();
    const QString end = endMarkerMissingMessage();
    QTest::newRow("markers only, one line break") << "BEGIN:VNOTE\nEND:VNOTE"
                                                  << "";
    QTest::newRow("markers only, CR LF") << "BEGIN:VNOTE\r\nEND:VNOTE"
                                         << "";
    QTest::newRow("blank lines between") << "BEGIN:VNOTE\r\n\r\n\r\nEND:VNOTE"
                                         << "";
    QTest::newRow("breaks around the markers") << "\r\n\n\rBEGIN:VNOTE\rEND:VNOTE\n\r\n"
                                               << "";
    QTest::newRow("empty text") << "" << begin;
    QTest::newRow("begin marker alone") << "BEGIN:VNOTE" << begin;
    QTest::newRow("begin marker and break") << "BEGIN:VNOTE\r\n" << begin;
    QTest::newRow("lower-case begin") << "begin:vnote\nEND:VNOTE" << begin;
    QTest::newRow("blank after begin") << "BEGIN:VNOTE \nEND:VNOTE" << begin;
    QTest::newRow("blank before begin") << " BEGIN:VNOTE\nEND:VNOTE" << begin;
    QTest::newRow("neither marker gets the begin message") << "hello\nworld" << begin;
    QTest::newRow("no end marker") << "BEGIN:VNOTE\nVERSION:1.1" << end;
    QTest::newRow("lower-case end") << "BEGIN:VNOTE\nend:vnote" << end;
    QTest::newRow("blank before end") << "BEGIN:VNOTE\n END:VNOTE" << end;
    QTest::newRow("blank after end") << "BEGIN:VNOTE\nEND:VNOTE " << end;
    QTest::newRow("end glued to a line") << "BEGIN:VNOTE\nXEND:VNOTE" << end;
    QTest::newRow("begin glued to end") << "BEGIN:VNOTEEND:VNOTE" << begin;
}

void TestParseNote::markers()
{
    QFETCH(QString, text);
    QFETCH(QString, message);

    NoteView view;
    RecordingSink sink;
    const bool accepted = ParseNote(text, view, fixedDisplay(), sink);
    QCOMPARE(accepted, message.isEmpty());
    QCOMPARE(sink.messages, message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(view, NoteView()); // none of these writes a field
}

void TestParseNote::fields_data()
{
    QTest::addColumn<QStringList>("lines"); // between the markers
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("created");
    QTest::addColumn<QString>("modified");
    QTest::addColumn<QString>("body");

    const QString created = QStringLiteral("04:19:40 03.04.2013");
    QTest::newRow("all fields") << QStringList{"VERSION:1.1", "DCREATED:20130403T001940",
                                               "LAST-MODIFIED:20130403T001940", BodyMarker,
                                               "=D0=9F=D1=80=D0=B8"}
                                << "1.1" << created << created << "При";
    QTest::newRow("trimmed and upper-cased")
        << QStringList{" \tversion:1.1 \t", "Version:abc", "  dcreated:20130403t001940"} << "ABC"
        << created << ""
        << "";
    QTest::newRow("upper-cased beyond ASCII as QString does")
        << QStringList{u8"version:straße ÿ"} << u8"STRASSE Ÿ" << ""
        << ""
        << "";
    QTest::newRow("value keeps its inner blank") << QStringList{"VERSION: 1.1"} << " 1.1"
                                                 << ""
                                                 << ""
                                                 << "";
    QTest::newRow("last occurrence wins")
        << QStringList{"VERSION:1.0", "VERSION:2.0", "VERSION:3.0"} << "3.0"
        << ""
        << ""
        << "";
    QTest::newRow("stamp that is no stamp, upper-cased")
        << QStringList{"DCREATED:20130403t001940z", "LAST-MODIFIED:yesterday"} << ""
        << "20130403T001940Z"
        << "YESTERDAY"
        << "";
    QTest::newRow("unknown lines ignored")
        << QStringList{"X-IRMC-LUID:12", "CATEGORIES:PERSONAL", "VERSIONX:1", ":VERSION:1"} << ""
        << ""
        << ""
        << "";
    QTest::newRow("prefix without value") << QStringList{"VERSION:", "DCREATED:"} << ""
                                          << ""
                                          << ""
                                          << "";
    QTest::newRow("no body marker") << QStringList{"VERSION:1.1", "=D0=9F"} << "1.1"
                                    << ""
                                    << ""
                                    << "";
    QTest::newRow("body marker in lower case with blanks")
        << QStringList{"  body;charset=utf-8;encoding=quoted-printable:=  ", "=41"} << ""
        << ""
        << ""
        << "A";
    QTest::newRow("data on the marker line") << QStringList{BodyMarker + "=D0=9F", "=41"} << ""
                                             << ""
                                             << ""
                                             << "";
    QTest::newRow("other parameter order")
        << QStringList{"BODY;ENCODING=QUOTED-PRINTABLE;CHARSET=UTF-8:=", "=41"} << ""
        << ""
        << ""
        << "";
    QTest::newRow("body marker last") << QStringList{"VERSION:1", BodyMarker} << "1"
                                      << ""
                                      << ""
                                      << "";
    QTest::newRow("body lines trimmed and joined")
        << QStringList{BodyMarker, "  =D0=", "\t9F=D1=80  ", "=D0=B8"} << ""
        << ""
        << ""
        << "При";
    QTest::newRow("empty body lines ignored") << QStringList{BodyMarker, "=41=", "", "=42"} << ""
                                              << ""
                                              << ""
                                              << "AB";
    QTest::newRow("body keeps its case") << QStringList{BodyMarker, "=48ello"} << ""
                                         << ""
                                         << ""
                                         << "Hello";
    QTest::newRow("properties after the body are body text")
        << QStringList{BodyMarker, "=41=42", "VERSION:9"} << ""
        << ""
        << ""
        << "ABVERSION:9";
    QTest::newRow("stamp after a soft break is skipped")
        << QStringList{BodyMarker, "=41=42=", "LAST-MODIFIED:20130403T001940"} << ""
        << ""
        << ""
        << "AB";
    QTest::newRow("version line that is also the body marker")
        << QStringList{"VERSION:" + BodyMarker, "=41"} << BodyMarker << ""
        << ""
        << "A";
    QTest::newRow("blank lines next to the markers")
        << QStringList{"", "", "VERSION:1.1", "", ""} << "1.1"
        << ""
        << ""
        << "";
}

void TestParseNote::fields()
{
    QFETCH(QStringList, lines);
    QFETCH(QString, version);
    QFETCH(QString, created);
    QFETCH(QString, modified);
    QFETCH(QString, body);

    NoteView view;
    RecordingSink sink;
    lines.prepend(QStringLiteral("BEGIN:VNOTE"));
    lines.append(QStringLiteral("END:VNOTE"));
    QVERIFY(ParseNote(note(lines), view, fixedDisplay(), sink));
    QVERIFY(sink.messages.isEmpty());
    QCOMPARE(view.txtVersion, version);
    QCOMPARE(view.txtDateCreated, created);
    QCOMPARE(view.txtDateModified, modified);
    QCOMPARE(view.txtBody, body);
}

void TestParseNote::lineEndStylesGiveTheSameFields_data()
{
    QTest::addColumn<QString>("eol");
    QTest::newRow("CR LF") << "\r\n";
    QTest::newRow("LF") << "\n";
    QTest::newRow("CR") << "\r";
}

void TestParseNote::lineEndStylesGiveTheSameFields()
{
    QFETCH(QString, eol);
    const QStringList lines{"BEGIN:VNOTE",
                            "VERSION:1.1",
                            "DCREATED:20130403T001940",
                            "LAST-MODIFIED:20130705T183000",
                            BodyMarker,
                            "=D0=9F=D1=80=D0=",
                            "B8=0D=0A=41",
                            "END:VNOTE",
                            ""};
    NoteView view;
    RecordingSink sink;
    QVERIFY(ParseNote(note(lines, eol), view, fixedDisplay(false), sink));
    QCOMPARE(view.txtVersion, QStringLiteral("1.1"));
    QCOMPARE(view.txtDateCreated, QStringLiteral("среда, 3 апреля 2013 г., 04:19:40"));
    QCOMPARE(view.txtDateModified, QStringLiteral("пятница, 5 июля 2013 г., 22:30:00"));
    QCOMPARE(view.txtBody, QStringLiteral("При\r\nA"));

    // A lone LF followed by CR is two line breaks: an empty line, which the body skips.
    NoteView mixed;
    QVERIFY(
        ParseNote(QStringLiteral("BEGIN:VNOTE\n\r%1\n\r=41\r\n\n=42\rEND:VNOTE").arg(BodyMarker),
                  mixed, fixedDisplay(), sink));
    QCOMPARE(mixed.txtBody, QStringLiteral("AB"));
}

void TestParseNote::leavesTheTitleAlone()
{
    NoteView view;
    view.title = QStringLiteral("Quillet [old.vnt]");
    RecordingSink sink;
    QVERIFY(
        ParseNote(QStringLiteral("BEGIN:VNOTE\nVERSION:1\nEND:VNOTE"), view, fixedDisplay(), sink));
    QCOMPARE(view.title, QStringLiteral("Quillet [old.vnt]"));
}

// The rule the parser's steps run under: a failing step is skipped, but memory running out
// ends the parse, so that a note is never shown with parts silently missing.
void TestParseNote::failingStepsAreSkippedButNotMemory_data()
{
    QTest::addColumn<std::function<void()>>("step");
    QTest::addColumn<bool>("skipped");

    QTest::newRow("a support call fails")
        << std::function<void()>([] { throw QvError(QvInvalidArgument, QStringLiteral("failed")); })
        << true;
    QTest::newRow("another run-time failure")
        << std::function<void()>([] { throw std::runtime_error("failed"); }) << true;
    QTest::newRow("memory runs out")
        << std::function<void()>([] { throw std::bad_alloc(); }) << false;
}

void TestParseNote::failingStepsAreSkippedButNotMemory()
{
    QFETCH(std::function<void()>, step);
    QFETCH(bool, skipped);
    bool passed = false;
    try {
        qvAttempt(step);
        passed = true;
    } catch (const std::bad_alloc &) {
    }
    QCOMPARE(passed, skipped);
}

// The moments that exports write: those of the stamps that the window shows converted, and of
// the Z and extended forms that it shows as written; the last occurrence winning as it does in
// the window.
void TestParseNote::stampMoments_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("created"); // ISO 8601 in UTC; empty for none
    QTest::addColumn<QString>("modified");

    QTest::newRow("both") << QStringList{"DCREATED:20130403T001940",
                                         "last-modified:20131231t230000"}
                          << "2013-04-03T00:19:40Z"
                          << "2013-12-31T23:00:00Z";
    QTest::newRow("Z and extended forms name moments too")
        << QStringList{"DCREATED:20130403T001940Z", "LAST-MODIFIED:2013-12-31t23:00:00z"}
        << "2013-04-03T00:19:40Z"
        << "2013-12-31T23:00:00Z";
    QTest::newRow("a stamp of no moment")
        << QStringList{"DCREATED:20131340T001940", "LAST-MODIFIED:16001231T235959"} << ""
        << "";
    QTest::newRow("the last occurrence wins, a bad one included")
        << QStringList{"DCREATED:20130403T001940", "DCREATED:garbage",
                       "LAST-MODIFIED:20000101T000000", "LAST-MODIFIED:20010101T000000"}
        << ""
        << "2001-01-01T00:00:00Z";
}

void TestParseNote::stampMoments()
{
    QFETCH(QStringList, lines);
    QFETCH(QString, created);
    QFETCH(QString, modified);

    NoteView view;
    RecordingSink sink;
    QVERIFY(ParseNote(note(QStringList{"BEGIN:VNOTE"} + lines + QStringList{"END:VNOTE"}), view,
                      fixedDisplay(), sink));
    QCOMPARE(view.createdUtc.toUTC().toString(Qt::ISODate), created);
    QCOMPARE(view.modifiedUtc.toUTC().toString(Qt::ISODate), modified);
}

// ParseNoteBytes reads ASCII bytes without decoding them first: it must give exactly what
// ParseNote gives for their text, messages included.
void TestParseNote::bytesReadAsTheirText_data()
{
    QTest::addColumn<QByteArray>("bytes");

    const QByteArray body = BodyMarker.toLatin1();
    QTest::newRow("a phone's note")
        << QByteArray("BEGIN:VNOTE\r\nVERSION:1.1\r\nDCREATED:20130403T001940\r\n" + body +
                      "\r\n=D0=9F=D1=\r\n=80\r\nEND:VNOTE\r\n");
    QTest::newRow("CR only, blanks and lower case")
        << QByteArray("\r\rBEGIN:VNOTE\r version:x \r  " + body.toLower() +
                      "  \r\t=41=42= \r=43\rEND:VNOTE\r\n\n");
    QTest::newRow("literal text and broken escapes")
        << QByteArray("BEGIN:VNOTE\n" + body + "\nab=4=G1=41x==\n=\nEND:VNOTE");
    QTest::newRow("properties after the body")
        << QByteArray("BEGIN:VNOTE\n" + body + "\n=41=\nLAST-MODIFIED:20130403T001940\nEND:VNOTE");
    QTest::newRow("markers only") << QByteArray("BEGIN:VNOTE\nEND:VNOTE");
    QTest::newRow("no begin marker") << QByteArray(" BEGIN:VNOTE\nEND:VNOTE");
    QTest::newRow("no end marker") << QByteArray("BEGIN:VNOTE\nEND:VNOTE x");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("NUL and DEL") << QByteArray("BEGIN:VNOTE\nVERSION:\0\x7F\n", 23) + body +
                                        QByteArray("\n\x7F=41\0\nEND:VNOTE", 16);
    // Not ASCII: read as text.
    QTest::newRow("literal Cyrillic")
        << QByteArray("BEGIN:VNOTE\n" + body + "\n=41Привет\nEND:VNOTE");
    QTest::newRow("UTF-8 byte-order mark") << QByteArray("\xEF\xBB\xBF"
                                                         "BEGIN:VNOTE\nVERSION:2\nEND:VNOTE");
    QTest::newRow("UTF-16") << QByteArray("\xFF\xFE"
                                          "B\0E\0G\0I\0N\0:\0V\0N\0O\0T\0E\0\n\0"
                                          "E\0N\0D\0:\0V\0N\0O\0T\0E\0",
                                          2 + 2 * 21);
    QTest::newRow("invalid UTF-8") << QByteArray("BEGIN:VNOTE\nVERSION:\xC3\nEND:VNOTE");
}

void TestParseNote::bytesReadAsTheirText()
{
    QFETCH(QByteArray, bytes);

    NoteView fromText;
    RecordingSink textSink;
    const bool accepted =
        ParseNote(TextFileReader::DecodeText(bytes), fromText, fixedDisplay(false), textSink);
    NoteView fromBytes;
    RecordingSink bytesSink;
    QCOMPARE(ParseNoteBytes(bytes, fromBytes, fixedDisplay(false), bytesSink), accepted);
    QCOMPARE(bytesSink.messages, textSink.messages);
    QCOMPARE(fromBytes.txtVersion, fromText.txtVersion);
    QCOMPARE(fromBytes.txtDateCreated, fromText.txtDateCreated);
    QCOMPARE(fromBytes.txtDateModified, fromText.txtDateModified);
    QCOMPARE(fromBytes.txtBody, fromText.txtBody);
    QCOMPARE(fromBytes, fromText);
}

// A large note is read from its file a piece at a time: it must give exactly what its bytes
// read whole give, wherever the pieces cut its lines.
void TestParseNote::largeFileReadInPieces_data()
{
    QTest::addColumn<QByteArray>("bytes");

    const QByteArray body = BodyMarker.toLatin1();
    // Lines of 13 and 17 octets over 5 MiB: the pieces cut them at every place.
    const auto lines = [](const QByteArray &first, const QByteArray &second, const char *eol) {
        QByteArray out;
        while (out.size() < 5 * 1024 * 1024)
            out += first + eol + second + eol;
        return out;
    };
    const QByteArray head = "BEGIN:VNOTE\r\nVERSION:1.1\r\nDCREATED:20130403T001940\r\n"
                            "LAST-MODIFIED:20130705T183000\r\n" +
                            body + "\r\n";
    QTest::newRow("a phone's note")
        << head + lines("=D0=9F=D1=80=", "=D0=B8=D0=B2=D0=B5=", "\r\n") + "=41\r\nEND:VNOTE\r\n";
    QTest::newRow("blanks at line ends, LF")
        << "BEGIN:VNOTE\n" + body + "\n" + lines("  =41=42 \t  ", "\t=43 x  y\t =44 ", "\n") +
               "END:VNOTE";
    QTest::newRow("CR only, lower case, blank lines")
        << "\r\rBEGIN:VNOTE\r version:x \r  " + body.toLower() + "  \r" +
               lines("=41=42=43=4", "             ", "\r") + "\rEND:VNOTE\r\n\n\r";
    QTest::newRow("one line longer than a piece, blanks inside")
        << head + lines("=41      =42", "  a  \t", "") + "\r\nEND:VNOTE";
    QTest::newRow("literal text after a line that ends with an equals sign")
        << head + lines("4x=41=", "zz=42=", "\n") + "END:VNOTE";
    QTest::newRow("an end marker within the body")
        << head + lines("=41=42", "END:VNOTE", "\r\n") + "END:VNOTE\r\n";
    QTest::newRow("no end marker") << head + lines("=41", "=42", "\n") + "END:VNOTE x\n";
    QTest::newRow("blank before the end marker") << head + lines("=41", "=42", "\n") + " END:VNOTE";
    QTest::newRow("no begin marker") << " " + head + lines("=41", "=42", "\n") + "END:VNOTE";
    QTest::newRow("no body") << head.first(head.size() - body.size() - 2) +
                                    lines("VERSION:2", "x", "\n") + "END:VNOTE";
    QTest::newRow("body marker past the first piece")
        << "BEGIN:VNOTE\nVERSION:" + QByteArray(2 * 1024 * 1024, 'v') + "\n" + body + "\n" +
               lines("=41", "=42", "\n") + "END:VNOTE";
    QByteArray cyrillic = head + lines("=D0=9F", "=41", "\r\n") + "END:VNOTE\r\n";
    cyrillic.insert(3 * 1024 * 1024, "Привет");
    QTest::newRow("Cyrillic far in") << cyrillic;
}

void TestParseNote::largeFileReadInPieces()
{
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("large.vnt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    file.close();

    // As the companion reads it, and in small pieces cut in two parts wherever it can be.
    for (const PieceReading &reading : {PieceReading(), PieceReading{0, 4099, 0}}) {
        for (const bool octets : {false, true}) {
            NoteView whole;
            RecordingSink wholeSink;
            QByteArray wholeOctets;
            const bool accepted = ParseNoteBytes(bytes, whole, fixedDisplay(false), wholeSink,
                                                 octets ? &wholeOctets : nullptr);
            NoteView pieces;
            RecordingSink piecesSink;
            QByteArray piecesOctets;
            QCOMPARE(ParseNoteFile(TextFileReader(), path, pieces, fixedDisplay(false), piecesSink,
                                   octets ? &piecesOctets : nullptr, reading),
                     accepted);
            QCOMPARE(piecesSink.messages, wholeSink.messages);
            QCOMPARE(pieces.txtVersion, whole.txtVersion);
            QCOMPARE(pieces.txtBody.size(), whole.txtBody.size());
            QCOMPARE(pieces, whole);
            QCOMPARE(piecesOctets.size(), wholeOctets.size());
            QVERIFY(piecesOctets == wholeOctets);
        }
    }
}

QTEST_APPLESS_MAIN(TestParseNote)
#include "tst_parsenote.moc"
