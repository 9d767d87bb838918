// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMessageBox>
#include <QPixmap>
#include <QPointer>
#include <QString>

class QWidget;
struct AppInfo;

// The program's About box. One box object serves the whole run: it is made at the first Show
// and kept, unless its owner window goes, which takes the box with it.
class AboutBox
{
public:
    static AboutBox &shared();

    // Shows, modally over `owner`, the program's name and version, `extra` when given, and the
    // dedication; `picture` replaces the application's icon when it is not null.
    void Show(QWidget *owner, const AppInfo &app, const QString &extra, const QPixmap &picture,
              const QString &dedication);

    // The box object, once made.
    [[nodiscard]] QMessageBox *box() const { return m_box; }

private:
    QPointer<QMessageBox> m_box;
};
