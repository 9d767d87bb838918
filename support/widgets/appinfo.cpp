// SPDX-License-Identifier: GPL-3.0-or-later
#include "appinfo.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {

struct Identity
{
    QString productName;
    QString title;
};

Identity &identity()
{
    static Identity value;
    return value;
}

} // namespace

AppInfo AppInfo::current()
{
    AppInfo info;
    const QString name = QCoreApplication::applicationName();
    info.productName = identity().productName.isEmpty() ? name : identity().productName;
    info.title = identity().title.isEmpty() ? info.productName : identity().title;
    info.companyName = QCoreApplication::organizationName();
    info.exeName = name;
    info.version = QCoreApplication::applicationVersion();
    if (QCoreApplication::instance() != nullptr) {
        const QFileInfo executable(QCoreApplication::applicationFilePath());
        info.exeName = executable.completeBaseName();
        info.path = executable.absolutePath();
    }
    return info;
}

void AppInfo::setIdentity(const QString &productName, const QString &title)
{
    identity() = Identity{productName, title};
}
