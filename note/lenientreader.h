// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "formatstamp.h"
#include "messagesink.h"
#include "notebytes.h"
#include "noteview.h"
#include "vnotenotes.h"

#include <QByteArrayView>
#include <QList>

#include <memory>
#include <optional>

class CalendarNotes;
class GammuNotes;

// A note file read leniently, one note at a time, so that memory does not grow with the number
// of notes: the reading of ReadNotesLenient below. The file's bytes must outlive it.
class LenientNotes
{
public:
    // Checks the file's marker lines at once; a file that fails is reported to `messages` and
    // gives no note. A calendar file gives its memos (see CalendarNotes), a Gammu backup its notes
    // (see GammuNotes); one with none is reported as noNotesMessage(path).
    LenientNotes(QByteArrayView bytes, const DateDisplay &display, MessageSink &messages,
                 const QString &path = {});
    ~LenientNotes();
    LenientNotes(const LenientNotes &) = delete;
    LenientNotes &operator=(const LenientNotes &) = delete;

    [[nodiscard]] bool accepted() const { return m_notes || m_calendar || m_gammu; }
    // How many notes next() gives in all, from a first pass over the marker lines alone (worked
    // out when first asked for); 0 for a file that is not accepted.
    qsizetype count();
    // The next note in file order, its title left alone; false once there is none. A note that
    // its END marker does not end (the next note's BEGIN, or the end of the file, comes first)
    // keeps what it has, and says so in its notice (cutOffNoteMessage).
    bool next(NoteView &note);
    // How many appointments and tasks a calendar file holds, passed over; 0 for other files.
    [[nodiscard]] qsizetype skipped() const { return m_skipped; }

private:
    NoteBytes m_input;
    VNoteFile m_file;
    DateDisplay m_display;
    std::optional<VNoteNotes> m_notes; // none for a file that is not accepted
    std::optional<qsizetype> m_count;
    std::unique_ptr<CalendarNotes> m_calendar;
    std::unique_ptr<GammuNotes> m_gammu;
    qsizetype m_skipped = 0;
};

// A note file read leniently: every note of the file at once, each as the viewer would show it.
struct LenientReading
{
    bool accepted = false;
    QList<NoteView> notes; // in file order; the titles are left alone
};

// Reads a note file's bytes in the layouts that phones and other programs write (vCard 2.1
// content lines; any parameter order and letter case; quoted-printable, BASE64, 8BIT or no
// encoding; any charset ICU knows; folded lines; several notes in one file). Each note gets the
// version (trimmed, upper-cased), the two stamps (see ShowUtcStamp) and the body: the first BODY,
// else the first NOTE, else the first SUMMARY; of the others, the last occurrence counts. A file
// whose first non-blank line is not BEGIN:VNOTE is rejected with the strict reading's message for
// it. A file cut off before its last END:VNOTE is not: its last note keeps what it has, with the
// notice that it is cut off, as does a note that the next one's BEGIN line cuts off.
LenientReading ReadNotesLenient(QByteArrayView bytes, const DateDisplay &display,
                                MessageSink &messages, const QString &path = {});

// Whether a file that starts with `head` is none of the files read above: its first line is no
// BEGIN marker, and it is neither a calendar nor a Gammu backup. The notes such a file holds
// are looked for among its bytes (see EmbeddedNotes).
bool IsScannedFile(QByteArrayView head);

// "В файле нет заметок: PATH": a calendar file or a backup that holds no note.
QString noNotesMessage(const QString &path);

// "Заметка обрывается: нет маркера END:VNOTE": the notice of a note that is cut off.
QString cutOffNoteMessage();

// Whether a note of the file, read leniently, has a body with more than white space in it:
// how the viewer and the companion tell that a note the strict reading leaves empty holds text
// in another phone's layout.
bool HoldsNoteText(QByteArrayView bytes);
