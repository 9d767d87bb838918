// SPDX-License-Identifier: GPL-3.0-or-later
// File > Export...: the note on show saved as text, Markdown, JSON, HTML or ENEX, written as
// the companion writes them.

#include "appinfo.h"
#include "exportwriter.h"
#include "frmmain.h"
#include "messagebox.h"
#include "notefilecheck.h"
#include "notetitle.h"
#include "outputnames.h"
#include "qvtext.h"
#include "savedfile.h"
#include "settingsstore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStatusBar>

#include <array>

namespace {

struct ExportChoice
{
    const char16_t *filter;
    const char16_t *suffix;
    ExportFormat format;
    const char16_t *name; // as the companion names it, and as it is remembered
};

constexpr std::array<ExportChoice, 5> Choices{{
    {u"Текст (*.txt)", u"txt", ExportFormat::Text, u"text"},
    {u"Markdown (*.md)", u"md", ExportFormat::Markdown, u"markdown"},
    {u"JSON (*.json)", u"json", ExportFormat::Json, u"json"},
    {u"HTML (*.html)", u"html", ExportFormat::Html, u"html"},
    {u"ENEX (*.enex)", u"enex", ExportFormat::Enex, u"enex"},
}};

const QString NoSection;
const QString LastDirectoryName = QStringLiteral("Last export directory");
const QString LastFormatName = QStringLiteral("Last export format");

// The choice remembered from the last export; the first when none is.
size_t rememberedChoice()
{
    const QString name = SettingsStore()
                             .ReadValue(NoSection, LastFormatName, SettingsStore::Text,
                                        AppInfo::current(), QString())
                             .toString();
    for (size_t i = 0; i < Choices.size(); ++i) {
        if (name == QString::fromUtf16(Choices[i].name))
            return i;
    }
    return 0;
}

} // namespace

void frmMain::ExportShownNote()
{
    // An emptied view keeps the file last tried, but there is no note to export.
    if (m_view.title == NoteView::emptyTitle() || m_lastTried.isEmpty())
        return;
    const QString name = qvGetFileName(m_lastTried);

    const size_t remembered = rememberedChoice();
    QFileDialog dialog(this, QStringLiteral("Экспорт заметки"));
    dialog.setAcceptMode(QFileDialog::AcceptSave); // asks before replacing a file
    QStringList filters;
    for (const ExportChoice &choice : Choices)
        filters.append(QString::fromUtf16(choice.filter));
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters[qsizetype(remembered)]);
    dialog.setDefaultSuffix(QString::fromUtf16(Choices[remembered].suffix));
    connect(&dialog, &QFileDialog::filterSelected, &dialog,
            [&dialog, filters](const QString &filter) {
                const qsizetype chosen = filters.indexOf(filter);
                if (chosen >= 0)
                    dialog.setDefaultSuffix(QString::fromUtf16(Choices[size_t(chosen)].suffix));
            });
    // In the folder of the last export, else in the note's; named by the note's title.
    const QString folder = lastExportFolder();
    dialog.setDirectory(folder.isEmpty() ? QFileInfo(m_lastTried).absolutePath() : folder);
    dialog.selectFile(noteFileName(noteTitle(m_view.txtBody, m_lastTried),
                                   u'.' + QString::fromUtf16(Choices[remembered].suffix)));
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
    // The file bears the note's time, as the companion's files of their own do.
    const QString failure = saveFile(path, ExportWriter(settings).document(note), noteMoment(note));
    if (!failure.isEmpty()) {
        qvMessageBox(failure, MsgBoxStyle::OkOnly | MsgBoxStyle::Critical, {}, {}, this);
        return;
    }
    rememberExportFolder(QFileInfo(path).absolutePath());
    m_settingsWrites.run([&] {
        SettingsStore().WriteValue(NoSection, LastFormatName, SettingsStore::Text,
                                   QString::fromUtf16(Choices[size_t(chosen)].name),
                                   AppInfo::current());
    });
    statusBar()->showMessage(QStringLiteral("Сохранено: ") + QDir::toNativeSeparators(path));
}

QString frmMain::lastExportFolder()
{
    const QString folder = SettingsStore()
                               .ReadValue(NoSection, LastDirectoryName, SettingsStore::Text,
                                          AppInfo::current(), QString())
                               .toString();
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QString();
}

void frmMain::rememberExportFolder(const QString &folder)
{
    m_settingsWrites.run([&] {
        SettingsStore().WriteValue(NoSection, LastDirectoryName, SettingsStore::Text, folder,
                                   AppInfo::current());
    });
}
