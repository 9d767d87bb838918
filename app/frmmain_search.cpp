// SPDX-License-Identifier: GPL-3.0-or-later
// Finding notes: the search window over the shown note's folder, and showing what it found.

#include "appinfo.h"
#include "frmmain.h"
#include "frmsearch.h"
#include "notematch.h"
#include "settingsstore.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>

namespace {

const QString SearchPlacementName = QStringLiteral("Search window placement");

} // namespace

// The shown note's folder; after a load that failed, the folder being stepped through, as the
// next step goes on there; before any load, the open dialog's.
QString frmMain::searchFolder() const
{
    if (!m_lastTried.isEmpty())
        return QFileInfo(m_lastTried).absolutePath();
    const QString remembered = rememberedFolder();
    return remembered.isEmpty() ? QDir::homePath() : QDir(remembered).absolutePath();
}

void frmMain::FindInNotes()
{
    if (m_search == nullptr) {
        m_search = new frmSearch(this);
        connect(m_search, &frmSearch::showRequested, this,
                [this](const NoteHit &hit, const QString &query) {
                    ShowSearchHit(hit.path, hit.note, query);
                });
        SettingsStore().RestoreWindowPlacement(m_search, QString(), SearchPlacementName,
                                               AppInfo::current(), m_search->size());
    }
    SearchOptions options;
    options.lenient = LenientLayouts;
    options.display.shortDate = ShortDate;
    m_search->setScope(searchFolder(), options);
    m_search->show();
    m_search->raise();
    m_search->activateWindow();
    m_search->txtQuery->setFocus();
    m_search->txtQuery->selectAll();
}

void frmMain::ShowSearchHit(const QString &path, int note, const QString &query)
{
    loadNote(path, note);
    if (m_view.title == NoteView::emptyTitle())
        return;
    selectMatch(query);
    raise();
    activateWindow();
}

// The note may have changed since it was searched: the match is looked for again, in the text as
// the fields hold it.
void frmMain::selectMatch(const QString &query)
{
    const NoteMatcher matcher(query);
    if (matcher.isEmpty())
        return;
    const qsizetype inBody = matcher.indexIn(txtBody->toPlainText());
    if (inBody >= 0) {
        QTextCursor cursor(txtBody->document());
        cursor.setPosition(int(inBody));
        cursor.setPosition(int(inBody + matcher.length()), QTextCursor::KeepAnchor);
        txtBody->setTextCursor(cursor);
        txtBody->ensureCursorVisible();
        txtBody->setFocus();
        return;
    }
    for (QLineEdit *field : {txtVersion, txtDateCreated, txtDateModified}) {
        const qsizetype start = matcher.indexIn(field->text());
        if (start >= 0) {
            field->setSelection(int(start), int(matcher.length()));
            field->setFocus();
            return;
        }
    }
}
