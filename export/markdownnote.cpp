// SPDX-License-Identifier: GPL-3.0-or-later
#include "markdownnote.h"

#include "markdowntext.h"
#include "notetitle.h"
#include "qvtext.h"
#include "utctext.h"
#include "yamlscalar.h"

QByteArray markdownNote(const ExportedNote &note)
{
    const NoteView &view = note.view;
    QString out =
        QStringLiteral("---\ntitle: ") + yamlScalar(noteTitle(view.txtBody, note.file)) + u'\n';
    if (view.createdUtc.isValid())
        out += QStringLiteral("created: ") + isoUtcText(view.createdUtc) + u'\n';
    if (view.modifiedUtc.isValid())
        out += QStringLiteral("updated: ") + isoUtcText(view.modifiedUtc) + u'\n';
    out += QStringLiteral("source: ") + yamlScalar(qvGetFileName(note.file)) +
           QStringLiteral("\n---\n");
    const QString body = markdownText(view.txtBody);
    if (!body.isEmpty())
        out += u'\n' + body + u'\n';
    return out.toUtf8();
}
