// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "formatstamp.h"
#include "noteview.h"
#include "qverror.h"
#include "textfilereader.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <memory>

// One note of a file as the viewer would show it after loading the file once, without retrying
// a failed read.
struct ExportedNote
{
    QString file;          // the path as given
    int index = 1;         // its position in its file, from 1
    int count = 1;         // how many notes its file holds
    bool accepted = false; // read, and the note accepted
    NoteView view;         // the title and the four fields
    // When not null, the body as the UTF-8 octets it decodes to, and view.txtBody is empty: for
    // a writer of UTF-8 that need not turn a large body into text first (see exportNote).
    QByteArray bodyOctets;
    // The message box text the viewer would show for a note not accepted; for an accepted note,
    // what the viewer says about it beside showing it (see NoteView::notice). Empty when none.
    QString error;
    // The folder its file was found in below a folder named for the run ("sub/deep"); empty for
    // a note in the named folder itself, or in a file named on its own.
    QString folder;
    QString readFailure; // why the read failed; empty when it did not
};

// The message shown when a file cannot be read: the path, an empty line and the notice.
QString readFailureMessage(const QString &path);

// The entry of a file that could not be read, or ran out of memory on the way.
ExportedNote unreadableNote(const QString &path, const QvError &failure);

// Reads and parses one file with `reader`. Memory running out on the way is that file's read
// failure. With `bodyOctets`, the body may be left as octets (see ExportedNote::bodyOctets).
ExportedNote exportNote(const QString &path, const DateDisplay &display, bool bodyOctets = false,
                        const TextFileReader &reader = TextFileReader::shared());

// The note's body as text, whichever way it was kept.
QString bodyText(const ExportedNote &note);

// The modification time that a note's own file is given: when the note was last changed, else
// made, else its note file's time.
QDateTime noteMoment(const ExportedNote &note);

class EmbeddedNotes;
class LenientNotes;

// The notes of one file read leniently, an entry at a time, so that memory stays the same however
// many notes the file holds. Each is titled as the viewer titles it ("Quillet [memo.vnt] (2/3)"
// when there are several: the count comes from a first pass over the file's marker lines). A file
// that is not accepted, or cannot be read, gives a single entry. Memory running out on the way
// ends the file with an entry for that failure, after the notes already given. A file that is no
// note file, calendar or backup is looked through for the notes it holds (see EmbeddedNotes),
// whatever its size; other files keep the reader's cap.
class LenientExport
{
public:
    explicit LenientExport(QString path, const DateDisplay &display,
                           const TextFileReader &reader = TextFileReader::shared());
    ~LenientExport();
    LenientExport(const LenientExport &) = delete;
    LenientExport &operator=(const LenientExport &) = delete;

    // The next entry of the file; false once all have been given. The file is read on the first
    // call.
    bool next(ExportedNote &note);
    // How many appointments and tasks of a calendar file were passed over: known after the first
    // call.
    [[nodiscard]] qsizetype skipped() const { return m_skipped; }
    // The memory it holds: the file's bytes, from the first call until the last entry.
    [[nodiscard]] qsizetype heldBytes() const { return m_bytes.size(); }

private:
    // Reads the file. False when `note` is then its only entry.
    bool open(ExportedNote &note);
    // Looks for notes among the file's bytes. False when it holds none.
    bool scan();
    void finish();

    QString m_path;
    DateDisplay m_display;
    const TextFileReader &m_reader;
    QByteArray m_bytes;
    std::unique_ptr<LenientNotes> m_notes; // reads m_bytes
    std::unique_ptr<EmbeddedNotes> m_scan; // or this reads the file itself
    QString m_title;
    int m_count = 0;
    int m_index = 0;
    qsizetype m_skipped = 0;
    bool m_finished = false;
};
