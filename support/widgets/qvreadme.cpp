// SPDX-License-Identifier: GPL-3.0-or-later
#include "qvreadme.h"

#include "messagebox.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

QStringList qvReadMeCandidates()
{
    return {QDir::cleanPath(QCoreApplication::applicationDirPath() + u'/' +
                            QStringLiteral(QV_README_FROM_BINDIR)),
            QStringLiteral(QV_README_IN_SOURCE)};
}

bool qvOpenReadMeFile(const QStringList &candidates)
{
    for (const QString &candidate : candidates) {
        const QFileInfo file(candidate);
        if (!file.isFile())
            continue;
        if (QDesktopServices::openUrl(QUrl::fromLocalFile(file.absoluteFilePath())))
            return true;
        qvMessageBox(QStringLiteral("Не удалось открыть руководство пользователя:\n%1")
                         .arg(file.absoluteFilePath()),
                     MsgBoxStyle::OkOnly | MsgBoxStyle::Exclamation);
        return false;
    }
    qvMessageBox(QStringLiteral("Руководство пользователя не найдено. Искали:\n%1")
                     .arg(candidates.join(u'\n')),
                 MsgBoxStyle::OkOnly | MsgBoxStyle::Exclamation);
    return false;
}
