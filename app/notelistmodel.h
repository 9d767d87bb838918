// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "notelistrows.h"
#include "notesearch.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QSortFilterProxyModel>

// The rows of the note list in the order of their folder, and the filter's matches among them.
class NoteListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { TitleColumn, ModifiedColumn, FileColumn, TextColumn, ColumnCount };
    // Of the "Текст" column: where the match stands in the excerpt, and how long it is.
    enum Role { MatchStartRole = Qt::UserRole + 1, MatchLengthRole };

    using QAbstractTableModel::QAbstractTableModel;

    void clear();
    // Room for `rows` rows: growing by copies of a large list, page by page anew, would keep the
    // window waiting.
    void reserve(qsizetype rows);
    void append(QList<NoteRow> &&rows);
    [[nodiscard]] const NoteRow &row(int index) const { return m_rows.at(index); }
    [[nodiscard]] bool isEmpty() const { return m_rows.isEmpty(); }
    // The row of note `note` (from 0) of the file at `path`, or -1.
    [[nodiscard]] int rowOf(const QString &path, int note) const;
    // What opening the file found, where it differs from what the list read: each of its rows
    // takes the state.
    void setFileState(const QString &path, RowState state);

    // The filter's matches: none at first, then as found (before their rows, too).
    void clearMatches();
    void addMatches(const QList<NoteHit> &hits);
    [[nodiscard]] bool isMatched(int row) const { return m_matches.at(row).matched; }
    [[nodiscard]] int matchCount() const { return m_matchCount; }

    [[nodiscard]] int rowCount(const QModelIndex &parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex &parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex &index, int role) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                      int role) const override;

private:
    struct Match
    {
        bool matched = false;
        QString excerpt;
        qsizetype start = 0;
        qsizetype length = 0;
    };
    QList<NoteRow> m_rows;
    QList<Match> m_matches; // one for each row
    QHash<QString, int> m_firstRow;
    // Matches in files whose rows have not been read yet.
    QHash<QString, QList<NoteHit>> m_waitingMatches;
    int m_matchCount = 0;
};

// The list as shown: in the order of the column clicked (that of the folder by default), and,
// while the filter is on, only the rows it matched.
class NoteListOrder : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    explicit NoteListOrder(NoteListModel *model, QObject *parent = nullptr);

    void setFiltering(bool on);
    [[nodiscard]] bool isFiltering() const { return m_filtering; }
    // Whether row `a` of the model comes before row `b` in the present order.
    [[nodiscard]] bool before(int a, int b) const;

protected:
    [[nodiscard]] bool filterAcceptsRow(int sourceRow, const QModelIndex &parent) const override;
    [[nodiscard]] bool lessThan(const QModelIndex &left, const QModelIndex &right) const override;

private:
    [[nodiscard]] bool rowLess(int a, int b, int column) const;

    NoteListModel *m_model;
    bool m_filtering = false;
};
