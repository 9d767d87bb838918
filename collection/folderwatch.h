// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "notefolder.h"

#include <QElapsedTimer>
#include <QFileSystemWatcher>
#include <QFutureWatcher>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

// What a folder's inode said when it was listed: a listing is current while it says the same.
struct FolderStamp
{
    bool exists = false;
    quint64 device = 0;
    quint64 inode = 0;
    qint64 modifiedNs = 0;
    qint64 changedNs = 0;

    static FolderStamp of(const QString &folder);
    bool operator==(const FolderStamp &other) const = default;
};

// A folder's notes in a file manager's order, kept at hand: listing and sorting thousands of
// names costs more than a frame, so the list is made once, off the user-interface thread, and
// made again only when the folder changes.
class NoteFolderList : public QObject
{
    Q_OBJECT

public:
    explicit NoteFolderList(QObject *parent = nullptr);
    // Waits for a listing under way: it holds no more than the folder's names.
    ~NoteFolderList() override;
    NoteFolderList(const NoteFolderList &) = delete;
    NoteFolderList &operator=(const NoteFolderList &) = delete;

    // Follows `folder` from now on: lists it at once in the background, and again after each
    // change. Following the folder already followed changes nothing.
    void follow(const QString &folder);
    [[nodiscard]] QString folder() const { return m_folder; }
    // Whether the notes are the files of every name that holds notes (see isNoteFileName), as
    // where every layout is read, or the ".vnt" files only. A change lists the folder again.
    void setEveryLayout(bool everyLayout);

    // Whether a list is in hand for the followed folder, though perhaps no longer current.
    [[nodiscard]] bool hasList() const { return m_hasList; }
    // Whether the list in hand is the folder's as it is now: nothing has been added, removed or
    // renamed since it was made.
    [[nodiscard]] bool isCurrent() const;
    // Lists the folder again in the background, unless a listing is already under way.
    void refresh();
    [[nodiscard]] bool isListing() const { return m_listing.isRunning(); }

    // The notes as last listed; empty when the folder could not be listed, and why.
    [[nodiscard]] const QStringList &notes() const { return m_notes; }
    [[nodiscard]] const QString &failure() const { return m_failure; }

    // The note after (`direction` 1) or before (-1) `from` in the list, or the empty text at
    // either end. `from` need not be in the list any more: the notes around its place count.
    [[nodiscard]] QString neighbour(const QString &from, int direction) const;

signals:
    // A new list is in hand (or a failure to make one).
    void listed();

private:
    struct Listing
    {
        QString folder;
        bool everyLayout = false;
        FolderStamp stamp;
        qint64 startedMs = 0;
        QStringList notes;
        QString failure;
    };
    static Listing list(const QString &folder, const NaturalOrder &order, bool everyLayout);
    void takeListing();
    void changed();

    NaturalOrder m_order;
    QString m_folder;
    bool m_everyLayout = false;
    bool m_listedEveryLayout = false;
    bool m_hasList = false;
    QStringList m_notes;
    QString m_failure;
    FolderStamp m_stamp;
    qint64 m_listedAtMs = 0;
    // Changes seen by the watcher: all of them, and as many as had been seen when the list in
    // hand was begun.
    quint64 m_changes = 0;
    quint64 m_changesAtListing = 0;
    quint64 m_changesAtStart = 0;
    QFileSystemWatcher m_watcher;
    QTimer m_settle;
    QFutureWatcher<Listing> m_listing;
    QElapsedTimer m_clock;
};
