// SPDX-License-Identifier: GPL-3.0-or-later
#include "yamlscalar.h"

#include "wellformedtext.h"

#include <QStringList>

namespace {

// Characters that give a plain scalar another meaning where it starts.
constexpr QStringView Indicators = u"-?:,[]{}#&*!|>'\"%@`";

// Words that YAML 1.1 readers (PyYAML among them) take for Booleans, null, a merge key or a
// default value, in any case.
bool isReservedWord(QStringView text)
{
    static const QStringList Words{"y",  "n",   "yes",  "no", "true", "false",
                                   "on", "off", "null", "~",  "<<",   "="};
    for (const QString &word : Words) {
        if (text.compare(word, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

// Whether YAML may show `c` as it is: its printable characters, less U+0085 (a line break to
// YAML 1.1), the separators U+2028 and U+2029, and U+FEFF, which a reader may drop as a
// byte-order mark (YAML 1.2 allows none inside a document).
bool isPrintable(char32_t c)
{
    return c == u'\t' || (c >= 0x20 && c < 0x7F) ||
           (c >= 0xA0 && c <= 0xFFFD && c != 0x2028 && c != 0x2029 && c != 0xFEFF &&
            !(c >= 0xD800 && c < 0xE000)) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

// The character at `i` of well-formed `text`, and how many units it takes.
char32_t characterAt(QStringView text, qsizetype i, qsizetype &units)
{
    units = text[i].isHighSurrogate() ? 2 : 1;
    return units == 2 ? QChar::surrogateToUcs4(text[i], text[i + 1]) : text[i].unicode();
}

bool fitsPlain(QStringView text)
{
    if (text.isEmpty() || isReservedWord(text))
        return false;
    const QChar first = text.front();
    // Digits, signs and dots may make a number, a date or .inf; blanks would be dropped.
    if (Indicators.contains(first) || first.isDigit() || first == u'.' || first == u'+' ||
        first.isSpace() || text.back().isSpace() || text.back() == u':' || text.contains(u": ") ||
        text.contains(u" #") || text.contains(u":\t") || text.contains(u"\t#"))
        return false;
    for (qsizetype i = 0, units = 0; i < text.size(); i += units) {
        const char32_t c = characterAt(text, i, units);
        if (!isPrintable(c) || c == u'\t')
            return false;
    }
    return true;
}

QString doubleQuoted(QStringView text)
{
    QString out;
    out.reserve(text.size() + 2);
    out += u'"';
    for (qsizetype i = 0, units = 0; i < text.size(); i += units) {
        const char32_t c = characterAt(text, i, units);
        switch (c) {
        case u'"':
            out += QStringLiteral("\\\"");
            break;
        case u'\\':
            out += QStringLiteral("\\\\");
            break;
        case u'\n':
            out += QStringLiteral("\\n");
            break;
        case u'\r':
            out += QStringLiteral("\\r");
            break;
        case u'\t':
            out += QStringLiteral("\\t");
            break;
        default:
            if (isPrintable(c))
                out += text.sliced(i, units);
            else if (c < 0x100)
                out += QString::asprintf("\\x%02X", unsigned(c));
            else
                out += QString::asprintf("\\u%04X", unsigned(c));
        }
    }
    out += u'"';
    return out;
}

} // namespace

QString yamlScalar(QStringView text)
{
    const QString safe = wellFormedText(text.toString());
    return fitsPlain(safe) ? safe : doubleQuoted(safe);
}
