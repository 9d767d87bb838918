// SPDX-License-Identifier: GPL-3.0-or-later
#include "exportwriter.h"

#include "csvnote.h"
#include "enexnote.h"
#include "htmlnote.h"
#include "jsonformat.h"
#include "markdownnote.h"
#include "textfilereader.h"
#include "textformat.h"

#include <array>
#include <new>

namespace {

struct NamedFormat
{
    const char16_t *name;
    ExportFormat format;
};

constexpr std::array<NamedFormat, 7> Names{{
    {u"text", ExportFormat::Text},
    {u"json", ExportFormat::Json},
    {u"jsonl", ExportFormat::Jsonl},
    {u"markdown", ExportFormat::Markdown},
    {u"enex", ExportFormat::Enex},
    {u"html", ExportFormat::Html},
    {u"csv", ExportFormat::Csv},
}};

// The one place that knows every format.
std::unique_ptr<NoteFormat> makeFormat(const ExportSettings &settings)
{
    switch (settings.format) {
    case ExportFormat::Text:
        return textFormat();
    case ExportFormat::Json:
        return jsonFormat(settings.lenient);
    case ExportFormat::Jsonl:
        return jsonlFormat(settings.lenient);
    case ExportFormat::Markdown:
        return markdownFormat();
    case ExportFormat::Enex:
        return enexFormat(settings.exportDate, settings.application, settings.version);
    case ExportFormat::Html:
        return htmlFormat();
    case ExportFormat::Csv:
        return csvFormat();
    }
    return textFormat();
}

} // namespace

std::optional<ExportFormat> exportFormatNamed(QStringView name)
{
    for (const NamedFormat &named : Names) {
        if (name == QStringView(named.name))
            return named.format;
    }
    return std::nullopt;
}

QString exportFormatNames(QStringView separator)
{
    QString names;
    for (const NamedFormat &named : Names) {
        if (!names.isEmpty())
            names += separator;
        names += QStringView(named.name);
    }
    return names;
}

QString exportFileExtension(ExportFormat format)
{
    ExportSettings settings;
    settings.format = format;
    return makeFormat(settings)->extension();
}

ExportWriter::ExportWriter(ExportSettings settings)
    : m_settings(std::move(settings)), m_format(makeFormat(m_settings))
{
}

QByteArray ExportWriter::entry(ExportedNote &note) const
{
    try {
        return m_format->entry(note);
    } catch (const std::bad_alloc &) {
        note = unreadableNote(note.file, TextFileReader::outOfMemory());
        return m_format->entry(note);
    }
}

QString noNotesToExportMessage()
{
    return QStringLiteral("Нет заметок для экспорта");
}
