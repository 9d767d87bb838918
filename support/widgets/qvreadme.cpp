// SPDX-License-Identifier: GPL-3.0-or-later
#include "qvreadme.h"

#include "messagebox.h"
#include "qvwindow.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QScreen>
#include <QShortcut>
#include <QTextBrowser>
#include <QUrl>

#include <algorithm>

namespace {

// The guide is a few dozen kilobytes; anything far larger in its place is not the guide.
constexpr qint64 MaxGuideSize = qint64(4) * 1024 * 1024;
constexpr QSize GuideWindowSize(760, 600);

QPointer<QTextBrowser> &guideWindow()
{
    static QPointer<QTextBrowser> window;
    return window;
}

// Why the guide at `path` cannot be shown; empty when it can.
QString problemWith(const QString &path)
{
    if (!QFileInfo(path).isFile())
        return QStringLiteral("Это не обычный файл.");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString();
    if (file.size() > MaxGuideSize)
        return QStringLiteral("Файл больше %1 МиБ.").arg(MaxGuideSize / (1024 * 1024));
    return {};
}

QTextBrowser *makeGuideWindow(QWidget *owner)
{
    auto *window = new QTextBrowser(owner);
    window->setWindowFlag(Qt::Window);
    window->setOpenExternalLinks(true);
    auto *close = new QShortcut(QKeySequence(Qt::Key_Escape), window);
    QObject::connect(close, &QShortcut::activated, window, &QWidget::close);
    QSize size = GuideWindowSize;
    if (const QScreen *screen = window->screen())
        size = size.boundedTo(screen->availableGeometry().size() * 9 / 10);
    window->resize(size);
    qvCenterFormEx(window);
    return window;
}

} // namespace

QStringList qvReadMeCandidates()
{
    return {QDir::cleanPath(QCoreApplication::applicationDirPath() + u'/' +
                            QStringLiteral(QV_README_FROM_BINDIR)),
            QStringLiteral(QV_README_IN_SOURCE)};
}

bool qvOpenReadMeFile(const QStringList &candidates, QWidget *owner)
{
    const auto found = std::find_if(candidates.begin(), candidates.end(),
                                    [](const QString &path) { return QFileInfo::exists(path); });
    if (found == candidates.end()) {
        qvMessageBox(QStringLiteral("Руководство пользователя не найдено. Искали:\n%1")
                         .arg(candidates.join(u'\n')),
                     MsgBoxStyle::OkOnly | MsgBoxStyle::Exclamation, QString(), QString(), owner);
        return false;
    }
    const QString path = QFileInfo(*found).absoluteFilePath();
    const QString problem = problemWith(path);
    if (!problem.isEmpty()) {
        qvMessageBox(QStringLiteral("Не удалось открыть руководство пользователя:\n%1\n\n%2")
                         .arg(path, problem),
                     MsgBoxStyle::OkOnly | MsgBoxStyle::Exclamation, QString(), QString(), owner);
        return false;
    }

    if (owner == nullptr)
        owner = QApplication::activeWindow();
    QPointer<QTextBrowser> &window = guideWindow();
    if (window == nullptr)
        window = makeGuideWindow(owner);
    // The browser follows the guide's own links and anchors from its source.
    const QUrl source = QUrl::fromLocalFile(path);
    if (window->source() == source)
        window->reload();
    else
        window->setSource(source, QTextDocument::HtmlResource);
    const QString title = window->documentTitle();
    window->setWindowTitle(title.isEmpty() ? QFileInfo(path).fileName() : title);
    window->show();
    window->raise();
    window->activateWindow();
    return true;
}

QTextBrowser *qvReadMeWindow()
{
    return guideWindow();
}
