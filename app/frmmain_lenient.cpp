// SPDX-License-Identifier: GPL-3.0-or-later
// Reading notes in every layout: the lenient reading, a file's several notes, and the hint shown
// when the strict reading leaves a body empty that holds text.

#include "boxmessagesink.h"
#include "frmmain.h"
#include "lenientreader.h"
#include "qvattempt.h"
#include "readfailure.h"
#include "scannedfile.h"
#include "textfilereader.h"

#include <QPlainTextEdit>

#include <algorithm>
#include <new>
#include <utility>

namespace {

const QString OtherLayoutHint =
    QStringLiteral("Текст этой заметки записан в формате другого телефона. Чтобы его увидеть, "
                   "включите «Настройки → Все форматы заметок».");

} // namespace

std::optional<QvError> frmMain::readLenientAndShow(const QString &path, int pick)
{
    LenientFileBytes file;
    if (auto failure = readFailure([&] { file = ReadLenientFile(TextFileReader::shared(), path); }))
        return failure;
    if (file.scanned) {
        try {
            if (!showScannedBefore(path, pick))
                startScan(path, pick);
        } catch (const std::bad_alloc &) {
            qvAttempt([this] { ClearView(); });
            return TextFileReader::outOfMemory();
        }
        return std::nullopt;
    }
    QByteArray bytes = std::move(file.bytes);

    try {
        LenientReading reading;
        qvAttempt([&] {
            BoxMessageSink messages(this);
            DateDisplay display;
            display.shortDate = ShortDate;
            reading = ReadNotesLenient(bytes, display, messages, path);
        });
        bytes = QByteArray();
        if (!reading.accepted) {
            qvAttempt([this] { ClearView(); });
            return std::nullopt;
        }
        m_notesOfFile = std::move(reading.notes);
        if (m_notesOfFile.isEmpty())
            m_notesOfFile.append(NoteView());
        for (NoteView &note : m_notesOfFile)
            note.title = NoteView::titleFor(path);
        const qsizetype last = m_notesOfFile.size() - 1;
        qvAttempt([&] { showNoteOfFile(pick < 0 ? last : std::min<qsizetype>(pick, last)); });
    } catch (const std::bad_alloc &) {
        bytes = QByteArray();
        qvAttempt([this] { ClearView(); });
        return TextFileReader::outOfMemory();
    }
    return std::nullopt;
}

void frmMain::showNoteOfFile(qsizetype index)
{
    m_noteOfFile = index;
    m_view = m_notesOfFile.at(index);
    m_scanWaiting = false;
    m_view.title = titleOfNoteOfFile(index);
    showView();
}

QString frmMain::titleOfNoteOfFile(qsizetype index) const
{
    QString title = m_notesOfFile.at(index).title;
    // "Quillet [memo.vnt] (2/3)": which of the file's notes this is; "(2/…)" while the file is
    // still being looked through for more.
    if (isScanning())
        title += QStringLiteral(" (%1/…)").arg(index + 1);
    else if (m_notesOfFile.size() > 1)
        title += QStringLiteral(" (%1/%2)").arg(index + 1).arg(m_notesOfFile.size());
    return title;
}

void frmMain::offerLenientReading(const QString &path)
{
    // Only for a body left empty, which is rare: the usual load reads the file once. The hint is
    // no part of the note, so a failure to give it costs nothing.
    try {
        if (!HoldsNoteText(TextFileReader::shared().ReadAllBytes(path)))
            return;
        m_bodyPlaceholder = OtherLayoutHint;
        txtBody->setPlaceholderText(m_bodyPlaceholder);
    } catch (...) {
        m_bodyPlaceholder.clear();
    }
}
