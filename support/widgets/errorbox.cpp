// SPDX-License-Identifier: GPL-3.0-or-later
#include "errorbox.h"

#include "messagebox.h"
#include "qverror.h"

ErrorBox &ErrorBox::shared()
{
    static ErrorBox box;
    return box;
}

int ErrorBox::Show(const QvError &errorState, int style, const QString &message) const
{
    return qvMessageBox(message, style, QString(), describe(errorState));
}

QString ErrorBox::describe(const QvError &errorState)
{
    // In one step: a description that holds "%1" (a path, say) is shown as it is.
    return QStringLiteral("%1\nКод ошибки: %2")
        .arg(errorState.description(), QString::number(errorState.number()));
}
