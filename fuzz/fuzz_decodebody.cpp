// SPDX-License-Identifier: GPL-3.0-or-later
// DecodeBody on any text, against the plain split-at-"=" decoder, and the streaming decoder fed
// the same text in pieces cut at arbitrary places.
//
// The first byte chooses how the rest becomes text: as UTF-8 (bit 0 clear), which mutates well
// around the escapes, or as raw UTF-16 units (bit 0 set), which reaches lone surrogates. The
// other bits seed where the pieces are cut.

#include "bodydecoder.h"
#include "fuzzcheck.h"
#include "reference.h"

#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    if (size == 0)
        return 0;
    const unsigned mode = data[0];
    const auto *rest = reinterpret_cast<const char *>(data + 1);
    const auto restSize = qsizetype(size - 1);
    QString body;
    if ((mode & 1) != 0) {
        body.resize(restSize / 2); // copied, as the input need not be aligned for UTF-16
        std::memcpy(body.data(), rest, size_t(body.size()) * sizeof(QChar));
    } else {
        body = QString::fromUtf8(rest, restSize);
    }

    QString decoded;
    fuzzcheck::withinTime(size, [&] { decoded = DecodeBody(body); });
    fuzzcheck::expectEqual(decoded, referenceDecodeBody(body), "DecodeBody against the reference");

    // The same body in pieces of 0 to 63 units, as the note's lines arrive.
    std::uint32_t seed = mode * 2654435761u + std::uint32_t(size);
    BodyDecoder decoder;
    for (qsizetype at = 0; at < body.size();) {
        seed = seed * 1103515245u + 12345u;
        const qsizetype length = qMin<qsizetype>((seed >> 16) % 64, body.size() - at);
        decoder.feed(QStringView(body).sliced(at, length));
        at += length;
    }
    fuzzcheck::expectEqual(decoder.finish(), decoded, "pieces against the whole body");
    return 0;
}
