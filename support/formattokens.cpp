// SPDX-License-Identifier: GPL-3.0-or-later
#include "formattokens.h"

#include <QStringView>

namespace {

bool isAsciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

} // namespace

QList<FormatToken> tokenizeFormat(const QString &format)
{
    QList<FormatToken> tokens;
    for (qsizetype at = 0; at < format.size();) {
        const QChar c = format[at];
        qsizetype end = at + 1;
        FormatToken::Kind kind = FormatToken::Literal;
        if (c == u'\'') {
            // Up to the closing quote; two quotes in a row stand for one.
            while (end < format.size()) {
                if (format[end] == u'\'' && (end + 1 == format.size() || format[end + 1] != u'\''))
                    break;
                end += format[end] == u'\'' ? 2 : 1;
            }
            end = qMin(end + 1, format.size());
        } else if (isAsciiLetter(c)) {
            while (end < format.size() && format[end] == c)
                ++end;
            if ((c == u'a' || c == u'A') && end < format.size() &&
                (format[end] == u'p' || format[end] == u'P'))
                ++end;
            kind = c == u't'                             ? FormatToken::Zone
                   : QStringView(u"hHmszaA").contains(c) ? FormatToken::Field
                                                         : FormatToken::Unsupported;
        }
        tokens.append({kind, format.sliced(at, end - at)});
        at = end;
    }
    return tokens;
}
