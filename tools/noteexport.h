#pragma once

#include "formatstamp.h"
#include "noteview.h"

#include <QByteArray>
#include <QList>
#include <QString>

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

ExportedNote exportNote(const QString &path, const DateDisplay &display);

// One JSON array, an object per note, in order.
QByteArray toJson(const QList<ExportedNote> &notes);
// A readable block per note with the window's labels.
QByteArray toText(const QList<ExportedNote> &notes);
