// SPDX-License-Identifier: GPL-3.0-or-later
#include "qvwindow.h"

#include "qverror.h"

#include <QApplication>
#include <QDir>
#include <QImageReader>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>

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

// The screen a window stands on, else the primary one; null without any.
const QScreen *screenOf(const QWidget *window)
{
    const QScreen *screen = window->screen();
    return screen != nullptr ? screen : QGuiApplication::primaryScreen();
}

} // namespace

void qvRegisterAppPath()
{
    // The launcher entry's id, so that a Wayland compositor matches the window to its entry and
    // icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.tessavo.Quillet"));
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
    const QScreen *screen = screenOf(window);
    if (screen == nullptr)
        return;
    // A top-level window's position is that of its frame.
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

void qvFitOnScreen(QWidget *window, QSize defaultSize)
{
    checkWindow(window, "qvFitOnScreen");
    const QScreen *screen = screenOf(window);
    if (screen == nullptr)
        return;
    const QRect available = screen->availableGeometry();

    const Qt::WindowStates states = window->windowState();
    const Qt::WindowStates enlarged = Qt::WindowMaximized | Qt::WindowFullScreen;
    const QRect normal = window->normalGeometry();
    if ((states & enlarged) != 0)
        window->setWindowState(states & ~enlarged);

    // The frame as far as it is known: the platform may know it before the window is shown.
    window->winId();
    const QMargins margins = window->windowHandle()->frameMargins();
    const QSize frame(margins.left() + margins.right(), margins.top() + margins.bottom());
    const QSize room = available.size() - frame;
    // In 64 bits: a damaged placement may hold corners whose distance no int holds.
    const qint64 width = qint64(normal.right()) - normal.left() + 1;
    const qint64 height = qint64(normal.bottom()) - normal.top() + 1;
    QSize size(int(std::clamp<qint64>(width, 0, room.width())),
               int(std::clamp<qint64>(height, 0, room.height())));
    if ((width > room.width() || height > room.height()) &&
        (size.width() < window->minimumWidth() || size.height() < window->minimumHeight()))
        size = defaultSize;
    // Then moved in as far as it goes; one wider or taller than the area keeps to its top left.
    const auto within = [](qint64 start, qint64 extent, qint64 first, qint64 last) {
        return int(std::max(first, std::min(start, last + 1 - extent)));
    };
    const int left = within(qint64(normal.left()) - margins.left(), size.width() + frame.width(),
                            available.left(), available.right());
    const int top = within(qint64(normal.top()) - margins.top(), size.height() + frame.height(),
                           available.top(), available.bottom());
    window->resize(size);
    window->move(left, top);

    if ((states & enlarged) != 0)
        window->setWindowState(states);
}

void qvUnloadForm(QWidget *window)
{
    checkWindow(window, "qvUnloadForm");
    window->close();
}
