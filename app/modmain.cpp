// SPDX-License-Identifier: GPL-3.0-or-later
#include "modmain.h"

#include "frmmain.h"
#include "qvwindow.h"

#include <memory>

namespace {

std::unique_ptr<frmMain> &mainForm()
{
    static std::unique_ptr<frmMain> form;
    return form;
}

} // namespace

void Main()
{
    qvRegisterAppPath();
    // Qt's widgets need no initialising beyond the application object.
    if (!qvIsInIDE())
        qvSetWindowResIconAll(qvGetThunderMainHandle(), QStringLiteral("A_MAIN"));
    if (mainForm() == nullptr)
        mainForm() = std::make_unique<frmMain>();
    mainForm()->show();
}

frmMain *MainForm()
{
    return mainForm().get();
}

void EndMain()
{
    mainForm().reset();
}
