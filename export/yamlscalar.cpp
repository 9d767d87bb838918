// SPDX-License-Identifier: GPL-3.0-or-later
#include "yamlscalar.h"

#include <QStringList>

namespace {

// Characters that give a plain scalar another meaning where it starts.
constexpr QStringView Indicators = u"-?:,[]{}#&*!|>'\"%@`";

// Words that YAML 1.1 readers (PyYAML among them) take for Booleans or null, in any case.
bool isReservedWord(QStringView text)
{
    static const QStringList Words{"y",     "n",  "yes", "no",   "true",
                                   "false", "on", "off", "null", "~"};
    for (const QString &word : Words) {
        if (text.compare(word, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

// Whether YAML may show `c` as it is: its printable characters, less U+0085 (a line break to
// YAML 1.1) and the separators U+2028 and U+2029.
bool isPrintable(char32_t c)
{
    return c == u'\t' || (c >= 0x20 && c < 0x7F) ||
           (c >= 0xA0 && c <= 0xFFFD && c != 0x2028 && c != 0x2029 &&
            !(c >= 0xD800 && c < 0xE000)) ||
           (c >= 0x10000 && c <= 0x10FFFF);
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
    for (const char32_t c : text.toUcs4()) {
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
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i].unicode(), text[i + 1].unicode());
            ++i;
        } else if (QChar::isSurrogate(c)) {
            c = 0xFFFD;
        }
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
                out += QString::fromUcs4(&c, 1);
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
    return fitsPlain(text) ? text.toString() : doubleQuoted(text);
}
