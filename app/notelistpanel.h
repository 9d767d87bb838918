// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "backgroundjob.h"
#include "notelistmodel.h"

#include <QWidget>

#include <optional>
#include <utility>

class QLabel;
class QLineEdit;
class QTableView;

// The note list beside the note: the notes of a folder with their titles and dates, a filter
// above them that finds notes by their text as it is typed, and the count below. The rows are
// read and the filter matched off the user-interface thread, so that typing never waits.
class NoteListPanel : public QWidget
{
    Q_OBJECT

public:
    explicit NoteListPanel(QWidget *parent = nullptr);

    QLineEdit *txtFilter = nullptr;
    QTableView *lstNotes = nullptr;
    QLabel *lblCount = nullptr;

    // Lists `files`, the notes of `folder` in its order, read as `options` say; reads them
    // again, and matches the filter again, when any of the three differs from what is listed.
    void setFolder(const QString &folder, const QStringList &files, const SearchOptions &options);
    // Reads the rows again as `options` say, and matches the filter again.
    void setOptions(const SearchOptions &options);
    // Lists nothing.
    void clear();
    [[nodiscard]] QString folder() const { return m_folder; }
    [[nodiscard]] const QStringList &files() const { return m_files; }

    // While rows are read, and while the filter is matched.
    [[nodiscard]] bool isReading() const { return m_reading.isRunning(); }
    [[nodiscard]] bool isFiltering() const { return m_search.isRunning(); }
    // The filter's text, when it holds more than blanks; else empty.
    [[nodiscard]] QString query() const;

    [[nodiscard]] const NoteListModel &model() const { return m_model; }
    [[nodiscard]] const NoteListOrder &order() const { return m_order; }

    // Selects the row of the note on show (or none, when it is not listed) and scrolls to it,
    // without showing the note again; a row read later is selected when it comes.
    void selectNote(const QString &path, int note);
    // The note after (`direction` 1) or before (-1) note `note` of `path` in the list as shown,
    // or nothing at either end, or when the note is not listed.
    [[nodiscard]] std::optional<std::pair<QString, int>> neighbour(const QString &path, int note,
                                                                   int direction) const;
    // Whether the note is among the rows read.
    [[nodiscard]] bool lists(const QString &path, int note) const;
    // What opening a file found, when it is other than the list says.
    void setFileState(const QString &path, RowState state);

signals:
    // Enter or a click on a row.
    void showRequested(const QString &path, int note);
    // Escape in an empty filter: back to the note.
    void leaveRequested();
    // The filter's text has changed (see query()).
    void queryChanged(const QString &query);
    // Every row has been read; the filter has been matched against every note.
    void readingFinished();
    void filterFinished();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void readRows();
    void filter();
    void showCount();
    void showRow(const QModelIndex &index);
    void selectShown();

    NoteListModel m_model;
    NoteListOrder m_order{&m_model};
    BackgroundJob m_reading;
    BackgroundJob m_search;
    QString m_folder;
    QStringList m_files;
    SearchOptions m_options;
    QString m_query;
    // The note on show, whose row is selected.
    QString m_shownPath;
    int m_shownNote = 0;
};
