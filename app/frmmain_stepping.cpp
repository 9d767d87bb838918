// SPDX-License-Identifier: GPL-3.0-or-later
// Stepping through a folder's notes, a file's several notes first, and showing a folder's first
// note.

#include "folderwatch.h"
#include "frmmain.h"
#include "messagebox.h"
#include "notelistpanel.h"

#include <QAction>
#include <QFileInfo>

#include <utility>

void frmMain::createStepping()
{
    m_folderNotes = new NoteFolderList(this);
    connect(m_folderNotes, &NoteFolderList::listed, this, &frmMain::folderListed);
    updateStepItems();
}

bool frmMain::listsShownFolder() const
{
    return !m_lastTried.isEmpty() && m_folderNotes->hasList() &&
           m_folderNotes->folder() == QFileInfo(m_lastTried).absolutePath();
}

void frmMain::StepNote(int direction)
{
    // The list, where it holds the folder, sets the order and leaves out what its filter does.
    if (stepsByList()) {
        const auto next = pnlNotes->neighbour(m_lastTried, int(m_noteOfFile), direction);
        if (next)
            loadNote(next->first, next->second);
        updateStepItems();
        return;
    }
    const qsizetype inFile = m_noteOfFile + direction;
    if (inFile >= 0 && inFile < m_notesOfFile.size()) {
        showNoteOfFile(inFile);
        reportLoad(m_lastTried, std::nullopt);
        updateStepItems();
        return;
    }
    // The file may hold more notes than have been found so far: the step waits for the next.
    if (direction > 0 && isScanning() && !m_scanWaiting) {
        m_scanStep = true;
        return;
    }
    if (m_lastTried.isEmpty())
        return;
    // The list is current at each step; where it is not, the step waits for it, and the window
    // does not.
    if (!listsShownFolder() || !m_folderNotes->isCurrent()) {
        m_pendingStep = direction;
        m_folderNotes->refresh();
        return;
    }
    stepToNeighbour(direction);
}

void frmMain::stepToNeighbour(int direction)
{
    const QString next = m_folderNotes->neighbour(m_lastTried, direction);
    if (!next.isEmpty()) {
        // Going back, a file's notes are met from its last.
        loadNote(next, direction > 0 ? 0 : LastNote);
        return;
    }
    if (!m_folderNotes->failure().isEmpty())
        qvMessageBox(m_folderNotes->failure(), MsgBoxStyle::OkOnly | MsgBoxStyle::Exclamation,
                     QString(), QString(), this);
    updateStepItems();
}

void frmMain::OpenFolder(const QString &folder)
{
    m_triedAny = true;
    updateStartHint();
    ShowNoteList(true);
    m_pendingStep = 0;
    m_pendingFolder = QFileInfo(folder).absoluteFilePath();
    if (m_folderNotes->folder() == m_pendingFolder && m_folderNotes->isCurrent()) {
        folderListed();
        return;
    }
    m_folderNotes->follow(m_pendingFolder);
    m_folderNotes->refresh();
}

void frmMain::folderListed()
{
    if (!m_pendingFolder.isEmpty() && m_folderNotes->folder() == m_pendingFolder) {
        const QString folder = std::exchange(m_pendingFolder, QString());
        if (!m_folderNotes->notes().isEmpty()) {
            LoadNoteFile(m_folderNotes->notes().front());
            remember(folder);
            return;
        }
        const QString why =
            m_folderNotes->failure().isEmpty()
                ? QStringLiteral("В папке нет заметок (файлов .vnt): %1").arg(folder)
                : m_folderNotes->failure();
        qvMessageBox(why, MsgBoxStyle::OkOnly | MsgBoxStyle::Exclamation, QString(), QString(),
                     this);
        // Stepping stays with the folder of the last file tried.
        if (!m_lastTried.isEmpty())
            m_folderNotes->follow(QFileInfo(m_lastTried).absolutePath());
        updateStepItems();
        return;
    }
    listShownFolder();
    const int step = std::exchange(m_pendingStep, 0);
    if (step != 0 && listsShownFolder()) {
        stepToNeighbour(step);
        return;
    }
    updateStepItems();
}

// At either end the item is disabled, so neither its key nor the mouse button does anything;
// while the folder's list is not yet in hand, both are enabled and a step waits for it.
void frmMain::updateStepItems()
{
    const auto canStep = [this](int direction) {
        if (stepsByList())
            return pnlNotes->neighbour(m_lastTried, int(m_noteOfFile), direction).has_value();
        const qsizetype inFile = m_noteOfFile + direction;
        if (inFile >= 0 && inFile < m_notesOfFile.size())
            return true;
        if (direction > 0 && isScanning())
            return true;
        if (m_lastTried.isEmpty())
            return false;
        return !listsShownFolder() || !m_folderNotes->neighbour(m_lastTried, direction).isEmpty();
    };
    mnuFile[1]->setEnabled(canStep(1));
    mnuFile[2]->setEnabled(canStep(-1));
}
