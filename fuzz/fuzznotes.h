// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the note-reading fuzz targets share: a message sink that records, and fixed dates.

#include "formatstamp.h"
#include "messagesink.h"

#include <QStringList>

namespace fuzzcheck {

class RecordingSink : public MessageSink
{
public:
    void showCritical(const QString &message) override { messages.append(message); }
    QStringList messages;
};

// Berlin's time zone (summer time included) and the Russian locale, in either date mode.
inline DateDisplay berlinDisplay(bool shortDate)
{
    DateDisplay display;
    display.shortDate = shortDate;
    display.locale = QLocale(QLocale::Russian, QLocale::Russia);
    display.zone = QTimeZone("Europe/Berlin");
    return display;
}

} // namespace fuzzcheck
