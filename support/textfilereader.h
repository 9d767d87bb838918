// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include "qverror.h"

// Reads a whole note file. Only regular files are read, never more than the reader's cap, and
// nothing here can block: a FIFO or device is refused before it is opened.
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

    // A reader that refuses files of more than `maxFileSize` bytes, whatever size they report.
    explicit TextFileReader(qint64 maxFileSize = MaxFileSize);

    // The failure reported when memory runs out while a note is read, parsed or shown.
    [[nodiscard]] static QvError outOfMemory();

    // The one reader of the process, made on first use.
    static TextFileReader &shared();

    // The file's whole content as it is on disk. Throws QvError with one of the Failure numbers
    // and a description that says why.
    [[nodiscard]] QByteArray ReadAllBytes(const QString &path) const;

    // The file's whole content as text (see DecodeText), with the same checks and failures.
    [[nodiscard]] QString ReadAllText(const QString &path) const;

    // Bytes to text by their byte-order mark (UTF-8's is dropped, UTF-16 in either byte order
    // is decoded), otherwise as UTF-8; invalid sequences become U+FFFD.
    [[nodiscard]] static QString DecodeText(QByteArrayView bytes);

private:
    qint64 m_maxFileSize;
};
