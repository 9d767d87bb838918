// SPDX-License-Identifier: GPL-3.0-or-later
#include "folderwatch.h"

#include "backgroundwork.h"

#include "qverror.h"
#include "qvfilename.h"

#include <QDateTime>

#include <algorithm>
#include <atomic>
#include <sys/stat.h>

namespace {

// Counts the listings handed over. The future's own locks are in Qt's library, where a thread
// sanitizer cannot see them, so a listing also passes through this counter: set after the listing
// is made, read before it is taken.
std::atomic<quint64> listingsMade{0};

// Changes come in bursts (a copy of many files): one listing after the burst.
constexpr int SettleMs = 150;
// Where nothing watches the folder, a change within this much of the listing may not have moved
// the folder's time (a memory card's file system keeps it to two seconds).
constexpr qint64 CoarseTimeMs = 2000;

qint64 nanoseconds(const struct timespec &time)
{
    return qint64(time.tv_sec) * 1000000000 + time.tv_nsec;
}

QStringView fileNameOf(const QString &path)
{
    return QStringView(path).sliced(path.lastIndexOf(u'/') + 1);
}

} // namespace

FolderStamp FolderStamp::of(const QString &folder)
{
    struct stat info
    {
    };
    FolderStamp stamp;
    if (::stat(qvTextToFileName(folder).constData(), &info) != 0)
        return stamp;
    stamp.exists = true;
    stamp.device = info.st_dev;
    stamp.inode = info.st_ino;
    stamp.modifiedNs = nanoseconds(info.st_mtim);
    stamp.changedNs = nanoseconds(info.st_ctim);
    return stamp;
}

NoteFolderList::NoteFolderList(QObject *parent) : QObject(parent)
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(SettleMs);
    connect(&m_settle, &QTimer::timeout, this, &NoteFolderList::refresh);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &NoteFolderList::changed);
    connect(&m_listing, &QFutureWatcher<Listing>::finished, this, &NoteFolderList::takeListing);
}

NoteFolderList::~NoteFolderList()
{
    m_listing.waitForFinished();
}

NoteFolderList::Listing NoteFolderList::list(const QString &folder, const NaturalOrder &order,
                                             bool everyLayout)
{
    Listing listing;
    listing.folder = folder;
    listing.everyLayout = everyLayout;
    // Taken first: a change made while the names are read leaves the list already stale.
    listing.stamp = FolderStamp::of(folder);
    listing.startedMs = QDateTime::currentMSecsSinceEpoch();
    try {
        listing.notes = listFolder(folder, order, everyLayout).notes;
    } catch (const QvError &error) {
        listing.failure = error.description();
    }
    return listing;
}

void NoteFolderList::follow(const QString &folder)
{
    if (folder == m_folder)
        return;
    if (!m_watcher.directories().isEmpty())
        m_watcher.removePaths(m_watcher.directories());
    m_folder = folder;
    m_hasList = false;
    m_notes.clear();
    m_failure.clear();
    m_watcher.addPath(folder);
    refresh();
}

void NoteFolderList::setEveryLayout(bool everyLayout)
{
    if (everyLayout == m_everyLayout)
        return;
    m_everyLayout = everyLayout;
    refresh();
}

void NoteFolderList::refresh()
{
    m_settle.stop();
    if (m_folder.isEmpty() || m_listing.isRunning())
        return;
    m_changesAtStart = m_changes;
    // Each listing sorts with a collator of its own: one collator is not to be shared between
    // threads.
    m_listing.setFuture(RunInBackground<Listing>(
        [folder = m_folder, everyLayout = m_everyLayout](QFutureInterface<Listing> &future) {
            future.reportAndMoveResult(list(folder, NaturalOrder(), everyLayout));
            listingsMade.fetch_add(1, std::memory_order_release);
        }));
}

void NoteFolderList::takeListing()
{
    static_cast<void>(listingsMade.load(std::memory_order_acquire));
    Listing listing = m_listing.result();
    if (listing.folder != m_folder || listing.everyLayout != m_everyLayout) {
        // Made for a folder no longer followed, or for the other set of names: the folder
        // followed now is listed next.
        refresh();
        return;
    }
    m_hasList = true;
    m_listedEveryLayout = listing.everyLayout;
    m_notes = std::move(listing.notes);
    m_failure = std::move(listing.failure);
    m_stamp = listing.stamp;
    m_listedAtMs = listing.startedMs;
    m_changesAtListing = m_changesAtStart;
    // A folder made again after it was removed is watched again.
    if (m_stamp.exists && !m_watcher.directories().contains(m_folder))
        m_watcher.addPath(m_folder);
    emit listed();
}

void NoteFolderList::changed()
{
    ++m_changes;
    m_settle.start();
}

bool NoteFolderList::isCurrent() const
{
    if (!m_hasList || m_listedEveryLayout != m_everyLayout || m_changes != m_changesAtListing ||
        FolderStamp::of(m_folder) != m_stamp)
        return false;
    const bool watched = m_watcher.directories().contains(m_folder);
    return watched || !m_stamp.exists ||
           qAbs(m_stamp.modifiedNs / 1000000 - m_listedAtMs) >= CoarseTimeMs;
}

QString NoteFolderList::neighbour(const QString &from, int direction) const
{
    const auto place = std::lower_bound(
        m_notes.begin(), m_notes.end(), from,
        [this](const QString &a, const QString &b) { return m_order.lessThan(a, b); });
    qsizetype index = place - m_notes.begin();
    const bool listed = place != m_notes.end() && fileNameOf(*place) == fileNameOf(from);
    if (direction > 0)
        index += listed ? 1 : 0;
    else
        index -= 1;
    return index >= 0 && index < m_notes.size() ? m_notes[index] : QString();
}
