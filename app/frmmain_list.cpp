// SPDX-License-Identifier: GPL-3.0-or-later
// The note list beside the fields: showing and hiding it, the folder it lists, its filter, and
// the notes it shows.

#include "folderwatch.h"
#include "frmmain.h"
#include "notelistpanel.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTableView>

namespace {

// The list's width when nothing else is known, and the least it may have, in twips.
constexpr int DefaultListWidth = 7500;
constexpr int LeastListWidth = 1500;

} // namespace

void frmMain::createList()
{
    pnlNotes->setMinimumWidth(twips(LeastListWidth));
    connect(pnlNotes, &NoteListPanel::showRequested, this, &frmMain::ShowListedNote);
    connect(pnlNotes, &NoteListPanel::leaveRequested, this, [this] { txtBody->setFocus(); });
    connect(pnlNotes, &NoteListPanel::queryChanged, this, [this] {
        findMatches();
        updateStepItems();
    });
    // The order or the filter changed: the ends of stepping may have too.
    const QAbstractItemModel *order = pnlNotes->lstNotes->model();
    connect(order, &QAbstractItemModel::layoutChanged, this, &frmMain::updateStepItems);
    connect(order, &QAbstractItemModel::modelReset, this, &frmMain::updateStepItems);
    connect(order, &QAbstractItemModel::rowsInserted, this, &frmMain::updateStepItems);
    connect(order, &QAbstractItemModel::rowsRemoved, this, &frmMain::updateStepItems);
    // Until a filter is typed, there is no match to go to.
    mnuView[4]->setEnabled(false);
    mnuView[5]->setEnabled(false);
}

SearchOptions frmMain::readingOptions() const
{
    SearchOptions options;
    options.lenient = LenientLayouts;
    options.display.shortDate = ShortDate;
    return options;
}

void frmMain::ShowNoteList(bool shown)
{
    mnuView[0]->setChecked(shown);
    if (shown != pnlNotes->isHidden())
        return;
    const int handle = m_split->handleWidth();
    // A window of the size of its screen stays so; any other makes room for the list.
    const bool enlarged = isMaximized() || isFullScreen();
    if (shown) {
        const int width = m_listWidth > 0 ? m_listWidth : twips(DefaultListWidth);
        const int client = m_client->width();
        pnlNotes->show();
        if (!enlarged && isVisible())
            resize(this->width() + width + handle, height());
        m_split->setSizes({width, client});
        fitOnScreen();
        listShownFolder();
    } else {
        m_listWidth = pnlNotes->width();
        const bool hadFocus = pnlNotes->isAncestorOf(QApplication::focusWidget());
        pnlNotes->hide();
        if (!enlarged && isVisible())
            resize(std::max(minimumSizeHint().width(), width() - m_listWidth - handle), height());
        if (hadFocus)
            txtBody->setFocus();
    }
}

void frmMain::FindInNotes()
{
    ShowNoteList(true);
    activateWindow();
    pnlNotes->txtFilter->setFocus();
    pnlNotes->txtFilter->selectAll();
}

// The shown note's folder; after a load that failed, the folder being stepped through; before
// any load, the open dialog's.
void frmMain::listShownFolder()
{
    if (pnlNotes->isHidden())
        return;
    QString folder;
    if (!m_lastTried.isEmpty()) {
        folder = QFileInfo(m_lastTried).absolutePath();
    } else {
        const QString remembered = rememberedFolder();
        if (remembered.isEmpty())
            return;
        folder = QFileInfo(remembered).absoluteFilePath();
        m_folderNotes->follow(folder);
    }
    if (!m_folderNotes->hasList() || m_folderNotes->folder() != folder)
        return;
    pnlNotes->setFolder(folder, m_folderNotes->notes(), readingOptions());
    pnlNotes->selectNote(m_lastTried, int(m_noteOfFile));
}

bool frmMain::stepsByList() const
{
    return !pnlNotes->isHidden() && !pnlNotes->isReading() && !m_lastTried.isEmpty() &&
           pnlNotes->folder() == QFileInfo(m_lastTried).absolutePath() &&
           pnlNotes->lists(m_lastTried, int(m_noteOfFile));
}

void frmMain::ShowListedNote(const QString &path, int note)
{
    // The focus stays in the list, where the next row is picked.
    QWidget *focus = QApplication::focusWidget();
    loadNote(path, note);
    if (focus != nullptr && pnlNotes->isAncestorOf(focus) && focus->isVisible())
        focus->setFocus();
}
