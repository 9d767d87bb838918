// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "formatstamp.h"
#include "noteview.h"
#include "qverror.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

// One file as the viewer would show it after loading it once, without retrying a failed read.
struct ExportedNote
{
    QString file;          // the path as given
    bool accepted = false; // read, and the note accepted
    NoteView view;         // the title and the four fields
    QString error;         // the message box text the viewer would show; empty when none
    QString readFailure;   // why the read failed; empty when it did not
};

// The message shown when a file cannot be read: the path, an empty line and the notice.
QString readFailureMessage(const QString &path);

// Reads and parses one file. Memory running out on the way is that file's read failure.
ExportedNote exportNote(const QString &path, const DateDisplay &display);

enum class ExportFormat {
    Text, // a readable block per note with the window's labels, safe to show in a terminal
    Json, // one JSON array, an object per note, in order; every string exact
};

// The output of a run, made a note at a time so that a run never holds more than one note:
// opening(), then next() for each note in order, then closing().
class ExportWriter
{
public:
    explicit ExportWriter(ExportFormat format) : m_format(format) {}

    [[nodiscard]] QByteArray opening() const;
    // The note's part of the output. When memory runs out while it is made, `note` becomes
    // that file's read failure, and the part shows that instead.
    [[nodiscard]] QByteArray next(ExportedNote &note);
    [[nodiscard]] QByteArray closing() const;

private:
    [[nodiscard]] QByteArray format(const ExportedNote &note) const;

    ExportFormat m_format;
    qsizetype m_count = 0;
};

// Text as UTF-8 that a terminal shows without acting on it: control characters other than tab
// and line ends (LF, CR LF), DEL and the C1 controls are written as escapes (\x1B, \x7F,
// \u009B), and so are a lone CR and lone surrogates; an octet of a file name that is not
// UTF-8 (see qvFileNameToText) as \xHH.
QByteArray toTerminalText(QStringView text);
