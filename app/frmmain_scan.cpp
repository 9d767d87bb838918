// SPDX-License-Identifier: GPL-3.0-or-later
// A file of another kind (a phone's backup, any size) looked through for the notes it holds, off
// the user-interface thread: its first note shown as soon as it is found, the others stepped to
// as they come.

#include "backgroundjob.h"
#include "embeddednotes.h"
#include "errorbox.h"
#include "frmmain.h"
#include "messagebox.h"
#include "parsenote.h"
#include "qvattempt.h"
#include "qvtext.h"
#include "showntext.h"
#include "textfilereader.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QStatusBar>

#include <algorithm>
#include <new>
#include <utility>

namespace {

// Often enough to look live, seldom enough that the window is not kept busy with the notes.
constexpr qint64 HandOverEveryMs = 50;

} // namespace

bool frmMain::isScanning() const
{
    return m_scan != nullptr && m_scan->isRunning();
}

QString frmMain::scanMessage() const
{
    return QStringLiteral("Поиск заметок в файле: %1 (найдено: %2)")
        .arg(shownText(qvGetFileName(m_lastTried)))
        .arg(m_notesOfFile.size());
}

void frmMain::startScan(const QString &path, int pick)
{
    if (m_scan == nullptr)
        m_scan = new BackgroundJob(this);
    m_notesOfFile.clear();
    m_scanPick = pick;
    m_scanWaiting = true;
    m_scanStep = false;
    m_scanFailure.reset();
    // One file's notes are kept at a time.
    m_scanned = ScannedFile();
    const QFileInfo file(path);
    m_scanning = ScannedFile{path, file.size(), file.lastModified(), ShortDate, {}};
    DateDisplay display;
    display.shortDate = ShortDate;
    // Only the notes found are kept, never the file: memory grows with them alone.
    m_scan->start(
        [this, path, display, opening = TextFileReader::shared().opening()](
            const BackgroundJob::Cancelled &cancelled, const BackgroundJob::Hand &hand) {
            const auto handOver = [this, &hand](QList<NoteView> &found) {
                hand([this, notes = std::exchange(found, {})]() mutable {
                    scanFound(std::move(notes));
                });
            };
            QList<NoteView> found;
            std::optional<QvError> failure;
            try {
                EmbeddedNotes notes(path, display, opening);
                notes.setCancelled(cancelled);
                const QString title = NoteView::titleFor(path);
                QElapsedTimer sinceHandOver;
                sinceHandOver.start();
                bool first = true;
                for (NoteView note; !cancelled() && notes.next(note);) {
                    note.title = title;
                    found.append(std::move(note));
                    if (first || sinceHandOver.elapsed() >= HandOverEveryMs) {
                        first = false;
                        handOver(found);
                        sinceHandOver.restart();
                    }
                }
            } catch (const QvError &error) {
                failure = error;
            } catch (const std::bad_alloc &) {
                failure = TextFileReader::outOfMemory();
            }
            if (cancelled())
                return;
            if (!found.isEmpty())
                handOver(found);
            if (failure)
                hand([this, failure] { m_scanFailure = failure; });
        },
        [this] { scanEnded(); });
}

void frmMain::scanFound(QList<NoteView> &&notes)
{
    try {
        m_notesOfFile.append(std::move(notes));
        if (m_scanWaiting && m_scanPick >= 0 && m_scanPick < m_notesOfFile.size()) {
            qvAttempt([this] { showNoteOfFile(m_scanPick); });
            listShownFolder();
        } else if (m_scanStep && m_noteOfFile + 1 < m_notesOfFile.size()) {
            m_scanStep = false;
            qvAttempt([this] { showNoteOfFile(m_noteOfFile + 1); });
        }
    } catch (const std::bad_alloc &) {
        // No note may go missing from among the others: the look ends as a failed read does.
        scanFailed(TextFileReader::outOfMemory());
        return;
    }
    reportLoad(m_lastTried, std::nullopt);
    updateStepItems();
}

void frmMain::scanFailed(const QvError &failure)
{
    // As for any file that cannot be read: the view is emptied, and the box may try again.
    const QString path = m_lastTried;
    const int pick = m_scanPick;
    qvAttempt([this] { ClearView(); });
    int answer = IdCancel;
    qvAttempt([&] {
        answer = ErrorBox::shared().Show(failure, MsgBoxStyle::RetryCancel | MsgBoxStyle::Critical,
                                         path + QStringLiteral("\n\nНе удалось прочесть файл."));
    });
    if (answer == IdRetry) {
        loadNote(path, pick);
        return;
    }
    m_readFailed = true;
    reportLoad(path, RowState::Unreadable);
    updateStepItems();
}

void frmMain::scanEnded()
{
    const QString path = m_lastTried;
    if (const std::optional<QvError> failure = std::exchange(m_scanFailure, std::nullopt)) {
        scanFailed(*failure);
        return;
    }
    if (m_notesOfFile.isEmpty()) {
        // No note in it: the file is refused as one that is not a note file is.
        qvAttempt([this] { ClearView(); });
        qvMessageBox(beginMarkerMissingMessage(), MsgBoxStyle::OkOnly | MsgBoxStyle::Critical,
                     QString(), QString(), this);
        reportLoad(path, RowState::NotNote);
        updateStepItems();
        return;
    }
    try {
        const qsizetype last = m_notesOfFile.size() - 1;
        if (m_scanWaiting) {
            qvAttempt([&] {
                showNoteOfFile(m_scanPick < 0 ? last : std::min<qsizetype>(m_scanPick, last));
            });
            listShownFolder();
        } else {
            // The note stays as it is, scrolled where it was; its title gets the number of notes.
            m_view.title = titleOfNoteOfFile(m_noteOfFile);
            setWindowTitle(m_view.title);
        }
        // Kept for the note list's steps within the file, unless it changed on the way.
        if (isUnchanged(m_scanning)) {
            m_scanning.notes = m_notesOfFile;
            m_scanned = std::move(m_scanning);
        }
    } catch (const std::bad_alloc &) {
        scanFailed(TextFileReader::outOfMemory());
        return;
    }
    reportLoad(path, std::nullopt);
    // A step that waited for a note the file turned out not to hold goes on to the next file.
    if (std::exchange(m_scanStep, false)) {
        StepNote(1);
        return;
    }
    updateStepItems();
}

bool frmMain::isUnchanged(const ScannedFile &scanned) const
{
    const QFileInfo file(scanned.path);
    return !scanned.path.isEmpty() && scanned.shortDate == ShortDate &&
           file.size() == scanned.size && file.lastModified() == scanned.modified;
}

bool frmMain::showScannedBefore(const QString &path, int pick)
{
    if (m_scanned.path != path || m_scanned.notes.isEmpty() || !isUnchanged(m_scanned))
        return false;
    m_notesOfFile = m_scanned.notes;
    const qsizetype last = m_notesOfFile.size() - 1;
    qvAttempt([&] { showNoteOfFile(pick < 0 ? last : std::min<qsizetype>(pick, last)); });
    return true;
}
