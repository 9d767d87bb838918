// SPDX-License-Identifier: GPL-3.0-or-later
// Opening notes: from the command line, from the open dialog, and into the view.

#include "appinfo.h"
#include "boxmessagesink.h"
#include "errorbox.h"
#include "frmmain.h"
#include "longrunlayout.h"
#include "messagebox.h"
#include "openfiledialog.h"
#include "parsenote.h"
#include "qvattempt.h"
#include "qverror.h"
#include "qvtext.h"
#include "settingsstore.h"
#include "textfilereader.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>

#include <new>
#include <optional>

namespace {

const QString OpenSection = QStringLiteral("OFN Paths");
const QString LastDirectoryName = QStringLiteral("Last open VNT directory");

} // namespace

void frmMain::tmrDoIt_Timer()
{
    tmrDoIt->stop();
    const QString commandLine = qvTrimEx2(m_commandLine(), AllTrimOptions);
    if (commandLine.isEmpty())
        return;
    LoadNoteFile(commandLine);
}

void frmMain::OpenWithDialog()
{
    OpenFileDialog dialog;
    dialog.setFilter(QStringLiteral("Файлы VNT|*.VNT|Все файлы|*.*"));
    dialog.setOptions({});
    dialog.setOwnerHandle(QApplication::activeWindow());

    SettingsStore store;
    const QString directory = store
                                  .ReadValue(OpenSection, LastDirectoryName, SettingsStore::Text,
                                             AppInfo::current(), QString())
                                  .toString();
    dialog.setInitialDirectory(directory);
    if (!dialog.Show())
        return;

    // Remembered before the load, which may fail or be cancelled; a folder that cannot be
    // remembered does not keep the note from opening.
    m_settingsWrites.run([&] {
        store.WriteValue(OpenSection, LastDirectoryName, SettingsStore::Text,
                         qvGetFilePath(dialog.FileName()), AppInfo::current());
    });
    LoadNoteFile(dialog.FileName());
}

void frmMain::LoadNoteFile(QString path)
{
    qvAttempt([this] { ClearView(); });
    for (;;) {
        const std::optional<QvError> failure = readParseAndShow(path);
        if (!failure)
            return;

        int answer = IdCancel;
        qvAttempt([&] {
            answer =
                ErrorBox::shared().Show(*failure, MsgBoxStyle::RetryCancel | MsgBoxStyle::Critical,
                                        path + QStringLiteral("\n\nНе удалось прочесть файл."));
        });
        if (answer != IdRetry)
            return;
    }
}

std::optional<QvError> frmMain::readParseAndShow(const QString &path)
{
    QString text;
    try {
        text = TextFileReader::shared().ReadAllText(path);
    } catch (const QvError &error) {
        return error;
    } catch (const std::bad_alloc &) {
        return TextFileReader::outOfMemory();
    } catch (const std::exception &error) {
        return QvError(TextFileReader::InputOutputError, QString::fromLocal8Bit(error.what()));
    }

    try {
        bool accepted = false;
        qvAttempt([&] {
            BoxMessageSink messages(this);
            DateDisplay display;
            display.shortDate = ShortDate;
            accepted = ParseNote(text, m_view, display, messages);
        });
        if (accepted) {
            qvAttempt([&] { m_view.title = NoteView::titleFor(path); });
            qvAttempt([this] { showView(); });
        } else {
            qvAttempt([this] { ClearView(); });
        }
    } catch (const std::bad_alloc &) {
        // Half a note is not shown: the view goes, and with it what it held.
        text = QString();
        qvAttempt([this] { ClearView(); });
        return TextFileReader::outOfMemory();
    }
    return std::nullopt;
}

void frmMain::ClearView()
{
    m_view = NoteView();
    showView();
    txtBody->setFocus();
}

void frmMain::showView()
{
    setWindowTitle(m_view.title);
    txtVersion->setText(m_view.txtVersion);
    txtDateCreated->setText(m_view.txtDateCreated);
    txtDateModified->setText(m_view.txtDateModified);
    LongRunLayout::ensureRoomFor(m_view.txtBody);
    txtBody->setPlainText(m_view.txtBody);
}
