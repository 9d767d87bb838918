// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "frmmain.h"

#include <QTemporaryDir>

#include <memory>

// What every widget test needs: the program's identity, settings in a temporary folder (never
// the user's), and a scratch folder for notes.
class AppFixture
{
public:
    AppFixture();

    [[nodiscard]] static QString settingsFile();
    [[nodiscard]] QString file(const QString &name) const { return m_dir.filePath(name); }
    // Writes `content` to `name` (folders made as needed) and returns its path.
    QString writeFile(const QString &name, const QByteArray &content) const;

    // A shown main window whose command line is `commandLine`, after its timer has ticked.
    static std::unique_ptr<frmMain> showWindow(const QString &commandLine = QString());

private:
    QTemporaryDir m_dir;
};

// A small accepted note: VERSION `version`, both stamps, the body "Привет".
QByteArray sampleNote(const QByteArray &version = "1.1");

// An accepted note whose body is `body`, every octet escaped as phones write it.
QByteArray noteWithBody(const QString &body);

// The bytes of the file at `path`; none when it cannot be read.
QByteArray readAll(const QString &path);
