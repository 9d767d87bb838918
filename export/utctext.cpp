// SPDX-License-Identifier: GPL-3.0-or-later
#include "utctext.h"

namespace {

// Written out by hand: QDateTime::toString with a format costs more than the note's other work.
QString utcText(const QDateTime &moment, const char *form)
{
    if (!moment.isValid())
        return {};
    const QDateTime utc = moment.toUTC();
    const QDate date = utc.date();
    const QTime time = utc.time();
    return QString::asprintf(form, date.year(), date.month(), date.day(), time.hour(),
                             time.minute(), time.second());
}

} // namespace

QString isoUtcText(const QDateTime &moment)
{
    return utcText(moment, "%04d-%02d-%02dT%02d:%02d:%02dZ");
}

QString compactUtcText(const QDateTime &moment)
{
    return utcText(moment, "%04d%02d%02dT%02d%02d%02dZ");
}
