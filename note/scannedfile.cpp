// SPDX-License-Identifier: GPL-3.0-or-later
#include "scannedfile.h"

#include "lenientreader.h"

#include <limits>

namespace {

// How much of a file too large to read whole tells whether it is a note file.
constexpr qsizetype HeadBytes = 64 * 1024;

} // namespace

LenientFileBytes ReadLenientFile(const TextFileReader &reader, const QString &path)
{
    LenientFileBytes file;
    try {
        file.bytes = reader.ReadAllBytes(path);
        file.scanned = IsScannedFile(file.bytes);
    } catch (const QvError &failure) {
        if (failure.number() != TextFileReader::TooLarge)
            throw;
        const TextFileReader uncapped(std::numeric_limits<qint64>::max(), reader.opening());
        QByteArray head(HeadBytes, Qt::Uninitialized);
        if (!IsScannedFile(TextFilePieces(uncapped, path).readAt(0, head)))
            throw;
        file.scanned = true;
    }
    if (file.scanned)
        file.bytes = QByteArray(); // its notes are read a piece at a time
    return file;
}
