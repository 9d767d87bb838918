// SPDX-License-Identifier: GPL-3.0-or-later
#include "lenientreader.h"

#include "calendarnotes.h"
#include "contentline.h"
#include "gammunotes.h"
#include "notebytes.h"
#include "parsenote.h"
#include "qvtext.h"
#include "utcstamp.h"
#include "valuedecoder.h"
#include "vnotenotes.h"

#include <optional>
#include <utility>

namespace {

// What one note holds: the body decoded as it is met, the other fields to be decoded at the end.
struct NoteProperties
{
    std::optional<QString> body;
    std::optional<ContentLine> note;
    std::optional<ContentLine> summary;
    std::optional<ContentLine> version;
    std::optional<ContentLine> created;
    std::optional<ContentLine> modified;
};

QString decoded(ContentLine line)
{
    return DecodeValue(line.value, line.charset);
}

NoteProperties readProperties(ContentLineReader &reader)
{
    NoteProperties found;
    for (ContentLine line; reader.next(line);) {
        if (line.isNamed("BODY")) {
            if (!found.body) // read in place, so the reader need not go over it again
                found.body = DecodeValue(reader.currentValue(), line.charset);
        } else if (line.isNamed("NOTE")) {
            if (!found.note)
                found.note = line;
        } else if (line.isNamed("SUMMARY")) {
            if (!found.summary)
                found.summary = line;
        } else if (line.isNamed("VERSION")) {
            found.version = line;
        } else if (line.isNamed("DCREATED")) {
            found.created = line;
        } else if (line.isNamed("LAST-MODIFIED")) {
            found.modified = line;
        }
    }
    if (!found.body && found.note)
        found.body = decoded(*found.note);
    else if (!found.body && found.summary)
        found.body = decoded(*found.summary);
    return found;
}

NoteView noteView(NoteProperties note, const DateDisplay &display)
{
    NoteView view;
    if (note.version)
        view.txtVersion = qvTrimEx(decoded(*note.version)).toUpper();
    if (note.created) {
        UtcStamp stamp = ReadUtcStamp(decoded(*note.created), display);
        view.txtDateCreated = std::move(stamp.shown);
        view.createdUtc = std::move(stamp.moment);
    }
    if (note.modified) {
        UtcStamp stamp = ReadUtcStamp(decoded(*note.modified), display);
        view.txtDateModified = std::move(stamp.shown);
        view.modifiedUtc = std::move(stamp.moment);
    }
    if (note.body)
        view.txtBody = *std::move(note.body);
    return view;
}

bool hasText(const QString &text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return !c.isSpace(); });
}

} // namespace

LenientNotes::LenientNotes(QByteArrayView bytes, const DateDisplay &display, MessageSink &messages,
                           const QString &path)
    : m_input(bytes), m_display(display)
{
    const QByteArrayView input = m_input.bytes();
    if (isCalendarFile(input)) {
        m_calendar = std::make_unique<CalendarNotes>(input, display);
        m_count = m_calendar->count();
        m_skipped = m_calendar->skipped();
    } else if (isGammuBackup(input)) {
        m_gammu = std::make_unique<GammuNotes>(input);
        m_count = m_gammu->count();
    } else {
        m_file = CheckVNoteMarkers(input);
        if (m_file.problem == VNoteFile::Problem::BeginMissing)
            messages.showCritical(beginMarkerMissingMessage());
        else
            m_notes.emplace(input, m_file);
        return;
    }
    if (*m_count == 0) {
        messages.showCritical(noNotesMessage(path));
        m_calendar.reset();
        m_gammu.reset();
    }
}

LenientNotes::~LenientNotes() = default;

qsizetype LenientNotes::count()
{
    if (!m_count)
        m_count = accepted() ? CountNotes(m_input.bytes(), m_file) : 0;
    return *m_count;
}

bool LenientNotes::next(NoteView &note)
{
    if (m_calendar)
        return m_calendar->next(note);
    if (m_gammu)
        return m_gammu->next(note);
    ContentLineReader *reader = m_notes ? m_notes->next() : nullptr;
    if (reader == nullptr)
        return false;
    note = noteView(readProperties(*reader), m_display);
    if (reader->endMarker() != MarkerLine::End)
        note.notice = cutOffNoteMessage();
    return true;
}

LenientReading ReadNotesLenient(QByteArrayView bytes, const DateDisplay &display,
                                MessageSink &messages, const QString &path)
{
    LenientNotes notes(bytes, display, messages, path);
    LenientReading reading;
    reading.accepted = notes.accepted();
    // Room for every note at once: a file of many small notes would otherwise move them all
    // again each time the list grows. Counting takes the marker lines alone.
    if (reading.accepted)
        reading.notes.reserve(notes.count());
    for (NoteView note; notes.next(note);)
        reading.notes.append(std::move(note));
    return reading;
}

bool IsScannedFile(QByteArrayView head)
{
    const NoteBytes input(head);
    return !isCalendarFile(input.bytes()) && !isGammuBackup(input.bytes()) &&
           CheckVNoteMarkers(input.bytes()).problem == VNoteFile::Problem::BeginMissing;
}

QString noNotesMessage(const QString &path)
{
    return QStringLiteral("В файле нет заметок: %1").arg(path);
}

QString cutOffNoteMessage()
{
    return QStringLiteral("Заметка обрывается: нет маркера END:VNOTE");
}

bool HoldsNoteText(QByteArrayView bytes)
{
    const NoteBytes input(bytes);
    bool found = false;
    ForEachNote(input.bytes(), CheckVNoteMarkers(input.bytes()), [&](ContentLineReader &reader) {
        if (found)
            return;
        const NoteProperties note = readProperties(reader);
        found = note.body && hasText(*note.body);
    });
    return found;
}
