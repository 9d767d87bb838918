// SPDX-License-Identifier: GPL-3.0-or-later
// A folder's list kept current: its order, neighbours, and changes seen at once.

#include "folderwatch.h"
#include "notefolderfixture.h"

#include <QDir>
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
    void changesSeenAtOnce_data();
    void changesSeenAtOnce();
    void listedAgainByItself();
    void folderDeleted();
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

void TestFolderWatch::changesSeenAtOnce_data()
{
    QTest::addColumn<QString>("change");
    QTest::newRow("a note added") << "add";
    QTest::newRow("a note removed") << "remove";
    QTest::newRow("a note renamed") << "rename";
}

// Without waiting for the watcher: the folder's own times tell that the list is stale.
void TestFolderWatch::changesSeenAtOnce()
{
    QFETCH(QString, change);
    const NoteFolderFixture folder;
    const QString first = folder.add("memo1.vnt");
    folder.add("memo3.vnt");
    NoteFolderList list;
    QVERIFY(listed(list, folder.path()));
    QVERIFY(list.isCurrent());
    if (change == u"add")
        folder.add("memo2.vnt");
    else if (change == u"remove")
        QVERIFY(QFile::remove(first));
    else
        QVERIFY(QFile::rename(first, folder.path() + QStringLiteral("/memo4.vnt")));
    QVERIFY(!list.isCurrent());

    QSignalSpy done(&list, &NoteFolderList::listed);
    list.refresh();
    QVERIFY(done.wait(5000));
    // The watcher's word of the change may come after the listing began: then the folder is
    // listed once more.
    QTRY_VERIFY(list.isCurrent());
    const QStringList expected = change == u"add"
                                     ? QStringList{"memo1.vnt", "memo2.vnt", "memo3.vnt"}
                                 : change == u"remove" ? QStringList{"memo3.vnt"}
                                                       : QStringList{"memo3.vnt", "memo4.vnt"};
    QCOMPARE(names(list.notes()), expected);
}

void TestFolderWatch::listedAgainByItself()
{
    const NoteFolderFixture folder;
    folder.add("memo1.vnt");
    NoteFolderList list;
    QVERIFY(listed(list, folder.path()));
    folder.add("memo2.vnt");
    QTRY_COMPARE(names(list.notes()), QStringList({"memo1.vnt", "memo2.vnt"}));
    QVERIFY(list.isCurrent());
}

void TestFolderWatch::folderDeleted()
{
    auto folder = std::make_unique<NoteFolderFixture>();
    folder->add("memo1.vnt");
    const QString path = folder->path();
    NoteFolderList list;
    QVERIFY(listed(list, path));
    folder.reset();
    QVERIFY(!list.isCurrent());
    QTRY_VERIFY(!list.failure().isEmpty());
    QVERIFY(list.notes().isEmpty());
    QVERIFY(list.isCurrent());
    QVERIFY(list.neighbour(path + QStringLiteral("/memo1.vnt"), 1).isEmpty());
}

QTEST_GUILESS_MAIN(TestFolderWatch)
#include "tst_folderwatch.moc"
