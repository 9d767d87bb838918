// SPDX-License-Identifier: GPL-3.0-or-later
#include "settingswriteguard.h"

#include "messagebox.h"
#include "qverror.h"

void SettingsWriteGuard::run(const std::function<void()> &write)
{
    try {
        write();
    } catch (const QvError &error) {
        if (m_warned)
            return;
        m_warned = true;
        qvMessageBox(error.description() +
                         QStringLiteral("\n\nПрограмма продолжит работу, но настройки не "
                                        "сохранятся, пока файл недоступен для записи."),
                     MsgBoxStyle::OkOnly | MsgBoxStyle::Exclamation, QString(), QString(), m_owner);
    }
}
