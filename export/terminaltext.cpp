// SPDX-License-Identifier: GPL-3.0-or-later
#include "terminaltext.h"

#include "qvfilename.h"

namespace {

// Appends `text` to `out` as toTerminalText writes it.
void appendVisible(QString &out, QStringView text)
{
    qsizetype plain = 0; // the first unit not yet appended; none from there on needs an escape
    const auto escape = [&](qsizetype at, const char *form, unsigned value) {
        out += text.sliced(plain, at - plain);
        out += QString::asprintf(form, value);
        plain = at + 1;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c >= 0x20 && c < 0x7F)
            continue;
        const bool next = i + 1 < text.size();
        const bool lineEnd = c == u'\n' || (c == u'\r' && next && text[i + 1] == u'\n');
        if ((c < 0x20 && c != u'\t' && !lineEnd) || c == 0x7F)
            escape(i, "\\x%02X", c);
        else if (c >= 0x80 && c < 0xA0)
            escape(i, "\\u%04X", c);
        else if (QChar::isHighSurrogate(c) && next && QChar::isLowSurrogate(text[i + 1].unicode()))
            ++i;
        else if (qvIsEscapedOctet(c))
            escape(i, "\\x%02X", qvEscapedOctet(c));
        else if (QChar::isSurrogate(c))
            escape(i, "\\u%04X", c);
    }
    out += text.sliced(plain);
}

} // namespace

QByteArray toTerminalText(QStringView text)
{
    QString visible;
    visible.reserve(text.size());
    appendVisible(visible, text);
    return visible.toUtf8();
}
