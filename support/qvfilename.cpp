// SPDX-License-Identifier: GPL-3.0-or-later
#include "qvfilename.h"

#include "qvutf8.h"

#include <algorithm>

namespace {

constexpr char16_t FirstEscape = 0xDC00;
constexpr char32_t ReplacementCharacter = 0xFFFD;

} // namespace

QString qvFileNameToText(QByteArrayView native)
{
    // Most names are ASCII, which Qt widens faster than a character at a time.
    if (std::all_of(native.begin(), native.end(), [](char c) { return (c & 0x80) == 0; }))
        return QString::fromLatin1(native);
    QString text;
    text.reserve(native.size());
    while (!native.isEmpty()) {
        const QvUtf8Sequence sequence = qvReadUtf8(native);
        if (sequence.length == 0) {
            // ASCII always decodes, so only octets from 0x80 up come here.
            text.append(QChar(char16_t(FirstEscape + static_cast<unsigned char>(native.front()))));
            native = native.sliced(1);
            continue;
        }
        text.append(QChar::fromUcs4(sequence.code));
        native = native.sliced(sequence.length);
    }
    return text;
}

QByteArray qvTextToFileName(QStringView text)
{
    // Most names are ASCII, which Qt narrows faster than a character at a time.
    if (std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; }))
        return text.toLatin1();
    QByteArray native(text.size() * 3, Qt::Uninitialized);
    char *out = native.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < text.size() &&
            QChar::isLowSurrogate(text[i + 1].unicode())) {
            out = qvWriteUtf8(out, QChar::surrogateToUcs4(unit, text[++i].unicode()));
        } else if (qvIsEscapedOctet(unit)) {
            *out++ = static_cast<char>(qvEscapedOctet(unit));
        } else {
            out = qvWriteUtf8(out, QChar::isSurrogate(unit) ? ReplacementCharacter : unit);
        }
    }
    native.truncate(out - native.data());
    return native;
}

QStringList qvNativeArguments(QByteArrayView native, const QStringList &decoded)
{
    QList<QByteArrayView> pieces;
    while (!native.isEmpty()) {
        const qsizetype end = native.indexOf('\0');
        pieces.append(end < 0 ? native : native.first(end));
        native = end < 0 ? QByteArrayView() : native.sliced(end + 1);
    }
    QStringList arguments;
    arguments.reserve(decoded.size());
    qsizetype next = 0;
    for (const QString &argument : decoded) {
        qsizetype at = next;
        while (at < pieces.size() && QString::fromLocal8Bit(pieces[at]) != argument)
            ++at;
        if (at < pieces.size()) {
            arguments.append(qvFileNameToText(pieces[at]));
            next = at + 1;
        } else {
            arguments.append(argument);
        }
    }
    return arguments;
}
