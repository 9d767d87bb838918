// SPDX-License-Identifier: GPL-3.0-or-later
#include "enexnote.h"

#include "linesplitter.h"
#include "notetitle.h"
#include "qvtext.h"
#include "utctext.h"
#include "wellformedtext.h"

#include <QXmlStreamWriter>

namespace {

// Whether XML 1.0 can hold `c`, a unit of well-formed text (surrogates come in pairs).
bool isXmlUnit(char16_t c)
{
    return c == u'\t' || c == u'\n' || c == u'\r' || (c >= 0x20 && c <= 0xFFFD);
}

// The en-note document that a note's `content` holds.
QString enNote(QStringView body)
{
    // The declaration names the encoding of the export file that will hold the document.
    QString document =
        QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n"
                       "<!DOCTYPE en-note SYSTEM \"http://xml.evernote.com/pub/enml2.dtd\">\n");
    QXmlStreamWriter xml(&document);
    xml.writeStartElement(QStringLiteral("en-note"));
    LineSplitter lines(body);
    for (QStringView line; lines.next(line);) {
        xml.writeStartElement(QStringLiteral("div"));
        if (line.isEmpty())
            xml.writeEmptyElement(QStringLiteral("br"));
        else
            xml.writeCharacters(xmlSafeText(line));
        xml.writeEndElement();
    }
    xml.writeEndElement();
    return document;
}

} // namespace

QString xmlSafeText(QStringView text)
{
    QString safe = wellFormedText(text.toString());
    for (QChar &c : safe) {
        if (!isXmlUnit(c.unicode()))
            c = QChar::ReplacementCharacter;
    }
    return safe;
}

QByteArray enexOpening(const QDateTime &exportDate, const QString &application,
                       const QString &version)
{
    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeDTD(QStringLiteral(
        "<!DOCTYPE en-export SYSTEM \"http://xml.evernote.com/pub/evernote-export4.dtd\">"));
    xml.writeStartElement(QStringLiteral("en-export"));
    xml.writeAttribute(QStringLiteral("export-date"), compactUtcText(exportDate));
    xml.writeAttribute(QStringLiteral("application"), xmlSafeText(application));
    xml.writeAttribute(QStringLiteral("version"), xmlSafeText(version));
    xml.writeCharacters(QStringLiteral("\n")); // ends the start tag: the notes follow
    return out;
}

QByteArray enexNote(const ExportedNote &note)
{
    const NoteView &view = note.view;
    const QString body = bodyText(note);
    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(2);
    xml.writeStartElement(QStringLiteral("note"));
    xml.writeTextElement(QStringLiteral("title"), xmlSafeText(noteTitle(body, note.file)));
    xml.writeStartElement(QStringLiteral("content"));
    xml.writeCDATA(enNote(body));
    xml.writeEndElement();
    if (view.createdUtc.isValid())
        xml.writeTextElement(QStringLiteral("created"), compactUtcText(view.createdUtc));
    if (view.modifiedUtc.isValid())
        xml.writeTextElement(QStringLiteral("updated"), compactUtcText(view.modifiedUtc));
    xml.writeStartElement(QStringLiteral("note-attributes"));
    xml.writeTextElement(QStringLiteral("source"), xmlSafeText(qvGetFileName(note.file)));
    xml.writeEndElement();
    xml.writeEndElement();
    // Auto-formatting starts the element on a line of its own: the opening ended one already.
    if (out.startsWith('\n'))
        out.remove(0, 1);
    out.append('\n');
    return out;
}

QByteArray enexClosing()
{
    return QByteArrayLiteral("</en-export>\n");
}
