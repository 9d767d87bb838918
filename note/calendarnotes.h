// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "formatstamp.h"
#include "noteview.h"

#include <QByteArrayView>

#include <memory>
#include <optional>

class CalendarWalk;

// Whether a file's bytes (after their byte-order mark: see NoteBytes) are a calendar: their
// first line that is not blank is BEGIN:VCALENDAR, in any letter case, with blanks around it.
bool isCalendarFile(QByteArrayView bytes);

// The memos of a calendar file, vCalendar 1.0 (.vcs) or iCalendar 2.0 (.ics), one at a time in
// file order. A memo is a VJOURNAL, or a VEVENT or VTODO whose X-DCM-TYPE is there and is not
// EVENT (as Japanese phones write their notes, shopping lists and to-dos); the other VEVENTs and
// VTODOs are appointments and tasks, passed over. Values are read by the note's content-line
// layers (quoted-printable, BASE64, charsets, folding); in iCalendar 2.0 text escapes are undone
// too ("\n", "\,", "\;", "\\"). Each memo gets:
// - the body: its DESCRIPTION, else its SUMMARY; the SUMMARY on its own in `summary`;
// - the version: the calendar's VERSION;
// - the kind: its X-DCM-TYPE as written, or "JOURNAL" for a VJOURNAL without one;
// - created: DCREATED or CREATED, else a VJOURNAL's DTSTART; modified: LAST-MODIFIED, else
//   DTSTAMP. A time with a trailing Z is UTC; one without it is in the zone its TZID names (an
//   IANA name, or a Windows one as Outlook writes them; a zone Qt does not know is UTC), else at
//   the calendar's TZ offset (vCalendar's "+09:00"), else UTC; a date alone is 00:00 there.
//   Shown as the lenient reading shows a UTC stamp; what names no moment is shown as written.
// A component that the next one's BEGIN, the calendar's END or the end of the file comes before
// its END is taken as it stands. The bytes must outlive the object.
class CalendarNotes
{
public:
    CalendarNotes(QByteArrayView bytes, const DateDisplay &display);
    ~CalendarNotes();
    CalendarNotes(const CalendarNotes &) = delete;
    CalendarNotes &operator=(const CalendarNotes &) = delete;

    // How many memos next() gives in all, from a first pass that decodes nothing but the kinds
    // (worked out when first asked for).
    qsizetype count();
    // How many appointments and tasks the file holds, passed over: from the same first pass.
    qsizetype skipped();
    // The next memo in file order, its title left alone; false once there is none.
    bool next(NoteView &note);

private:
    void countAll();

    QByteArrayView m_bytes;
    DateDisplay m_display;
    std::unique_ptr<CalendarWalk> m_walk;
    std::optional<qsizetype> m_count;
    qsizetype m_skipped = 0;
};
