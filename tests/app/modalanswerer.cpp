// SPDX-License-Identifier: GPL-3.0-or-later
#include "modalanswerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QProgressDialog>

namespace {

// As by the title bar's close button: a message box reports its escape button.
void dismiss(QWidget *modal)
{
    if (auto *dialog = qobject_cast<QDialog *>(modal);
        dialog && !qobject_cast<QMessageBox *>(modal))
        dialog->reject();
    else
        modal->close();
}

} // namespace

ModalAnswerer::ModalAnswerer()
{
    connect(&m_timer, &QTimer::timeout, this, &ModalAnswerer::poll);
    m_timer.start(10);
}

void ModalAnswerer::poll()
{
    QWidget *modal = QApplication::activeModalWidget();
    // A progress dialog closes by itself when its work ends: when it shows depends on the
    // machine's speed, so it is neither recorded nor answered.
    if (modal == nullptr || !modal->isVisible() || qobject_cast<QProgressDialog *>(modal))
        return;
    Seen record;
    record.widget = modal;
    record.className = QString::fromLatin1(modal->metaObject()->className());
    record.title = modal->windowTitle();
    if (auto *box = qobject_cast<QMessageBox *>(modal)) {
        record.text = box->text();
        record.detail = box->detailedText();
        record.icon = box->icon();
        for (QAbstractButton *button : box->buttons()) {
            if (box->standardButton(button) != QMessageBox::NoButton)
                record.buttons.append(box->standardButton(button));
        }
    } else if (auto *dialog = qobject_cast<QFileDialog *>(modal)) {
        record.directory = dialog->directory().absolutePath();
        record.nameFilters = dialog->nameFilters();
    }
    seen.append(record);

    Answer answer = dismiss;
    if (!m_answers.empty()) {
        answer = std::move(m_answers.front());
        m_answers.pop_front();
    }
    answer(modal);
}

ModalAnswerer::Answer ModalAnswerer::click(QMessageBox::StandardButton button,
                                           std::function<void()> before)
{
    return [button, before = std::move(before)](QWidget *modal) {
        if (before)
            before();
        auto *box = qobject_cast<QMessageBox *>(modal);
        if (box == nullptr || box->button(button) == nullptr) {
            qWarning("Not a box with that button");
            dismiss(modal);
            return;
        }
        box->button(button)->click();
    };
}

ModalAnswerer::Answer ModalAnswerer::pickFile(const QString &path, std::function<void()> after)
{
    return [path, after = std::move(after)](QWidget *modal) {
        auto *dialog = qobject_cast<QFileDialog *>(modal);
        if (dialog == nullptr) {
            qWarning("Not a file dialog");
            dismiss(modal);
            return;
        }
        // Typed into the name field: selectFile leaves it alone while it has the focus.
        dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(path);
        // Through the base class: QFileDialog hides its accept, which checks the choice.
        static_cast<QDialog *>(dialog)->accept();
        if (after)
            after();
    };
}
