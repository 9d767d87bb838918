// SPDX-License-Identifier: GPL-3.0-or-later
// QvUtf8Decoder against Qt's own decoding, on text that its fast path for one- and two-octet
// characters takes, and on text where that path must stop: at every place in its blocks of
// sixteen octets and across the pieces.

#include "qvutf8.h"

#include <QTest>

class TestUtf8Decoder : public QObject
{
    Q_OBJECT

private slots:
    void decodesAsQt_data();
    void decodesAsQt();
};

void TestUtf8Decoder::decodesAsQt_data()
{
    QTest::addColumn<QByteArray>("octets");

    // Cyrillic and ASCII, so that leads fall on every place in a block, the last one included.
    QByteArray text;
    for (int i = 0; text.size() < 160; ++i)
        text += i % 3 == 0 ? QByteArray("a ") : QString(QChar(0x410 + i % 64)).toUtf8();
    QTest::newRow("one and two octets") << text;
    QTest::newRow("ASCII") << QByteArray(100, 'x');

    const QList<std::pair<const char *, QByteArray>> breaks{
        {"three octets", QString(QChar(0x20AC)).toUtf8()},
        {"four octets", QStringLiteral("\U0001F600").toUtf8()},
        {"mark", "\xEF\xBB\xBF"},
        {"overlong C0", "\xC0\xBF"},
        {"overlong C1", "\xC1\x81"},
        {"lone continuation", "\x80"},
        {"lead without continuation", "\xD0"},
        {"lead before a lead", "\xD0\xD0\x9F"},
        {"cut three-octet", "\xE2\x82"},
        {"F5", "\xF5\x80\x80\x80"},
        {"FF", "\xFF"},
    };
    for (const auto &[name, octets] : breaks) {
        for (int at = 0; at < 36; ++at) {
            QByteArray broken = text;
            // On a character's start in the text, so that the fast path meets the break there.
            while ((broken[at] & 0xC0) == 0x80)
                ++at;
            broken.insert(at, octets);
            QTest::addRow("%s at %d", name, at) << broken;
        }
    }
    QTest::newRow("three octets throughout") << QString(200, QChar(0x4E2D)).toUtf8();
}

void TestUtf8Decoder::decodesAsQt()
{
    QFETCH(QByteArray, octets);
    const QString expected = QString::fromUtf8(octets);
    for (const qsizetype piece : {octets.size(), qsizetype(17), qsizetype(5)}) {
        QvUtf8Decoder decoder;
        for (qsizetype at = 0; at < octets.size(); at += piece)
            decoder.append(QByteArrayView(octets).sliced(at, qMin(piece, octets.size() - at)));
        QCOMPARE(decoder.finish(), expected);
    }
}

QTEST_APPLESS_MAIN(TestUtf8Decoder)
#include "tst_utf8decoder.moc"
