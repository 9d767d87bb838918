// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "exportwriter.h"

#include <QDialog>
#include <QList>

#include <array>

class QCheckBox;
class QRadioButton;

// Where the export of all notes takes them: an application, and the format it imports.
struct ExportDestination
{
    const char16_t *caption;
    const char16_t *hint; // how the application takes them in
    ExportFormat format;
    bool folder;            // a folder with a file for each note, else one file
    const char16_t *filter; // of the save dialog, for one file
    const char16_t *suffix; // of that file
};

inline constexpr std::array<ExportDestination, 7> ExportDestinations{{
    {u"Obsidian", u"Откройте папку как хранилище или перетащите её в хранилище",
     ExportFormat::Markdown, true, u"", u""},
    {u"Joplin", u"Файл → Импорт → ENEX", ExportFormat::Enex, false, u"ENEX (*.enex)", u"enex"},
    {u"Evernote, Apple Notes", u"Файл → Импортировать", ExportFormat::Enex, false, u"ENEX (*.enex)",
     u"enex"},
    {u"Notion, таблицы", u"Таблица CSV, строка на заметку", ExportFormat::Csv, false,
     u"CSV (*.csv)", u"csv"},
    {u"Документ для чтения и печати", u"Один файл HTML со всеми заметками", ExportFormat::Html,
     false, u"HTML (*.html)", u"html"},
    {u"Текстовые файлы", u"Папка с текстовым файлом на заметку", ExportFormat::Text, true, u"",
     u""},
    {u"JSON", u"Один файл JSON со всеми заметками", ExportFormat::Json, false, u"JSON (*.json)",
     u"json"},
}};

// The dialog "Экспорт всех заметок": where the notes go, and which of them.
class ExportAllDialog : public QDialog
{
    Q_OBJECT

public:
    // `filtering`: the note list's filter is on, so the found notes alone may go.
    ExportAllDialog(int destination, bool filtering, QWidget *parent = nullptr);

    QList<QRadioButton *> optDestination;
    QCheckBox *chkSubfolders = nullptr;
    QCheckBox *chkFoundOnly = nullptr;

    [[nodiscard]] int destination() const;
};
