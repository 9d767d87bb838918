// SPDX-License-Identifier: GPL-3.0-or-later
// File > Печать...: the note on show on paper, or in a PDF file through the same dialog.

#include "frmmain.h"
#include "notetitle.h"

#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QTextCursor>
#include <QTextDocument>

void frmMain::PrintNote()
{
    if (m_view.title == NoteView::emptyTitle())
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(noteTitle(m_view.txtBody, m_lastTried));
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(QStringLiteral("Печать"));
    if (dialog.exec() == QDialog::Accepted)
        printNote(printer);
}

void frmMain::printNote(QPrinter &printer) const
{
    QTextDocument document;
    document.setDefaultFont(font());
    // Long runs without blanks are broken where they reach the margin rather than cut off.
    QTextOption wrapping = document.defaultTextOption();
    wrapping.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    document.setDefaultTextOption(wrapping);
    QTextCursor cursor(&document);

    QTextCharFormat heading;
    heading.setFontWeight(QFont::Bold);
    heading.setFontPointSize(font().pointSizeF() * 1.5);
    cursor.insertText(noteTitle(m_view.txtBody, m_lastTried), heading);
    QTextBlockFormat spaced;
    spaced.setTopMargin(font().pointSizeF());
    cursor.insertBlock(spaced, QTextCharFormat());
    cursor.insertText(lblTag[1]->text() + u' ' + txtDateCreated->text());
    cursor.insertBlock(QTextBlockFormat());
    cursor.insertText(lblTag[2]->text() + u' ' + txtDateModified->text());
    // An empty line, then each line of the body a paragraph of its own, as it is shown.
    cursor.insertBlock(QTextBlockFormat());
    cursor.insertBlock(QTextBlockFormat());
    cursor.insertText(m_view.txtBody);

    // Unpaginated, the document is laid out on the printer's pages with a page number under each.
    document.print(&printer);
}
