// SPDX-License-Identifier: GPL-3.0-or-later
// Our hand-written text code beside the libraries that could do its job, on a large note's body:
// text or UTF-8 octets to a JSON string (ours against RapidJSON's writer and Qt's
// QJsonDocument); and UTF-8 to UTF-16 through QvUtf8Decoder, which decodes one- and two-octet
// characters itself and hands the rest to QStringDecoder, against QStringDecoder alone.
//
//     quillet-bench-libs NOTE
//
// Prints "utf8 OCTETS ours SECONDS qt SECONDS same 0|1" and "json UNITS ours SECONDS rapidjson
// SECONDS qt SECONDS same_rapidjson 0|1 same_qt 0|1", and the same "json8" line from UTF-8
// octets: the least CPU time of repeated runs taken
// in turn, and whether each library gave the same text or bytes as ours.

#include "benchclock.h"
#include "jsonstring.h"
#include "parsenote.h"
#include "qvutf8.h"
#include "textfilereader.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QStringDecoder>

#include <rapidjson/encodings.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <array>
#include <cstdio>
#include <ctime>
#include <functional>

namespace {

class NoMessages : public MessageSink
{
public:
    void showCritical(const QString &) override {}
};

template <size_t N>
std::array<double, N> fastestInTurn(const std::array<std::function<void()>, N> &runs)
{
    std::array<double, N> fastest;
    fastest.fill(1e30);
    for (int round = 0; round < 7; ++round) {
        for (size_t i = 0; i < N; ++i) {
            const double start = threadCpuSeconds();
            runs[i]();
            fastest[i] = std::min(fastest[i], threadCpuSeconds() - start);
        }
    }
    return fastest;
}

QByteArray ourJson(const QString &text)
{
    QByteArray out;
    appendJsonString(out, text);
    return out;
}

template <typename Writer, typename Unit> QByteArray rapidJson(const Unit *units, qsizetype size)
{
    rapidjson::StringBuffer buffer;
    Writer writer(buffer);
    writer.String(units, rapidjson::SizeType(size));
    return {buffer.GetString(), qsizetype(buffer.GetSize())};
}

QByteArray rapidJson(const QString &text)
{
    using Writer =
        rapidjson::Writer<rapidjson::StringBuffer, rapidjson::UTF16<char16_t>, rapidjson::UTF8<>>;
    return rapidJson<Writer>(reinterpret_cast<const char16_t *>(text.utf16()), text.size());
}

QByteArray ourJsonFromUtf8(const QByteArray &octets)
{
    QByteArray out;
    appendJsonUtf8(out, octets);
    return out;
}

// Validating as ours does: without it, ill-formed octets would be copied into the JSON.
QByteArray rapidJsonFromUtf8(const QByteArray &octets)
{
    using Writer =
        rapidjson::Writer<rapidjson::StringBuffer, rapidjson::UTF8<>, rapidjson::UTF8<>,
                          rapidjson::CrtAllocator, rapidjson::kWriteValidateEncodingFlag>;
    return rapidJson<Writer>(octets.constData(), octets.size());
}

QByteArray qtJson(const QString &text)
{
    // A document is an array or an object: the string alone is what lies between [ and ].
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return array.sliced(1, array.size() - 2);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: quillet-bench-libs NOTE\n");
        return 2;
    }
    QFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::ReadOnly))
        return 1;
    NoteView view;
    NoMessages messages;
    ParseNoteBytes(file.readAll(), view, DateDisplay(), messages);
    const QString body = view.txtBody;
    const QByteArray octets = body.toUtf8();

    QString ours;
    QString qt;
    const auto utf8 = fastestInTurn<2>({[&] {
                                            QvUtf8Decoder decoder;
                                            decoder.reserve(octets.size());
                                            decoder.append(octets);
                                            ours = decoder.finish();
                                        },
                                        [&] {
                                            QStringDecoder decoder(QStringConverter::Utf8);
                                            qt = decoder.decode(octets);
                                        }});
    std::printf("utf8 %lld ours %.9f qt %.9f same %d\n", static_cast<long long>(octets.size()),
                utf8[0], utf8[1], int(ours == qt));

    QByteArray ourBytes;
    QByteArray rapidBytes;
    QByteArray qtBytes;
    const auto json =
        fastestInTurn<3>({[&] { ourBytes = ourJson(body); }, [&] { rapidBytes = rapidJson(body); },
                          [&] {
                              qtBytes = qtJson(body);
                          }});
    std::printf("json %lld ours %.9f rapidjson %.9f qt %.9f same_rapidjson %d same_qt %d\n",
                static_cast<long long>(body.size()), json[0], json[1], json[2],
                int(ourBytes == rapidBytes), int(ourBytes == qtBytes));

    const auto json8 = fastestInTurn<3>({[&] { ourBytes = ourJsonFromUtf8(octets); },
                                         [&] { rapidBytes = rapidJsonFromUtf8(octets); },
                                         [&] {
                                             qtBytes = qtJson(QString::fromUtf8(octets));
                                         }});
    std::printf("json8 %lld ours %.9f rapidjson %.9f qt %.9f same_rapidjson %d same_qt %d\n",
                static_cast<long long>(octets.size()), json8[0], json8[1], json8[2],
                int(ourBytes == rapidBytes), int(ourBytes == qtBytes));
    return 0;
}
