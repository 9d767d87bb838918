#include "qvcommandline.h"

#include <QCoreApplication>

QString qvCommandLine()
{
    return qvCommandLine(QCoreApplication::arguments());
}

QString qvCommandLine(const QStringList &arguments)
{
    return arguments.mid(1).join(u' ');
}
