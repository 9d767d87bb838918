// SPDX-License-Identifier: GPL-3.0-or-later
#include "formatpieces.h"
#include "formatstamp.h"
#include "qvdatetime.h"

#include <QRegularExpression>
#include <QScopeGuard>
#include <QTest>

// Every row names its own zone and locale: nothing here depends on the machine's settings, nor
// on today's date.
class TestFormatStamp : public QObject
{
    Q_OBJECT

private slots:
    void converts_data();
    void converts();
    void leavesOtherTextUnchanged_data();
    void leavesOtherTextUnchanged();
    void followsTheProcessZone_data();
    void followsTheProcessZone();
    void timeTextInEveryLocale_data();
    void timeTextInEveryLocale();
    void piecesReadAsQLocale_data() { timeTextInEveryLocale_data(); }
    void piecesReadAsQLocale();
    void piecesTakeOverUnchanged_data() { timeTextInEveryLocale_data(); }
    void piecesTakeOverUnchanged();
};

namespace {

// Sets TZ until the guard it returns goes.
auto processZone(const QByteArray &zone)
{
    const bool wasSet = qEnvironmentVariableIsSet("TZ");
    const QByteArray saved = qgetenv("TZ");
    qputenv("TZ", zone);
    return qScopeGuard([=] { wasSet ? qputenv("TZ", saved) : qunsetenv("TZ"); });
}

} // namespace

void TestFormatStamp::converts_data()
{
    QTest::addColumn<QString>("stamp");
    QTest::addColumn<QByteArray>("zone");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<bool>("shortDate");
    QTest::addColumn<QString>("expected");

    QTest::newRow("four hours east, long, ru")
        << "20130403T001940" << QByteArray("Asia/Dubai") << "ru_RU" << false
        << "среда, 3 апреля 2013 г., 04:19:40";
    QTest::newRow("four hours east, short, ru") << "20130403T001940" << QByteArray("Asia/Dubai")
                                                << "ru_RU" << true << "04:19:40 03.04.2013";
    QTest::newRow("four hours east, long, en")
        << "20130403T001940" << QByteArray("Asia/Dubai") << "en_US" << false
        << "Wednesday, April 3, 2013, 4:19:40 AM";
    QTest::newRow("four hours east, short, en")
        << "20130403T001940" << QByteArray("Asia/Dubai") << "en_US" << true << "4:19:40 AM 4/3/13";
    QTest::newRow("lower-case t") << "20130403t001940" << QByteArray("Asia/Dubai") << "ru_RU"
                                  << true << "04:19:40 03.04.2013";
    QTest::newRow("the date moves with the offset")
        << "20131231T230000" << QByteArray("Africa/Lagos") << "ru_RU" << true
        << "00:00:00 01.01.2014";
    QTest::newRow("west of UTC goes back a day")
        << "20140101T030000" << QByteArray("America/New_York") << "en_US" << true
        << "10:00:00 PM 12/31/13";
    // The offset is the one in force at the stamp's own moment, whatever the date today.
    QTest::newRow("summer stamp in summer time")
        << "20130703T120000" << QByteArray("Europe/Berlin") << "ru_RU" << false
        << "среда, 3 июля 2013 г., 14:00:00";
    QTest::newRow("winter stamp in winter time")
        << "20130115T120000" << QByteArray("Europe/Berlin") << "ru_RU" << false
        << "вторник, 15 января 2013 г., 13:00:00";
    QTest::newRow("just before the spring change")
        << "20130331T005959" << QByteArray("Europe/Berlin") << "ru_RU" << true
        << "01:59:59 31.03.2013";
    QTest::newRow("just after the spring change")
        << "20130331T010000" << QByteArray("Europe/Berlin") << "ru_RU" << true
        << "03:00:00 31.03.2013";
    QTest::newRow("UTC itself") << "20000229T235959" << QByteArray("UTC") << "ru_RU" << true
                                << "23:59:59 29.02.2000";
    QTest::newRow("earliest year")
        << "16010101T000000" << QByteArray("UTC") << "en_US" << true << "12:00:00 AM 1/1/01";
}

void TestFormatStamp::converts()
{
    QFETCH(QString, stamp);
    QFETCH(QByteArray, zone);
    QFETCH(QString, locale);
    QFETCH(bool, shortDate);
    QFETCH(QString, expected);

    const DateDisplay display{shortDate, QLocale(locale), QTimeZone(zone)};
    QVERIFY(display.zone->isValid());
    QCOMPARE(FormatStamp(stamp, display), expected);
}

void TestFormatStamp::leavesOtherTextUnchanged_data()
{
    QTest::addColumn<QString>("value");

    QTest::newRow("empty") << "";
    QTest::newRow("trailing Z") << "20130403T001940Z";
    QTest::newRow("separators") << "2013-04-03T00:19:40";
    QTest::newRow("too short") << "20130403T0019";
    QTest::newRow("fraction") << "20130403T001940.5";
    QTest::newRow("blank instead of T") << "20130403 001940";
    QTest::newRow("other letter") << "20130403X001940";
    QTest::newRow("non-ASCII digits") << "２０１３0403T001940";
    QTest::newRow("month 00") << "20130003T001940";
    QTest::newRow("month 13") << "20131303T001940";
    QTest::newRow("day 32") << "20130132T001940";
    QTest::newRow("30 February") << "20130230T001940";
    QTest::newRow("hour 24") << "20130403T240000";
    QTest::newRow("minute 60") << "20130403T006000";
    QTest::newRow("second 60") << "20130403T000060";
    QTest::newRow("year before 1601") << "16001231T235959";
    QTest::newRow("year 0000") << "00000101T000000";
}

void TestFormatStamp::leavesOtherTextUnchanged()
{
    QFETCH(QString, value);
    for (const bool shortDate : {false, true}) {
        const DateDisplay display{shortDate, QLocale(QStringLiteral("ru_RU")),
                                  QTimeZone(QByteArrayLiteral("Europe/Berlin"))};
        QCOMPARE(FormatStamp(value, display), value);
    }
}

// Without a zone of its own, a display shows the process's local time as `date` does.
void TestFormatStamp::followsTheProcessZone_data()
{
    QTest::addColumn<QByteArray>("tz");
    QTest::addColumn<QString>("stamp");
    QTest::addColumn<QString>("expected");

    QTest::newRow("POSIX offsets count west") << QByteArray("UTC+3") << "20130403T183000"
                                              << "15:30:00 03.04.2013";
    QTest::newRow("GMT with an offset") << QByteArray("GMT+5") << "20130403T183000"
                                        << "13:30:00 03.04.2013";
    QTest::newRow("a POSIX offset east") << QByteArray("XYZ-4:30") << "20130403T183000"
                                         << "23:00:00 03.04.2013";
    QTest::newRow("a POSIX rule, summer")
        << QByteArray("EST5EDT,M3.2.0,M11.1.0") << "20130703T120000"
        << "08:00:00 03.07.2013";
    QTest::newRow("a POSIX rule, winter")
        << QByteArray("EST5EDT,M3.2.0,M11.1.0") << "20130115T120000"
        << "07:00:00 15.01.2013";
    QTest::newRow("an unknown zone is UTC") << QByteArray("Nowhere/Atlantis") << "20130403T183000"
                                            << "18:30:00 03.04.2013";
    QTest::newRow("a zone name") << QByteArray("Europe/Berlin") << "20130403T183000"
                                 << "20:30:00 03.04.2013";
    QTest::newRow("a zone name after a colon") << QByteArray(":Asia/Dubai") << "20131231T230000"
                                               << "03:00:00 01.01.2014";
}

void TestFormatStamp::followsTheProcessZone()
{
    QFETCH(QByteArray, tz);
    QFETCH(QString, stamp);
    QFETCH(QString, expected);

    const auto zone = processZone(tz);
    DateDisplay display;
    display.shortDate = true;
    display.locale = QLocale(QStringLiteral("ru_RU"));
    QCOMPARE(FormatStamp(stamp, display), expected);
}

// Every locale's time text is the time alone: no zone, nothing left of what went with it, no
// pattern letter shown as itself. Other marks, like bg_BG's "ч.", are the locale's own.
void TestFormatStamp::timeTextInEveryLocale_data()
{
    QTest::addColumn<QLocale>("locale");
    for (const QLocale &locale :
         QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory))
        QTest::newRow(qPrintable(locale.bcp47Name() + u' ' + locale.name())) << locale;
}

void TestFormatStamp::timeTextInEveryLocale()
{
    QFETCH(QLocale, locale);
    const auto zone = processZone("UTC"); // what the zone name would show
    const QString text = qvSystemTimeToStringTime(QTime(20, 30, 45), locale);
    QVERIFY(!text.isEmpty());

    static const QRegularExpression emptyBrackets(QStringLiteral("[(\\[（【]\\s*[)\\]）】]"));
    QVERIFY2(!text.contains(emptyBrackets), qPrintable(text));
    static const QRegularExpression looseEnd(QStringLiteral("^[\\s,،，、]|[\\s,،，、]$"));
    QVERIFY2(!text.contains(looseEnd), qPrintable(text));

    // Latin letters come only from the AM/PM text or from quoted text in the format.
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString allowed = locale.amText() + locale.pmText();
    const QStringList quotedAndNot = format.split(u'\'');
    for (qsizetype i = 1; i < quotedAndNot.size(); i += 2)
        allowed += quotedAndNot[i];
    for (const QChar c : text) {
        const bool latin = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
        QVERIFY2(!latin || allowed.contains(c, Qt::CaseInsensitive),
                 qPrintable(text + QStringLiteral(" from ") + format));
    }
}

// Stamps are put together from pieces kept for each value they show. In every locale, and for a
// 12-hour clock with its AM/PM text anywhere, they read as QLocale writes them, and they are
// made of pieces indeed: a locale that falls back to QLocale keeps nothing.
void TestFormatStamp::piecesReadAsQLocale()
{
    QFETCH(QLocale, locale);
    QList<QDate> dates{{1601, 1, 1}, {1999, 12, 31}, {9999, 12, 31}};
    for (QDate day(2024, 1, 1); day.year() == 2024; day = day.addDays(1))
        dates.append(day);
    for (const QLocale::FormatType type : {QLocale::LongFormat, QLocale::ShortFormat}) {
        FormatPieces pieces(locale, type);
        QVERIFY2(pieces.usesPieces(), qPrintable(locale.dateFormat(type)));
        for (const QDate date : dates)
            QCOMPARE(pieces.date(date), locale.toString(date, type));
    }
    QString shortTime = locale.timeFormat(QLocale::ShortFormat);
    shortTime.remove(u'B'); // a day period, which Qt 6.4 cannot format: stamps never show it
    for (const QString &format :
         {shortTime, QStringLiteral("AP h:mm:ss"), QStringLiteral("hh 'h' ap")}) {
        FormatPieces pieces(locale, format);
        QVERIFY2(pieces.usesPieces(), qPrintable(format));
        for (int second = 0; second < 24 * 3600; second += 277)
            QCOMPARE(pieces.time(QTime(0, 0).addSecs(second)),
                     locale.toString(QTime(0, 0).addSecs(second), format));
    }
}

// A thread's first stamps come from QLocale, later ones from pieces: the same texts.
void TestFormatStamp::piecesTakeOverUnchanged()
{
    QFETCH(QLocale, locale);
    QStringList first;
    QStringList later;
    for (QStringList *texts : {&first, &later}) {
        for (int i = 0; i < 40; ++i) {
            const QDate date = QDate(2009, 1, 1).addDays(i * 97);
            const QTime time = QTime(0, 0).addSecs(i * 4111);
            texts->append(qvSystemTimeToStringDate(date, i % 2 == 0, locale) + u'|' +
                          qvSystemTimeToStringTime(time, locale));
        }
    }
    QCOMPARE(later, first);
}

QTEST_APPLESS_MAIN(TestFormatStamp)
#include "tst_formatstamp.moc"
