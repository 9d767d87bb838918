// SPDX-License-Identifier: GPL-3.0-or-later
#include "noteview.h"

#include "qvtext.h"

#include <QStringBuilder>

QString NoteView::titleFor(const QString &path)
{
    return emptyTitle() % u" [" % qvGetFileName(path) % u']';
}

bool operator==(const NoteView &a, const NoteView &b)
{
    return a.title == b.title && a.txtVersion == b.txtVersion &&
           a.txtDateCreated == b.txtDateCreated && a.txtDateModified == b.txtDateModified &&
           a.txtBody == b.txtBody && a.createdUtc == b.createdUtc &&
           a.modifiedUtc == b.modifiedUtc && a.kind == b.kind && a.summary == b.summary &&
           a.notice == b.notice;
}
