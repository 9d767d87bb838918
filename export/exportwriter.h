// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "noteexport.h"
#include "noteformat.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringView>

#include <memory>
#include <optional>

enum class ExportFormat {
    Text,     // a readable block per note with the window's labels, safe to show in a terminal
    Json,     // one JSON array, an object per note, in order; every string exact
    Jsonl,    // one JSON object per line
    Markdown, // a Markdown document with YAML front matter per note
    Enex,     // one Evernote export document holding every note
    Html,     // one HTML document to read or print, every note in it
    Csv,      // one table, a row per note, for spreadsheets
};

// The format of a name given on the command line ("text", "json", "jsonl", "markdown", "enex",
// "html", "csv").
std::optional<ExportFormat> exportFormatNamed(QStringView name);

// Those names, in that order, joined by `separator`.
QString exportFormatNames(QStringView separator);

// The extension of the file that --output-dir writes for each note, with its dot; the empty text
// for the formats that it does not write (jsonl, enex, csv).
QString exportFileExtension(ExportFormat format);

// What the writer is told about the run.
struct ExportSettings
{
    ExportFormat format = ExportFormat::Text;
    // Notes read leniently: JSON objects say each one's position in its file ("index").
    bool lenient = false;
    // For ENEX: when the export was made, and by what.
    QDateTime exportDate;
    QString application;
    QString version;
};

// The output of a run in the format its settings name, made a note at a time so that a run
// never holds more than the notes in hand (see NoteFormat): opening(), then separator() and
// entry() for each note in order, then closing().
class ExportWriter
{
public:
    explicit ExportWriter(ExportSettings settings);

    [[nodiscard]] QByteArray opening(const QString &soleTitle = {}) const
    {
        return m_format->opening(soleTitle);
    }
    // The note's part of the output; empty for a note that the format leaves out (every format
    // but text and JSON holds accepted notes only). When memory runs out while it is made,
    // `note` becomes that file's read failure, and the part shows that instead.
    [[nodiscard]] QByteArray entry(ExportedNote &note) const;
    [[nodiscard]] QByteArray separator(qsizetype written) const
    {
        return m_format->separator(written);
    }
    [[nodiscard]] QByteArray closing(qsizetype written) const { return m_format->closing(written); }

    // One note as a file of its own, for the viewer's Export item and --output-dir.
    [[nodiscard]] QByteArray document(const ExportedNote &note) const
    {
        return m_format->document(note);
    }

    [[nodiscard]] const NoteFormat &format() const { return *m_format; }
    [[nodiscard]] const ExportSettings &settings() const { return m_settings; }

private:
    ExportSettings m_settings;
    std::shared_ptr<const NoteFormat> m_format;
};

// The message when a format that needs a note is given none.
QString noNotesToExportMessage();
