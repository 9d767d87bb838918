// SPDX-License-Identifier: GPL-3.0-or-later
#include "notelistmodel.h"

#include "qvtext.h"
#include "showntext.h"

#include <QApplication>
#include <QPalette>

namespace {

QString fileShown(const NoteRow &row)
{
    QString name = shownText(qvGetFileName(row.path));
    if (row.notesInFile > 1)
        name += QStringLiteral(" (%1/%2)").arg(row.note + 1).arg(row.notesInFile);
    return name;
}

} // namespace

void NoteListModel::clear()
{
    beginResetModel();
    m_rows.clear();
    m_matches.clear();
    m_firstRow.clear();
    m_waitingMatches.clear();
    m_matchCount = 0;
    endResetModel();
}

void NoteListModel::reserve(qsizetype rows)
{
    m_rows.reserve(rows);
    m_matches.reserve(rows);
    m_firstRow.reserve(rows);
}

void NoteListModel::append(QList<NoteRow> &&rows)
{
    if (rows.isEmpty())
        return;
    const auto first = int(m_rows.size());
    beginInsertRows({}, first, first + int(rows.size()) - 1);
    QList<NoteHit> waiting;
    for (NoteRow &row : rows) {
        if (row.note == 0) {
            m_firstRow.insert(row.path, int(m_rows.size()));
            waiting += m_waitingMatches.take(row.path);
        }
        m_rows.append(std::move(row));
        m_matches.append(Match());
    }
    endInsertRows();
    if (!waiting.isEmpty())
        addMatches(waiting);
}

int NoteListModel::rowOf(const QString &path, int note) const
{
    const int first = m_firstRow.value(path, -1);
    if (first < 0)
        return -1;
    const NoteRow &row = m_rows[first];
    // A file's rows come together: its notes in their order, or the one row of a file without.
    const int found = first + note - row.note;
    return found >= first && found < m_rows.size() && m_rows[found].path == path ? found : -1;
}

void NoteListModel::setFileState(const QString &path, RowState state)
{
    const int first = m_firstRow.value(path, -1);
    if (first < 0)
        return;
    int last = first;
    while (last < m_rows.size() && m_rows[last].path == path) {
        m_rows[last].state = state;
        ++last;
    }
    emit dataChanged(index(first, 0), index(last - 1, ColumnCount - 1));
}

void NoteListModel::clearMatches()
{
    for (Match &match : m_matches)
        match = Match();
    m_matchCount = 0;
    m_waitingMatches.clear();
    if (!m_rows.isEmpty())
        emit dataChanged(index(0, 0), index(int(m_rows.size()) - 1, ColumnCount - 1));
}

void NoteListModel::addMatches(const QList<NoteHit> &hits)
{
    int first = int(m_rows.size());
    int last = -1;
    for (const NoteHit &hit : hits) {
        const int row = rowOf(hit.path, hit.note);
        if (row < 0) {
            // The rows are still being read: the match waits for its row.
            if (!m_firstRow.contains(hit.path))
                m_waitingMatches[hit.path].append(hit);
            continue;
        }
        if (m_matches[row].matched)
            continue;
        m_matches[row] = {true, hit.excerpt, hit.excerptStart, hit.excerptLength};
        ++m_matchCount;
        first = std::min(first, row);
        last = std::max(last, row);
    }
    if (last >= first)
        emit dataChanged(index(first, 0), index(last, ColumnCount - 1));
}

int NoteListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int NoteListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant NoteListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const NoteRow &row = m_rows[index.row()];
    const Match &match = m_matches[index.row()];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        switch (index.column()) {
        case TitleColumn:
            return row.state == RowState::Note ? shownText(row.title) : RowStateText(row.state);
        case ModifiedColumn:
            return row.modified;
        case FileColumn:
            return fileShown(row);
        case TextColumn:
            return match.excerpt;
        default:
            return {};
        }
    case Qt::ToolTipRole:
        return shownText(row.path);
    case Qt::ForegroundRole:
        // A file that shows no note, or none of its text, is listed greyed.
        if (row.state != RowState::Note)
            return QApplication::palette().brush(QPalette::Disabled, QPalette::Text);
        return {};
    case MatchStartRole:
        return qlonglong(match.start);
    case MatchLengthRole:
        return qlonglong(match.length);
    default:
        return {};
    }
}

QVariant NoteListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case TitleColumn:
        return QStringLiteral("Заметка");
    case ModifiedColumn:
        return QStringLiteral("Изменена");
    case FileColumn:
        return QStringLiteral("Файл");
    case TextColumn:
        return QStringLiteral("Текст");
    default:
        return {};
    }
}

NoteListOrder::NoteListOrder(NoteListModel *model, QObject *parent)
    : QSortFilterProxyModel(parent), m_model(model)
{
    setSourceModel(model);
}

void NoteListOrder::setFiltering(bool on)
{
    if (on == m_filtering)
        return;
    m_filtering = on;
    invalidateRowsFilter();
}

bool NoteListOrder::filterAcceptsRow(int sourceRow, const QModelIndex & /*parent*/) const
{
    return !m_filtering || m_model->isMatched(sourceRow);
}

bool NoteListOrder::lessThan(const QModelIndex &left, const QModelIndex &right) const
{
    return rowLess(left.row(), right.row(), left.column());
}

bool NoteListOrder::before(int a, int b) const
{
    const int column = sortColumn() < 0 ? NoteListModel::FileColumn : sortColumn();
    return sortOrder() == Qt::AscendingOrder ? rowLess(a, b, column) : rowLess(b, a, column);
}

// Ties, and the file column, go by the folder's order, in which the model holds the rows.
bool NoteListOrder::rowLess(int a, int b, int column) const
{
    const NoteRow &x = m_model->row(a);
    const NoteRow &y = m_model->row(b);
    switch (column) {
    case NoteListModel::TitleColumn:
        // Notes by their titles; the files that show none after them, by the reason.
        if (x.titleKey && y.titleKey) {
            const int order = x.titleKey->compare(*y.titleKey);
            if (order != 0)
                return order < 0;
        } else if (x.titleKey.has_value() != y.titleKey.has_value()) {
            return x.titleKey.has_value();
        } else if (x.state != y.state) {
            return x.state < y.state;
        }
        break;
    case NoteListModel::ModifiedColumn:
        if (x.modifiedMs != y.modifiedMs)
            return x.modifiedMs < y.modifiedMs;
        break;
    default:
        break;
    }
    return a < b;
}
