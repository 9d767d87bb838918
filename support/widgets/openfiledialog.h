// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFileDialog>
#include <QPointer>
#include <QString>
#include <QStringList>

// The system's open-file dialog for one existing file, made for one use.
class OpenFileDialog
{
public:
    // The full path of the file chosen; empty until Show has returned true.
    [[nodiscard]] QString FileName() const { return m_fileName; }

    void setOwnerHandle(QWidget *owner) { m_owner = owner; }
    // Pairs of a label and its patterns, all joined by "|": "Notes|*.VNT|All files|*.*". A
    // pattern's letters match either case, and "*.*" matches every file, also one without a dot.
    void setFilter(const QString &filter) { m_filter = filter; }
    void setOptions(QFileDialog::Options options) { m_options = options; }
    // Where the dialog starts; empty text leaves that to the dialog.
    void setInitialDirectory(const QString &directory) { m_initialDirectory = directory; }

    // Runs the dialog modally; true when the user chose a file.
    bool Show();

    // The filter as the dialog's name filters: "label (patterns)", patterns made
    // case-blind. Throws QvError for a label without patterns.
    [[nodiscard]] static QStringList nameFilters(const QString &filter);

private:
    QString m_fileName;
    QPointer<QWidget> m_owner;
    QString m_filter;
    QFileDialog::Options m_options;
    QString m_initialDirectory;
};
