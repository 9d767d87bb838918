// SPDX-License-Identifier: GPL-3.0-or-later
// Finding notes: matching as a reader expects, the excerpt, one file, and a folder walked with
// files gone and a cancel. The folder's hostile entries are the search window's tests'.

#include "notefolderfixture.h"
#include "notesearch.h"

#include <QFileInfo>
#include <QTest>

class TestNoteSearch : public QObject
{
    Q_OBJECT

private slots:
    void matcher_data();
    void matcher();
    void excerpt_data();
    void excerpt();
    void oneFile_data();
    void oneFile();
    void vanishedFilesAndCancel();
};

void TestNoteSearch::matcher_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("query");
    QTest::addColumn<int>("index");
    QTest::newRow("letter case") << "Код ДОМОФОНА"
                                 << "домофон" << 4;
    QTest::newRow("ё in the text, е typed") << "Ёлка и ёж"
                                            << "еж" << 7;
    QTest::newRow("е in the text, Ё typed") << "елка"
                                            << "Ёлка" << 0;
    QTest::newRow("across two pieces") << QString(16382, u'x') + "Цель"
                                       << "цель" << 16382;
    QTest::newRow("letters outside the basic plane")
        << QStringLiteral("a\U00010400b") << QStringLiteral("\U00010428B") << 1;
    QTest::newRow("not there") << "молоко"
                               << "кефир" << -1;
    QTest::newRow("empty query") << "код"
                                 << "" << -1;
}

void TestNoteSearch::matcher()
{
    QFETCH(QString, text);
    QFETCH(QString, query);
    QFETCH(int, index);
    const NoteMatcher matcher(query);
    QCOMPARE(matcher.indexIn(text), qsizetype(index));
    QCOMPARE(FoldForSearch(text).size(), text.size());
}

void TestNoteSearch::excerpt_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("match");
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("excerpt");
    QTest::newRow("the line that holds it") << "first\r\nthe door code\nlast"
                                            << "door" << 80 << "the door code";
    QTest::newRow("cut on both sides") << "aaaa bbbb cccc MATCH dddd eeee ffff"
                                       << "MATCH" << 14 << "…cc MATCH dddd …";
    QTest::newRow("tabs and controls as blanks")
        << QStringLiteral("a\tcode\x01z") << "code" << 80 << "a code z";
    QTest::newRow("a match wider than the room") << "xx 0123456789 yy"
                                                 << "0123456789" << 4 << "…0123…";
    QTest::newRow("never half a pair")
        << QStringLiteral("x\U0001F600\U0001F600key") << "key" << 8 << "…key";
}

void TestNoteSearch::excerpt()
{
    QFETCH(QString, text);
    QFETCH(QString, match);
    QFETCH(int, width);
    QFETCH(QString, excerpt);
    QCOMPARE(MatchExcerpt(text, text.indexOf(match), match.size(), width), excerpt);
}

void TestNoteSearch::oneFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("lenient");
    QTest::addColumn<QString>("query");
    QTest::addColumn<bool>("readable");
    // Per hit: its note of the notes in its file, the field's letter, where the match starts.
    QTest::addColumn<QString>("found");
    QTest::newRow("in the body") << escapedNote("Код домофона 4512") << false << "ДОМОФОН" << true
                                 << "1/1B4";
    QTest::newRow("in the version")
        << escapedNote("text", "2.1") << false << "2.1" << true << "1/1V0";
    // "среда, 3 апреля 2013 г., 02:19:40" and "пятница, 5 июля 2013 г., 20:30:00"
    QTest::newRow("in the date as shown")
        << escapedNote("text") << false << "апреля 2013" << true << "1/1C9";
    QTest::newRow("in the modified date as shown")
        << escapedNote("text") << false << "июля" << true << "1/1M11";
    QTest::newRow("rejected") << QByteArray("no note here") << false << "note" << false << "";
    QTest::newRow("another layout, strict")
        << plainBodyNote("door code") << false << "door" << true << "";
    QTest::newRow("another layout, lenient")
        << plainBodyNote("door code") << true << "door" << true << "1/1B0";
    QTest::newRow("several notes")
        << notesInOneFile({"код", "хлеб", "ещё код"}) << true << "КОД" << true << "1/3B0 3/3B4";
}

void TestNoteSearch::oneFile()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, lenient);
    QFETCH(QString, query);
    QFETCH(bool, readable);
    QFETCH(QString, found);
    const NoteFolderFixture folder;
    const FileFindings findings =
        SearchNoteFile(folder.add("memo.vnt", content), NoteMatcher(query),
                       {lenient, {false, QLocale(u"ru_RU"_qs), QTimeZone("Europe/Berlin")}});
    QCOMPARE(findings.readable, readable);
    QStringList hits;
    for (const NoteHit &hit : findings.hits) {
        hits += QString::asprintf("%d/%d%c%lld", hit.note + 1, hit.notesInFile,
                                  "BVCM"[int(hit.field)], qlonglong(hit.start));
        QVERIFY(hit.excerpt.contains(query, Qt::CaseInsensitive) || hit.field != NoteField::Body);
    }
    QCOMPARE(hits.join(u' '), found);
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
    QCOMPARE(QFileInfo(stopped.hits.first().path).fileName(), QStringLiteral("memo1.vnt"));
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
