// SPDX-License-Identifier: GPL-3.0-or-later
#include "utcstamp.h"

#include "qvtext.h"

#include <utility>

UtcStamp ReadUtcStamp(const QString &value, const DateDisplay &display)
{
    QString upper = qvTrimEx(value).toUpper();
    const QString compact = CompactStampForm(upper);
    QString shown = FormatStamp(compact, display);
    QDateTime moment = StampMoment(compact);
    return {shown == compact ? std::move(upper) : std::move(shown), std::move(moment)};
}

QString ShowUtcStamp(const QString &value, const DateDisplay &display)
{
    return ReadUtcStamp(value, display).shown;
}
