// SPDX-License-Identifier: GPL-3.0-or-later
#include "notetitle.h"

#include "linesplitter.h"
#include "qvtext.h"

namespace {

// `text` cut after `characters` characters, surrogate pairs counting as one.
QStringView cutAt(QStringView text, qsizetype characters)
{
    qsizetype at = 0;
    for (qsizetype counted = 0; at < text.size() && counted < characters; ++counted)
        at += text[at].isHighSurrogate() && at + 1 < text.size() && text[at + 1].isLowSurrogate()
                  ? 2
                  : 1;
    return text.first(at);
}

} // namespace

QString noteTitle(const QString &body, const QString &path)
{
    LineSplitter lines(body);
    for (QStringView line; lines.next(line);) {
        const QStringView trimmed = line.trimmed();
        if (!trimmed.isEmpty())
            return cutAt(trimmed, MaxTitleCharacters).toString();
    }
    return fileStem(path);
}

QString fileStem(const QString &path)
{
    const QString name = qvGetFileName(path);
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot > 0 ? name.first(dot) : name;
}
