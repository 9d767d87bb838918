// SPDX-License-Identifier: GPL-3.0-or-later
#include "qvcommandline.h"

#include "qvfilename.h"

#include <QCoreApplication>
#include <QFile>

QString qvCommandLine()
{
    // Qt decodes the arguments lossily; the process's own argument bytes are still there.
    QFile native(QStringLiteral("/proc/self/cmdline"));
    const QByteArray bytes = native.open(QIODevice::ReadOnly) ? native.readAll() : QByteArray();
    return qvCommandLine(qvNativeArguments(bytes, QCoreApplication::arguments()));
}

QString qvCommandLine(const QStringList &arguments)
{
    return arguments.mid(1).join(u' ');
}
