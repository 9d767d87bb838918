// SPDX-License-Identifier: GPL-3.0-or-later
#include "qverror.h"
#include "qvtext.h"

#include <QTest>

class TestQvText : public QObject
{
    Q_OBJECT

private slots:
    void trims_data();
    void trims();
    void cuts_data();
    void cuts();
    void negativeCountThrows();
    void trimEx2_data();
    void trimEx2();
    void pathParts_data();
    void pathParts();
};

void TestQvText::trims_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("trimmedEx");
    QTest::addColumn<QString>("trimmedCRLF");

    QTest::newRow("empty") << ""
                           << ""
                           << "";
    QTest::newRow("blanks and tabs") << " \t a b \t"
                                     << "a b"
                                     << " \t a b \t";
    QTest::newRow("line breaks") << "\r\n\nx\r\r"
                                 << "\r\n\nx\r\r"
                                 << "x";
    QTest::newRow("mixed keeps the inner kind") << " \r\nx\n "
                                                << "\r\nx\n"
                                                << " \r\nx\n ";
    QTest::newRow("only breaks") << "\r\n\r"
                                 << "\r\n\r"
                                 << "";
    QTest::newRow("other white space stays") << "\u00a0x\u2003"
                                             << "\u00a0x\u2003"
                                             << "\u00a0x\u2003";
}

void TestQvText::trims()
{
    QFETCH(QString, text);
    QFETCH(QString, trimmedEx);
    QFETCH(QString, trimmedCRLF);
    QCOMPARE(qvTrimEx(text), trimmedEx);
    QCOMPARE(qvTrimCRLF(text), trimmedCRLF);
    QCOMPARE(qvTrimEx(QStringView(text)).toString(), trimmedEx);
    QCOMPARE(qvTrimCRLF(QStringView(text)).toString(), trimmedCRLF);
}

void TestQvText::cuts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("right");

    QTest::newRow("none") << "abc" << 0 << "abc"
                          << "abc";
    QTest::newRow("some") << "abcdef" << 2 << "cdef"
                          << "abcd";
    QTest::newRow("all") << "abc" << 3 << ""
                         << "";
    QTest::newRow("more than there is") << "abc" << 10 << ""
                                        << "";
    QTest::newRow("empty") << "" << 1 << ""
                           << "";
}

void TestQvText::cuts()
{
    QFETCH(QString, text);
    QFETCH(int, count);
    QFETCH(QString, left);
    QFETCH(QString, right);
    QCOMPARE(qvCutLeft(text, count), left);
    QCOMPARE(qvCutRight(text, count), right);
}

void TestQvText::negativeCountThrows()
{
    QVERIFY_THROWS_EXCEPTION(QvError, qvCutLeft(QStringLiteral("abc"), -1));
    QVERIFY_THROWS_EXCEPTION(QvError, qvCutRight(QStringLiteral("abc"), -1));
}

void TestQvText::trimEx2_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    QTest::newRow("plain path") << "/home/me/a.vnt"
                                << "/home/me/a.vnt";
    QTest::newRow("surrounding white space") << " \t\r\n/a.vnt \r\n"
                                             << "/a.vnt";
    QTest::newRow("quoted path with blanks") << "\"/my notes/a.vnt\""
                                             << "/my notes/a.vnt";
    QTest::newRow("quotes inside blanks") << "  \"/a b.vnt\"  "
                                          << "/a b.vnt";
    QTest::newRow("only one pair") << "\"\"/a.vnt\"\""
                                   << "\"/a.vnt\"";
    QTest::newRow("unbalanced quote stays") << "\"/a.vnt"
                                            << "\"/a.vnt";
    QTest::newRow("inner blanks stay") << "/my notes/a b.vnt"
                                       << "/my notes/a b.vnt";
    QTest::newRow("quoted nothing") << " \" \" "
                                    << "";
    QTest::newRow("lone quote") << "\""
                                << "\"";
    QTest::newRow("empty") << ""
                           << "";
}

void TestQvText::trimEx2()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(qvTrimEx2(text, AllTrimOptions), expected);
}

void TestQvText::pathParts_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("directory");

    QTest::newRow("absolute") << "/home/me/notes/a.vnt"
                              << "a.vnt"
                              << "/home/me/notes";
    QTest::newRow("at the root") << "/a.vnt"
                                 << "a.vnt"
                                 << "/";
    QTest::newRow("bare name") << "a.vnt"
                               << "a.vnt"
                               << "";
    QTest::newRow("relative") << "notes/a b.vnt"
                              << "a b.vnt"
                              << "notes";
    QTest::newRow("non-ASCII") << "/дом/заметка.vnt"
                               << "заметка.vnt"
                               << "/дом";
}

void TestQvText::pathParts()
{
    QFETCH(QString, path);
    QFETCH(QString, fileName);
    QFETCH(QString, directory);
    QCOMPARE(qvGetFileName(path), fileName);
    QCOMPARE(qvGetFilePath(path), directory);
}

QTEST_APPLESS_MAIN(TestQvText)
#include "tst_qvtext.moc"
