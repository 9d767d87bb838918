// SPDX-License-Identifier: GPL-3.0-or-later
#include "qvwindow.h"

#include "qverror.h"

#include <QApplication>
#include <QDir>
#include <QImageReader>
#include <QScreen>
#include <QWidget>

namespace {

// The number of a lookup of a resource that the program does not have.
constexpr int ResourceNotFound = 326;

// Where the icon groups lie in the program's resources: one folder per group, one file per size.
QString iconGroupFolder(const QString &name)
{
    return QStringLiteral(":/icons/") + name;
}

void checkWindow(const void *window, const char *operation)
{
    if (window == nullptr)
        throw QvError(QvInvalidArgument,
                      QStringLiteral("%1: окно не задано").arg(QString::fromLatin1(operation)));
}

} // namespace

void qvRegisterAppPath()
{
    QGuiApplication::setDesktopFileName(QCoreApplication::applicationName());
}

bool qvIsInIDE()
{
    return qEnvironmentVariable("QUILLET_IN_IDE") == u"1";
}

QGuiApplication *qvGetThunderMainHandle()
{
    return qobject_cast<QGuiApplication *>(QCoreApplication::instance());
}

QIcon qvResIcon(const QString &name)
{
    const QDir group(iconGroupFolder(name));
    const bool vectorsReadable = QImageReader::supportedImageFormats().contains("svg");
    QIcon icon;
    if (!name.isEmpty()) {
        for (const QString &file : group.entryList(QDir::Files, QDir::Name)) {
            if (file.endsWith(u".svg", Qt::CaseInsensitive) && !vectorsReadable)
                continue;
            icon.addFile(group.filePath(file));
        }
    }
    if (icon.availableSizes().isEmpty())
        throw QvError(ResourceNotFound,
                      QStringLiteral("Значок \"%1\" не найден в ресурсах программы").arg(name));
    return icon;
}

void qvSetWindowResIconAll(QWidget *window, const QString &name)
{
    checkWindow(window, "qvSetWindowResIconAll");
    window->setWindowIcon(qvResIcon(name));
}

void qvSetWindowResIconAll(QGuiApplication *application, const QString &name)
{
    checkWindow(application, "qvSetWindowResIconAll");
    QGuiApplication::setWindowIcon(qvResIcon(name));
}

void qvCenterFormEx(QWidget *window)
{
    checkWindow(window, "qvCenterFormEx");
    const QScreen *screen = window->screen();
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    // A top-level window's position is that of its frame.
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

void qvUnloadForm(QWidget *window)
{
    checkWindow(window, "qvUnloadForm");
    window->close();
}
