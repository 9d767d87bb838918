// SPDX-License-Identifier: GPL-3.0-or-later
#include "qvfilename.h"

#include <QTest>

// File names between the system's bytes and text: every name must come back as the same bytes.
class TestQvFileName : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip_data();
    void roundTrip();
    void textWithoutNativeForm_data();
    void textWithoutNativeForm();
    void nativeArguments_data();
    void nativeArguments();
};

void TestQvFileName::roundTrip_data()
{
    QTest::addColumn<QByteArray>("native");
    QTest::addColumn<QString>("text");

    QTest::newRow("ASCII") << QByteArray("/home/me/a note.vnt") << u"/home/me/a note.vnt"_qs;
    QTest::newRow("UTF-8") << QByteArray("/заметки/日本.vnt") << u"/заметки/日本.vnt"_qs;
    QTest::newRow("outside the BMP") << QByteArray("\xF0\x9F\x98\x80.vnt") << u"😀.vnt"_qs;
    // Python's os.fsdecode gives the same.
    QTest::newRow("Latin-1") << QByteArray("caf\xE9.vnt") << u"caf\xDCE9.vnt"_qs;
    QTest::newRow("windows-1251") << QByteArray("\xCF\xF0\xE8\xE2\xE5\xF2")
                                  << u"\xDCCF\xDCF0\xDCE8\xDCE2\xDCE5\xDCF2"_qs;
    QTest::newRow("overlong slash") << QByteArray("a\xC0\xAF"
                                                  "b")
                                    << u"a\xDCC0\xDCAF"
                                       "b"_qs;
    QTest::newRow("an encoded surrogate") << QByteArray("\xED\xA0\x80") << u"\xDCED\xDCA0\xDC80"_qs;
    QTest::newRow("cut by the end") << QByteArray("a\xE2\x82") << u"a\xDCE2\xDC82"_qs;
    QTest::newRow("cut by another character") << QByteArray("\xE2\x82"
                                                            "a\xD0\x96")
                                              << u"\xDCE2\xDC82"
                                                 "a\x0416"_qs;
    QTest::newRow("past Unicode") << QByteArray("\xF4\x90\x80\x80")
                                  << u"\xDCF4\xDC90\xDC80\xDC80"_qs;
    // The low half of a character outside the BMP may look like an escape; it is not one.
    QTest::newRow("a character whose low half is DC80, then an escape")
        << QByteArray("\xF0\x90\x82\x80\x80") << u"\xD800\xDC80\xDC80"_qs;
}

void TestQvFileName::roundTrip()
{
    QFETCH(QByteArray, native);
    QFETCH(QString, text);
    QCOMPARE(qvFileNameToText(native), text);
    QCOMPARE(qvTextToFileName(text), native);
}

// Text that no name decodes to still becomes a name, one that names no other file.
void TestQvFileName::textWithoutNativeForm_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("native");

    QTest::newRow("a lone high surrogate") << u"a\xD800"_qs << QByteArray("a\xEF\xBF\xBD");
    QTest::newRow("a lone low surrogate below the escapes")
        << u"a\xDC41"_qs << QByteArray("a\xEF\xBF\xBD");
}

void TestQvFileName::textWithoutNativeForm()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, native);
    QCOMPARE(qvTextToFileName(text), native);
}

void TestQvFileName::nativeArguments_data()
{
    QTest::addColumn<QByteArray>("native");
    QTest::addColumn<QStringList>("decoded");
    QTest::addColumn<QStringList>("arguments");

    QTest::newRow("plain") << QByteArray("quillet\0/a.vnt\0", 15)
                           << QStringList{"quillet", "/a.vnt"} << QStringList{"quillet", "/a.vnt"};
    QTest::newRow("a name that is not UTF-8")
        << QByteArray("quillet\0/caf\xE9.vnt\0", 19) << QStringList{"quillet", u"/caf\uFFFD.vnt"_qs}
        << QStringList{"quillet", u"/caf\xDCE9.vnt"_qs};
    QTest::newRow("options that Qt took for itself")
        << QByteArray("quillet\0-platform\0offscreen\0caf\xE9\0", 33)
        << QStringList{"quillet", u"caf\uFFFD"_qs} << QStringList{"quillet", u"caf\xDCE9"_qs};
    QTest::newRow("an empty argument")
        << QByteArray("quillet\0\0b\0", 11) << QStringList{"quillet", "", "b"}
        << QStringList{"quillet", "", "b"};
    QTest::newRow("no native arguments at all")
        << QByteArray() << QStringList{"quillet", u"caf\uFFFD"_qs}
        << QStringList{"quillet", u"caf\uFFFD"_qs};
    QTest::newRow("one that matches none, then one that does")
        << QByteArray("quillet\0\xE9\0", 10) << QStringList{"quillet", "x", u"\uFFFD"_qs}
        << QStringList{"quillet", "x", u"\xDCE9"_qs};
}

void TestQvFileName::nativeArguments()
{
    QFETCH(QByteArray, native);
    QFETCH(QStringList, decoded);
    QFETCH(QStringList, arguments);
    QCOMPARE(qvNativeArguments(native, decoded), arguments);
}

QTEST_APPLESS_MAIN(TestQvFileName)
#include "tst_qvfilename.moc"
