#include "qverror.h"
#include "textfilereader.h"

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
}

void TestTextFileReader::failures_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("number");

    QVERIFY(m_dir.isValid());
    QTest::newRow("missing") << m_dir.filePath(QStringLiteral("missing.vnt"))
                             << int(TextFileReader::NotFound);
    QTest::newRow("missing folder")
        << m_dir.filePath(QStringLiteral("no/such.vnt")) << int(TextFileReader::NotFound);
    QTest::newRow("empty path") << QString() << int(TextFileReader::NotFound);
    QTest::newRow("directory") << m_dir.path() << int(TextFileReader::IsDirectory);
    QTest::newRow("device") << QStringLiteral("/dev/null") << int(TextFileReader::NotRegularFile);

    const QString fifo = m_dir.filePath(QStringLiteral("pipe.vnt"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QTest::newRow("FIFO, never opened") << fifo << int(TextFileReader::NotRegularFile);

    const QString large = m_dir.filePath(QStringLiteral("large.vnt"));
    QFile file(large);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.resize(TextFileReader::MaxFileSize + 1)); // sparse: nothing is written
    QTest::newRow("over the cap") << large << int(TextFileReader::TooLarge);
}

void TestTextFileReader::failures()
{
    QFETCH(QString, path);
    QFETCH(int, number);
    try {
        (void)TextFileReader::shared().ReadAllText(path);
        QFAIL("the read did not fail");
    } catch (const QvError &error) {
        QCOMPARE(error.number(), number);
        QVERIFY(!error.description().isEmpty());
    }
}

QTEST_APPLESS_MAIN(TestTextFileReader)
#include "tst_textfilereader.moc"
