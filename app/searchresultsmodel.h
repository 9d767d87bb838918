// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "notesearch.h"

#include <QAbstractTableModel>
#include <QList>

// A name or text as a list row can show it: control characters (a newline in a file name) as
// their visible symbols, and the octets of a name that is not UTF-8 as U+FFFD.
QString shownText(QStringView text);

// The notes that a search has found, in the order found: file name, modified date as the window
// shows it, and a line around the match.
class SearchResultsModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { FileColumn, ModifiedColumn, ExcerptColumn, ColumnCount };

    using QAbstractTableModel::QAbstractTableModel;

    void clear();
    void append(const QList<NoteHit> &hits);
    [[nodiscard]] const NoteHit &hit(int row) const { return m_hits.at(row); }

    [[nodiscard]] int rowCount(const QModelIndex &parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex &parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex &index, int role) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                      int role) const override;

private:
    QList<NoteHit> m_hits;
};
