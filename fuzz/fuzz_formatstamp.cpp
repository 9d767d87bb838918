// SPDX-License-Identifier: GPL-3.0-or-later
// FormatStamp on any value, in time zones with and without daylight saving and odd offsets, in
// several locales and both date modes. A value that is not a stamp, or a stamp that names no
// valid moment, must come back unchanged; a valid moment must be converted.
//
// The first byte chooses the zone (or none, for the process's local time), the second the locale
// and the date mode; the rest, as UTF-8, is the value.

#include "formatstamp.h"
#include "fuzzcheck.h"

#include <QRegularExpression>

#include <array>

namespace {

const std::array<QByteArray, 6> Zones = {"UTC",
                                         "Europe/Berlin",
                                         "Asia/Kolkata",
                                         "America/St_Johns",
                                         "Pacific/Kiritimati",
                                         "Australia/Lord_Howe"};
const std::array<QLocale::Language, 6> Languages = {QLocale::Russian, QLocale::English,
                                                    QLocale::German,  QLocale::Arabic,
                                                    QLocale::Chinese, QLocale::C};

int number(const QString &value, qsizetype from, qsizetype length)
{
    return value.mid(from, length).toInt();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    if (size < 2)
        return 0;
    static const auto zones = [] {
        std::array<QTimeZone, Zones.size()> zones;
        for (size_t i = 0; i < Zones.size(); ++i)
            zones[i] = QTimeZone(Zones[i]);
        return zones;
    }();
    DateDisplay display;
    // One choice more than the zones: the process's own local time.
    if (const size_t zone = data[0] % (zones.size() + 1); zone < zones.size())
        display.zone = zones[zone];
    display.locale = QLocale(Languages[(data[1] >> 1) % Languages.size()]);
    display.shortDate = (data[1] & 1) != 0;
    const QString value =
        QString::fromUtf8(reinterpret_cast<const char *>(data + 2), qsizetype(size - 2));

    QString shown;
    fuzzcheck::withinTime(size, [&] { shown = FormatStamp(value, display); });

    static const QRegularExpression stampForm(
        QRegularExpression::anchoredPattern(QStringLiteral("[0-9]{8}[Tt][0-9]{6}")));
    if (!stampForm.match(value).hasMatch()) {
        fuzzcheck::expectEqual(shown, value, "not a stamp, so unchanged");
        return 0;
    }
    const QDate date(number(value, 0, 4), number(value, 4, 2), number(value, 6, 2));
    const QTime time(number(value, 9, 2), number(value, 11, 2), number(value, 13, 2));
    if (!date.isValid() || !time.isValid() || date.year() < 1601)
        fuzzcheck::expectEqual(shown, value, "no valid moment, so unchanged");
    else if (shown == value || shown.isEmpty())
        fuzzcheck::fail("a valid moment was not converted", value);
    return 0;
}
