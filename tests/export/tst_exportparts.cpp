// SPDX-License-Identifier: GPL-3.0-or-later
#include "notetitle.h"
#include "orderedwork.h"
#include "outputnames.h"

#include <QRandomGenerator>
#include <QTest>
#include <QThread>

#include <mutex>

// The parts of an export that the companion's runs cannot pin down: the order and bounds of the
// work on several threads, and the names and titles given to notes.
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
    // one for each thread, and the one due, which is always made.
    const qsizetype mostWeight = mostHeld * weight;
    QVERIFY2(mostWeight <= std::max(maxWeight, weight) + weight * qsizetype(threads + 1),
             qPrintable(QString::number(mostWeight)));
}

void TestExportParts::outputNames_data()
{
    QTest::addColumn<QStringList>("notes"); // the mirrored path, '#' and the note's index
    QTest::addColumn<QStringList>("names");

    QTest::newRow("extension replaced")
        << QStringList{"memo12.vnt#1", "sub/deep/x.VNT#1", "noextension#1", ".vnt#1"}
        << QStringList{"out/memo12.md", "out/sub/deep/x.md", "out/noextension.md", "out/.vnt.md"};
    QTest::newRow("later notes of a file")
        << QStringList{"memo.vnt#1", "memo.vnt#2", "memo.vnt#10"}
        << QStringList{"out/memo.md", "out/memo-2.md", "out/memo-10.md"};
    QTest::newRow("a name taken in the run")
        << QStringList{"memo.vnt#1", "memo.vnt#1", "memo.txt#1", "memo (2).vnt#1", "sub/memo.vnt#1"}
        << QStringList{"out/memo.md", "out/memo (2).md", "out/memo (3).md", "out/memo (2) (2).md",
                       "out/sub/memo.md"};
    QTest::newRow("a second note's name taken by a file")
        << QStringList{"memo-2.vnt#1", "memo.vnt#2"}
        << QStringList{"out/memo-2.md", "out/memo-2 (2).md"};
}

void TestExportParts::outputNames()
{
    QFETCH(QStringList, notes);
    QFETCH(QStringList, names);

    OutputNames taken(QStringLiteral("out"), QStringLiteral(".md"));
    QStringList given;
    for (const QString &note : notes) {
        const qsizetype hash = note.lastIndexOf(u'#');
        given.append(taken.take(note.first(hash), note.sliced(hash + 1).toInt()));
    }
    QCOMPARE(given, names);
}

void TestExportParts::noteTitle_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("title");

    const QString longLine = QString(254, u'ж') + QStringLiteral("\U0001F600") + u'x';
    QTest::newRow("first line") << "Купить хлеб\r\nи молоко"
                                << "Купить хлеб";
    QTest::newRow("blank lines skipped, trimmed") << " \t\r\n\n\r  second \r\n"
                                                  << "second";
    QTest::newRow("lone CR ends a line") << "one\rtwo"
                                         << "one";
    QTest::newRow("cut at 255 characters, a pair counting once") << longLine << longLine.first(256);
    QTest::newRow("not a pair cut in two") << QString(254, u'a') + QStringLiteral("\U0001F600")
                                           << QString(254, u'a') + QStringLiteral("\U0001F600");
    QTest::newRow("empty body: the file's name") << ""
                                                 << "memo12";
    QTest::newRow("white space only: the file's name") << " \r\n\t"
                                                       << "memo12";
}

void TestExportParts::noteTitle()
{
    QFETCH(QString, body);
    QFETCH(QString, title);
    QCOMPARE(::noteTitle(body, QStringLiteral("/phone/notes/memo12.vnt")), title);
}

QTEST_APPLESS_MAIN(TestExportParts)
#include "tst_exportparts.moc"
