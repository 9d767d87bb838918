// SPDX-License-Identifier: GPL-3.0-or-later
#include "boxmessagesink.h"

#include "messagebox.h"

void BoxMessageSink::showCritical(const QString &message)
{
    qvMessageBox(message, MsgBoxStyle::OkOnly | MsgBoxStyle::Critical, QString(), QString(),
                 m_owner);
}
