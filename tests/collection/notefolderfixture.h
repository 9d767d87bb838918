// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Folders of notes for the tests of stepping and finding: real notes, and every kind of entry
// that walking a phone's memo folder can meet.

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

enum class FolderEntry {
    Note,           // `content` as it is
    Garbage,        // binary bytes named .vnt
    LargeBinary,    // 60 MB of zero bytes, taking no room on disk
    Fifo,           // a named pipe: reading it would wait for a writer
    Directory,      // a folder named .vnt
    LinkToDevZero,  // a symbolic link to /dev/zero
    LinkToFirstNote // a symbolic link to the folder's note "memo1.vnt"
};

// A note in the one layout of the original viewer: version `version`, both stamps, and `body`
// with every octet escaped on one line.
QByteArray escapedNote(const QString &body, const QByteArray &version = "1.1");

// Several notes in one file, each with its own body, as some phones write them.
QByteArray notesInOneFile(const QStringList &bodies);

// A note whose body only the lenient reading finds: plain text after the property's colon.
QByteArray plainBodyNote(const QByteArray &body);

// A scratch folder that removes every entry it made, whatever its name's bytes.
class NoteFolderFixture
{
public:
    NoteFolderFixture();
    ~NoteFolderFixture();
    NoteFolderFixture(const NoteFolderFixture &) = delete;
    NoteFolderFixture &operator=(const NoteFolderFixture &) = delete;

    [[nodiscard]] QString path() const { return m_dir.path(); }
    // Makes `name` (which may hold any character, and octets escaped as qvFileNameToText makes
    // them) as `kind`; returns its path.
    QString add(const QString &name, FolderEntry kind = FolderEntry::Note,
                const QByteArray &content = {}) const;

    // A phone's memo folder with strangers in it. Notes that hold "ключ" in some letter case:
    // memo1.vnt, memo10.vnt, alias.vnt (a link to memo1), "new\nline.vnt" and "caf\xE9.VNT" (a
    // Latin-1 name); memo2.vnt holds none. Files that are no notes: garbage.vnt, pipe.vnt (a FIFO),
    // zero.vnt (a link to /dev/zero). Left out of any walk: notes.txt and the folder x.vnt.
    void addPhoneFolder() const;

private:
    QTemporaryDir m_dir;
};
