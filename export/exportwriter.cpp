// SPDX-License-Identifier: GPL-3.0-or-later
#include "exportwriter.h"

#include "enexnote.h"
#include "jsonstring.h"
#include "markdownnote.h"
#include "terminaltext.h"
#include "textfilereader.h"
#include "utctext.h"

#include <algorithm>
#include <array>
#include <new>
#include <string_view>

namespace {

// How a JSON object is laid out: within the array of --format json (indented), alone in a file,
// or on one line of jsonl.
struct JsonLayout
{
    const char *open;
    const char *keyIndent;
    const char *separator; // after each member but the last
    const char *close;
};

constexpr JsonLayout InArray{"  {\n", "    ", ",\n", "\n  }"};
constexpr JsonLayout Alone{"{\n", "  ", ",\n", "\n}\n"};
constexpr JsonLayout OnOneLine{"{", "", ", ", "}\n"};

class JsonObject
{
public:
    JsonObject(QByteArray &out, const JsonLayout &layout) : m_out(out), m_layout(layout)
    {
        m_out.append(layout.open);
    }

    void member(const char *key, const QString &value)
    {
        start(key);
        appendJsonString(m_out, value);
    }
    void utf8Member(const char *key, QByteArrayView octets)
    {
        start(key);
        appendJsonUtf8(m_out, octets);
    }
    void literal(const char *key, QByteArrayView value)
    {
        start(key);
        m_out.append(value);
    }
    void utc(const char *key, const QDateTime &moment)
    {
        start(key);
        if (moment.isValid()) {
            std::array<char, UtcTextRoom + 2> text{};
            text[0] = '"';
            char *const end = writeIsoUtcText(moment, text.data() + 1);
            *end = '"';
            m_out.append(text.data(), end + 1 - text.data());
        } else {
            m_out.append("null");
        }
    }
    void close() { m_out.append(m_layout.close); }

private:
    // What goes before a value, in one append: each append costs more than these few bytes.
    void start(const char *key)
    {
        std::array<char, 64> prefix{};
        qsizetype size = 0;
        const auto add = [&](std::string_view piece) {
            std::copy(piece.begin(), piece.end(), prefix.begin() + size);
            size += qsizetype(piece.size());
        };
        if (!m_first)
            add(m_layout.separator);
        m_first = false;
        add(m_layout.keyIndent);
        add("\"");
        add(key);
        add("\": ");
        m_out.append(prefix.data(), size);
    }

    QByteArray &m_out;
    const JsonLayout &m_layout;
    bool m_first = true;
};

QByteArray jsonObject(const ExportedNote &note, const JsonLayout &layout, bool withIndex)
{
    const NoteView &view = note.view;
    // Room for everything but control characters, and for the room the string writer asks
    // ahead, so that the object is never copied as it grows.
    const qsizetype body = view.txtBody.size() + note.bodyOctets.size();
    QByteArray out;
    out.reserve(512 + std::min(body * MaxJsonBytesPerUnit, JsonRoomAhead) +
                3 * (note.file.size() + view.title.size() + view.txtVersion.size() +
                     view.txtDateCreated.size() + view.txtDateModified.size() + body +
                     note.error.size()));
    JsonObject object(out, layout);
    object.member("file", note.file);
    if (withIndex)
        object.literal("index", QByteArray::number(note.index));
    object.literal("accepted", note.accepted ? "true" : "false");
    object.member("title", view.title);
    object.member("version", view.txtVersion);
    object.member("created", view.txtDateCreated);
    object.member("modified", view.txtDateModified);
    if (note.bodyOctets.isNull())
        object.member("body", view.txtBody);
    else
        object.utf8Member("body", note.bodyOctets);
    object.member("error", note.error);
    object.utc("created_utc", view.createdUtc);
    object.utc("modified_utc", view.modifiedUtc);
    object.close();
    return out;
}

// The note as a block with the window's labels.
QByteArray textBlock(const ExportedNote &note)
{
    QString out = QStringLiteral("== %1 ==\n").arg(note.file);
    if (note.count > 1)
        out.insert(out.size() - 4, QStringLiteral(" (%1/%2)").arg(note.index).arg(note.count));
    if (!note.accepted) {
        out += note.error + u'\n';
        return toTerminalText(out);
    }
    out += QStringLiteral("%1\nВерсия: %2\nСоздан: %3\nИзменён: %4\n")
               .arg(note.view.title, note.view.txtVersion, note.view.txtDateCreated,
                    note.view.txtDateModified);
    // The body's own CR LF line ends, as a terminal or a text file on this system expects.
    QString body = bodyText(note);
    body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    out += body;
    if (!body.isEmpty() && !body.endsWith(u'\n'))
        out += u'\n';
    return toTerminalText(out);
}

} // namespace

std::optional<ExportFormat> exportFormatNamed(QStringView name)
{
    if (name == u"text")
        return ExportFormat::Text;
    if (name == u"json")
        return ExportFormat::Json;
    if (name == u"jsonl")
        return ExportFormat::Jsonl;
    if (name == u"markdown")
        return ExportFormat::Markdown;
    if (name == u"enex")
        return ExportFormat::Enex;
    return std::nullopt;
}

QString exportFileExtension(ExportFormat format)
{
    switch (format) {
    case ExportFormat::Text:
        return QStringLiteral(".txt");
    case ExportFormat::Json:
        return QStringLiteral(".json");
    case ExportFormat::Markdown:
        return QStringLiteral(".md");
    case ExportFormat::Jsonl:
    case ExportFormat::Enex:
        break;
    }
    return {};
}

QByteArray ExportWriter::opening() const
{
    switch (m_settings.format) {
    case ExportFormat::Json:
        return QByteArrayLiteral("[");
    case ExportFormat::Enex:
        return enexOpening(m_settings.exportDate, m_settings.application, m_settings.version);
    default:
        return {};
    }
}

QByteArray ExportWriter::entry(ExportedNote &note) const
{
    try {
        return format(note);
    } catch (const std::bad_alloc &) {
        note = unreadableNote(note.file, TextFileReader::outOfMemory());
        return format(note);
    }
}

QByteArray ExportWriter::separator(qsizetype written) const
{
    switch (m_settings.format) {
    case ExportFormat::Json:
        return written == 0 ? QByteArrayLiteral("\n") : QByteArrayLiteral(",\n");
    case ExportFormat::Text:
    case ExportFormat::Markdown:
        // An empty line between blocks; between documents it also keeps a body's last line
        // from becoming a heading over the next document's "---".
        return written == 0 ? QByteArray() : QByteArrayLiteral("\n");
    default:
        return {};
    }
}

QByteArray ExportWriter::closing(qsizetype written) const
{
    switch (m_settings.format) {
    case ExportFormat::Json:
        return written == 0 ? QByteArrayLiteral("]\n") : QByteArrayLiteral("\n]\n");
    case ExportFormat::Enex:
        return enexClosing();
    default:
        return {};
    }
}

QByteArray ExportWriter::format(const ExportedNote &note) const
{
    switch (m_settings.format) {
    case ExportFormat::Text:
        return textBlock(note);
    case ExportFormat::Json:
        return jsonObject(note, InArray, m_settings.lenient);
    case ExportFormat::Jsonl:
        return jsonObject(note, OnOneLine, m_settings.lenient);
    case ExportFormat::Markdown:
        return note.accepted ? markdownNote(note) : QByteArray();
    case ExportFormat::Enex:
        return note.accepted ? enexNote(note) : QByteArray();
    }
    return {};
}

QByteArray ExportWriter::document(const ExportedNote &note) const
{
    switch (m_settings.format) {
    case ExportFormat::Json:
        return jsonObject(note, Alone, m_settings.lenient);
    case ExportFormat::Markdown:
        return markdownNote(note);
    default:
        return textBlock(note);
    }
}
