// SPDX-License-Identifier: GPL-3.0-or-later
#include "embeddednotes.h"
#include "lenientreader.h"
#include "parsenote.h"
#include "qvutf8.h"
#include "textfilereader.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

namespace {

class RecordingSink : public MessageSink
{
public:
    void showCritical(const QString &message) override { messages.append(message); }
    QStringList messages;
};

DateDisplay berlinLongDates()
{
    return {false, QLocale(QStringLiteral("ru_RU")), QTimeZone(QByteArrayLiteral("Europe/Berlin"))};
}

DateDisplay dubaiShortDates()
{
    return {true, QLocale(QStringLiteral("ru_RU")), QTimeZone(QByteArrayLiteral("Asia/Dubai"))};
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A note from its lines between the markers, with CR LF line ends.
QByteArray note(const QByteArrayList &lines)
{
    return "BEGIN:VNOTE\r\n" + lines.join("\r\n") + "\r\nEND:VNOTE\r\n";
}

// The count that titles take, from the marker lines alone; it must be the number of notes read.
qsizetype countedNotes(const QByteArray &file)
{
    RecordingSink sink;
    return LenientNotes(file, berlinLongDates(), sink).count();
}

QByteArray repeated(const QByteArray &unit, qsizetype count)
{
    QByteArray out;
    out.reserve(unit.size() * count);
    for (qsizetype i = 0; i < count; ++i)
        out.append(unit);
    return out;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile out(path);
    return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size();
}

} // namespace

class TestLenient : public QObject
{
    Q_OBJECT

private slots:
    void golden_data();
    void golden();
    void rules_data();
    void rules();
    void badInput_data();
    void badInput();
    void holdsNoteText_data();
    void holdsNoteText();
    void strictLayoutReadsAsStrictly_data();
    void strictLayoutReadsAsStrictly();
    void stampMoments_data();
    void stampMoments();
    void utf8Values_data();
    void utf8Values();
    void embeddedNotes();
    void embeddedNotesCancelled();
};

// Each note file under data/lenient, and each calendar file and backup under data/containers,
// has beside it what the lenient reading must give for it, with Berlin's time zone, the Russian
// locale and long dates.
void TestLenient::golden_data()
{
    QTest::addColumn<QString>("notePath");
    const QDir dir(QStringLiteral(QUILLET_TEST_DATA "/lenient"));
    const QStringList notes = dir.entryList({QStringLiteral("*.vnt")}, QDir::Files, QDir::Name);
    QVERIFY(notes.size() >= 25);
    for (const QString &name : notes)
        QTest::newRow(qPrintable(name)) << dir.filePath(name);
    const QDir containers(QStringLiteral(QUILLET_TEST_DATA "/containers"));
    const QStringList files = containers.entryList(
        {QStringLiteral("*.vcs"), QStringLiteral("*.ics"), QStringLiteral("*.backup")}, QDir::Files,
        QDir::Name);
    QVERIFY(files.size() >= 7);
    for (const QString &name : files)
        QTest::newRow(qPrintable(name)) << containers.filePath(name);
}

void TestLenient::golden()
{
    QFETCH(QString, notePath);
    const QString base = notePath.left(notePath.lastIndexOf(u'.'));
    const QJsonObject expected =
        QJsonDocument::fromJson(readFile(base + QStringLiteral(".json"))).object();
    QVERIFY(!expected.isEmpty());

    RecordingSink sink;
    const LenientReading reading =
        ReadNotesLenient(readFile(notePath), berlinLongDates(), sink, notePath);
    QCOMPARE(reading.accepted, expected.value(QStringLiteral("accepted")).toBool());
    const QString error = expected.value(QStringLiteral("error"))
                              .toString()
                              .replace(QStringLiteral("{path}"), notePath);
    QCOMPARE(sink.messages, error.isEmpty() ? QStringList() : QStringList{error});
    const QJsonArray notes = expected.value(QStringLiteral("notes")).toArray();
    QCOMPARE(reading.notes.size(), notes.size());
    QCOMPARE(countedNotes(readFile(notePath)), notes.size());
    RecordingSink unused;
    QCOMPARE(LenientNotes(readFile(notePath), berlinLongDates(), unused).skipped(),
             expected.value(QStringLiteral("skipped")).toInteger());
    for (qsizetype i = 0; i < notes.size(); ++i) {
        const QJsonObject fields = notes[i].toObject();
        const NoteView &view = reading.notes[i];
        QCOMPARE(view.title, NoteView::emptyTitle());
        QCOMPARE(view.txtVersion, fields.value(QStringLiteral("version")).toString());
        QCOMPARE(view.txtDateCreated, fields.value(QStringLiteral("created")).toString());
        QCOMPARE(view.txtDateModified, fields.value(QStringLiteral("modified")).toString());
        QCOMPARE(view.txtBody, fields.value(QStringLiteral("body")).toString());
        QCOMPARE(view.notice, fields.value(QStringLiteral("notice")).toString());
        QCOMPARE(view.kind, fields.value(QStringLiteral("kind")).toString());
        QCOMPARE(view.summary, fields.value(QStringLiteral("summary")).toString());
    }
}

// The rules of the lenient reading, one note each; short dates in Dubai (UTC+4).
void TestLenient::rules_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("created");
    QTest::addColumn<QString>("body");

    const QString stamp = QStringLiteral("04:19:40 03.04.2013");
    QTest::newRow("escapes in either case") << note({"BODY;QUOTED-PRINTABLE:=d0=9F=D1=80"}) << ""
                                            << ""
                                            << "Пр";
    QTest::newRow("an = that starts no escape stays")
        << note({"BODY;QUOTED-PRINTABLE:1+1=2, =G1 =4", "VERSION:1"}) << "1"
        << ""
        << "1+1=2, =G1 =4";
    QTest::newRow("trailing blanks of encoded lines dropped")
        << note({"BODY;QUOTED-PRINTABLE:=41 =  \t", "=42  ", "VERSION:2"}) << "2"
        << ""
        << "A B";
    QTest::newRow("escape cut by a soft break") << note({"BODY;QUOTED-PRINTABLE:=D=", "0=9F"}) << ""
                                                << ""
                                                << "П";
    QTest::newRow("soft break takes the next line whole")
        << note({"BODY;QUOTED-PRINTABLE:one=", " two=", "", "VERSION:3"}) << "3"
        << ""
        << "one two";
    QTest::newRow("fold drops one blank or tab")
        << note({"BODY:one", "  two", "\t\tthree", "VERSION:4"}) << "4"
        << ""
        << "one two\tthree";
    QTest::newRow("folded quoted-printable") << note({"BODY;QUOTED-PRINTABLE:=41", " =42"}) << ""
                                             << ""
                                             << "AB";
    QTest::newRow("unencoded trimmed, folded blanks kept inside")
        << note({"BODY;8BIT: \t a  ", "  ", "  b \t"}) << ""
        << ""
        << "a    b";
    QTest::newRow("no backslash unescaping") << note({"BODY:C:\\notes\\n;x\\,y"}) << ""
                                             << ""
                                             << "C:\\notes\\n;x\\,y";
    QTest::newRow("base64 runs to the empty line")
        << note({"BODY;BASE64:SGVs", "bG8s", "IHdv", "cmxk", "", "VERSION:5"}) << "5"
        << ""
        << "Hello, world";
    QTest::newRow("base64 that is not base64 shown as written")
        << note({"BODY;ENCODING=BASE64;CHARSET=windows-1251:not base64!", "", "VERSION:6"}) << "6"
        << ""
        << "not base64!";
    QTest::newRow("empty charset as none") << note({"BODY;CHARSET=;8BIT:caf\xe9"}) << ""
                                           << ""
                                           << "café";
    QTest::newRow("quoted charset name")
        << note({"BODY;CHARSET=\"KOI8-R\";8BIT:\xf0\xd2\xc9"}) << ""
        << ""
        << "При";
    QTest::newRow("quoted encoding and charset")
        << note({"BODY;ENCODING=\"QUOTED-PRINTABLE\";CHARSET=\"KOI8-R\":=F0=D2=C9"}) << ""
        << ""
        << "При";
    QTest::newRow("colon inside a quoted value")
        << note({"NOTE;X-A=\"x:y\";CHARSET=UTF-8:hello", "VERSION;X-B=\"a:b\":1"}) << "1"
        << ""
        << "hello";
    QTest::newRow("semicolon and colon inside a quoted value")
        << note({"BODY;QUOTED-PRINTABLE;X-A=\"a;ENCODING=8BIT:\";CHARSET=KOI8-R:=F0=D2=C9"}) << ""
        << ""
        << "При";
    QTest::newRow("a quote left open quotes nothing")
        << note({"BODY;X-A=\"open;CHARSET=KOI8-R:\xf0\xd2\xc9"}) << ""
        << ""
        << "При";
    QTest::newRow("a quote left open takes no colon from the value")
        << note({"NOTE;X-A=\"open:he said \"hi\""}) << ""
        << ""
        << "he said \"hi\"";
    QTest::newRow("UTF-16 with its own mark")
        << note({"BODY;CHARSET=UTF-16;QUOTED-PRINTABLE:=FF=FE=1F=04=40=04"}) << ""
        << ""
        << "Пр";
    QTest::newRow("group prefix and blanks around the name")
        << note({"item1.Body :grouped", "Version\t: 7 "}) << "7"
        << ""
        << "grouped";
    QTest::newRow("first BODY wins over NOTE and SUMMARY")
        << note({"SUMMARY:s", "NOTE:n", "BODY:b1", "BODY:b2"}) << ""
        << ""
        << "b1";
    QTest::newRow("first NOTE without a BODY") << note({"SUMMARY:s", "NOTE:n1", "NOTE:n2"}) << ""
                                               << ""
                                               << "n1";
    QTest::newRow("empty BODY still wins") << note({"BODY:", "NOTE:n"}) << ""
                                           << ""
                                           << "";
    QTest::newRow("last VERSION and DCREATED win")
        << note({"VERSION:1.0", "DCREATED:1999", "BODY:x", "version: 2.1b ",
                 "DCREATED:20130403T001940Z"})
        << "2.1B" << stamp << "x";
    QTest::newRow("encoded stamp")
        << note({"DCREATED;QUOTED-PRINTABLE:=32=30130403T001940"}) << "" << stamp << "";
    QTest::newRow("lone CR inside a CR LF file")
        << QByteArray("BEGIN:VNOTE\r\nBODY:a\rb\r\nVERSION:1\r\nEND:VNOTE") << "1"
        << ""
        << "a\rb";
    QTest::newRow("CR file: CR LF and LF end lines too")
        << QByteArray("BEGIN:VNOTE\rBODY:a\r\nVERSION:1\nDCREATED:20130403T001940\rEND:VNOTE")
        << "1" << stamp << "a";
    QTest::newRow("CR file: CR LF ends one line, not two")
        << QByteArray("BEGIN:VNOTE\rBODY;QUOTED-PRINTABLE:abc=\r\ndef\rEND:VNOTE") << ""
        << ""
        << "abcdef";
    QTest::newRow("no END swallowed by a soft break")
        << QByteArray("BEGIN:VNOTE\nBODY;QUOTED-PRINTABLE:=41=\nEND:VNOTE\n") << ""
        << ""
        << "A";
    // ASCII takes no converter until an octet above 0x7F needs one to be replaced.
    QTest::newRow("ASCII named, ASCII octets")
        << note({"BODY;CHARSET=US-ASCII;ENCODING=QUOTED-PRINTABLE:a=3Db=09",
                 "VERSION;CHARSET=ASCII:1"})
        << "1"
        << ""
        << "a=b\t";
    QTest::newRow("ASCII named, octets above 0x7F replaced")
        << note({"BODY;CHARSET=ascii;QUOTED-PRINTABLE:a=E9b=D0=9F", "VERSION;CHARSET=ASCII:\xe9"})
        << "\uFFFD"
        << ""
        << "a\uFFFDb\uFFFD\uFFFD";
    QTest::newRow("ASCII named, octet 0x80 replaced")
        << note({"BODY;CHARSET=US-ASCII:caf\x80", "VERSION;CHARSET=US-ASCII;QUOTED-PRINTABLE:=80"})
        << "\uFFFD"
        << ""
        << "caf\uFFFD";
    QTest::newRow("no END swallowed by base64")
        << QByteArray("BEGIN:VNOTE\nBODY;BASE64:QUI=\nEND:VNOTE\n") << ""
        << ""
        << "AB";
}

void TestLenient::rules()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, version);
    QFETCH(QString, created);
    QFETCH(QString, body);

    RecordingSink sink;
    const LenientReading reading = ReadNotesLenient(file, dubaiShortDates(), sink);
    QVERIFY(reading.accepted);
    QVERIFY(sink.messages.isEmpty());
    QCOMPARE(reading.notes.size(), 1);
    QCOMPARE(reading.notes[0].txtVersion, version);
    QCOMPARE(reading.notes[0].txtDateCreated, created);
    QCOMPARE(reading.notes[0].txtBody, body);
}

// Hostile and broken files: a clear result each, the marker message or the fields that can be
// read. Work is linear in the input: the large rows stay fast only so.
void TestLenient::badInput_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("message"); // empty when the file is accepted
    QTest::addColumn<int>("notes");
    QTest::addColumn<QString>("body");       // of the first note; ignored when bodySize is set
    QTest::addColumn<qsizetype>("bodySize"); // -1: compare the body
    QTest::addColumn<int>("cutOff");         // how many of the notes are cut off

    const QString begin = beginMarkerMissingMessage();
    const QString none;
    QTest::newRow("unknown charset") << note({"BODY;CHARSET=\x01\xff/..;8BIT:ok\xff"}) << none << 1
                                     << "ok\uFFFD" << qsizetype(-1) << 0;
    QTest::newRow("charset name too long for a converter")
        << note({"BODY;CHARSET=" + repeated("X", 300) + ":ok"}) << none << 1 << "ok"
        << qsizetype(-1) << 0;
    QTest::newRow("empty charset on base64 that is not base64")
        << note({"BODY;CHARSET=;ENCODING=BASE64:@@@", ""}) << none << 1 << "@@@" << qsizetype(-1)
        << 0;
    QTest::newRow("truncated escapes at the end of the file")
        << QByteArray("BEGIN:VNOTE\nBODY;QUOTED-PRINTABLE:=41=D\nEND:VNOTE") << none << 1 << "A=D"
        << qsizetype(-1) << 0;
    QTest::newRow("soft break on the last line")
        << QByteArray("BEGIN:VNOTE\nBODY;QUOTED-PRINTABLE:=41=\n\nEND:VNOTE=") << none << 1 << "A"
        << qsizetype(-1) << 1;
    QTest::newRow("100,000 folded continuation lines")
        << note({"BODY:x" + repeated("\r\n y", 100000)}) << none << 1 << "" << qsizetype(100001)
        << 0;
    QTest::newRow("60 MB single value") << note({"BODY:" + repeated("0123456789", 6000000)}) << none
                                        << 1 << "" << qsizetype(60000000) << 0;
    // Longer than the decoder's buffer, with an escape left open where a chunk of it may end.
    QTest::newRow("long quoted-printable line")
        << note({"BODY;QUOTED-PRINTABLE:" + repeated("x", 16382) + "=4" + repeated("x", 16384) +
                 "=41" + repeated("xy=41", 30000) + "=4"})
        << none << 1
        << QString(repeated("x", 16382) + "=4" + repeated("x", 16384) + "A" +
                   repeated("xyA", 30000) + "=4")
        << qsizetype(-1) << 0;
    QTest::newRow("NUL bytes") << note({QByteArray("BODY:a\0b", 8), QByteArray("\0VERSION:1", 10)})
                               << none << 1 << QString::fromLatin1("a\0b", 3) << qsizetype(-1) << 0;
    QTest::newRow("BEGIN with no END")
        << QByteArray("BEGIN:VNOTE\r\nBODY:x\r\n") << none << 1 << "x" << qsizetype(-1) << 1;
    QTest::newRow("END with no BEGIN")
        << QByteArray("BODY:x\r\nEND:VNOTE\r\n") << begin << 0 << "" << qsizetype(-1) << 0;
    QTest::newRow("no marker at all")
        << QByteArray("hello") << begin << 0 << "" << qsizetype(-1) << 0;
    QTest::newRow("empty file") << QByteArray() << begin << 0 << "" << qsizetype(-1) << 0;
    QTest::newRow("BEGIN alone") << QByteArray("BEGIN:VNOTE") << none << 1 << "" << qsizetype(-1)
                                 << 1;
    QTest::newRow("nested BEGIN:VNOTE")
        << note({"BODY:outer", "BEGIN:VNOTE", "BEGIN:VNOTE", "BODY:inner", "END:VNOTE"}) << none
        << 3 << "outer" << qsizetype(-1) << 2;
    QTest::newRow("markers ending values, a marker's words between notes")
        << QByteArray("BEGIN:VNOTE\rBODY;QUOTED-PRINTABLE:a=\r begin:vnote \rBODY:b\r\nEND:VNOTE\r"
                      "x: BEGIN:VNOTE\rBEGIN:VNOTE:x\rBEGIN:VNOTE\nEND:VNOTE")
        << none << 3 << "a" << qsizetype(-1) << 1;
    QTest::newRow("10,000 notes in one file")
        << repeated("BEGIN:VNOTE\r\nBODY:n\r\nEND:VNOTE\r\n", 10000) << none << 10000 << "n"
        << qsizetype(-1) << 0;
    QTest::newRow("a UTF-16 mark and nothing else")
        << QByteArray("\xff\xfe") << begin << 0 << "" << qsizetype(-1) << 0;
    QTest::newRow("UTF-16 file cut in a character")
        << QByteArray("\xfe\xff\0B\0E\0G\0I\0N\0:\0V\0N\0O\0T\0E\0\n\0E\0N\0D\0:\0V\0N\0O\0T\0E\0",
                      45)
        << none << 1 << "" << qsizetype(-1) << 1;
}

void TestLenient::badInput()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, message);
    QFETCH(int, notes);
    QFETCH(QString, body);
    QFETCH(qsizetype, bodySize);
    QFETCH(int, cutOff);

    RecordingSink sink;
    const LenientReading reading = ReadNotesLenient(file, dubaiShortDates(), sink);
    QCOMPARE(reading.accepted, message.isEmpty());
    QCOMPARE(sink.messages, message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(reading.notes.size(), notes);
    QCOMPARE(countedNotes(file), notes);
    const auto cutOffNotes =
        std::count_if(reading.notes.begin(), reading.notes.end(),
                      [](const NoteView &note) { return note.notice == cutOffNoteMessage(); });
    QCOMPARE(cutOffNotes, cutOff);
    if (notes == 0)
        return;
    if (bodySize >= 0)
        QCOMPARE(reading.notes[0].txtBody.size(), bodySize);
    else
        QCOMPARE(reading.notes[0].txtBody, body);
}

void TestLenient::holdsNoteText_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("holdsText");

    QTest::newRow("body on the marker line")
        << note({"BODY;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=D0=9F"}) << true;
    QTest::newRow("blank body") << note({"BODY;QUOTED-PRINTABLE:=20=0D=0A=09", "NOTE:n"}) << false;
    QTest::newRow("NOTE") << note({"NOTE:text"}) << true;
    QTest::newRow("SUMMARY") << note({"SUMMARY:text"}) << true;
    QTest::newRow("other properties only") << note({"VERSION:1.1", "X-BODY:text"}) << false;
    QTest::newRow("text in the second note")
        << QByteArray("BEGIN:VNOTE\nBODY:\nEND:VNOTE\nBEGIN:VNOTE\nBODY:b\nEND:VNOTE") << true;
    QTest::newRow("file cut off before its END") << QByteArray("BEGIN:VNOTE\nBODY:text\n") << true;
    QTest::newRow("rejected file") << QByteArray("BODY:text\nEND:VNOTE\n") << false;
}

void TestLenient::holdsNoteText()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, holdsText);
    QCOMPARE(HoldsNoteText(file), holdsText);
}

// Notes in the strict reading's own layout read the same both ways.
void TestLenient::strictLayoutReadsAsStrictly_data()
{
    QTest::addColumn<QString>("notePath");
    for (const char *name : {"phone-ru-crlf", "phone-en-lf", "old-mac-cr", "utf8-bom",
                             "utf16le-bom", "utf16be-bom", "no-begin-marker", "no-end-marker"})
        QTest::newRow(name) << QStringLiteral(QUILLET_TEST_DATA "/golden/%1.vnt").arg(name);
}

void TestLenient::strictLayoutReadsAsStrictly()
{
    QFETCH(QString, notePath);
    const QByteArray bytes = readFile(notePath);
    QVERIFY(!bytes.isEmpty());

    NoteView strict;
    RecordingSink strictSink;
    const bool accepted =
        ParseNote(TextFileReader::DecodeText(bytes), strict, berlinLongDates(), strictSink);
    RecordingSink sink;
    const LenientReading reading = ReadNotesLenient(bytes, berlinLongDates(), sink);
    // A note cut off before its END, which the strict reading rejects, is shown all the same.
    const bool cutOff = strictSink.messages == QStringList{endMarkerMissingMessage()};
    QCOMPARE(reading.accepted, accepted || cutOff);
    QCOMPARE(sink.messages, cutOff ? QStringList() : strictSink.messages);
    if (cutOff) {
        QCOMPARE(reading.notes.size(), 1);
        QCOMPARE(reading.notes[0].notice, cutOffNoteMessage());
    }
    if (!accepted)
        return;
    QCOMPARE(reading.notes.size(), 1);
    QCOMPARE(reading.notes[0].notice, QString());
    QCOMPARE(reading.notes[0].txtVersion, strict.txtVersion);
    QCOMPARE(reading.notes[0].txtDateCreated, strict.txtDateCreated);
    QCOMPARE(reading.notes[0].txtDateModified, strict.txtDateModified);
    QCOMPARE(reading.notes[0].txtBody, strict.txtBody);
}

// The moments that exports write, from every stamp form the lenient reading converts.
void TestLenient::stampMoments_data()
{
    QTest::addColumn<QByteArray>("stamp");
    QTest::addColumn<QString>("moment"); // ISO 8601 in UTC; empty for none

    QTest::newRow("compact") << QByteArray("20130403T001940") << "2013-04-03T00:19:40Z";
    QTest::newRow("compact with Z") << QByteArray("20130403T001940Z") << "2013-04-03T00:19:40Z";
    QTest::newRow("extended, lower case, blanks")
        << QByteArray(" 2013-04-03t00:19:40z ") << "2013-04-03T00:19:40Z";
    QTest::newRow("no moment") << QByteArray("2013-13-03T00:19:40Z") << "";
    QTest::newRow("not a stamp") << QByteArray("yesterday") << "";
}

void TestLenient::stampMoments()
{
    QFETCH(QByteArray, stamp);
    QFETCH(QString, moment);

    RecordingSink sink;
    const LenientReading reading =
        ReadNotesLenient(note({"DCREATED:" + stamp, "LAST-MODIFIED;VALUE=DATE-TIME:" + stamp}),
                         berlinLongDates(), sink);
    QCOMPARE(reading.notes.size(), 1);
    QCOMPARE(reading.notes[0].createdUtc.toUTC().toString(Qt::ISODate), moment);
    QCOMPARE(reading.notes[0].modifiedUtc.toUTC().toString(Qt::ISODate), moment);
}

// UTF-8 values, well-formed or not, read as the strict reading's decoder reads them (which drops
// a leading byte-order mark): every octet written as an escape, so that nothing but the decoding
// is tested.
void TestLenient::utf8Values_data()
{
    QTest::addColumn<QByteArray>("octets");
    QTest::addColumn<QByteArray>("charset"); // empty: none named, for well-formed octets only

    const QByteArray utf8("UTF-8");
    QTest::newRow("two, three and four octets, none named")
        << QByteArray("\xd0\x9f\xe2\x82\xac\xf0\x9f\x98\x80!") << QByteArray();
    QTest::newRow("a replacement character written as such")
        << QByteArray("a\xef\xbf\xbd") << QByteArray();
    QTest::newRow("encoded surrogate") << QByteArray("\xed\xa0\x80z") << utf8;
    QTest::newRow("sequence cut by the end") << QByteArray("ab\xe2\x82") << utf8;
    QTest::newRow("byte-order mark first") << QByteArray("\xef\xbb\xbf\xd0\x9f") << utf8;
    QTest::newRow("byte-order mark inside") << QByteArray("A\xef\xbb\xbf"
                                                          "B")
                                            << utf8;
}

void TestLenient::utf8Values()
{
    QFETCH(QByteArray, octets);
    QFETCH(QByteArray, charset);

    QByteArray escaped;
    for (const char octet : octets)
        escaped += '=' + QByteArray(1, octet).toHex().toUpper();
    const QByteArray named = charset.isEmpty() ? QByteArray() : ";CHARSET=" + charset;
    RecordingSink sink;
    const LenientReading reading = ReadNotesLenient(
        note({"BODY" + named + ";ENCODING=QUOTED-PRINTABLE:" + escaped}), berlinLongDates(), sink);
    QCOMPARE(reading.notes.size(), 1);
    QCOMPARE(reading.notes[0].txtBody, qvUTF8ToUNICODE(octets));
}

// Notes inside a file of random bytes, read a small piece at a time, so that markers and notes
// cross the pieces' boundaries.
void TestLenient::embeddedNotes()
{
    constexpr qsizetype Piece = 4096;
    QRandomGenerator random(19);
    QByteArray file;
    const auto junkTo = [&](qsizetype size) {
        while (file.size() < size)
            file.append(char(random.bounded(256)));
    };
    const auto utf16 = [](const QString &text, bool bigEndian) {
        return QByteArray(
            QStringEncoder(bigEndian ? QStringConverter::Utf16BE : QStringConverter::Utf16LE)
                .encode(text));
    };
    const QString le =
        QStringLiteral("BEGIN:VNOTE\r\nBODY;CHARSET=UTF-8:Привет, мир\r\nEND:VNOTE\r\n");
    const QString be = QStringLiteral("BEGIN:VNOTE\r\nBODY:Заметка\r\nDCREATED:20130403T001940Z\r\n"
                                      "END:VNOTE\r\n");
    junkTo(1000);
    file.append(note({"BODY:eight-bit"}));
    junkTo(2000);
    file.append('\0'); // reads as the end of a BE marker too
    file.append(utf16(le, false));
    junkTo(Piece - 5); // this marker crosses the end of the first piece
    file.append(note({"BODY:crossing"}));
    junkTo(2 * Piece - 40); // and this note the end of the second
    file.append(utf16(be, true));
    junkTo(3 * Piece);
    file.append("BEGIN:VNOTE\r\nBODY:cut off");

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("backup.nbu"));
    QVERIFY(writeFile(path, file));
    EmbeddedNotes notes(path, berlinLongDates(), TextFileReader::Opening::LookFirst, Piece);
    QCOMPARE(notes.count(), 5);
    QStringList bodies;
    QStringList notices;
    for (NoteView view; notes.next(view);) {
        bodies.append(view.txtBody);
        notices.append(view.notice);
    }
    QCOMPARE(bodies, QStringList({QStringLiteral("eight-bit"), QStringLiteral("Привет, мир"),
                                  QStringLiteral("crossing"), QStringLiteral("Заметка"),
                                  QStringLiteral("cut off")}));
    QCOMPARE(notices, QStringList({{}, {}, {}, {}, cutOffNoteMessage()}));
}

// A cancelled scan stops between the pieces it reads, not only between notes: the next note lies
// eight pieces on, and the scan is cancelled after two of them.
void TestLenient::embeddedNotesCancelled()
{
    constexpr qsizetype Piece = 4096;
    QByteArray file = note({"BODY:first"});
    file.append(QByteArray(8 * Piece, 'x')).append(note({"BODY:far on"}));
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("backup.bin"));
    QVERIFY(writeFile(path, file));
    EmbeddedNotes notes(path, berlinLongDates(), TextFileReader::Opening::LookFirst, Piece);
    QCOMPARE(notes.count(), 2);
    int checks = 0;
    notes.setCancelled([&checks] { return ++checks > 3; });
    NoteView view;
    QVERIFY(notes.next(view));
    QCOMPARE(view.txtBody, QStringLiteral("first"));
    QVERIFY(!notes.next(view));
    QCOMPARE(checks, 4);
}

QTEST_APPLESS_MAIN(TestLenient)
#include "tst_lenient.moc"
