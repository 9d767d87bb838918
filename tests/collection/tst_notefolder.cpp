// SPDX-License-Identifier: GPL-3.0-or-later
#include "notefolder.h"
#include "qverror.h"
#include "qvfilename.h"
#include "textfilereader.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

class TestNoteFolder : public QObject
{
    Q_OBJECT

private slots:
    void naturalOrder_data();
    void naturalOrder();
    void naturalOrderInAnyLocale_data();
    void naturalOrderInAnyLocale();
    void listing();
    void unreadableFolder_data();
    void unreadableFolder();
};

void TestNoteFolder::naturalOrder_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("sorted");

    QTest::newRow("numbers by value") << QStringList{"memo10.vnt", "memo2.vnt", "memo1.vnt"}
                                      << QStringList{"memo1.vnt", "memo2.vnt", "memo10.vnt"};
    QTest::newRow("letter case ignored")
        << QStringList{"b.vnt", "A.vnt", "C.VNT"} << QStringList{"A.vnt", "b.vnt", "C.VNT"};
    QTest::newRow("Cyrillic by the alphabet")
        << QStringList{"ёлка.vnt", "яблоко.vnt", "арбуз.vnt", "жук.vnt"}
        << QStringList{"арбуз.vnt", "ёлка.vnt", "жук.vnt", "яблоко.vnt"};
    QTest::newRow("only the file name counts") << QStringList{"/z/memo2.vnt", "/a/memo10.vnt"}
                                               << QStringList{"/z/memo2.vnt", "/a/memo10.vnt"};
    QTest::newRow("names alike to the collation keep one order")
        << QStringList{"memo01.vnt", "memo1.vnt", "Memo1.vnt"}
        << QStringList{"Memo1.vnt", "memo01.vnt", "memo1.vnt"};
}

void TestNoteFolder::naturalOrder()
{
    QFETCH(QStringList, names);
    QFETCH(QStringList, sorted);
    const NaturalOrder order(QLocale(QStringLiteral("ru_RU")));
    QStringList paths = names;
    order.sort(paths);
    QCOMPARE(paths, sorted);
    for (qsizetype i = 1; i < sorted.size(); ++i) {
        QVERIFY(order.lessThan(sorted[i - 1], sorted[i]));
        QVERIFY(!order.lessThan(sorted[i], sorted[i - 1]));
    }
}

void TestNoteFolder::naturalOrderInAnyLocale_data()
{
    QTest::addColumn<QString>("locale");
    QTest::newRow("C, a session without LANG") << "C";
    QTest::newRow("German") << "de_DE";
    QTest::newRow("Japanese") << "ja_JP";
}

void TestNoteFolder::naturalOrderInAnyLocale()
{
    QFETCH(QString, locale);
    QStringList paths{"memo100.vnt", "memo10.vnt", "memo2.vnt", "memo1.vnt"};
    NaturalOrder(QLocale(locale)).sort(paths);
    QCOMPARE(paths, QStringList({"memo1.vnt", "memo2.vnt", "memo10.vnt", "memo100.vnt"}));
}

void TestNoteFolder::listing()
{
    QTemporaryDir dir;
    const QString root = dir.path();
    const auto touch = [&](const QString &name) {
        QFile file(root + u'/' + name);
        QVERIFY(file.open(QIODevice::WriteOnly));
    };
    for (const char *name :
         {"memo10.vnt", "memo2.vnt", "MEMO3.VNT", "notes.txt", ".hidden.vnt", "vnt", "target.txt"})
        touch(QString::fromUtf8(name));
    QDir(root).mkdir(QStringLiteral("sub10"));
    QDir(root).mkdir(QStringLiteral("sub9"));
    QDir(root).mkdir(QStringLiteral("folder.vnt"));
    QDir(root).mkdir(QStringLiteral(".git"));
    QVERIFY(QFile::link(root + QStringLiteral("/sub9"), root + QStringLiteral("/link.vnt")));
    QVERIFY(QFile::link(root + QStringLiteral("/sub9"), root + QStringLiteral("/linkdir")));
    QVERIFY(QFile::link(root + QStringLiteral("/target.txt"), root + QStringLiteral("/alias.vnt")));
    QVERIFY(QFile::link(root + QStringLiteral("/gone"), root + QStringLiteral("/dangling.vnt")));
    QCOMPARE(::mkfifo(QFile::encodeName(root + QStringLiteral("/pipe.vnt")).constData(), 0600), 0);
    // A memory card's Latin-1 name: listed so that it names its file again.
    const QByteArray latin1 = QFile::encodeName(root) + "/caf\xE9.vnt";
    const int fd = ::open(latin1.constData(), O_CREAT | O_WRONLY, 0600);
    QVERIFY(fd >= 0);
    ::close(fd);

    const FolderListing listing = listFolder(root, NaturalOrder(QLocale(QStringLiteral("en_US"))));
    const auto names = [](const QStringList &paths) {
        QStringList result;
        for (const QString &path : paths)
            result.append(QFileInfo(path).fileName());
        return result;
    };
    QCOMPARE(names(listing.notes),
             (QStringList{"alias.vnt", u"caf\xDCE9.vnt"_qs, "dangling.vnt", "memo2.vnt",
                          "MEMO3.VNT", "memo10.vnt", "pipe.vnt"}));
    QCOMPARE(qvTextToFileName(listing.notes[1]), latin1);
    QCOMPARE(names(listing.subfolders), (QStringList{"folder.vnt", "sub9", "sub10"}));
    QCOMPARE(listing.notes.front(), root + QStringLiteral("/alias.vnt"));
    // What may be opened without a look first: only the regular files.
    QStringList notPlain = names(listing.notPlainFiles.values());
    notPlain.sort();
    QCOMPARE(notPlain, (QStringList{"alias.vnt", "dangling.vnt", "pipe.vnt"}));
}

void TestNoteFolder::unreadableFolder_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("failure");
    QTest::newRow("missing") << "missing" << int(TextFileReader::NotFound);
    QTest::newRow("a file") << "file.vnt" << int(TextFileReader::NotRegularFile);
}

void TestNoteFolder::unreadableFolder()
{
    QFETCH(QString, name);
    QFETCH(int, failure);
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("file.vnt")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    try {
        listFolder(dir.filePath(name));
        QFAIL("listed");
    } catch (const QvError &error) {
        QCOMPARE(error.number(), failure);
        QVERIFY(error.description().contains(dir.filePath(name)));
    }
}

QTEST_APPLESS_MAIN(TestNoteFolder)
#include "tst_notefolder.moc"
