// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "folderwatch.h"
#include "notesearch.h"
#include "searchresultsmodel.h"

#include <QDialog>
#include <QFutureWatcher>

class QLabel;
class QLineEdit;
class QPushButton;
class QTreeView;

// The window that finds notes in a folder: non-modal, the search running off the user-interface
// thread, its results listed as they are found. Each keystroke starts the search anew (the one
// under way is cancelled); closing the window stops it.
class frmSearch : public QDialog
{
    Q_OBJECT

public:
    explicit frmSearch(QWidget *owner);
    // A search under way is cancelled and waited for: it stops at its next file.
    ~frmSearch() override;
    frmSearch(const frmSearch &) = delete;
    frmSearch &operator=(const frmSearch &) = delete;

    QLabel *lblQuery = nullptr;
    QLineEdit *txtQuery = nullptr;
    QLabel *lblFolder = nullptr;
    QLabel *lblResults = nullptr;
    QTreeView *lstResults = nullptr;
    QLabel *lblStatus = nullptr;
    QPushButton *cmdShow = nullptr;
    QPushButton *cmdClose = nullptr;

    // Searches `folder` from now on, reading and showing notes as `options` say; searches again
    // when either has changed, or when the last search was stopped before its end.
    void setScope(const QString &folder, const SearchOptions &options);
    [[nodiscard]] QString folder() const { return m_folder; }

    [[nodiscard]] const SearchResultsModel &results() const { return m_results; }
    // Of the search shown: the folder's note files, those looked at, and of those the ones that
    // could not be read as notes.
    [[nodiscard]] qsizetype total() const { return m_total; }
    [[nodiscard]] qsizetype searched() const { return m_searched; }
    [[nodiscard]] qsizetype skipped() const { return m_skipped; }
    // Until the search has handed over its last result, or has stopped.
    [[nodiscard]] bool isSearching() const { return m_searching; }

signals:
    // Enter or a double click on a result: show that note and select the match of `query`.
    void showRequested(const NoteHit &hit, const QString &query);
    // The search shown has looked at every file, or could not list the folder.
    void searchFinished();

protected:
    void hideEvent(QHideEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void search();
    void takeBatches(int begin, int end);
    void searchEnded();
    void showStatus();
    void showCurrent();

    SearchResultsModel m_results;
    QFutureWatcher<SearchBatch> m_watcher;
    NoteFolderList m_folderList;
    QString m_folder;
    SearchOptions m_options;
    QString m_query;
    qsizetype m_total = -1;
    qsizetype m_searched = 0;
    qsizetype m_skipped = 0;
    QString m_failure;
    bool m_stopped = false;
    bool m_searching = false;
};
