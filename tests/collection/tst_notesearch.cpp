// SPDX-License-Identifier: GPL-3.0-or-later
// Finding notes: matching as a reader expects, the excerpt, one file, and a folder walked with
// files gone and a cancel. The folder's hostile entries are the search window's tests'.

#include "notefolderfixture.h"
#include "notesearch.h"

#include <QFile>
#include <QTest>

class TestNoteSearch : public QObject
{
    Q_OBJECT

private slots:
    void matcher_data();
    void matcher();
    void everyMatch_data();
    void everyMatch();
    void excerpt_data();
    void excerpt();
    void oneFile_data();
    void oneFile();
    void notesInsideAnyFile();
    void vanishedFilesAndCancel();
};

void TestNoteSearch::matcher_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("query");
    QTest::addColumn<int>("index");
    QTest::newRow("letter case") << u"Код ДОМОФОНА"_qs << "домофон" << 4;
    QTest::newRow("ё in the text, е typed") << u"Ёлка и ёж"_qs << "еж" << 7;
    QTest::newRow("е in the text, Ё typed") << u"елка"_qs << "Ёлка" << 0;
    QTest::newRow("across two pieces") << QString(16382, u'x') + "Цель"
                                       << "цель" << 16382;
    QTest::newRow("letters outside the basic plane") << u"a\U00010400b"_qs << "\U00010428B" << 1;
    QTest::newRow("not there") << u"молоко"_qs << "кефир" << -1;
    QTest::newRow("empty query") << u"код"_qs << "" << -1;
}

void TestNoteSearch::matcher()
{
    QFETCH(QString, text);
    QFETCH(QString, query);
    QFETCH(int, index);
    const NoteMatcher matcher(query);
    QCOMPARE(matcher.indexIn(text), qsizetype(index));
}

void TestNoteSearch::everyMatch_data()
{
    // The matcher goes over a text in pieces of 16 Ki units.
    constexpr qsizetype Piece = 16 * 1024;
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("query");
    QTest::addColumn<int>("limit");
    QTest::addColumn<QList<qsizetype>>("starts");
    QString across(2 * Piece + 10, u'.');
    across.replace(Piece - 2, 5, QStringLiteral("Ёлка."));
    across.replace(2 * Piece - 4, 4, QStringLiteral("ЕЛКА"));
    QTest::newRow("across and at the ends of pieces")
        << across << "елка" << 10 << QList<qsizetype>{Piece - 2, 2 * Piece - 4};
    QTest::newRow("one after another, not overlapping")
        << QStringLiteral("aaaaa") << "aa" << 10 << QList<qsizetype>{0, 2};
    QTest::newRow("no more than the limit")
        << QStringLiteral("ab ab ab ab") << "AB" << 3 << QList<qsizetype>{0, 3, 6};
    // One match reaches from the first piece into the second, which must not find it again, nor
    // one that overlaps it.
    const QString run(Piece + 3, u'a');
    QTest::newRow("a run over the end of a piece") << run << "aaa" << 100000 << [&] {
        QList<qsizetype> every;
        for (qsizetype at = 0; at + 3 <= run.size(); at += 3)
            every.append(at);
        return every;
    }();
}

// Every match, once, in order, wherever the pieces the text is gone over in begin and end.
void TestNoteSearch::everyMatch()
{
    QFETCH(QString, text);
    QFETCH(QString, query);
    QFETCH(int, limit);
    QFETCH(QList<qsizetype>, starts);
    QCOMPARE(NoteMatcher(query).matchesIn(text, limit), starts);
}

void TestNoteSearch::excerpt_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("match");
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("excerpt");
    QTest::newRow("the line that holds it")
        << u"first\r\nthe door code\nlast"_qs << "door" << 80 << "the door code";
    QTest::newRow("cut on both sides")
        << u"aaaa bbbb cccc MATCH dddd eeee ffff"_qs << "MATCH" << 14 << "…cc MATCH dddd …";
    QTest::newRow("tabs and controls as blanks")
        << u"a\tcode\x01z"_qs << "code" << 80 << "a code z";
    QTest::newRow("a match wider than the room")
        << u"xx 0123456789 yy"_qs << "0123456789" << 4 << "…0123…";
    QTest::newRow("never half a pair") << u"x\U0001F600\U0001F600key"_qs << "key" << 8 << "…key";
}

void TestNoteSearch::excerpt()
{
    QFETCH(QString, text);
    QFETCH(QString, match);
    QFETCH(int, width);
    QFETCH(QString, excerpt);
    QCOMPARE(MatchExcerpt(text, text.indexOf(match), match.size(), width), excerpt);
    // Where the match stands in it: as much of the match as it shows.
    const Excerpt around = ExcerptAround(text, text.indexOf(match), match.size(), width);
    QVERIFY(around.matchLength > 0);
    QCOMPARE(around.text.mid(around.matchStart, around.matchLength),
             match.left(around.matchLength));
}

void TestNoteSearch::oneFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("found"); // the field's letter, where the match starts
    QTest::newRow("in the body") << escapedNote("Код домофона 4512") << "ДОМОФОН"
                                 << "B4";
    QTest::newRow("in the version") << escapedNote("text", "2.1") << "2.1"
                                    << "V0";
    // "среда, 3 апреля 2013 г., 02:19:40" and "пятница, 5 июля 2013 г., 20:30:00"
    QTest::newRow("in the date as shown") << escapedNote("text") << "апреля 2013"
                                          << "C9";
    QTest::newRow("in the modified date as shown") << escapedNote("text") << "июля"
                                                   << "M11";
    QTest::newRow("nowhere") << escapedNote("text") << "кот"
                             << "";
    // Read strictly, the note shows no text; the text of its other layout is matched.
    QTest::newRow("in another layout") << plainBodyNote("ключ под ковриком") << "КОВРИК"
                                       << "B9 other";
}

// A note's fields as the window shows them, the dates in a fixed zone and language.
void TestNoteSearch::oneFile()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, query);
    QFETCH(QString, found);
    const NoteFolderFixture folder;
    const FileFindings findings =
        SearchNoteFile(folder.add("memo.vnt", content), NoteMatcher(query),
                       {false, {false, QLocale(u"ru_RU"_qs), QTimeZone("Europe/Berlin")}});
    QVERIFY(findings.readable);
    QStringList hits;
    for (const NoteHit &hit : findings.hits)
        hits += QString::asprintf("%c%lld%s", "BVCM"[int(hit.field)], qlonglong(hit.start),
                                  hit.otherLayout ? " other" : "");
    QCOMPARE(hits.join(u' '), found);
}

// With every layout read, the notes among the bytes of a file of another kind are searched, in
// 8 bits and in UTF-16.
void TestNoteSearch::notesInsideAnyFile()
{
    const NoteFolderFixture folder;
    QByteArray backup("\x00\x01PK\xff", 5);
    backup += escapedNote("первая: ключ под ковриком");
    backup += QByteArray(64, '\0');
    const QString second = QString::fromLatin1(escapedNote("вторая: ключ в ящике"));
    backup += QByteArray(reinterpret_cast<const char *>(second.utf16()), second.size() * 2);
    const FileFindings findings =
        SearchNoteFile(folder.add("backup.nbu", backup), NoteMatcher(u"КЛЮЧ"_qs),
                       {true, {false, QLocale(u"ru_RU"_qs), QTimeZone("Europe/Berlin")}});
    QVERIFY(findings.readable);
    QCOMPARE(findings.hits.size(), 2);
}

// A file gone since the folder was listed is skipped; a folder gone is said to be; a cancel
// stops the walk between two files, after which nothing more is reported.
void TestNoteSearch::vanishedFilesAndCancel()
{
    const NoteFolderFixture folder;
    QStringList files;
    for (int i = 1; i <= 40; ++i)
        files += folder.add(QStringLiteral("memo%1.vnt").arg(i), escapedNote(u"код"_qs));
    QVERIFY(QFile::remove(files[1]));
    const auto walk = [&](const std::function<bool()> &cancelled) {
        SearchBatch all;
        SearchFolder(folder.path(), files, NoteMatcher(u"КОД"), {}, cancelled,
                     [&](SearchBatch &&batch) {
                         all.total = std::max(all.total, batch.total);
                         all.searched += batch.searched;
                         all.skipped += batch.skipped;
                         all.hits += batch.hits;
                     });
        return all;
    };
    const SearchBatch whole = walk([] { return false; });
    QCOMPARE(whole.total, 40);
    QCOMPARE(whole.searched, 40);
    QCOMPARE(whole.skipped, 1);
    QCOMPARE(whole.hits.size(), 39);

    int asked = 0;
    const SearchBatch stopped = walk([&] { return ++asked > 30; });
    QVERIFY(stopped.searched <= 30);
    QCOMPARE(asked, 31);

    QList<SearchBatch> batches;
    SearchFolder(
        folder.path() + QStringLiteral("/deleted"), std::nullopt, NoteMatcher(u"код"), {},
        [] { return false; }, [&](SearchBatch &&batch) { batches.append(std::move(batch)); });
    QCOMPARE(batches.size(), 1);
    QVERIFY(batches[0].hits.isEmpty());
    QVERIFY(batches[0].failure.contains(u"deleted"));
}

QTEST_GUILESS_MAIN(TestNoteSearch)
#include "tst_notesearch.moc"
