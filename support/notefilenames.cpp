// SPDX-License-Identifier: GPL-3.0-or-later
#include "notefilenames.h"

#include <algorithm>

QStringList noteFileSuffixes(bool everyLayout)
{
    if (!everyLayout)
        return {QStringLiteral("vnt")};
    return {QStringLiteral("vnt"), QStringLiteral("vcs"),   QStringLiteral("ics"),
            QStringLiteral("nbu"), QStringLiteral("nfb"),   QStringLiteral("nfc"),
            QStringLiteral("arc"), QStringLiteral("backup")};
}

bool hasNoteFileSuffix(QStringView name, bool everyLayout)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot < 0)
        return false;
    const QStringView suffix = name.sliced(dot + 1);
    if (!everyLayout) // the usual case, asked for every entry of a folder: no list made
        return suffix.compare(u"vnt", Qt::CaseInsensitive) == 0;
    const QStringList suffixes = noteFileSuffixes(true);
    return std::any_of(suffixes.begin(), suffixes.end(), [suffix](const QString &known) {
        return suffix.compare(known, Qt::CaseInsensitive) == 0;
    });
}

QString openDialogFilter(bool everyLayout)
{
    QString filter = QStringLiteral("Файлы VNT|*.VNT|");
    if (everyLayout) {
        QStringList patterns;
        for (const QString &suffix : noteFileSuffixes(true))
            patterns += QStringLiteral("*.") + suffix.toUpper();
        filter += QStringLiteral("Все файлы с заметками|") + patterns.join(u';') + u'|';
    }
    return filter + QStringLiteral("Все файлы|*.*");
}
