// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "noteexport.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringView>

#include <optional>

enum class ExportFormat {
    Text,     // a readable block per note with the window's labels, safe to show in a terminal
    Json,     // one JSON array, an object per note, in order; every string exact
    Jsonl,    // one JSON object per line
    Markdown, // a Markdown document with YAML front matter per note
    Enex,     // one Evernote export document holding every note
};

// The format of a name given on the command line ("text", "json", "jsonl", "markdown", "enex").
std::optional<ExportFormat> exportFormatNamed(QStringView name);

// The extension of the file that --output-dir writes for each note, with its dot; the empty text
// for the formats that it does not write (jsonl, enex).
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

// The output of a run, made a note at a time so that a run never holds more than the notes in
// hand: opening(), then separator() and entry() for each note in order, then closing(). entry()
// depends on nothing but its note, so that notes can be formatted on several threads at once.
class ExportWriter
{
public:
    explicit ExportWriter(ExportSettings settings) : m_settings(std::move(settings)) {}

    [[nodiscard]] QByteArray opening() const;
    // The note's part of the output; empty for a note that the format leaves out (Markdown and
    // ENEX hold accepted notes only). When memory runs out while it is made, `note` becomes
    // that file's read failure, and the part shows that instead.
    [[nodiscard]] QByteArray entry(ExportedNote &note) const;
    // What goes before an entry, once `written` entries have been written.
    [[nodiscard]] QByteArray separator(qsizetype written) const;
    [[nodiscard]] QByteArray closing(qsizetype written) const;

    // One note as a file of its own: the text block, the Markdown document, or the JSON object
    // alone; for the viewer's Export item and --output-dir.
    [[nodiscard]] QByteArray document(const ExportedNote &note) const;

    [[nodiscard]] const ExportSettings &settings() const { return m_settings; }

private:
    [[nodiscard]] QByteArray format(const ExportedNote &note) const;

    ExportSettings m_settings;
};
