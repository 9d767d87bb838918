// SPDX-License-Identifier: GPL-3.0-or-later
// quillet: the vNote viewer.

#include "modmain.h"
#include "quilletapplication.h"

int main(int argc, char *argv[])
{
    QuilletApplication application(argc, argv);
    QuilletApplication::configure();
    const int status = QuilletApplication::run([] {
        Main();
        // A failure reported while the window was shown leaves no loop to run.
        return QuilletApplication::hasFailed() ? QuilletApplication::UnhandledFailureStatus
                                               : QApplication::exec();
    });
    EndMain();
    return status;
}
