// SPDX-License-Identifier: GPL-3.0-or-later
#include "enexnote.h"
#include "exportwriter.h"
#include "jsonstring.h"
#include "markdowntext.h"
#include "notefilecheck.h"
#include "notetitle.h"
#include "orderedwork.h"
#include "outputnames.h"
#include "qvutf8.h"
#include "xmltext.h"
#include "yamlscalar.h"

#include <QRandomGenerator>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <mutex>
#include <utility>

// The parts of an export that the companion's runs cannot pin down: the order and bounds of the
// work on several threads, the names and titles given to notes, and what counts as a note file.
class TestExportParts : public QObject
{
    Q_OBJECT

private slots:
    void orderedWork_data();
    void orderedWork();
    void outputNames_data();
    void outputNames();
    void noteTitle_data();
    void noteTitle();
    void jsonFromOctets_data();
    void jsonFromOctets();
    void markdownText_data();
    void markdownText();
    void visibleBlanks_data();
    void visibleBlanks();
    void enexTag_data();
    void enexTag();
    void loneSurrogates_data();
    void loneSurrogates();
    void noteFile_data();
    void noteFile();
};

void TestExportParts::orderedWork_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("threads");
    QTest::addColumn<int>("maxAhead");
    QTest::addColumn<int>("weight");    // of each result
    QTest::addColumn<int>("maxWeight"); // held ahead

    QTest::newRow("no items") << 0 << 2 << 8 << 1 << 100;
    QTest::newRow("one item") << 1 << 2 << 8 << 1 << 100;
    QTest::newRow("no threads: made in turn") << 50 << 0 << 8 << 1 << 100;
    QTest::newRow("one thread") << 500 << 1 << 8 << 1 << 100;
    QTest::newRow("more threads than cores") << 2000 << 6 << 32 << 1 << 1000;
    QTest::newRow("bounded by count") << 500 << 4 << 4 << 1 << 1000;
    QTest::newRow("bounded by weight") << 300 << 4 << 64 << 10 << 25;
    QTest::newRow("each result over the weight") << 100 << 3 << 64 << 50 << 10;
}

void TestExportParts::orderedWork()
{
    QFETCH(int, count);
    QFETCH(int, threads);
    QFETCH(int, maxAhead);
    QFETCH(int, weight);
    QFETCH(int, maxWeight);

    std::mutex mutex;
    qsizetype taken = 0;     // by the loop below
    qsizetype made = 0;      // results made so far
    qsizetype mostAhead = 0; // of items started, past the last one taken
    qsizetype mostHeld = 0;  // of results made and not yet taken
    OrderedWork<qsizetype> work(
        count,
        [&](qsizetype index) {
            {
                const std::lock_guard lock(mutex);
                mostAhead = std::max(mostAhead, index - taken);
            }
            if (QRandomGenerator::global()->bounded(4) == 0)
                QThread::usleep(QRandomGenerator::global()->bounded(200));
            const std::lock_guard lock(mutex);
            ++made;
            mostHeld = std::max(mostHeld, made - taken);
            return index;
        },
        [&](qsizetype) { return qsizetype(weight); }, threads, maxAhead, maxWeight);
    for (qsizetype result = -1; work.next(result);) {
        QCOMPARE(result, taken);
        const std::lock_guard lock(mutex);
        ++taken;
    }
    QCOMPARE(taken, qsizetype(count));
    QCOMPARE(made, qsizetype(count));
    QVERIFY2(mostAhead <= maxAhead, qPrintable(QString::number(mostAhead)));
    // What is held ahead stays under the bound, but for the results made while it was reached:
    // one for each thread that makes them (the taking thread makes them too), and the one due,
    // which is always made.
    const qsizetype mostWeight = mostHeld * weight;
    QVERIFY2(mostWeight <= std::max(maxWeight, weight) + weight * qsizetype(threads + 2),
             qPrintable(QString::number(mostWeight)));
}

void TestExportParts::outputNames_data()
{
    QTest::addColumn<QStringList>("notes"); // the mirrored path, '#' and the note's index
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("shortened"); // those of the names

    QTest::newRow("extension replaced")
        << QStringList{"memo12.vnt#1", "sub/deep/x.VNT#1", "noextension#1", ".vnt#1"}
        << QStringList{"out/memo12.md", "out/sub/deep/x.md", "out/noextension.md", "out/.vnt.md"}
        << QStringList{};
    QTest::newRow("later notes of a file")
        << QStringList{"memo.vnt#1", "memo.vnt#2", "memo.vnt#10"}
        << QStringList{"out/memo.md", "out/memo-2.md", "out/memo-10.md"} << QStringList{};
    QTest::newRow("a name taken in the run")
        << QStringList{"memo.vnt#1", "memo.vnt#1", "memo.txt#1", "memo (2).vnt#1", "sub/memo.vnt#1"}
        << QStringList{"out/memo.md", "out/memo (2).md", "out/memo (3).md", "out/memo (2) (2).md",
                       "out/sub/memo.md"}
        << QStringList{};
    QTest::newRow("a second note's name taken by a file")
        << QStringList{"memo-2.vnt#1", "memo.vnt#2"}
        << QStringList{"out/memo-2.md", "out/memo-2 (2).md"} << QStringList{};

    // A file name holds 255 octets: the stem is cut between characters, its endings kept.
    const QString two = QStringLiteral("a") + QString(125, u'ж'); // 251 octets
    const QString four = QStringLiteral("abc") + QString(QStringLiteral("\U0001F600")).repeated(63);
    QTest::newRow("cut between two-octet characters")
        << QStringList{two + QStringLiteral("ж.vnt#1")}
        << QStringList{"out/" + two + QStringLiteral(".md")}
        << QStringList{"out/" + two + QStringLiteral(".md")};
    QTest::newRow("a copy's number kept")
        << QStringList{two + QStringLiteral(".vnt#1"), two + QStringLiteral(".vnt#1")}
        << QStringList{"out/" + two + QStringLiteral(".md"),
                       "out/" + two.first(124) + QStringLiteral(" (2).md")}
        << QStringList{"out/" + two.first(124) + QStringLiteral(" (2).md")};
    QTest::newRow("a later note's number kept")
        << QStringList{two + QStringLiteral(".vnt#2")}
        << QStringList{"out/" + two.first(125) + QStringLiteral("-2.md")}
        << QStringList{"out/" + two.first(125) + QStringLiteral("-2.md")};
    QTest::newRow("a four-octet character left whole")
        << QStringList{four + QStringLiteral(".vnt#1")}
        << QStringList{"out/" + four.chopped(2) + QStringLiteral(".md")}
        << QStringList{"out/" + four.chopped(2) + QStringLiteral(".md")};
    QTest::newRow("an octet that is not UTF-8 counts one")
        << QStringList{QString(253, QChar(0xDCE9)) + QStringLiteral(".vnt#1")}
        << QStringList{"out/" + QString(252, QChar(0xDCE9)) + QStringLiteral(".md")}
        << QStringList{"out/" + QString(252, QChar(0xDCE9)) + QStringLiteral(".md")};
    QTest::newRow("only the file's own name counts")
        << QStringList{QString(250, u'f') + u'/' + QString(251, u'a') + QStringLiteral(".vnt#1")}
        << QStringList{"out/" + QString(250, u'f') + u'/' + QString(251, u'a') +
                       QStringLiteral(".md")}
        << QStringList{};
}

void TestExportParts::outputNames()
{
    QFETCH(QStringList, notes);
    QFETCH(QStringList, names);
    QFETCH(QStringList, shortened);

    OutputNames taken(QStringLiteral(".md"));
    QStringList given;
    QStringList cut;
    for (const QString &note : notes) {
        const qsizetype hash = note.lastIndexOf(u'#');
        const OutputName name = taken.take(note.first(hash), note.sliced(hash + 1).toInt());
        given.append(QStringLiteral("out/") + name.path);
        if (name.shortened)
            cut.append(given.last());
    }
    QCOMPARE(given, names);
    QCOMPARE(cut, shortened);
}

void TestExportParts::noteTitle_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("title");

    const QString longLine = QString(254, u'ж') + QStringLiteral("\U0001F600") + u'x';
    const QString path = QStringLiteral("/phone/notes/memo12.vnt");
    QTest::newRow("first line") << "Купить хлеб\r\nи молоко" << path << "Купить хлеб";
    QTest::newRow("blank lines skipped, trimmed") << " \t\r\n\n\r  second \r\n" << path << "second";
    QTest::newRow("lone CR ends a line") << "one\rtwo" << path << "one";
    QTest::newRow("cut at 255 characters, a pair counting once")
        << longLine << path << longLine.first(256);
    QTest::newRow("not a pair cut in two")
        << QString(254, u'a') + QStringLiteral("\U0001F600") << path
        << QString(254, u'a') + QStringLiteral("\U0001F600");
    QTest::newRow("empty body: the file's name") << "" << path << "memo12";
    QTest::newRow("white space only: the file's name") << " \r\n\t" << path << "memo12";
    QTest::newRow("the file's name less its last extension only") << ""
                                                                  << "/phone/memo.backup.vnt"
                                                                  << "memo.backup";
    QTest::newRow("cut, then trimmed") << QString(254, u'a') + "  b" << path << QString(254, u'a');
    QTest::newRow("controls and separators as blanks")
        << "\u0085\u2028\u2029\uFEFF\x7F\x01\n a\tb\u0085c\u0090\u2028" << path << "a b c";
    QTest::newRow("a blank file name: a word") << " \t"
                                               << "/phone/ \x01.vnt"
                                               << "Заметка";
    QTest::newRow("the file's name by the same rule") << ""
                                                      << "/phone/\x1B[2Jmemo .vnt"
                                                      << "[2Jmemo";
    // For the octets: a line longer than a title's octets, and one blank as far as they go.
    const QString japanese = QString(400, QChar(0x65E5));
    QTest::newRow("a long line of three-octet characters")
        << japanese << path << japanese.first(255);
    QTest::newRow("blank for more than a title's octets, then text")
        << QString(1100, u' ') + "x\ny" << path << "memo12";
    QTest::newRow("blank for more than a title's octets")
        << QString(1100, u' ') + "\ny" << path << "y";
}

void TestExportParts::noteTitle()
{
    QFETCH(QString, body);
    QFETCH(QString, path);
    QFETCH(QString, title);
    QCOMPARE(::noteTitle(body, path), title);
    QCOMPARE(noteTitleOfOctets(body.toUtf8(), path), title);
}

// A body kept as octets is written as JSON straight from them: byte for byte what writing the
// text they decode to would give, however ill-formed they are.
void TestExportParts::jsonFromOctets_data()
{
    QTest::addColumn<QByteArray>("octets");

    QByteArray mixed;
    while (mixed.size() < 3 * 64 * 1024) // across the blocks, sequences cut at their ends
        mixed += "Купить хлеб \xF0\x9F\x98\x80 and milk, \"now\"\r\n\t\\ \x01\x1F\x7F ";
    QTest::newRow("empty") << QByteArray("");
    QTest::newRow("ASCII with escapes") << QByteArray("a\"b\\c\nd\re\tf\x01\x1F\x7F/g");
    QTest::newRow("two, three and four octets")
        << QByteArray("\xD0\x9F\xE2\x80\x94\xF0\x9F\x98\x80\xEF\xBF\xBE");
    QTest::newRow("long mixed text") << mixed;
    QTest::newRow("overlong") << QByteArray("a\xC0\x80"
                                            "b");
    QTest::newRow("a surrogate") << QByteArray("a\xED\xA0\x80"
                                               "b");
    QTest::newRow("above U+10FFFF") << QByteArray("\xF4\x90\x80\x80");
    QTest::newRow("cut at the end") << QByteArray("abc\xD0");
    QTest::newRow("stray continuation") << QByteArray("\x80"
                                                      "abc");
    QTest::newRow("ill-formed far in") << mixed + "\xFF" + mixed;
    QTest::newRow("byte-order mark first") << QByteArray("\xEF\xBB\xBF"
                                                         "abc");
    QTest::newRow("byte-order mark inside") << QByteArray("abc\xEF\xBB\xBF");
    QTest::newRow("NUL") << QByteArray("a\0b", 3);
    // Within sixteen octets taken at once: each fault must send them the careful way.
    const QByteArray cyrillic("Купить хлеб и молоко");
    QTest::newRow("lead without its continuation, mid-block") << cyrillic +
                                                                     "\xD0"
                                                                     "A" +
                                                                     cyrillic;
    QTest::newRow("continuation after ASCII, mid-block") << cyrillic + "ab\x9F" + cyrillic;
    QTest::newRow("overlong lead C1, mid-block") << cyrillic + "\xC1\xBF" + cyrillic;
    QTest::newRow("lead in a block's last place") << QByteArray("abcdefghijklmno") + cyrillic;
    QTest::newRow("escape after a lead in a block") << cyrillic + "\xD0\"" + cyrillic;
    QTest::newRow("escapes between two-octet characters")
        << QByteArray("П\"р\\и\nв\x01е\tт, мир, привет!");
    // Three-octet sequences, each fault at every place of a block of sixteen.
    const QByteArray japanese("日本語のメモ、電車の切符。\r\n牛乳を買う");
    const std::pair<const char *, QByteArray> threeOctets[] = {
        {"E0 A0 80, the first of three", "\xE0\xA0\x80"},
        {"ED 9F BF, the last before the surrogates", "\xED\x9F\xBF"},
        {"overlong E0 9F BF", "\xE0\x9F\xBF"},
        {"surrogate ED A0 80", "\xED\xA0\x80"},
        {"lead with one continuation", "\xE6\x97"
                                       "A"},
        {"lead with two leads after it", "\xE6\xE6\xE6"},
        {"two-octet lead then a continuation too many", "\xD0\x9F\x9F"},
        {"four octets", "\xF0\x9F\x98\x80"},
    };
    for (const auto &[name, octets] : threeOctets) {
        for (int at = 0; at < 17; ++at)
            QTest::addRow("%s at %d", name, at) << QByteArray(at, 'a') + octets + japanese;
    }
    QTest::newRow("cut at the end after three-octet characters") << japanese + "\xE6\x97";
}

void TestExportParts::jsonFromOctets()
{
    QFETCH(QByteArray, octets);
    QByteArray fromText("{");
    appendJsonString(fromText, qvUTF8ToUNICODE(octets));
    QByteArray fromOctets("{");
    appendJsonUtf8(fromOctets, octets);
    QCOMPARE(fromOctets, fromText);
}

// What the renderers' tests cannot see: a backslash where none is needed still shows the text.
void TestExportParts::markdownText_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("markdown");

    QTest::newRow("_ inside a word, second in its line") << "a_b"
                                                         << "a_b";
    QTest::newRow("_ at a word's ends") << "_a b_"
                                        << "\\_a b\\_";
    QTest::newRow("* between blanks") << "2 * 3"
                                      << "2 * 3";
    QTest::newRow("a hard break inside a paragraph") << "a\r\nb\rc\n\nd\n"
                                                     << "a\\\nb\\\nc\n\nd\n";
    QTest::newRow("indentation as no-break spaces, blank lines as they are")
        << "  a\n\tb\n \t\n c"
        << "\u00A0\u00A0a\\\n\u00A0\u00A0\u00A0\u00A0b\n \t\n\u00A0c";
    QTest::newRow("==highlight==") << "==a== b=c a == b"
                                   << "\\=\\=a\\=\\= b=c a \\=\\= b";
    QTest::newRow("%%comment%%") << "%%a%% 100%"
                                 << "\\%\\%a\\%\\% 100%";
    QTest::newRow("#tag at a word's start") << "#tag (#a) C# a#b #1 # x"
                                            << "\\#tag (\\#a) C# a#b \\#1 # x";
    QTest::newRow("[[link]]") << "[[Link]]"
                              << "\\[\\[Link]]";
}

void TestExportParts::markdownText()
{
    QFETCH(QString, body);
    QFETCH(QString, markdown);
    QCOMPARE(::markdownText(body), markdown);
}

// Blanks as HTML shows them: what a no-break space stands for, the tests of ENEX and HTML read
// back as a blank.
void TestExportParts::visibleBlanks_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("shown");

    QTest::newRow("single blanks kept") << "a b c"
                                        << "a b c";
    QTest::newRow("a run alternates") << "a   b"
                                      << "a \u00A0 b";
    QTest::newRow("at the ends") << "  a  "
                                 << "\u00A0\u00A0a\u00A0\u00A0";
    QTest::newRow("a tab as four") << "a\tb"
                                   << "a \u00A0 \u00A0b";
    QTest::newRow("blanks only") << " \t"
                                 << "\u00A0\u00A0\u00A0\u00A0\u00A0";
}

void TestExportParts::visibleBlanks()
{
    QFETCH(QString, line);
    QFETCH(QString, shown);
    QCOMPARE(::visibleBlanks(line), shown);
}

void TestExportParts::enexTag_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("tag");

    QTest::newRow("none") << ""
                          << "";
    QTest::newRow("a path") << "sub/deep"
                            << "sub/deep";
    QTest::newRow("commas and controls as blanks, trimmed") << ", a,b\tc\n "
                                                            << "a b c";
    QTest::newRow("cut at 100, then trimmed") << QString(99, u'x') + " ,y" << QString(99, u'x');
    QTest::newRow("blanks only") << " , "
                                 << "";
}

void TestExportParts::enexTag()
{
    QFETCH(QString, folder);
    QFETCH(QString, tag);
    QCOMPARE(::enexTag(folder), tag);
}

// A surrogate without its partner, which UTF-8 cannot hold: the text format and JSON write it
// as an escape, the others as U+FFFD, never as the "?" that would open an HTML block after "<"
// in Markdown or a mapping key in YAML. It stands in the body's first line (so in the title too)
// and in the file's name.
void TestExportParts::loneSurrogates_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QChar>("unit");
    QTest::addColumn<QByteArray>("shown");
    QTest::addColumn<int>("count"); // how many times: in the body, title or name that hold it

    const QByteArray replacement("\xEF\xBF\xBD");
    const struct
    {
        const char *name;
        char16_t unit;
        QByteArray text;
        QByteArray json;
    } units[] = {{"a lone high surrogate", 0xD83D, "\\uD83D", "\\ud83d"},
                 {"a lone low surrogate", 0xDE00, "\\uDE00", "\\ude00"},
                 {"a file name's octet", 0xDCE9, "\\xE9", "\\udce9"}};
    for (const auto &u : units) {
        const auto row = [&](const char *format) {
            return &QTest::newRow(qPrintable(QStringLiteral("%1, %2").arg(format, u.name)));
        };
        *row("text") << "text" << QChar(u.unit) << u.text << 2;
        *row("json") << "json" << QChar(u.unit) << u.json << 3;
        *row("markdown") << "markdown" << QChar(u.unit) << replacement << 3;
        *row("enex") << "enex" << QChar(u.unit) << replacement << 3;
        *row("html") << "html" << QChar(u.unit) << replacement << 3;
        *row("csv") << "csv" << QChar(u.unit) << replacement << 3;
        *row("yaml") << "yaml" << QChar(u.unit) << replacement << 1;
    }
}

void TestExportParts::loneSurrogates()
{
    QFETCH(QString, format);
    QFETCH(QChar, unit);
    QFETCH(QByteArray, shown);
    QFETCH(int, count);

    ExportedNote note;
    note.file = QStringLiteral("/phone/memo") + unit + QStringLiteral(".vnt");
    note.accepted = true;
    const QString firstLine = u'<' + QString(unit) + QStringLiteral(" note");
    note.view.txtBody = firstLine + QStringLiteral("\r\n<img src=x onerror=alert(1)>\r\n<script>");
    QByteArray out;
    if (format == u"yaml") {
        out = yamlScalar(firstLine).toUtf8();
    } else {
        ExportSettings settings;
        settings.format = *exportFormatNamed(format);
        ExportWriter writer(settings);
        out = writer.entry(note);
    }
    QVERIFY2(out.count(shown) == count, out.constData());
}

void TestExportParts::noteFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("note");

    const QByteArray marker("BEGIN:VNOTE\r\nVERSION:1.1\r\nEND:VNOTE\r\n");
    const auto utf16 = [](QStringView text, bool bigEndian) {
        return QByteArray(
            QStringEncoder(bigEndian ? QStringConverter::Utf16BE : QStringConverter::Utf16LE)
                .encode(text));
    };
    QTest::newRow("the marker first") << "a.txt" << marker << true;
    QTest::newRow("any case, blanks and blank lines around")
        << "a.txt" << QByteArray("\r\n \t\n\r  bEgIn:vNoTe \t\r\nx") << true;
    QTest::newRow("after a UTF-8 mark") << "a.txt"
                                        << "\xEF\xBB\xBF" + marker << true;
    QTest::newRow("UTF-16, little-endian")
        << "a.txt" << utf16(u"\uFEFF\r\nBEGIN:VNOTE\r\n", false) << true;
    QTest::newRow("UTF-16, big-endian") << "a.txt" << utf16(u"\uFEFFBEGIN:VNOTE", true) << true;
    QTest::newRow("blank lines past one read")
        << "a.txt" << QByteArray(10000, '\n') + marker << true;
    QTest::newRow("the marker alone") << "a.txt" << QByteArray("BEGIN:VNOTE") << true;
    QTest::newRow("named .vnt in any case") << "memo.VnT" << QByteArray("text") << true;
    QTest::newRow("a calendar file") << "memo.ICS" << QByteArray("text") << true;
    QTest::newRow("a phone backup") << "phone.Backup" << QByteArray("text") << true;
    QTest::newRow("a longer suffix") << "memo.vnts" << QByteArray("text") << false;
    QTest::newRow("empty") << "a.txt" << QByteArray() << false;
    QTest::newRow("text before it") << "a.txt"
                                    << "x\n" + marker << false;
    QTest::newRow("a longer word") << "a.txt" << QByteArray("BEGIN:VNOTES\n") << false;
    QTest::newRow("cut short") << "a.txt" << QByteArray("BEGIN:VNOT") << false;
    QTest::newRow("not a colon") << "a.txt" << QByteArray("BEGIN\x1AVNOTE\n") << false;
    QTest::newRow("UTF-16 without its mark") << "a.txt" << utf16(u"BEGIN:VNOTE\n", false) << false;
}

void TestExportParts::noteFile()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(bool, note);

    const QTemporaryDir dir;
    QFile file(dir.filePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
    file.close();
    QCOMPARE(isNoteFile(file.fileName()), note);
}

QTEST_APPLESS_MAIN(TestExportParts)
#include "tst_exportparts.moc"
