// SPDX-License-Identifier: GPL-3.0-or-later
// File > Экспорт всех заметок...: every note of the list's folder, for the application the user
// moves them to, written off the user-interface thread through the companion's export library.

#include "appinfo.h"
#include "backgroundjob.h"
#include "batchexport.h"
#include "exportalldialog.h"
#include "frmmain.h"
#include "messagebox.h"
#include "notefilecheck.h"
#include "notelistpanel.h"
#include "settingsstore.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QSet>
#include <QUrl>

#include <atomic>
#include <memory>

namespace {

const QString NoSection;
const QString DestinationName = QStringLiteral("Export destination");

QString progressText(qsizetype done, qsizetype total)
{
    return QStringLiteral("Экспорт заметок: %1 из %2").arg(done).arg(total);
}

} // namespace

void frmMain::ExportAllNotes()
{
    if (m_view.title == NoteView::emptyTitle() || m_lastTried.isEmpty())
        return;
    // The list's folder; with the list hidden, that of the note on show.
    const bool listed = !pnlNotes->isHidden() && !pnlNotes->folder().isEmpty();
    const QString folder = listed ? pnlNotes->folder() : QFileInfo(m_lastTried).absolutePath();
    const bool filtering = listed && !pnlNotes->query().isEmpty();

    SettingsStore store;
    const int remembered =
        store.ReadValue(NoSection, DestinationName, SettingsStore::Number, AppInfo::current(), 0)
            .toInt();
    ExportAllDialog options(remembered, filtering, this);
    if (options.exec() != QDialog::Accepted)
        return;
    const int chosen = options.destination();
    m_settingsWrites.run([&] {
        store.WriteValue(NoSection, DestinationName, SettingsStore::Number, chosen,
                         AppInfo::current());
    });
    const ExportDestination &destination = ExportDestinations.at(size_t(chosen));
    const bool foundOnly = filtering && options.chkFoundOnly->isChecked();
    const QString target = pickExportTarget(destination, folder);
    if (target.isEmpty())
        return;

    BatchOptions batch;
    batch.settings.format = destination.format;
    batch.settings.lenient = LenientLayouts;
    batch.settings.exportDate = QDateTime::currentDateTimeUtc();
    batch.settings.application = QStringLiteral("Quillet");
    batch.settings.version = QCoreApplication::applicationVersion();
    batch.display = readingOptions().display;
    batch.destination = target;
    batch.toFolder = destination.folder;
    ExportInputs inputs = collectInputs({folder}, options.chkSubfolders->isChecked() && !foundOnly);
    if (foundOnly) {
        // The rows that the filter let through: notes by their place in their file.
        auto found = std::make_shared<QSet<QPair<QString, int>>>();
        QSet<QString> files;
        const NoteListModel &rows = pnlNotes->model();
        for (int row = 0; row < rows.rowCount(); ++row) {
            if (rows.isMatched(row)) {
                found->insert({rows.row(row).path, rows.row(row).note + 1});
                files.insert(rows.row(row).path);
            }
        }
        // A file read leniently may hold notes that the filter did not find.
        batch.wanted = [found](const QString &path, int index) {
            return found->contains({path, index});
        };
        inputs.notes.removeIf(
            [&files](const ExportInput &input) { return !files.contains(input.path); });
    }

    if (destination.folder) {
        const qsizetype taken =
            countTakenNames(inputs.notes, target, exportFileExtension(destination.format));
        if (taken > 0) {
            QMessageBox ask(QMessageBox::Question, windowTitle(),
                            QStringLiteral("В папке уже есть файлы с такими именами: %1. "
                                           "Заменить их?")
                                .arg(taken),
                            QMessageBox::NoButton, this);
            QPushButton *replace = ask.addButton(QStringLiteral("Заменить"), QMessageBox::YesRole);
            QPushButton *skip = ask.addButton(QStringLiteral("Пропустить"), QMessageBox::NoRole);
            QPushButton *cancel = ask.addButton(QStringLiteral("Отмена"), QMessageBox::RejectRole);
            ask.setDefaultButton(skip);
            ask.setEscapeButton(cancel);
            ask.exec();
            if (ask.clickedButton() != replace && ask.clickedButton() != skip)
                return;
            batch.replace = ask.clickedButton() == replace;
        }
    }

    const BatchResult result = runBatch(inputs.notes, batch);
    QStringList skipped = inputs.problems + result.skipped;
    QMessageBox summary(QMessageBox::Information, QStringLiteral("Экспорт всех заметок"),
                        QStringLiteral("Сохранено заметок: %1. Пропущено: %2.")
                            .arg(result.saved)
                            .arg(skipped.size()),
                        QMessageBox::Ok, this);
    if (!skipped.isEmpty())
        summary.setDetailedText(skipped.join(u'\n'));
    const QString shownFolder = destination.folder ? target : QFileInfo(target).absolutePath();
    QPushButton *open = summary.addButton(QStringLiteral("Открыть папку"), QMessageBox::ActionRole);
    summary.exec();
    if (summary.clickedButton() == open)
        openFolderUrl(QUrl::fromLocalFile(shownFolder));
}

QString frmMain::pickExportTarget(const ExportDestination &destination, const QString &notes)
{
    const QString last = lastExportFolder();
    const QString start = last.isEmpty() ? notes : last;
    QFileDialog dialog(this, QStringLiteral("Экспорт всех заметок"));
    dialog.setDirectory(start);
    if (destination.folder) {
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptSave); // asks before replacing a file
        dialog.setNameFilter(QString::fromUtf16(destination.filter));
        const QString suffix = QString::fromUtf16(destination.suffix);
        dialog.setDefaultSuffix(suffix);
        dialog.selectFile(QDir(notes).dirName() + u'.' + suffix);
    }
    for (;;) {
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return {};
        const QString path = dialog.selectedFiles().front();
        QString refusal;
        if (!destination.folder && isNoteFile(path))
            refusal = QStringLiteral("Нельзя сохранить поверх файла заметки: %1").arg(path);
        else if (!destination.folder && QFileInfo(path).isSymLink())
            refusal = QStringLiteral("Нельзя сохранить через символическую ссылку: %1").arg(path);
        if (refusal.isEmpty()) {
            rememberExportFolder(destination.folder ? path : QFileInfo(path).absolutePath());
            return path;
        }
        qvMessageBox(refusal, MsgBoxStyle::OkOnly | MsgBoxStyle::Exclamation, {}, {}, this);
        dialog.setDirectory(QFileInfo(path).absolutePath());
    }
}

// Runs the export on the background pool, with a progress dialog whose Отмена stops it
// between files, and waits for it without blocking the window.
BatchResult frmMain::runBatch(const QList<ExportInput> &inputs, const BatchOptions &options)
{
    const qsizetype total = inputs.size();
    QProgressDialog progress(progressText(0, total), QStringLiteral("Отмена"), 0, int(total), this);
    progress.setWindowTitle(QStringLiteral("Экспорт всех заметок"));
    progress.setWindowModality(Qt::WindowModal);
    // Shown at once: the window takes no input while the notes are being written.
    progress.setMinimumDuration(0);
    progress.setValue(0);
    auto stop = std::make_shared<std::atomic<bool>>(false);
    connect(&progress, &QProgressDialog::canceled, &progress, [stop] { *stop = true; });

    BatchResult result;
    QEventLoop wait;
    BackgroundJob job;
    job.start(
        [&inputs, &options, &result, stop, total, &progress](const BackgroundJob::Cancelled &,
                                                             const BackgroundJob::Hand &hand) {
            result = exportBatch(
                inputs, options, [stop] { return stop->load(); },
                [&](qsizetype done) {
                    hand([&progress, done, total] {
                        progress.setLabelText(progressText(done, total));
                        progress.setValue(int(done));
                    });
                });
        },
        [&wait] { wait.quit(); });
    wait.exec();
    return result;
}
