// SPDX-License-Identifier: GPL-3.0-or-later
#include "searchresultsmodel.h"

#include "qvtext.h"

namespace {

// Where the Unicode block of control pictures shows U+0000..U+001F, and DEL.
constexpr char16_t ControlPictures = 0x2400;
constexpr char16_t DeletePicture = 0x2421;

QString fileNameShown(const NoteHit &hit)
{
    QString name = shownText(qvGetFileName(hit.path));
    if (hit.notesInFile > 1)
        name += QStringLiteral(" (%1/%2)").arg(hit.note + 1).arg(hit.notesInFile);
    return name;
}

} // namespace

QString shownText(QStringView text)
{
    QString shown;
    shown.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.unicode() < 0x20)
            shown += QChar(char16_t(ControlPictures + c.unicode()));
        else if (c.unicode() == 0x7F)
            shown += QChar(DeletePicture);
        else if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            shown += text.sliced(i++, 2);
        else if (c.isSurrogate())
            shown += QChar(QChar::ReplacementCharacter);
        else
            shown += c;
    }
    return shown;
}

void SearchResultsModel::clear()
{
    beginResetModel();
    m_hits.clear();
    endResetModel();
}

void SearchResultsModel::append(const QList<NoteHit> &hits)
{
    if (hits.isEmpty())
        return;
    beginInsertRows({}, int(m_hits.size()), int(m_hits.size() + hits.size() - 1));
    m_hits.append(hits);
    endInsertRows();
}

int SearchResultsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_hits.size());
}

int SearchResultsModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant SearchResultsModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_hits.size())
        return {};
    const NoteHit &found = m_hits[index.row()];
    if (role == Qt::ToolTipRole)
        return shownText(found.path);
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole)
        return {};
    switch (index.column()) {
    case FileColumn:
        return fileNameShown(found);
    case ModifiedColumn:
        return found.modified;
    case ExcerptColumn:
        return found.excerpt;
    default:
        return {};
    }
}

QVariant SearchResultsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case FileColumn:
        return QStringLiteral("Файл");
    case ModifiedColumn:
        return QStringLiteral("Изменён");
    case ExcerptColumn:
        return QStringLiteral("Текст");
    default:
        return {};
    }
}
