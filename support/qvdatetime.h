#pragma once

#include <QDate>
#include <QLocale>
#include <QString>
#include <QTime>

// A date in the locale's long or short date format. Throws QvError for an invalid date.
QString qvSystemTimeToStringDate(QDate date, bool longForm,
                                 const QLocale &locale = QLocale::system());

// A time of day with hours, minutes and seconds in the locale's format, without a zone name.
// Throws QvError for an invalid time.
QString qvSystemTimeToStringTime(QTime time, const QLocale &locale = QLocale::system());
