// SPDX-License-Identifier: GPL-3.0-or-later
#include "outputnames.h"

#include "notetitle.h"

QString OutputNames::take(const QString &mirroredPath, int index)
{
    const qsizetype slash = mirroredPath.lastIndexOf(u'/');
    QString stem = mirroredPath.first(slash + 1) + fileStem(mirroredPath);
    if (index > 1)
        stem += u'-' + QString::number(index);
    QString name = stem + m_extension;
    for (int copy = 2; m_taken.contains(name); ++copy)
        name = stem + QStringLiteral(" (%1)").arg(copy) + m_extension;
    m_taken.insert(name);
    return m_folder.endsWith(u'/') ? m_folder + name : m_folder + u'/' + name;
}
