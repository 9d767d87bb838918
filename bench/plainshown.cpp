// SPDX-License-Identifier: GPL-3.0-or-later
// The yardstick for showing a large note: QPlainTextEdit alone, showing a UTF-8 text file.
//
//     quillet-bench-plain FILE

#include "shownprobe.h"

#include <QApplication>
#include <QFile>
#include <QPlainTextEdit>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QFile file(QApplication::arguments().value(1));
    if (!file.open(QIODevice::ReadOnly))
        return 2;
    QPlainTextEdit edit;
    edit.setReadOnly(true);
    edit.resize(385, 313);
    edit.setPlainText(QString::fromUtf8(file.readAll()));
    new ShownProbe(edit.viewport(), [] { return true; });
    edit.show();
    return QApplication::exec();
}
