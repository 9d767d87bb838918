// SPDX-License-Identifier: GPL-3.0-or-later
#include "bodydecoder.h"
#include "escaperun.h"

#include <QTest>

#include <cstring>
#include <sys/mman.h>

#include <utility>

class TestDecodeBody : public QObject
{
    Q_OBJECT

private slots:
    void decodes_data();
    void decodes();
    void piecesGiveTheSameText_data();
    void piecesGiveTheSameText();
    void runsOfOctets_data();
    void runsOfOctets();
    void runsOfUnits_data();
    void runsOfUnits();
    void escapeRunAsOneByOne_data();
    void escapeRunAsOneByOne();
};

void TestDecodeBody::decodes_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("expected");

    QTest::newRow("escaped Cyrillic") << "=D0=9F=D1=80=D0=B8"
                                      << "При";
    QTest::newRow("lower-case digits") << "=d0=9f=d1=80=d0=b8"
                                       << "При";
    QTest::newRow("leading octet without =") << "41=42"
                                             << "AB";
    QTest::newRow("soft break joined") << "=D0=9F"
                                       << "П";
    QTest::newRow("soft break at the end") << "=D0==9F"
                                           << "П";
    QTest::newRow("escape cut by a line end") << "=D0=9F="
                                              << "П";
    QTest::newRow("hard line break") << "=41=0D=0A=42"
                                     << "A\r\nB";
    QTest::newRow("broken escape skipped") << "=G1=41"
                                           << "A";
    QTest::newRow("one-character element skipped") << "=4=41"
                                                   << "A";
    QTest::newRow("only equals signs") << "=="
                                       << "";
    QTest::newRow("empty") << ""
                           << "";
    // Literal characters are kept: after an escape, and as the whole first element.
    QTest::newRow("literal after escapes") << "=48=69!"
                                           << "Hi!";
    QTest::newRow("plain text") << "Hello"
                                << "Hello";
    QTest::newRow("plain text then escapes") << "Hello=2C=20world"
                                             << "Hello, world";
    QTest::newRow("long first element stays literal") << "4142=43"
                                                      << "4142C";
    QTest::newRow("three-digit element") << "=414"
                                         << "A4";
    // Lines are joined without separators, so text that follows a soft break is an element of
    // its own: skipped unless it starts with two hexadecimal digits.
    QTest::newRow("text after a soft break is skipped") << "=D0=9F=ривет"
                                                        << "П";
    QTest::newRow("literal non-ASCII") << "=41ж€"
                                       << "Aж€";
    QTest::newRow("literal outside the BMP") << "=41\U0001F600"
                                             << "A\U0001F600";
    QTest::newRow("invalid UTF-8 becomes U+FFFD") << "=41=FF=42"
                                                  << "A\uFFFDB";
    QTest::newRow("truncated sequence at the end") << "=41=D0"
                                                   << "A\uFFFD";
    QTest::newRow("overlong slash") << "=41=C0=AF=42"
                                    << "A\uFFFD\uFFFDB";
    QTest::newRow("octet zero kept") << "=41=00=42" << QString::fromUtf16(u"A\0B", 3);
}

void TestDecodeBody::decodes()
{
    QFETCH(QString, body);
    QFETCH(QString, expected);
    QCOMPARE(DecodeBody(body), expected);
}

// The note reader feeds the decoder one body line at a time: an element may run across lines.
void TestDecodeBody::piecesGiveTheSameText_data()
{
    QTest::addColumn<QString>("body");

    QTest::newRow("escapes") << "=D0=9F=D1=80=D0=B8=0D=0A=41";
    QTest::newRow("literals") << "Hello=2C=20=D0=BC=D0=B8=D1=80!";
    QTest::newRow("broken") << "=G1=4=41=zz=414==";
    QTest::newRow("surrogate pair") << "=41\U0001F600\U0001F601=42";
    QTest::newRow("short first element") << "4=41";
    QTest::newRow("hex first element") << "41=42";
}

void TestDecodeBody::piecesGiveTheSameText()
{
    QFETCH(QString, body);
    const QString whole = DecodeBody(body);
    for (qsizetype cut1 = 0; cut1 <= body.size(); ++cut1) {
        for (qsizetype cut2 = cut1; cut2 <= body.size(); ++cut2) {
            BodyDecoder decoder;
            decoder.feed(QStringView(body).first(cut1));
            decoder.feed(QStringView(body).sliced(cut1, cut2 - cut1));
            decoder.feed(QStringView(body).sliced(cut2));
            QCOMPARE(decoder.finish(), whole);
        }
    }
}

namespace {

// A run of escapes and its octets: octets of every kind, with lower-case digits every other time.
std::pair<QByteArray, QByteArray> run(int count)
{
    QByteArray escapes;
    QByteArray octets;
    for (int i = 0; i < count; ++i) {
        octets += char(0x3B * i + 0xA5);
        const QByteArray digits = octets.right(1).toHex();
        escapes += '=' + (i % 2 == 0 ? digits.toUpper() : digits);
    }
    return {escapes, octets};
}

// The octets of a run whose character at `at` (past its first "=") is replaced by one that is
// neither a digit nor "=", written as `replacement`: a digit's escape is dropped, and an "=" that
// is not one joins the next escape's digits to the literal text.
QByteArray octetsReplacedAt(const QByteArray &escapes, const QByteArray &octets, int at,
                            const QByteArray &replacement)
{
    const int escape = (at - 1) / 3;
    QByteArray expected = octets.first(escape);
    if (at % 3 != 0)
        return expected + octets.sliced(escape + 1);
    expected += octets[escape];
    expected += replacement;
    return expected + escapes.sliced(at + 1, 2) + octets.sliced(escape + 2);
}

} // namespace

// Lines of escapes read from a file's bytes: runs that end, and go wrong, anywhere, with the
// piece cut anywhere. The octets are compared, as any octet may be escaped.
void TestDecodeBody::runsOfOctets_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QByteArray>("octets");

    const auto addRun = [](int count) {
        const auto [escapes, octets] = run(count);
        QTest::addRow("run of %d", count) << escapes << octets;
    };
    for (int count = 1; count <= 35; ++count)
        addRun(count);
    addRun(3 * 16 * 1024 + 7); // over the octet buffer

    // One character after the first "=" replaced.
    const QByteArray replacements = "/:@G`g\xE9";
    const auto [escapes, octets] = run(36);
    for (int at = 1; at < escapes.size(); ++at) {
        const char bad = replacements[at % replacements.size()];
        QByteArray body = escapes;
        body[at] = bad;
        const QByteArray badOctets = bad == '\xE9' ? QByteArray("\xC3\xA9") : QByteArray(1, bad);
        QTest::addRow("byte %02X at %d", unsigned(uchar(bad)), at)
            << body << octetsReplacedAt(escapes, octets, at, badOctets);
    }
}

// The same runs as UTF-16 text, whose units beyond Latin-1 must end a run even where their low
// byte is a digit or "=".
void TestDecodeBody::runsOfUnits_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<QByteArray>("octets");

    const auto [escapes, octets] = run(36);
    for (int count : {1, 15, 16, 17, 35, 3 * 16 * 1024 + 7}) {
        const auto [countEscapes, countOctets] = run(count);
        QTest::addRow("run of %d", count) << QString::fromLatin1(countEscapes) << countOctets;
    }
    for (const char16_t wide : {u'\u0141', u'\u0130', u'\uFF3D', u'\uC13D'}) {
        for (int at : {4, 23, 24, 50, 106}) {
            QString body = QString::fromLatin1(escapes);
            body[at] = QChar(wide);
            QTest::addRow("U+%04X at %d", unsigned(wide), at)
                << body << octetsReplacedAt(escapes, octets, at, QString(QChar(wide)).toUtf8());
        }
    }
}

void TestDecodeBody::runsOfUnits()
{
    QFETCH(QString, body);
    QFETCH(QByteArray, octets);
    const auto decode = [&](qsizetype cut) {
        BodyDecoder decoder;
        decoder.keepOctets();
        decoder.feed(QStringView(body).first(cut));
        decoder.feed(QStringView(body).sliced(cut));
        return decoder.finishOctets();
    };
    const qsizetype step = 1 + body.size() / 64;
    for (qsizetype cut = 0; cut <= body.size(); cut += step)
        QCOMPARE(decode(cut), octets);
}

void TestDecodeBody::runsOfOctets()
{
    QFETCH(QByteArray, body);
    QFETCH(QByteArray, octets);
    // The pieces are views of one buffer, as a file's lines are: what follows a piece is there
    // to be misread.
    const auto decode = [&](qsizetype cut) {
        BodyDecoder decoder;
        decoder.keepOctets();
        decoder.feed(QLatin1StringView(body.constData(), cut));
        decoder.feed(QLatin1StringView(body.constData() + cut, body.size() - cut));
        return decoder.finishOctets();
    };
    const qsizetype step = 1 + body.size() / 128;
    for (qsizetype cut = 0; cut <= body.size(); cut += step)
        QCOMPARE(decode(cut), octets);
}

namespace {

// A page whose end is followed by one that cannot be read: what is copied to its end is read
// past only by a crash.
class GuardedPage
{
public:
    GuardedPage()
    {
        void *const pages =
            mmap(nullptr, 2 * Size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (pages != MAP_FAILED &&
            mprotect(static_cast<char *>(pages) + Size, Size, PROT_NONE) == 0)
            m_pages = static_cast<char *>(pages);
    }
    ~GuardedPage()
    {
        if (m_pages != nullptr)
            munmap(m_pages, 2 * Size);
    }
    GuardedPage(const GuardedPage &) = delete;
    GuardedPage &operator=(const GuardedPage &) = delete;

    [[nodiscard]] bool isValid() const { return m_pages != nullptr; }
    template <typename Unit> const Unit *atEnd(const Unit *units, qsizetype count)
    {
        char *const at = m_pages + Size - count * qsizetype(sizeof(Unit));
        std::memcpy(at, units, size_t(count) * sizeof(Unit));
        return reinterpret_cast<const Unit *>(at);
    }

private:
    static constexpr qsizetype Size = 4096;
    char *m_pages = nullptr;
};

// decodeEscapeRun and the one-by-one decoder on `text` with the limit `escapes`: the same count
// and octets, nothing written past the limit, and the same again with the text ending at the
// limit before a page that cannot be read. Returns the first difference.
template <typename Unit>
QString escapeRunDifference(const Unit *text, qsizetype escapes, GuardedPage &guarded)
{
    constexpr char Untouched = '\x5A';
    QByteArray expected(escapes, '\0');
    QByteArray octets(escapes + 16, Untouched);
    const qsizetype count = decodeEscapesOneByOne(text, escapes, expected.data());
    const qsizetype got = decodeEscapeRun(text, escapes, octets.data());
    if (got != count)
        return QStringLiteral("%1 escapes, not %2").arg(got).arg(count);
    if (octets.first(count) != expected.first(count))
        return QStringLiteral("other octets");
    if (octets.sliced(escapes) != QByteArray(16, Untouched))
        return QStringLiteral("written past the limit");
    if (decodeEscapeRun(guarded.atEnd(text, 3 * escapes), escapes, octets.data()) != count)
        return QStringLiteral("another count at the end of the page");
    return {};
}

} // namespace

// decodeEscapeRun against the one-by-one decoder, in 8-bit and UTF-16 text: runs of every length
// up to past three blocks, broken at every character by characters that are neither digits nor
// "=" (in UTF-16, units whose low byte is one), limited at the run's end, one short of it and half
// way, with whole escapes after the limit that it must not count.
void TestDecodeBody::escapeRunAsOneByOne_data()
{
    QTest::addColumn<int>("length");
    for (int length = 0; length <= 52; ++length)
        QTest::addRow("run of %d", length) << length;
}

void TestDecodeBody::escapeRunAsOneByOne()
{
    QFETCH(int, length);
    GuardedPage guarded;
    QVERIFY(guarded.isValid());
    // Whole escapes after the first "=", as the decoder is called: two digits and the next "=".
    const QByteArray escapes = run(length + 17).first.sliced(1) + '=';
    const QList<qsizetype> limits{length, qMax(0, length - 1), length / 2};
    const QByteArray bytes = "/:@G`g\xE9";
    const QList<char16_t> units{u'/', u'G', u'\u0141', u'\u013D', u'\u0130', u'\uFF10'};
    const auto check = [&](const auto *text, qsizetype at, unsigned bad) {
        for (const qsizetype limit : limits) {
            const QString difference = escapeRunDifference(text, limit, guarded);
            if (!difference.isEmpty()) {
                return QStringLiteral("%1 at %2, limit %3: %4")
                    .arg(bad, 4, 16, QChar(u'0'))
                    .arg(at)
                    .arg(limit)
                    .arg(difference);
            }
        }
        return QString();
    };
    for (qsizetype at = -1; at < 3 * length; ++at) { // -1: the run unbroken
        for (const char bad : bytes) {
            QByteArray text = escapes;
            if (at >= 0)
                text[at] = bad;
            const QString difference = check(text.constData(), at, uchar(bad));
            QVERIFY2(difference.isEmpty(), qPrintable(difference));
        }
        for (const char16_t bad : units) {
            QString text = QString::fromLatin1(escapes);
            if (at >= 0)
                text[at] = QChar(bad);
            const QString difference =
                check(reinterpret_cast<const char16_t *>(text.utf16()), at, bad);
            QVERIFY2(difference.isEmpty(), qPrintable(difference));
        }
    }
}

QTEST_APPLESS_MAIN(TestDecodeBody)
#include "tst_decodebody.moc"
