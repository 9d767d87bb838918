// SPDX-License-Identifier: GPL-3.0-or-later
#include "utcstamp.h"

#include "qvtext.h"

#include <utility>

namespace {

constexpr QStringView ExtendedPattern = u"dddd-dd-ddTdd:dd:dd";

bool isExtendedForm(QStringView stamp)
{
    if (stamp.size() != ExtendedPattern.size())
        return false;
    for (qsizetype i = 0; i < stamp.size(); ++i) {
        const bool ok = ExtendedPattern[i] == u'd' ? stamp[i] >= u'0' && stamp[i] <= u'9'
                                                   : stamp[i] == ExtendedPattern[i];
        if (!ok)
            return false;
    }
    return true;
}

// An upper-cased stamp in the compact form, its Z dropped and the extended form's separators
// too; any other value as it is.
QString compactForm(const QString &upper)
{
    QStringView stamp = upper;
    if (stamp.endsWith(u'Z'))
        stamp.chop(1);
    if (isExtendedForm(stamp)) {
        QString compact;
        compact.reserve(15);
        for (const QChar c : stamp) {
            if (c != u'-' && c != u':')
                compact += c;
        }
        return compact;
    }
    return stamp.size() == upper.size() ? upper : stamp.toString();
}

} // namespace

UtcStamp ReadUtcStamp(const QString &value, const DateDisplay &display)
{
    QString upper = qvTrimEx(value).toUpper();
    const QString compact = compactForm(upper);
    QString shown = FormatStamp(compact, display);
    QDateTime moment = StampMoment(compact);
    return {shown == compact ? std::move(upper) : std::move(shown), std::move(moment)};
}

QString ShowUtcStamp(const QString &value, const DateDisplay &display)
{
    return ReadUtcStamp(value, display).shown;
}
