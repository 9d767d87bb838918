// SPDX-License-Identifier: GPL-3.0-or-later
#include "enexnote.h"

#include "linesplitter.h"
#include "notetitle.h"
#include "qvtext.h"
#include "utctext.h"
#include "xmltext.h"

#include <QXmlStreamWriter>

namespace {

// The most characters a tag may hold.
constexpr qsizetype MaxTagCharacters = 100;

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
            xml.writeCharacters(visibleBlanks(xmlSafeText(line)));
        xml.writeEndElement();
    }
    xml.writeEndElement();
    return document;
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
    // Without it, importers take the time of the import for the note's last change.
    const QDateTime &updated = view.modifiedUtc.isValid() ? view.modifiedUtc : view.createdUtc;
    if (updated.isValid())
        xml.writeTextElement(QStringLiteral("updated"), compactUtcText(updated));
    const QString tag = enexTag(note.folder);
    if (!tag.isEmpty())
        xml.writeTextElement(QStringLiteral("tag"), tag);
    if (!view.kind.isEmpty()) // a calendar memo's
        xml.writeTextElement(QStringLiteral("tag"), enexTag(view.kind));
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

class EnexFormat : public NoteFormat
{
public:
    EnexFormat(QDateTime exportDate, QString application, QString version)
        : m_exportDate(std::move(exportDate)), m_application(std::move(application)),
          m_version(std::move(version))
    {
    }

    QByteArray opening(const QString &) const override
    {
        QByteArray out;
        QXmlStreamWriter xml(&out);
        xml.setAutoFormatting(true);
        xml.writeStartDocument();
        xml.writeDTD(QStringLiteral(
            "<!DOCTYPE en-export SYSTEM \"http://xml.evernote.com/pub/evernote-export4.dtd\">"));
        xml.writeStartElement(QStringLiteral("en-export"));
        xml.writeAttribute(QStringLiteral("export-date"), compactUtcText(m_exportDate));
        xml.writeAttribute(QStringLiteral("application"), xmlSafeText(m_application));
        xml.writeAttribute(QStringLiteral("version"), xmlSafeText(m_version));
        xml.writeCharacters(QStringLiteral("\n")); // ends the start tag: the notes follow
        return out;
    }
    QByteArray entry(const ExportedNote &note) const override
    {
        return note.accepted ? enexNote(note) : QByteArray();
    }
    QByteArray closing(qsizetype) const override { return QByteArrayLiteral("</en-export>\n"); }
    bool needsNote() const override { return true; }

private:
    QDateTime m_exportDate;
    QString m_application;
    QString m_version;
};

} // namespace

QString enexTag(const QString &folder)
{
    QString tag = folder;
    tag.replace(u',', u' ');
    return xmlSafeText(titleText(tag, MaxTagCharacters));
}

std::unique_ptr<NoteFormat> enexFormat(const QDateTime &exportDate, const QString &application,
                                       const QString &version)
{
    return std::make_unique<EnexFormat>(exportDate, application, version);
}
