// SPDX-License-Identifier: GPL-3.0-or-later
// File > Export...: the note on show saved as text, Markdown, JSON, HTML or ENEX, written as
// the companion writes them.

#include "exportwriter.h"
#include "frmmain.h"
#include "messagebox.h"
#include "notefilecheck.h"
#include "notetitle.h"
#include "qvtext.h"
#include "savedfile.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>

#include <array>

namespace {

struct ExportChoice
{
    const char16_t *filter;
    const char16_t *suffix;
    ExportFormat format;
};

constexpr std::array<ExportChoice, 5> Choices{{
    {u"Текст (*.txt)", u"txt", ExportFormat::Text},
    {u"Markdown (*.md)", u"md", ExportFormat::Markdown},
    {u"JSON (*.json)", u"json", ExportFormat::Json},
    {u"HTML (*.html)", u"html", ExportFormat::Html},
    {u"ENEX (*.enex)", u"enex", ExportFormat::Enex},
}};

} // namespace

void frmMain::ExportShownNote()
{
    // An emptied view keeps the file last tried, but there is no note to export.
    if (m_view.title == NoteView::emptyTitle() || m_lastTried.isEmpty())
        return;
    const QString name = qvGetFileName(m_lastTried);

    QFileDialog dialog(this, QStringLiteral("Экспорт заметки"));
    dialog.setAcceptMode(QFileDialog::AcceptSave); // asks before replacing a file
    QStringList filters;
    for (const ExportChoice &choice : Choices)
        filters.append(QString::fromUtf16(choice.filter));
    dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(QString::fromUtf16(Choices[0].suffix));
    connect(&dialog, &QFileDialog::filterSelected, &dialog,
            [&dialog, filters](const QString &filter) {
                const qsizetype chosen = filters.indexOf(filter);
                if (chosen >= 0)
                    dialog.setDefaultSuffix(QString::fromUtf16(Choices[size_t(chosen)].suffix));
            });
    dialog.selectFile(fileStem(name));
    QString path;
    for (;;) {
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return;
        path = dialog.selectedFiles().front();
        if (!isNoteFile(path))
            break;
        qvMessageBox(QStringLiteral("Нельзя сохранить поверх файла заметки: %1").arg(path),
                     MsgBoxStyle::OkOnly | MsgBoxStyle::Exclamation, {}, {}, this);
        // Asked again as it was left: the same folder, name and file type.
        const QFileInfo chosen(path);
        dialog.setDirectory(chosen.absolutePath());
        dialog.selectFile(chosen.fileName());
    }

    // The format the name's suffix says, else the file type chosen.
    auto chosen = std::max<qsizetype>(filters.indexOf(dialog.selectedNameFilter()), 0);
    for (size_t i = 0; i < Choices.size(); ++i) {
        if (path.endsWith(u'.' + QString::fromUtf16(Choices[i].suffix), Qt::CaseInsensitive))
            chosen = qsizetype(i);
    }
    ExportSettings settings;
    settings.format = Choices[size_t(chosen)].format;
    settings.exportDate = QDateTime::currentDateTimeUtc();
    settings.application = QStringLiteral("Quillet");
    settings.version = QCoreApplication::applicationVersion();
    ExportedNote note;
    note.file = name;
    if (!m_notesOfFile.isEmpty()) { // read leniently: which of the file's notes this is
        settings.lenient = true;
        note.index = int(m_noteOfFile) + 1;
        note.count = int(m_notesOfFile.size());
    }
    note.accepted = true;
    note.view = m_view;
    const QString failure = saveFile(path, ExportWriter(settings).document(note));
    if (!failure.isEmpty())
        qvMessageBox(failure, MsgBoxStyle::OkOnly | MsgBoxStyle::Critical, {}, {}, this);
}
