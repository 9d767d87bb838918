#include "qvwindow.h"

#include "qverror.h"

#include <QApplication>
#include <QDir>
#include <QImageReader>
#include <QScreen>
#include <QWidget>
#include <QWindow>

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
    QSize size = normal.size();
    if (size.width() > room.width() || size.height() > room.height()) {
        size = size.boundedTo(room);
        if (size.width() < window->minimumWidth() || size.height() < window->minimumHeight())
            size = defaultSize;
    }
    QRect placed(normal.topLeft() - QPoint(margins.left(), margins.top()), size + frame);
    placed.moveLeft(
        qMax(available.left(), qMin(placed.left(), available.right() + 1 - placed.width())));
    placed.moveTop(
        qMax(available.top(), qMin(placed.top(), available.bottom() + 1 - placed.height())));
    window->resize(size);
    window->move(placed.topLeft());

    if ((states & enlarged) != 0)
        window->setWindowState(states);
}

void qvUnloadForm(QWidget *window)
{
    checkWindow(window, "qvUnloadForm");
    window->close();
}
