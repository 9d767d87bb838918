// SPDX-License-Identifier: GPL-3.0-or-later
#include "xmltext.h"

#include "wellformedtext.h"

#include <algorithm>

namespace {

// Whether XML 1.0 can hold `c`, a unit of well-formed text (surrogates come in pairs).
bool isXmlUnit(char16_t c)
{
    return c == u'\t' || c == u'\n' || c == u'\r' || (c >= 0x20 && c <= 0xFFFD);
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

constexpr qsizetype BlanksPerTab = 4;

} // namespace

QString xmlSafeText(QStringView text)
{
    QString safe = wellFormedText(text.toString());
    // Looked over before it is written to: most text has nothing to replace, and stays shared.
    if (std::all_of(safe.cbegin(), safe.cend(), [](QChar c) { return isXmlUnit(c.unicode()); }))
        return safe;
    for (QChar &c : safe) {
        if (!isXmlUnit(c.unicode()))
            c = QChar::ReplacementCharacter;
    }
    return safe;
}

QString visibleBlanks(const QString &line)
{
    qsizetype end = line.size();
    while (end > 0 && isBlank(line[end - 1]))
        --end;
    // Most lines have single blanks between words only: they stay as they are.
    const auto shownAsItIs = [&] {
        if (end < line.size() || (!line.isEmpty() && isBlank(line.front())))
            return false;
        for (qsizetype at = 0; at < end; ++at) {
            if (line[at] == u'\t' || (line[at] == u' ' && at + 1 < end && line[at + 1] == u' '))
                return false;
        }
        return true;
    };
    if (shownAsItIs())
        return line;
    QString out(line.size() + line.count(u'\t') * (BlanksPerTab - 1), Qt::Uninitialized);
    QChar *to = out.data();
    bool started = false;  // whether a character other than a blank has been written
    bool lastKept = false; // whether the last character written was a blank kept as one
    for (qsizetype at = 0; at < line.size(); ++at) {
        const QChar c = line[at];
        if (!isBlank(c)) {
            *to++ = c;
            started = true;
            lastKept = false;
            continue;
        }
        for (qsizetype i = 0; i < (c == u'\t' ? BlanksPerTab : 1); ++i) {
            const bool keptAsBlank = started && !lastKept && at < end;
            *to++ = keptAsBlank ? QChar(u' ') : QChar(QChar::Nbsp);
            lastKept = keptAsBlank;
        }
    }
    return out;
}
