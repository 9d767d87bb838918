// SPDX-License-Identifier: GPL-3.0-or-later
#include "exportalldialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

ExportAllDialog::ExportAllDialog(int destination, bool filtering, QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Экспорт всех заметок"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Куда переносите заметки?"), this));
    // The choices share this dialog as their parent: one of them is checked at a time.
    for (const ExportDestination &choice : ExportDestinations) {
        auto *option = new QRadioButton(QString::fromUtf16(choice.caption), this);
        optDestination.append(option);
        layout->addWidget(option);
        // The hint stands under its choice, indented as its text is.
        auto *hint = new QLabel(QString::fromUtf16(choice.hint), this);
        hint->setEnabled(false);
        hint->setContentsMargins(option->sizeHint().height(), 0, 0, 0);
        layout->addWidget(hint);
    }
    optDestination.value(destination, optDestination.front())->setChecked(true);

    layout->addSpacing(6);
    chkSubfolders = new QCheckBox(QStringLiteral("С подпапками"), this);
    layout->addWidget(chkSubfolders);
    chkFoundOnly = new QCheckBox(QStringLiteral("Только найденные"), this);
    chkFoundOnly->setVisible(filtering);
    layout->addWidget(chkFoundOnly);
    // The found notes are those of the folder itself: its subfolders are not listed.
    connect(chkFoundOnly, &QCheckBox::toggled, chkSubfolders,
            [this](bool on) { chkSubfolders->setEnabled(!on); });

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Экспорт"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отмена"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

int ExportAllDialog::destination() const
{
    for (qsizetype i = 0; i < optDestination.size(); ++i) {
        if (optDestination[i]->isChecked())
            return int(i);
    }
    return 0;
}
