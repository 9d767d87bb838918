// SPDX-License-Identifier: GPL-3.0-or-later
#include "markdownnote.h"

#include "markdowntext.h"
#include "notetitle.h"
#include "qvtext.h"
#include "utctext.h"
#include "wellformedtext.h"
#include "yamlscalar.h"

namespace {

class MarkdownFormat : public NoteFormat
{
public:
    QByteArray entry(const ExportedNote &note) const override
    {
        return note.accepted ? markdownNote(note) : QByteArray();
    }
    // An empty line between documents keeps a body's last line from becoming a heading over
    // the next document's "---".
    QByteArray separator(qsizetype written) const override
    {
        return written == 0 ? QByteArray() : QByteArrayLiteral("\n");
    }
    QByteArray document(const ExportedNote &note) const override { return markdownNote(note); }
    QString extension() const override { return QStringLiteral(".md"); }
};

} // namespace

QByteArray markdownNote(const ExportedNote &note)
{
    const NoteView &view = note.view;
    const QString body = wellFormedText(bodyText(note));
    const QString title = noteTitle(body, note.file);
    QString out = QStringLiteral("---\ntitle: ") + yamlScalar(title) + u'\n';
    if (view.createdUtc.isValid())
        out += QStringLiteral("created: ") + isoUtcText(view.createdUtc) + u'\n';
    if (view.modifiedUtc.isValid())
        out += QStringLiteral("updated: ") + isoUtcText(view.modifiedUtc) + u'\n';
    // A calendar memo's kind is its tag; its SUMMARY, when the title does not already say it.
    if (!view.kind.isEmpty())
        out += QStringLiteral("tags:\n  - ") + yamlScalar(view.kind) + u'\n';
    if (!view.summary.isEmpty() && view.summary != title)
        out += QStringLiteral("summary: ") + yamlScalar(view.summary) + u'\n';
    out += QStringLiteral("source: ") + yamlScalar(qvGetFileName(note.file)) +
           QStringLiteral("\n---\n");
    const QString text = markdownText(body);
    if (!text.isEmpty())
        out += u'\n' + text + u'\n';
    return out.toUtf8();
}

std::unique_ptr<NoteFormat> markdownFormat()
{
    return std::make_unique<MarkdownFormat>();
}
