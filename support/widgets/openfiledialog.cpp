// SPDX-License-Identifier: GPL-3.0-or-later
#include "openfiledialog.h"

#include "qverror.h"

namespace {

// "*.VNT" as "*.[vV][nN][tT]": file systems here tell letter cases apart, the pattern must not.
QString caseBlind(const QString &pattern)
{
    if (pattern == u"*.*")
        return QStringLiteral("*");
    QString result;
    result.reserve(pattern.size() * 4);
    bool inSet = false;
    for (const QChar c : pattern) {
        if (c == u'[')
            inSet = true;
        else if (c == u']')
            inSet = false;
        const QChar lower = c.toLower();
        const QChar upper = c.toUpper();
        if (inSet || lower == upper) {
            result += c;
        } else {
            result += u'[';
            result += lower;
            result += upper;
            result += u']';
        }
    }
    return result;
}

} // namespace

QStringList OpenFileDialog::nameFilters(const QString &filter)
{
    if (filter.isEmpty())
        return {};
    const QStringList parts = filter.split(u'|');
    if (parts.size() % 2 != 0)
        throw QvError(QvInvalidArgument,
                      QStringLiteral("Фильтр файлов без шаблона после \"%1\"").arg(parts.back()));
    QStringList filters;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString &pattern : parts[i + 1].split(u';', Qt::SkipEmptyParts))
            patterns += caseBlind(pattern.trimmed());
        if (patterns.isEmpty())
            throw QvError(QvInvalidArgument,
                          QStringLiteral("Фильтр файлов без шаблона для \"%1\"").arg(parts[i]));
        filters += QStringLiteral("%1 (%2)").arg(parts[i], patterns.join(u' '));
    }
    return filters;
}

bool OpenFileDialog::Show()
{
    const QStringList filters = nameFilters(m_filter);
    QFileDialog dialog(m_owner, QString(), m_initialDirectory);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    // The labels say what the patterns select, as the filter's author wrote them.
    dialog.setOptions(m_options | QFileDialog::HideNameFilterDetails);
    if (!filters.isEmpty())
        dialog.setNameFilters(filters);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty())
        return false;
    m_fileName = chosen.front();
    return true;
}
