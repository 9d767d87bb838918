// SPDX-License-Identifier: GPL-3.0-or-later
#include "jsonformat.h"

#include "jsonstring.h"
#include "notetitle.h"
#include "utctext.h"

#include <algorithm>
#include <array>
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
    const QString title = noteTitle(note);
    // Room for everything but control characters, and for the room the string writer asks
    // ahead, so that the object is never copied as it grows.
    const qsizetype body = view.txtBody.size() + note.bodyOctets.size();
    QByteArray out;
    out.reserve(512 + std::min(body * MaxJsonBytesPerUnit, JsonRoomAhead) +
                3 * (note.file.size() + view.title.size() + view.txtVersion.size() +
                     view.txtDateCreated.size() + view.txtDateModified.size() + body +
                     note.error.size() + title.size() + view.kind.size()));
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
    object.member("note_title", title);
    if (view.kind.isEmpty())
        object.literal("kind", "null");
    else
        object.member("kind", view.kind);
    object.close();
    return out;
}

class JsonFormat : public NoteFormat
{
public:
    JsonFormat(const JsonLayout &layout, bool withIndex) : m_layout(layout), m_withIndex(withIndex)
    {
    }

    QByteArray opening(const QString &) const override
    {
        return inArray() ? QByteArrayLiteral("[") : QByteArray();
    }
    QByteArray entry(const ExportedNote &note) const override
    {
        return jsonObject(note, m_layout, m_withIndex);
    }
    QByteArray separator(qsizetype written) const override
    {
        if (!inArray())
            return {};
        return written == 0 ? QByteArrayLiteral("\n") : QByteArrayLiteral(",\n");
    }
    QByteArray closing(qsizetype written) const override
    {
        if (!inArray())
            return {};
        return written == 0 ? QByteArrayLiteral("]\n") : QByteArrayLiteral("\n]\n");
    }
    QByteArray document(const ExportedNote &note) const override
    {
        return jsonObject(note, Alone, m_withIndex);
    }
    QString extension() const override { return inArray() ? QStringLiteral(".json") : QString(); }
    bool takesOctets() const override { return true; }

private:
    [[nodiscard]] bool inArray() const { return &m_layout == &InArray; }

    const JsonLayout &m_layout;
    bool m_withIndex;
};

} // namespace

std::unique_ptr<NoteFormat> jsonFormat(bool withIndex)
{
    return std::make_unique<JsonFormat>(InArray, withIndex);
}

std::unique_ptr<NoteFormat> jsonlFormat(bool withIndex)
{
    return std::make_unique<JsonFormat>(OnOneLine, withIndex);
}
