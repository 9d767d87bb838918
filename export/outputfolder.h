// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "nativesave.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <functional>
#include <sys/stat.h>

// The folder that a run writes files of their own into (--output-dir). Each file is written
// whole under a temporary name beside it, then takes its name; it never replaces a file that is
// there unless replacing is asked for, and even then never a note file or one of the run's
// inputs. The folder itself may be a symbolic link (a vault kept elsewhere); below it, nothing
// is reached through one. Files are not synced one by one, which would cost more than writing
// them: the whole batch is, once, by sync().
class OutputFolder
{
public:
    struct Options
    {
        bool replace = false;
        NameCommit commit = NameCommit::Rename; // the first way tried
        // Whether the file that lstat describes is one of the run's inputs.
        std::function<bool(const struct stat &)> isInput;
    };

    OutputFolder(QString path, Options options)
        : m_path(std::move(path)), m_options(std::move(options)), m_commit(m_options.commit)
    {
    }
    ~OutputFolder();
    OutputFolder(const OutputFolder &) = delete;
    OutputFolder &operator=(const OutputFolder &) = delete;

    // Opens the folder, made with those above it where missing. Returns why it failed, or the
    // empty text.
    QString open();

    // Writes `bytes` as the file `name` (its path below the folder, whose folders are made as
    // needed), with the modification time `modified` when that is valid. Returns why it failed,
    // or the empty text.
    QString save(const QString &name, const QByteArray &bytes, const QDateTime &modified);

    // Makes every file written so far durable, with one sync of the folder's file system, which
    // also reports a write that failed after its file was closed. Returns why it failed, or the
    // empty text.
    QString sync();

    // `name`'s path as messages show it: below the folder as it was named.
    [[nodiscard]] QString pathOf(const QString &name) const;

private:
    int folderOf(const QByteArray &below, const QString &path, QString &failure);
    [[nodiscard]] bool mustKeep(int folder, const char *name, const struct stat &there) const;
    QString create(int folder, const char *name, const QByteArray &bytes, const QDateTime &modified,
                   const QString &path);

    QString m_path;
    Options m_options;
    NameCommit m_commit;
    int m_fd = -1;
    // The last folder below it that a file went to, kept open: files come folder by folder.
    QByteArray m_below;
    int m_belowFd = -1;
};
