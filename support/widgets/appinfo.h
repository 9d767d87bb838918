// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The running program as the settings store, the About box and the message boxes name it.
// Fetch it anew for each use: it reflects the application object at that moment.
struct AppInfo
{
    // The caption of message boxes that are given none of their own.
    QString title;
    QString productName;
    QString companyName;
    // The executable's base name and folder.
    QString exeName;
    QString path;
    QString version;

    [[nodiscard]] static AppInfo current();

    // What the application object does not know: set once at start-up.
    static void setIdentity(const QString &productName, const QString &title);
};
