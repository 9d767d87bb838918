// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

class QWidget;

// Settings that cannot be written are no reason to stop: the first failure of a run is shown as
// a warning that names the file and the reason, and the program goes on; later ones pass quietly.
class SettingsWriteGuard
{
public:
    explicit SettingsWriteGuard(QWidget *owner) : m_owner(owner) {}

    // Runs `write`; a failure it reports (QvError) goes no further than the warning.
    void run(const std::function<void()> &write);

private:
    QWidget *m_owner;
    bool m_warned = false;
};
