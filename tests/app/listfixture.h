// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// For the tests of the note list and its filter: what the list shows, and typing into it.

#include "frmmain.h"
#include "notelistpanel.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTableView>
#include <QTest>

// The texts of `column` in the rows as shown: in their order, the filter applied.
inline QStringList shownColumn(const NoteListPanel &list, int column)
{
    QStringList texts;
    const QAbstractItemModel *shown = list.lstNotes->model();
    for (int row = 0; row < shown->rowCount(); ++row)
        texts += shown->index(row, column).data().toString();
    return texts;
}

// Types `text` key by key, as a keyboard of any layout does.
inline void typeText(QWidget *field, const QString &text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(field, &press);
    }
}

// Until the list has read its rows and matched its filter.
inline bool listSettles(const NoteListPanel &list, int timeoutMs = 60000)
{
    return QTest::qWaitFor([&] { return !list.isReading() && !list.isFiltering(); }, timeoutMs);
}

// Shows the list of `window`'s folder and waits for its rows.
inline bool listRead(frmMain &window)
{
    window.ShowNoteList(true);
    return QTest::qWaitFor([&] { return !window.pnlNotes->folder().isEmpty(); }) &&
           listSettles(*window.pnlNotes);
}

// Types `query` into the filter, in place of what it held, and waits for its matches.
inline bool filterFor(frmMain &window, const QString &query)
{
    window.FindInNotes();
    window.pnlNotes->txtFilter->clear();
    typeText(window.pnlNotes->txtFilter, query);
    return listSettles(*window.pnlNotes);
}
