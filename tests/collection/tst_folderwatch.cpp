// SPDX-License-Identifier: GPL-3.0-or-later
// A folder's list: the neighbours of a note, also of one no longer listed. How the list follows
// the folder is the stepping tests' to show.

#include "folderwatch.h"
#include "notefolderfixture.h"

#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>

namespace {

QStringList names(const QStringList &paths)
{
    QStringList result;
    for (const QString &path : paths)
        result += QFileInfo(path).fileName();
    return result;
}

// Follows `folder` and waits for its first list.
bool listed(NoteFolderList &list, const QString &folder)
{
    QSignalSpy done(&list, &NoteFolderList::listed);
    list.follow(folder);
    return done.wait(5000) && list.hasList();
}

} // namespace

class TestFolderWatch : public QObject
{
    Q_OBJECT

private slots:
    void neighbour_data();
    void neighbour();
};

void TestFolderWatch::neighbour_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<int>("direction");
    QTest::addColumn<QString>("expected"); // empty: at an end
    QTest::newRow("first, next") << "memo1.vnt" << 1 << "memo2.vnt";
    QTest::newRow("numbers by value") << "memo2.vnt" << 1 << "memo10.vnt";
    QTest::newRow("last, next") << "memo10.vnt" << 1 << "";
    QTest::newRow("first, previous") << "memo1.vnt" << -1 << "";
    QTest::newRow("last, previous") << "memo10.vnt" << -1 << "memo2.vnt";
    QTest::newRow("gone from the list, next") << "memo5.vnt" << 1 << "memo10.vnt";
    QTest::newRow("gone from the list, previous") << "memo5.vnt" << -1 << "memo2.vnt";
    QTest::newRow("before every note") << "a.vnt" << -1 << "";
}

void TestFolderWatch::neighbour()
{
    QFETCH(QString, from);
    QFETCH(int, direction);
    QFETCH(QString, expected);
    const NoteFolderFixture folder;
    for (const char *name : {"memo10.vnt", "memo1.vnt", "memo2.vnt"})
        folder.add(QString::fromLatin1(name), FolderEntry::Note);
    NoteFolderList list;
    QVERIFY(listed(list, folder.path()));
    QCOMPARE(names(list.notes()), QStringList({"memo1.vnt", "memo2.vnt", "memo10.vnt"}));
    const QString next = list.neighbour(folder.path() + u'/' + from, direction);
    QCOMPARE(QFileInfo(next).fileName(), expected);
}

QTEST_GUILESS_MAIN(TestFolderWatch)
#include "tst_folderwatch.moc"
