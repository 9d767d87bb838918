// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include "qverror.h"

#include <memory>

// Reads a whole note file. Only regular files are read, never more than the reader's cap, and
// nothing here can block: a FIFO or device is refused, before it is opened unless a folder
// listing has just shown it to be a regular file (see Opening).
class TextFileReader
{
public:
    static constexpr qint64 MaxFileSize = qint64(64) * 1024 * 1024;

    // Why a read failed: the number that QvError carries.
    enum Failure {
        NotFound = 53,
        AccessDenied = 70,
        IsDirectory = 75,
        NotRegularFile = 76,
        TooLarge = 7,
        InputOutputError = 57,
        OutOfMemory = 14,
    };

    // How a file is opened. A path may name anything, so it is looked at before it is opened:
    // opening a device can do something. A file that a folder listing has just shown to be a
    // regular file is opened straight away, as long as its name is still no symbolic link (which
    // could now point anywhere); what was opened is checked all the same.
    enum class Opening { LookFirst, ListedFile };

    // A reader that refuses files of more than `maxFileSize` bytes, whatever size they report.
    explicit TextFileReader(qint64 maxFileSize = MaxFileSize, Opening opening = Opening::LookFirst);

    // The failure reported when memory runs out while a note is read, parsed or shown.
    [[nodiscard]] static QvError outOfMemory();

    // The one reader of the process, made on first use.
    static TextFileReader &shared();
    // Its like for files that a folder listing has shown to be regular files.
    static TextFileReader &sharedForListedFiles();

    // The file's whole content as it is on disk. Throws QvError with one of the Failure numbers
    // and a description that says why.
    [[nodiscard]] QByteArray ReadAllBytes(const QString &path) const;

    // The file's whole content as text (see DecodeText), with the same checks and failures.
    [[nodiscard]] QString ReadAllText(const QString &path) const;

    // Bytes to text by their byte-order mark (UTF-8's is dropped, UTF-16 in either byte order
    // is decoded), otherwise as UTF-8; invalid sequences become U+FFFD.
    [[nodiscard]] static QString DecodeText(QByteArrayView bytes);

    [[nodiscard]] qint64 maxFileSize() const { return m_maxFileSize; }
    [[nodiscard]] Opening opening() const { return m_opening; }

private:
    qint64 m_maxFileSize;
    Opening m_opening;
};

class CappedFile;

// A note file read a piece at a time into one buffer, for a reader that need not hold a large
// file whole. The same checks as TextFileReader::ReadAllBytes, and the same failures, thrown as
// QvError by every member but size().
class TextFilePieces
{
public:
    static constexpr qsizetype PieceSize = 1024 * 1024;

    TextFilePieces(const TextFileReader &reader, const QString &path,
                   qsizetype pieceSize = PieceSize);
    ~TextFilePieces();
    TextFilePieces(const TextFilePieces &) = delete;
    TextFilePieces &operator=(const TextFilePieces &) = delete;

    // The size the opened file reported.
    [[nodiscard]] qint64 size() const;
    // Reads from `offset` on into `buffer`, until it is full or the file ends; returns the bytes
    // read. Does not move where next() reads, and may be called from several threads at once.
    QByteArrayView readAt(qint64 offset, QByteArray &buffer) const;
    // Everything from the start on, at once: what ReadAllBytes gives.
    [[nodiscard]] QByteArray readAll();
    // The next pieceSize bytes from the start on, fewer at the end, none after it. The view
    // holds until the next call.
    QByteArrayView next();

private:
    QString m_path;
    std::unique_ptr<CappedFile> m_file;
    qsizetype m_pieceSize;
    QByteArray m_piece;
};
