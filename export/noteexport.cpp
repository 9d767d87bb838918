// SPDX-License-Identifier: GPL-3.0-or-later
#include "noteexport.h"

#include "embeddednotes.h"
#include "lenientreader.h"
#include "messagesink.h"
#include "parsenote.h"
#include "qvfilename.h"
#include "qvutf8.h"
#include "scannedfile.h"
#include "textfilereader.h"

#include <QTimeZone>

#include <limits>
#include <new>
#include <sys/stat.h>

namespace {

class RecordingSink : public MessageSink
{
public:
    void showCritical(const QString &message) override { text = message; }
    QString text;
};

ExportedNote readAndParse(const QString &path, const DateDisplay &display, bool bodyOctets,
                          const TextFileReader &reader)
{
    ExportedNote note;
    note.file = path;
    RecordingSink messages;
    try {
        note.accepted = ParseNoteFile(reader, path, note.view, display, messages,
                                      bodyOctets ? &note.bodyOctets : nullptr);
    } catch (const QvError &failure) {
        return unreadableNote(path, failure);
    }
    if (note.accepted)
        note.view.title = NoteView::titleFor(path);
    else
        note.view = NoteView(); // a rejected note shows nothing
    note.error = messages.text;
    return note;
}

QDateTime fileModified(const QString &path)
{
    struct stat info
    {
    };
    if (::stat(qvTextToFileName(path).constData(), &info) != 0)
        return {};
    return QDateTime::fromSecsSinceEpoch(info.st_mtim.tv_sec, QTimeZone::utc())
        .addMSecs(info.st_mtim.tv_nsec / 1000000);
}

} // namespace

QString readFailureMessage(const QString &path)
{
    return path + QStringLiteral("\n\nНе удалось прочесть файл.");
}

ExportedNote unreadableNote(const QString &path, const QvError &failure)
{
    ExportedNote note;
    note.file = path;
    note.error = readFailureMessage(path);
    note.readFailure = failure.description();
    return note;
}

ExportedNote exportNote(const QString &path, const DateDisplay &display, bool bodyOctets,
                        const TextFileReader &reader)
{
    try {
        return readAndParse(path, display, bodyOctets, reader);
    } catch (const std::bad_alloc &) {
        return unreadableNote(path, TextFileReader::outOfMemory());
    }
}

QString bodyText(const ExportedNote &note)
{
    return note.bodyOctets.isNull() ? note.view.txtBody : qvUTF8ToUNICODE(note.bodyOctets);
}

QDateTime noteMoment(const ExportedNote &note)
{
    if (note.view.modifiedUtc.isValid())
        return note.view.modifiedUtc;
    if (note.view.createdUtc.isValid())
        return note.view.createdUtc;
    return fileModified(note.file);
}

LenientExport::LenientExport(QString path, const DateDisplay &display, const TextFileReader &reader)
    : m_path(std::move(path)), m_display(display), m_reader(reader)
{
}

LenientExport::~LenientExport() = default;

bool LenientExport::next(ExportedNote &note)
{
    if (m_finished)
        return false;
    try {
        if (!m_notes && !m_scan && !open(note)) {
            finish();
            return true;
        }
        NoteView view;
        if (!(m_scan ? m_scan->next(view) : m_notes->next(view))) {
            finish();
            return false;
        }
        note = ExportedNote();
        note.file = m_path;
        note.index = ++m_index;
        note.count = m_count;
        note.accepted = true;
        note.view = std::move(view);
        note.view.title = m_title;
        note.error = note.view.notice; // shown, and told why it may not be whole
        if (m_count > 1)
            note.view.title += QStringLiteral(" (%1/%2)").arg(m_index).arg(m_count);
        return true;
    } catch (const std::bad_alloc &) {
        finish();
        note = unreadableNote(m_path, TextFileReader::outOfMemory());
        return true;
    } catch (const QvError &failure) { // the scanned file failed to read on the way
        finish();
        note = unreadableNote(m_path, failure);
        return true;
    }
}

bool LenientExport::open(ExportedNote &note)
{
    bool scanned = false;
    try {
        LenientFileBytes file = ReadLenientFile(m_reader, m_path);
        scanned = file.scanned;
        m_bytes = std::move(file.bytes);
        if (scanned && scan())
            return true;
    } catch (const QvError &failure) {
        note = unreadableNote(m_path, failure);
        return false;
    }
    if (scanned) {
        note = ExportedNote();
        note.file = m_path;
        note.error = beginMarkerMissingMessage();
        return false;
    }
    RecordingSink messages;
    m_notes = std::make_unique<LenientNotes>(m_bytes, m_display, messages, m_path);
    m_count = int(m_notes->count());
    m_skipped = m_notes->skipped();
    if (m_notes->accepted() && m_count > 0) {
        m_title = NoteView::titleFor(m_path);
        return true;
    }
    note = ExportedNote();
    note.file = m_path;
    note.accepted = m_notes->accepted();
    if (note.accepted)
        note.view.title = NoteView::titleFor(m_path);
    note.error = messages.text;
    return false;
}

bool LenientExport::scan()
{
    m_scan = std::make_unique<EmbeddedNotes>(m_path, m_display, m_reader.opening());
    m_count = int(std::min<qsizetype>(m_scan->count(), std::numeric_limits<int>::max()));
    if (m_count == 0) {
        m_scan.reset();
        return false;
    }
    m_title = NoteView::titleFor(m_path);
    return true;
}

void LenientExport::finish()
{
    m_finished = true;
    m_scan.reset();
    m_notes.reset();
    m_bytes = QByteArray();
}
