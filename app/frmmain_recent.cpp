// SPDX-License-Identifier: GPL-3.0-or-later
// Opening a folder, the notes and folders opened last, and the hint over the empty window before
// anything has been opened.

#include "frmmain.h"
#include "showntext.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>

namespace {

// A recent entry's caption is cut in its middle to about this many characters.
constexpr int CaptionCharacters = 60;

const QString StartText =
    QStringLiteral("Откройте заметку (F3) или папку (Ctrl+Shift+O), или перетащите их в это окно.");

// A caption that shows `text` as it is: "&" would mark an access key.
QString menuCaption(const QString &text)
{
    QString caption = text;
    return caption.replace(u'&', QStringLiteral("&&"));
}

} // namespace

void frmMain::OpenFolderWithDialog()
{
    QFileDialog dialog(this, QStringLiteral("Открыть папку"));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    const QString start =
        m_lastTried.isEmpty() ? rememberedFolder() : QFileInfo(m_lastTried).absolutePath();
    dialog.setDirectory(start.isEmpty() ? QDir::homePath() : start);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    OpenFolder(dialog.selectedFiles().front());
}

void frmMain::OpenRecent(const QString &path)
{
    if (QFileInfo(path).isDir()) {
        OpenFolder(path);
        return;
    }
    // A note, or an entry that is gone: loaded as any other, with the box that says so.
    LoadNoteFile(path);
    if (m_readFailed)
        forget(path);
    else
        remember(path);
}

// A folder opened, or a note shown, comes first in the list.
void frmMain::remember(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isDir() && m_view.title == NoteView::emptyTitle())
        return;
    const QString full = info.absoluteFilePath();
    Recent.removeAll(full);
    Recent.prepend(full);
    while (Recent.size() > MaxRecent)
        Recent.removeLast();
    updateRecentMenu();
}

void frmMain::forget(const QString &path)
{
    if (Recent.removeAll(QFileInfo(path).absoluteFilePath()) > 0 || Recent.removeAll(path) > 0)
        updateRecentMenu();
}

void frmMain::updateRecentMenu()
{
    mnuRecent->clear();
    const QFontMetrics metrics(mnuRecent->font());
    for (const QString &path : std::as_const(Recent)) {
        const QString shown = metrics.elidedText(shownText(path), Qt::ElideMiddle,
                                                 CaptionCharacters * metrics.averageCharWidth());
        QAction *item = mnuRecent->addAction(menuCaption(shown));
        item->setToolTip(shownText(path));
        connect(item, &QAction::triggered, this, [this, path] { OpenRecent(path); });
    }
    mnuRecent->addSeparator();
    QAction *clear = mnuRecent->addAction(QStringLiteral("Очистить список"));
    connect(clear, &QAction::triggered, this, [this] {
        Recent.clear();
        updateRecentMenu();
    });
    mnuRecent->menuAction()->setEnabled(!Recent.isEmpty());
    updateStartHint();
}

void frmMain::createStartHint()
{
    lblStart = new QLabel(txtBody->viewport());
    lblStart->setAccessibleName(QStringLiteral("Начало работы"));
    lblStart->setWordWrap(true);
    lblStart->setAlignment(Qt::AlignCenter);
    lblStart->setTextFormat(Qt::RichText);
    lblStart->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    lblStart->setFocusPolicy(Qt::NoFocus);
    QPalette palette = lblStart->palette();
    palette.setColor(QPalette::WindowText, palette.color(QPalette::PlaceholderText));
    lblStart->setPalette(palette);
    connect(lblStart, &QLabel::linkActivated, this, [this](const QString &link) {
        bool isNumber = false;
        const int index = link.toInt(&isNumber);
        if (isNumber && index >= 0 && index < Recent.size())
            OpenRecent(Recent.at(index));
    });
    updateRecentMenu();
}

// Over the empty body, until the first file or folder is tried; never part of the note.
void frmMain::updateStartHint()
{
    if (m_triedAny || !m_lastTried.isEmpty()) {
        lblStart->hide();
        return;
    }
    QString html = QStringLiteral("<p>") + StartText.toHtmlEscaped() + QStringLiteral("</p>");
    if (!Recent.isEmpty()) {
        html += QStringLiteral("<p>Недавние:<br>");
        for (qsizetype i = 0; i < Recent.size(); ++i)
            html += QStringLiteral("<a href=\"%1\">%2</a><br>")
                        .arg(i)
                        .arg(shownText(Recent[i]).toHtmlEscaped());
        html += QStringLiteral("</p>");
    }
    lblStart->setText(html);
    lblStart->setGeometry(txtBody->viewport()->rect().adjusted(8, 8, -8, -8));
    lblStart->show();
}
