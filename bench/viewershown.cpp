// SPDX-License-Identifier: GPL-3.0-or-later
// The viewer started as `quillet FILE` starts, with a probe: at the first paint of the body
// field after the note has been loaded, it reports the time and quits.
//
//     quillet-bench-viewer FILE

#include "frmmain.h"
#include "modmain.h"
#include "quilletapplication.h"
#include "shownprobe.h"

#include <QPlainTextEdit>

int main(int argc, char *argv[])
{
    QuilletApplication application(argc, argv);
    QuilletApplication::configure();
    const int status = QuilletApplication::run([] {
        Main();
        frmMain *window = MainForm();
        // Loaded: the title names the file once the note has been accepted.
        new ShownProbe(window->txtBody->viewport(),
                       [window] { return window->view().title != NoteView::emptyTitle(); });
        return QApplication::exec();
    });
    EndMain(); // the window goes before the application object, as in the viewer
    return status;
}
