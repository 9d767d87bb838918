// SPDX-License-Identifier: GPL-3.0-or-later
// The window's settings that outlive a run: its placement, the date display mode, the reading of
// every layout, the note list, the zoom and the recent files.

#include "appinfo.h"
#include "folderwatch.h"
#include "frmmain.h"
#include "notelistpanel.h"
#include "qvwindow.h"
#include "settingsstore.h"

#include <QAction>
#include <QSplitter>

#include <algorithm>

namespace {

const QString NoSection;
const QString PlacementName = QStringLiteral("Window placement");
const QString ShortDateName = QStringLiteral("Short Date");
const QString LenientName = QStringLiteral("Lenient layouts");
const QString NoteListName = QStringLiteral("Note list");
const QString NoteListWidthName = QStringLiteral("Note list width");
const QString ZoomName = QStringLiteral("Zoom");
const QString RecentName = QStringLiteral("Recent");

} // namespace

void frmMain::LoadSettings()
{
    SettingsStore store;
    const AppInfo app = AppInfo::current();
    Zoom = std::clamp(store.ReadValue(NoSection, ZoomName, SettingsStore::Number, app, 100).toInt(),
                      MinZoom, MaxZoom);
    applyZoom();
    m_listWidth = std::max(
        0, store.ReadValue(NoSection, NoteListWidthName, SettingsStore::Number, app, 0).toInt());
    // Shown before the placement is restored: the placement stored holds it.
    const bool listShown =
        store.ReadValue(NoSection, NoteListName, SettingsStore::Boolean, app, false).toBool();
    if (listShown)
        ShowNoteList(true);
    if (listShown || Zoom != 100) {
        adjustSize();
        qvCenterFormEx(this);
    }
    // The designed size, frame excluded: the size a window is given here.
    const QSize designed = size();
    store.RestoreWindowPlacement(this, NoSection, PlacementName, app, designed);
    ShortDate =
        store.ReadValue(NoSection, ShortDateName, SettingsStore::Boolean, app, false).toBool();
    mnuSettings[0]->setChecked(ShortDate);
    LenientLayouts =
        store.ReadValue(NoSection, LenientName, SettingsStore::Boolean, app, false).toBool();
    mnuSettings[1]->setChecked(LenientLayouts);
    m_folderNotes->setEveryLayout(LenientLayouts);
    Recent = store.ReadValue(NoSection, RecentName, SettingsStore::TextList, app, QStringList())
                 .toStringList()
                 .mid(0, MaxRecent);
    updateRecentMenu();
    fitOnScreen();
}

void frmMain::SaveSettings()
{
    // A store that cannot be written warns, and the window closes all the same.
    SettingsStore store;
    m_settingsWrites.run(
        [&] { store.SaveWindowPlacement(this, NoSection, PlacementName, AppInfo::current()); });
    struct Entry
    {
        QString name;
        int kind;
        QVariant value;
    };
    const int listWidth = pnlNotes->isHidden() ? m_listWidth : pnlNotes->width();
    const QList<Entry> entries{{ShortDateName, SettingsStore::Boolean, ShortDate},
                               {LenientName, SettingsStore::Boolean, LenientLayouts},
                               {NoteListName, SettingsStore::Boolean, !pnlNotes->isHidden()},
                               {NoteListWidthName, SettingsStore::Number, listWidth},
                               {ZoomName, SettingsStore::Number, Zoom}};
    for (const Entry &entry : entries)
        m_settingsWrites.run([&] {
            store.WriteValue(NoSection, entry.name, entry.kind, entry.value, AppInfo::current());
        });
    m_settingsWrites.run([&] {
        store.WriteValue(NoSection, RecentName, SettingsStore::TextList, Recent,
                         AppInfo::current());
    });
}

void frmMain::mnuSettings_Click(int index)
{
    switch (index) {
    case 0:
        ShortDate = !ShortDate;
        mnuSettings[0]->setChecked(ShortDate);
        break;
    case 1:
        LenientLayouts = !LenientLayouts;
        mnuSettings[1]->setChecked(LenientLayouts);
        // Calendars and backups are among a folder's notes where every layout is read.
        m_folderNotes->setEveryLayout(LenientLayouts);
        break;
    default:
        return;
    }
    // What is on display stays; the list is read again, and a filter under way starts again.
    listShownFolder();
}
