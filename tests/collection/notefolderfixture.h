// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Folders of notes for the tests of stepping and finding: real notes, and the other entries a
// phone's memo folder can hold.

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

enum class FolderEntry {
    Garbage,     // binary bytes
    LargeBinary, // 60 MB of zero bytes, taking no room on disk
    Fifo,        // reading it would wait for a writer
    Directory,
    Link, // a symbolic link to the target given
};

// A note with both stamps and `body`, every octet escaped, as phones write it.
QByteArray escapedNote(const QString &body, const QByteArray &version = "1.1");
// Several notes in one file, as some phones write them.
QByteArray notesInOneFile(const QStringList &bodies);
// A note whose body only the lenient reading finds: plain text after the property's colon.
QByteArray plainBodyNote(const QByteArray &body);

// A scratch folder whose entries may have any name: octets escaped as qvFileNameToText makes them.
class NoteFolderFixture
{
public:
    NoteFolderFixture() = default;
    // By the names' own bytes, which QTemporaryDir cannot reach when they are not UTF-8.
    ~NoteFolderFixture();
    NoteFolderFixture(const NoteFolderFixture &) = delete;
    NoteFolderFixture &operator=(const NoteFolderFixture &) = delete;

    [[nodiscard]] QString path() const { return m_dir.path(); }
    // Each returns the path of the file it made.
    QString add(const QString &name, const QByteArray &content) const;
    QString add(const QString &name, FolderEntry kind, const QByteArray &target = {}) const;

private:
    QTemporaryDir m_dir;
};
