// SPDX-License-Identifier: GPL-3.0-or-later
// Finding notes: matching as a reader expects, the excerpt, one file, and a whole folder walked
// with cancellation, hostile entries among its notes.

#include "notefolderfixture.h"
#include "notesearch.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QFileInfo>
#include <QTest>

namespace {

DateDisplay fixedDisplay()
{
    return {false, QLocale(QStringLiteral("ru_RU")), QTimeZone(QByteArrayLiteral("Europe/Berlin"))};
}

// Everything a search hands over, in order.
struct Collected
{
    QList<NoteHit> hits;
    qsizetype searched = 0;
    qsizetype skipped = 0;
    qsizetype total = -1;
    QString failure;
    int reports = 0;

    void take(SearchBatch &&batch)
    {
        ++reports;
        hits += batch.hits;
        searched += batch.searched;
        skipped += batch.skipped;
        if (batch.total >= 0)
            total = batch.total;
        failure += batch.failure;
    }
    [[nodiscard]] QStringList names() const
    {
        QStringList names;
        for (const NoteHit &hit : hits)
            names += QFileInfo(hit.path).fileName() + QStringLiteral("#%1").arg(hit.note + 1);
        return names;
    }
};

Collected searchFolder(
    const QString &folder, const QString &query, bool lenient,
    const std::function<bool()> &cancelled = [] { return false; })
{
    Collected collected;
    SearchFolder(folder, std::nullopt, NoteMatcher(query), {lenient, fixedDisplay()}, cancelled,
                 [&](SearchBatch &&batch) { collected.take(std::move(batch)); });
    return collected;
}

// The folder's entries with their sizes and times, and the hash of every regular file's bytes.
QByteArray folderState(const QString &folder)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    QDirIterator entries(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System);
    QStringList lines;
    while (entries.hasNext()) {
        const QFileInfo info(entries.next());
        lines += QStringLiteral("%1 %2 %3")
                     .arg(info.fileName())
                     .arg(info.isSymLink() ? -1 : info.size())
                     .arg(info.lastModified().toMSecsSinceEpoch());
    }
    lines.sort();
    hash.addData(lines.join(u'\n').toUtf8());
    return hash.result();
}

} // namespace

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
    void hostileFolder_data();
    void hostileFolder();
    void vanishedFileAndFolder();
    void cancelStopsBetweenFiles();
    void inTheBackground();
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
    QTest::newRow("Latin") << "Door CODE 4512"
                           << "code" << 5;
    QTest::newRow("beyond the first piece") << QString(20000, u'x') + "Цель"
                                            << "цель" << 20000;
    QTest::newRow("across two pieces") << QString(16382, u'x') + "Цель"
                                       << "цель" << 16382;
    QTest::newRow("letters outside the basic plane")
        << QStringLiteral("a\U00010400b") << QStringLiteral("\U00010428B") << 1;
    QTest::newRow("not there") << "молоко"
                               << "кефир" << -1;
    QTest::newRow("longer than the text") << "код"
                                          << "кодекс" << -1;
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
    QTest::newRow("no match") << escapedNote("text") << false << "кот" << true << "";
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
    const FileFindings findings = SearchNoteFile(folder.add("memo.vnt", FolderEntry::Note, content),
                                                 NoteMatcher(query), {lenient, fixedDisplay()});
    QCOMPARE(findings.readable, readable);
    QStringList hits;
    for (const NoteHit &hit : findings.hits) {
        const char field = "BVCM"[int(hit.field)];
        hits += QStringLiteral("%1/%2%3%4")
                    .arg(hit.note + 1)
                    .arg(hit.notesInFile)
                    .arg(QChar::fromLatin1(field))
                    .arg(hit.start);
        QVERIFY(hit.excerpt.contains(query, Qt::CaseInsensitive) || hit.field != NoteField::Body);
    }
    QCOMPARE(hits.join(u' '), found);
}

void TestNoteSearch::hostileFolder_data()
{
    QTest::addColumn<bool>("lenient");
    QTest::newRow("strict") << false;
    QTest::newRow("lenient") << true;
}

// Every entry a phone's folder may hold: the notes that match are found once each, in a file
// manager's order; what is no note is counted, blocks nothing, and nothing is written.
void TestNoteSearch::hostileFolder()
{
    QFETCH(bool, lenient);
    const NoteFolderFixture folder;
    folder.addPhoneFolder();
    folder.add("huge.vnt", FolderEntry::LargeBinary);
    const QByteArray before = folderState(folder.path());

    const Collected found = searchFolder(folder.path(), QStringLiteral("ключ"), lenient);
    QCOMPARE(found.names(), QStringList({"alias.vnt#1", u"caf\xDCE9.VNT#1"_qs, "memo1.vnt#1",
                                         "memo10.vnt#1", "new\nline.vnt#1"}));
    QCOMPARE(found.total, 10);
    QCOMPARE(found.searched, 10);
    QCOMPARE(found.skipped, 4); // garbage, huge, pipe, zero
    QVERIFY(found.failure.isEmpty());
    QCOMPARE(folderState(folder.path()), before);
}

void TestNoteSearch::vanishedFileAndFolder()
{
    const NoteFolderFixture folder;
    const QString kept = folder.add("a.vnt", FolderEntry::Note, escapedNote("код"));
    const QString gone = folder.path() + QStringLiteral("/b.vnt");
    Collected found;
    SearchFolder(
        folder.path(), QStringList{kept, gone}, NoteMatcher(u"код"), {}, [] { return false; },
        [&](SearchBatch &&batch) { found.take(std::move(batch)); });
    QCOMPARE(found.hits.size(), 1);
    QCOMPARE(found.skipped, 1);

    const Collected missing =
        searchFolder(folder.path() + QStringLiteral("/deleted"), "код", false);
    QVERIFY(missing.hits.isEmpty());
    QCOMPARE(missing.total, 0);
    QVERIFY(missing.failure.contains(u"deleted"));
}

void TestNoteSearch::cancelStopsBetweenFiles()
{
    const NoteFolderFixture folder;
    for (int i = 1; i <= 20; ++i)
        folder.add(QStringLiteral("memo%1.vnt").arg(i), FolderEntry::Note, escapedNote("код"));
    int asked = 0;
    const Collected found =
        searchFolder(folder.path(), QStringLiteral("код"), false, [&] { return ++asked > 5; });
    // The first match is reported at once; after the cancel nothing more is.
    QCOMPARE(found.names().first(), QStringLiteral("memo1.vnt#1"));
    QVERIFY(found.searched <= 5);
    QCOMPARE(asked, 6);
}

void TestNoteSearch::inTheBackground()
{
    const NoteFolderFixture folder;
    for (int i = 1; i <= 300; ++i)
        folder.add(QStringLiteral("memo%1.vnt").arg(i), FolderEntry::Note,
                   escapedNote(i % 3 == 0 ? "код" : "хлеб"));
    QFuture<SearchBatch> search =
        StartFolderSearch(folder.path(), std::nullopt, QStringLiteral("КОД"), {});
    search.waitForFinished();
    Collected found;
    for (SearchBatch batch : search.results())
        found.take(std::move(batch));
    QCOMPARE(found.hits.size(), 100);
    QCOMPARE(found.searched, 300);
    const QStringList names = found.names();
    QCOMPARE(QSet<QString>(names.begin(), names.end()).size(), 100);
    QCOMPARE(names.at(1), QStringLiteral("memo6.vnt#1"));

    // Cancelled at once, it stops before the end.
    QFuture<SearchBatch> cancelled =
        StartFolderSearch(folder.path(), std::nullopt, QStringLiteral("КОД"), {});
    cancelled.cancel();
    cancelled.waitForFinished();
    qsizetype searched = 0;
    for (const SearchBatch &batch : cancelled.results())
        searched += batch.searched;
    QVERIFY(searched < 300);
}

QTEST_GUILESS_MAIN(TestNoteSearch)
#include "tst_notesearch.moc"
