// SPDX-License-Identifier: GPL-3.0-or-later
#include "qverror.h"
#include "textfilereader.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

class TestTextFileReader : public QObject
{
    Q_OBJECT

private slots:
    void decodesBytes_data();
    void decodesBytes();
    void readsWholeFile();
    void failures_data();
    void failures();

private:
    QTemporaryDir m_dir;
};

void TestTextFileReader::decodesBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    QTest::newRow("empty") << QByteArray() << "";
    QTest::newRow("ASCII") << QByteArray("BEGIN:VNOTE\r\n") << "BEGIN:VNOTE\r\n";
    QTest::newRow("UTF-8") << QByteArray("\xd0\x94\xd0\xb0") << "Да";
    QTest::newRow("UTF-8 mark dropped") << QByteArray("\xef\xbb\xbfX") << "X";
    QTest::newRow("UTF-8 mark alone") << QByteArray("\xef\xbb\xbf") << "";
    QTest::newRow("UTF-16 little-endian") << QByteArray("\xff\xfe\x14\x04\x30\x04", 6) << "Да";
    QTest::newRow("UTF-16 big-endian") << QByteArray("\xfe\xff\x04\x14\x04\x30", 6) << "Да";
    QTest::newRow("UTF-16 odd byte at the end")
        << QByteArray("\xff\xfe\x41\x00\x42", 5) << "A\uFFFD";
    QTest::newRow("invalid UTF-8") << QByteArray("A\xff\xfe\xfd"
                                                 "B")
                                   << "A\uFFFD\uFFFD\uFFFDB";
    QTest::newRow("truncated UTF-8") << QByteArray("A\xd0") << "A\uFFFD";
    // An overlong "/" must not slip through as one.
    QTest::newRow("overlong lead C0") << QByteArray("A\xc0\xaf"
                                                    "B")
                                      << "A\uFFFD\uFFFDB";
    QTest::newRow("overlong lead C1") << QByteArray("A\xc1\x81"
                                                    "B")
                                      << "A\uFFFD\uFFFDB";
    QTest::newRow("NUL kept") << QByteArray("A\0B", 3) << QString::fromUtf16(u"A\0B", 3);
}

void TestTextFileReader::decodesBytes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(TextFileReader::DecodeText(bytes), text);
}

void TestTextFileReader::readsWholeFile()
{
    const QString path = m_dir.filePath(QStringLiteral("заметка с пробелом.vnt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    // Larger than the first read buffer, so the reader has to grow it.
    const QByteArray line = QByteArray("=D0=9F").repeated(12) + "=\r\n";
    const QByteArray bytes = line.repeated(20000);
    file.write(bytes);
    file.close();
    QCOMPARE(TextFileReader::shared().ReadAllText(path), QString::fromLatin1(bytes));
    QCOMPARE(TextFileReader::shared().ReadAllBytes(path), bytes);
    // A listed file is opened at once; a link, looked at first, all the same.
    const QString link = m_dir.filePath(QStringLiteral("link.vnt"));
    QVERIFY(QFile::link(path, link));
    const TextFileReader &listed = TextFileReader::sharedForListedFiles();
    QCOMPARE(listed.ReadAllBytes(path), bytes);
    QCOMPARE(listed.ReadAllBytes(link), bytes);
}

void TestTextFileReader::failures_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("number");
    QTest::addColumn<qint64>("cap");

    const auto row = [](const char *name, const QString &path, TextFileReader::Failure number,
                        qint64 cap = TextFileReader::MaxFileSize) {
        QTest::newRow(name) << path << int(number) << cap;
    };
    QVERIFY(m_dir.isValid());
    row("missing", m_dir.filePath(QStringLiteral("missing.vnt")), TextFileReader::NotFound);
    row("missing folder", m_dir.filePath(QStringLiteral("no/such.vnt")), TextFileReader::NotFound);
    row("empty path", QString(), TextFileReader::NotFound);
    row("directory", m_dir.path(), TextFileReader::IsDirectory);
    row("device", QStringLiteral("/dev/null"), TextFileReader::NotRegularFile);

    const QString fifo = m_dir.filePath(QStringLiteral("pipe.vnt"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    row("FIFO, never opened", fifo, TextFileReader::NotRegularFile);
    const QString fifoLink = m_dir.filePath(QStringLiteral("pipe-link.vnt"));
    QVERIFY(QFile::link(fifo, fifoLink));
    row("link to a FIFO", fifoLink, TextFileReader::NotRegularFile);

    const QString large = m_dir.filePath(QStringLiteral("large.vnt"));
    QFile file(large);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.resize(TextFileReader::MaxFileSize + 1)); // sparse: nothing is written
    row("over the cap", large, TextFileReader::TooLarge);

    const QString small = m_dir.filePath(QStringLiteral("small.vnt"));
    QFile smallFile(small);
    QVERIFY(smallFile.open(QIODevice::WriteOnly));
    QCOMPARE(smallFile.write(QByteArray(100, 'x')), 100);
    row("over a small cap", small, TextFileReader::TooLarge, 99);
    // Files in /proc report a size of 0 and yield more: the cap holds for what is read.
    row("yields more than its size said, past a small cap", QStringLiteral("/proc/self/status"),
        TextFileReader::TooLarge, 64);
    // A name cut at its NUL would name another file.
    row("NUL inside the name", small + QChar(0) + QStringLiteral(".txt"), TextFileReader::NotFound);
}

void TestTextFileReader::failures()
{
    QFETCH(QString, path);
    QFETCH(int, number);
    QFETCH(qint64, cap);
    const auto openFiles = [] {
        return QDir(QStringLiteral("/proc/self/fd")).count();
    };
    const auto openBefore = openFiles();
    // The same failures whether the file is looked at first or was listed as a regular file.
    for (const auto opening :
         {TextFileReader::Opening::LookFirst, TextFileReader::Opening::ListedFile}) {
        const TextFileReader reader(cap, opening);
        try {
            (void)reader.ReadAllText(path);
            QFAIL("the read did not fail");
        } catch (const QvError &error) {
            QCOMPARE(error.number(), number);
            QVERIFY(!error.description().isEmpty());
        }
        // The bytes come through the same checks.
        try {
            (void)reader.ReadAllBytes(path);
            QFAIL("the read did not fail");
        } catch (const QvError &error) {
            QCOMPARE(error.number(), number);
        }
    }
    QCOMPARE(openFiles(), openBefore); // nothing opened is left open
}

QTEST_APPLESS_MAIN(TestTextFileReader)
#include "tst_textfilereader.moc"
