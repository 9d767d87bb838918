// SPDX-License-Identifier: GPL-3.0-or-later
// Opening notes: from the command line, from the open dialog, and into the view.

#include "appinfo.h"
#include "backgroundjob.h"
#include "boxmessagesink.h"
#include "errorbox.h"
#include "folderwatch.h"
#include "frmmain.h"
#include "longrunlayout.h"
#include "messagebox.h"
#include "notefilenames.h"
#include "notelistpanel.h"
#include "openfiledialog.h"
#include "parsenote.h"
#include "qvattempt.h"
#include "qverror.h"
#include "qvtext.h"
#include "readfailure.h"
#include "settingsstore.h"
#include "showntext.h"
#include "textfilereader.h"

#include <QApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStatusBar>
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
    remember(commandLine);
}

void frmMain::OpenWithDialog()
{
    OpenFileDialog dialog;
    dialog.setFilter(openDialogFilter(LenientLayouts));
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
    remember(dialog.FileName());
}

QString frmMain::rememberedFolder()
{
    return SettingsStore()
        .ReadValue(OpenSection, LastDirectoryName, SettingsStore::Text, AppInfo::current(),
                   QString())
        .toString();
}

void frmMain::LoadNoteFile(QString path)
{
    loadNote(path, 0);
}

void frmMain::loadNote(const QString &path, int pick)
{
    // The notes found in a file of another kind are kept while it is the one shown.
    if (path != m_scanned.path)
        m_scanned = {};
    m_lastTried = path;
    m_pendingStep = 0;
    updateStartHint();
    qvAttempt([this] { ClearView(); });
    m_readFailed = false;
    for (;;) {
        const std::optional<QvError> failure = readParseAndShow(path, pick);
        m_readFailed = failure.has_value();
        if (!failure)
            break;

        int answer = IdCancel;
        qvAttempt([&] {
            answer =
                ErrorBox::shared().Show(*failure, MsgBoxStyle::RetryCancel | MsgBoxStyle::Critical,
                                        path + QStringLiteral("\n\nНе удалось прочесть файл."));
        });
        if (answer != IdRetry)
            break;
    }
    // The folder of the file tried is the one stepped through, whether or not it was shown.
    qvAttempt([&] { m_folderNotes->follow(QFileInfo(path).absolutePath()); });
    std::optional<RowState> failure;
    // A file being looked through for its notes shows none yet: it is told once they are found.
    if (m_readFailed)
        failure = RowState::Unreadable;
    else if (m_view.title == NoteView::emptyTitle() && !isScanning())
        failure = RowState::NotNote;
    else if (!m_bodyPlaceholder.isEmpty())
        failure = RowState::OtherLayout;
    reportLoad(path, failure);
    listShownFolder();
    updateStepItems();
}

// A file that shows no note is named in the status bar, so that among thousands the broken one
// can be found again; the list greys it, whatever it found when it read the file.
void frmMain::reportLoad(const QString &path, std::optional<RowState> failure)
{
    if (!failure) {
        // A note shown with a notice, such as one cut off, says so there instead of in a box.
        if (!m_view.notice.isEmpty())
            statusBar()->showMessage(m_view.notice);
        else if (isScanning())
            statusBar()->showMessage(scanMessage());
        else
            statusBar()->clearMessage();
        return;
    }
    statusBar()->showMessage(shownText(qvGetFileName(path)) + QStringLiteral(": ") +
                             RowStateText(*failure));
    pnlNotes->setFileState(path, *failure);
}

std::optional<QvError> frmMain::readParseAndShow(const QString &path, int pick)
{
    if (LenientLayouts)
        return readLenientAndShow(path, pick);

    QString text;
    if (auto failure = readFailure([&] { text = TextFileReader::shared().ReadAllText(path); }))
        return failure;

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
    if (m_view.title != NoteView::emptyTitle() && m_view.txtBody.isEmpty())
        offerLenientReading(path);
    return std::nullopt;
}

void frmMain::ClearView()
{
    // The notes of the file go, and so does the look for more of them.
    if (m_scan != nullptr)
        m_scan->cancel();
    m_scanStep = false;
    m_view = NoteView();
    m_notesOfFile.clear();
    m_noteOfFile = 0;
    m_bodyPlaceholder.clear();
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
    txtBody->setPlaceholderText(m_bodyPlaceholder);
    updateNoteItems();
    findMatches();
}

// Export, the export of all notes and printing need a note on show; with none, they are
// disabled.
void frmMain::updateNoteItems()
{
    const bool shown = m_view.title != NoteView::emptyTitle();
    for (const int item : {4, 7, 8})
        mnuFile[item]->setEnabled(shown);
}
