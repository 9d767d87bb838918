// SPDX-License-Identifier: GPL-3.0-or-later
// The viewer started as `quillet FILE` starts, with a probe: at the first paint of the body
// field after the note has been loaded, it reports the time and quits. With --escape it presses
// Escape in the body field instead of quitting, and reports when the window has gone. With
// --list the note list is shown from the start, as its setting says; without, it is not.
//
//     quillet-bench-viewer [--escape] [--list] FILE

#include "appinfo.h"
#include "frmmain.h"
#include "modmain.h"
#include "quilletapplication.h"
#include "settingsstore.h"
#include "shownprobe.h"

#include <QKeyEvent>
#include <QPlainTextEdit>

#include <cstdio>

namespace {

// Reports "closed NS" when the window it watches is hidden.
class ClosedProbe : public QObject
{
public:
    explicit ClosedProbe(QWidget *window) : QObject(window) { window->installEventFilter(this); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Hide && watched == parent()) {
            std::printf("closed %lld\n", ShownProbe::now());
            std::fflush(stdout);
        }
        return QObject::eventFilter(watched, event);
    }
};

void pressEscape(frmMain *window)
{
    new ClosedProbe(window);
    window->activateWindow();
    window->txtBody->setFocus();
    QCoreApplication::postEvent(window->txtBody,
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    QCoreApplication::postEvent(window->txtBody,
                                new QKeyEvent(QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier));
}

} // namespace

int main(int argc, char *argv[])
{
    QuilletApplication application(argc, argv);
    QuilletApplication::configure();
    QStringList arguments = QApplication::arguments().mid(1);
    const bool escape = arguments.removeAll(QStringLiteral("--escape")) > 0;
    const bool list = arguments.removeAll(QStringLiteral("--list")) > 0;
    const QString file = arguments.value(0);
    const int status = QuilletApplication::run([escape, list, file] {
        SettingsStore().WriteValue(QString(), QStringLiteral("Note list"), SettingsStore::Boolean,
                                   list, AppInfo::current());
        Main();
        frmMain *window = MainForm();
        window->setCommandLineSource([file] { return file; });
        // Loaded: the title names the file once the note has been accepted.
        new ShownProbe(
            window->txtBody->viewport(),
            [window] { return window->view().title != NoteView::emptyTitle(); },
            escape ? std::function<void()>([window] { pressEscape(window); })
                   : std::function<void()>());
        return QApplication::exec();
    });
    EndMain(); // the window goes before the application object, as in the viewer
    return status;
}
