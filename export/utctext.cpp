// SPDX-License-Identifier: GPL-3.0-or-later
#include "utctext.h"

namespace {

QString utcText(const QDateTime &moment, const QString &format)
{
    return moment.isValid() ? moment.toUTC().toString(format) : QString();
}

} // namespace

QString isoUtcText(const QDateTime &moment)
{
    return utcText(moment, QStringLiteral("yyyy-MM-ddTHH:mm:ssZ"));
}

QString compactUtcText(const QDateTime &moment)
{
    return utcText(moment, QStringLiteral("yyyyMMddTHHmmssZ"));
}
