// SPDX-License-Identifier: GPL-3.0-or-later
// The window's settings that outlive a run: its placement and the date display mode.

#include "appinfo.h"
#include "frmmain.h"
#include "frmsearch.h"
#include "settingsstore.h"

#include <QAction>

namespace {

const QString NoSection;
const QString PlacementName = QStringLiteral("Window placement");
const QString ShortDateName = QStringLiteral("Short Date");
const QString LenientName = QStringLiteral("Lenient layouts");
const QString SearchPlacementName = QStringLiteral("Search window placement");

} // namespace

void frmMain::LoadSettings()
{
    // The designed size, frame excluded: the size a window is given here.
    const QSize designed = size();
    SettingsStore store;
    store.RestoreWindowPlacement(this, NoSection, PlacementName, AppInfo::current(), designed);
    ShortDate =
        store.ReadValue(NoSection, ShortDateName, SettingsStore::Boolean, AppInfo::current(), false)
            .toBool();
    mnuSettings[0]->setChecked(ShortDate);
    LenientLayouts =
        store.ReadValue(NoSection, LenientName, SettingsStore::Boolean, AppInfo::current(), false)
            .toBool();
    mnuSettings[1]->setChecked(LenientLayouts);
}

void frmMain::SaveSettings()
{
    // A store that cannot be written warns, and the window closes all the same.
    SettingsStore store;
    m_settingsWrites.run(
        [&] { store.SaveWindowPlacement(this, NoSection, PlacementName, AppInfo::current()); });
    m_settingsWrites.run([&] {
        store.WriteValue(NoSection, ShortDateName, SettingsStore::Boolean, ShortDate,
                         AppInfo::current());
    });
    m_settingsWrites.run([&] {
        store.WriteValue(NoSection, LenientName, SettingsStore::Boolean, LenientLayouts,
                         AppInfo::current());
    });
    if (m_search != nullptr)
        m_settingsWrites.run([&] {
            store.SaveWindowPlacement(m_search, NoSection, SearchPlacementName, AppInfo::current());
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
        break;
    default:
        break;
    }
}
