// SPDX-License-Identifier: GPL-3.0-or-later
// The reader's bytes-to-text decoding on any bytes, against Qt's own decoders; and the UTF-8
// decoder behind it, whole and in pieces cut at arbitrary places, against QString::fromUtf8; and
// the same bytes as a file name, which must come back from text unchanged; and the same bytes
// written as a JSON string straight from UTF-8, which must be what writing their text gives.

#include "fuzzcheck.h"
#include "jsonstring.h"
#include "qvfilename.h"
#include "qvutf8.h"
#include "reference.h"
#include "textfilereader.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));

    QString text;
    fuzzcheck::withinTime(size, [&] { text = TextFileReader::DecodeText(bytes); });
    fuzzcheck::expectEqual(text, referenceDecodeText(bytes), "DecodeText against Qt");

    const QString expected = QString::fromUtf8(bytes);
    fuzzcheck::expectEqual(qvUTF8ToUNICODE(bytes), expected, "qvUTF8ToUNICODE against Qt");

    QvUtf8Decoder whole;
    whole.append(bytes);
    fuzzcheck::expectEqual(whole.finish(), expected, "one piece against Qt");

    // Pieces of up to 7 octets, or for every other input up to 47, long enough for the fast path's
    // blocks of sixteen.
    const qsizetype longest = size % 2 == 0 ? 8 : 48;
    std::uint32_t seed = std::uint32_t(size) * 2654435761u;
    for (const char octet : bytes.first(qMin<qsizetype>(bytes.size(), 8)))
        seed = seed * 31 + static_cast<unsigned char>(octet);
    QvUtf8Decoder decoder;
    for (qsizetype at = 0; at < bytes.size();) {
        seed = seed * 1103515245u + 12345u;
        const qsizetype length =
            qMin<qsizetype>(qsizetype(seed >> 16) % longest, bytes.size() - at);
        decoder.append(QByteArrayView(bytes).sliced(at, length));
        at += length;
    }
    fuzzcheck::expectEqual(decoder.finish(), expected, "pieces against Qt");

    QByteArray fromOctets;
    appendJsonUtf8(fromOctets, bytes);
    QByteArray fromText;
    appendJsonString(fromText, expected);
    if (fromOctets != fromText)
        fuzzcheck::fail("JSON from octets against JSON from their text",
                        QString::fromUtf8(fromOctets));

    // The same bytes as a file name: as text and back, they name the same file.
    if (qvTextToFileName(qvFileNameToText(bytes)) != bytes)
        fuzzcheck::fail("a file name did not come back", qvFileNameToText(bytes));
    return 0;
}
