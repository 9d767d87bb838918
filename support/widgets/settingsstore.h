// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSize>
#include <QString>
#include <QVariant>

class QWidget;
struct AppInfo;

// The program's settings: an INI file in the user's configuration folder, one per program
// (named after the company and the product of `AppInfo`). A store object keeps nothing
// between operations: each one opens the file, and each write is on disk when it returns.
//
// A value that cannot be read as its kind (a damaged or hand-edited file) reads as the default.
// A write that cannot be stored throws QvError.
class SettingsStore
{
public:
    // What a value is read and written as.
    enum Kind { Text = 0, Number = 2, Boolean = 3, TextList = 4 };

    // The value under `name` in `section` (the empty text: no section), or `defaultValue` when
    // nothing readable as `kind` is stored.
    [[nodiscard]] QVariant ReadValue(const QString &section, const QString &name, int kind,
                                     const AppInfo &app, const QVariant &defaultValue) const;
    void WriteValue(const QString &section, const QString &name, int kind, const QVariant &value,
                    const AppInfo &app);

    // The window's place, size and state. Restoring one that lies off every screen, or is larger
    // than the screen, brings the window within the screen; with nothing usable stored, the window
    // keeps its place and takes `defaultSize`.
    void SaveWindowPlacement(const QWidget *window, const QString &section, const QString &name,
                             const AppInfo &app);
    void RestoreWindowPlacement(QWidget *window, const QString &section, const QString &name,
                                const AppInfo &app, QSize defaultSize) const;

    // The file that holds the program's settings.
    [[nodiscard]] static QString fileName(const AppInfo &app);

    // A stored value as `kind`: an invalid QVariant when it cannot be read as one.
    [[nodiscard]] static QVariant convert(const QVariant &stored, int kind);
};
