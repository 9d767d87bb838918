// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include <deque>
#include <functional>

// Answers the modal boxes and dialogs that the code under test opens, in the order queued, and
// records what each showed. One without a queued answer is closed, so no test waits on a box; a
// progress dialog is left to close by itself.
class ModalAnswerer : public QObject
{
public:
    using Answer = std::function<void(QWidget *)>;

    struct Seen
    {
        QPointer<QWidget> widget;
        QString className, title, text, detail;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QList<QMessageBox::StandardButton> buttons;
        // A file dialog's starting directory and filters.
        QString directory;
        QStringList nameFilters;
    };

    ModalAnswerer();
    void queue(Answer answer) { m_answers.push_back(std::move(answer)); }

    // Runs `before` (e.g. making a file appear), then clicks.
    static Answer click(QMessageBox::StandardButton button, std::function<void()> before = {});
    static Answer pickFile(const QString &path, std::function<void()> after = {});

    QList<Seen> seen;

private:
    void poll();

    QTimer m_timer;
    std::deque<Answer> m_answers;
};
