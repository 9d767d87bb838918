// SPDX-License-Identifier: GPL-3.0-or-later
#include "outputnames.h"

#include "notetitle.h"
#include "qvfilename.h"

namespace {

// The longest file name that file systems take, in octets.
constexpr qsizetype NameMax = 255;

qsizetype octets(QStringView text)
{
    return qvTextToFileName(text).size();
}

// As much of `stem` as fits before `ending` in a file name, cut between characters.
QStringView fitted(QStringView stem, QStringView ending)
{
    // Three octets a unit at most (a pair of units makes four): most names need no count.
    if ((stem.size() + ending.size()) * 3 <= NameMax)
        return stem;
    const qsizetype room = NameMax - octets(ending);
    if (octets(stem) <= room)
        return stem;
    qsizetype end = 0;
    for (qsizetype used = 0; end < stem.size();) {
        const qsizetype next = end + (stem[end].isHighSurrogate() && end + 1 < stem.size() &&
                                              stem[end + 1].isLowSurrogate()
                                          ? 2
                                          : 1);
        used += octets(stem.sliced(end, next - end));
        if (used > room)
            break;
        end = next;
    }
    return stem.first(end);
}

} // namespace

OutputName OutputNames::take(const QString &mirroredPath, int index)
{
    const QString folder = mirroredPath.first(mirroredPath.lastIndexOf(u'/') + 1);
    const QString stem = fileStem(mirroredPath);
    const QString number = index > 1 ? u'-' + QString::number(index) : QString();
    for (int copy = 1;; ++copy) {
        const QString ending =
            number + (copy > 1 ? QStringLiteral(" (%1)").arg(copy) : QString()) + m_extension;
        const QStringView kept = fitted(stem, ending);
        QString name = folder + kept.toString() + ending;
        if (!m_taken.contains(name)) {
            m_taken.insert(name);
            return {std::move(name), kept.size() < stem.size()};
        }
    }
}

QString noteFileName(const QString &title, const QString &extension)
{
    QString name = title;
    for (QChar &c : name) {
        if (c == u'/' || c.category() == QChar::Other_Control)
            c = u'_';
    }
    qsizetype dots = 0;
    while (dots < name.size() && name[dots] == u'.')
        ++dots;
    name.remove(0, dots);
    if (name.isEmpty())
        name = QStringLiteral("Заметка");
    return fitted(name, extension).toString();
}
