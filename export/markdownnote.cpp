// SPDX-License-Identifier: GPL-3.0-or-later
#include "markdownnote.h"

#include "markdowntext.h"
#include "notetitle.h"
#include "qvtext.h"
#include "utctext.h"
#include "wellformedtext.h"
#include "yamlscalar.h"

QByteArray markdownNote(const ExportedNote &note)
{
    const NoteView &view = note.view;
    const QString body = wellFormedText(bodyText(note));
    QString out = QStringLiteral("---\ntitle: ") + yamlScalar(noteTitle(body, note.file)) + u'\n';
    if (view.createdUtc.isValid())
        out += QStringLiteral("created: ") + isoUtcText(view.createdUtc) + u'\n';
    if (view.modifiedUtc.isValid())
        out += QStringLiteral("updated: ") + isoUtcText(view.modifiedUtc) + u'\n';
    out += QStringLiteral("source: ") + yamlScalar(qvGetFileName(note.file)) +
           QStringLiteral("\n---\n");
    const QString text = markdownText(body);
    if (!text.isEmpty())
        out += u'\n' + text + u'\n';
    return out.toUtf8();
}
