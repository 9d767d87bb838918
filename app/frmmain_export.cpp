// SPDX-License-Identifier: GPL-3.0-or-later
// File > Export...: the note on show saved as text, Markdown or JSON, written as the companion
// writes them.

#include "exportwriter.h"
#include "frmmain.h"
#include "messagebox.h"
#include "notetitle.h"
#include "savedfile.h"

#include <QFileDialog>

#include <array>

namespace {

struct ExportChoice
{
    const char16_t *filter;
    const char16_t *suffix;
    ExportFormat format;
};

constexpr std::array<ExportChoice, 3> Choices{{
    {u"Текст (*.txt)", u"txt", ExportFormat::Text},
    {u"Markdown (*.md)", u"md", ExportFormat::Markdown},
    {u"JSON (*.json)", u"json", ExportFormat::Json},
}};

// The note file's name, as the title shows it: "Quillet [memo.vnt]", with " (2/3)" after it
// for a note of several in one file.
QString shownFileName(const QString &title)
{
    const QString prefix = NoteView::emptyTitle() + QStringLiteral(" [");
    const qsizetype close = title.lastIndexOf(u']');
    return title.startsWith(prefix) && close > prefix.size()
               ? title.sliced(prefix.size(), close - prefix.size())
               : QString();
}

} // namespace

void frmMain::ExportShownNote()
{
    const QString name = shownFileName(m_view.title);
    if (name.isEmpty())
        return; // no note on show

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
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;

    // The format the name's suffix says, else the file type chosen.
    const QString path = dialog.selectedFiles().front();
    auto chosen = std::max<qsizetype>(filters.indexOf(dialog.selectedNameFilter()), 0);
    for (size_t i = 0; i < Choices.size(); ++i) {
        if (path.endsWith(u'.' + QString::fromUtf16(Choices[i].suffix), Qt::CaseInsensitive))
            chosen = qsizetype(i);
    }
    ExportSettings settings;
    settings.format = Choices[size_t(chosen)].format;
    ExportedNote note;
    note.file = name;
    note.accepted = true;
    note.view = m_view;
    const QString failure =
        saveFile(path, ExportWriter(settings).document(note), QDateTime(), true);
    if (!failure.isEmpty())
        qvMessageBox(failure, MsgBoxStyle::OkOnly | MsgBoxStyle::Critical, {}, {}, this);
}
